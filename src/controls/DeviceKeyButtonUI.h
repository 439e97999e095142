#pragma once
// One key or button of a device picture. Its reassignment mark and rectangle selection
// come with the key panels.
#include <cstdint>

#include "ui/UIButton.h"

class CDeviceKeyButtonUI : public CButtonUI {
public:
    std::string_view GetClass() const override { return "DeviceKeyButtonUI"; }

    // The key's light: colour with red in the low byte, green and blue above
    // it; alpha 0..255; lit draws the light image. Stored without a redraw of its own.
    void SetLight(std::uint32_t colour, int alpha, bool lit) {
        m_lightColour = colour;
        m_lightAlpha = alpha;
        m_lit = lit;
    }
    std::uint32_t GetLightColour() const { return m_lightColour; }
    int GetLightAlpha() const { return m_lightAlpha; }
    bool IsLit() const { return m_lit; }

private:
    std::uint32_t m_lightColour = 255;
    int m_lightAlpha = 200;
    bool m_lit = false;
};
