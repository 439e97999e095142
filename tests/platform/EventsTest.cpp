#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "platform/Events.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

bool Readable(const CManualResetEvent& event) {
    pollfd fd{event.NativeHandle(), POLLIN, 0};
    return poll(&fd, 1, 0) == 1 && (fd.revents & POLLIN);
}

TEST(ManualResetEvent, StaysSetUntilReset) {
    CManualResetEvent event;
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(Readable(event));

    event.Set();
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0)) << "a wait must not consume the event";
    EXPECT_TRUE(Readable(event));

    event.Reset();  // one reset undoes any number of sets
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(Readable(event));
}

TEST(ManualResetEvent, WaitTimesOutOrWakesWhenSet) {
    CManualResetEvent event;
    const auto start = Clock::now();
    EXPECT_FALSE(event.Wait(20));
    EXPECT_GE(Clock::now() - start, 20ms);

    std::thread setter([&] {
        std::this_thread::sleep_for(5ms);
        event.Set();
    });
    EXPECT_TRUE(event.Wait(-1));
    setter.join();
}

TEST(WaitForAny, GivesTheIndexOfASetEvent) {
    CManualResetEvent a;
    CManualResetEvent b;
    EXPECT_EQ(WaitForAny({&a, nullptr, &b}, 0), -1);
    b.Set();
    EXPECT_EQ(WaitForAny({&a, nullptr, &b}, 0), 2);
    a.Set();
    EXPECT_EQ(WaitForAny({&a, &b}, -1), 0);
}

TEST(WorkerThread, StopWakesTheBodyAndEndsInTime) {
    CWorkerThread worker;
    std::atomic<int> passes{0};
    ASSERT_TRUE(worker.Start([&](const CManualResetEvent& stop) {
        while (!stop.Wait(10'000)) ++passes;  // wakes only through the stop event
    }));
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_FALSE(worker.Start([](const CManualResetEvent&) {}));

    const auto start = Clock::now();
    EXPECT_EQ(worker.Stop(1000ms), ThreadWaitResult::Ended);
    EXPECT_LT(Clock::now() - start, 500ms);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(passes, 0);
}

TEST(WorkerThread, RestartsWithAClearedStopEvent) {
    CWorkerThread worker;
    ASSERT_TRUE(worker.Start([](const CManualResetEvent& stop) { stop.Wait(-1); }));
    ASSERT_EQ(worker.Stop(), ThreadWaitResult::Ended);

    CManualResetEvent started;
    std::atomic<bool> sawStop{true};
    ASSERT_TRUE(worker.Start([&](const CManualResetEvent& stop) {
        sawStop = stop.IsSet();
        started.Set();
        stop.Wait(-1);
    }));
    ASSERT_TRUE(started.Wait(2000));
    EXPECT_EQ(worker.Stop(), ThreadWaitResult::Ended);
    EXPECT_FALSE(sawStop);
}

TEST(WorkerThread, BodyIgnoringStopTimesOutWithoutHarm) {
    // The body outlives the worker object; what it touches is shared with it.
    auto release = std::make_shared<CManualResetEvent>();
    auto finished = std::make_shared<CManualResetEvent>();
    {
        CWorkerThread worker;
        ASSERT_TRUE(worker.Start([release, finished](const CManualResetEvent& stop) {
            release->Wait(-1);
            stop.IsSet();  // touches the stop event after the worker object is gone
            finished->Set();
        }));
        EXPECT_EQ(worker.Stop(20ms), ThreadWaitResult::TimedOut);
        EXPECT_FALSE(worker.IsRunning());

        ASSERT_TRUE(worker.Start([](const CManualResetEvent& stop) { stop.Wait(-1); }));
        EXPECT_EQ(worker.Stop(), ThreadWaitResult::Ended);
    }
    release->Set();
    EXPECT_TRUE(finished->Wait(2000));
}

TEST(WorkerThread, ThrowingBodyEndsTheThread) {
    CWorkerThread worker;
    ASSERT_TRUE(worker.Start([](const CManualResetEvent&) { throw std::runtime_error("x"); }));
    EXPECT_EQ(worker.Stop(), ThreadWaitResult::Ended);
}

TEST(WorkerThread, StopWithoutThreadIsEnded) {
    CWorkerThread worker;
    EXPECT_EQ(worker.Stop(), ThreadWaitResult::Ended);
}

TEST(ThreadWaitText, WindowAndDeviceForms) {
    struct Case {
        ThreadWaitResult result;
        ThreadWaitForm form;
        const char* text;
    };
    const Case cases[] = {
        {ThreadWaitResult::Ended, ThreadWaitForm::Window, "所有对象处于激发状态\n"},
        {ThreadWaitResult::Abandoned, ThreadWaitForm::Window,
         "所有对象处于激发状态，但其中有未释放的Mutex 对象\n"},
        {ThreadWaitResult::TimedOut, ThreadWaitForm::Window, "所有对象处于非激发状态，超时\n"},
        {ThreadWaitResult::Failed, ThreadWaitForm::Window, "错误\n"},
        {ThreadWaitResult::Ended, ThreadWaitForm::Device, "线程退出：：对象处于激发状态\n"},
        {ThreadWaitResult::Abandoned, ThreadWaitForm::Device,
         "线程退出：：对象处于激发状态，但其中有未释放的Mutex 对象\n"},
        {ThreadWaitResult::TimedOut, ThreadWaitForm::Device,
         "线程退出：：对象处于非激发状态，超时\n"},
        {ThreadWaitResult::Failed, ThreadWaitForm::Device, "线程退出：：错误\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ThreadWaitText(c.result, c.form), c.text);
    }
}

TEST(LightStepClock, StepsEvery15625Microseconds) {
    std::chrono::nanoseconds now{};
    const CLightStepClock clock([&] { return now; });
    struct Case {
        std::chrono::nanoseconds time;
        std::uint64_t step;
    };
    for (const Case c : {Case{0ns, 0}, Case{15'624'999ns, 0}, Case{15'625'000ns, 1},
                         Case{31'250'000ns, 2}, Case{1s, 64}}) {
        now = c.time;
        EXPECT_EQ(clock.Step(), c.step) << c.time.count();
    }
}

TEST(LightStepClock, WaitsForTheNextStepOrTheStopEvent) {
    const CLightStepClock clock;
    CManualResetEvent stop;
    const std::uint64_t before = clock.Step();
    EXPECT_TRUE(clock.WaitNextStep(stop));
    EXPECT_GT(clock.Step(), before);

    stop.Set();
    const auto start = Clock::now();
    EXPECT_FALSE(clock.WaitNextStep(stop));
    EXPECT_LT(Clock::now() - start, 10ms);
}

}  // namespace
