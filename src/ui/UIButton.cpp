// CButtonUI: state tracking, status images and colours, "click".
#include "ui/UIButton.h"

#include "ui/UIManager.h"
#include "ui/UIRender.h"

CButtonUI::CButtonUI() {
    m_textStyle = TextStyle::Center | TextStyle::VCenter | TextStyle::SingleLine;
    SetCursor(UICursor::Hand);
}

std::string_view CButtonUI::GetClass() const {
    return "ButtonUI";
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_manager) m_manager->SendNotify(this, "click");
    return true;
}

void CButtonUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!enabled) m_buttonState &= ~(UIState::Hot | UIState::Pushed | UIState::Captured);
}

void CButtonUI::SetButtonState(unsigned state) {
    m_buttonState = state;
    Invalidate();
}

void CButtonUI::SetNormalImage(std::string_view image) {
    m_normalImage = image, Invalidate();
}
void CButtonUI::SetHotImage(std::string_view image) {
    m_hotImage = image, Invalidate();
}
void CButtonUI::SetPushedImage(std::string_view image) {
    m_pushedImage = image, Invalidate();
}
void CButtonUI::SetFocusedImage(std::string_view image) {
    m_focusedImage = image, Invalidate();
}
void CButtonUI::SetDisabledImage(std::string_view image) {
    m_disabledImage = image, Invalidate();
}
void CButtonUI::SetHotForeImage(std::string_view image) {
    m_hotForeImage = image, Invalidate();
}
void CButtonUI::SetHotBkColor(UIColor color) {
    m_hotBkColor = color, Invalidate();
}
void CButtonUI::SetPushedBkColor(UIColor color) {
    m_pushedBkColor = color, Invalidate();
}
void CButtonUI::SetHotTextColor(UIColor color) {
    m_hotTextColor = color, Invalidate();
}
void CButtonUI::SetPushedTextColor(UIColor color) {
    m_pushedTextColor = color, Invalidate();
}
void CButtonUI::SetFocusedTextColor(UIColor color) {
    m_focusedTextColor = color, Invalidate();
}
void CButtonUI::SetHotBorderColor(UIColor color) {
    m_hotBorderColor = color, Invalidate();
}

void CButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "normalimage")
        SetNormalImage(value);
    else if (name == "hotimage")
        SetHotImage(value);
    else if (name == "pushedimage")
        SetPushedImage(value);
    else if (name == "focusedimage")
        SetFocusedImage(value);
    else if (name == "disabledimage")
        SetDisabledImage(value);
    else if (name == "hotforeimage")
        SetHotForeImage(value);
    else if (name == "hotbkcolor")
        SetHotBkColor(ParseUIColor(value));
    else if (name == "pushedbkcolor")
        SetPushedBkColor(ParseUIColor(value));
    else if (name == "hottextcolor")
        SetHotTextColor(ParseUIColor(value));
    else if (name == "pushedtextcolor")
        SetPushedTextColor(ParseUIColor(value));
    else if (name == "focusedtextcolor")
        SetFocusedTextColor(ParseUIColor(value));
    else if (name == "hotbordercolor")
        SetHotBorderColor(ParseUIColor(value));
    else
        CLabelUI::SetAttribute(name, value);
}

void CButtonUI::DoEvent(TEventUI& event) {
    if (!IsEnabled() && event.type != UIEventType::Timer) return CLabelUI::DoEvent(event);
    switch (event.type) {
        case UIEventType::MouseEnter:
            SetButtonState(m_buttonState | UIState::Hot);
            return;
        case UIEventType::MouseLeave:
            SetButtonState(m_buttonState & ~UIState::Hot);
            return;
        case UIEventType::ButtonDown:
        case UIEventType::DblClick:
            SetButtonState(m_buttonState | UIState::Pushed | UIState::Captured);
            return;
        case UIEventType::MouseMove:
            if (m_buttonState & UIState::Captured) {
                const bool inside = m_pos.Contains(event.mouse);
                SetButtonState(inside ? (m_buttonState | UIState::Pushed)
                                      : (m_buttonState & ~UIState::Pushed));
            }
            return;
        case UIEventType::ButtonUp: {
            const bool click = (m_buttonState & UIState::Captured) && m_pos.Contains(event.mouse);
            SetButtonState(m_buttonState & ~(UIState::Pushed | UIState::Captured));
            if (click) Activate();  // may delete this control: nothing after it
            return;
        }
        default:
            CLabelUI::DoEvent(event);
    }
}

void CButtonUI::PaintBkColor(CRenderContext& ctx) {
    UIColor color = m_bkColor;
    if ((m_buttonState & UIState::Pushed) && m_pushedBkColor)
        color = m_pushedBkColor;
    else if ((m_buttonState & UIState::Hot) && m_hotBkColor)
        color = m_hotBkColor;
    if ((color >> 24) == 0) return;
    if (m_borderRound.cx > 0 || m_borderRound.cy > 0)
        ctx.FillRoundRect(m_pos, m_borderRound, color);
    else
        ctx.FillRect(m_pos, color);
}

void CButtonUI::PaintStatusImage(CRenderContext& ctx) {
    const std::string* image = &m_normalImage;
    if (!IsEnabled() && !m_disabledImage.empty())
        image = &m_disabledImage;
    else if ((m_buttonState & UIState::Pushed) && !m_pushedImage.empty())
        image = &m_pushedImage;
    else if ((m_buttonState & UIState::Hot) && !m_hotImage.empty())
        image = &m_hotImage;
    else if (IsFocused() && !m_focusedImage.empty())
        image = &m_focusedImage;
    if (!image->empty()) DrawImage(ctx, *image);
}

void CButtonUI::PaintForeImage(CRenderContext& ctx) {
    if ((m_buttonState & UIState::Hot) && !m_hotForeImage.empty()) {
        DrawImage(ctx, m_hotForeImage);
    } else {
        CLabelUI::PaintForeImage(ctx);
    }
}

void CButtonUI::PaintBorder(CRenderContext& ctx) {
    const UIColor saved = m_borderColor;
    if ((m_buttonState & UIState::Hot) && m_hotBorderColor) m_borderColor = m_hotBorderColor;
    CLabelUI::PaintBorder(ctx);
    m_borderColor = saved;
}

UIColor CButtonUI::CurrentTextColor() const {
    if (!IsEnabled()) return CLabelUI::CurrentTextColor();
    if ((m_buttonState & UIState::Pushed) && m_pushedTextColor) return m_pushedTextColor;
    if ((m_buttonState & UIState::Hot) && m_hotTextColor) return m_hotTextColor;
    if (IsFocused() && m_focusedTextColor) return m_focusedTextColor;
    return m_textColor;
}
