// The channel setup dialog: binds one channel of a server to an OPC item, picked from the
// server's address space or typed.
#pragma once

#include <string>

#include "dialogs/dialog.h"
#include "model/channel_table.h"
#include "opc/browse_view.h"

namespace tagcfg {

class ChannelSetupDialog : public TableDialog<ChannelSetupDialog> {
public:
    // The server is borrowed for the length of the dialog; the name is copied.
    ChannelSetupDialog(int server_number, ServerConfig &server, int32_t channel_id, const char *channel_name);

    static const std::vector<TableRow> &events();
    int template_id() const override;

    // The item ID the dialog holds: after OK, the one stored for the channel.
    const std::string &item_id() const { return channel_.item_id; }

private:
    void initialise(ui::DialogWindow &window, const ui::Event &event);
    void connect_step(ui::DialogWindow &window, const ui::Event &event);
    void confirm(ui::DialogWindow &window, const ui::Event &event);
    void cancel(ui::DialogWindow &window, const ui::Event &event);
    void expanding(ui::DialogWindow &window, const ui::Event &event);
    void double_click(ui::DialogWindow &window, const ui::Event &event);

    int server_number_;
    ServerConfig &server_;  // not owned: borrowed for the length of the dialog
    ChannelValue channel_;
    std::unique_ptr<BrowseView> view_;  // made with the window's tree at initialisation
};

}  // namespace tagcfg
