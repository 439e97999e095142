#include "device/channel/ProtocolTable.h"

#include <algorithm>
#include <cassert>

const CommandInfo* FindCommand(std::uint8_t code) {
    for (const CommandInfo& info : kCommands)
        if (static_cast<std::uint8_t>(info.code) == code) return &info;
    return nullptr;
}

int StatusResult(std::uint8_t status) {
    if (status == kStatusErrorFF) return kResultDeviceErrorFF;
    if (status == kStatusErrorFE) return kResultDeviceErrorFE;
    return kResultOk;
}

void PutLe16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    assert(offset + 2 <= bytes.size());
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t GetLe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    assert(offset + 2 <= bytes.size());
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint16_t Checksum(const Report& report) {
    unsigned sum = 0;
    for (std::size_t i = Offset::CommandCode; i < report.size(); ++i) sum += report[i];
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

void SealReport(Report& report) {
    PutLe16(report, Offset::Checksum, Checksum(report));
}

Report BuildRequest(Command command, std::uint8_t length, std::uint16_t address,
                    std::span<const std::uint8_t> data) {
    Report report{};
    report[Offset::ReportId] = kCommandReportId;
    report[Offset::CommandCode] = static_cast<std::uint8_t>(command);
    report[Offset::Length] = length;
    PutLe16(report, Offset::Address, address);
    std::copy_n(data.begin(), std::min(data.size(), kChunkSize), report.begin() + Offset::Data);
    SealReport(report);  // last: it covers the command byte onwards
    return report;
}

std::string HexGroups(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2 + bytes.size() / 4);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % 4 == 0) text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}
