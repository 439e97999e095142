#pragma once
// CSimDevice: a device answering the command protocol from its own state: memory, the
// information block, the key table, the macro and shoot images, the link state. It sees
// whole reports and answers with whole reports; a transport (the virtual bus server, or
// a test's fake backend) carries them. Faults can be planned for chosen reports.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "device/channel/ProtocolTable.h"

// What the device does with one received report.
struct SimResponse {
    std::vector<std::vector<std::uint8_t>> replies;  // input reports, in order
    std::chrono::milliseconds delay{0};              // before the first reply
    bool unplug = false;                             // the device vanishes instead
};

// Which received report a fault hits: by its index among all reports received (from 0),
// or by command code; both set means both must hold.
struct SimTrigger {
    std::optional<std::size_t> reportIndex;
    std::optional<std::uint8_t> command;
    int times = 1;  // how many matching reports it hits; negative: every one
};

struct SimFault {
    enum class Kind {
        Status,      // the reply carries `value` as its status; the request is not applied
        ReplyByte,   // reply byte `offset` becomes `value`
        ShortReply,  // the reply is cut to `length` bytes
        StaleReply,  // `count` replies echoing command `value` come before the right one
        WrongReply,  // as StaleReply, and the right reply is lost
        NoReply,     // nothing comes back
        Delay,       // the reply comes after `delay`
        Unplug,      // the device vanishes before it answers
    };
    Kind kind = Kind::Status;
    SimTrigger when{};
    std::uint8_t value = kStatusErrorFF;
    std::size_t offset = 0;
    std::size_t length = 0;
    int count = 1;
    std::chrono::milliseconds delay{0};
};

// A firmware model's own rule for a request, asked before the request is carried out;
// false refuses it with status 0xFF. It runs under the device's lock, so it must not call
// back into the device.
using SimRequestCheck = std::function<bool(const Report& request, const DeviceInfoBlock& info)>;

struct SimDeviceConfig {
    DeviceInfoBlock info{};
    std::size_t keyTableSize = kMaxBlockSize;
    bool linked = true;  // QueryLink answers "link up"
};

struct SimLightChunk {
    std::uint16_t address = 0;
    std::vector<std::uint8_t> bytes;
};

class CSimDevice {
public:
    static constexpr std::size_t kMemorySize = 0x10000;

    explicit CSimDevice(SimDeviceConfig config = {});

    // Handles one output report from the host, report id first.
    SimResponse Receive(std::span<const std::uint8_t> report);
    void AddFault(const SimFault& fault);
    void ClearFaults();
    void SetRequestCheck(SimRequestCheck check);

    // ---- State, for the device's owner and for tests; all calls are thread-safe ----
    std::vector<std::vector<std::uint8_t>> ReceivedReports() const;
    std::size_t ReceivedCount() const;
    void ClearReceived();
    std::vector<std::uint8_t> Memory(std::uint16_t address, std::size_t length) const;
    void SetMemory(std::uint16_t address, std::span<const std::uint8_t> bytes);
    DeviceInfoBlock Info() const;
    void SetInfo(const DeviceInfoBlock& info);
    std::vector<std::uint8_t> KeyTable() const;
    void SetKeyTable(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> PerKeyBytes() const;
    void SetPerKeyBytes(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> ShortArea() const;  // what ReadShort reads
    void SetShortArea(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> MacroImage() const;
    std::vector<std::uint8_t> ShootImage() const;
    std::vector<SimLightChunk> LightChunks() const;
    void SetLinked(bool linked);
    bool InTransfer() const;    // between BeginTransfer and EndTransfer
    int TransferCount() const;  // EndTransfers seen

private:
    // The answer to `request` from the state; false when the device refuses it.
    bool Apply(const Report& request, Report& reply);
    std::optional<SimFault> TakeFault(std::size_t index, std::uint8_t command);

    mutable std::mutex m_mutex;
    std::vector<std::uint8_t> m_memory;
    DeviceInfoBlock m_info{};
    std::vector<std::uint8_t> m_keyTable;
    std::vector<std::uint8_t> m_perKeyBytes;
    std::vector<std::uint8_t> m_shortArea;
    std::vector<std::uint8_t> m_macroImage;
    std::vector<std::uint8_t> m_shootImage;
    std::vector<SimLightChunk> m_lightChunks;
    bool m_linked = true;
    bool m_inTransfer = false;
    int m_transferCount = 0;
    std::vector<std::vector<std::uint8_t>> m_received;
    std::vector<SimFault> m_faults;
    SimRequestCheck m_requestCheck;
};
