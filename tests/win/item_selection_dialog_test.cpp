// The item selection dialog as the host opens it: tagcfg_select_items of tagcfg.dll on opcsim
// servers, driven from the dialog's own thread. The dialog's rules are covered natively; here a
// user's session runs against the real tree and list views, whose notifications drive the buttons,
// and the list comes back through the item list exports. The message for a server that cannot be
// created comes from the step both dialogs share, checked in the channel setup dialog's tests.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "opcsim_fixture.h"
#include "platform/text.h"
#include "resource_ids.h"

namespace wintest {
namespace {

const char kCaption[] = "Select OPC items for autobuilding";

enum Server { kHierarchical = 0, kEmptySlot = 3, kLarge = 5 };

using Lines = std::vector<std::string>;
using Buttons = std::vector<bool>;

HWND tree_of(HWND dialog) { return GetDlgItem(dialog, IDC_BROWSE_TREE); }
HWND list_of(HWND dialog) { return GetDlgItem(dialog, IDC_SELECTED_ITEMS); }

// The user selects a node and presses ">>".
void add(HWND dialog, const std::string &path) {
    HTREEITEM node = open_path(tree_of(dialog), path);
    ASSERT_NE(node, nullptr) << path;
    TreeView_SelectItem(tree_of(dialog), node);
    EXPECT_TRUE(click(dialog, IDC_ADD_ITEMS));
}

Lines rows(HWND dialog) { return list_column(list_of(dialog), 0); }
int selected_row(HWND dialog) { return ListView_GetNextItem(list_of(dialog), -1, LVNI_SELECTED); }
void select_row(HWND dialog, int row) {  // -1: no row
    ListView_SetItemState(list_of(dialog), row, row < 0 ? 0 : LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
}
// Remove, Up and Down: whether each can be pressed.
Buttons buttons(HWND dialog) {
    return {IsWindowEnabled(GetDlgItem(dialog, IDC_REMOVE_ITEM)) != 0,
            IsWindowEnabled(GetDlgItem(dialog, IDC_MOVE_UP)) != 0,
            IsWindowEnabled(GetDlgItem(dialog, IDC_MOVE_DOWN)) != 0};
}

class ItemSelection : public OpcProject {
protected:
    void SetUp() override {
        load({{kHierarchical, "PROGID:OpcSim.Hierarchical.1\r\nDESCRIPTION:Boiler house\r\n\r\n"},
              {kLarge, "PROGID:OpcSim.Large.1\r\n\r\n"}});
        ASSERT_TRUE(select_items_ && list_size_ && list_get_id_ && list_free_);
    }

    // Opens the dialog and waits for it to end; a script armed by the caller does the clicking.
    // The item IDs read back through the exports, or nothing for a null list.
    std::optional<Lines> select(int server) {
        tagcfg_itemlist *list = select_items_(env_, server, nullptr);
        if (!list) return std::nullopt;
        Lines ids;
        for (int i = 0; i < list_size_(list); ++i) {
            char text[1024];
            list_get_id_(list, i, text, sizeof text);
            ids.push_back(text);
        }
        char junk[8] = "junk";
        EXPECT_EQ(list_get_id_(list, list_size_(list), junk, sizeof junk), 0);
        EXPECT_EQ(junk[0], '\0');
        list_free_(list);
        return ids;
    }

    decltype(&::tagcfg_select_items) select_items_ = function<decltype(&::tagcfg_select_items)>("tagcfg_select_items");
    decltype(&::tagcfg_itemlist_size) list_size_ = function<decltype(&::tagcfg_itemlist_size)>("tagcfg_itemlist_size");
    decltype(&::tagcfg_itemlist_get_id) list_get_id_ =
        function<decltype(&::tagcfg_itemlist_get_id)>("tagcfg_itemlist_get_id");
    decltype(&::tagcfg_itemlist_free) list_free_ = function<decltype(&::tagcfg_itemlist_free)>("tagcfg_itemlist_free");
};

}  // namespace

// The key the dialog's duplicate test hashes must agree with the system's own comparison.
TEST(FoldCase, EqualKeysExactlyForTextsTheSystemComparesEqual) {
    const Lines texts = {
        "",   "a",      "A",     "Tanks.T1.Level", "TANKS.t1.LEVEL", "Tanks.T1.Leve1", "\xe9", "\xc9", "\xc6",
        "AE", "ae",     "ss",    "\xdf",           "co-op",          "coop",           "a b",  "ab",   "[",
        "{",  "Pump:1", "pump:1"};
    for (const std::string &a : texts)
        for (const std::string &b : texts)
            EXPECT_EQ(lstrcmpiA(a.c_str(), b.c_str()) == 0,
                      tagcfg::platform::fold_case(a) == tagcfg::platform::fold_case(b))
                << "'" << a << "' '" << b << "'";
}

TEST_F(ItemSelection, BranchesLeavesMovesAndRemovalsAsAUserWorksThem) {
    DialogScript script(kCaption, [&](HWND dialog) {
        EXPECT_TRUE(IsWindowEnabled(tree_of(dialog)));
        EXPECT_EQ(tree_lines(tree_of(dialog)),
                  Lines({"Boiler house", "  A", "  AB", "  Refused", "  Tanks", "  Alarm"}));
        EXPECT_EQ(rows(dialog), Lines{});
        EXPECT_EQ(buttons(dialog), Buttons({false, false, false}));

        add(dialog, "Tanks");  // items the server cannot name are left out
        EXPECT_EQ(rows(dialog), Lines({"Tanks.T1.Level", "Tanks.T2.Level"}));
        EXPECT_EQ(selected_row(dialog), 1);
        EXPECT_EQ(buttons(dialog), Buttons({true, true, false}));
        add(dialog, "Alarm");
        select_row(dialog, 0);
        add(dialog, "Alarm");  // listed: selected again, not added
        EXPECT_EQ(selected_row(dialog), 2);
        // Double-click: a leaf is added (the server names its item ID), a branch is not.
        double_click_tree(dialog, IDC_BROWSE_TREE, open_path(tree_of(dialog), "A/B"));
        double_click_tree(dialog, IDC_BROWSE_TREE, open_path(tree_of(dialog), "A/B/D"));
        EXPECT_EQ(rows(dialog), Lines({"Tanks.T1.Level", "Tanks.T2.Level", "Alarm", "Custom/D.Id"}));
        EXPECT_EQ(selected_row(dialog), 3);
        save_screenshot(dialog, "item_selection.png");

        EXPECT_FALSE(click(dialog, IDC_MOVE_DOWN));  // the last row
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(click(dialog, IDC_MOVE_UP));
        EXPECT_EQ(rows(dialog), Lines({"Custom/D.Id", "Tanks.T1.Level", "Tanks.T2.Level", "Alarm"}));
        EXPECT_EQ(selected_row(dialog), 0);
        EXPECT_EQ(buttons(dialog), Buttons({true, false, true}));
        EXPECT_TRUE(click(dialog, IDC_MOVE_DOWN));
        EXPECT_EQ(buttons(dialog), Buttons({true, true, true}));

        select_row(dialog, 3);
        EXPECT_TRUE(click(dialog, IDC_REMOVE_ITEM));  // the last row: the new last row is selected
        EXPECT_EQ(rows(dialog), Lines({"Tanks.T1.Level", "Custom/D.Id", "Tanks.T2.Level"}));
        EXPECT_EQ(selected_row(dialog), 2);
        select_row(dialog, 0);
        EXPECT_TRUE(click(dialog, IDC_REMOVE_ITEM));
        EXPECT_EQ(selected_row(dialog), 0);
        select_row(dialog, -1);
        EXPECT_EQ(buttons(dialog), Buttons({false, false, false}));
        EXPECT_TRUE(click(dialog, IDOK));
    });
    std::optional<Lines> items = select(kHierarchical);
    EXPECT_TRUE(script.ran());
    EXPECT_FALSE(script.timed_out());
    ASSERT_TRUE(items.has_value());
    EXPECT_EQ(*items, Lines({"Custom/D.Id", "Tanks.T2.Level"}));
}

// Reports how long ">>" on the root of 100 000 items in 1 000 branches takes with the real list
// view; it asserts only that every item arrives, never how fast.
TEST_F(ItemSelection, AddingAHundredThousandItemsIsReported) {
    double seconds = 0;
    DialogScript script(
        kCaption,
        [&](HWND dialog) {
            LARGE_INTEGER start, stop, frequency;
            QueryPerformanceFrequency(&frequency);
            QueryPerformanceCounter(&start);
            add(dialog, "");
            QueryPerformanceCounter(&stop);
            seconds = static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
            EXPECT_EQ(ListView_GetItemCount(list_of(dialog)), 100000);
            EXPECT_TRUE(click(dialog, IDCANCEL));
        },
        120000);
    EXPECT_FALSE(select(kLarge).has_value());
    EXPECT_TRUE(script.ran());
    std::printf("[ report   ] 100000 items added with the real list view in %.2f s\n", seconds);
}

// Cancel is no list (above); OK with no rows is an empty one.
TEST_F(ItemSelection, OkWithNoRowsIsAnEmptyList) {
    DialogScript ok(kCaption, [](HWND dialog) { EXPECT_TRUE(click(dialog, IDOK)); });
    std::optional<Lines> items = select(kHierarchical);
    EXPECT_TRUE(ok.ran());
    ASSERT_TRUE(items.has_value());
    EXPECT_TRUE(items->empty());
}

TEST_F(ItemSelection, NoServerAtTheNumberMeansNoDialog) {
    DialogScript script(
        kCaption, [](HWND dialog) { click(dialog, IDOK); }, 2000);
    for (int server : {static_cast<int>(kEmptySlot), -1, 256}) EXPECT_FALSE(select(server).has_value()) << server;
    EXPECT_EQ(select_items_(nullptr, kHierarchical, nullptr), nullptr);
    EXPECT_FALSE(script.ran());
}

}  // namespace wintest
