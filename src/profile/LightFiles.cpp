#include "profile/LightFiles.h"

#include <filesystem>
#include <system_error>

#include "profile/JsonFile.h"
#include "profile/SectionFields.h"

namespace {

std::string CaptureCurrentDirectory() {
    std::error_code error;
    std::string folder = std::filesystem::current_path(error).string();
    if (error) return {};
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

const std::string& StartDirectory() {
    static const std::string folder = CaptureCurrentDirectory();
    return folder;
}

// Taken during static initialisation, before any dialog can run; the function-local
// static also serves callers from other static initialisers.
[[maybe_unused]] const std::string& g_startDirectory = StartDirectory();

// Row d of a per-device-index file, or null.
const Json::Value& DeviceRow(const Json::Value& document, const char* key, int deviceIndex) {
    if (deviceIndex < 0) return section::Element(Json::Value::nullSingleton(), 0);
    return section::Element(section::Member(document, key),
                            static_cast<Json::ArrayIndex>(deviceIndex));
}

}  // namespace

int BuiltInModeCount(int deviceIndex) {
    switch (deviceIndex) {
        case kDeviceIndexKeyboard:
            return 25;
        case kDeviceIndexMouse:
            return 10;
        case kDeviceIndexMousePad:
        case kDeviceIndexHeadset:
            return 9;
        default:
            return 0;
    }
}

LightRecord ReadLightInfo(const Json::Value& record) {
    using namespace section;
    LightRecord light;
    const Json::Value& info = Member(record, LightKey::LightInfo);
    if (info.isNull()) return light;
    light.mode = Byte(info, LightKey::SelectItem);
    light.brightness = Byte(info, LightKey::Light);
    light.speed = Byte(info, LightKey::Speed);
    light.direction = Byte(info, LightKey::Fx);
    light.multiColour = Flag(info, LightKey::MultiColor) ? 1 : 0;
    light.red = Byte(info, LightKey::Red);
    light.green = Byte(info, LightKey::Green);
    light.blue = Byte(info, LightKey::Blue);
    return light;
}

void WriteLightInfo(Json::Value& deviceRecord, const LightRecord& light) {
    using section::Number;
    Json::Value info(Json::objectValue);
    info[LightKey::SelectItem] = Number(light.mode);
    info[LightKey::Light] = Number(light.brightness);
    info[LightKey::Speed] = Number(light.speed);
    info[LightKey::MultiColor] = Number(light.multiColour);
    info[LightKey::Red] = Number(light.red);
    info[LightKey::Green] = Number(light.green);
    info[LightKey::Blue] = Number(light.blue);
    info[LightKey::Fx] = Number(light.direction);
    section::AsObject(deviceRecord)[LightKey::LightInfo] = std::move(info);
}

std::vector<LedEntry> ReadLightList(const Json::Value& record) {
    using namespace section;
    std::vector<LedEntry> entries;
    const Json::Value& list = Member(record, LightKey::LightList);
    if (!list.isArray()) return entries;
    for (const Json::Value& element : list) {
        LedEntry e;
        if (element.isObject()) {
            e.mode = Byte(element, LightKey::LedMode);
            e.brightness = Byte(element, LightKey::LedBrightness);
            e.speed = Byte(element, LightKey::LedSpeed);
            e.direction = Flag(element, LightKey::LedDirection) ? 1 : 0;
            e.multiColour = Flag(element, LightKey::LedMultiColor) ? 1 : 0;
            e.red = Byte(element, LightKey::LedRed);
            e.green = Byte(element, LightKey::LedGreen);
            e.blue = Byte(element, LightKey::LedBlue);
            e.present = 1;
        }
        entries.push_back(e);
    }
    return entries;
}

std::vector<LedEffect> ReadEffectDocument(const Json::Value& document) {
    using namespace section;
    std::vector<LedEffect> steps;
    const Json::Value& list = Member(document, LightKey::EffectList);
    if (!list.isArray()) return steps;
    for (const Json::Value& element : list) {
        steps.push_back({Byte(element, LightKey::LedMode), Byte(element, LightKey::LedBrightness),
                         Byte(element, LightKey::LedSpeed), Byte(element, LightKey::LedDirection),
                         Byte(element, LightKey::LedMultiColor), Byte(element, LightKey::LedRed),
                         Byte(element, LightKey::LedGreen), Byte(element, LightKey::LedBlue),
                         Word32(element, LightKey::Time)});
    }
    return steps;
}

std::string CustomModeGuid(const Json::Value& lightConfig, int deviceIndex, int mode,
                           int builtInCount) {
    if (mode < builtInCount || builtInCount < 0) return {};
    const Json::Value& row = DeviceRow(lightConfig, LightKey::LightInfo, deviceIndex);
    const Json::Value& custom =
        section::Element(row, static_cast<Json::ArrayIndex>(mode - builtInCount));
    std::string guid = section::Text(custom, LightKey::Guid);
    // The Guid becomes a file name: anything that could leave the folder is refused.
    return IsSafeFileStem(guid) ? guid : std::string();
}

std::vector<LedEffect> ReadEffectList(const Json::Value& lightConfig, int deviceIndex, int mode,
                                      int builtInCount, const std::string& folder) {
    const std::string guid = CustomModeGuid(lightConfig, deviceIndex, mode, builtInCount);
    if (guid.empty()) return {};
    Json::Value document;
    if (!ReadJsonFile(folder + guid + kEffectFileExtension, document)) return {};
    return ReadEffectDocument(document);
}

const std::string& EffectFolder() {
    return StartDirectory();
}

Json::Value LoadLightConfig(const std::string& path) {
    Json::Value config;
    ReadJsonFile(path, config);
    return config;
}

std::vector<LightModeName> LoadBuiltInModeNames(const std::string& path, int deviceIndex) {
    return ReadBuiltInModeNames(LoadLightConfig(path), deviceIndex);
}

std::vector<LightModeName> ReadBuiltInModeNames(const Json::Value& defaultLight, int deviceIndex) {
    std::vector<LightModeName> names;
    const Json::Value& row = DeviceRow(defaultLight, LightKey::DefaultLightName, deviceIndex);
    if (!row.isArray()) return names;
    for (const Json::Value& element : row) {
        names.push_back({FromFileText(section::Text(element, LightKey::LightName)),
                         section::Flag(element, LightKey::Visible)});
    }
    return names;
}

std::vector<std::string> ReadCustomModeNames(const Json::Value& lightConfig, int deviceIndex) {
    std::vector<std::string> names;
    const Json::Value& row = DeviceRow(lightConfig, LightKey::LightInfo, deviceIndex);
    if (!row.isArray()) return names;
    for (const Json::Value& element : row)
        names.push_back(FromFileText(section::Text(element, LightKey::LightName)));
    return names;
}

Json::Value MakeDefaultLightDocument(const std::vector<std::vector<LightModeName>>& rows) {
    Json::Value document(Json::objectValue);
    Json::Value& table = document[LightKey::DefaultLightName];
    table = Json::Value(Json::arrayValue);
    for (const auto& row : rows) {
        Json::Value modes(Json::arrayValue);
        for (const LightModeName& mode : row) {
            Json::Value element(Json::objectValue);
            element[LightKey::LightName] = ToFileText(mode.name);
            element[LightKey::Visible] = mode.visible;
            modes.append(std::move(element));
        }
        table.append(std::move(modes));
    }
    return document;
}
