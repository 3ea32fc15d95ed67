// Modal dialogs from the library's own templates, with their events handed to an object above.
#pragma once

#include "platform/dialog_events.h"

namespace tagcfg::ui {

// Runs the dialog made from template `template_id` modally over the parent window (HWND; null for
// none). The window binds to the target through the creation list at its first message and hands
// it every event from then on. Returns the value the dialog ended with, or -1 when the dialog
// cannot be created (always, where there is no window system).
int run_modal_dialog(int template_id, void *parent, EventTarget &target);

}  // namespace tagcfg::ui
