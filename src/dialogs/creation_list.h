// Ties a dialog window to its dialog object: the object is registered for the running thread
// just before the window is created, and the window takes the newest registration of its own
// thread at its first message. Dialogs on several threads may be created at the same time.
#pragma once

#include <cstdint>

#include "dialogs/dialog.h"

namespace tagcfg {

// Registers the object for the current thread.
void push_creation(DialogObject *dialog);

// Takes the newest registration of the current thread, or null.
DialogObject *take_creation();

// Drops the object's registration if no window took it (the window could not be created), so
// that a later dialog of the same thread never binds to an object that is gone.
void forget_creation(DialogObject *dialog);

}  // namespace tagcfg
