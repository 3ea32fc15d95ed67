// The wait cursor around a long platform call (creating a server object, walking a registry or the
// network), and the previous cursor back however the call ends.
#pragma once

#include "platform/ui.h"

namespace tagcfg {

class WaitCursor {
public:
    explicit WaitCursor(ui::DialogWindow &window) : window_(window), previous_(window.show_wait_cursor()) {}
    ~WaitCursor() { window_.restore_cursor(previous_); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    ui::DialogWindow &window_;  // not owned: the dialog's window, which outlives every handler
    void *previous_;            // the cursor's token from show_wait_cursor
};

}  // namespace tagcfg
