#pragma once
// Manual-reset events and worker threads whose loops wait on their stop event.
#include <chrono>
#include <functional>
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

// Outcome of a bounded wait for a thread's end.
enum class ThreadWaitResult { Ended, TimedOut, Failed };

// One worker thread with its own stop event. The body runs until it returns; a loop
// in the body waits on the stop event with its own time-out between passes.
class CWorkerThread {
public:
    using Body = std::function<void(const CManualResetEvent& stop)>;
    CWorkerThread();
    ~CWorkerThread();  // stops the thread as Stop() does
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    bool Start(Body body);
    bool IsRunning() const;
    const CManualResetEvent& StopEvent() const;
    void RequestStop();
    // Sets the stop event and waits up to `timeout` for the body to return. On a
    // time-out the thread is detached: its state is shared, so it never touches freed
    // memory, and it ends on its own once its wait returns.
    ThreadWaitResult Stop(std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

// The diagnostic lines of a bounded thread wait: `prefix` + outcome text.
std::string ThreadWaitText(ThreadWaitResult result, const std::string& prefix = "");

// Milliseconds of a monotonic clock, wrapping like a 32-bit tick count.
std::uint32_t TickCount();
