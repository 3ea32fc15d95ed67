// A DialogScript's thread timer fires inside the modal loops of the export under test and acts on
// this thread's dialog with the caption, so nothing needs the focus a bare X server does not give.
// Past a deadline it ends every dialog with IDABORT: a test that goes wrong fails, never hangs.
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

// A visible dialog of the calling thread with this caption (any for null), or null.
HWND find_thread_dialog(const char *caption);
std::string window_text(HWND window);
inline std::string control_text(HWND dialog, int id) { return window_text(GetDlgItem(dialog, id)); }
inline bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }
// A button click as the dialog sees it, WM_COMMAND with BN_CLICKED; false on a disabled button.
bool click(HWND dialog, int id);

// The texts of an item's children; of the roots for null.
std::vector<std::string> children(HWND tree, HTREEITEM item);
// Expands each item on the way to a "/"-separated path below the root, then selects its item.
HTREEITEM select_path(HWND dialog, int tree_id, const std::string &path);

std::vector<std::string> list_column(HWND list, int column = 0);

// Saves the dialog as on the screen, not blank, as build/<preset>/screenshots/<name>.
void save_screenshot(HWND dialog, const char *name);

constexpr int kMessageBoxText = 0xFFFF;
constexpr int kMessageBoxIcon = 0x0440;

}  // namespace wintest
