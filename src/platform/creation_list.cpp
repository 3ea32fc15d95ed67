#include "platform/creation_list.h"

#include "platform/threads.h"

namespace tagcfg::ui {

namespace {

struct CreationRecord {
    EventTarget *target;  // not owned: the object of a dialog being run, which outlives its record
    uint32_t thread_id;
    CreationRecord *next;  // owned by the list
};

CreationRecord *g_head = nullptr;

class CreationLock {
public:
    CreationLock() { platform::enter_creation_lock(); }
    ~CreationLock() { platform::leave_creation_lock(); }
};

// Unlinks and frees the first record that satisfies the test; returns its target or null.
template <typename Test>
EventTarget *unlink_first(Test test) {
    for (CreationRecord **link = &g_head; *link; link = &(*link)->next) {
        CreationRecord *record = *link;
        if (!test(*record)) continue;
        *link = record->next;
        EventTarget *target = record->target;
        delete record;
        return target;
    }
    return nullptr;
}

}  // namespace

void push_creation(EventTarget *target) {
    auto *record = new CreationRecord{target, platform::current_thread_id(), nullptr};
    CreationLock lock;
    record->next = g_head;
    g_head = record;
}

EventTarget *take_creation() {
    const uint32_t thread = platform::current_thread_id();
    CreationLock lock;
    return unlink_first([&](const CreationRecord &r) { return r.thread_id == thread; });
}

void forget_creation(EventTarget *target) {
    CreationLock lock;
    unlink_first([&](const CreationRecord &r) { return r.target == target; });
}

}  // namespace tagcfg::ui
