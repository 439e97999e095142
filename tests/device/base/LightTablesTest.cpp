// The base renderers' tables and the step counter against their published numbers.
#include <gtest/gtest.h>

#include "device/LightTables.h"

namespace {

constexpr std::uint8_t kRamp[32] = {1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                    44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                    140, 152, 164, 176, 188, 200, 213, 227, 241, 255};

TEST(LightTables, BrightnessByLevelAndLevelsAboveFourAsFour) {
    const std::uint8_t expected[] = {30, 80, 135, 195, 255};
    for (unsigned level = 0; level < 5; ++level)
        EXPECT_EQ(BrightnessAtLevel(level), expected[level]) << level;
    EXPECT_EQ(BrightnessAtLevel(9), 255);  // "Light": 9 renders at 255
    EXPECT_EQ(BrightnessAtLevel(255), 255);
}

TEST(LightTables, BlinkFactorBySpeedAndSpeedsAboveFourAsFour) {
    const std::uint8_t expected[] = {28, 23, 18, 13, 7};
    for (unsigned speed = 0; speed < 5; ++speed)
        EXPECT_EQ(BlinkFactorAtSpeed(speed), expected[speed]) << speed;
    EXPECT_EQ(BlinkFactorAtSpeed(200), 7);  // a device's speed byte 200
}

TEST(LightTables, BreathingCurveRisesAndFallsSymmetrically) {
    const auto& curve = BreathingCurve();
    for (std::size_t i = 0; i <= 10; ++i) EXPECT_EQ(curve[i], i);
    const std::uint8_t named[][2] = {{11, 12}, {15, 20}, {16, 22},  {17, 24},
                                     {18, 27}, {19, 30}, {62, 248}, {63, 255}};
    for (const auto& [index, value] : named) EXPECT_EQ(curve[index], value) << int(index);
    for (std::size_t i = 0; i < 64; ++i) EXPECT_EQ(curve[127 - i], curve[i]) << i;
    for (std::size_t i = 1; i < 64; ++i) EXPECT_GT(curve[i], curve[i - 1]) << i;
    EXPECT_EQ(curve[64], 255);
    EXPECT_EQ(curve[65], 248);
    EXPECT_EQ(curve[127], 0);
    EXPECT_EQ(BreathingCurveAt(191), curve[0]);  // outside the table: start of the cycle
}

TEST(LightTables, ColourWheelHasSixSegmentsOnTheRamp) {
    const auto& wheel = ColourWheel();
    EXPECT_EQ(wheel[0], (WheelColour{255, 1, 0}));
    EXPECT_EQ(wheel[31], (WheelColour{255, 255, 0}));
    EXPECT_EQ(wheel[32], (WheelColour{248, 255, 0}));
    for (std::size_t i = 0; i < 32; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(wheel[i], (WheelColour{255, kRamp[i], 0}));        // red to yellow
        EXPECT_EQ(wheel[64 + i], (WheelColour{0, 255, kRamp[i]}));   // green to cyan
        EXPECT_EQ(wheel[128 + i], (WheelColour{kRamp[i], 0, 255}));  // blue to magenta
        EXPECT_EQ(wheel[32 + i].green, 255);                         // yellow to green
        EXPECT_EQ(wheel[96 + i].blue, 255);                          // cyan to blue
        EXPECT_EQ(wheel[160 + i].red, 255);                          // magenta to red
        EXPECT_EQ(wheel[32 + i].red, wheel[96 + i].green);           // one falling curve
        EXPECT_EQ(wheel[32 + i].red, wheel[160 + i].blue);
        if (i > 0) {
            EXPECT_LT(wheel[32 + i].red, wheel[32 + i - 1].red);
        }
    }
    // Each segment ends where the next begins.
    EXPECT_EQ(wheel[63], (WheelColour{0, 255, 0}));
    EXPECT_EQ(wheel[95], (WheelColour{0, 255, 255}));
    EXPECT_EQ(wheel[127], (WheelColour{0, 0, 255}));
    EXPECT_EQ(wheel[159], (WheelColour{255, 0, 255}));
    EXPECT_EQ(wheel[191], (WheelColour{255, 0, 0}));
    EXPECT_EQ(ColourWheelAt(192), wheel[0]);
    EXPECT_EQ(ColourWheelAt(100000), wheel[0]);
}

TEST(LightTables, FourColourPalette) {
    EXPECT_EQ(FourColourPaletteAt(0), (WheelColour{0, 255, 180}));
    EXPECT_EQ(FourColourPaletteAt(1), (WheelColour{0, 255, 0}));
    EXPECT_EQ(FourColourPaletteAt(2), (WheelColour{255, 255, 255}));
    EXPECT_EQ(FourColourPaletteAt(3), (WheelColour{255, 0, 0}));
    EXPECT_EQ(FourColourPaletteAt(176), FourColourPaletteAt(0));  // outside the palette
    EXPECT_EQ(FourColourPaletteAt(191), FourColourPaletteAt(0));
}

TEST(LightTables, StepCounter) {
    struct Case {
        int direction, limit, value, step, result;
    };
    const Case cases[] = {
        {1, 128, 0, 1, 1},   {1, 128, 126, 1, 127}, {1, 128, 127, 1, 0},
        {0, 128, 5, 1, 4},   {0, 128, 1, 1, 0},     {0, 128, 0, 1, 127},  // 0 backward
        {1, 192, 191, 1, 0}, {0, 192, 0, 1, 191},   {1, 96, 93, 3, 0},
        {1, 96, 90, 3, 93},  {0, 96, 0, 3, 93},     {0, 96, 1, 3, 93},  // wrapped below 0
        {1, 128, 191, 1, 0}, {0, 128, 191, 1, 127},                     // from outside
        {7, 255, 254, 1, 0}, {1, 255, 255, 1, 0},                       // 8-bit wrap
        {0, 192, 16, 16, 0}, {0, 192, 0, 16, 176},  {1, 192, 176, 16, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "direction " << c.direction << " limit " << c.limit
                                        << " value " << c.value << " step " << c.step);
        EXPECT_EQ(
            StepCounter(static_cast<std::uint8_t>(c.direction), static_cast<std::uint8_t>(c.limit),
                        static_cast<std::uint8_t>(c.value), static_cast<std::uint8_t>(c.step)),
            c.result);
    }
}

}  // namespace
