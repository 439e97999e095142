#include "device/hid/UsageDecoder.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

inline constexpr std::size_t kReportIdBytes = 1;  // data bits count from the byte after it

// `bitSize` bits (LSB first) at `bitOffset` of the report's data; nullopt past its end.
std::optional<std::uint32_t> ReadBits(std::span<const std::uint8_t> report, std::uint64_t bitOffset,
                                      std::uint32_t bitSize) {
    const std::uint64_t first = kReportIdBytes * 8 + bitOffset;
    if (bitSize == 0 || bitSize > 32 || first + bitSize > report.size() * 8ull) return std::nullopt;
    std::uint32_t value = 0;
    for (std::uint32_t n = 0; n < bitSize; ++n) {
        const std::uint64_t bit = first + n;
        if (report[bit / 8] >> (bit % 8) & 1u) value |= 1u << n;
    }
    return value;
}

std::int64_t SignExtend(std::uint32_t raw, std::uint32_t bitSize) {
    if (bitSize == 0 || bitSize >= 32) return static_cast<std::int32_t>(raw);
    const std::uint32_t sign = 1u << (bitSize - 1);
    return static_cast<std::int64_t>(raw ^ sign) - static_cast<std::int64_t>(sign);
}

// The field's logical value: signed when its logical range goes below zero.
std::int64_t LogicalValue(std::uint32_t raw, std::uint32_t bitSize, std::int32_t logicalMin) {
    return logicalMin < 0 ? SignExtend(raw, bitSize) : raw;
}

// True when the next cap is another span of the same array field.
bool SharesField(const HidCollectionCaps& caps, std::size_t index) {
    if (index + 1 >= caps.inputButtons.size()) return false;
    const HidButtonCap& cap = caps.inputButtons[index];
    const HidButtonCap& next = caps.inputButtons[index + 1];
    return next.isArray && next.reportId == cap.reportId && next.bitOffset == cap.bitOffset;
}

// Array elements hold usage indexes. The last span of a field also takes values above
// its logical maximum: this mouse announces its re-read event as 0x0401 though its
// descriptor declares 0..0x3FF.
void DecodeArray(const HidButtonCap& cap, bool lastSpan, std::span<const std::uint8_t> report,
                 std::vector<std::uint16_t>& pressed) {
    for (std::uint32_t n = 0; n < cap.count; ++n) {
        const auto raw =
            ReadBits(report, cap.bitOffset + std::uint64_t{n} * cap.bitSize, cap.bitSize);
        if (!raw) return;
        const std::int64_t value = LogicalValue(*raw, cap.bitSize, cap.logicalMin);
        if (value < cap.logicalMin || (!lastSpan && value > cap.logicalMax)) continue;
        const std::int64_t usage = cap.usageMin + (value - cap.logicalMin);
        if (usage > 0 && usage <= std::numeric_limits<std::uint16_t>::max())
            pressed.push_back(static_cast<std::uint16_t>(usage));
    }
}

void DecodeBits(const HidButtonCap& cap, std::span<const std::uint8_t> report,
                std::vector<std::uint16_t>& pressed) {
    for (std::uint32_t n = 0; n < cap.count; ++n) {
        const auto bit = ReadBits(report, std::uint64_t{cap.bitOffset} + n, 1);
        if (!bit) return;
        if (*bit) pressed.push_back(static_cast<std::uint16_t>(cap.usageMin + n));
    }
}

void DecodeButton(const HidCollectionCaps& caps, std::size_t index,
                  std::span<const std::uint8_t> report, HidDataItem& item) {
    const HidButtonCap& cap = caps.inputButtons[index];
    std::vector<std::uint16_t> pressed;
    if (cap.isArray)
        DecodeArray(cap, !SharesField(caps, index), report, pressed);
    else
        DecodeBits(cap, report, pressed);
    pressed.resize(std::max(pressed.size(), item.usages.size()), 0);  // the list ends with 0
    item.usages = std::move(pressed);
    item.dataSet = true;
}

// Logical to physical units; the logical value itself when no physical range is given.
std::int32_t ScaleValue(const HidValueCap& cap, std::int64_t logical) {
    const bool physicalGiven = cap.physicalMin != 0 || cap.physicalMax != 0;
    if (logical < cap.logicalMin || logical > cap.logicalMax) return 0;
    std::int64_t scaled = logical;
    if (physicalGiven && cap.logicalMax > cap.logicalMin) {
        // Both spans reach 2^32, so their product needs more than 64 bits.
        const __int128 step = static_cast<__int128>(logical - cap.logicalMin) *
                              (std::int64_t{cap.physicalMax} - cap.physicalMin);
        scaled = cap.physicalMin +
                 static_cast<std::int64_t>(step / (std::int64_t{cap.logicalMax} - cap.logicalMin));
    }
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(scaled, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

bool DecodeValue(const HidValueCap& cap, std::span<const std::uint8_t> report, HidDataItem& item) {
    const auto raw = ReadBits(report, cap.bitOffset, cap.bitSize);
    if (!raw) return false;
    item.rawValue = *raw;
    item.scaledValue = ScaleValue(cap, LogicalValue(*raw, cap.bitSize, cap.logicalMin));
    item.dataSet = true;
    return true;
}

}  // namespace

std::vector<HidDataItem> BuildInputItems(const HidCollectionCaps& caps) {
    std::vector<HidDataItem> items;
    for (const HidButtonCap& cap : caps.inputButtons) {
        HidDataItem& item = items.emplace_back();
        item.reportId = cap.reportId;
        item.usagePage = cap.usagePage;
        item.isButton = true;
        item.usageMin = cap.usageMin;
        item.usageMax = cap.usageMax;
        item.usages.assign(cap.count, 0);
    }
    for (const HidValueCap& cap : caps.inputValues) {
        HidDataItem& item = items.emplace_back();
        item.reportId = cap.reportId;
        item.usagePage = cap.usagePage;
        item.usage = cap.usage;
    }
    return items;
}

bool DecodeInputItems(const HidCollectionCaps& caps, std::vector<HidDataItem>& items,
                      std::span<const std::uint8_t> report) {
    if (report.empty()) return false;
    const std::size_t buttons = caps.inputButtons.size();
    if (items.size() != buttons + caps.inputValues.size()) return false;
    for (HidDataItem& item : items) item.dataSet = false;
    for (std::size_t n = 0; n < items.size(); ++n) {
        HidDataItem& item = items[n];
        if (item.reportId != report[0]) continue;
        if (n < buttons)
            DecodeButton(caps, n, report, item);
        else if (!DecodeValue(caps.inputValues[n - buttons], report, item))
            return false;
    }
    return true;
}
