#pragma once

#include "model/server_config.h"
#include "opc/browse_view.h"
#include "platform/ui.h"

namespace tagcfg {

// The step both browsing dialogs post to themselves after initialising: creates or reuses the
// server object under the wait cursor, shows the root node whatever came of it, reports a failure
// once, and opens the browse view. Returns the root node.
ui::TreeNode run_connect_step(ui::DialogWindow &window, ServerConfig &server, BrowseView &view);

}  // namespace tagcfg
