// The default data that ships beside the program: each default profile holds every
// section its device reads, with values in range, and the section writers reproduce
// it exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "SectionTestJson.h"
#include "profile/JsonFile.h"
#include "profile/KeyRecords.h"
#include "profile/KeyboardSections.h"
#include "profile/LightFiles.h"
#include "profile/MouseSections.h"

namespace {

std::string DataFile(const std::string& name) {
    return (std::filesystem::path(__FILE__).parent_path() / "../../data/DefaultData" / name)
        .lexically_normal()
        .string();
}

// The whole file, checked to be exactly what WriteJsonFile would write for it.
Json::Value ReadShipped(const std::string& name) {
    std::string text;
    EXPECT_EQ(ReadFileText(DataFile(name), text), FileReadResult::Ok) << name;
    Json::Value root;
    EXPECT_TRUE(ReadJsonFile(DataFile(name), root)) << name;
    EXPECT_EQ(text, StyledJsonText(root)) << name;
    return root;
}

Json::Value ShippedRecord(const std::string& kind) {
    const Json::Value root = ReadShipped(kind + ".Json");
    EXPECT_TRUE(root["profilename"].isString());
    EXPECT_TRUE(root["profileUUID"].isString());
    EXPECT_TRUE(root["Device"].isArray());
    EXPECT_EQ(root["Device"].size(), 1u);
    return root["Device"][0];
}

void ExpectLightingInRange(const Json::Value& record, int deviceIndex) {
    ASSERT_TRUE(record["LightInfo"].isObject());
    ASSERT_TRUE(record["LightList"].isArray());
    const LightRecord light = ReadLightInfo(record);
    EXPECT_LT(light.mode, BuiltInModeCount(deviceIndex));
    EXPECT_LE(light.brightness, 4);
    EXPECT_LE(light.speed, 4);
    EXPECT_LE(light.direction, 1);
    Json::Value rewritten = record;
    WriteLightInfo(rewritten, light);
    EXPECT_SAME_JSON(rewritten, record);
}

void ExpectKeyListRewritesItself(const Json::Value& record, const std::vector<KeyRecord>& keys) {
    for (const KeyRecord& key : keys) EXPECT_EQ(key.current, key.defaults) << key.current.position;
    Json::Value rewritten = record;
    WriteKeyList(rewritten, keys);
    EXPECT_SAME_JSON(rewritten, record);
}

TEST(DefaultData, MouseProfile) {
    const Json::Value record = ShippedRecord("mouse");
    for (const char* section : {"DPIStages", "SystemStages", "ReportStages"})
        EXPECT_TRUE(record[section].isObject()) << section;
    EXPECT_TRUE(record["CorrectInfo"].isArray());
    ExpectLightingInRange(record, kDeviceIndexMouse);

    CMouseSections sections;
    const std::vector<DpiStage> stages = sections.GetDpiStages(record);
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_LT(sections.GetActiveStage(), 5);
    for (const DpiStage& s : stages) {
        EXPECT_EQ(s.active, 1);
        EXPECT_LE(s.dpiX, 73);
    }
    const SystemValues system = sections.GetSystemValues(record);
    EXPECT_LE(SystemValues::Low(system.second), 1);   // pointer precision
    EXPECT_LE(SystemValues::High(system.second), 1);  // scroll page
    EXPECT_LE(SystemValues::High(system.third), 4);   // report rate index
    const auto presets = sections.GetCorrectInfo(record);
    ASSERT_FALSE(presets.empty());
    EXPECT_EQ(std::count_if(presets.begin(), presets.end(), [](auto& p) { return p.select; }), 1);

    // Factory codes of the ten buttons, in button order.
    constexpr std::array<std::array<std::uint8_t, 3>, 10> kFactory = {{{0x10, 0x01, 0x00},
                                                                       {0x10, 0x02, 0x00},
                                                                       {0x10, 0x04, 0x00},
                                                                       {0x10, 0x10, 0x00},
                                                                       {0x10, 0x08, 0x00},
                                                                       {0x13, 0x01, 0x00},
                                                                       {0x13, 0x02, 0x00},
                                                                       {0x13, 0x03, 0x00},
                                                                       {0xA0, 0x1B, 0x00},
                                                                       {0x16, 0x90, 0x01}}};
    const std::vector<KeyRecord> keys = ReadKeyList(record);
    ASSERT_EQ(keys.size(), kFactory.size());
    for (std::size_t b = 0; b < keys.size(); ++b) {
        SCOPED_TRACE(b);
        EXPECT_EQ(keys[b].defaults,
                  (KeyAssignment{0, kFactory[b][0], kFactory[b][1], kFactory[b][2]}));
    }
    ExpectKeyListRewritesItself(record, keys);

    Json::Value rewritten = record;
    sections.SetDpiStages(rewritten, stages);
    sections.SetActiveStage(rewritten, sections.GetActiveStage());
    sections.SetSystemValues(rewritten, system);
    EXPECT_SAME_JSON(rewritten, record);
}

TEST(DefaultData, KeyboardProfile) {
    const Json::Value record = ShippedRecord("keyboard");
    EXPECT_TRUE(record["SystemStages"].isObject());
    EXPECT_TRUE(record["CustomLightMode"].isObject());
    ExpectLightingInRange(record, kDeviceIndexKeyboard);

    const std::vector<KeyRecord> keys = ReadKeyList(record);
    ASSERT_EQ(keys.size(), 126u);  // one per key position
    struct Key {
        std::size_t position;
        KeyAssignment function;
    };
    for (const Key& k : {Key{0, {0, 0x20, 0x00, 0x29}},    // Esc
                         Key{16, {0, 0xA0, 0x1B, 0x00}},   // GM
                         Key{62, {0, 0x20, 0x00, 0x00}},   // no key
                         Key{84, {0, 0x20, 0x02, 0x00}},   // LShift
                         Key{87, {0, 0x20, 0x00, 0x06}},   // C
                         Key{110, {0, 0xA0, 0x01, 0x00}},  // FN
                         Key{120, {0, 0xD0, 0xA2, 0x01}},  // M1
                         Key{125, {0, 0x20, 0x80, 0x00}}}) {
        SCOPED_TRACE(k.position);
        EXPECT_EQ(keys[k.position].defaults, k.function);
    }
    ExpectKeyListRewritesItself(record, keys);

    const KeyboardSystemValues system = ReadKeyboardSystem(record);
    EXPECT_LE(system.first >> 16, 3u);   // repeat delay index
    EXPECT_LE(system.second >> 16, 3u);  // polling rate index
    Json::Value rewritten = record;
    WriteKeyboardSystem(rewritten, system);
    EXPECT_EQ(ReadCustomGroup(record, 1), 0);
    EXPECT_TRUE(WriteCustomGroup(rewritten, 0, 1));
    EXPECT_SAME_JSON(rewritten, record);
}

TEST(DefaultData, MousePadAndHeadsetProfiles) {
    ExpectLightingInRange(ShippedRecord("MousePad"), kDeviceIndexMousePad);
    const Json::Value headset = ShippedRecord("HD");
    ExpectLightingInRange(headset, kDeviceIndexHeadset);
    EXPECT_TRUE(headset["SystemSetStages"].isObject());
    for (const char* member : {"EQHzValueInfo", "CustomEQNameInfo", "CustomEQHzValueInfo"})
        EXPECT_TRUE(headset.isMember(member)) << member;
}

TEST(DefaultData, BuiltInModeNamesForEveryDevice) {
    const Json::Value document = ReadShipped("default_light.json");
    std::vector<std::vector<LightModeName>> rows;
    for (int d = 0; d < kDeviceIndexCount; ++d) {
        SCOPED_TRACE(d);
        rows.push_back(LoadBuiltInModeNames(DataFile("default_light.json"), d));
        ASSERT_EQ(rows.back().size(), static_cast<std::size_t>(BuiltInModeCount(d)));
        for (const LightModeName& mode : rows.back()) EXPECT_FALSE(mode.name.empty());
    }
    EXPECT_SAME_JSON(MakeDefaultLightDocument(rows), document);
}

}  // namespace
