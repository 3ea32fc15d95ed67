#include "dialog_driver.h"

#include <commctrl.h>

#include <map>
#include <set>

#include <gtest/gtest.h>

#include "png_file.h"
#include "test_files.h"

namespace wintest {
namespace {

// Thread timers carry no user data: their ids lead back to the scripts of this thread.
thread_local std::map<UINT_PTR, DialogScript *> t_scripts;

constexpr UINT kTickMs = 20;
constexpr int kMaxTreeItems = 10000;

struct DialogSearch {
    const std::string *caption;
    HWND found;
    std::vector<HWND> all;
};

BOOL CALLBACK collect_dialog(HWND window, LPARAM data) {
    auto search = reinterpret_cast<DialogSearch *>(data);
    if (class_name(window) != "#32770" || !IsWindowVisible(window)) return TRUE;
    search->all.push_back(window);
    if (search->caption && window_text(window) == *search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::vector<HWND> thread_dialogs() {
    DialogSearch search{nullptr, nullptr, {}};
    EnumThreadWindows(GetCurrentThreadId(), collect_dialog, reinterpret_cast<LPARAM>(&search));
    return search.all;
}

}  // namespace

DialogScript::DialogScript(std::string caption, std::function<void(HWND)> action, DWORD deadline_ms)
    : caption_(std::move(caption)), action_(std::move(action)), started_(GetTickCount()), deadline_ms_(deadline_ms) {
    timer_ = SetTimer(nullptr, 0, kTickMs, &DialogScript::tick);
    if (timer_) t_scripts[timer_] = this;
}

DialogScript::~DialogScript() {
    if (!timer_) return;
    KillTimer(nullptr, timer_);
    t_scripts.erase(timer_);
}

void CALLBACK DialogScript::tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = t_scripts.find(id);
    if (found != t_scripts.end()) found->second->on_tick();
}

void DialogScript::on_tick() {
    if (!ran_) {
        if (HWND dialog = find_thread_dialog(caption_)) {
            ran_ = true;  // before the action: it may open a nested modal loop that ticks again
            action_(dialog);
            return;
        }
    }
    if (GetTickCount() - started_ < deadline_ms_) return;
    timed_out_ = true;
    KillTimer(nullptr, timer_);
    t_scripts.erase(timer_);
    timer_ = 0;
    for (HWND dialog : thread_dialogs()) EndDialog(dialog, IDABORT);
}

bool act_on_dialog(const std::string &caption, std::function<void(HWND)> action, const std::function<void()> &open,
                   DWORD deadline_ms) {
    DialogScript script(caption, std::move(action), deadline_ms);
    open();
    return script.ran() && !script.timed_out();
}

HWND find_thread_dialog(const std::string &caption) {
    DialogSearch search{&caption, nullptr, {}};
    EnumThreadWindows(GetCurrentThreadId(), collect_dialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string class_name(HWND window) {
    char name[256];
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

std::string window_text(HWND window) {
    char text[1024];
    int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

bool set_text(HWND dialog, int id, const std::string &text) { return SetDlgItemTextA(dialog, id, text.c_str()); }

bool type_text(HWND dialog, int id, const std::string &text) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return false;
    for (unsigned char c : text) SendMessageA(control, WM_CHAR, c, 1);
    return true;
}

std::string control_text(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? window_text(control) : std::string();
}

bool click(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control || !IsWindowEnabled(control)) return false;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    return true;
}

bool answer_message_box(const std::string &caption, int button) {
    HWND box = find_thread_dialog(caption);
    if (!box || !GetDlgItem(box, button)) return false;
    return click(box, button);
}

std::string tree_item_text(HWND tree, HTREEITEM item) {
    char text[260] = "";
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

std::string selected_tree_path(HWND tree) {
    std::string path;
    for (HTREEITEM item = TreeView_GetSelection(tree); item; item = TreeView_GetParent(tree, item))
        path = tree_item_text(tree, item) + (path.empty() ? "" : "/" + path);
    return path;
}

HTREEITEM open_path(HWND tree, const std::string &path) {
    HTREEITEM item = TreeView_GetRoot(tree);
    size_t start = 0;
    while (item && start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        TreeView_Expand(tree, item, TVE_EXPAND);
        HTREEITEM child = TreeView_GetChild(tree, item);
        while (child && tree_item_text(tree, child) != path.substr(start, end - start))
            child = TreeView_GetNextSibling(tree, child);
        item = child;
        start = end + 1;
    }
    return item;
}

void double_click_tree(HWND dialog, int tree_id, HTREEITEM item) {
    HWND tree = GetDlgItem(dialog, tree_id);
    TreeView_SelectItem(tree, item);
    NMHDR header{tree, static_cast<UINT_PTR>(tree_id), static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(dialog, WM_NOTIFY, tree_id, reinterpret_cast<LPARAM>(&header));
}

std::vector<std::string> tree_lines(HWND tree) {
    std::vector<std::string> lines;
    std::vector<HTREEITEM> path;  // ancestors of the current item
    HTREEITEM item = TreeView_GetRoot(tree);
    while (item && lines.size() < kMaxTreeItems) {
        lines.push_back(std::string(path.size() * 2, ' ') + tree_item_text(tree, item));
        if (HTREEITEM child = TreeView_GetChild(tree, item)) {
            path.push_back(item);
            item = child;
            continue;
        }
        HTREEITEM next = TreeView_GetNextSibling(tree, item);
        while (!next && !path.empty()) {
            next = TreeView_GetNextSibling(tree, path.back());
            path.pop_back();
        }
        item = next;
    }
    return lines;
}

std::vector<std::string> list_column(HWND list, int column) {
    std::vector<std::string> rows;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count && row < kMaxTreeItems; ++row) {
        char text[260] = "";
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        rows.push_back(text);
    }
    return rows;
}

size_t Screenshot::distinct_colours() const {
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 2 < rgb.size() && colours.size() < 1000; i += 3)
        colours.insert(uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    return colours.size();
}

bool capture_window(HWND window, Screenshot &shot) {
    RECT frame;
    if (!GetWindowRect(window, &frame)) return false;
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) return false;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HDC window_dc = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(window_dc);
    HBITMAP dib = CreateDIBSection(window_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = memory && dib && bits;
    if (ok) {
        HGDIOBJ previous = SelectObject(memory, dib);
        ok = BitBlt(memory, 0, 0, width, height, window_dc, 0, 0, SRCCOPY);
        GdiFlush();
        SelectObject(memory, previous);
    }
    if (ok) {
        size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
        shot.width = width;
        shot.height = height;
        shot.rgb.resize(size_t(width) * height * 3);
        for (int y = 0; y < height; ++y) {
            auto row = static_cast<const uint8_t *>(bits) + stride * y;
            for (int x = 0; x < width; ++x) {  // the DIB keeps blue, green, red
                uint8_t *pixel = &shot.rgb[(size_t(y) * width + x) * 3];
                pixel[0] = row[x * 3 + 2];
                pixel[1] = row[x * 3 + 1];
                pixel[2] = row[x * 3];
            }
        }
    }
    if (dib) DeleteObject(dib);
    if (memory) DeleteDC(memory);
    ReleaseDC(window, window_dc);
    return ok;
}

bool save_png(const Screenshot &shot, const std::string &path) {
    return write_png(path, shot.width, shot.height, shot.rgb);
}

std::string screenshot_path(const char *name) {
    std::string directory = executable_directory() + "\\..\\screenshots";
    CreateDirectoryA(directory.c_str(), nullptr);
    return directory + "\\" + name;
}

void save_screenshot(HWND dialog, const char *name) {
    Screenshot shot;
    EXPECT_TRUE(capture_window(dialog, shot));
    EXPECT_GT(shot.distinct_colours(), 4u) << "the captured dialog is blank";
    EXPECT_TRUE(save_png(shot, screenshot_path(name)));
}

}  // namespace wintest
