#include "device/hid/ReportDescriptor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "HidTestSupport.h"

namespace {

using ::testing::ElementsAre;

constexpr std::string_view kConsumerHex =
    "050C0901A101 8503 1500 26FF03 1900 2AFF03 7510 9501 8100 C0";
constexpr std::string_view kVendorFeatureHex =
    "0600FF0901A101 8504 1500 26FF00 7508 9507 0901 B102 C0";

std::string Describe(const HidButtonCap& cap) {
    char text[128];
    std::snprintf(text, sizeof text, "id%u p%x %x-%x %s off%u size%u x%u %d..%d", cap.reportId,
                  cap.usagePage, cap.usageMin, cap.usageMax, cap.isArray ? "array" : "bits",
                  cap.bitOffset, cap.bitSize, cap.count, cap.logicalMin, cap.logicalMax);
    return text;
}

std::string Describe(const HidValueCap& cap) {
    char text[128];
    std::snprintf(text, sizeof text, "id%u p%x u%x off%u size%u x%u %d..%d phys %d..%d",
                  cap.reportId, cap.usagePage, cap.usage, cap.bitOffset, cap.bitSize, cap.count,
                  cap.logicalMin, cap.logicalMax, cap.physicalMin, cap.physicalMax);
    return text;
}

template <typename Cap>
std::vector<std::string> Describe(const std::vector<Cap>& caps) {
    std::vector<std::string> lines;
    for (const Cap& cap : caps) lines.push_back(Describe(cap));
    return lines;
}

// Number, usage page:usage, input/output/feature lengths.
std::string Outline(const HidCollectionCaps& caps) {
    char text[96];
    std::snprintf(text, sizeof text, "#%u %x:%x in%u out%u feat%u", caps.number, caps.usagePage,
                  caps.usage, caps.inputReportLength, caps.outputReportLength,
                  caps.featureReportLength);
    return text;
}

std::vector<HidCollectionCaps> ParseOrFail(std::string_view hex) {
    const auto collections = ParseReportDescriptor(FromHex(hex));
    EXPECT_TRUE(collections.has_value());
    return collections.value_or(std::vector<HidCollectionCaps>{});
}

TEST(ReportDescriptor, MouseCommandInterface) {
    const auto collections = ParseOrFail(kCommandDescriptorHex);
    ASSERT_EQ(collections.size(), 1u);
    const HidCollectionCaps& caps = collections[0];
    EXPECT_EQ(Outline(caps), "#1 ff1c:92 in64 out64 feat0");
    EXPECT_TRUE(caps.numberedReports);
    EXPECT_THAT(caps.inputReportIds, ElementsAre(4));
    EXPECT_THAT(caps.outputReportIds, ElementsAre(4));
    EXPECT_TRUE(caps.featureReportIds.empty());
    EXPECT_TRUE(caps.inputButtons.empty());
    // One usage for 63 bytes: a value array. "26 00 FF" declares 0xFF00, not 0xFF.
    EXPECT_THAT(Describe(caps.inputValues),
                ElementsAre("id4 pff1c u1 off0 size8 x63 0..65280 phys 0..0"));
}

TEST(ReportDescriptor, MouseNotificationInterface) {
    const auto collections = ParseOrFail(kNotificationDescriptorHex);
    ASSERT_EQ(collections.size(), 1u);
    const HidCollectionCaps& caps = collections[0];
    EXPECT_EQ(Outline(caps), "#1 c:1 in3 out0 feat0");
    EXPECT_THAT(caps.inputReportIds, ElementsAre(1));
    EXPECT_TRUE(caps.outputReportIds.empty());
    EXPECT_THAT(Describe(caps.inputButtons),
                ElementsAre("id1 pc 0-3ff array off0 size16 x1 0..1023"));
    EXPECT_TRUE(caps.inputValues.empty());
}

TEST(ReportDescriptor, CompositeDescriptorNumbersCollectionsInOrder) {
    const auto collections =
        ParseOrFail(std::string(kKeyboardHex) + std::string(kMouseHex) + std::string(kConsumerHex) +
                    std::string(kVendorFeatureHex));
    ASSERT_EQ(collections.size(), 4u);
    EXPECT_EQ(Outline(collections[0]), "#1 1:6 in9 out2 feat0");
    EXPECT_EQ(Outline(collections[1]), "#2 1:2 in7 out0 feat0");
    EXPECT_EQ(Outline(collections[2]), "#3 c:1 in3 out0 feat0");
    EXPECT_EQ(Outline(collections[3]), "#4 ff00:1 in0 out0 feat8");
    EXPECT_THAT(collections[0].outputReportIds, ElementsAre(1));
    EXPECT_THAT(collections[1].inputReportIds, ElementsAre(2));
    EXPECT_TRUE(collections[3].inputReportIds.empty());
    EXPECT_THAT(collections[3].featureReportIds, ElementsAre(4));

    EXPECT_THAT(Describe(collections[0].inputButtons),
                ElementsAre("id1 p7 e0-e7 bits off0 size1 x8 0..1",
                            "id1 p7 0-65 array off16 size8 x6 0..101"));
    EXPECT_THAT(Describe(collections[1].inputButtons),
                ElementsAre("id2 p9 1-5 bits off0 size1 x5 0..1"));
    EXPECT_THAT(Describe(collections[1].inputValues),
                ElementsAre("id2 p1 u30 off8 size16 x1 -32767..32767 phys 0..0",
                            "id2 p1 u31 off24 size16 x1 -32767..32767 phys 0..0",
                            "id2 p1 u38 off40 size8 x1 -127..127 phys 0..0"));
}

TEST(ReportDescriptor, UnnumberedReportsStillCountTheIdByte) {
    std::string hex(kKeyboardHex);
    hex.erase(hex.find("8501"), 4);
    const auto collections = ParseOrFail(hex);
    ASSERT_EQ(collections.size(), 1u);
    EXPECT_EQ(Outline(collections[0]), "#1 1:6 in9 out2 feat0");
    EXPECT_FALSE(collections[0].numberedReports);
    EXPECT_THAT(collections[0].inputReportIds, ElementsAre(0));
    EXPECT_EQ(collections[0].inputButtons.at(0).reportId, 0);
}

TEST(ReportDescriptor, GlobalStackExtendedUsagesAndLongItems) {
    // Push, change the page and logical range, pop back; a 4-byte usage names its own
    // page; a long item in the middle is skipped.
    const auto collections = ParseOrFail(
        "0601FF 0901 A101 1500 25FF A4 0509 1501 2503 B4 FE0200AABB"
        "0B300001007508 9502 8102 C0");
    ASSERT_EQ(collections.size(), 1u);
    EXPECT_EQ(Outline(collections[0]), "#1 ff01:1 in3 out0 feat0");
    EXPECT_THAT(Describe(collections[0].inputValues),
                ElementsAre("id0 p1 u30 off0 size8 x2 0..255 phys 0..0"));
}

TEST(ReportDescriptor, ArrayWithSeveralUsageSpansSplitsItsIndexes) {
    // Indexes 1..3 are usages 0x20..0x22, index 4 is usage 0x40.
    const auto collections = ParseOrFail("050C0901A101 1501 2504 1920 2922 0940 7508 9502 8100 C0");
    ASSERT_EQ(collections.size(), 1u);
    EXPECT_THAT(Describe(collections[0].inputButtons),
                ElementsAre("id0 pc 20-22 array off0 size8 x2 1..3",
                            "id0 pc 40-40 array off0 size8 x2 4..4"));
}

struct BadDescriptor {
    const char* what;
    std::string hex;
};

std::string Repeat(std::string_view hex, int times) {
    std::string all;
    for (int n = 0; n < times; ++n) all += hex;
    return all;
}

TEST(ReportDescriptor, RejectsMalformedAndOversizedDescriptors) {
    const BadDescriptor cases[] = {
        {"empty", ""},
        {"no collection", "0501 0902 7508 9501"},
        {"item data cut off", "0501 0902 A101 061C"},
        {"4-byte item cut off", "0501 0902 A101 27FFFF"},
        {"long item cut off", "0501 0902 A101 FE0500 0102"},
        {"long item header cut off", "0501 0902 A101 FE05"},
        {"collection left open", "0501 0902 A101 7508 9501 8102"},
        {"end without collection", "C0"},
        {"one end too many", "0501 0902 A101 C0 C0"},
        {"field of 33 bits", "0501 0902 A101 7521 9501 8102 C0"},
        {"field of 4 billion bits", "0501 0902 A101 7520 97FFFFFFFF 8102 C0"},
        {"count past a report", "0501 0902 A101 7508 96FFFF 8102 C0"},
        {"report past 4096 bytes", "0501 0902 A101 7508 95FF" + Repeat("8102", 17) + "C0"},
        {"report id 0", "0501 0902 A101 8500 7508 9501 8102 C0"},
        {"report id past 255", "0501 0902 A101 860001 7508 9501 8102 C0"},
        {"pop without push", "0501 0902 A101 B4 C0"},
        {"stack too deep", "0501 0902 A101" + Repeat("A4", 33) + "C0"},
        {"collections too deep", Repeat("A101", 65) + Repeat("C0", 65)},
        {"too many caps", "0509 A101 7501 9501" + Repeat("0901 8102", 4097) + "C0"},
        {"too many usages", "0509 A101" + Repeat("0901", 4097) + "7501 9501 8102 C0"},
        {"too many button slots",
         "0507 A101 1500 25FF 7508 96FF0F" + Repeat("0901", 17) + "8100 C0"},
    };
    for (const BadDescriptor& bad : cases) {
        SCOPED_TRACE(bad.what);
        EXPECT_FALSE(ParseReportDescriptor(FromHex(bad.hex)).has_value());
    }
}

TEST(ReportDescriptor, ToleratesHarmlessOddities) {
    const BadDescriptor cases[] = {
        {"field outside any collection", "0501 7508 9501 8102 0902 A101 C0"},
        {"reserved item types", "0501 0902 A101 0C FC C0"},
        {"usage maximum without minimum", "0509 A101 2905 7501 9505 8102 C0"},
        {"report count zero", "0501 0902 A101 7508 9500 8102 C0"},
        {"large array range", "0507 A101 1500 27FFFFFF7F 1900 2AFFFF 7510 9501 8100 C0"},
    };
    for (const BadDescriptor& odd : cases) {
        SCOPED_TRACE(odd.what);
        EXPECT_TRUE(ParseReportDescriptor(FromHex(odd.hex)).has_value());
    }
}

}  // namespace
