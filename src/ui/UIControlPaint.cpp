// CControlUI: attributes from layouts and the default painting steps.
#include <algorithm>
#include <cctype>

#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"
#include "ui/UIRender.h"

void CControlUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "name") {
        SetName(value);
    } else if (name == "text") {
        SetText(value);
    } else if (name == "tooltip") {
        SetToolTip(value);
    } else if (name == "userdata") {
        SetUserData(value);
    } else if (name == "resourcetext") {
        SetResourceText(ParseUIBool(value));
    } else if (name == "virtualwnd") {
        SetVirtualWnd(value);
    } else if (name == "width") {
        SetFixedWidth(ParseUISize(value).cx);
    } else if (name == "height") {
        SetFixedHeight(ParseUISize(value).cx);
    } else if (name == "minwidth") {
        SetMinWidth(ParseUISize(value).cx);
    } else if (name == "maxwidth") {
        SetMaxWidth(ParseUISize(value).cx);
    } else if (name == "minheight") {
        SetMinHeight(ParseUISize(value).cx);
    } else if (name == "maxheight") {
        SetMaxHeight(ParseUISize(value).cx);
    } else if (name == "padding") {
        SetPadding(ParseUIRect(value));
    } else if (name == "float") {
        SetFloat(ParseUIBool(value));
    } else if (name == "pos") {
        const UIRect pos = ParseUIRect(value);
        SetFloatPos(pos);
        if (pos.right > pos.left) SetFixedWidth(pos.Width());
        if (pos.bottom > pos.top) SetFixedHeight(pos.Height());
    } else if (name == "bkcolor") {
        SetBkColor(ParseUIColor(value));
    } else if (name == "bordercolor") {
        SetBorderColor(ParseUIColor(value));
    } else if (name == "bordersize") {
        SetBorderSize(ParseUISize(value).cx);
    } else if (name == "borderround") {
        SetBorderRound(ParseUISize(value));
    } else if (name == "bkimage") {
        SetBkImage(value);
    } else if (name == "foreimage") {
        SetForeImage(value);
    } else if (name == "visible") {
        SetVisible(ParseUIBool(value));
    } else if (name == "enabled") {
        SetEnabled(ParseUIBool(value));
    } else if (name == "mouse") {
        SetMouseEnabled(ParseUIBool(value));
    } else if (name == "menu") {
        SetContextMenuUsed(ParseUIBool(value));
    } else if (name == "cursor") {
        SetCursor(value == "hand" ? UICursor::Hand : UICursor::Arrow);
    } else if (name == "style") {
        if (m_manager) ApplyAttributeList(m_manager->GetStyle(value));
    }
}

// name="value" pairs; either quote character works, and &quot; style escapes are
// not needed because the other quote can be used inside.
void CControlUI::ApplyAttributeList(std::string_view list) {
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && std::isspace(static_cast<unsigned char>(list[i]))) ++i;
        const std::size_t eq = list.find('=', i);
        if (eq == std::string_view::npos || eq + 1 >= list.size()) return;
        std::string_view name = list.substr(i, eq - i);
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
            name.remove_suffix(1);
        std::size_t q = eq + 1;
        while (q < list.size() && std::isspace(static_cast<unsigned char>(list[q]))) ++q;
        if (q >= list.size() || (list[q] != '"' && list[q] != '\'')) return;
        const std::size_t end = list.find(list[q], q + 1);
        if (end == std::string_view::npos) return;
        SetAttribute(name, list.substr(q + 1, end - q - 1));
        i = end + 1;
    }
}

void CControlUI::DoPaint(CRenderContext& ctx) {
    PaintBkColor(ctx);
    PaintBkImage(ctx);
    PaintStatusImage(ctx);
    PaintForeImage(ctx);
    PaintText(ctx);
    PaintBorder(ctx);
}

void CControlUI::PaintBkColor(CRenderContext& ctx) {
    if ((m_bkColor >> 24) == 0) return;
    if (m_borderRound.cx > 0 || m_borderRound.cy > 0) {
        ctx.FillRoundRect(m_pos, m_borderRound, m_bkColor);
    } else {
        ctx.FillRect(m_pos, m_bkColor);
    }
}

void CControlUI::PaintBkImage(CRenderContext& ctx) {
    if (!m_bkImage.empty()) DrawImage(ctx, m_bkImage);
}

void CControlUI::PaintStatusImage(CRenderContext&) {}

void CControlUI::PaintForeImage(CRenderContext& ctx) {
    if (!m_foreImage.empty()) DrawImage(ctx, m_foreImage);
}

void CControlUI::PaintText(CRenderContext&) {}

void CControlUI::PaintBorder(CRenderContext& ctx) {
    if (m_borderSize <= 0 || (m_borderColor >> 24) == 0) return;
    if (m_borderRound.cx > 0 || m_borderRound.cy > 0) {
        ctx.DrawRoundRect(m_pos, m_borderSize, m_borderRound, m_borderColor);
    } else {
        ctx.DrawRect(m_pos, m_borderSize, m_borderColor);
    }
}

bool CControlUI::DrawImage(CRenderContext& ctx, std::string_view description) {
    return ctx.DrawImage(m_pos, description);
}
