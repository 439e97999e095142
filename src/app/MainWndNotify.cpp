// The main window's notifications: routed by type and sender name through the routing
// table to the window's own actions or to a panel of the current device.
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <json/json.h>

#include "app/AppMessages.h"
#include "app/MainWnd.h"
#include "app/MsgWnd.h"
#include "device/TavrinUSBDevice.h"
#include "platform/Platform.h"
#include "ui/UILib.h"
#include "ui/UIScreen.h"

namespace {

// The maker's home page, opened by "net_btn".
constexpr const char* kMakerHomePage = "https://www.tolmi.com/";
constexpr const char* kMacroActionMenuLayout = "XML\\Menus\\macro_action_menu.xml";

constexpr int kFunctionPageLighting = 1;
constexpr int kFunctionPageKeys = 2;
// Function type 0x10 with parameter 1 = 1, parameter 2 = 0: the left button.
constexpr Json::Int kLeftButtonAssignment = 0x10 << 16 | 1 << 8 | 0;

// A profile file as a document; false when it cannot be read or is not an object.
bool ReadProfileDocument(const std::string& path, Json::Value& document) {
    if (path.empty()) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    Json::CharReaderBuilder builder;
    std::string errors;
    return Json::parseFromStream(builder, file, &document, &errors) && document.isObject();
}

// True when key `key` holds the left button and no other key of the profile does.
bool IsOnlyLeftButtonKey(const Json::Value& document, int key) {
    const Json::Value& device = document["Device"];
    if (!device.isArray() || device.empty() || !device[0].isObject()) return false;
    const Json::Value& keys = device[0]["KeyList"];
    if (!keys.isArray()) return false;
    bool selectedHoldsIt = false;
    int holders = 0;
    for (Json::ArrayIndex i = 0; i < keys.size(); ++i) {
        const Json::Value& assignment = keys[i]["Assignment"];
        if (!assignment.isInt() || assignment.asInt() != kLeftButtonAssignment) continue;
        ++holders;
        selectedHoldsIt = selectedHoldsIt || static_cast<int>(i) == key;
    }
    return selectedHoldsIt && holders == 1;
}

// The desktops' own keyboard (page 0) and mouse (page 1) settings, first found first.
struct DesktopSettingsRow {
    std::string_view desktop;  // a name in $XDG_CURRENT_DESKTOP
    std::array<std::string_view, 2> program;
    std::array<std::string_view, 2> argument;  // empty for none
};
constexpr DesktopSettingsRow kDesktopSettings[] = {
    {"GNOME", {"gnome-control-center", "gnome-control-center"}, {"keyboard", "mouse"}},
    {"KDE", {"systemsettings", "systemsettings"}, {"kcm_keyboard", "kcm_mouse"}},
    {"KDE", {"systemsettings5", "systemsettings5"}, {"kcm_keyboard", "kcm_mouse"}},
    {"XFCE", {"xfce4-keyboard-settings", "xfce4-mouse-settings"}, {}},
};

bool IsInPath(std::string_view program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return false;
    std::stringstream folders(path);
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (folder.empty()) continue;
        const std::string file = folder + "/" + std::string(program);
        if (access(file.c_str(), X_OK) == 0) return true;
    }
    return false;
}

bool DesktopIs(std::string_view desktop) {
    const char* current = std::getenv("XDG_CURRENT_DESKTOP");
    if (current == nullptr) return false;
    std::stringstream names(current);
    for (std::string name; std::getline(names, name, ':');)
        if (EqualsNoCase(name, desktop)) return true;
    return false;
}

bool IsSender(const TNotifyUI* notify, const CControlUI* control) {
    return notify != nullptr && control != nullptr && notify->sender == control;
}

}  // namespace

void CMainWnd::Notify(TNotifyUI& msg) {
    const std::string name = msg.sender != nullptr ? msg.sender->GetName() : std::string();
    if (msg.type != "timer") DebugOutput(msg.type + " " + name);
    if (msg.type == "windowinit") {
        OnWindowInit();
    } else if (msg.type == "windowsize") {
        if (name == "root" && m_resolutionChanged) {
            m_resolutionChanged = false;
            FitToScreen();
        }
    } else if (msg.type != "itemactivate" && msg.type != "setfocus") {
        // Those two come through the window's message map instead.
        if (const auto hit = FindRoute(msg.type, name))
            Dispatch(*hit, &msg, nullptr, msg.type, name);
    }
    WindowImplBase::Notify(msg);
}

void CMainWnd::Dispatch(const RouteHit& hit, TNotifyUI* notify, const MenuCmd* menu,
                        std::string_view type, std::string_view name) {
    const PanelRoute route{type, name, hit.number, notify, menu};
    switch (hit.row->route) {
        case Route::Nothing:
            break;
        case Route::OpenHomePage:
            ShellOpen(kMakerHomePage);
            break;
        case Route::CloseToTray:
            CloseToTray();
            break;
        case Route::HideWindow:
            SetShown(false);
            break;
        case Route::ToggleLightControl:
            OnToggleLightControl();
            break;
        case Route::Minimize:
            if (IsSender(notify, m_minBtn)) Minimize();
            break;
        case Route::Maximize:
            if (IsSender(notify, m_maxBtn)) Maximize();
            break;
        case Route::Restore:
            if (IsSender(notify, m_restoreBtn)) Restore();
            break;
        case Route::OpenSkinWindow:
            if (IsSender(notify, m_skinBtn)) {
                const UIRect button = m_skinBtn->GetPos();
                OpenSkinWindow(ClientToScreen({button.right, button.bottom}));
            }
            break;
        case Route::OpenSettings:
            if (IsSender(notify, m_setBtn)) OpenSettingsWindow(false);
            break;
        case Route::KeyClick:
            OnKeyClick(route);
            break;
        case Route::OpenDesktopSettings:
            OpenDesktopSettings(hit.number);
            break;
        case Route::RestoreDefaults:
            OnRestoreDefaults();
            break;
        case Route::SelectPrevious:
            m_selector.SelectPrevious();
            break;
        case Route::SelectNext:
            m_selector.SelectNext();
            break;
        case Route::DeviceSelectChanged:
            m_selector.OnDeviceSelectChanged();
            break;
        case Route::FunctionTab:
            if (CTavrinUSBDevice* device = CurrentDevice()) {
                device->ShowFunctionPage(hit.number);
                RouteToPanel(hit.row->panel, route);
            }
            break;
        case Route::RestartProfileTimer:
            SetWindowTimer(kTimerApplyProfile, 400);
            break;
        case Route::KeyEditLostFocus:
            SendMessage(AppMsg::InstallHook, 0, 0);
            RouteToPanel(hit.row->panel, route);
            break;
        case Route::KeyEditFocused:
            SendMessage(AppMsg::InstallHook, 1, 0);
            break;
        case Route::OpenMacroActionMenu:
            OpenMacroActionMenu();
            break;
        case Route::Exit:
            Close();
            break;
        case Route::OpenAbout:
            OpenAboutWindow();
            break;
        case Route::OpenSettingsCentred:
            OpenSettingsWindow(true);
            break;
        case Route::Panel:
            RouteToPanel(hit.row->panel, route);
            break;
    }
}

void CMainWnd::CloseToTray() {
    CloseChildWindows();
    SetShown(false);  // the tray menu's "exit" ends the program
}

void CMainWnd::OnToggleLightControl() {
    SetLightControl(m_lightControl.load() == 0 ? 1 : 0);
    BroadcastLightControl();
}

// On the key page a click selects the key, except that the only key holding the left
// button stays as it is: a mouse without a left button could not be used to undo it.
void CMainWnd::OnKeyClick(const PanelRoute& route) {
    CTavrinUSBDevice* device = CurrentDevice();
    if (device == nullptr) return;
    const int page = device->GetFunctionPage();
    if (page == kFunctionPageKeys) {
        Json::Value document;
        if (!ReadProfileDocument(device->GetProfilePath(), document)) return;
        if (device->GetKindCode() == kKindMouse && IsOnlyLeftButtonKey(document, route.number)) {
            ShowMessageBox(GetHWND(), {}, "message_text_6", m_windowDpi, true, kMsgConfirmOnly);
            return;
        }
        device->SelectKey(route.number);
    } else if (page == kFunctionPageLighting && device->GetKindCode() == kKindKeyboard) {
        RouteToPanel(PanelKind::DevicePage, route);  // the keyboard paints the custom key
    }
}

void CMainWnd::OnRestoreDefaults() {
    CTavrinUSBDevice* device = CurrentDevice();
    if (device == nullptr) return;
    if (ShowMessageBox(GetHWND(), {}, "message_text_22", m_windowDpi, true, kMsgConfirmCancel) != 1)
        return;
    // The box runs a nested loop: the selection may have changed meanwhile.
    if (device != CurrentDevice()) return;
    device->LoadDefaultProfile();
    device->WriteCurrentKeyTable(0);
    device->WriteStateRecord(0, 0, 1, m_screenWidth, m_screenHeight);
}

void CMainWnd::OpenDesktopSettings(int page) {
    if (page != 0 && page != 1) return;
    const auto index = static_cast<std::size_t>(page);
    for (const DesktopSettingsRow& row : kDesktopSettings) {
        if (!DesktopIs(row.desktop)) continue;
        const std::string_view program = row.program[index];
        if (!IsInPath(program)) continue;
        std::vector<std::string> arguments;
        if (!row.argument[index].empty()) arguments.emplace_back(row.argument[index]);
        StartDetached(std::string(program), arguments);
        return;
    }
}

void CMainWnd::OpenMacroActionMenu() {
    m_macroMenu = std::make_unique<CMenuWnd>();
    // The menu's top-left corner at the cursor.
    m_macroMenu->Init(GetHWND(), kMacroActionMenuLayout, GetCursorPos(),
                      MenuAlign::Right | MenuAlign::Bottom, &GetPaintManager());
}
