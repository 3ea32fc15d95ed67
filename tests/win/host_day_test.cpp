// A host's day on a copy of the sample project examples/plant1, through the exports of tagcfg.dll
// and its four dialogs driven for real against opcsim.dll; then what only real windows show beyond it.
#include <windows.h>

#include <gmock/gmock.h>

#include <string>
#include <tuple>
#include <vector>

#include "dialog_driver.h"
#include "opcsim_classes.h"
#include "platform/ui.h"
#include "resource_ids.h"
#include "win_support.h"

namespace wintest {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;

std::string ansi(const wchar_t *text) {
    char converted[256] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, converted, sizeof converted, nullptr, nullptr);
    return converted;
}

const opcsim::ServerClass &kPicked = *opcsim::server_class("OpcSim.Hierarchical.1");

// The picker on this computer's registry, where opcsim.dll registered its classes; the test
// prefix has no network, whose root then loses its button without a message.
void pick_a_server(HWND picker) {
    HWND tree = GetDlgItem(picker, IDC_PICKER_TREE);
    EXPECT_THAT(children(tree, nullptr), ElementsAre("My Computer", "Network Neighbourhood"));
    HTREEITEM network = TreeView_GetNextSibling(tree, TreeView_GetRoot(tree));
    TreeView_Expand(tree, network, TVE_EXPAND);
    EXPECT_THAT(children(tree, network), ::testing::IsEmpty());
    select_path(picker, IDC_PICKER_TREE, kPicked.description);  // opens My Computer on the way
    std::vector<std::string> offered;  // only classes with an "OPC" subkey; one without a description by its ProgID
    for (const opcsim::ServerClass &c : opcsim::kServerClasses)
        if (c.opc) offered.push_back(c.description ? c.description : c.progid);
    EXPECT_THAT(children(tree, TreeView_GetRoot(tree)), UnorderedElementsAreArray(offered));
    save_screenshot(picker, "server_picker.png");
    EXPECT_TRUE(click(picker, IDOK));
}

}  // namespace

TEST_F(OpcProject, AHostsDayOnTheSampleProject) {
    ASSERT_TRUE(opcsim_registered() && SUCCEEDED(com_) && env_);
    const std::string sample = executable_directory() + "\\..\\..\\..\\examples\\plant1\\";  // above build\<preset>\src
    for (const char *file : {"plant1_opc0.cnf", "plant1_opc1.cnf", "plant1_opc3.cnf"})
        dir_.put(file, tagcfg::test::read_bytes(sample + file));
    ASSERT_EQ(TAGCFG(tagcfg_load)(env_, dir_.path().c_str(), "plant1"), 0);

    // A new server from this computer's OPC servers; Add appends it after the last slot, 3.
    DialogScript server_list("OPC server selection", [&](HWND list) {
        HWND rows = GetDlgItem(list, IDC_SERVER_LIST);
        EXPECT_TRUE(ListView_GetExtendedListViewStyle(rows) & LVS_EX_FULLROWSELECT);
        // Remove on a configured server asks, with No as the default button and no Cancel; No keeps it.
        ListView_SetItemState(rows, 0, LVIS_SELECTED, LVIS_SELECTED);
        DialogScript warning("Warning", [](HWND box) {
            EXPECT_THAT(control_text(box, kMessageBoxText), ::testing::EndsWith("Do you want to continue ?"));
            EXPECT_EQ(GetWindowLongA(GetDlgItem(box, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
            EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
            EXPECT_TRUE(click(box, IDNO));
        });
        EXPECT_TRUE(click(list, IDC_REMOVE_SERVER));
        EXPECT_EQ(ListView_GetItemCount(rows), 4);
        DialogScript picker("Select OPC server", pick_a_server);
        EXPECT_TRUE(click(list, IDC_ADD_SERVER));
        EXPECT_EQ(list_column(rows, 1).back(), kPicked.progid);
        EXPECT_EQ(ListView_GetNextItem(rows, -1, LVNI_SELECTED), 4);
        save_screenshot(list, "server_list.png");
        EXPECT_TRUE(click(list, IDOK));
    });
    const int server = TAGCFG(tagcfg_select_server)(env_, 0, nullptr);
    ASSERT_EQ(server, 4);

    // Channel 7 bound by browsing: the server names this leaf's item ID itself.
    const long created = opcsim_created();
    DialogScript setup("OPC channel setup", [&](HWND dialog) {
        EXPECT_EQ(control_text(dialog, IDC_CHANNEL_NAME), "FeedValve");
        select_path(dialog, IDC_BROWSE_TREE, "A/B/D");
        NMHDR double_click{GetDlgItem(dialog, IDC_BROWSE_TREE), IDC_BROWSE_TREE, static_cast<UINT>(NM_DBLCLK)};
        SendMessageA(dialog, WM_NOTIFY, IDC_BROWSE_TREE, reinterpret_cast<LPARAM>(&double_click));
        EXPECT_EQ(control_text(dialog, IDC_ITEM_ID), "Custom/D.Id");
        save_screenshot(dialog, "channel_setup.png");
        EXPECT_TRUE(click(dialog, IDOK));
    });
    char text[256] = "";
    EXPECT_EQ(TAGCFG(tagcfg_select_channel)(env_, server, 7, "FeedValve", text, sizeof text, nullptr), 11);
    EXPECT_STREQ(text, "Custom/D.Id");

    // Automatic building: every item below a branch, ordered, made channels 300 on. The list's
    // selection and the buttons follow the list view's own notifications.
    DialogScript items("Select OPC items for autobuilding", [&](HWND dialog) {
        HWND rows = GetDlgItem(dialog, IDC_SELECTED_ITEMS);
        select_path(dialog, IDC_BROWSE_TREE, "Tanks");
        EXPECT_TRUE(click(dialog, IDC_ADD_ITEMS));  // items the server cannot name are left out
        EXPECT_THAT(list_column(rows), ElementsAre("Tanks.T1.Level", "Tanks.T2.Level"));
        EXPECT_TRUE(enabled(dialog, IDC_REMOVE_ITEM) && enabled(dialog, IDC_MOVE_UP) &&
                    !enabled(dialog, IDC_MOVE_DOWN));
        ListView_SetItemState(rows, 0, LVIS_SELECTED, LVIS_SELECTED);  // the list tells with LVN_ITEMCHANGED
        EXPECT_TRUE(enabled(dialog, IDC_REMOVE_ITEM) && !enabled(dialog, IDC_MOVE_UP) &&
                    enabled(dialog, IDC_MOVE_DOWN));
        save_screenshot(dialog, "item_selection.png");
        EXPECT_TRUE(click(dialog, IDOK));
    });
    tagcfg_itemlist *picked = TAGCFG(tagcfg_select_items)(env_, server, nullptr);
    ASSERT_NE(picked, nullptr);
    for (int i = 0; i < TAGCFG(tagcfg_itemlist_size)(picked); ++i) {
        TAGCFG(tagcfg_itemlist_get_id)(picked, i, text, sizeof text);
        TAGCFG(tagcfg_add_channel)(env_, server, 300 + i, text);
    }
    TAGCFG(tagcfg_itemlist_free)(picked);
    EXPECT_EQ(opcsim_created(), created + 1) << "the second dialog did not reuse the server object";

    ASSERT_EQ(TAGCFG(tagcfg_save)(env_, nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(dir_.get("plant1_opc4.cnf"),
              std::string("%%OPC_SERVER_CONFIG\r\n\r\nPROGID:") + kPicked.progid + "\r\nCLSID:" + kPicked.clsid +
                  "\r\nDESCRIPTION:" + kPicked.description + "\r\n\r\n%CHANID:7\r\nID:Custom/D.Id\r\n\r\n" +
                  "%CHANID:300\r\nID:Tanks.T1.Level\r\n\r\n%CHANID:301\r\nID:Tanks.T2.Level\r\n\r\n");

    // The server's computer is renamed: this one, spelled in another case, is still this computer
    // and is asked locally, but the object made for the old name is let go and a new one is made.
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size));
    std::string renamed(name, size);
    CharLowerBuffA(&renamed[0], size);
    ASSERT_NE(renamed, name) << "the computer's name has no capitals";
    ASSERT_EQ(TAGCFG(tagcfg_set_server_host)(env_, server, renamed.c_str()), 0);
    // Escape in an edit box, then the close box on a thread that asks for Russian, end the dialog as
    // Cancel. The library's windows are ANSI ones, so their texts come in the process's code page.
    const LANGID english = GetThreadUILanguage(), in_russian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);
    const LCID locale = GetThreadLocale();
    for (bool russian : {false, true}) {
        SetThreadUILanguage(russian ? in_russian : english);
        SetThreadLocale(russian ? in_russian : locale);
        DialogScript cancel(ansi(russian ? L"Настройка канала OPC" : L"OPC channel setup"), [&](HWND dialog) {
            EXPECT_EQ(control_text(dialog, IDC_SERVER_HOSTNAME), renamed);
            EXPECT_TRUE(enabled(dialog, IDC_BROWSE_TREE));
            SetDlgItemTextA(dialog, IDC_ITEM_ID, "Not.Stored");
            if (russian) PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            else PostMessageA(GetDlgItem(dialog, IDC_ITEM_ID), WM_KEYDOWN, VK_ESCAPE, 0);
        });
        EXPECT_EQ(TAGCFG(tagcfg_select_channel)(env_, server, 300, "", text, sizeof text, nullptr), -1);
        TAGCFG(tagcfg_get_channel_id)(env_, server, 300, "", text, sizeof text);
        EXPECT_STREQ(text, "Tanks.T1.Level");
    }
    SetThreadUILanguage(english);
    SetThreadLocale(locale);
    EXPECT_EQ(opcsim_created(), created + 2);
}

// The dialogs hand these values to MessageBoxA and compare its answers and keys with them; that a
// failed connection shows one message, with the stop icon, the native suite proves on these values.
static_assert(tagcfg::ui::kMbIconHand == MB_ICONHAND && tagcfg::ui::kMbYesNo == MB_YESNO &&
              tagcfg::ui::kMbIconExclamation == MB_ICONEXCLAMATION && tagcfg::ui::kMbDefButton2 == MB_DEFBUTTON2);
static_assert(tagcfg::ui::kIdOk == IDOK && tagcfg::ui::kIdCancel == IDCANCEL && tagcfg::ui::kIdYes == IDYES &&
              tagcfg::ui::kIdNo == IDNO && tagcfg::ui::kVkEscape == VK_ESCAPE);

// ">>" on the root of 100,000 items: the walk finds the Escape waiting in the thread's queue at its
// first check, 4,096 names in, and stops there; the dialog stays open and OK hands over what came.
TEST_F(OpcProject, EscapeStopsALongAdd) {
    load({{2, "PROGID:OpcSim.Large.1\r\n"}});
    DialogScript script("Select OPC items for autobuilding", [&](HWND dialog) {
        select_path(dialog, IDC_BROWSE_TREE, "");
        PostMessageA(GetDlgItem(dialog, IDC_BROWSE_TREE), WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(click(dialog, IDC_ADD_ITEMS));
        EXPECT_TRUE(IsWindowVisible(dialog)) << "Escape was taken as Cancel";
        EXPECT_TRUE(click(dialog, IDOK));
    });
    tagcfg_itemlist *items = TAGCFG(tagcfg_select_items)(env_, 2, nullptr);
    // 4,096 names: 40 branches of one name and 100 leaves, then B0040 and 55 of its leaves.
    EXPECT_EQ(TAGCFG(tagcfg_itemlist_size)(items), 4055);
    TAGCFG(tagcfg_itemlist_free)(items);
}

// A channel bound to an item whose name is a branch too opens with the item's own leaf selected,
// wherever a path below the first match failed.
TEST_F(OpcProject, TheChannelSetupDialogSelectsTheLeafOfANameThatIsABranchToo) {
    load({{0, "PROGID:OpcSim.Devices.1\r\n\r\n%CHANID:1\r\nID:device/port\r\n%CHANID:2\r\nID:Tree/qw/ii/yy\r\n"}});
    for (const auto &[channel, parent, leaf] : {std::tuple(1, "device", "port"), std::tuple(2, "ii", "yy")}) {
        DialogScript setup("OPC channel setup", [&, parent = parent, leaf = leaf](HWND dialog) {
            HWND tree = GetDlgItem(dialog, IDC_BROWSE_TREE);
            const HTREEITEM selected = TreeView_GetSelection(tree);
            char text[64] = "", above[64] = "";
            TVITEMA item{TVIF_TEXT | TVIF_IMAGE, selected, 0, 0, text, sizeof text, 0, 0, 0, 0};
            TVITEMA up{TVIF_TEXT, TreeView_GetParent(tree, selected), 0, 0, above, sizeof above, 0, 0, 0, 0};
            EXPECT_TRUE(selected && TreeView_GetItem(tree, &item) && TreeView_GetItem(tree, &up));
            EXPECT_STREQ(text, leaf);
            EXPECT_STREQ(above, parent);
            EXPECT_EQ(item.iImage, 2) << "not the leaf";
            EXPECT_TRUE(click(dialog, IDCANCEL));
        });
        char buffer[64];
        EXPECT_EQ(TAGCFG(tagcfg_select_channel)(env_, 0, channel, "", buffer, sizeof buffer, nullptr), -1);
    }
}

}  // namespace wintest
