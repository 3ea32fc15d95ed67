#include "dialogs/connect_step.h"

#include "dialogs/dialog.h"
#include "dialogs/wait_cursor.h"
#include "opc/connect.h"
#include "resource_ids.h"

namespace tagcfg {

ui::TreeNode run_connect_step(ui::DialogWindow &window, ServerConfig &server, BrowseView &view) {
    bool connected;
    {
        WaitCursor wait(window);
        connected = connect_server(server);
    }
    ui::TreeNode root = view.insert_root_node(server);
    if (!connected)
        window.message_box(window.load_string(IDS_CONNECT_FAILED, kMessageText),
                           window.load_string(IDS_ERROR_CAPTION, kCaptionText), ui::kMbIconHand);
    view.open(server, connected);
    return root;
}

}  // namespace tagcfg
