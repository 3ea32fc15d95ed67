// A browsing dialog's view of its server's address space: the browse interface, the server's
// organisation, and the tree that shows the space. The tree is filled lazily, one level on a
// node's first expansion. Nodes hold only their text: a node is tied to the server through its
// own text and its ancestors' texts, so every request walks the path from the top again.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "model/server_config.h"
#include "platform/opc.h"
#include "platform/ui.h"

namespace tagcfg {

// Image indexes of the shared image list used by the tree (the dialogs check them against the
// resource's).
constexpr int kServerImage = 0;
constexpr int kBranchImage = 1;
constexpr int kLeafImage = 2;

enum class NodeKind { branch, leaf };

// How far below the root opening the tree along an item ID and collecting a branch go: the
// server's position is never taken more than 64 levels down. Servers that show links to their
// own folders have no bottom; no real plant is this deep. At the last level, leaves are still
// taken and branches are not entered.
constexpr int kMostBrowseLevels = 64;

// The separators between the names of an item ID.
constexpr const char kItemIdSeparators[] = "/.:\\";

// Where the name ends in the text when the text names it at `position`: the end of the text or
// the separator behind the name. With skip, separators before the name are passed over. npos
// when the name does not match.
size_t match_node_name(const std::string &text, size_t position, const std::string &name, bool skip);

// Receives the item IDs a collect finds, in the order it finds them.
using ItemSink = std::function<void(const std::string &)>;
// Asked now and then during a long collect; true stops it, keeping what was found.
using StopCheck = std::function<bool()>;

// How a collect ended.
enum class CollectEnd {
    complete,     // everything below the branch was read, within the depth bound
    unreachable,  // the server could not be positioned on the branch; nothing was read
    name_limit,   // the collect read as many names as it may
    stopped,      // the stop check asked for it
    server_lost,  // the server object died on the way
};

class BrowseView {
public:
    explicit BrowseView(ui::Tree &tree) : tree_(tree) {}

    // After connect_server: takes the server object's browse interface and its organisation,
    // and enables the tree only when the server can be browsed. The configuration is kept for
    // the view's life, to let go of its server object should that die.
    void open(ServerConfig &config, bool connected);
    ui::TreeNode insert_root_node(const ServerConfig &config);

    bool move_to_node(ui::TreeNode node);
    int fill_node(ui::TreeNode node);
    int insert_names(ui::TreeNode parent, platform::NameEnumerator *names, NodeKind kind);
    bool item_id_of_node(ui::TreeNode node, std::string &item_id);
    // The node below `node` that the item ID names, opening the tree along it: at each level the
    // children whose names the text holds next, in tree order, each followed down until the text
    // ends on a node; where a branch and a leaf of one name both end it, the leaf. Null when no
    // path matches (the nodes opened on the way stay open). With skip, separators before the first
    // name are passed over; below the first level they always are.
    ui::TreeNode find_item_node(const std::string &item_id, ui::TreeNode node, bool skip);
    // Opens the tree along the item ID and selects the node it names, as find_item_node finds it.
    void locate_item_id(const std::string &item_id, ui::TreeNode node, bool skip);
    // Every item ID below the branch (or the root), depth first, each level's branches before its
    // own leaves, entering branches down to most_levels below the root (never more than
    // kMostBrowseLevels). With a stop check, that is asked every few thousand names.
    CollectEnd collect_item_ids(ui::TreeNode branch, const ItemSink &sink, const StopCheck &stop_requested = {},
                                int most_levels = kMostBrowseLevels);
    // The tree's expanding event: fills a node the first time it opens.
    void on_expanding(ui::TreeNode node);

    bool can_browse() const { return browse_ != nullptr; }
    int32_t namespace_type() const { return namespace_type_; }
    ui::TreeNode root_node() const { return root_node_; }

private:
    struct CollectRun;

    bool hierarchical() const { return namespace_type_ == platform::kOpcHierarchical; }
    int32_t change_position(int32_t direction, const std::string &name);
    // True when the result says the server object died; the view and the configuration then let
    // go of it, and the tree is disabled as for a server that cannot be browsed.
    bool lost(int32_t result);
    int insert_browsed(ui::TreeNode parent, int32_t type, NodeKind kind);
    std::unique_ptr<platform::NameEnumerator> open_branches(int depth, CollectRun &run);
    void collect_leaves(CollectRun &run);
    bool next_name(platform::NameEnumerator &names, CollectRun &run, std::string &name);
    int depth_of(ui::TreeNode node);

    // Not owned: the dialog window's tree control. It is gone once the window is destroyed
    // (WM_NCDESTROY), before the view, so the view is used only from the window's events.
    ui::Tree &tree_;
    ServerConfig *config_ = nullptr;  // not owned: borrowed from the dialog, set by open()
    std::unique_ptr<platform::BrowseSource> browse_;
    int32_t namespace_type_ = platform::kOpcFlatSpace;
    ui::TreeNode root_node_ = nullptr;
};

}  // namespace tagcfg
