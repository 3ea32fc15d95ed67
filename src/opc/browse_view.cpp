#include "opc/browse_view.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "opc/connect.h"
#include "opc/opc_util.h"

namespace tagcfg {

namespace {

// A server that answers OPC_BROWSE_UP with success at its top would be asked forever; no real
// address space is this deep.
constexpr int kMostBrowseUps = 1024;

// How many names one enumeration yields before it is given up, and how many names one collect
// reads in all, branches and leaves alike: a server whose enumerator never ends must still let
// the dialog open, and one with endless branches must still let ">>" return. What was read by
// then is kept.
constexpr size_t kMostNames = 1000000;

// How often a collect asks whether the user wants it to stop.
constexpr size_t kNamesBetweenStopChecks = 4096;

// How many branches one search along an item ID may open: room to go back and try the other
// siblings of one name on many levels, while a server that lists one name many times on every
// level cannot keep a dialog opening for ever.
constexpr int kMostLocateEntries = 1024;

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

struct BrowseView::CollectRun {
    const ItemSink &sink;
    const StopCheck &stop_requested;
    int most_levels;
    size_t names = 0;  // read so far, branches and leaves
    CollectEnd end = CollectEnd::complete;
    bool going() const { return end == CollectEnd::complete; }
};

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

void BrowseView::open(ServerConfig &config, bool connected) {
    config_ = &config;
    namespace_type_ = platform::kOpcFlatSpace;
    if (connected) {
        browse_.reset();
        int32_t result = 0;
        browse_ = platform::query_browse_source(config.server_object, &result);
        if (!lost(result) && browse_) lost(browse_->query_organization(&namespace_type_));
    }
    tree_.enable(browse_ != nullptr);
}

ui::TreeNode BrowseView::insert_root_node(const ServerConfig &config) {
    const std::string &text = !config.description.empty() ? config.description
                              : !config.progid.empty()    ? config.progid
                                                          : config.clsid;
    root_node_ = tree_.insert(nullptr, text, kServerImage, 1);
    return root_node_;
}

bool BrowseView::lost(int32_t result) {
    if (!is_dead_object_result(result)) return false;
    browse_.reset();
    if (config_) disconnect_server(*config_);
    tree_.enable(false);
    return true;
}

int32_t BrowseView::change_position(int32_t direction, const std::string &name) {
    std::u16string wide;
    to_wide(name.c_str(), name.size(), wide);
    return browse_->change_browse_position(direction, wide.c_str());
}

int BrowseView::depth_of(ui::TreeNode node) {
    int depth = 0;
    for (ui::TreeNode up = node ? tree_.parent(node) : nullptr; up; up = tree_.parent(up)) ++depth;
    return depth;
}

// Rebuilds the server's position from the node's path: up to the top, then down through every
// ancestor, a loop rather than a recursion however deep the node is.
bool BrowseView::move_to_node(ui::TreeNode node) {
    if (!browse_) return false;
    std::vector<ui::TreeNode> path;  // the node and its ancestors below the root, deepest first
    for (ui::TreeNode at = node; at && at != root_node_; at = tree_.parent(at)) path.push_back(at);
    if (hierarchical()) {
        int32_t result = 0;
        for (int i = 0; i < kMostBrowseUps && result == 0; ++i) result = change_position(platform::kOpcBrowseUp, "");
        if (lost(result)) return false;
    }
    for (auto at = path.rbegin(); at != path.rend(); ++at) {
        int32_t result = change_position(platform::kOpcBrowseDown, tree_.text(*at));
        if (lost(result) || result < 0) return false;
    }
    return true;
}

int BrowseView::fill_node(ui::TreeNode node) {
    if (!move_to_node(node)) return 0;
    if (!hierarchical()) return insert_browsed(node, platform::kOpcFlat, NodeKind::leaf);
    int inserted = insert_browsed(node, platform::kOpcBranch, NodeKind::branch);
    if (!browse_) return inserted;  // the server died while its branches were read
    return inserted + insert_browsed(node, platform::kOpcLeaf, NodeKind::leaf);
}

int BrowseView::insert_browsed(ui::TreeNode parent, int32_t type, NodeKind kind) {
    int32_t result = 0;
    std::unique_ptr<platform::NameEnumerator> names = browse_->browse_item_ids(type, &result);
    if (lost(result)) return 0;
    return insert_names(parent, names.get(), kind);
}

int BrowseView::insert_names(ui::TreeNode parent, platform::NameEnumerator *names, NodeKind kind) {
    if (!names) return 0;
    size_t count = 0;
    bool branch = kind == NodeKind::branch;
    while (count < kMostNames) {
        char16_t *name = nullptr;
        int32_t result = names->next(&name);
        // A server that answers success without a name has nothing more to say.
        if (lost(result) || result != 0 || !name) break;
        tree_.insert(parent, take_task_string(name), branch ? kBranchImage : kLeafImage, branch ? 1 : 0);
        ++count;
    }
    return static_cast<int>(count);
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
    if (lost(result) || result < 0) return false;
    item_id = id;
    return !item_id.empty();
}

// Depth first, a loop rather than a recursion: each level of the list is a node opened (filled
// from the server the first time) with the child to try next and where the text stands there. A
// match that ends the text is taken at once, but a branch gives way to a later leaf of that name:
// a server may show a device's own item beside the folder of its points, both under one name. A
// match with text left is opened, and when nothing below it matches, the next sibling is tried.
ui::TreeNode BrowseView::find_item_node(const std::string &item_id, ui::TreeNode node, bool skip) {
    struct Level {
        ui::TreeNode next;  // the child to try next; null when all were tried
        size_t position;    // where the text stands below the node
    };
    const size_t top_depth = static_cast<size_t>(depth_of(node));
    tree_.expand(node);
    std::vector<Level> levels{{tree_.first_child(node), 0}};
    int entered = 0;
    while (!levels.empty() && browse_) {
        Level &level = levels.back();
        const ui::TreeNode child = level.next;
        if (!child) {
            levels.pop_back();  // nothing below matched: back to the level above
            continue;
        }
        level.next = tree_.next_sibling(child);
        const bool skipping = skip || levels.size() > 1;
        const size_t behind = match_node_name(item_id, level.position, tree_.text(child), skipping);
        if (behind == std::string::npos) continue;
        if (behind == item_id.size()) {
            if (tree_.image(child) != kBranchImage) return child;
            for (ui::TreeNode later = level.next; later; later = tree_.next_sibling(later))
                if (tree_.image(later) == kLeafImage &&
                    match_node_name(item_id, level.position, tree_.text(later), skipping) == item_id.size())
                    return later;
            return child;
        }
        // Only a branch has names below it; opening it takes the server's position a level down.
        if (tree_.image(child) != kBranchImage || top_depth + levels.size() > kMostBrowseLevels) continue;
        if (++entered > kMostLocateEntries) return nullptr;
        tree_.expand(child);
        levels.push_back({tree_.first_child(child), behind});
    }
    return nullptr;
}

void BrowseView::locate_item_id(const std::string &item_id, ui::TreeNode node, bool skip) {
    const ui::TreeNode found = find_item_node(item_id, node, skip);
    if (!found) return;
    tree_.ensure_visible(found);
    tree_.select(found);
}

void BrowseView::on_expanding(ui::TreeNode node) {
    if (tree_.expanded_once(node)) return;
    int inserted = fill_node(node);
    tree_.mark_expanded_once(node, inserted);
}

// Depth first, with one open branch enumeration per level in a list on the heap instead of one
// stack frame per level, so no address space can exhaust the stack. Each level's branches are
// walked (down, everything below, up) before its own leaves, the order the item selection
// dialog's ">>" lists items in.
CollectEnd BrowseView::collect_item_ids(ui::TreeNode branch, const ItemSink &sink, const StopCheck &stop_requested,
                                        int most_levels) {
    if (!move_to_node(branch)) return CollectEnd::unreachable;
    CollectRun run{sink, stop_requested, std::min(most_levels, kMostBrowseLevels)};
    int depth = depth_of(branch);
    std::vector<std::unique_ptr<platform::NameEnumerator>> levels;  // the deepest last
    levels.push_back(open_branches(depth, run));
    while (!levels.empty() && run.going()) {
        std::string name;
        if (levels.back() && next_name(*levels.back(), run, name)) {
            if (!run.going()) break;  // asked to stop: the branch is not entered
            int32_t result = change_position(platform::kOpcBrowseDown, name);
            if (lost(result)) run.end = CollectEnd::server_lost;
            else if (result == 0) levels.push_back(open_branches(++depth, run));
            continue;  // a branch that cannot be entered is skipped
        }
        if (!run.going()) break;
        levels.back().reset();  // released before the leaves are asked for
        collect_leaves(run);
        levels.pop_back();
        if (levels.empty() || !run.going()) break;
        if (lost(change_position(platform::kOpcBrowseUp, ""))) run.end = CollectEnd::server_lost;
        --depth;
    }
    return run.end;
}

// The branch enumeration at the position, or null where there is none to walk: in a flat space,
// at the depth bound, or when the server gives none.
std::unique_ptr<platform::NameEnumerator> BrowseView::open_branches(int depth, CollectRun &run) {
    if (!hierarchical() || depth >= run.most_levels) return nullptr;
    int32_t result = 0;
    std::unique_ptr<platform::NameEnumerator> branches = browse_->browse_item_ids(platform::kOpcBranch, &result);
    if (lost(result)) {
        run.end = CollectEnd::server_lost;
        return nullptr;
    }
    return branches;
}

void BrowseView::collect_leaves(CollectRun &run) {
    int32_t result = 0;
    auto leaves = browse_->browse_item_ids(hierarchical() ? platform::kOpcLeaf : platform::kOpcFlat, &result);
    if (lost(result)) {
        run.end = CollectEnd::server_lost;
        return;
    }
    if (!leaves) return;
    std::string name;
    while (next_name(*leaves, run, name)) {
        std::u16string wide;
        to_wide(name.c_str(), name.size(), wide);
        char16_t *answer = nullptr;
        result = browse_->get_item_id(wide.c_str(), &answer);  // only a dead server's answer counts
        std::string id = take_task_string(answer);
        if (lost(result)) {
            run.end = CollectEnd::server_lost;
            return;
        }
        if (!id.empty()) run.sink(id);
        if (!run.going()) return;  // asked to stop at this name, which was still taken
    }
}

// The next name of an enumeration the collect reads, counted against its bounds; false at the end
// of the enumeration or when the collect must end (run.end then says why).
bool BrowseView::next_name(platform::NameEnumerator &names, CollectRun &run, std::string &name) {
    if (!run.going()) return false;
    if (run.names >= kMostNames) {
        run.end = CollectEnd::name_limit;
        return false;
    }
    char16_t *text = nullptr;
    int32_t result = names.next(&text);
    if (lost(result)) {
        run.end = CollectEnd::server_lost;
        return false;
    }
    if (result != 0 || !text) return false;  // a success without a name ends it too
    name = take_task_string(text);
    if (++run.names % kNamesBetweenStopChecks == 0 && run.stop_requested && run.stop_requested())
        run.end = CollectEnd::stopped;
    return true;
}

}  // namespace tagcfg
