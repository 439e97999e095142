#pragma once
// Manual-reset events and worker threads whose loops wait on their stop event.
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>

// A manual-reset event that can also be waited on with poll() through NativeHandle().
class CManualResetEvent {
public:
    CManualResetEvent();
    ~CManualResetEvent();
    CManualResetEvent(const CManualResetEvent&) = delete;
    CManualResetEvent& operator=(const CManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event is set before the time-out (milliseconds, negative = forever).
    bool Wait(int timeoutMs) const;
    int NativeHandle() const;  // a pollable file descriptor, readable while set

private:
    int m_fd = -1;
};

// Waits until one of `events` is set: its index, or -1 after the time-out (milliseconds,
// negative = forever). Null entries are skipped.
int WaitForAny(std::initializer_list<const CManualResetEvent*> events, int timeoutMs);

// Outcome of a bounded wait for a thread's end. Abandoned (a thread that ended while
// owning a lock) cannot be detected here and is never produced; its text is kept.
enum class ThreadWaitResult { Ended, TimedOut, Failed, Abandoned };

// One worker thread with its own stop event. The body runs until it returns; a loop
// in the body waits on the stop event with its own time-out between passes.
class CWorkerThread {
public:
    using Body = std::function<void(const CManualResetEvent& stop)>;
    CWorkerThread();
    ~CWorkerThread();  // stops the thread as Stop() does
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // False while a thread runs or when no thread can be made.
    bool Start(Body body);
    bool IsRunning() const;
    // The stop event of the current run. A Start after a timed-out Stop makes a new one.
    const CManualResetEvent& StopEvent() const;
    void RequestStop();
    // Sets the stop event and waits up to `timeout` for the body to return. On a
    // time-out the thread is detached: its state is shared, so it never touches freed
    // memory, and it ends on its own once its wait returns. Ended when no thread runs;
    // Failed (and detached) when called from the thread itself.
    ThreadWaitResult Stop(std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

// The diagnostic line of a bounded thread wait. The window form is what the main window
// writes for its thread slots ("所有对象处于激发状态\n"); the device form is what device
// objects write for their own threads ("线程退出：：对象处于激发状态\n").
enum class ThreadWaitForm { Window, Device };
std::string ThreadWaitText(ThreadWaitResult result, ThreadWaitForm form = ThreadWaitForm::Window);

// Milliseconds of a monotonic clock, wrapping like a 32-bit tick count.
std::uint32_t TickCount();

// The clock of the light threads: it advances in steps of 15.625 ms, the granularity the
// effect speeds were tuned for, so a thread sleeps until the next step instead of
// waking every millisecond.
class CLightStepClock {
public:
    // Monotonic time since any fixed origin; tests inject their own.
    using TimeSource = std::function<std::chrono::nanoseconds()>;
    static constexpr std::chrono::nanoseconds kStep{15'625'000};

    explicit CLightStepClock(TimeSource source = {});
    // Whole steps since the origin of the time source.
    std::uint64_t Step() const;
    // Sleeps until the next step begins. False when `stop` was set first.
    bool WaitNextStep(const CManualResetEvent& stop) const;

private:
    TimeSource m_source;
};
