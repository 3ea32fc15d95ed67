// Running dialogs: over the window system for the host, and through a host that tests hand in for
// the dialogs that a dialog opens over itself.
#pragma once

#include "dialogs/dialog.h"

namespace tagcfg {

// Runs the dialog modally from the library's own template over the parent window (HWND; null for
// none): the value the dialog ended with, or -1 when the dialog cannot be created (always, where
// there is no window system).
int run_dialog(DialogObject &dialog, void *parent);

// How a dialog opens another one over itself.
class DialogHost {
public:
    virtual ~DialogHost() = default;
    // Runs the dialog modally over the owner's window: what it ended with, or -1 when it cannot
    // be created.
    virtual int run(DialogObject &dialog, ui::DialogWindow &owner) = 0;
};

// The window system's host: run_dialog over the owner's window.
DialogHost &window_host();

}  // namespace tagcfg
