// A server's address space seen without a window: the browse view the dialogs use, over a tree
// kept in memory, for the host program's commands and for benchmarks.
#pragma once

#include <string>

#include "model/server_config.h"
#include "opc/browse_view.h"
#include "platform/memory/memory_tree.h"

namespace tagcfg {

// A server's address space as the channel setup dialog shows it, the tree in memory: filled one
// level at a node's first expansion, so each branch is asked for its names once.
class HeadlessBrowse {
public:
    enum class Opened { browsing, not_created, not_browsable };

    explicit HeadlessBrowse(ServerConfig &config);
    HeadlessBrowse(const HeadlessBrowse &) = delete;
    HeadlessBrowse &operator=(const HeadlessBrowse &) = delete;

    Opened opened() const { return opened_; }
    // False once the server object died: what it handed out is gone too.
    bool browsing() const { return view_.can_browse(); }
    ui::MemoryTree &tree() { return tree_; }
    BrowseView &view() { return view_; }
    ui::TreeNode root() const { return root_; }
    // Whether the item ID names a leaf the way the channel setup dialog finds it: the walk along
    // the ID ends on a leaf whose item ID, as the server gives it, is the same byte for byte.
    bool holds_item(const std::string &item_id);

private:
    ui::MemoryTree tree_;
    BrowseView view_{tree_};
    ui::TreeNode root_ = nullptr;
    Opened opened_ = Opened::not_created;
};

}  // namespace tagcfg
