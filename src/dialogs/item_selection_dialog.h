// The item selection dialog: the user picks many items of a server's address space at once, for
// the automatic building of channels.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "dialogs/dialog.h"
#include "opc/browse_view.h"

namespace tagcfg {

class ItemSelectionDialog : public TableDialog<ItemSelectionDialog> {
public:
    // The server and the list are borrowed for the length of the dialog; OK fills the list.
    ItemSelectionDialog(ServerConfig &server, std::vector<std::string> &items);
    ~ItemSelectionDialog() override;

    static const std::vector<TableRow> &events();
    int template_id() const override;

private:
    // A row's whole text beside its case-folded key. The list view only shows the rows: it is
    // never read back, so an item ID keeps every byte however long it is.
    struct Row {
        std::string text;
        std::string key;
    };

    void initialise(ui::DialogWindow &window, const ui::Event &event);
    void connect_step(ui::DialogWindow &window, const ui::Event &event);
    void confirm(ui::DialogWindow &window, const ui::Event &event);
    void cancel(ui::DialogWindow &window, const ui::Event &event);
    void add(ui::DialogWindow &window, const ui::Event &event);
    void remove(ui::DialogWindow &window, const ui::Event &event);
    void move_up(ui::DialogWindow &window, const ui::Event &event);
    void move_down(ui::DialogWindow &window, const ui::Event &event);
    void expanding(ui::DialogWindow &window, const ui::Event &event);
    void double_click(ui::DialogWindow &window, const ui::Event &event);
    void item_changed(ui::DialogWindow &window, const ui::Event &event);

    // The row holding the item ID, appended when no row holds it without regard to case.
    int add_item_id(ui::ListView &list, const std::string &item_id);
    void add_branch(ui::DialogWindow &window, ui::ListView &list, ui::TreeNode node);
    void insert_row(ui::ListView &list, int index, Row row);
    Row erase_row(ui::ListView &list, int index);
    void move_selected(ui::DialogWindow &window, int step);
    void update_buttons(ui::DialogWindow &window);

    ServerConfig &server_;             // not owned: borrowed for the length of the dialog
    std::vector<std::string> &items_;  // not owned: the caller's list, filled by OK
    bool initialising_ = true;
    // Not owned: the window's tree, known from initialisation on; gone with the window at its
    // WM_NCDESTROY, so used only from the window's events.
    ui::Tree *tree_ = nullptr;
    std::unique_ptr<BrowseView> view_;  // made with the window's tree at initialisation
    std::vector<Row> rows_;
    std::unordered_map<std::string, size_t> row_of_key_;  // so adding many items stays linear
};

}  // namespace tagcfg
