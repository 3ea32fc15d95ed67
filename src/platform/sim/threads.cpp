#include <atomic>
#include <mutex>

#include "platform/threads.h"

namespace tagcfg::platform {

namespace {
std::mutex &creation_lock() {
    static std::mutex lock;
    return lock;
}
}  // namespace

uint32_t current_thread_id() {
    static std::atomic<uint32_t> next{1};
    thread_local const uint32_t id = next++;
    return id;
}

void create_creation_lock() {}
void delete_creation_lock() {}
void enter_creation_lock() { creation_lock().lock(); }
void leave_creation_lock() { creation_lock().unlock(); }

}  // namespace tagcfg::platform
