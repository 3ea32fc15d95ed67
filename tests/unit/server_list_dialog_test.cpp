#include <map>

#include "dialog_fixture.h"
#include "dialogs/server_list_dialog.h"
#include "platform/network.h"

using namespace tagcfg;
using namespace tagcfg::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

const char kNone[] = "<not configured>";
const unsigned kAskChange = ui::kMbYesNo | ui::kMbIconExclamation;
const unsigned kAskRemove = kAskChange | ui::kMbDefButton2;

ui::MemoryList &list(ui::MemoryDialog &d) { return d.memory_list(IDC_SERVER_LIST); }

// Which of Add, Remove, Change, Select and Exit can be pressed: "ARCSE", "-" for each that cannot.
std::string buttons(ui::MemoryDialog &d) {
    return test::buttons(d, {{IDC_ADD_SERVER, 'A'},
                             {IDC_REMOVE_SERVER, 'R'},
                             {IDC_CHANGE_SERVER, 'C'},
                             {ui::kIdOk, 'S'},
                             {ui::kIdCancel, 'E'}});
}

// A slot as its row shows it: the server's identity, and "@computer" when it is elsewhere.
std::string slot_text(const ServerConfig *config) {
    if (!config) return kNone;
    return config->identity_text() + (config->hostname.empty() ? "" : "@" + config->hostname);
}

// A user's session with the dialog, one row of the table below each, its fields in this order:
struct Script {
    Texts slots;                      // before: ProgIDs, "" for an empty slot
    int number;                       // the slot the host asks for
    Texts steps;                      // what the user does (act, below)
    Texts rows;                       // after: each slot, as slot_text writes it
    int selected;                     // the row selected then
    const char *buttons;              // the buttons that can be pressed then (buttons, above)
    std::vector<unsigned> questions;  // the message boxes' styles, in the order asked
    int chosen;                       // the slot chosen, or -1 when the dialog was left with Exit
    size_t kept_slots = 0;            // before: slots of files that failed to read, kept before the others
};

const Texts kXZ = {"X", "", "Z"};
const Texts kGap = {"X", "", "", "Z"};
const std::string kElsewhere = std::string(kClsidText) + "@plant2";  // known by its CLSID only
const std::string kAlpha = "Sim.A.1=" + std::string(kClsidText);
const std::string kRemote = "Sim.Remote.1@PLANT2=" + std::string(kClsidText);

// Numbers run to 255: a table of 255 slots, the last one configured, and as it is after Add.
Texts with(Texts slots, const std::string &last) {
    slots.push_back(last);
    return slots;
}
const Texts k255 = with(Texts(254, ""), "X");
const Texts k256 = with(with(Texts(254, kNone), "X"), kAlpha);

// Each row: {slots, number, steps, rows, selected, buttons, questions, chosen[, kept_slots]}.
const Script kScripts[] = {
    // The slot the host asks for is selected; an empty slot cannot be chosen, however asked.
    {{}, 0, {"double", "select"}, {}, -1, "A---E", {}, -1},
    {{"X", "", kElsewhere}, 2, {}, {"X", kNone, kElsewhere}, 2, "ARCSE", {}, -1},
    {{"X", ""}, -1, {}, {"X", kNone}, -1, "A---E", {}, -1},
    {{"X", ""}, 2, {}, {"X", kNone}, -1, "A---E", {}, -1},
    {{"X", ""}, 1, {"double", "select"}, {"X", kNone}, 1, "A-CSE", {}, -1},
    {{"X", ""}, 0, {"double"}, {"X", kNone}, 0, "ARCSE", {}, 0},
    {{"X", ""}, 1, {"row 0", "select"}, {"X", kNone}, 0, "ARCSE", {}, 0},
    // Remove asks, with No as the default; Yes empties the slot, or drops the last slot and the
    // empty ones before it.
    {kXZ, 2, {"answer yes", "remove"}, {"X"}, -1, "A---E", {kAskRemove}, -1},
    {kXZ, 0, {"answer yes", "remove"}, {kNone, kNone, "Z"}, 0, "A-CSE", {kAskRemove}, -1},
    {kXZ, 2, {"answer no", "remove"}, {"X", kNone, "Z"}, 2, "ARCSE", {kAskRemove}, -1},
    // Change asks only over a configured slot, and replaces its record, channels and all.
    {{"X", ""}, 1, {"answer no", "change Alpha"}, {"X", kAlpha}, 1, "ARCSE", {}, -1},
    {{"X", ""}, 0, {"answer no", "change Alpha"}, {"X", kNone}, 0, "ARCSE", {kAskChange}, -1},
    {{"X", ""}, 0, {"answer yes", "change Alpha"}, {kAlpha, kNone}, 0, "ARCSE", {kAskChange}, -1},
    {{"X", ""}, 0, {"answer yes", "change"}, {"X", kNone}, 0, "ARCSE", {}, -1},
    // Add appends a slot, never fills an empty one, and asks nothing, the same server twice included;
    // a picked server keeps its CLSID where that is usable.
    {{"X", ""}, -1, {"add", "add Alpha", "add Alpha"}, {"X", kNone, kAlpha, kAlpha}, 3, "ARCSE", {}, -1},
    {{}, -1, {"add No CLSID", "add Bad CLSID"}, {"Sim.NoClsid.1", "Sim.Bad.1"}, 1, "ARCSE", {}, -1},
    {{}, -1, {"add Network Neighbourhood/PLANT2/Remote"}, {kRemote}, 0, "ARCSE", {}, -1},
    // Add stops at 256 slots, however reached; removing the last slot lets it add again.
    {k255, 254, {"add Alpha", "force-add Alpha"}, k256, 255, "-RCSE", {}, -1},
    {k255, 254, {"add Alpha", "answer yes", "remove"}, with(Texts(254, kNone), "X"), -1, "A---E", {kAskRemove}, -1},
    // Add never lands on the slot of a file that failed to read, which stays when the servers after it go.
    {kGap, 3, {"answer yes", "remove", "add Alpha"}, {"X", kNone, kNone, kAlpha}, 3, "ARCSE", {kAskRemove}, -1, 3},
};

class ServerListTest : public SimServerTest {
protected:
    void SetUp() override {
        add_opc_server("", "Sim.A.1", "Alpha");
        add_opc_server("", "Sim.NoClsid.1", "No CLSID", "");
        add_opc_server("", "Sim.Bad.1", "Bad CLSID", "{not a class}");
        sim::add_network_entry("", platform::kDisplayServer, "\\\\PLANT2");
        add_opc_server("PLANT2", "Sim.Remote.1", "Remote");
    }

    // Slots as slot_text writes them, with a ProgID or a braced CLSID; each server has a channel.
    void fill(const Texts &slots) {
        env.servers.clear();
        for (const std::string &slot : slots) {
            env.servers.emplace_back();
            if (slot.empty()) continue;
            env.servers.back() = make_server();
            ServerConfig &config = *env.servers.back();
            const size_t at = slot.find('@');
            (slot[0] == '{' ? config.clsid : config.progid) = slot.substr(0, at);
            if (at != std::string::npos) config.hostname = slot.substr(at + 1);
            config.description = slot + " text";
            add_parsed(config, 1, "", "A.Item");
        }
    }

    // The slots as slot_text writes them, with "=CLSID" where a ProgID comes with a CLSID.
    Texts slots() const {
        Texts texts;
        for (const auto &config : env.servers) {
            const bool both = config && !config->progid.empty() && !config->clsid.empty();
            texts.push_back(slot_text(config.get()) + (both ? "=" + config->clsid : ""));
        }
        return texts;
    }

    int open(int number, const ui::MemoryDialogHost::User &user) {
        ServerListDialog dialog(env, number, pickers);
        int result = ui::MemoryDialogHost().run(dialog, user);
        chosen = dialog.server_number();
        return result;
    }

    // One step of a user: "add PATH" and "change PATH" press those buttons and pick the server at
    // that path of the picker's tree, a bare name under My Computer (no path: the picker is
    // cancelled); "answer yes|no" answers the next question; "row N" selects a row; "double"
    // double-clicks the list; "remove" presses Remove; "select" and "force-add" reach the dialog
    // even when the button is disabled, as Enter does.
    void act(ui::MemoryDialog &d, const std::string &step) {
        const size_t space = step.find(' ');
        const std::string verb = step.substr(0, space);
        path = space == std::string::npos ? "" : step.substr(space + 1);
        if (verb == "answer") return d.answers.push_back(path == "yes" ? ui::kIdYes : ui::kIdNo);
        if (verb == "row") return list(d).select(std::stoi(path));
        if (verb == "double") return d.double_click(IDC_SERVER_LIST);
        if (verb == "select") return d.raise({ui::EventKind::command, ui::kIdOk});
        if (verb == "force-add") return d.raise({ui::EventKind::command, IDC_ADD_SERVER});
        const std::map<std::string, int> pressed = {
            {"add", IDC_ADD_SERVER}, {"change", IDC_CHANGE_SERVER}, {"remove", IDC_REMOVE_SERVER}};
        d.click(pressed.at(verb));
    }

    Environment env;
    int chosen = 0;
    std::string path;  // where the next picker goes
    ui::MemoryDialogHost pickers{[this](ui::MemoryDialog &d) {
        const std::string full = path.find('/') == std::string::npos ? "My Computer/" + path : path;
        ui::TreeNode node = path.empty() ? nullptr : find_node(d.memory_tree(IDC_PICKER_TREE), full);
        if (!node) return;  // closed: the picker is cancelled
        d.select_node(IDC_PICKER_TREE, node);
        d.click(ui::kIdOk);
    }};
};

}  // namespace

TEST_F(ServerListTest, ScriptsLeaveTheSlotsTheRowsAndTheButtons) {
    for (const Script &script : kScripts) {
        SCOPED_TRACE(::testing::PrintToString(script.slots) + " " + ::testing::PrintToString(script.steps));
        fill(script.slots);
        env.kept_slots = script.kept_slots;
        std::vector<unsigned> questions;
        int end = open(script.number, [&](ui::MemoryDialog &d) {
            EXPECT_TRUE(list(d).full_row_select());
            EXPECT_TRUE(list(d).shows_shared_images());
            EXPECT_EQ(d.focused(), IDC_SERVER_LIST);
            Texts titles;
            int width = 0;
            for (const auto &column : list(d).columns()) {
                titles.push_back(column.title);
                width += column.width;
            }
            EXPECT_THAT(titles, ElementsAre("Server#", "Server ID", "Computer", "Description"));
            EXPECT_NEAR(width, list(d).client_width, 4);  // the columns share the list out
            for (const std::string &step : script.steps) act(d, step);
            // Every row shows its slot as the table now holds it.
            ASSERT_EQ(list(d).count(), static_cast<int>(env.servers.size()));
            for (int r = 0; r < list(d).count(); ++r) {
                const ServerConfig *config = env.servers[static_cast<size_t>(r)].get();
                const std::string computer = list(d).cell(r, 2);
                EXPECT_EQ(list(d).cell(r, 0), "OPC" + std::to_string(r));
                EXPECT_EQ(list(d).cell(r, 1) + (computer.empty() ? "" : "@" + computer), slot_text(config));
                EXPECT_EQ(list(d).cell(r, 3), config ? config->description : "");
                EXPECT_EQ(list(d).image(r), config ? IMAGE_OPC_SERVER : IMAGE_EMPTY_SERVER_SLOT);
            }
            EXPECT_EQ(list(d).selected(), script.selected);
            EXPECT_EQ(buttons(d), script.buttons);
            for (const std::string &shown : d.messages()) {
                EXPECT_THAT(shown, HasSubstr("|Warning|If you remove or change OPC server configuration,\n"));
                questions.push_back(static_cast<unsigned>(std::stoul(shown)));
            }
        });
        EXPECT_EQ(questions, script.questions);
        EXPECT_EQ(end, script.chosen >= 0 ? ui::kIdOk : ui::kIdCancel);
        EXPECT_EQ(chosen, script.chosen);
        EXPECT_EQ(slots(), script.rows);
        // A picked server comes without channels, and is to be saved.
        for (const auto &config : env.servers)
            EXPECT_TRUE(!config || config->modified == (config->channel_count() == 0)) << slot_text(config.get());
    }
}
