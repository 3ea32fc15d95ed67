#include "dialogs/item_selection_dialog.h"

#include "resource_ids.h"

namespace tagcfg {

ItemSelectionDialog::ItemSelectionDialog(ServerConfig &server, std::vector<std::string> &items)
    : server_(server), items_(items) {}

int ItemSelectionDialog::template_id() const { return IDD_ITEM_SELECTION; }

// Not built yet: handles nothing, so the dialog can only be closed.
bool ItemSelectionDialog::dispatch(ui::DialogWindow &, const Message &) { return false; }

}  // namespace tagcfg
