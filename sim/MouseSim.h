#pragma once
// The mouse as the virtual bus shows it: its identity, its two interfaces, and a plain
// information block.
#include <cstdint>
#include <optional>
#include <string>

#include "sim/SimDevice.h"
#include "sim/VirtualBusServer.h"

inline constexpr std::uint16_t kMouseVendorId = 0x0C45;
inline constexpr std::uint16_t kMouseProductId = 0x6656;

// The information fields the mouse uses, as the plain model reports them.
inline constexpr std::uint8_t kSimMouseKeySlots = 16;
inline constexpr std::uint8_t kSimMouseMacroUnits = 32;  // 4096 bytes of macro memory
inline constexpr std::uint8_t kSimMouseDpiStep = 100;
inline constexpr std::uint16_t kSimMouseMinimumDpi = 200;

SimDeviceConfig PlainMouseConfig();
// Interface 1, collection 4: the vendor-defined command interface, 64-byte reports.
VirtualInterface MouseCommandInterface(const std::string& name);
// Interface 1, collection 3: consumer control, 3-byte input reports (id 1, one usage).
VirtualInterface MouseNotificationInterface(const std::string& name);

struct PluggedMouse {
    std::string commandName;  // bus names, for SendInputReport and Unplug
    std::string notificationName;
    std::string commandPath;  // HID paths, for opening
    std::string notificationPath;
};
// Plugs `device` in as the mouse, as NAME-col04 and NAME-col03; `device` must outlive
// the plug. Nothing when either interface cannot be plugged.
std::optional<PluggedMouse> PlugMouse(CVirtualBusServer& bus, CSimDevice& device,
                                      const std::string& name);
