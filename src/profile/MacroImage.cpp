#include "profile/MacroImage.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <string_view>

#include <json/reader.h>

namespace {

void PutLe16(std::span<std::uint8_t> out, std::size_t offset, std::uint16_t value) {
    out[offset] = static_cast<std::uint8_t>(value & 0xFF);
    out[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

int ClampText(std::string_view text, int low, int high) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error == std::errc::result_out_of_range) return text.starts_with('-') ? low : high;
    if (error != std::errc() || end == text.data()) return low;
    return static_cast<int>(std::clamp<long long>(number, low, high));
}

}  // namespace

int ReadClampedNumber(const Json::Value& value, int low, int high) {
    if (value.isInt64())
        return static_cast<int>(std::clamp<Json::Int64>(value.asInt64(), low, high));
    if (value.isUInt64()) return high;  // beyond Int64, so above any limit
    if (value.isDouble()) {
        const double number = value.asDouble();
        if (std::isnan(number)) return low;
        return static_cast<int>(
            std::clamp(number, static_cast<double>(low), static_cast<double>(high)));
    }
    if (value.isString()) return ClampText(value.asString(), low, high);
    return low;
}

Json::Value ParseMacroFileText(std::string_view text) {
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        // jsoncpp throws on nesting deeper than its stack limit.
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors))
            return Json::Value();
    } catch (const std::exception&) {
        return Json::Value();
    }
    return root;
}

bool IsMacroDocument(const Json::Value& doc) {
    return doc.isObject() && doc[MacroKey::Events].isArray();
}

MacroEvent ReadMacroEvent(const Json::Value& value) {
    MacroEvent event;
    if (!value.isObject()) return event;
    event.type = ReadClampedNumber(value[MacroKey::Type], 0, kMaxMacroType);
    event.button = ReadClampedNumber(value[MacroKey::Button], 0, kMaxMacroButton);
    const Json::Value& action = value[MacroKey::Action];
    if (action.isString()) event.action = action.asString();
    event.delay = ReadClampedNumber(value[MacroKey::Delay], 0, kMaxMacroDelay);
    return event;
}

std::vector<MacroEvent> ReadMacroEvents(const Json::Value& events) {
    std::vector<MacroEvent> out;
    if (!events.isArray()) return out;
    out.reserve(events.size());
    for (const Json::Value& element : events) out.push_back(ReadMacroEvent(element));
    return out;
}

Json::Value MacroEventToJson(const MacroEvent& event, DelayForm form) {
    Json::Value value(Json::objectValue);
    value[MacroKey::Type] = event.type;
    value[MacroKey::Button] = event.button;
    value[MacroKey::Action] = event.action;
    if (form == DelayForm::Text)
        value[MacroKey::Delay] = std::to_string(event.delay);
    else
        value[MacroKey::Delay] = event.delay;
    return value;
}

MacroDeviceEvent EncodeMacroEvent(const MacroEvent& event) {
    MacroDeviceEvent out{};
    PutLe16(out, 0, static_cast<std::uint16_t>(std::clamp(event.delay, 0, kMaxMacroDelay)));
    const auto type = static_cast<std::uint8_t>(std::clamp(event.type, 0, kMaxMacroType));
    out[2] = event.action == kActionDown ? static_cast<std::uint8_t>(type | 0x80) : type;
    out[3] = static_cast<std::uint8_t>(std::clamp(event.button, 0, kMaxMacroButton));
    return out;
}

std::size_t MacroImageSize(std::span<const std::vector<MacroEvent>> macros) {
    std::size_t size = kMacroImageHeaderSize;
    for (const auto& events : macros)
        size += 2 + kMacroBlockHeadSize + kMacroEventSize * events.size();
    return size;
}

std::optional<std::vector<std::uint8_t>> BuildMacroImage(
    std::span<const std::vector<MacroEvent>> macros) {
    const std::size_t size = MacroImageSize(macros);
    if (size > kMaxMacroImageSize) return std::nullopt;
    std::vector<std::uint8_t> image(size, 0);  // reserved bytes go out as zero
    PutLe16(image, MacroImageOffset::Magic, kMacroImageMagic);
    PutLe16(image, MacroImageOffset::Length, static_cast<std::uint16_t>(size));
    PutLe16(image, MacroImageOffset::Count, static_cast<std::uint16_t>(macros.size()));
    std::size_t block = MacroImageOffset::Offsets + 2 * macros.size();
    for (std::size_t i = 0; i < macros.size(); ++i) {
        PutLe16(image, MacroImageOffset::Offsets + 2 * i, static_cast<std::uint16_t>(block));
        PutLe16(image, block + MacroImageOffset::BlockEventCount,
                static_cast<std::uint16_t>(macros[i].size()));
        std::size_t at = block + MacroImageOffset::BlockEvents;
        for (const MacroEvent& event : macros[i]) {
            const MacroDeviceEvent bytes = EncodeMacroEvent(event);
            std::ranges::copy(bytes, image.begin() + static_cast<std::ptrdiff_t>(at));
            at += kMacroEventSize;
        }
        block = at;
    }
    return image;
}

int MacroImageOverflow(std::size_t imageSize, std::size_t capacityBytes) {
    if (imageSize <= capacityBytes) return 0;
    const std::size_t excess = (imageSize - capacityBytes) / kMacroEventSize + 1;
    return static_cast<int>(std::min<std::size_t>(excess, std::numeric_limits<int>::max()));
}
