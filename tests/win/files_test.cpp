// A project's files on the Windows file system, through the exports: names in any letter case,
// backslash paths, ReplaceFileA keeping attributes (under Wine it keeps none, so the library sets
// them again) and refusing a read-only file, a read-only stale file, and a file that failed to read
// protected whatever letter case a save spells it in.
#include <windows.h>

#include <gmock/gmock.h>

#include <string>

#include "win_support.h"

namespace wintest {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

const char kServer[] = "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Sim.Zero.1\r\n\r\n";
const char kHosted[] = "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Sim.Zero.1\r\nHOSTNAME:H\r\n\r\n";
const char kUnreadable[] = "%%OPC_SERVER_CONFIG\r\nBOGUS:1\r\n";

class ProjectFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(env && !folder.path.empty()); }
    void TearDown() override { TAGCFG(tagcfg_free_environment)(env); }

    int load(const std::string &directory, const char *base = "plant") {
        return TAGCFG(tagcfg_load)(env, directory.c_str(), base);
    }
    int save(int write_all = 0) { return TAGCFG(tagcfg_save)(env, nullptr, nullptr, 0, write_all); }
    bool set_attributes(const char *name, DWORD attributes) {
        return SetFileAttributesA(folder.file(name).c_str(), attributes);
    }
    std::string server_name(int server) {
        char name[64];
        return std::string(name, TAGCFG(tagcfg_get_server_name)(env, server, name, sizeof name));
    }

    ScratchDirectory folder;
    tagcfg_environment *env = TAGCFG(tagcfg_init_environment)();
};

// The file system ignores letter case, and so does the load; the stale step of a save compares
// names with their case, so it deletes plant_opc6.CNF but never PLANT_opc4.cnf.
TEST_F(ProjectFiles, NamesInAnyLetterCaseAndPathsEndingInABackslash) {
    ASSERT_TRUE(write_bytes(folder.file("PLANT_opc4.cnf"), kServer));
    ASSERT_TRUE(write_bytes(folder.file("plant_opc6.CNF"), kServer));
    ASSERT_TRUE(write_bytes(folder.file("other_opc1.cnf"), kServer));
    EXPECT_EQ(load(folder.path + "\\"), 0);
    EXPECT_EQ(server_name(4), "Sim.Zero.1");
    EXPECT_EQ(server_name(6), "Sim.Zero.1");
    EXPECT_EQ(server_name(1), "");
    EXPECT_EQ(TAGCFG(tagcfg_save)(env, folder.file("missing\\").c_str(), "plant", 0, 1), -1);  // no such folder
    TAGCFG(tagcfg_clear)(env);
    EXPECT_EQ(TAGCFG(tagcfg_save)(env, (folder.path + "\\").c_str(), "plant", 0, 1), 0);
    EXPECT_THAT(file_names(folder.path), UnorderedElementsAre("PLANT_opc4.cnf", "other_opc1.cnf"));

    // A folder that is not there, or a file given as the folder, is a project without files.
    EXPECT_EQ(load(folder.file("missing\\")), 0);
    EXPECT_EQ(load(folder.file("other_opc1.cnf")), 0);
    EXPECT_EQ(server_name(4), "");
}

TEST_F(ProjectFiles, AReplacedFileKeepsItsAttributesAndAReadOnlyOneIsNeitherReplacedNorDeleted) {
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(write_bytes(folder.file("plant_opc0.cnf"), kServer));
    ASSERT_TRUE(set_attributes("plant_opc0.cnf", kept));
    ASSERT_EQ(load(folder.path), 0);
    ASSERT_EQ(TAGCFG(tagcfg_set_server_host)(env, 0, "H"), 0);
    EXPECT_EQ(save(), 0);
    EXPECT_EQ(read_bytes(folder.file("plant_opc0.cnf")), kHosted);
    EXPECT_EQ(GetFileAttributesA(folder.file("plant_opc0.cnf").c_str()), kept);

    // A file that is gone is written anew.
    ASSERT_TRUE(DeleteFileA(folder.file("plant_opc0.cnf").c_str()));
    EXPECT_EQ(save(1), 0);
    EXPECT_EQ(read_bytes(folder.file("plant_opc0.cnf")), kHosted);

    // A read-only file keeps its bytes, as an open for writing would, and the save fails.
    ASSERT_TRUE(write_bytes(folder.file("plant_opc0.cnf"), kServer));
    ASSERT_TRUE(set_attributes("plant_opc0.cnf", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(save(1), -1);
    EXPECT_EQ(read_bytes(folder.file("plant_opc0.cnf")), kServer);
    EXPECT_THAT(file_names(folder.path), ElementsAre("plant_opc0.cnf"));  // no temporary left behind

    // A stale file that stays would bring its server back at the next load: the save fails.
    TAGCFG(tagcfg_clear)(env);
    EXPECT_EQ(TAGCFG(tagcfg_save)(env, folder.path.c_str(), "plant", 0, 0), -1);
    ASSERT_TRUE(set_attributes("plant_opc0.cnf", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(TAGCFG(tagcfg_save)(env, folder.path.c_str(), "plant", 0, 0), 0);
    EXPECT_THAT(file_names(folder.path), ElementsAre());
}

// The load read plant_opc2.cnf, which failed; the save under the base name PLANT spells it
// PLANT_opc2.cnf, which is the same file, so its stale step must leave it alone.
TEST_F(ProjectFiles, AFileThatFailedIsProtectedInAnyLetterCase) {
    ASSERT_TRUE(write_bytes(folder.file("plant_opc0.cnf"), kServer));
    ASSERT_TRUE(write_bytes(folder.file("PLANT_opc2.cnf"), kUnreadable));
    EXPECT_EQ(load(folder.path), -1);
    EXPECT_EQ(TAGCFG(tagcfg_save)(env, (folder.path + "\\").c_str(), "PLANT", 0, 1), 0);
    EXPECT_EQ(read_bytes(folder.file("PLANT_opc2.cnf")), kUnreadable);
}

}  // namespace
}  // namespace wintest
