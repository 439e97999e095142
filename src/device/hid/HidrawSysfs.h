#pragma once
// What sysfs says about hidraw nodes: identity, interface number, USB version and the
// parsed report descriptor.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/hid/HidTypes.h"

struct HidrawNode {
    std::string name;  // "hidraw3"
    HidAttributes attributes;
    std::uint32_t interfaceNumber = 0;
    std::vector<HidCollectionCaps> collections;
};

// Names of the nodes under <sysRoot>/class/hidraw in numeric order. A missing folder is
// an empty listing (none was ever plugged in); false only when it cannot be read.
bool ListHidrawNames(const std::string& sysRoot, std::vector<std::string>& names);
// Nullopt when the node's uevent or report descriptor cannot be read or parsed.
std::optional<HidrawNode> DescribeHidrawNode(const std::string& sysRoot, const std::string& name);
