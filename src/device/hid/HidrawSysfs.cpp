#include "device/hid/HidrawSysfs.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "device/hid/ReportDescriptor.h"

namespace fs = std::filesystem;

namespace {

inline constexpr std::string_view kNodePrefix = "hidraw";
inline constexpr std::string_view kHidIdKey = "HID_ID=";
inline constexpr std::string_view kHidPhysKey = "HID_PHYS=";
inline constexpr std::string_view kInputMarker = "/input";
inline constexpr std::uint32_t kUsbBus = 0x0003;
inline constexpr int kUsbDeviceLevels = 3;  // HID device -> USB interface -> USB device
inline constexpr std::size_t kMaxDescriptorFile = 65536;

std::optional<std::uint32_t> NodeNumber(std::string_view name) {
    if (!name.starts_with(kNodePrefix) || name.size() == kNodePrefix.size()) return std::nullopt;
    std::uint32_t number = 0;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data() + kNodePrefix.size(), end, number);
    if (error != std::errc() || stop != end) return std::nullopt;
    return number;
}

std::optional<std::uint32_t> ParseNumber(std::string_view text, int base) {
    std::uint32_t value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || stop == text.data()) return std::nullopt;
    return value;
}

std::optional<std::string> ReadFile(const fs::path& file, std::size_t limit) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(limit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(limit));
    if (in.bad()) return std::nullopt;
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// HID_ID=BBBB:VVVVVVVV:PPPPPPPP and HID_PHYS=...:/inputN of the HID device's uevent.
bool ParseUevent(const std::string& text, HidrawNode& node, std::uint32_t& bus) {
    std::istringstream lines(text);
    bool haveId = false;
    for (std::string line; std::getline(lines, line);) {
        const std::string_view view(line);
        if (view.starts_with(kHidIdKey)) {
            const std::string_view id = view.substr(kHidIdKey.size());
            const std::size_t first = id.find(':'), second = id.find(':', first + 1);
            if (first == std::string_view::npos || second == std::string_view::npos) return false;
            const auto busId = ParseNumber(id.substr(0, first), 16);
            const auto vendor = ParseNumber(id.substr(first + 1, second - first - 1), 16);
            const auto product = ParseNumber(id.substr(second + 1), 16);
            if (!busId || !vendor || !product) return false;
            bus = *busId;
            node.attributes.vendorId = static_cast<std::uint16_t>(*vendor);
            node.attributes.productId = static_cast<std::uint16_t>(*product);
            haveId = true;
        } else if (view.starts_with(kHidPhysKey)) {
            const std::size_t at = view.rfind(kInputMarker);
            if (at != std::string_view::npos)
                node.interfaceNumber =
                    ParseNumber(view.substr(at + kInputMarker.size()), 10).value_or(0);
        }
    }
    return haveId;
}

// bcdDevice of the USB device above the HID device; 0 when there is none.
std::uint16_t UsbVersion(const fs::path& hidDevice) {
    std::error_code error;
    fs::path folder = fs::canonical(hidDevice, error);
    if (error) return 0;
    for (int level = 0; level < kUsbDeviceLevels && folder.has_relative_path(); ++level) {
        folder = folder.parent_path();
        if (const auto text = ReadFile(folder / "bcdDevice", 16))
            return static_cast<std::uint16_t>(ParseNumber(*text, 16).value_or(0));
    }
    return 0;
}

}  // namespace

bool ListHidrawNames(const std::string& sysRoot, std::vector<std::string>& names) {
    std::error_code error;
    fs::directory_iterator it(fs::path(sysRoot) / "class" / "hidraw", error);
    if (error) return error == std::errc::no_such_file_or_directory;
    std::vector<std::pair<std::uint32_t, std::string>> found;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        if (const auto number = NodeNumber(name)) found.emplace_back(*number, std::move(name));
    }
    if (error) return false;
    std::ranges::sort(found);
    for (auto& [number, name] : found) names.push_back(std::move(name));
    return true;
}

std::optional<HidrawNode> DescribeHidrawNode(const std::string& sysRoot, const std::string& name) {
    if (!NodeNumber(name)) return std::nullopt;
    const fs::path device = fs::path(sysRoot) / "class" / "hidraw" / name / "device";
    HidrawNode node;
    node.name = name;
    std::uint32_t bus = 0;
    const auto uevent = ReadFile(device / "uevent", kMaxDescriptorFile);
    if (!uevent || !ParseUevent(*uevent, node, bus)) return std::nullopt;
    const auto descriptor = ReadFile(device / "report_descriptor", kMaxDescriptorFile);
    if (!descriptor) return std::nullopt;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(descriptor->data());
    auto collections = ParseReportDescriptor({bytes, descriptor->size()});
    if (!collections) return std::nullopt;
    node.collections = std::move(*collections);
    if (bus == kUsbBus) node.attributes.version = UsbVersion(device);
    return node;
}
