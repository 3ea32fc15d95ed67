// Servers that misbehave cost the user a dialog at most: address spaces without a bottom,
// enumerations that never end, answers that say nothing, and server objects that die under the
// dialogs.
#include <functional>
#include <memory>

#include "dialog_fixture.h"
#include "dialogs/item_selection_dialog.h"

using namespace tagcfg;
using namespace tagcfg::test;
using ::testing::ElementsAre;

namespace {

const char kCyclic[] = "branch Loop loops-back\nleaf Value\n";
const char kEndlessLeaves[] = "fault endless-leaves\nbranch T\n  leaf Level\nleaf Alarm\n";

std::string loops(int count, const std::string &rest, const char *separator = ".") {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::string("Loop") + separator;
    return text + rest;
}

struct Hostile {
    const char *name;
    std::string space;
    const char *branch;  // where the collect starts: a path below the root, or "" for the root
    size_t top_level;    // the nodes the root gets when it opens
    CollectEnd end;
    size_t count;    // item IDs collected
    Texts ends;      // the first and the last of them
    int most_moves;  // position changes the collect may ask for
};
void PrintTo(const Hostile &hostile, std::ostream *out) { *out << hostile.name; }

// The position never goes more than 64 levels below the top (leaves there are still taken); one
// enumeration gives at most a million names, and one collect reads a million in all.
const Hostile kHostile[] = {
    {"own folder", kCyclic, "Loop", 2, CollectEnd::complete, 64, {loops(64, "Value"), "Loop.Value"}, 130},
    {"own folder from the root", kCyclic, "", 2, CollectEnd::complete, 65, {loops(64, "Value"), "Value"}, 130},
    {"endless leaves", kEndlessLeaves, "", 1000001, CollectEnd::name_limit, 999999, {"T.Level", "T.Value999998"}, 2},
    {"endless branches", "fault endless-branches\nbranch Tanks\n", "", 1000000, CollectEnd::name_limit, 0, {}, 2000000},
    {"null names", "fault null-name\nbranch A\n  leaf B\nleaf C\n", "", 0, CollectEnd::complete, 0, {}, 1},
    {"up never fails", "fault up-forever\nbranch A\n  leaf B\n", "", 1, CollectEnd::complete, 1, {"A.B", "A.B"}, 1026},
    {"down refused", "branch R refuse-down\n  leaf X\n", "R", 1, CollectEnd::unreachable, 0, {}, 2},
};

class HostileServer : public BrowseTest, public ::testing::WithParamInterface<Hostile> {};

ui::MemoryTree &tree_of(ui::MemoryDialog &d) { return d.memory_tree(IDC_BROWSE_TREE); }
ui::MemoryList &list_of(ui::MemoryDialog &d) { return d.memory_list(IDC_SELECTED_ITEMS); }

}  // namespace

TEST_P(HostileServer, TheTreeOpensAndACollectEnds) {
    const Hostile &c = GetParam();
    open(c.space);
    tree.expand(root);
    EXPECT_EQ(tree.node(root).kids.size(), c.top_level);
    int moves = sim::opc_calls().change_position;
    CollectEnd end;
    Texts ids = collect(*c.branch ? find_node(tree, std::string("Plant/") + c.branch) : root, &end);
    EXPECT_LE(sim::opc_calls().change_position - moves, c.most_moves);
    EXPECT_EQ(end, c.end);
    ASSERT_EQ(ids.size(), c.count);
    EXPECT_EQ(ids.empty() ? Texts() : Texts({ids.front(), ids.back()}), c.ends);
}

INSTANTIATE_TEST_SUITE_P(Spaces, HostileServer, ::testing::ValuesIn(kHostile));

TEST_F(BrowseTest, OpeningAlongAnItemIdGoesSixtyFourLevelsDownAtMost) {
    open(kCyclic);
    view.locate_item_id(loops(64, "Value"), root, false);
    EXPECT_EQ(selected_path(tree), "Plant/" + loops(64, "Value", "/"));
    tree.select(nullptr);
    for (int count : {65, 100000}) {
        view.locate_item_id(loops(count, "Value"), root, false);
        EXPECT_EQ(tree.selection(), nullptr) << count;
    }
    ui::TreeNode deepest = find_node(tree, "Plant/" + loops(63, "Loop", "/"));
    EXPECT_TRUE(tree.expanded_once(deepest));
    EXPECT_FALSE(tree.expanded_once(tree.first_child(deepest)));
}

// S_FALSE says nothing was handed out, whatever the name pointer holds: it is not freed or shown.
TEST_F(BrowseTest, ANameHandedOutWithSFalseIsNotTaken) {
    open("namespace flat\n");
    struct Junk : platform::NameEnumerator {
        char16_t text[6] = u"Ghost";
        int32_t next(char16_t **name) override {
            *name = text;
            return 1;  // S_FALSE
        }
    } junk;
    EXPECT_EQ(view.insert_names(root, &junk, NodeKind::leaf), 0);
    EXPECT_EQ(tree.first_child(root), nullptr);
}

// Every call can meet the dead object, the enumerators handed out before included: the view lets
// the object go and disables the tree, as for a server without browsing. Each time, the server
// object is made again and dies before the next call.
TEST_F(BrowseTest, AServerThatDiesIsLetGoWhereverTheViewMeetsIt) {
    open("namespace flat\nleaf A\nleaf B\n");
    std::string id;
    std::unique_ptr<platform::NameEnumerator> names;
    const std::function<void()> meetings[] = {
        [&] { view.open(*server, true); },
        [&] { EXPECT_EQ(view.fill_node(root), 0); },
        [&] { EXPECT_FALSE(view.item_id_of_node(root, id)); },
        [&] { EXPECT_EQ(view.insert_names(root, names.get(), NodeKind::leaf), 0); },
    };
    for (const auto &meet : meetings) {
        view.open(*server, true);
        int32_t result = 0;
        names =
            platform::query_browse_source(server->server_object, &result)->browse_item_ids(platform::kOpcFlat, &result);
        sim::kill_server_objects();
        meet();
        EXPECT_FALSE(tree.enabled());
        EXPECT_EQ(server->server_object, nullptr);
        ASSERT_TRUE(connect_server(*server));
    }
    view.open(*server, true);
    Texts ids;
    auto sink = [&](const std::string &item_id) {
        ids.push_back(item_id);
        sim::kill_server_objects();
    };
    EXPECT_EQ(view.collect_item_ids(root, sink), CollectEnd::server_lost);
    EXPECT_THAT(ids, ElementsAre("A"));  // the name read before is still taken
    EXPECT_FALSE(tree.enabled());
    EXPECT_EQ(server->server_object, nullptr);
}

// ">>" looks for Escape every 4,096 names read, so a short walk never does; Escape stops the
// walk, keeping the name it was found at, and any other key is dropped.
TEST_F(SimServerTest, OnlyEscapeStopsAddingAndOnlyALongWalkLooksForIt) {
    serve("branch Few\n  leaf One\n  leaf Two\ngenerate 1 10000\n");  // B0000: L000 to L9999
    Texts items;
    ItemSelectionDialog dialog(*server, items);
    ui::MemoryDialogHost().run(dialog, [&](ui::MemoryDialog &d) {
        d.press_key(ui::kVkEscape);
        tree_of(d).select(find_node(tree_of(d), "Plant/Few"));
        d.click(IDC_ADD_ITEMS);
        EXPECT_EQ(list_of(d).count(), 2);
        tree_of(d).select(find_node(tree_of(d), "Plant/B0000"));
        d.click(IDC_ADD_ITEMS);
        EXPECT_EQ(list_of(d).count(), 2 + 4096);
        EXPECT_EQ(list_of(d).selected(), 2 + 4095);
        d.press_key('A');
        d.click(IDC_ADD_ITEMS);
        EXPECT_EQ(list_of(d).count(), 2 + 10000);
        EXPECT_EQ(d.key_checks(), 1 + 2);
        EXPECT_TRUE(d.messages().empty());
        d.click(ui::kIdOk);
    });
    ASSERT_EQ(items.size(), 10002u);
    EXPECT_EQ(items[2 + 4095], "B0000.L4095");
}
