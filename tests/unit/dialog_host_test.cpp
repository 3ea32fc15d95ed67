#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "dialogs/server_picker_dialog.h"
#include "memory_dialog.h"
#include "platform/creation_list.h"

using namespace tagcfg;

// A window binds to the newest object registered on its own thread, not on another.
TEST(CreationList, RegistrationsAreMatchedByThread) {
    ServerPickerDialog mine, theirs;
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
    ServerPickerDialog failed, next;
    ui::push_creation(&failed);
    ui::forget_creation(&failed);  // as the host does when the window cannot be made
    EXPECT_EQ(ui::take_creation(), nullptr);
    EXPECT_EQ(ui::MemoryDialogHost().run(next, [](ui::MemoryDialog &) {}), ui::kIdCancel);
}
