#pragma once
// The keyboard's own sections of a profile's device record: the system settings
// ("SystemStages") and the colour groups of the custom lighting mode
// ("CustomLightMode"). Writers change the record in memory only.
#include <json/value.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The six settings as three packed words, low half first: repeat | repeat delay,
// 6-key flag | polling rate, W flag | Windows-key lock.
struct KeyboardSystemValues {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    std::uint32_t third = 0;
    friend bool operator==(const KeyboardSystemValues&, const KeyboardSystemValues&) = default;
};

namespace KeyboardKey {
inline constexpr const char* SystemStages = "SystemStages";
inline constexpr const char* Repeat = "Repeat";
inline constexpr const char* RepeatDelay = "RepeatDelay";
inline constexpr const char* Key6Flag = "Key6Flag";
inline constexpr const char* PollingRate = "PollingRate";
inline constexpr const char* WFlag = "WFlag";
inline constexpr const char* WinFlag = "WinFlag";
inline constexpr const char* CustomLightMode = "CustomLightMode";
inline constexpr const char* GroupIndex = "CustomLightModeGroupIndex";
inline constexpr const char* LightColorInfo = "LightColorInfo";
inline constexpr const char* Red = "Red";
inline constexpr const char* Green = "Green";
inline constexpr const char* Blue = "Blue";
inline constexpr const char* Alpha = "Alpha";
}  // namespace KeyboardKey

// All zero when the section is missing.
KeyboardSystemValues ReadKeyboardSystem(const Json::Value& record);
void WriteKeyboardSystem(Json::Value& record, const KeyboardSystemValues& values);

// The custom colour group to use: the stored one when it is an integer in
// 0..groupCount-1, else 0. A hand-edited index must never grow the file.
int ReadCustomGroup(const Json::Value& record, int groupCount);
// Writes `group` when it is in 0..groupCount-1; false (nothing written) otherwise.
bool WriteCustomGroup(Json::Value& record, int group, int groupCount);

// No device has more LEDs than this; larger counts are cut to it.
inline constexpr std::size_t kMaxCustomLeds = 256;

// `ledCount` colours of group `group` packed as the LED colour buffer holds them (red,
// green, blue, alpha from the low byte up). Missing LEDs, and a missing group, are
// written into the record as zero colours. A group outside 0..groupCount-1 is taken as
// group 0.
std::vector<std::uint32_t> ReadCustomColours(Json::Value& record, int group, std::size_t ledCount,
                                             int groupCount);
// Writes every colour into group `group`; false (nothing written) for a group outside
// 0..groupCount-1.
bool WriteCustomColours(Json::Value& record, std::span<const std::uint32_t> colours, int group,
                        int groupCount);
