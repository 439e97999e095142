#include "sim/MouseFirmware.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr std::uint8_t kLastStepIndex = 48;  // indexes above step by kHighDpiStep
constexpr int kLowDpiBase = 200;
constexpr int kHighDpiBase = 5000;
constexpr int kHighDpiStep = 200;
constexpr int kPollingHz[] = {125, 250, 500, 1000, 2000};

constexpr std::uint8_t kChangeAnnouncement[] = {0x01, 0x01, 0x04};  // report 1, usage 0x0401

// Macro and shoot images share one header.
namespace ImageOffset {
constexpr std::size_t Magic = 0;
constexpr std::size_t Length = 2;
constexpr std::size_t Count = 4;
constexpr std::size_t Offsets = 16;
}  // namespace ImageOffset
constexpr std::uint16_t kImageMagic = 0x55AA;
constexpr std::size_t kImageBlockHead = 4;
constexpr std::size_t kImageEventSize = 4;
constexpr std::size_t kShootEntries = 4;

// Sixteen slots: the ten buttons' factory codes, and the wheel and side controls the
// program has no button for.
constexpr std::uint8_t kFactoryKeyTable[] = {
    0x10, 0x01, 0x00,  // slot 0: left
    0x10, 0x02, 0x00,  // slot 1: right
    0x10, 0x04, 0x00,  // slot 2: middle
    0x10, 0x08, 0x00,  // slot 3: back
    0x10, 0x10, 0x00,  // slot 4: forward
    0x13, 0x01, 0x00,  // slot 5: DPI up
    0x13, 0x02, 0x00,  // slot 6: DPI down
    0x11, 0x01, 0x00,  // slot 7: wheel up
    0x11, 0xFF, 0x00,  // slot 8: wheel down
    0x13, 0x03, 0x00,  // slot 9: DPI loop
    0xA0, 0x1B, 0x00,  // slot 10: game mode
    0x16, 0x90, 0x01,  // slot 11: M8
    0x12, 0x01, 0x00,  // slot 12: tilt left
    0x12, 0x02, 0x00,  // slot 13: tilt right
    0x00, 0x00, 0x00,  // slots 14, 15: not fitted
    0x00, 0x00, 0x00,
};
static_assert(sizeof kFactoryKeyTable == kSimMouseKeySlots * kKeySlotBytes);

constexpr std::uint8_t kBatteryPercent = 85;

std::size_t StageDpiOffset(std::size_t stage) {
    return stage < 4 ? MouseStateOffset::StageDpi + stage : MouseStateOffset::Stage5Dpi;
}

// A chunk of a macro or shoot image is kept only when the image stays within `capacity`
// and, for the chunk holding the header, the header is sound.
bool ImageChunkFits(const Report& request, std::size_t capacity, bool shoot) {
    const std::size_t address = GetLe16(request, Offset::Address);
    const std::size_t length = request[Offset::Length];
    if (address + length > capacity) return false;
    if (address != 0) return true;
    if (length < ImageOffset::Offsets) return false;
    const auto data = std::span<const std::uint8_t>(request).subspan(Offset::Data, length);
    const std::size_t total = GetLe16(data, ImageOffset::Length);
    const std::size_t count = GetLe16(data, ImageOffset::Count);
    const std::size_t smallest = ImageOffset::Offsets + count * (2 + kImageBlockHead);
    if (GetLe16(data, ImageOffset::Magic) != kImageMagic) return false;
    if (shoot && count != kShootEntries) return false;
    return total <= capacity && total >= smallest && (total - smallest) % kImageEventSize == 0;
}

void AppendColour(std::string& text, const std::array<std::uint8_t, 3>& colour) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02x%02x%02x", colour[0], colour[1], colour[2]);
    text += buffer;
}

}  // namespace

int MouseDpiOfIndex(std::uint8_t index, std::uint8_t step) {
    if (index <= kLastStepIndex) return kLowDpiBase + index * step;
    return kHighDpiBase + (index - kLastStepIndex) * kHighDpiStep;
}

int MousePollingHz(std::uint8_t index) {
    return index < std::size(kPollingHz) ? kPollingHz[index] : 0;
}

MouseState DecodeMouseState(std::span<const std::uint8_t> record, std::uint8_t dpiStep) {
    std::array<std::uint8_t, kMouseStateSize> bytes{};
    std::copy_n(record.begin(), std::min(record.size(), bytes.size()), bytes.begin());
    namespace O = MouseStateOffset;
    MouseState state;
    state.slot = bytes[O::CurrentSlot];
    state.lightMode = bytes[O::LightMode];
    state.brightness = bytes[O::Brightness];
    state.speed = bytes[O::Speed];
    state.direction = bytes[O::Direction];
    state.multicolour = bytes[O::Multicolour];
    std::copy_n(bytes.begin() + O::LightColour, 3, state.lightColour.begin());
    state.pollingIndex = bytes[O::PollingRate];
    state.activeStage = bytes[O::ActiveStage];
    for (std::size_t stage = 0; stage < kMouseStageCount; ++stage) {
        MouseStage& s = state.stages[stage];
        s.dpiIndex = bytes[StageDpiOffset(stage)];
        s.dpi = MouseDpiOfIndex(s.dpiIndex, dpiStep);
        std::copy_n(bytes.begin() + O::StageColour + 3 * stage, 3, s.colour.begin());
        s.used = s.dpiIndex != 0 || s.colour != std::array<std::uint8_t, 3>{};
    }
    return state;
}

std::string FormatMouseState(const MouseState& state) {
    std::string text = "current slot: " + std::to_string(state.slot) + "\n";
    text += "active stage: " + std::to_string(state.activeStage + 1) + "\n";
    for (std::size_t stage = 0; stage < kMouseStageCount; ++stage) {
        const MouseStage& s = state.stages[stage];
        text += "stage " + std::to_string(stage + 1) + ": ";
        if (!s.used) {
            text += "unused\n";
            continue;
        }
        text += std::to_string(s.dpi) + " dpi (index " + std::to_string(s.dpiIndex) + "), colour ";
        AppendColour(text, s.colour);
        text += "\n";
    }
    const int hz = MousePollingHz(state.pollingIndex);
    text += "polling rate: " + (hz ? std::to_string(hz) + " Hz" : std::string("unknown")) +
            " (index " + std::to_string(state.pollingIndex) + ")\n";
    text += "lighting: mode " + std::to_string(state.lightMode) + ", brightness " +
            std::to_string(state.brightness) + ", speed " + std::to_string(state.speed) +
            ", direction " + std::to_string(state.direction) + ", multicolour " +
            std::to_string(state.multicolour) + ", colour ";
    AppendColour(text, state.lightColour);
    text += "\n";
    return text;
}

SimDeviceConfig FirmwareMouseConfig() {
    return PlainMouseConfig();
}

std::vector<std::uint8_t> FactoryMouseKeyTable() {
    return {std::begin(kFactoryKeyTable), std::end(kFactoryKeyTable)};
}

std::array<std::uint8_t, kMousePowerStatusSize> FactoryMousePowerStatus() {
    return {kBatteryPercent, 0x00, 0x00, 0x00, 0x00, 0x00};
}

CMouseFirmware::CMouseFirmware() : m_device(FirmwareMouseConfig()) {
    m_device.SetKeyTable(kFactoryKeyTable);
    m_device.SetShortArea(FactoryMousePowerStatus());
    m_device.SetRequestCheck([](const Report& request, const DeviceInfoBlock& info) {
        switch (static_cast<Command>(request[Offset::CommandCode])) {
            case Command::WriteMacroData:
                return ImageChunkFits(
                    request, std::size_t{info[InfoOffset::MacroCapacity]} * kMacroCapacityUnit,
                    false);
            case Command::WriteShootData:
                return ImageChunkFits(request, kMouseShootCapacity, true);
            default:
                return true;
        }
    });
    const std::scoped_lock lock(m_mutex);
    Refresh();
}

SimResponse CMouseFirmware::Receive(std::span<const std::uint8_t> report) {
    SimResponse response = m_device.Receive(report);
    if (report.size() > Offset::CommandCode &&
        static_cast<Command>(report[Offset::CommandCode]) == Command::WriteMemory) {
        const std::scoped_lock lock(m_mutex);
        Refresh();
    }
    return response;
}

MouseState CMouseFirmware::State() const {
    const std::scoped_lock lock(m_mutex);
    return m_state;
}

void CMouseFirmware::SetStateListener(StateListener listener) {
    const std::scoped_lock lock(m_mutex);
    m_listener = std::move(listener);
    if (m_listener) m_listener(m_state);
}

void CMouseFirmware::SetNotifier(Notifier notifier) {
    const std::scoped_lock lock(m_mutex);
    m_notifier = std::move(notifier);
}

void CMouseFirmware::PressDpiButton() {
    Notifier notifier;
    {
        const std::scoped_lock lock(m_mutex);
        const std::size_t slot = m_device.Memory(MouseStateOffset::CurrentSlot, 1).at(0);
        const auto address = static_cast<std::uint16_t>(slot * kMouseSlotSize);
        const MouseState state = DecodeMouseState(m_device.Memory(address, kMouseStateSize),
                                                  m_device.Info()[InfoOffset::DpiStep]);
        std::size_t next = state.activeStage;
        for (std::size_t step = 1; step <= kMouseStageCount; ++step) {
            const std::size_t stage = (state.activeStage + step) % kMouseStageCount;
            if (state.stages[stage].used) {
                next = stage;
                break;
            }
        }
        const std::uint8_t active[] = {static_cast<std::uint8_t>(next)};
        m_device.SetMemory(static_cast<std::uint16_t>(address + MouseStateOffset::ActiveStage),
                           active);
        Refresh();
        notifier = m_notifier;
    }
    if (notifier) notifier(kChangeAnnouncement);
}

void CMouseFirmware::Refresh() {
    const std::size_t slot = m_device.Memory(MouseStateOffset::CurrentSlot, 1).at(0);
    MouseState state = DecodeMouseState(
        m_device.Memory(static_cast<std::uint16_t>(slot * kMouseSlotSize), kMouseStateSize),
        m_device.Info()[InfoOffset::DpiStep]);
    // Byte 0 of slot 0 names the current slot; in other slots it means nothing.
    state.slot = static_cast<std::uint8_t>(slot);
    if (state == m_state) return;
    m_state = state;
    if (m_listener) m_listener(m_state);
}

std::optional<PluggedMouse> PlugFirmwareMouse(CVirtualBusServer& bus, CMouseFirmware& firmware,
                                              const std::string& name) {
    const VirtualInterface command = MouseCommandInterface(name + "-col04");
    const VirtualInterface notification = MouseNotificationInterface(name + "-col03");
    const auto answer = [&firmware](std::uint8_t type, std::span<const std::uint8_t> report) {
        return type == kBusInputReport ? SimResponse{} : firmware.Receive(report);
    };
    if (!bus.Plug(notification, {})) return std::nullopt;
    if (!bus.Plug(command, answer)) {
        bus.Unplug(notification.name);
        return std::nullopt;
    }
    firmware.SetNotifier([&bus, name = notification.name](std::span<const std::uint8_t> report) {
        bus.SendInputReport(name, report);
    });
    return PluggedMouse{command.name, notification.name, VirtualInterfacePath(command),
                        VirtualInterfacePath(notification)};
}
