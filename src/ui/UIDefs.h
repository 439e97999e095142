#pragma once
// Plain value types shared by the UI library and the program: geometry, colours,
// text styles, the notification record and the events delivered to controls.
// No Qt here: program code includes this without knowing what draws the windows.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/WindowMessages.h"

class CControlUI;

struct UIPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const UIPoint&, const UIPoint&) = default;
};

struct UISize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const UISize&, const UISize&) = default;
};

// Edges, right and bottom exclusive. Also used for paddings and insets, where the
// four fields are the four margins.
struct UIRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(UIPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    UIRect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    UIRect Deflate(const UIRect& m) const {
        return {left + m.left, top + m.top, right - m.right, bottom - m.bottom};
    }
    friend bool operator==(const UIRect&, const UIRect&) = default;
};

// 0xAARRGGBB. Zero means "not set" wherever a colour attribute is optional.
using UIColor = std::uint32_t;

// Text placement bits, numerically equal to the classic DT_* flags so that values
// written for them keep their meaning.
namespace TextStyle {
inline constexpr unsigned Left = 0x0000;
inline constexpr unsigned Top = 0x0000;
inline constexpr unsigned Center = 0x0001;
inline constexpr unsigned Right = 0x0002;
inline constexpr unsigned VCenter = 0x0004;
inline constexpr unsigned Bottom = 0x0008;
inline constexpr unsigned WordBreak = 0x0010;
inline constexpr unsigned SingleLine = 0x0020;
inline constexpr unsigned EndEllipsis = 0x8000;
}  // namespace TextStyle

// Results of modal windows.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Virtual-key codes the library reports in key events (Windows numbering).
namespace VKey {
inline constexpr int Back = 0x08;
inline constexpr int Tab = 0x09;
inline constexpr int Return = 0x0D;
inline constexpr int Shift = 0x10;
inline constexpr int Control = 0x11;
inline constexpr int Menu = 0x12;
inline constexpr int Escape = 0x1B;
inline constexpr int Space = 0x20;
inline constexpr int Prior = 0x21;
inline constexpr int Next = 0x22;
inline constexpr int End = 0x23;
inline constexpr int Home = 0x24;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int Delete = 0x2E;
}  // namespace VKey

// Modifier and button bits of TEventUI::keyState.
namespace KeyState {
inline constexpr unsigned LButton = 0x0001;
inline constexpr unsigned RButton = 0x0002;
inline constexpr unsigned Shift = 0x0004;
inline constexpr unsigned Control = 0x0008;
inline constexpr unsigned MButton = 0x0010;
inline constexpr unsigned Alt = 0x0020;
}  // namespace KeyState

// A notification from a control to its window, its notifiers and notify pumps.
// The program compares the sender's name, so `sender` is never null when sent
// through the paint manager.
struct TNotifyUI {
    std::string type;
    CControlUI* sender = nullptr;
    std::uint32_t timestamp = 0;  // TickCount() when sent
    UIPoint mouse;                // cursor position in window client coordinates
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

// Sees every window message before the window does; sets `handled` to consume it.
class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    virtual LRESULT MessageHandler(std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                                   bool& handled) = 0;
};

// Answers texts that the language files do not hold; an empty answer means none.
class IQueryControlText {
public:
    virtual ~IQueryControlText() = default;
    virtual std::string QueryControlText(std::string_view key, std::string_view type) = 0;
};

// Input and state events delivered to CControlUI::DoEvent.
enum class UIEventType {
    MouseEnter,
    MouseLeave,
    MouseMove,
    ButtonDown,  // left button
    ButtonUp,    // left button
    DblClick,    // left button
    RButtonDown,
    RButtonUp,
    ContextMenu,  // right button released over the control
    ScrollWheel,  // wheelDelta: +120 per notch away from the user
    KeyDown,
    KeyUp,
    Char,  // text holds the typed characters (UTF-8)
    SetFocus,
    KillFocus,
    Timer,  // wParam = timer id (the "timer" notification is sent as well)
};

struct TEventUI {
    UIEventType type = UIEventType::MouseMove;
    CControlUI* sender = nullptr;  // the control the event happened on
    std::uint32_t timestamp = 0;
    UIPoint mouse;          // window client coordinates
    int key = 0;            // VKey code for key events
    unsigned keyState = 0;  // KeyState bits
    int wheelDelta = 0;
    std::string text;  // Char events
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
