// The server list and server picker dialogs as the host opens them: tagcfg_select_server of
// tagcfg.dll, with the picker run over the list by Add and Change, on the registry of the Wine
// prefix where opcsim.dll registered its classes. The dialogs' rules are covered natively over
// in-memory registries and networks; here the real registry walk, the real network enumeration
// (which has no network to find in a test prefix), the message boxes and the saved files.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "opcsim_classes.h"
#include "opcsim_fixture.h"
#include "resource_ids.h"

namespace wintest {
namespace {

const char kList[] = "OPC server selection";
const char kPicker[] = "Select OPC server";
const char kWarning[] = "Warning";

using Lines = std::vector<std::string>;
using Buttons = std::vector<bool>;

const opcsim::ServerClass &hierarchical = *opcsim::server_class("OpcSim.Hierarchical.1");
const opcsim::ServerClass &flat = *opcsim::server_class("OpcSim.Flat.1");

HWND list_of(HWND dialog) { return GetDlgItem(dialog, IDC_SERVER_LIST); }

// Each row as its four columns joined by "|".
Lines rows(HWND dialog) {
    Lines rows = list_column(list_of(dialog), 0);
    for (int column = 1; column < 4; ++column) {
        Lines cells = list_column(list_of(dialog), column);
        for (size_t row = 0; row < rows.size() && row < cells.size(); ++row) rows[row] += "|" + cells[row];
    }
    return rows;
}
int selected_row(HWND dialog) { return ListView_GetNextItem(list_of(dialog), -1, LVNI_SELECTED); }
void select_row(HWND dialog, int row) {
    ListView_SetItemState(list_of(dialog), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}
int row_image(HWND dialog, int row) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(list_of(dialog), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}
bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }
// Add, Remove, Change and Select: whether each can be pressed.
Buttons buttons(HWND dialog) {
    return {enabled(dialog, IDC_ADD_SERVER), enabled(dialog, IDC_REMOVE_SERVER), enabled(dialog, IDC_CHANGE_SERVER),
            enabled(dialog, IDOK)};
}

Lines children(HWND tree, HTREEITEM parent) {
    Lines texts;
    for (HTREEITEM child = TreeView_GetChild(tree, parent); child; child = TreeView_GetNextSibling(tree, child))
        texts.push_back(tree_item_text(tree, child));
    return texts;
}
int children_flag(HWND tree, HTREEITEM item) {
    TVITEMA data{};
    data.mask = TVIF_CHILDREN;
    data.hItem = item;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return data.cChildren;
}

// Presses Yes or No in the confirmation that pressing `button` of the list asks; true when it asked.
// The confirmation's default button is checked against the one the action should default to.
bool confirm(HWND list, int button, int answer, int default_answer) {
    return act_on_dialog(
        kWarning,
        [&](HWND box) {
            EXPECT_NE(control_text(box, kMessageBoxText).find("Do you want to continue ?"), std::string::npos);
            EXPECT_EQ(GetWindowLongA(GetDlgItem(box, default_answer), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
            EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
            EXPECT_TRUE(answer_message_box(kWarning, answer));
        },
        [&] { EXPECT_TRUE(click(list, button)); });
}

// Add or Change, picking the server shown under "My Computer" by that text; answer: the reply to
// the confirmation, which is to be asked exactly when it is given.
void pick(HWND list, int button, const std::string &text, int answer = 0) {
    bool asked = false;
    bool picked = act_on_dialog(
        kPicker,
        [&](HWND picker) {
            HWND tree = GetDlgItem(picker, IDC_PICKER_TREE);
            TreeView_SelectItem(tree, open_path(tree, text));
            EXPECT_TRUE(click(picker, IDOK)) << text;
        },
        [&] { asked = confirm(list, button, answer ? answer : IDNO, IDYES); });
    EXPECT_TRUE(picked);
    EXPECT_EQ(asked, answer != 0);
}

std::string server_file(const opcsim::ServerClass &server) {
    return std::string("%%OPC_SERVER_CONFIG\r\n\r\nPROGID:") + server.progid + "\r\nCLSID:" + server.clsid +
           "\r\nDESCRIPTION:" + server.description + "\r\n\r\n";
}

class ServerDialogs : public OpcProject {
protected:
    void SetUp() override {
        load({{0, "PROGID:OpcSim.Flat.1\r\nDESCRIPTION:Mixing\r\n\r\n%CHANID:1\r\nID:A\r\n"}});
        ASSERT_TRUE(select_server_);
    }
    decltype(&::tagcfg_select_server) select_server_ =
        function<decltype(&::tagcfg_select_server)>("tagcfg_select_server");
};

}  // namespace

TEST_F(ServerDialogs, ThePickerOffersThisComputersOpcServersAndNoNetwork) {
    Lines expected;  // a server without a description is shown by its ProgID
    for (const opcsim::ServerClass &server : opcsim::kServerClasses)
        if (server.opc) expected.push_back(server.description ? server.description : server.progid);
    std::sort(expected.begin(), expected.end());
    bool picker_ran = false;
    DialogScript list(
        kList,
        [&](HWND dialog) {
            const Lines before = rows(dialog);
            picker_ran = act_on_dialog(
                kPicker,
                [&](HWND picker) {
                    HWND tree = GetDlgItem(picker, IDC_PICKER_TREE);
                    EXPECT_EQ(tree_lines(tree), Lines({"My Computer", "Network Neighbourhood"}));
                    EXPECT_FALSE(enabled(picker, IDOK));
                    HTREEITEM mine = TreeView_GetRoot(tree), network = TreeView_GetNextSibling(tree, mine);
                    TreeView_Expand(tree, mine, TVE_EXPAND);
                    Lines found = children(tree, mine);
                    std::sort(found.begin(), found.end());
                    EXPECT_EQ(found, expected);  // only keys with an "OPC" subkey: OpcSim.NotOpc.1 is not offered
                    TreeView_Expand(tree, mine, TVE_COLLAPSE);
                    TreeView_Expand(tree, mine, TVE_EXPAND);  // read once: nothing comes twice
                    EXPECT_EQ(children(tree, mine).size(), expected.size());
                    // No network here: the root loses its button. A message would have blocked this call
                    // until the script's deadline, which would end every dialog.
                    TreeView_Expand(tree, network, TVE_EXPAND);
                    EXPECT_EQ(children(tree, network), Lines{});
                    EXPECT_EQ(children_flag(tree, network), 0);
                    TreeView_SelectItem(tree, network);
                    EXPECT_FALSE(enabled(picker, IDOK));
                    TreeView_SelectItem(tree, open_path(tree, "OpcSim.NoDescription.1"));
                    EXPECT_TRUE(enabled(picker, IDOK));
                    save_screenshot(picker, "server_picker.png");
                    EXPECT_TRUE(click(picker, IDCANCEL));
                },
                [&] { EXPECT_TRUE(click(dialog, IDC_ADD_SERVER)); });
            EXPECT_EQ(rows(dialog), before);  // a cancelled Add changes nothing
            EXPECT_TRUE(click(dialog, IDCANCEL));
        },
        60000);
    EXPECT_EQ(select_server_(env_, 0, nullptr), -1);
    EXPECT_TRUE(list.ran());
    EXPECT_FALSE(list.timed_out());
    EXPECT_TRUE(picker_ran);
}

TEST_F(ServerDialogs, AddChangeRemoveSelectAndExitThenTheNewServersAreSaved) {
    const std::string mixing = "OPC0|OpcSim.Flat.1||Mixing";
    const std::string added = std::string("OPC1|") + hierarchical.progid + "||" + hierarchical.description;
    const std::string changed = std::string("OPC1|") + flat.progid + "||" + flat.description;
    DialogScript first(
        kList,
        [&](HWND dialog) {
            EXPECT_EQ(rows(dialog), Lines{mixing});
            EXPECT_EQ(selected_row(dialog), 0);
            pick(dialog, IDC_ADD_SERVER, hierarchical.description);
            EXPECT_EQ(rows(dialog), Lines({mixing, added}));
            EXPECT_EQ(selected_row(dialog), 1);
            pick(dialog, IDC_CHANGE_SERVER, flat.description, IDNO);
            EXPECT_EQ(rows(dialog), Lines({mixing, added}));
            pick(dialog, IDC_CHANGE_SERVER, flat.description, IDYES);
            EXPECT_EQ(rows(dialog), Lines({mixing, changed}));
            save_screenshot(dialog, "server_list.png");

            select_row(dialog, 0);
            EXPECT_TRUE(confirm(dialog, IDC_REMOVE_SERVER, IDNO, IDNO));
            EXPECT_EQ(rows(dialog), Lines({mixing, changed}));
            EXPECT_TRUE(confirm(dialog, IDC_REMOVE_SERVER, IDYES, IDNO));
            EXPECT_EQ(rows(dialog), Lines({"OPC0|<not configured>||", changed}));
            EXPECT_EQ(row_image(dialog, 0), IMAGE_EMPTY_SERVER_SLOT);
            EXPECT_EQ(buttons(dialog), Buttons({true, false, true, true}));
            EXPECT_TRUE(click(dialog, IDOK));  // an empty slot cannot be selected: the dialog stays
            EXPECT_EQ(find_thread_dialog(kList), dialog);
            select_row(dialog, 1);
            EXPECT_TRUE(click(dialog, IDOK));
        },
        60000);
    EXPECT_EQ(select_server_(env_, 0, nullptr), 1);
    EXPECT_TRUE(first.ran());
    EXPECT_FALSE(first.timed_out());

    DialogScript second(
        kList,
        [&](HWND dialog) {
            EXPECT_EQ(selected_row(dialog), -1);  // one past the last slot preselects nothing
            EXPECT_EQ(buttons(dialog), Buttons({true, false, false, false}));
            pick(dialog, IDC_ADD_SERVER, hierarchical.description);
            EXPECT_EQ(selected_row(dialog), 2);
            EXPECT_TRUE(click(dialog, IDCANCEL));
        },
        60000);
    EXPECT_EQ(select_server_(env_, 2, nullptr), -1);
    EXPECT_TRUE(second.ran());
    EXPECT_FALSE(second.timed_out());

    // Exit undid nothing: the new servers are modified, so a plain save writes them, and the
    // removed server's file goes.
    ASSERT_EQ(api_.tagcfg_save(env_, nullptr, nullptr, 0, 0), 0);
    Lines names = file_names(dir_.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, Lines({"plant_opc1.cnf", "plant_opc2.cnf"}));
    std::string written;
    EXPECT_TRUE(read_bytes(file(1), written));
    EXPECT_EQ(written, server_file(flat));
    EXPECT_TRUE(read_bytes(file(2), written));
    EXPECT_EQ(written, server_file(hierarchical));
}

}  // namespace wintest

namespace wintest {
namespace {

// A file that failed to read keeps its slot: Add appends after it, Change may fill it, and the save
// first keeps the file's bytes aside. Numbers run to 255, so at 256 slots Add is off.
TEST_F(ServerDialogs, TheSlotOfAFileThatFailedIsKeptAndItsBytesAreKeptAsideAndAddStopsAt256) {
    const std::string unreadable = "%%OPC_SERVER_CONFIG\r\nBOGUS:1\r\n";
    ASSERT_TRUE(write_bytes(file(2), unreadable));
    ASSERT_EQ(api_.tagcfg_load(env_, nullptr, nullptr), -1);
    DialogScript list(
        kList,
        [&](HWND dialog) {
            EXPECT_EQ(rows(dialog).size(), 3u);
            pick(dialog, IDC_ADD_SERVER, hierarchical.description);
            EXPECT_EQ(selected_row(dialog), 3);
            select_row(dialog, 2);
            pick(dialog, IDC_CHANGE_SERVER, flat.description);  // an empty slot: nothing to confirm
            EXPECT_TRUE(click(dialog, IDCANCEL));
        },
        60000);
    EXPECT_EQ(select_server_(env_, 0, nullptr), -1);
    EXPECT_TRUE(list.ran());
    ASSERT_EQ(api_.tagcfg_save(env_, nullptr, nullptr, 0, 0), 0);
    std::string bytes;
    EXPECT_TRUE(read_bytes(file(2) + ".bad", bytes));
    EXPECT_EQ(bytes, unreadable);
    EXPECT_TRUE(read_bytes(file(2), bytes));
    EXPECT_EQ(bytes, server_file(flat));
    EXPECT_TRUE(read_bytes(file(3), bytes));
    EXPECT_EQ(bytes, server_file(hierarchical));

    ASSERT_TRUE(write_bytes(file(255), "%%OPC_SERVER_CONFIG\r\n"));
    ASSERT_EQ(api_.tagcfg_load(env_, nullptr, nullptr), 0);
    DialogScript full(
        kList,
        [&](HWND dialog) {
            EXPECT_EQ(rows(dialog).size(), 256u);
            EXPECT_EQ(buttons(dialog), Buttons({false, true, true, true}));
            EXPECT_TRUE(confirm(dialog, IDC_REMOVE_SERVER, IDYES, IDNO));
            EXPECT_EQ(rows(dialog).size(), 4u);
            EXPECT_TRUE(enabled(dialog, IDC_ADD_SERVER));
            EXPECT_TRUE(click(dialog, IDCANCEL));
        },
        60000);
    EXPECT_EQ(select_server_(env_, 255, nullptr), -1);
    EXPECT_TRUE(full.ran());
    EXPECT_FALSE(full.timed_out());
}

}  // namespace
}  // namespace wintest
