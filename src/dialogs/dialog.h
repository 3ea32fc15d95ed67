// The dialog object and its message table. A dialog is one object that owns its data and one
// fixed table of the messages it handles; the hosts (real windows, or in memory for tests) turn
// their messages into a Message and hand it to dispatch(), which walks the table from the top.
#pragma once

#include <cstddef>

#include "platform/ui.h"

namespace tagcfg {

enum class MessageKind {
    init_dialog,   // WM_INITDIALOG
    connect_step,  // WM_USER + 1, which a dialog posts to itself
    command,       // WM_COMMAND: control ID, notification code (not matched)
    notify,        // WM_NOTIFY: control ID and notification code
    other,         // anything else: never handled
};

// Notification codes of the common controls that the dialogs handle (the ANSI forms).
constexpr int kNmDoubleClick = -3;        // NM_DBLCLK
constexpr int kTvnItemExpanding = -405;   // TVN_ITEMEXPANDINGA
constexpr int kLvnItemChanged = -101;     // LVN_ITEMCHANGED
constexpr int kTvnSelChanged = -402;      // TVN_SELCHANGEDA

struct Message {
    MessageKind kind = MessageKind::other;
    int control = 0;
    int code = 0;
    ui::TreeNode node = nullptr;  // the node a tree notification is about
};

class DialogObject {
public:
    virtual ~DialogObject() = default;
    // Runs the handler of the first table row that matches; false when no row does.
    virtual bool dispatch(ui::DialogWindow &window, const Message &message) = 0;
    // The template this dialog is made from.
    virtual int template_id() const = 0;
};

template <typename Dialog>
struct MessageRow {
    MessageKind kind;
    int control;  // command and notify rows
    int code;     // notify rows
    void (Dialog::*handler)(ui::DialogWindow &, const Message &);
};

// Every handler returns 0 and leaves the message handled.
template <typename Dialog, size_t N>
bool dispatch_table(const MessageRow<Dialog> (&table)[N], Dialog &dialog, ui::DialogWindow &window,
                    const Message &message) {
    for (const MessageRow<Dialog> &row : table) {
        if (row.kind != message.kind) continue;
        if ((row.kind == MessageKind::command || row.kind == MessageKind::notify) && row.control != message.control)
            continue;
        if (row.kind == MessageKind::notify && row.code != message.code) continue;
        (dialog.*row.handler)(window, message);
        return true;
    }
    return false;
}

}  // namespace tagcfg
