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
    "%%OPC_SERVER_CONFIG\n; written by hand\nPROGID:Sample.Server.1\nHOSTNAME:PLANT2\n"
    "DESCRIPTION:Boiler house server\n\n%CHANID:12\nID:Boiler.Temp1\n%CHANNEL:PumpState\nID:Pumps.P1.Run\n"
    "ACCPATH:Line1\n";
const char kPlantServer0[] =
    "%%OPC_SERVER_CONFIG\r\n\r\nCLSID:{6E6170F0-FF2D-11D2-8087-00105AA8F840}\r\n\r\n%CHANID:3\r\nID:Tank.Level\r\n\r\n";
const char kUnreadable[] = "%%OPC_SERVER_CONFIG\r\nBOGUS:1\r\n";
const char kSavedServer2[] =
    "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Sample.Server.1\r\nHOSTNAME:PLANT3\r\nDESCRIPTION:Boiler house server\r\n\r\n"
    "%CHANID:12\r\nID:Boiler.Temp1\r\n\r\n%CHANID:20\r\nID:Boiler.Temp2\r\n\r\n";

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
    std::string bytes_of(const char *name) const {
        std::string bytes = "<missing>";
        read_bytes(file(name), bytes);
        return bytes;
    }
    std::vector<std::string> names(bool lowered = false) const {
        std::vector<std::string> names = file_names(folder.path());
        if (lowered)
            for (std::string &name : names) CharLowerA(&name[0]);
        std::sort(names.begin(), names.end());
        return names;
    }
    // A text export's answer as a string.
    template <typename Export, typename... Args>
    std::string text(Export function, Args... args) {
        char buffer[128];
        return std::string(buffer, static_cast<size_t>(function(env, args..., buffer, sizeof buffer)));
    }

    TagcfgApi api;
    ScratchDirectory folder;
    tagcfg_environment *env = nullptr;
};

TEST_F(ConfigurationSet, LoadFindsFilesInAnyLetterCaseAndKeepsTheBrokenOneForRepair) {
    ASSERT_TRUE(write_bytes(file("plant_opc5.cnf"), kUnreadable));
    EXPECT_EQ(api.tagcfg_load(env, (folder.path() + "\\").c_str(), "plant"), -1);
    EXPECT_EQ(text(api.tagcfg_get_server_name, 0), "{6E6170F0-FF2D-11D2-8087-00105AA8F840}");
    EXPECT_EQ(text(api.tagcfg_get_server_name, 2), "Sample.Server.1");
    EXPECT_EQ(text(api.tagcfg_get_server_host, 2), "PLANT2");
    EXPECT_EQ(text(api.tagcfg_get_server_name, 1), "");
    EXPECT_EQ(text(api.tagcfg_get_server_name, 5), "");
    EXPECT_EQ(text(api.tagcfg_get_channel_id, 2, 12, nullptr), "Boiler.Temp1");
    EXPECT_EQ(text(api.tagcfg_get_channel_id, 2, -1, "PumpState"), "Pumps.P1.Run");
    EXPECT_EQ(text(api.tagcfg_get_channel_access_path, 2, -1, "PumpState"), "Line1");
    EXPECT_EQ(api.tagcfg_find_channel(env, "Tank.Level"), 3);

    EXPECT_EQ(api.tagcfg_save(env, nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(bytes_of("plant_opc5.cnf"), kUnreadable);
    EXPECT_EQ(bytes_of("plant_opc0.cnf"), kPlantServer0);
}

TEST_F(ConfigurationSet, EditsAndACleanUpCycleAreSavedAsCrLfFiles) {
    ASSERT_EQ(api.tagcfg_load(env, (folder.path() + "\\").c_str(), "plant"), 0);
    EXPECT_EQ(api.tagcfg_set_server_host(env, 2, "PLANT3"), 0);
    api.tagcfg_add_channel(env, 2, 20, "Boiler.Temp2");
    api.tagcfg_start_gc(env);
    for (int channel : {12, 20}) EXPECT_NE(api.tagcfg_mark_channel(env, 2, channel, nullptr), 0);
    EXPECT_NE(api.tagcfg_mark_channel(env, 0, 3, nullptr), 0);
    api.tagcfg_finish_gc(env);

    // Null texts keep the stored directory and base name; the fourth argument means nothing.
    EXPECT_EQ(api.tagcfg_save(env, nullptr, nullptr, 0x7fffffff, 0), 0);
    EXPECT_EQ(bytes_of("plant_opc2.cnf"), kSavedServer2);
    EXPECT_EQ(bytes_of("plant_opc0.cnf"), kPlantServer0);  // not modified, so not written
    EXPECT_EQ(bytes_of("other_opc1.cnf"), kPlantServer0);
    // One file per server, whatever letter case the writer kept; no temporary left behind.
    EXPECT_EQ(names(true), (std::vector<std::string>{"other_opc1.cnf", "plant_opc0.cnf", "plant_opc2.cnf"}));

    api.tagcfg_clear(env);
    EXPECT_EQ(text(api.tagcfg_get_server_name, 2), "");
    EXPECT_EQ(api.tagcfg_load(env, folder.path().c_str(), "PLANT"), 0);
    EXPECT_EQ(text(api.tagcfg_get_server_host, 2), "PLANT3");
    EXPECT_EQ(api.tagcfg_find_channel(env, "Boiler.Temp2"), 20);
}

TEST_F(ConfigurationSet, SavingAnEmptySetDeletesTheFilesNamedAsTheWriterNamesThem) {
    ASSERT_TRUE(write_bytes(file("plant_opc5.cnf"), kUnreadable));
    ASSERT_EQ(api.tagcfg_load(env, folder.path().c_str(), "plant"), -1);
    api.tagcfg_clear(env);
    EXPECT_EQ(api.tagcfg_save(env, (folder.path() + "\\").c_str(), "plant", 0, 1), 0);
    // The stale step compares names with their letter case, so PLANT_OPC2.CNF stays.
    EXPECT_EQ(names(), (std::vector<std::string>{"PLANT_OPC2.CNF", "other_opc1.cnf"}));
}

TEST_F(ConfigurationSet, AMissingDirectoryLoadsAnEmptySetAndCannotBeWritten) {
    const std::string missing = folder.path() + "\\missing\\";
    EXPECT_EQ(api.tagcfg_load(env, missing.c_str(), "plant"), 0);
    EXPECT_EQ(text(api.tagcfg_get_server_name, 0), "");
    ASSERT_EQ(api.tagcfg_load(env, folder.path().c_str(), "plant"), 0);
    EXPECT_EQ(api.tagcfg_save(env, missing.c_str(), "plant", 0, 1), -1);
}

}  // namespace
}  // namespace wintest
