// Ties a dialog window to the object that takes its events: the object is registered for the
// running thread just before the window is created, and the window takes the newest registration
// of its own thread at its first message. Dialogs on several threads may be created at the same
// time; the creation lock guards the list.
#pragma once

#include "platform/dialog_events.h"

namespace tagcfg::ui {

// Registers the target for the current thread.
void push_creation(EventTarget *target);

// Takes the newest registration of the current thread, or null.
EventTarget *take_creation();

// Drops the target's registration if no window took it (the window could not be created), so
// that a later dialog of the same thread never binds to an object that is gone.
void forget_creation(EventTarget *target);

}  // namespace tagcfg::ui
