// The dialog templates of tagcfg.dll, opened by a test-only dialog procedure and driven from their
// own thread: each opens, takes typed text, shows tree and list rows drawn with the library's
// images, ends with Cancel, and leaves build/<preset>/screenshots/dialog_<id>.png for the README.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_driver.h"
#include "resource_ids.h"
#include "tagcfg_api.h"

namespace wintest {
namespace {

struct DialogCase {
    int id;
    const char *caption;
    int edit, tree, list;  // controls to type into and to fill, or 0
};

const std::vector<std::string> kTreeLines = {"Server", "  Boiler", "    Temp1", "    Temp2", "Pumps"};
const std::vector<std::string> kListRows = {"Boiler.Temp1", "Pumps.P1.Run"};

HIMAGELIST g_images = nullptr;

HTREEITEM add_tree_item(HWND tree, HTREEITEM parent, const char *text, int image) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char *>(text);
    insert.item.iImage = insert.item.iSelectedImage = image;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (parent != TVI_ROOT) TreeView_Expand(tree, parent, TVE_EXPAND);
    return item;
}

void fill(HWND dialog, const DialogCase &c) {
    if (HWND tree = c.tree ? GetDlgItem(dialog, c.tree) : nullptr) {
        TreeView_SetImageList(tree, g_images, TVSIL_NORMAL);
        HTREEITEM boiler =
            add_tree_item(tree, add_tree_item(tree, TVI_ROOT, "Server", IMAGE_OPC_SERVER), "Boiler", IMAGE_BRANCH);
        add_tree_item(tree, boiler, "Temp1", IMAGE_LEAF);
        add_tree_item(tree, boiler, "Temp2", IMAGE_LEAF);
        add_tree_item(tree, TVI_ROOT, "Pumps", IMAGE_BRANCH);
    }
    if (HWND list = c.list ? GetDlgItem(dialog, c.list) : nullptr) {
        ListView_SetImageList(list, g_images, LVSIL_SMALL);
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 150;
        column.pszText = const_cast<char *>("Item");
        SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        for (size_t row = 0; row < kListRows.size(); ++row) {
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = static_cast<int>(row);
            item.pszText = const_cast<char *>(kListRows[row].c_str());
            item.iImage = IMAGE_LEAF;
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
}

INT_PTR CALLBACK test_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) fill(dialog, *reinterpret_cast<const DialogCase *>(lparam));
    if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL))
        EndDialog(dialog, LOWORD(wparam));
    return message == WM_INITDIALOG || message == WM_COMMAND;
}

class DialogTemplate : public ::testing::TestWithParam<DialogCase> {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
    }
    void SetUp() override {
        ASSERT_NE(library.get(), nullptr);
        g_images = ImageList_LoadImageA(library.get(), MAKEINTRESOURCEA(IDB_SHARED_IMAGES), SHARED_IMAGE_SIZE, 0,
                                        RGB(255, 0, 0), IMAGE_BITMAP, 0);
    }
    void TearDown() override {
        if (g_images) ImageList_Destroy(g_images);
        g_images = nullptr;
    }

    Library library{library_path()};
};

TEST_P(DialogTemplate, OpensTakesTextShowsRowsAndEndsWithCancel) {
    const DialogCase &c = GetParam();
    DialogScript script(c.caption, [&](HWND dialog) {
        if (c.edit) {
            EXPECT_TRUE(type_text(dialog, c.edit, "Boiler.Temp1"));
            EXPECT_EQ(control_text(dialog, c.edit), "Boiler.Temp1");
        }
        if (c.tree) {
            EXPECT_EQ(tree_lines(GetDlgItem(dialog, c.tree)), kTreeLines);
        }
        if (c.list) {
            EXPECT_EQ(list_column(GetDlgItem(dialog, c.list), 0), kListRows);
        }

        const std::string folder = executable_directory() + "\\..\\screenshots";
        CreateDirectoryA(folder.c_str(), nullptr);
        Screenshot shot;
        EXPECT_TRUE(capture_window(dialog, shot));
        EXPECT_GT(shot.distinct_colours(), 4u) << "the captured dialog is blank";
        EXPECT_TRUE(save_png(shot, folder + "\\dialog_" + std::to_string(c.id) + ".png"));
        EXPECT_TRUE(click(dialog, IDCANCEL));
    });
    const INT_PTR result =
        DialogBoxParamA(library.get(), MAKEINTRESOURCEA(c.id), nullptr, test_dialog_proc, reinterpret_cast<LPARAM>(&c));
    EXPECT_TRUE(script.ran()) << "no dialog captioned \"" << c.caption << "\" came up";
    EXPECT_FALSE(script.timed_out());
    EXPECT_EQ(result, IDCANCEL);
}

const DialogCase kDialogs[] = {
    {IDD_CHANNEL_SETUP, "OPC channel setup", IDC_ITEM_ID, IDC_BROWSE_TREE, 0},
    {IDD_SERVER_PICKER, "Select OPC server", 0, IDC_PICKER_TREE, 0},
    {IDD_SERVER_LIST, "OPC server selection", 0, 0, IDC_SERVER_LIST},
    {IDD_ITEM_SELECTION, "Select OPC items for autobuilding", 0, IDC_BROWSE_TREE, IDC_SELECTED_ITEMS},
};

INSTANTIATE_TEST_SUITE_P(Resources, DialogTemplate, ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<DialogCase> &info) {
                             return "Dialog" + std::to_string(info.param.id);
                         });

}  // namespace
}  // namespace wintest
