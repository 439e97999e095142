#pragma once
// One interface of the virtual HID bus as its NAME.json describes it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid/HidTypes.h"

struct VirtualBusEntry {
    std::string name;    // NAME of NAME.json
    std::string socket;  // file name of the listening socket, in the bus folder
    HidAttributes attributes;
    std::uint32_t interfaceNumber = 0;
    std::uint32_t collectionNumber = 0;
    HidCollectionCaps caps;
};

// Nullopt when the file is missing, is not JSON, misses a member or has one of the wrong
// type, or its report descriptor does not parse.
std::optional<VirtualBusEntry> ReadVirtualBusEntry(const std::string& folder,
                                                   const std::string& name);
// The names of the NAME.json files in `folder`, sorted; false when it cannot be read
// (a folder not made yet lists nothing).
bool ListVirtualBusNames(const std::string& folder, std::vector<std::string>& names);
// "vhid:NAME#vid_XXXX&pid_XXXX&mi_XX&colXX".
std::string VirtualBusPath(const VirtualBusEntry& entry);
inline constexpr std::string_view kVirtualPathPrefix = "vhid:";
