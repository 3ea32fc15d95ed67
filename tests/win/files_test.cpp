// A project's files on the Windows file system, through the exports. ReplaceFileA keeps no
// attributes under Wine, so the library sets them again.
#include <windows.h>

#include <gmock/gmock.h>

#include <string>

#include "win_support.h"

namespace wintest {
namespace {

using ::testing::ElementsAre;
using ::testing::Key;
using ::testing::UnorderedElementsAre;

const char kServer[] = "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Sim.Zero.1\r\n\r\n";
const char kHosted[] = "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Sim.Zero.1\r\nHOSTNAME:H\r\n\r\n";
const char kUnreadable[] = "%%OPC_SERVER_CONFIG\r\nBOGUS:1\r\n";

class ProjectFiles : public OpcProject {
protected:
    void SetUp() override { ASSERT_TRUE(env_); }

    int load(const std::string &directory) { return TAGCFG(tagcfg_load)(env_, directory.c_str(), "plant"); }
    int save(int write_all = 0) { return TAGCFG(tagcfg_save)(env_, nullptr, nullptr, 0, write_all); }
    std::string server_name(int server) {
        char name[64];
        return std::string(name, TAGCFG(tagcfg_get_server_name)(env_, server, name, sizeof name));
    }
};

// The file system ignores letter case, and so does the load; the stale step of a save compares
// names with their case, so it deletes plant_opc6.CNF but never PLANT_opc4.cnf.
TEST_F(ProjectFiles, NamesInAnyLetterCaseAndPathsEndingInABackslash) {
    dir_.put("PLANT_opc4.cnf", kServer);
    dir_.put("plant_opc6.CNF", kServer);
    dir_.put("other_opc1.cnf", kServer);
    EXPECT_EQ(load(dir_.path() + "\\"), 0);
    EXPECT_EQ(server_name(4), "Sim.Zero.1");
    EXPECT_EQ(server_name(6), "Sim.Zero.1");
    EXPECT_EQ(TAGCFG(tagcfg_save)(env_, dir_.file("missing\\").c_str(), "plant", 0, 1), -1);  // no such folder
    TAGCFG(tagcfg_clear)(env_);
    EXPECT_EQ(TAGCFG(tagcfg_save)(env_, (dir_.path() + "\\").c_str(), "plant", 0, 1), 0);
    EXPECT_THAT(dir_.snapshot(),
                UnorderedElementsAre(Key("PLANT_opc4.cnf"), Key("other_opc1.cnf"), Key("plant_opc.lock")));

    // A folder that is not there, or a file given as the folder, is a project without files.
    EXPECT_EQ(load(dir_.file("missing\\")), 0);
    EXPECT_EQ(load(dir_.file("other_opc1.cnf")), 0);
    EXPECT_EQ(server_name(4), "");

    // The load read PLANT_opc2.cnf, which failed, as plant_opc2.cnf; the save under the base name
    // PLANT spells it PLANT_opc2.cnf, which is the same file, so its stale step must leave it alone.
    dir_.put("PLANT_opc2.cnf", kUnreadable);
    EXPECT_EQ(load(dir_.path()), -1);
    EXPECT_EQ(TAGCFG(tagcfg_save)(env_, (dir_.path() + "\\").c_str(), "PLANT", 0, 1), 0);
    EXPECT_EQ(dir_.get("PLANT_opc2.cnf"), kUnreadable);
}

TEST_F(ProjectFiles, AReplacedFileKeepsItsAttributesAndAReadOnlyOneIsNeitherReplacedNorDeleted) {
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    dir_.put("plant_opc0.cnf", kServer);
    ASSERT_TRUE(SetFileAttributesA(dir_.file("plant_opc0.cnf").c_str(), kept));
    ASSERT_EQ(load(dir_.path()), 0);
    ASSERT_EQ(TAGCFG(tagcfg_set_server_host)(env_, 0, "H"), 0);
    EXPECT_EQ(save(), 0);
    EXPECT_EQ(dir_.get("plant_opc0.cnf"), kHosted);
    EXPECT_EQ(GetFileAttributesA(dir_.file("plant_opc0.cnf").c_str()), kept);

    ASSERT_TRUE(DeleteFileA(dir_.file("plant_opc0.cnf").c_str()));
    EXPECT_EQ(save(1), 0);
    EXPECT_EQ(dir_.get("plant_opc0.cnf"), kHosted);

    // A read-only file keeps its bytes, as an open for writing would, and the save fails.
    dir_.put("plant_opc0.cnf", kServer);
    ASSERT_TRUE(SetFileAttributesA(dir_.file("plant_opc0.cnf").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(save(1), -1);
    EXPECT_EQ(dir_.get("plant_opc0.cnf"), kServer);
    EXPECT_THAT(dir_.snapshot(), ElementsAre(Key("plant_opc.lock"), Key("plant_opc0.cnf")));  // no temporary left

    // A stale file that stays would bring its server back at the next load: the save fails.
    TAGCFG(tagcfg_clear)(env_);
    EXPECT_EQ(TAGCFG(tagcfg_save)(env_, dir_.path().c_str(), "plant", 0, 0), -1);
    ASSERT_TRUE(SetFileAttributesA(dir_.file("plant_opc0.cnf").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(TAGCFG(tagcfg_save)(env_, dir_.path().c_str(), "plant", 0, 0), 0);
    EXPECT_THAT(dir_.snapshot(), ElementsAre(Key("plant_opc.lock")));  // the saves' lock file stays
}

}  // namespace
}  // namespace wintest
