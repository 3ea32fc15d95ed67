// The server list dialog: one row for each slot of the environment's server table, where the
// user adds, changes or removes servers and chooses the one the host asked for. Every change
// reaches the environment as soon as the user confirms it; leaving with Exit undoes nothing.
#pragma once

#include "dialogs/dialog.h"
#include "dialogs/dialog_host.h"
#include "model/environment.h"

namespace tagcfg {

class ServerListDialog : public TableDialog<ServerListDialog> {
public:
    // The environment is borrowed for the length of the dialog; server_number is the slot to
    // preselect. Add and Change open the server picker through `pickers`.
    ServerListDialog(Environment &env, int server_number, DialogHost &pickers = window_host())
        : env_(env), server_number_(server_number), pickers_(pickers) {}

    static const std::vector<TableRow> &events();
    int template_id() const override;

    // The slot chosen with Select, or -1 after Exit.
    int server_number() const { return server_number_; }

private:
    void initialise(ui::DialogWindow &window, const ui::Event &event);
    void add(ui::DialogWindow &window, const ui::Event &event);
    void change(ui::DialogWindow &window, const ui::Event &event);
    void remove(ui::DialogWindow &window, const ui::Event &event);
    void confirm(ui::DialogWindow &window, const ui::Event &event);
    void exit(ui::DialogWindow &window, const ui::Event &event);
    void item_changed(ui::DialogWindow &window, const ui::Event &event);

    // Picks a server and puts it in slot `index`, growing the table when the slot is new.
    void add_or_change(ui::DialogWindow &window, int index);
    // Shows slot `index` in its row, inserting the row when the list is shorter.
    void fill_row(ui::DialogWindow &window, int index);
    void update_buttons(ui::DialogWindow &window);
    int slot_count() const { return static_cast<int>(env_.servers.size()); }
    bool configured(int index) const { return server_at(&env_, index) != nullptr; }
    bool can_add() const { return slot_count() <= kHighestServerNumber; }
    // Asks the warning before a configured slot changes; true when the user answers Yes.
    bool agreed_to_change(ui::DialogWindow &window, unsigned default_button);

    Environment &env_;  // not owned: borrowed for the length of the dialog
    int server_number_;
    DialogHost &pickers_;  // not owned: outlives the dialog (the window system's host, or a test's)
};

}  // namespace tagcfg
