#include "platform/file_lock.h"

#include <vector>

#include "platform/files.h"

namespace tagcfg::platform {

namespace {

struct HeldLock {
    std::string key;
    std::unique_ptr<SystemLock, ReleaseSystemLock> lock;
    unsigned holders;
};

// The locks this thread holds. Only the thread itself reads or changes its list, so it needs no
// lock of its own; a plain pointer, as a thread-local with a destructor would need more of the
// runtime than every build has. It is freed with its last lock.
thread_local std::vector<HeldLock> *held_here = nullptr;

}  // namespace

FileLock::Result FileLock::acquire(const std::string &path, unsigned wait_ms) {
    release();
    std::string key = path_key(path);
    if (held_here)
        for (HeldLock &held : *held_here)
            if (held.key == key) {
                ++held.holders;
                key_ = std::move(key);
                return Result::held;
            }
    bool busy = false;
    auto lock = lock_file(path, wait_ms, busy);
    if (!lock) return busy ? Result::busy : Result::failed;
    if (!held_here) held_here = new std::vector<HeldLock>;
    held_here->push_back({key, std::move(lock), 1});
    key_ = std::move(key);
    return Result::held;
}

void FileLock::release() {
    if (key_.empty() || !held_here) return;
    for (auto held = held_here->begin(); held != held_here->end(); ++held) {
        if (held->key != key_) continue;
        if (--held->holders == 0) held_here->erase(held);
        break;
    }
    if (held_here->empty()) {
        delete held_here;
        held_here = nullptr;
    }
    key_.clear();
}

}  // namespace tagcfg::platform
