#include "address_space/browser.h"

#include <cctype>

namespace opcsim {

namespace {

// What a generated folder holds: nothing but what the endless enumerations make up.
const AddressNode kGeneratedFolder = [] {
    AddressNode folder;
    folder.is_branch = true;
    return folder;
}();

void collect_leaves(const AddressNode &node, std::vector<std::string> &ids) {
    for (const AddressNode &c : node.children) {
        if (c.is_branch) collect_leaves(c, ids);
        else ids.push_back(c.item_id);
    }
}

const char *generated_prefix(int type) { return type == kBranch ? "Folder" : "Value"; }

// Whether the name is one that generated_name(type, n) makes for some n of at least 1.
bool is_generated(const std::string &name, int type) {
    const std::string prefix = generated_prefix(type);
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 || name[prefix.size()] == '0')
        return false;
    for (size_t i = prefix.size(); i < name.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

}  // namespace

const AddressNode *Browser::child(const std::string &name, bool branch) const {
    const AddressNode &here = *path_.back().node;
    const auto &index = branch ? here.branches : here.index;
    auto found = index.find(name);
    return found == index.end() ? nullptr : &here.children[found->second];
}

std::string Browser::browsed_path(const std::string &name) const {
    std::string path;
    for (size_t i = 1; i < path_.size(); ++i) path += path_[i].name + ".";
    return path + name;
}

int32_t Browser::change_position(int direction, const std::string &name) {
    if (space_.flat) return kFail;
    if (direction == kBrowseUp) {
        if (path_.size() == 1) return space_.up_forever ? kOk : kFail;
        path_.pop_back();
        return kOk;
    }
    if (direction != kBrowseDown) return kInvalidArg;
    // A name may stand for an item and a branch at once: going down takes the branch.
    const AddressNode *target = child(name, true);
    if (!target && endless(kBranch) && is_generated(name, kBranch)) {
        path_.push_back({&kGeneratedFolder, name, true});
        return kOk;
    }
    if (!target) return kInvalidArg;
    if (target->refuse_down) return kFail;
    // A link shows the folder that holds it, so its inside is that folder's inside again.
    const AddressNode *shown = target->loops_back ? path_.back().node : target;
    path_.push_back({shown, name, path_.back().linked || target->loops_back});
    return kOk;
}

std::vector<std::string> Browser::browse(int type) const {
    std::vector<std::string> names;
    const AddressNode &here = *path_.back().node;
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

bool Browser::endless(int type) const {
    if (type == kBranch) return space_.endless_branches && !space_.flat;
    return space_.endless_leaves && (type == kLeaf || type == kFlat);
}

std::string Browser::generated_name(int type, size_t number) { return generated_prefix(type) + std::to_string(number); }

int32_t Browser::item_id(const std::string &name, std::string &id) const {
    const AddressNode *node = child(name, false);
    if (!node) {
        if (!endless(kLeaf) || !is_generated(name, kLeaf)) return kInvalidArg;
        id = browsed_path(name);
        return kOk;
    }
    if (node->get_item_id_fails) return kFail;
    id = node->empty_item_id ? "" : path_.back().linked ? browsed_path(name) : node->item_id;
    return kOk;
}

}  // namespace opcsim
