#include "opc/browse_view.h"

#include <cstring>

#include "opc/opc_util.h"

namespace tagcfg {

namespace {

// A server that answers OPC_BROWSE_UP with success at its top would be asked forever; no real
// address space is this deep.
constexpr int kMostBrowseUps = 1024;

bool is_separator(char c) { return c != 0 && std::strchr(kItemIdSeparators, c) != nullptr; }

// Converts and releases a string the server handed out.
std::string take_task_string(char16_t *text) {
    std::string narrow;
    if (text) {
        size_t length = 0;
        while (text[length]) ++length;
        to_narrow(text, length, narrow);
        free_task_memory(text);
    }
    return narrow;
}

}  // namespace

size_t match_node_name(const std::string &text, size_t position, const std::string &name, bool skip) {
    for (;;) {
        if (text.compare(position, name.size(), name) == 0 && name.size() <= text.size() - position) {
            size_t behind = position + name.size();
            if (behind == text.size() || is_separator(text[behind])) return behind;
        }
        if (!skip || position >= text.size() || !is_separator(text[position])) return std::string::npos;
        ++position;
    }
}

void BrowseView::open(const ServerConfig &config, bool connected) {
    namespace_type_ = platform::kOpcFlatSpace;
    if (connected) {
        browse_.reset();
        browse_ = platform::query_browse_source(config.server_object);
        if (browse_) browse_->query_organization(&namespace_type_);
    }
    tree_.enable(browse_ != nullptr);
}

ui::TreeNode BrowseView::insert_root_node(const ServerConfig &config) {
    const std::string &text = !config.description.empty() ? config.description
                              : !config.progid.empty()     ? config.progid
                                                           : config.clsid;
    root_node_ = tree_.insert(nullptr, text, kServerImage, 1);
    return root_node_;
}

bool BrowseView::change_position(int32_t direction, const std::string &name, int32_t *result) {
    std::u16string wide;
    to_wide(name.c_str(), name.size(), wide);
    int32_t r = browse_->change_browse_position(direction, wide.c_str());
    if (result) *result = r;
    return r >= 0;
}

bool BrowseView::move_to_node(ui::TreeNode node) {
    if (!browse_) return false;
    if (!node || node == root_node_) {
        if (!hierarchical()) return true;
        int32_t result = 0;
        for (int i = 0; i < kMostBrowseUps && result == 0; ++i) change_position(platform::kOpcBrowseUp, "", &result);
        return true;
    }
    if (!move_to_node(tree_.parent(node))) return false;
    return change_position(platform::kOpcBrowseDown, tree_.text(node));
}

int BrowseView::fill_node(ui::TreeNode node) {
    if (!move_to_node(node)) return 0;
    if (!hierarchical()) return insert_names(node, browse_->browse_item_ids(platform::kOpcFlat).get(), NodeKind::leaf);
    int inserted = insert_names(node, browse_->browse_item_ids(platform::kOpcBranch).get(), NodeKind::branch);
    return inserted + insert_names(node, browse_->browse_item_ids(platform::kOpcLeaf).get(), NodeKind::leaf);
}

int BrowseView::insert_names(ui::TreeNode parent, platform::NameEnumerator *names, NodeKind kind) {
    if (!names) return 0;
    int count = 0;
    char16_t *name = nullptr;
    // A server that answers success without a name has nothing more to say.
    while (names->next(&name) == 0 && name) {
        bool branch = kind == NodeKind::branch;
        tree_.insert(parent, take_task_string(name), branch ? kBranchImage : kLeafImage, branch ? 1 : 0);
        ++count;
    }
    return count;
}

bool BrowseView::item_id_of_node(ui::TreeNode node, std::string &item_id) {
    item_id.clear();
    if (!browse_) return false;
    const std::string name = tree_.text(node);
    if (hierarchical() && !move_to_node(tree_.parent(node))) return false;
    std::u16string wide;
    to_wide(name.c_str(), name.size(), wide);
    char16_t *answer = nullptr;
    int32_t result = browse_->get_item_id(wide.c_str(), &answer);
    std::string id = take_task_string(answer);
    if (result < 0) return false;
    item_id = id;
    return !item_id.empty();
}

void BrowseView::locate_item_id(const std::string &item_id, ui::TreeNode node, bool skip) {
    locate_from(item_id, 0, node, skip);
}

void BrowseView::locate_from(const std::string &item_id, size_t position, ui::TreeNode node, bool skip) {
    tree_.expand(node);
    for (ui::TreeNode child = tree_.first_child(node); child; child = tree_.next_sibling(child)) {
        size_t behind = match_node_name(item_id, position, tree_.text(child), skip);
        if (behind == std::string::npos) continue;
        if (behind < item_id.size()) {
            locate_from(item_id, behind, child, true);
        } else {
            tree_.ensure_visible(child);
            tree_.select(child);
        }
        return;
    }
}

void BrowseView::on_expanding(ui::TreeNode node) {
    if (tree_.expanded_once(node)) return;
    int inserted = fill_node(node);
    tree_.mark_expanded_once(node, inserted);
}

void BrowseView::collect_item_ids(const std::function<void(const std::string &)> &sink) {
    if (browse_) collect_below(sink);
}

void BrowseView::collect_below(const std::function<void(const std::string &)> &sink) {
    char16_t *name = nullptr;
    if (hierarchical()) {
        if (auto branches = browse_->browse_item_ids(platform::kOpcBranch)) {
            while (branches->next(&name) == 0 && name) {
                int32_t result;
                change_position(platform::kOpcBrowseDown, take_task_string(name), &result);
                if (result != 0) continue;
                collect_below(sink);
                change_position(platform::kOpcBrowseUp, "");
            }
        }
    }
    auto leaves = browse_->browse_item_ids(namespace_type_ == platform::kOpcFlatSpace ? platform::kOpcFlat
                                                                                       : platform::kOpcLeaf);
    if (!leaves) return;
    while (leaves->next(&name) == 0 && name) {
        std::u16string wide;
        std::string leaf = take_task_string(name);
        to_wide(leaf.c_str(), leaf.size(), wide);
        char16_t *answer = nullptr;
        browse_->get_item_id(wide.c_str(), &answer);
        std::string id = take_task_string(answer);
        if (!id.empty()) sink(id);
    }
}

}  // namespace tagcfg
