// The dialog object and its event table. A dialog is one object that owns its data and one fixed
// table of the events it handles; the hosts (real windows, or in memory for tests) hand it their
// events, and TableDialog's dispatch() walks the table from the top.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/dialog_events.h"

namespace tagcfg {

class DialogObject : public ui::EventTarget {
public:
    // The template this dialog is made from.
    virtual int template_id() const = 0;
};

// The buffers every dialog loads its texts into, and the longest texts it takes from its controls
// and from the network.
constexpr size_t kCaptionText = 80;   // titles, captions, labels, column headers
constexpr size_t kMessageText = 256;  // the texts of message boxes
constexpr size_t kEditText = 1024;    // an item ID or access path typed: at most 1023 bytes are taken
constexpr size_t kNameText = 260;     // computer names

template <typename Dialog>
struct EventRow {
    ui::EventKind kind;
    int control;  // 0 for init and connect_step, which come from no control
    void (Dialog::*handler)(ui::DialogWindow &, const ui::Event &);
};

// A dialog whose events go to its own table, Dialog::events(), walked from the top: the handler of
// the first row with the event's kind and control runs and leaves the event handled. An event no
// row takes is the host's, which does with it what it does by default.
template <typename Dialog>
class TableDialog : public DialogObject {
public:
    bool dispatch(ui::DialogWindow &window, const ui::Event &event) final {
        for (const TableRow &row : Dialog::events()) {
            if (row.kind != event.kind || row.control != event.control) continue;
            (static_cast<Dialog &>(*this).*row.handler)(window, event);
            return true;
        }
        return false;
    }

protected:
    using TableRow = EventRow<Dialog>;
};

}  // namespace tagcfg
