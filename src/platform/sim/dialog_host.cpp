// Without a window system no dialog can be created. Native tests run dialogs through the
// in-memory host instead (memory_dialog.h).
#include "dialogs/dialog_host.h"

namespace tagcfg {

int run_dialog(DialogObject &, tagcfg_window) { return -1; }

}  // namespace tagcfg
