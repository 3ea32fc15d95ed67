// The host program, run as a user runs it, on copies of the sample project.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "storage/config_set.h"
#include "storage/server_file.h"
#include "test_support.h"

using namespace tagcfg;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

namespace {

const fs::path kSampleDir = fs::path(TAGCFG_SOURCE_DIR) / "examples" / "plant1";
const fs::path kBrokenDir = fs::path(TAGCFG_SOURCE_DIR) / "tests" / "data" / "broken";

// The program is built beside the shared library: build/<preset>/src/ and build/<preset>/tools/cli/.
fs::path program() { return fs::path(TAGCFG_SHARED_LIBRARY).parent_path().parent_path() / "tools" / "cli" / "tagcfg"; }

std::string quoted(const std::string &text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string contents(const fs::path &path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

Strings split(const std::string &text, bool words) {
    Strings out;
    std::istringstream in(text);
    for (std::string s; words ? bool(in >> s) : bool(std::getline(in, s));) out.push_back(s);
    return out;
}

bool has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

RecordRef<ServerConfig> read_config(const fs::path &path) {
    auto config = test::make_server();
    EXPECT_TRUE(read_server_file(*config, path.string())) << path;
    return config;
}

struct Outcome {
    int status = -1;
    std::string out, err;
    std::tuple<int, std::string> result() const { return {status, out}; }
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(program())) << "build the tagcfg_cli target first: " << program();
        std::string pattern = (fs::temp_directory_path() / "tagcfg_cli_XXXXXX").string();
        ASSERT_TRUE(mkdtemp(pattern.data()));
        dir_ = pattern;
        for (const auto &entry : fs::directory_iterator(kSampleDir))
            if (entry.path().extension() == ".cnf") fs::copy_file(entry.path(), dir_ / entry.path().filename());
        for (int n = 0; n <= 255; ++n)
            if (fs::exists(file_of(n))) servers_.push_back(n);
        ASSERT_GE(servers_.size(), 3u);
    }
    void TearDown() override { fs::remove_all(dir_); }

    Outcome tagcfg(const Strings &args) {
        const fs::path out = dir_.parent_path() / (dir_.filename().string() + ".out"),
                       err = dir_.parent_path() / (dir_.filename().string() + ".err");
        std::string command = quoted(program().string());
        for (const auto &arg : args) command += " " + quoted(arg);
        const int status = std::system((command + " >" + quoted(out) + " 2>" + quoted(err)).c_str());
        Outcome run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, contents(out), contents(err)};
        fs::remove(out);
        fs::remove(err);
        return run;
    }
    Outcome on_set(const std::string &command, Strings more = {}) {
        more.insert(more.begin(), {command, dir_.string(), "plant1"});
        return tagcfg(more);
    }
    fs::path file_of(int server) const { return dir_ / server_file_name("plant1", server); }
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto &entry : fs::directory_iterator(dir_)) files[entry.path().filename()] = contents(entry.path());
        return files;
    }

    fs::path dir_;
    std::vector<int> servers_;  // numbers of the copied set, in order
};

TEST_F(CliTest, SampleIsAcceptedAndWrittenAsTheLibraryWritesIt) {
    Outcome check = on_set("check");
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_TRUE(has(check.out, std::to_string(servers_.size()) + " files, 0 rejected")) << check.out;

    const auto before = snapshot();
    ASSERT_EQ(on_set("save", {"--write-all"}).status, 0);
    size_t unchanged = 0;
    for (int n : servers_) {
        const std::string name = server_file_name("plant1", n), text = contents(file_of(n));
        unchanged += text == before.at(name);
        EXPECT_EQ(text, format_server_config(*read_config(kSampleDir / name))) << name;
    }
    EXPECT_GE(unchanged, 2u) << "the sample should mostly hold files in the library's own form";
}

TEST_F(CliTest, ShowListsEveryServerSlotAndChannel) {
    Outcome show = on_set("show");
    ASSERT_EQ(show.status, 0) << show.err;
    const Strings lines = split(show.out, false);
    for (int n = 0; n <= servers_.back(); ++n) {
        const std::string label = "OPC" + std::to_string(n) + " ";
        auto header =
            std::find_if(lines.begin(), lines.end(), [&](const std::string &l) { return l.rfind(label, 0) == 0; });
        ASSERT_NE(header, lines.end()) << label << " missing in\n" << show.out;
        if (!fs::exists(file_of(n))) {
            EXPECT_TRUE(has(*header, "(empty slot)")) << *header;
            continue;
        }
        auto config = read_config(file_of(n));
        EXPECT_EQ(split(*header, true).back(), config->identity_text());
        const std::string section = show.out.substr(show.out.find(*header));
        for (const std::string &field : {config->description, "Host         " + config->hostname}) {
            EXPECT_TRUE(has(section, field)) << field;
        }

        // One row per channel, its item ID in the header's column.
        auto table = std::find_if(header, lines.end(), [](const std::string &l) { return has(l, "Item ID"); });
        ASSERT_NE(table, lines.end());
        auto row = table + 1;
        for (const Channel *c = config->channels.first(); c; c = c->next(), ++row) {
            ASSERT_NE(row, lines.end());
            auto or_dash = [](const std::string &s) { return s.empty() ? std::string("-") : s; };
            EXPECT_EQ(split(*row, true), (Strings{c->channel_id >= 0 ? std::to_string(c->channel_id) : "-",
                                                  or_dash(c->channel_name), c->item_id, or_dash(c->access_path)}));
            EXPECT_EQ(row->find(c->item_id), table->find("Item ID")) << *row;
        }
    }
}

TEST_F(CliTest, CheckNamesEveryRejectedFileAndLine) {
    Outcome check = tagcfg({"check", kBrokenDir.string(), "broken"});
    EXPECT_EQ(check.status, 1);
    size_t files = 0, rejected = 0;
    for (const auto &entry : fs::directory_iterator(kBrokenDir)) {
        const int number = number_of_entry(entry.path().filename(), "broken", true);
        if (number < 0) continue;
        ++files;
        // A rejected line is marked in the file; an entry without its canonical file is rejected at line 0.
        const fs::path canonical = kBrokenDir / server_file_name("broken", number);
        const Strings lines = split(fs::exists(canonical) ? contents(canonical) : "<-- rejected", false);
        auto marked =
            std::find_if(lines.begin(), lines.end(), [](const std::string &l) { return has(l, "<-- rejected"); });
        if (marked == lines.end()) {
            EXPECT_TRUE(has(check.out, canonical.string() + ": ok")) << check.out;
            continue;
        }
        ++rejected;
        const size_t line = fs::exists(canonical) ? static_cast<size_t>(marked - lines.begin()) + 1 : 0;
        EXPECT_TRUE(has(check.out, canonical.string() + ":" + std::to_string(line) + ": ")) << line << check.out;
    }
    ASSERT_GE(rejected, 2u);
    EXPECT_LT(rejected, files);
    EXPECT_TRUE(has(check.out, std::to_string(files) + " files, " + std::to_string(rejected) + " rejected"));

    Outcome show = tagcfg({"show", kBrokenDir.string(), "broken"});
    EXPECT_EQ(show.result(), std::make_tuple(1, ""));
    EXPECT_TRUE(has(show.err, "tagcfg check")) << show.err;
}

// Entries that load and save treat otherwise than their names suggest, and the files a save kept
// aside, each on a line of its own; a folder that cannot be listed is no empty set.
TEST_F(CliTest, CheckExplainsOddEntriesAndKeptFiles) {
    fs::copy_file(file_of(1), dir_ / "plant1_opc01.cnf");
    for (const char *name : {"plant1_opc02.cnf", "PLANT1_opc4.cnf", "plant1_opc300.cnf", "plant1_opc3.cnf.bad"})
        std::ofstream(dir_ / name) << "%%OPC_SERVER_CONFIG\n";
    Outcome check = on_set("check");
    EXPECT_EQ(check.status, 1);
    const std::string d = dir_.string() + "/";
    for (const std::string &line : Strings{
             "plant1_opc01.cnf: not the canonical name of number 1; the load reads plant1_opc1.cnf instead; a save "
             "never deletes this entry",
             "plant1_opc02.cnf: not the canonical name of number 2; the load reads plant1_opc2.cnf instead, which does "
             "not exist, so the load fails; a save never deletes this entry",
             "PLANT1_opc4.cnf: not the canonical name of number 4; the load reads plant1_opc4.cnf instead, which does "
             "not exist, so the load fails; a save never deletes this entry",
             "plant1_opc300.cnf: number 300 is above 255; load and save ignore it",
             d + "plant1_opc3.cnf: kept aside as plant1_opc3.cnf.bad",
             d + "plant1_opc4.cnf:0: the file cannot be opened (found as PLANT1_opc4.cnf)",
             std::to_string(servers_.size() + 2) + " files, 2 rejected"})
        EXPECT_TRUE(has(check.out, line + "\n")) << line << "\n" << check.out;
    EXPECT_EQ(split(check.out, false).size(), servers_.size() + 2 + 6);

    fs::create_directory_symlink(dir_ / "loop", dir_ / "loop");
    check = tagcfg({"check", (dir_ / "loop").string(), "plant1"});
    EXPECT_EQ(check.result(),
              std::make_tuple(1, (dir_ / "loop").string() + "/plant1_opc*.cnf: cannot be listed; the "
                                                            "load fails, and a save after it deletes no file\n"));
}

TEST_F(CliTest, EditsAreSavedToTheChangedServerOnly) {
    const std::string server = std::to_string(servers_.front()), name = file_of(servers_.front()).filename();
    auto only_that_file_changed = [&](std::map<std::string, std::string> before) {
        auto after = snapshot();
        EXPECT_NE(after[name], before[name]);
        after.erase(name);
        before.erase(name);
        EXPECT_EQ(after, before);
    };
    auto before = snapshot();
    ASSERT_EQ(on_set("set-host", {server, "SCADA7"}).status, 0);
    EXPECT_EQ(read_config(file_of(servers_.front()))->hostname, "SCADA7");
    only_that_file_changed(before);

    ASSERT_EQ(on_set("add-channel", {server, "4242", "Test.Added"}).status, 0);
    EXPECT_EQ(on_set("find", {"Test.Added"}).result(), std::make_tuple(0, "4242\n"));

    // Removals reach the file like any other change.
    before = snapshot();
    ASSERT_EQ(on_set("remove-channel", {server, "4242"}).status, 0);
    EXPECT_EQ(on_set("find", {"Test.Added"}).result(), std::make_tuple(1, ""));
    EXPECT_EQ(on_set("remove-channel", {server, "4242"}).status, 1);
    only_that_file_changed(before);

    auto config = read_config(file_of(servers_.front()));
    const Channel *c = config->channels.first();
    while (c && c->channel_id >= 0) c = c->next();
    ASSERT_NE(c, nullptr) << "the sample's first server should have a channel known by name";
    const std::string named = c->channel_name;
    ASSERT_EQ(on_set("remove-channel", {server, "-1", named}).status, 0);
    config = read_config(file_of(servers_.front()));
    for (c = config->channels.first(); c; c = c->next()) EXPECT_NE(c->channel_name, named);
}

TEST_F(CliTest, GcKeepsOnlyTheListedChannels) {
    std::ofstream keep(dir_ / "keep.txt");
    keep << "; the first channel of every server\n\n";
    size_t total = 0, kept = 0;
    for (int n : servers_) {
        auto config = read_config(file_of(n));
        total += config->channels.size();
        if (const Channel *c = config->channels.first()) {
            keep << n << ' ' << c->channel_id << ' ' << c->channel_name << "\r\n";
            ++kept;
        }
    }
    keep << "0 987654\n";  // not in the set: reported, nothing else happens
    keep.close();

    Outcome gc = on_set("gc", {(dir_ / "keep.txt").string()});
    ASSERT_EQ(gc.status, 0) << gc.err;
    EXPECT_EQ(gc.out, "removed " + std::to_string(total - kept) + " of " + std::to_string(total) + " channels\n");
    EXPECT_TRUE(has(gc.err, "keep.txt:" + std::to_string(kept + 3) + ":")) << gc.err;
    for (int n : servers_) EXPECT_LE(read_config(file_of(n))->channels.size(), 1u) << n;
}

// Usage errors exit with 2, edits of a missing server or of a set that does not load with 1.
TEST_F(CliTest, RefusedCommandsTouchNothing) {
    const std::string d = dir_.string(), gap = std::to_string(servers_.back() + 1);
    const std::vector<std::pair<Strings, int>> refused = {
        {{}, 2},
        {{"frobnicate"}, 2},
        {{"show", d}, 2},
        {{"show", d, "plant1", "extra"}, 2},
        {{"show", d, "plant1", "--write-all"}, 2},
        {{"save", d, "plant1", "--all"}, 2},
        {{"set-host", d, "plant1", "0x1", "H"}, 2},
        {{"set-host", d, "plant1", " 1", "H"}, 2},
        {{"set-host", d, "plant1", "", "H"}, 2},
        {{"add-channel", d, "plant1", "0", "12abc", "Item"}, 2},
        {{"add-channel", d, "plant1", "0", "99999999999", "Item"}, 2},
        {{"add-channel", d, "plant1", "0", "-3", "Item"}, 2},
        {{"remove-channel", d, "plant1", "0", "-1"}, 2},
        {{"set-host", d, "plant1", gap, "X"}, 1},
        {{"add-channel", d, "plant1", gap, "1", "X"}, 1},
        {{"import", d, "plant1", "--dry-run"}, 2},
        {{"export", d, "plant1", "--replace"}, 2},
        {{"import", d, "plant1", d + "/missing.csv"}, 1},
    };
    const auto before = snapshot();
    for (const auto &[args, status] : refused) {
        Outcome run = tagcfg(args);
        EXPECT_EQ(run.status, status) << ::testing::PrintToString(args);
        EXPECT_TRUE(has(run.err, "tagcfg")) << ::testing::PrintToString(args);
    }
    EXPECT_EQ(snapshot(), before);

    fs::copy_file(kBrokenDir / "broken_opc1.cnf", file_of(servers_.back() + 1));
    std::ofstream(dir_ / "bindings.csv") << "server,channel,name,item_id,access_path\n";
    const auto broken = snapshot();
    Outcome run = on_set("set-host", {std::to_string(servers_.front()), "X"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(has(run.err, "tagcfg check")) << run.err;
    EXPECT_EQ(on_set("save", {"--write-all"}).status, 1);
    for (const char *command : {"export", "import"}) {
        run = on_set(command, {(dir_ / "bindings.csv").string()});
        EXPECT_EQ(run.result(), std::make_tuple(1, "")) << command;
        EXPECT_TRUE(has(run.err, "plant1_opc" + gap + ".cnf:4: ")) << run.err;
    }
    EXPECT_EQ(snapshot(), broken);

    const Outcome help = tagcfg({"help"});
    EXPECT_EQ(help.status, 0);
    for (const char *command :
         {"show", "check", "set-host", "add-channel", "remove-channel", "find", "gc", "save", "export", "import"})
        EXPECT_TRUE(has(help.out, std::string("tagcfg ") + command + " ")) << command;
}

// --- Bindings as CSV -----------------------------------------------------------------------------

const std::string kHeader = "server,channel,name,item_id,access_path\r\n";
const std::string kServer1Rows =
    "1,100,,Filters.F1.Flow,PLC1\r\n1,101,,Filters.F2.Flow,PLC1\r\n1,,ChlorineDose,Dosing.Cl2.Setpoint,PLC2\r\n";
const std::string kSampleCsv =
    kHeader +
    "0,12,,Boiler.Drum.Level,\r\n0,13,,Boiler.Drum.Pressure,\r\n0,20,,Pumps.Feed1.Run,Line1\r\n"
    "0,,BurnerFlame,Boiler.Burner.Flame,\r\n" +
    kServer1Rows + "3,200,,Tanks.T1.Level,\r\n3,,Tank2Level,Tanks.T2.Level,Farm\r\n";

std::string joined(const Strings &lines, const std::string &end) {
    std::string text;
    for (const auto &line : lines) text += line + end;
    return text;
}

TEST_F(CliTest, ExportThenImportChangesNoByte) {
    const std::string csv = (dir_ / "bindings.csv").string();
    EXPECT_EQ(on_set("export").result(), std::make_tuple(0, kSampleCsv));
    ASSERT_EQ(on_set("export", {csv}).status, 0);
    EXPECT_EQ(contents(csv), kSampleCsv);
    const auto before = snapshot();
    for (const Strings &options : {Strings{csv}, Strings{csv, "--replace"}})
        EXPECT_EQ(on_set("import", options).result(), std::make_tuple(0, "0 added, 0 changed, 0 removed\n"));
    EXPECT_EQ(snapshot(), before);

    // 100,000 channels in four files with LF line ends, which any rewrite would turn into CR LF,
    // and one channel with neither a number nor a name, which is no binding.
    for (int server : {0, 1, 2, 4}) {
        std::ofstream file(dir_ / server_file_name("big", server), std::ios::binary);
        file << "%%OPC_SERVER_CONFIG\n\nPROGID:Big." << server << "\n\n%CHANID:-5\nID:Nowhere\n";
        for (int i = 0; i < 25000; ++i) {
            if (i % 10 == 9) file << "%CHANNEL:Name " << i << ", \"quoted\"\nID:Big," << i << "\n";
            else file << "%CHANID:" << i << "\nID:Big." << server << '.' << i << "\nACCPATH: Path" << i % 7 << "\n";
        }
    }
    const auto big = snapshot();
    ASSERT_EQ(tagcfg({"export", dir_.string(), "big", csv}).status, 0);
    const std::string exported = contents(csv);
    EXPECT_EQ(std::count(exported.begin(), exported.end(), '\n'), 100001);
    EXPECT_EQ(exported.rfind(kHeader + "0,0,,Big.0.0,\" Path0\"\r\n", 0), 0u) << exported.substr(0, 200);
    EXPECT_TRUE(has(exported, "\r\n4,,\"Name 24999, \"\"quoted\"\"\",\"Big,24999\",\r\n"));
    EXPECT_EQ(tagcfg({"import", dir_.string(), "big", csv, "--replace"}).result(),
              std::make_tuple(0, "0 added, 0 changed, 0 removed\n"));
    const auto after = snapshot();
    for (const auto &[name, bytes] : big)
        if (name.rfind("big_", 0) == 0) {
            EXPECT_EQ(after.at(name), bytes) << name;
        }
}

// Fields as spreadsheets write them, in any column order, with CR LF or LF line ends: the server
// file gets the fields' own bytes, and the export quotes a field where it must.
TEST_F(CliTest, ImportTakesQuotedFieldsAsTheyStand) {
    const Strings lines = {"access_path,item_id,channel,name,server",
                           ",\"Tag,with,commas\",500,,0",
                           "\"\",\"say \"\"hi\"\"\",501,,0",
                           "\"  both\",\" lead\",502,,0",
                           "Line 2, unquoted lead,503,,0",
                           ",Main.Flow,,\"Flow, main\",0",
                           ",,13,,0",
                           ",Dosing.Cl2.Setpoint,,ChlorineDose,1"};
    const std::string csv = (dir_ / "edit.csv").string();
    std::ofstream(csv, std::ios::binary) << joined(lines, "\r\n");
    EXPECT_EQ(on_set("import", {csv}).result(), std::make_tuple(0, "5 added, 1 changed, 1 removed\n"));
    const std::string server0 = contents(file_of(0));
    EXPECT_TRUE(has(server0,
                    "%CHANID:500\r\nID:Tag,with,commas\r\n\r\n%CHANID:501\r\nID:say \"hi\"\r\n\r\n"
                    "%CHANID:502\r\nID: lead\r\nACCPATH:  both\r\n\r\n%CHANID:503\r\nID: unquoted lead\r\n"
                    "ACCPATH:Line 2\r\n\r\n%CHANNEL:Flow, main\r\nID:Main.Flow\r\n\r\n"))
        << server0;
    EXPECT_FALSE(has(server0, "%CHANID:13\r\n"));

    // The same rows with LF, the last without one, are the same rows.
    std::ofstream(csv, std::ios::binary) << joined(lines, "\n").substr(0, joined(lines, "\n").size() - 1);
    const auto before = snapshot();
    EXPECT_EQ(on_set("import", {csv}).result(), std::make_tuple(0, "0 added, 0 changed, 0 removed\n"));
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(has(on_set("export").out,
                    "0,,BurnerFlame,Boiler.Burner.Flame,\r\n0,500,,\"Tag,with,commas\",\r\n"
                    "0,501,,\"say \"\"hi\"\"\",\r\n0,502,,\" lead\",\"  both\"\r\n"
                    "0,503,,\" unquoted lead\",Line 2\r\n0,,\"Flow, main\",Main.Flow,\r\n1,"));
    EXPECT_TRUE(has(contents(file_of(1)), "%CHANNEL:ChlorineDose\r\nID:Dosing.Cl2.Setpoint\r\n\r\n"));
}

// Each line that cannot be taken is named with its reason, and then nothing changes at all.
TEST_F(CliTest, ImportRefusesEveryBadLineAndChangesNothing) {
    const std::string csv = (dir_ / "edit.csv").string();
    const std::string no_header =
        ":1: no header: the first line must name the columns server,channel,name,item_id,access_path\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
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
         ":17: the item_id ends in a blank, which the server file does not keep\n"
         ":18: the name ends in a blank, which the server file does not keep\n:19: a quoted field is not closed\n"
         "tagcfg import: 15 of 17 rows refused; nothing changed\n"},
    };
    for (const auto &[text, reasons] : cases) {
        std::ofstream(csv, std::ios::binary) << text;
        const auto before = snapshot();
        Outcome run = on_set("import", {csv});
        EXPECT_EQ(run.result(), std::make_tuple(1, "")) << text;
        std::string expected;
        for (const std::string &line : split(reasons, false)) expected += (line[0] == ':' ? csv : "") + line + "\n";
        EXPECT_EQ(run.err, expected);
        EXPECT_EQ(snapshot(), before);
    }

    // One bad row among a thousand.
    Strings rows = {"server,channel,name,item_id,access_path"};
    for (int i = 2; i <= 1000; ++i) rows.push_back(i == 500 ? "2,1,,X," : "0," + std::to_string(i) + ",,New,");
    std::ofstream(csv, std::ios::binary) << joined(rows, "\n");
    const auto before = snapshot();
    EXPECT_EQ(on_set("import", {csv}).err,
              csv + ":500: server slot 2 is empty\ntagcfg import: 1 of 999 rows refused; nothing changed\n");
    EXPECT_EQ(snapshot(), before);
}

// A dry run prints each change and saves nothing; --replace also removes what the file's servers
// have beyond its rows, and leaves the servers it does not name alone.
TEST_F(CliTest, DryRunAndReplace) {
    const std::string csv = (dir_ / "edit.csv").string();
    std::ofstream(csv, std::ios::binary) << kHeader +
                                                "0,13,,Boiler.Drum.Pressure2,\r\n0,,BurnerFlame,,\r\n"
                                                "0,21,,Pumps.Feed2.Run,Line2\r\n"
                                                "3,,Tank2Level,Tanks.T2.Level2,Farm\r\n";
    const std::string changes =
        "changed 0,13,,Boiler.Drum.Pressure2, (was Boiler.Drum.Pressure,)\n"
        "removed 0,,BurnerFlame,Boiler.Burner.Flame,\nadded 0,21,,Pumps.Feed2.Run,Line2\n"
        "changed 3,,Tank2Level,Tanks.T2.Level2,Farm (was Tanks.T2.Level,Farm)\n";
    const std::string swept =
        "removed 0,12,,Boiler.Drum.Level,\nremoved 0,20,,Pumps.Feed1.Run,Line1\n"
        "removed 3,200,,Tanks.T1.Level,\n";
    const auto before = snapshot();
    EXPECT_EQ(on_set("import", {csv, "--dry-run"}).result(),
              std::make_tuple(0, changes + "1 added, 2 changed, 1 removed; dry run, nothing saved\n"));
    EXPECT_EQ(on_set("import", {csv, "--dry-run", "--replace"}).result(),
              std::make_tuple(0, changes + swept + "1 added, 2 changed, 4 removed; dry run, nothing saved\n"));
    EXPECT_EQ(snapshot(), before);

    EXPECT_EQ(on_set("import", {csv, "--replace"}).result(), std::make_tuple(0, "1 added, 2 changed, 4 removed\n"));
    EXPECT_EQ(on_set("export").out, kHeader + "0,13,,Boiler.Drum.Pressure2,\r\n0,21,,Pumps.Feed2.Run,Line2\r\n" +
                                        kServer1Rows + "3,,Tank2Level,Tanks.T2.Level2,Farm\r\n");
    EXPECT_EQ(contents(file_of(1)), before.at("plant1_opc1.cnf"));
}

}  // namespace
