// The host program, run as a user runs it, on a copy of the sample project (servers 0, 1 and 3).
// Scripts are tables of runs, each with its exit status, its output and the files it changed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "command.h"
#include "csv_format.h"
#include "failing_files.h"
#include "storage/set_files.h"
#include "temp_dir.h"
#include "test_support.h"

using namespace tagcfg;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

namespace {

const std::string kSample = TAGCFG_SOURCE_DIR "/examples/plant1", kBroken = TAGCFG_SOURCE_DIR "/tests/data/broken";
const std::string kHeader = "server,channel,name,item_id,access_path\r\n";
// The sample's bindings as the export writes them, in parts that the tests' edits leave whole.
const std::string kServer0Rows =
    "0,12,,Boiler.Drum.Level,\r\n0,13,,Boiler.Drum.Pressure,\r\n0,20,,Pumps.Feed1.Run,Line1\r\n";
const std::string kBurnerRow = "0,,BurnerFlame,Boiler.Burner.Flame,\r\n";
const std::string kServer1Rows =
    "1,100,,Filters.F1.Flow,PLC1\r\n1,101,,Filters.F2.Flow,PLC1\r\n1,,ChlorineDose,Dosing.Cl2.Setpoint,PLC2\r\n";
const std::string kServer3Rows = "3,200,,Tanks.T1.Level,\r\n3,,Tank2Level,Tanks.T2.Level,Farm\r\n";
const std::string kSampleCsv = kHeader + kServer0Rows + kBurnerRow + kServer1Rows + kServer3Rows;

// Built beside the shared library: build/<preset>/src/ and build/<preset>/tools/cli/.
const fs::path kProgram = fs::path(TAGCFG_SHARED_LIBRARY).parent_path().parent_path() / "tools" / "cli" / "tagcfg";

std::string shell_quoted(const std::string &text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct Outcome {
    // Split at each blank, so two blanks pass an empty argument; "@" is the project, "<FILE" standard
    // input, and a word in double quotes is passed as it stands, blanks and all.
    std::string command;
    int status;
    std::string out;       // all of standard output; "*" any; a part of it after "..."
    std::string err = "";  // a part of standard error
    Strings changed = {};  // the project's files that the run changed, made or removed
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kProgram)) << "build the tagcfg_cli target first";
        for (const auto &e : fs::directory_iterator(kSample))
            if (e.path().extension() == ".cnf") fs::copy_file(e.path(), dir.file(e.path().filename()));
    }

    Outcome tagcfg(const std::string &args) {
        std::string command = shell_quoted(kProgram), arg;
        for (std::istringstream words(args); std::getline(words, arg, ' ');) {
            for (std::string more;
                 arg[0] == '"' && (arg.size() < 2 || arg.back() != '"') && std::getline(words, more, ' ');)
                arg += ' ' + more;
            if (arg == "@") command += " " + shell_quoted(dir.path()) + " plant1";
            else if (arg[0] == '<') command += " <" + shell_quoted(arg.substr(1));
            else if (arg[0] == '"') command += " " + shell_quoted(arg.substr(1, arg.size() - 2));
            else command += " " + shell_quoted(arg);
        }
        const std::string out = dir.path() + ".out", err = dir.path() + ".err";
        const int status = std::system((command + " >" + shell_quoted(out) + " 2>" + shell_quoted(err)).c_str());
        Outcome run{args, WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::read_bytes(out), test::read_bytes(err)};
        fs::remove(out);
        fs::remove(err);
        return run;
    }
    void script(const std::vector<Outcome> &runs) {
        for (const Outcome &expected : runs) {
            SCOPED_TRACE(expected.command);
            const auto before = dir.snapshot();
            const Outcome run = tagcfg(expected.command);
            EXPECT_EQ(run.status, expected.status) << run.err;
            if (expected.out.rfind("...", 0) == 0)
                EXPECT_NE(run.out.find(expected.out.substr(3)), std::string::npos) << run.out;
            else EXPECT_EQ(run.out, expected.out == "*" ? run.out : expected.out);
            EXPECT_NE(run.err.find(expected.err), std::string::npos) << run.err;
            const auto after = dir.snapshot();
            Strings changed;  // the lock file an edit made is no file of the set
            for (const auto &[name, bytes] : after)
                if ((!before.count(name) || before.at(name) != bytes) && name.find("_opc.lock") == std::string::npos)
                    changed.push_back(name);
            for (const auto &entry : before)
                if (!after.count(entry.first)) changed.push_back(entry.first);
            EXPECT_EQ(changed, expected.changed);
        }
    }

    test::TempDir dir;
};

}  // namespace

// The sample checks clean, shows a section per slot, the empty one too, and exports its bindings;
// a save writes only the file not in the library's form. Edits save the server they changed and no
// other; gc keeps only the listed channels and names a missing one.
TEST_F(CliTest, SampleProject) {
    const std::string d = dir.path() + "/plant1_opc";
    script({{"check @", 0,
             test::lines({d + "0.cnf: ok, 4 channels", d + "1.cnf: ok, 3 channels", d + "3.cnf: ok, 2 channels",
                          "3 files, 0 rejected"})},
            {"show @", 0,
             "...\n" +
                 test::lines({"", "OPC1    {7C3A9E51-2B4F-4D86-A0C2-5E19F8B3D640}", "        Host         PLANT2",
                              "        Description  Water treatment PLC gateway", "        Type         0",
                              "        Channels     3", "          No.  Name          Item ID              Access path",
                              "          100  -             Filters.F1.Flow      PLC1",
                              "          101  -             Filters.F2.Flow      PLC1",
                              "          -    ChlorineDose  Dosing.Cl2.Setpoint  PLC2", "", "OPC2    (empty slot)", "",
                              "OPC3    Meridian.Historian.2", "        Host         (this computer)"})},
            {"export @", 0, kSampleCsv},
            {"save @", 0, ""},
            {"save @ --write-all", 0, "", "", {"plant1_opc3.cnf"}}});

    const Strings zero = {"plant1_opc0.cnf"}, all = {"plant1_opc0.cnf", "plant1_opc1.cnf", "plant1_opc3.cnf"};
    dir.put("keep.txt", "; a channel of every server\n\n0 12\r\n1 100\n3 -1 Tank2Level\n0 987654\n");
    script({{"set-host @ 0 SCADA7", 0, "", "", zero},
            {"add-channel @ 0 4242 Test.Added", 0, "", "", zero},
            {"find @ Test.Added", 0, "4242\n"},
            {"remove-channel @ 0 4242", 0, "", "", zero},
            {"find @ Test.Added", 1, ""},
            {"remove-channel @ 0 4242", 1, ""},
            {"remove-channel @ 0 -1 BurnerFlame", 0, "", "", zero},
            {"export @", 0, kHeader + kServer0Rows + kServer1Rows + kServer3Rows},
            {"gc @ " + dir.file("keep.txt"), 0, "removed 5 of 8 channels\n", "keep.txt:6:", all},
            {"export @", 0,
             kHeader +
                 "0,12,,Boiler.Drum.Level,\r\n1,100,,Filters.F1.Flow,PLC1\r\n3,,Tank2Level,Tanks.T2.Level,Farm\r\n"}});
    EXPECT_NE(dir.get("plant1_opc0.cnf").find("\r\nHOSTNAME:SCADA7\r\n"), std::string::npos);
}

// Entries that load and save treat otherwise than their names suggest, and the files a save kept
// aside, each on a line of its own; a folder that cannot be listed is no empty set.
TEST_F(CliTest, CheckExplainsOddEntriesAndKeptFiles) {
    fs::copy_file(dir.file("plant1_opc1.cnf"), dir.file("plant1_opc01.cnf"));
    for (const char *name : {"plant1_opc02.cnf", "PLANT1_opc4.cnf", "plant1_opc300.cnf", "plant1_opc3.cnf.bad"})
        dir.put(name, "%%OPC_SERVER_CONFIG\n");
    const Outcome check = tagcfg("check @");
    EXPECT_EQ(check.status, 1);
    const std::string d = dir.path() + "/";
    for (const std::string &line : Strings{
             "plant1_opc01.cnf: not the canonical name of number 1; the load reads plant1_opc1.cnf instead; a",
             "plant1_opc02.cnf: not the canonical name of number 2; the load reads plant1_opc2.cnf instead, which",
             "PLANT1_opc4.cnf: not the canonical name of number 4; the load reads plant1_opc4.cnf instead, which",
             "plant1_opc300.cnf: number 300 is above 255; load and save ignore it\n",
             d + "plant1_opc3.cnf: kept aside as plant1_opc3.cnf.bad\n",
             d + "plant1_opc4.cnf: the file cannot be opened (found as PLANT1_opc4.cnf)\n", "5 files, 2 rejected\n"})
        EXPECT_NE(check.out.find(line), std::string::npos) << line << "\n" << check.out;
    EXPECT_EQ(std::count(check.out.begin(), check.out.end(), '\n'), 11);

    fs::create_directory_symlink(dir.file("loop"), dir.file("loop"));
    EXPECT_EQ(tagcfg("check " + dir.file("loop") + " plant1").out,
              dir.file("loop") +
                  "/plant1_opc*.cnf: cannot be listed; the load fails, and a save after it deletes no "
                  "file\n");
}

// Usage errors exit with 2, edits of a missing server or of a set that does not load with 1, and
// none changes a file.
TEST_F(CliTest, RefusedCommandsTouchNothing) {
    std::vector<Outcome> refused;
    // clang-format off
    const Strings usage_errors = {
        "", "frobnicate", "show " + dir.path(), "show @ extra", "show @ --write-all", "save @ --all",
        "set-host @ 0x1 H", "set-host @ +1 H", "set-host @  H", "add-channel @ 0 12abc Item",
        "add-channel @ 0 99999999999 Item", "add-channel @ 0 -3 Item", "remove-channel @ 0 -1", "import @ --dry-run",
        "export @ --replace", "browse", "browse X --depth", "browse X --depth 65", "browse X --depth -1",
        "browse X --browser", "list-servers A B", "verify @ -1", "verify @ x"};
    // clang-format on
    for (const std::string &args : usage_errors) refused.push_back({args, 2, "*", "tagcfg"});
    for (const std::string &args : Strings{"set-host @ 4 X", "add-channel @ 4 1 X", "import @ " + dir.file("no.csv")})
        refused.push_back({args, 1, "*", "tagcfg"});
    // This build's platform registers no server, on this computer or another.
    refused.push_back({"browse Sim.Plant.1 --host PLANT2 --ids", 3, "", "cannot be created"});
    script(refused);

    fs::copy_file(kBroken + "/broken_opc1.cnf", dir.file("plant1_opc4.cnf"));
    const std::string csv = dir.put("bindings.csv", kHeader);
    script({{"set-host @ 0 X", 1, "", "does not load cleanly"},
            {"save @ --write-all", 1, ""},
            {"export @ " + csv, 1, "", "plant1_opc4.cnf:4: "},
            {"import @ " + csv, 1, "", "plant1_opc4.cnf:4: "}});

    const Outcome help = tagcfg("help");
    EXPECT_EQ(help.status, 0);
    for (const char *command : {"show", "check", "set-host", "add-channel", "remove-channel", "find", "gc", "save",
                                "export", "import", "list-servers", "browse", "verify"})
        EXPECT_NE(help.out.find(std::string("tagcfg ") + command + " "), std::string::npos) << command;
    EXPECT_EQ(tagcfg("gc --help").out.rfind("  tagcfg gc DIR BASE KEEP-FILE [--write-all]\n", 0), 0u);
}

// --- Bindings as CSV -----------------------------------------------------------------------------

// The CSV reader, record by record: each record's fields or why it is malformed, and the line it
// starts on, which every refusal of an import names. Records as "LINE:field|field" or "LINE!why",
// joined by " / "; after a malformed record the reading goes on at the next line.
TEST(CsvReader, FieldsLinesAndRefusals) {
    const std::pair<std::string, std::string> cases[] = {
        {"a,b\r\nc\n", "1:a|b / 2:c"},
        {",\r\n\"\"", "1:| / 2:"},
        {"\"x,\"\"y\"\"\"\r\n", "1:x,\"y\""},
        {"\"two\r\nlines\",z\r\nnext", "1:two\r\nlines|z / 3:next"},
        {"lone\rcr,x", "1:lone\rcr|x"},
        {"a\"b,c\r\nok", "1!a quote in a field that does not begin with one / 2:ok"},
        {"\"x\"y,z\nok", "1!text after the closing quote of a field / 2:ok"},
        {"ok\n\"open\r\nmore", "1:ok / 2!a quoted field is not closed"},
        {"", ""},
    };
    for (const auto &[text, expected] : cases) {
        cli::CsvReader reader(text);
        cli::CsvReader::Record record;
        std::string got;
        while (reader.next(record)) {
            got += (got.empty() ? "" : " / ") + std::to_string(record.line) + (record.error.empty() ? ":" : "!");
            for (size_t i = 0; i < record.fields.size(); ++i) got += (i ? "|" : "") + record.fields[i];
            got += record.error;
        }
        EXPECT_EQ(got, expected) << text;
    }
    // A field is quoted where a reader would take it otherwise, its quotes doubled.
    EXPECT_EQ(cli::csv_record({"a", " b", "c,d", "e\"f", "g\rh", "i\tj", ""}),
              "a,\" b\",\"c,d\",\"e\"\"f\",\"g\rh\",i\tj,");
}

// 100,000 channels in four files with LF line ends, which any rewrite would turn into CR LF, and
// one channel with neither a number nor a name, which is no binding.
TEST_F(CliTest, ExportThenImportOfALargeProjectChangesNoByte) {
    const std::string csv = dir.file("bindings.csv"), unchanged = "0 added, 0 changed, 0 removed\n";
    for (int server : {0, 1, 2, 4}) {
        std::ofstream file(dir.file(server_file_name("big", server)), std::ios::binary);
        file << "%%OPC_SERVER_CONFIG\n\nPROGID:Big." << server << "\n\n%CHANID:-5\nID:Nowhere\n";
        for (int i = 0; i < 25000; ++i) {
            if (i % 10 == 9) file << "%CHANNEL:Name " << i << ", \"quoted\"\nID:Big," << i << "\n";
            else file << "%CHANID:" << i << "\nID:Big." << server << '.' << i << "\nACCPATH: Path" << i % 7 << "\n";
        }
    }
    script({{"export " + dir.path() + " big " + csv, 0, "", "", {"bindings.csv"}},
            {"import " + dir.path() + " big " + csv + " --replace", 0, unchanged}});
    const std::string exported = dir.get("bindings.csv");
    EXPECT_EQ(std::count(exported.begin(), exported.end(), '\n'), 100001);
    EXPECT_EQ(exported.rfind(kHeader + "0,0,,Big.0.0,\" Path0\"\r\n", 0), 0u) << exported.substr(0, 200);
    EXPECT_NE(exported.find("\r\n4,,\"Name 24999, \"\"quoted\"\"\",\"Big,24999\",\r\n"), std::string::npos);
}

// Fields as spreadsheets write them, in any column order, with CR LF or LF line ends: the server
// file gets the fields' own bytes, and the export quotes a field where it must.
TEST_F(CliTest, ImportTakesQuotedFieldsAsTheyStand) {
    const Strings rows = {"access_path,item_id,channel,name,server",
                          ",\"Tag,with,commas\",500,,0",
                          "\"\",\"say \"\"hi\"\"\",501,,0",
                          "\"  both\",\" lead\",502,,0",
                          "Line 2, unquoted lead,503,,0",
                          ",Main.Flow,,\"Flow, main\",0",
                          ",,13,,0",
                          ",Dosing.Cl2.Setpoint,,ChlorineDose,1"};
    const std::string crlf = dir.put("crlf.csv", test::lines(rows, "\r\n"));
    const std::string lf =
        dir.put("lf.csv", test::lines(rows).substr(0, test::lines(rows).size() - 1));  // the last without its end
    script({{"import @ " + crlf, 0, "5 added, 1 changed, 1 removed\n", "", {"plant1_opc0.cnf", "plant1_opc1.cnf"}},
            {"import @ " + lf, 0, "0 added, 0 changed, 0 removed\n"},
            {"export @", 0,
             kHeader + "0,12,,Boiler.Drum.Level,\r\n0,20,,Pumps.Feed1.Run,Line1\r\n" + kBurnerRow +
                 "0,500,,\"Tag,with,commas\",\r\n0,501,,\"say \"\"hi\"\"\",\r\n0,502,,\" lead\",\"  both\"\r\n"
                 "0,503,,\" unquoted lead\",Line 2\r\n0,,\"Flow, main\",Main.Flow,\r\n1,100,,Filters.F1.Flow,PLC1\r\n"
                 "1,101,,Filters.F2.Flow,PLC1\r\n1,,ChlorineDose,Dosing.Cl2.Setpoint,\r\n" +
                 kServer3Rows}});
    EXPECT_NE(dir.get("plant1_opc0.cnf").find("%CHANID:502\r\nID: lead\r\nACCPATH:  both\r\n"), std::string::npos);
}

// Each line that cannot be taken is named with its reason, and then nothing changes at all.
TEST_F(CliTest, ImportRefusesEveryBadLineAndChangesNothing) {
    const std::string csv = dir.file("edit.csv");
    const std::string no_header =
        ":1: no header: the first line must name the columns server,channel,name,item_id,access_path\n";
    const std::pair<std::string, std::string> cases[] = {
        {"", no_header},
        {"0,12,,X,\r\n", no_header},
        {"server,channel,name,item_id\r\n", ":1: column access_path is missing\n"},
        {"server,channel,name,item_id,access_path,note\r\n", ":1: unknown column \"note\"\n"},
        {"server,channel,name,item_id,name,access_path\r\n", ":1: column name is named twice\n"},
        {kHeader + "0,12,,A,\r\n0,12,,B,\r\n0,,BurnerFlame,C,\n0,,BurnerFlame,D,\r\n2,1,,X,\r\n4,1,,X,\r\n,1,,X,\r\n"
                   "0,-3,,X,\r\n0,x,,X,\r\n0,,,X,\r\n0,5,,X\r\n0,6,,\"a\"b,\r\n0,7,,a\"b,\r\n0,8,,\"two\r\nlines\",\r\n"
                   "0,9,,X ,\r\n0,10,Name\t,X,\r\n0,11,,\"open\r\n",
         ":3: server 0 channel 12 is on line 2 already\n"
         ":5: server 0 name \"BurnerFlame\" is on line 4 already\n"
         ":6: server slot 2 is empty\n:7: there is no server slot 4\n:8: server \"\" is not a number\n"
         ":9: channel number -3 is negative\n:10: channel \"x\" is not a number\n"
         ":11: a row needs a channel number or a name\n:12: 4 fields where the header has 5\n"
         ":13: text after the closing quote of a field\n:14: a quote in a field that does not begin with one\n"
         ":15: the item_id holds a line break\n"
         ":17: the item_id ends in white space, which the server file does not keep\n"
         ":18: the name ends in white space, which the server file does not keep\n:19: a quoted field is not closed\n"
         "tagcfg import: 15 of 17 rows refused; nothing changed\n"},
    };
    for (const auto &[text, reasons] : cases) {
        dir.put("edit.csv", text);
        std::string expected;  // a reason for a line follows the file's path
        std::istringstream in(reasons);
        for (std::string line; std::getline(in, line);) expected += (line[0] == ':' ? csv : "") + line + "\n";
        script({{"import @ " + csv, 1, "", expected}});
    }
}

// A dry run prints each change and saves nothing; --replace also removes what the file's servers
// have beyond its rows, and leaves the servers it does not name alone.
TEST_F(CliTest, DryRunAndReplace) {
    const std::string csv =
        dir.put("edit.csv", kHeader +
                                "0,13,,Boiler.Drum.Pressure2,\r\n0,,BurnerFlame,,\r\n"
                                "0,21,,Pumps.Feed2.Run,Line2\r\n3,,Tank2Level,Tanks.T2.Level2,Farm\r\n");
    const std::string changes =
        "changed 0,13,,Boiler.Drum.Pressure2, (was Boiler.Drum.Pressure,)\n"
        "removed 0,,BurnerFlame,Boiler.Burner.Flame,\nadded 0,21,,Pumps.Feed2.Run,Line2\n"
        "changed 3,,Tank2Level,Tanks.T2.Level2,Farm (was Tanks.T2.Level,Farm)\n";
    const std::string swept =
        "removed 0,12,,Boiler.Drum.Level,\nremoved 0,20,,Pumps.Feed1.Run,Line1\nremoved 3,200,,Tanks.T1.Level,\n";
    script({{"import @ " + csv + " --dry-run", 0, changes + "1 added, 2 changed, 1 removed; dry run, nothing saved\n"},
            {"import @ " + csv + " --dry-run --replace", 0,
             changes + swept + "1 added, 2 changed, 4 removed; dry run, nothing saved\n"},
            {"import @ " + csv + " --replace",
             0,
             "1 added, 2 changed, 4 removed\n",
             "",
             {"plant1_opc0.cnf", "plant1_opc3.cnf"}},
            {"export @", 0,
             kHeader + "0,13,,Boiler.Drum.Pressure2,\r\n0,21,,Pumps.Feed2.Run,Line2\r\n" + kServer1Rows +
                 "3,,Tank2Level,Tanks.T2.Level2,Farm\r\n"}});
}

// --- What no file can hold, inputs and sets that are not what they seem, programs at once ----------

// A text a server file cannot hold as it is (a NUL, a line break, white space at its end) is refused
// wherever it comes from, shown escaped, and nothing changes. A CR inside a text is kept.
TEST_F(CliTest, TextsAFileCannotHoldChangeNothing) {
    const std::string csv = dir.file("edit.csv");
    dir.put("nul.csv", kHeader + "0,13,,Ok,\r\n0,,BurnerFlame" + std::string(1, '\0') + "junk,,\r\n");
    dir.put("cr.csv", "server,channel,name,item_id,access_path\r0\r\n");
    dir.put("inside.csv", kHeader + "0,60,,\"Before\rAfter\",\r\n");
    script({{"add-channel @ 0 50 \"Trailing.Blank \"", 1, "", "ITEM-ID \"Trailing.Blank \" ends in white space"},
            {"add-channel @ 0 50 \"Two\nLines\"", 1, "", "ITEM-ID \"Two\\nLines\" holds a line break"},
            {"set-host @ 0 \"HOST\r\nPROGID:X\"", 1, "", "HOST \"HOST\\r\\nPROGID:X\" holds a line break"},
            {"remove-channel @ 0 -1 \"BurnerFlame\t\"", 1, "", "NAME \"BurnerFlame\\t\" ends in white space"},
            {"import @ " + dir.file("nul.csv"), 1, "", "nul.csv:3: a NUL byte"},
            {"import @ " + dir.file("cr.csv"), 1, "", "cr.csv:1: unknown column \"access_path\\r0\""},
            {"import @ " + dir.file("inside.csv"), 0, "1 added, 0 changed, 0 removed\n", "", {"plant1_opc0.cnf"}},
            {"export @ " + csv, 0, "", "", {"edit.csv"}},
            {"import @ - <" + csv, 0, "0 added, 0 changed, 0 removed\n"}});
    EXPECT_NE(dir.get("plant1_opc0.cnf").find("%CHANID:60\r\nID:Before\rAfter\r\n"), std::string::npos);
}

// A folder or a device is no input; export never writes over a file of the set, in any letter case,
// nor over a copy a save kept, and writes into a device as it is.
TEST_F(CliTest, InputsAndOutputsThatAreNoPlainFiles) {
    fs::create_directory(dir.file("folder"));
    const std::string bad_line = dir.put("keep.txt", "0 12\nzero 13\n");
    script({{"import @ " + dir.file("folder"), 1, "", "folder: is a folder; nothing changed"},
            {"gc @ " + dir.file("folder"), 1, "", "folder: is a folder; nothing changed"},
            {"gc @ " + bad_line, 1, "", "keep.txt:2: SERVER must be a whole number"},
            {"import @ /dev/zero", 1, "", "/dev/zero:1: a NUL byte"},
            {"export @ " + dir.file("plant1_opc0.cnf"), 1, "", "plant1_opc0.cnf is a file of the set plant1"},
            {"export @ " + dir.file("PLANT1_OPC3.CNF"), 1, "", "is a file of the set plant1"},
            {"export @ " + dir.path() + "/../" + fs::path(dir.path()).filename().string() + "/plant1_opc1.cnf.bad", 1,
             "", "is a copy a save kept of a file of the set"},
            {"export @ " + dir.file("folder"), 1, "", "folder: is a folder"},
            {"export @ /dev/null", 0, ""}});
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// A folder that is not there, or holds no file of the set, is said so. Set files that are FIFOs or
// devices fail the load unread, and check names them; a channel twice in a file fails check, which
// says which one a lookup finds, and export refuses such a set.
TEST_F(CliTest, SetsThatAreNotWhatTheySeem) {
    test::TempDir empty;
    const std::string missing = dir.file("missing"), d = dir.path() + "/plant1_opc";
    script({{"show " + missing + " plant1", 1, "", missing + ": no such folder"},
            {"add-channel " + missing + " plant1 0 1 X", 1, "", "no such folder"},
            {"check " + empty.path() + " plant1", 1, "0 files, 0 rejected\n", "no plant1_opcN.cnf files in"},
            {"export " + empty.path() + " plant1", 1, "", "no plant1_opcN.cnf files in " + empty.path()},
            {"verify " + empty.path() + " plant1", 1, "", "no plant1_opcN.cnf files"},
            {"show " + empty.path() + " plant1", 0, "Set plant1 in \"" + empty.path() + "\": 0 servers in 0 slots\n"}});
    ASSERT_EQ(::mkfifo((d + "5.cnf").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", d + "6.cnf");
    script({{"check @", 1,
             "..." + d + "5.cnf: not a regular file\n" + d + "6.cnf: not a regular file\n5 files, 2 rejected"},
            {"show @", 1, "", "does not load cleanly"}});
    fs::remove(d + "5.cnf");
    fs::remove(d + "6.cnf");
    std::ofstream(d + "0.cnf", std::ios::app) << "%CHANID:12\r\nID:Dup\r\n%CHANNEL:BurnerFlame\r\nID:Again\r\n";
    script({{"check @", 1,
             "..." + d + "0.cnf: channel 12 is on lines 6 and 19; a lookup finds the one on line 19\n" + d +
                 "0.cnf: channel \"BurnerFlame\" is on lines 16 and 21; a lookup finds the one on line 21\n"
                 "3 files, 0 rejected, 1 with a channel twice\n"},
            {"export @", 1, "", "the set has channels twice in a file"}});
}

// Two programs adding channels to one project at once take turns: every run that says it saved has
// its channel in the file, and none that failed has.
TEST_F(CliTest, TwoProgramsEditingOneProjectTakeTurns) {
    std::string rounds;
    for (int round = 0; round < 30; ++round) {
        for (int channel : {1000 + round, 2000 + round})
            rounds += "(" + shell_quoted(kProgram) + " add-channel " + shell_quoted(dir.path()) + " plant1 0 " +
                      std::to_string(channel) + " Item." + std::to_string(channel) + " 2>/dev/null; echo " +
                      std::to_string(channel) + " $?) & ";
        rounds += "wait\n";
    }
    const std::string statuses = dir.file("statuses");
    ASSERT_EQ(std::system(("(" + rounds + ") >" + shell_quoted(statuses)).c_str()), 0);
    const std::string file = dir.get("plant1_opc0.cnf");
    std::istringstream lines(test::read_bytes(statuses));
    int runs = 0;
    for (int channel, status; lines >> channel >> status; ++runs) {
        const bool saved = file.find("%CHANID:" + std::to_string(channel) + "\r\n") != std::string::npos;
        EXPECT_EQ(saved, status == 0) << channel << " exited " << status;
    }
    EXPECT_EQ(runs, 60);
}

// In process, with a file system that fails on demand: an edit waits for a project another thread
// changes, then gives up; an import whose second file cannot be replaced puts the first back, and
// says which files hold what when it cannot.
TEST_F(CliTest, EditsChangeEveryFileOrNone) {
    test::FailingFiles files;
    files.lock_wait_ms = 20;
    cli::Args args;
    args.positional = {dir.path(), "plant1", dir.put("edit.csv", kHeader + "0,13,,Changed,\r\n3,200,,Changed,\r\n")};
    args.files = &files;
    auto import = [&](const std::set<int> &failing) {
        files.failing_commits = failing;
        files.commits = 0;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(cli::run_import(args), cli::kFailure);
        return ::testing::internal::GetCapturedStderr();
    };
    dir.put("plant1_opc.lock", "");
    const auto before = dir.snapshot();
    EXPECT_EQ(import({2}),
              "tagcfg import: " + dir.path() + "/plant1_opc3.cnf could not be replaced; nothing changed\n");
    EXPECT_EQ(dir.snapshot(), before);
    EXPECT_EQ(import({2, 3}), "tagcfg import: " + dir.path() +
                                  "/plant1_opc3.cnf could not be replaced, and the files replaced before it could not "
                                  "all be put back.\nThese hold the new content:\n  " +
                                  dir.path() + "/plant1_opc0.cnf (server 0)\nThese hold what they held before:\n  " +
                                  dir.path() + "/plant1_opc3.cnf (server 3)\n");

    test::LockHeldElsewhere other(project_lock_path(dir.path(), "plant1"));
    const auto held = dir.snapshot();
    EXPECT_EQ(import({}), "tagcfg import: the project plant1 in " + dir.path() +
                              " is busy: another program is changing it; nothing changed\n");
    EXPECT_EQ(dir.snapshot(), held);
}
