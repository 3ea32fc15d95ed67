// The item selection dialog as the host opens it: tagcfg_select_items of tagcfg.dll on a project
// whose servers are opcsim classes, in a single-threaded apartment, driven from the dialog's own
// thread the way a user works it: picking nodes and pressing ">>", double-clicking, moving and
// removing rows, confirming or closing. The list comes back through the item list exports.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dialog_driver.h"
#include "opcsim_fixture.h"
#include "platform/text.h"
#include "resource_ids.h"
#include "tagcfg_api.h"

namespace wintest {
namespace {

const char kCaption[] = "Select OPC items for autobuilding";
const char kErrorCaption[] = "Error";
const char kConnectFailed[] = "Error creating server. Server may not be correctly registered.";
constexpr int kMessageBoxText = 0xFFFF;  // the static that holds a message box's text

enum Server { kHierarchical = 0, kUnregistered = 1, kFlat = 2, kEmptySlot = 3, kLarge = 5 };

using Lines = std::vector<std::string>;

std::string server_file(const std::string &fields) { return "%%OPC_SERVER_CONFIG\r\n\r\n" + fields + "\r\n"; }

HWND tree_of(HWND dialog) { return GetDlgItem(dialog, IDC_BROWSE_TREE); }
HWND list_of(HWND dialog) { return GetDlgItem(dialog, IDC_SELECTED_ITEMS); }

std::string item_text(HWND tree, HTREEITEM item) {
    char text[260] = "";
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

// The node at a "/"-separated path below the root ("" is the root), opening the nodes on the way
// as clicks on their expand buttons would.
HTREEITEM open_path(HWND tree, const std::string &path) {
    HTREEITEM node = TreeView_GetRoot(tree);
    size_t start = 0;
    while (node && start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        TreeView_Expand(tree, node, TVE_EXPAND);
        HTREEITEM child = TreeView_GetChild(tree, node);
        while (child && item_text(tree, child) != path.substr(start, end - start))
            child = TreeView_GetNextSibling(tree, child);
        node = child;
        start = end + 1;
    }
    return node;
}

// The user selects a node and presses ">>".
void add(HWND dialog, const std::string &path) {
    HTREEITEM node = open_path(tree_of(dialog), path);
    ASSERT_NE(node, nullptr) << path;
    TreeView_SelectItem(tree_of(dialog), node);
    EXPECT_TRUE(click(dialog, IDC_ADD_ITEMS));
}

// Selects the node, then tells the dialog the tree was double-clicked, as the tree itself does.
void double_click(HWND dialog, const std::string &path) {
    HWND tree = tree_of(dialog);
    TreeView_SelectItem(tree, open_path(tree, path));
    NMHDR header{tree, IDC_BROWSE_TREE, static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(dialog, WM_NOTIFY, IDC_BROWSE_TREE, reinterpret_cast<LPARAM>(&header));
}

Lines rows(HWND dialog) { return list_column(list_of(dialog), 0); }
int selected_row(HWND dialog) { return ListView_GetNextItem(list_of(dialog), -1, LVNI_SELECTED); }
void select_row(HWND dialog, int row) {
    ListView_SetItemState(list_of(dialog), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}
void clear_selection(HWND dialog) { ListView_SetItemState(list_of(dialog), -1, 0, LVIS_SELECTED); }

// Remove, Up and Down: whether each can be pressed.
std::vector<bool> buttons(HWND dialog) {
    return {IsWindowEnabled(GetDlgItem(dialog, IDC_REMOVE_ITEM)) != 0,
            IsWindowEnabled(GetDlgItem(dialog, IDC_MOVE_UP)) != 0,
            IsWindowEnabled(GetDlgItem(dialog, IDC_MOVE_DOWN)) != 0};
}
using Buttons = std::vector<bool>;

std::string screenshot_path(const char *name) {
    std::string directory = executable_directory() + "\\..\\screenshots";
    CreateDirectoryA(directory.c_str(), nullptr);
    return directory + "\\" + name;
}

class ItemSelection : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpcSim::get().registered()) << "opcsim.dll is missing or its DllRegisterServer failed";
        ASSERT_TRUE(com_.entered()) << std::hex << com_.result();
        ASSERT_TRUE(api_.complete() && select_items_ && list_size_ && list_get_id_ && list_free_);
        ASSERT_TRUE(dir_.ok());
        const std::string file = dir_.path() + "\\plant_opc";
        ASSERT_TRUE(write_bytes(file + "0.cnf",
                                server_file("PROGID:OpcSim.Hierarchical.1\r\nDESCRIPTION:Boiler house\r\n")));
        ASSERT_TRUE(write_bytes(file + "1.cnf", server_file("PROGID:OpcSim.NotRegistered.1\r\n")));
        ASSERT_TRUE(write_bytes(file + "2.cnf", server_file("PROGID:OpcSim.Flat.1\r\n")));
        ASSERT_TRUE(write_bytes(file + "5.cnf", server_file("PROGID:OpcSim.Large.1\r\n")));
        env_ = api_.tagcfg_init_environment();
        ASSERT_EQ(api_.tagcfg_load(env_, dir_.path().c_str(), "plant"), 0);
    }
    // Before the apartment goes: the environment still holds the server objects the dialogs made.
    void TearDown() override { api_.tagcfg_free_environment(env_); }

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

    ComApartment com_;  // first in, last out
    TagcfgApi api_;
    decltype(&::tagcfg_select_items) select_items_ =
        api_.library.function<decltype(&::tagcfg_select_items)>("tagcfg_select_items");
    decltype(&::tagcfg_itemlist_size) list_size_ =
        api_.library.function<decltype(&::tagcfg_itemlist_size)>("tagcfg_itemlist_size");
    decltype(&::tagcfg_itemlist_get_id) list_get_id_ =
        api_.library.function<decltype(&::tagcfg_itemlist_get_id)>("tagcfg_itemlist_get_id");
    decltype(&::tagcfg_itemlist_free) list_free_ =
        api_.library.function<decltype(&::tagcfg_itemlist_free)>("tagcfg_itemlist_free");
    ScratchDirectory dir_;
    tagcfg_environment *env_ = nullptr;
};

}  // namespace

// The key the dialog's duplicate test hashes must agree with the system's own comparison.
TEST(FoldCase, EqualKeysExactlyForTextsTheSystemComparesEqual) {
    const Lines texts = {"",      "a",     "A",     "Tanks.T1.Level", "TANKS.t1.LEVEL", "Tanks.T1.Leve1",
                         "\xe9",  "\xc9",  "\xc6",  "AE",             "ae",             "ss",
                         "\xdf",  "co-op", "coop",  "a b",            "ab",             "[",
                         "{",     "Pump:1", "pump:1"};
    for (const std::string &a : texts)
        for (const std::string &b : texts)
            EXPECT_EQ(tagcfg::platform::compare_no_case(a.c_str(), b.c_str()) == 0,
                      tagcfg::platform::fold_case(a) == tagcfg::platform::fold_case(b))
                << "'" << a << "' '" << b << "'";
}

TEST_F(ItemSelection, BranchesLeavesMovesAndRemovalsAsAUserWorksThem) {
    DialogScript script(kCaption, [&](HWND dialog) {
        EXPECT_TRUE(IsWindowEnabled(tree_of(dialog)));
        EXPECT_EQ(tree_lines(tree_of(dialog)), Lines({"Boiler house", "  A", "  AB", "  Refused", "  Tanks", "  Alarm"}));
        EXPECT_EQ(rows(dialog), Lines{});
        EXPECT_EQ(buttons(dialog), Buttons({false, false, false}));

        // A branch: everything below it, each sub-branch in the server's order; items the server
        // cannot name are left out.
        add(dialog, "Tanks");
        EXPECT_EQ(rows(dialog), Lines({"Tanks.T1.Level", "Tanks.T2.Level"}));
        EXPECT_EQ(selected_row(dialog), 1);
        EXPECT_EQ(buttons(dialog), Buttons({true, true, false}));

        // One leaf twice: one row, selected again the second time.
        add(dialog, "Alarm");
        select_row(dialog, 0);
        add(dialog, "Alarm");
        EXPECT_EQ(rows(dialog), Lines({"Tanks.T1.Level", "Tanks.T2.Level", "Alarm"}));
        EXPECT_EQ(selected_row(dialog), 2);

        // Double-click: a leaf is added (the server names its item ID), a branch is not.
        double_click(dialog, "A/B");
        double_click(dialog, "A/B/D");
        EXPECT_EQ(rows(dialog), Lines({"Tanks.T1.Level", "Tanks.T2.Level", "Alarm", "Custom/D.Id"}));
        EXPECT_EQ(selected_row(dialog), 3);

        Screenshot shot;
        EXPECT_TRUE(capture_window(dialog, shot));
        EXPECT_GT(shot.distinct_colours(), 4u) << "the captured dialog is blank";
        EXPECT_TRUE(save_png(shot, screenshot_path("item_selection.png")));

        EXPECT_FALSE(click(dialog, IDC_MOVE_DOWN));  // the last row
        EXPECT_TRUE(click(dialog, IDC_MOVE_UP));
        EXPECT_TRUE(click(dialog, IDC_MOVE_UP));
        EXPECT_TRUE(click(dialog, IDC_MOVE_UP));
        EXPECT_EQ(rows(dialog), Lines({"Custom/D.Id", "Tanks.T1.Level", "Tanks.T2.Level", "Alarm"}));
        EXPECT_EQ(selected_row(dialog), 0);
        EXPECT_EQ(buttons(dialog), Buttons({true, false, true}));
        EXPECT_TRUE(click(dialog, IDC_MOVE_DOWN));
        EXPECT_EQ(selected_row(dialog), 1);
        EXPECT_EQ(buttons(dialog), Buttons({true, true, true}));

        select_row(dialog, 3);
        EXPECT_TRUE(click(dialog, IDC_REMOVE_ITEM));  // the last row: the new last row is selected
        EXPECT_EQ(rows(dialog), Lines({"Tanks.T1.Level", "Custom/D.Id", "Tanks.T2.Level"}));
        EXPECT_EQ(selected_row(dialog), 2);
        select_row(dialog, 0);
        EXPECT_TRUE(click(dialog, IDC_REMOVE_ITEM));
        EXPECT_EQ(selected_row(dialog), 0);
        clear_selection(dialog);
        EXPECT_EQ(buttons(dialog), Buttons({false, false, false}));
        EXPECT_TRUE(click(dialog, IDOK));
    });
    std::optional<Lines> items = select(kHierarchical);
    EXPECT_TRUE(script.ran());
    EXPECT_FALSE(script.timed_out());
    ASSERT_TRUE(items.has_value());
    EXPECT_EQ(*items, Lines({"Custom/D.Id", "Tanks.T2.Level"}));
}

TEST_F(ItemSelection, RootOfAFlatSpaceListsEveryItem) {
    DialogScript script(kCaption, [&](HWND dialog) {
        EXPECT_EQ(tree_lines(tree_of(dialog)), Lines({"OpcSim.Flat.1", "  A", "  A.B", "  Pump:Speed"}));
        add(dialog, "");
        EXPECT_EQ(rows(dialog), Lines({"A", "A.B", "Pump:Speed"}));
        EXPECT_EQ(selected_row(dialog), 2);
        // Removing every row leaves nothing to press but ">>", OK and Cancel.
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(click(dialog, IDC_REMOVE_ITEM));
        EXPECT_EQ(rows(dialog), Lines{});
        EXPECT_EQ(buttons(dialog), Buttons({false, false, false}));
        add(dialog, "A.B");
        EXPECT_TRUE(click(dialog, IDOK));
    });
    std::optional<Lines> items = select(kFlat);
    EXPECT_TRUE(script.ran());
    ASSERT_TRUE(items.has_value());
    EXPECT_EQ(*items, Lines{"A.B"});
}

// Reports how long ">>" on the root of 100 000 items in 1 000 branches takes with the real list
// view; it asserts only that every item arrives, never how fast.
TEST_F(ItemSelection, AddingAHundredThousandItemsIsReported) {
    double seconds = 0;
    DialogScript script(kCaption, [&](HWND dialog) {
        LARGE_INTEGER start, stop, frequency;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        add(dialog, "");
        QueryPerformanceCounter(&stop);
        seconds = static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        EXPECT_EQ(ListView_GetItemCount(GetDlgItem(dialog, IDC_SELECTED_ITEMS)), 100000);
        EXPECT_TRUE(click(dialog, IDCANCEL));
    }, 120000);
    EXPECT_FALSE(select(kLarge).has_value());
    EXPECT_TRUE(script.ran());
    std::printf("[ report   ] 100000 items added with the real list view in %.2f s\n", seconds);
}

TEST_F(ItemSelection, OkWithNoRowsIsAnEmptyListAndClosingIsNoList) {
    DialogScript ok(kCaption, [](HWND dialog) { EXPECT_TRUE(click(dialog, IDOK)); });
    std::optional<Lines> items = select(kHierarchical);
    EXPECT_TRUE(ok.ran());
    ASSERT_TRUE(items.has_value());
    EXPECT_TRUE(items->empty());

    const std::pair<const char *, std::function<void(HWND)>> ways[] = {
        {"Cancel", [](HWND dialog) { EXPECT_TRUE(click(dialog, IDCANCEL)); }},
        // The dialog manager turns Escape into IDCANCEL.
        {"Escape", [](HWND dialog) {
             PostMessageA(tree_of(dialog), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
             PostMessageA(tree_of(dialog), WM_KEYUP, VK_ESCAPE, 0xC0010001);
         }},
        {"close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.first);
        DialogScript script(kCaption, [&](HWND dialog) {
            add(dialog, "Alarm");
            EXPECT_EQ(rows(dialog), Lines{"Alarm"});
            way.second(dialog);
        });
        EXPECT_FALSE(select(kHierarchical).has_value());
        EXPECT_TRUE(script.ran());
        EXPECT_FALSE(script.timed_out());
    }
}

TEST_F(ItemSelection, AServerThatCannotBeCreatedIsReportedOnceAndLeavesAnEmptyList) {
    // Armed only once the message is answered: until then the dialog is up but not ready.
    std::optional<DialogScript> dialog_script;
    DialogScript message(kErrorCaption, [&](HWND box) {
        EXPECT_EQ(control_text(box, kMessageBoxText), kConnectFailed);
        EXPECT_EQ(window_text(GetWindow(box, GW_OWNER)), kCaption);
        EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
        EXPECT_TRUE(answer_message_box(kErrorCaption, IDOK));
        dialog_script.emplace(kCaption, [&](HWND dialog) {
            EXPECT_EQ(find_thread_dialog(kErrorCaption), nullptr) << "the message came again";
            EXPECT_FALSE(IsWindowEnabled(tree_of(dialog)));
            EXPECT_EQ(tree_lines(tree_of(dialog)), Lines{"OpcSim.NotRegistered.1"});
            TreeView_SelectItem(tree_of(dialog), TreeView_GetRoot(tree_of(dialog)));
            EXPECT_TRUE(click(dialog, IDC_ADD_ITEMS));
            EXPECT_EQ(rows(dialog), Lines{});
            EXPECT_TRUE(click(dialog, IDOK));
        });
    });
    std::optional<Lines> items = select(kUnregistered);
    EXPECT_TRUE(message.ran());
    ASSERT_TRUE(dialog_script.has_value());
    EXPECT_TRUE(dialog_script->ran());
    ASSERT_TRUE(items.has_value());
    EXPECT_TRUE(items->empty());
}

TEST_F(ItemSelection, NoServerAtTheNumberMeansNoDialog) {
    DialogScript script(kCaption, [](HWND dialog) { click(dialog, IDOK); }, 2000);
    for (int server : {static_cast<int>(kEmptySlot), -1, 256}) EXPECT_FALSE(select(server).has_value()) << server;
    EXPECT_EQ(select_items_(nullptr, kHierarchical, nullptr), nullptr);
    EXPECT_FALSE(script.ran());
}

}  // namespace wintest
