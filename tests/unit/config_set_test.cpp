#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"
#include "storage/config_set.h"

using namespace tagcfg;
using Names = std::set<std::string>;

namespace {

std::string server_file(const std::string &progid) {
    return "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:" + progid + "\r\n\r\n";
}

const std::string kGarbage = "not a server file\n";

class ProjectDir {
public:
    explicit ProjectDir(const std::map<std::string, std::string> &files = {}) {
        char pattern[] = "/tmp/tagcfg_set_XXXXXX";
        path_ = ::mkdtemp(pattern);
        for (const auto &[name, bytes] : files) put(name, bytes);
    }
    ~ProjectDir() { std::filesystem::remove_all(path_); }

    const char *path() const { return path_.c_str(); }
    std::string file(const std::string &name) const { return path_ + "/" + name; }
    void put(const std::string &name, const std::string &bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }
    std::string get(const std::string &name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    Names names() const {
        Names out;
        for (const auto &e : std::filesystem::directory_iterator(path_)) out.insert(e.path().filename().string());
        return out;
    }

private:
    std::string path_;
};

std::string progid_at(const Environment &env, int number) {
    ServerConfig *c = server_at(&env, number);
    return c ? c->progid : "<empty>";
}

// Puts a new, modified server into a slot, growing the table as needed.
void store_server(Environment &env, size_t number, const std::string &progid) {
    env.servers.resize(std::max(env.servers.size(), number + 1));
    env.servers[number] = RecordRef<ServerConfig>(new ServerConfig);
    env.servers[number]->progid = progid;
    env.servers[number]->modified = true;
}

}  // namespace

TEST(ConfigSetNames, JoinPathAndEntryNumbers) {
    EXPECT_EQ(join_path("dir", "f.cnf"), "dir/f.cnf");
    EXPECT_EQ(join_path("dir/", "f.cnf"), "dir/f.cnf");
    EXPECT_EQ(join_path("dir\\", "f.cnf"), "dir\\f.cnf");
    EXPECT_EQ(join_path("", "f.cnf"), "f.cnf");
    EXPECT_EQ(join_path("dir", ""), "dir");
    EXPECT_EQ(server_file_name("plant1", 3), "plant1_opc3.cnf");

    const struct {
        const char *entry, *base;
        bool ignore_case;
        int number;
    } cases[] = {
        {"b_opc3.cnf", "b", false, 3},     {"b_opc003x", "b", false, 3},
        {"b_opc \t+9.cnf", "b", false, 9}, {"b_opc255.cnf", "b", false, 255},
        {"b_opc256.cnf", "b", false, -1},  {"b_opc-1.cnf", "b", false, -1},
        {"b_opc.cnf", "b", false, -1},     {"b_opc4294967297.cnf", "b", false, -1},
        {"b_opcx1.cnf", "b", false, -1},   {"B_OPC4.CNF", "b", true, 4},
        {"B_OPC4.CNF", "b", false, -1},    {"a_opc1.cnf", "%s", false, -1},
        {"%s_opc1.cnf", "%s", false, 1},   {"ab_opc1.cnf", "a?", false, -1},
    };
    for (const auto &c : cases) EXPECT_EQ(number_of_entry(c.entry, c.base, c.ignore_case), c.number) << c.entry;
}

// The walk that the load and `tagcfg check` share: in listing order, the first entry of each
// number from 0 to 255, however it spells the number, and of it the canonical file, with the line
// and the reason of a rejection.
TEST(ConfigSetWalk, TakesTheFirstEntryOfEachNumberAndReadsItsCanonicalFile) {
    ProjectDir dir({{"base_opc2.cnf", server_file("Two")}, {"base_opc3.cnf", "%%OPC_SERVER_CONFIG\r\nBAD\r\n"}});
    SetListing listing = list_set(dir.path(), "base");
    EXPECT_EQ(listing.pattern, dir.file("base_opc*.cnf"));
    EXPECT_EQ(listing.result, platform::Listing::listed);
    listing.entries = {{"BASE_OPC02.CNF", false}, {"base_opc2.cnf", false},   {"base_opc3.cnf", true},
                       {"base_opc3.cnf", false},  {"base_opc256.cnf", false}, {"base_opc9.cnf", false},
                       {"other_opc1.cnf", false}, {"base_opc9.cnf", false}};
    std::vector<std::string> seen;
    read_set(listing, [&](SetFile &file) {
        seen.push_back(file.entry + " " + std::to_string(file.number) + " " + file.path.substr(dir.file("").size()) +
                       " " +
                       (file.read ? file.config->progid : std::to_string(file.error.line) + " " + file.error.reason));
    });
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "BASE_OPC02.CNF 2 base_opc2.cnf Two",
                        "base_opc3.cnf 3 base_opc3.cnf 2 a server line must begin with PROGID:, CLSID:, HOSTNAME:, "
                        "CHANNEL_FORMAT: or DESCRIPTION:",
                        "base_opc9.cnf 9 base_opc9.cnf 0 the file cannot be opened",
                    }));
}

TEST(ConfigSetLoad, TakesTheSetsNumbers0To255AndSaveOfAnEmptyTableDeletesOnlyThose) {
    const Names others = {"other_opc1.cnf",  "base_opc1.txt",          "xbase_opc2.cnf",
                          "base_opc256.cnf", "base_opc-1.cnf",         "base_opc.cnf",
                          "base_opcx.cnf",   "base_opc4294967296.cnf", "base_opc5.cnf"};
    ProjectDir dir({{"base_opc3.cnf", server_file("Three")}, {"base_opc7.cnf", server_file("Seven")}});
    for (const auto &name : others) dir.put(name, kGarbage);
    std::filesystem::remove(dir.file("base_opc5.cnf"));
    ASSERT_EQ(::mkdir(dir.file("base_opc5.cnf").c_str(), 0755), 0);
    Environment env;
    store_server(env, 20, "before the load");
    ASSERT_TRUE(load_set(env, dir.path(), "base"));
    ASSERT_EQ(env.servers.size(), 8u);
    for (int n = 0; n < 8; ++n) EXPECT_EQ(progid_at(env, n), n == 3 ? "Three" : n == 7 ? "Seven" : "<empty>") << n;
    EXPECT_FALSE(server_at(&env, 3)->modified);
    EXPECT_EQ(server_at(&env, 3)->reference_count(), 1);
    EXPECT_EQ(env.directory + " " + env.base_name, dir.path() + std::string(" base"));

    env.servers.clear();
    EXPECT_TRUE(save_set(env, nullptr, nullptr, true));
    EXPECT_EQ(dir.names(), others);

    store_server(env, 1, "old");
    EXPECT_TRUE(load_set(env, dir.file("missing").c_str(), "base"));
    EXPECT_TRUE(env.servers.empty());
}

TEST(ConfigSetLoad, EntriesSpellingANumberOtherwiseReadTheCanonicalFile) {
    ProjectDir dir({{"base_opc02.cnf", kGarbage},
                    {"base_opc2x.cnf", kGarbage},
                    {"BASE_OPC2.CNF", kGarbage},
                    {"base_opc 2.cnf", kGarbage},
                    {"base_opc2.cnf", server_file("Two")}});
    Environment env;
    ASSERT_TRUE(load_set(env, dir.path(), "base"));
    ASSERT_EQ(env.servers.size(), 3u);
    EXPECT_EQ(progid_at(env, 2), "Two");
    EXPECT_EQ(server_at(&env, 2)->reference_count(), 1);

    // Without the canonical file such an entry is a number whose file cannot be read; its slot is
    // in the table, empty.
    ProjectDir only_odd({{"base_opc05.cnf", server_file("Five")}, {"PLANT1_OPC4.CNF", server_file("Four")}});
    EXPECT_FALSE(load_set(env, only_odd.path(), "base"));
    EXPECT_EQ(env.servers.size(), 6u);
    EXPECT_EQ(server_at(&env, 5), nullptr);
    EXPECT_FALSE(load_set(env, nullptr, "plant1"));
    EXPECT_EQ(env.servers.size(), 5u);
    EXPECT_EQ(server_at(&env, 4), nullptr);
}

TEST(ConfigSetLoad, NullTextsKeepTheStoredOnesAndEmptyOnesMeanTheCurrentDirectory) {
    ProjectDir other, dir({{"_opc0.cnf", server_file("Bare")},
                           {"base_opc1.cnf", server_file("One")},
                           {"next_opc2.cnf", server_file("Two")}});
    Environment env;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_TRUE(load_set(env, nullptr, nullptr));
    EXPECT_EQ(progid_at(env, 0), "Bare");
    EXPECT_TRUE(load_set(env, "", "base"));
    EXPECT_EQ(progid_at(env, 1), "One");
    store_server(env, 4, "Four");
    EXPECT_TRUE(save_set(env, nullptr, nullptr, false));
    std::filesystem::current_path(previous);
    EXPECT_EQ(dir.get("base_opc4.cnf"), server_file("Four"));

    ASSERT_TRUE(load_set(env, (std::string(dir.path()) + "/").c_str(), "base"));
    ASSERT_TRUE(load_set(env, nullptr, "next"));
    EXPECT_EQ(progid_at(env, 2), "Two");
    EXPECT_EQ(env.directory, std::string(dir.path()) + "/");
    ASSERT_TRUE(save_set(env, other.path(), nullptr, true));
    EXPECT_EQ(other.names(), Names{"next_opc2.cnf"});
    ASSERT_TRUE(load_set(env, nullptr, nullptr));
    EXPECT_EQ(progid_at(env, 2), "Two");
}

TEST(ConfigSetSave, WritesWhatChangedOrAllAndGoesOnAfterAFailedWrite) {
    const std::string lf_only = "%%OPC_SERVER_CONFIG\n;kept as written\nPROGID:A\n";
    ProjectDir dir(
        {{"base_opc0.cnf", lf_only}, {"base_opc2.cnf", server_file("B")}, {"base_opc5.cnf", server_file("Five")}});
    ASSERT_EQ(::mkdir(dir.file("base_opc1.cnf.tmp").c_str(), 0755), 0);  // slot 1 cannot be written
    Environment env;
    ASSERT_TRUE(load_set(env, dir.path(), "base"));
    remove_server(env, 5);
    store_server(env, 1, "New");
    server_at(&env, 2)->progid = "B2";
    server_at(&env, 2)->modified = true;
    EXPECT_FALSE(save_set(env, nullptr, nullptr, false));
    EXPECT_EQ(dir.get("base_opc0.cnf"), lf_only);
    EXPECT_EQ(dir.get("base_opc2.cnf"), server_file("B2"));
    EXPECT_TRUE(server_at(&env, 1)->modified);
    EXPECT_FALSE(server_at(&env, 2)->modified);
    EXPECT_EQ(dir.names(), (Names{"base_opc0.cnf", "base_opc1.cnf.tmp", "base_opc2.cnf"}));

    std::filesystem::remove(dir.file("base_opc1.cnf.tmp"));
    ASSERT_TRUE(save_set(env, nullptr, nullptr, true));
    EXPECT_EQ(dir.get("base_opc0.cnf"), server_file("A"));
    EXPECT_EQ(dir.names(), (Names{"base_opc0.cnf", "base_opc1.cnf", "base_opc2.cnf"}));
}

// Stale files go by their canonical name, with its letter case, unless they failed to read.
TEST(ConfigSetSave, RemovesStaleFilesButNeverOneThatFailedToRead) {
    ProjectDir dir({{"base_opc0.cnf", server_file("Zero")},
                    {"base_opc1.cnf", kGarbage},
                    {"base_opc9.cnf", server_file("Nine")},
                    {"base_opc09.cnf", server_file("Alias")}});
    Environment env;
    EXPECT_FALSE(load_set(env, dir.path(), "base"));
    remove_server(env, 9);
    dir.put("BASE_OPC5.CNF", server_file("Five"));  // appears after the load
    dir.put("Base_opc6.cnf", server_file("Six"));
    EXPECT_TRUE(save_set(env, nullptr, nullptr, true));
    EXPECT_EQ(dir.names(),
              (Names{"base_opc0.cnf", "base_opc1.cnf", "base_opc09.cnf", "BASE_OPC5.CNF", "Base_opc6.cnf"}));
    EXPECT_EQ(dir.get("base_opc1.cnf"), kGarbage);

    // The next load protects only what it failed to read.
    EXPECT_FALSE(load_set(env, nullptr, nullptr));
    EXPECT_EQ(env.servers.size(), 10u);
    remove_server(env, 0);
    EXPECT_TRUE(save_set(env, nullptr, nullptr, false));
    EXPECT_EQ(dir.names(), (Names{"base_opc1.cnf", "base_opc09.cnf", "BASE_OPC5.CNF", "Base_opc6.cnf"}));
}

// What failed to read is protected by its path: the same number of another directory or another
// base name is an ordinary stale file.
TEST(ConfigSetSave, OnlyTheFilesThatFailedAreProtected) {
    ProjectDir dir({{"base_opc0.cnf", server_file("Zero")}, {"base_opc1.cnf", kGarbage}, {"other_opc1.cnf", kGarbage}});
    ProjectDir elsewhere({{"base_opc1.cnf", server_file("Stale")}});
    Environment env;
    EXPECT_FALSE(load_set(env, dir.path(), "base"));
    EXPECT_EQ(env.unreadable_paths, std::set<std::string>{dir.file("base_opc1.cnf")});
    EXPECT_TRUE(save_set(env, elsewhere.path(), nullptr, true));
    EXPECT_EQ(elsewhere.names(), Names{"base_opc0.cnf"});
    EXPECT_TRUE(save_set(env, dir.path(), "other", true));
    EXPECT_EQ(dir.names(), (Names{"base_opc0.cnf", "base_opc1.cnf", "other_opc0.cnf"}));
    EXPECT_TRUE(save_set(env, nullptr, "base", true));
    EXPECT_EQ(dir.get("base_opc1.cnf"), kGarbage);
}

// A file that failed to read keeps its slot, empty, so nothing is appended onto it; a server put
// there by hand is saved only after the file's bytes are kept aside.
TEST(ConfigSetSave, AFileThatFailedIsKeptAsideBeforeAServerIsWrittenOverIt) {
    ProjectDir dir(
        {{"base_opc1.cnf", server_file("One")}, {"base_opc4.cnf", kGarbage}, {"base_opc4.cnf.bad", "an older copy"}});
    Environment env;
    EXPECT_FALSE(load_set(env, dir.path(), "base"));
    EXPECT_EQ(env.servers.size(), 5u);
    remove_server(env, 1);
    EXPECT_EQ(env.servers.size(), 5u);
    store_server(env, 4, "Four");
    EXPECT_TRUE(save_set(env, nullptr, nullptr, false));
    EXPECT_EQ(dir.get("base_opc4.cnf"), server_file("Four"));
    EXPECT_EQ(dir.get("base_opc4.cnf.bad"), kGarbage);
    // Written over once, the file is the server's own: saved again, the kept bytes stay, and
    // removed, it goes like any other.
    EXPECT_TRUE(save_set(env, nullptr, nullptr, true));
    EXPECT_EQ(dir.get("base_opc4.cnf.bad"), kGarbage);
    remove_server(env, 4);
    EXPECT_TRUE(save_set(env, nullptr, nullptr, true));
    EXPECT_EQ(dir.names(), Names{"base_opc4.cnf.bad"});
    EXPECT_TRUE(load_set(env, nullptr, nullptr));
    EXPECT_TRUE(env.servers.empty());

    // Without the copy the file is not written over.
    dir.put("base_opc2.cnf", kGarbage);
    ASSERT_EQ(::mkdir(dir.file("base_opc2.cnf.bad").c_str(), 0755), 0);
    dir.put("base_opc2.cnf.bad/x", "");
    EXPECT_FALSE(load_set(env, nullptr, nullptr));
    store_server(env, 2, "Two");
    EXPECT_FALSE(save_set(env, nullptr, nullptr, false));
    EXPECT_EQ(dir.get("base_opc2.cnf"), kGarbage);
    EXPECT_TRUE(server_at(&env, 2)->modified);
}

// Numbers above 255 are never loaded, so they are never written; "<base>_opc255.cnf" must fit 259
// bytes.
TEST(ConfigSetSave, NameLimits) {
    ProjectDir dir;
    Environment env;
    store_server(env, 256, "High");
    store_server(env, 255, "Highest");
    ASSERT_FALSE(save_set(env, dir.path(), "base", false));
    EXPECT_EQ(dir.names(), Names{"base_opc255.cnf"});
    EXPECT_TRUE(server_at(&env, 256)->modified);
    EXPECT_TRUE(load_set(env, nullptr, nullptr));
    EXPECT_EQ(env.servers.size(), 256u);
    EXPECT_TRUE(load_set(env, nullptr, std::string(248, 'n').c_str()));
    EXPECT_TRUE(save_set(env, nullptr, nullptr, true));

    store_server(env, 0, "Unwritten");
    EXPECT_FALSE(save_set(env, nullptr, std::string(249, 'n').c_str(), true));
    EXPECT_TRUE(server_at(&env, 0)->modified);
    EXPECT_EQ(dir.names(), Names{"base_opc255.cnf"});
    EXPECT_FALSE(load_set(env, nullptr, nullptr));
    EXPECT_TRUE(env.servers.empty());
}

TEST(ConfigSetSave, BaseNamesAreLiteral) {
    for (const std::string base : {"50%_x%d", "a*b", "a?b"}) {
        SCOPED_TRACE(base);
        ProjectDir dir(
            {{base + "_opc1.cnf", server_file("Mine")}, {"aXb_opc2.cnf", kGarbage}, {"50%_x7_opc2.cnf", kGarbage}});
        Environment env;
        ASSERT_TRUE(load_set(env, dir.path(), base.c_str()));
        EXPECT_EQ(env.servers.size(), 2u);
        EXPECT_EQ(progid_at(env, 1), "Mine");
        store_server(env, 3, "Added");
        ASSERT_TRUE(save_set(env, nullptr, nullptr, false));
        EXPECT_EQ(dir.get(base + "_opc3.cnf"), server_file("Added"));
        env.servers.clear();
        ASSERT_TRUE(save_set(env, nullptr, nullptr, false));
        EXPECT_EQ(dir.names(), (Names{"aXb_opc2.cnf", "50%_x7_opc2.cnf"}));
    }
}

namespace {

// The real file system, except that listing and deleting fail where a test says.
class FailingFiles : public platform::FileSystem {
public:
    platform::Listing list(const std::string &pattern, std::vector<platform::DirectoryEntry> &entries) const override {
        platform::Listing real = FileSystem::list(pattern, entries);
        if (listed_before_failing < 0) return real;
        entries.resize(std::min(entries.size(), static_cast<size_t>(listed_before_failing)));
        return platform::Listing::failed;
    }
    bool remove(const std::string &path) const override {
        return undeletable.count(std::filesystem::path(path).filename()) == 0 && FileSystem::remove(path);
    }

    int listed_before_failing = -1;  // -1: the listing works
    std::set<std::string> undeletable;
};

}  // namespace

// A directory that exists but cannot be listed says nothing about its files: the load fails, and
// until a load lists the directory again no save deletes a file.
TEST(ConfigSetFaults, AFailedListingFailsTheLoadAndStopsDeletionsUntilTheNextListing) {
    ProjectDir dir({{"base_opc0.cnf", server_file("Zero")}, {"base_opc1.cnf", server_file("One")}});
    FailingFiles files;
    Environment env;
    for (int read : {0, 1}) {
        files.listed_before_failing = read;
        EXPECT_FALSE(load_set(env, dir.path(), "base", files)) << read;
        // What was listed before the failure is loaded.
        auto loaded =
            std::count_if(env.servers.begin(), env.servers.end(), [](const auto &slot) { return bool(slot); });
        EXPECT_EQ(loaded, read);
    }
    files.listed_before_failing = -1;
    env.servers.clear();
    store_server(env, 2, "Two");
    EXPECT_TRUE(save_set(env, nullptr, nullptr, true, files));
    clear_environment(env);
    EXPECT_TRUE(save_set(env, dir.path(), "base", true, files));
    EXPECT_EQ(dir.names(), (Names{"base_opc0.cnf", "base_opc1.cnf", "base_opc2.cnf"}));

    // A missing directory, or a file given as the directory, is an empty project, listed.
    EXPECT_TRUE(load_set(env, dir.file("missing").c_str(), "base", files));
    EXPECT_TRUE(load_set(env, dir.file("base_opc0.cnf").c_str(), "base", files));
    EXPECT_TRUE(save_set(env, dir.path(), "base", true, files));
    EXPECT_TRUE(dir.names().empty());
}

TEST(ConfigSetFaults, ADirectoryThatCannotBeOpenedIsNotAnEmptyProject) {
    ProjectDir dir;
    const std::string loop = dir.file("loop");
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);  // fails to open even for root
    Environment env;
    EXPECT_FALSE(load_set(env, loop.c_str(), "base"));
    EXPECT_TRUE(env.listing_failed);
}

// A save whose stale files stay would bring their servers back at the next load: it fails, after
// writing everything it had to.
TEST(ConfigSetFaults, AStaleFileThatStaysFailsTheSave) {
    ProjectDir dir({{"base_opc0.cnf", server_file("Zero")},
                    {"base_opc1.cnf", server_file("One")},
                    {"base_opc2.cnf", server_file("Two")}});
    FailingFiles files;
    Environment env;
    ASSERT_TRUE(load_set(env, dir.path(), "base", files));
    remove_server(env, 1);
    remove_server(env, 2);
    server_at(&env, 0)->progid = "Zero2";
    server_at(&env, 0)->modified = true;
    files.undeletable = {"base_opc1.cnf"};
    EXPECT_FALSE(save_set(env, nullptr, nullptr, false, files));
    EXPECT_EQ(dir.get("base_opc0.cnf"), server_file("Zero2"));
    EXPECT_EQ(dir.names(), (Names{"base_opc0.cnf", "base_opc1.cnf"}));

    files.undeletable.clear();
    files.listed_before_failing = 1;
    EXPECT_FALSE(save_set(env, nullptr, nullptr, false, files));
    EXPECT_EQ(dir.names(), (Names{"base_opc0.cnf", "base_opc1.cnf"}));

    // On the real file system: an entry for number 3 whose canonical name is a directory, and one
    // for number 4 whose canonical file is already gone.
    files.listed_before_failing = -1;
    EXPECT_TRUE(save_set(env, nullptr, nullptr, false, files));
    dir.put("base_opc04.cnf", "");
    EXPECT_TRUE(save_set(env, nullptr, nullptr, false));
    dir.put("base_opc03.cnf", "");
    ASSERT_EQ(::mkdir(dir.file("base_opc3.cnf").c_str(), 0755), 0);
    EXPECT_FALSE(save_set(env, nullptr, nullptr, false));
}
