#pragma once
// The part every connection shares: it waits with poll() on its descriptor and on the
// abort event, keeps only this collection's input reports and hands them over within
// the call, so nothing lands in a caller's buffer after the call has returned.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/hid/HidBackend.h"
#include "device/hid/UniqueFd.h"

class CManualResetEvent;

// A time-out turned into a point in time, so loops that skip reports keep the limit.
class CDeadline {
public:
    explicit CDeadline(int timeoutMs);
    int RemainingMs() const;  // negative: no limit

private:
    std::optional<std::chrono::steady_clock::time_point> m_end;
};

enum class WaitOutcome { Ready, TimedOut, Aborted, Failed };
// Waits until `fd` is ready for `events`, `abort` (may be null) is set, or the deadline.
WaitOutcome WaitForDescriptor(int fd, short events, const CManualResetEvent* abort,
                              const CDeadline& deadline);

class CPolledHidConnection : public IHidConnection {
public:
    CPolledHidConnection(CUniqueFd fd, HidAttributes attributes, HidCollectionCaps caps);
    const HidAttributes& Attributes() const override { return m_attributes; }
    const HidCollectionCaps& Collection() const override { return m_caps; }
    std::size_t Read(std::span<std::uint8_t> buffer, int timeoutMs,
                     const CManualResetEvent& abort) override;
    bool Write(std::span<const std::uint8_t> report, int timeoutMs,
               const CManualResetEvent& abort) override;

protected:
    enum class Transfer { Done, Skipped, Again, Gone };
    // Takes one waiting message without blocking; a report arrives with its id first.
    virtual Transfer ReceiveOne(std::vector<std::uint8_t>& report) = 0;
    // Sends one report (id first) without blocking.
    virtual Transfer SendOne(std::span<const std::uint8_t> report) = 0;
    int Fd() const { return m_fd.Get(); }

private:
    bool BelongsHere(std::span<const std::uint8_t> report) const;
    std::size_t Store(std::span<const std::uint8_t> report, std::span<std::uint8_t> buffer) const;

    CUniqueFd m_fd;
    HidAttributes m_attributes;
    HidCollectionCaps m_caps;
};
