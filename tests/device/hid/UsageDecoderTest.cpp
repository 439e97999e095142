#include "device/hid/UsageDecoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "HidTestSupport.h"
#include "device/hid/ReportDescriptor.h"

namespace {

using ::testing::ElementsAre;

// Decodes `report` with the first collection of `descriptorHex`.
class CDecoded {
public:
    CDecoded(std::string_view descriptorHex, std::string_view reportHex) {
        const auto collections = ParseReportDescriptor(FromHex(descriptorHex));
        if (collections && !collections->empty()) m_caps = collections->front();
        items = BuildInputItems(m_caps);
        ok = DecodeInputItems(m_caps, items, FromHex(reportHex));
    }
    std::vector<HidDataItem> items;
    bool ok = false;

private:
    HidCollectionCaps m_caps;
};

TEST(UsageDecoder, DeviceReReadEventIsConsumerUsage0401) {
    const CDecoded decoded(kNotificationDescriptorHex, "01 01 04");
    ASSERT_TRUE(decoded.ok);
    ASSERT_EQ(decoded.items.size(), 1u);
    const HidDataItem& item = decoded.items[0];
    EXPECT_TRUE(item.isButton);
    EXPECT_TRUE(item.dataSet);
    EXPECT_EQ(item.usagePage, 0x0C);
    EXPECT_THAT(item.usages, ElementsAre(0x0401));
}

TEST(UsageDecoder, ReleasedConsumerKeyGivesAnEmptyList) {
    const CDecoded decoded(kNotificationDescriptorHex, "01 00 00");
    ASSERT_TRUE(decoded.ok);
    EXPECT_THAT(decoded.items.at(0).usages, ElementsAre(0));
}

TEST(UsageDecoder, OtherReportIdsLeaveTheItemsUnset) {
    const CDecoded decoded(kNotificationDescriptorHex, "02 01 04");
    ASSERT_TRUE(decoded.ok);
    EXPECT_FALSE(decoded.items.at(0).dataSet);
}

TEST(UsageDecoder, KeyboardModifierBitsAndKeyArray) {
    const CDecoded decoded(
        "05010906A101 0507 19E0 29E7 1500 2501 7501 9508 8102 9501 7508 8101"
        "9506 7508 1500 2565 1900 2965 8100 C0",
        "00 22 00 04 05 00 00 00 00");  // unnumbered: id 0 first
    ASSERT_TRUE(decoded.ok);
    ASSERT_EQ(decoded.items.size(), 2u);
    EXPECT_THAT(decoded.items[0].usages, ElementsAre(0xE1, 0xE5, 0, 0, 0, 0, 0, 0));
    EXPECT_THAT(decoded.items[1].usages, ElementsAre(0x04, 0x05, 0, 0, 0, 0));
}

TEST(UsageDecoder, MouseButtonsAndSignedValues) {
    const CDecoded decoded(
        "05010902A101 8502 0901 A100 0509 1901 2905 1500 2501 9505 7501 8102 9501 7503 8101"
        "0501 0930 0931 160180 26FF7F 7510 9502 8106 0938 1581 257F 7508 9501 8106 C0 C0",
        "02 05 FE FF 02 00 FF");
    ASSERT_TRUE(decoded.ok);
    ASSERT_EQ(decoded.items.size(), 4u);
    EXPECT_THAT(decoded.items[0].usages, ElementsAre(1, 3, 0, 0, 0));
    struct Expected {
        std::uint16_t usage;
        std::uint32_t raw;
        std::int32_t scaled;
    };
    const Expected values[] = {{0x30, 0xFFFE, -2}, {0x31, 2, 2}, {0x38, 0xFF, -1}};
    for (std::size_t n = 0; n < 3; ++n) {
        SCOPED_TRACE(n);
        const HidDataItem& item = decoded.items[n + 1];
        EXPECT_EQ(item.usage, values[n].usage);
        EXPECT_EQ(item.rawValue, values[n].raw);
        EXPECT_EQ(item.scaledValue, values[n].scaled);
    }
}

TEST(UsageDecoder, ScalesToThePhysicalRange) {
    struct Case {
        const char* descriptorHex;
        const char* reportHex;
        std::uint32_t raw;
        std::int32_t scaled;
    };
    const Case cases[] = {
        // 51 of 0..255 in 0..1000
        {"0501 0901 A101 0930 1500 26FF00 3500 46E803 7508 9501 8102 C0", "00 33", 0x33, 200},
        // full 32-bit ranges: the intermediate product needs more than 64 bits
        {"0501 0901 A101 0930 1700000080 27FFFFFF7F 3700000080 47FFFFFF7F 7520 9501 8102 C0",
         "00 FF FF FF 7F", 0x7FFFFFFF, 0x7FFFFFFF},
        {"0501 0901 A101 0930 1700000080 27FFFFFF7F 3700000080 47FFFFFF7F 7520 9501 8102 C0",
         "00 00 00 00 80", 0x80000000, -0x7FFFFFFF - 1},
        // outside the logical range: no scaled value
        {"0501 0901 A101 0930 1500 2564 3500 45 0A 7508 9501 8102 C0", "00 C8", 0xC8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reportHex);
        const CDecoded decoded(c.descriptorHex, c.reportHex);
        ASSERT_TRUE(decoded.ok);
        EXPECT_EQ(decoded.items.at(0).rawValue, c.raw);
        EXPECT_EQ(decoded.items.at(0).scaledValue, c.scaled);
    }
}

TEST(UsageDecoder, ShortReportFailsForValuesWithoutReadingPastIt) {
    const CDecoded decoded(
        "05010902A101 8502 0509 1901 2903 7501 9503 8102 9505 8101"
        "0501 0930 7510 9501 8102 C0",
        "02 01");
    EXPECT_FALSE(decoded.ok);
    EXPECT_THAT(decoded.items.at(0).usages, ElementsAre(1, 0, 0));
    EXPECT_FALSE(decoded.items.at(1).dataSet);
}

}  // namespace
