// Modal dialogs from the library's own templates. A window is bound to its event target (the
// dialog object) at its first message, through the creation list; from then on the window's
// DWLP_USER slot leads every message, translated into an event, to the target (a binding that is
// the same on 32 and 64 bits).
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/creation_list.h"
#include "platform/modal_dialog.h"
#include "platform/win32/controls.h"
#include "platform/win32/module_resources.h"

namespace tagcfg::ui {

namespace {

constexpr UINT kConnectStep = WM_USER + 1;

class Win32DialogWindow : public DialogWindow {
public:
    Win32DialogWindow(HWND window, EventTarget &target) : window_(window), target_(target) {}
    EventTarget &target() { return target_; }

    void set_text(int control, const std::string &text) override { SetDlgItemTextA(window_, control, text.c_str()); }
    std::string text(int control, size_t capacity) override {
        std::vector<char> buffer(capacity ? capacity : 1, 0);
        GetDlgItemTextA(window_, control, buffer.data(), static_cast<int>(buffer.size()));
        buffer.back() = 0;
        return buffer.data();
    }
    void enable(int control, bool enabled) override { EnableWindow(GetDlgItem(window_, control), enabled); }
    void focus(int control) override { SetFocus(GetDlgItem(window_, control)); }
    Tree &tree(int control) override { return control_of(trees_, control); }
    ListView &list(int control) override { return control_of(lists_, control); }
    std::string load_string(int id, size_t capacity) override {
        std::vector<char> buffer(capacity ? capacity : 1, 0);
        LoadStringA(module_instance(), static_cast<UINT>(id), buffer.data(), static_cast<int>(buffer.size()));
        buffer.back() = 0;
        return buffer.data();
    }
    int message_box(const std::string &text, const std::string &caption, unsigned style) override {
        return MessageBoxA(window_, text.c_str(), caption.c_str(), style);
    }
    void post_connect_step() override { PostMessageA(window_, kConnectStep, 0, 0); }
    bool escape_pressed() override {
        MSG message;
        bool escape = false;
        while (PeekMessageA(&message, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE))
            escape = escape || message.wParam == VK_ESCAPE;
        return escape;
    }
    void *show_wait_cursor() override { return SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514))); }
    void restore_cursor(void *previous) override { SetCursor(static_cast<HCURSOR>(previous)); }
    void end(int result) override { EndDialog(window_, result); }
    void *native_handle() override { return window_; }

private:
    template <typename Control>
    Control &control_of(std::map<int, std::unique_ptr<Control>> &controls, int id) {
        auto &slot = controls[id];
        if (!slot) slot = std::make_unique<Control>(GetDlgItem(window_, id));
        return *slot;
    }

    HWND window_;          // not owned: the window, which deletes this object at its WM_NCDESTROY
    EventTarget &target_;  // not owned: the dialog object, which outlives its window
    std::map<int, std::unique_ptr<Win32Tree>> trees_;
    std::map<int, std::unique_ptr<Win32List>> lists_;
};

// The dialogs' events in the window system's words: the notifications that the common controls
// send to a dialog made with the ANSI functions. Every notification of a WM_COMMAND is a command.
Event translate(UINT message, WPARAM wparam, LPARAM lparam) {
    Event event;
    switch (message) {
    case WM_INITDIALOG: event.kind = EventKind::init; break;
    case kConnectStep: event.kind = EventKind::connect_step; break;
    case WM_COMMAND:
        event.kind = EventKind::command;
        event.control = LOWORD(wparam);
        break;
    case WM_NOTIFY: {
        auto *header = reinterpret_cast<NMHDR *>(lparam);
        event.control = static_cast<int>(header->idFrom);
        switch (header->code) {
        case TVN_ITEMEXPANDINGA:
            event.kind = EventKind::node_expanding;
            event.node = reinterpret_cast<TreeNode>(reinterpret_cast<NMTREEVIEWA *>(lparam)->itemNew.hItem);
            break;
        case NM_DBLCLK: event.kind = EventKind::double_clicked; break;
        case TVN_SELCHANGEDA: event.kind = EventKind::selection_changed; break;
        case LVN_ITEMCHANGED: event.kind = EventKind::list_item_changed; break;
        default: break;
        }
        break;
    }
    default: break;
    }
    return event;
}

// Messages whose result is the procedure's own return value rather than DWLP_MSGRESULT.
bool returns_directly(UINT message) {
    return message == WM_INITDIALOG || message == WM_COMPAREITEM || message == WM_VKEYTOITEM ||
           message == WM_CHARTOITEM || message == WM_QUERYDRAGICON ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

INT_PTR CALLBACK dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto *bound = reinterpret_cast<Win32DialogWindow *>(GetWindowLongPtrA(window, DWLP_USER));
    if (!bound) {
        EventTarget *target = take_creation();
        if (!target) return FALSE;
        bound = new Win32DialogWindow(window, *target);
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(bound));
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        delete bound;
        return FALSE;
    }
    // Nothing thrown may cross into the window system.
    bool handled = false;
    try {
        handled = bound->target().dispatch(*bound, translate(message, wparam, lparam));
    } catch (...) {
        handled = false;
    }
    if (!handled) return FALSE;
    if (returns_directly(message)) return 0;  // every handler's result is 0
    SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
    return TRUE;
}

}  // namespace

int run_modal_dialog(int template_id, void *parent, EventTarget &target) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    push_creation(&target);
    INT_PTR result = DialogBoxParamA(module_instance(), MAKEINTRESOURCEA(template_id), static_cast<HWND>(parent),
                                     dialog_procedure, 0);
    forget_creation(&target);
    return static_cast<int>(result);
}

}  // namespace tagcfg::ui
