// Acting on modal dialogs from the thread that runs them: a DialogScript's thread timer keeps firing
// inside the modal loops of the export under test and runs its action on the first visible dialog
// of this thread with the caption. Past a deadline it ends them all with IDABORT, so a test that
// goes wrong fails instead of hanging. Nothing needs focus, which a bare X server does not give.
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
    ~DialogScript();  // fails the test unless the action ran before the deadline
    DialogScript(const DialogScript &) = delete;
    DialogScript &operator=(const DialogScript &) = delete;

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

std::vector<std::string> list_column(HWND list, int column = 0);

// Captures the dialog from the screen, checks that it is not blank, and saves it through GDI+'s
// PNG encoder as build/<preset>/screenshots/<name>.
void save_screenshot(HWND dialog, const char *name);

// The controls of a message box: its text and its icon.
constexpr int kMessageBoxText = 0xFFFF;
constexpr int kMessageBoxIcon = 0x0440;

}  // namespace wintest
