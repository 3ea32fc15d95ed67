#include "dialog_driver.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "win_support.h"

namespace wintest {
namespace {

constexpr DWORD kDeadlineMs = 60000;

// Thread timers carry no user data: their ids lead back to the scripts of this thread.
thread_local std::map<UINT_PTR, DialogScript *> t_scripts;

std::string item_text(HWND tree, HTREEITEM item) {
    char text[260] = "";
    TVITEMA data{TVIF_TEXT, item, 0, 0, text, sizeof text, 0, 0, 0, 0};
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

}  // namespace

DialogScript::DialogScript(std::string caption, std::function<void(HWND)> action)
    : caption_(std::move(caption)), action_(std::move(action)), started_(GetTickCount()),
      timer_(SetTimer(nullptr, 0, 20, &DialogScript::tick)) {
    t_scripts[timer_] = this;
}

DialogScript::~DialogScript() {
    stop();
    EXPECT_TRUE(dialog_ && !timed_out_) << "no timely \"" << caption_ << "\" dialog";
}

void DialogScript::stop() {
    KillTimer(nullptr, timer_);
    t_scripts.erase(timer_);
    timer_ = 0;
}

void CALLBACK DialogScript::tick(HWND, UINT, UINT_PTR id, DWORD) {
    if (!t_scripts.count(id)) return;
    DialogScript &script = *t_scripts[id];
    if (!script.dialog_) {
        script.dialog_ = find_thread_dialog(script.caption_.c_str());
        // Set before the action runs: it may open a nested modal loop that ticks again.
        if (script.dialog_) return script.action_(script.dialog_);
    }
    // Once its dialog is gone the script is done with, and the deadline no longer applies.
    if (script.dialog_ && !IsWindow(script.dialog_)) return script.stop();
    if (GetTickCount() - script.started_ < kDeadlineMs) return;
    script.timed_out_ = true;
    script.stop();
    for (HWND open; (open = find_thread_dialog(nullptr));) EndDialog(open, IDABORT);  // EndDialog hides it
}

HWND find_thread_dialog(const char *caption) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", nullptr));)
        if (IsWindowVisible(window) && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() &&
            (!caption || window_text(window) == caption))
            return window;
    return nullptr;
}

std::string window_text(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool click(HWND dialog, int id) {
    if (!enabled(dialog, id)) return false;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    return true;
}

std::vector<std::string> children(HWND tree, HTREEITEM item) {
    std::vector<std::string> texts;
    HTREEITEM child = item ? TreeView_GetChild(tree, item) : TreeView_GetRoot(tree);
    for (; child; child = TreeView_GetNextSibling(tree, child)) texts.push_back(item_text(tree, child));
    return texts;
}

HTREEITEM select_path(HWND dialog, int tree_id, const std::string &path) {
    HWND tree = GetDlgItem(dialog, tree_id);
    HTREEITEM item = TreeView_GetRoot(tree);
    for (size_t start = 0; item && start < path.size();) {
        size_t end = std::min(path.find('/', start), path.size());
        TreeView_Expand(tree, item, TVE_EXPAND);
        item = TreeView_GetChild(tree, item);
        while (item && item_text(tree, item) != path.substr(start, end - start))
            item = TreeView_GetNextSibling(tree, item);
        start = end + 1;
    }
    EXPECT_NE(item, nullptr) << "no item " << path;
    TreeView_SelectItem(tree, item);
    return item;
}

std::vector<std::string> list_column(HWND list, int column) {
    std::vector<std::string> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        char text[260] = "";
        ListView_GetItemText(list, row, column, text, sizeof text);
        rows.push_back(text);
    }
    return rows;
}

void save_screenshot(HWND dialog, const char *name) {
    RECT frame{};
    GetWindowRect(dialog, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC screen = GetWindowDC(dialog), memory = CreateCompatibleDC(screen);
    HBITMAP shot = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, shot);
    EXPECT_TRUE(BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY));
    std::set<COLORREF> colours;
    for (int y = 0; y < height; y += 2)
        for (int x = 0; x < width; x += 2) colours.insert(GetPixel(memory, x, y));
    EXPECT_GT(colours.size(), 4u) << name << " is blank";
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(dialog, screen);

    const std::string folder = executable_directory() + "\\..\\screenshots";
    CreateDirectoryA(folder.c_str(), nullptr);
    const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    ULONG_PTR gdiplus = 0;
    Gdiplus::GdiplusStartupInput startup;
    Gdiplus::GdiplusStartup(&gdiplus, &startup, nullptr);
    Gdiplus::GpBitmap *image = nullptr;
    Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(shot, nullptr, &image);
    const std::filesystem::path path = folder + "\\" + name;
    EXPECT_EQ(Gdiplus::DllExports::GdipSaveImageToFile(image, path.c_str(), &png, nullptr), Gdiplus::Ok) << name;
    Gdiplus::DllExports::GdipDisposeImage(image);
    Gdiplus::GdiplusShutdown(gdiplus);
    DeleteObject(shot);
}

}  // namespace wintest
