#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "device/mouse/MouseStateRecord.h"
#include "tests/device/channel/HexBytes.h"

namespace {

std::vector<std::uint8_t> Bytes(const MouseStateRecord& record) {
    return {record.begin(), record.end()};
}

DpiStage Stage(std::uint16_t dpiX, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    DpiStage stage;
    stage.active = 1;
    stage.xy = 1;       // never sent
    stage.dpiY = 0x77;  // never sent
    stage.dpiX = dpiX;
    stage.red = red;
    stage.green = green;
    stage.blue = blue;
    return stage;
}

LightRecord Light(std::uint8_t mode, std::uint8_t speed) {
    LightRecord light;
    light.mode = mode;
    light.brightness = 2;
    light.speed = speed;
    light.direction = 1;
    light.multiColour = 1;
    light.red = 0x11;
    light.green = 0x22;
    light.blue = 0x33;
    return light;
}

TEST(ComposeMouseStateRecord, WiredRecordIsByteExact) {
    const std::vector<DpiStage> stages = {
        Stage(0x0105, 0xFF, 0x00, 0x00), Stage(0x0A, 0x00, 0xFF, 0x00),
        Stage(0x14, 0x00, 0x00, 0xFF),   Stage(0x1E, 0xFF, 0xFF, 0x00),
        Stage(0x28, 0x00, 0xFF, 0xFF),
    };
    EXPECT_EQ(Bytes(ComposeMouseStateRecord(Light(9, 1), 2, stages, 4, false)),
              FromHex("00 09 02 01 01 01 11 22 33"  // slot, light, colour
                      " 00 00 00 00 00"             // 9..13
                      " 02"                         // 14 polling rate
                      " 05 0a 14 1e"                // 15..18 stages 1..4
                      " 04 28 00 00 00"             // 19 active, 20 stage 5, 21 sixth, 22..23
                      " ff 00 00  00 ff 00  00 00 ff  ff ff 00  00 ff ff"  // 24..38
                      " 00 00 00"                                          // 39..41
                      " 00 00 00 00 00 00 00 00 00 00 00 00"               // 42..53
                      " 00 00 00 00 00 00 00 00 00 00 00 00"));            // 54..65
}

TEST(ComposeMouseStateRecord, WirelessCustomModeWithThreeStagesIsByteExact) {
    const std::vector<DpiStage> stages = {
        Stage(0x1234, 0x01, 0x02, 0x03),
        Stage(0x00FF, 0x04, 0x05, 0x06),
        Stage(0x0100, 0x07, 0x08, 0x09),
    };
    EXPECT_EQ(Bytes(ComposeMouseStateRecord(Light(12, 1), 4, stages, 1, true)),
              FromHex("00 00 02 03 01 01 11 22 33"  // mode 12 goes out as 0, speed 1 as 3
                      " 00 00 00 00 00"
                      " 04"
                      " 34 ff 00 00"  // low bytes of the X index; stage 4 missing
                      " 01 00 00 00 00"
                      " 01 02 03  04 05 06  07 08 09  00 00 00  00 00 00"
                      " 00 00 00"
                      " 00 00 00 00 00 00 00 00 00 00 00 00"
                      " 00 00 00 00 00 00 00 00 00 00 00 00"));
}

TEST(ComposeMouseStateRecord, SpeedByteOnBothLinks) {
    struct Case {
        std::uint8_t speed;
        bool wireless;
        std::uint8_t expected;
    };
    for (const Case c : {Case{0, false, 0}, Case{4, false, 4}, Case{0, true, 4}, Case{1, true, 3},
                         Case{4, true, 0}, Case{9, false, 4}, Case{9, true, 0}}) {
        SCOPED_TRACE(::testing::Message() << int{c.speed} << " wireless " << c.wireless);
        EXPECT_EQ(ComposeMouseStateRecord(Light(0, c.speed), 0, {}, 0, c.wireless)[3], c.expected);
    }
}

// A device read of the settings in hand: mode 5, brightness 3, speed byte 1,
// direction 0, multicolour 1, colour 10 20 30, active stage 2.
std::array<std::uint8_t, kMouseStateReadSize> GoodRead() {
    std::array<std::uint8_t, kMouseStateReadSize> read{};
    const std::vector<std::uint8_t> head = FromHex("07 05 03 01 00 01 10 20 30");
    std::copy(head.begin(), head.end(), read.begin());
    read[19] = 2;
    return read;
}

TEST(ParseMouseStateRecord, TakesBackTheDeviceSettings) {
    const auto read = GoodRead();
    const MouseStateReadBack back = ParseMouseStateRecord(read, 2, false, 5);
    EXPECT_EQ(back.currentSlot, 2);  // the slot byte, not byte 0 of the read
    EXPECT_EQ(back.mode, 5);
    EXPECT_EQ(back.brightness, 3);
    EXPECT_EQ(back.speed, 1);
    EXPECT_EQ(back.multiColour, 1);
    EXPECT_EQ(back.red, 0x10);
    EXPECT_EQ(back.green, 0x20);
    EXPECT_EQ(back.blue, 0x30);
    EXPECT_EQ(back.activeStage, 2);
    EXPECT_TRUE(back.AllTaken());
}

TEST(ParseMouseStateRecord, BytesOutOfRangeAreNotTaken) {
    struct Case {
        const char* name;
        std::size_t offset;
        std::uint8_t value;
        bool wireless;
        std::size_t stages;
        std::optional<std::uint8_t> MouseStateReadBack::*field;
        std::optional<std::uint8_t> expected;
    };
    using R = MouseStateReadBack;
    const Case cases[] = {
        {"mode 9 is a device mode", 1, 9, false, 5, &R::mode, 9},
        {"mode 10 is not", 1, 10, false, 5, &R::mode, std::nullopt},
        {"mode 255", 1, 255, false, 5, &R::mode, std::nullopt},
        {"brightness 4", 2, 4, false, 5, &R::brightness, 4},
        {"brightness 5", 2, 5, false, 5, &R::brightness, std::nullopt},
        {"wired speed 4", 3, 4, false, 5, &R::speed, 4},
        {"wired speed 5", 3, 5, false, 5, &R::speed, std::nullopt},
        {"wireless speed 3 is 1", 3, 3, true, 5, &R::speed, 1},
        {"wireless speed 0 is 4", 3, 0, true, 5, &R::speed, 4},
        {"wireless speed 5", 3, 5, true, 5, &R::speed, std::nullopt},
        {"wireless speed 200", 3, 200, true, 5, &R::speed, std::nullopt},
        {"stage 4 of 5", 19, 4, false, 5, &R::activeStage, 4},
        {"stage 5 of 5", 19, 5, false, 5, &R::activeStage, std::nullopt},
        {"stage 9 of 5", 19, 9, false, 5, &R::activeStage, std::nullopt},
        {"stage 2 of 3", 19, 2, false, 3, &R::activeStage, 2},
        {"stage 3 of 3", 19, 3, false, 3, &R::activeStage, std::nullopt},
        {"stage 0 of none", 19, 0, false, 0, &R::activeStage, std::nullopt},
        {"stage 5 of 7: the device has five", 19, 5, false, 7, &R::activeStage, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto read = GoodRead();
        read[c.offset] = c.value;
        const MouseStateReadBack back = ParseMouseStateRecord(read, 0, c.wireless, c.stages);
        EXPECT_EQ(back.*c.field, c.expected);
        EXPECT_EQ(back.AllTaken(), c.expected.has_value());
    }
}

TEST(TakeBackLight, KeepsDirectionAndWhatWasNotTaken) {
    auto read = GoodRead();
    read[1] = 12;  // a custom mode never reaches the device
    LightRecord held = Light(12, 2);
    held.direction = 0;
    held.spare = {7, 8, 9};
    const LightRecord light = TakeBackLight(ParseMouseStateRecord(read, 0, false, 5), held);
    LightRecord expected = held;
    expected.brightness = 3;
    expected.speed = 1;
    expected.multiColour = 1;
    expected.red = 0x10;
    expected.green = 0x20;
    expected.blue = 0x30;
    EXPECT_EQ(light, expected);
}

TEST(MouseStateRecord, WirelessSpeedSurvivesTheRoundTrip) {
    for (std::uint8_t speed = 0; speed <= kMouseMaxLevel; ++speed) {
        SCOPED_TRACE(int{speed});
        const MouseStateRecord record =
            ComposeMouseStateRecord(Light(1, speed), 0, {Stage(3, 0, 0, 0)}, 0, true);
        const MouseStateReadBack back = ParseMouseStateRecord(
            std::span<const std::uint8_t, kMouseStateReadSize>(record.data(), kMouseStateReadSize),
            0, true, 1);
        EXPECT_EQ(back.speed, speed);
    }
}

}  // namespace

namespace {

TEST(UpdateStateMirror, TakesTheReadRangesAndOnlyCheckedValues) {
    MouseStateRecord mirror;
    mirror.fill(0xAA);
    const std::vector<std::uint8_t> read = FromHex(
        "07 0c 03 01 00 01 10 20 30"  // mode 12 is rejected; wireless speed byte 1 is 3
        " 11 11 11 11 11 11"          // 9..14 not taken
        " 01 02 03 04 09 05 06"       // 15..21, active stage 9 of 5 rejected
        " 22 22"                      // 22..23 not taken
        " 31 32 33 34 35 36 37 38 39 3a 3b 3c 3d 3e 3f 40 41 42");  // 24..41
    ASSERT_EQ(read.size(), kMouseStateReadSize);
    const MouseStateRead bytes(read.data(), kMouseStateReadSize);
    UpdateStateMirror(mirror, bytes, ParseMouseStateRecord(bytes, 2, true, 5));
    EXPECT_EQ(std::vector<std::uint8_t>(mirror.begin(), mirror.end()),
              FromHex("02 aa 03 03 00 01 10 20 30"
                      " aa aa aa aa aa aa"
                      " 01 02 03 04 aa 05 06"
                      " aa aa"
                      " 31 32 33 34 35 36 37 38 39 3a 3b 3c 3d 3e 3f 40 41 42"
                      " aa aa aa aa aa aa aa aa aa aa aa aa"
                      " aa aa aa aa aa aa aa aa aa aa aa aa"));
}

}  // namespace
