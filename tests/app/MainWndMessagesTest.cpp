// The main window with the shipped skin and the mouse simulator on a temporary bus:
// messages, routing to the selected device's panels, sleep and wake, the update badge
// and the end of the program.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>

#include "AppTestSupport.h"
#include "app/AppMessages.h"
#include "app/MainWnd.h"
#include "device/TavrinMouseDevice.h"
#include "device/TavrinUSBDevice.h"
#include "device/hid/HidBackend.h"
#include "sim/MouseSim.h"
#include "ui/UILib.h"

namespace {

constexpr int kMouseCommandSlot = 2;
constexpr int kMouseNotificationSlot = 3;
const std::string kEnded = ThreadWaitText(ThreadWaitResult::Ended);
const std::string kTimedOut = ThreadWaitText(ThreadWaitResult::TimedOut);

// Sets an environment variable for the life of the object.
class CScopedEnv {
public:
    CScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~CScopedEnv() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class CTestMainWnd : public CMainWnd {
public:
    using CMainWnd::CMainWnd;
    std::unique_ptr<WindowImplBase> MakeSettingsWindow(const SettingsWindowContext& c) override {
        settingsAsked.push_back(c);
        return nullptr;
    }
    std::vector<UpdateListEntry> FillUpdateList() override { return updateList; }
    void InstallInputHook(bool install) override { hookCalls.push_back(install); }

    std::vector<SettingsWindowContext> settingsAsked;
    std::vector<UpdateListEntry> updateList;
    std::vector<bool> hookCalls;
};

// A panel of every kind: records what the window routes to it.
class CRecordingPanel : public CControlUI, public IRoutedPanel {
public:
    struct Note {
        PanelKind kind;
        std::string type;
        std::string name;
        int number;
    };
    bool ServesPanel(PanelKind) const override { return true; }
    void OnPanelRoute(PanelKind kind, const PanelRoute& route) override {
        notes.push_back({kind, std::string(route.type), std::string(route.name), route.number});
    }
    std::vector<Note> notes;
};

class CNewerVersion : public IUpdateService {
public:
    UpdateAnswer Ask(const UpdateListEntry&, const CManualResetEvent&) override {
        return {"V0108", 0};
    }
};

class MainWndMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisteredMessages& messages = AppMessages();
        messages.instance = RegisterWindowMessage(kProductName);
        messages.updateStatus = RegisterWindowMessage(kUpdateStatusMessageName);
        messages.lightAnnounce = RegisterWindowMessage(kLightAnnounceMessageName);
        messages.lightRequest = RegisterWindowMessage(kLightRequestMessageName);
        CResourceManager::Instance().SetResourcePath(ProgramFolder() + "skin/");
        ASSERT_TRUE(CResourceManager::Instance().LoadResource("res.xml"));
        m_bus = std::make_unique<CVirtualBusServer>(m_root.Path() + "/vhid");
        SetDebugSink([this](std::string_view line) {
            const std::lock_guard lock(m_mutex);
            m_lines.emplace_back(line);
        });
        m_options.discovery.backends = {MakeVirtualHidBackend(m_root.Path() + "/vhid")};
        m_options.discovery.busFolder = m_root.Path() + "/vhid";
        m_options.discovery.useUdev = false;
        m_options.discovery.fallbackPollMs = 60000;
        m_options.watchSystemEvents = false;
    }
    void TearDown() override {
        if (HasFailure()) {
            const std::lock_guard lock(m_mutex);
            for (const std::string& line : m_lines) std::fprintf(stderr, "%s\n", line.c_str());
        }
        if (m_window && m_window->IsCreated()) EXPECT_EQ(CloseLikeTheProgram(), 0);
        m_window.reset();
        m_bus.reset();
        SetDebugSink({});
        CResourceManager::Instance().Release();
    }

    void Open() {
        m_window = std::make_unique<CTestMainWnd>(m_options);
        m_window->updateList = m_updateList;
        const std::uint32_t style = UIStyle::Popup | UIStyle::Visible | UIStyle::Caption |
                                    UIStyle::SysMenu | UIStyle::MinimizeBox;
        ASSERT_TRUE(m_window->Create(kNoWindow, kProductName, style, 0, 0, 0, 800, 572));
        ASSERT_TRUE(RunEventsUntil([&] { return m_window->IsInitialised(); }));
    }
    // Closes the window inside the application's loop, which the window's end quits as
    // it quits the program's. A quit left pending would end the next test's loops.
    int CloseLikeTheProgram() {
        QTimer::singleShot(0, [this] { m_window->Close(); });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
        guard.start(5000);
        return QCoreApplication::exec();
    }
    LRESULT Send(std::uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessage(m_window->GetHWND(), msg, wParam, lParam);
    }
    CControlUI* Find(const char* name) { return m_window->GetPaintManager().FindControl(name); }
    CTavrinUSBDevice& Mouse() { return *m_window->Selector().DevicesOfKind(kKindMouse).at(0); }
    int VisibleEntries() { return m_window->Selector().CountVisibleEntries().count; }
    bool PlugMouse() {
        m_mouse = ::PlugMouse(*m_bus, m_device, "mouse");
        return m_mouse.has_value();
    }
    int Lines(const std::string& line) {
        const std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count(m_lines.begin(), m_lines.end(), line));
    }

    CTempFolder m_root;
    CScopedEnv m_runtime{"XDG_RUNTIME_DIR", m_root.Path() + "/run"};
    CScopedEnv m_config{"XDG_CONFIG_HOME", m_root.Path() + "/config"};
    CScopedEnv m_data{"XDG_DATA_HOME", m_root.Path() + "/data"};
    // The devices open their channels on the bus discovery watches.
    CScopedEnv m_vhid{"TOLMI_VHID_DIR", m_root.Path() + "/vhid"};
    std::unique_ptr<CVirtualBusServer> m_bus;
    CSimDevice m_device{PlainMouseConfig()};
    std::optional<PluggedMouse> m_mouse;
    MainWndOptions m_options;
    std::vector<UpdateListEntry> m_updateList;
    std::unique_ptr<CTestMainWnd> m_window;
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

TEST_F(MainWndMessagesTest, LightControlRequestsActOnlyWithWParamOne) {
    Open();
    struct Step {
        WPARAM wParam;
        LPARAM lParam;
        int state;
    };
    for (const Step s : {Step{1, 0, 0}, Step{2, 1, 0}, Step{0, 1, 0}, Step{1, 1, 1}, Step{2, 0, 1},
                         Step{1, 7, 1}}) {
        SCOPED_TRACE(testing::Message() << s.wParam << "," << s.lParam);
        Send(AppMessages().lightRequest, s.wParam, s.lParam);
        EXPECT_EQ(m_window->GetLightControl(), s.state);
        EXPECT_EQ(Find("control_light_status")->GetText(),
                  s.state != 0 ? kTextLightControlOn : kTextLightControlOff);
        for (int kind : kLightFollowingKinds)
            for (CTavrinUSBDevice* device : m_window->Selector().DevicesOfKind(kind))
                EXPECT_EQ(device->GetLightControl(), s.state);
    }
    // The user's toggle goes the same way.
    m_window->GetPaintManager().SendNotify(Find("control_light_status"), "click");
    EXPECT_EQ(m_window->GetLightControl(), 0);
    EXPECT_EQ(Mouse().GetLightControl(), 0);
}

// Discovery has marked the slot before it reports an arrival, so an arrival dropped in
// sleep is caught up with on waking.
TEST_F(MainWndMessagesTest, ArrivalsDuringSleepAreIgnoredAndTheWakeCatchesUp) {
    Open();
    Send(Msg::PowerBroadcast, kPowerSuspend);
    EXPECT_TRUE(m_window->IsSuspended());
    EXPECT_EQ(Mouse().GetLightControl(), 0);
    EXPECT_EQ(m_window->GetLightControl(), 1);  // the state itself is kept

    ASSERT_TRUE(PlugMouse());
    CSlotList& slotList = m_window->Selector().Slots();
    ASSERT_TRUE(RunEventsUntil([&] {
        return slotList.At(kMouseCommandSlot).connected &&
               slotList.At(kMouseNotificationSlot).connected;
    }));
    // The second arrival waits for the first to be handled; give the second its turn.
    RunEventsUntil([] { return false; }, 100);
    EXPECT_EQ(VisibleEntries(), 0);
    EXPECT_FALSE(Mouse().CommandChannel().IsOpen());

    Send(Msg::PowerBroadcast, kPowerResumeAutomatic);
    EXPECT_FALSE(m_window->IsSuspended());
    EXPECT_EQ(Mouse().GetLightControl(), 1);
    EXPECT_TRUE(RunEventsUntil([&] { return VisibleEntries() == 1; }));
    EXPECT_TRUE(Mouse().CommandChannel().IsOpen());
    EXPECT_EQ(m_window->CurrentDevice(), &Mouse());
}

TEST_F(MainWndMessagesTest, NotificationsReachThePanelsOfTheSelectedDevice) {
    Open();
    ASSERT_TRUE(PlugMouse());
    ASSERT_TRUE(RunEventsUntil([&] { return m_window->CurrentDevice() != nullptr; }));
    CTavrinUSBDevice& device = *m_window->CurrentDevice();
    auto* panel = static_cast<CRecordingPanel*>(device.Add(std::make_unique<CRecordingPanel>()));
    CControlUI* probe = device.Add(std::make_unique<CControlUI>());

    struct Case {
        const char* type;
        const char* name;
        std::optional<PanelKind> kind;  // nothing: no panel hears it
        int number;
    };
    const Case cases[] = {
        {"valuechanged", "6533_eq_hz_slider_2", PanelKind::HeadsetAudio, 2},
        {"click", "MACRO_BTN_SAVE", PanelKind::Macro, -1},
        {"click", "macro_inset_moveleftkey_btn", PanelKind::Macro, -1},
        {"click", "Macro_Inset_MoveLeftKey_Btn", std::nullopt, -1},
        {"selectchanged", "key_Op_tab", PanelKind::Profile, 2},
        {"killfocus", "keyset_keyboard_text_edit", PanelKind::KeyAssignment, -1},
        {"setfocus", "keyset_keyboard_text_edit", std::nullopt, -1},
        {"itemactivate", "keyset_keyboard_text_edit", std::nullopt, -1},
        {"click", "no_such_button", std::nullopt, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.name);
        panel->notes.clear();
        probe->SetName(c.name);
        m_window->GetPaintManager().SendNotify(probe, c.type);
        ASSERT_EQ(panel->notes.size(), c.kind ? 1u : 0u);
        if (!c.kind) continue;
        EXPECT_EQ(panel->notes[0].kind, *c.kind);
        EXPECT_EQ(panel->notes[0].name, c.name);
        EXPECT_EQ(panel->notes[0].number, c.number);
    }
    EXPECT_EQ(device.GetFunctionPage(), 2);  // "key_Op_tab" showed the key page first
    // The key edit's focus installs the input hook, losing it removes it.
    EXPECT_EQ(m_window->hookCalls, (std::vector<bool>{false, true}));

    // Each profile choice restarts the 400 ms apply timer; the panel applies once.
    panel->notes.clear();
    probe->SetName("device_profile_combo");
    m_window->GetPaintManager().SendNotify(probe, "itemselect");
    m_window->GetPaintManager().SendNotify(probe, "itemselect");
    ASSERT_TRUE(RunEventsUntil([&] { return !panel->notes.empty(); }));
    RunEventsUntil([] { return false; }, 450);
    ASSERT_EQ(panel->notes.size(), 1u);
    EXPECT_EQ(panel->notes[0].kind, PanelKind::Profile);
    EXPECT_EQ(panel->notes[0].type, kProfileTimerRouteType);
}

TEST_F(MainWndMessagesTest, CloseHidesAndTheTrayBringsTheWindowBackFitted) {
    Open();
    ASSERT_TRUE(RunEventsUntil([&] { return m_window->HasFitted(); }));
    m_window->GetPaintManager().SendNotify(Find("closebtn"), "click");
    EXPECT_FALSE(m_window->IsVisible());
    EXPECT_TRUE(m_window->IsCreated());       // the program goes on in the tray
    EXPECT_EQ(Mouse().GetWindowActive(), 0);  // nothing to draw previews for
    Send(kTrayMessage, 0, kTrayLeftButtonUp);
    EXPECT_TRUE(m_window->IsVisible());
    EXPECT_EQ(Mouse().GetWindowActive(), 1);
    const UIRect rect = m_window->GetWindowRect();
    const int scale = m_window->GetWindowDpi();
    EXPECT_EQ(rect.Width(), 1000 * scale / 96);
    EXPECT_EQ(rect.Height(), 640 * scale / 96);
    Send(kTrayMessage, 0, kTrayLeftButtonUp);
    EXPECT_FALSE(m_window->IsVisible());
}

// The keyboard and mouse buttons open the desktop's own settings pages when the desktop
// has them.
TEST_F(MainWndMessagesTest, DeviceSettingsButtonsOpenTheDesktopsPages) {
    Open();
    const std::string asked = m_root.Path() + "/asked";
    const std::string tool =
        m_root.Write("bin/gnome-control-center", "#!/bin/sh\necho \"$@\" >> " + asked + "\n");
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    CScopedEnv path{"PATH", m_root.Path() + "/bin"};
    auto* root = dynamic_cast<CContainerUI*>(Find("root"));
    ASSERT_NE(root, nullptr);
    CControlUI* probe = root->Add(std::make_unique<CControlUI>());
    const auto click = [&](const char* name) {
        probe->SetName(name);
        m_window->GetPaintManager().SendNotify(probe, "click");
    };
    const auto askedText = [&] {
        std::ifstream file(asked);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    {
        CScopedEnv desktop{"XDG_CURRENT_DESKTOP", "XFCE"};  // its tools are not installed
        click("windowdeviceset_0");
    }
    CScopedEnv desktop{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"};
    click("windowdeviceset_1");
    click("windowdeviceset_0");
    click("windowdeviceset_2");
    ASSERT_TRUE(RunEventsUntil([&] {
        const std::string text = askedText();
        return text.find("mouse") != std::string::npos &&
               text.find("keyboard") != std::string::npos;
    }));
    RunEventsUntil([] { return false; }, 50);
    EXPECT_EQ(askedText().size(), std::string("mouse\nkeyboard\n").size());
}

// Active, or hovered while not active: the devices draw their previews.
TEST_F(MainWndMessagesTest, ActivationAndHoverDecideTheDevicesWindowActiveFlag) {
    Open();
    struct Step {
        std::uint32_t msg;
        WPARAM wParam;
        int active;
    };
    for (const Step s : {Step{Msg::Activate, 0, 0}, Step{Msg::MouseHover, 0, 1},
                         Step{Msg::MouseLeave, 0, 0}, Step{Msg::Activate, 2, 1},
                         Step{Msg::MouseLeave, 0, 1}, Step{Msg::Activate, 0x10000, 0}}) {
        SCOPED_TRACE(testing::Message() << s.msg << "," << s.wParam);
        Send(s.msg, s.wParam);
        EXPECT_EQ(m_window->GetWindowActive(), s.active);
        for (CTavrinUSBDevice* device : m_window->Selector().AllDevices())
            EXPECT_EQ(device->GetWindowActive(),
                      device->GetKindCode() == kKindHeadset ? 1 : s.active);
    }
}

// The update thread never touches a control: the badge and the settings window come
// from its messages, on the UI thread.
TEST_F(MainWndMessagesTest, ANewerVersionShowsTheBadgeAndAsksForTheSettingsWindow) {
    m_options.updateService = std::make_shared<CNewerVersion>();
    m_updateList = {{"mouse", 107}, {"keyboard", 0}};
    Open();
    ASSERT_TRUE(RunEventsUntil([&] { return !m_window->settingsAsked.empty(); }));
    EXPECT_EQ(Find("setbtn")->GetForeImage(), "file='sysbtn/haveNewInfo.png'");
    ASSERT_EQ(m_window->settingsAsked[0].updates.size(), 1u);  // entries with a version
    EXPECT_EQ(m_window->settingsAsked[0].updates[0].model, "mouse");
    Send(AppMsg::ClearUpdateBadge);
    EXPECT_EQ(Find("setbtn")->GetForeImage(), "");
}

TEST_F(MainWndMessagesTest, ClosingStopsEveryThreadInTime) {
    Open();
    ASSERT_TRUE(PlugMouse());  // a busy discovery thread stops as well
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(CloseLikeTheProgram(), 0);
    EXPECT_FALSE(m_window->IsCreated());
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(Lines("退出测试"), 1);
    EXPECT_EQ(Lines("获取更新线程退出"), 1);
    EXPECT_EQ(Lines("抓取设备线程设定退出"), 1);
    EXPECT_EQ(Lines(kEnded), 2);  // discovery and update; the other slots hold no thread
    EXPECT_EQ(Lines(kTimedOut), 0);
}

// A test harness or the session ends the program with SIGTERM: it leaves through its
// window, stopping its threads.
TEST(MainWndProcessTest, TerminateSignalEndsTheProgramThroughItsWindow) {
    CTempFolder root;
    QProcess program;
    QProcessEnvironment env = ChildEnvironment(root.Path());
    env.insert("TOLMI_VHID_DIR", QString::fromStdString(root.Path() + "/vhid"));
    program.setProcessEnvironment(env);
    program.start(QString::fromStdString(BinDir() + "tolmi-q318"), {});
    ASSERT_TRUE(program.waitForStarted(5000));
    QByteArray output;
    ASSERT_TRUE(RunEventsUntil(
        [&] {
            output += program.readAllStandardError();
            return output.contains("windowinit");
        },
        15000));
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(5000));
    output += program.readAllStandardError();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(output.contains("退出测试"));
    EXPECT_TRUE(output.contains(QByteArray::fromStdString(kEnded)));
    EXPECT_FALSE(output.contains(QByteArray::fromStdString(kTimedOut)));
}

}  // namespace

// The mouse page's DPI controls are the mouse object's own: a committed stage slider
// changes the profile and writes the state record to the device.
TEST_F(MainWndMessagesTest, ADpiSliderChangeReachesTheMouseAndItsMemory) {
    Open();
    ASSERT_TRUE(PlugMouse());
    ASSERT_TRUE(RunEventsUntil([&] { return m_window->CurrentDevice() != nullptr; }));
    auto* mouse = dynamic_cast<CTavrinMouseDevice*>(m_window->CurrentDevice());
    ASSERT_NE(mouse, nullptr);
    CTavrinUSBDevice& device = *mouse;
    // The device is opened 500 ms after it attached: it then knows its DPI step.
    ASSERT_TRUE(RunEventsUntil([&] { return mouse->DpiStep() != 0; }, 3000));
    auto* slider = dynamic_cast<CSliderUI*>(
        m_window->GetPaintManager().FindSubControlByName(&device, "DPI_slider_2"));
    ASSERT_NE(slider, nullptr);
    slider->SetValue(20);
    m_window->GetPaintManager().SendNotify(slider, "valuechanged");

    constexpr std::uint16_t kStage3DpiByte = 17;  // stages 1..4 sit in bytes 15..18
    EXPECT_EQ(m_device.Memory(kStage3DpiByte, 1), std::vector<std::uint8_t>{20});
    auto* edit = dynamic_cast<CEditUI*>(
        m_window->GetPaintManager().FindSubControlByName(&device, "DPI_edit_2"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetText(), "2200");  // 200 + 20 x the simulated step of 100
}
