// CTrayIcon on QSystemTrayIcon. Without a notification area it keeps its settings and
// does nothing, so the program runs the same on desktops without one.
#include "ui/UITray.h"

#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QXmlStreamReader>
#include <vector>

#include "ui/UIControlPrivate.h"
#include "ui/UIMenu.h"
#include "ui/UIResource.h"

namespace {

QIcon IconFrom(std::string_view file) {
    return QIcon(ToQString(CResourceManager::Instance().ResolvePath(file)));
}

// One item of a menu layout, as the icon's own menu shows it.
struct TrayMenuItem {
    std::string name;
    std::string text;
    std::string userData;
    bool resourceText = false;
    bool line = false;
    bool visible = true;
    bool enabled = true;
};

std::vector<TrayMenuItem> ReadMenuItems(std::string_view menuLayout);
void FillMenu(QMenu& menu, const std::vector<TrayMenuItem>& items, WindowHandle owner);

}  // namespace

struct CTrayIcon::Impl {
    WindowHandle owner = kNoWindow;
    std::string iconFile;
    std::string toolTip;
    std::unique_ptr<QSystemTrayIcon> icon;  // only where there is a notification area
    std::vector<TrayMenuItem> menuItems;
    std::unique_ptr<QMenu> contextMenu;  // the icon forgets a deleted menu by itself
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
    QObject::connect(
        m_impl->icon.get(), &QSystemTrayIcon::activated,
        [window = owner, impl = m_impl.get()](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                PostMessage(window, kTrayMessage, 0, kTrayLeftButtonUp);
            else if (reason == QSystemTrayIcon::Context && !impl->contextMenu)
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
    m_impl->contextMenu.reset();
    m_impl->menuItems.clear();
}

// ---- Context menu from a menu layout ----

namespace {

bool BoolAttribute(const QXmlStreamAttributes& attributes, const char* name, bool fallback) {
    if (!attributes.hasAttribute(QLatin1String(name))) return fallback;
    const QString value = attributes.value(QLatin1String(name)).toString().trimmed().toLower();
    return value == QLatin1String("true") || value == QLatin1String("1");
}

std::string TextAttribute(const QXmlStreamAttributes& attributes, const char* name) {
    return attributes.value(QLatin1String(name)).toString().toStdString();
}

std::vector<TrayMenuItem> ReadMenuItems(std::string_view menuLayout) {
    QFile file(ToQString(CResourceManager::Instance().ResolvePath(menuLayout)));
    std::vector<TrayMenuItem> items;
    if (!file.open(QIODevice::ReadOnly)) return items;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() ||
            xml.name().compare(QLatin1String("MenuElement"), Qt::CaseInsensitive) != 0)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        TrayMenuItem item;
        item.name = TextAttribute(attributes, "name");
        item.text = TextAttribute(attributes, "text");
        item.userData = TextAttribute(attributes, "userdata");
        item.resourceText = BoolAttribute(attributes, "resourcetext", false);
        item.line = BoolAttribute(attributes, "line", false);
        item.visible = BoolAttribute(attributes, "visible", true);
        item.enabled = BoolAttribute(attributes, "enabled", true);
        items.push_back(std::move(item));
    }
    return items;
}

void FillMenu(QMenu& menu, const std::vector<TrayMenuItem>& items, WindowHandle owner) {
    menu.clear();
    for (const TrayMenuItem& item : items) {
        if (!item.visible) continue;
        if (item.line) {
            menu.addSeparator();
            continue;
        }
        const std::string text =
            item.resourceText ? CResourceManager::Instance().GetText(item.text) : item.text;
        QAction* action = menu.addAction(ToQString(text));
        action->setEnabled(item.enabled);
        QObject::connect(action, &QAction::triggered, [owner, item, text] {
            auto cmd = std::make_unique<MenuCmd>(MenuCmd{item.name, item.userData, text});
            PostMessage(owner, kMenuCommandMessage, StoreMenuCmd(std::move(cmd)), 0);
        });
    }
}

}  // namespace

bool CTrayIcon::SetContextMenuLayout(std::string_view menuLayout) {
    m_impl->menuItems = ReadMenuItems(menuLayout);
    if (m_impl->menuItems.empty()) return false;
    if (!m_impl->icon) return true;  // nothing shows a menu without a notification area
    if (!m_impl->contextMenu) {
        m_impl->contextMenu = std::make_unique<QMenu>();
        QMenu* menu = m_impl->contextMenu.get();
        QObject::connect(menu, &QMenu::aboutToShow, [menu, impl = m_impl.get()] {
            FillMenu(*menu, impl->menuItems, impl->owner);
        });
        m_impl->icon->setContextMenu(menu);
    }
    FillMenu(*m_impl->contextMenu, m_impl->menuItems, m_impl->owner);
    return true;
}
