// tagcfg.exe, the host program, on Windows: its CSV export writes the rows' CR LF to a binary
// standard output, and its dialog commands open the library's dialogs from a thread inside an
// apartment and print what the user chose.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "resource_ids.h"
#include "win_support.h"

namespace wintest {
namespace {

// Runs the program from the library's folder, where its loader finds tagcfg.dll. With a caption,
// selects the root of its dialog's tree once that is up, then presses each of `buttons`; another
// process's dialog is looked for in bounded steps. The exit status (99: it did not end in time),
// and what it printed in `printed`.
DWORD run(const std::string &arguments, std::string &printed, const char *caption = nullptr,
          std::initializer_list<int> buttons = {}) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE output = nullptr, input = nullptr;
    CreatePipe(&output, &input, &inherit, 0);
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = input;
    const std::string directory = executable_directory();
    std::string command = "\"" + directory + "\\..\\tools\\cli\\tagcfg.exe\" " + arguments;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(), &startup,
                               &process));
    CloseHandle(input);
    HWND dialog = nullptr, tree = nullptr;
    for (int step = 0; caption && !TreeView_GetRoot(tree) && step < 1000; ++step) {
        Sleep(20);
        dialog = FindWindowA("#32770", caption);
        tree = GetDlgItem(dialog, IDC_BROWSE_TREE);
    }
    EXPECT_TRUE(!caption || dialog) << "the program showed no dialog " << caption;
    TreeView_Select(tree, TreeView_GetRoot(tree), TVGN_CARET);
    for (int id : buttons) PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
    DWORD status = 99;
    if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &status);
    TerminateProcess(process.hProcess, 99);
    char chunk[512];
    DWORD got = 0;
    for (printed.clear(); ReadFile(output, chunk, sizeof chunk, &got, nullptr) && got;) printed.append(chunk, got);
    CloseHandle(output);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

TEST(HostProgram, ExportsCrLfRowsAndPrintsWhatItsDialogsChose) {
    ASSERT_TRUE(opcsim_registered());
    ScratchDirectory folder;
    const std::string project = " \"" + folder.path + "\" plant";
    ASSERT_TRUE(write_bytes(folder.file("plant_opc0.cnf"),
                            "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:OpcSim.Flat.1\r\n\r\n%CHANID:12\r\nID:A\r\n\r\n"));
    std::string printed;
    EXPECT_EQ(run("export" + project, printed), 0u);
    EXPECT_EQ(printed, "server,channel,name,item_id,access_path\r\n0,12,,A,\r\n");

    // OK hands back the channel's item ID; the root of a flat space stands for all its items.
    EXPECT_EQ(run("channel" + project + " 0 12 Level", printed, "OPC channel setup", {IDOK}), 0u);
    EXPECT_EQ(printed, "A\r\n");
    EXPECT_EQ(run("items" + project + " 0", printed, "Select OPC items for autobuilding", {IDC_ADD_ITEMS, IDOK}), 0u);
    EXPECT_EQ(printed, "A\r\nA.B\r\nPump:Speed\r\n");
}

}  // namespace
}  // namespace wintest
