#include <map>

#include "dialog_fixture.h"
#include "dialogs/item_selection_dialog.h"

using namespace tagcfg;
using namespace tagcfg::test;

namespace {

ui::MemoryList &list(ui::MemoryDialog &d) { return d.memory_list(IDC_SELECTED_ITEMS); }

// Which of Remove, Up and Down can be pressed: "RUD", with "-" for each that cannot.
std::string buttons(ui::MemoryDialog &d) {
    return test::buttons(d, {{IDC_REMOVE_ITEM, 'R'}, {IDC_MOVE_UP, 'U'}, {IDC_MOVE_DOWN, 'D'}});
}

// One step of a user: "add PATH" picks a tree node and presses ">>"; "double PATH" picks one and
// double-clicks it ("double" alone: whatever is picked); "expand PATH" opens one; "select ROW"
// picks a row; "up", "down", "remove" and "cancel" press those buttons.
void act(ui::MemoryDialog &d, const std::string &step) {
    static const std::map<std::string, int> kButtons = {
        {"add", IDC_ADD_ITEMS}, {"up", IDC_MOVE_UP}, {"down", IDC_MOVE_DOWN}, {"remove", IDC_REMOVE_ITEM}};
    const size_t space = step.find(' ');
    const std::string verb = step.substr(0, space), arg = space == std::string::npos ? "" : step.substr(space + 1);
    if (verb == "select") return list(d).select(std::stoi(arg));
    if (verb == "expand") return tree(d).expand(find_node(tree(d), arg));
    if (!arg.empty()) tree(d).select(find_node(tree(d), arg));
    if (verb == "double") return d.double_click(IDC_BROWSE_TREE);
    if (verb == "cancel") return d.click(ui::kIdCancel);
    d.click(kButtons.at(verb));
}

struct Script {
    Texts listed;  // the host's list as the dialog opens
    Texts steps;
    Texts rows;  // afterwards, and the host's list unless the script ends with Cancel
    int selected;
    const char *buttons;
};

const Script kScripts[] = {
    // The host's items are listed once each; Cancel leaves its list as it was.
    {{"Boiler.Temp1", "boiler.TEMP1", "Alarm"}, {}, {"Boiler.Temp1", "Alarm"}, -1, "---"},
    {{"Alarm"}, {"add Plant/Boiler/Pumps", "cancel"}, {"Alarm", "Boiler.Pumps.P1", "Boiler.Pumps.P2"}, 2, "RU-"},
    // Picks add a leaf once, without regard to case, and select the row added or found.
    {{}, {"add Plant/Boiler/Temp1"}, {"Boiler.Temp1"}, 0, "R--"},
    {{"boiler.TEMP1", "Alarm"}, {"add Plant/Boiler/Temp1"}, {"boiler.TEMP1", "Alarm"}, 0, "R-D"},
    {{"Alarm"}, {"add Plant/Upper", "add Plant/Lower"}, {"Alarm", "Plant.PUMP"}, 1, "RU-"},
    // What the server gives no item ID for adds nothing and keeps the selection.
    {{"Alarm"}, {"select 0", "add Plant/Odd", "add Plant/Blank", "add Plant/Refused"}, {"Alarm"}, 0, "R--"},
    // A branch adds what is below it and selects the last row.
    {{"Boiler.Pumps.P2"}, {"add Plant/Boiler/Pumps"}, {"Boiler.Pumps.P2", "Boiler.Pumps.P1"}, 1, "RU-"},
    // A double click adds leaves only; a branch found empty once opened counts as a leaf.
    {{}, {"double", "double Plant", "double Plant/Boiler/Pumps", "double Plant/Alarm"}, {"Alarm"}, 0, "R--"},
    {{"Alarm"}, {"add Plant/Empty", "expand Plant/Empty", "add Plant/Empty"}, {"Alarm", "Empty"}, 1, "RU-"},
    // Up and Down move the selected row, whole however long; Remove selects the row in its place.
    {{"A", kLongId, "C"}, {"select 1", "up"}, {kLongId, "A", "C"}, 0, "R-D"},
    {{"A", kLongId, "C"}, {"select 1", "down"}, {"A", "C", kLongId}, 2, "RU-"},
    {{"A", kLongId, "C"}, {"select 0", "remove"}, {kLongId, "C"}, 0, "R-D"},
    {{"A", kLongId, "C"}, {"select 2", "remove"}, {"A", kLongId}, 1, "RU-"},
    {{"A"}, {"select 0", "remove", "remove"}, {}, -1, "---"},
    // Rows are found where they moved to, and a removed row comes back at the end.
    {{"A", "Alarm", "C"}, {"select 1", "down", "add Plant/Alarm"}, {"A", "C", "Alarm"}, 2, "RU-"},
    {{"A", "Alarm"}, {"select 0", "remove", "add Plant/Alarm"}, {"Alarm"}, 0, "R--"},
    {{"Alarm", "B"}, {"select 0", "remove", "add Plant/Alarm"}, {"B", "Alarm"}, 1, "RU-"},
};

class ItemSelectionTest : public SimServerTest {
protected:
    int open(const ui::MemoryDialogHost::User &user) {
        ItemSelectionDialog dialog(*server, items);
        return ui::MemoryDialogHost().run(dialog, user);
    }

    Texts items;
};

}  // namespace

TEST_F(ItemSelectionTest, ScriptsLeaveTheRowsTheSelectionTheButtonsAndTheHostsList) {
    serve(kPlant);
    for (const Script &script : kScripts) {
        SCOPED_TRACE(::testing::PrintToString(script.steps));
        items = script.listed;
        int end = open([&](ui::MemoryDialog &d) {
            EXPECT_EQ(list(d).column(), "OPC Item ID");
            EXPECT_TRUE(list(d).shows_shared_images());
            EXPECT_TRUE(tree(d).shows_shared_images());
            EXPECT_TRUE(tree(d).node(find_node(tree(d), "Plant")).expanded);
            EXPECT_EQ(d.focused(), IDC_BROWSE_TREE);
            EXPECT_TRUE(d.wait_cursor_shown());
            for (const std::string &step : script.steps) act(d, step);
            EXPECT_EQ(list(d).texts(), script.rows);
            EXPECT_EQ(list(d).selected(), script.selected);
            EXPECT_EQ(buttons(d), script.buttons);
            for (int row = 0; row < list(d).count(); ++row) EXPECT_EQ(list(d).image(row), kLeafImage);
            EXPECT_TRUE(list(d).redraw());
            EXPECT_TRUE(d.messages().empty());
            d.click(ui::kIdOk);
        });
        EXPECT_EQ(items, end == ui::kIdOk ? script.rows : script.listed);
    }
}

// ">>" looks for Escape every 4,096 names read, so a short walk never does; Escape stops the
// walk, keeping the name it was found at, and any other key is dropped.
TEST_F(ItemSelectionTest, OnlyEscapeStopsAddingAndOnlyALongWalkLooksForIt) {
    serve("branch Few\n  leaf One\n  leaf Two\ngenerate 1 10000\n");  // B0000: L000 to L9999
    open([&](ui::MemoryDialog &d) {
        d.press_key(ui::kVkEscape);
        act(d, "add Plant/Few");
        EXPECT_EQ(list(d).count(), 2);
        act(d, "add Plant/B0000");
        EXPECT_EQ(list(d).count(), 2 + 4096);
        EXPECT_EQ(list(d).selected(), 2 + 4095);
        d.press_key('A');
        d.click(IDC_ADD_ITEMS);
        EXPECT_EQ(list(d).count(), 2 + 10000);
        EXPECT_EQ(d.key_checks(), 1 + 2);
        EXPECT_TRUE(d.messages().empty());
        d.click(ui::kIdOk);
    });
    ASSERT_EQ(items.size(), 10002u);
    EXPECT_EQ(items[2 + 4095], "B0000.L4095");
}
