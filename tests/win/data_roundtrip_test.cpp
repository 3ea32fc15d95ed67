// A project's configuration set through the real DLL and the real file system: backslash paths,
// a directory given with a trailing "\", file names in another letter case, a file that does not
// parse, edits, a clean-up cycle, and the saved bytes read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tagcfg_api.h"

namespace wintest {
namespace {

// Lines end in LF alone here; the writer answers with CR LF.
const char kPlantServer2[] =
    "%%OPC_SERVER_CONFIG\n"
    "; written by hand\n"
    "PROGID:Sample.Server.1\n"
    "HOSTNAME:PLANT2\n"
    "DESCRIPTION:Boiler house server\n"
    "\n"
    "%CHANID:12\n"
    "ID:Boiler.Temp1\n"
    "%CHANNEL:PumpState\n"
    "ID:Pumps.P1.Run\n"
    "ACCPATH:Line1\n";

const char kPlantServer0[] =
    "%%OPC_SERVER_CONFIG\r\n\r\nCLSID:{6E6170F0-FF2D-11D2-8087-00105AA8F840}\r\n\r\n%CHANID:3\r\nID:Tank.Level\r\n\r\n";

const char kSavedServer2[] =
    "%%OPC_SERVER_CONFIG\r\n"
    "\r\n"
    "PROGID:Sample.Server.1\r\n"
    "HOSTNAME:PLANT3\r\n"
    "DESCRIPTION:Boiler house server\r\n"
    "\r\n"
    "%CHANID:12\r\n"
    "ID:Boiler.Temp1\r\n"
    "\r\n"
    "%CHANID:20\r\n"
    "ID:Boiler.Temp2\r\n"
    "\r\n";

std::string lower(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

class ConfigurationSet : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(api.complete());
        ASSERT_TRUE(folder.ok());
        ASSERT_TRUE(write_bytes(file("PLANT_OPC2.CNF"), kPlantServer2));
        ASSERT_TRUE(write_bytes(file("plant_opc0.cnf"), kPlantServer0));
        ASSERT_TRUE(write_bytes(file("other_opc1.cnf"), kPlantServer0));
        env = api.tagcfg_init_environment();
        ASSERT_NE(env, nullptr);
    }
    void TearDown() override {
        if (env) api.tagcfg_free_environment(env);
    }

    std::string file(const char *name) const { return folder.path() + "\\" + name; }
    void add_unreadable_file() { ASSERT_TRUE(write_bytes(file("plant_opc5.cnf"), "%%OPC_SERVER_CONFIG\r\nBOGUS:1\r\n")); }
    std::string server_name(int server) {
        char buffer[128];
        int length = api.tagcfg_get_server_name(env, server, buffer, sizeof buffer);
        return std::string(buffer, length);
    }
    std::string server_host(int server) {
        char buffer[128];
        int length = api.tagcfg_get_server_host(env, server, buffer, sizeof buffer);
        return std::string(buffer, length);
    }
    std::string item_id(int server, int channel, const char *name) {
        char buffer[128];
        int length = api.tagcfg_get_channel_id(env, server, channel, name, buffer, sizeof buffer);
        return std::string(buffer, length);
    }
    std::string access_path(int server, int channel, const char *name) {
        char buffer[128];
        int length = api.tagcfg_get_channel_access_path(env, server, channel, name, buffer, sizeof buffer);
        return std::string(buffer, length);
    }

    TagcfgApi api;
    ScratchDirectory folder;
    tagcfg_environment *env = nullptr;
};

TEST_F(ConfigurationSet, LoadFindsFilesInAnyLetterCaseAndReportsTheBrokenOne) {
    add_unreadable_file();
    EXPECT_EQ(api.tagcfg_load(env, (folder.path() + "\\").c_str(), "plant"), -1);  // plant_opc5.cnf
    EXPECT_EQ(server_name(0), "{6E6170F0-FF2D-11D2-8087-00105AA8F840}");
    EXPECT_EQ(server_name(2), "Sample.Server.1");
    EXPECT_EQ(server_host(2), "PLANT2");
    EXPECT_EQ(server_name(1), "");
    EXPECT_EQ(server_name(5), "");
    EXPECT_EQ(item_id(2, 12, nullptr), "Boiler.Temp1");
    EXPECT_EQ(item_id(2, -1, "PumpState"), "Pumps.P1.Run");
    EXPECT_EQ(access_path(2, -1, "PumpState"), "Line1");
    EXPECT_EQ(item_id(0, 3, nullptr), "Tank.Level");
    EXPECT_EQ(api.tagcfg_find_channel(env, "Tank.Level"), 3);
}

TEST_F(ConfigurationSet, EditsAndACleanUpCycleAreSavedAsCrLfFiles) {
    ASSERT_EQ(api.tagcfg_load(env, (folder.path() + "\\").c_str(), "plant"), 0);

    EXPECT_EQ(api.tagcfg_set_server_host(env, 2, "PLANT3"), 0);
    EXPECT_EQ(api.tagcfg_set_server_host(env, 1, "PLANT3"), -1);
    EXPECT_EQ(server_host(2), "PLANT3");

    api.tagcfg_add_channel(env, 2, 20, "Boiler.Temp2");
    api.tagcfg_add_channel(env, 2, 21, "Boiler.Spare");
    EXPECT_EQ(api.tagcfg_find_channel(env, "Boiler.Temp2"), 20);
    EXPECT_EQ(api.tagcfg_find_channel(env, "Pumps.P1.Run"), -1);  // that channel has no number
    EXPECT_EQ(api.tagcfg_remove_channel(env, 2, 21, nullptr), 0);
    EXPECT_EQ(api.tagcfg_find_channel(env, "Boiler.Spare"), -1);

    api.tagcfg_start_gc(env);
    EXPECT_NE(api.tagcfg_mark_channel(env, 2, 12, nullptr), 0);
    EXPECT_NE(api.tagcfg_mark_channel(env, 2, 20, nullptr), 0);
    EXPECT_NE(api.tagcfg_mark_channel(env, 0, 3, nullptr), 0);
    EXPECT_EQ(api.tagcfg_mark_channel(env, 2, 99, nullptr), 0);
    api.tagcfg_finish_gc(env);
    EXPECT_EQ(item_id(2, -1, "PumpState"), "");
    EXPECT_EQ(item_id(2, 12, nullptr), "Boiler.Temp1");

    // Null texts keep the stored directory and base name; the fourth argument means nothing.
    EXPECT_EQ(api.tagcfg_save(env, nullptr, nullptr, 0x7fffffff, 0), 0);

    std::string bytes;
    ASSERT_TRUE(read_bytes(file("plant_opc2.cnf"), bytes));
    EXPECT_EQ(bytes, kSavedServer2);
    ASSERT_TRUE(read_bytes(file("plant_opc0.cnf"), bytes));  // not modified, so not written
    EXPECT_EQ(bytes, kPlantServer0);
    ASSERT_TRUE(read_bytes(file("other_opc1.cnf"), bytes));
    EXPECT_EQ(bytes, kPlantServer0);

    // One file per server, whatever letter case the writer kept; no temporary left behind.
    std::vector<std::string> names = file_names(folder.path());
    for (std::string &name : names) name = lower(name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"other_opc1.cnf", "plant_opc0.cnf", "plant_opc2.cnf"}));

    // The saved set loads cleanly into a fresh environment.
    api.tagcfg_clear(env);
    EXPECT_EQ(server_name(2), "");
    EXPECT_EQ(api.tagcfg_load(env, folder.path().c_str(), "PLANT"), 0);
    EXPECT_EQ(server_host(2), "PLANT3");
    EXPECT_EQ(api.tagcfg_find_channel(env, "Boiler.Temp2"), 20);
}

TEST_F(ConfigurationSet, AFileThatFailedToLoadIsKeptForRepairByTheNextSave) {
    add_unreadable_file();
    ASSERT_EQ(api.tagcfg_load(env, folder.path().c_str(), "plant"), -1);
    EXPECT_EQ(api.tagcfg_save(env, nullptr, nullptr, 0, 0), 0);
    std::string bytes;
    EXPECT_TRUE(read_bytes(file("plant_opc5.cnf"), bytes));
    EXPECT_TRUE(read_bytes(file("plant_opc0.cnf"), bytes));
}

TEST_F(ConfigurationSet, SavingAnEmptySetDeletesTheFilesNamedAsTheWriterNamesThem) {
    add_unreadable_file();
    ASSERT_EQ(api.tagcfg_load(env, folder.path().c_str(), "plant"), -1);
    api.tagcfg_clear(env);
    EXPECT_EQ(api.tagcfg_save(env, (folder.path() + "\\").c_str(), "plant", 0, 1), 0);
    std::vector<std::string> names = file_names(folder.path());
    std::sort(names.begin(), names.end());
    // The stale step compares names with their letter case, so PLANT_OPC2.CNF stays.
    EXPECT_EQ(names, (std::vector<std::string>{"PLANT_OPC2.CNF", "other_opc1.cnf"}));
}

TEST_F(ConfigurationSet, AMissingDirectoryLoadsAnEmptySetAndCannotBeWritten) {
    std::string missing = folder.path() + "\\missing\\";
    EXPECT_EQ(api.tagcfg_load(env, missing.c_str(), "plant"), 0);
    EXPECT_EQ(server_name(0), "");
    ASSERT_EQ(api.tagcfg_load(env, folder.path().c_str(), "plant"), 0);
    EXPECT_EQ(api.tagcfg_save(env, missing.c_str(), "plant", 0, 1), -1);
}

}  // namespace
}  // namespace wintest
