#pragma once
// Lighting in the profile and in the light files: the "LightInfo" record and the
// per-LED "LightList" of a device record, the light configuration that names the
// user's custom modes, the effect files (".light") of those modes, and the shipped
// "default_light.json" with the names of the built-in modes. Only "LightInfo" is ever
// written by the program; everything else is read, and reads never fail.
#include <json/value.h>

#include <cstdint>
#include <string>
#include <vector>

#include "device/LightRecord.h"

namespace LightKey {
// "LightInfo" of the device record.
inline constexpr const char* LightInfo = "LightInfo";
inline constexpr const char* SelectItem = "SelectItem";
inline constexpr const char* Light = "Light";
inline constexpr const char* Speed = "Speed";
inline constexpr const char* Fx = "Fx";
inline constexpr const char* MultiColor = "MultiColor";
inline constexpr const char* Red = "Red";
inline constexpr const char* Green = "Green";
inline constexpr const char* Blue = "Blue";
// "LightList" elements and effect steps; note the lower-case colour keys.
inline constexpr const char* LightList = "LightList";
inline constexpr const char* LedMode = "LEDREGMode";
inline constexpr const char* LedBrightness = "LEDBrightness";
inline constexpr const char* LedSpeed = "LEDSpeed";
inline constexpr const char* LedDirection = "LEDDirection";
inline constexpr const char* LedMultiColor = "LEDMultiColor";
inline constexpr const char* LedRed = "red";
inline constexpr const char* LedGreen = "green";
inline constexpr const char* LedBlue = "blue";
inline constexpr const char* Time = "Time";
inline constexpr const char* EffectList = "LEDEffectList";
// Light configuration ("LightInfo" per device index) and "default_light.json".
inline constexpr const char* LightName = "LightName";
inline constexpr const char* Guid = "Guid";
inline constexpr const char* DefaultLightName = "DefaultLightName";
inline constexpr const char* Visible = "visible";
}  // namespace LightKey

inline constexpr const char* kEffectFileExtension = ".light";

// Device indexes select a row of the per-kind light files.
inline constexpr int kDeviceIndexKeyboard = 0;
inline constexpr int kDeviceIndexMouse = 1;
inline constexpr int kDeviceIndexMousePad = 2;
inline constexpr int kDeviceIndexHeadset = 3;
inline constexpr int kDeviceIndexCount = 4;
// Built-in modes of the device with that index; custom modes follow them. 0 for an
// unknown index.
int BuiltInModeCount(int deviceIndex);

// One step of a custom mode.
struct LedEffect {
    std::uint8_t mode = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    std::uint8_t multiColour = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint32_t time = 0;  // milliseconds
    friend bool operator==(const LedEffect&, const LedEffect&) = default;
};

struct LightModeName {
    std::string name;  // UTF-8
    bool visible = true;
    friend bool operator==(const LightModeName&, const LightModeName&) = default;
};

// The all-zero record when "LightInfo" is missing; each value cut to a byte.
LightRecord ReadLightInfo(const Json::Value& record);
// Replaces "LightInfo" whole with the eight keys of `record`.
void WriteLightInfo(Json::Value& deviceRecord, const LightRecord& light);
// One entry per "LightList" element; a null or non-object element gives an entry that
// is not present. Empty without the section.
std::vector<LedEntry> ReadLightList(const Json::Value& record);

// The "LEDEffectList" of a parsed effect file.
std::vector<LedEffect> ReadEffectDocument(const Json::Value& document);

// The Guid of custom mode `mode` (mode >= builtInCount) of device `deviceIndex` in the
// light configuration; empty for a built-in mode, a missing row or a Guid that cannot
// be a file name.
std::string CustomModeGuid(const Json::Value& lightConfig, int deviceIndex, int mode,
                           int builtInCount);
// The effect list of `mode`, read from `folder` + Guid + ".light". Empty for built-in
// modes and whenever a file or entry is missing or unreadable.
std::vector<LedEffect> ReadEffectList(const Json::Value& lightConfig, int deviceIndex, int mode,
                                      int builtInCount, const std::string& folder);
// The folder effect files are opened in: the current directory when the process
// started, ending with '/'. File dialogs change the current directory later; this does
// not change with it.
const std::string& EffectFolder();

// The light configuration file; null when it is missing or unreadable.
Json::Value LoadLightConfig(const std::string& path);
// The built-in modes of device `deviceIndex` read from the "default_light.json" at
// `path`; empty when the file or the row is missing.
std::vector<LightModeName> LoadBuiltInModeNames(const std::string& path, int deviceIndex);

// The built-in modes of device `deviceIndex` from "default_light.json", in mode order;
// empty when the row is missing. Elements that are not objects keep their place with
// an empty name.
std::vector<LightModeName> ReadBuiltInModeNames(const Json::Value& defaultLight, int deviceIndex);
// The custom mode names of device `deviceIndex` from the light configuration.
std::vector<std::string> ReadCustomModeNames(const Json::Value& lightConfig, int deviceIndex);
// The "default_light.json" document with row d = rows[d].
Json::Value MakeDefaultLightDocument(const std::vector<std::vector<LightModeName>>& rows);
