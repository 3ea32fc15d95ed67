#include "dialogs/connect_step.h"

#include "opc/connect.h"
#include "resource_ids.h"

namespace tagcfg {

namespace {
constexpr size_t kMessageText = 200;
constexpr size_t kCaptionText = 80;
}  // namespace

ui::TreeNode run_connect_step(ui::DialogWindow &window, ServerConfig &server, BrowseView &view) {
    void *cursor = window.show_wait_cursor();
    bool connected = connect_server(server);
    window.restore_cursor(cursor);
    ui::TreeNode root = view.insert_root_node(server);
    if (!connected)
        window.message_box(window.load_string(IDS_CONNECT_FAILED, kMessageText),
                           window.load_string(IDS_ERROR_CAPTION, kCaptionText), ui::kMbIconHand);
    view.open(server, connected);
    return root;
}

}  // namespace tagcfg
