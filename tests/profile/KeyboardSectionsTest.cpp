#include "profile/KeyboardSections.h"

#include <gtest/gtest.h>

#include "SectionTestJson.h"
#include "device/LightRecord.h"

namespace {

constexpr int kGroups = 3;
constexpr std::size_t kKeyboardLeds = 126;

TEST(KeyboardSections, SystemSettingsWriteExactKeys) {
    Json::Value record = ParseTestJson(R"({"SystemStages":{"Repeat":1,"Other":5}})");
    WriteKeyboardSystem(record, {2u << 16 | 20, 3u << 16 | 1, 1u << 16 | 0});
    EXPECT_SAME_JSON(record, ParseTestJson(R"({"SystemStages":{"Repeat":20,"RepeatDelay":2,
        "Key6Flag":1,"PollingRate":3,"WFlag":0,"WinFlag":1,"Other":5}})"));
    EXPECT_EQ(ReadKeyboardSystem(record),
              (KeyboardSystemValues{2u << 16 | 20, 3u << 16 | 1, 1u << 16}));
}

TEST(KeyboardSections, SystemSettingsReadRules) {
    struct Case {
        const char* text;
        KeyboardSystemValues expected;
    };
    const Case cases[] = {
        {"{}", {}},
        {"null", {}},
        {R"({"SystemStages":[1,2]})", {}},
        {R"({"SystemStages":{"Repeat":65537,"RepeatDelay":-1}})", {0xFFFF0001u, 0, 0}},
        {R"({"SystemStages":{"WinFlag":true,"WFlag":"1","PollingRate":2.5}})", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadKeyboardSystem(ParseTestJson(c.text)), c.expected);
    }
}

TEST(KeyboardSections, BadGroupIndexFallsBackToGroupZero) {
    struct Case {
        const char* stored;
        int expected;
    };
    const Case cases[] = {{"2", 2},          {"3", 0},   {"100000", 0}, {"-1", 0},
                          {"4294967295", 0}, {"1.5", 0}, {"\"1\"", 0},  {"null", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const Json::Value record = ParseTestJson(
            std::string(R"({"CustomLightMode":{"CustomLightModeGroupIndex":)") + c.stored + "}}");
        EXPECT_EQ(ReadCustomGroup(record, kGroups), c.expected);
    }
    EXPECT_EQ(ReadCustomGroup(ParseTestJson(R"({"CustomLightMode":[]})"), kGroups), 0);
}

TEST(KeyboardSections, StoredBadGroupNeverGrowsTheColourGroups) {
    for (const char* stored : {"100000", "-1"}) {
        SCOPED_TRACE(stored);
        Json::Value record = ParseTestJson(
            std::string(R"({"CustomLightMode":{"CustomLightModeGroupIndex":)") + stored + "}}");
        const int group = ReadCustomGroup(record, kGroups);
        ReadCustomColours(record, group, kKeyboardLeds, kGroups);
        const Json::Value& groups = record["CustomLightMode"]["LightColorInfo"];
        ASSERT_EQ(groups.size(), 1u);
        EXPECT_EQ(groups[0].size(), kKeyboardLeds);
        // The same index handed in directly is refused as well.
        EXPECT_FALSE(WriteCustomGroup(record, 100000, kGroups));
        EXPECT_FALSE(WriteCustomGroup(record, -1, kGroups));
        EXPECT_FALSE(WriteCustomColours(record, std::vector<std::uint32_t>(4), 100000, kGroups));
        EXPECT_EQ(record["CustomLightMode"]["LightColorInfo"].size(), 1u);
    }
}

TEST(KeyboardSections, MissingGroupIsFilledWithZeroColours) {
    Json::Value record = ParseTestJson(R"({"CustomLightMode":{"LightColorInfo":[[],[]]}})");
    const auto colours = ReadCustomColours(record, 2, kKeyboardLeds, kGroups);
    EXPECT_EQ(colours, std::vector<std::uint32_t>(kKeyboardLeds, 0));
    const Json::Value& group = record["CustomLightMode"]["LightColorInfo"][2];
    ASSERT_EQ(group.size(), kKeyboardLeds);
    EXPECT_SAME_JSON(group[125], ParseTestJson(R"({"Red":0,"Green":0,"Blue":0,"Alpha":0})"));
}

TEST(KeyboardSections, PresentColoursAreReadAndGapsFilled) {
    Json::Value record = ParseTestJson(R"({"CustomLightMode":{"LightColorInfo":[[
        {"Red":1,"Green":2,"Blue":3,"Alpha":255},
        null,
        {"Red":300,"Blue":-1}]]}})");
    const auto colours = ReadCustomColours(record, 0, 4, kGroups);
    EXPECT_EQ(colours, (std::vector<std::uint32_t>{PackLedColour(1, 2, 3, 255), 0,
                                                   PackLedColour(44, 0, 255, 0), 0}));
    EXPECT_SAME_JSON(record["CustomLightMode"]["LightColorInfo"][0], ParseTestJson(R"([
        {"Red":1,"Green":2,"Blue":3,"Alpha":255},
        {"Red":0,"Green":0,"Blue":0,"Alpha":0},
        {"Red":300,"Blue":-1},
        {"Red":0,"Green":0,"Blue":0,"Alpha":0}])"));
}

TEST(KeyboardSections, WriteColoursAndGroupExactly) {
    Json::Value record(Json::objectValue);
    ASSERT_TRUE(WriteCustomColours(
        record, std::vector<std::uint32_t>{PackLedColour(255, 0, 16, 128)}, 1, kGroups));
    ASSERT_TRUE(WriteCustomGroup(record, 1, kGroups));
    EXPECT_SAME_JSON(record, ParseTestJson(R"({"CustomLightMode":{
        "CustomLightModeGroupIndex":1,
        "LightColorInfo":[null,[{"Red":255,"Green":0,"Blue":16,"Alpha":128}]]}})"));
}

TEST(KeyboardSections, LedCountIsBounded) {
    Json::Value record;
    EXPECT_EQ(ReadCustomColours(record, 0, 1u << 30, kGroups).size(), kMaxCustomLeds);
    EXPECT_EQ(record["CustomLightMode"]["LightColorInfo"][0].size(), kMaxCustomLeds);
}

}  // namespace
