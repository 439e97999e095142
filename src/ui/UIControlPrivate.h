#pragma once
// Inside the library only: the widget behind each control, and the Qt conversions
// the control kinds share. Kinds that host native widgets (edits, drop lists) make
// them children of Widget(control) and place them in local coordinates
// (LocalRect).
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>

#include "ui/UIControl.h"
#include "ui/UIRender.h"

class QPainter;

// What CRenderContext draws on.
struct CRenderContext::Backend {
    QPainter& painter;
};

// Loaded images are kept until the DPI assets are reset.
void ClearImageCache();

class CControlWidget : public QWidget {
    Q_OBJECT
public:
    explicit CControlWidget(CControlUI& control);
    // Null once the control is gone (the widget may outlive it briefly, see below).
    CControlUI* Control() const { return m_control; }
    void DetachControl() { m_control = nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Deliver(TEventUI& event);
    TEventUI MakeMouseEvent(UIEventType type, const QPointF& local) const;

    CControlUI* m_control;
};

// Controls may be deleted by the handler of an input event on their own widget (or a
// child's). While any input event is being handled, the widgets of deleted controls
// are hidden and deleted once control returns to the event loop.
class CDispatchGuard {
public:
    CDispatchGuard();
    ~CDispatchGuard();
    CDispatchGuard(const CDispatchGuard&) = delete;
    CDispatchGuard& operator=(const CDispatchGuard&) = delete;
};
bool IsDispatchingInput();
// Deletes a control's widget now, or later while input is being dispatched.
void DisposeWidget(std::unique_ptr<CControlWidget> widget);

// Conversions.
QString ToQString(std::string_view text);
std::string FromQString(const QString& text);
QColor ToQColor(UIColor color);  // alpha 0 reads as opaque
UIColor FromQColor(const QColor& color);
QRect ToQRect(const UIRect& rc);
UIRect FromQRect(const QRect& rc);
// `rc` (window client coordinates) in the control's own widget coordinates.
QRect LocalRect(const CControlUI& control, const UIRect& rc);
// A window font (id -1 = default), scaled by the manager's DPI zoom.
QFont FontOf(const CPaintManagerUI* manager, int fontId);
// Virtual-key code of a Qt key (0 when it has none).
int VirtualKeyOf(int qtKey);
