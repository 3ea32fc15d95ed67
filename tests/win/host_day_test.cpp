// A host's whole day on a copy of the sample project examples/plant1, through tagcfg.dll and its
// dialogs under Wine: load, a new server picked from this computer's OPC servers, a channel bound
// by browsing, channels built from picked items, a clean-up cycle, a save, and the files on disk.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "opcsim_classes.h"
#include "opcsim_fixture.h"
#include "resource_ids.h"

namespace wintest {
namespace {

using Lines = std::vector<std::string>;

const char *const kSampleFiles[] = {"plant1_opc0.cnf", "plant1_opc1.cnf", "plant1_opc3.cnf"};

// examples\plant1 of the checkout, found by walking up from the program's folder; empty when absent.
std::string sample_project() {
    std::string directory = executable_directory();
    for (;;) {
        std::string candidate = directory + "\\examples\\plant1";
        if (GetFileAttributesA((candidate + "\\" + kSampleFiles[0]).c_str()) != INVALID_FILE_ATTRIBUTES)
            return candidate;
        size_t slash = directory.find_last_of('\\');
        if (slash == std::string::npos) return std::string();
        directory.resize(slash);
    }
}

std::string crlf_lines(const Lines &lines) {
    std::string text;
    for (const std::string &line : lines) text += line + "\r\n";
    return text;
}

#define HOST_DAY_ENTRY(name) decltype(&::name) name##_ = function<decltype(&::name)>(#name)

class HostDay : public OpcProject {
protected:
    HOST_DAY_ENTRY(tagcfg_select_server);
    HOST_DAY_ENTRY(tagcfg_select_channel);
    HOST_DAY_ENTRY(tagcfg_select_items);
    HOST_DAY_ENTRY(tagcfg_itemlist_size);
    HOST_DAY_ENTRY(tagcfg_itemlist_get_id);
    HOST_DAY_ENTRY(tagcfg_itemlist_free);
};

#undef HOST_DAY_ENTRY

FILETIME last_written(const std::string &path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

}  // namespace

TEST_F(HostDay, LoadAddBindBuildCleanUpSaveAndTheFilesOnDisk) {
    ASSERT_TRUE(OpcSim::get().registered() && com_.entered() && api_.complete() && dir_.ok());
    ASSERT_TRUE(tagcfg_select_server_ && tagcfg_select_channel_ && tagcfg_select_items_ && tagcfg_itemlist_size_ &&
                tagcfg_itemlist_get_id_ && tagcfg_itemlist_free_);
    const std::string sample = sample_project();
    ASSERT_FALSE(sample.empty()) << "no examples\\plant1 above " << executable_directory();
    std::string original[3];
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(read_bytes(sample + "\\" + kSampleFiles[i], original[i]));
        ASSERT_TRUE(write_bytes(dir_.path() + "\\" + kSampleFiles[i], original[i]));
    }
    env_ = api_.tagcfg_init_environment();
    ASSERT_EQ(api_.tagcfg_load(env_, dir_.path().c_str(), "plant1"), 0);

    // A new server from this computer's OPC servers; Add appends it after the last slot, 3.
    const opcsim::ServerClass &picked = *opcsim::server_class("OpcSim.Hierarchical.1");
    bool picker_ran = false;
    DialogScript list(
        "OPC server selection",
        [&](HWND dialog) {
            picker_ran = act_on_dialog(
                "Select OPC server",
                [&](HWND picker) {
                    HWND tree = GetDlgItem(picker, IDC_PICKER_TREE);
                    TreeView_SelectItem(tree, open_path(tree, picked.description));
                    EXPECT_TRUE(click(picker, IDOK));
                },
                [&] { EXPECT_TRUE(click(dialog, IDC_ADD_SERVER)); });
            EXPECT_TRUE(click(dialog, IDOK));  // the new row is the selected one
        },
        60000);
    const int server = tagcfg_select_server_(env_, 0, nullptr);
    EXPECT_TRUE(picker_ran);
    EXPECT_FALSE(list.timed_out());
    ASSERT_EQ(server, 4);

    // Channel 7 bound by browsing: the server names this leaf's item ID itself.
    const std::string bound = "Custom/D.Id";
    DialogScript setup(
        "OPC channel setup",
        [&](HWND dialog) {
            double_click_tree(dialog, IDC_BROWSE_TREE, open_path(GetDlgItem(dialog, IDC_BROWSE_TREE), "A/B/D"));
            EXPECT_TRUE(click(dialog, IDOK));
        },
        30000);
    char text[256] = "";
    EXPECT_EQ(tagcfg_select_channel_(env_, server, 7, "FeedValve", text, sizeof text, nullptr), int(bound.size()));
    EXPECT_EQ(text, bound);

    // Automatic building: every item below a branch, made channels 300 on.
    DialogScript items(
        "Select OPC items for autobuilding",
        [&](HWND dialog) {
            HWND tree = GetDlgItem(dialog, IDC_BROWSE_TREE);
            TreeView_SelectItem(tree, open_path(tree, "Tanks"));
            EXPECT_TRUE(click(dialog, IDC_ADD_ITEMS));
            EXPECT_TRUE(click(dialog, IDOK));
        },
        30000);
    tagcfg_itemlist *picked_items = tagcfg_select_items_(env_, server, nullptr);
    ASSERT_NE(picked_items, nullptr);
    Lines built;
    for (int i = 0; i < tagcfg_itemlist_size_(picked_items); ++i) {
        tagcfg_itemlist_get_id_(picked_items, i, text, sizeof text);
        built.push_back(text);
        api_.tagcfg_add_channel(env_, server, 300 + i, text);
    }
    tagcfg_itemlist_free_(picked_items);
    ASSERT_EQ(built, Lines({"Tanks.T1.Level", "Tanks.T2.Level"}));
    // Server 3 holds both items too, the second only on a channel without a number.
    EXPECT_EQ(api_.tagcfg_find_channel(env_, built[0].c_str()), 200);
    EXPECT_EQ(api_.tagcfg_find_channel(env_, built[1].c_str()), 301);

    // Clean-up: the host no longer uses channels 13 and 301, and numbers its tank 2 channel, known
    // to server 3 by name only so far.
    struct InUse {
        int server, id;
        const char *name;
    };
    const InUse in_use[] = {{0, 12, nullptr},      {0, 20, nullptr},       {0, -1, "BurnerFlame"},
                            {1, 100, nullptr},     {1, 101, nullptr},      {1, -1, "ChlorineDose"},
                            {3, 200, nullptr},     {3, 201, "Tank2Level"}, {server, 7, nullptr},
                            {server, 300, nullptr}};
    api_.tagcfg_start_gc(env_);
    for (const InUse &use : in_use)
        EXPECT_NE(api_.tagcfg_mark_channel(env_, use.server, use.id, use.name), 0) << use.server << " " << use.id;
    api_.tagcfg_finish_gc(env_);
    const std::string unchanged = dir_.path() + "\\" + kSampleFiles[1];
    const FILETIME before = last_written(unchanged);
    ASSERT_EQ(api_.tagcfg_save(env_, nullptr, nullptr, 0, 0), 0);
    const FILETIME after = last_written(unchanged);
    EXPECT_EQ(CompareFileTime(&before, &after), 0) << "server 1 was written again";

    // Server 0 lost a channel, server 3 gained a number and is written in the library's own form,
    // server 4 is new; server 1 did not change and keeps its file untouched.
    const std::string channel13 = "%CHANID:13\r\nID:Boiler.Drum.Pressure\r\n\r\n";
    std::string expected0 = original[0];
    ASSERT_NE(expected0.find(channel13), std::string::npos);
    expected0.erase(expected0.find(channel13), channel13.size());
    const std::string expected3 =
        crlf_lines({"%%OPC_SERVER_CONFIG", "", "PROGID:Meridian.Historian.2", "DESCRIPTION:Tank farm levels", "",
                    "%CHANID:200", "ID:Tanks.T1.Level", "", "%CHANID:201", "ID:Tanks.T2.Level", "ACCPATH:Farm", ""});
    const std::string expected4 =
        crlf_lines({"%%OPC_SERVER_CONFIG", "", std::string("PROGID:") + picked.progid,
                    std::string("CLSID:") + picked.clsid, std::string("DESCRIPTION:") + picked.description, "",
                    "%CHANID:7", "ID:" + bound, "", "%CHANID:300", "ID:" + built[0], ""});
    Lines names = file_names(dir_.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, Lines({"plant1_opc0.cnf", "plant1_opc1.cnf", "plant1_opc3.cnf", "plant1_opc4.cnf"}));
    const std::pair<std::string, std::string> files[] = {{"plant1_opc0.cnf", expected0},
                                                         {"plant1_opc1.cnf", original[1]},
                                                         {"plant1_opc3.cnf", expected3},
                                                         {"plant1_opc4.cnf", expected4}};
    for (const auto &file : files) {
        std::string written;
        EXPECT_TRUE(read_bytes(dir_.path() + "\\" + file.first, written)) << file.first;
        EXPECT_EQ(written, file.second) << file.first;
    }
}

}  // namespace wintest
