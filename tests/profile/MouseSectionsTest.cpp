#include "profile/MouseSections.h"

#include <gtest/gtest.h>

#include <string>

#include "SectionTestJson.h"

namespace {

Json::Value Parse(const std::string& text) {
    return ParseTestJson(text);
}

std::string StagesJson(int count, int dpiBase) {
    std::string list;
    for (int i = 0; i < count; ++i) {
        list += (i ? "," : "") + std::string("{\"StageActive\":1,\"StageDPIX\":") +
                std::to_string(dpiBase + i) + "}";
    }
    return R"({"DPIStages":{"StageActive":2,"StageDPIs":[)" + list + "]}}";
}

TEST(MouseSections, StagesOfAShortFileMergeOverTheCache) {
    CMouseSections sections;
    ASSERT_EQ(sections.GetDpiStages(Parse(StagesJson(5, 10))).size(), 5u);
    const auto stages = sections.GetDpiStages(Parse(StagesJson(3, 40)));
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_EQ(stages[0].dpiX, 40);
    EXPECT_EQ(stages[2].dpiX, 42);
    EXPECT_EQ(stages[3].dpiX, 13);  // from the first file
    EXPECT_EQ(stages[4].dpiX, 14);
    EXPECT_EQ(sections.GetActiveStage(), 2);
}

TEST(MouseSections, MissingSectionKeepsTheCache) {
    CMouseSections sections;
    sections.GetDpiStages(Parse(StagesJson(5, 10)));
    for (const char* text : {"null", "{}", R"({"DPIStages":null})", "[1,2]"}) {
        SCOPED_TRACE(text);
        const auto stages = sections.GetDpiStages(Parse(text));
        ASSERT_EQ(stages.size(), 5u);
        EXPECT_EQ(stages[4].dpiX, 14);
        EXPECT_EQ(sections.GetActiveStage(), 2);
    }
}

TEST(MouseSections, StageValuesAreCutToTheirFieldWidths) {
    struct Case {
        const char* value;
        std::uint8_t red;
        std::uint16_t dpiX;
    };
    const Case cases[] = {
        {"300", 44, 300},
        {"-1", 255, 65535},
        {"65537", 1, 1},
        {"4294967296", 0, 0},
        {"18446744073709551615", 255, 65535},
        {"1e30", 0, 0},  // not an integer
        {"2.5", 0, 0},
        {"\"12\"", 0, 0},
        {"true", 0, 0},
        {"[7]", 0, 0},
        {"{\"a\":1}", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        CMouseSections sections;
        const std::string v = c.value;
        const auto stages = sections.GetDpiStages(Parse(
            R"({"DPIStages":{"StageDPIs":[{"StageColorR":)" + v + ",\"StageDPIX\":" + v + "}]}}"));
        ASSERT_EQ(stages.size(), 1u);
        EXPECT_EQ(stages[0].red, c.red);
        EXPECT_EQ(stages[0].dpiX, c.dpiX);
    }
}

TEST(MouseSections, ActiveStageIsNeverNegative) {
    struct Case {
        const char* stored;
        int expected;
    };
    for (const Case& c : {Case{"4", 4}, Case{"-1", 255}, Case{"4294967295", 255}, Case{"1e40", 0},
                          Case{"\"3\"", 0}}) {
        SCOPED_TRACE(c.stored);
        CMouseSections sections;
        sections.GetDpiStages(
            Parse(std::string(R"({"DPIStages":{"StageActive":)") + c.stored + "}}"));
        EXPECT_EQ(sections.GetActiveStage(), c.expected);
    }
}

TEST(MouseSections, MalformedStageListsReadWithoutFailing) {
    for (const char* text : {
             R"({"DPIStages":{"StageDPIs":{"0":{"StageDPIX":3}}}})",
             R"({"DPIStages":{"StageDPIs":"many"}})",
             R"({"DPIStages":[1,2,3]})",
             R"({"DPIStages":{"StageActive":"two","StageDPIs":[null,7,[1]]}})",
         }) {
        SCOPED_TRACE(text);
        CMouseSections sections;
        for (const DpiStage& s : sections.GetDpiStages(Parse(text))) EXPECT_EQ(s, DpiStage{});
        EXPECT_EQ(sections.GetActiveStage(), 0);
    }
}

TEST(MouseSections, SetDpiStagesWritesEachStageAndLeavesTheRest) {
    Json::Value record = Parse(StagesJson(7, 10));
    record["DPIStages"]["StageDPIs"][0]["Extra"] = 9;
    CMouseSections sections;
    std::vector<DpiStage> stages(5);
    stages[0] = {1, 0, 12, 12, 255, 0, 0};
    stages[4] = {0, 1, 60, 4, 1, 2, 3};
    sections.SetDpiStages(record, stages);

    const Json::Value expected = Parse(R"({"DPIStages":{"StageActive":2,"StageDPIs":[
        {"StageActive":1,"StageXY":0,"StageDPIX":12,"StageDPIY":12,
         "StageColorR":255,"StageColorG":0,"StageColorB":0,"Extra":9},
        {"StageActive":0,"StageXY":0,"StageDPIX":0,"StageDPIY":0,
         "StageColorR":0,"StageColorG":0,"StageColorB":0},
        {"StageActive":0,"StageXY":0,"StageDPIX":0,"StageDPIY":0,
         "StageColorR":0,"StageColorG":0,"StageColorB":0},
        {"StageActive":0,"StageXY":0,"StageDPIX":0,"StageDPIY":0,
         "StageColorR":0,"StageColorG":0,"StageColorB":0},
        {"StageActive":0,"StageXY":1,"StageDPIX":60,"StageDPIY":4,
         "StageColorR":1,"StageColorG":2,"StageColorB":3},
        {"StageActive":1,"StageDPIX":15},
        {"StageActive":1,"StageDPIX":16}]}})");
    EXPECT_SAME_JSON(record, expected);
}

TEST(MouseSections, WritersReplaceSectionsOfTheWrongType) {
    Json::Value record = Parse(R"({"DPIStages":[1],"SystemStages":7,"ReportStages":"x"})");
    CMouseSections sections;
    sections.SetDpiStages(record, {DpiStage{1, 0, 5, 5, 1, 2, 3}});
    sections.SetActiveStage(record, 0);
    sections.SetSystemValues(record, {});
    EXPECT_SAME_JSON(record, Parse(R"({
        "DPIStages":{"StageActive":0,"StageDPIs":[{"StageActive":1,"StageXY":0,"StageDPIX":5,
            "StageDPIY":5,"StageColorR":1,"StageColorG":2,"StageColorB":3}]},
        "SystemStages":{"DoubleClickTime":0,"MouseSpeed":0,"PointerPrecision":0,
            "ScorllPage":0,"WheelScorlllinse":0},
        "ReportStages":{"StageActive":0}})"));
}

TEST(MouseSections, SystemValuesRoundTripThroughExactKeys) {
    Json::Value record(Json::objectValue);
    CMouseSections sections;
    const SystemValues values{SystemValues::Pack(500, 10), SystemValues::Pack(1, 0),
                              SystemValues::Pack(3, 4)};
    sections.SetSystemValues(record, values);
    EXPECT_SAME_JSON(record, Parse(R"({
        "SystemStages":{"DoubleClickTime":500,"MouseSpeed":10,"PointerPrecision":1,
            "ScorllPage":0,"WheelScorlllinse":3},
        "ReportStages":{"StageActive":4}})"));
    EXPECT_EQ(CMouseSections().GetSystemValues(record), values);
}

TEST(MouseSections, SystemValuesReadRules) {
    struct Case {
        const char* text;
        SystemValues expected;
    };
    const Case cases[] = {
        // Without "SystemStages" the report rate is not read either.
        {R"({"ReportStages":{"StageActive":3}})", {}},
        {R"({"SystemStages":{},"ReportStages":{"StageActive":3}})", {0, 0, 3u << 16}},
        {R"({"SystemStages":{"MouseSpeed":70000,"scorllpage":1}})", {4464u << 16, 0, 0}},
        {R"({"SystemStages":{"DoubleClickTime":-2},"ReportStages":[3]})", {0xFFFE, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CMouseSections().GetSystemValues(Parse(c.text)), c.expected);
    }
}

TEST(MouseSections, CorrectionPresets) {
    CMouseSections sections;
    const auto read = sections.GetCorrectInfo(Parse(R"({"CorrectInfo":[
        {"CorrectPixThresh":4,"CorrectMinSq":260,"CorrectSelect":1,"CorrectName":"Low"},
        {"CorrectName":5}, null]})"));
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0], (CorrectEntry{4, 4, 1, "Low"}));
    EXPECT_EQ(read[1], CorrectEntry{});
    EXPECT_EQ(read[2], CorrectEntry{});
    // A record without the section keeps what was read before.
    EXPECT_EQ(sections.GetCorrectInfo(Parse("{}")), read);
}

}  // namespace
