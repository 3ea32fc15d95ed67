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

// Opens the dialog and closes it at once.
int run_until_cancel(Cancellable &dialog) {
    return ui::MemoryDialogHost().run(dialog, [](ui::MemoryDialog &) {});
}

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
    EXPECT_EQ(run_until_cancel(next), ui::kIdCancel);
}

TEST(CreationList, DialogsOnTwoThreadsRunAtOnce) {
    auto run_many = [] {
        int ended = 0;
        for (int i = 0; i < 200; ++i) {
            Cancellable dialog;
            ended += run_until_cancel(dialog) == ui::kIdCancel;
        }
        return ended;
    };
    std::future<int> first = std::async(std::launch::async, run_many),
                     second = std::async(std::launch::async, run_many);
    EXPECT_EQ(first.get(), 200);
    EXPECT_EQ(second.get(), 200);
}
