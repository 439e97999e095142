#include "ui/UIScreen.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace {
UIRect ToUIRect(const QRect& r) {
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

QScreen* ScreenAt(UIPoint point) {
    QScreen* screen = QGuiApplication::screenAt(QPoint(point.x, point.y));
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}
}  // namespace

UIPoint GetCursorPos() {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

UIRect GetPrimaryScreenRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? ToUIRect(screen->geometry()) : UIRect{};
}

UIRect GetScreenRectAt(UIPoint point) {
    const QScreen* screen = ScreenAt(point);
    return screen != nullptr ? ToUIRect(screen->geometry()) : UIRect{};
}

UIRect GetWorkAreaAt(UIPoint point) {
    const QScreen* screen = ScreenAt(point);
    return screen != nullptr ? ToUIRect(screen->availableGeometry()) : UIRect{};
}
