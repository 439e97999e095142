#pragma once
// The request/reply protocol of the devices' vendor interface: 64-byte reports that carry
// a 16-bit checksum, a command code, one chunk's length and address, a status and data.
// Requests and replies share the layout.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

inline constexpr std::size_t kReportSize = 64;
inline constexpr std::size_t kChunkSize = 56;  // data bytes of one report
inline constexpr std::uint8_t kCommandReportId = 0x04;
using Report = std::array<std::uint8_t, kReportSize>;

namespace Offset {
inline constexpr std::size_t ReportId = 0, Checksum = 1, CommandCode = 3, Length = 4, Address = 5,
                             Status = 7, Data = 8;
}  // namespace Offset

enum class Command : std::uint8_t {
    BeginTransfer = 0x01,
    EndTransfer = 0x02,
    ReadDeviceInfo = 0x03,
    ReadMemory = 0x05,
    WriteMemory = 0x06,
    ReadKeyBlock = 0x07,
    WriteKeyBlock = 0x09,
    StreamLightFrame = 0x12,
    WriteMacroData = 0x15,
    WriteShootData = 0x17,
    ReadShort = 0x1A,
    ReadPerKeyBytes = 0x1B,
    QueryLink = 0xAA,
};
enum class Transfer { OneReport, Chunked };
enum class DataFlow { None, ToDevice, ToHost };  // where the data bytes of a report go
struct CommandInfo {
    Command code;
    std::string_view name;
    Transfer transfer;
    DataFlow data;
};

inline constexpr CommandInfo kCommands[] = {
    {Command::BeginTransfer, "BeginTransfer", Transfer::OneReport, DataFlow::None},
    {Command::EndTransfer, "EndTransfer", Transfer::OneReport, DataFlow::None},
    {Command::ReadDeviceInfo, "ReadDeviceInfo", Transfer::Chunked, DataFlow::ToHost},
    {Command::ReadMemory, "ReadMemory", Transfer::Chunked, DataFlow::ToHost},
    {Command::WriteMemory, "WriteMemory", Transfer::Chunked, DataFlow::ToDevice},
    {Command::ReadKeyBlock, "ReadKeyBlock", Transfer::Chunked, DataFlow::ToHost},
    {Command::WriteKeyBlock, "WriteKeyBlock", Transfer::Chunked, DataFlow::ToDevice},
    {Command::StreamLightFrame, "StreamLightFrame", Transfer::Chunked, DataFlow::ToDevice},
    {Command::WriteMacroData, "WriteMacroData", Transfer::Chunked, DataFlow::ToDevice},
    {Command::WriteShootData, "WriteShootData", Transfer::Chunked, DataFlow::ToDevice},
    {Command::ReadShort, "ReadShort", Transfer::OneReport, DataFlow::ToHost},
    {Command::ReadPerKeyBytes, "ReadPerKeyBytes", Transfer::Chunked, DataFlow::ToHost},
    {Command::QueryLink, "QueryLink", Transfer::OneReport, DataFlow::ToHost},
};
// Null for a code outside the table.
const CommandInfo* FindCommand(std::uint8_t code);

// Reply status: these two are device errors, any other value is success.
inline constexpr std::uint8_t kStatusOk = 0x00;
inline constexpr std::uint8_t kStatusErrorFF = 0xFF;
inline constexpr std::uint8_t kStatusErrorFE = 0xFE;

// Results of every channel operation.
inline constexpr int kResultOk = 1;
inline constexpr int kResultNoReply = 0;  // also: channel not open, reply refused
inline constexpr int kResultWriteFailed = -1;
inline constexpr int kResultDeviceErrorFF = -102;
inline constexpr int kResultDeviceErrorFE = -103;
inline constexpr int kResultInvalidPage = -201;

// kResultOk, or the device error the status byte stands for.
int StatusResult(std::uint8_t status);

// The key table moved by ReadKeyBlock and WriteKeyBlock; pages are this long.
inline constexpr std::uint16_t kMaxBlockSize = 512;

// The device information block (command 0x03) and the fields read from it.
inline constexpr std::size_t kDeviceInfoSize = 34;
using DeviceInfoBlock = std::array<std::uint8_t, kDeviceInfoSize>;
namespace InfoOffset {
inline constexpr std::size_t KeySlotCount = 5;   // key table = 3 bytes per slot
inline constexpr std::size_t MacroCapacity = 6;  // in units of kMacroCapacityUnit bytes
inline constexpr std::size_t DpiStep = 11;
inline constexpr std::size_t MinimumDpi = 14;  // 16-bit little-endian
}  // namespace InfoOffset
inline constexpr std::size_t kMacroCapacityUnit = 128;
inline constexpr std::size_t kKeySlotBytes = 3;

// Reply byte kData of QueryLink while the wireless link is up.
inline constexpr std::uint8_t kLinkUp = 0xFF;

void PutLe16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value);
std::uint16_t GetLe16(std::span<const std::uint8_t> bytes, std::size_t offset);

// Sum of bytes 3..63 as unsigned bytes, low 16 bits.
std::uint16_t Checksum(const Report& report);
// Stores the checksum; call it once every other byte is in place.
void SealReport(Report& report);
// A request with zero status and zero padding: `length` goes into the length field,
// `data` (at most kChunkSize bytes, cut beyond) from the data offset on.
Report BuildRequest(Command command, std::uint8_t length, std::uint16_t address,
                    std::span<const std::uint8_t> data = {});

// Two-digit lower-case hexadecimal numbers in groups of four bytes: "04010001 00000000".
std::string HexGroups(std::span<const std::uint8_t> bytes);
