#pragma once
// The lighting tables and the step counter of the base renderers, shared with
// the kinds' renderers and the synchronised effect.
//
// Every lookup here takes an index from outside its table as the start of the cycle
// (index 0), and a brightness level or speed above 4 as 4.
#include <array>
#include <cstddef>
#include <cstdint>

struct WheelColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const WheelColour&, const WheelColour&) = default;
};

inline constexpr std::size_t kBrightnessLevels = 5;
inline constexpr std::size_t kBreathingCurveSize = 128;
inline constexpr std::size_t kColourWheelSize = 192;
inline constexpr std::size_t kFourColourPaletteSize = 4;

// 30, 80, 135, 195, 255 by level 0..4.
std::uint8_t BrightnessAtLevel(unsigned level);
// 0..255 over entries 0..63 and back to 0 over 64..127.
std::uint8_t BreathingCurveAt(std::size_t index);
// Red -> yellow -> green -> cyan -> blue -> magenta -> red in six segments of 32 steps.
WheelColour ColourWheelAt(std::size_t index);
// (0,255,180), (0,255,0), (255,255,255), (255,0,0).
WheelColour FourColourPaletteAt(std::size_t index);
// 28, 23, 18, 13, 7 by speed 0..4: the blink period in units of 200 ms, and the light
// threads' step threshold per speed.
std::uint8_t BlinkFactorAtSpeed(unsigned speed);

// The step counter: moves `value` by `step` in 8-bit arithmetic. Forward (direction
// non-zero): a result not below `limit` becomes 0. Backward: a result not below `limit`
// (as when it wrapped below 0) becomes limit - step.
std::uint8_t StepCounter(std::uint8_t direction, std::uint8_t limit, std::uint8_t value,
                         std::uint8_t step);

// The whole tables, for tests and for renderers that walk them.
const std::array<std::uint8_t, kBreathingCurveSize>& BreathingCurve();
const std::array<WheelColour, kColourWheelSize>& ColourWheel();
