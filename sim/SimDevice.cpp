#include "sim/SimDevice.h"

#include <algorithm>
#include <utility>

namespace {

using Bytes = std::vector<std::uint8_t>;

Report ToReport(std::span<const std::uint8_t> bytes) {
    Report report{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), report.size()), report.begin());
    return report;
}

// A reply starts as the request's header with status "success" and no data.
Report EchoHeader(const Report& request) {
    Report reply{};
    std::copy_n(request.begin(), Offset::Status, reply.begin());
    reply[Offset::Status] = kStatusOk;
    return reply;
}

bool Matches(const SimTrigger& when, std::size_t index, std::uint8_t command) {
    if (when.times == 0 || (!when.reportIndex && !when.command)) return false;
    if (when.reportIndex && *when.reportIndex != index) return false;
    return !when.command || *when.command == command;
}

// Copies `length` bytes of `area` from `address` into the reply's data; false when the
// area ends first.
bool ReadArea(std::span<const std::uint8_t> area, std::size_t address, std::size_t length,
              Report& reply) {
    if (address + length > area.size()) return false;
    std::copy_n(area.begin() + address, length, reply.begin() + Offset::Data);
    return true;
}

bool WriteArea(std::span<std::uint8_t> area, std::size_t address, std::size_t length,
               const Report& request) {
    if (address + length > area.size()) return false;
    std::copy_n(request.begin() + Offset::Data, length, area.begin() + address);
    return true;
}

// Images grow as they are written, so they read back exactly as long as written.
void WriteImage(Bytes& image, std::size_t address, std::size_t length, const Report& request) {
    if (image.size() < address + length) image.resize(address + length);
    WriteArea(image, address, length, request);
}

}  // namespace

CSimDevice::CSimDevice(SimDeviceConfig config)
    : m_memory(kMemorySize),
      m_info(config.info),
      m_keyTable(std::min<std::size_t>(config.keyTableSize, kMaxBlockSize)),
      m_perKeyBytes(m_keyTable.size() / kKeySlotBytes),
      m_shortArea(kChunkSize),
      m_linked(config.linked) {}

SimResponse CSimDevice::Receive(std::span<const std::uint8_t> bytes) {
    const std::scoped_lock lock(m_mutex);
    const std::size_t index = m_received.size();
    m_received.emplace_back(bytes.begin(), bytes.end());
    const Report request = ToReport(bytes);
    const std::optional<SimFault> fault = TakeFault(index, request[Offset::CommandCode]);
    const auto is = [&fault](SimFault::Kind kind) { return fault && fault->kind == kind; };

    SimResponse response;
    if (is(SimFault::Kind::Unplug)) {
        response.unplug = true;
        return response;
    }
    Report reply = EchoHeader(request);
    if (is(SimFault::Kind::Status))
        reply[Offset::Status] = fault->value;  // refused: the request is not carried out
    else if (!Apply(request, reply))
        reply[Offset::Status] = kStatusErrorFF;
    if (is(SimFault::Kind::ReplyByte) && fault->offset < reply.size())
        reply[fault->offset] = fault->value;
    SealReport(reply);
    if (is(SimFault::Kind::NoReply)) return response;

    if (is(SimFault::Kind::StaleReply) || is(SimFault::Kind::WrongReply)) {
        Report stale = reply;
        stale[Offset::CommandCode] = fault->value;
        SealReport(stale);
        for (int i = 0; i < fault->count; ++i)
            response.replies.emplace_back(stale.begin(), stale.end());
    }
    if (!is(SimFault::Kind::WrongReply)) response.replies.emplace_back(reply.begin(), reply.end());
    if (is(SimFault::Kind::ShortReply))
        response.replies.back().resize(std::min(fault->length, kReportSize));
    if (is(SimFault::Kind::Delay)) response.delay = fault->delay;
    return response;
}

bool CSimDevice::Apply(const Report& request, Report& reply) {
    if (request[Offset::ReportId] != kCommandReportId) return false;
    if (GetLe16(request, Offset::Checksum) != Checksum(request)) return false;
    const std::size_t length = request[Offset::Length];
    const std::size_t address = GetLe16(request, Offset::Address);
    if (length > kChunkSize) return false;
    const CommandInfo* info = FindCommand(request[Offset::CommandCode]);
    if (!info) return false;
    if (m_requestCheck && !m_requestCheck(request, m_info)) return false;
    switch (info->code) {
        case Command::BeginTransfer:
            m_inTransfer = true;
            return true;
        case Command::EndTransfer:
            m_inTransfer = false;
            ++m_transferCount;
            return true;
        case Command::ReadDeviceInfo:
            return ReadArea(m_info, address, length, reply);
        case Command::ReadMemory:
            return ReadArea(m_memory, address, length, reply);
        case Command::WriteMemory:
            return WriteArea(m_memory, address, length, request);
        case Command::ReadKeyBlock:
            return ReadArea(m_keyTable, address, length, reply);
        case Command::WriteKeyBlock:
            return WriteArea(m_keyTable, address, length, request);
        case Command::StreamLightFrame:
            m_lightChunks.push_back(
                {static_cast<std::uint16_t>(address),
                 Bytes(request.begin() + Offset::Data, request.begin() + Offset::Data + length)});
            return true;
        case Command::WriteMacroData:
            WriteImage(m_macroImage, address, length, request);
            return true;
        case Command::WriteShootData:
            WriteImage(m_shootImage, address, length, request);
            return true;
        case Command::ReadShort:
            return ReadArea(m_shortArea, address, length, reply);
        case Command::ReadPerKeyBytes:
            return ReadArea(m_perKeyBytes, address, length, reply);
        case Command::QueryLink:
            reply[Offset::Data] = m_linked ? kLinkUp : 0x00;
            return true;
    }
    return false;
}

std::optional<SimFault> CSimDevice::TakeFault(std::size_t index, std::uint8_t command) {
    for (SimFault& fault : m_faults) {
        if (!Matches(fault.when, index, command)) continue;
        if (fault.when.times > 0) --fault.when.times;
        return fault;
    }
    return std::nullopt;
}

void CSimDevice::AddFault(const SimFault& fault) {
    const std::scoped_lock lock(m_mutex);
    m_faults.push_back(fault);
}

void CSimDevice::SetRequestCheck(SimRequestCheck check) {
    const std::scoped_lock lock(m_mutex);
    m_requestCheck = std::move(check);
}

void CSimDevice::ClearFaults() {
    const std::scoped_lock lock(m_mutex);
    m_faults.clear();
}

std::vector<std::vector<std::uint8_t>> CSimDevice::ReceivedReports() const {
    const std::scoped_lock lock(m_mutex);
    return m_received;
}

std::size_t CSimDevice::ReceivedCount() const {
    const std::scoped_lock lock(m_mutex);
    return m_received.size();
}

void CSimDevice::ClearReceived() {
    const std::scoped_lock lock(m_mutex);
    m_received.clear();
}

std::vector<std::uint8_t> CSimDevice::Memory(std::uint16_t address, std::size_t length) const {
    const std::scoped_lock lock(m_mutex);
    const std::size_t end = std::min<std::size_t>(address + length, m_memory.size());
    return Bytes(m_memory.begin() + address, m_memory.begin() + end);
}

void CSimDevice::SetMemory(std::uint16_t address, std::span<const std::uint8_t> bytes) {
    const std::scoped_lock lock(m_mutex);
    const std::size_t count = std::min(bytes.size(), m_memory.size() - address);
    std::copy_n(bytes.begin(), count, m_memory.begin() + address);
}

DeviceInfoBlock CSimDevice::Info() const {
    const std::scoped_lock lock(m_mutex);
    return m_info;
}

void CSimDevice::SetInfo(const DeviceInfoBlock& info) {
    const std::scoped_lock lock(m_mutex);
    m_info = info;
}

std::vector<std::uint8_t> CSimDevice::KeyTable() const {
    const std::scoped_lock lock(m_mutex);
    return m_keyTable;
}

void CSimDevice::SetKeyTable(std::span<const std::uint8_t> bytes) {
    const std::scoped_lock lock(m_mutex);
    std::copy_n(bytes.begin(), std::min(bytes.size(), m_keyTable.size()), m_keyTable.begin());
}

std::vector<std::uint8_t> CSimDevice::PerKeyBytes() const {
    const std::scoped_lock lock(m_mutex);
    return m_perKeyBytes;
}

void CSimDevice::SetPerKeyBytes(std::span<const std::uint8_t> bytes) {
    const std::scoped_lock lock(m_mutex);
    std::copy_n(bytes.begin(), std::min(bytes.size(), m_perKeyBytes.size()), m_perKeyBytes.begin());
}

std::vector<std::uint8_t> CSimDevice::ShortArea() const {
    const std::scoped_lock lock(m_mutex);
    return m_shortArea;
}

void CSimDevice::SetShortArea(std::span<const std::uint8_t> bytes) {
    const std::scoped_lock lock(m_mutex);
    std::copy_n(bytes.begin(), std::min(bytes.size(), m_shortArea.size()), m_shortArea.begin());
}

std::vector<std::uint8_t> CSimDevice::MacroImage() const {
    const std::scoped_lock lock(m_mutex);
    return m_macroImage;
}

std::vector<std::uint8_t> CSimDevice::ShootImage() const {
    const std::scoped_lock lock(m_mutex);
    return m_shootImage;
}

std::vector<SimLightChunk> CSimDevice::LightChunks() const {
    const std::scoped_lock lock(m_mutex);
    return m_lightChunks;
}

void CSimDevice::SetLinked(bool linked) {
    const std::scoped_lock lock(m_mutex);
    m_linked = linked;
}

bool CSimDevice::InTransfer() const {
    const std::scoped_lock lock(m_mutex);
    return m_inTransfer;
}

int CSimDevice::TransferCount() const {
    const std::scoped_lock lock(m_mutex);
    return m_transferCount;
}
