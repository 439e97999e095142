// The widget behind each control: paints through DoPaint() and turns Qt input into
// TEventUI for DoEvent().
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "platform/Events.h"
#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"

namespace {

int g_dispatchDepth = 0;

unsigned KeyStateOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    unsigned state = 0;
    if (mods & Qt::ShiftModifier) state |= KeyState::Shift;
    if (mods & Qt::ControlModifier) state |= KeyState::Control;
    if (mods & Qt::AltModifier) state |= KeyState::Alt;
    if (buttons & Qt::LeftButton) state |= KeyState::LButton;
    if (buttons & Qt::RightButton) state |= KeyState::RButton;
    if (buttons & Qt::MiddleButton) state |= KeyState::MButton;
    return state;
}

}  // namespace

CDispatchGuard::CDispatchGuard() {
    ++g_dispatchDepth;
}
CDispatchGuard::~CDispatchGuard() {
    --g_dispatchDepth;
}
bool IsDispatchingInput() {
    return g_dispatchDepth > 0;
}

void DisposeWidget(std::unique_ptr<CControlWidget> widget) {
    if (!widget) return;
    widget->DetachControl();
    if (!IsDispatchingInput()) return;  // deleted by the unique_ptr now
    // Unparented so that deleting an ancestor now cannot take it along.
    widget->hide();
    widget->setParent(nullptr);
    widget.release()->deleteLater();
}

CControlWidget::CControlWidget(CControlUI& control) : m_control(&control) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover, false);
}

void CControlWidget::paintEvent(QPaintEvent*) {
    if (!m_control) return;
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    const UIRect& pos = m_control->GetPos();
    painter.translate(-pos.left, -pos.top);
    if (!isEnabled()) painter.setOpacity(0.4);
    CRenderContext::Backend backend{painter};
    CRenderContext ctx(backend, m_control->GetManager());
    m_control->DoPaint(ctx);
}

TEventUI CControlWidget::MakeMouseEvent(UIEventType type, const QPointF& local) const {
    TEventUI event;
    event.type = type;
    event.sender = m_control;
    event.timestamp = TickCount();
    if (m_control) {
        const UIRect& pos = m_control->GetPos();
        event.mouse = {pos.left + static_cast<int>(local.x()),
                       pos.top + static_cast<int>(local.y())};
    }
    return event;
}

void CControlWidget::Deliver(TEventUI& event) {
    if (!m_control) return;
    CDispatchGuard guard;
    m_control->DoEvent(event);
}

void CControlWidget::mousePressEvent(QMouseEvent* e) {
    if (!m_control) return;
    const bool left = e->button() == Qt::LeftButton;
    if (left) m_control->SetCaptured(true);
    TEventUI event =
        MakeMouseEvent(left ? UIEventType::ButtonDown : UIEventType::RButtonDown, e->position());
    event.keyState = KeyStateOf(e->modifiers(), e->buttons());
    if (left || e->button() == Qt::RightButton) Deliver(event);
    e->accept();
}

void CControlWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (!m_control) return;
    const bool left = e->button() == Qt::LeftButton;
    if (left) m_control->SetCaptured(false);
    TEventUI event =
        MakeMouseEvent(left ? UIEventType::ButtonUp : UIEventType::RButtonUp, e->position());
    event.keyState = KeyStateOf(e->modifiers(), e->buttons());
    if (!left && e->button() != Qt::RightButton) return;
    Deliver(event);
    if (!left && m_control && rect().contains(e->position().toPoint())) {
        TEventUI menu = MakeMouseEvent(UIEventType::ContextMenu, e->position());
        Deliver(menu);
    }
    e->accept();
}

void CControlWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!m_control || e->button() != Qt::LeftButton) return;
    m_control->SetCaptured(true);
    TEventUI event = MakeMouseEvent(UIEventType::DblClick, e->position());
    event.keyState = KeyStateOf(e->modifiers(), e->buttons());
    Deliver(event);
    e->accept();
}

void CControlWidget::mouseMoveEvent(QMouseEvent* e) {
    TEventUI event = MakeMouseEvent(UIEventType::MouseMove, e->position());
    event.keyState = KeyStateOf(e->modifiers(), e->buttons());
    Deliver(event);
    e->accept();
}

void CControlWidget::wheelEvent(QWheelEvent* e) {
    TEventUI event = MakeMouseEvent(UIEventType::ScrollWheel, e->position());
    event.wheelDelta = e->angleDelta().y();
    event.keyState = KeyStateOf(e->modifiers(), e->buttons());
    Deliver(event);
    e->accept();
}

void CControlWidget::enterEvent(QEnterEvent* e) {
    TEventUI event = MakeMouseEvent(UIEventType::MouseEnter, e->position());
    Deliver(event);
}

void CControlWidget::leaveEvent(QEvent*) {
    TEventUI event = MakeMouseEvent(UIEventType::MouseLeave, mapFromGlobal(QCursor::pos()));
    Deliver(event);
}

// Keys reach a control only while it has the focus itself; keys it does not use go
// on to the window (Enter and Esc).
void CControlWidget::keyPressEvent(QKeyEvent* e) {
    if (!m_control || !hasFocus()) return e->ignore();
    TEventUI event;
    event.type = UIEventType::KeyDown;
    event.sender = m_control;
    event.timestamp = TickCount();
    event.key = VirtualKeyOf(e->key());
    event.keyState = KeyStateOf(e->modifiers(), Qt::NoButton);
    Deliver(event);
    if (m_control && !e->text().isEmpty() && e->text().at(0).isPrint()) {
        event.type = UIEventType::Char;
        event.text = FromQString(e->text());
        Deliver(event);
    }
    e->ignore();
}

void CControlWidget::keyReleaseEvent(QKeyEvent* e) {
    if (!m_control || !hasFocus()) return e->ignore();
    TEventUI event;
    event.type = UIEventType::KeyUp;
    event.sender = m_control;
    event.key = VirtualKeyOf(e->key());
    Deliver(event);
    e->ignore();
}

void CControlWidget::focusInEvent(QFocusEvent*) {
    if (!m_control) return;
    if (CPaintManagerUI* pm = m_control->GetManager()) pm->SetFocus(m_control);
    TEventUI event;
    event.type = UIEventType::SetFocus;
    event.sender = m_control;
    Deliver(event);
}

void CControlWidget::focusOutEvent(QFocusEvent*) {
    TEventUI event;
    event.type = UIEventType::KillFocus;
    event.sender = m_control;
    Deliver(event);
}

// The widget class is declared in the private header, which has no source of its own.
#include "moc_UIControlPrivate.cpp"
