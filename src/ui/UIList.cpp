// Lists and their rows: selection, row notifications, row painting and scrolling.
#include "ui/UIList.h"

#include <QFontMetrics>
#include <algorithm>

#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"
#include "ui/UIRender.h"
#include "ui/UIResource.h"

namespace {

constexpr UIColor kHotBk = 0xFF2A2E37;
constexpr UIColor kSelectedBk = 0x5519C3A0;  // accent, one third opaque
constexpr int kRowSpacing = 10;              // above and below the text of a row
constexpr int kContainerRowHeight = 30;
constexpr int kPageRows = 10;

const TListInfoUI& InfoOf(IListOwnerUI* owner) {
    static const TListInfoUI kDefaults;
    const TListInfoUI* info = owner ? owner->GetListInfo() : nullptr;
    return info ? *info : kDefaults;
}

std::vector<int> ParseIntList(std::string_view text) {
    std::vector<int> values;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        values.push_back(ParseUISize(text.substr(0, comma)).cx);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return values;
}

void PaintRowBackground(CRenderContext& ctx, const UIRect& rc, const TListInfoUI& info, UIColor own,
                        bool selected, bool hot) {
    ctx.FillRect(rc, own != 0 ? own : info.bkColor);
    if (selected)
        ctx.FillRect(rc, info.selectedBkColor != 0 ? info.selectedBkColor : kSelectedBk);
    else if (hot)
        ctx.FillRect(rc, info.hotBkColor != 0 ? info.hotBkColor : kHotBk);
    if (info.lineColor != 0)
        ctx.DrawLine({rc.left, rc.bottom - 1}, {rc.right, rc.bottom - 1}, 1, info.lineColor);
}

void PaintRowImage(CControlUI& row, CRenderContext& ctx, const TListInfoUI& info, bool selected,
                   bool hot) {
    const std::string* image = &info.bkImage;
    if (selected && !info.selectedImage.empty())
        image = &info.selectedImage;
    else if (hot && !info.hotImage.empty())
        image = &info.hotImage;
    if (!image->empty()) row.DrawImage(ctx, *image);
}

// Input shared by every kind of row. Returns true when the row used the event.
bool HandleRowEvent(CControlUI& row, IListItemUI& item, bool& hot, const CLifeFlag& life,
                    TEventUI& event) {
    CPaintManagerUI* manager = row.GetManager();
    switch (event.type) {
        case UIEventType::ButtonDown:
        case UIEventType::RButtonDown: {
            if (!row.IsEnabled()) return true;
            const auto alive = life.Token();
            if (IListOwnerUI* owner = item.GetOwner())
                owner->SelectItem(item.GetIndex(), true, true);
            if (*alive && manager) manager->SendNotify(&row, "itemclick");
            return true;
        }
        case UIEventType::DblClick:
            if (row.IsEnabled()) row.Activate();
            return true;
        case UIEventType::ContextMenu:
            if (row.IsEnabled() && manager) manager->SendNotify(&row, "menu");
            return true;
        case UIEventType::ButtonUp:
        case UIEventType::RButtonUp:
            return true;
        case UIEventType::MouseEnter:
            hot = row.IsEnabled();
            row.Invalidate();
            return true;
        case UIEventType::MouseLeave:
            hot = false;
            row.Invalidate();
            return true;
        default:
            return false;
    }
}

}  // namespace

bool SetListInfoAttribute(TListInfoUI& info, std::string_view name, std::string_view value) {
    if (name == "itemfont")
        info.font = ParseUISize(value).cx;
    else if (name == "itemalign") {
        info.textStyle &= ~(TextStyle::Center | TextStyle::Right);
        if (value == "center")
            info.textStyle |= TextStyle::Center;
        else if (value == "right")
            info.textStyle |= TextStyle::Right;
    } else if (name == "itemendellipsis") {
        info.textStyle = ParseUIBool(value) ? (info.textStyle | TextStyle::EndEllipsis)
                                            : (info.textStyle & ~TextStyle::EndEllipsis);
    } else if (name == "itemtextpadding")
        info.textPadding = ParseUIRect(value);
    else if (name == "itemtextcolor")
        info.textColor = ParseUIColor(value);
    else if (name == "itembkcolor")
        info.bkColor = ParseUIColor(value);
    else if (name == "itemselectedtextcolor")
        info.selectedTextColor = ParseUIColor(value);
    else if (name == "itemselectedbkcolor")
        info.selectedBkColor = ParseUIColor(value);
    else if (name == "itemhottextcolor")
        info.hotTextColor = ParseUIColor(value);
    else if (name == "itemhotbkcolor")
        info.hotBkColor = ParseUIColor(value);
    else if (name == "itemdisabledtextcolor")
        info.disabledTextColor = ParseUIColor(value);
    else if (name == "itemlinecolor")
        info.lineColor = ParseUIColor(value);
    else if (name == "itembkimage")
        info.bkImage = value;
    else if (name == "itemselectedimage")
        info.selectedImage = value;
    else if (name == "itemhotimage")
        info.hotImage = value;
    else if (name == "itemshowhtml")
        info.showHtml = ParseUIBool(value);
    else if (name == "itemheight")
        info.itemHeight = std::max(0, ParseUISize(value).cx);
    else if (name == "columnwidths")
        info.columnWidths = ParseIntList(value);
    else
        return false;
    return true;
}

// ---- CListElementUI ----

std::string_view CListElementUI::GetClass() const {
    return "ListElementUI";
}

bool CListElementUI::Select(bool select) {
    if (m_selected == select) return true;
    m_selected = select;
    Invalidate();
    return true;
}

bool CListElementUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_manager) m_manager->SendNotify(this, "itemactivate");
    return true;
}

// A hidden row cannot stay selected; its index stays.
void CListElementUI::SetVisible(bool visible) {
    if (IsVisible() == visible) return;
    CControlUI::SetVisible(visible);
    if (!visible && m_selected && m_owner) m_owner->SelectItem(-1, false, false);
}

void CListElementUI::DoEvent(TEventUI& event) {
    if (HandleRowEvent(*this, *this, m_hot, m_life, event)) return;
    CControlUI::DoEvent(event);
}

void CListElementUI::PaintBkColor(CRenderContext& ctx) {
    PaintRowBackground(ctx, m_pos, InfoOf(m_owner), m_bkColor, m_selected, m_hot);
}

void CListElementUI::PaintStatusImage(CRenderContext& ctx) {
    PaintRowImage(*this, ctx, InfoOf(m_owner), m_selected, m_hot);
}

// ---- CListLabelElementUI ----

std::string_view CListLabelElementUI::GetClass() const {
    return "ListLabelElementUI";
}

UISize CListLabelElementUI::EstimateSize(UISize available) {
    const UISize fixed = CControlUI::EstimateSize(available);
    if (fixed.cy > 0) return fixed;
    const TListInfoUI& info = InfoOf(m_owner);
    if (info.itemHeight > 0) return {fixed.cx, Scale(info.itemHeight)};
    const QFontMetrics metrics(FontOf(m_manager, info.font));
    const UIRect pad = Scale(info.textPadding);
    return {fixed.cx, metrics.height() + pad.top + pad.bottom + Scale(kRowSpacing)};
}

void CListLabelElementUI::PaintText(CRenderContext& ctx) {
    const TListInfoUI& info = InfoOf(m_owner);
    const std::string text = GetText();
    if (text.empty()) return;
    const UIRect rc = m_pos.Deflate(ctx.Scale(info.textPadding));
    const UIColor color = ListRowTextColor(info, IsEnabled(), m_selected, m_hot);
    DrawListText(ctx, rc, text, color, info, info.textStyle);
}

// ---- CListTextElementUI ----

std::string_view CListTextElementUI::GetClass() const {
    return "ListTextElementUI";
}

// Column 0 is the control's own text, so resource-text mode and accessibility apply.
std::string CListTextElementUI::GetText(int column) const {
    if (column == 0) return CListLabelElementUI::GetText();
    if (column < 0 || column >= static_cast<int>(m_columns.size())) return {};
    const std::string& raw = m_columns[column];
    if (!m_resourceText || raw.empty()) return raw;
    return CResourceManager::Instance().GetText(raw);
}

void CListTextElementUI::SetText(int column, std::string_view text) {
    if (column < 0) return;
    if (column == 0) {
        CListLabelElementUI::SetText(text);
        return;
    }
    if (column >= static_cast<int>(m_columns.size())) m_columns.resize(column + 1);
    m_columns[column] = text;
    Invalidate();
}

void CListTextElementUI::ReloadText() {
    CListLabelElementUI::ReloadText();
    Invalidate();
}

void CListTextElementUI::PaintText(CRenderContext& ctx) {
    const TListInfoUI& info = InfoOf(m_owner);
    const int columns = std::max<int>(
        {1, static_cast<int>(info.columnWidths.size()), static_cast<int>(m_columns.size())});
    const UIColor color = ListRowTextColor(info, IsEnabled(), m_selected, m_hot);
    int left = m_pos.left;
    for (int column = 0; column < columns && left < m_pos.right; ++column) {
        const bool last = column + 1 == columns;
        const int width = (!last && column < static_cast<int>(info.columnWidths.size()))
                              ? ctx.Scale(info.columnWidths[column])
                              : m_pos.right - left;
        const UIRect cell{left, m_pos.top, std::min(m_pos.right, left + width), m_pos.bottom};
        left = cell.right;
        const std::string text = GetText(column);
        if (text.empty()) continue;
        const UIRect rc = cell.Deflate(ctx.Scale(info.textPadding));
        DrawListText(ctx, rc, text, color, info, info.textStyle);
    }
}

// ---- CListContainerElementUI ----

std::string_view CListContainerElementUI::GetClass() const {
    return "ListContainerElementUI";
}

bool CListContainerElementUI::Select(bool select) {
    if (m_selected == select) return true;
    m_selected = select;
    Invalidate();
    return true;
}

bool CListContainerElementUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_manager) m_manager->SendNotify(this, "itemactivate");
    return true;
}

void CListContainerElementUI::SetVisible(bool visible) {
    if (IsVisible() == visible) return;
    CHorizontalLayoutUI::SetVisible(visible);
    if (!visible && m_selected && m_owner) m_owner->SelectItem(-1, false, false);
}

UISize CListContainerElementUI::EstimateSize(UISize available) {
    UISize size = CHorizontalLayoutUI::EstimateSize(available);
    if (size.cy > 0) return size;
    const int height = InfoOf(m_owner).itemHeight;
    size.cy = Scale(height > 0 ? height : kContainerRowHeight);
    return size;
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
    if (HandleRowEvent(*this, *this, m_hot, m_life, event)) return;
    CHorizontalLayoutUI::DoEvent(event);
}

void CListContainerElementUI::PaintBkColor(CRenderContext& ctx) {
    PaintRowBackground(ctx, m_pos, InfoOf(m_owner), m_bkColor, m_selected, m_hot);
}

void CListContainerElementUI::PaintStatusImage(CRenderContext& ctx) {
    PaintRowImage(*this, ctx, InfoOf(m_owner), m_selected, m_hot);
}

// ---- CListUI ----

CListUI::CListUI() {
    EnableScrollBar(true);
    GetWidget()->setFocusPolicy(Qt::ClickFocus);
}

std::string_view CListUI::GetClass() const {
    return "ListUI";
}

UIColor ListRowTextColor(const TListInfoUI& info, bool enabled, bool selected, bool hot) {
    if (!enabled && info.disabledTextColor != 0) return info.disabledTextColor;
    if (selected && info.selectedTextColor != 0) return info.selectedTextColor;
    if (hot && info.hotTextColor != 0) return info.hotTextColor;
    return info.textColor;
}

void DrawListText(CRenderContext& ctx, const UIRect& rc, std::string_view text, UIColor color,
                  const TListInfoUI& info, unsigned style) {
    if (info.showHtml)
        ctx.DrawHtmlText(rc, text, color, info.font, style);
    else
        ctx.DrawText(rc, text, color, info.font, style);
}

namespace ListItems {

IListItemUI* ItemAt(const CContainerUI& owner, int index) {
    return dynamic_cast<IListItemUI*>(owner.GetItemAt(index));
}

void Reindex(const CContainerUI& owner) {
    for (int i = 0; i < owner.GetCount(); ++i) {
        if (IListItemUI* item = ItemAt(owner, i)) item->SetIndex(i);
    }
}

void Adopt(CControlUI* control, IListOwnerUI* owner) {
    if (auto* item = dynamic_cast<IListItemUI*>(control)) item->SetOwner(owner);
}

void Release(CControlUI* control) {
    if (auto* item = dynamic_cast<IListItemUI*>(control)) {
        item->Select(false);
        item->SetOwner(nullptr);
        item->SetIndex(-1);
    }
}

int SelectionAfterInsert(int selection, int inserted) {
    return selection >= 0 && inserted <= selection ? selection + 1 : selection;
}

int SelectionAfterRemoval(int selection, int removed) {
    if (removed == selection) return -1;
    return removed < selection ? selection - 1 : selection;
}

bool MoveSelection(const CContainerUI& owner, int& selection, int index) {
    if (index < -1 || index >= owner.GetCount()) return false;
    IListItemUI* item = index >= 0 ? ItemAt(owner, index) : nullptr;
    if (index >= 0 && !item) return false;
    if (IListItemUI* previous = ItemAt(owner, selection)) previous->Select(false);
    selection = index;
    if (item) item->Select(true);
    return true;
}

}  // namespace ListItems

IListItemUI* CListUI::ListItemAt(int index) const {
    return ListItems::ItemAt(*this, index);
}

void CListUI::Reindex() {
    ListItems::Reindex(*this);
}

CControlUI* CListUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!control) return nullptr;
    ListItems::Adopt(control.get(), this);
    CControlUI* added = CVerticalLayoutUI::AddAt(std::move(control), index);
    m_curSel = ListItems::SelectionAfterInsert(m_curSel, GetItemIndex(added));
    Reindex();
    return added;
}

bool CListUI::Remove(CControlUI* control) {
    return Detach(control) != nullptr;
}

void CListUI::RemoveAll() {
    m_curSel = -1;
    CVerticalLayoutUI::RemoveAll();
}

std::unique_ptr<CControlUI> CListUI::Detach(CControlUI* control) {
    const int index = GetItemIndex(control);
    std::unique_ptr<CControlUI> owned = CVerticalLayoutUI::Detach(control);
    if (!owned) return nullptr;
    ListItems::Release(owned.get());
    m_curSel = ListItems::SelectionAfterRemoval(m_curSel, index);
    Reindex();
    return owned;
}

bool CListUI::SelectItem(int index, bool takeFocus, bool notify) {
    if (takeFocus) CControlUI::SetFocus();
    if (index == m_curSel) return true;
    const int old = m_curSel;
    if (!ListItems::MoveSelection(*this, m_curSel, index)) return false;
    if (index >= 0) EnsureVisible(index);
    if (notify && m_manager)
        m_manager->SendNotify(this, "itemselect", static_cast<WPARAM>(index),
                              static_cast<LPARAM>(old));
    return true;
}

void CListUI::EnsureVisible(int index) {
    CControlUI* row = GetItemAt(index);
    if (!row || !IsScrollBarEnabled() || m_pos.IsEmpty()) return;
    SetPos(m_pos, false);  // rows added since the last layout get their places now
    const UIRect inner = m_pos.Deflate(Scale(m_inset));
    const UIRect& rc = row->GetPos();
    if (rc.top < inner.top)
        SetScrollPos(m_scrollPos - (inner.top - rc.top));
    else if (rc.bottom > inner.bottom)
        SetScrollPos(m_scrollPos + (rc.bottom - inner.bottom));
}

int CListUI::NextSelectable(int from, int direction, int count) const {
    int found = -1;
    for (int i = from + direction; i >= 0 && i < GetCount() && count > 0; i += direction) {
        const CControlUI* control = GetItemAt(i);
        if (!ListItemAt(i) || !control->IsVisible() || !control->IsEnabled()) continue;
        found = i;
        --count;
    }
    return found;
}

void CListUI::DoEvent(TEventUI& event) {
    if (event.type == UIEventType::KeyDown && IsEnabled()) {
        int target = -1;
        switch (event.key) {
            case VKey::Up:
                target = NextSelectable(m_curSel, -1);
                break;
            case VKey::Down:
                target = NextSelectable(m_curSel, +1);
                break;
            case VKey::Prior:
                target = NextSelectable(m_curSel, -1, kPageRows);
                break;
            case VKey::Next:
                target = NextSelectable(m_curSel, +1, kPageRows);
                break;
            case VKey::Home:
                target = NextSelectable(-1, +1);
                break;
            case VKey::End:
                target = NextSelectable(GetCount(), -1);
                break;
            default:
                break;
        }
        if (target >= 0) {
            SelectItem(target, true, true);
            return;
        }
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CListUI::SetAttribute(std::string_view name, std::string_view value) {
    if (SetListInfoAttribute(m_listInfo, name, value)) {
        NeedUpdate();
        return;
    }
    CVerticalLayoutUI::SetAttribute(name, value);
}
