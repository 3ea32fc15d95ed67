// Without a window system no dialog can be created. Native tests run dialogs through the
// in-memory host of their test support instead.
#include "platform/modal_dialog.h"

namespace tagcfg::ui {

int run_modal_dialog(int, void *, EventTarget &) { return -1; }

}  // namespace tagcfg::ui
