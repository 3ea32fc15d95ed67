#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "memory_dialog.h"
#include "platform/creation_list.h"

using namespace tagcfg;

namespace {

// A dialog that records what reached its handlers.
class Recorder : public DialogObject {
public:
    bool dispatch(ui::DialogWindow &window, const ui::Event &event) override {
        using ui::EventKind;
        static const EventRow<Recorder> table[] = {
            {EventKind::init, 0, &Recorder::on_init},
            {EventKind::command, 5, &Recorder::on_five},
            {EventKind::command, 5, &Recorder::on_five_again},  // never reached: first row wins
            {EventKind::double_clicked, 9, &Recorder::on_double_click},
            {EventKind::command, ui::kIdCancel, &Recorder::on_cancel},
        };
        return dispatch_table(table, *this, window, event);
    }
    int template_id() const override { return 0; }

    std::vector<std::string> seen;

private:
    void on_init(ui::DialogWindow &, const ui::Event &) { seen.push_back("init"); }
    void on_five(ui::DialogWindow &, const ui::Event &) { seen.push_back("five"); }
    void on_five_again(ui::DialogWindow &, const ui::Event &) { seen.push_back("again"); }
    void on_double_click(ui::DialogWindow &, const ui::Event &) { seen.push_back("dblclk"); }
    void on_cancel(ui::DialogWindow &window, const ui::Event &) { window.end(ui::kIdCancel); }
};

}  // namespace

TEST(DialogDispatch, FirstRowWithTheEventsKindAndControlWins) {
    using ui::EventKind;
    Recorder dialog;
    ui::MemoryDialog window(dialog);
    EXPECT_TRUE(dialog.dispatch(window, {EventKind::command, 5}));
    EXPECT_FALSE(dialog.dispatch(window, {EventKind::node_expanding, 9}));
    EXPECT_TRUE(dialog.dispatch(window, {EventKind::double_clicked, 9}));
    EXPECT_FALSE(dialog.dispatch(window, {EventKind::double_clicked, 5}));
    EXPECT_FALSE(dialog.dispatch(window, {EventKind::command, 6}));
    EXPECT_FALSE(dialog.dispatch(window, ui::Event{}));
    EXPECT_EQ(dialog.seen, (std::vector<std::string>{"five", "dblclk"}));
}

TEST(DialogHost, RunsInitialisationThenTheUserUntilTheDialogEnds) {
    Recorder dialog;
    int result = ui::MemoryDialogHost().run(dialog, [](ui::MemoryDialog &d) {
        d.click(5);
        d.click(ui::kIdCancel);
        d.click(5);  // the dialog has ended: nothing more reaches it
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_EQ(dialog.seen, (std::vector<std::string>{"init", "five"}));
}

TEST(CreationList, NestedDialogsOnOneThreadEachBindTheirOwnObject) {
    Recorder outer, inner;
    int inner_result = 0;
    int outer_result = ui::MemoryDialogHost().run(outer, [&](ui::MemoryDialog &d) {
        inner_result = ui::MemoryDialogHost().run(inner, [](ui::MemoryDialog &n) { n.click(ui::kIdCancel); });
        d.click(ui::kIdCancel);
    });
    EXPECT_EQ(outer_result, ui::kIdCancel);
    EXPECT_EQ(inner_result, ui::kIdCancel);
    EXPECT_EQ(outer.seen.front(), "init");
    EXPECT_EQ(inner.seen.front(), "init");
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
    EXPECT_EQ(ui::MemoryDialogHost().run(next, [](ui::MemoryDialog &d) { d.click(ui::kIdCancel); }), ui::kIdCancel);
    EXPECT_TRUE(failed.seen.empty());
}

TEST(CreationList, DialogsOnTwoThreadsRunAtOnce) {
    constexpr int kRounds = 200;
    auto run_many = [] {
        int ended = 0;
        for (int i = 0; i < kRounds; ++i) {
            Recorder dialog;
            ended += ui::MemoryDialogHost().run(dialog, [](ui::MemoryDialog &d) { d.click(ui::kIdCancel); }) ==
                     ui::kIdCancel;
        }
        return ended;
    };
    int first = 0, second = 0;
    std::thread a([&] { first = run_many(); }), b([&] { second = run_many(); });
    a.join();
    b.join();
    EXPECT_EQ(first, kRounds);
    EXPECT_EQ(second, kRounds);
}
