#pragma once
// How the main window hands a notification to a feature panel of the current device.
// A panel (or a device object, for what only its kind knows) implements IRoutedPanel;
// the main window looks for the first control of the current device's page, the page
// itself first, that serves the panel kind the routing row names. A page without such
// a control makes the row do nothing.
#include <string_view>

#include "ui/UIDefs.h"

struct MenuCmd;

// Route types beside the notification types: the macro editor learns whether a
// recording runs (number 1) or not (0); the profile panel's apply timer fired.
inline constexpr std::string_view kRecordingRouteType = "recording";
inline constexpr std::string_view kProfileTimerRouteType = "timer";
// The lighting panels learn how many selector entries are visible (number).
inline constexpr std::string_view kVisibleEntriesRouteType = "visibleentries";

enum class PanelKind {
    Profile,         // profile list and operations
    KeyAssignment,   // key functions
    Macro,           // macro editor and recorder
    Shoot,           // recoil tables
    Lighting,        // lighting modes and colours
    HeadsetEq,       // headset equaliser presets
    HeadsetAudio,    // headset voice, microphone and surround
    DpiPointer,      // DPI stages, report rate, pointer settings
    KeyboardSystem,  // repeat rate and delay, lock switches
    DevicePage,      // what only the device kind does: page tabs, custom key paint, key-light ends
};

// One routed notification. `number` is the number at the end of a numbered name, or
// the row's own argument (a function tab's page, a lighting direction); -1 for none.
struct PanelRoute {
    std::string_view type;  // "click", "selectchanged", ...; "menucommand" for menu items
    std::string_view name;  // the sender's or the menu item's name
    int number = -1;
    TNotifyUI* notify = nullptr;    // the notification; null for menu commands
    const MenuCmd* menu = nullptr;  // the menu item; null for notifications
};

class IRoutedPanel {
public:
    virtual ~IRoutedPanel() = default;
    virtual bool ServesPanel(PanelKind kind) const = 0;
    virtual void OnPanelRoute(PanelKind kind, const PanelRoute& route) = 0;
};
