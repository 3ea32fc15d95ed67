// What happens in a dialog, in the library's own words. The Win32 host translates window messages
// and control notifications into these events; the in-memory host raises them directly. Dialogs
// see nothing else of the window system's messages.
#pragma once

#include "platform/ui.h"

namespace tagcfg::ui {

enum class EventKind {
    init,               // the dialog's controls exist and it is about to be shown
    connect_step,       // the step a dialog posted to itself with post_connect_step
    command,            // a button or another control was used (any of its notifications)
    node_expanding,     // a tree node is about to open or close: the tree reports both alike
    double_clicked,     // a tree or a list view was double-clicked
    selection_changed,  // a tree's selected node changed
    list_item_changed,  // a list view row changed: its selection, its own text or its image
    other,              // anything else: no dialog handles it
};

struct Event {
    EventKind kind = EventKind::other;
    int control = 0;          // the control's ID; 0 for init and connect_step
    TreeNode node = nullptr;  // node_expanding: the node about to open or close
};

// Where a host hands the events of one dialog window: the dialog object, which outlives its window.
class EventTarget {
public:
    virtual ~EventTarget() = default;
    // False when nothing handles the event; the host then leaves it to the window system.
    virtual bool dispatch(DialogWindow &window, const Event &event) = 0;
};

}  // namespace tagcfg::ui
