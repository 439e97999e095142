#pragma once
// One key or button of a device picture: it shows the key's light colour, marks a key
// whose assignment differs from its default, and can be selected by the select panel.
#include <cstdint>
#include <string>

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

    // False draws the reassignment mark ("keysetimage") over the key.
    void SetSameAsDefault(bool same);
    bool IsSameAsDefault() const { return m_sameAsDefault; }
    // The select panel's mark.
    void SetSelected(bool selected) { m_selected = selected; }
    bool IsSelected() const { return m_selected; }

    const std::string& GetLightImage() const { return m_lightImage; }
    const std::string& GetKeysetImage() const { return m_keysetImage; }

    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(CRenderContext& ctx) override;
    void DoEvent(TEventUI& event) override;

private:
    std::string m_lightImage;
    std::string m_keysetImage;
    std::uint32_t m_lightColour = 255;
    int m_lightAlpha = 200;
    bool m_lit = false;
    bool m_sameAsDefault = true;
    bool m_selected = false;
};
