// Acting on modal dialogs from the thread that runs them.
//
// A DialogScript arms a thread timer (SetTimer with no window) before the test calls
// DialogBoxParamA or anything that shows a message box. The timer keeps firing inside those
// modal loops; on the first tick at which a dialog of this thread with the expected caption is
// visible, the script's action runs there, on the dialog's own thread, with no race. Everything
// is bounded: past its deadline a script ends every dialog of the thread with IDABORT, so a test
// that goes wrong fails instead of hanging. Nothing here depends on focus or on a foreground
// window, which a bare X server without a window manager does not give.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace wintest {

class DialogScript {
public:
    DialogScript(std::string caption, std::function<void(HWND dialog)> action, DWORD deadline_ms = 15000);
    ~DialogScript();
    DialogScript(const DialogScript &) = delete;
    DialogScript &operator=(const DialogScript &) = delete;

    bool ran() const { return ran_; }
    bool timed_out() const { return timed_out_; }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD);
    void on_tick();

    std::string caption_;
    std::function<void(HWND)> action_;
    DWORD started_;
    DWORD deadline_ms_;
    UINT_PTR timer_ = 0;
    bool ran_ = false;
    bool timed_out_ = false;
};

// Arms a script for the dialog with that caption, then calls open, which shows it modally (a click
// that runs a nested dialog, an export); true when the action ran before the deadline.
bool act_on_dialog(const std::string &caption, std::function<void(HWND dialog)> action,
                   const std::function<void()> &open, DWORD deadline_ms = 15000);

// A visible dialog window (class "#32770") of the calling thread with this caption, or null.
HWND find_thread_dialog(const std::string &caption);

std::string class_name(HWND window);
std::string window_text(HWND window);

// Control texts: set sends WM_SETTEXT, type sends one WM_CHAR per byte as a keyboard would.
bool set_text(HWND dialog, int id, const std::string &text);
bool type_text(HWND dialog, int id, const std::string &text);
std::string control_text(HWND dialog, int id);

// A button click as the dialog sees it: WM_COMMAND with BN_CLICKED from that control.
bool click(HWND dialog, int id);

// Presses a button (IDOK, IDYES, IDNO, ...) of this thread's message box with that caption.
bool answer_message_box(const std::string &caption, int button);

// A tree view's items, depth first, each indented by two blanks per level.
std::vector<std::string> tree_lines(HWND tree);
std::string tree_item_text(HWND tree, HTREEITEM item);
// The selected item as the texts from the root down, joined by "/"; empty when none is selected.
std::string selected_tree_path(HWND tree);
// The item at a "/"-separated path below the root ("" is the root), opening every item on the
// way as a click on its expand button would; null when a name is not found.
HTREEITEM open_path(HWND tree, const std::string &path);
// Selects the item, then tells the dialog its tree was double-clicked, as the tree itself does.
void double_click_tree(HWND dialog, int tree_id, HTREEITEM item);
// One column of a list view, row by row.
std::vector<std::string> list_column(HWND list, int column);

struct Screenshot {
    unsigned width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top row first, three bytes a pixel
    size_t distinct_colours() const;
};

// The window as it is on screen, frame included, from its window DC.
bool capture_window(HWND window, Screenshot &shot);
bool save_png(const Screenshot &shot, const std::string &path);
// build/<preset>/screenshots/<name>, the folder made when missing.
std::string screenshot_path(const char *name);
// Captures the dialog, checks it is not blank and saves it there.
void save_screenshot(HWND dialog, const char *name);

// The controls of a message box: its text and its icon.
constexpr int kMessageBoxText = 0xFFFF;
constexpr int kMessageBoxIcon = 0x0440;

}  // namespace wintest
