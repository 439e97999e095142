// CWindowHost: the top-level widget of a window.
#include "ui/UIWindowHost.h"

#include <QCloseEvent>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QTimer>
#include <QWindow>
#include <cmath>

#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"
#include "ui/UIWindow.h"

namespace {
// Shown for a moment before the root paints; the skin's window background.
constexpr QRgb kWindowBackground = 0xFF16181D;
}  // namespace

CWindowHost::CWindowHost(WindowImplBase& window, CPaintManagerUI& manager, QWidget* parent,
                         Qt::WindowFlags flags)
    : QWidget(parent, flags), m_window(&window), m_manager(manager) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor::fromRgba(kWindowBackground));
    setPalette(palette);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

void CWindowHost::StartSystemMove() {
    if (QWindow* handle = windowHandle()) handle->startSystemMove();
}

void CWindowHost::ScaleSize(double factor) {
    const QRect before = geometry();
    const QSize size(static_cast<int>(std::lround(before.width() * factor)),
                     static_cast<int>(std::lround(before.height() * factor)));
    resize(size);
    move(before.center() - QPoint(size.width() / 2, size.height() / 2));
}

// A host whose window object is gone may still get events until it is deleted; its
// manager is gone too then.
void CWindowHost::resizeEvent(QResizeEvent*) {
    if (!m_window) return;
    m_manager.UpdateLayout();
    if (m_manager.GetRoot()) m_manager.SendNotify(m_manager.GetRoot(), "windowsize");
}

// After the show has been processed, as a first paint would be.
void CWindowHost::showEvent(QShowEvent*) {
    if (m_shownOnce || !m_window) return;
    m_shownOnce = true;
    QTimer::singleShot(0, this, [this] {
        if (m_window) m_window->OnHostShown();
    });
}

// The window manager's close button or shortcut: the window decides (system close).
void CWindowHost::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (m_window) m_window->OnHostCloseRequest();
}

void CWindowHost::keyPressEvent(QKeyEvent* event) {
    const int key = VirtualKeyOf(event->key());
    const bool defaultKey = key == VKey::Return || key == VKey::Escape;
    if (defaultKey && m_window && m_window->OnHostKey(key)) {
        event->accept();
        return;
    }
    event->ignore();
}

// Activation and the mouse entering or leaving the window reach the window as the
// activate, hover and leave messages.
void CWindowHost::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) SendToWindow(Msg::Activate, isActiveWindow());
    QWidget::changeEvent(event);
}

void CWindowHost::enterEvent(QEnterEvent*) {
    SendToWindow(Msg::MouseHover, 0);
}

void CWindowHost::leaveEvent(QEvent*) {
    SendToWindow(Msg::MouseLeave, 0);
}

void CWindowHost::SendToWindow(std::uint32_t msg, WPARAM wParam) {
    if (!m_window) return;
    bool handled = false;
    m_window->HandleMessage(msg, wParam, 0, handled);
}
