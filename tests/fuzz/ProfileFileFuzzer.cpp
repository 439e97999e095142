// libFuzzer entry: any bytes as a profile file. Loading, reading every member through the
// checked readers and saving must neither crash nor throw, and what is saved must read
// back as a JSON object.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "profile/JsonFile.h"
#include "profile/ProfileData.h"

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/profile-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) std::abort();
        std::ofstream(pattern + "/mouse.Json") << R"({"Device":[{"LightInfo":{"Mode":1}}]})";
        return pattern + "/";
    }();
    return folder;
}

// Reads every value the way section code does; strings must come out as valid UTF-8.
void Walk(const Json::Value& value, int depth) {
    if (depth > 64) return;
    if (value.isString() && !IsValidUtf8(JsonAsString(value))) std::abort();
    JsonAsInt(value, 0);
    JsonAsBool(value, false);
    JsonElement(value, 0);
    if (value.isObject()) {
        for (const std::string& key : value.getMemberNames()) {
            JsonInt(value, key, 0);
            JsonString(value, key);
            JsonArray(value, key);
            IsSafeFileStem(JsonString(value, key));
            Walk(JsonMember(value, key), depth + 1);
        }
    } else if (value.isArray()) {
        for (Json::ArrayIndex i = 0; i < value.size(); ++i) Walk(JsonElement(value, i), depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!IsValidUtf8(FromFileText(bytes))) std::abort();

    const std::string path = Folder() + "2022_02_01_09_05_03_007.Json";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    CMouseProfiledata profile;
    profile.SetDefaultProfilePath(Folder() + "mouse.Json");
    profile.SetProfilePath(path);
    const Json::Value record = profile.LoadDeviceRecord(path);
    Walk(record, 0);
    JsonObjectMember(profile.DeviceRecord(), "DPIStages")["StageActive"] = 1;
    if (!profile.SaveRecord()) std::abort();
    Json::Value saved;
    if (!ReadJsonFile(path, saved)) std::abort();
    return 0;
}
