// Load and save of a keyboard-sized profile: 126 key records, a per-LED list and four
// groups of per-key custom colours. A save re-reads the file, replaces the device record
// and writes the file atomically (flushed to disk), as every settings change does.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "profile/JsonFile.h"
#include "profile/ProfileData.h"

namespace {

constexpr int kKeys = 126;
constexpr int kColourGroups = 4;

Json::Value Assignment(int key, int type) {
    Json::Value assignment;
    assignment["KeyIndex"] = key;
    assignment["FunctionType"] = type;
    assignment["Param1"] = key * 3 % 256;
    assignment["Param2"] = 0;
    return assignment;
}

Json::Value KeyboardRecord() {
    Json::Value record;
    for (int key = 0; key < kKeys; ++key) {
        Json::Value entry;
        entry["Current"] = Assignment(key, 1);
        entry["Default"] = Assignment(key, 1);
        record["KeyList"].append(entry);
        Json::Value led;
        led["Index"] = key;
        led["Red"] = key * 2 % 256;
        led["Green"] = 255 - key;
        led["Blue"] = key;
        record["LightList"].append(led);
    }
    Json::Value& custom = record["CustomLightMode"];
    custom["CustomLightModeGroupIndex"] = 1;
    for (int group = 0; group < kColourGroups; ++group) {
        Json::Value colours(Json::arrayValue);
        for (int key = 0; key < kKeys; ++key) {
            Json::Value colour;
            colour["Red"] = (key * 7 + group) % 256;
            colour["Green"] = (key * 11) % 256;
            colour["Blue"] = (key * 13) % 256;
            colour["Alpha"] = 255;
            colours.append(colour);
        }
        custom["LightColorInfo"].append(colours);
    }
    Json::Value& light = record["LightInfo"];
    for (const char* key : {"Mode", "Brightness", "Speed", "Direction", "Red", "Green", "Blue"})
        light[key] = 3;
    Json::Value& system = record["SystemStages"];
    for (const char* key : {"RepeatRate", "RepeatDelay", "WinLock", "AltTabLock", "AltF4Lock"})
        system[key] = 1;
    return record;
}

class ProfileBench : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State&) override {
        std::string pattern = (std::filesystem::temp_directory_path() / "profile-bench-XXXXXX");
        if (!::mkdtemp(pattern.data())) return;
        m_folder = pattern + "/";
        m_path = m_folder + "2022_02_01_09_05_03_007.Json";
        Json::Value root;
        root["profilename"] = "Game";
        root["profileUUID"] = "2022_02_01_09_05_03_007";
        root["Device"][0] = KeyboardRecord();
        WriteJsonFile(m_path, root);
        m_profile.SetProfilePath(m_path);
        m_profile.SetDefaultProfilePath(m_path);
    }
    void TearDown(const benchmark::State&) override {
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }

protected:
    std::string m_folder, m_path;
    CKeyboardProfiledata m_profile;
};

BENCHMARK_F(ProfileBench, LoadDeviceRecord)(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(m_profile.LoadDeviceRecord(m_path));
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(m_path));
}

BENCHMARK_F(ProfileBench, SaveRecord)(benchmark::State& state) {
    m_profile.LoadDeviceRecord(m_path);
    int n = 0;
    for (auto _ : state) {
        m_profile.DeviceRecord()["CustomLightMode"]["CustomLightModeGroupIndex"] = ++n % 4;
        if (!m_profile.SaveRecord()) state.SkipWithError("save failed");
    }
}

BENCHMARK_F(ProfileBench, StyledText)(benchmark::State& state) {
    const Json::Value record = KeyboardRecord();
    for (auto _ : state) benchmark::DoNotOptimize(StyledJsonText(record));
}

// WriteFileText alone: the check of the old file (read and parsed), then temporary file,
// write, flush to disk and rename. A save skips the check when it read the file itself.
BENCHMARK_F(ProfileBench, AtomicWrite)(benchmark::State& state) {
    Json::Value root;
    root["Device"][0] = KeyboardRecord();
    const std::string text = StyledJsonText(root);
    for (auto _ : state)
        if (!WriteFileText(m_path, text)) state.SkipWithError("write failed");
}

}  // namespace

BENCHMARK_MAIN();
