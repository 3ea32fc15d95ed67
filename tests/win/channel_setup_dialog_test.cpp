// The channel setup dialog as the host opens it: tagcfg_select_channel of tagcfg.dll on opcsim
// servers, driven from the dialog's own thread. The dialog's rules are covered natively; here
// are what only real windows show: the controls, the dialog manager's keys, the message box, the
// buffer handed back through the export, the host program and the Russian resources.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "host_program.h"
#include "opcsim_fixture.h"
#include "resource_ids.h"

namespace wintest {
namespace {

const char kCaption[] = "OPC channel setup";
const char kErrorCaption[] = "Error";

enum Server { kHierarchical = 0, kUnregistered = 1, kFlat = 2, kEmptySlot = 3 };

using Lines = std::vector<std::string>;

std::string computer_name() {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

HWND tree_of(HWND dialog) { return GetDlgItem(dialog, IDC_BROWSE_TREE); }

struct Outcome {
    int result;
    std::string buffer;
};

class ChannelSetup : public OpcProject {
protected:
    void SetUp() override {
        load({{kHierarchical,
               "PROGID:OpcSim.Hierarchical.1\r\nHOSTNAME:" + host_ +
                   "\r\nDESCRIPTION:Boiler house\r\n\r\n%CHANID:17\r\nID:Tanks.T2.Level\r\nACCPATH:Line1\r\n"},
              {kUnregistered, "PROGID:OpcSim.NotRegistered.1\r\n\r\n"},
              {kFlat, "PROGID:OpcSim.Flat.1\r\nDESCRIPTION:A\r\n\r\n"}});
        ASSERT_TRUE(select_channel_);
    }

    // Opens the dialog and waits for it to end; a script armed by the caller does the clicking.
    Outcome select(int server, int channel_id, const char *name, int size = 256) {
        std::vector<char> buffer(static_cast<size_t>(size), 'x');
        int result = select_channel_(env_, server, channel_id, name, buffer.data(), size, nullptr);
        return {result, std::string(buffer.data(), strnlen(buffer.data(), buffer.size()))};
    }
    std::string item_id(int server, int channel_id) {
        char text[1100];
        api_.tagcfg_get_channel_id(env_, server, channel_id, nullptr, text, sizeof text);
        return text;
    }
    std::string access_path(int server, int channel_id) {
        char text[1100];
        api_.tagcfg_get_channel_access_path(env_, server, channel_id, nullptr, text, sizeof text);
        return text;
    }

    const std::string host_ = computer_name();  // this computer by name: labelled, yet created locally
    decltype(&::tagcfg_select_channel) select_channel_ =
        function<decltype(&::tagcfg_select_channel)>("tagcfg_select_channel");
};

TEST_F(ChannelSetup, OpensAlongTheChannelsItemIdAndDoubleClickingALeafTakesTheServersItemId) {
    DialogScript script(kCaption, [&](HWND dialog) {
        EXPECT_EQ(control_text(dialog, IDC_SERVER_NUMBER), "OPC0");
        EXPECT_EQ(control_text(dialog, IDC_SERVER_PROGID), "OpcSim.Hierarchical.1");
        EXPECT_EQ(control_text(dialog, IDC_SERVER_DESCRIPTION), "Boiler house");
        EXPECT_EQ(control_text(dialog, IDC_SERVER_HOSTNAME), host_);
        EXPECT_EQ(control_text(dialog, IDC_CHANNEL_NAME), "Level2");
        EXPECT_EQ(control_text(dialog, IDC_ITEM_ID), "Tanks.T2.Level");
        EXPECT_EQ(control_text(dialog, IDC_ACCESS_PATH), "Line1");
        HWND tree = tree_of(dialog);
        EXPECT_TRUE(IsWindowEnabled(tree));
        EXPECT_EQ(tree_lines(tree), Lines({"Boiler house", "  A", "  AB", "  Refused", "  Tanks", "    T1",
                                           "    Locked", "    T2", "      Level", "  Alarm"}));
        EXPECT_EQ(selected_tree_path(tree), "Boiler house/Tanks/T2/Level");
        save_screenshot(dialog, "channel_setup.png");

        // The root, and a leaf whose item ID the server cannot give, change nothing.
        double_click_tree(dialog, IDC_BROWSE_TREE, TreeView_GetRoot(tree));
        HTREEITEM odd = open_path(tree, "Tanks/T1/Odd");
        ASSERT_NE(odd, nullptr);
        double_click_tree(dialog, IDC_BROWSE_TREE, odd);
        EXPECT_EQ(control_text(dialog, IDC_ITEM_ID), "Tanks.T2.Level");
        EXPECT_EQ(control_text(dialog, IDC_ACCESS_PATH), "Line1");
        // The server names this leaf's item ID itself; it is not the path.
        double_click_tree(dialog, IDC_BROWSE_TREE, open_path(tree, "A/B/D"));
        EXPECT_EQ(control_text(dialog, IDC_ITEM_ID), "Custom/D.Id");
        EXPECT_EQ(control_text(dialog, IDC_ACCESS_PATH), "");
        EXPECT_TRUE(click(dialog, IDOK));
    });
    Outcome outcome = select(kHierarchical, 17, "Level2");
    EXPECT_TRUE(script.ran());
    EXPECT_FALSE(script.timed_out());
    EXPECT_EQ(outcome.result, 11);
    EXPECT_EQ(outcome.buffer, "Custom/D.Id");
    ASSERT_EQ(api_.tagcfg_save(env_, nullptr, nullptr, 0, 0), 0);
    std::string written;
    ASSERT_TRUE(read_bytes(file(kHierarchical), written));
    EXPECT_NE(written.find("%CHANID:17\r\nID:Custom/D.Id\r\n\r\n"), std::string::npos) << written;
}

TEST_F(ChannelSetup, OkStoresWhatWasTypedAndHandsBackAsMuchAsTheBufferTakes) {
    struct Case {
        const char *item_id, *access_path;
        int size, result;
        const char *buffer;
    };
    const Case cases[] = {
        {"Tanks.T1.Level", "Line2", 64, 14, "Tanks.T1.Level"},
        {"Tanks.T1.Level", "", 6, 5, "Tanks"},  // cut for the host; the table keeps it whole
        {"", "Line3", 64, 0, ""},               // an empty item ID removes the channel
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.item_id);
        ASSERT_EQ(api_.tagcfg_load(env_, nullptr, nullptr), 0);
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
    }
}

TEST_F(ChannelSetup, CancelEscapeAndTheCloseBoxStoreNothing) {
    const std::pair<const char *, std::function<void(HWND)>> ways[] = {
        {"Cancel", [](HWND dialog) { EXPECT_TRUE(click(dialog, IDCANCEL)); }},
        {"Escape",
         [](HWND dialog) {  // the dialog manager turns Escape in an edit into IDCANCEL
             PostMessageA(GetDlgItem(dialog, IDC_ITEM_ID), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
             PostMessageA(GetDlgItem(dialog, IDC_ITEM_ID), WM_KEYUP, VK_ESCAPE, 0xC0010001);
         }},
        {"close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.first);
        DialogScript script(kCaption, [&](HWND dialog) {
            // The flat root is labelled like one of its items, yet stands for no item.
            double_click_tree(dialog, IDC_BROWSE_TREE, TreeView_GetRoot(tree_of(dialog)));
            EXPECT_EQ(control_text(dialog, IDC_ITEM_ID), "");
            double_click_tree(dialog, IDC_BROWSE_TREE, open_path(tree_of(dialog), "Pump:Speed"));
            EXPECT_EQ(control_text(dialog, IDC_ITEM_ID), "Pump:Speed");
            way.second(dialog);
        });
        Outcome outcome = select(kFlat, 1, "Speed");
        EXPECT_TRUE(script.ran());
        EXPECT_FALSE(script.timed_out());
        EXPECT_EQ(outcome.result, -1);
        EXPECT_EQ(item_id(kFlat, 1), "");
    }
}

TEST_F(ChannelSetup, AServerThatCannotBeCreatedIsReportedOnceAndTypingStillWorks) {
    // Armed only once the message is answered: until then the dialog is up but not ready.
    std::optional<DialogScript> dialog_script;
    DialogScript message(kErrorCaption, [&](HWND box) {
        EXPECT_EQ(control_text(box, kMessageBoxText), "Error creating server. Server may not be correctly registered.");
        EXPECT_EQ(window_text(GetWindow(box, GW_OWNER)), kCaption);
        HWND icon = GetDlgItem(box, kMessageBoxIcon);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)), LoadIconA(nullptr, IDI_HAND));
        EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
        EXPECT_TRUE(answer_message_box(kErrorCaption, IDOK));
        dialog_script.emplace(kCaption, [&](HWND dialog) {
            EXPECT_EQ(find_thread_dialog(kErrorCaption), nullptr) << "the message came again";
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
    EXPECT_EQ(access_path(kUnregistered, 5), "Path");
}

TEST_F(ChannelSetup, NoServerAtTheNumberMeansNoDialog) {
    DialogScript script(
        kCaption, [](HWND dialog) { click(dialog, IDCANCEL); }, 2000);
    for (int server : {static_cast<int>(kEmptySlot), -1, 256}) {
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

void press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TEST_F(ChannelSetup, TheHostProgramBindsAChannelOrPrintsPickedItems) {
    if (GetFileAttributesA(HostProgram::path().c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "build the tagcfg_cli target first: " << HostProgram::path();
    std::string before;
    ASSERT_TRUE(read_bytes(file(kHierarchical), before));
    for (bool confirm : {false, true}) {
        SCOPED_TRACE(confirm ? "OK" : "Cancel");
        HostProgram program("channel \"" + dir_.path() + "\" plant 0 17 Level2");
        ASSERT_TRUE(program.started());
        HWND dialog = program.wait_for_dialog(kCaption, IDC_BROWSE_TREE);
        ASSERT_NE(dialog, nullptr) << "the program showed no channel setup dialog";
        if (confirm)
            SendMessageA(GetDlgItem(dialog, IDC_ITEM_ID), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("From.Host"));
        press(dialog, confirm ? IDOK : IDCANCEL);
        std::string printed, after;
        DWORD status = program.finish(printed);
        ASSERT_TRUE(read_bytes(file(kHierarchical), after));
        EXPECT_EQ(status, confirm ? 0u : 1u) << printed;
        EXPECT_EQ(printed.find("From.Host\r\n"), confirm ? 0 : std::string::npos) << printed;
        if (confirm) {
            EXPECT_NE(after.find("%CHANID:17\r\nID:From.Host\r\nACCPATH:Line1\r\n"), std::string::npos) << after;
        } else {
            EXPECT_EQ(after, before);
        }
    }

    HostProgram program("items \"" + dir_.path() + "\" plant " + std::to_string(kFlat));
    ASSERT_TRUE(program.started());
    HWND dialog = program.wait_for_dialog("Select OPC items for autobuilding", IDC_BROWSE_TREE);
    ASSERT_NE(dialog, nullptr) << "the program showed no item selection dialog";
    // The root of a flat space stands for every item of the server.
    HWND tree = tree_of(dialog);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(TreeView_GetRoot(tree)));
    press(dialog, IDC_ADD_ITEMS);
    press(dialog, IDOK);
    std::string printed;
    EXPECT_EQ(program.finish(printed), 0u) << printed;
    EXPECT_EQ(printed, "A\r\nA.B\r\nPump:Speed\r\n");

    // The server list opens on the project; Exit chooses no server and changes no file.
    std::string before_servers;
    ASSERT_TRUE(read_bytes(file(kHierarchical), before_servers));
    HostProgram servers("servers \"" + dir_.path() + "\" plant");
    ASSERT_TRUE(servers.started());
    dialog = servers.wait_for_dialog("OPC server selection");
    ASSERT_NE(dialog, nullptr) << "the program showed no server list";
    EXPECT_EQ(ListView_GetItemCount(GetDlgItem(dialog, IDC_SERVER_LIST)), 3);
    press(dialog, IDCANCEL);
    printed.clear();
    EXPECT_EQ(servers.finish(printed), 0u) << printed;
    EXPECT_EQ(printed, "none\r\n");
    std::string after_servers;
    ASSERT_TRUE(read_bytes(file(kHierarchical), after_servers));
    EXPECT_EQ(after_servers, before_servers);
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

TEST_F(ChannelSetup, OpensInRussianWhenTheThreadAsksForIt) {
    const LANGID russian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);
    auto resources_in_russian = [&] {
        wchar_t error[80] = L"";
        LoadStringW(api_.library.get(), IDS_ERROR_CAPTION, error, 80);
        return std::wstring(error) == L"Ошибка";
    };
    ThreadLanguage restore;
    SetThreadUILanguage(russian);
    if (!resources_in_russian()) SetThreadLocale(russian);
    if (!resources_in_russian()) GTEST_SKIP() << "this Wine picks resources by neither the UI language nor the locale";

    // The library's windows are ANSI windows: their texts pass through the process's code page,
    // so they are compared as that code page gives them.
    const std::string caption = in_ansi(L"Настройка канала OPC");
    DialogScript script(caption, [&](HWND dialog) {
        EXPECT_EQ(control_text(dialog, IDCANCEL), in_ansi(L"Отмена"));
        EXPECT_EQ(control_text(dialog, IDC_ITEM_ID), "Tanks.T2.Level");
        EXPECT_TRUE(click(dialog, IDCANCEL));
    });
    EXPECT_EQ(select(kHierarchical, 17, "Level2").result, -1);
    EXPECT_TRUE(script.ran());
}

}  // namespace
}  // namespace wintest
