#include "profile/LightFiles.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "SectionTestJson.h"

namespace {

namespace fs = std::filesystem;

TEST(LightFiles, ReadLightInfo) {
    struct Case {
        const char* text;
        LightRecord expected;
    };
    const Case cases[] = {
        {R"({"LightInfo":{"SelectItem":3,"Light":4,"Speed":2,"Fx":1,"MultiColor":1,
             "Red":255,"Green":128,"Blue":7}})",
         {3, 4, 2, 1, 1, 255, 128, 7, {}}},
        {R"({"LightInfo":{"SelectItem":3,"MultiColor":true,"Red":300}})",  // no "Fx"
         {3, 0, 0, 0, 1, 44, 0, 0, {}}},
        {R"({"LightInfo":{"MultiColor":7,"Light":-1,"Speed":"4"}})",
         {0, 255, 0, 0, 1, 0, 0, 0, {}}},
        {R"({"LightInfo":[3,4]})", {}},
        {R"({"lightinfo":{"SelectItem":3}})", {}},
        {"null", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadLightInfo(ParseTestJson(c.text)), c.expected);
    }
}

TEST(LightFiles, WriteLightInfoReplacesTheObjectWhole) {
    Json::Value record = ParseTestJson(R"({"LightInfo":{"SelectItem":1,"Old":5},"KeyList":[]})");
    WriteLightInfo(record, LightRecord::FromWords(0x01020304, 0xFF804001, 0x00AABBCC));
    EXPECT_SAME_JSON(record, ParseTestJson(R"({"LightInfo":{"SelectItem":4,"Light":3,"Speed":2,
        "Fx":1,"MultiColor":1,"Red":64,"Green":128,"Blue":255},"KeyList":[]})"));
    Json::Value notAnObject = ParseTestJson("[1]");
    WriteLightInfo(notAnObject, {});
    EXPECT_TRUE(notAnObject.isObject());
}

TEST(LightFiles, ReadLightListMarksNullElements) {
    const auto entries = ReadLightList(ParseTestJson(R"({"LightList":[
        {"LEDREGMode":2,"LEDBrightness":4,"LEDSpeed":1,"LEDDirection":true,
         "LEDMultiColor":0,"red":1,"green":2,"blue":258},
        null,
        {"Red":9}, 5]})"));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], (LedEntry{2, 4, 1, 1, 0, 1, 2, 2, 0, 0, 1}));
    EXPECT_EQ(entries[1], LedEntry{});
    EXPECT_EQ(entries[2], (LedEntry{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));  // "red" is lower-case
    EXPECT_EQ(entries[3], LedEntry{});
    EXPECT_TRUE(ReadLightList(ParseTestJson(R"({"LightList":{"0":{}}})")).empty());
}

class EffectFiles : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("tolmi_light_" + std::to_string(::getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(m_folder / name) << text;
    }
    std::string Folder() const { return m_folder.string() + "/"; }

    fs::path m_folder;
    // Custom modes of the mouse (device index 1); row 0 belongs to another device.
    const Json::Value m_config = ParseTestJson(R"({"LightInfo":[
        [{"LightName":"kb","Guid":"kb"}],
        [{"LightName":"Wave","Guid":"a"},{"LightName":"Up","Guid":"..\\up"},
         {"LightName":"Pulse","Guid":"c"},{"LightName":"Bad"},{"LightName":"Broken","Guid":"d"}]]})");
};

TEST_F(EffectFiles, CustomModeTakesItsEffectsFromItsGuid) {
    Write("c.light", R"({"LEDEffectList":[
        {"LEDREGMode":1,"LEDBrightness":2,"LEDSpeed":3,"LEDDirection":1,"LEDMultiColor":1,
         "red":10,"green":20,"blue":30,"Time":70000},
        {"Time":-1}]})");
    const auto steps = ReadEffectList(m_config, kDeviceIndexMouse, 12, 10, Folder());
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0], (LedEffect{1, 2, 3, 1, 1, 10, 20, 30, 70000}));
    EXPECT_EQ(steps[1].time, 0xFFFFFFFFu);
}

TEST_F(EffectFiles, NothingToReadGivesAnEmptyList) {
    Write("a.light", R"({"LEDEffectList":[{"Time":5}]})");
    Write("d.light", "not json");
    struct Case {
        int deviceIndex;
        int mode;
        const char* why;
    };
    const Case cases[] = {
        {kDeviceIndexMouse, 9, "built-in mode"},
        {kDeviceIndexMouse, 11, "Guid that leaves the folder"},
        {kDeviceIndexMouse, 13, "no Guid"},
        {kDeviceIndexMouse, 14, "unparsable file"},
        {kDeviceIndexMouse, 15, "no such custom mode"},
        {kDeviceIndexMouse, -5, "negative mode"},
        {7, 10, "no such device row"},
        {-1, 10, "negative device index"},
        {kDeviceIndexKeyboard, 10, "file missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_TRUE(ReadEffectList(m_config, c.deviceIndex, c.mode, 10, Folder()).empty());
    }
    EXPECT_EQ(ReadEffectList(m_config, kDeviceIndexMouse, 10, 10, Folder()).size(), 1u);
}

TEST_F(EffectFiles, NamesFromFilesOnDisk) {
    Write("velko_light.config", R"({"LightInfo":[[],[{"LightName":"Mine","Guid":"a"}]]})");
    Write("default_light.json", R"({"DefaultLightName":[[{"LightName":"Wave","visible":true}]]})");
    const Json::Value config = LoadLightConfig(Folder() + "velko_light.config");
    EXPECT_EQ(ReadCustomModeNames(config, kDeviceIndexMouse), std::vector<std::string>{"Mine"});
    EXPECT_EQ(LoadBuiltInModeNames(Folder() + "default_light.json", kDeviceIndexKeyboard),
              (std::vector<LightModeName>{{"Wave", true}}));
    EXPECT_TRUE(LoadLightConfig(Folder() + "missing.config").isNull());
    EXPECT_TRUE(LoadBuiltInModeNames(Folder() + "missing.json", kDeviceIndexKeyboard).empty());
}

TEST_F(EffectFiles, EffectFolderIsTheStartDirectory) {
    const std::string start = EffectFolder();
    ASSERT_FALSE(start.empty());
    const fs::path before = fs::current_path();
    fs::current_path(m_folder);  // as an open or save dialog does
    EXPECT_EQ(EffectFolder(), start);
    fs::current_path(before);
    EXPECT_EQ(fs::path(start), fs::path(before.string() + "/"));
}

TEST(LightFiles, ModeNames) {
    const Json::Value defaults = ParseTestJson(R"({"DefaultLightName":[[],[
        {"LightName":"Static","visible":true},{"LightName":"Off","visible":false},
        {"visible":1},7]]})");
    EXPECT_EQ(
        ReadBuiltInModeNames(defaults, kDeviceIndexMouse),
        (std::vector<LightModeName>{{"Static", true}, {"Off", false}, {"", true}, {"", false}}));
    EXPECT_TRUE(ReadBuiltInModeNames(defaults, kDeviceIndexHeadset).empty());
    EXPECT_TRUE(ReadBuiltInModeNames(defaults, -1).empty());

    const Json::Value config =
        ParseTestJson(R"({"LightInfo":[null,[{"LightName":"Mine","Guid":"x"},{"Guid":"y"}]]})");
    EXPECT_EQ(ReadCustomModeNames(config, kDeviceIndexMouse),
              (std::vector<std::string>{"Mine", ""}));
    EXPECT_TRUE(ReadCustomModeNames(config, kDeviceIndexKeyboard).empty());
}

TEST(LightFiles, DefaultLightDocumentLayout) {
    EXPECT_SAME_JSON(
        MakeDefaultLightDocument({{{"Static", true}}, {}, {{"Off", false}}}),
        ParseTestJson(R"({"DefaultLightName":[[{"LightName":"Static","visible":true}],[],
                  [{"LightName":"Off","visible":false}]]})"));
}

}  // namespace
