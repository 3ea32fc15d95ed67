// Loading and saving a project's set of server files. Directories are written and read in one
// notation, entry by entry: "name=P" a server file with ProgID P as a save writes it, "name=P~"
// one in another form (LF line ends, a comment), "name=?" bytes that are no server file, "name/"
// a folder. A load's outcome lists the table: each slot's ProgID, "*" when modified, "-" empty.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/file_lock.h"
#include "platform/files.h"
#include "storage/config_set.h"
#include "failing_files.h"
#include "temp_dir.h"

using namespace tagcfg;

namespace {

class ConfigSetTest : public ::testing::Test {
protected:
    std::string load(const char *directory, const char *base = nullptr) {
        const std::string result = load_set(env, directory, base, files) ? "ok" : "failed";
        return result + table();
    }
    std::string table() const {
        std::string out;
        for (const auto &slot : env.servers) {
            out += " " + (slot ? slot->progid + (slot->modified ? "*" : "") : "-");
            EXPECT_EQ(slot ? slot->reference_count() : 1, 1);  // held by its slot alone
        }
        return out;
    }
    // The result, then the entries of the project directory.
    std::string save(bool write_all, const char *directory = nullptr, const char *base = nullptr) {
        const std::string result = save_set(env, directory, base, write_all, files) ? "ok" : "failed";
        return result + entries();
    }
    // The same for a whole save: "failed", the server, "replacing" and what holds what when it fails.
    std::string save_whole() {
        WholeSaveFailure failure;
        if (save_set_whole(env, false, failure, files)) return "ok" + entries();
        std::string out = "failed " + std::to_string(failure.server) + (failure.replacing ? " replacing" : "");
        for (int server : failure.holding_new) out += " new:" + std::to_string(server);
        for (int server : failure.holding_old) out += " old:" + std::to_string(server);
        return out + entries();
    }
    std::string entries() const {
        std::string out;
        for (const auto &[name, bytes] : test::snapshot(env.directory.empty() ? "." : env.directory)) {
            RecordRef<ServerConfig> c(new ServerConfig);
            if (name.size() > 9 && name.compare(name.size() - 9, 9, "_opc.lock") == 0) continue;  // the saves' lock
            if (bytes == "<dir>") out += " " + name + "/";
            else if (bytes == "<other>") out += " " + name + "=<other>";
            else if (!parse_server_config(*c, bytes.data(), bytes.size())) out += " " + name + "=?";
            else out += " " + name + "=" + c->progid + (format_server_config(*c) == bytes ? "" : "~");
        }
        return out;
    }
    static std::string file(const std::string &progid) {
        if (progid == "?") return "not a server file\n";
        if (!progid.empty() && progid.back() == '~')
            return "%%OPC_SERVER_CONFIG\n;by hand\nPROGID:" + progid.substr(0, progid.size() - 1);
        return "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:" + progid + "\r\n\r\n";
    }
    void put(const std::string &entries, const test::TempDir &where) {
        std::istringstream in(entries);
        for (std::string entry; in >> entry;) {
            const size_t is = entry.find('=');
            if (is == std::string::npos)
                std::filesystem::create_directory(where.file(entry.substr(0, entry.size() - 1)));
            else where.put(entry.substr(0, is), file(entry.substr(is + 1)));
        }
    }
    void put(const std::string &entries) { put(entries, dir); }
    // A new server in a slot, modified, as the server list dialog makes one or an edit leaves one.
    void store(size_t number, const std::string &progid) {
        env.servers.resize(std::max(env.servers.size(), number + 1));
        env.servers[number] = RecordRef<ServerConfig>(new ServerConfig);
        env.servers[number]->progid = progid;
        env.servers[number]->modified = true;
    }

    test::TempDir dir;
    const char *project = dir.path().c_str();
    Environment env;
    test::FailingFiles files;
};

}  // namespace

// A directory that ends in either separator gets no other; an empty name adds nothing.
TEST(ConfigSetNames, JoinPath) {
    EXPECT_EQ(join_path("dir\\", "f.cnf"), "dir\\f.cnf");
    EXPECT_EQ(join_path("dir", ""), "dir");
}

// A load takes the numbers 0 to 255 of the set's own names; the table reaches the highest, and a
// save of an empty table deletes those files and no other.
TEST_F(ConfigSetTest, LoadTakesTheSetsNumbers0To255) {
    const std::string others =
        "base_opc-1.cnf=? base_opc.cnf=? base_opc1.txt=? base_opc256.cnf=? base_opc4294967296.cnf=? base_opc5.cnf/ "
        "base_opcx.cnf=? other_opc1.cnf=? xbase_opc2.cnf=?";
    put("base_opc3.cnf=Three base_opc7.cnf=Seven " + others);
    store(20, "Before");
    EXPECT_EQ(load(project, "base"), "ok - - - Three - - - Seven");
    env.servers.clear();
    EXPECT_EQ(save(true), "ok " + others);
    store(1, "Old");
    EXPECT_EQ(load(dir.file("missing").c_str()), "ok");
}

// An entry that spells a number otherwise stands for the number's canonical file; without that
// file the number fails to load, and its slot is there, empty.
TEST_F(ConfigSetTest, EntriesSpellingANumberOtherwiseReadTheCanonicalFile) {
    put("base_opc02.cnf=? base_opc2x.cnf=? BASE_OPC2.CNF=? base_opc2.cnf=Two");
    dir.put("base_opc \t+2.cnf", file("?"));
    EXPECT_EQ(load(project, "base"), "ok - - Two");
    test::TempDir odd;
    put("PLANT1_OPC4.CNF=Four", odd);
    EXPECT_EQ(load(odd.path().c_str(), "plant1"), "failed - - - - -");
}

TEST_F(ConfigSetTest, NullTextsKeepTheStoredOnesAndAnEmptyDirectoryIsTheCurrentOne) {
    put("_opc0.cnf=Bare base_opc1.cnf=One next_opc2.cnf=Two");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(project);
    EXPECT_EQ(load(nullptr), "ok Bare");
    EXPECT_EQ(load("", "base"), "ok - One");
    store(4, "Four");
    EXPECT_EQ(save(false), "ok _opc0.cnf=Bare base_opc1.cnf=One base_opc4.cnf=Four next_opc2.cnf=Two");
    std::filesystem::current_path(previous);
    EXPECT_EQ(load((dir.path() + "/").c_str()), "ok - One - - Four");
    EXPECT_EQ(load(nullptr, "next"), "ok - - Two");
    test::TempDir other;
    EXPECT_EQ(save(true, other.path().c_str()), "ok next_opc2.cnf=Two");
    EXPECT_EQ(load(nullptr), "ok - - Two");
}

TEST_F(ConfigSetTest, SaveWritesWhatChangedOrAllAndGoesOnAfterAFailedWrite) {
    put("base_opc0.cnf=A~ base_opc2.cnf=B base_opc5.cnf=Five base_opc3.cnf.77.1.tmp=Left");  // a killed save's
    EXPECT_EQ(load(project, "base"), "ok A - B - - Five");
    remove_server(env, 5);
    store(1, "New");
    store(2, "B2");
    store(3, "Three");
    files.unwritable = {"base_opc1.cnf"};
    files.failing_commits = {2};  // server 3's
    EXPECT_EQ(save(false), "failed base_opc0.cnf=A~ base_opc2.cnf=B2 base_opc3.cnf.77.1.tmp=Left");
    EXPECT_EQ(table(), " A New* B2 Three*");
    files.unwritable.clear();
    EXPECT_EQ(save(true),
              "ok base_opc0.cnf=A base_opc1.cnf=New base_opc2.cnf=B2 base_opc3.cnf=Three "
              "base_opc3.cnf.77.1.tmp=Left");
}

// Stale files go by their canonical name, letter case included, but never one that failed to
// read; the next load protects only what it failed to read.
TEST_F(ConfigSetTest, SaveRemovesStaleFilesButNeverOneThatFailedToRead) {
    put("base_opc0.cnf=Zero base_opc1.cnf=? base_opc9.cnf=Nine base_opc09.cnf=Alias");
    EXPECT_EQ(load(project, "base"), "failed Zero - - - - - - - - Nine");
    remove_server(env, 9);
    put("BASE_OPC5.CNF=Five Base_opc6.cnf=Six");  // after the load
    const std::string left = "BASE_OPC5.CNF=Five Base_opc6.cnf=Six base_opc0.cnf=Zero base_opc09.cnf=Alias";
    EXPECT_EQ(save(true), "ok " + left + " base_opc1.cnf=?");
    EXPECT_EQ(load(nullptr), "failed Zero - - - - - - - - -");
    remove_server(env, 0);
    EXPECT_EQ(save(false), "ok BASE_OPC5.CNF=Five Base_opc6.cnf=Six base_opc09.cnf=Alias base_opc1.cnf=?");
}

// A reload starts over: a file that failed at the last load and reads now is an ordinary file
// of its server, deleted when that server goes.
TEST_F(ConfigSetTest, AReloadForgetsWhatTheLastLoadCouldNotRead) {
    put("base_opc0.cnf=Zero base_opc1.cnf=?");
    EXPECT_EQ(load(project, "base"), "failed Zero -");
    put("base_opc1.cnf=One");
    EXPECT_EQ(load(nullptr), "ok Zero One");
    remove_server(env, 1);
    EXPECT_EQ(save(false), "ok base_opc0.cnf=Zero");
}

// What failed to read is protected by its path: the same number in another directory or under
// another base name is an ordinary stale file.
TEST_F(ConfigSetTest, OnlyTheFilesThatFailedAreProtected) {
    put("base_opc0.cnf=Zero base_opc1.cnf=? other_opc1.cnf=?");
    test::TempDir elsewhere;
    put("base_opc1.cnf=Stale", elsewhere);
    EXPECT_EQ(load(project, "base"), "failed Zero -");
    EXPECT_EQ(save(true, elsewhere.path().c_str()), "ok base_opc0.cnf=Zero");
    EXPECT_EQ(save(true, project, "other"), "ok base_opc0.cnf=Zero base_opc1.cnf=? other_opc0.cnf=Zero");
    EXPECT_EQ(save(true, nullptr, "base"), "ok base_opc0.cnf=Zero base_opc1.cnf=? other_opc0.cnf=Zero");
}

// A file that failed to read keeps its slot, empty, so nothing is appended onto it; a server put
// there is saved only after the file's bytes are kept aside, and without that copy not at all.
TEST_F(ConfigSetTest, AFileThatFailedIsKeptAsideBeforeAServerIsWrittenOverIt) {
    put("base_opc1.cnf=One base_opc4.cnf=? base_opc4.cnf.bad=Older");
    EXPECT_EQ(load(project, "base"), "failed - One - - -");
    remove_server(env, 1);
    store(4, "Four");
    EXPECT_EQ(save(false), "ok base_opc4.cnf=Four base_opc4.cnf.bad=?");
    // Written over once, the file is the server's own: saved again, the kept bytes stay; removed,
    // it goes like any other.
    EXPECT_EQ(save(true), "ok base_opc4.cnf=Four base_opc4.cnf.bad=?");
    remove_server(env, 4);
    EXPECT_EQ(save(true), "ok base_opc4.cnf.bad=?");
    EXPECT_EQ(load(nullptr), "ok");

    put("base_opc2.cnf=? base_opc2.cnf.bad/ base_opc2.cnf.bad/x=?");
    EXPECT_EQ(load(nullptr), "failed - - -");
    store(2, "Two");
    EXPECT_EQ(save(false), "failed base_opc2.cnf=? base_opc2.cnf.bad/ base_opc4.cnf.bad=?");
    EXPECT_EQ(table(), " - - Two*");
}

// Numbers above 255 are never loaded, so never written; "<base>_opc255.cnf" must fit 259 bytes.
TEST_F(ConfigSetTest, NameLimits) {
    store(256, "High");
    store(255, "Highest");
    EXPECT_EQ(save(false, project, "base"), "failed base_opc255.cnf=Highest");
    EXPECT_TRUE(server_at(&env, 256)->modified);
    EXPECT_TRUE(load_set(env, nullptr, nullptr));
    EXPECT_EQ(env.servers.size(), 256u);
    EXPECT_EQ(load(nullptr, std::string(248, 'n').c_str()), "ok");
    store(0, "Unwritten");
    EXPECT_EQ(save(true, nullptr, std::string(249, 'n').c_str()), "failed base_opc255.cnf=Highest");
    EXPECT_EQ(table(), " Unwritten*");
    EXPECT_EQ(load(nullptr), "failed");
}

TEST_F(ConfigSetTest, BaseNamesAreLiteral) {
    for (const std::string base : {"50%_x%d", "a*b", "a?b"}) {
        SCOPED_TRACE(base);
        test::TempDir project;
        put(base + "_opc1.cnf=Mine aXb_opc2.cnf=? 50%_x7_opc2.cnf=?", project);
        EXPECT_EQ(load(project.path().c_str(), base.c_str()), "ok - Mine");
        store(3, "Added");
        EXPECT_NE(save(false).find(" " + base + "_opc3.cnf=Added"), std::string::npos);
        env.servers.clear();
        EXPECT_EQ(save(false), "ok 50%_x7_opc2.cnf=? aXb_opc2.cnf=?");
    }
}

// A directory that exists but cannot be listed says nothing about its files: the load fails, and
// until a load lists the directory again no save deletes a file, a cleared table included.
TEST_F(ConfigSetTest, AFailedListingFailsTheLoadAndStopsDeletionsUntilTheNextListing) {
    put("base_opc0.cnf=Zero base_opc1.cnf=One");
    files.listed_before_failing = 0;
    EXPECT_EQ(load(project, "base"), "failed");
    files.listed_before_failing = 1;
    EXPECT_EQ(load(nullptr), "failed Zero");  // what was listed before the failure
    files.listed_before_failing = -1;
    env.servers.clear();
    store(2, "Two");
    EXPECT_EQ(save(true), "ok base_opc0.cnf=Zero base_opc1.cnf=One base_opc2.cnf=Two");
    clear_environment(env);
    EXPECT_EQ(save(true, project, "base"), "ok base_opc0.cnf=Zero base_opc1.cnf=One base_opc2.cnf=Two");
    // A file given as the directory is an empty project, listed (as a missing directory is).
    EXPECT_EQ(load(dir.file("base_opc0.cnf").c_str()), "ok");
    EXPECT_EQ(save(true, project), "ok");
    const std::string loop = dir.file("loop");  // fails to open even for root
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
    EXPECT_EQ(load(loop.c_str()), "failed");
    EXPECT_TRUE(env.listing_failed);
}

// A save whose stale files stay would bring their servers back at the next load: it fails, after
// writing everything it had to.
TEST_F(ConfigSetTest, AStaleFileThatStaysFailsTheSave) {
    put("base_opc0.cnf=Zero base_opc1.cnf=One base_opc2.cnf=Two");
    EXPECT_EQ(load(project, "base"), "ok Zero One Two");
    remove_server(env, 1);
    remove_server(env, 2);
    store(0, "Zero2");
    files.undeletable = {"base_opc1.cnf"};
    EXPECT_EQ(save(false), "failed base_opc0.cnf=Zero2 base_opc1.cnf=One");
    files.undeletable.clear();
    files.listed_before_failing = 1;
    EXPECT_EQ(save(false), "failed base_opc0.cnf=Zero2 base_opc1.cnf=One");
    files.listed_before_failing = -1;
    EXPECT_EQ(save(false), "ok base_opc0.cnf=Zero2");
    // An entry for number 4 whose canonical file is gone already; one for 3 whose canonical name
    // is a folder.
    put("base_opc04.cnf=?");
    EXPECT_EQ(save(false), "ok base_opc0.cnf=Zero2 base_opc04.cnf=?");
    put("base_opc03.cnf=? base_opc3.cnf/");
    EXPECT_EQ(save(false), "failed base_opc0.cnf=Zero2 base_opc03.cnf=? base_opc04.cnf=? base_opc3.cnf/");
}

// A whole save writes every new file before it replaces one. When a replacement fails, the files
// replaced before it get their old bytes back and a file it made goes; only when that fails too do
// files hold the new content, and the failure names them. Every server stays modified.
TEST_F(ConfigSetTest, AWholeSaveChangesEveryFileOrNone) {
    const std::string unchanged = " base_opc0.cnf=A base_opc2.cnf=C";
    const std::tuple<std::set<int>, std::string, std::string> cases[] = {
        {{}, "base_opc2.cnf", "failed 2" + unchanged},  // not even written
        {{1}, "", "failed 0 replacing" + unchanged},
        {{2}, "", "failed 1 replacing" + unchanged},  // the first put back, and commit 3
        {{3}, "", "failed 2 replacing" + unchanged},  // the first two put back: one rewritten, one removed
        {{2, 3, 4}, "", "failed 1 replacing new:0 old:1 old:2 base_opc0.cnf=A2 base_opc2.cnf=C"},
        {{}, "", "ok base_opc0.cnf=A2 base_opc1.cnf=B base_opc2.cnf=C2"},
    };
    for (const auto &[failing, unwritable, expected] : cases) {
        SCOPED_TRACE(expected);
        test::TempDir project;
        put("base_opc0.cnf=A base_opc2.cnf=C", project);
        ASSERT_EQ(load(project.path().c_str(), "base"), "ok A - C");
        store(0, "A2");
        store(1, "B");
        store(2, "C2");
        files.failing_commits = failing;
        files.unwritable = {unwritable};
        files.commits = 0;
        EXPECT_EQ(save_whole(), expected);  // and no temporary left
        EXPECT_EQ(table(), expected.rfind("ok", 0) == 0 ? " A2 B C2" : " A2* B* C2*");
    }
}

// A save takes the project's lock before it changes the first file. While another thread or
// process holds it, the save waits as long as it may, then fails with every server as it was; a
// save that changes nothing needs no lock, and the thread that holds it saves under it.
TEST_F(ConfigSetTest, ASaveTakesTheProjectsLock) {
    put("base_opc0.cnf=A");
    ASSERT_EQ(load(project, "base"), "ok A");
    const std::string lock_path = project_lock_path(project, "base");
    platform::FileLock mine;
    {
        test::LockHeldElsewhere other(lock_path);
        files.lock_wait_ms = 50;
        EXPECT_EQ(save(false), "ok base_opc0.cnf=A");
        store(0, "A2");
        EXPECT_EQ(save(false), "failed base_opc0.cnf=A");
        EXPECT_EQ(save_whole(), "failed -1 base_opc0.cnf=A");
        EXPECT_EQ(table(), " A2*");
        EXPECT_EQ(mine.acquire(lock_path, 0), platform::FileLock::Result::busy);
    }
    EXPECT_EQ(mine.acquire(lock_path, 0), platform::FileLock::Result::held);
    EXPECT_EQ(save(false), "ok base_opc0.cnf=A2");
    EXPECT_TRUE(std::filesystem::exists(lock_path));
}

// A FIFO or a device under a set file's name is not read, as that could wait or never end: it
// fails the load as a file that cannot be read does, so no save deletes it.
TEST_F(ConfigSetTest, EntriesThatAreNoRegularFilesFailUnread) {
    put("base_opc0.cnf=Zero");
    ASSERT_EQ(::mkfifo(dir.file("base_opc1.cnf").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", dir.file("base_opc2.cnf").c_str()), 0);
    EXPECT_EQ(load(project, "base"), "failed Zero - -");
    env.servers.clear();
    EXPECT_EQ(save(true), "ok base_opc1.cnf=<other> base_opc2.cnf=<other>");
}
