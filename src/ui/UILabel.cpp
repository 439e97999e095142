// CLabelUI and CTextUI.
#include "ui/UILabel.h"

#include <QFontMetrics>

#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"
#include "ui/UIRender.h"

namespace {

unsigned AlignBits(std::string_view value) {
    if (value == "center") return TextStyle::Center;
    if (value == "right") return TextStyle::Right;
    return TextStyle::Left;
}

unsigned VAlignBits(std::string_view value) {
    if (value == "center" || value == "vcenter") return TextStyle::VCenter;
    if (value == "bottom") return TextStyle::Bottom;
    return TextStyle::Top;
}

constexpr unsigned kHorizontalBits = TextStyle::Center | TextStyle::Right;
constexpr unsigned kVerticalBits = TextStyle::VCenter | TextStyle::Bottom;

}  // namespace

std::string_view CLabelUI::GetClass() const {
    return "LabelUI";
}

void CLabelUI::SetTextStyle(unsigned style) {
    m_textStyle = style;
    Invalidate();
}

void CLabelUI::SetTextColor(UIColor color) {
    m_textColor = color;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(UIColor color) {
    m_disabledTextColor = color;
    Invalidate();
}

void CLabelUI::SetFont(int id) {
    m_font = id;
    NeedParentUpdate();
}

void CLabelUI::SetTextPadding(const UIRect& padding) {
    m_textPadding = padding;
    NeedParentUpdate();
}

void CLabelUI::SetShowHtml(bool showHtml) {
    m_showHtml = showHtml;
    Invalidate();
}

void CLabelUI::SetAutoCalcWidth(bool autoCalc) {
    m_autoCalcWidth = autoCalc;
    NeedParentUpdate();
}

UISize CLabelUI::EstimateSize(UISize available) {
    UISize size = CControlUI::EstimateSize(available);
    if (!m_autoCalcWidth || !m_manager) return size;
    const UIRect pad = Scale(m_textPadding);
    const QFontMetrics metrics(FontOf(m_manager, m_font));
    size.cx = metrics.horizontalAdvance(ToQString(GetText())) + pad.left + pad.right + 1;
    return size;
}

void CLabelUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "align") {
        m_textStyle = (m_textStyle & ~kHorizontalBits) | AlignBits(value);
    } else if (name == "valign") {
        m_textStyle = (m_textStyle & ~kVerticalBits) | VAlignBits(value);
    } else if (name == "endellipsis") {
        m_textStyle = ParseUIBool(value) ? (m_textStyle | TextStyle::EndEllipsis)
                                         : (m_textStyle & ~TextStyle::EndEllipsis);
    } else if (name == "wordbreak" || name == "multiline") {
        m_textStyle = ParseUIBool(value)
                          ? ((m_textStyle | TextStyle::WordBreak) & ~TextStyle::SingleLine)
                          : ((m_textStyle & ~TextStyle::WordBreak) | TextStyle::SingleLine);
    } else if (name == "font") {
        SetFont(ParseUISize(value).cx);
    } else if (name == "textcolor") {
        SetTextColor(ParseUIColor(value));
    } else if (name == "disabledtextcolor") {
        SetDisabledTextColor(ParseUIColor(value));
    } else if (name == "textpadding") {
        SetTextPadding(ParseUIRect(value));
    } else if (name == "showhtml") {
        SetShowHtml(ParseUIBool(value));
    } else if (name == "autocalcwidth") {
        SetAutoCalcWidth(ParseUIBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
    Invalidate();
}

UIColor CLabelUI::CurrentTextColor() const {
    if (!IsEnabled() && m_disabledTextColor) return m_disabledTextColor;
    return m_textColor;
}

void CLabelUI::PaintText(CRenderContext& ctx) {
    PaintTextWith(ctx, CurrentTextColor());
}

void CLabelUI::PaintTextWith(CRenderContext& ctx, UIColor color) {
    const std::string text = GetText();
    if (text.empty()) return;
    const UIRect rc = m_pos.Deflate(ctx.Scale(m_textPadding));
    if (m_showHtml) {
        ctx.DrawHtmlText(rc, text, color, m_font, m_textStyle);
    } else {
        ctx.DrawText(rc, text, color, m_font, m_textStyle);
    }
}

CTextUI::CTextUI() {
    m_textStyle = TextStyle::WordBreak;
}

std::string_view CTextUI::GetClass() const {
    return "TextUI";
}
