#include "profile/KeyRecords.h"

#include <gtest/gtest.h>

#include "SectionTestJson.h"

namespace {

TEST(KeyRecords, AssignmentsCompareByFunctionOnly) {
    EXPECT_EQ((KeyAssignment{3, 0x10, 0x01, 0x00}), (KeyAssignment{7, 0x10, 0x01, 0x00}));
    EXPECT_NE((KeyAssignment{3, 0x10, 0x01, 0x00}), (KeyAssignment{3, 0x10, 0x01, 0x01}));
}

TEST(KeyRecords, ReadUnpacksBothHalves) {
    const auto keys = ReadKeyList(ParseTestJson(R"({"KeyList":[
        {"Assignment":2097158,"DefaultAssignment":1048832},
        {"Assignment":-1},
        {"Assignment":4294967296,"DefaultAssignment":"65536"},
        null,
        {"Assignment":16777217,"DefaultAssignment":10502144}]})"));
    ASSERT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys[0].current.type, 0x20);  // 0x20 * 65536 + 6: the C key
    EXPECT_EQ(keys[0].current.param1, 0x00);
    EXPECT_EQ(keys[0].current.param2, 0x06);
    EXPECT_EQ(keys[0].defaults, (KeyAssignment{0, 0x10, 0x01, 0x00}));
    EXPECT_EQ(keys[1].current, (KeyAssignment{1, 0xFF, 0xFF, 0xFF}));  // low 24 bits
    EXPECT_EQ(keys[1].defaults, KeyAssignment{});
    EXPECT_EQ(keys[2].current, KeyAssignment{});   // beyond 32 bits, low bits are 0
    EXPECT_EQ(keys[2].defaults, KeyAssignment{});  // text is not a number
    EXPECT_EQ(keys[3].current, KeyAssignment{});
    EXPECT_EQ(keys[4].current, (KeyAssignment{4, 0x00, 0x00, 0x01}));
    EXPECT_EQ(keys[4].defaults, (KeyAssignment{4, 0xA0, 0x40, 0x00}));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].current.position, i);
        EXPECT_EQ(keys[i].defaults.position, i);
    }
}

TEST(KeyRecords, MissingOrMalformedListsReadEmpty) {
    for (const char* text : {"null", "[]", "{}", R"({"KeyList":{"0":{"Assignment":1}}})",
                             R"({"KeyList":5})", R"({"keylist":[{"Assignment":1}]})"}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(ReadKeyList(ParseTestJson(text)).empty());
    }
}

TEST(KeyRecords, AHugeListIsCutAtTheKeyPositionLimit) {
    Json::Value record;
    record["KeyList"][static_cast<Json::ArrayIndex>(kMaxKeyPositions + 10)] = 0;
    EXPECT_EQ(ReadKeyList(record).size(), kMaxKeyPositions);
}

TEST(KeyRecords, WriteStoresCurrentHalvesAndLeavesDefaults) {
    Json::Value record = ParseTestJson(R"({"KeyList":[
        {"Assignment":1048832,"DefaultAssignment":1048832},
        {"Assignment":1049088,"DefaultAssignment":1049088,"Note":"kept"}]})");
    std::vector<KeyRecord> keys = ReadKeyList(record);
    keys[0].current = {0, 0x20, 0x00, 0x06};
    keys[1].defaults = {1, 0x01, 0x02, 0x03};  // never written
    keys.push_back({{2, 0x13, 0x01, 0x00}, {2, 0x13, 0x01, 0x00}});
    WriteKeyList(record, keys);
    EXPECT_SAME_JSON(record, ParseTestJson(R"({"KeyList":[
        {"Assignment":2097158,"DefaultAssignment":1048832},
        {"Assignment":1049088,"DefaultAssignment":1049088,"Note":"kept"},
        {"Assignment":1245440}]})"));
}

TEST(KeyRecords, WriteReplacesAListOfTheWrongType) {
    Json::Value record = ParseTestJson(R"({"KeyList":{"a":1},"Other":2})");
    WriteKeyList(record, {{{0, 0xA0, 0x1B, 0x00}, {}}});
    EXPECT_SAME_JSON(record, ParseTestJson(R"({"KeyList":[{"Assignment":10492672}],"Other":2})"));
}

TEST(KeyRecords, ShortListIsCompletedFromTheDefaults) {
    std::vector<KeyRecord> keys =
        ReadKeyList(ParseTestJson(R"({"KeyList":[{"Assignment":1,"DefaultAssignment":2}]})"));
    const KeyAssignment defaults[] = {
        {9, 0x10, 0x01, 0x00}, {9, 0x10, 0x02, 0x00}, {9, 0x10, 0x04, 0x00}};
    CompleteKeyList(keys, defaults);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].current, (KeyAssignment{0, 0, 0, 1}));  // read records stay
    EXPECT_EQ(keys[0].defaults, (KeyAssignment{0, 0, 0, 2}));
    for (std::size_t i = 1; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].current, defaults[i]);
        EXPECT_EQ(keys[i].defaults, defaults[i]);
        EXPECT_EQ(keys[i].current.position, i);
        EXPECT_EQ(keys[i].defaults.position, i);
    }
    CompleteKeyList(keys, std::span<const KeyAssignment>(defaults, 2));  // never shrinks
    EXPECT_EQ(keys.size(), 3u);
}

TEST(KeyRecords, ListElementHoldsBothHalves) {
    EXPECT_SAME_JSON(MakeKeyListElement({{0, 0x16, 0x90, 0x01}, {0, 0x10, 0x01, 0x00}}),
                     ParseTestJson(R"({"Assignment":1478657,"DefaultAssignment":1048832})"));
}

}  // namespace
