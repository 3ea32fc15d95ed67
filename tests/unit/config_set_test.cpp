#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "storage/config_set.h"
#include "storage/server_file.h"

using namespace tagcfg;

namespace {

std::string server_file(const std::string &progid) { return "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:" + progid + "\r\n\r\n"; }

const std::string kGarbage = "not a server file\n";

class ProjectDir {
public:
    ProjectDir() {
        char pattern[] = "/tmp/tagcfg_set_XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~ProjectDir() { std::filesystem::remove_all(path_); }

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }
    void put(const std::string &name, const std::string &bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }
    std::string get(const std::string &name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool has(const std::string &name) const { return ::access(file(name).c_str(), F_OK) == 0; }
    ino_t inode(const std::string &name) const {
        struct stat info {};
        return ::stat(file(name).c_str(), &info) == 0 ? info.st_ino : 0;
    }
    std::set<std::string> names() const {
        std::set<std::string> out;
        for (const auto &e : std::filesystem::directory_iterator(path_)) out.insert(e.path().filename().string());
        return out;
    }

private:
    std::string path_;
};

// Runs a test body inside a directory and always returns to where it was.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string &dir) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~WorkingDirectory() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

std::string progid_at(const Environment &env, int number) {
    ServerConfig *c = server_at(&env, number);
    return c ? c->progid : "<empty>";
}

// Puts a new, modified server into a slot, growing the table as needed.
ServerConfig &store_server(Environment &env, int number, const std::string &progid) {
    if (env.servers.size() <= static_cast<size_t>(number)) env.servers.resize(static_cast<size_t>(number) + 1);
    env.servers[static_cast<size_t>(number)] = RecordRef<ServerConfig>(new ServerConfig);
    ServerConfig &c = *env.servers[static_cast<size_t>(number)];
    c.progid = progid;
    c.modified = true;
    return c;
}

}  // namespace

TEST(ConfigSetNames, JoinPathAndEntryNumbers) {
    EXPECT_EQ(join_path("dir", "f.cnf"), "dir/f.cnf");
    EXPECT_EQ(join_path("dir/", "f.cnf"), "dir/f.cnf");
    EXPECT_EQ(join_path("dir\\", "f.cnf"), "dir\\f.cnf");
    EXPECT_EQ(join_path("", "f.cnf"), "f.cnf");
    EXPECT_EQ(join_path("dir", ""), "dir");
    EXPECT_EQ(server_file_name("plant1", 3), "plant1_opc3.cnf");

    EXPECT_EQ(number_of_entry("b_opc3.cnf", "b", false), 3);
    EXPECT_EQ(number_of_entry("b_opc003x", "b", false), 3);
    EXPECT_EQ(number_of_entry("b_opc \t+9.cnf", "b", false), 9);
    EXPECT_EQ(number_of_entry("b_opc255.cnf", "b", false), 255);
    EXPECT_EQ(number_of_entry("b_opc256.cnf", "b", false), -1);
    EXPECT_EQ(number_of_entry("b_opc-1.cnf", "b", false), -1);
    EXPECT_EQ(number_of_entry("b_opc4294967297.cnf", "b", false), -1);
    EXPECT_EQ(number_of_entry("b_opc.cnf", "b", false), -1);
    EXPECT_EQ(number_of_entry("b_opcx1.cnf", "b", false), -1);
    EXPECT_EQ(number_of_entry("B_OPC4.CNF", "b", true), 4);
    EXPECT_EQ(number_of_entry("B_OPC4.CNF", "b", false), -1);
    EXPECT_EQ(number_of_entry("a_opc1.cnf", "%s", false), -1);
    EXPECT_EQ(number_of_entry("%s_opc1.cnf", "%s", false), 1);
    EXPECT_EQ(number_of_entry("ab_opc1.cnf", "a?", false), -1);
}

TEST(ConfigSetLoad, FillsTheSlotsOfTheNumbersFound) {
    ProjectDir dir;
    dir.put("base_opc3.cnf", server_file("Three"));
    dir.put("base_opc7.cnf", server_file("Seven"));
    dir.put("other_opc1.cnf", kGarbage);
    dir.put("base_opc1.txt", kGarbage);
    Environment env;
    store_server(env, 20, "before the load");
    ASSERT_TRUE(load_set(env, dir.path().c_str(), "base"));
    ASSERT_EQ(env.servers.size(), 8u);
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(progid_at(env, n), n == 3 ? "Three" : n == 7 ? "Seven" : "<empty>") << n;
    EXPECT_FALSE(server_at(&env, 3)->modified);
    EXPECT_EQ(server_at(&env, 3)->reference_count(), 1);
    EXPECT_EQ(env.directory, dir.path());
    EXPECT_EQ(env.base_name, "base");
}

TEST(ConfigSetLoad, NothingToLoadIsSuccessWithAnEmptyTable) {
    ProjectDir dir;
    Environment env;
    store_server(env, 1, "old");
    EXPECT_TRUE(load_set(env, dir.path().c_str(), "base"));
    EXPECT_TRUE(env.servers.empty());
    store_server(env, 1, "old");
    EXPECT_TRUE(load_set(env, (dir.path() + "/missing").c_str(), "base"));
    EXPECT_TRUE(env.servers.empty());
}

TEST(ConfigSetLoad, EntriesSpellingANumberOtherwiseReadTheCanonicalFile) {
    ProjectDir dir;
    // Whichever of these the listing yields first, the file read is base_opc2.cnf.
    dir.put("base_opc02.cnf", kGarbage);
    dir.put("base_opc2x.cnf", kGarbage);
    dir.put("BASE_OPC2.CNF", kGarbage);
    dir.put("base_opc 2.cnf", kGarbage);
    dir.put("base_opc2.cnf", server_file("Two"));
    Environment env;
    ASSERT_TRUE(load_set(env, dir.path().c_str(), "base"));
    ASSERT_EQ(env.servers.size(), 3u);
    EXPECT_EQ(progid_at(env, 2), "Two");
    EXPECT_EQ(server_at(&env, 2)->reference_count(), 1);

    // Without the canonical file such an entry is a number whose file cannot be read.
    ProjectDir only_odd;
    only_odd.put("base_opc05.cnf", server_file("Five"));
    only_odd.put("PLANT1_OPC4.CNF", server_file("Four"));
    EXPECT_FALSE(load_set(env, only_odd.path().c_str(), "base"));
    EXPECT_TRUE(env.servers.empty());
    EXPECT_FALSE(load_set(env, nullptr, "plant1"));
    EXPECT_TRUE(env.servers.empty());
}

TEST(ConfigSetLoad, IgnoresNumbersOutOfRangeNamesWithoutDigitsAndDirectories) {
    ProjectDir dir;
    for (const char *name : {"base_opc256.cnf", "base_opc999.cnf", "base_opc-1.cnf", "base_opc.cnf", "base_opcx.cnf",
                             "base_opc4294967296.cnf"})
        dir.put(name, kGarbage);
    ASSERT_EQ(::mkdir(dir.file("base_opc3.cnf").c_str(), 0755), 0);
    Environment env;
    EXPECT_TRUE(load_set(env, dir.path().c_str(), "base"));
    EXPECT_TRUE(env.servers.empty());

    const auto before = dir.names();
    EXPECT_TRUE(save_set(env, nullptr, nullptr, true));
    EXPECT_EQ(dir.names(), before);
}

TEST(ConfigSetLoad, EmptyAndNullTextsMeanTheCurrentDirectory) {
    ProjectDir dir;
    dir.put("_opc0.cnf", server_file("Bare"));
    dir.put("base_opc1.cnf", server_file("One"));
    WorkingDirectory inside(dir.path());

    Environment env;
    ASSERT_TRUE(load_set(env, nullptr, nullptr));
    EXPECT_EQ(progid_at(env, 0), "Bare");
    ASSERT_TRUE(load_set(env, "", "base"));
    EXPECT_EQ(progid_at(env, 1), "One");
    store_server(env, 4, "Four");
    EXPECT_TRUE(save_set(env, nullptr, nullptr, false));
    EXPECT_EQ(dir.get("base_opc4.cnf"), server_file("Four"));
}

TEST(ConfigSetLoad, NullTextsKeepTheStoredOnes) {
    ProjectDir dir, other;
    dir.put("base_opc1.cnf", server_file("One"));
    dir.put("next_opc2.cnf", server_file("Two"));
    Environment env;
    ASSERT_TRUE(load_set(env, (dir.path() + "/").c_str(), "base"));
    EXPECT_EQ(progid_at(env, 1), "One");
    ASSERT_TRUE(load_set(env, nullptr, "next"));
    EXPECT_EQ(progid_at(env, 2), "Two");
    EXPECT_EQ(env.directory, dir.path() + "/");

    ASSERT_TRUE(save_set(env, other.path().c_str(), nullptr, true));
    EXPECT_EQ(other.names(), (std::set<std::string>{"next_opc2.cnf"}));
    ASSERT_TRUE(load_set(env, nullptr, nullptr));
    EXPECT_EQ(progid_at(env, 2), "Two");
}

TEST(ConfigSetSave, WritesOnlyWhatChangedUnlessAllAreAsked) {
    ProjectDir dir;
    const std::string lf_only = "%%OPC_SERVER_CONFIG\n;kept as written\nPROGID:A\n";
    dir.put("base_opc0.cnf", lf_only);
    dir.put("base_opc1.cnf", server_file("B"));
    Environment env;
    ASSERT_TRUE(load_set(env, dir.path().c_str(), "base"));
    const ino_t inode0 = dir.inode("base_opc0.cnf"), inode1 = dir.inode("base_opc1.cnf");

    ASSERT_TRUE(save_set(env, nullptr, nullptr, false));
    EXPECT_EQ(dir.get("base_opc0.cnf"), lf_only);
    EXPECT_EQ(dir.inode("base_opc0.cnf"), inode0);
    EXPECT_EQ(dir.inode("base_opc1.cnf"), inode1);

    server_at(&env, 1)->progid = "B2";
    server_at(&env, 1)->modified = true;
    ASSERT_TRUE(save_set(env, nullptr, nullptr, false));
    EXPECT_EQ(dir.inode("base_opc0.cnf"), inode0);
    EXPECT_EQ(dir.get("base_opc1.cnf"), server_file("B2"));
    EXPECT_FALSE(server_at(&env, 1)->modified);

    ASSERT_TRUE(save_set(env, nullptr, nullptr, true));
    EXPECT_EQ(dir.get("base_opc0.cnf"), server_file("A"));
    EXPECT_EQ(dir.names(), (std::set<std::string>{"base_opc0.cnf", "base_opc1.cnf"}));
}

TEST(ConfigSetSave, RemovesStaleFilesByTheirCanonicalNameAndLetterCase) {
    ProjectDir dir;
    dir.put("plant1_opc0.cnf", server_file("Zero"));
    dir.put("plant1_opc1.cnf", server_file("One"));
    dir.put("plant1_opc01.cnf", server_file("Alias"));
    dir.put("plant1_opc9.cnf", server_file("Nine"));
    Environment env;
    ASSERT_TRUE(load_set(env, dir.path().c_str(), "plant1"));
    remove_server(env, 9);
    remove_server(env, 1);
    dir.put("PLANT1_OPC5.CNF", server_file("Five"));  // appears after the load
    dir.put("Plant1_opc6.cnf", server_file("Six"));

    ASSERT_TRUE(save_set(env, nullptr, nullptr, false));
    EXPECT_EQ(dir.names(),
              (std::set<std::string>{"plant1_opc0.cnf", "plant1_opc01.cnf", "PLANT1_OPC5.CNF", "Plant1_opc6.cnf"}));
}

TEST(ConfigSetSave, EmptyTableDeletesTheWholeSet) {
    ProjectDir dir;
    for (const char *name : {"base_opc0.cnf", "base_opc17.cnf", "base_opc255.cnf", "base_opc256.cnf",
                             "other_opc1.cnf", "base_opc1.txt", "xbase_opc2.cnf"})
        dir.put(name, server_file("X"));
    Environment env;
    EXPECT_TRUE(save_set(env, dir.path().c_str(), "base", true));
    EXPECT_EQ(dir.names(), (std::set<std::string>{"base_opc256.cnf", "other_opc1.cnf", "base_opc1.txt", "xbase_opc2.cnf"}));
}

TEST(ConfigSetSave, NeverDeletesAFileThatFailedToRead) {
    ProjectDir dir;
    dir.put("base_opc0.cnf", server_file("Zero"));
    dir.put("base_opc1.cnf", kGarbage);
    dir.put("base_opc3.cnf", kGarbage);
    Environment env;
    EXPECT_FALSE(load_set(env, dir.path().c_str(), "base"));
    EXPECT_EQ(env.servers.size(), 1u);
    EXPECT_EQ(env.unreadable_numbers, (std::set<int>{1, 3}));

    EXPECT_TRUE(save_set(env, nullptr, nullptr, true));
    EXPECT_EQ(dir.get("base_opc1.cnf"), kGarbage);
    EXPECT_EQ(dir.get("base_opc3.cnf"), kGarbage);

    store_server(env, 1, "Repaired");
    EXPECT_TRUE(save_set(env, nullptr, nullptr, false));
    EXPECT_EQ(dir.get("base_opc1.cnf"), server_file("Repaired"));
    EXPECT_EQ(dir.get("base_opc3.cnf"), kGarbage);

    // Once the set loads cleanly, the number is no longer protected.
    dir.put("base_opc3.cnf", server_file("Three"));
    ASSERT_TRUE(load_set(env, nullptr, nullptr));
    remove_server(env, 3);
    EXPECT_TRUE(save_set(env, nullptr, nullptr, false));
    EXPECT_FALSE(dir.has("base_opc3.cnf"));
}

TEST(ConfigSetSave, FailedWriteKeepsModifiedAndTheRestGoesOn) {
    ProjectDir dir;
    dir.put("base_opc1.cnf", server_file("Old"));
    dir.put("base_opc5.cnf", server_file("Stale"));
    ASSERT_EQ(::mkdir(dir.file("base_opc1.cnf.tmp").c_str(), 0755), 0);
    Environment env;
    store_server(env, 0, "Zero");
    store_server(env, 1, "One");
    store_server(env, 2, "Two");
    EXPECT_FALSE(save_set(env, dir.path().c_str(), "base", false));
    EXPECT_FALSE(server_at(&env, 0)->modified);
    EXPECT_TRUE(server_at(&env, 1)->modified);
    EXPECT_FALSE(server_at(&env, 2)->modified);
    EXPECT_EQ(dir.get("base_opc1.cnf"), server_file("Old"));
    EXPECT_EQ(dir.get("base_opc2.cnf"), server_file("Two"));
    EXPECT_FALSE(dir.has("base_opc5.cnf"));
}

TEST(ConfigSetSave, SlotsAbove255AreWrittenButNeverLoadedNorDeleted) {
    ProjectDir dir;
    Environment env;
    store_server(env, 300, "High");
    ASSERT_TRUE(save_set(env, dir.path().c_str(), "base", false));
    EXPECT_EQ(dir.get("base_opc300.cnf"), server_file("High"));

    EXPECT_TRUE(load_set(env, nullptr, nullptr));
    EXPECT_TRUE(env.servers.empty());
    EXPECT_TRUE(save_set(env, nullptr, nullptr, true));
    EXPECT_TRUE(dir.has("base_opc300.cnf"));
}

TEST(ConfigSetSave, BaseNamesAreLiteral) {
    for (const std::string base : {"50%_x%d", "a*b", "a?b"}) {
        ProjectDir dir;
        dir.put(base + "_opc1.cnf", server_file("Mine"));
        dir.put("aXb_opc2.cnf", kGarbage);  // a wildcard would take this one
        dir.put("50%_x7_opc2.cnf", kGarbage);
        Environment env;
        ASSERT_TRUE(load_set(env, dir.path().c_str(), base.c_str())) << base;
        EXPECT_EQ(env.servers.size(), 2u) << base;
        EXPECT_EQ(progid_at(env, 1), "Mine") << base;

        store_server(env, 3, "Added");
        ASSERT_TRUE(save_set(env, nullptr, nullptr, false)) << base;
        EXPECT_EQ(dir.get(base + "_opc3.cnf"), server_file("Added")) << base;
        env.servers.clear();
        ASSERT_TRUE(save_set(env, nullptr, nullptr, false)) << base;
        EXPECT_EQ(dir.names(), (std::set<std::string>{"aXb_opc2.cnf", "50%_x7_opc2.cnf"})) << base;
    }
}

TEST(ConfigSetSave, FileNamesLongerThan259BytesAreRefused) {
    ProjectDir dir;
    dir.put("keep_opc0.cnf", server_file("Keep"));
    // "<base>_opc255.cnf" is the base name plus 11 bytes.
    const std::string fits(248, 'n'), too_long(249, 'n');
    Environment env;
    EXPECT_TRUE(load_set(env, dir.path().c_str(), fits.c_str()));
    EXPECT_TRUE(save_set(env, nullptr, nullptr, true));

    store_server(env, 0, "Unwritten");
    EXPECT_FALSE(save_set(env, nullptr, too_long.c_str(), true));
    EXPECT_TRUE(server_at(&env, 0)->modified);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"keep_opc0.cnf"}));
    EXPECT_FALSE(load_set(env, nullptr, nullptr));
    EXPECT_TRUE(env.servers.empty());
}
