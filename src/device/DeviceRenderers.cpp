// The base renderers, the LED previews and PushLightFrame. Every
// table lookup goes through LightTables, which takes an index outside its table as the
// start of the cycle and a level or speed above 4 as 4; the stored state
// is put back into range where a renderer keeps it.
#include <vector>

#include "controls/DeviceKeyButtonUI.h"
#include "device/LightTables.h"
#include "device/TavrinUSBDevice.h"
#include "platform/Platform.h"

namespace {

constexpr std::uint8_t kBreathingLimit = 128;
constexpr std::uint8_t kSpectrumLimit = 192;
constexpr std::uint8_t kBreathingColourStride = 16;
constexpr std::uint8_t kBreathingLastColour = 176;
constexpr std::uint8_t kBlinkStride = 16;
constexpr std::uint8_t kBlinkLastStep = 176;
constexpr std::uint8_t kLastPaletteIndex = 3;
constexpr std::uint32_t kBlinkUnitMs = 200;
constexpr std::uint32_t kFrameBackOffMs = 200;

std::uint8_t ScaleByIntensity(unsigned value, unsigned intensity) {
    return static_cast<std::uint8_t>(value * intensity / 256);
}

}  // namespace

CTavrinUSBDevice::RendererState CTavrinUSBDevice::GetRendererState() const {
    const std::scoped_lock lock(m_rendererLock);
    return m_renderer;
}

void CTavrinUSBDevice::SetRendererState(const RendererState& state) {
    const std::scoped_lock lock(m_rendererLock);
    m_renderer = state;
}

void CTavrinUSBDevice::RenderBreathing() {
    const LightRecord record = GetLightRecord();
    WheelColour colour{record.red, record.green, record.blue};
    std::uint8_t step = 0;
    {
        const std::scoped_lock lock(m_rendererLock);
        RendererState& s = m_renderer;
        s.step = StepCounter(record.direction, kBreathingLimit, s.step, 1);
        if (s.step == 0) {
            s.colourPosition = static_cast<std::uint8_t>(s.colourPosition + kBreathingColourStride);
            if (s.colourPosition > kBreathingLastColour) s.colourPosition = 0;
        }
        if (s.colourPosition >= kColourWheelSize) s.colourPosition = 0;
        if (record.multiColour != 0) colour = ColourWheelAt(s.colourPosition);
        step = s.step;
    }
    FillLeds(colour.red, colour.green, colour.blue,
             ScaleByIntensity(BreathingCurveAt(step), BrightnessAtLevel(record.brightness)));
}

void CTavrinUSBDevice::RenderFourColourCycle() {
    const LightRecord record = GetLightRecord();
    WheelColour colour;
    std::uint8_t step = 0;
    {
        const std::scoped_lock lock(m_rendererLock);
        RendererState& s = m_renderer;
        s.step = StepCounter(record.direction, kBreathingLimit, s.step, 1);
        if (s.step == 0) {
            ++s.colourPosition;
            if (s.colourPosition > kLastPaletteIndex) s.colourPosition = 0;
        }
        // After breathing the position may be far outside the palette: start it over.
        if (s.colourPosition >= kFourColourPaletteSize) s.colourPosition = 0;
        colour = FourColourPaletteAt(s.colourPosition);
        step = s.step;
    }
    FillLeds(colour.red, colour.green, colour.blue,
             ScaleByIntensity(BreathingCurveAt(step), BrightnessAtLevel(record.brightness)));
}

void CTavrinUSBDevice::RenderStatic() {
    const LightRecord record = GetLightRecord();
    FillLeds(record.red, record.green, record.blue, BrightnessAtLevel(record.brightness));
}

void CTavrinUSBDevice::RenderSpectrumCycle() {
    const LightRecord record = GetLightRecord();
    WheelColour colour;
    {
        const std::scoped_lock lock(m_rendererLock);
        RendererState& s = m_renderer;
        s.step = StepCounter(record.direction, kSpectrumLimit, s.step, 1);
        colour = ColourWheelAt(s.step);
    }
    FillLeds(colour.red, colour.green, colour.blue, BrightnessAtLevel(record.brightness));
}

void CTavrinUSBDevice::RenderBlink() {
    const LightRecord record = GetLightRecord();
    const std::uint32_t now = Now();
    WheelColour colour{record.red, record.green, record.blue};
    bool on = false;
    {
        const std::scoped_lock lock(m_rendererLock);
        RendererState& s = m_renderer;
        if (now - s.lastToggle >= BlinkFactorAtSpeed(record.speed) * kBlinkUnitMs) {
            s.blinkPhase = s.blinkPhase != 0 ? 0 : 1;
            s.lastToggle = now;
            s.step = static_cast<std::uint8_t>(s.step + kBlinkStride);
            if (s.step > kBlinkLastStep) s.step = 0;
        }
        if (s.step >= kColourWheelSize) s.step = 0;
        on = s.blinkPhase != 0;
        if (record.multiColour != 0) colour = ColourWheelAt(s.step);
    }
    if (on)
        FillLeds(colour.red, colour.green, colour.blue, BrightnessAtLevel(record.brightness));
    else
        FillLeds(0, 0, 0, 0);
}

void CTavrinUSBDevice::RenderBlinkFourColours() {
    const LightRecord record = GetLightRecord();
    const std::uint32_t now = Now();
    WheelColour colour;
    bool on = false;
    {
        const std::scoped_lock lock(m_rendererLock);
        RendererState& s = m_renderer;
        if (now - s.lastToggle >= BlinkFactorAtSpeed(record.speed) * kBlinkUnitMs) {
            s.blinkPhase = s.blinkPhase != 0 ? 0 : 1;
            s.lastToggle = now;
            ++s.step;
            if (s.step > kLastPaletteIndex) s.step = 0;
        }
        if (s.step >= kFourColourPaletteSize) s.step = 0;
        on = s.blinkPhase != 0;
        colour = FourColourPaletteAt(s.step);
    }
    if (on)
        FillLeds(colour.red, colour.green, colour.blue, BrightnessAtLevel(record.brightness));
    else
        FillLeds(0, 0, 0, 0);
}

void CTavrinUSBDevice::RenderAllOff() {
    FillLeds(0, 0, 0, 0);
}

bool CTavrinUSBDevice::RenderLightMode(int mode) {
    switch (mode) {
        case 1:
            RenderSpectrumCycle();
            return true;
        case 2:
            RenderBreathing();
            return true;
        case 3:
            RenderStatic();
            return true;
        case 4:
            RenderBlink();
            return true;
        case 8:
            RenderAllOff();
            return true;
        default:
            return false;
    }
}

// ---- Showing frames ----

void CTavrinUSBDevice::ShowLedPreviews() {
    const std::vector<std::uint32_t> colours = GetLedColours();
    for (std::size_t i = 0; i < colours.size() && i < m_ledButtons.size(); ++i) {
        CDeviceKeyButtonUI* button = m_ledButtons[i];
        if (!button || !button->IsVisible()) continue;
        button->SetLight(colours[i] & 0x00FFFFFFu, LedIntensity(colours[i]), true);
        button->Invalidate();
    }
}

void CTavrinUSBDevice::PostLedPreviews() {
    if (m_previewPosted.exchange(true)) return;  // one request at a time
    const std::weak_ptr<CTavrinUSBDevice*> alive = m_aliveToken;
    const bool posted = UiPost([alive] {
        const auto device = alive.lock();
        if (!device) return;
        (*device)->m_previewPosted.store(false);
        (*device)->ShowLedPreviews();
    });
    if (!posted) m_previewPosted.store(false);
}

void CTavrinUSBDevice::PushLightFrame() {
    ShowLedPreviews();
    if (m_lightControl.load() == 0) return;
    if (m_commandChannel.WirelessMode() || !m_commandChannel.IsOpen()) return;
    if (m_frameBackOff) {
        if (Now() - m_frameBackOffStart < kFrameBackOffMs) return;
        m_frameBackOff = false;
    }
    const std::vector<std::uint32_t> colours = GetLedColours();
    std::vector<std::uint8_t> frame;
    frame.reserve(colours.size() * 3);
    for (const std::uint32_t colour : colours) {
        const unsigned intensity = LedIntensity(colour);
        frame.push_back(ScaleByIntensity(LedRed(colour), intensity));
        frame.push_back(ScaleByIntensity(LedGreen(colour), intensity));
        frame.push_back(ScaleByIntensity(LedBlue(colour), intensity));
    }
    if (m_commandChannel.StreamLightFrame(frame) != kResultOk) {
        // The Part waits 200 ms here; on the UI thread the frames pause instead.
        m_frameBackOff = true;
        m_frameBackOffStart = Now();
    }
}
