#include "dialogs/channel_setup_dialog.h"

#include <cstdio>

#include "dialogs/connect_step.h"
#include "resource_ids.h"

namespace tagcfg {

namespace {

using ui::EventKind;

}  // namespace

ChannelSetupDialog::ChannelSetupDialog(int server_number, ServerConfig &server, int32_t channel_id,
                                       const char *channel_name)
    : server_number_(server_number), server_(server) {
    channel_.channel_id = channel_id;
    channel_.channel_name = channel_name ? channel_name : "";
}

int ChannelSetupDialog::template_id() const { return IDD_CHANNEL_SETUP; }

const std::vector<ChannelSetupDialog::TableRow> &ChannelSetupDialog::events() {
    static const std::vector<TableRow> table = {
        {EventKind::init, 0, &ChannelSetupDialog::initialise},
        {EventKind::connect_step, 0, &ChannelSetupDialog::connect_step},
        {EventKind::command, ui::kIdOk, &ChannelSetupDialog::confirm},
        {EventKind::command, ui::kIdCancel, &ChannelSetupDialog::cancel},
        {EventKind::node_expanding, IDC_BROWSE_TREE, &ChannelSetupDialog::expanding},
        {EventKind::double_clicked, IDC_BROWSE_TREE, &ChannelSetupDialog::double_click},
    };
    return table;
}

void ChannelSetupDialog::initialise(ui::DialogWindow &window, const ui::Event &) {
    ui::Tree &tree = window.tree(IDC_BROWSE_TREE);
    tree.use_shared_images();
    char label[32];
    std::snprintf(label, sizeof label, "OPC%d", server_number_);
    window.set_text(IDC_SERVER_NUMBER, label);
    window.set_text(IDC_SERVER_PROGID, server_.progid);
    window.set_text(IDC_SERVER_DESCRIPTION, server_.description);
    window.set_text(IDC_SERVER_HOSTNAME, server_.hostname);

    channel_.item_id.clear();
    channel_.access_path.clear();
    // The lookup may bind a channel known by name only to its number.
    if (const Channel *found = lookup_channel(server_, channel_.channel_id, channel_.channel_name.c_str())) {
        channel_.item_id = found->item_id;
        channel_.access_path = found->access_path;
    }
    window.set_text(IDC_CHANNEL_NAME, channel_.channel_name);
    window.set_text(IDC_ITEM_ID, channel_.item_id);
    window.set_text(IDC_ACCESS_PATH, channel_.access_path);

    view_ = std::make_unique<BrowseView>(tree);
    window.focus(IDC_ITEM_ID);
    window.post_connect_step();
}

void ChannelSetupDialog::connect_step(ui::DialogWindow &window, const ui::Event &) {
    ui::TreeNode root = run_connect_step(window, server_, *view_);
    // The item ID as the channel had it when the dialog opened, not what was typed since.
    if (view_->can_browse()) view_->locate_item_id(channel_.item_id, root, false);
}

void ChannelSetupDialog::confirm(ui::DialogWindow &window, const ui::Event &) {
    channel_.item_id = window.text(IDC_ITEM_ID, kEditText);
    channel_.access_path = window.text(IDC_ACCESS_PATH, kEditText);
    store_channel(server_, channel_);
    window.end(ui::kIdOk);
}

void ChannelSetupDialog::cancel(ui::DialogWindow &window, const ui::Event &) { window.end(ui::kIdCancel); }

void ChannelSetupDialog::expanding(ui::DialogWindow &, const ui::Event &event) {
    if (view_ && event.node) view_->on_expanding(event.node);
}

void ChannelSetupDialog::double_click(ui::DialogWindow &window, const ui::Event &) {
    if (!view_) return;
    ui::Tree &tree = window.tree(IDC_BROWSE_TREE);
    ui::TreeNode node = tree.selection();
    if (!node || !tree.parent(node)) return;  // nothing, or the root
    std::string item_id;
    if (!view_->item_id_of_node(node, item_id)) return;
    window.set_text(IDC_ITEM_ID, item_id);
    window.set_text(IDC_ACCESS_PATH, "");
}

}  // namespace tagcfg
