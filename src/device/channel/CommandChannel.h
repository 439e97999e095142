#pragma once
// CCommandChannel: the request/reply channel over one HID interface. Each request is
// one 64-byte report answered by one report; long transfers go in chunks of 56 bytes.
// Three locks keep the reports of different callers apart: the exchange lock pairs a
// report with its reply, the command lock keeps the chunks of one command together,
// the light lock orders light frames among themselves.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "device/channel/ProtocolTable.h"
#include "device/hid/HidInterface.h"

struct ChannelTimeouts {
    int wiredMs = 1000;
    int wirelessMs = 5000;  // full exchanges in wireless mode
    int quickMs = 1000;     // light frames
};

class CCommandChannel {
public:
    // How the channel waits before EndTransfer; tests inject their own.
    using SleepFunction = std::function<void(std::chrono::milliseconds)>;
    static constexpr std::chrono::milliseconds kEndTransferWait{10};

    CCommandChannel();  // the standard HID backends
    explicit CCommandChannel(std::vector<std::shared_ptr<IHidBackend>> backends);
    ~CCommandChannel();  // closes
    CCommandChannel(const CCommandChannel&) = delete;
    CCommandChannel& operator=(const CCommandChannel&) = delete;

    // Opens `path` for reading and writing and marks the channel open; a channel that
    // was open is closed first. Why an open failed: Interface().LastOpenError().
    bool Open(const std::string& path);
    // Marks the channel closed, then closes the interface; a read or write under way in
    // another thread returns at once. Safe from any thread.
    void Close();
    bool IsOpen() const { return m_open.load(); }
    bool IsBusy() const { return m_busy.load() > 0; }
    // Long time-outs and no light frames: a mouse on its wireless receiver.
    void SetWirelessMode(bool wireless) { m_wireless.store(wireless); }
    bool WirelessMode() const { return m_wireless.load(); }
    void SetTimeouts(const ChannelTimeouts& timeouts);
    // Set before the channel is shared between threads.
    void SetSleepFunction(SleepFunction sleep);
    HidInterface& Interface() { return m_interface; }

    // The key table length of ReadKeyBlock, WriteKeyBlock and ReadPerKeyBytes. Refuses
    // (false, size unchanged) a size above 512.
    bool SetBlockSize(std::uint16_t size);
    std::uint16_t BlockSize() const { return m_blockSize.load(); }

    // ---- Exchange primitives: results as in ProtocolTable.h ----
    // One request (zero-padded or cut to a report) and its reply. A reply that does not
    // echo the command code is skipped once; a second one is refused (kResultNoReply),
    // and nothing is copied into `reply` unless the result is kResultOk.
    int Exchange(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply);
    // One write and one read with the light time-out; no busy flag, diagnostics or
    // reply matching.
    int ExchangeQuick(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply);

    // ---- Commands ----
    int BeginTransfer();
    int EndTransfer();  // sent after kEndTransferWait
    int ReadDeviceInfo(DeviceInfoBlock& info);
    int ReadMemory(std::uint16_t address, std::span<std::uint8_t> bytes);
    int WriteMemory(std::uint16_t address, std::span<const std::uint8_t> bytes);
    // `block` holds at least BlockSize() bytes, else the result is kResultNoReply and
    // nothing is sent.
    int ReadKeyBlock(std::span<std::uint8_t> block);
    // Only page 0 exists: another page gives kResultInvalidPage and sends nothing.
    int WriteKeyBlock(std::span<const std::uint8_t> block, int page);
    // Best effort: a chunk is dropped, and counts as sent, while a command is under way.
    // Nothing is sent in wireless mode.
    int StreamLightFrame(std::span<const std::uint8_t> frame);
    int WriteMacroData(std::span<const std::uint8_t> image);
    // Pieces of exactly 56 bytes, without the command lock: callers must not overlap
    // it with other commands.
    int WriteShootData(std::span<const std::uint8_t> image);
    // One report; `length` is at most 56 and `bytes` holds it.
    int ReadShort(std::uint8_t length, std::uint16_t address, std::span<std::uint8_t> bytes);
    // BlockSize() / 3 bytes.
    int ReadPerKeyBytes(std::span<std::uint8_t> bytes);
    // True when the wireless link is up.
    bool QueryLink();

private:
    enum class CommandLock { Take, Skip };
    int FullTimeoutMs() const;
    bool WriteRequest(const Report& request, int timeoutMs);
    int ReadReply(Report& reply, int timeoutMs);
    // One report of a command: exchange, status, then the echo of length and address.
    int RunReport(const Report& request, Report& reply, CommandLock lock);
    int ReadChunked(Command command, std::uint16_t base, std::span<std::uint8_t> bytes);
    int WriteChunked(Command command, std::uint16_t base, std::span<const std::uint8_t> bytes,
                     std::size_t pieceSize = kChunkSize, CommandLock lock = CommandLock::Take);

    HidInterface m_interface;
    std::recursive_mutex m_exchangeLock;
    std::recursive_mutex m_commandLock;
    std::recursive_mutex m_lightLock;
    std::atomic<int> m_busy{0};  // full exchanges under way
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_wireless{false};
    std::atomic<std::uint16_t> m_blockSize{kMaxBlockSize};
    std::atomic<int> m_wiredTimeoutMs{ChannelTimeouts{}.wiredMs};
    std::atomic<int> m_wirelessTimeoutMs{ChannelTimeouts{}.wirelessMs};
    std::atomic<int> m_quickTimeoutMs{ChannelTimeouts{}.quickMs};
    SleepFunction m_sleep;
};
