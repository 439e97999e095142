// The main window: initialisation, threads, language, screen fit, child windows and the
// flags it pushes into the devices.
#include "app/MainWnd.h"

#include <array>
#include <charconv>
#include <string>

#include "app/AppMessages.h"
#include "app/ControlRegistry.h"
#include "app/LanguageConfig.h"
#include "app/MsgWnd.h"
#include "device/TavrinUSBDevice.h"
#include "platform/Platform.h"
#include "ui/UILib.h"
#include "ui/UIScreen.h"

namespace {

constexpr int kFitWidth = 1000;
constexpr int kFitHeight = 640;
constexpr int kSettingsWidth = 630;
constexpr int kSettingsHeight = 500;
constexpr int kSettingsRightInset = 30;  // scaled pixels left of the main window's right edge
constexpr int kSettingsTopInset = 60;    // scaled pixels below the main window's top
constexpr const char* kFontFace = "Verdana Unicode MS";
constexpr const char* kAppIconFile = "common/app_icon.png";
constexpr const char* kTrayMenuLayout = "menu.xml";

// Languages whose texts need the font table rebuilt with the program's face.
bool NeedsFontRebuild(int index) {
    return index == 0 || index == 2 || index == 15;
}

}  // namespace

int WindowDpiForMonitor(int width, int height) {
    const int dpi = (width > 1500 && height > 960) ? 144 : 96;
    if (!IsSupportedDpi(dpi)) {
        DebugOutput("MAIN_WND DPI SET ERROR");
        return 96;
    }
    return dpi;
}

CMainWnd::CMainWnd() : CMainWnd(MainWndOptions{}) {}

CMainWnd::CMainWnd(MainWndOptions options)
    : m_options(std::move(options)), m_threads(m_options.threadStopWait) {
    AddVirtualWnd("mainpage", &m_mainPage);
    // The window's message map: these two types reach their rows through the pump.
    for (const char* type : {"itemactivate", "setfocus"}) {
        AddNotifyHandler(type, [this](TNotifyUI& msg) {
            const std::string& name = msg.sender->GetName();
            if (const auto hit = FindRoute(msg.type, name))
                Dispatch(*hit, &msg, nullptr, msg.type, name);
        });
    }
}

CMainWnd::~CMainWnd() {
    // Threads first: a thread must never see the window half gone.
    m_threads.StopAll();
    m_systemEvents.StopWatching();
    RemoveVirtualWnd("mainpage");
}

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
    m_gameModeBtn = pm.FindControl("gamemodebtn");
    m_cloudBtn = pm.FindControl("cloudbtn");
    m_smartEyesBtn = pm.FindControl("smarteyesbtn");
    m_setBtn = pm.FindControl("setbtn");
    SetMainWindowHandle(GetHWND());
    SetIcon(kAppIconFile);
    m_tray = std::make_unique<CTrayIcon>();
    m_tray->Create(GetHWND(), kAppIconFile, kProductName);
    m_tray->SetContextMenuLayout(kTrayMenuLayout);
}

void CMainWnd::OnWindowInit() {
    BroadcastLightControl();
    ApplyLanguage(ReadLanguageIndex());
    m_selector.SetHooks({
        .showAndRaise = [this] { ShowAndRaise(); },
        .closeChildWindows = [this] { CloseChildWindows(); },
        .captureRunning = [this] { return !m_selectorEnabled; },
        .endCapture = [this] { EndCapture(); },
        .visibleEntriesChanged = [this](int count) { TellVisibleEntries(count); },
    });
    m_selector.BuildKindPages(GetPaintManager(), *this, GetHWND(), m_profileText);
    m_selector.UpdateNoDeviceNotice();
    const UIRect screen = GetPrimaryScreenRect();
    m_screenWidth = screen.Width();
    m_screenHeight = screen.Height();
    SetShown(true);
    StartThreads();
    SetWindowTimer(kTimerFitToScreen, 100);
    if (m_options.watchSystemEvents) m_systemEvents.Watch(GetHWND());
    m_initialised = true;
}

void CMainWnd::StartThreads() {
    m_threads.Start(kDiscoverySlot, m_selector.DiscoveryThreadBody(m_options.discovery));
    m_threads.Start(kUpdateSlot, UpdateThreadBody(GetHWND(), m_options.updateService));
    m_threads.Start(kSyncLightSlot, MakeSyncLightThreadBody());
}

void CMainWnd::StopThreads() {
    ShowWindow(false);
    m_threads.StopAll();
}

std::unique_ptr<CControlUI> CMainWnd::CreateControl(std::string_view tag) {
    return CreateControlForTag(tag, GetPaintManager());
}

void CMainWnd::OnDestroy() {
    if (m_tray) m_tray->Remove();
    m_trayMenu.reset();
    m_macroMenu.reset();
    m_systemEvents.StopWatching();
}

CTavrinUSBDevice* CMainWnd::CurrentDevice() const {
    return m_selector.CurrentDevice();
}

void CMainWnd::ShowAndRaise() {
    m_selector.UpdateNoDeviceNotice();
    SetShown(true);
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

// ---- Language ----

int CMainWnd::ReadLanguageIndex() const {
    const std::string stored = CSettingsStore().ReadValue("LANGUAGE");
    int id = 0;
    const auto [end, error] = std::from_chars(stored.data(), stored.data() + stored.size(), id);
    if (stored.empty() || error != std::errc{} || end != stored.data() + stored.size()) return 0;
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
    if (m_settingsWnd != kNoWindow) ::SendMessage(m_settingsWnd, AppMsg::LanguageChanged, 0, 0);
    GetPaintManager().NeedUpdate();
}

// ---- Child windows ----

void CMainWnd::OpenSettingsWindow(bool centred) {
    if (m_settingsWnd != kNoWindow) return;
    SettingsWindowContext context{m_windowDpi, GetHWND(), m_languageIndex, {}};
    for (const UpdateListEntry& entry : m_updateList)
        if (entry.version != 0) context.updates.push_back(entry);
    std::unique_ptr<WindowImplBase> window = MakeSettingsWindow(context);
    if (!window || !window->Create(GetHWND(), "SetWnd", UIStyle::Popup | UIStyle::Visible,
                                   UIStyle::ExToolWindow, 0, 0, kSettingsWidth, kSettingsHeight))
        return;
    if (centred) {
        window->CenterWindow();
    } else {
        const UIRect main = GetWindowRect();
        const UIRect own = window->GetWindowRect();
        const CPaintManagerUI& pm = GetPaintManager();
        window->MoveWindow(main.right - pm.ScaleValue(kSettingsRightInset) - own.Width(),
                           main.top + pm.ScaleValue(kSettingsTopInset));
    }
    m_settingsWnd = window->GetHWND();
    window->ShowModal();
    m_settingsWnd = kNoWindow;
}

void CMainWnd::OpenAboutWindow() {
    if (m_aboutWnd != kNoWindow) return;
    std::unique_ptr<WindowImplBase> window = MakeAboutWindow();
    if (!window ||
        !window->Create(GetHWND(), "", UIStyle::Popup | UIStyle::Visible, UIStyle::ExToolWindow))
        return;
    m_aboutWnd = window->GetHWND();
    window->CenterWindow();
    window->ShowModal();
    m_aboutWnd = kNoWindow;
}

void CMainWnd::CloseChildWindows() {
    if (m_settingsWnd != kNoWindow) ::SendMessage(m_settingsWnd, Msg::Close, 0, 0);
    if (m_aboutWnd != kNoWindow) ::SendMessage(m_aboutWnd, Msg::Close, 0, 0);
}

// ---- Flags pushed into the devices ----

void CMainWnd::SetLightControl(int state) {
    m_lightControl = state;
    if (CControlUI* status = GetPaintManager().FindControl("control_light_status"))
        status->SetText(state != 0 ? kTextLightControlOn : kTextLightControlOff);
    PushLightControl();
}

void CMainWnd::BroadcastLightControl() {
    CMessageBus::Broadcast(kLightAnnounceMessageName, 1, m_lightControl.load());
}

void CMainWnd::PushLightControl() {
    for (int kind : kLightFollowingKinds)
        for (CTavrinUSBDevice* device : m_selector.DevicesOfKind(kind))
            device->SetLightControl(m_lightControl.load());
}

void CMainWnd::PushWindowActive() {
    for (int kind : kLightFollowingKinds)
        for (CTavrinUSBDevice* device : m_selector.DevicesOfKind(kind))
            device->SetWindowActive(m_windowActive.load());
}

void CMainWnd::SetSelectorEnabled(bool apply, bool enabled) {
    if (apply) {
        if (CControlUI* row = GetPaintManager().FindControl("device_select_layout"))
            row->SetEnabled(enabled);
        if (CControlUI* panel = FindPanelControl(PanelKind::Profile)) panel->SetEnabled(enabled);
    }
    RouteToPanel(PanelKind::Macro, {kRecordingRouteType, {}, enabled ? 0 : 1});
    m_selectorEnabled = enabled;
}

void CMainWnd::OnSkinChanged(UIColor colour, std::string_view image) {
    CControlUI* root = GetPaintManager().FindControl("root");
    if (root == nullptr) return;
    root->SetBkColor(colour);
    root->SetBkImage(colour != 0 ? std::string_view{} : image);
}

// ---- Panels of the current device ----

namespace {

// The page itself first, then its controls depth-first.
CControlUI* FindDevicePanel(CTavrinUSBDevice* device, PanelKind kind) {
    if (device == nullptr) return nullptr;
    return device->FindControl([kind](CControlUI* control) {
        const auto* panel = dynamic_cast<const IRoutedPanel*>(control);
        return panel != nullptr && panel->ServesPanel(kind);
    });
}

bool RouteToDevicePanel(CTavrinUSBDevice* device, PanelKind kind, const PanelRoute& route) {
    auto* panel = dynamic_cast<IRoutedPanel*>(FindDevicePanel(device, kind));
    if (panel == nullptr) return false;
    panel->OnPanelRoute(kind, route);
    return true;
}

}  // namespace

CControlUI* CMainWnd::FindPanelControl(PanelKind kind) const {
    return FindDevicePanel(CurrentDevice(), kind);
}

bool CMainWnd::RouteToPanel(PanelKind kind, const PanelRoute& route) {
    return RouteToDevicePanel(CurrentDevice(), kind, route);
}

// Synchronised lighting is offered only while more than one device is shown.
void CMainWnd::TellVisibleEntries(int count) {
    for (CTavrinUSBDevice* device : m_selector.AllDevices())
        RouteToDevicePanel(device, PanelKind::Lighting, {kVisibleEntriesRouteType, {}, count});
}
