#include "controls/HostControls.h"

#include "ui/UIRender.h"

void CChartViewUI::DoPaint(CRenderContext& ctx) {
    CControlUI::DoPaint(ctx);
    const UIRect& rc = GetPos();
    const int margin = ctx.Scale(8);
    const UIColor axis = GetBorderColor() != 0 ? GetBorderColor() : 0xFF343945;
    ctx.DrawLine({rc.left + margin, rc.bottom - margin}, {rc.right - margin, rc.bottom - margin}, 1,
                 axis);
    ctx.DrawLine({rc.left + margin, rc.top + margin}, {rc.left + margin, rc.bottom - margin}, 1,
                 axis);
}
