#include "device/hid/PolledHidConnection.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

#include "platform/Events.h"

CDeadline::CDeadline(int timeoutMs) {
    if (timeoutMs >= 0)
        m_end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
}

int CDeadline::RemainingMs() const {
    if (!m_end) return -1;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*m_end - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

WaitOutcome WaitForDescriptor(int fd, short events, const CManualResetEvent* abort,
                              const CDeadline& deadline) {
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {abort ? abort->NativeHandle() : -1, POLLIN, 0}};
        const int rc = poll(fds, 2, deadline.RemainingMs());
        if (rc < 0 && errno == EINTR) continue;
        if (rc < 0) return WaitOutcome::Failed;
        if (fds[1].revents & POLLIN) return WaitOutcome::Aborted;
        if (rc == 0) return WaitOutcome::TimedOut;
        if (fds[0].revents & (POLLERR | POLLNVAL)) return WaitOutcome::Failed;
        return WaitOutcome::Ready;  // readiness or a hang-up, which the transfer reports
    }
}

CPolledHidConnection::CPolledHidConnection(CUniqueFd fd, HidAttributes attributes,
                                           HidCollectionCaps caps)
    : m_fd(std::move(fd)), m_attributes(attributes), m_caps(std::move(caps)) {}

std::size_t CPolledHidConnection::Read(std::span<std::uint8_t> buffer, int timeoutMs,
                                       const CManualResetEvent& abort) {
    if (buffer.empty()) return 0;
    const CDeadline deadline(timeoutMs);
    std::vector<std::uint8_t> report;
    for (;;) {
        if (WaitForDescriptor(Fd(), POLLIN, &abort, deadline) != WaitOutcome::Ready) return 0;
        switch (ReceiveOne(report)) {
            case Transfer::Done:
                if (BelongsHere(report)) return Store(report, buffer);
                break;
            case Transfer::Skipped:
            case Transfer::Again:
                break;
            case Transfer::Gone:
                return 0;
        }
    }
}

bool CPolledHidConnection::Write(std::span<const std::uint8_t> report, int timeoutMs,
                                 const CManualResetEvent& abort) {
    if (report.empty()) return false;
    const CDeadline deadline(timeoutMs);
    for (;;) {
        if (WaitForDescriptor(Fd(), POLLOUT, &abort, deadline) != WaitOutcome::Ready) return false;
        switch (SendOne(report)) {
            case Transfer::Done:
                return true;
            case Transfer::Again:
                break;
            case Transfer::Skipped:
            case Transfer::Gone:
                return false;
        }
    }
}

// hidraw hands every open descriptor the reports of all collections of the interface.
bool CPolledHidConnection::BelongsHere(std::span<const std::uint8_t> report) const {
    return !report.empty() &&
           std::ranges::find(m_caps.inputReportIds, report[0]) != m_caps.inputReportIds.end();
}

// Copies the report and zero-pads it to the collection's input length (within `buffer`).
std::size_t CPolledHidConnection::Store(std::span<const std::uint8_t> report,
                                        std::span<std::uint8_t> buffer) const {
    const std::size_t copied = std::min(report.size(), buffer.size());
    std::copy_n(report.begin(), copied, buffer.begin());
    std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(copied), buffer.end(), 0);
    return std::min(buffer.size(), std::max<std::size_t>(copied, m_caps.inputReportLength));
}
