// CProgressUI: value within bounds and the filled bar.
#include "ui/UIProgress.h"

#include <cstdint>

#include "ui/UIRender.h"

namespace {

constexpr UIColor kRaised = 0xFF2A2E37;
constexpr UIColor kAccent = 0xFF19C3A0;
constexpr UISize kCorner{8, 8};  // 4 px radius

}  // namespace

std::string_view CProgressUI::GetClass() const {
    return "ProgressUI";
}

void CProgressUI::SetHorizontal(bool horizontal) {
    m_horizontal = horizontal;
    Invalidate();
}

void CProgressUI::SetMinValue(int value) {
    m_min = value;
    m_value = ClampValue(m_value);
    Invalidate();
}

void CProgressUI::SetMaxValue(int value) {
    m_max = value;
    m_value = ClampValue(m_value);
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    const int clamped = ClampValue(value);
    if (clamped == m_value) return;
    m_value = clamped;
    Invalidate();
}

void CProgressUI::SetForeColor(UIColor color) {
    m_foreColor = color;
    Invalidate();
}

int CProgressUI::ClampValue(int value) const {
    if (value > m_max) value = m_max;
    if (value < m_min) value = m_min;
    return value;
}

void CProgressUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "hor")
        SetHorizontal(ParseUIBool(value));
    else if (name == "min")
        SetMinValue(ParseUISize(value).cx);
    else if (name == "max")
        SetMaxValue(ParseUISize(value).cx);
    else if (name == "value")
        SetValue(ParseUISize(value).cx);
    else if (name == "forecolor")
        SetForeColor(ParseUIColor(value));
    else
        CLabelUI::SetAttribute(name, value);
}

UIRect CProgressUI::FilledRect(const UIRect& rc) const {
    if (m_max <= m_min) return {rc.left, rc.top, rc.left, rc.bottom};
    const std::int64_t span = static_cast<std::int64_t>(m_max) - m_min;
    const std::int64_t part = static_cast<std::int64_t>(m_value) - m_min;
    if (m_horizontal) {
        const int width = static_cast<int>(rc.Width() * part / span);
        return {rc.left, rc.top, rc.left + width, rc.bottom};
    }
    const int height = static_cast<int>(rc.Height() * part / span);
    return {rc.left, rc.bottom - height, rc.right, rc.bottom};
}

UISize CProgressUI::BarRound() const {
    return (m_borderRound.cx > 0 || m_borderRound.cy > 0) ? m_borderRound : kCorner;
}

void CProgressUI::PaintBkColor(CRenderContext& ctx) {
    if (m_bkColor != 0 || !m_bkImage.empty()) {
        CLabelUI::PaintBkColor(ctx);
        return;
    }
    ctx.FillRoundRect(m_pos, BarRound(), kRaised);
}

void CProgressUI::PaintStatusImage(CRenderContext& ctx) {
    const UIRect filled = FilledRect(m_pos);
    if (filled.IsEmpty()) return;
    if (!m_foreImage.empty()) {
        // The image spans the whole bar; the value decides how much of it shows.
        ctx.PushClip(filled);
        DrawImage(ctx, m_foreImage);
        ctx.PopClip();
        return;
    }
    ctx.FillRoundRect(filled, BarRound(), m_foreColor != 0 ? m_foreColor : kAccent);
}

void CProgressUI::PaintForeImage(CRenderContext&) {}
