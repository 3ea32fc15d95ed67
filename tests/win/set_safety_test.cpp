// What a save may change and what it must keep, on the file system of Windows: the atomic
// replacement keeps a file's attributes and refuses a read-only file, a deletion refused by the
// read-only attribute fails the save, files that failed to read are protected whatever letter case
// the save spells them in, numbers above 255 are never written, and the host program says what load
// and save do with entries that spell a number another way. Under Wine, ReplaceFileA replaces the
// bytes but keeps neither the attributes nor the creation time, so the library sets the attributes
// again itself; whether the security descriptor and the creation time are kept, as Windows keeps
// them, cannot be checked here.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host_program.h"
#include "storage/config_set.h"
#include "tagcfg_api.h"

namespace wintest {
namespace {

const char kServer[] = "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Sim.Zero.1\r\n\r\n";
const char kHosted[] = "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Sim.Zero.1\r\nHOSTNAME:H\r\n\r\n";
const char kUnreadable[] = "%%OPC_SERVER_CONFIG\r\nBOGUS:1\r\n";

class SetSafety : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(api.complete());
        ASSERT_TRUE(folder.ok());
        env = api.tagcfg_init_environment();
        ASSERT_NE(env, nullptr);
    }
    void TearDown() override {
        if (env) api.tagcfg_free_environment(env);
        // The scratch folder goes file by file, and a read-only file would stay.
        for (const std::string &name : file_names(folder.path())) SetFileAttributesA(file(name).c_str(), 0);
    }

    std::string file(const std::string &name) const { return folder.path() + "\\" + name; }
    std::string bytes_of(const std::string &name) const {
        std::string bytes = "<missing>";
        read_bytes(file(name), bytes);
        return bytes;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> names = file_names(folder.path());
        std::sort(names.begin(), names.end());
        return names;
    }
    DWORD attributes(const std::string &name) const { return GetFileAttributesA(file(name).c_str()); }
    int load() { return api.tagcfg_load(env, folder.path().c_str(), "plant"); }
    int save(int write_all = 0) { return api.tagcfg_save(env, nullptr, nullptr, 0, write_all); }

    TagcfgApi api;
    ScratchDirectory folder;
    tagcfg_environment *env = nullptr;
};

TEST_F(SetSafety, AReplacedFileKeepsItsAttributesAndAReadOnlyOneIsNotReplaced) {
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(write_bytes(file("plant_opc0.cnf"), kServer));
    ASSERT_TRUE(SetFileAttributesA(file("plant_opc0.cnf").c_str(), kept));
    ASSERT_EQ(load(), 0);
    ASSERT_EQ(api.tagcfg_set_server_host(env, 0, "H"), 0);
    EXPECT_EQ(save(), 0);
    EXPECT_EQ(bytes_of("plant_opc0.cnf"), kHosted);
    EXPECT_EQ(attributes("plant_opc0.cnf"), kept);

    // A file that is gone is written anew.
    ASSERT_TRUE(DeleteFileA(file("plant_opc0.cnf").c_str()));
    EXPECT_EQ(save(1), 0);
    EXPECT_EQ(bytes_of("plant_opc0.cnf"), kHosted);

    // A read-only file keeps its bytes, as an open for writing would, and the save fails.
    ASSERT_TRUE(SetFileAttributesA(file("plant_opc0.cnf").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(save(1), -1);
    EXPECT_EQ(bytes_of("plant_opc0.cnf"), kHosted);
    EXPECT_EQ(names(), std::vector<std::string>{"plant_opc0.cnf"});
}

// A stale file that stays brings its server back at the next load, so the save says it failed.
TEST_F(SetSafety, ADeletionRefusedByTheReadOnlyAttributeFailsTheSave) {
    ASSERT_EQ(load(), 0);
    ASSERT_TRUE(write_bytes(file("plant_opc3.cnf"), kServer));
    ASSERT_TRUE(SetFileAttributesA(file("plant_opc3.cnf").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(DeleteFileA(file("plant_opc3.cnf").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(save(), -1);
    EXPECT_EQ(names(), std::vector<std::string>{"plant_opc3.cnf"});
    ASSERT_TRUE(SetFileAttributesA(file("plant_opc3.cnf").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(save(), 0);
    EXPECT_TRUE(names().empty());

    // A file given as the folder is a folder without files, not one that cannot be listed.
    ASSERT_TRUE(write_bytes(file("plant_opc1.cnf"), kServer));
    EXPECT_EQ(api.tagcfg_load(env, file("plant_opc1.cnf").c_str(), "plant"), 0);
}

// The path of a file that failed to read is compared without regard to letter case, as the file
// system compares it; a server is written over it only after its bytes are kept aside.
TEST_F(SetSafety, AFileThatFailedIsProtectedInAnyLetterCase) {
    ASSERT_TRUE(write_bytes(file("plant_opc0.cnf"), kServer));
    ASSERT_TRUE(write_bytes(file("PLANT_opc2.cnf"), kUnreadable));
    tagcfg::Environment set;
    EXPECT_FALSE(tagcfg::load_set(set, folder.path().c_str(), "plant"));
    EXPECT_EQ(set.servers.size(), 3u);
    // This save's stale step matches PLANT_opc2.cnf, and the path it forms is the one that failed.
    EXPECT_TRUE(tagcfg::save_set(set, (folder.path() + "\\").c_str(), "PLANT", true));
    EXPECT_EQ(bytes_of("PLANT_opc2.cnf"), kUnreadable);

    set.servers[2] = set.servers[0];
    EXPECT_TRUE(tagcfg::save_set(set, nullptr, nullptr, true));
    EXPECT_EQ(bytes_of("PLANT_opc2.cnf.bad"), kUnreadable);
    EXPECT_EQ(bytes_of("PLANT_opc2.cnf"), kServer);

    // Number 256 would be written under a name no load takes back.
    set.servers.resize(257);
    set.servers[256] = set.servers[0];
    EXPECT_FALSE(tagcfg::save_set(set, nullptr, nullptr, true));
    EXPECT_EQ(names().size(), 3u);
}

TEST_F(SetSafety, FailuresWriteOnlyTheEndsOfTheBuffer) {
    ASSERT_EQ(load(), 0);
    char buffer[8];
    std::fill(buffer, buffer + sizeof buffer, 'Z');
    EXPECT_EQ(api.tagcfg_get_server_name(env, 0, buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string("\0ZZZZZZ\0", 8));
}

// On a file system that ignores letter case, an entry that differs from the canonical name in
// case only is that very file; whether a save can delete it depends on the base name's case.
TEST_F(SetSafety, CheckSaysWhatLoadAndSaveDoWithAnEntrySpelledInAnotherCase) {
    if (GetFileAttributesA(HostProgram::path().c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "build the tagcfg_cli target first: " << HostProgram::path();
    ASSERT_TRUE(write_bytes(file("PLANT_opc4.cnf"), kServer));
    ASSERT_TRUE(write_bytes(file("plant_opc6.CNF"), kServer));
    HostProgram check("check \"" + folder.path() + "\" plant");
    ASSERT_TRUE(check.started());
    std::string printed;
    EXPECT_EQ(check.finish(printed), 0u) << printed;
    for (const char *line :
         {"PLANT_opc4.cnf: not the canonical name of number 4; the load reads it as plant_opc4.cnf; a save never "
          "deletes it, so server 4 comes back after it is removed\r\n",
          "plant_opc6.CNF: not the canonical name of number 6; the load reads it as plant_opc6.cnf; a save deletes "
          "it when server 6 is removed\r\n"})
        EXPECT_NE(printed.find(line), std::string::npos) << line << printed;

    // And so they do.
    tagcfg::Environment set;
    ASSERT_TRUE(tagcfg::load_set(set, folder.path().c_str(), "plant"));
    ASSERT_EQ(set.servers.size(), 7u);
    set.servers.clear();
    EXPECT_TRUE(tagcfg::save_set(set, nullptr, nullptr, true));
    EXPECT_EQ(names(), std::vector<std::string>{"PLANT_opc4.cnf"});
}

}  // namespace
}  // namespace wintest
