#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "memory_dialog.h"
#include "platform/creation_list.h"

using namespace tagcfg;

namespace {

// A dialog that ends at Cancel.
class Cancellable : public DialogObject {
public:
    bool dispatch(ui::DialogWindow &window, const ui::Event &event) override {
        static const EventRow<Cancellable> table[] = {{ui::EventKind::command, ui::kIdCancel, &Cancellable::cancel}};
        return dispatch_table(table, *this, window, event);
    }
    int template_id() const override { return 0; }

private:
    void cancel(ui::DialogWindow &window, const ui::Event &) { window.end(ui::kIdCancel); }
};

}  // namespace

// A window binds to the newest object registered on its own thread, not on another.
TEST(CreationList, RegistrationsAreMatchedByThread) {
    Cancellable mine, theirs;
    std::promise<void> registered, newer_pushed;
    ui::EventTarget *taken_there = nullptr;
    std::thread other([&] {
        ui::push_creation(&theirs);
        registered.set_value();
        newer_pushed.get_future().wait();
        taken_there = ui::take_creation();
        EXPECT_EQ(ui::take_creation(), nullptr);
    });
    registered.get_future().wait();
    ui::push_creation(&mine);
    newer_pushed.set_value();
    other.join();
    EXPECT_EQ(taken_there, &theirs);
    EXPECT_EQ(ui::take_creation(), &mine);
    EXPECT_EQ(ui::take_creation(), nullptr);
}

TEST(CreationList, AFailedCreationLeavesNothingForTheNextDialog) {
    Cancellable failed, next;
    ui::push_creation(&failed);
    ui::forget_creation(&failed);  // as the host does when the window cannot be made
    EXPECT_EQ(ui::take_creation(), nullptr);
    EXPECT_EQ(ui::MemoryDialogHost().run(next, [](ui::MemoryDialog &) {}), ui::kIdCancel);
}
