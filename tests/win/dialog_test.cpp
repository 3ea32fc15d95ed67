// The dialog templates of tagcfg.dll, opened by a test-only dialog procedure and driven from
// their own thread with DialogScript: each opens with its controls, takes typed text, reads back
// tree and list contents, ends with Cancel, and leaves a screenshot under the build folder.
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

struct ControlExpectation {
    int id;
    const char *class_name;
    const char *text;  // null: the text is not checked
};

struct DialogCase {
    int id;
    const char *caption;
    std::vector<ControlExpectation> controls;
    int edit = 0;  // an edit control to type into, or 0
    int tree = 0;
    int list = 0;
};

void PrintTo(const DialogCase &c, std::ostream *out) { *out << "dialog " << c.id; }

const std::vector<std::string> kTreeLines = {"Server", "  Boiler", "    Temp1", "    Temp2", "Pumps"};
const std::vector<std::string> kListRows = {"Boiler.Temp1", "Pumps.P1.Run"};
const char kConfirmCaption[] = "Warning";

HIMAGELIST g_images = nullptr;

HTREEITEM add_tree_item(HWND tree, HTREEITEM parent, const char *text, int image) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char *>(text);
    insert.item.iImage = insert.item.iSelectedImage = image;
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void fill_tree(HWND tree) {
    TreeView_SetImageList(tree, g_images, TVSIL_NORMAL);
    HTREEITEM server = add_tree_item(tree, TVI_ROOT, "Server", IMAGE_OPC_SERVER);
    HTREEITEM boiler = add_tree_item(tree, server, "Boiler", IMAGE_BRANCH);
    add_tree_item(tree, boiler, "Temp1", IMAGE_LEAF);
    add_tree_item(tree, boiler, "Temp2", IMAGE_LEAF);
    add_tree_item(tree, TVI_ROOT, "Pumps", IMAGE_BRANCH);
    TreeView_Expand(tree, server, TVE_EXPAND);
    TreeView_Expand(tree, boiler, TVE_EXPAND);
}

void fill_list(HWND list) {
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

// Fills the tree and list with known rows; OK and Cancel end it; any other button asks first.
INT_PTR CALLBACK test_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        auto c = reinterpret_cast<const DialogCase *>(lparam);
        if (c->tree) fill_tree(GetDlgItem(dialog, c->tree));
        if (c->list) fill_list(GetDlgItem(dialog, c->list));
        return TRUE;
    }
    if (message != WM_COMMAND || HIWORD(wparam) != BN_CLICKED) return FALSE;
    int id = LOWORD(wparam);
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
    } else {
        int answer = MessageBoxA(dialog, "Do you want to continue ?", kConfirmCaption, MB_YESNO | MB_ICONEXCLAMATION);
        EndDialog(dialog, 1000 + answer);
    }
    return TRUE;
}

std::string screenshot_path(int dialog_id) {
    std::string directory = executable_directory() + "\\..\\screenshots";
    CreateDirectoryA(directory.c_str(), nullptr);
    return directory + "\\dialog_" + std::to_string(dialog_id) + ".png";
}

class DialogHost : public ::testing::Test {
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
    INT_PTR run(const DialogCase &c) {
        return DialogBoxParamA(library.get(), MAKEINTRESOURCEA(c.id), nullptr, test_dialog_proc,
                               reinterpret_cast<LPARAM>(&c));
    }

    Library library{library_path()};
};

class DialogTemplate : public DialogHost, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(DialogTemplate, OpensWithItsControlsTakesTextAndEndsWithCancel) {
    const DialogCase &c = GetParam();
    DialogScript script(c.caption, [&](HWND dialog) {
        for (const ControlExpectation &expected : c.controls) {
            HWND control = GetDlgItem(dialog, expected.id);
            EXPECT_NE(control, nullptr) << "control " << expected.id;
            if (!control) continue;
            EXPECT_EQ(class_name(control), expected.class_name) << "control " << expected.id;
            if (expected.text) {
                EXPECT_EQ(window_text(control), expected.text) << "control " << expected.id;
            }
        }
        if (c.edit) {
            EXPECT_TRUE(type_text(dialog, c.edit, "Boiler.Temp1"));
            EXPECT_EQ(control_text(dialog, c.edit), "Boiler.Temp1");
            EXPECT_TRUE(set_text(dialog, c.edit, "Pumps.P1.Run"));
            EXPECT_EQ(control_text(dialog, c.edit), "Pumps.P1.Run");
        }
        if (c.tree) {
            EXPECT_EQ(tree_lines(GetDlgItem(dialog, c.tree)), kTreeLines);
        }
        if (c.list) {
            EXPECT_EQ(list_column(GetDlgItem(dialog, c.list), 0), kListRows);
        }

        Screenshot shot;
        EXPECT_TRUE(capture_window(dialog, shot));
        EXPECT_GT(shot.distinct_colours(), 4u) << "the captured dialog is blank";
        EXPECT_TRUE(save_png(shot, screenshot_path(c.id)));
        EXPECT_TRUE(click(dialog, IDCANCEL));
    });
    INT_PTR result = run(c);
    EXPECT_TRUE(script.ran()) << "no dialog captioned \"" << c.caption << "\" came up";
    EXPECT_FALSE(script.timed_out());
    EXPECT_EQ(result, IDCANCEL);
}

const DialogCase kDialogs[] = {
    {IDD_CHANNEL_SETUP,
     "OPC channel setup",
     {{IDC_BROWSE_TREE, "SysTreeView32", nullptr},
      {IDC_CHANNEL_NAME, "Edit", ""},
      {IDC_ITEM_ID, "Edit", ""},
      {IDC_ACCESS_PATH, "Edit", ""},
      {IDC_SERVER_NUMBER, "Static", "OPC##"},
      {IDC_SERVER_HOSTNAME, "Static", "hostname"},
      {IDCANCEL, "Button", "Cancel"},
      {IDOK, "Button", "OK"}},
     IDC_ITEM_ID,
     IDC_BROWSE_TREE,
     0},
    {IDD_SERVER_PICKER,
     "Select OPC server",
     {{IDC_PICKER_TREE, "SysTreeView32", nullptr}, {IDCANCEL, "Button", "Cancel"}, {IDOK, "Button", "OK"}},
     0,
     IDC_PICKER_TREE,
     0},
    {IDD_SERVER_LIST,
     "OPC server selection",
     {{IDC_SERVER_LIST, "SysListView32", nullptr},
      {IDOK, "Button", "Select"},
      {IDCANCEL, "Button", "Exit"},
      {IDC_ADD_SERVER, "Button", "&Add"},
      {IDC_CHANGE_SERVER, "Button", "&Change"},
      {IDC_REMOVE_SERVER, "Button", "&Remove"}},
     0,
     0,
     IDC_SERVER_LIST},
    {IDD_ITEM_SELECTION,
     "Select OPC items for autobuilding",
     {{IDC_BROWSE_TREE, "SysTreeView32", nullptr},
      {IDC_SELECTED_ITEMS, "SysListView32", nullptr},
      {IDCANCEL, "Button", "Cancel"},
      {IDC_MOVE_UP, "Button", "&Up"},
      {IDC_ADD_ITEMS, "Button", ">>"}},
     0,
     IDC_BROWSE_TREE,
     IDC_SELECTED_ITEMS},
};

INSTANTIATE_TEST_SUITE_P(Resources, DialogTemplate, ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<DialogCase> &info) {
                             return "Dialog" + std::to_string(info.param.id);
                         });

TEST_F(DialogHost, AMessageBoxOverADialogIsAnsweredFromTheDialogsThread) {
    const DialogCase server_list{IDD_SERVER_LIST, "OPC server selection", {}, 0, 0, 0};
    DialogScript answer(kConfirmCaption, [](HWND) { EXPECT_TRUE(answer_message_box(kConfirmCaption, IDNO)); });
    DialogScript script(server_list.caption, [](HWND dialog) { EXPECT_TRUE(click(dialog, IDC_REMOVE_SERVER)); });
    EXPECT_EQ(run(server_list), 1000 + IDNO);
    EXPECT_TRUE(script.ran());
    EXPECT_TRUE(answer.ran());
}

TEST(MessageBoxDriving, AThreadTimerAnswersAMessageBoxWithoutOwner) {
    DialogScript script(kConfirmCaption, [](HWND) { EXPECT_TRUE(answer_message_box(kConfirmCaption, IDYES)); });
    EXPECT_EQ(MessageBoxA(nullptr, "Do you want to continue ?", kConfirmCaption, MB_YESNO | MB_ICONEXCLAMATION), IDYES);
    EXPECT_TRUE(script.ran());
}

}  // namespace
}  // namespace wintest
