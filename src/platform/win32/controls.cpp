#include "platform/win32/controls.h"

#include <commctrl.h>

#include <vector>

#include "platform/win32/module_resources.h"

namespace tagcfg::ui {

namespace {

HTREEITEM item(TreeNode node) { return reinterpret_cast<HTREEITEM>(node); }
TreeNode node_of(HTREEITEM item) { return reinterpret_cast<TreeNode>(item); }

// Reads a text through a message that fills a buffer of a given size, growing the buffer until
// the text fits, so that long names are never cut.
template <typename Read>
std::string read_whole(Read read) {
    std::vector<char> buffer(256);
    for (;;) {
        buffer[0] = 0;
        read(buffer.data(), static_cast<int>(buffer.size()));
        buffer.back() = 0;
        size_t length = strlen(buffer.data());
        if (length + 1 < buffer.size() || buffer.size() >= (1u << 20)) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 4);
    }
}

}  // namespace

TreeNode Win32Tree::insert(TreeNode parent, const std::string &text, int image, int child_count, intptr_t data) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent ? item(parent) : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    insert.item.pszText = const_cast<char *>(text.c_str());
    insert.item.iImage = insert.item.iSelectedImage = image;
    insert.item.cChildren = child_count;
    insert.item.lParam = static_cast<LPARAM>(data);
    return node_of(
        reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert))));
}

std::string Win32Tree::text(TreeNode node) {
    return read_whole([&](char *buffer, int size) {
        TVITEMA tv = {};
        tv.mask = TVIF_TEXT;
        tv.hItem = item(node);
        tv.pszText = buffer;
        tv.cchTextMax = size;
        SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    });
}

void Win32Tree::clear() { SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)); }

int Win32Tree::image(TreeNode node) { return read(node, TVIF_IMAGE).iImage; }

intptr_t Win32Tree::data(TreeNode node) { return static_cast<intptr_t>(read(node, TVIF_PARAM).lParam); }

TVITEMA Win32Tree::read(TreeNode node, UINT mask) {
    TVITEMA tv = {};
    tv.mask = mask;
    tv.hItem = item(node);
    SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    return tv;
}

TreeNode Win32Tree::next(TreeNode node, UINT relation) {
    return node_of(reinterpret_cast<HTREEITEM>(
        SendMessageA(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item(node)))));
}

void Win32Tree::expand(TreeNode node) {
    SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item(node)));
}

void Win32Tree::ensure_visible(TreeNode node) {
    SendMessageA(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item(node)));
}

void Win32Tree::select(TreeNode node) {
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item(node)));
}

int Win32Tree::child_count(TreeNode node) { return read(node, TVIF_CHILDREN).cChildren; }

bool Win32Tree::expanded_once(TreeNode node) {
    return (SendMessageA(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item(node)), TVIS_EXPANDEDONCE) &
            TVIS_EXPANDEDONCE) != 0;
}

void Win32Tree::mark_expanded_once(TreeNode node, int child_count) {
    TVITEMA tv = {};
    tv.mask = TVIF_STATE | TVIF_CHILDREN;
    tv.hItem = item(node);
    tv.state = tv.stateMask = TVIS_EXPANDEDONCE;
    tv.cChildren = child_count;
    SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void Win32Tree::use_shared_images() {
    SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(shared_images()));
}

void Win32List::set_single_column(const std::string &title) {
    RECT client = {};
    GetClientRect(list_, &client);
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = client.right - client.left;
    column.pszText = const_cast<char *>(title.c_str());
    SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

void Win32List::add_column(const std::string &title, int width_percent) {
    RECT client = {};
    GetClientRect(list_, &client);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
    int index = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = width_percent * (client.right - client.left) / 100;
    column.pszText = const_cast<char *>(title.c_str());
    SendMessageA(list_, LVM_INSERTCOLUMNA, index < 0 ? 0 : index, reinterpret_cast<LPARAM>(&column));
}

void Win32List::set_full_row_select() {
    SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void Win32List::set_cell(int row, int column, const std::string &text) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char *>(text.c_str());
    SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void Win32List::set_image(int row, int image) {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image;
    SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int Win32List::count() { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

int Win32List::insert(int index, const std::string &text, int image) {
    LVITEMA row = {};
    row.mask = LVIF_TEXT | LVIF_IMAGE;
    row.iItem = index;
    row.pszText = const_cast<char *>(text.c_str());
    row.iImage = image;
    return static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)));
}

std::string Win32List::text(int row) {
    return read_whole([&](char *buffer, int size) {
        LVITEMA item = {};
        item.iSubItem = 0;
        item.pszText = buffer;
        item.cchTextMax = size;
        SendMessageA(list_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    });
}

int Win32List::image(int row) {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

void Win32List::erase(int row) { SendMessageA(list_, LVM_DELETEITEM, row, 0); }

int Win32List::selected() {
    return static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void Win32List::select(int row) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void Win32List::set_redraw(bool redraw) {
    SendMessageA(list_, WM_SETREDRAW, redraw, 0);
    if (redraw) InvalidateRect(list_, nullptr, TRUE);
}

void Win32List::use_shared_images() {
    SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(shared_images()));
}

}  // namespace tagcfg::ui
