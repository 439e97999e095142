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

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
