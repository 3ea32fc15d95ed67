// The real file system, except that listing, deleting, writing and replacing fail where a test
// says: a real one does not fail them on demand, least of all for root. And another program's
// hold on a project's lock.
#pragma once

#include <algorithm>
#include <filesystem>
#include <future>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_lock.h"
#include "platform/files.h"

namespace tagcfg::test {

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
    bool stage(const std::string &path, const std::string &bytes, platform::StagedFile &staged) const override {
        return unwritable.count(std::filesystem::path(path).filename()) == 0 && FileSystem::stage(path, bytes, staged);
    }
    bool commit(const platform::StagedFile &staged) const override {
        return failing_commits.count(++commits) == 0 && FileSystem::commit(staged);
    }

    int listed_before_failing = -1;  // -1: the listing works
    std::set<std::string> undeletable, unwritable;
    std::set<int> failing_commits;  // counting every commit from 1
    mutable int commits = 0;
};

// A file's lock held by another thread for as long as this lives, as another program would hold it.
class LockHeldElsewhere {
public:
    explicit LockHeldElsewhere(const std::string &path)
        : holder_([this, path] {
              platform::FileLock lock;
              lock.acquire(path, 0);
              taken_.set_value();
              done_.get_future().wait();
          }) {
        taken_.get_future().wait();
    }
    ~LockHeldElsewhere() {
        done_.set_value();
        holder_.join();
    }
    LockHeldElsewhere(const LockHeldElsewhere &) = delete;
    LockHeldElsewhere &operator=(const LockHeldElsewhere &) = delete;

private:
    std::promise<void> taken_, done_;  // before the thread, which uses them
    std::thread holder_;
};

}  // namespace tagcfg::test
