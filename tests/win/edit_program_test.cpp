// The host program's edits as two programs on Windows make them: tagcfg.exe started beside the
// library, with Windows' own file sharing standing in the way of a replacement.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "temp_dir.h"
#include "win_support.h"

namespace wintest {
namespace {

const std::string kServer = "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:P\r\n\r\n";

// tagcfg.exe with the arguments, started and not waited for: its process handle.
HANDLE start_tagcfg(const std::string &arguments) {
    std::string command = "\"" + library_path("..\\tools\\cli\\tagcfg.exe") + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, executable_directory().c_str(),
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

}  // namespace

// Two programs adding channels to one project at once take turns: every run that says it saved
// has its channel in the file, and none that failed has.
TEST(EditProgram, TwoProgramsSavingOneProjectTakeTurns) {
    tagcfg::test::TempDir dir;
    dir.put("plant_opc0.cnf", kServer);
    std::vector<std::pair<int, DWORD>> runs;
    for (int round = 0; round < 10; ++round) {
        HANDLE started[2];
        for (int i = 0; i < 2; ++i)
            started[i] =
                start_tagcfg("add-channel \"" + dir.path() + "\" plant 0 " + std::to_string(100 * i + round) + " Item");
        for (int i = 0; i < 2; ++i) runs.emplace_back(100 * i + round, finish(started[i]));
    }
    const std::string file = dir.get("plant_opc0.cnf");
    for (const auto &[channel, status] : runs) {
        const bool saved = file.find("%CHANID:" + std::to_string(channel) + "\r\n") != std::string::npos;
        EXPECT_EQ(saved, status == 0) << channel << " exited " << status;
    }
}

// A file another program holds open without sharing its deletion cannot be replaced: an import of
// rows for two servers then puts the first file back and changes nothing.
TEST(EditProgram, AnImportThatCannotReplaceEveryFileChangesNone) {
    tagcfg::test::TempDir dir;
    dir.put("plant_opc0.cnf", kServer);
    const std::string second = dir.put("plant_opc3.cnf", kServer);
    const std::string csv = dir.put("edit.csv", "server,channel,name,item_id,access_path\r\n0,1,,A,\r\n3,1,,B,\r\n");
    const std::string import = "import \"" + dir.path() + "\" plant \"" + csv + "\"";
    HANDLE held = CreateFileA(second.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(finish(start_tagcfg(import)), 1u);
    EXPECT_EQ(dir.get("plant_opc0.cnf"), kServer);
    EXPECT_EQ(dir.get("plant_opc3.cnf"), kServer);
    CloseHandle(held);
    EXPECT_EQ(finish(start_tagcfg(import)), 0u);
    EXPECT_EQ(dir.get("plant_opc3.cnf"), kServer + "%CHANID:1\r\nID:B\r\n\r\n");
}

}  // namespace wintest
