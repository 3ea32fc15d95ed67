// What only real windows show of the dialogs beyond the host's day: the stop message for a server
// that cannot be created, and Escape read from the thread's message queue during a long ">>".
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "dialog_driver.h"
#include "resource_ids.h"
#include "win_support.h"

namespace wintest {
namespace {

TEST_F(OpcProject, AServerThatCannotBeCreatedIsReportedOnceWithTheStopIcon) {
    load({{1, "PROGID:OpcSim.NotRegistered.1\r\n"}});
    std::optional<DialogScript> setup;  // armed once the message is answered: till then the dialog is not ready
    DialogScript message("Error", [&](HWND box) {
        EXPECT_EQ(control_text(box, kMessageBoxText), "Error creating server. Server may not be correctly registered.");
        EXPECT_EQ(window_text(GetWindow(box, GW_OWNER)), "OPC channel setup");
        const auto icon = reinterpret_cast<HICON>(SendDlgItemMessageA(box, kMessageBoxIcon, STM_GETICON, 0, 0));
        EXPECT_EQ(icon, LoadIconA(nullptr, IDI_HAND));
        EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
        EXPECT_TRUE(click(box, IDOK));
        setup.emplace("OPC channel setup", [](HWND dialog) {
            EXPECT_EQ(find_thread_dialog("Error"), nullptr) << "the message came again";
            EXPECT_TRUE(click(dialog, IDCANCEL));
        });
    });
    char text[64] = "";
    EXPECT_EQ(TAGCFG(tagcfg_select_channel)(env_, 1, 5, "Manual", text, sizeof text, nullptr), -1);
}

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

}  // namespace
}  // namespace wintest
