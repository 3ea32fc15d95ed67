// The host program, run as a user runs it, on copies of the sample project.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "model/counted_record.h"
#include "model/server_config.h"
#include "storage/config_set.h"
#include "storage/server_file.h"

using namespace tagcfg;
namespace fs = std::filesystem;

namespace {

const fs::path kSampleDir = fs::path(TAGCFG_SOURCE_DIR) / "examples" / "plant1";
const fs::path kBrokenDir = fs::path(TAGCFG_SOURCE_DIR) / "tests" / "data" / "broken";
const char *const kRejectedMark = "<-- rejected";

// The program is built beside the shared library: build/<preset>/src/ and build/<preset>/tools/cli/.
fs::path program() { return fs::path(TAGCFG_SHARED_LIBRARY).parent_path().parent_path() / "tools" / "cli" / "tagcfg"; }

std::string quoted(const std::string &text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string contents(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> lines_of(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> words_of(const std::string &line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

RecordRef<ServerConfig> read_config(const fs::path &path) {
    RecordRef<ServerConfig> config(new ServerConfig);
    EXPECT_TRUE(read_server_file(*config, path.string())) << path;
    return config;
}

struct Outcome {
    int status = -1;
    std::string out, err;
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
    }
    void TearDown() override { fs::remove_all(dir_); }

    Outcome tagcfg(const std::vector<std::string> &args) {
        std::string command = quoted(program().string());
        for (const auto &arg : args) command += " " + quoted(arg);
        command += " >" + quoted((dir_ / "out.txt").string()) + " 2>" + quoted((dir_ / "err.txt").string());
        Outcome run;
        int status = std::system(command.c_str());
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = contents(dir_ / "out.txt");
        run.err = contents(dir_ / "err.txt");
        fs::remove(dir_ / "out.txt");
        fs::remove(dir_ / "err.txt");
        return run;
    }
    Outcome on_set(const std::string &command, std::vector<std::string> more = {}) {
        more.insert(more.begin(), {command, dir_.string(), "plant1"});
        return tagcfg(more);
    }

    fs::path file_of(int server) const { return dir_ / server_file_name("plant1", server); }
    // Server numbers of the copied set, in order.
    std::vector<int> servers() const {
        std::vector<int> numbers;
        for (int n = 0; n <= 255; ++n)
            if (fs::exists(file_of(n))) numbers.push_back(n);
        return numbers;
    }
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto &entry : fs::directory_iterator(dir_)) files[entry.path().filename()] = contents(entry.path());
        return files;
    }

    fs::path dir_;
};

TEST_F(CliTest, SampleIsAcceptedAndWrittenAsTheLibraryWritesIt) {
    const std::vector<int> numbers = servers();
    ASSERT_GE(numbers.size(), 3u);
    Outcome check = on_set("check");
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find(std::to_string(numbers.size()) + " files, 0 rejected"), std::string::npos) << check.out;

    // Rewriting every file keeps the canonical ones byte for byte and the content of all of them.
    const auto before = snapshot();
    ASSERT_EQ(on_set("save", {"--write-all"}).status, 0);
    size_t unchanged = 0;
    for (int n : numbers) {
        const std::string name = server_file_name("plant1", n), text = contents(file_of(n));
        if (text == before.at(name)) ++unchanged;
        EXPECT_EQ(text, format_server_config(*read_config(kSampleDir / name))) << name;
    }
    EXPECT_GE(unchanged, 2u) << "the sample should mostly hold files in the library's own form";
}

TEST_F(CliTest, ShowListsEveryServerSlotAndChannel) {
    Outcome show = on_set("show");
    ASSERT_EQ(show.status, 0) << show.err;
    const auto lines = lines_of(show.out);
    const std::vector<int> numbers = servers();
    for (int n = 0; n <= numbers.back(); ++n) {
        const std::string label = "OPC" + std::to_string(n);
        auto header = std::find_if(lines.begin(), lines.end(), [&](const std::string &l) { return l.rfind(label + " ", 0) == 0; });
        ASSERT_NE(header, lines.end()) << label << " missing in\n" << show.out;
        if (!fs::exists(file_of(n))) {
            EXPECT_NE(header->find("(empty slot)"), std::string::npos) << *header;
            continue;
        }
        auto config = read_config(file_of(n));
        EXPECT_EQ(words_of(*header).back(), config->identity_text());
        const std::string section(show.out.substr(show.out.find(*header)));
        if (!config->description.empty()) {
            EXPECT_NE(section.find(config->description), std::string::npos);
        }
        if (!config->hostname.empty()) {
            EXPECT_NE(section.find("Host         " + config->hostname), std::string::npos);
        }

        // One row per channel, its item ID in the header's column.
        auto table = std::find_if(header, lines.end(), [](const std::string &l) { return l.find("Item ID") != std::string::npos; });
        ASSERT_NE(table, lines.end());
        const size_t column = table->find("Item ID");
        auto row = table + 1;
        for (const Channel *c = config->channels.first(); c; c = c->next(), ++row) {
            ASSERT_NE(row, lines.end());
            const std::vector<std::string> expected = {c->channel_id >= 0 ? std::to_string(c->channel_id) : "-",
                                                       c->channel_name.empty() ? "-" : c->channel_name, c->item_id,
                                                       c->access_path.empty() ? "-" : c->access_path};
            EXPECT_EQ(words_of(*row), expected) << *row;
            EXPECT_EQ(row->find(c->item_id), column) << *row;
        }
    }
}

TEST_F(CliTest, CheckNamesEveryRejectedFileAndLine) {
    Outcome check = tagcfg({"check", kBrokenDir.string(), "broken"});
    EXPECT_EQ(check.status, 1);
    size_t files = 0, rejected = 0;
    for (const auto &entry : fs::directory_iterator(kBrokenDir)) {
        const std::string name = entry.path().filename();
        const int number = number_of_entry(name, "broken", true);
        if (number < 0) continue;
        ++files;
        const fs::path canonical = kBrokenDir / server_file_name("broken", number);
        size_t line = 0;
        if (fs::exists(canonical)) {
            const auto lines = lines_of(contents(canonical));
            auto marked = std::find_if(lines.begin(), lines.end(), [](const std::string &l) { return l.find(kRejectedMark) != std::string::npos; });
            if (marked == lines.end()) {
                EXPECT_NE(check.out.find(canonical.string() + ": ok"), std::string::npos) << check.out;
                continue;
            }
            line = static_cast<size_t>(marked - lines.begin()) + 1;
        }
        ++rejected;
        EXPECT_NE(check.out.find(canonical.string() + ":" + std::to_string(line) + ": "), std::string::npos)
            << name << " at line " << line << " in\n" << check.out;
    }
    ASSERT_GE(rejected, 2u);
    EXPECT_LT(rejected, files);
    EXPECT_NE(check.out.find(std::to_string(files) + " files, " + std::to_string(rejected) + " rejected"), std::string::npos);

    // Loading the same set fails without a listing and points to check.
    Outcome show = tagcfg({"show", kBrokenDir.string(), "broken"});
    EXPECT_NE(show.status, 0);
    EXPECT_EQ(show.out, "");
    EXPECT_NE(show.err.find("tagcfg check"), std::string::npos) << show.err;
}

TEST_F(CliTest, EditsAreSavedToTheChangedServerOnly) {
    const std::vector<int> numbers = servers();
    const int server = numbers.front();
    const std::string name = server_file_name("plant1", server);
    auto unchanged_but = [&](const std::map<std::string, std::string> &before) {
        auto after = snapshot();
        for (const auto &[file, text] : before)
            if (file != name) {
                EXPECT_EQ(after[file], text) << file;
            }
        after.erase(name);
        EXPECT_EQ(after.size() + 1, before.size());
    };

    auto before = snapshot();
    ASSERT_EQ(on_set("set-host", {std::to_string(server), "SCADA7"}).status, 0);
    EXPECT_EQ(read_config(file_of(server))->hostname, "SCADA7");
    unchanged_but(before);

    ASSERT_EQ(on_set("add-channel", {std::to_string(server), "4242", "Test.Added"}).status, 0);
    Outcome found = on_set("find", {"Test.Added"});
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.out, "4242\n");

    // Removals must reach the file too, although a removal alone does not mark a server changed.
    before = snapshot();
    ASSERT_EQ(on_set("remove-channel", {std::to_string(server), "4242"}).status, 0);
    found = on_set("find", {"Test.Added"});
    EXPECT_EQ(found.status, 1);
    EXPECT_EQ(found.out, "");
    EXPECT_EQ(on_set("remove-channel", {std::to_string(server), "4242"}).status, 1);
    unchanged_but(before);

    std::string named;
    auto config = read_config(file_of(server));
    for (const Channel *c = config->channels.first(); c; c = c->next())
        if (c->channel_id < 0) named = c->channel_name;
    ASSERT_FALSE(named.empty()) << "the sample's first server should have a channel known by name";
    ASSERT_EQ(on_set("remove-channel", {std::to_string(server), "-1", named}).status, 0);
    config = read_config(file_of(server));
    for (const Channel *c = config->channels.first(); c; c = c->next()) EXPECT_NE(c->channel_name, named);
}

TEST_F(CliTest, EditsOfAMissingServerOrABrokenSetChangeNothing) {
    const std::vector<int> numbers = servers();
    int gap = 0;
    while (std::count(numbers.begin(), numbers.end(), gap)) ++gap;
    auto before = snapshot();
    EXPECT_EQ(on_set("set-host", {std::to_string(gap), "X"}).status, 1);
    EXPECT_EQ(on_set("add-channel", {std::to_string(gap), "1", "X"}).status, 1);
    EXPECT_EQ(snapshot(), before);

    fs::copy_file(kBrokenDir / "broken_opc1.cnf", file_of(numbers.back() + 1));
    before = snapshot();
    Outcome run = on_set("set-host", {std::to_string(numbers.front()), "X"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("tagcfg check"), std::string::npos) << run.err;
    EXPECT_EQ(on_set("save", {"--write-all"}).status, 1);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CliTest, GcKeepsOnlyTheListedChannels) {
    std::ofstream keep(dir_ / "keep.txt");
    keep << "; the first channel of every server\n\n";
    size_t total = 0, kept = 0;
    for (int n : servers()) {
        auto config = read_config(file_of(n));
        total += config->channels.size();
        const Channel *c = config->channels.first();
        if (!c) continue;
        keep << n << ' ' << c->channel_id << ' ' << c->channel_name << "\r\n";
        ++kept;
    }
    keep << "0 987654\n";  // not in the set: reported, nothing else happens
    keep.close();

    Outcome gc = on_set("gc", {(dir_ / "keep.txt").string()});
    ASSERT_EQ(gc.status, 0) << gc.err;
    EXPECT_EQ(gc.out, "removed " + std::to_string(total - kept) + " of " + std::to_string(total) + " channels\n");
    EXPECT_NE(gc.err.find("keep.txt:" + std::to_string(kept + 3) + ":"), std::string::npos) << gc.err;
    for (int n : servers()) EXPECT_LE(read_config(file_of(n))->channels.size(), 1u) << n;
}

TEST_F(CliTest, CommandLineMistakesAreUsageErrorsThatTouchNothing) {
    const auto before = snapshot();
    const std::string dir = dir_.string();
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"frobnicate"},
        {"show", dir},
        {"show", dir, "plant1", "extra"},
        {"show", dir, "plant1", "--write-all"},
        {"save", dir, "plant1", "--all"},
        {"set-host", dir, "plant1", "0x1", "H"},
        {"set-host", dir, "plant1", " 1", "H"},
        {"set-host", dir, "plant1", "", "H"},
        {"add-channel", dir, "plant1", "0", "12abc", "Item"},
        {"add-channel", dir, "plant1", "0", "99999999999", "Item"},
        {"add-channel", dir, "plant1", "0", "-3", "Item"},
        {"remove-channel", dir, "plant1", "0", "-1"},
    };
    for (const auto &args : mistakes) {
        Outcome run = tagcfg(args);
        EXPECT_EQ(run.status, 2) << (args.empty() ? "(none)" : args[0]) << " " << args.size();
        EXPECT_NE(run.err.find("tagcfg"), std::string::npos);
    }
    EXPECT_EQ(snapshot(), before);

    Outcome help = tagcfg({"help"});
    EXPECT_EQ(help.status, 0);
    for (const char *command : {"show", "check", "set-host", "add-channel", "remove-channel", "find", "gc", "save"})
        EXPECT_NE(help.out.find(std::string("tagcfg ") + command + " "), std::string::npos) << command;
}

}  // namespace
