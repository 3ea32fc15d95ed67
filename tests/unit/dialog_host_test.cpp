#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "memory_dialog.h"
#include "platform/creation_list.h"

using namespace tagcfg;
using ::testing::ElementsAre;

namespace {

// A dialog that records what reached its handlers.
class Recorder : public DialogObject {
public:
    bool dispatch(ui::DialogWindow &window, const ui::Event &event) override {
        using ui::EventKind;
        static const EventRow<Recorder> table[] = {
            {EventKind::command, 5, &Recorder::on_five},
            {EventKind::command, 5, &Recorder::on_five_again},  // never reached: the first row wins
            {EventKind::double_clicked, 9, &Recorder::on_double_click},
            {EventKind::command, ui::kIdCancel, &Recorder::on_cancel},
        };
        return dispatch_table(table, *this, window, event);
    }
    int template_id() const override { return 0; }

    std::vector<std::string> seen;

private:
    void on_five(ui::DialogWindow &, const ui::Event &) { seen.push_back("five"); }
    void on_five_again(ui::DialogWindow &, const ui::Event &) { seen.push_back("again"); }
    void on_double_click(ui::DialogWindow &, const ui::Event &) { seen.push_back("double"); }
    void on_cancel(ui::DialogWindow &window, const ui::Event &) { window.end(ui::kIdCancel); }
};

int run_until_cancel(Recorder &dialog) {
    return ui::MemoryDialogHost().run(dialog, [](ui::MemoryDialog &d) { d.click(ui::kIdCancel); });
}

}  // namespace

TEST(DialogDispatch, TheFirstRowWithTheEventsKindAndControlWins) {
    using ui::EventKind;
    Recorder dialog;
    ui::MemoryDialog window(dialog);
    EXPECT_TRUE(dialog.dispatch(window, {EventKind::command, 5}));
    EXPECT_FALSE(dialog.dispatch(window, {EventKind::node_expanding, 9}));
    EXPECT_TRUE(dialog.dispatch(window, {EventKind::double_clicked, 9}));
    EXPECT_FALSE(dialog.dispatch(window, {EventKind::double_clicked, 5}));
    EXPECT_FALSE(dialog.dispatch(window, {EventKind::command, 6}));
    EXPECT_FALSE(dialog.dispatch(window, ui::Event{}));
    EXPECT_THAT(dialog.seen, ElementsAre("five", "double"));
}

TEST(CreationList, RegistrationsAreMatchedByThread) {
    Recorder mine, theirs;
    std::promise<void> registered, newer_pushed;
    ui::EventTarget *taken_there = nullptr;
    std::thread other([&] {
        ui::push_creation(&theirs);
        registered.set_value();
        newer_pushed.get_future().wait();
        taken_there = ui::take_creation();  // the newest record belongs to the other thread
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
    Recorder failed, next;
    EXPECT_EQ(ui::MemoryDialogHost().run_failing(failed), -1);
    EXPECT_EQ(ui::take_creation(), nullptr);
    EXPECT_EQ(run_until_cancel(next), ui::kIdCancel);
}

TEST(CreationList, DialogsOnTwoThreadsRunAtOnce) {
    constexpr int kRounds = 200;
    auto run_many = [] {
        int ended = 0;
        for (int i = 0; i < kRounds; ++i) {
            Recorder dialog;
            ended += run_until_cancel(dialog) == ui::kIdCancel;
        }
        return ended;
    };
    std::future<int> first = std::async(std::launch::async, run_many),
                     second = std::async(std::launch::async, run_many);
    EXPECT_EQ(first.get(), kRounds);
    EXPECT_EQ(second.get(), kRounds);
}
