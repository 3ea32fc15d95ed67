// The dialog object and its event table. A dialog is one object that owns its data and one fixed
// table of the events it handles; the hosts (real windows, or in memory for tests) hand it their
// events, and dispatch() walks the table from the top.
#pragma once

#include <cstddef>

#include "platform/dialog_events.h"

namespace tagcfg {

class DialogObject : public ui::EventTarget {
public:
    // The template this dialog is made from.
    virtual int template_id() const = 0;
};

template <typename Dialog>
struct EventRow {
    ui::EventKind kind;
    int control;  // 0 for init and connect_step, which come from no control
    void (Dialog::*handler)(ui::DialogWindow &, const ui::Event &);
};

// Runs the handler of the first row with the event's kind and control, which leaves the event
// handled; false when no row has them, and the host does with the event what it does by default.
template <typename Dialog, size_t N>
bool dispatch_table(const EventRow<Dialog> (&table)[N], Dialog &dialog, ui::DialogWindow &window,
                    const ui::Event &event) {
    for (const EventRow<Dialog> &row : table) {
        if (row.kind != event.kind || row.control != event.control) continue;
        (dialog.*row.handler)(window, event);
        return true;
    }
    return false;
}

}  // namespace tagcfg
