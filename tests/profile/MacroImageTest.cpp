#include "profile/MacroImage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "profile/ShootFiles.h"

namespace {

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    for (const std::uint8_t b : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x ", b);
        out += hex;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

MacroEvent Step(MacroEventType type, int button, const char* action, int delay) {
    return {static_cast<int>(type), button, action, delay};
}

// Two macros of 3 and 5 events: 16 + 2 x 2 + 2 x 4 + 8 x 4 = 60 bytes.
std::vector<std::vector<MacroEvent>> TwoMacros() {
    using T = MacroEventType;
    return {
        {Step(T::Key, 0x04, "down", 120), Step(T::Key, 0x04, "up", 258),
         Step(T::MouseButton, 0x01, "down", 50)},
        {Step(T::Modifier, 0x01, "down", 10), Step(T::MouseMoveX, 20, "down", 5),
         Step(T::MouseMoveY, 30, "up", 65535), Step(T::Modifier, 0x01, "up", 0),
         Step(T::MouseButton, 0x02, "up", 1000)},
    };
}

const char* const kTwoMacrosImage =
    "aa 55 3c 00 02 00 00 00 00 00 00 00 00 00 00 00 "  // magic, length 60, 2 macros
    "14 00 24 00 "                                      // blocks at 20 and 36
    "03 00 00 00 "                                      // macro 0: 3 events
    "78 00 8a 04 02 01 0a 04 32 00 81 01 "
    "05 00 00 00 "  // macro 1: 5 events
    "0a 00 89 01 05 00 84 14 ff ff 05 1e 00 00 09 01 e8 03 01 02";

TEST(MacroImage, TwoMacrosAreByteExact) {
    const auto image = BuildMacroImage(TwoMacros());
    ASSERT_TRUE(image);
    EXPECT_EQ(ToHex(*image), kTwoMacrosImage);
}

TEST(MacroImage, OverflowCountsEventsToRemove) {
    struct Case {
        std::size_t size, capacity;
        int overflow;
    };
    for (const Case c : {Case{60, 0, 16}, Case{60, 60, 0}, Case{61, 60, 1}, Case{64, 60, 2},
                         Case{60, 128, 0}, Case{8316, 8 * 128, 1824}}) {
        SCOPED_TRACE(testing::Message() << c.size << " in " << c.capacity);
        EXPECT_EQ(MacroImageOverflow(c.size, c.capacity), c.overflow);
    }
}

TEST(MacroImage, ImagesBeyondSixteenBitFieldsAreNotBuilt) {
    // 16 + 6 + 4 x 16378 = 65534 fits; two events more do not.
    std::vector<std::vector<MacroEvent>> macros(1, std::vector<MacroEvent>(16378));
    EXPECT_TRUE(BuildMacroImage(macros));
    macros[0].resize(16380);
    EXPECT_FALSE(BuildMacroImage(macros));
}

TEST(MacroImage, DelayIsClampedAsReadAndAsSent) {
    struct Case {
        Json::Value delay;
        int shown;
        const char* bytes;
    };
    const Case cases[] = {
        {"120", 120, "78 00 8a 04"},
        {"70000", 65535, "ff ff 8a 04"},
        {"-5", 0, "00 00 8a 04"},
        {"abc", 0, "00 00 8a 04"},
        {"99999999999999999999", 65535, "ff ff 8a 04"},
        {70000, 65535, "ff ff 8a 04"},
        {-5, 0, "00 00 8a 04"},
        {Json::Value(1e300), 65535, "ff ff 8a 04"},
        {Json::Value(Json::arrayValue), 0, "00 00 8a 04"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.delay.toStyledString());
        Json::Value json;
        json[MacroKey::Type] = 10;
        json[MacroKey::Button] = 4;
        json[MacroKey::Action] = "down";
        json[MacroKey::Delay] = c.delay;
        const MacroEvent event = ReadMacroEvent(json);
        EXPECT_EQ(event.delay, c.shown);
        const MacroDeviceEvent bytes = EncodeMacroEvent(event);
        EXPECT_EQ(ToHex({bytes.begin(), bytes.end()}), c.bytes);
    }
}

TEST(MacroImage, WrongTypedEventsReadAsEmptySteps) {
    const char* const cases[] = {
        R"(null)",
        R"(5)",
        R"([1, 2])",
        R"({"Type": "x", "Button": [], "Action": 5, "Delay": {}})",
        R"({"Type": -3, "Button": -1, "Action": null})",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        const MacroEvent event = ReadMacroEvent(ParseMacroFileText(text));
        EXPECT_EQ(event, MacroEvent{});
        const MacroDeviceEvent bytes = EncodeMacroEvent(event);
        EXPECT_EQ(ToHex({bytes.begin(), bytes.end()}), "00 00 00 00");
    }
}

TEST(MacroImage, OutOfRangeFieldsSaturate) {
    const MacroEvent event =
        ReadMacroEvent(ParseMacroFileText(R"({"Type": 300, "Button": 999, "Action": "up"})"));
    EXPECT_EQ(event.type, kMaxMacroType);
    EXPECT_EQ(event.button, 255);
    // Only the exact "down" marks a press on the device.
    const MacroDeviceEvent down = EncodeMacroEvent({10, 4, "down", 0});
    const MacroDeviceEvent upper = EncodeMacroEvent({10, 4, "DOWN", 0});
    EXPECT_EQ(down[2], 0x8a);
    EXPECT_EQ(upper[2], 0x0a);
}

TEST(MacroImage, MacroFileTextIsCheckedForShape) {
    EXPECT_TRUE(IsMacroDocument(ParseMacroFileText(R"({"Events": []})")));
    for (const char* text : {"", "\x89PNG\r\n\x1a\n", R"({"Events": {}})", R"([{"Events": []}])",
                             R"({"events": []})", "{\"Events\": ["}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(IsMacroDocument(ParseMacroFileText(text)));
    }
    // Nesting deeper than the parser's limit is refused, not thrown.
    EXPECT_FALSE(IsMacroDocument(ParseMacroFileText(std::string(100000, '['))));
}

TEST(ShootImage, NoFilesGiveFourEmptyEntries) {
    const auto image = BuildShootImage({});
    ASSERT_TRUE(image);
    EXPECT_EQ(ToHex(*image),
              "aa 55 28 00 04 00 00 00 00 00 00 00 00 00 00 00 "
              "18 00 1c 00 20 00 24 00 "
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
}

TEST(ShootImage, OneBulletIsByteExact) {
    std::array<Json::Value, kShootGunCount> docs;
    ASSERT_TRUE(WriteBulletGroup(
        docs[0], 0,
        {.moveLeft = true, .moveUp = false, .horizontal = 3, .vertical = 7, .delay = 40}));
    const auto image = BuildShootImage(docs);
    ASSERT_TRUE(image);
    EXPECT_EQ(ToHex(*image),
              "aa 55 40 00 04 00 00 00 00 00 00 00 00 00 00 00 "
              "18 00 34 00 38 00 3c 00 "
              "06 00 00 00 "
              "0a 00 81 01 00 00 01 01 05 00 84 03 28 00 05 07 00 00 84 00 00 00 05 00 "
              "00 00 00 00 00 00 00 00 00 00 00 00");
}

TEST(ShootImage, NullEventsAreZeroBytesAndTextDelaysCount) {
    std::array<Json::Value, kShootGunCount> docs;
    docs[2] = ParseMacroFileText(
        R"({"Events": [null, {"Type": 5, "Button": 2, "Action": "up", "Delay": "300"}]})");
    const auto image = BuildShootImage(docs);
    ASSERT_TRUE(image);
    EXPECT_EQ(ToHex(*image),
              "aa 55 30 00 04 00 00 00 00 00 00 00 00 00 00 00 "
              "18 00 1c 00 20 00 2c 00 "
              "00 00 00 00 00 00 00 00 "
              "02 00 00 00 00 00 00 00 2c 01 05 02 "
              "00 00 00 00");
}

TEST(ShootImage, StandardFilesFitAndOverlongOnesAreRefused) {
    std::array<Json::Value, kShootGunCount> docs;
    for (Json::Value& doc : docs) doc = StillShootDocument();
    const auto image = BuildShootImage(docs);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), 2920u);  // 4 guns x 180 events

    Json::Value& events = docs[0][MacroKey::Events];
    for (int i = 0; i < 20000; ++i) events.append(events[0]);
    EXPECT_FALSE(BuildShootImage(docs));
}

}  // namespace
