#include "device/mouse/MouseKeyTable.h"

#include <algorithm>

namespace {

std::size_t SlotOffset(std::size_t slot) {
    return slot * kKeySlotBytes;
}

std::uint8_t FindSlot(std::span<const std::uint8_t> table, std::size_t slots,
                      const KeyFunction& code) {
    for (std::size_t slot = 0; slot < slots; ++slot) {
        if (std::ranges::equal(table.subspan(SlotOffset(slot), kKeySlotBytes), code))
            return static_cast<std::uint8_t>(slot);
    }
    return kNoKeySlot;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> BuildButtonSlotMap(std::span<const std::uint8_t> keyTable,
                                                            int slotCount) {
    if (!MouseKeySlotCountAccepted(slotCount)) return std::nullopt;
    const auto count = static_cast<std::size_t>(slotCount);
    // A table shorter than its count is searched only as far as it goes.
    const std::size_t slots = std::min(count, keyTable.size() / kKeySlotBytes);
    std::vector<std::uint8_t> map(std::max(count, kMouseButtonCount), kNoKeySlot);
    for (std::size_t b = 0; b < kMouseButtonCount; ++b)
        map[b] = FindSlot(keyTable, slots, kMouseButtonCodes[b].factory);
    return map;
}

std::optional<KeyTableImage> MakeKeyTableImage(std::span<const std::uint8_t> read, int slotCount) {
    if (!MouseKeySlotCountAccepted(slotCount)) return std::nullopt;
    if (read.size() != SlotOffset(static_cast<std::size_t>(slotCount))) return std::nullopt;
    KeyTableImage image;
    std::ranges::copy(read, image.bytes.begin());
    image.slotCount = slotCount;
    return image;
}

std::optional<std::vector<std::uint8_t>> ComposeKeyTable(const KeyTableImage& image,
                                                         int deviceSlotCount,
                                                         std::span<const std::uint8_t> slotMap,
                                                         std::span<const KeyRecord> keys) {
    // Writing an image of another layout would scramble every button the device has.
    if (!MouseKeySlotCountAccepted(image.slotCount) || deviceSlotCount != image.slotCount)
        return std::nullopt;
    const std::size_t size = SlotOffset(static_cast<std::size_t>(image.slotCount));
    std::vector<std::uint8_t> table(image.bytes.begin(), image.bytes.begin() + size);
    const std::size_t buttons = std::min(slotMap.size(), keys.size());
    for (std::size_t b = 0; b < buttons; ++b) {
        const std::size_t at = SlotOffset(slotMap[b]);
        if (slotMap[b] == kNoKeySlot || at + kKeySlotBytes > table.size()) continue;
        const KeyAssignment& current = keys[b].current;
        table[at] = current.type;
        table[at + 1] = current.param1;
        table[at + 2] = current.param2;
    }
    return table;
}
