// The host program as an integrator runs it on Windows: tagcfg.exe, beside the library, against
// opcsim's servers in the registry and its stand-in for the server browser, and two copies of it
// editing one project, with Windows' own file sharing standing in the way of a replacement.
#include <windows.h>

#include <gmock/gmock.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "opcsim_classes.h"
#include "win_support.h"

namespace wintest {
namespace {

const std::string kServer = "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:P\r\n\r\n";

struct ProgramRun {
    DWORD status;
    std::string out;  // standard output, lines ending in LF
};

// tagcfg.exe with the arguments, started in the library's folder, where its loader finds
// tagcfg.dll, and not waited for; its standard output goes to `out` (nowhere for none).
HANDLE start_tagcfg(const std::string &arguments, HANDLE out = nullptr) {
    std::string command = "\"" + library_path("..\\tools\\cli\\tagcfg.exe") + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, executable_directory().c_str(),
                        &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Its exit status, or ~0 when it did not start or end within a minute.
DWORD finish(HANDLE process) {
    DWORD status = ~0u;
    if (process && WaitForSingleObject(process, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process, &status);
    if (process) CloseHandle(process);
    return status;
}

// tagcfg.exe run to its end, with its standard output read through a pipe, CRs dropped.
ProgramRun tagcfg_exe(const std::string &arguments) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE read_end, write_end;
    if (!CreatePipe(&read_end, &write_end, &inherited, 0)) return {~0u, "no pipe"};
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    HANDLE process = start_tagcfg(arguments, write_end);
    CloseHandle(write_end);  // the pipe ends when the program's copy of it closes
    ProgramRun run{~0u, ""};
    char buffer[4096];
    for (DWORD got; ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0;)
        for (DWORD i = 0; i < got; ++i)
            if (buffer[i] != '\r') run.out += buffer[i];
    CloseHandle(read_end);
    run.status = finish(process);
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

// Two programs adding channels to one project at once take turns: every run that says it saved
// has its channel in the file, and none that failed has.
TEST_F(OpcProject, TwoProgramsSavingOneProjectTakeTurns) {
    dir_.put("plant_opc0.cnf", kServer);
    std::vector<std::pair<int, DWORD>> runs;
    for (int round = 0; round < 10; ++round) {
        HANDLE started[2];
        for (int i = 0; i < 2; ++i)
            started[i] = start_tagcfg("add-channel \"" + dir_.path() + "\" plant 0 " + std::to_string(100 * i + round) +
                                      " Item");
        for (int i = 0; i < 2; ++i) runs.emplace_back(100 * i + round, finish(started[i]));
    }
    const std::string file = dir_.get("plant_opc0.cnf");
    for (const auto &[channel, status] : runs) {
        const bool saved = file.find("%CHANID:" + std::to_string(channel) + "\r\n") != std::string::npos;
        EXPECT_EQ(saved, status == 0) << channel << " exited " << status;
    }
}

// A file another program holds open without sharing its deletion cannot be replaced: an import of
// rows for two servers then puts the first file back and changes nothing.
TEST_F(OpcProject, AnImportThatCannotReplaceEveryFileChangesNone) {
    dir_.put("plant_opc0.cnf", kServer);
    const std::string second = dir_.put("plant_opc3.cnf", kServer);
    const std::string csv = dir_.put("edit.csv", "server,channel,name,item_id,access_path\r\n0,1,,A,\r\n3,1,,B,\r\n");
    const std::string import = "import \"" + dir_.path() + "\" plant \"" + csv + "\"";
    HANDLE held = CreateFileA(second.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(tagcfg_exe(import).status, 1u);
    EXPECT_EQ(dir_.get("plant_opc0.cnf"), kServer);
    EXPECT_EQ(dir_.get("plant_opc3.cnf"), kServer);
    CloseHandle(held);
    EXPECT_EQ(tagcfg_exe(import).status, 0u);
    EXPECT_EQ(dir_.get("plant_opc3.cnf"), kServer + "%CHANID:1\r\nID:B\r\n\r\n");
}

}  // namespace wintest
