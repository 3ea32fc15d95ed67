// The host program's discovery commands as an integrator runs them on Windows: tagcfg.exe, beside
// the library, against opcsim's servers in the registry and its stand-in for the server browser.
#include <windows.h>

#include <gmock/gmock.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "opcsim_classes.h"
#include "win_support.h"

namespace wintest {
namespace {

struct ProgramRun {
    DWORD status;
    std::string out;  // standard output, lines ending in LF
};

// tagcfg.exe with the arguments, started in the library's folder, where its loader finds tagcfg.dll.
ProgramRun tagcfg_exe(const std::string &arguments) {
    std::string command = "\"" + library_path("..\\tools\\cli\\tagcfg.exe") + "\" " + arguments;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherited, 0)) return {~0u, "no pipe"};
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        executable_directory().c_str(), &startup, &process);
    CloseHandle(write_end);
    ProgramRun run{~0u, ""};
    char buffer[4096];
    for (DWORD got = 0; started && ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0;)
        run.out.append(buffer, got);
    CloseHandle(read_end);
    if (!started) return {~0u, "not started"};
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &run.status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    run.out.erase(std::remove(run.out.begin(), run.out.end(), '\r'), run.out.end());
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

TEST_F(OpcProject, BrowseAHierarchicalAndAFlatServer) {
    load({});
    const std::pair<const char *, const char *> cases[] = {
        {"browse OpcSim.Hierarchical.1",
         "A\n  B\n    C\n    D\n  Z\n  X\nAB\n  X\nRefused\nTanks\n  T1\n    Level\n    Odd\n    Blank\n  Locked\n  "
         "T2\n"
         "    Level\nAlarm\n"},
        {"browse OpcSim.Hierarchical.1 --ids",
         "A.B.C\nCustom/D.Id\nA.Z\nA.X\nAB.X\nTanks.T1.Level\nTanks.T2.Level\nAlarm\n"},
        {"browse {6A3F1C20-5B7E-4D2A-9E01-0C5D1A000002}", "A\nA.B\nPump:Speed\n"},
        {"browse OpcSim.Flat.1 --ids --depth 0", "A\nA.B\nPump:Speed\n"},
    };
    for (const auto &[arguments, printed] : cases) {
        const ProgramRun run = tagcfg_exe(arguments);
        EXPECT_EQ(run.status, 0u) << arguments;
        EXPECT_EQ(run.out, printed) << arguments;
    }
    EXPECT_EQ(tagcfg_exe("browse OpcSim.NoBrowse.1").status, 3u);
}

TEST_F(OpcProject, VerifyNamesTheOneStaleItemId) {
    load({{0,
           "PROGID:OpcSim.Hierarchical.1\r\n\r\n%CHANID:1\r\nID:A.B.C\r\n%CHANNEL:Tank1\r\nID:Tanks.T1.Level\r\n"
           "%CHANID:3\r\nID:Tanks.T3.Level\r\n"}});
    const ProgramRun run = tagcfg_exe("verify \"" + dir_.path() + "\" plant");
    EXPECT_EQ(run.status, 1u);
    EXPECT_EQ(run.out,
              "OPC0 3 Tanks.T3.Level: not in the server's address space\n"
              "3 channels checked on 1 servers: 1 not in the address space, 0 servers not reached\n");
}

}  // namespace wintest
