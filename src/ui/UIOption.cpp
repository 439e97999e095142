// COptionUI and CCheckBoxUI: selection state, groups and the look without images.
#include "ui/UIOption.h"

#include "ui/UIManager.h"
#include "ui/UIRender.h"

namespace {

constexpr UIColor kRaised = 0xFF2A2E37;
constexpr UIColor kBorder = 0xFF343945;
constexpr UIColor kAccent = 0xFF19C3A0;
constexpr UIColor kOnAccent = 0xFF16181D;
constexpr UISize kCorner{8, 8};  // 4 px radius
constexpr int kIndicatorSize = 14;
constexpr int kIndicatorGap = 6;

OptionIndicator IndicatorOf(std::string_view value) {
    if (value == "none" || value == "pill") return OptionIndicator::None;
    if (value == "radio") return OptionIndicator::Radio;
    if (value == "check") return OptionIndicator::Check;
    return OptionIndicator::Auto;
}

}  // namespace

COptionUI::COptionUI() = default;

COptionUI::~COptionUI() {
    if (m_manager && !m_group.empty()) m_manager->RemoveOptionGroup(m_group, this);
}

std::string_view COptionUI::GetClass() const {
    return "OptionUI";
}

void COptionUI::SetGroup(std::string_view group) {
    if (m_group == group) return;
    if (m_manager && !m_group.empty()) m_manager->RemoveOptionGroup(m_group, this);
    m_group = group;
    if (m_manager && !m_group.empty()) {
        m_manager->AddOptionGroup(m_group, this);
        if (m_selected) DeselectOthersInGroup();
    }
    Invalidate();
}

// In a group only the newly selected option reports; the others just lose the mark,
// so a handler sees one "selectchanged" per user choice.
void COptionUI::Selected(bool selected, bool notify) {
    if (m_selected == selected) return;
    m_selected = selected;
    m_buttonState =
        selected ? (m_buttonState | UIState::Selected) : (m_buttonState & ~UIState::Selected);
    Invalidate();
    if (!m_manager) return;
    if (!m_group.empty() && selected) DeselectOthersInGroup();
    if (notify && (selected || m_group.empty())) m_manager->SendNotify(this, "selectchanged");
}

void COptionUI::DeselectOthersInGroup() {
    if (!m_manager || m_group.empty()) return;
    for (CControlUI* member : m_manager->GetOptionGroup(m_group)) {
        auto* option = dynamic_cast<COptionUI*>(member);
        if (option && option != this) option->Selected(false, false);
    }
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    if (m_group.empty()) {
        Selected(!m_selected, true);
    } else {
        Selected(true, true);
    }
    return true;
}

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    if (m_manager && m_manager != manager && !m_group.empty())
        m_manager->RemoveOptionGroup(m_group, this);
    const bool joining = manager && manager != m_manager;
    CButtonUI::SetManager(manager, parent, init);
    if (joining && !m_group.empty()) {
        manager->AddOptionGroup(m_group, this);
        if (m_selected) DeselectOthersInGroup();
    }
}

void COptionUI::SetSelectedImage(std::string_view image) {
    m_selectedImage = image, Invalidate();
}
void COptionUI::SetSelectedHotImage(std::string_view image) {
    m_selectedHotImage = image, Invalidate();
}
void COptionUI::SetSelectedDisabledImage(std::string_view image) {
    m_selectedDisabledImage = image, Invalidate();
}
void COptionUI::SetSelectedForeImage(std::string_view image) {
    m_selectedForeImage = image, Invalidate();
}
void COptionUI::SetSelectedBkColor(UIColor color) {
    m_selectedBkColor = color, Invalidate();
}
void COptionUI::SetSelectedTextColor(UIColor color) {
    m_selectedTextColor = color, Invalidate();
}
void COptionUI::SetSelectedBorderColor(UIColor color) {
    m_selectedBorderColor = color, Invalidate();
}
void COptionUI::SetIndicator(OptionIndicator indicator) {
    m_indicator = indicator;
    NeedParentUpdate();
}

void COptionUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "group")
        SetGroup(value);
    else if (name == "selected")
        Selected(ParseUIBool(value), false);
    else if (name == "selectedimage")
        SetSelectedImage(value);
    else if (name == "selectedhotimage")
        SetSelectedHotImage(value);
    else if (name == "selecteddisabledimage")
        SetSelectedDisabledImage(value);
    else if (name == "selectedforeimage")
        SetSelectedForeImage(value);
    else if (name == "selectedbkcolor")
        SetSelectedBkColor(ParseUIColor(value));
    else if (name == "selectedtextcolor")
        SetSelectedTextColor(ParseUIColor(value));
    else if (name == "selectedbordercolor")
        SetSelectedBorderColor(ParseUIColor(value));
    else if (name == "indicator")
        SetIndicator(IndicatorOf(value));
    else
        CButtonUI::SetAttribute(name, value);
}

OptionIndicator COptionUI::EffectiveIndicator() const {
    if (m_indicator != OptionIndicator::Auto) return m_indicator;
    const bool styled = !m_normalImage.empty() || !m_hotImage.empty() || !m_pushedImage.empty() ||
                        !m_selectedImage.empty() || !m_bkImage.empty() || m_selectedBkColor != 0;
    if (styled) return OptionIndicator::None;
    return DefaultsToCheck() ? OptionIndicator::Check : OptionIndicator::Radio;
}

UIColor COptionUI::CurrentTextColor() const {
    if (IsEnabled() && m_selected && m_selectedTextColor) return m_selectedTextColor;
    if (IsEnabled() && m_selected && m_textColor == 0 && IsBarePill()) return kOnAccent;
    return CButtonUI::CurrentTextColor();
}

bool COptionUI::IsBarePill() const {
    return EffectiveIndicator() == OptionIndicator::None && m_bkColor == 0 &&
           m_selectedBkColor == 0 && m_bkImage.empty() && m_normalImage.empty() &&
           m_selectedImage.empty();
}

void COptionUI::PaintBkColor(CRenderContext& ctx) {
    const UISize round = (m_borderRound.cx > 0 || m_borderRound.cy > 0) ? m_borderRound : UISize{};
    if (m_selected && (m_selectedBkColor >> 24) != 0) {
        if (round.cx > 0 || round.cy > 0)
            ctx.FillRoundRect(m_pos, round, m_selectedBkColor);
        else
            ctx.FillRect(m_pos, m_selectedBkColor);
        return;
    }
    if (IsBarePill()) {
        const bool hot = (m_buttonState & UIState::Hot) != 0;
        ctx.FillRoundRect(m_pos, kCorner, m_selected ? kAccent : (hot ? kBorder : kRaised));
        return;
    }
    CButtonUI::PaintBkColor(ctx);
}

void COptionUI::PaintStatusImage(CRenderContext& ctx) {
    if (m_selected) {
        const std::string* image = nullptr;
        if (!IsEnabled() && !m_selectedDisabledImage.empty())
            image = &m_selectedDisabledImage;
        else if ((m_buttonState & UIState::Hot) && !m_selectedHotImage.empty())
            image = &m_selectedHotImage;
        else if (!m_selectedImage.empty())
            image = &m_selectedImage;
        if (image) {
            DrawImage(ctx, *image);
            return;
        }
    }
    CButtonUI::PaintStatusImage(ctx);
    const OptionIndicator indicator = EffectiveIndicator();
    if (indicator == OptionIndicator::Radio || indicator == OptionIndicator::Check)
        PaintIndicator(ctx, indicator);
}

void COptionUI::PaintIndicator(CRenderContext& ctx, OptionIndicator indicator) {
    const int size = ctx.Scale(kIndicatorSize);
    const int left = m_pos.left + ctx.Scale(m_textPadding.left);
    const int top = m_pos.top + (m_pos.Height() - size) / 2;
    const UIRect box{left, top, left + size, top + size};
    const bool hot = (m_buttonState & UIState::Hot) != 0;
    const UIColor frame = (m_selected || hot) ? kAccent : kBorder;
    if (indicator == OptionIndicator::Radio) {
        ctx.FillEllipse(box, kRaised);
        ctx.DrawEllipse(box, 1, frame);
        if (m_selected) {
            const int inset = ctx.Scale(4);
            ctx.FillEllipse(box.Deflate({inset, inset, inset, inset}), kAccent);
        }
        return;
    }
    ctx.FillRoundRect(box, {4, 4}, m_selected ? kAccent : kRaised);
    ctx.DrawRoundRect(box, 1, {4, 4}, frame);
    if (!m_selected) return;
    // The check mark: a short and a long stroke.
    const UIPoint a{box.left + size * 3 / 14, box.top + size * 7 / 14};
    const UIPoint b{box.left + size * 6 / 14, box.top + size * 10 / 14};
    const UIPoint c{box.left + size * 11 / 14, box.top + size * 4 / 14};
    ctx.DrawLine(a, b, 2, kOnAccent);
    ctx.DrawLine(b, c, 2, kOnAccent);
}

void COptionUI::PaintForeImage(CRenderContext& ctx) {
    if (m_selected && !m_selectedForeImage.empty()) {
        DrawImage(ctx, m_selectedForeImage);
        return;
    }
    CButtonUI::PaintForeImage(ctx);
}

// With a mark, the text starts after it, left-aligned.
void COptionUI::PaintText(CRenderContext& ctx) {
    const OptionIndicator indicator = EffectiveIndicator();
    if (indicator != OptionIndicator::Radio && indicator != OptionIndicator::Check) {
        CButtonUI::PaintText(ctx);
        return;
    }
    const UIRect savedPadding = m_textPadding;
    const unsigned savedStyle = m_textStyle;
    m_textPadding.left += kIndicatorSize + kIndicatorGap;
    m_textStyle &= ~(TextStyle::Center | TextStyle::Right);
    PaintTextWith(ctx, CurrentTextColor());
    m_textPadding = savedPadding;
    m_textStyle = savedStyle;
}

void COptionUI::PaintBorder(CRenderContext& ctx) {
    if (m_selected && (m_selectedBorderColor >> 24) != 0) {
        const UIColor saved = m_borderColor;
        const int savedSize = m_borderSize;
        m_borderColor = m_selectedBorderColor;
        if (m_borderSize <= 0) m_borderSize = 1;
        CLabelUI::PaintBorder(ctx);
        m_borderColor = saved;
        m_borderSize = savedSize;
        return;
    }
    CButtonUI::PaintBorder(ctx);
}

UISize COptionUI::EstimateSize(UISize available) {
    UISize size = CButtonUI::EstimateSize(available);
    const OptionIndicator indicator = EffectiveIndicator();
    if (m_autoCalcWidth &&
        (indicator == OptionIndicator::Radio || indicator == OptionIndicator::Check))
        size.cx += Scale(kIndicatorSize + kIndicatorGap);
    return size;
}

std::string_view CCheckBoxUI::GetClass() const {
    return "CheckBoxUI";
}
