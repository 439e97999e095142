// libFuzzer entry: any bytes as a JSON document, read as a device record, a light
// configuration, an effect file and "default_light.json", then written back through
// the section writers. Nothing may throw or touch memory it does not own.
#include <json/reader.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "profile/KeyRecords.h"
#include "profile/KeyboardSections.h"
#include "profile/LightFiles.h"
#include "profile/MouseSections.h"

namespace {

bool Parse(const std::uint8_t* data, std::size_t size, Json::Value& root) {
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    const char* text = reinterpret_cast<const char*>(data);
    std::string errors;
    try {
        return reader->parse(text, text + size, &root, &errors);
    } catch (const std::exception&) {
        return false;  // jsoncpp throws past its nesting limit; the file reader absorbs it
    }
}

void ReadAsLightFiles(const Json::Value& root) {
    ReadLightInfo(root);
    ReadLightList(root);
    ReadEffectDocument(root);
    for (int d = -1; d <= kDeviceIndexCount; ++d) {
        ReadBuiltInModeNames(root, d);
        ReadCustomModeNames(root, d);
        for (int mode = -1; mode < 40; ++mode) CustomModeGuid(root, d, mode, BuiltInModeCount(d));
    }
}

void RewriteSections(Json::Value record) {
    WriteLightInfo(record, ReadLightInfo(record));
    WriteKeyList(record, ReadKeyList(record));
    WriteKeyboardSystem(record, ReadKeyboardSystem(record));
    const int group = ReadCustomGroup(record, 4);
    const auto colours = ReadCustomColours(record, group, 126, 4);
    WriteCustomColours(record, colours, group, 4);
    CMouseSections mouse;
    mouse.SetDpiStages(record, mouse.GetDpiStages(record));
    mouse.SetSystemValues(record, mouse.GetSystemValues(record));
    mouse.GetCorrectInfo(record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Json::Value root;
    if (!Parse(data, size, root)) return 0;
    ReadAsLightFiles(root);
    RewriteSections(root);
    return 0;
}
