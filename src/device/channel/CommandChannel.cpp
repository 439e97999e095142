#include "device/channel/CommandChannel.h"

#include <algorithm>
#include <thread>

#include "platform/Platform.h"

namespace {

constexpr std::size_t kDiagnosticBytes = 32;
constexpr std::uint32_t kAddressSpace = 0x10000;  // the address field is 16 bits

// Counts a full exchange as under way for its whole duration.
class BusyGuard {
public:
    explicit BusyGuard(std::atomic<int>& busy) : m_busy(busy) { ++m_busy; }
    ~BusyGuard() { --m_busy; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    std::atomic<int>& m_busy;
};

Report ToReport(std::span<const std::uint8_t> request) {
    Report report{};  // a shorter request goes out zero-padded
    std::copy_n(request.begin(), std::min(request.size(), report.size()), report.begin());
    return report;
}

void WriteDiagnostic(std::string_view label, const Report& report) {
    DebugOutput(std::string(label) + " " + HexGroups(std::span(report).first(kDiagnosticBytes)) +
                "\n");
}

bool FitsAddressSpace(std::uint32_t base, std::size_t length) {
    if (base + length <= kAddressSpace) return true;
    DebugOutput("CommandChannel: transfer beyond the 16-bit address space refused\n");
    return false;
}

void DefaultSleep(std::chrono::milliseconds wait) {
    std::this_thread::sleep_for(wait);
}

}  // namespace

CCommandChannel::CCommandChannel() : m_sleep(DefaultSleep) {}

CCommandChannel::CCommandChannel(std::vector<std::shared_ptr<IHidBackend>> backends)
    : m_interface(std::move(backends)), m_sleep(DefaultSleep) {}

CCommandChannel::~CCommandChannel() {
    Close();
}

bool CCommandChannel::Open(const std::string& path) {
    const std::scoped_lock exchange(m_exchangeLock);
    m_open.store(false);
    if (!m_interface.OpenInterface(path, true, true, true, false)) return false;
    m_open.store(true);
    return true;
}

void CCommandChannel::Close() {
    // Not under the exchange lock: closing must cut short a read that holds it.
    m_open.store(false);
    m_interface.CloseInterface();
}

void CCommandChannel::SetTimeouts(const ChannelTimeouts& timeouts) {
    m_wiredTimeoutMs.store(timeouts.wiredMs);
    m_wirelessTimeoutMs.store(timeouts.wirelessMs);
    m_quickTimeoutMs.store(timeouts.quickMs);
}

void CCommandChannel::SetSleepFunction(SleepFunction sleep) {
    m_sleep = sleep ? std::move(sleep) : SleepFunction(DefaultSleep);
}

bool CCommandChannel::SetBlockSize(std::uint16_t size) {
    if (size > kMaxBlockSize) return false;
    m_blockSize.store(size);
    return true;
}

int CCommandChannel::FullTimeoutMs() const {
    return WirelessMode() ? m_wirelessTimeoutMs.load() : m_wiredTimeoutMs.load();
}

bool CCommandChannel::WriteRequest(const Report& request, int timeoutMs) {
    std::size_t written = 0;
    return m_interface.WriteReport(request.size(), request.data(), timeoutMs, written) &&
           written == request.size();
}

int CCommandChannel::ReadReply(Report& reply, int timeoutMs) {
    std::size_t read = 0;
    if (!m_interface.ReadReport(reply.size(), reply.data(), timeoutMs, read)) return kResultNoReply;
    if (read < reply.size()) {
        DebugOutput("CommandChannel: reply of " + std::to_string(read) + " bytes refused\n");
        return kResultNoReply;
    }
    return kResultOk;
}

int CCommandChannel::Exchange(std::span<const std::uint8_t> request,
                              std::span<std::uint8_t> reply) {
    const BusyGuard busy(m_busy);
    if (!IsOpen()) return kResultNoReply;
    const Report report = ToReport(request);
    WriteDiagnostic("命令", report);

    Report answer{};
    int result = kResultNoReply;
    {
        // Held from the write through the reads, so no other exchange takes our reply.
        const std::scoped_lock exchange(m_exchangeLock);
        const int timeoutMs = FullTimeoutMs();
        if (!WriteRequest(report, timeoutMs)) return kResultWriteFailed;
        result = ReadReply(answer, timeoutMs);
        // A late reply to an earlier, timed-out request may be queued first; if this one
        // does not echo our command, the answer is the next report.
        if (result == kResultOk && answer[Offset::CommandCode] != report[Offset::CommandCode]) {
            result = ReadReply(answer, timeoutMs);
            if (result == kResultOk && answer[Offset::CommandCode] != report[Offset::CommandCode]) {
                DebugOutput("CommandChannel: two replies to another command, refused\n");
                result = kResultNoReply;
            }
        }
    }
    WriteDiagnostic("返回", answer);
    if (result == kResultOk)
        std::copy_n(answer.begin(), std::min(reply.size(), answer.size()), reply.begin());
    return result;
}

int CCommandChannel::ExchangeQuick(std::span<const std::uint8_t> request,
                                   std::span<std::uint8_t> reply) {
    if (!IsOpen()) return kResultNoReply;
    const Report report = ToReport(request);
    Report answer{};
    int result = kResultNoReply;
    {
        const std::scoped_lock exchange(m_exchangeLock);
        const int timeoutMs = m_quickTimeoutMs.load();
        if (!WriteRequest(report, timeoutMs)) return kResultWriteFailed;
        result = ReadReply(answer, timeoutMs);
    }
    if (result == kResultOk)
        std::copy_n(answer.begin(), std::min(reply.size(), answer.size()), reply.begin());
    return result;
}

int CCommandChannel::RunReport(const Report& request, Report& reply, CommandLock lock) {
    int result = kResultNoReply;
    {
        std::unique_lock command(m_commandLock, std::defer_lock);
        if (lock == CommandLock::Take) command.lock();
        result = Exchange(request, reply);
    }
    if (result != kResultOk) return result;
    if (const int status = StatusResult(reply[Offset::Status]); status != kResultOk) return status;
    // A reply for another chunk (a late one, or from a confused device) must not land
    // at this chunk's place.
    if (reply[Offset::Length] != request[Offset::Length] ||
        GetLe16(reply, Offset::Address) != GetLe16(request, Offset::Address)) {
        DebugOutput("CommandChannel: reply for another length or address, refused\n");
        return kResultNoReply;
    }
    return kResultOk;
}

int CCommandChannel::ReadChunked(Command command, std::uint16_t base,
                                 std::span<std::uint8_t> bytes) {
    if (!IsOpen()) return kResultNoReply;
    if (!FitsAddressSpace(base, bytes.size())) return kResultNoReply;
    for (std::size_t offset = 0; offset < bytes.size(); offset += kChunkSize) {
        const std::size_t piece = std::min(kChunkSize, bytes.size() - offset);
        const Report request = BuildRequest(command, static_cast<std::uint8_t>(piece),
                                            static_cast<std::uint16_t>(base + offset));
        Report reply{};
        if (const int result = RunReport(request, reply, CommandLock::Take); result != kResultOk)
            return result;
        std::copy_n(reply.begin() + Offset::Data, piece, bytes.begin() + offset);
    }
    return kResultOk;
}

int CCommandChannel::WriteChunked(Command command, std::uint16_t base,
                                  std::span<const std::uint8_t> bytes, std::size_t pieceSize,
                                  CommandLock lock) {
    if (!IsOpen()) return kResultNoReply;
    if (!FitsAddressSpace(base, bytes.size())) return kResultNoReply;
    for (std::size_t offset = 0; offset < bytes.size(); offset += pieceSize) {
        const auto piece = bytes.subspan(offset, std::min(pieceSize, bytes.size() - offset));
        const Report request = BuildRequest(command, static_cast<std::uint8_t>(piece.size()),
                                            static_cast<std::uint16_t>(base + offset), piece);
        Report reply{};
        if (const int result = RunReport(request, reply, lock); result != kResultOk) return result;
    }
    return kResultOk;
}

int CCommandChannel::BeginTransfer() {
    if (!IsOpen()) return kResultNoReply;
    Report reply{};
    return RunReport(BuildRequest(Command::BeginTransfer, 0, 0), reply, CommandLock::Take);
}

int CCommandChannel::EndTransfer() {
    if (!IsOpen()) return kResultNoReply;
    // The device needs a moment after the last write before it closes the transfer.
    m_sleep(kEndTransferWait);
    Report reply{};
    return RunReport(BuildRequest(Command::EndTransfer, 0, 0), reply, CommandLock::Take);
}

int CCommandChannel::ReadDeviceInfo(DeviceInfoBlock& info) {
    return ReadChunked(Command::ReadDeviceInfo, 0, info);
}

int CCommandChannel::ReadMemory(std::uint16_t address, std::span<std::uint8_t> bytes) {
    return ReadChunked(Command::ReadMemory, address, bytes);
}

int CCommandChannel::WriteMemory(std::uint16_t address, std::span<const std::uint8_t> bytes) {
    return WriteChunked(Command::WriteMemory, address, bytes);
}

int CCommandChannel::ReadKeyBlock(std::span<std::uint8_t> block) {
    const std::size_t size = BlockSize();
    if (block.size() < size) return kResultNoReply;
    return ReadChunked(Command::ReadKeyBlock, 0, block.first(size));
}

int CCommandChannel::WriteKeyBlock(std::span<const std::uint8_t> block, int page) {
    if (page != 0) return kResultInvalidPage;
    const std::size_t size = BlockSize();
    if (block.size() < size) return kResultNoReply;
    return WriteChunked(Command::WriteKeyBlock, 0, block.first(size));
}

int CCommandChannel::StreamLightFrame(std::span<const std::uint8_t> frame) {
    if (!IsOpen()) return kResultNoReply;
    if (WirelessMode()) return kResultOk;  // the wireless link has no room for frames
    if (!FitsAddressSpace(0, frame.size())) return kResultNoReply;
    for (std::size_t offset = 0; offset < frame.size(); offset += kChunkSize) {
        const auto piece = frame.subspan(offset, std::min(kChunkSize, frame.size() - offset));
        const std::scoped_lock light(m_lightLock);
        // A frame never waits for a command: the next frame follows soon anyway.
        std::unique_lock exchange(m_exchangeLock, std::defer_lock);
        if (IsBusy() || !exchange.try_lock()) {
            DebugOutput("放弃灯光数据\n");
            continue;
        }
        const Report request =
            BuildRequest(Command::StreamLightFrame, static_cast<std::uint8_t>(piece.size()),
                         static_cast<std::uint16_t>(offset), piece);
        Report reply{};
        if (const int result = ExchangeQuick(request, reply); result != kResultOk) return result;
        if (const int status = StatusResult(reply[Offset::Status]); status != kResultOk)
            return status;
    }
    return kResultOk;
}

int CCommandChannel::WriteMacroData(std::span<const std::uint8_t> image) {
    return WriteChunked(Command::WriteMacroData, 0, image);
}

int CCommandChannel::WriteShootData(std::span<const std::uint8_t> image) {
    constexpr std::size_t kShootPieceSize = 56;  // fixed by the device, whatever kChunkSize is
    return WriteChunked(Command::WriteShootData, 0, image, kShootPieceSize, CommandLock::Skip);
}

int CCommandChannel::ReadShort(std::uint8_t length, std::uint16_t address,
                               std::span<std::uint8_t> bytes) {
    if (!IsOpen() || length > kChunkSize || bytes.size() < length) return kResultNoReply;
    Report reply{};
    const int result =
        RunReport(BuildRequest(Command::ReadShort, length, address), reply, CommandLock::Take);
    if (result == kResultOk) std::copy_n(reply.begin() + Offset::Data, length, bytes.begin());
    return result;
}

int CCommandChannel::ReadPerKeyBytes(std::span<std::uint8_t> bytes) {
    const std::size_t size = BlockSize() / kKeySlotBytes;
    if (bytes.size() < size) return kResultNoReply;
    return ReadChunked(Command::ReadPerKeyBytes, 0, bytes.first(size));
}

bool CCommandChannel::QueryLink() {
    if (!IsOpen()) return false;
    Report reply{};
    return RunReport(BuildRequest(Command::QueryLink, 0, 0), reply, CommandLock::Take) ==
               kResultOk &&
           reply[Offset::Data] == kLinkUp;
}
