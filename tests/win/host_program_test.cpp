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

// The tree's layout and the rules of verify are the native suite's; here the names, the item IDs
// and the walk along them come from real servers over COM, the flat one named by its CLSID.
TEST_F(OpcProject, BrowseAndVerifyOnRealServers) {
    load({{0,
           "PROGID:OpcSim.Hierarchical.1\r\n\r\n%CHANID:1\r\nID:A.B.C\r\n%CHANNEL:Tank1\r\nID:Tanks.T1.Level\r\n"
           "%CHANID:3\r\nID:Tanks.T3.Level\r\n"}});
    const std::tuple<std::string, DWORD, std::string> cases[] = {
        {"browse OpcSim.Hierarchical.1 --ids", 0,
         "A.B.C\nCustom/D.Id\nA.Z\nA.X\nAB.X\nTanks.T1.Level\nTanks.T2.Level\nAlarm\n"},
        {"browse OpcSim.Hierarchical.1 --depth 0", 0, "A\nAB\nRefused\nTanks\nAlarm\n"},
        {"browse {6A3F1C20-5B7E-4D2A-9E01-0C5D1A000002} --ids", 0, "A\nA.B\nPump:Speed\n"},
        {"browse OpcSim.NoBrowse.1", 3, ""},
        {"verify \"" + dir_.path() + "\" plant", 1,
         "OPC0 3 Tanks.T3.Level: not in the server's address space\n"
         "3 channels checked on 1 servers: 1 not in the address space, 0 servers not reached\n"},
    };
    for (const auto &[arguments, status, printed] : cases) {
        const ProgramRun run = tagcfg_exe(arguments);
        EXPECT_EQ(run.status, status) << arguments;
        EXPECT_EQ(run.out, printed) << arguments;
    }
}

}  // namespace wintest
