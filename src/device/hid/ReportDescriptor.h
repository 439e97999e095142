#pragma once
// Reader of HID report descriptors: the top-level collections, each with its report ids,
// report byte lengths and input capabilities, as the transport and the usage decoder
// need them on every backend.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/hid/HidTypes.h"

// Limits that keep a hostile descriptor from costing more than a real one would.
inline constexpr std::size_t kMaxDescriptorCaps = 4096;   // button and value caps in all
inline constexpr std::size_t kMaxReportBytes = 4096;      // one report, report id included
inline constexpr std::uint32_t kMaxFieldBits = 32;        // one element of a field
inline constexpr std::size_t kMaxButtonElements = 65536;  // bits and array slots in all

// The top-level collections in descriptor order (numbered from 1). Nullopt for a
// truncated or unbalanced descriptor, one without any collection, or one past the limits.
std::optional<std::vector<HidCollectionCaps>> ParseReportDescriptor(
    std::span<const std::uint8_t> descriptor);
