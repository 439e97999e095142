// CTrayIcon on QSystemTrayIcon. Without a notification area it keeps its settings and
// does nothing, so the program runs the same on desktops without one.
#include "ui/UITray.h"

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

#include "ui/UIControlPrivate.h"
#include "ui/UIResource.h"

namespace {

QIcon IconFrom(std::string_view file) {
    return QIcon(ToQString(CResourceManager::Instance().ResolvePath(file)));
}

}  // namespace

struct CTrayIcon::Impl {
    WindowHandle owner = kNoWindow;
    std::string iconFile;
    std::string toolTip;
    std::unique_ptr<QSystemTrayIcon> icon;  // only where there is a notification area
};

CTrayIcon::CTrayIcon() : m_impl(std::make_unique<Impl>()) {}

CTrayIcon::~CTrayIcon() {
    Remove();
}

bool CTrayIcon::IsAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool CTrayIcon::Create(WindowHandle owner, std::string_view iconFile, std::string_view toolTip) {
    Remove();
    m_impl->owner = owner;
    m_impl->iconFile = iconFile;
    m_impl->toolTip = toolTip;
    if (!IsAvailable()) return true;
    m_impl->icon = std::make_unique<QSystemTrayIcon>(IconFrom(iconFile));
    m_impl->icon->setToolTip(ToQString(toolTip));
    QObject::connect(m_impl->icon.get(), &QSystemTrayIcon::activated,
                     [window = owner](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger)
                             PostMessage(window, kTrayMessage, 0, kTrayLeftButtonUp);
                         else if (reason == QSystemTrayIcon::Context)
                             PostMessage(window, kTrayMessage, 0, kTrayRightButtonUp);
                     });
    m_impl->icon->show();
    return true;
}

void CTrayIcon::SetIcon(std::string_view iconFile) {
    m_impl->iconFile = iconFile;
    if (m_impl->icon) m_impl->icon->setIcon(IconFrom(iconFile));
}

void CTrayIcon::SetToolTip(std::string_view toolTip) {
    m_impl->toolTip = toolTip;
    if (m_impl->icon) m_impl->icon->setToolTip(ToQString(toolTip));
}

void CTrayIcon::Show() {
    if (m_impl->icon) m_impl->icon->show();
}

void CTrayIcon::Hide() {
    if (m_impl->icon) m_impl->icon->hide();
}

bool CTrayIcon::IsVisible() const {
    return m_impl->icon && m_impl->icon->isVisible();
}

void CTrayIcon::Remove() {
    if (!m_impl->icon) return;
    m_impl->icon->hide();
    m_impl->icon.reset();
}
