#include "controls/SelectPanelUI.h"

#include <algorithm>

#include "controls/DeviceKeyButtonUI.h"
#include "ui/UIManager.h"

namespace {

UIRect SpanOf(UIPoint a, UIPoint b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

bool Intersects(const UIRect& a, const UIRect& b) {
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

}  // namespace

void CSelectPanelUI::DoEvent(TEventUI& event) {
    CVerticalLayoutUI::DoEvent(event);
    switch (event.type) {
        case UIEventType::ButtonDown:
            if (!IsEnabled()) return;
            m_pressed = true;
            m_start = event.mouse;
            m_current = event.mouse;
            return;
        case UIEventType::MouseMove:
            if (m_pressed) m_dragging = true;
            if (!m_dragging) return;
            m_current = event.mouse;
            m_selection = SpanOf(m_start, m_current);
            Invalidate();
            return;
        case UIEventType::ButtonUp:
            m_pressed = false;
            if (!m_dragging) return;  // a click selects nothing
            m_dragging = false;
            MarkKeysInSelection();
            Invalidate();
            if (m_manager != nullptr) m_manager->SendNotify(this, "click_select_end");
            return;
        default:
            return;
    }
}

void CSelectPanelUI::MarkKeysInSelection() {
    if (m_manager == nullptr) return;
    for (CControlUI* control : m_manager->FindSubControlsByClass(this, "DeviceKeyButton")) {
        if (auto* key = dynamic_cast<CDeviceKeyButtonUI*>(control))
            key->SetSelected(Intersects(m_selection, key->GetPos()));
    }
}
