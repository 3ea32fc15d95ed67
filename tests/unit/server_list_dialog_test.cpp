#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/server_list_dialog.h"
#include "dialogs/server_picker_dialog.h"
#include "frame/handles.h"
#include "platform/network.h"
#include "memory_dialog.h"
#include "platform/sim/sim_platform.h"
#include "resource_ids.h"
#include "test_support.h"

using namespace tagcfg;
namespace sim = tagcfg::platform::sim;
using Texts = std::vector<std::string>;

namespace {

const char kClsidText[] = "{12345678-9ABC-DEF0-1122-334455667788}";
const char kNotConfigured[] = "<not configured>";
const unsigned kAskChange = ui::kMbYesNo | ui::kMbIconExclamation;
const unsigned kAskRemove = kAskChange | ui::kMbDefButton2;

void register_server(const std::string &computer, const std::string &progid, const std::string &description,
                     const std::string &clsid) {
    sim::add_registry_key(computer, progid, description);
    sim::add_registry_key(computer, progid + "\\OPC");
    if (!clsid.empty()) sim::add_registry_key(computer, progid + "\\CLSID", clsid);
}

// Which buttons can be pressed, in the order Add, Remove, Change, Select, Exit.
using Buttons = std::vector<bool>;

class ServerListTest : public ::testing::Test {
protected:
    void SetUp() override {
        register_server("", "Sim.A.1", "Alpha", kClsidText);
        register_server("", "Sim.NoClsid.1", "No CLSID", "");
        register_server("", "Sim.Bad.1", "Bad CLSID", "{not a class}");
        sim::add_network_entry("", platform::kDisplayServer, "\\\\PLANT2");
        register_server("PLANT2", "Sim.Remote.1", "Remote", kClsidText);
    }
    void TearDown() override { sim::reset(); }

    // Slots named by ProgID, "" for an empty one; each server gets two channels.
    void slots(const Texts &progids) {
        for (const std::string &progid : progids) {
            env.servers.emplace_back();
            if (progid.empty()) continue;
            env.servers.back() = test::make_server();
            env.servers.back()->progid = progid;
            env.servers.back()->description = progid + " text";
            test::add_parsed(*env.servers.back(), 1, "", "A.Item");
            test::add_parsed(*env.servers.back(), 2, "", "B.Item");
        }
    }

    // Runs the dialog; every picker it opens follows `path`: the texts of tree texts from a top-level
    // item down to a server, or nothing to cancel.
    int open(int number, const std::function<void(ui::MemoryDialog &)> &user) {
        ui::MemoryDialogHost picker_host([this](ui::MemoryDialog &d) {
            ++pickers;
            picker(d);
        });
        ServerListDialog dialog(env, number, picker_host);
        int result = ui::MemoryDialogHost().run(dialog, user);
        chosen = dialog.server_number();
        return result;
    }

    static ui::MemoryList &list(ui::MemoryDialog &d) { return d.memory_list(IDC_SERVER_LIST); }
    static Texts row(ui::MemoryDialog &d, int r) {
        Texts cells;
        for (int c = 0; c < 4; ++c) cells.push_back(list(d).cell(r, c));
        cells.push_back(std::to_string(list(d).image(r)));
        return cells;
    }
    static Buttons buttons(ui::MemoryDialog &d) {
        return {d.enabled(IDC_ADD_SERVER), d.enabled(IDC_REMOVE_SERVER), d.enabled(IDC_CHANGE_SERVER),
                d.enabled(ui::kIdOk), d.enabled(ui::kIdCancel)};
    }
    // Select pressed however it is disabled (Enter reaches the dialog all the same).
    static void press_select(ui::MemoryDialog &d) { d.raise({ui::EventKind::command, ui::kIdOk}); }

    Environment env;
    int chosen = 0;   // the dialog's server number when it ended
    int pickers = 0;  // pickers opened
    Texts path;

private:
    std::function<void(ui::MemoryDialog &)> picker = [this](ui::MemoryDialog &d) {
        ui::MemoryTree &tree = d.memory_tree(IDC_PICKER_TREE);
        ui::TreeNode node = nullptr;
        for (const std::string &text : path) {
            if (node) tree.expand(node);
            ui::TreeNode c = tree.first_child(node);
            while (c && tree.text(c) != text) c = tree.next_sibling(c);
            ASSERT_NE(c, nullptr) << text;
            node = c;
        }
        if (!node) return d.click(ui::kIdCancel);
        d.select_node(IDC_PICKER_TREE, node);
        d.click(ui::kIdOk);
    };
};

const Texts kLocalAlpha = {"My Computer", "Alpha"};

}  // namespace

TEST_F(ServerListTest, ShowsEverySlotInItsRowAndSelectsTheChosenServer) {
    slots({"Sim.X.1", "", ""});
    env.servers[2] = test::make_server();
    env.servers[2]->clsid = kClsidText;
    env.servers[2]->hostname = "plant2";
    int result = open(2, [&](ui::MemoryDialog &d) {
        EXPECT_TRUE(list(d).full_row_select());
        EXPECT_TRUE(list(d).shows_shared_images());
        EXPECT_EQ(d.focused(), IDC_SERVER_LIST);
        Texts titles;
        std::vector<int> widths;
        for (const auto &column : list(d).columns()) {
            titles.push_back(column.title);
            widths.push_back(column.width);
        }
        EXPECT_EQ(titles, (Texts{"Server#", "Server ID", "Computer", "Description"}));
        EXPECT_EQ(widths, (std::vector<int>{59, 137, 78, 183}));  // of 459 pixels
        ASSERT_EQ(list(d).count(), 3);
        EXPECT_EQ(row(d, 0), (Texts{"OPC0", "Sim.X.1", "", "Sim.X.1 text", "0"}));
        EXPECT_EQ(row(d, 1), (Texts{"OPC1", kNotConfigured, "", "", "9"}));
        EXPECT_EQ(row(d, 2), (Texts{"OPC2", kClsidText, "plant2", "", "0"}));
        EXPECT_EQ(list(d).selected(), 2);
        EXPECT_EQ(buttons(d), (Buttons{true, true, true, true, true}));
        list(d).select(0);
        d.double_click(IDC_SERVER_LIST);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_EQ(chosen, 0);
}

TEST_F(ServerListTest, PreselectionAndButtonsFollowTheSelectedSlot) {
    struct Case {
        Texts slots;
        int number;
        int selected;
        Buttons enabled;
    };
    const Case cases[] = {
        {{}, -1, -1, {true, false, false, false, true}},
        {{}, 0, -1, {true, false, false, false, true}},
        {{"Sim.X.1", ""}, -1, -1, {true, false, false, false, true}},
        {{"Sim.X.1", ""}, 2, -1, {true, false, false, false, true}},
        {{"Sim.X.1", ""}, 1, 1, {true, false, true, true, true}},
        {{"Sim.X.1", ""}, 0, 0, {true, true, true, true, true}},
    };
    for (const Case &c : cases) {
        env.servers.clear();
        slots(c.slots);
        const bool configured = c.selected >= 0 && env.servers[static_cast<size_t>(c.selected)];
        int result = open(c.number, [&](ui::MemoryDialog &d) {
            EXPECT_EQ(list(d).count(), static_cast<int>(c.slots.size()));
            EXPECT_EQ(list(d).selected(), c.selected);
            EXPECT_EQ(buttons(d), c.enabled);
            d.double_click(IDC_SERVER_LIST);
            press_select(d);
            if (!d.ended()) d.click(ui::kIdCancel);
        });
        SCOPED_TRACE(c.number);
        EXPECT_EQ(result, configured ? ui::kIdOk : ui::kIdCancel);
        EXPECT_EQ(chosen, configured ? c.selected : -1);
        EXPECT_EQ(env.servers.size(), c.slots.size());
    }
}

TEST_F(ServerListTest, RemoveAsksThenEmptiesTheSlotOrTrimsTheTable) {
    struct Case {
        int row;
        int answer;
        Texts server_ids;  // column 1 of every row afterwards
    };
    const Case cases[] = {
        {2, ui::kIdYes, {"Sim.X.1"}},
        {0, ui::kIdYes, {kNotConfigured, kNotConfigured, "Sim.Z.1"}},
        {2, ui::kIdNo, {"Sim.X.1", kNotConfigured, "Sim.Z.1"}},
    };
    for (const Case &c : cases) {
        env.servers.clear();
        slots({"Sim.X.1", "", "Sim.Z.1"});
        open(c.row, [&](ui::MemoryDialog &d) {
            d.answers = {c.answer};
            d.click(IDC_REMOVE_SERVER);
            ASSERT_EQ(d.messages().size(), 1u);
            EXPECT_EQ(d.messages()[0].caption, "Warning");
            EXPECT_EQ(d.messages()[0].text.rfind("If you remove or change OPC server configuration,\n", 0), 0u);
            EXPECT_EQ(d.messages()[0].style, kAskRemove);
            Texts ids;
            for (int r = 0; r < list(d).count(); ++r) ids.push_back(list(d).cell(r, 1));
            EXPECT_EQ(ids, c.server_ids);
            bool still_there = c.answer != ui::kIdYes;
            EXPECT_EQ(d.enabled(IDC_REMOVE_SERVER), still_there);
            if (c.row == 0 && !still_there) {
                EXPECT_EQ(row(d, 0), (Texts{"OPC0", kNotConfigured, "", "", "9"}));
            }
            d.click(ui::kIdCancel);
        });
        SCOPED_TRACE(c.row);
        EXPECT_EQ(env.servers.size(), c.server_ids.size());
        for (size_t slot = 0; slot < env.servers.size(); ++slot)
            EXPECT_EQ(env.servers[slot] ? env.servers[slot]->progid : kNotConfigured, c.server_ids[slot]);
    }
}

TEST_F(ServerListTest, ChangeAsksOnlyOverAConfiguredSlotAndReplacesItsRecord) {
    struct Case {
        int row;
        Texts picked;  // empty: the picker is cancelled
        int answer;
        bool asked;
        bool replaced;
    };
    const Case cases[] = {
        {1, kLocalAlpha, ui::kIdNo, false, true}, {0, kLocalAlpha, ui::kIdNo, true, false},
        {0, kLocalAlpha, ui::kIdYes, true, true}, {0, {}, ui::kIdYes, false, false},
        {1, {}, ui::kIdYes, false, false},
    };
    for (const Case &c : cases) {
        env.servers.clear();
        slots({"Sim.X.1", ""});
        RecordRef<ServerConfig> before = env.servers[static_cast<size_t>(c.row)];
        path = c.picked;
        open(c.row, [&](ui::MemoryDialog &d) {
            d.answers = {c.answer};
            d.click(IDC_CHANGE_SERVER);
            EXPECT_EQ(d.messages().size(), c.asked ? 1u : 0u);
            for (const auto &shown : d.messages()) EXPECT_EQ(shown.style, kAskChange);
            Texts expected =
                before ? Texts{"OPC0", "Sim.X.1", "", "Sim.X.1 text", "0"} : Texts{"OPC1", kNotConfigured, "", "", "9"};
            if (c.replaced) expected = {"OPC" + std::to_string(c.row), "Sim.A.1", "", "Alpha", "0"};
            EXPECT_EQ(row(d, c.row), expected);
            EXPECT_EQ(list(d).selected(), c.row);
            EXPECT_EQ(d.enabled(IDC_REMOVE_SERVER), expected[4] == "0");
            d.click(ui::kIdCancel);
        });
        SCOPED_TRACE(c.row);
        EXPECT_EQ(pickers, 1);
        pickers = 0;
        ASSERT_EQ(env.servers.size(), 2u);
        ServerConfig *now = env.servers[static_cast<size_t>(c.row)].get();
        EXPECT_EQ(now != before.get(), c.replaced);
        if (!c.replaced) continue;
        EXPECT_EQ(now->progid, "Sim.A.1");
        EXPECT_EQ(now->clsid, kClsidText);
        EXPECT_EQ(now->description, "Alpha");
        EXPECT_TRUE(now->modified);
        EXPECT_EQ(now->channels.size(), 0u);
    }
}

TEST_F(ServerListTest, AddAppendsASlotKeptAfterExit) {
    slots({"Sim.X.1", ""});
    open(-1, [&](ui::MemoryDialog &d) {
        path = {};
        d.click(IDC_ADD_SERVER);
        EXPECT_EQ(list(d).count(), 2);
        EXPECT_EQ(list(d).selected(), -1);
        for (const Texts &p : {kLocalAlpha, Texts{"Network Neighbourhood", "PLANT2", "Remote"}, kLocalAlpha}) {
            const int slot = list(d).count();
            path = p;
            d.click(IDC_ADD_SERVER);
            EXPECT_EQ(list(d).selected(), slot);
            EXPECT_EQ(buttons(d), (Buttons{true, true, true, true, true}));
        }
        EXPECT_EQ(row(d, 3), (Texts{"OPC3", "Sim.Remote.1", "PLANT2", "Remote", "0"}));
        EXPECT_EQ(row(d, 1), (Texts{"OPC1", kNotConfigured, "", "", "9"}));
        EXPECT_TRUE(d.messages().empty());  // the same server twice is not questioned
        d.click(ui::kIdCancel);
    });
    EXPECT_EQ(chosen, -1);
    ASSERT_EQ(env.servers.size(), 5u);
    EXPECT_EQ(env.servers[1].get(), nullptr);
    Texts progids;
    for (size_t slot = 2; slot < 5; ++slot) {
        progids.push_back(env.servers[slot]->progid + "@" + env.servers[slot]->hostname);
        EXPECT_TRUE(env.servers[slot]->modified);
    }
    EXPECT_EQ(progids, (Texts{"Sim.A.1@", "Sim.Remote.1@PLANT2", "Sim.A.1@"}));
    EXPECT_FALSE(env.servers[0]->modified);
}

// Numbers run to 255: Add appends only while the table has fewer than 256 slots, and never onto
// the slot of a file that failed to read, which stays in the table when the servers after it go.
TEST_F(ServerListTest, AddStopsAt256SlotsAndNeverLandsOnTheSlotOfAFileThatFailed) {
    slots(Texts(255, ""));
    env.servers[254] = test::make_server();
    path = kLocalAlpha;
    open(254, [&](ui::MemoryDialog &d) {
        EXPECT_TRUE(d.enabled(IDC_ADD_SERVER));
        d.click(IDC_ADD_SERVER);
        EXPECT_EQ(list(d).selected(), 255);
        EXPECT_EQ(buttons(d), (Buttons{false, true, true, true, true}));
        d.raise({ui::EventKind::command, IDC_ADD_SERVER});  // reaches the dialog all the same
        EXPECT_EQ(list(d).count(), 256);
        d.answers = {ui::kIdYes};
        d.click(IDC_REMOVE_SERVER);
        EXPECT_EQ(list(d).count(), 255);
        EXPECT_TRUE(d.enabled(IDC_ADD_SERVER));
        d.click(ui::kIdCancel);
    });
    EXPECT_EQ(pickers, 1);
    EXPECT_EQ(env.servers.size(), 255u);

    env.servers.clear();
    slots({"Sim.X.1", "", ""});
    env.kept_slots = 3;  // the file of number 2 failed to read
    open(0, [&](ui::MemoryDialog &d) {
        d.answers = {ui::kIdYes};
        d.click(IDC_REMOVE_SERVER);
        EXPECT_EQ(list(d).count(), 3);
        d.click(IDC_ADD_SERVER);
        EXPECT_EQ(list(d).selected(), 3);
        d.click(ui::kIdCancel);
    });
    ASSERT_EQ(env.servers.size(), 4u);
    EXPECT_EQ(env.servers[3]->progid, "Sim.A.1");
}

TEST_F(ServerListTest, AServerWithoutAUsableClsidIsKnownByItsProgid) {
    const std::pair<const char *, const char *> cases[] = {
        {"No CLSID", "Sim.NoClsid.1"}, {"Bad CLSID", "Sim.Bad.1"}, {"Alpha", "Sim.A.1"}};
    for (const auto &c : cases) {
        env.servers.clear();
        path = {"My Computer", c.first};
        open(-1, [&](ui::MemoryDialog &d) {
            d.click(IDC_ADD_SERVER);
            EXPECT_EQ(list(d).cell(0, 1), c.second);
            d.click(ui::kIdCancel);
        });
        ASSERT_EQ(env.servers.size(), 1u) << c.first;
        EXPECT_EQ(env.servers[0]->progid, c.second);
        EXPECT_EQ(env.servers[0]->clsid, std::string(c.second) == "Sim.A.1" ? kClsidText : "") << c.first;
    }
}

TEST_F(ServerListTest, TheExportFailsWithoutAnEnvironmentOrAWindowSystem) {
    EXPECT_EQ(tagcfg_select_server(nullptr, 0, nullptr), -1);
    tagcfg_environment *handle = tagcfg_init_environment();
    ASSERT_NE(handle, nullptr);
    slots({"Sim.X.1"});
    handle->env.servers = env.servers;
    EXPECT_EQ(tagcfg_select_server(handle, 0, nullptr), -1);
    EXPECT_EQ(handle->env.servers.size(), 1u);
    tagcfg_free_environment(handle);
}
