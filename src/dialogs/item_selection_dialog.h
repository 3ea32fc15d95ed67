// The item selection dialog: the user picks many items of a server's address space at once, for
// the automatic building of channels.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dialogs/dialog.h"
#include "opc/browse_view.h"

namespace tagcfg {

class ItemSelectionDialog : public DialogObject {
public:
    // The server and the list are borrowed for the length of the dialog; OK fills the list.
    ItemSelectionDialog(ServerConfig &server, std::vector<std::string> &items);

    bool dispatch(ui::DialogWindow &window, const Message &message) override;
    int template_id() const override;

private:
    void initialise(ui::DialogWindow &window, const Message &message);
    void connect_step(ui::DialogWindow &window, const Message &message);
    void finish(ui::DialogWindow &window, const Message &message);
    void cancel(ui::DialogWindow &window, const Message &message);
    void add(ui::DialogWindow &window, const Message &message);
    void remove(ui::DialogWindow &window, const Message &message);
    void move_up(ui::DialogWindow &window, const Message &message);
    void move_down(ui::DialogWindow &window, const Message &message);
    void expanding(ui::DialogWindow &window, const Message &message);
    void double_click(ui::DialogWindow &window, const Message &message);
    void item_changed(ui::DialogWindow &window, const Message &message);

    ServerConfig &server_;
    std::vector<std::string> &items_;
    bool initialising_ = true;
    std::unique_ptr<BrowseView> view_;  // made with the window's tree at initialisation
};

}  // namespace tagcfg
