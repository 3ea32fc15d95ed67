// Dialogs in memory, for native tests and benchmarks: the real dialog objects and event tables, with
// controls kept in memory; a user's action raises the event the window system would raise for it.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dialogs/dialog.h"
#include "dialogs/dialog_host.h"
#include "platform/memory/memory_list.h"
#include "platform/memory/memory_tree.h"

namespace tagcfg::ui {

class MemoryDialog : public DialogWindow {
public:
    explicit MemoryDialog(EventTarget &target) : target_(target) {}

    void set_text(int control, const std::string &text) override { texts_[control] = text; }
    std::string text(int control, size_t capacity) override;
    void enable(int control, bool enabled) override;
    void focus(int control) override { focus_ = control; }
    Tree &tree(int control) override { return memory_tree(control); }
    ListView &list(int control) override { return memory_list(control); }
    std::string load_string(int id, size_t capacity) override;
    int message_box(const std::string &text, const std::string &caption, unsigned style) override;
    void post_connect_step() override { posted_.push_back({EventKind::connect_step}); }
    bool escape_pressed() override;
    void *show_wait_cursor() override;
    void restore_cursor(void *) override {}
    void end(int result) override {
        if (!ended()) result_ = result;
    }
    void *native_handle() override { return nullptr; }

    // A disabled button cannot be clicked.
    void click(int control) {
        if (enabled(control)) act({EventKind::command, control});
    }
    void double_click(int control) { act({EventKind::double_clicked, control}); }
    void select_node(int tree_control, TreeNode node);
    // An event as the window system would raise it, also where no user action leads to it.
    void raise(const Event &event) {
        if (!ended()) target_.dispatch(*this, event);
    }
    // A key pressed while the dialog is busy: it waits, as WM_KEYDOWN would, until a handler
    // takes it with escape_pressed().
    void press_key(int virtual_key) { keys_.push_back(virtual_key); }

    MemoryTree &memory_tree(int control);
    MemoryList &memory_list(int control);
    bool enabled(int control) const { return disabled_.count(control) == 0; }
    int focused() const { return focus_; }
    bool ended() const { return result_ >= 0; }
    // The message boxes shown, each as "style|caption|text".
    const std::vector<std::string> &messages() const { return shown_; }
    bool wait_cursor_shown() const { return wait_cursors_ > 0; }
    int key_checks() const { return key_checks_; }
    // Answers for the next message boxes, oldest first; IDOK when none is left.
    std::deque<int> answers;

private:
    friend class MemoryDialogHost;
    // The event, then what its handlers posted, as the message loop takes them.
    void act(const Event &event);

    EventTarget &target_;  // not owned: the dialog object, which outlives its window
    std::map<int, std::string> texts_;
    std::set<int> disabled_;
    std::map<int, MemoryTree> trees_;
    std::map<int, MemoryList> lists_;
    std::deque<Event> posted_;
    std::deque<int> keys_;
    int key_checks_ = 0;
    std::vector<std::string> shown_;
    int focus_ = 0;
    int wait_cursors_ = 0;
    int result_ = -1;  // until the dialog ends
};

// Runs dialogs as the real host does: registered for the thread, bound at the first message,
// initialised, the posted connect step taken, then the user's actions until the dialog ends.
class MemoryDialogHost : public DialogHost {
public:
    using User = std::function<void(MemoryDialog &)>;

    MemoryDialogHost() = default;
    // For the dialogs that another dialog opens.
    explicit MemoryDialogHost(User user) : user_(std::move(user)) {}

    // The user acts on the open dialog, then closes it as the close box does (IDCANCEL) unless it
    // has ended; returns what it ended with, or -1 when it did not end.
    int run(DialogObject &dialog, const User &user);
    // Without a user the dialog cannot be created.
    int run(DialogObject &dialog, DialogWindow &) override { return user_ ? run(dialog, user_) : -1; }

private:
    User user_;
};

}  // namespace tagcfg::ui
