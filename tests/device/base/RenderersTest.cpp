// The base renderers with an injected millisecond tick, and values from files or devices
// that lie outside their tables.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "device/LightTables.h"

namespace {

struct Frame {
    int red, green, blue, intensity;
    friend bool operator==(const Frame&, const Frame&) = default;
};
std::ostream& operator<<(std::ostream& out, const Frame& f) {
    return out << "(" << f.red << "," << f.green << "," << f.blue << " @" << f.intensity << ")";
}

class RenderersTest : public ::testing::Test {
protected:
    void SetUp() override {
        device.SetLedCount(3);
        device.SetTickSource([this] { return now; });
    }
    // Every LED holds the same colour after a base renderer; checks that and returns it.
    Frame Leds() {
        const std::vector<std::uint32_t> colours = device.GetLedColours();
        EXPECT_EQ(colours.size(), 3u);
        for (std::uint32_t c : colours) EXPECT_EQ(c, colours.front());
        const std::uint32_t c = colours.empty() ? 0 : colours.front();
        return {LedRed(c), LedGreen(c), LedBlue(c), LedIntensity(c)};
    }
    static Frame Of(WheelColour c, int intensity) { return {c.red, c.green, c.blue, intensity}; }

    CTavrinUSBDevice device;
    std::uint32_t now = 0;
};

TEST_F(RenderersTest, BreathingFollowsTheCurveAtTheLevel) {
    SetRecord(device, MakeRecord(2, 4, 0, 1, 0, 10, 20, 30));
    for (int step = 1; step < 128; ++step) {
        device.RenderBreathing();
        ASSERT_EQ(device.GetRendererState().step, step);
        ASSERT_EQ(Leds(), (Frame{10, 20, 30, BreathingCurveAt(step) * 255 / 256})) << step;
    }
    device.RenderBreathing();  // 127 forward wraps to 0
    EXPECT_EQ(device.GetRendererState().step, 0);
    EXPECT_EQ(Leds().intensity, 0);
}

TEST_F(RenderersTest, BreathingBackwardFromZeroStartsAtTheTop) {
    SetRecord(device, MakeRecord(2, 1, 0, 0, 0, 255, 255, 255));
    device.RenderBreathing();
    EXPECT_EQ(device.GetRendererState().step, 127);
    device.RenderBreathing();
    EXPECT_EQ(device.GetRendererState().step, 126);
    EXPECT_EQ(Leds(), (Frame{255, 255, 255, BreathingCurveAt(126) * 80 / 256}));
}

TEST_F(RenderersTest, BreathingMulticolourWalksTheColourPositions) {
    SetRecord(device, MakeRecord(2, 4, 0, 1, 1, 0, 0, 0));
    std::vector<int> positions;
    for (int frame = 0; frame < 128 * 13; ++frame) {
        device.RenderBreathing();
        const auto state = device.GetRendererState();
        if (state.step == 0) positions.push_back(state.colourPosition);
        EXPECT_EQ(Leds(), Of(ColourWheelAt(state.colourPosition),
                             BreathingCurveAt(state.step) * 255 / 256));
        if (HasFailure()) return;
    }
    EXPECT_EQ(positions,
              (std::vector<int>{16, 32, 48, 64, 80, 96, 112, 128, 144, 160, 176, 0, 16}));
}

TEST_F(RenderersTest, FourColourCycleAdvancesThePaletteOnEachWrap) {
    SetRecord(device, MakeRecord(0, 3, 0, 1, 0, 0, 0, 0));
    std::vector<int> positions;
    for (int frame = 0; frame < 128 * 5; ++frame) {
        device.RenderFourColourCycle();
        const auto state = device.GetRendererState();
        if (state.step == 0) positions.push_back(state.colourPosition);
        ASSERT_EQ(Leds(), Of(FourColourPaletteAt(state.colourPosition),
                             BreathingCurveAt(state.step) * 195 / 256));
    }
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 0, 1}));
}

TEST_F(RenderersTest, FourColourAfterBreathingAtPosition176UsesTheFirstPaletteColour) {
    SetRecord(device, MakeRecord(2, 4, 0, 1, 1, 0, 0, 0));
    device.SetRendererState({5, 176, 0, 0});
    device.RenderBreathing();
    EXPECT_EQ(device.GetRendererState().colourPosition, 176);
    device.RenderFourColourCycle();  // position 176 is outside the palette
    EXPECT_EQ(device.GetRendererState().colourPosition, 0);
    EXPECT_EQ(Leds(), Of(FourColourPaletteAt(0), BreathingCurveAt(7) * 255 / 256));
}

TEST_F(RenderersTest, StaticShowsTheRecordAtTheLevel) {
    for (const auto& [level, intensity] : std::vector<std::pair<int, int>>{
             {0, 30}, {1, 80}, {2, 135}, {3, 195}, {4, 255}, {9, 255}}) {
        SetRecord(device, MakeRecord(3, static_cast<std::uint8_t>(level), 0, 0, 1, 1, 2, 3));
        device.RenderStatic();
        EXPECT_EQ(Leds(), (Frame{1, 2, 3, intensity})) << level;
    }
}

TEST_F(RenderersTest, SpectrumCycleWalksTheWheelBothWays) {
    SetRecord(device, MakeRecord(1, 2, 0, 1, 0, 0, 0, 0));
    for (int step = 1; step < 192; ++step) {
        device.RenderSpectrumCycle();
        ASSERT_EQ(Leds(), Of(ColourWheelAt(step), 135)) << step;
    }
    device.RenderSpectrumCycle();
    EXPECT_EQ(Leds(), Of(ColourWheelAt(0), 135));
    SetRecord(device, MakeRecord(1, 2, 0, 0, 0, 0, 0, 0));
    device.RenderSpectrumCycle();
    EXPECT_EQ(Leds(), Of(ColourWheelAt(191), 135));
}

TEST_F(RenderersTest, BlinkTogglesAfterTheSpeedsPeriod) {
    // Speed 4: 7 x 200 ms.
    SetRecord(device, MakeRecord(4, 4, 4, 0, 1, 9, 9, 9));
    struct Step {
        std::uint32_t at;
        int phase, step;
    };
    const Step steps[] = {{0, 0, 0},     {1399, 0, 0},  {1400, 1, 16}, {2000, 1, 16},
                          {2800, 0, 32}, {4200, 1, 48}, {4300, 1, 48}};
    for (const Step& s : steps) {
        now = s.at;
        device.RenderBlink();
        const auto state = device.GetRendererState();
        SCOPED_TRACE(s.at);
        EXPECT_EQ(state.blinkPhase, s.phase);
        EXPECT_EQ(state.step, s.step);
        const Frame expected = s.phase ? Of(ColourWheelAt(s.step), 255) : Frame{0, 0, 0, 0};
        EXPECT_EQ(Leds(), expected);
    }
}

TEST_F(RenderersTest, BlinkStepGoesBackToZeroAfter176AndUsesTheRecordColour) {
    SetRecord(device, MakeRecord(4, 0, 0, 0, 0, 7, 8, 9));  // speed 0: 5600 ms
    device.SetRendererState({176, 0, 0, 0});
    now = 5599;
    device.RenderBlink();
    EXPECT_EQ(device.GetRendererState().blinkPhase, 0);
    now = 5600;
    device.RenderBlink();
    EXPECT_EQ(device.GetRendererState().step, 0);
    EXPECT_EQ(Leds(), (Frame{7, 8, 9, 30}));
}

TEST_F(RenderersTest, BlinkThroughFourColours) {
    SetRecord(device, MakeRecord(4, 4, 2, 0, 0, 0, 0, 0));  // speed 2: 3600 ms
    std::vector<Frame> frames;
    for (std::uint32_t t = 3600; t <= 3600 * 8; t += 3600) {
        now = t;
        device.RenderBlinkFourColours();
        frames.push_back(Leds());
    }
    const Frame off{0, 0, 0, 0};
    EXPECT_EQ(frames,
              (std::vector<Frame>{
                  Of(FourColourPaletteAt(1), 255), off, Of(FourColourPaletteAt(3), 255), off,
                  Of(FourColourPaletteAt(1), 255), off, Of(FourColourPaletteAt(3), 255), off}));
}

TEST_F(RenderersTest, BlinkFourColoursAfterSpectrumStartsOverInThePalette) {
    SetRecord(device, MakeRecord(4, 4, 4, 0, 0, 0, 0, 0));
    device.SetRendererState({191, 0, 1, 0});  // on, no toggle due
    now = 10;
    device.RenderBlinkFourColours();
    EXPECT_EQ(device.GetRendererState().step, 0);
    EXPECT_EQ(Leds(), Of(FourColourPaletteAt(0), 255));
}

TEST_F(RenderersTest, AllOffAndUnknownModes) {
    SetRecord(device, MakeRecord(3, 4, 0, 0, 0, 1, 2, 3));
    EXPECT_TRUE(device.RenderLightMode(3));
    EXPECT_EQ(Leds(), (Frame{1, 2, 3, 255}));
    EXPECT_FALSE(device.RenderLightMode(99));  // an unknown mode renders nothing
    EXPECT_FALSE(device.RenderLightMode(-1));
    EXPECT_EQ(Leds(), (Frame{1, 2, 3, 255}));
    EXPECT_TRUE(device.RenderLightMode(8));
    EXPECT_EQ(Leds(), (Frame{0, 0, 0, 0}));
}

TEST(RenderersWithoutLeds, ComputeNothing) {
    CTavrinUSBDevice device;
    SetRecord(device, MakeRecord(2, 4, 0, 1, 1, 0, 0, 0));
    device.RenderBreathing();
    device.RenderBlink();
    device.RenderAllOff();
    EXPECT_TRUE(device.GetLedColours().empty());
    EXPECT_EQ(device.GetLedColour(0), 0u);
}

}  // namespace
