#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

std::vector<ReceivedMessage> Ticks(const CRecordingTarget& target, WPARAM id) {
    std::vector<ReceivedMessage> ticks;
    for (const ReceivedMessage& m : target.Received())
        if (m.msg == Msg::Timer && m.wParam == id) ticks.push_back(m);
    return ticks;
}

TEST(WindowTimer, RepeatsUntilKilled) {
    CRecordingTarget target;
    ASSERT_TRUE(SetWindowTimer(target.Window(), 1, 10));
    ASSERT_TRUE(SetWindowTimer(target.Window(), 2, 10));
    KillWindowTimer(target.Window(), 1);
    ASSERT_TRUE(RunEventsUntil([&] { return Ticks(target, 2).size() >= 3; }));
    EXPECT_TRUE(Ticks(target, 1).empty());

    KillWindowTimer(target.Window(), 2);
    const std::size_t before = target.Count();
    RunEventsFor(40);
    EXPECT_EQ(target.Count(), before);
}

TEST(WindowTimer, ShortIntervalsAreClamped) {
    CRecordingTarget target;
    ASSERT_TRUE(SetWindowTimer(target.Window(), 5, 1));
    RunEventsFor(60);
    KillWindowTimer(target.Window(), 5);
    // About 6 at 10 ms; a 1 ms timer would tick dozens of times.
    EXPECT_LE(Ticks(target, 5).size(), 8u);
    EXPECT_GE(Ticks(target, 5).size(), 1u);
}

TEST(WindowTimer, SettingAgainRestartsTheInterval) {
    CRecordingTarget target;
    ASSERT_TRUE(SetWindowTimer(target.Window(), 3, 50));
    RunEventsFor(30);
    const auto reset = Clock::now();
    ASSERT_TRUE(SetWindowTimer(target.Window(), 3, 50));
    ASSERT_TRUE(RunEventsUntil([&] { return !Ticks(target, 3).empty(); }));
    KillWindowTimer(target.Window(), 3);
    // Not restarted, the first tick would come about 20 ms after the reset.
    EXPECT_GE(Ticks(target, 3)[0].at - reset, milliseconds(45));
}

TEST(WindowTimer, CanBeKilledFromItsOwnTick) {
    CRecordingTarget target;
    target.SetOnMessage([&](const ReceivedMessage& m) {
        if (m.msg == Msg::Timer) KillWindowTimer(target.Window(), m.wParam);
    });
    ASSERT_TRUE(SetWindowTimer(target.Window(), 4, 10));
    ASSERT_TRUE(RunEventsUntil([&] { return target.Count() == 1; }));
    RunEventsFor(40);
    EXPECT_EQ(target.Count(), 1u);
}

TEST(WindowTimer, DiesWithItsWindow) {
    auto target = std::make_unique<CRecordingTarget>();
    ASSERT_TRUE(SetWindowTimer(target->Window(), 6, 10));
    target.reset();  // a tick now would reach freed memory
    RunEventsFor(40);
}

TEST(WindowTimer, CanBeSetFromAWorker) {
    CRecordingTarget target;
    bool set = false;
    std::thread([&] { set = SetWindowTimer(target.Window(), 8, 10); }).join();
    EXPECT_TRUE(set);
    ASSERT_TRUE(RunEventsUntil([&] { return !Ticks(target, 8).empty(); }));
    std::thread([&] { KillWindowTimer(target.Window(), 8); }).join();
    RunEventsFor(15);  // runs the queued kill
    const std::size_t before = target.Count();
    RunEventsFor(40);
    EXPECT_EQ(target.Count(), before);
    EXPECT_FALSE(SetWindowTimer(kNoWindow, 8, 10));
}

}  // namespace
