#include "device/LightTables.h"

namespace {

constexpr std::uint8_t kBrightness[kBrightnessLevels] = {30, 80, 135, 195, 255};
constexpr std::uint8_t kBlinkFactor[kBrightnessLevels] = {28, 23, 18, 13, 7};

// The rising half of a colour wheel segment.
constexpr std::uint8_t kWheelRamp[32] = {1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                         44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                         140, 152, 164, 176, 188, 200, 213, 227, 241, 255};

// The rising half of the breathing curve: 0..10 in ones, 12..20 in twos, then the same
// wave the headset's breathing uses (22, 24, 27, ..., 248, 255).
constexpr std::uint8_t kBreathingRise[64] = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<std::uint8_t, kBreathingCurveSize> MakeBreathingCurve() {
    std::array<std::uint8_t, kBreathingCurveSize> curve{};
    for (std::size_t i = 0; i < 64; ++i) {
        curve[i] = kBreathingRise[i];
        curve[127 - i] = kBreathingRise[i];
    }
    return curve;
}

// The falling component of a segment. Entry 32 of the wheel is 248, which the rising
// ramp does not contain: the falling value at step i is the mean of ramp entries 31 - i
// and 30 - i (255 and 241 give 248 at step 0), ending at 0 at step 31, so each segment
// starts where the last one ended.
constexpr std::uint8_t Falling(std::size_t i) {
    const unsigned upper = kWheelRamp[31 - i];
    const unsigned lower = i < 31 ? kWheelRamp[30 - i] : 0;
    return static_cast<std::uint8_t>((upper + lower) / 2);
}

constexpr std::array<WheelColour, kColourWheelSize> MakeColourWheel() {
    std::array<WheelColour, kColourWheelSize> wheel{};
    for (std::size_t i = 0; i < 32; ++i) {
        const std::uint8_t up = kWheelRamp[i];
        const std::uint8_t down = Falling(i);
        wheel[i] = {255, up, 0};          // red to yellow
        wheel[32 + i] = {down, 255, 0};   // yellow to green
        wheel[64 + i] = {0, 255, up};     // green to cyan
        wheel[96 + i] = {0, down, 255};   // cyan to blue
        wheel[128 + i] = {up, 0, 255};    // blue to magenta
        wheel[160 + i] = {255, 0, down};  // magenta to red
    }
    return wheel;
}

constexpr std::array<std::uint8_t, kBreathingCurveSize> kBreathingCurve = MakeBreathingCurve();
constexpr std::array<WheelColour, kColourWheelSize> kColourWheel = MakeColourWheel();
constexpr WheelColour kPalette[kFourColourPaletteSize] = {
    {0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}};

static_assert(kColourWheel[0] == WheelColour{255, 1, 0});
static_assert(kColourWheel[31] == WheelColour{255, 255, 0});
static_assert(kColourWheel[32] == WheelColour{248, 255, 0});
static_assert(kBreathingCurve[63] == 255 && kBreathingCurve[64] == 255);
static_assert(kBreathingCurve[62] == 248 && kBreathingCurve[65] == 248);

constexpr unsigned Level(unsigned level) {
    return level < kBrightnessLevels ? level : kBrightnessLevels - 1;
}

}  // namespace

std::uint8_t BrightnessAtLevel(unsigned level) {
    return kBrightness[Level(level)];
}

std::uint8_t BreathingCurveAt(std::size_t index) {
    return kBreathingCurve[index < kBreathingCurveSize ? index : 0];
}

WheelColour ColourWheelAt(std::size_t index) {
    return kColourWheel[index < kColourWheelSize ? index : 0];
}

WheelColour FourColourPaletteAt(std::size_t index) {
    return kPalette[index < kFourColourPaletteSize ? index : 0];
}

std::uint8_t BlinkFactorAtSpeed(unsigned speed) {
    return kBlinkFactor[Level(speed)];
}

std::uint8_t StepCounter(std::uint8_t direction, std::uint8_t limit, std::uint8_t value,
                         std::uint8_t step) {
    if (direction != 0) {
        const auto next = static_cast<std::uint8_t>(value + step);
        return next >= limit ? 0 : next;
    }
    const auto next = static_cast<std::uint8_t>(value - step);
    return next >= limit ? static_cast<std::uint8_t>(limit - step) : next;
}

const std::array<std::uint8_t, kBreathingCurveSize>& BreathingCurve() {
    return kBreathingCurve;
}

const std::array<WheelColour, kColourWheelSize>& ColourWheel() {
    return kColourWheel;
}
