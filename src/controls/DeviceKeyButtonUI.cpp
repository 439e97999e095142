#include "controls/DeviceKeyButtonUI.h"

#include <algorithm>

#include "ui/UIManager.h"
#include "ui/UIRender.h"

namespace {

// The light colour keeps red in its low byte; the drawing helpers take 0xAARRGGBB.
UIColor LightTint(std::uint32_t colour) {
    const std::uint32_t red = colour & 0xFF;
    const std::uint32_t green = (colour >> 8) & 0xFF;
    const std::uint32_t blue = (colour >> 16) & 0xFF;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

}  // namespace

void CDeviceKeyButtonUI::SetSameAsDefault(bool same) {
    if (same == m_sameAsDefault) return;
    m_sameAsDefault = same;
    Invalidate();
}

void CDeviceKeyButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "lightimage") {
        m_lightImage = value;
        Invalidate();
    } else if (name == "keysetimage") {
        m_keysetImage = value;
        Invalidate();
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void CDeviceKeyButtonUI::PaintStatusImage(CRenderContext& ctx) {
    CButtonUI::PaintStatusImage(ctx);
    if (m_lit && !m_lightImage.empty())
        ctx.DrawImage(GetPos(), m_lightImage, LightTint(m_lightColour),
                      std::clamp(m_lightAlpha, 0, 255));
    if (!m_sameAsDefault && !m_keysetImage.empty()) ctx.DrawImage(GetPos(), m_keysetImage);
}

void CDeviceKeyButtonUI::DoEvent(TEventUI& event) {
    if (event.type == UIEventType::DblClick && IsEnabled()) {
        SetButtonState(GetButtonState() | UIState::Pushed | UIState::Captured);
        if (m_manager != nullptr) m_manager->SendNotify(this, "dbclick");
        Invalidate();
        return;
    }
    CButtonUI::DoEvent(event);
}
