#include "app/ctl/CtlCommands.h"

#include <unistd.h>

#include <json/json.h>

#include <cerrno>
#include <cstdio>

#include "device/channel/CommandChannel.h"
#include "device/hid/HidTypes.h"
#include "device/tables/DeviceTables.h"

namespace {

constexpr const char* kUdevRule = "data/udev/70-tolmi-q318.rules";

struct InterfaceEntry {
    std::string path;
    bool described = false;  // opened: the lengths and usages are known
    std::string error;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint32_t interfaceNumber = 0;
    std::uint32_t collectionNumber = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t inputReportLength = 0;
    std::uint16_t outputReportLength = 0;
    int kind = -1;  // kind code of the matching device-type row
};

const char* KindName(int kind) {
    switch (kind) {
        case kKindKeyboard:
            return "keyboard";
        case kKindMouse:
            return "mouse";
        case kKindMousePad:
            return "mousepad";
        case kKindWirelessMouse:
            return "wireless mouse";
        case kKindHeadset:
            return "headset";
        default:
            return "none";
    }
}

InterfaceEntry Describe(IHidBackend& backend, const std::string& path) {
    InterfaceEntry entry;
    entry.path = path;
    const HidPathIds ids = ParseDevicePath(path);
    entry.vendorId = ids.vendorId;
    entry.productId = ids.productId;
    entry.interfaceNumber = ids.interfaceNumber;
    entry.collectionNumber = ids.collectionNumber;
    const std::unique_ptr<IHidConnection> connection = backend.Open(path, true, false, entry.error);
    if (!connection) return entry;
    entry.described = true;
    entry.vendorId = connection->Attributes().vendorId;
    entry.productId = connection->Attributes().productId;
    entry.usagePage = connection->Collection().usagePage;
    entry.usage = connection->Collection().usage;
    entry.inputReportLength = connection->Collection().inputReportLength;
    entry.outputReportLength = connection->Collection().outputReportLength;
    const int row = MatchDeviceType(entry.vendorId, entry.productId, entry.interfaceNumber,
                                    entry.collectionNumber, entry.usagePage, entry.usage);
    if (row >= 0) entry.kind = kDeviceTypeRows[row].kindCode;
    return entry;
}

// The device node a hidraw path names ("/dev/hidraw3"), or the path itself.
std::string NodeOf(const std::string& path) {
    const std::size_t start = path.find("/dev/");
    if (start == std::string::npos) return path;
    const std::size_t end = path.find('#', start);
    return path.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool LacksPermission(const std::string& node, const std::string& error) {
    if (error.find("ermission") != std::string::npos) return true;
    return node.starts_with("/dev/") && access(node.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
}

void ReportOpenFailure(const std::string& path, const std::string& error) {
    std::fprintf(stderr, "tolmi-q318-ctl: cannot open %s%s%s\n", path.c_str(),
                 error.empty() ? "" : ": ", error.c_str());
    const std::string node = NodeOf(path);
    if (LacksPermission(node, error))
        std::fprintf(stderr,
                     "tolmi-q318-ctl: no permission to use %s; install the udev rule %s "
                     "(see README.md, \"Device access\") and plug the device in again\n",
                     node.c_str(), kUdevRule);
}

Json::Value ToJson(const InterfaceEntry& entry) {
    Json::Value value(Json::objectValue);
    value["path"] = entry.path;
    value["vendor_id"] = entry.vendorId;
    value["product_id"] = entry.productId;
    value["interface"] = entry.interfaceNumber;
    value["collection"] = entry.collectionNumber;
    // Unknown without opening the interface.
    value["usage_page"] = entry.described ? Json::Value(entry.usagePage) : Json::Value();
    value["usage"] = entry.described ? Json::Value(entry.usage) : Json::Value();
    value["input_report_length"] =
        entry.described ? Json::Value(entry.inputReportLength) : Json::Value();
    value["output_report_length"] =
        entry.described ? Json::Value(entry.outputReportLength) : Json::Value();
    value["kind"] = entry.kind >= 0 ? Json::Value(entry.kind) : Json::Value();
    if (!entry.described) value["error"] = entry.error;
    return value;
}

void PrintText(const InterfaceEntry& entry) {
    std::printf("%s  vid=%04x pid=%04x mi=%u col=%u", entry.path.c_str(), entry.vendorId,
                entry.productId, entry.interfaceNumber, entry.collectionNumber);
    if (!entry.described) {
        std::printf("  (cannot open: %s)\n", entry.error.c_str());
        return;
    }
    std::printf("  usage=%04x:%04x in=%u out=%u  kind=", entry.usagePage, entry.usage,
                entry.inputReportLength, entry.outputReportLength);
    if (entry.kind >= 0)
        std::printf("%d (%s)\n", entry.kind, KindName(entry.kind));
    else
        std::printf("none\n");
}

std::string WriteJson(const Json::Value& value) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "  ";
    return Json::writeString(writer, value) + "\n";
}

}  // namespace

int ListInterfaces(const std::vector<std::shared_ptr<IHidBackend>>& backends, OutputForm form) {
    bool listed = true;
    std::vector<InterfaceEntry> entries;
    for (const std::shared_ptr<IHidBackend>& backend : backends) {
        std::vector<std::string> paths;
        if (!backend->Enumerate(paths)) listed = false;
        for (const std::string& path : paths) entries.push_back(Describe(*backend, path));
    }
    if (form == OutputForm::Json) {
        Json::Value array(Json::arrayValue);
        for (const InterfaceEntry& entry : entries) array.append(ToJson(entry));
        std::fputs(WriteJson(array).c_str(), stdout);
    } else {
        for (const InterfaceEntry& entry : entries) PrintText(entry);
        if (entries.empty()) std::puts("no HID interfaces");
    }
    if (!listed) std::fputs("tolmi-q318-ctl: a HID listing failed\n", stderr);
    for (const InterfaceEntry& entry : entries)
        if (!entry.described && LacksPermission(NodeOf(entry.path), entry.error))
            ReportOpenFailure(entry.path, entry.error);
    return listed ? kExitOk : kExitDeviceError;
}

int ShowDeviceInfo(std::vector<std::shared_ptr<IHidBackend>> backends, const std::string& path,
                   OutputForm form) {
    CCommandChannel channel(std::move(backends));
    if (!channel.Open(path)) {
        ReportOpenFailure(path, channel.Interface().LastOpenError());
        return kExitDeviceError;
    }
    DeviceInfoBlock info{};
    const char* step = "begin transfer";
    int result = channel.BeginTransfer();
    if (result == kResultOk) {
        step = "read device information";
        result = channel.ReadDeviceInfo(info);
        // Closes the transfer even after a failed read.
        const int end = channel.EndTransfer();
        if (result == kResultOk && end != kResultOk) {
            step = "end transfer";
            result = end;
        }
    }
    if (result != kResultOk) {
        std::fprintf(stderr, "tolmi-q318-ctl: %s on %s failed: channel result %d\n", step,
                     path.c_str(), result);
        return kExitDeviceError;
    }

    const unsigned keySlots = info[InfoOffset::KeySlotCount];
    const unsigned macroCapacity = info[InfoOffset::MacroCapacity] * kMacroCapacityUnit;
    const unsigned dpiStep = info[InfoOffset::DpiStep];
    const unsigned minimumDpi = GetLe16(info, InfoOffset::MinimumDpi);
    if (form == OutputForm::Json) {
        Json::Value value(Json::objectValue);
        Json::Value bytes(Json::arrayValue);
        for (const std::uint8_t byte : info) bytes.append(byte);
        value["info"] = bytes;
        value["key_slot_count"] = keySlots;
        value["macro_capacity"] = macroCapacity;
        value["dpi_step"] = dpiStep;
        value["minimum_dpi"] = minimumDpi;
        std::fputs(WriteJson(value).c_str(), stdout);
        return kExitOk;
    }
    std::printf("information block: %s\n", HexGroups(info).c_str());
    std::printf("key-slot count:    %u (key table of %u bytes)\n", keySlots,
                keySlots * static_cast<unsigned>(kKeySlotBytes));
    std::printf("macro capacity:    %u bytes\n", macroCapacity);
    std::printf("DPI step:          %u\n", dpiStep);
    std::printf("minimum DPI:       %u\n", minimumDpi);
    return kExitOk;
}
