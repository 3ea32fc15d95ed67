// Dialogs in memory, for native tests: the same dialog objects and message tables as on Windows,
// with controls kept in memory so that a test can click, type, expand and answer message boxes.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dialogs/dialog.h"
#include "platform/sim/memory_list.h"
#include "platform/sim/memory_tree.h"

namespace tagcfg::ui {

class MemoryDialog : public DialogWindow {
public:
    struct Control {
        std::string text;
        bool enabled = true;
    };
    struct ShownMessage {
        std::string text;
        std::string caption;
        unsigned style;
    };

    explicit MemoryDialog(DialogObject &dialog);

    // DialogWindow
    void set_text(int control, const std::string &text) override { controls_[control].text = text; }
    std::string text(int control, size_t capacity) override;
    void enable(int control, bool enabled) override;
    void focus(int control) override { focus_ = control; }
    Tree &tree(int control) override;
    ListView &list(int control) override;
    std::string load_string(int id, size_t capacity) override;
    int message_box(const std::string &text, const std::string &caption, unsigned style) override;
    void post_connect_step() override { posted_.push_back({EventKind::connect_step}); }
    bool escape_pressed() override;
    void *show_wait_cursor() override;
    void restore_cursor(void *previous) override;
    void end(int result) override;
    // A nested dialog runs through on_child, which tests set (for example to drive it through
    // another MemoryDialogHost); without one it cannot be created.
    int run_child(DialogObject &child) override { return on_child ? on_child(child) : -1; }
    std::function<int(DialogObject &)> on_child;

    // What a user does.
    void click(int control);
    void type(int control, const std::string &text) { controls_[control].text = text; }
    void double_click(int control);  // a tree or a list view
    void select_node(int tree_control, TreeNode node);
    // An event as the window system would raise it, also where no user action leads to it.
    void raise(const Event &event);
    // A key pressed while the dialog is busy: it waits, as WM_KEYDOWN would, until a handler
    // takes it with escape_pressed().
    void press_key(int virtual_key) { keys_.push_back(virtual_key); }

    // What a test looks at.
    MemoryTree &memory_tree(int control) { return trees_[control]; }
    MemoryList &memory_list(int control) { return lists_[control]; }
    bool enabled(int control) { return enabled_control(control); }
    int focused() const { return focus_; }
    bool ended() const { return ended_; }
    int result() const { return result_; }
    const std::vector<ShownMessage> &messages() const { return shown_; }
    bool wait_cursor_shown() const { return wait_cursors_ > 0; }
    size_t keys_waiting() const { return keys_.size(); }
    int key_checks() const { return key_checks_; }
    // Answers for the next message boxes, oldest first; IDOK when none is left.
    std::deque<int> answers;

private:
    friend class MemoryDialogHost;
    bool enabled_control(int control);
    void run_posted();

    DialogObject &dialog_;
    std::map<int, Control> controls_;
    std::map<int, MemoryTree> trees_;
    std::map<int, MemoryList> lists_;
    std::deque<Event> posted_;
    std::deque<int> keys_;
    int key_checks_ = 0;
    std::vector<ShownMessage> shown_;
    int focus_ = 0;
    int wait_cursors_ = 0;
    int cursor_depth_ = 0;
    bool ended_ = false;
    int result_ = -1;
};

// Runs dialogs as the real host does: registered for the thread, bound at the first message,
// initialised, the posted connect step taken, then the user's actions until the dialog ends.
class MemoryDialogHost {
public:
    // The user acts on the open dialog; returns what it ended with, or -1 when it did not end.
    int run(DialogObject &dialog, const std::function<void(MemoryDialog &)> &user);
    // As run, for a dialog whose window cannot be created.
    int run_failing(DialogObject &dialog);
};

}  // namespace tagcfg::ui
