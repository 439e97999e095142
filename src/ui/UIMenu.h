#pragma once
// Pop-up menus built from a menu layout (see docs/skin-format.md, "Menus").
// Implemented in UIMenu.cpp by the control-kinds helper.
//
// Choosing an item posts kMenuCommandMessage to the owner window with wParam = a
// ticket for a MenuCmd record; the receiver takes the record with TakeMenuCmd(), which
// frees it when the unique_ptr goes. Records never taken are freed at exit, so a post
// to a window that is gone leaks nothing.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ui/UIDefs.h"

inline constexpr std::uint32_t kMenuCommandMessage = 1145;

struct MenuCmd {
    std::string name;
    std::string userData;
    std::string text;  // the item's text as shown (language text in resource-text mode)
};

// Keeps a record until taken; returns the ticket to post as wParam.
WPARAM StoreMenuCmd(std::unique_ptr<MenuCmd> cmd);
// The record of a ticket, once; null for an unknown or already taken ticket.
std::unique_ptr<MenuCmd> TakeMenuCmd(WPARAM ticket);

// Which side of the point the menu lies on; bits combine (Left|Top = 6 puts the
// menu above and to the left of the point, as for a tray icon at the bottom right).
// The menu is then moved inside the screen.
namespace MenuAlign {
inline constexpr int Left = 1 << 1;    // right edge at the point
inline constexpr int Top = 1 << 2;     // bottom edge at the point
inline constexpr int Right = 1 << 3;   // left edge at the point
inline constexpr int Bottom = 1 << 4;  // top edge at the point
}  // namespace MenuAlign

class CPaintManagerUI;

// One open menu. Destroying the object closes the menu; so does a click outside it
// or choosing an item. Owners keep a unique_ptr and replace it to reopen.
class CMenuWnd {
public:
    CMenuWnd();
    ~CMenuWnd();
    CMenuWnd(const CMenuWnd&) = delete;
    CMenuWnd& operator=(const CMenuWnd&) = delete;

    // Builds the menu from `layout` (file or resource id) and shows it at `point`
    // (screen coordinates) with MenuAlign bits. `ownerManager`, when given, supplies
    // fonts and the DPI zoom. False when the layout gives no menu.
    bool Init(WindowHandle owner, std::string_view layout, UIPoint point, int align,
              CPaintManagerUI* ownerManager = nullptr);
    bool IsOpen() const;
    void Close();
    // Items by name, to change texts, visibility or user data before showing.
    CControlUI* FindItem(std::string_view name) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
