#include "dialogs/creation_list.h"

#include "platform/threads.h"

namespace tagcfg {

namespace {

struct CreationRecord {
    DialogObject *dialog;
    uint32_t thread_id;
    CreationRecord *next;
};

CreationRecord *g_head = nullptr;

class CreationLock {
public:
    CreationLock() { platform::enter_creation_lock(); }
    ~CreationLock() { platform::leave_creation_lock(); }
};

// Unlinks and frees the first record that satisfies the test; returns its dialog or null.
template <typename Test>
DialogObject *unlink_first(Test test) {
    for (CreationRecord **link = &g_head; *link; link = &(*link)->next) {
        CreationRecord *record = *link;
        if (!test(*record)) continue;
        *link = record->next;
        DialogObject *dialog = record->dialog;
        delete record;
        return dialog;
    }
    return nullptr;
}

}  // namespace

void push_creation(DialogObject *dialog) {
    auto *record = new CreationRecord{dialog, platform::current_thread_id(), nullptr};
    CreationLock lock;
    record->next = g_head;
    g_head = record;
}

DialogObject *take_creation() {
    const uint32_t thread = platform::current_thread_id();
    CreationLock lock;
    return unlink_first([&](const CreationRecord &r) { return r.thread_id == thread; });
}

void forget_creation(DialogObject *dialog) {
    CreationLock lock;
    unlink_first([&](const CreationRecord &r) { return r.dialog == dialog; });
}

}  // namespace tagcfg
