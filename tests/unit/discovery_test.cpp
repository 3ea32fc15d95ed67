// The host program's discovery commands run in process over the sim platform: what each prints
// and the status it ends with.
#include <cstdio>
#include <iostream>
#include <sstream>

#include "command.h"
#include "dialog_fixture.h"
#include "discovery.h"
#include "model/environment.h"
#include "temp_dir.h"

using namespace tagcfg;
using namespace tagcfg::test;
using cli::Args;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

class DiscoveryTest : public SimServerTest {
protected:
    // The command with standard output and standard error caught.
    Outcome run(int (*command)(const Args &), Args args) {
        std::ostringstream out, err;
        std::streambuf *const old_out = std::cout.rdbuf(out.rdbuf()), *const old_err = std::cerr.rdbuf(err.rdbuf());
        const int status = command(args);
        std::cout.rdbuf(old_out);
        std::cerr.rdbuf(old_err);
        return {status, out.str(), err.str()};
    }
    Outcome list_servers(const char *computer, bool browser) {
        Args args;
        if (computer) args.positional = {computer};
        args.browser = browser;
        return run(cli::run_list_servers, args);
    }
    Outcome browse(const std::string &server, const std::string &depth = "", bool ids = false) {
        Args args;
        args.positional = {server};
        if (!depth.empty()) args.depth = cli::parse_number(depth, "N");
        args.ids = ids;
        return run(cli::run_browse, args);
    }
    // verify over server 0 with these channels; the flags are "--browse", "--types", "--read".
    Outcome verify(const std::string &servers, const Texts &only = {}, const std::string &flags = "") {
        dir.put("plant_opc0.cnf", "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Sim.Plant.1\r\n\r\n" + servers);
        Args args;
        args.positional = {dir.path(), "plant"};
        args.positional.insert(args.positional.end(), only.begin(), only.end());
        args.browse = flags.find("--browse") != std::string::npos;
        args.types = flags.find("--types") != std::string::npos;
        args.read = flags.find("--read") != std::string::npos;
        return run(cli::run_verify, args);
    }

    TempDir dir;
};

// Items as a server holds them, found in any letter case, under one known access path: an item
// that is also a branch, a text with blanks, an array that cannot be read, a date, and one refused.
const std::string kItems = read_bytes(TAGCFG_SOURCE_DIR "/tests/data/items.space");

std::string bindings(const Texts &item_ids, const std::string &access_path = "") {
    std::string text;
    for (size_t i = 0; i < item_ids.size(); ++i)
        text += "%CHANID:" + std::to_string(i + 1) + "\r\nID:" + item_ids[i] + "\r\n" +
                (access_path.empty() ? "" : "ACCPATH:" + access_path + "\r\n");
    return text;
}

// Branches before leaves, two blanks a level; a branch that cannot be entered shows no names.
const char kPlantTree[] =
    "Boiler\n  Pumps\n    P1\n    P2\n  Locked\n  Quiet\n  Temp1\n  Temp2\nBoilerRoom\n  Fan\nEmpty\nRefused\n"
    "Alarm\nOdd\nBlank\nUpper\nLower\nLong\n";

}  // namespace

// Lines of PROGID, CLSID and description in the order found; a CLSID that does not convert is
// left empty, and a tab inside a text would split it, so it becomes a blank. A computer whose
// registry is out of reach is asked through its server browser, as the server picker does.
TEST_F(DiscoveryTest, ListServersFromTheRegistryOrTheServerBrowser) {
    add_opc_server("", "Sim.A.1", "Alpha");
    add_opc_server("", "Sim.Bad.1", "Tab\there", "not a class id");
    sim::add_registry_key("QUIET", "NotOpc.1", "Not a server");
    add_opc_server("PLANT2", "Sim.Remote.1", "Remote");
    sim::add_browser_class("PLANT2", "Sim.Browsed.1", {0x5eed, 1, 2, {3}}, "Browsed");
    sim::set_unreachable("HIDDEN");  // its registry: its browser still answers
    sim::add_browser_class("HIDDEN", "Sim.Hidden.1", {0x5eed, 1, 2, {3}}, "");
    sim::add_browser_class("", "", {0x5eed, 1, 2, {3}}, "No ProgID, so nothing could name it");
    sim::add_browser_class("", "Sim.Here.1", {}, "");
    const std::tuple<const char *, bool, int, std::string> cases[] = {
        {nullptr, false, cli::kSuccess, "Sim.A.1\t" + std::string(kClsidText) + "\tAlpha\nSim.Bad.1\t\tTab here\n"},
        {"PLANT2", false, cli::kSuccess, "Sim.Remote.1\t" + std::string(kClsidText) + "\tRemote\n"},
        {"PLANT2", true, cli::kSuccess, "Sim.Browsed.1\t{00005EED-0001-0002-0300-000000000000}\tBrowsed\n"},
        {nullptr, true, cli::kSuccess, "Sim.Here.1\t\t\n"},
        {"simhost", true, cli::kSuccess, "Sim.Here.1\t\t\n"},  // this computer by its name
        {"QUIET", false, cli::kFailure, ""},
        {"HIDDEN", false, cli::kSuccess, "Sim.Hidden.1\t{00005EED-0001-0002-0300-000000000000}\t\n"},
        {"DEAD", false, cli::kUnreachable, ""},  // nothing answers for a computer never set up
        {"DEAD", true, cli::kUnreachable, ""},
    };
    for (const auto &[computer, browser, status, printed] : cases) {
        const Outcome run = list_servers(computer, browser);
        EXPECT_EQ(run.status, status) << (computer ? computer : "here") << browser << run.err;
        EXPECT_EQ(run.out, printed) << (computer ? computer : "here") << browser;
    }
    // A browser that never ends is read 100,000 classes far; one that cannot be asked is out of reach.
    sim::set_browser_endless("BIG");
    const Outcome big = list_servers("BIG", true);
    EXPECT_EQ(std::count(big.out.begin(), big.out.end(), '\n'), 100000);
    EXPECT_THAT(big.out, ::testing::EndsWith("\nSim.Class.100000\t{000186A0-0000-0000-0000-000000000000}\t\n"));
    sim::set_com_initialised(false);
    EXPECT_EQ(list_servers("BIG", true).status, cli::kUnreachable);
}

TEST_F(DiscoveryTest, BrowsePrintsTheTreeOrTheItemIdsDownToTheDepth) {
    serve(kPlant);
    const std::string top = "Boiler\nBoilerRoom\nEmpty\nRefused\nAlarm\nOdd\nBlank\nUpper\nLower\nLong\n";
    const std::string deep = "Boiler.Pumps.P1\nBoiler.Pumps.P2\n",
                      shallow = "Boiler.Temp1\nBoiler.Temp2\nBoilerRoom.Fan\n";
    const std::string top_ids = "Alarm\nPlant.PUMP\nplant.pump\n" + kLongId + "\n";  // case makes no duplicate
    const std::tuple<std::string, bool, std::string> cases[] = {
        {"", false, kPlantTree},        {"0", false, top},    {"", true, deep + shallow + top_ids},
        {"1", true, shallow + top_ids}, {"0", true, top_ids},
    };
    for (const auto &[depth, ids, printed] : cases) {
        SCOPED_TRACE("--depth " + depth + (ids ? " --ids" : ""));
        const Outcome run = browse("Sim.Plant.1", depth, ids);
        EXPECT_EQ(run.status, cli::kSuccess) << run.err;
        EXPECT_EQ(run.out, printed);
    }
}

// A server's own folder inside itself is shown down to the depth; leaves that name one item ID
// are printed once.
TEST_F(DiscoveryTest, BrowseBoundsAnEndlessSpaceAndPrintsEachItemIdOnce) {
    serve("branch Loop loops-back\nleaf Value\nleaf Again = Value\n");
    EXPECT_EQ(browse("{00005EED-0001-0002-0300-000000000000}", "2").out,
              "Loop\n  Loop\n    Loop\n    Value\n    Again\n  Value\n  Again\nValue\nAgain\n");
    // Inside the folder the server names items by their path; at the top both leaves name Value.
    const Outcome ids = browse("Sim.Plant.1", "", true);
    EXPECT_EQ(std::count(ids.out.begin(), ids.out.end(), '\n'), 64 * 2 + 1);
    EXPECT_THAT(ids.out, ::testing::EndsWith("\nLoop.Value\nLoop.Again\nValue\n"));
}

TEST_F(DiscoveryTest, BrowseReportsAServerWithoutAnAddressSpace) {
    serve("fault no-browse\nleaf Hidden\n");
    const Outcome run = browse("Sim.Plant.1");
    EXPECT_EQ(run.status, cli::kUnreachable);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tagcfg browse: Sim.Plant.1 on this computer: the server has no address space to browse\n");
}

// A channel is found only where the channel setup dialog's walk ends on a leaf whose item ID the
// server gives byte for byte; each branch is asked for its names once however many channels
// point into it.
TEST_F(DiscoveryTest, VerifyNamesEveryChannelTheWalkDoesNotFindAndEndsWithAStatus) {
    serve(kPlant);
    const std::string walked = "; 1 servers checked by walking their address space\n";
    const std::string channels =
        "%CHANID:1\r\nID:Boiler.Pumps.P1\r\n%CHANID:2\r\nID:Boiler.Pumps.P2\r\n%CHANNEL:Temp\r\nID:Boiler.Temp1\r\n"
        "%CHANID:3\r\nID:Boiler/Pumps:P2\r\n%CHANID:4\r\nID:Boiler.Pumps.P9\r\n%CHANID:5\r\nID:Boiler.Pumps\r\n"
        "%CHANID:6\r\nID:Upper\r\n%CHANID:7\r\nID:Plant.PUMP\r\n%CHANID:8\r\nID:Odd\r\n%CHANID:-1\r\nID:Nowhere\r\n";
    const Outcome run = verify(channels, {}, "--browse");
    EXPECT_EQ(run.status, cli::kFailure) << run.err;
    std::string missing;
    for (const char *item :
         {"3 Boiler/Pumps:P2", "4 Boiler.Pumps.P9", "5 Boiler.Pumps", "6 Upper", "7 Plant.PUMP", "8 Odd"})
        missing += std::string("OPC0 ") + item + ": not in the server's address space\n";
    EXPECT_EQ(run.out,
              missing + "9 channels checked on 1 servers: 6 not in the address space, 0 servers not reached" + walked);
    EXPECT_EQ(sim::opc_calls().browse_item_ids, 2 * 3);  // the root, Boiler and Pumps, each for branches and leaves

    // A server that cannot be reached outweighs a missing item; one server can be checked alone.
    dir.put("plant_opc2.cnf", "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Sim.Gone.1\r\n\r\n%CHANID:1\r\nID:X\r\n");
    const std::string found = "%CHANID:1\r\nID:Alarm\r\n", stale = found + "%CHANID:2\r\nID:Alarm.X\r\n";
    EXPECT_EQ(verify(found, {"0"}).status, cli::kSuccess);
    EXPECT_EQ(verify(stale, {"0"}).status, cli::kFailure);
    const Outcome all = verify(stale);
    EXPECT_EQ(all.status, cli::kUnreachable);  // before the missing item
    EXPECT_THAT(all.out, HasSubstr("OPC2 Sim.Gone.1 on this computer: the server cannot be created\n"));
    EXPECT_THAT(all.out,
                HasSubstr("2 channels checked on 2 servers: 1 not in the address space, 1 servers not reached\n"));
    const Outcome empty_slot = verify(found, {"1"});
    EXPECT_EQ(empty_slot.status, cli::kFailure);
    EXPECT_EQ(empty_slot.err, "tagcfg verify: the set has no server 1\n");
    dir.put("plant_opc3.cnf", "not a server file");
    EXPECT_EQ(verify(found).status, cli::kFailure);  // a set that does not load cleanly is refused
}

// The server decides: its own lookup (here blind to case) and its access paths; each refusal has its
// line, and only an item it does not know counts as not in the address space.
TEST_F(DiscoveryTest, VerifyAsksTheServerAndPrintsTypesAndValuesOnRequest) {
    serve(kItems);
    const std::string channels = bindings({"device", "DEVICE/PORT", "device/none", "Broken", "Curve", "Since"}) +
                                 "%CHANNEL:\tAt Line9\r\nID:device/port\r\nACCPATH:Line9\r\n" +
                                 "%CHANNEL:Line1\r\nID:device/port\r\nACCPATH:Line1\r\n";
    const std::string missing =
                          "OPC0 3 device/none: not in the server's address space\n"
                          "OPC0 4 Broken: the server answered 0x80004005\n",
                      bad_path = "OPC0 \"\\tAt Line9\" device/port: access path not known to the server\n";
    const std::string types = "OPC0\t1\tdevice\tVT_BSTR\tread/write\nOPC0\t2\tDEVICE/PORT\tVT_R4\tread\n" + missing +
                              "OPC0\t5\tCurve\tVT_ARRAY|VT_I2\twrite\nOPC0\t6\tSince\tVT_DATE\tread/write\n" +
                              bad_path + "OPC0\tLine1\tdevice/port\tVT_R4\tread\n";
    const std::string port = "12.5\tgood\t2024-05-01T08:00:00.250Z\n";
    const std::string values =
        "OPC0\t1\tdevice\t\" Pump \\\"A\\\"\"\tbad: not connected\t2000-01-01T00:00:00.000Z\n"
        "OPC0\t2\tDEVICE/PORT\t" +
        port + missing +
        "OPC0 5 Curve: not read: the server answered 0xC0040006\n"
        "OPC0\t6\tSince\t2024-02-29T12:30:00\tuncertain: last usable value\t2000-01-01T00:00:00.000Z\n" +
        bad_path + "OPC0\tLine1\tdevice/port\t" + port;
    const std::string summary = "8 channels checked on 1 servers: 1 not in the address space, 2 refused by the server";
    const std::tuple<const char *, std::string> cases[] = {
        {"", missing + bad_path + summary + ", 0 servers not reached\n"},
        {"--types", types + summary + ", 0 servers not reached\n"},
        {"--read", values + summary + ", 2 not read or of bad quality, 0 servers not reached\n"},
    };
    for (const auto &[flags, printed] : cases) {
        const Outcome run = verify(channels, {}, flags);
        EXPECT_EQ(run.status, cli::kFailure) << flags;
        EXPECT_EQ(run.out, printed) << flags;
    }
    EXPECT_EQ(sim::opc_calls().browse_item_ids, 0);
    EXPECT_EQ(verify(bindings({"device", "device/port"})).status, cli::kSuccess);
    EXPECT_EQ(verify(bindings({"device"}), {}, "--read").status, cli::kFailure);  // of bad quality
}

// A thousand items a call, the group removed once let go: 2,500 bindings make three calls.
TEST_F(DiscoveryTest, VerifyHandsTheServerAThousandItemsACall) {
    serve("generate 25 100\n");
    Texts ids;
    for (int item = 0; item < 2500; ++item) {
        char id[16];
        std::snprintf(id, sizeof id, "B%04d.L%03d", item / 100, item % 100);
        ids.push_back(id);
    }
    sim::opc_calls().logging = true;
    const Outcome run = verify(bindings(ids));
    EXPECT_EQ(run.out, "2500 channels checked on 1 servers: 0 not in the address space, 0 servers not reached\n");
    EXPECT_THAT(sim::opc_calls().log,
                ElementsAre("group", "validate 1000", "validate 1000", "validate 500", "ungroup"));
}

// A server that gives no group is walked, as the channel setup dialog walks it (there letter case
// matters), and the summary says so; one that cannot be browsed either is not reached. A server
// that does not browse is verified all the same.
TEST_F(DiscoveryTest, VerifyWalksAServerThatGivesNoGroup) {
    const std::string walked = "; 1 servers checked by walking their address space\n",
                      one_missing =
                          "OPC0 2 a.B: not in the server's address space\n"
                          "2 channels checked on 1 servers: 1 not in the address space, 0 servers not reached";
    const std::tuple<const char *, const char *, int, std::string> cases[] = {
        {"fault no-groups\n", "", cli::kFailure, one_missing + walked},
        {"fault no-groups 0x80004005\n", "", cli::kFailure, one_missing + walked},
        {"", "--browse", cli::kFailure, one_missing + walked},
        {"fault no-browse\n", "", cli::kSuccess,
         "2 channels checked on 1 servers: 0 not in the address space, 0 servers not reached\n"},
        {"fault no-browse\nfault no-groups\n", "", cli::kUnreachable,
         "OPC0 Sim.Plant.1 on this computer: the server has no address space to browse\n"
         "0 channels checked on 1 servers: 0 not in the address space, 1 servers not reached" +
             walked},
        {"fault items-fail\n", "", cli::kFailure,
         "OPC0 1 A.B: the server answered 0x80004005\nOPC0 2 a.B: the server answered 0x80004005\n2 channels checked "
         "on 1 servers: 0 not in the address space, 2 refused by the server, 0 servers not reached\n"},
    };
    for (const auto &[fault, flags, status, printed] : cases) {
        serve(std::string("lookup case-insensitive\nbranch A\n  leaf B\n") + fault);
        const Outcome run = verify(bindings({"A.B", "a.B"}), {}, flags);
        EXPECT_EQ(run.status, status) << fault << flags;
        EXPECT_EQ(run.out, printed) << fault << flags;
        sim::reset();
    }
}

// A server object that dies costs its server the check, not the run.
TEST_F(DiscoveryTest, VerifyLetsGoOfAServerThatDies) {
    serve("leaf A\nleaf B\n");
    add_parsed(*server, 1, "", "A");
    rebuild_indexes(*server);
    Environment env;
    env.servers.push_back(server);
    ASSERT_TRUE(connect_server(*server));
    sim::kill_server_objects();
    std::ostringstream out;
    const cli::VerifyTotals totals = cli::verify_bindings(env, {}, out);
    EXPECT_EQ(out.str(), "OPC0 Sim.Plant.1: the server stopped answering; the rest of its channels are not checked\n");
    EXPECT_EQ(totals.unreachable, 1u);
    EXPECT_EQ(server->server_object, nullptr);

    // Lost part way through a walk: what was checked counts, the server as not reached.
    sim::kill_server_objects_at("item B");
    const Outcome walked = verify(bindings({"A", "B"}), {}, "--browse");
    EXPECT_EQ(walked.status, cli::kUnreachable);
    EXPECT_EQ(walked.out,
              "OPC0 Sim.Plant.1: the server stopped answering; the rest of its channels are not "
              "checked\n1 channels checked on 1 servers: 0 not in the address space, 1 servers not "
              "reached; 1 servers checked by walking their address space\n");
}

TEST_F(DiscoveryTest, ReadPrintsEachItemReadOnceFromTheDevice) {
    serve(kItems);
    ASSERT_TRUE(sim::register_server("Sim.NoGroups.1", {0x5eed, 9}, "fault no-groups\nleaf A\n"));
    const std::string port = "device/port\t12.5\tgood\t2024-05-01T08:00:00.250Z\n";
    const std::string no_group = "Sim.NoGroups.1 on this computer: the server gives no group to read through";
    // clang-format off
    const std::tuple<Texts, const char *, int, std::string, std::string> cases[] = {
        {{"Sim.Plant.1", "device/port", " Odd", "Since"}, "", cli::kSuccess,
         port + "\" Odd\"\t-12.34\tgood: local override\t2000-01-01T00:00:00.000Z\n"
                "Since\t2024-02-29T12:30:00\tuncertain: last usable value\t2000-01-01T00:00:00.000Z\n", ""},
        {{"Sim.Plant.1", "DEVICE", "Curve", "nothing"}, "", cli::kFailure,
         "DEVICE\t\" Pump \\\"A\\\"\"\tbad: not connected\t2000-01-01T00:00:00.000Z\n",
         "tagcfg read: Curve: the server answered 0xC0040006\ntagcfg read: nothing: not in the server's address space\n"},
        {{"Sim.Plant.1", "device/port"}, "Line1", cli::kSuccess, port, ""},
        {{"Sim.Plant.1", "device/port"}, "Line9", cli::kFailure, "",
         "tagcfg read: device/port: access path not known to the server\n"},
        {{"Sim.NoGroups.1", "A"}, "", cli::kFailure, "", "tagcfg read: " + no_group + " (0x80004002)\n"},
        {{"Sim.Gone.1", "A"}, "", cli::kUnreachable, "",
         "tagcfg read: Sim.Gone.1 on this computer: the server cannot be created\n"},
    };
    // clang-format on
    for (const auto &[positional, path, status, out, err] : cases) {
        Args args;
        args.positional = positional;
        args.path = path;
        const Outcome run = this->run(cli::run_read, args);
        EXPECT_EQ(run.status, status) << positional[1] << path;
        EXPECT_EQ(run.out, out) << positional[1] << path;
        EXPECT_EQ(run.err, err) << positional[1] << path;
    }
}

// Names that would read as others, or break their line, are quoted; the rest are printed as they are.
TEST_F(DiscoveryTest, BrowseQuotesNamesThatWouldReadAsOthers) {
    serve(
        "branch \" [0...999]\"\n  leaf \"Just the hint \"\nleaf \"Say \\\"hi\\\"\"\nleaf \"Tab\\there\\x01\"\n"
        "leaf Back\\slash\nleaf Caf\xe9\n");
    EXPECT_EQ(browse("Sim.Plant.1").out,
              "\" [0...999]\"\n  \"Just the hint \"\n\"Say \\\"hi\\\"\"\n\"Tab\\there\\x01\"\nBack\\slash\nCaf\xe9\n");
    EXPECT_EQ(browse("Sim.Plant.1", "", true).out,
              "\" [0...999].Just the hint \"\n\"Say \\\"hi\\\"\"\n\"Tab\\there\\x01\"\nBack\\slash\nCaf\xe9\n");
}
