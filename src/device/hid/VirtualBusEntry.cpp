#include "device/hid/VirtualBusEntry.h"

#include <json/json.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "device/hid/ReportDescriptor.h"
#include "platform/Platform.h"

namespace {

namespace Key {
inline constexpr const char* VendorId = "vendor_id";
inline constexpr const char* ProductId = "product_id";
inline constexpr const char* Interface = "interface";
inline constexpr const char* Collection = "collection";
inline constexpr const char* UsagePage = "usage_page";
inline constexpr const char* Usage = "usage";
inline constexpr const char* InputReportLength = "input_report_length";
inline constexpr const char* OutputReportLength = "output_report_length";
inline constexpr const char* ReportDescriptor = "report_descriptor";
inline constexpr const char* Socket = "socket";
inline constexpr const char* Version = "version";  // optional
}  // namespace Key

inline constexpr const char* kIntegerKeys[] = {
    Key::VendorId,  Key::ProductId, Key::Interface,         Key::Collection,
    Key::UsagePage, Key::Usage,     Key::InputReportLength, Key::OutputReportLength,
};
inline constexpr std::string_view kJsonSuffix = ".json";

std::optional<Json::Value> ReadJson(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    Json::CharReaderBuilder builder;
    Json::Value root;
    std::string errors;
    if (!Json::parseFromStream(builder, in, &root, &errors) || !root.isObject())
        return std::nullopt;
    return root;
}

bool HasExpectedTypes(const Json::Value& root) {
    for (const char* key : kIntegerKeys)
        if (!root[key].isUInt()) return false;
    const Json::Value& version = root[Key::Version];
    return root[Key::ReportDescriptor].isString() && root[Key::Socket].isString() &&
           (version.isNull() || version.isUInt());
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Hexadecimal digit pairs; blanks between pairs are allowed.
std::optional<std::vector<std::uint8_t>> ParseHex(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == ' ') {
            ++at;
            continue;
        }
        if (at + 1 >= text.size()) return std::nullopt;
        const int high = HexDigit(text[at]), low = HexDigit(text[at + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
        at += 2;
    }
    return bytes;
}

// The collection with the file's usage page and usage, else the one with its number,
// else the only one.
std::optional<HidCollectionCaps> PickCollection(const std::vector<HidCollectionCaps>& all,
                                                const Json::Value& root) {
    const auto usagePage = root[Key::UsagePage].asUInt(), usage = root[Key::Usage].asUInt();
    const auto number = root[Key::Collection].asUInt();
    for (const HidCollectionCaps& caps : all)
        if (caps.usagePage == usagePage && caps.usage == usage) return caps;
    for (const HidCollectionCaps& caps : all)
        if (caps.number == number) return caps;
    if (all.size() == 1) return all.front();
    return std::nullopt;
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

}  // namespace

std::optional<VirtualBusEntry> ReadVirtualBusEntry(const std::string& folder,
                                                   const std::string& name) {
    const auto root = ReadJson(std::filesystem::path(folder) / (name + std::string(kJsonSuffix)));
    if (!root || !HasExpectedTypes(*root)) return std::nullopt;
    const auto descriptor = ParseHex((*root)[Key::ReportDescriptor].asString());
    const auto collections = descriptor ? ParseReportDescriptor(*descriptor) : std::nullopt;
    const auto caps = collections ? PickCollection(*collections, *root) : std::nullopt;
    VirtualBusEntry entry;
    entry.socket = (*root)[Key::Socket].asString();
    if (!caps || !IsPlainFileName(entry.socket)) {
        DebugOutput("virtual HID bus: " + name + ".json skipped\n");
        return std::nullopt;
    }
    entry.name = name;
    entry.attributes.vendorId = static_cast<std::uint16_t>((*root)[Key::VendorId].asUInt());
    entry.attributes.productId = static_cast<std::uint16_t>((*root)[Key::ProductId].asUInt());
    entry.attributes.version = static_cast<std::uint16_t>((*root)[Key::Version].asUInt());
    entry.interfaceNumber = (*root)[Key::Interface].asUInt();
    entry.collectionNumber = (*root)[Key::Collection].asUInt();
    entry.caps = *caps;
    entry.caps.number = entry.collectionNumber;  // the path's number, not the descriptor's
    return entry;
}

bool ListVirtualBusNames(const std::string& folder, std::vector<std::string>& names) {
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return error == std::errc::no_such_file_or_directory;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string file = it->path().filename().string();
        // '#' would end the name inside the path.
        if (file.size() > kJsonSuffix.size() && file.ends_with(kJsonSuffix) &&
            file.find('#') == std::string::npos)
            names.push_back(file.substr(0, file.size() - kJsonSuffix.size()));
    }
    if (error) return false;
    std::ranges::sort(names);
    return true;
}

std::string VirtualBusPath(const VirtualBusEntry& entry) {
    HidPathIds ids;
    ids.vendorId = entry.attributes.vendorId;
    ids.productId = entry.attributes.productId;
    ids.interfaceNumber = entry.interfaceNumber;
    ids.collectionNumber = entry.collectionNumber;
    return std::string(kVirtualPathPrefix) + entry.name + FormatDevicePathIds(ids);
}
