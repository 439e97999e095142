#pragma once
// The mouse's key table: which device slot holds which logical button, found from the
// factory codes, and the table written back with the buttons' current functions.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "device/channel/ProtocolTable.h"
#include "profile/KeyRecords.h"

inline constexpr std::size_t kMouseButtonCount = 10;
inline constexpr std::uint8_t kNoKeySlot = 126;
// 170 slots of three bytes still fit the 512-byte key table.
inline constexpr int kMaxMouseKeySlots = static_cast<int>(kMaxBlockSize / kKeySlotBytes);

using KeyFunction = std::array<std::uint8_t, kKeySlotBytes>;  // type, parameter 1, parameter 2

struct MouseButtonCode {
    std::string_view textKey;
    KeyFunction factory;  // what a factory-fresh key table holds for the button
};

inline constexpr std::array<MouseButtonCode, kMouseButtonCount> kMouseButtonCodes = {{
    {"mouse_key_left", {0x10, 0x01, 0x00}},
    {"mouse_key_right", {0x10, 0x02, 0x00}},
    {"mouse_key_middle", {0x10, 0x04, 0x00}},
    {"mouse_key_forward", {0x10, 0x10, 0x00}},
    {"mouse_key_back", {0x10, 0x08, 0x00}},
    {"mouse_key_DPI_add", {0x13, 0x01, 0x00}},
    {"mouse_key_DPI_sub", {0x13, 0x02, 0x00}},
    {"mouse_key_DPI_loop", {0x13, 0x03, 0x00}},
    {"keyboard_key_GM", {0xA0, 0x1B, 0x00}},
    {"mouse_key_M8_key", {0x16, 0x90, 0x01}},
}};

constexpr bool MouseKeySlotCountAccepted(int slotCount) {
    return slotCount >= 0 && slotCount <= kMaxMouseKeySlots;
}

// Entry b is the slot of logical button b, kNoKeySlot when its factory code is in no
// slot; a code found twice maps to the lower slot. The map has an entry for every
// button and every slot. Empty when the slot count is refused.
std::optional<std::vector<std::uint8_t>> BuildButtonSlotMap(std::span<const std::uint8_t> keyTable,
                                                            int slotCount);

// The key table as read from the device, with the slot count it was read with.
struct KeyTableImage {
    std::array<std::uint8_t, kMaxBlockSize> bytes{};
    int slotCount = 0;
};

// An image only from a read that returned the whole table for an accepted slot count.
std::optional<KeyTableImage> MakeKeyTableImage(std::span<const std::uint8_t> read, int slotCount);

// The table to write: the image, with slot map[b] holding the current function of
// keys[b]. Slots of no button, and buttons without a record, keep the bytes read.
// Empty when the device now reports another slot count than the image was read with.
std::optional<std::vector<std::uint8_t>> ComposeKeyTable(const KeyTableImage& image,
                                                         int deviceSlotCount,
                                                         std::span<const std::uint8_t> slotMap,
                                                         std::span<const KeyRecord> keys);
