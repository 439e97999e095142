#pragma once
// The notification-area icon of a window.
// Implemented in UITray.cpp by the control-kinds helper.
//
// Clicks post kTrayMessage to the owner window with wParam 0 and lParam
// kTrayLeftButtonUp or kTrayRightButtonUp. Where the desktop has no notification
// area (offscreen tests), Create() still succeeds, IsAvailable() says false, the
// other calls do nothing and IsVisible() stays false.
#include <cstdint>
#include <memory>
#include <string_view>

#include "ui/UIDefs.h"

inline constexpr std::uint32_t kTrayMessage = 1025;
inline constexpr LPARAM kTrayLeftButtonUp = 514;
inline constexpr LPARAM kTrayRightButtonUp = 517;

class CTrayIcon {
public:
    CTrayIcon();
    ~CTrayIcon();  // removes the icon
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // `iconFile` is skin-relative or absolute. Shows the icon.
    bool Create(WindowHandle owner, std::string_view iconFile, std::string_view toolTip);
    void SetIcon(std::string_view iconFile);
    void SetToolTip(std::string_view toolTip);
    void Show();
    void Hide();
    bool IsVisible() const;
    void Remove();  // as the destructor does
    static bool IsAvailable();

    // ---- Context menu from a menu layout ----
    // Notification areas that draw the icon's menu themselves (StatusNotifier hosts)
    // may never pass a right click on. This gives the icon a menu of the layout's items
    // (name, user data, language text); choosing one posts kMenuCommandMessage with a
    // MenuCmd record to the owner, as CMenuWnd does. While it is set, a right click
    // shows this menu and posts no kTrayRightButtonUp. Texts follow the current
    // language each time the menu opens. Call after Create(). False when the layout
    // holds no item.
    bool SetContextMenuLayout(std::string_view menuLayout);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
