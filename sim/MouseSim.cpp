#include "sim/MouseSim.h"

namespace {

// Report id 4, 63 bytes in and out.
constexpr std::uint8_t kCommandDescriptor[] = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0x00, 0xFF,
    0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};
// Report id 1, one 16-bit consumer usage.
constexpr std::uint8_t kNotificationDescriptor[] = {
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x03,
    0x19, 0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};

VirtualInterfaceSpec MouseInterface(const std::string& name) {
    VirtualInterfaceSpec spec;
    spec.name = name;
    spec.vendorId = kMouseVendorId;
    spec.productId = kMouseProductId;
    spec.interfaceNumber = 1;
    return spec;
}

}  // namespace

SimDeviceConfig PlainMouseConfig() {
    SimDeviceConfig config;
    config.info[InfoOffset::KeySlotCount] = kSimMouseKeySlots;
    config.info[InfoOffset::MacroCapacity] = kSimMouseMacroUnits;
    config.info[InfoOffset::DpiStep] = kSimMouseDpiStep;
    PutLe16(config.info, InfoOffset::MinimumDpi, kSimMouseMinimumDpi);
    config.keyTableSize = kSimMouseKeySlots * kKeySlotBytes;
    return config;
}

VirtualInterfaceSpec MouseCommandInterface(const std::string& name) {
    VirtualInterfaceSpec spec = MouseInterface(name);
    spec.collectionNumber = 4;
    spec.usagePage = 0xFF1C;
    spec.usage = 0x92;
    spec.inputReportLength = kReportSize;
    spec.outputReportLength = kReportSize;
    spec.reportDescriptor.assign(std::begin(kCommandDescriptor), std::end(kCommandDescriptor));
    return spec;
}

VirtualInterfaceSpec MouseNotificationInterface(const std::string& name) {
    VirtualInterfaceSpec spec = MouseInterface(name);
    spec.collectionNumber = 3;
    spec.usagePage = 0x000C;
    spec.usage = 0x0001;
    spec.inputReportLength = 3;
    spec.outputReportLength = 0;
    spec.reportDescriptor.assign(std::begin(kNotificationDescriptor),
                                 std::end(kNotificationDescriptor));
    return spec;
}

std::optional<PluggedMouse> PlugMouse(CVirtualBusServer& bus, CSimDevice& device,
                                      const std::string& name) {
    const VirtualInterfaceSpec command = MouseCommandInterface(name + "-col04");
    const VirtualInterfaceSpec notification = MouseNotificationInterface(name + "-col03");
    const auto answer = [&device](std::uint8_t type, std::span<const std::uint8_t> report) {
        return type == kBusInputReport ? SimResponse{} : device.Receive(report);
    };
    if (!bus.Plug(notification, {})) return std::nullopt;
    if (!bus.Plug(command, answer)) {
        bus.Unplug(notification.name);
        return std::nullopt;
    }
    return PluggedMouse{command.name, notification.name, VirtualInterfacePath(command),
                        VirtualInterfacePath(notification)};
}
