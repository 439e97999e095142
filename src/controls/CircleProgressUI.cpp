#include "controls/CircleProgressUI.h"

#include <algorithm>

#include "ui/UIRender.h"

namespace {
constexpr int kRingWidth = 10;
constexpr double kStartAtBottom = -90.0;  // counter-clockwise degrees from 3 o'clock
}  // namespace

double CCircleProgressUI::SweepDegrees() const {
    const int range = GetMaxValue() - GetMinValue();
    if (range <= 0) return 0.0;
    const double sweep = static_cast<double>(GetValue()) / range * 360.0;
    return std::clamp(sweep, 0.0, 360.0);
}

void CCircleProgressUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "innercolor") {
        m_innerColor = ParseUIColor(value);
        Invalidate();
        return;
    }
    CProgressUI::SetAttribute(name, value);
}

void CCircleProgressUI::DoPaint(CRenderContext& ctx) {
    const UIRect& rc = GetPos();
    if (GetBkColor() != 0) ctx.FillEllipse(rc, GetBkColor());
    const UIColor fore = GetForeColor() != 0 ? GetForeColor() : 0xFF19C3A0;
    // Clockwise on screen is a negative sweep.
    ctx.FillPie(rc, kStartAtBottom, -SweepDegrees(), fore);
    const int inset = ctx.Scale(kRingWidth);
    const UIRect inner{rc.left + inset, rc.top + inset, rc.right - inset, rc.bottom - inset};
    if (!inner.IsEmpty()) ctx.FillEllipse(inner, m_innerColor);
    PaintText(ctx);
}
