#pragma once

#include "dialogs/dialog.h"
#include "tagcfg.h"

namespace tagcfg {

// Runs the dialog modally from the library's own template over the parent window: the value the
// dialog ended with, or -1 when the dialog cannot be created (always, where there is no window
// system).
int run_dialog(DialogObject &dialog, tagcfg_window parent);

}  // namespace tagcfg
