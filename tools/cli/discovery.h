// Address spaces seen without a window: the browse view the dialogs use, over a tree kept in
// memory. The commands list-servers, browse and verify are built on this; benchmarks use it too.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "model/counted_record.h"
#include "model/server_config.h"
#include "opc/browse_view.h"
#include "platform/memory/memory_tree.h"

namespace tagcfg {
struct Environment;
}

namespace tagcfg::cli {

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

// What a verify found.
struct VerifyTotals {
    size_t servers = 0;      // servers asked
    size_t unreachable = 0;  // of them, not connected, not browsable, or lost on the way
    size_t channels = 0;     // bindings checked
    size_t missing = 0;      // of them, not in their server's address space
};

// Checks every binding of one server (only >= 0) or of every server of the set, printing a line
// per item that is missing and per server that cannot be reached.
VerifyTotals verify_bindings(Environment &env, int only, std::ostream &out);

}  // namespace tagcfg::cli
