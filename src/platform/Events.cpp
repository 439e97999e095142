#include "platform/Events.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <vector>

#include "platform/Platform.h"

namespace {

using Clock = std::chrono::steady_clock;

// poll() that survives signals without stretching the overall time-out.
int PollFor(std::vector<pollfd>& fds, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int rc = poll(fds.data(), fds.size(), timeoutMs);
        if (rc >= 0 || errno != EINTR) return rc;
        if (timeoutMs < 0) continue;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        timeoutMs = static_cast<int>(std::max<std::int64_t>(left.count(), 0));
    }
}

}  // namespace

CManualResetEvent::CManualResetEvent() : m_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (m_fd < 0) DebugOutput("CManualResetEvent: eventfd failed\n");
}

CManualResetEvent::~CManualResetEvent() {
    if (m_fd >= 0) close(m_fd);
}

void CManualResetEvent::Set() {
    const std::uint64_t one = 1;
    // EAGAIN only when the counter is full, which is set as well.
    while (m_fd >= 0 && write(m_fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void CManualResetEvent::Reset() {
    std::uint64_t count = 0;
    while (m_fd >= 0 && read(m_fd, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

bool CManualResetEvent::IsSet() const {
    return Wait(0);
}

bool CManualResetEvent::Wait(int timeoutMs) const {
    return WaitForAny({this}, timeoutMs) == 0;
}

int CManualResetEvent::NativeHandle() const {
    return m_fd;
}

int WaitForAny(std::initializer_list<const CManualResetEvent*> events, int timeoutMs) {
    std::vector<pollfd> fds;
    for (const CManualResetEvent* event : events)
        fds.push_back({event ? event->NativeHandle() : -1, POLLIN, 0});  // poll skips fd -1
    if (PollFor(fds, timeoutMs) <= 0) return -1;
    for (std::size_t n = 0; n < fds.size(); ++n)
        if (fds[n].revents & POLLIN) return static_cast<int>(n);
    return -1;
}

std::uint32_t TickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
    return static_cast<std::uint32_t>(ms);
}

std::string ThreadWaitText(ThreadWaitResult result, ThreadWaitForm form) {
    const bool device = form == ThreadWaitForm::Device;
    switch (result) {
        case ThreadWaitResult::Ended:
            return device ? "线程退出：：对象处于激发状态\n" : "所有对象处于激发状态\n";
        case ThreadWaitResult::Abandoned:
            return device ? "线程退出：：对象处于激发状态，但其中有未释放的Mutex 对象\n"
                          : "所有对象处于激发状态，但其中有未释放的Mutex 对象\n";
        case ThreadWaitResult::TimedOut:
            return device ? "线程退出：：对象处于非激发状态，超时\n"
                          : "所有对象处于非激发状态，超时\n";
        case ThreadWaitResult::Failed:
            return device ? "线程退出：：错误\n" : "错误\n";
    }
    return {};
}
