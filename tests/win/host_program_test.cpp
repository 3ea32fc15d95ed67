// The host program's discovery commands as an integrator runs them on Windows: tagcfg.exe, beside
// the library, against opcsim's servers in the registry and its stand-in for the server browser.
#include <windows.h>

#include <gmock/gmock.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "opcsim_classes.h"
#include "win_support.h"

namespace wintest {
namespace {

struct ProgramRun {
    DWORD status;
    std::string out;  // standard output, lines ending in LF
};

// tagcfg.exe with the arguments, run by the command processor in the library's folder, where its
// loader finds tagcfg.dll; the pipe is read in text mode, so lines end in LF.
ProgramRun tagcfg_exe(const std::string &arguments) {
    SetCurrentDirectoryA(executable_directory().c_str());
    // The command processor drops the outer quotes and keeps the inner ones.
    const std::string command = "\"\"" + library_path("..\\tools\\cli\\tagcfg.exe") + "\" " + arguments + "\"";
    FILE *pipe = _popen(command.c_str(), "r");
    if (!pipe) return {~0u, "not started"};
    ProgramRun run{~0u, ""};
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, got);
    run.status = static_cast<DWORD>(_pclose(pipe));
    return run;
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) found.push_back(line);
    return found;
}

}  // namespace

// Both sources list exactly opcsim's Data Access servers; another computer is asked remotely, which
// fails under Wine, and never answered by this computer's registry or browser.
TEST_F(OpcProject, ListServersFromTheRegistryOrTheServerBrowser) {
    load({});
    ASSERT_TRUE(opcsim_server_browser_registered());
    std::vector<std::string> expected;
    for (const opcsim::ServerClass &c : opcsim::kServerClasses)
        if (c.opc)
            expected.push_back(std::string(c.progid) + "\t" + c.clsid + "\t" + (c.description ? c.description : ""));
    for (const char *source : {"", " --browser"}) {
        SCOPED_TRACE(source);
        const ProgramRun here = tagcfg_exe(std::string("list-servers") + source);
        EXPECT_EQ(here.status, 0u);
        if (*source) EXPECT_THAT(lines(here.out), ::testing::ElementsAreArray(expected));  // the browser's order
        else EXPECT_THAT(lines(here.out), ::testing::UnorderedElementsAreArray(expected));
        const ProgramRun there = tagcfg_exe(std::string("list-servers opcsim-no-such-host") + source);
        EXPECT_EQ(there.status, 3u);
        EXPECT_EQ(there.out, "");
    }
}

// The tree's layout and the rules of verify are the native suite's; here the names, the item IDs,
// the walk along them and the servers' answers about items come from real servers over COM, the
// flat one named by its CLSID. What verify and read print is what the descriptions say.
TEST_F(OpcProject, BrowseVerifyAndReadOnRealServers) {
    load({{0,
           "PROGID:OpcSim.Hierarchical.1\r\n\r\n%CHANID:1\r\nID:A.B.C\r\n%CHANNEL:Tank1\r\nID:Tanks.T1.Level\r\n"
           "%CHANID:3\r\nID:Tanks.T3.Level\r\n"},
          {1,
           "PROGID:OpcSim.Devices.1\r\n\r\n%CHANID:1\r\nID:device\r\n%CHANID:2\r\nID:DEVICE/PORT\r\n%CHANID:3\r\n"
           "ID:device/port/one\r\n%CHANID:4\r\nID:Tree/qw/ii/yy\r\n%CHANID:5\r\nID:tree/QW/qq\r\n%CHANID:6\r\n"
           "ID:device/none\r\n%CHANID:7\r\nID:Setpoint\r\nACCPATH:Line9\r\n%CHANID:8\r\nID:Tree/ [0...999]\r\n"
           "%CHANID:9\r\nID:Offline\r\n%CHANID:10\r\nID:Setpoint\r\nACCPATH:Line1\r\n"},
          {2, "PROGID:OpcSim.NoGroups.1\r\n\r\n%CHANID:1\r\nID:Tanks.Level\r\n%CHANID:2\r\nID:tanks.level\r\n"},
          {3, "PROGID:OpcSim.NoBrowse.1\r\n\r\n%CHANID:1\r\nID:Unreachable\r\n"}});
    const std::string verify = "verify \"" + dir_.path() + "\" plant ", at8 = "\t2024-05-01T08:00:00.000Z\n",
                      refused =
                          "OPC1 6 device/none: not in the server's address space\n"
                          "OPC1 7 Setpoint: access path not known to the server\n",
                      devices = "10 channels checked on 1 servers: 1 not in the address space, 1 refused by the server";
    const std::tuple<std::string, DWORD, std::string> cases[] = {
        {"browse OpcSim.Hierarchical.1 --ids", 0,
         "A.B.C\nCustom/D.Id\nA.Z\nA.X\nAB.X\nTanks.T1.Level\nTanks.T2.Level\nAlarm\n"},
        {"browse OpcSim.Hierarchical.1 --depth 0", 0, "A\nAB\nRefused\nTanks\nAlarm\n"},
        {"browse {6A3F1C20-5B7E-4D2A-9E01-0C5D1A000002} --ids", 0, "A\nA.B\nPump:Speed\n"},
        {"browse OpcSim.NoBrowse.1", 3, ""},
        {verify + "0", 1,
         "OPC0 3 Tanks.T3.Level: not in the server's address space\n"
         "3 channels checked on 1 servers: 1 not in the address space, 0 servers not reached\n"},
        {verify + "1 --types", 1,
         "OPC1\t1\tdevice\tVT_BSTR\tread\nOPC1\t2\tDEVICE/PORT\tVT_I2\tread\nOPC1\t3\tdevice/port/one\tVT_BOOL\t"
         "read/write\nOPC1\t4\tTree/qw/ii/yy\tVT_ARRAY|VT_I2\tread/write\nOPC1\t5\ttree/QW/qq\tVT_R4\tread/write\n" +
             refused +
             "OPC1\t8\tTree/ [0...999]\tVT_ARRAY|VT_BSTR\tread/write\nOPC1\t9\tOffline\tVT_DATE\tread/write\n"
             "OPC1\t10\tSetpoint\tVT_R4\twrite\n" +
             devices + ", 0 servers not reached\n"},
        {verify + "1 --read", 1,
         "OPC1\t1\tdevice\tPump 1 running\tgood" + at8 + "OPC1\t2\tDEVICE/PORT\t-7\tgood" + at8 +
             "OPC1\t3\tdevice/port/one\ttrue\tgood" + at8 + "OPC1\t4\tTree/qw/ii/yy\t[1, -2, 3]\tgood" + at8 +
             "OPC1\t5\ttree/QW/qq\t0.1\tuncertain: last usable value" + at8 + refused +
             "OPC1\t8\tTree/ [0...999]\t[first, \"\", \"with \\\"quotes\\\"\"]\tgood" + at8 +
             "OPC1\t9\tOffline\t2024-02-29T12:30:00\tbad: not connected" + at8 +
             "OPC1 10 Setpoint: not read: the server answered 0xC0040006\n" + devices +
             ", 2 not read or of bad quality, 0 servers not reached\n"},
        {verify + "2", 1,
         "OPC2 2 tanks.level: not in the server's address space\n2 channels checked on 1 servers: 1 not in the "
         "address space, 0 servers not reached; 1 servers checked by walking their address space\n"},
        {verify + "3", 0, "1 channels checked on 1 servers: 0 not in the address space, 0 servers not reached\n"},
        {"read OpcSim.Devices.1 device \"Tree/ [0...999]\" tree/qw/ii/yy/MM Offline", 1,
         "device\tPump 1 running\tgood" + at8 + "Tree/ [0...999]\t[first, \"\", \"with \\\"quotes\\\"\"]\tgood" + at8 +
             "tree/qw/ii/yy/MM\t4000000000\tgood\t2024-05-01T08:00:00.500Z\n"
             "Offline\t2024-02-29T12:30:00\tbad: not connected" +
             at8},
        {"read OpcSim.Devices.1 Setpoint --path Line1", 1, ""},
        {"read OpcSim.Devices.1 device --path Line1", 0, "device\tPump 1 running\tgood" + at8},
        {"browse OpcSim.Devices.1", 0,
         "device\n  port\n    one\n      Two\n    one\n  port\nTree\n  qw\n    ii\n      yy\n        mm\n      yy\n"
         "    qq\n  \" [0...999]\"\ndevice\n\"Just the hint \"\nSetpoint\nOffline\n"},
        {"browse OpcSim.Devices.1 --ids", 0,
         "device/port/one/Two\ndevice/port/one\ndevice/port\nTree/qw/ii/yy/mm\nTree/qw/ii/yy\nTree/qw/qq\n"
         "Tree/ [0...999]\ndevice\n\"Just the hint \"\nSetpoint\nOffline\n"},
    };
    for (const auto &[arguments, status, printed] : cases) {
        const ProgramRun run = tagcfg_exe(arguments);
        EXPECT_EQ(run.status, status) << arguments;
        EXPECT_EQ(run.out, printed) << arguments;
    }
}

}  // namespace wintest
