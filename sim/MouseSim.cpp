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

VirtualInterface MouseInterface(const std::string& name) {
    VirtualInterface iface;
    iface.name = name;
    iface.vendorId = kMouseVendorId;
    iface.productId = kMouseProductId;
    iface.interfaceNumber = 1;
    return iface;
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

VirtualInterface MouseCommandInterface(const std::string& name) {
    VirtualInterface iface = MouseInterface(name);
    iface.collectionNumber = 4;
    iface.usagePage = 0xFF1C;
    iface.usage = 0x92;
    iface.inputReportLength = kReportSize;
    iface.outputReportLength = kReportSize;
    iface.reportDescriptor.assign(std::begin(kCommandDescriptor), std::end(kCommandDescriptor));
    return iface;
}

VirtualInterface MouseNotificationInterface(const std::string& name) {
    VirtualInterface iface = MouseInterface(name);
    iface.collectionNumber = 3;
    iface.usagePage = 0x000C;
    iface.usage = 0x0001;
    iface.inputReportLength = 3;
    iface.outputReportLength = 0;
    iface.reportDescriptor.assign(std::begin(kNotificationDescriptor),
                                  std::end(kNotificationDescriptor));
    return iface;
}

std::optional<PluggedMouse> PlugMouse(CVirtualBusServer& bus, CSimDevice& device,
                                      const std::string& name) {
    const VirtualInterface command = MouseCommandInterface(name + "-col04");
    const VirtualInterface notification = MouseNotificationInterface(name + "-col03");
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
