#include "profile/KeyboardSections.h"

#include <algorithm>

#include "device/LightRecord.h"
#include "profile/SectionFields.h"

namespace {

std::uint32_t Pack(std::uint16_t low, std::uint16_t high) {
    return static_cast<std::uint32_t>(high) << 16 | low;
}

bool GroupInRange(int group, int groupCount) {
    return group >= 0 && group < groupCount;
}

Json::Value ColourElement(std::uint32_t colour) {
    Json::Value element(Json::objectValue);
    element[KeyboardKey::Red] = section::Number(LedRed(colour));
    element[KeyboardKey::Green] = section::Number(LedGreen(colour));
    element[KeyboardKey::Blue] = section::Number(LedBlue(colour));
    element[KeyboardKey::Alpha] = section::Number(LedIntensity(colour));
    return element;
}

// The colour group `group` of the record, created as an array when missing.
Json::Value& GroupArray(Json::Value& record, int group) {
    Json::Value& groups = section::ArrayMember(
        section::ObjectMember(record, KeyboardKey::CustomLightMode), KeyboardKey::LightColorInfo);
    return section::AsArray(groups[static_cast<Json::ArrayIndex>(group)]);
}

}  // namespace

KeyboardSystemValues ReadKeyboardSystem(const Json::Value& record) {
    using namespace section;
    const Json::Value& s = Member(record, KeyboardKey::SystemStages);
    return {Pack(Word16(s, KeyboardKey::Repeat), Word16(s, KeyboardKey::RepeatDelay)),
            Pack(Word16(s, KeyboardKey::Key6Flag), Word16(s, KeyboardKey::PollingRate)),
            Pack(Word16(s, KeyboardKey::WFlag), Word16(s, KeyboardKey::WinFlag))};
}

void WriteKeyboardSystem(Json::Value& record, const KeyboardSystemValues& v) {
    using section::Number;
    Json::Value& s = section::ObjectMember(record, KeyboardKey::SystemStages);
    s[KeyboardKey::Repeat] = Number(v.first & 0xFFFF);
    s[KeyboardKey::RepeatDelay] = Number(v.first >> 16);
    s[KeyboardKey::Key6Flag] = Number(v.second & 0xFFFF);
    s[KeyboardKey::PollingRate] = Number(v.second >> 16);
    s[KeyboardKey::WFlag] = Number(v.third & 0xFFFF);
    s[KeyboardKey::WinFlag] = Number(v.third >> 16);
}

int ReadCustomGroup(const Json::Value& record, int groupCount) {
    const Json::Value& value = section::Member(
        section::Member(record, KeyboardKey::CustomLightMode), KeyboardKey::GroupIndex);
    if (!value.isInt()) return 0;
    const int group = value.asInt();
    return GroupInRange(group, groupCount) ? group : 0;
}

bool WriteCustomGroup(Json::Value& record, int group, int groupCount) {
    if (!GroupInRange(group, groupCount)) return false;
    section::ObjectMember(record, KeyboardKey::CustomLightMode)[KeyboardKey::GroupIndex] =
        section::Number(group);
    return true;
}

std::vector<std::uint32_t> ReadCustomColours(Json::Value& record, int group, std::size_t ledCount,
                                             int groupCount) {
    if (!GroupInRange(group, groupCount)) group = 0;
    ledCount = std::min(ledCount, kMaxCustomLeds);
    Json::Value& leds = GroupArray(record, group);
    std::vector<std::uint32_t> colours(ledCount, 0);
    for (std::size_t j = 0; j < ledCount; ++j) {
        const auto index = static_cast<Json::ArrayIndex>(j);
        if (index >= leds.size() || !leds[index].isObject()) {
            leds[index] = ColourElement(0);
            continue;
        }
        const Json::Value& led = leds[index];
        colours[j] = PackLedColour(
            section::Byte(led, KeyboardKey::Red), section::Byte(led, KeyboardKey::Green),
            section::Byte(led, KeyboardKey::Blue), section::Byte(led, KeyboardKey::Alpha));
    }
    return colours;
}

bool WriteCustomColours(Json::Value& record, std::span<const std::uint32_t> colours, int group,
                        int groupCount) {
    if (!GroupInRange(group, groupCount)) return false;
    Json::Value& leds = GroupArray(record, group);
    const std::size_t count = std::min(colours.size(), kMaxCustomLeds);
    for (std::size_t j = 0; j < count; ++j)
        leds[static_cast<Json::ArrayIndex>(j)] = ColourElement(colours[j]);
    return true;
}
