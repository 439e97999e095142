// CContainerUI: children, floating children, scrolling and the plain stacked layout.
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/UIContainer.h"
#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"

namespace {
constexpr int kScrollBarWidth = 6;
constexpr int kWheelStep = 40;
}  // namespace

// A thin bar over the right edge of a scrolling container; dragging it scrolls.
class CScrollBarWidget : public QWidget {
public:
    explicit CScrollBarWidget(CContainerUI& owner) : m_owner(owner) {}

protected:
    void paintEvent(QPaintEvent*) override {
        const int range = m_owner.GetScrollRange();
        if (range <= 0) return;
        const int track = height();
        const int thumb = std::max(20, track * track / (track + range));
        const int top = (track - thumb) * m_owner.GetScrollPos() / range;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x9a, 0xa1, 0xae, 160));
        p.drawRoundedRect(QRectF(1, top, width() - 2, thumb), 2, 2);
    }
    void mousePressEvent(QMouseEvent* e) override { ScrollTo(e->position().y()); }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (e->buttons() & Qt::LeftButton) ScrollTo(e->position().y());
    }

private:
    void ScrollTo(double y) {
        if (height() > 0)
            m_owner.SetScrollPos(static_cast<int>(y * m_owner.GetScrollRange() / height()));
    }
    CContainerUI& m_owner;
};

CContainerUI::CContainerUI() = default;

// Children go before the container's own widget, whose Qt children their widgets are.
CContainerUI::~CContainerUI() {
    m_items.clear();
    m_scrollBar.reset();
}

std::string_view CContainerUI::GetClass() const {
    return "ContainerUI";
}

CControlUI* CContainerUI::Add(std::unique_ptr<CControlUI> control) {
    return AddAt(std::move(control), GetCount());
}

CControlUI* CContainerUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!control) return nullptr;
    index = std::clamp(index, 0, GetCount());
    CControlUI* raw = control.get();
    m_items.insert(m_items.begin() + index, std::move(control));
    raw->SetManager(m_manager, this, m_manager != nullptr);
    if (m_scrollBar) m_scrollBar->raise();
    NeedUpdate();
    return raw;
}

bool CContainerUI::Remove(CControlUI* control) {
    return Detach(control) != nullptr;  // the detached control is deleted here
}

bool CContainerUI::RemoveAt(int index) {
    return Remove(GetItemAt(index));
}

void CContainerUI::RemoveAll() {
    m_items.clear();
    m_scrollPos = 0;
    NeedUpdate();
}

std::unique_ptr<CControlUI> CContainerUI::Detach(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0) return nullptr;
    std::unique_ptr<CControlUI> owned = std::move(m_items[index]);
    m_items.erase(m_items.begin() + index);
    if (m_manager) m_manager->ReapObjects(owned.get());
    owned->GetWidget()->setParent(nullptr);
    owned->SetManager(nullptr, nullptr, false);
    NeedUpdate();
    return owned;
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_items[index].get();
}

int CContainerUI::GetItemIndex(const CControlUI* control) const {
    for (int i = 0; i < GetCount(); ++i) {
        if (m_items[i].get() == control) return i;
    }
    return -1;
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    const int from = GetItemIndex(control);
    if (from < 0 || index < 0 || index >= GetCount()) return false;
    std::unique_ptr<CControlUI> owned = std::move(m_items[from]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + index, std::move(owned));
    NeedUpdate();
    return true;
}

void CContainerUI::SetInset(const UIRect& inset) {
    m_inset = inset;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
    m_childPadding = padding;
    NeedUpdate();
}

void CContainerUI::SetChildAlign(unsigned align) {
    m_childAlign = align;
    NeedUpdate();
}

void CContainerUI::SetChildVAlign(unsigned align) {
    m_childVAlign = align;
    NeedUpdate();
}

void CContainerUI::EnableScrollBar(bool vertical) {
    m_scrollEnabled = vertical;
    if (vertical && !m_scrollBar) {
        m_scrollBar = std::make_unique<CScrollBarWidget>(*this);
        m_scrollBar->setParent(GetWidget());
    }
    if (!vertical) {
        m_scrollBar.reset();
        m_scrollPos = 0;
    }
    NeedUpdate();
}

void CContainerUI::SetScrollPos(int pos) {
    pos = std::clamp(pos, 0, m_scrollRange);
    if (pos == m_scrollPos) return;
    m_scrollPos = pos;
    SetPos(m_pos, false);
}

void CContainerUI::LineUp() {
    SetScrollPos(m_scrollPos - Scale(kWheelStep));
}
void CContainerUI::LineDown() {
    SetScrollPos(m_scrollPos + Scale(kWheelStep));
}
void CContainerUI::PageUp() {
    SetScrollPos(m_scrollPos - m_pos.Height());
}
void CContainerUI::PageDown() {
    SetScrollPos(m_scrollPos + m_pos.Height());
}
void CContainerUI::HomeUp() {
    SetScrollPos(0);
}

void CContainerUI::EndDown() {
    if (m_manager) m_manager->UpdateLayout();
    SetScrollPos(m_scrollRange);
}

void CContainerUI::SetPos(const UIRect& rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    const UIRect inner = m_pos.Deflate(Scale(m_inset));
    const int content = LayoutChildren(inner);
    if (!m_scrollEnabled) return;
    const int range = std::max(0, content - inner.Height());
    if (range != m_scrollRange || m_scrollPos > range) {
        m_scrollRange = range;
        if (m_scrollPos > range) {
            m_scrollPos = range;
            LayoutChildren(inner);
        }
    }
    UpdateScrollBar();
}

void CContainerUI::UpdateScrollBar() {
    if (!m_scrollBar) return;
    const int width = Scale(kScrollBarWidth);
    m_scrollBar->setGeometry(m_pos.Width() - width, 0, width, m_pos.Height());
    m_scrollBar->setVisible(m_scrollRange > 0);
    m_scrollBar->raise();
    m_scrollBar->update();
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    CControlUI::SetManager(manager, parent, init);
    for (auto& item : m_items) item->SetManager(manager, this, init);
}

CControlUI* CContainerUI::FindControl(const std::function<bool(CControlUI*)>& match) {
    if (match(this)) return this;
    for (auto& item : m_items) {
        if (CControlUI* found = item->FindControl(match)) return found;
    }
    return nullptr;
}

void CContainerUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "inset") {
        SetInset(ParseUIRect(value));
    } else if (name == "childpadding") {
        SetChildPadding(ParseUISize(value).cx);
    } else if (name == "childalign") {
        SetChildAlign(value == "center" ? TextStyle::Center
                                        : (value == "right" ? TextStyle::Right : TextStyle::Left));
    } else if (name == "childvalign") {
        SetChildVAlign(value == "vcenter" || value == "center"
                           ? TextStyle::VCenter
                           : (value == "bottom" ? TextStyle::Bottom : TextStyle::Top));
    } else if (name == "vscrollbar") {
        EnableScrollBar(ParseUIBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CContainerUI::DoEvent(TEventUI& event) {
    if (event.type == UIEventType::ScrollWheel && m_scrollEnabled && m_scrollRange > 0) {
        if (event.wheelDelta > 0) LineUp();
        if (event.wheelDelta < 0) LineDown();
        return;
    }
    CControlUI::DoEvent(event);
}

void CContainerUI::ReloadText() {
    CControlUI::ReloadText();
    for (auto& item : m_items) item->ReloadText();
}

void CContainerUI::PlaceFloat(CControlUI* child, const UIRect& inner) {
    const UIRect pos = Scale(child->GetFloatPos());
    const UISize size = child->EstimateSize({inner.Width(), inner.Height()});
    const int cx = size.cx > 0 ? size.cx : pos.Width();
    const int cy = size.cy > 0 ? size.cy : pos.Height();
    const int left = inner.left + pos.left;
    const int top = inner.top + pos.top;
    child->SetPos({left, top, left + cx, top + cy}, false);
}

// Every child over the whole inner area, less its padding; fixed sizes are kept and
// placed by the child alignment.
int CContainerUI::LayoutChildren(const UIRect& inner) {
    for (auto& item : m_items) {
        CControlUI* child = item.get();
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            PlaceFloat(child, inner);
            continue;
        }
        UIRect rc = inner.Deflate(Scale(child->GetPadding()));
        const UISize size = child->EstimateSize({rc.Width(), rc.Height()});
        if (size.cx > 0 && size.cx < rc.Width()) {
            if (m_childAlign & TextStyle::Center)
                rc.left += (rc.Width() - size.cx) / 2;
            else if (m_childAlign & TextStyle::Right)
                rc.left = rc.right - size.cx;
            rc.right = rc.left + size.cx;
        }
        if (size.cy > 0 && size.cy < rc.Height()) {
            if (m_childVAlign & TextStyle::VCenter)
                rc.top += (rc.Height() - size.cy) / 2;
            else if (m_childVAlign & TextStyle::Bottom)
                rc.top = rc.bottom - size.cy;
            rc.bottom = rc.top + size.cy;
        }
        child->SetPos(rc.Offset(0, -m_scrollPos), false);
    }
    return inner.Height();
}
