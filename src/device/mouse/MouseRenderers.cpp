// The mouse's own renderers and its mode table. They write the LED colour buffer only;
// LED numbers the buffer does not have are skipped, so a zone table made for a mouse
// with more LEDs stays safe.
#include <algorithm>
#include <array>

#include "device/LightTables.h"
#include "device/TavrinMouseDevice.h"

namespace {

constexpr int kFlowLedStride = 7;
constexpr std::uint8_t kRippleFade = 24;
constexpr std::uint8_t kNoLed = 0xFF;
constexpr std::size_t kZoneWheelStride = 21;

// Up to three LEDs per zone; kNoLed ends a zone early.
constexpr std::array<std::array<std::uint8_t, 3>, kMouseRippleZones> kRippleZones = {{
    {0, 18, 18},
    {1, 17, kNoLed},
    {2, 16, kNoLed},
    {3, 15, kNoLed},
    {4, 14, kNoLed},
    {5, 13, kNoLed},
    {6, 12, kNoLed},
    {7, 9, 11},
    {8, 9, 10},
}};

// 0 at both ends, 255 in the middle of the period.
std::uint8_t TriangleWave(int index) {
    constexpr int half = kMouseFlowWavePeriod / 2;
    const int rising = index < half ? index : kMouseFlowWavePeriod - 1 - index;
    return static_cast<std::uint8_t>(rising * 255 / (half - 1));
}

int Wrap(int value, int period) {
    return ((value % period) + period) % period;
}

}  // namespace

void CTavrinMouseDevice::RenderFlow() {
    const LightRecord record = GetLightRecord();
    const bool multi = record.multiColour != 0;
    const int period = multi ? kMouseFlowWheelPeriod : kMouseFlowWavePeriod;
    m_flowPhase = Wrap(m_flowPhase + (record.direction == 1 ? 1 : -1), period);
    const unsigned intensity = BrightnessAtLevel(record.brightness);
    WithLedColours([&](std::span<std::uint32_t> leds) {
        for (std::size_t i = 0; i < leds.size(); ++i) {
            const int at = Wrap(m_flowPhase + 1 + kFlowLedStride * static_cast<int>(i), period);
            if (multi) {
                const WheelColour c = ColourWheelAt(static_cast<std::size_t>(at));
                leds[i] =
                    PackLedColour(c.red, c.green, c.blue, static_cast<std::uint8_t>(intensity));
            } else {
                const auto scaled = static_cast<std::uint8_t>(intensity * TriangleWave(at) / 256);
                leds[i] = PackLedColour(record.red, record.green, record.blue, scaled);
            }
        }
    });
}

void CTavrinMouseDevice::RenderRipple() {
    const LightRecord record = GetLightRecord();
    for (auto& zone : m_rippleIntensity)
        zone = static_cast<std::uint8_t>(zone > kRippleFade ? zone - kRippleFade : 0);
    // The shift queue walks past the zones and then rests before the next pass.
    if (m_ripplePosition < static_cast<int>(kMouseRippleZones))
        m_rippleIntensity[static_cast<std::size_t>(m_ripplePosition)] = 255;
    m_ripplePosition = (m_ripplePosition + 1) % static_cast<int>(kMouseRippleQueue);
    const unsigned level = BrightnessAtLevel(record.brightness);
    WithLedColours([&](std::span<std::uint32_t> leds) {
        for (std::size_t z = 0; z < kMouseRippleZones; ++z) {
            WheelColour colour{record.red, record.green, record.blue};
            if (record.multiColour != 0) colour = ColourWheelAt(z * kZoneWheelStride);
            const auto intensity = static_cast<std::uint8_t>(level * m_rippleIntensity[z] / 256);
            for (const std::uint8_t led : kRippleZones[z]) {
                if (led >= leds.size()) continue;
                leds[led] = PackLedColour(colour.red, colour.green, colour.blue, intensity);
            }
        }
    });
}

bool CTavrinMouseDevice::RenderLightMode(int mode) {
    switch (mode) {
        case 0:
            RenderStatic();
            return true;
        case 1:
            RenderBreathing();
            return true;
        case 2:
            RenderSpectrumCycle();
            return true;
        case 3:
        case 5:
            RenderRipple();
            return true;
        case 4:
            RenderFlow();
            return true;
        case 6:
            RenderBlink();
            return true;
        case 7:
            RenderAllOff();
            return true;
        case 8:
            RenderFourColourCycle();
            return true;
        case 9:
            RenderBlinkFourColours();
            return true;
        default:
            // Custom modes are played by the lighting panel's effect player.
            return false;
    }
}
