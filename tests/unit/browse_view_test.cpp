#include <functional>
#include <memory>

#include "dialog_fixture.h"

using namespace tagcfg;
using namespace tagcfg::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(BrowseTest, TheRootIsFilledOnceWithBranchesBeforeLeavesAndCollectedDepthFirst) {
    open(kPlant);
    EXPECT_EQ(tree.text(root), "Plant");
    EXPECT_TRUE(tree.enabled());
    EXPECT_THAT(children(tree, root), ElementsAre("Boiler", "BoilerRoom", "Empty", "Refused", "Alarm", "Odd", "Blank",
                                                  "Upper", "Lower", "Long"));
    EXPECT_EQ(tree.image(find_node(tree, "Plant/Boiler")), kBranchImage);
    EXPECT_EQ(tree.image(find_node(tree, "Plant/Alarm")), kLeafImage);
    EXPECT_EQ(tree.child_count(find_node(tree, "Plant/Alarm")), 0);
    int calls = sim::opc_calls().browse_item_ids;
    tree.click_expand_button(root);  // closed
    tree.click_expand_button(root);  // and open again
    EXPECT_EQ(sim::opc_calls().browse_item_ids, calls);
    // Nodes with nothing below them, or that cannot be entered, lose their expand button.
    for (const char *path : {"Plant/Empty", "Plant/Refused"}) {
        EXPECT_THAT(children(tree, find_node(tree, path)), IsEmpty()) << path;
        EXPECT_EQ(tree.child_count(find_node(tree, path)), 0) << path;
    }
    // A collect goes depth first and skips what has no item ID.
    EXPECT_THAT(collect(root), ElementsAre("Boiler.Pumps.P1", "Boiler.Pumps.P2", "Boiler.Temp1", "Boiler.Temp2",
                                           "BoilerRoom.Fan", "Alarm", "Plant.PUMP", "plant.pump", kLongId));
}

// Opening the tree along an item ID selects the node it names, whose item ID the server gives.
TEST_F(BrowseTest, LocatingTakesEverySeparatorBelowTheTopAndStopsAtTheFirstMismatch) {
    open(kPlant);
    const std::tuple<const char *, const char *, const char *> cases[] = {
        {"Boiler/Pumps:P1", "Plant/Boiler/Pumps/P1", "Boiler.Pumps.P1"},
        {"Boiler\\..Pumps//P1", "Plant/Boiler/Pumps/P1", "Boiler.Pumps.P1"},
        {"BoilerRoom.Fan", "Plant/BoilerRoom/Fan", "BoilerRoom.Fan"},
        {"Upper", "Plant/Upper", "Plant.PUMP"},
        {"Odd", "Plant/Odd", ""},  // the server fails to answer
        {"Blank", "Plant/Blank", ""},
        {".Boiler.Temp1", "", ""},
        {"boiler.temp1", "", ""},
        {"Boiler.Temp1.X", "", ""},
    };
    for (const auto &[text, path, item_id] : cases) {
        tree.select(nullptr);
        view.locate_item_id(text, root, false);
        EXPECT_EQ(selected_path(tree), path) << text;
        std::string id;
        if (tree.selection()) {
            EXPECT_EQ(tree.made_visible(), tree.selection()) << text;
            EXPECT_EQ(view.item_id_of_node(tree.selection(), id), *item_id != 0) << text;
        }
        EXPECT_EQ(id, item_id) << text;
    }
}

// A device's own item beside the folder of its points, under one name: the leaf is taken where the
// text ends, the branch where it goes on. A path that fails below one match goes on with the next.
// A name matches whole parts only: Pump1 is not Pump, then 1.
TEST_F(BrowseTest, LocatingPrefersTheLeafOfANameAndGoesBackToTheNextMatch) {
    open(
        "branch device\n  branch port\n    branch one\n      leaf Two\n    leaf one\n  leaf port\n"
        "branch Line\n  leaf Speed\nbranch Line.1\n  leaf Level\nbranch Pump\n  leaf 1\nleaf device\nleaf Pump1\n");
    const std::tuple<const char *, const char *, int> cases[] = {
        {"device", "Plant/device", kLeafImage},
        {"device/port", "Plant/device/port", kLeafImage},
        {"device/port/one", "Plant/device/port/one", kLeafImage},
        {"device/port/one/Two", "Plant/device/port/one/Two", kLeafImage},
        {"Line.1.Level", "Plant/Line.1/Level", kLeafImage},
        {"Line.1", "Plant/Line.1", kBranchImage},
        {"Line.Speed", "Plant/Line/Speed", kLeafImage},
        {"device/port/two", "", 0},
        {"Pump1", "Plant/Pump1", kLeafImage},
    };
    for (const auto &[text, path, image] : cases) {
        tree.select(nullptr);
        view.locate_item_id(text, root, false);
        EXPECT_EQ(selected_path(tree), path) << text;
        if (tree.selection()) {
            EXPECT_EQ(tree.image(tree.selection()), image) << text;
        }
    }
}

// Every level lists one name twice, and the text goes deeper than the dialogs go: going back is
// bounded, by the branches one search may open.
TEST_F(BrowseTest, GoingBackEndsOnAServerThatRepeatsANameOnEveryLevel) {
    open("branch Loop loops-back\nbranch Loop loops-back\n");
    std::string text;
    for (int i = 0; i < 70; ++i) text += "Loop.";
    view.locate_item_id(text + "X", root, false);
    EXPECT_EQ(tree.selection(), nullptr);
    EXPECT_LE(sim::opc_calls().browse_item_ids, 2 * 1025);
}

TEST_F(BrowseTest, AFlatSpaceListsItsLeavesAndNeverMovesThePosition) {
    open("namespace flat\nleaf A\nleaf A.B\nleaf C\n");
    EXPECT_THAT(children(tree, root), ElementsAre("A", "A.B", "C"));
    std::string id;
    EXPECT_TRUE(view.item_id_of_node(find_node(tree, "Plant/C"), id));
    EXPECT_EQ(id, "C");
    view.locate_item_id("A.B", root, false);  // nothing below the leaf "A": the next match is tried
    EXPECT_EQ(selected_path(tree), "Plant/A.B");
    EXPECT_THAT(collect(nullptr), ElementsAre("A", "A.B", "C"));
    EXPECT_EQ(sim::opc_calls().change_position, 0);
}

// The calls a server sees, in order, for the two walks that go deep: collecting a branch (">>" in
// the item selection dialog) and opening the tree along an item ID (the channel setup dialog).
// Servers in the field rely on this order; it must not drift.
TEST_F(BrowseTest, TheDeepWalksCallTheServerInAFixedOrder) {
    open(kPlant);
    tree.expand(root);
    sim::opc_calls().logging = true;
    collect(find_node(tree, "Plant/Boiler"));
    // One step of the walk per line:
    // clang-format off
    EXPECT_THAT(sim::opc_calls().log, ElementsAre(
        "up", "down Boiler",  // positioning: the top first, then down the node's path
        "browse branch",
        "next Pumps", "down Pumps", "browse branch", "next end", "browse leaf",
        "next P1", "item P1", "next P2", "item P2", "next end", "up",
        "next Locked", "down Locked",  // refused: skipped without going up
        "next Quiet", "down Quiet", "browse branch", "next end", "browse leaf", "next end", "up",
        "next end",
        "browse leaf", "next Temp1", "item Temp1", "next Temp2", "item Temp2", "next end"));
    // clang-format on

    tree.clear();
    root = view.insert_root_node(*server);
    sim::opc_calls().log.clear();
    view.locate_item_id("Boiler.Pumps.P2", root, false);
    EXPECT_EQ(selected_path(tree), "Plant/Boiler/Pumps/P2");
    // One level of the tree per line:
    // clang-format off
    EXPECT_THAT(sim::opc_calls().log, ElementsAre(
        "up", "up",  // from Boiler, where the collect left the server, then at the top
        "browse branch", "next Boiler", "next BoilerRoom", "next Empty", "next Refused", "next end",
        "browse leaf", "next Alarm", "next Odd", "next Blank", "next Upper", "next Lower", "next Long", "next end",
        "up", "down Boiler", "browse branch", "next Pumps", "next Locked", "next Quiet", "next end",
        "browse leaf", "next Temp1", "next Temp2", "next end",
        "up", "up",  // from Boiler, then at the top
        "down Boiler", "down Pumps", "browse branch", "next end", "browse leaf", "next P1", "next P2", "next end"));
    // clang-format on
}

// Servers that misbehave cost the user a dialog at most: address spaces without a bottom,
// enumerations that never end, answers that say nothing, and server objects that die under the
// dialogs.
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
// the object go and disables the tree, as for a server without browsing (opening on a dead object:
// the channel setup test). Each time, the server object is made again and dies before the next call.
TEST_F(BrowseTest, AServerThatDiesIsLetGoWhereverTheViewMeetsIt) {
    open("namespace flat\nleaf A\nleaf B\n");
    std::string id;
    std::unique_ptr<platform::NameEnumerator> names;
    const std::function<void()> meetings[] = {
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
