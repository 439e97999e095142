#include "app/MainWnd.h"

#include <array>
#include <cstdio>
#include <string>

#include "app/AppMessages.h"
#include "app/ControlRegistry.h"
#include "app/LanguageConfig.h"
#include "platform/Platform.h"
#include "ui/UILib.h"
#include "ui/UIScreen.h"

namespace {

constexpr std::uint32_t kTimerFitToScreen = 1011;
constexpr std::uint32_t kTimerTrayMenu = 1032;
constexpr std::uint32_t kTimerApplyProfile = 1055;
constexpr int kFitWidth = 1000;
constexpr int kFitHeight = 640;
constexpr WPARAM kPowerSuspend = 4;
constexpr WPARAM kPowerResumeAutomatic = 0x12;
constexpr const char* kFontFace = "Verdana Unicode MS";
constexpr const char* kTextLightControlOn = "控制灯光";
constexpr const char* kTextLightControlOff = "不控制灯光";
constexpr const char* kTrayIconFile = "common/app_icon.png";
// The maker's home page, opened by the "net_btn" control.
constexpr const char* kMakerHomePage = "https://www.tolmi.com/";

bool IsKnownDpi(int dpi) {
    for (int known : {48, 72, 96, 120, 144, 168, 192})
        if (dpi == known) return true;
    return false;
}

// Languages whose texts need the font table rebuilt with the program's face.
bool NeedsFontRebuild(int index) {
    return index == 0 || index == 2 || index == 15;
}

}  // namespace

int WindowDpiForMonitor(int width, int height) {
    const int dpi = (width > 1500 && height > 960) ? 144 : 96;
    if (!IsKnownDpi(dpi)) {
        DebugOutput("MAIN_WND DPI SET ERROR");
        return 96;
    }
    return dpi;
}

CMainWnd::CMainWnd() = default;
CMainWnd::~CMainWnd() = default;

void CMainWnd::InitWindow() {
    DebugOutput("InitWindow");
    CResourceManager::Instance().SetTextQueryInterface(this);
    CResourceManager::Instance().LoadLanguage("lan_cn.xml");
    CPaintManagerUI& pm = GetPaintManager();
    m_closeBtn = pm.FindControl("closebtn");
    m_maxBtn = pm.FindControl("maxbtn");
    m_restoreBtn = pm.FindControl("restorebtn");
    m_minBtn = pm.FindControl("minbtn");
    m_skinBtn = pm.FindControl("skinbtn");
    m_setBtn = pm.FindControl("setbtn");
    SetMainWindowHandle(GetHWND());
    SetIcon(kTrayIconFile);
    m_tray = std::make_unique<CTrayIcon>();
    m_tray->Create(GetHWND(), kTrayIconFile, kProductName);
}

void CMainWnd::OnWindowInit() {
    CMessageBus::Broadcast(kLightAnnounceMessageName, 1, 1);
    ApplyLanguage(ReadLanguageIndex());
    const UIRect screen = GetPrimaryScreenRect();
    m_screenWidth = screen.Width();
    m_screenHeight = screen.Height();
    UpdateNoDeviceNotice();
    ShowWindow(true);
    SetWindowTimer(kTimerFitToScreen, 100);
    m_initialised = true;
}

void CMainWnd::Notify(TNotifyUI& msg) {
    if (msg.type != "timer")
        DebugOutput(msg.type + " " + (msg.sender != nullptr ? msg.sender->GetName() : ""));
    if (msg.type == "windowinit") {
        OnWindowInit();
    } else if (msg.type == "windowsize") {
        // A display change is finished by the root's next size notification.
    }
    WindowImplBase::Notify(msg);
}

void CMainWnd::OnClick(TNotifyUI& msg) {
    const std::string& name = msg.sender->GetName();
    if (msg.sender == m_closeBtn) {
        ShowWindow(false);  // stays in the tray; the tray menu's "exit" ends the program
        return;
    }
    if (name == "nodevice_ok_btn") {
        ShowWindow(false);
    } else if (name == "control_light_status") {
        SetLightControl(m_lightControl == 0 ? 1 : 0);
        CMessageBus::Broadcast(kLightAnnounceMessageName, 1, m_lightControl);
    } else if (name == "net_btn") {
        ShellOpen(kMakerHomePage);
    } else if (msg.sender == m_minBtn || msg.sender == m_maxBtn || msg.sender == m_restoreBtn) {
        WindowImplBase::OnClick(msg);
    }
}

LRESULT CMainWnd::HandleCustomMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                                      bool& handled) {
    if (HandleRegisteredMessage(msg, wParam, lParam)) {
        handled = true;
        return 0;
    }
    if (msg == Msg::Destroy) {
        DebugOutput("退出测试");
        PostQuitMessage(0);
        handled = true;
        return 0;
    }
    if (msg == Msg::PowerBroadcast) {
        if (wParam == kPowerResumeAutomatic) m_suspended = false;
        if (wParam == kPowerSuspend) m_suspended = true;
        return 0;
    }
    if (m_suspended) return 0;
    switch (msg) {
        case Msg::DisplayChange:
            DebugOutput("显示器分辨率发生变化");
            FitToScreen();
            break;
        case Msg::Timer:
            OnTimer(wParam);
            break;
        case AppMsg::TrayIcon:
            OnTrayMessage(lParam);
            break;
        case AppMsg::MenuCommand:
            OnMenuCommand(wParam);
            break;
        default:
            return 0;
    }
    handled = true;
    return 0;
}

bool CMainWnd::HandleRegisteredMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam) {
    const RegisteredMessages& registered = AppMessages();
    if (msg == registered.instance) {
        char line[96];
        std::snprintf(line, sizeof line, "软件标示 %u，%xd%xd", msg, static_cast<unsigned>(wParam),
                      static_cast<unsigned>(lParam));
        DebugOutput(line);
        ShowAndRaise();
        return true;
    }
    if (msg == registered.lightRequest) {
        if (wParam == 1 && (lParam == 0 || lParam == 1)) SetLightControl(static_cast<int>(lParam));
        return true;
    }
    return msg == registered.updateStatus;  // forwarded to the settings window when open
}

std::unique_ptr<CControlUI> CMainWnd::CreateControl(std::string_view tag) {
    return CreateControlForTag(tag, GetPaintManager());
}

void CMainWnd::OnDestroy() {
    if (m_tray) m_tray->Remove();
    m_trayMenu.reset();
}

void CMainWnd::OnTimer(WPARAM id) {
    KillWindowTimer(static_cast<std::uint32_t>(id));
    if (id == kTimerFitToScreen) {
        FitToScreen();
        GetPaintManager().Invalidate();
        m_fitted = true;
    } else if (id == kTimerTrayMenu) {
        OpenTrayMenu();
    } else if (id == kTimerApplyProfile) {
        // Applying the selected profile comes with the profile panel.
    }
}

void CMainWnd::OnTrayMessage(LPARAM mouseMessage) {
    if (mouseMessage == kTrayLeftButtonUp) {
        UpdateNoDeviceNotice();
        if (IsVisible() && !IsMinimized()) {
            ShowWindow(false);
            return;
        }
        ShowWindow(true);
        FitToScreen();
        Restore();
        BringToFront();
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
    m_trayMenu->Init(GetHWND(), "menu.xml", point, align, &GetPaintManager());
}

void CMainWnd::OnMenuCommand(WPARAM ticket) {
    const std::unique_ptr<MenuCmd> cmd = TakeMenuCmd(ticket);
    if (!cmd) return;
    if (cmd->name == "exit") Close();
}

void CMainWnd::SetLightControl(int state) {
    m_lightControl = state;
    if (CControlUI* status = GetPaintManager().FindControl("control_light_status"))
        status->SetText(state != 0 ? kTextLightControlOn : kTextLightControlOff);
}

void CMainWnd::UpdateNoDeviceNotice() {
    CPaintManagerUI& pm = GetPaintManager();
    CControlUI* notice = pm.FindControl("No_device_Link");
    if (notice == nullptr) return;
    bool anyVisible = false;
    if (auto* entries = dynamic_cast<CContainerUI*>(pm.FindControl("device_select_layout")))
        for (int i = 0; i < entries->GetCount(); ++i)
            anyVisible = anyVisible || entries->GetItemAt(i)->IsVisible();
    notice->SetVisible(!anyVisible);
}

void CMainWnd::ShowAndRaise() {
    UpdateNoDeviceNotice();
    ShowWindow(true);
    Restore();
    BringToFront();
}

void CMainWnd::FitToScreen() {
    const bool visible = IsVisible() && !IsMinimized();
    if (!visible) Restore();
    const UIRect window = GetWindowRect();
    const UIRect monitor =
        GetScreenRectAt({(window.left + window.right) / 2, (window.top + window.bottom) / 2});
    m_windowDpi = WindowDpiForMonitor(monitor.Width(), monitor.Height());
    CPaintManagerUI::SetAllDPI(96);
    ResizeClient(kFitWidth, kFitHeight);
    CPaintManagerUI::SetAllDPI(m_windowDpi);
    CenterWindow();
    ShowWindow(visible);
}

int CMainWnd::ReadLanguageIndex() const {
    const std::string stored = CSettingsStore().ReadValue("LANGUAGE");
    int id = 0;
    try {
        id = stored.empty() ? 0 : std::stoi(stored);
    } catch (...) {
        return 0;
    }
    const std::vector<LanguageEntry> list = ReadLanguageList(LanguageConfigPath());
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].id == id) return static_cast<int>(i);
    return 0;
}

void CMainWnd::WriteLanguageIndex(int id) {
    if (CSettingsStore().WriteValue("LANGUAGE", std::to_string(id))) DebugOutput("写成功！");
}

void CMainWnd::RebuildFonts() {
    struct FontRow {
        int id;
        int size;
        bool bold;
        bool underline;
    };
    static constexpr std::array<FontRow, 13> kFonts = {{{0, 15, false, false},
                                                        {1, 14, false, true},
                                                        {2, 18, false, false},
                                                        {3, 30, false, false},
                                                        {4, 16, false, false},
                                                        {5, 20, false, false},
                                                        {6, 22, false, false},
                                                        {7, 14, false, false},
                                                        {8, 12, false, false},
                                                        {9, 11, false, false},
                                                        {10, 10, false, false},
                                                        {11, 28, false, false},
                                                        {50, 18, true, false}}};
    CPaintManagerUI& pm = GetPaintManager();
    pm.RemoveAllFonts();
    for (const FontRow& f : kFonts)
        pm.AddFont(f.id, kFontFace, f.size, f.bold, f.underline, false, true);
    pm.SetDefaultFont(kFontFace, 15, false, false, false, true);
}

void CMainWnd::ApplyLanguage(int index) {
    if (index == m_languageIndex) return;
    if (NeedsFontRebuild(index) || NeedsFontRebuild(m_languageIndex) || m_languageIndex == -1)
        RebuildFonts();
    m_languageIndex = index;
    const std::vector<LanguageEntry> list = ReadLanguageList(LanguageConfigPath());
    if (index >= 0 && index < static_cast<int>(list.size())) {
        const LanguageEntry& entry = list[static_cast<std::size_t>(index)];
        CResourceManager& resources = CResourceManager::Instance();
        resources.SetLanguage(entry.name);
        resources.LoadLanguage(entry.file);
        resources.ReloadText();
        WriteLanguageIndex(entry.id);
    }
    GetPaintManager().Invalidate();
    GetPaintManager().NeedUpdate();
}
