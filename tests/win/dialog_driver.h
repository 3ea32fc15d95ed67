// Acting on modal dialogs from the thread that runs them. A DialogScript arms a thread timer before
// the test calls an export that shows a dialog or a message box; the timer keeps firing inside
// their modal loops, and at the first tick at which a visible dialog of this thread has the
// caption, the action runs there, with no race. Past its deadline a script ends every dialog of
// the thread with IDABORT, so a test that goes wrong fails instead of hanging. Nothing here needs
// focus or a foreground window, which a bare X server without a window manager does not give.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace wintest {

class DialogScript {
public:
    DialogScript(std::string caption, std::function<void(HWND dialog)> action);
    ~DialogScript() { stop(); }
    DialogScript(const DialogScript &) = delete;
    DialogScript &operator=(const DialogScript &) = delete;
    bool done() const { return dialog_ && !timed_out_; }  // the action ran, before the deadline

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD);
    void stop();

    std::string caption_;
    std::function<void(HWND)> action_;
    DWORD started_;
    UINT_PTR timer_;
    HWND dialog_ = nullptr;  // the dialog the action ran on
    bool timed_out_ = false;
};

// A visible dialog of the calling thread with this caption, or null.
HWND find_thread_dialog(const std::string &caption);
std::string window_text(HWND window);
std::string control_text(HWND dialog, int id);
bool enabled(HWND dialog, int id);
// A button click as the dialog sees it, WM_COMMAND with BN_CLICKED; false on a disabled button.
bool click(HWND dialog, int id);

// The texts of an item's children; of the roots for null.
std::vector<std::string> children(HWND tree, HTREEITEM item);
// Opens each item on the way to a "/"-separated path below the root, as its expand button does
// (TVN_ITEMEXPANDING), then selects the path's item (TVN_SELCHANGED) and returns it.
HTREEITEM select_path(HWND dialog, int tree_id, const std::string &path);
// Selects the item, then sends the dialog the tree's NM_DBLCLK.
void double_click_path(HWND dialog, int tree_id, const std::string &path);

// One column of a list view, row by row.
std::vector<std::string> list_column(HWND list, int column = 0);

// Captures the dialog from the screen, checks that it is not blank, and saves it through GDI+'s
// PNG encoder as build/<preset>/screenshots/<name>.
void save_screenshot(HWND dialog, const char *name);

// The controls of a message box: its text and its icon.
constexpr int kMessageBoxText = 0xFFFF;
constexpr int kMessageBoxIcon = 0x0440;

}  // namespace wintest
