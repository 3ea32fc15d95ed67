// tagcfg.exe, the host program, started from the Windows tests with its output captured.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "test_files.h"

namespace wintest {

// tagcfg.exe run as a user runs it. Another process's dialog cannot be reached from a thread
// timer, so it is looked for in bounded steps.
class HostProgram {
public:
    explicit HostProgram(const std::string &arguments) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE write_end = nullptr;
        if (!CreatePipe(&read_end_, &write_end, &inherit, 0)) return;
        SetHandleInformation(read_end_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = startup.hStdError = write_end;
        std::string command = "\"" + path() + "\" " + arguments;
        // Started in the library's folder, where the loader finds tagcfg.dll.
        if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, executable_directory().c_str(),
                           &startup, &process_))
            CloseHandle(process_.hThread);
        CloseHandle(write_end);
    }
    ~HostProgram() {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
            CloseHandle(process_.hProcess);
        }
        if (read_end_) CloseHandle(read_end_);
    }
    HostProgram(const HostProgram &) = delete;
    HostProgram &operator=(const HostProgram &) = delete;

    static std::string path() { return executable_directory() + "\\..\\tools\\cli\\tagcfg.exe"; }
    bool started() const { return process_.hProcess != nullptr; }

    // The program's visible dialog with that caption once its tree (tree_id, 0 for none) has a
    // root, or null in time.
    HWND wait_for_dialog(const char *caption, int tree_id = 0) const {
        for (int step = 0; step < 1000 && WaitForSingleObject(process_.hProcess, 20) == WAIT_TIMEOUT; ++step) {
            for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", caption));) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == process_.dwProcessId && IsWindowVisible(window) &&
                    (!tree_id || TreeView_GetRoot(GetDlgItem(window, tree_id))))
                    return window;
            }
        }
        return nullptr;
    }
    // Exit status and everything printed, once the program has ended.
    DWORD finish(std::string &printed) {
        if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) return 99;
        char chunk[512];
        DWORD got = 0;
        while (ReadFile(read_end_, chunk, sizeof chunk, &got, nullptr) && got) printed.append(chunk, got);
        DWORD status = 99;
        GetExitCodeProcess(process_.hProcess, &status);
        return status;
    }

private:
    PROCESS_INFORMATION process_{};
    HANDLE read_end_ = nullptr;
};

}  // namespace wintest
