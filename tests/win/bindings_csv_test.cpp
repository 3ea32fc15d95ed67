// tagcfg.exe exports a set's bindings as CSV and imports them back without changing a byte, on
// Windows paths, with the CSV's CR LF line ends kept as they are on standard output.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "host_program.h"

namespace wintest {
namespace {

const char kServer0[] =
    "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Sim.Zero.1\r\n\r\n%CHANID:12\r\nID:Boiler.Drum.Level\r\n\r\n"
    "%CHANNEL:Burner, main\r\nID:Boiler.Burner.Flame\r\nACCPATH: Line \"1\"\r\n\r\n";
const char kServer2[] = "%%OPC_SERVER_CONFIG\n; by hand, LF only\nPROGID:Sim.Two.1\n%CHANID:7\nID:Tanks.T1.Level\n";
const char kCsv[] =
    "server,channel,name,item_id,access_path\r\n0,12,,Boiler.Drum.Level,\r\n"
    "0,,\"Burner, main\",Boiler.Burner.Flame,\" Line \"\"1\"\"\"\r\n2,7,,Tanks.T1.Level,\r\n";

// The program's exit status and what it printed.
DWORD run(const std::string &arguments, std::string &printed) {
    HostProgram program(arguments);
    if (!program.started()) return 99;
    printed.clear();
    return program.finish(printed);
}

TEST(BindingsCsv, ExportThenImportChangesNoByte) {
    if (GetFileAttributesA(HostProgram::path().c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "build the tagcfg_cli target first: " << HostProgram::path();
    ScratchDirectory folder;
    ASSERT_TRUE(folder.ok());
    const std::string set = "\"" + folder.path() + "\" plant", csv = folder.path() + "\\bindings.csv";
    ASSERT_TRUE(write_bytes(folder.path() + "\\plant_opc0.cnf", kServer0));
    ASSERT_TRUE(write_bytes(folder.path() + "\\plant_opc2.cnf", kServer2));

    std::string printed, exported;
    EXPECT_EQ(run("export " + set, printed), 0u);
    EXPECT_EQ(printed, kCsv);
    EXPECT_EQ(run("export " + set + " \"" + csv + "\"", printed), 0u) << printed;
    ASSERT_TRUE(read_bytes(csv, exported));
    EXPECT_EQ(exported, kCsv);

    EXPECT_EQ(run("import " + set + " \"" + csv + "\"", printed), 0u);
    EXPECT_EQ(printed, "0 added, 0 changed, 0 removed\r\n");
    std::string server0, server2;
    ASSERT_TRUE(read_bytes(folder.path() + "\\plant_opc0.cnf", server0));
    ASSERT_TRUE(read_bytes(folder.path() + "\\plant_opc2.cnf", server2));
    EXPECT_EQ(server0, kServer0);
    EXPECT_EQ(server2, kServer2);
}

}  // namespace
}  // namespace wintest
