// The device selector in a window shaped like the main window's selector row and device
// area, with the skin's entry and page layouts and devices that record OpenDevice. The
// end-to-end cases run discovery against the mouse simulator on a temporary bus.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cstdlib>
#include <memory>
#include <optional>

#include "AppTestSupport.h"
#include "app/AppMessages.h"
#include "app/ControlRegistry.h"
#include "app/DeviceOptionUI.h"
#include "app/DeviceSelector.h"
#include "device/TavrinKeyboardDevice.h"
#include "device/TavrinMouseDevice.h"
#include "device/TavrinMousePadDevice.h"
#include "device/TavrinVE6533Device.h"
#include "panels/FeaturePanels.h"
#include "sim/MouseSim.h"
#include "ui/UILib.h"

namespace {

constexpr int kMouseEntry = 0;     // entries follow the kind page rows: mouse, keyboard,
constexpr int kKeyboardEntry = 1;  // mousepad, headset
constexpr int kMousePadEntry = 2;
constexpr int kHeadsetEntry = 3;
constexpr int kKeyboardCommandSlot = 0;
constexpr int kMouseCommandSlot = 2;
constexpr int kMouseNotificationSlot = 3;

// A device page that records when OpenDevice ran.
template <class Kind>
class CRecordingDevice : public Kind {
public:
    void OpenDevice() override {
        ++openCount;
        openedAtMs = clock.elapsed();
    }
    int openCount = 0;
    qint64 openedAtMs = -1;
    QElapsedTimer clock;  // started by the test
};
using CTestMouse = CRecordingDevice<CTavrinMouseDevice>;

// The selector row and device area of the main window; device tags make recording devices.
class CSelectorWindow : public WindowImplBase {
public:
    std::string GetWindowClassName() const override { return "SelectorTest"; }
    std::string GetSkinFile() override {
        return R"(<Window size="1000,560"><VerticalLayout>
            <HorizontalLayout height="64" inset="12,10,12,10" childpadding="8">
                <HorizontalLayout name="device_select_layout" childpadding="8"/>
                <TabLayout name="device_power_switch" width="180"/>
            </HorizontalLayout>
            <Container>
                <TabLayout name="device_switch"/>
                <VerticalLayout name="No_device_Link" bkcolor="#FF16181D"/>
            </Container>
        </VerticalLayout></Window>)";
    }
    std::unique_ptr<CControlUI> CreateControl(std::string_view tag) override {
        if (tag == "TavrinMouseDevice") return std::make_unique<CTestMouse>();
        if (tag == "TavrinKeyboardDevice")
            return std::make_unique<CRecordingDevice<CTavrinKeyboardDevice>>();
        if (tag == "TavrinMousePadDevice")
            return std::make_unique<CRecordingDevice<CTavrinMousePadDevice>>();
        if (tag == "TavrinVE6533Device")
            return std::make_unique<CRecordingDevice<CTavrinVE6533Device>>();
        return CreateControlForTag(tag, GetPaintManager());
    }
    LRESULT HandleCustomMessage(std::uint32_t msg, WPARAM wParam, LPARAM, bool& handled) override {
        if (msg == AppMsg::DeviceArrived) selector.AttachSlot(static_cast<int>(wParam));
        if (msg == AppMsg::DeviceLeft) selector.DetachSlot(static_cast<int>(wParam));
        handled = msg == AppMsg::DeviceArrived || msg == AppMsg::DeviceLeft;
        return 0;
    }
    void Notify(TNotifyUI& msg) override {
        if (msg.type == "selectchanged" && msg.sender->GetName() == "device_select")
            selector.OnDeviceSelectChanged();
        WindowImplBase::Notify(msg);
    }

    CDeviceSelector selector;
};

// What the main window would do for the selector, counted.
struct HookCalls {
    int raised = 0;
    int childWindowsClosed = 0;
    bool captureRunning = false;
    int captureEnded = 0;
    CTavrinUSBDevice* shownWhenCaptureEnded = nullptr;
    int visibleEntries = -1;
};

class DeviceSelectorTest : public testing::Test {
protected:
    void SetUp() override {
        CResourceManager& resources = CResourceManager::Instance();
        m_oldPath = resources.GetResourcePath();
        resources.SetResourcePath(ProgramFolder() + "skin/");
        const char* bus = std::getenv("TOLMI_VHID_DIR");
        m_oldBus = bus != nullptr ? std::optional<std::string>(bus) : std::nullopt;
        // Device channels find the virtual bus where the simulator plugs in.
        setenv("TOLMI_VHID_DIR", m_folder.Path().c_str(), 1);
        m_bus = std::make_unique<CVirtualBusServer>(m_folder.Path());

        ASSERT_TRUE(m_window.Create(kNoWindow, "selector", UIStyle::Popup, 0, 0, 0, 1000, 560));
        Selector().SetHooks({
            .showAndRaise = [this] { ++m_hooks.raised; },
            .closeChildWindows = [this] { ++m_hooks.childWindowsClosed; },
            .captureRunning = [this] { return m_hooks.captureRunning; },
            .endCapture =
                [this] {
                    ++m_hooks.captureEnded;
                    m_hooks.shownWhenCaptureEnded = Selector().CurrentDevice();
                    m_hooks.captureRunning = false;
                },
            .visibleEntriesChanged = [this](int count) { m_hooks.visibleEntries = count; },
        });
        Selector().BuildKindPages(m_window.GetPaintManager(), m_window, m_window.GetHWND(), "");
        Mouse()->clock.start();
    }
    void TearDown() override {
        m_discovery.Stop();
        m_bus.reset();
        CResourceManager::Instance().SetResourcePath(m_oldPath);
        if (m_oldBus)
            setenv("TOLMI_VHID_DIR", m_oldBus->c_str(), 1);
        else
            unsetenv("TOLMI_VHID_DIR");
    }

    CDeviceSelector& Selector() { return m_window.selector; }
    CDeviceOptionUI* Entry(int i) { return Selector().EntryAt(i); }
    CTestMouse* Mouse() { return dynamic_cast<CTestMouse*>(Selector().DevicesOfKind(2).at(0)); }
    CTabLayoutUI* Tabs(const char* name) {
        return dynamic_cast<CTabLayoutUI*>(m_window.GetPaintManager().FindControl(name));
    }
    bool NoticeShown() {
        return m_window.GetPaintManager().FindControl("No_device_Link")->IsVisible();
    }
    void StartDiscovery() {
        DiscoveryOptions options;
        options.backends = {MakeVirtualHidBackend(m_folder.Path())};
        options.busFolder = m_folder.Path();
        options.useUdev = false;
        options.fallbackPollMs = 60000;  // only the bus folder's changes wake it
        ASSERT_TRUE(m_discovery.Start(Selector().DiscoveryThreadBody(options)));
    }
    void PlugMouse() {
        m_mouse = ::PlugMouse(*m_bus, m_device, "mouse");
        ASSERT_TRUE(m_mouse.has_value());
    }
    void UnplugMouse() {
        m_bus->Unplug(m_mouse->commandName);
        m_bus->Unplug(m_mouse->notificationName);
    }
    // Visible entries as the discovery messages would leave them, without a device.
    void ShowEntries(std::initializer_list<int> entries, int selected) {
        for (int e : entries) Selector().ShowEntry(e, true, e == selected);
    }
    int SelectedEntry() {
        for (int i = 0; i < Selector().EntryCount(); ++i)
            if (Entry(i)->IsVisible() && Entry(i)->IsSelected()) return i;
        return -1;
    }

    CTempFolder m_folder;
    std::string m_oldPath;
    std::optional<std::string> m_oldBus;
    std::unique_ptr<CVirtualBusServer> m_bus;
    CSimDevice m_device{PlainMouseConfig()};
    std::optional<PluggedMouse> m_mouse;
    HookCalls m_hooks;
    CSelectorWindow m_window;
    CWorkerThread m_discovery;
};

TEST_F(DeviceSelectorTest, EveryKindGetsAHiddenEntryAPageAndAPowerPanel) {
    const int kinds[] = {2, 1, 3, 7};
    ASSERT_EQ(Selector().EntryCount(), 4);
    ASSERT_EQ(Tabs("device_switch")->GetCount(), 4);
    EXPECT_EQ(Tabs("device_power_switch")->GetCount(), 4);
    EXPECT_EQ(Selector().PowerPanels().size(), 4u);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        CDeviceOptionUI* entry = Entry(i);
        EXPECT_FALSE(entry->IsVisible());
        EXPECT_EQ(entry->GetKindCode(), kinds[i]);
        EXPECT_EQ(entry->GetDevice(), Tabs("device_switch")->GetItemAt(i));
        EXPECT_EQ(entry->GetDevice()->GetSelectorEntry(), entry);
        EXPECT_EQ(entry->GetBoundIndex(), i);
        EXPECT_EQ(entry->GetPowerPageIndex(), i);
        EXPECT_EQ(entry->SelectOption()->GetGroup(), "tab_header_device");
        EXPECT_FALSE(entry->SyncOption()->IsVisible());
        EXPECT_EQ(Selector().DevicesOfKind(kinds[i]).size(), 1u);
        EXPECT_EQ(entry->GetDevice()->GetPowerPanel(), Selector().PowerPanels()[i]);
        EXPECT_FALSE(entry->GetDevice()->IsPageShown());
    }
    EXPECT_EQ(Entry(kMouseEntry)->NameLabel()->GetRawText(), "mouse");
    EXPECT_EQ(Mouse()->GetIdentity().vendorId, 0x0C45);
    EXPECT_EQ(Mouse()->GetLedCount(), 8);
    EXPECT_EQ(Mouse()->GetKindName(), "mouse");
    EXPECT_EQ(Selector().DevicesOfKind(6), Selector().DevicesOfKind(2));
    EXPECT_TRUE(NoticeShown());
    EXPECT_EQ(Selector().CurrentDevice(), nullptr);
    EXPECT_EQ(Tabs("device_switch")->GetCurSel(), 0);
}

TEST_F(DeviceSelectorTest, PluggingTheMouseShowsSelectsRaisesAndOpensItHalfASecondLater) {
    StartDiscovery();
    QElapsedTimer clock;
    clock.start();
    PlugMouse();
    ASSERT_TRUE(RunEventsUntil([&] { return Entry(kMouseEntry)->IsVisible(); }));
    const qint64 shownAfter = clock.elapsed();
    const qint64 shownAt = Mouse()->clock.elapsed();
    RecordProperty("plug_to_entry_shown_ms", static_cast<int>(shownAfter));
    EXPECT_LT(shownAfter, 1000);  // discovery's fallback look is a minute away

    EXPECT_TRUE(Entry(kMouseEntry)->IsSelected());
    EXPECT_EQ(Selector().CurrentDevice(), Mouse());
    EXPECT_EQ(Selector().CountVisibleEntries().count, 1);
    EXPECT_FALSE(NoticeShown());
    EXPECT_TRUE(Mouse()->CommandChannel().IsOpen());
    EXPECT_EQ(Mouse()->GetIdentity().path, m_mouse->commandPath);
    EXPECT_TRUE(Mouse()->IsPageShown());
    EXPECT_GE(m_hooks.raised, 1);
    EXPECT_EQ(m_hooks.visibleEntries, 1);
    ASSERT_TRUE(RunEventsUntil([&] { return Mouse()->SyncChannel().IsOpen(); }));
    EXPECT_EQ(Mouse()->openCount, 0);

    ASSERT_TRUE(RunEventsUntil([&] { return Mouse()->openCount == 1; }, 2000));
    const qint64 openedAfterShown = Mouse()->openedAtMs - shownAt;
    EXPECT_GE(openedAfterShown, 450);
    EXPECT_LT(openedAfterShown, 2000);
}

TEST_F(DeviceSelectorTest, UnpluggingHidesTheEntryAndPluggingAgainReusesThePage) {
    StartDiscovery();
    PlugMouse();
    ASSERT_TRUE(RunEventsUntil([&] { return Mouse()->openCount == 1; }, 2000));
    CTestMouse* page = Mouse();

    UnplugMouse();
    ASSERT_TRUE(RunEventsUntil([&] { return !Entry(kMouseEntry)->IsVisible(); }));
    EXPECT_TRUE(NoticeShown());
    EXPECT_EQ(Selector().CurrentDevice(), nullptr);
    EXPECT_FALSE(Mouse()->CommandChannel().IsOpen());
    ASSERT_TRUE(RunEventsUntil([&] { return !Mouse()->SyncChannel().IsOpen(); }));
    EXPECT_EQ(m_hooks.childWindowsClosed, 1);  // the shown device left
    EXPECT_EQ(m_hooks.visibleEntries, 0);
    EXPECT_FALSE(Mouse()->IsPageShown());

    PlugMouse();
    ASSERT_TRUE(RunEventsUntil([&] { return Entry(kMouseEntry)->IsVisible(); }));
    EXPECT_EQ(Mouse(), page);
    EXPECT_EQ(Tabs("device_switch")->GetCount(), 4);
    EXPECT_TRUE(Entry(kMouseEntry)->IsSelected());
    EXPECT_FALSE(NoticeShown());
    EXPECT_TRUE(RunEventsUntil([&] { return Mouse()->openCount == 2; }, 2000));
}

TEST_F(DeviceSelectorTest, AMouseInterfaceWithAnotherUsagePageShowsNothing) {
    StartDiscovery();
    VirtualInterface foreign = MouseCommandInterface("foreign-col04");
    foreign.usagePage = 0xFF00;
    foreign.reportDescriptor[1] = 0x00;
    ASSERT_TRUE(m_bus->Plug(foreign, {}));
    RunEventsUntil([] { return false; }, 200);
    EXPECT_FALSE(Entry(kMouseEntry)->IsVisible());
    EXPECT_TRUE(NoticeShown());
    EXPECT_FALSE(Mouse()->CommandChannel().IsOpen());
    EXPECT_EQ(m_hooks.raised, 0);
}

TEST_F(DeviceSelectorTest, ADeviceWhoseChannelCannotOpenStaysHidden) {
    Selector().Slots().Connect(kMouseCommandSlot, "vhid:gone#vid_0c45&pid_6656&mi_01&col04");
    Selector().AttachSlot(kMouseCommandSlot);
    EXPECT_FALSE(Entry(kMouseEntry)->IsVisible());
    EXPECT_FALSE(Mouse()->CommandChannel().IsOpen());
    EXPECT_TRUE(NoticeShown());
}

// A recording or key capture runs while the selector is disabled; when the device it runs
// on leaves, it must end (hook removed, recording stopped) while that device is still the
// current one. Other devices leaving, or nothing running, end nothing.
TEST_F(DeviceSelectorTest, TheShownDeviceLeavingDuringACaptureEndsTheCapture) {
    struct Case {
        bool running;
        int leavingSlot;
        int ended;
    };
    for (const Case c : {Case{true, kMouseCommandSlot, 1}, Case{false, kMouseCommandSlot, 0},
                         Case{true, kKeyboardCommandSlot, 0}}) {
        SCOPED_TRACE(testing::Message() << "running " << c.running << " slot " << c.leavingSlot);
        ShowEntries({kMouseEntry, kKeyboardEntry}, kMouseEntry);
        m_hooks = {};
        m_hooks.captureRunning = c.running;
        Selector().DetachSlot(c.leavingSlot);
        EXPECT_EQ(m_hooks.captureEnded, c.ended);
        if (c.ended > 0) EXPECT_EQ(m_hooks.shownWhenCaptureEnded, Mouse());
        const bool mouseLeft = c.leavingSlot == kMouseCommandSlot;
        EXPECT_EQ(Entry(kMouseEntry)->IsVisible(), !mouseLeft);
        EXPECT_EQ(SelectedEntry(), mouseLeft ? kKeyboardEntry : kMouseEntry);
        for (int e : {kMouseEntry, kKeyboardEntry}) Selector().ShowEntry(e, false, false);
    }
}

TEST_F(DeviceSelectorTest, PreviousAndNextStepOverHiddenEntriesAndStopAtTheEnds) {
    ShowEntries({kMouseEntry, kMousePadEntry, kHeadsetEntry}, kMouseEntry);
    struct Step {
        bool next;
        int selected;
    };
    for (const Step s :
         {Step{false, kMouseEntry}, Step{true, kMousePadEntry}, Step{true, kHeadsetEntry},
          Step{true, kHeadsetEntry}, Step{false, kMousePadEntry}, Step{false, kMouseEntry}}) {
        SCOPED_TRACE(testing::Message() << (s.next ? "next" : "previous") << " -> " << s.selected);
        s.next ? Selector().SelectNext() : Selector().SelectPrevious();
        EXPECT_EQ(SelectedEntry(), s.selected);
        EXPECT_EQ(Selector().CurrentSelection().position, s.selected);
        EXPECT_EQ(Tabs("device_switch")->GetCurSel(), s.selected);
        EXPECT_EQ(Tabs("device_power_switch")->GetCurSel(), s.selected);
        EXPECT_EQ(Selector().CurrentDevice(), Entry(s.selected)->GetDevice());
    }
}

TEST_F(DeviceSelectorTest, HidingTheSelectedEntrySelectsTheFirstOtherVisibleOne) {
    ShowEntries({kKeyboardEntry, kMousePadEntry, kHeadsetEntry}, kMousePadEntry);
    Selector().HideEntryOnDetach(kHeadsetEntry);  // not the selected one
    EXPECT_EQ(m_hooks.childWindowsClosed, 0);
    EXPECT_EQ(SelectedEntry(), kMousePadEntry);

    Selector().HideEntryOnDetach(kMousePadEntry);
    EXPECT_EQ(m_hooks.childWindowsClosed, 1);
    EXPECT_EQ(SelectedEntry(), kKeyboardEntry);
    EXPECT_EQ(Tabs("device_switch")->GetCurSel(), kKeyboardEntry);

    Selector().HideEntryOnDetach(kKeyboardEntry);
    EXPECT_EQ(SelectedEntry(), -1);
    EXPECT_TRUE(NoticeShown());
    EXPECT_EQ(Tabs("device_switch")->GetCurSel(), 0);
    EXPECT_EQ(Tabs("device_power_switch")->GetCurSel(), 0);
    EXPECT_EQ(m_hooks.visibleEntries, 0);
}

TEST_F(DeviceSelectorTest, ChoosingAnEntryShowsItsPageAndPowerPanel) {
    ShowEntries({kMouseEntry, kMousePadEntry}, kMouseEntry);
    ASSERT_TRUE(Entry(kMousePadEntry)->Activate());  // as a click on its icon
    EXPECT_EQ(Selector().CurrentSelection().position, kMousePadEntry);
    EXPECT_EQ(Selector().CurrentSelection().kindCode, 3);
    EXPECT_EQ(Tabs("device_switch")->GetCurSel(), kMousePadEntry);
    EXPECT_EQ(Tabs("device_power_switch")->GetCurSel(), kMousePadEntry);
    EXPECT_TRUE(Tabs("device_power_switch")->IsVisible());
    EXPECT_FALSE(Entry(kMouseEntry)->IsSelected());
    EXPECT_TRUE(Entry(kMousePadEntry)->GetDevice()->IsPageShown());
    EXPECT_FALSE(Mouse()->IsPageShown());
}

TEST_F(DeviceSelectorTest, OnlyOneSyncMarkedEntryClearsTheSyncMarks) {
    ShowEntries({kMouseEntry, kMousePadEntry}, kMouseEntry);
    Entry(kMouseEntry)->SetSyncSelected(true);
    Entry(kMousePadEntry)->SetSyncSelected(true);
    Selector().ShowEntry(kMouseEntry, true, false);
    EXPECT_TRUE(Entry(kMouseEntry)->IsSyncSelected());  // two marked: kept
    Selector().ShowEntry(kMousePadEntry, false, false);
    EXPECT_FALSE(Entry(kMouseEntry)->IsSyncSelected());
    EXPECT_FALSE(Entry(kMousePadEntry)->IsSyncSelected());
}

// Messages dropped while the system slept leave slots and devices apart; a resume brings
// them together again.
TEST_F(DeviceSelectorTest, ReconcileAttachesWhatArrivedAndDetachesWhatLeftWhileSuspended) {
    PlugMouse();
    Selector().Slots().Connect(kMouseCommandSlot, m_mouse->commandPath);
    Selector().Slots().Connect(kMouseNotificationSlot, m_mouse->notificationPath);
    Selector().Reconcile();
    EXPECT_TRUE(Mouse()->CommandChannel().IsOpen());
    EXPECT_TRUE(Mouse()->SyncChannel().IsOpen());
    EXPECT_TRUE(Entry(kMouseEntry)->IsVisible());
    EXPECT_TRUE(Entry(kMouseEntry)->IsSelected());
    EXPECT_TRUE(RunEventsUntil([&] { return Mouse()->openCount == 1; }, 2000));

    Selector().Reconcile();  // nothing to do twice
    EXPECT_EQ(m_hooks.raised, 2);

    UnplugMouse();
    Selector().Slots().Free(kMouseCommandSlot);
    Selector().Slots().Free(kMouseNotificationSlot);
    Selector().Reconcile();
    EXPECT_FALSE(Mouse()->CommandChannel().IsOpen());
    EXPECT_FALSE(Mouse()->SyncChannel().IsOpen());
    EXPECT_FALSE(Entry(kMouseEntry)->IsVisible());
    EXPECT_TRUE(NoticeShown());
}

}  // namespace
