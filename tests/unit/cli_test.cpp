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
    };
    const auto before = snapshot();
    for (const auto &[args, status] : refused) {
        Outcome run = tagcfg(args);
        EXPECT_EQ(run.status, status) << ::testing::PrintToString(args);
        EXPECT_TRUE(has(run.err, "tagcfg")) << ::testing::PrintToString(args);
    }
    EXPECT_EQ(snapshot(), before);

    fs::copy_file(kBrokenDir / "broken_opc1.cnf", file_of(servers_.back() + 1));
    const auto broken = snapshot();
    Outcome run = on_set("set-host", {std::to_string(servers_.front()), "X"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(has(run.err, "tagcfg check")) << run.err;
    EXPECT_EQ(on_set("save", {"--write-all"}).status, 1);
    EXPECT_EQ(snapshot(), broken);

    const Outcome help = tagcfg({"help"});
    EXPECT_EQ(help.status, 0);
    for (const char *command : {"show", "check", "set-host", "add-channel", "remove-channel", "find", "gc", "save"})
        EXPECT_TRUE(has(help.out, std::string("tagcfg ") + command + " ")) << command;
}

}  // namespace
