#pragma once
// The program's main window: hosts the device selector and device pages, the tray
// icon and the title-bar buttons; routes every notification of its layout by control
// name, handles the messages of its worker threads and of other processes, applies
// language and screen fit, and owns and stops the worker threads.
//
// Implemented in MainWnd.cpp (initialisation, language, screen fit, child windows),
// MainWndNotify.cpp (notification routing and the window's own actions),
// MainWndMessages.cpp (window messages, timers, tray and menus) and MainWndThreads.cpp.
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/DeviceSelector.h"
#include "panels/PanelRoute.h"
#include "app/MainWndRouting.h"
#include "app/MainWndThreads.h"
#include "device/tables/DeviceTables.h"
#include "platform/PowerEvents.h"
#include "ui/UIWindow.h"

class CMenuWnd;
class CTrayIcon;
class CTavrinUSBDevice;
struct MenuCmd;

// The device kinds that follow the light-control and window-active flags: mousepads,
// mice and keyboards. Headsets keep their own.
inline constexpr std::uint16_t kLightFollowingKinds[] = {kKindMousePad, kKindMouse, kKindKeyboard};

// Window DPI for a monitor of the given size: large monitors get 144, others 96.
int WindowDpiForMonitor(int width, int height);

// Timers of the main window.
inline constexpr std::uint32_t kTimerFitToScreen = 1011;
inline constexpr std::uint32_t kTimerTrayMenu = 1032;
inline constexpr std::uint32_t kTimerApplyProfile = 1055;

// Texts of "control_light_status" for light control on and off.
inline constexpr const char* kTextLightControlOn = "控制灯光";
inline constexpr const char* kTextLightControlOff = "不控制灯光";

// What the settings window is given when it opens.
struct SettingsWindowContext {
    int dpi = 96;
    WindowHandle mainWindow = kNoWindow;
    int languageIndex = 0;
    std::vector<UpdateListEntry> updates;  // entries whose version is not 0
};

// What tests and measurements may change about the window's threads.
struct MainWndOptions {
    DiscoveryOptions discovery;
    std::shared_ptr<IUpdateService> updateService = std::make_shared<CNoUpdateService>();
    std::chrono::milliseconds threadStopWait{1000};
    bool watchSystemEvents = true;  // sleep, wake and screen changes from the desktop
};

// The notification pump registered as "mainpage"; it adds no handlers of its own.
class CMainPage : public CNotifyPump {};

class CMainWnd : public WindowImplBase {
public:
    CMainWnd();
    explicit CMainWnd(MainWndOptions options);
    ~CMainWnd() override;

    std::string GetWindowClassName() const override { return "MainWnd"; }
    std::string GetSkinFile() override { return "XML_MAIN"; }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    // Clicks are routed by Notify; the base's own click handling is not used.
    void OnClick(TNotifyUI&) override {}
    LRESULT HandleCustomMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                                bool& handled) override;
    std::unique_ptr<CControlUI> CreateControl(std::string_view tag) override;
    // The language files hold every text.
    std::string QueryControlText(std::string_view, std::string_view) override { return {}; }
    void OnDestroy() override;

    // ---- Operations ----
    void ApplyLanguage(int index);
    int ReadLanguageIndex() const;
    void WriteLanguageIndex(int id);
    void FitToScreen();
    void ShowAndRaise();
    void OpenSettingsWindow(bool centred);
    void OpenAboutWindow();
    void CloseChildWindows();
    void PushLightControl();
    void PushWindowActive();
    // `apply`: enable or disable the selector row and the current profile panel by
    // `enabled`. The macro editor always learns whether a recording runs (!enabled).
    void SetSelectorEnabled(bool apply, bool enabled);
    void StopThreads();
    // The skin window picked a background: a colour (non-zero) or an image.
    void OnSkinChanged(UIColor colour, std::string_view image);
    // Sends a routed notification to the panel of the current device; false when the
    // device has no such panel.
    bool RouteToPanel(PanelKind kind, const PanelRoute& route);

    // ---- State ----
    int GetLanguageIndex() const { return m_languageIndex; }
    int GetWindowDpi() const { return m_windowDpi; }
    int GetLightControl() const { return m_lightControl.load(); }
    int GetWindowActive() const { return m_windowActive.load(); }
    bool IsInitialised() const { return m_initialised; }
    bool IsSuspended() const { return m_suspended; }
    bool IsSelectorEnabled() const { return m_selectorEnabled; }
    // True once the first screen fit after initialisation has run.
    bool HasFitted() const { return m_fitted; }
    CDeviceSelector& Selector() { return m_selector; }
    // The device of the selected entry; null when none.
    CTavrinUSBDevice* CurrentDevice() const;
    WindowHandle SettingsWindow() const { return m_settingsWnd; }

protected:
    // The settings, about and skin windows, made elsewhere. The defaults make none, so their
    // actions do nothing yet. The main window creates, places and shows a made window
    // modally and owns it: it must not delete itself.
    virtual std::unique_ptr<WindowImplBase> MakeSettingsWindow(const SettingsWindowContext&) {
        return nullptr;
    }
    virtual std::unique_ptr<WindowImplBase> MakeAboutWindow() { return nullptr; }
    virtual void OpenSkinWindow(UIPoint /*anchor*/) {}
    // Installs (or removes) the global input hook for key capture.
    virtual void InstallInputHook(bool /*install*/) {}
    // The update list with the versions of the attached devices; UI thread.
    virtual std::vector<UpdateListEntry> FillUpdateList() { return {}; }
    // The body of the synchronised lighting effect's thread (slot 8); none yet.
    virtual CWorkerThread::Body MakeSyncLightThreadBody() { return {}; }

private:
    // Initialisation (MainWnd.cpp)
    void OnWindowInit();
    void StartThreads();
    void RebuildFonts();
    void SetLightControl(int state);
    void BroadcastLightControl();
    CControlUI* FindPanelControl(PanelKind kind) const;
    void TellVisibleEntries(int count);

    // Notification routing (MainWndNotify.cpp)
    void Dispatch(const RouteHit& hit, TNotifyUI* notify, const MenuCmd* menu,
                  std::string_view type, std::string_view name);
    void OnKeyClick(const PanelRoute& route);
    void OnRestoreDefaults();
    void OnToggleLightControl();
    void OpenDesktopSettings(int page);
    void OpenMacroActionMenu();
    void CloseToTray();

    // Messages (MainWndMessages.cpp)
    bool HandleWindowStateMessage(std::uint32_t msg, WPARAM wParam);
    void SetShown(bool shown);
    bool HandleRegisteredMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam);
    void OnPowerBroadcast(WPARAM event);
    bool HandlePrivateMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam);
    void OnTimer(WPARAM id);
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void OnTrayMessage(LPARAM mouseMessage);
    void OnMenuCommand(WPARAM ticket);
    void OnLanguageChanged(int index);
    void OpenTrayMenu();
    void SetUpdateBadge(bool newVersion);
    void EndCapture();

    MainWndOptions m_options;
    CDeviceSelector m_selector;
    CMainPage m_mainPage;
    CThreadSlots m_threads;
    CSystemEvents m_systemEvents;
    std::unique_ptr<CTrayIcon> m_tray;
    std::unique_ptr<CMenuWnd> m_trayMenu;
    std::unique_ptr<CMenuWnd> m_macroMenu;
    CControlUI* m_closeBtn = nullptr;
    CControlUI* m_maxBtn = nullptr;
    CControlUI* m_restoreBtn = nullptr;
    CControlUI* m_minBtn = nullptr;
    CControlUI* m_skinBtn = nullptr;
    CControlUI* m_gameModeBtn = nullptr;
    CControlUI* m_cloudBtn = nullptr;
    CControlUI* m_smartEyesBtn = nullptr;
    CControlUI* m_setBtn = nullptr;
    WindowHandle m_settingsWnd = kNoWindow;
    WindowHandle m_aboutWnd = kNoWindow;
    std::vector<UpdateListEntry> m_updateList;
    std::string m_profileText;
    // Read by worker threads through the devices' own copies; kept atomic here too so
    // that any reader is well defined.
    std::atomic<int> m_lightControl{1};
    std::atomic<int> m_windowActive{0};
    int m_activated = 0;
    int m_languageIndex = -1;
    int m_windowDpi = 96;
    int m_screenWidth = 0;
    int m_screenHeight = 0;
    bool m_resolutionChanged = false;
    bool m_suspended = false;
    bool m_initialised = false;
    bool m_fitted = false;
    bool m_selectorEnabled = true;
};
