// The main window's window messages: activation, other processes, power, screens,
// timers, the tray icon, menus and the private messages of its threads and windows.
#include <cstdio>
#include <vector>

#include "app/AppMessages.h"
#include "app/MainWnd.h"
#include "device/TavrinUSBDevice.h"
#include "platform/Platform.h"
#include "ui/UILib.h"
#include "ui/UIScreen.h"

namespace {

constexpr const char* kTrayMenuLayout = "menu.xml";
constexpr const char* kNewVersionBadge = "file='sysbtn/haveNewInfo.png'";

std::uint32_t LowWord(WPARAM value) {
    return static_cast<std::uint32_t>(value & 0xFFFF);
}

}  // namespace

LRESULT CMainWnd::HandleCustomMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                                      bool& handled) {
    if (HandleWindowStateMessage(msg, wParam)) return 0;
    if (HandleRegisteredMessage(msg, wParam, lParam)) {
        handled = true;
        return 0;
    }
    if (msg == Msg::Destroy) {
        DebugOutput("退出测试");
        StopThreads();
        PostQuitMessage(0);
        handled = true;
        return 0;
    }
    if (msg == Msg::PowerBroadcast) {
        OnPowerBroadcast(wParam);
        return 0;
    }
    // Asleep, the window acts on nothing below; what discovery reported meanwhile is
    // caught up with on waking.
    if (m_suspended) return 0;
    switch (msg) {
        case Msg::DisplayChange:
            DebugOutput("显示器分辨率发生变化");
            m_resolutionChanged = true;
            FitToScreen();
            break;
        case Msg::Timer:
            OnTimer(wParam);
            break;
        case Msg::DpiChanged:
            OnDpiChanged(wParam, lParam);
            break;
        default:
            if (!HandlePrivateMessage(msg, wParam, lParam)) return 0;
    }
    handled = true;
    return 0;
}

// Activation and hover decide whether the devices' previews are worth drawing.
bool CMainWnd::HandleWindowStateMessage(std::uint32_t msg, WPARAM wParam) {
    if (msg == Msg::Activate) {
        m_activated = LowWord(wParam) != 0 ? 1 : 0;
        m_windowActive = m_activated;
    } else if (msg == Msg::MouseLeave) {
        DebugOutput("鼠标移出");
        if (m_activated != 0) return true;
        m_windowActive = 0;
    } else if (msg == Msg::MouseHover) {
        DebugOutput("鼠标移入");
        if (m_activated != 0) return true;
        m_windowActive = 1;
    } else {
        return false;
    }
    PushWindowActive();
    return true;
}

// A hidden window is never the active one; shown, it is the one the user looks at. The
// devices draw their previews only then.
void CMainWnd::SetShown(bool shown) {
    ShowWindow(shown);
    HandleWindowStateMessage(Msg::Activate, shown ? 1 : 0);
}

bool CMainWnd::HandleRegisteredMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam) {
    const RegisteredMessages& registered = AppMessages();
    if (msg == 0) return false;
    if (msg == registered.instance) {
        char line[96];
        std::snprintf(line, sizeof line, "软件标示 %u，%xd%xd", msg, static_cast<unsigned>(wParam),
                      static_cast<unsigned>(lParam));
        DebugOutput(line);
        ShowAndRaise();
        return true;
    }
    if (msg == registered.updateStatus) {
        if (m_settingsWnd != kNoWindow) ::PostMessage(m_settingsWnd, msg, wParam, lParam);
        return true;
    }
    if (msg == registered.lightRequest) {
        if (wParam != 1) return true;
        if (lParam == 0 || lParam == 1)
            SetLightControl(static_cast<int>(lParam));
        else
            PushLightControl();
        return true;
    }
    return false;
}

void CMainWnd::OnPowerBroadcast(WPARAM event) {
    if (event == kPowerResumeAutomatic) {
        m_suspended = false;
        PushLightControl();
        m_selector.Reconcile();
    } else if (event == kPowerSuspend) {
        m_suspended = true;
        // The devices stop following the lighting; the state itself is kept.
        for (const int kind : kLightFollowingKinds)
            for (CTavrinUSBDevice* device : m_selector.DevicesOfKind(kind))
                device->SetLightControl(0);
    }
}

bool CMainWnd::HandlePrivateMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case AppMsg::TrayIcon:
            OnTrayMessage(lParam);
            return true;
        case AppMsg::InstallHook:
            InstallInputHook(wParam != 0);
            return true;
        case AppMsg::MenuCommand:
            OnMenuCommand(wParam);
            return true;
        case AppMsg::LanguageChanged:
            OnLanguageChanged(static_cast<int>(wParam));
            return true;
        case AppMsg::DeviceArrived:
            m_selector.AttachSlot(static_cast<int>(wParam));
            return true;
        case AppMsg::DeviceLeft:
            m_selector.DetachSlot(static_cast<int>(wParam));
            return true;
        case AppMsg::OpenSettings:
            OpenSettingsWindow(true);
            return true;
        case AppMsg::ClearUpdateBadge:
            SetUpdateBadge(false);
            return true;
        case UpdateMsg::Badge:
            SetUpdateBadge(wParam != 0);
            return true;
        case UpdateMsg::FillList:
            m_updateList = FillUpdateList();
            if (auto* list = reinterpret_cast<std::vector<UpdateListEntry>*>(lParam))
                *list = m_updateList;
            return true;
        default:
            return false;
    }
}

void CMainWnd::OnTimer(WPARAM id) {
    switch (id) {
        case kTimerFitToScreen:
            KillWindowTimer(kTimerFitToScreen);
            FitToScreen();
            GetPaintManager().Invalidate();
            m_fitted = true;
            break;
        case kTimerTrayMenu:
            KillWindowTimer(kTimerTrayMenu);
            OpenTrayMenu();
            break;
        case kTimerApplyProfile:
            KillWindowTimer(kTimerApplyProfile);
            RouteToPanel(PanelKind::Profile,
                         {kProfileTimerRouteType, "device_profile_combo", kTimerApplyProfile});
            break;
        default:
            break;
    }
}

void CMainWnd::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    CPaintManagerUI& pm = GetPaintManager();
    pm.SetDPI(static_cast<int>(LowWord(wParam)));
    pm.ResetDPIAssets();
    // lParam points to the suggested window rectangle, as the sender keeps it.
    if (const auto* suggested = reinterpret_cast<const UIRect*>(lParam)) {
        MoveWindow(suggested->left, suggested->top);
        ResizeClient(suggested->Width(), suggested->Height());
    }
    CenterWindow();
    if (CControlUI* root = pm.GetRoot()) root->NeedUpdate();
    DebugOutput("界面 DPI 发生变化");
}

void CMainWnd::OnLanguageChanged(int index) {
    ApplyLanguage(index);
    for (const int kind : {kKindMouse, kKindKeyboard})
        for (CTavrinUSBDevice* device : m_selector.DevicesOfKind(kind)) device->RefreshPanels();
}

void CMainWnd::SetUpdateBadge(bool newVersion) {
    if (m_setBtn != nullptr) m_setBtn->SetForeImage(newVersion ? kNewVersionBadge : "");
}

void CMainWnd::OnTrayMessage(LPARAM mouseMessage) {
    if (mouseMessage == kTrayLeftButtonUp) {
        m_selector.UpdateNoDeviceNotice();
        CloseChildWindows();
        if (IsVisible() && !IsMinimized()) {
            SetShown(false);
            return;
        }
        SetShown(true);
        FitToScreen();
        Restore();
        BringToFront();
        GetPaintManager().Invalidate();
        GetPaintManager().NeedUpdate();
    } else if (mouseMessage == kTrayRightButtonUp) {
        SetWindowTimer(kTimerTrayMenu, 10);
    }
}

// The menu opens beside the panel that holds the tray, whichever edge it is on.
void CMainWnd::OpenTrayMenu() {
    UIPoint point = GetCursorPos();
    const UIRect screen = GetScreenRectAt(point);
    const UIRect work = GetWorkAreaAt(point);
    int align = MenuAlign::Left | MenuAlign::Top;
    if (work.top > screen.top) {
        point.y = work.top + 1;
        align = MenuAlign::Top | MenuAlign::Right;
    } else if (work.left > screen.left) {
        point.x = work.left + 1;
        align = MenuAlign::Left | MenuAlign::Bottom;
    } else if (work.bottom < screen.bottom) {
        point.y = work.bottom - 20;
        align = MenuAlign::Right | MenuAlign::Bottom;
    } else if (work.right < screen.right) {
        point.x = work.right - 1;
        align = MenuAlign::Right | MenuAlign::Bottom;
    }
    m_trayMenu = std::make_unique<CMenuWnd>();
    m_trayMenu->Init(GetHWND(), kTrayMenuLayout, point, align, &GetPaintManager());
}

void CMainWnd::OnMenuCommand(WPARAM ticket) {
    const std::unique_ptr<MenuCmd> cmd = TakeMenuCmd(ticket);
    if (!cmd) return;
    if (const auto hit = FindRoute(kMenuCommandType, cmd->name))
        Dispatch(*hit, nullptr, cmd.get(), kMenuCommandType, cmd->name);
}

// A recording or key capture ends when the device it belongs to goes away.
void CMainWnd::EndCapture() {
    SendMessage(AppMsg::InstallHook, 0, 0);
    RouteToPanel(PanelKind::Macro, {"click", "macro_btn_stopredio", -1});
    SetSelectorEnabled(true, true);
}
