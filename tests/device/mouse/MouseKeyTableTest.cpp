#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "device/mouse/MouseKeyTable.h"
#include "tests/device/channel/HexBytes.h"

namespace {

// Twelve slots: the left button's code twice, no DPI-loop code, two unknown functions.
const std::vector<std::uint8_t> kTwelveSlots = FromHex(
    "10 01 00"   // 0: left
    " 10 02 00"  // 1: right
    " 13 01 00"  // 2: DPI add
    " 10 04 00"  // 3: middle
    " 70 05 00"  // 4: a macro
    " 10 01 00"  // 5: left again
    " 10 08 00"  // 6: back
    " 10 10 00"  // 7: forward
    " 13 02 00"  // 8: DPI sub
    " a0 1b 00"  // 9: game mode
    " 16 90 01"  // 10: M8
    " 55 66 77"  // 11: unknown
);

TEST(BuildButtonSlotMap, FindsEachButtonByItsFactoryCode) {
    const auto map = BuildButtonSlotMap(kTwelveSlots, 12);
    ASSERT_TRUE(map);
    // left right middle forward back dpi+ dpi- loop GM M8, then slots 10 and 11
    EXPECT_EQ(*map, FromHex("00 01 03 07 06 02 08 7e 09 0a 7e 7e"));
}

TEST(BuildButtonSlotMap, SearchesOnlyTheCountedSlots) {
    struct Case {
        const char* name;
        int slotCount;
        std::vector<std::uint8_t> expected;
    };
    const Case cases[] = {
        {"no slots", 0, FromHex("7e 7e 7e 7e 7e 7e 7e 7e 7e 7e")},
        {"four slots", 4, FromHex("00 01 03 7e 7e 02 7e 7e 7e 7e")},
        {"more slots than the table holds", 20,
         FromHex("00 01 03 07 06 02 08 7e 09 0a 7e 7e 7e 7e 7e 7e 7e 7e 7e 7e")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BuildButtonSlotMap(kTwelveSlots, c.slotCount), c.expected);
    }
}

TEST(BuildButtonSlotMap, RefusesSlotCountsAboveTheKeyTable) {
    const std::vector<std::uint8_t> table(kMaxBlockSize + 3, 0);
    EXPECT_TRUE(BuildButtonSlotMap(table, 170));
    EXPECT_FALSE(BuildButtonSlotMap(table, 171));
    EXPECT_FALSE(BuildButtonSlotMap(table, -1));
}

TEST(MakeKeyTableImage, OnlyFromAWholeRead) {
    struct Case {
        const char* name;
        std::size_t readSize;
        int slotCount;
        bool accepted;
    };
    for (const Case c : {Case{"whole", 12, 4, true}, Case{"short", 9, 4, false},
                         Case{"long", 15, 4, false}, Case{"170 slots", 510, 170, true},
                         Case{"171 slots", 513, 171, false}, Case{"empty", 0, 0, true}}) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> read(c.readSize, 0x42);
        const auto image = MakeKeyTableImage(read, c.slotCount);
        ASSERT_EQ(image.has_value(), c.accepted);
        if (image) {
            EXPECT_EQ(image->slotCount, c.slotCount);
        }
    }
}

KeyRecord Record(std::uint8_t type, std::uint8_t param1, std::uint8_t param2) {
    KeyRecord key;
    key.current = {0, type, param1, param2};
    key.defaults = {0, 0xEE, 0xEE, 0xEE};  // never written
    return key;
}

// Five slots: left, right, a macro no button owns, middle, back.
const std::vector<std::uint8_t> kFiveSlots =
    FromHex("10 01 00 10 02 00 70 03 00 10 04 00 10 08 00");

TEST(ComposeKeyTable, WritesOnlyTheMappedSlots) {
    const auto image = MakeKeyTableImage(kFiveSlots, 5);
    ASSERT_TRUE(image);
    const auto map = BuildButtonSlotMap(kFiveSlots, 5);
    ASSERT_TRUE(map);
    std::vector<KeyRecord> keys;
    for (std::uint8_t b = 0; b < kMouseButtonCount; ++b) keys.push_back(Record(0x20, b, 0xB0));
    EXPECT_EQ(ComposeKeyTable(*image, 5, *map, keys),
              FromHex("20 00 b0"      // slot 0: button 0
                      " 20 01 b0"     // slot 1: button 1
                      " 70 03 00"     // slot 2: no button, as read
                      " 20 02 b0"     // slot 3: button 2
                      " 20 04 b0"));  // slot 4: button 4
}

TEST(ComposeKeyTable, ButtonsWithoutARecordKeepTheirSlot) {
    const auto image = MakeKeyTableImage(kFiveSlots, 5);
    ASSERT_TRUE(image);
    const auto map = BuildButtonSlotMap(kFiveSlots, 5);
    ASSERT_TRUE(map);
    const std::vector<KeyRecord> keys = {Record(0x21, 0x22, 0x23), Record(0x31, 0x32, 0x33)};
    EXPECT_EQ(ComposeKeyTable(*image, 5, *map, keys),
              FromHex("21 22 23 31 32 33 70 03 00 10 04 00 10 08 00"));
}

TEST(ComposeKeyTable, SlotsOutsideTheImageAreNotWritten) {
    const auto image = MakeKeyTableImage(FromHex("10 01 00 10 02 00"), 2);
    ASSERT_TRUE(image);
    const std::vector<std::uint8_t> map = FromHex("01 02 7d");  // a map from a larger table
    const std::vector<KeyRecord> keys(3, Record(0x20, 0x21, 0x22));
    EXPECT_EQ(ComposeKeyTable(*image, 2, map, keys), FromHex("10 01 00 20 21 22"));
}

TEST(ComposeKeyTable, RefusesAnotherSlotCountThanTheImageWasReadWith) {
    const auto image = MakeKeyTableImage(kFiveSlots, 5);
    ASSERT_TRUE(image);
    const auto map = BuildButtonSlotMap(kFiveSlots, 5);
    ASSERT_TRUE(map);
    const std::vector<KeyRecord> keys(kMouseButtonCount, Record(0x20, 0x21, 0x22));
    for (const int deviceCount : {0, 4, 6, 170, 171}) {
        SCOPED_TRACE(deviceCount);
        EXPECT_FALSE(ComposeKeyTable(*image, deviceCount, *map, keys));
    }
    // An image never read (default-constructed) holds no slots and writes nothing.
    EXPECT_FALSE(ComposeKeyTable(KeyTableImage{}, 5, *map, keys));
}

}  // namespace
