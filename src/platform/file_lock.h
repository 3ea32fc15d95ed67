// An exclusive lock on a file of its own, by which programs take turns at a project. The system
// drops it when its process ends, so a program that is killed blocks no one.
#pragma once

#include <memory>
#include <string>

namespace tagcfg::platform {

class FileLock {
public:
    enum class Result { held, busy, failed };

    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Takes the lock on the file at path (made when missing, never deleted), waiting at most
    // wait_ms while another thread or process holds it: busy when that wait runs out, failed when
    // the file cannot be made or locked at all. A thread that already holds the lock on the file
    // takes it again at once, and the two release it in turn: a save inside a command that holds
    // its project's lock goes on under it instead of waiting on itself.
    Result acquire(const std::string &path, unsigned wait_ms);
    // On the thread that acquired it.
    void release();
    bool held() const { return !key_.empty(); }

private:
    std::string key_;  // the file's path_key while held
};

// The system's side, one per platform: the locked file, open, or null (busy: the wait ran out).
struct SystemLock;
struct ReleaseSystemLock {
    void operator()(SystemLock *lock) const;
};
std::unique_ptr<SystemLock, ReleaseSystemLock> lock_file(const std::string &path, unsigned wait_ms, bool &busy);

}  // namespace tagcfg::platform
