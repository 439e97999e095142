#pragma once
// The main window's routing table: which handler a notification (or a menu command)
// reaches, by its type and its sender's name.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "panels/PanelRoute.h"

// The notification type under which menu commands are routed.
inline constexpr std::string_view kMenuCommandType = "menucommand";

// A control name made of a fixed prefix and a decimal number ("DPI_slider_2"), split at
// its last underscore. `number` is -1 when the name does not end in "_" and digits.
struct NumberedName {
    std::string_view prefix;  // up to and including the last underscore
    int number = -1;
};
NumberedName SplitNumberedName(std::string_view name);

// The main window's own handlers; rows with Route::Panel go to a panel of the
// current device.
enum class Route {
    Nothing,  // a known name whose notification has no action
    OpenHomePage,
    CloseToTray,
    HideWindow,
    ToggleLightControl,
    Minimize,
    Maximize,
    Restore,
    OpenSkinWindow,
    OpenSettings,
    KeyClick,
    OpenDesktopSettings,
    RestoreDefaults,
    SelectPrevious,
    SelectNext,
    DeviceSelectChanged,
    FunctionTab,          // the device's function page, then the profile panel's tabs
    RestartProfileTimer,  // timer 1055
    KeyEditLostFocus,     // input hook off, then the key assignment panel
    KeyEditFocused,       // input hook on
    OpenMacroActionMenu,
    Exit,
    OpenAbout,
    OpenSettingsCentred,
    Panel,
};

enum class NameForm { Plain, Numbered };
enum class NameCase { Ignore, Exact };

struct RouteRow {
    std::string_view type;
    std::string_view name;  // the whole name, or the prefix of a numbered name
    NameForm form;
    NameCase nameCase;
    Route route;
    PanelKind panel;  // for Route::Panel, and the panel FunctionTab and KeyEditLostFocus go on to
    int argument;     // the number a plain row hands on; -1 for none
};

std::span<const RouteRow> RouteTable();

struct RouteHit {
    const RouteRow* row = nullptr;
    int number = -1;  // from the name for numbered rows, else the row's argument
};
// The row for a notification type and sender name; nothing for names no row knows.
std::optional<RouteHit> FindRoute(std::string_view type, std::string_view name);

// ASCII letters compared without regard to case.
bool EqualsNoCase(std::string_view a, std::string_view b);
