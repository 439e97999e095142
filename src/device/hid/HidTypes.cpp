#include "device/hid/HidTypes.h"

#include <cctype>
#include <cstddef>
#include <cstdio>

namespace {

// Position just past `marker` (compared without regard to case), or npos.
std::size_t FindMarkerEnd(std::string_view path, std::string_view marker) {
    if (path.size() < marker.size()) return std::string_view::npos;
    for (std::size_t at = 0; at + marker.size() <= path.size(); ++at) {
        bool same = true;
        for (std::size_t n = 0; n < marker.size() && same; ++n)
            same = std::tolower(static_cast<unsigned char>(path[at + n])) == marker[n];
        if (same) return at + marker.size();
    }
    return std::string_view::npos;
}

// The hexadecimal number after `marker`; 0 when the marker is absent. Over-long numbers
// keep their low 32 bits.
std::uint32_t HexAfter(std::string_view path, std::string_view marker) {
    std::size_t at = FindMarkerEnd(path, marker);
    if (at == std::string_view::npos) return 0;
    std::uint32_t value = 0;
    for (; at < path.size(); ++at) {
        const unsigned char c = static_cast<unsigned char>(path[at]);
        if (!std::isxdigit(c)) break;
        const int digit = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

}  // namespace

HidPathIds ParseDevicePath(std::string_view path) {
    HidPathIds ids;
    ids.vendorId = static_cast<std::uint16_t>(HexAfter(path, "vid_"));
    ids.productId = static_cast<std::uint16_t>(HexAfter(path, "pid_"));
    ids.interfaceNumber = HexAfter(path, "&mi_");
    ids.collectionNumber = HexAfter(path, "&col");
    return ids;
}

std::string FormatDevicePathIds(const HidPathIds& ids) {
    char text[64];
    std::snprintf(text, sizeof text, "#vid_%04x&pid_%04x&mi_%02x&col%02x", ids.vendorId,
                  ids.productId, ids.interfaceNumber, ids.collectionNumber);
    return text;
}
