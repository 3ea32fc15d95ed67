#include "browser.h"

namespace opcsim {

namespace {

void collect_leaves(const AddressNode &node, std::vector<std::string> &ids) {
    for (const AddressNode &c : node.children) {
        if (c.is_branch) collect_leaves(c, ids);
        else ids.push_back(c.item_id);
    }
}

}  // namespace

const AddressNode *Browser::child(const std::string &name) const {
    const AddressNode &here = *path_.back();
    auto found = here.index.find(name);
    return found == here.index.end() ? nullptr : &here.children[found->second];
}

int32_t Browser::change_position(int direction, const std::string &name) {
    if (space_.flat) return kFail;
    if (direction == kBrowseUp) {
        if (path_.size() == 1) return space_.up_forever ? kOk : kFail;
        path_.pop_back();
        return kOk;
    }
    if (direction != kBrowseDown) return kInvalidArg;
    const AddressNode *target = child(name);
    if (!target || !target->is_branch) return kInvalidArg;
    if (target->refuse_down) return kFail;
    path_.push_back(target);
    return kOk;
}

std::vector<std::string> Browser::browse(int type) const {
    std::vector<std::string> names;
    const AddressNode &here = *path_.back();
    if (type == kFlat) {
        // Flat browsing lists every item below the position by its item ID.
        if (space_.flat) {
            for (const AddressNode &c : here.children) names.push_back(c.name);
        } else {
            collect_leaves(here, names);
        }
        return names;
    }
    if (space_.flat) return names;
    for (const AddressNode &c : here.children)
        if (c.is_branch == (type == kBranch)) names.push_back(c.name);
    return names;
}

int32_t Browser::item_id(const std::string &name, std::string &id) const {
    const AddressNode *node = child(name);
    if (!node) return kInvalidArg;
    if (node->get_item_id_fails) return kFail;
    id = node->empty_item_id ? "" : node->item_id;
    return kOk;
}

}  // namespace opcsim
