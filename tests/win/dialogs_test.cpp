// What only real windows show of the dialogs beyond the host's day: the message box values the
// dialogs use are Windows' own, and Escape is read from the thread's message queue during a long ">>".
#include <windows.h>

#include <gtest/gtest.h>

#include <tuple>

#include "dialog_driver.h"
#include "platform/ui.h"
#include "resource_ids.h"
#include "win_support.h"

namespace wintest {
namespace {

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

}  // namespace
}  // namespace wintest
