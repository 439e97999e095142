// CComboUI and its drop list.
#include "ui/UICombo.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWheelEvent>
#include <algorithm>

#include "ui/UIButton.h"
#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"
#include "ui/UIRender.h"

namespace {

constexpr UIColor kPanel = 0xFF1F2229;
constexpr UIColor kRaised = 0xFF2A2E37;
constexpr UIColor kBorder = 0xFF343945;
constexpr UIColor kSecondary = 0xFF9AA1AE;
constexpr UIColor kAccent = 0xFF19C3A0;
constexpr UIColor kSelectedBk = 0x5519C3A0;
constexpr UISize kCorner{8, 8};  // 4 px radius
constexpr int kArrowInset = 12;  // arrow centre from the right edge
constexpr int kArrowHalf = 4;
constexpr int kWheelRows = 3;

}  // namespace

// The pop-up list of a combo. It reads the combo's items each time it paints, so
// changes made while it is open show at once.
class CComboDropList : public QWidget {
public:
    explicit CComboDropList(CComboUI& owner)
        : QWidget(owner.GetWidget(), Qt::Popup | Qt::FramelessWindowHint), m_owner(&owner) {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setObjectName(QStringLiteral("ComboDropList"));
    }
    // The combo is going away; the list only waits to be deleted.
    void Detach() { m_owner = nullptr; }
    void Open();

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void hideEvent(QHideEvent*) override {
        if (m_owner) m_owner->Invalidate();
    }

private:
    struct Row {
        int index;
        QRect rect;  // local, scrolled
    };
    std::vector<Row> Rows() const;
    int ContentHeight() const;
    int Border() const { return Scale(1); }
    int Scale(int v) const {
        const CPaintManagerUI* pm = m_owner ? m_owner->GetManager() : nullptr;
        return pm ? pm->ScaleValue(v) : v;
    }
    int RowAt(QPoint point) const;
    void ScrollTo(int index);
    void SetScroll(int scroll);
    void MoveHot(int direction);
    void Pick(int index);
    void PaintRow(CRenderContext& ctx, const Row& row, const TListInfoUI& info);

    CComboUI* m_owner;
    int m_hot = -1;
    int m_scroll = 0;
};

std::vector<CComboDropList::Row> CComboDropList::Rows() const {
    std::vector<Row> rows;
    if (!m_owner) return rows;
    const int width = this->width();
    int top = Border() - m_scroll;
    for (int i = 0; i < m_owner->GetCount(); ++i) {
        CControlUI* item = m_owner->GetItemAt(i);
        if (!item->IsVisible()) continue;
        const int height = std::max(1, item->EstimateSize({width, 0}).cy);
        rows.push_back({i, QRect(Border(), top, width - 2 * Border(), height)});
        top += height;
    }
    return rows;
}

int CComboDropList::ContentHeight() const {
    int height = 0;
    for (const Row& row : Rows()) height += row.rect.height();
    return height;
}

int CComboDropList::RowAt(QPoint point) const {
    if (!rect().adjusted(Border(), Border(), -Border(), -Border()).contains(point)) return -1;
    for (const Row& row : Rows()) {
        if (row.rect.contains(point)) return row.index;
    }
    return -1;
}

void CComboDropList::Open() {
    if (!m_owner) return;
    QWidget* anchor = m_owner->GetWidget();
    const UISize box = m_owner->GetDropBoxSize();
    const int width = box.cx > 0 ? Scale(box.cx) : anchor->width();
    resize(width, 1);  // rows are measured at this width
    m_scroll = 0;
    const int content = ContentHeight() + 2 * Border();
    const int height = box.cy > 0 ? std::min(content, Scale(box.cy) + 2 * Border()) : content;
    QPoint at = anchor->mapToGlobal(QPoint(0, anchor->height()));
    if (const QScreen* screen = anchor->screen()) {
        const QRect avail = screen->availableGeometry();
        if (at.y() + height > avail.bottom() && at.y() - anchor->height() - height >= avail.top())
            at.setY(at.y() - anchor->height() - height);
        at.setX(std::clamp(at.x(), avail.left(), std::max(avail.left(), avail.right() - width)));
    }
    setGeometry(QRect(at, QSize(width, height)));
    m_hot = m_owner->GetCurSel();
    ScrollTo(m_hot);
    show();
    setFocus(Qt::PopupFocusReason);
}

void CComboDropList::SetScroll(int scroll) {
    const int range = std::max(0, ContentHeight() + 2 * Border() - height());
    m_scroll = std::clamp(scroll, 0, range);
    update();
}

void CComboDropList::ScrollTo(int index) {
    for (const Row& row : Rows()) {
        if (row.index != index) continue;
        if (row.rect.top() < Border())
            SetScroll(m_scroll - (Border() - row.rect.top()));
        else if (row.rect.bottom() >= height() - Border())
            SetScroll(m_scroll + row.rect.bottom() - (height() - Border()) + 1);
        return;
    }
}

void CComboDropList::paintEvent(QPaintEvent*) {
    if (!m_owner) return;
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    CRenderContext::Backend backend{painter};
    CRenderContext ctx(backend, m_owner->GetManager());
    const UIRect all{0, 0, width(), height()};
    ctx.FillRect(all, kPanel);
    const TListInfoUI& info = *m_owner->GetListInfo();
    ctx.PushClip(all.Deflate({Border(), Border(), Border(), Border()}));
    for (const Row& row : Rows()) {
        if (row.rect.bottom() < 0 || row.rect.top() > height()) continue;
        PaintRow(ctx, row, info);
    }
    ctx.PopClip();
    ctx.DrawRect(all, 1, kBorder);
}

void CComboDropList::PaintRow(CRenderContext& ctx, const Row& row, const TListInfoUI& info) {
    CControlUI* item = m_owner->GetItemAt(row.index);
    const UIRect rc = FromQRect(row.rect);
    const bool selected = row.index == m_owner->GetCurSel();
    const bool hot = row.index == m_hot && item->IsEnabled();
    ctx.FillRect(rc, item->GetBkColor() != 0 ? item->GetBkColor() : info.bkColor);
    if (selected)
        ctx.FillRect(rc, info.selectedBkColor != 0 ? info.selectedBkColor : kSelectedBk);
    else if (hot)
        ctx.FillRect(rc, info.hotBkColor != 0 ? info.hotBkColor : kRaised);
    const UIColor color = ListRowTextColor(info, item->IsEnabled(), selected, hot);
    const double opacity = ctx.GetOpacity();
    if (!item->IsEnabled()) ctx.SetOpacity(0.4);
    DrawListText(ctx, rc.Deflate(ctx.Scale(info.textPadding)), item->GetText(), color, info,
                 info.textStyle);
    ctx.SetOpacity(opacity);
}

void CComboDropList::mouseMoveEvent(QMouseEvent* e) {
    const int hot = RowAt(e->position().toPoint());
    if (hot == m_hot) return;
    m_hot = hot;
    update();
}

void CComboDropList::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const int index = RowAt(e->position().toPoint());
    if (index >= 0 && m_owner && m_owner->GetItemAt(index)->IsEnabled()) Pick(index);
}

void CComboDropList::wheelEvent(QWheelEvent* e) {
    const std::vector<Row> rows = Rows();
    const int step = rows.empty() ? 0 : rows.front().rect.height() * kWheelRows;
    SetScroll(m_scroll - (e->angleDelta().y() > 0 ? step : -step));
}

void CComboDropList::MoveHot(int direction) {
    if (!m_owner) return;
    for (int i = m_hot + direction; i >= 0 && i < m_owner->GetCount(); i += direction) {
        const CControlUI* item = m_owner->GetItemAt(i);
        if (!item->IsVisible() || !item->IsEnabled()) continue;
        m_hot = i;
        ScrollTo(i);
        update();
        return;
    }
}

void CComboDropList::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Up:
            MoveHot(-1);
            break;
        case Qt::Key_Down:
            MoveHot(+1);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_hot >= 0)
                Pick(m_hot);
            else
                hide();
            break;
        case Qt::Key_Escape:
            hide();
            break;
        default:
            QWidget::keyPressEvent(e);
            return;
    }
    e->accept();
}

// The selection handler may delete the combo, and with it this list (later): nothing
// here touches members after the selection.
void CComboDropList::Pick(int index) {
    CComboUI* owner = m_owner;
    hide();
    if (owner) owner->SelectItem(index, false, true);
}

// ---- CComboUI ----

struct CComboUI::Impl {
    QPointer<CComboDropList> dropList;

    ~Impl() {
        if (!dropList) return;
        dropList->Detach();
        dropList->hide();
        dropList->deleteLater();  // it may be handling the event that deletes the combo
    }
};

CComboUI::CComboUI() : m_impl(std::make_unique<Impl>()), m_textPadding{8, 0, 24, 0} {
    // Click focus only: a window that opens must not hand its keys to a combo.
    GetWidget()->setFocusPolicy(Qt::ClickFocus);
    // A click on the combo while its list is open only closes the list.
    GetWidget()->setAttribute(Qt::WA_NoMouseReplay);
}

CComboUI::~CComboUI() = default;

std::string_view CComboUI::GetClass() const {
    return "ComboUI";
}

IListItemUI* CComboUI::ListItemAt(int index) const {
    return ListItems::ItemAt(*this, index);
}

void CComboUI::Reindex() {
    ListItems::Reindex(*this);
    if (m_impl->dropList) m_impl->dropList->update();
}

CControlUI* CComboUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!control) return nullptr;
    ListItems::Adopt(control.get(), this);
    CControlUI* added = CContainerUI::AddAt(std::move(control), index);
    m_curSel = ListItems::SelectionAfterInsert(m_curSel, GetItemIndex(added));
    Reindex();
    return added;
}

bool CComboUI::Remove(CControlUI* control) {
    return Detach(control) != nullptr;
}

void CComboUI::RemoveAll() {
    m_curSel = -1;
    CContainerUI::RemoveAll();
    Invalidate();
    if (m_impl->dropList) m_impl->dropList->update();
}

std::unique_ptr<CControlUI> CComboUI::Detach(CControlUI* control) {
    const int index = GetItemIndex(control);
    std::unique_ptr<CControlUI> owned = CContainerUI::Detach(control);
    if (!owned) return nullptr;
    ListItems::Release(owned.get());
    m_curSel = ListItems::SelectionAfterRemoval(m_curSel, index);
    Reindex();
    Invalidate();
    return owned;
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool notify) {
    if (takeFocus) CControlUI::SetFocus();
    if (index == m_curSel) return true;
    const int old = m_curSel;
    if (!ListItems::MoveSelection(*this, m_curSel, index)) return false;
    Invalidate();
    if (notify && m_manager)
        m_manager->SendNotify(this, "itemselect", static_cast<WPARAM>(index),
                              static_cast<LPARAM>(old));
    return true;
}

int CComboUI::FindItemByUserData(std::string_view userData) const {
    for (int i = 0; i < GetCount(); ++i) {
        if (GetItemAt(i)->GetUserData() == userData) return i;
    }
    return -1;
}

std::string CComboUI::GetText() const {
    const CControlUI* item = GetItemAt(m_curSel);
    return item ? item->GetText() : std::string();
}

bool CComboUI::IsDropped() const {
    return m_impl->dropList && m_impl->dropList->isVisible();
}

void CComboUI::ShowDropList() {
    const bool anyShown = std::any_of(m_items.begin(), m_items.end(),
                                      [](const auto& item) { return item->IsVisible(); });
    if (!anyShown) return;
    if (!m_impl->dropList) m_impl->dropList = new CComboDropList(*this);  // owned by our widget
    m_impl->dropList->Open();
    Invalidate();
}

void CComboUI::CloseDropList() {
    if (m_impl->dropList) m_impl->dropList->hide();
}

void CComboUI::SetDropBoxSize(UISize size) {
    m_dropBoxSize = size;
}

void CComboUI::SetTextPadding(const UIRect& padding) {
    m_textPadding = padding;
    Invalidate();
}

void CComboUI::SetNormalImage(std::string_view image) {
    m_normalImage = image, Invalidate();
}
void CComboUI::SetHotImage(std::string_view image) {
    m_hotImage = image, Invalidate();
}
void CComboUI::SetPushedImage(std::string_view image) {
    m_pushedImage = image, Invalidate();
}
void CComboUI::SetDisabledImage(std::string_view image) {
    m_disabledImage = image, Invalidate();
}

bool CComboUI::Activate() {
    if (!CControlUI::Activate()) return false;
    ShowDropList();
    return true;
}

void CComboUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "dropboxsize")
        SetDropBoxSize(ParseUISize(value));
    else if (name == "textpadding")
        SetTextPadding(ParseUIRect(value));
    else if (name == "normalimage")
        SetNormalImage(value);
    else if (name == "hotimage")
        SetHotImage(value);
    else if (name == "pushedimage")
        SetPushedImage(value);
    else if (name == "disabledimage")
        SetDisabledImage(value);
    else if (SetListInfoAttribute(m_listInfo, name, value))
        Invalidate();
    else
        CContainerUI::SetAttribute(name, value);
}

int CComboUI::NextSelectable(int from, int direction) const {
    for (int i = from + direction; i >= 0 && i < GetCount(); i += direction) {
        const CControlUI* item = GetItemAt(i);
        if (ListItemAt(i) && item->IsVisible() && item->IsEnabled()) return i;
    }
    return -1;
}

void CComboUI::SetHot(bool hot) {
    m_buttonState = hot ? (m_buttonState | UIState::Hot) : (m_buttonState & ~UIState::Hot);
    Invalidate();
}

void CComboUI::DoEvent(TEventUI& event) {
    if (!IsEnabled()) return CContainerUI::DoEvent(event);
    switch (event.type) {
        case UIEventType::ButtonDown:
        case UIEventType::DblClick:
            if (IsDropped())
                CloseDropList();
            else
                Activate();
            return;
        case UIEventType::ButtonUp:
            return;
        case UIEventType::MouseEnter:
            SetHot(true);
            return;
        case UIEventType::MouseLeave:
            SetHot(false);
            return;
        case UIEventType::KeyDown: {
            int target = -1;
            if (event.key == VKey::Up)
                target = NextSelectable(m_curSel, -1);
            else if (event.key == VKey::Down)
                target = NextSelectable(m_curSel, +1);
            else if (event.key == VKey::Home)
                target = NextSelectable(-1, +1);
            else if (event.key == VKey::End)
                target = NextSelectable(GetCount(), -1);
            else if (event.key == VKey::Space)
                Activate();
            if (target >= 0) SelectItem(target, false, true);
            return;
        }
        default:
            CContainerUI::DoEvent(event);
    }
}

void CComboUI::ReloadText() {
    CContainerUI::ReloadText();
    Invalidate();
    if (m_impl->dropList) m_impl->dropList->update();
}

void CComboUI::PaintStatusImage(CRenderContext& ctx) {
    const bool hot = (m_buttonState & UIState::Hot) != 0;
    const std::string* image = &m_normalImage;
    if (!IsEnabled() && !m_disabledImage.empty())
        image = &m_disabledImage;
    else if (IsDropped() && !m_pushedImage.empty())
        image = &m_pushedImage;
    else if (hot && !m_hotImage.empty())
        image = &m_hotImage;
    if (!image->empty()) {
        DrawImage(ctx, *image);
        return;
    }
    if (m_bkColor == 0 && m_bkImage.empty()) {
        ctx.FillRoundRect(m_pos, kCorner, hot ? kBorder : kRaised);
        ctx.DrawRoundRect(m_pos, 1, kCorner, IsDropped() ? kAccent : kBorder);
    }
    const int cx = m_pos.right - ctx.Scale(kArrowInset);
    const int cy = (m_pos.top + m_pos.bottom) / 2;
    const int half = ctx.Scale(kArrowHalf);
    ctx.DrawLine({cx - half, cy - half / 2}, {cx, cy + half / 2}, 1, kSecondary);
    ctx.DrawLine({cx, cy + half / 2}, {cx + half, cy - half / 2}, 1, kSecondary);
}

void CComboUI::PaintText(CRenderContext& ctx) {
    const std::string text = GetText();
    if (text.empty()) return;
    UIColor color = m_listInfo.textColor;
    if (!IsEnabled() && m_listInfo.disabledTextColor != 0) color = m_listInfo.disabledTextColor;
    const unsigned style = (m_listInfo.textStyle & (TextStyle::Center | TextStyle::Right)) |
                           TextStyle::VCenter | TextStyle::SingleLine | TextStyle::EndEllipsis;
    const UIRect rc = m_pos.Deflate(ctx.Scale(m_textPadding));
    DrawListText(ctx, rc, text, color, m_listInfo, style);
}

// The items are shown by the drop list, not inside the combo.
int CComboUI::LayoutChildren(const UIRect& inner) {
    for (auto& item : m_items) item->SetPos({inner.left, inner.top, inner.left, inner.top}, false);
    return 0;
}
