// The channel setup dialog as the host opens it: tagcfg_select_channel of tagcfg.dll on a project
// whose servers are opcsim classes, in a single-threaded apartment, driven from the dialog's own
// thread the way a user works it: reading the labels and the tree, double-clicking nodes, typing,
// confirming or closing.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "opcsim_fixture.h"
#include "resource_ids.h"
#include "tagcfg_api.h"

namespace wintest {
namespace {

const char kCaption[] = "OPC channel setup";
const char kErrorCaption[] = "Error";
const char kConnectFailed[] = "Error creating server. Server may not be correctly registered.";
constexpr int kMessageBoxText = 0xFFFF;  // the static that holds a message box's text
constexpr int kMessageBoxIcon = 0x0440;  // the static that holds its icon

// Slots of the project; slot 3 stays empty.
enum Server { kHierarchical = 0, kUnregistered = 1, kNoBrowse = 2, kEmptySlot = 3, kFlat = 4 };

using Lines = std::vector<std::string>;

std::string computer_name() {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::string server_file(const std::string &fields, const std::string &channels) {
    return "%%OPC_SERVER_CONFIG\r\n\r\n" + fields + "\r\n" + channels;
}

// --- Reading and working the tree as a user sees it ------------------------------------------

HWND tree_of(HWND dialog) { return GetDlgItem(dialog, IDC_BROWSE_TREE); }

std::string item_text(HWND tree, HTREEITEM item) {
    char text[260] = "";
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

// The selected node as the texts from the root down, joined by "/"; empty when none is selected.
std::string selected_path(HWND tree) {
    std::string path;
    for (HTREEITEM item = TreeView_GetSelection(tree); item; item = TreeView_GetParent(tree, item))
        path = item_text(tree, item) + (path.empty() ? "" : "/" + path);
    return path;
}

// The node at a "/"-separated path below the root, opening every node on the way as a click on
// its expand button would.
HTREEITEM open_path(HWND tree, const std::string &path) {
    HTREEITEM node = TreeView_GetRoot(tree);
    size_t start = 0;
    while (node && start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string name = path.substr(start, end - start);
        TreeView_Expand(tree, node, TVE_EXPAND);
        HTREEITEM child = TreeView_GetChild(tree, node);
        while (child && item_text(tree, child) != name) child = TreeView_GetNextSibling(tree, child);
        node = child;
        start = end + 1;
    }
    return node;
}

// Selects the node, then tells the dialog the tree was double-clicked, as the tree itself does.
void double_click(HWND dialog, HTREEITEM node) {
    HWND tree = tree_of(dialog);
    TreeView_SelectItem(tree, node);
    NMHDR header{tree, IDC_BROWSE_TREE, static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(dialog, WM_NOTIFY, IDC_BROWSE_TREE, reinterpret_cast<LPARAM>(&header));
}

std::string screenshot_path(const char *name) {
    std::string directory = executable_directory() + "\\..\\screenshots";
    CreateDirectoryA(directory.c_str(), nullptr);
    return directory + "\\" + name;
}

// --- The project and the export ----------------------------------------------------------------

struct Outcome {
    int result;
    std::string buffer;
};

class ChannelSetup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpcSim::get().registered()) << "opcsim.dll is missing or its DllRegisterServer failed";
        ASSERT_TRUE(com_.entered()) << std::hex << com_.result();
        ASSERT_TRUE(api_.complete() && select_channel_ && get_server_type_);
        ASSERT_TRUE(dir_.ok());
        const std::string file = dir_.path() + "\\plant_opc";
        ASSERT_TRUE(write_bytes(file + "0.cnf",
                                server_file("PROGID:OpcSim.Hierarchical.1\r\nHOSTNAME:" + host_ +
                                                "\r\nDESCRIPTION:Boiler house\r\n",
                                            "%CHANID:17\r\nID:Tanks.T2.Level\r\nACCPATH:Line1\r\n\r\n"
                                            "%CHANID:18\r\nID:Tanks.T9.Level\r\n\r\n"
                                            "%CHANNEL:Pump1\r\nID:Alarm\r\n")));
        ASSERT_TRUE(write_bytes(file + "1.cnf", server_file("PROGID:OpcSim.NotRegistered.1\r\n", "")));
        ASSERT_TRUE(write_bytes(file + "2.cnf", server_file("PROGID:OpcSim.NoBrowse.1\r\n", "")));
        ASSERT_TRUE(write_bytes(file + "4.cnf", server_file("PROGID:OpcSim.Flat.1\r\n", "%CHANID:1\r\nID:Pump:Speed\r\n")));
        env_ = api_.tagcfg_init_environment();
        ASSERT_EQ(api_.tagcfg_load(env_, dir_.path().c_str(), "plant"), 0);
    }
    // Before the apartment goes: the environment still holds the server objects the dialogs made.
    void TearDown() override { api_.tagcfg_free_environment(env_); }

    // Opens the dialog and waits for it to end; a script armed by the caller does the clicking.
    Outcome select(int server, int channel_id, const char *name, int size = 256) {
        std::vector<char> buffer(static_cast<size_t>(size), 'x');
        int result = select_channel_(env_, server, channel_id, name, buffer.data(), size, nullptr);
        return {result, std::string(buffer.data(), strnlen(buffer.data(), buffer.size()))};
    }

    std::string item_id(int server, int channel_id, const char *name = nullptr) {
        char text[1100];
        api_.tagcfg_get_channel_id(env_, server, channel_id, name, text, sizeof text);
        return text;
    }
    std::string access_path(int server, int channel_id, const char *name = nullptr) {
        char text[1100];
        api_.tagcfg_get_channel_access_path(env_, server, channel_id, name, text, sizeof text);
        return text;
    }

    ComApartment com_;  // first in, last out
    TagcfgApi api_;
    decltype(&::tagcfg_select_channel) select_channel_ =
        api_.library.function<decltype(&::tagcfg_select_channel)>("tagcfg_select_channel");
    decltype(&::tagcfg_get_server_type) get_server_type_ =
        api_.library.function<decltype(&::tagcfg_get_server_type)>("tagcfg_get_server_type");
    ScratchDirectory dir_;
    tagcfg_environment *env_ = nullptr;
    const std::string host_ = computer_name();  // this computer by name: labelled, yet created locally
};

// --- Opening -------------------------------------------------------------------------------------

struct OpeningCase {
    int server;
    int channel_id;
    const char *name;
    const char *progid, *description, *item_id, *access_path;
    const char *selected;  // path of the selected node, empty for none
    Lines tree;
};

TEST_F(ChannelSetup, OpensWithTheServerShownAndTheTreeOpenedAlongTheChannelsItemId) {
    const Lines top_level = {"Boiler house", "  A", "  AB", "  Refused", "  Tanks", "  Alarm"};
    const Lines tanks_open = {"Boiler house", "  A",       "  AB",   "  Refused",
                              "  Tanks",      "    T1",    "    Locked", "    T2"};
    Lines level_open = tanks_open;
    level_open.insert(level_open.end(), {"      Level", "  Alarm"});
    Lines tanks_only = tanks_open;
    tanks_only.push_back("  Alarm");
    const OpeningCase cases[] = {
        {kHierarchical, 17, "Level2", "OpcSim.Hierarchical.1", "Boiler house", "Tanks.T2.Level", "Line1",
         "Boiler house/Tanks/T2/Level", level_open},
        // Opened as far as the first part found; nothing selected.
        {kHierarchical, 18, "Level9", "OpcSim.Hierarchical.1", "Boiler house", "Tanks.T9.Level", "", "", tanks_only},
        // Not yet in the table: empty edits, only the first level asked for.
        {kHierarchical, 99, "Fresh", "OpcSim.Hierarchical.1", "Boiler house", "", "", "", top_level},
        // Known by name only: found by its name and bound to the number given.
        {kHierarchical, 30, "Pump1", "OpcSim.Hierarchical.1", "Boiler house", "Alarm", "", "Boiler house/Alarm",
         top_level},
        // No description: the root shows the ProgID; no host: the label is empty.
        {kFlat, 1, "Speed", "OpcSim.Flat.1", "", "Pump:Speed", "", "OpcSim.Flat.1/Pump:Speed",
         {"OpcSim.Flat.1", "  A", "  A.B", "  Pump:Speed"}},
    };
    for (const OpeningCase &c : cases) {
        SCOPED_TRACE(c.name);
        DialogScript script(kCaption, [&](HWND dialog) {
            EXPECT_EQ(control_text(dialog, IDC_SERVER_NUMBER), "OPC" + std::to_string(c.server));
            EXPECT_EQ(control_text(dialog, IDC_SERVER_PROGID), c.progid);
            EXPECT_EQ(control_text(dialog, IDC_SERVER_DESCRIPTION), c.description);
            EXPECT_EQ(control_text(dialog, IDC_SERVER_HOSTNAME), c.server == kHierarchical ? host_ : "");
            EXPECT_EQ(control_text(dialog, IDC_CHANNEL_NAME), c.name);
            EXPECT_EQ(control_text(dialog, IDC_ITEM_ID), c.item_id);
            EXPECT_EQ(control_text(dialog, IDC_ACCESS_PATH), c.access_path);
            HWND tree = tree_of(dialog);
            EXPECT_TRUE(IsWindowEnabled(tree));
            EXPECT_EQ(tree_lines(tree), c.tree);
            EXPECT_EQ(selected_path(tree), c.selected);
            if (c.channel_id == 17) {
                Screenshot shot;
                EXPECT_TRUE(capture_window(dialog, shot));
                EXPECT_GT(shot.distinct_colours(), 4u) << "the captured dialog is blank";
                EXPECT_TRUE(save_png(shot, screenshot_path("channel_setup.png")));
            }
            EXPECT_TRUE(click(dialog, IDCANCEL));
        });
        Outcome outcome = select(c.server, c.channel_id, c.name);
        EXPECT_TRUE(script.ran());
        EXPECT_FALSE(script.timed_out());
        EXPECT_EQ(outcome.result, -1);
        EXPECT_EQ(outcome.buffer, "");
        EXPECT_EQ(item_id(c.server, c.channel_id, c.name), c.item_id);
    }
}

// --- Taking an item ID from the tree -------------------------------------------------------------

TEST_F(ChannelSetup, DoubleClickingALeafTakesTheItemIdTheServerGivesAndOkStoresIt) {
    DialogScript script(kCaption, [&](HWND dialog) {
        HWND tree = tree_of(dialog);
        // The root and a leaf whose item ID the server cannot give change nothing.
        double_click(dialog, TreeView_GetRoot(tree));
        HTREEITEM odd = open_path(tree, "Tanks/T1/Odd");
        ASSERT_NE(odd, nullptr);
        double_click(dialog, odd);
        EXPECT_EQ(control_text(dialog, IDC_ITEM_ID), "Tanks.T2.Level");
        EXPECT_EQ(control_text(dialog, IDC_ACCESS_PATH), "Line1");

        // The server names this leaf's item ID itself; it is not the path.
        HTREEITEM leaf = open_path(tree, "A/B/D");
        ASSERT_NE(leaf, nullptr);
        double_click(dialog, leaf);
        EXPECT_EQ(selected_path(tree), "Boiler house/A/B/D");
        EXPECT_EQ(control_text(dialog, IDC_ITEM_ID), "Custom/D.Id");
        EXPECT_EQ(control_text(dialog, IDC_ACCESS_PATH), "");
        EXPECT_TRUE(click(dialog, IDOK));
    });
    Outcome outcome = select(kHierarchical, 17, "Level2");
    EXPECT_TRUE(script.ran());
    EXPECT_EQ(outcome.result, 11);
    EXPECT_EQ(outcome.buffer, "Custom/D.Id");
    EXPECT_EQ(item_id(kHierarchical, 17), "Custom/D.Id");
    EXPECT_EQ(access_path(kHierarchical, 17), "");

    // The change is the server's only one, and a save writes it.
    ASSERT_EQ(api_.tagcfg_save(env_, nullptr, nullptr, 0, 0), 0);
    std::string written;
    ASSERT_TRUE(read_bytes(dir_.path() + "\\plant_opc0.cnf", written));
    EXPECT_NE(written.find("%CHANID:17\r\nID:Custom/D.Id\r\n\r\n"), std::string::npos) << written;
}

// --- Confirming and closing ----------------------------------------------------------------------

TEST_F(ChannelSetup, OkStoresWhatWasTypedAndHandsBackAsMuchAsTheBufferTakes) {
    struct Case {
        const char *item_id, *access_path;
        int size;
        int result;
        const char *buffer;
    };
    const Case cases[] = {
        {"Tanks.T1.Level", "Line2", 64, 14, "Tanks.T1.Level"},
        {"Tanks.T1.Level", "", 6, 5, "Tanks"},  // cut for the host; the table keeps it whole
        {"Anything the server does not know", "", 64, 33, "Anything the server does not know"},
        {"", "Line3", 64, 0, ""},  // an empty item ID removes the channel
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.item_id);
        ASSERT_EQ(api_.tagcfg_load(env_, nullptr, nullptr), 0);
        int type = 0, before = 0, after = 0;
        get_server_type_(env_, kHierarchical, &type, &before);
        DialogScript script(kCaption, [&](HWND dialog) {
            set_text(dialog, IDC_ITEM_ID, "");
            type_text(dialog, IDC_ITEM_ID, c.item_id);
            set_text(dialog, IDC_ACCESS_PATH, c.access_path);
            EXPECT_TRUE(click(dialog, IDOK));
        });
        Outcome outcome = select(kHierarchical, 17, "Level2", c.size);
        EXPECT_TRUE(script.ran());
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.buffer, c.buffer);
        EXPECT_EQ(item_id(kHierarchical, 17), c.item_id);
        EXPECT_EQ(access_path(kHierarchical, 17), *c.item_id ? c.access_path : "");
        get_server_type_(env_, kHierarchical, &type, &after);
        EXPECT_EQ(after, *c.item_id ? before : before - 1);
    }
}

TEST_F(ChannelSetup, CancelEscapeAndTheCloseBoxLeaveTheChannelAsItWas) {
    const std::pair<const char *, std::function<void(HWND)>> ways[] = {
        {"Cancel", [](HWND dialog) { EXPECT_TRUE(click(dialog, IDCANCEL)); }},
        // The dialog manager turns Escape in an edit into IDCANCEL.
        {"Escape", [](HWND dialog) {
             PostMessageA(GetDlgItem(dialog, IDC_ITEM_ID), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
             PostMessageA(GetDlgItem(dialog, IDC_ITEM_ID), WM_KEYUP, VK_ESCAPE, 0xC0010001);
         }},
        {"close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.first);
        DialogScript script(kCaption, [&](HWND dialog) {
            double_click(dialog, open_path(tree_of(dialog), "Alarm"));
            EXPECT_EQ(control_text(dialog, IDC_ITEM_ID), "Alarm");
            set_text(dialog, IDC_ACCESS_PATH, "Elsewhere");
            way.second(dialog);
        });
        Outcome outcome = select(kHierarchical, 17, "Level2");
        EXPECT_TRUE(script.ran());
        EXPECT_FALSE(script.timed_out());
        EXPECT_EQ(outcome.result, -1);
        EXPECT_EQ(outcome.buffer, "");
        EXPECT_EQ(item_id(kHierarchical, 17), "Tanks.T2.Level");
        EXPECT_EQ(access_path(kHierarchical, 17), "Line1");
    }
}

// --- Servers that cannot be browsed --------------------------------------------------------------

TEST_F(ChannelSetup, AServerThatCannotBeCreatedIsReportedOnceAndTypingStillWorks) {
    // Armed only once the message is answered: until then the dialog is up but not ready.
    std::optional<DialogScript> dialog_script;
    DialogScript message(kErrorCaption, [&](HWND box) {
        EXPECT_EQ(control_text(box, kMessageBoxText), kConnectFailed);
        EXPECT_EQ(window_text(GetWindow(box, GW_OWNER)), kCaption);
        HWND icon = GetDlgItem(box, kMessageBoxIcon);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)), LoadIconA(nullptr, IDI_HAND));
        EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
        EXPECT_TRUE(answer_message_box(kErrorCaption, IDOK));
        dialog_script.emplace(kCaption, [&](HWND dialog) {
            EXPECT_EQ(find_thread_dialog(kErrorCaption), nullptr) << "the message came again";
            EXPECT_EQ(control_text(dialog, IDC_SERVER_NUMBER), "OPC1");
            EXPECT_FALSE(IsWindowEnabled(tree_of(dialog)));
            EXPECT_EQ(tree_lines(tree_of(dialog)), Lines{"OpcSim.NotRegistered.1"});
            type_text(dialog, IDC_ITEM_ID, "Typed.By.Hand");
            type_text(dialog, IDC_ACCESS_PATH, "Path");
            EXPECT_TRUE(click(dialog, IDOK));
        });
    });
    Outcome outcome = select(kUnregistered, 5, "Manual");
    EXPECT_TRUE(message.ran());
    ASSERT_TRUE(dialog_script.has_value());
    EXPECT_TRUE(dialog_script->ran());
    EXPECT_EQ(outcome.result, 13);
    EXPECT_EQ(outcome.buffer, "Typed.By.Hand");
    EXPECT_EQ(item_id(kUnregistered, 5), "Typed.By.Hand");
    EXPECT_EQ(access_path(kUnregistered, 5), "Path");
}

TEST_F(ChannelSetup, AServerWithoutBrowsingDisablesTheTreeSilently) {
    DialogScript script(kCaption, [&](HWND dialog) {
        EXPECT_EQ(find_thread_dialog(kErrorCaption), nullptr);
        EXPECT_EQ(control_text(dialog, IDC_SERVER_NUMBER), "OPC2");
        EXPECT_EQ(control_text(dialog, IDC_SERVER_PROGID), "OpcSim.NoBrowse.1");
        EXPECT_FALSE(IsWindowEnabled(tree_of(dialog)));
        EXPECT_EQ(tree_lines(tree_of(dialog)), Lines{"OpcSim.NoBrowse.1"});
        type_text(dialog, IDC_ITEM_ID, "Unreachable");
        EXPECT_TRUE(click(dialog, IDOK));
    });
    Outcome outcome = select(kNoBrowse, 0, "Hidden");
    EXPECT_TRUE(script.ran());
    EXPECT_EQ(outcome.result, 11);
    EXPECT_EQ(item_id(kNoBrowse, 0), "Unreachable");
}

TEST_F(ChannelSetup, NoServerAtTheNumberMeansNoDialog) {
    DialogScript script(kCaption, [](HWND dialog) { click(dialog, IDCANCEL); }, 2000);
    const int numbers[] = {kEmptySlot, -1, 5, 256};
    for (int server : numbers) {
        Outcome outcome = select(server, 17, "Level2");
        EXPECT_EQ(outcome.result, -1) << server;
        EXPECT_EQ(outcome.buffer, "") << server;
    }
    char buffer[8] = "junk";
    EXPECT_EQ(select_channel_(nullptr, kHierarchical, 17, "Level2", buffer, sizeof buffer, nullptr), -1);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_FALSE(script.ran());
}

// --- The host program's dialog commands ------------------------------------------------------------

// tagcfg.exe run as a user runs it, with its own dialog worked from here: another process's
// dialog cannot be reached from a thread timer, so it is looked for in bounded steps.
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

    // The program's visible dialog with that caption once its tree has a root, or null in time.
    HWND wait_for_dialog(const char *caption) const {
        for (int step = 0; step < 1000 && WaitForSingleObject(process_.hProcess, 20) == WAIT_TIMEOUT; ++step) {
            for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", caption));) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == process_.dwProcessId && IsWindowVisible(window) && TreeView_GetRoot(tree_of(window)))
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

void press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TEST_F(ChannelSetup, TheHostProgramBindsAChannelInTheDialogAndSavesIt) {
    if (GetFileAttributesA(HostProgram::path().c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "build the tagcfg_cli target first: " << HostProgram::path();
    const std::string file = dir_.path() + "\\plant_opc0.cnf";
    std::string before;
    ASSERT_TRUE(read_bytes(file, before));
    for (bool confirm : {false, true}) {
        SCOPED_TRACE(confirm ? "OK" : "Cancel");
        HostProgram program("channel \"" + dir_.path() + "\" plant 0 17 Level2");
        ASSERT_TRUE(program.started());
        HWND dialog = program.wait_for_dialog(kCaption);
        ASSERT_NE(dialog, nullptr) << "the program showed no channel setup dialog";
        if (confirm) SendMessageA(GetDlgItem(dialog, IDC_ITEM_ID), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("From.Host"));
        press(dialog, confirm ? IDOK : IDCANCEL);
        std::string printed, after;
        DWORD status = program.finish(printed);
        ASSERT_TRUE(read_bytes(file, after));
        if (confirm) {
            EXPECT_EQ(status, 0u) << printed;
            EXPECT_EQ(printed, "From.Host\r\n");
            EXPECT_NE(after.find("%CHANID:17\r\nID:From.Host\r\nACCPATH:Line1\r\n"), std::string::npos) << after;
        } else {
            EXPECT_EQ(status, 1u) << printed;
            EXPECT_EQ(printed.find("From.Host"), std::string::npos) << printed;
            EXPECT_EQ(after, before);
        }
    }
}

TEST_F(ChannelSetup, TheHostProgramPrintsTheItemsPickedInTheItemSelectionDialog) {
    if (GetFileAttributesA(HostProgram::path().c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "build the tagcfg_cli target first: " << HostProgram::path();
    HostProgram program("items \"" + dir_.path() + "\" plant 4");
    ASSERT_TRUE(program.started());
    HWND dialog = program.wait_for_dialog("Select OPC items for autobuilding");
    ASSERT_NE(dialog, nullptr) << "the program showed no item selection dialog";
    // The root of a flat space stands for every item of the server.
    HWND tree = tree_of(dialog);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(TreeView_GetRoot(tree)));
    press(dialog, IDC_ADD_ITEMS);
    press(dialog, IDOK);
    std::string printed;
    EXPECT_EQ(program.finish(printed), 0u) << printed;
    EXPECT_EQ(printed, "A\r\nA.B\r\nPump:Speed\r\n");
}

// --- Languages -----------------------------------------------------------------------------------

// Restores the thread's languages however the case ends.
class ThreadLanguage {
public:
    ThreadLanguage() : ui_(GetThreadUILanguage()), locale_(GetThreadLocale()) {}
    ~ThreadLanguage() {
        SetThreadUILanguage(ui_);
        SetThreadLocale(locale_);
    }

private:
    LANGID ui_;
    LCID locale_;
};

// A text as the ANSI functions give it back in this process's code page.
std::string in_ansi(const std::wstring &text) {
    char ansi[256] = "";
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

bool code_page_holds(const std::wstring &text) {
    wchar_t back[256] = L"";
    MultiByteToWideChar(CP_ACP, 0, in_ansi(text).c_str(), -1, back, 256);
    return text == back;
}

TEST_F(ChannelSetup, OpensInRussianWhenTheThreadAsksForIt) {
    const std::wstring russian_caption = L"Настройка канала OPC";
    const LANGID russian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);
    auto resources_in_russian = [&] {
        wchar_t error[80] = L"";
        LoadStringW(api_.library.get(), IDS_ERROR_CAPTION, error, 80);
        return std::wstring(error) == L"Ошибка";
    };
    ThreadLanguage restore;
    SetThreadUILanguage(russian);
    const char *how = "SetThreadUILanguage";
    if (!resources_in_russian()) {
        SetThreadLocale(russian);
        how = "SetThreadLocale";
    }
    if (!resources_in_russian()) GTEST_SKIP() << "this Wine picks resources by neither the UI language nor the locale";
    std::printf("[ note     ] Russian resources chosen through %s\n", how);

    // The library's windows are ANSI windows: their texts pass through the process's code page,
    // and arrive whole only where that code page has Cyrillic letters.
    const std::wstring russian_cancel = L"Отмена";
    if (!code_page_holds(russian_caption))
        std::printf("[ note     ] code page %u has no Cyrillic: Russian texts compared in that code page\n", GetACP());
    DialogScript script(in_ansi(russian_caption), [&](HWND dialog) {
        EXPECT_EQ(window_text(dialog), in_ansi(russian_caption));
        EXPECT_EQ(control_text(dialog, IDCANCEL), in_ansi(russian_cancel));
        EXPECT_EQ(control_text(dialog, IDC_ITEM_ID), "Tanks.T2.Level");
        EXPECT_TRUE(click(dialog, IDCANCEL));
    });
    Outcome outcome = select(kHierarchical, 17, "Level2");
    EXPECT_TRUE(script.ran()) << "language set by " << how;
    EXPECT_EQ(outcome.result, -1);
}

}  // namespace
}  // namespace wintest
