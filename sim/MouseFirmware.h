#pragma once
// CMouseFirmware: the mouse's firmware on top of CSimDevice. It fills the information
// block, the factory key table and the power status record, checks macro and shoot
// images before keeping them, decodes the state record the host writes to profile slot 0,
// and has an on-device DPI button that steps the active stage.
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/MouseSim.h"
#include "sim/SimDevice.h"

inline constexpr std::size_t kMouseSlotSize = 128;  // one profile slot in device memory
inline constexpr std::size_t kMouseStateSize = 66;  // the record the host writes
inline constexpr std::size_t kMouseStageCount = 5;
inline constexpr std::size_t kMouseShootCapacity = 4096;  // bytes the shoot image may take
inline constexpr std::size_t kMousePowerStatusSize = 6;

namespace MouseStateOffset {
inline constexpr std::size_t CurrentSlot = 0;
inline constexpr std::size_t LightMode = 1;
inline constexpr std::size_t Brightness = 2;
inline constexpr std::size_t Speed = 3;
inline constexpr std::size_t Direction = 4;
inline constexpr std::size_t Multicolour = 5;
inline constexpr std::size_t LightColour = 6;  // red, green, blue
inline constexpr std::size_t PollingRate = 14;
inline constexpr std::size_t StageDpi = 15;  // stages 1..4; stage 5 at Stage5Dpi
inline constexpr std::size_t ActiveStage = 19;
inline constexpr std::size_t Stage5Dpi = 20;
inline constexpr std::size_t StageColour = 24;  // three bytes per stage
}  // namespace MouseStateOffset

struct MouseStage {
    std::uint8_t dpiIndex = 0;
    int dpi = 0;
    std::array<std::uint8_t, 3> colour{};
    bool used = false;  // index and colour not all zero: the host wrote this stage
    bool operator==(const MouseStage&) const = default;
};

struct MouseState {
    std::uint8_t slot = 0;
    std::uint8_t lightMode = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    std::uint8_t multicolour = 0;
    std::array<std::uint8_t, 3> lightColour{};
    std::uint8_t pollingIndex = 0;
    std::uint8_t activeStage = 0;  // 0-based
    std::array<MouseStage, kMouseStageCount> stages{};
    bool operator==(const MouseState&) const = default;
};

// DPI of a stage index: 200 + index x step up to 48, 200 per index above.
int MouseDpiOfIndex(std::uint8_t index, std::uint8_t step);
// Polling rate in Hz of index 0..4; 0 for any other index.
int MousePollingHz(std::uint8_t index);
// `record` is one slot's first kMouseStateSize bytes (shorter reads as zero).
MouseState DecodeMouseState(std::span<const std::uint8_t> record, std::uint8_t dpiStep);
// The text `tolmi-q318-sim mouse --state` prints.
std::string FormatMouseState(const MouseState& state);

// Information block, key table size and power status of the firmware model.
SimDeviceConfig FirmwareMouseConfig();
std::vector<std::uint8_t> FactoryMouseKeyTable();
std::array<std::uint8_t, kMousePowerStatusSize> FactoryMousePowerStatus();

class CMouseFirmware {
public:
    using StateListener = std::function<void(const MouseState&)>;
    using Notifier = std::function<void(std::span<const std::uint8_t> report)>;

    CMouseFirmware();
    CMouseFirmware(const CMouseFirmware&) = delete;
    CMouseFirmware& operator=(const CMouseFirmware&) = delete;

    CSimDevice& Device() { return m_device; }
    // Handles one output report; memory and image writes refresh the decoded state.
    SimResponse Receive(std::span<const std::uint8_t> report);
    MouseState State() const;
    // Called with the new state after every change, and once when set.
    void SetStateListener(StateListener listener);
    // Carries input reports to the notification interface.
    void SetNotifier(Notifier notifier);
    // The DPI button: the next used stage becomes active in the current slot, then the
    // change announcement 01 01 04 goes out.
    void PressDpiButton();

private:
    void Refresh();  // caller holds m_mutex

    CSimDevice m_device;
    mutable std::mutex m_mutex;
    MouseState m_state{};
    StateListener m_listener;
    Notifier m_notifier;
};

// Plugs `firmware` in as the mouse (as PlugMouse does) and gives it the notification
// interface; both must outlive the plug.
std::optional<PluggedMouse> PlugFirmwareMouse(CVirtualBusServer& bus, CMouseFirmware& firmware,
                                              const std::string& name);
