// One selector entry, built from the skin's entry layout: its icons by kind, the sync
// visuals, activation, and its timers each running its device operation once.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "AppTestSupport.h"
#include "app/DeviceOptionUI.h"
#include "device/TavrinUSBDevice.h"
#include "ui/UILib.h"

namespace {

constexpr const char* kEntryLayout = "XML\\CustomControlXML\\DeviceOption.xml";

// Counts what the entry's timers ask of it.
class CCountingDevice : public CTavrinUSBDevice {
public:
    void OpenDevice() override { ++calls["OpenDevice"]; }
    void ReadDeviceState() override { ++calls["ReadDeviceState"]; }
    void OnEntryTimer1003() override { ++calls["1003"]; }
    void OnEntryTimer1004() override { ++calls["1004"]; }
    void ReadPowerStatus() override { ++calls["ReadPowerStatus"]; }
    std::map<std::string, int> calls;
};

// A window with one row for entries; records the notifications it receives.
class CRowWindow : public WindowImplBase {
public:
    std::string GetWindowClassName() const override { return "EntryRow"; }
    std::string GetSkinFile() override {
        return "<Window size=\"400,60\"><HorizontalLayout name=\"row\"/></Window>";
    }
    void Notify(TNotifyUI& msg) override {
        if (msg.type != "timer") notified.push_back(msg.type + ":" + msg.sender->GetName());
        WindowImplBase::Notify(msg);
    }
    CContainerUI* Row() {
        return dynamic_cast<CContainerUI*>(GetPaintManager().FindControl("row"));
    }
    std::vector<std::string> notified;
};

class DeviceOptionTest : public testing::Test {
protected:
    void SetUp() override {
        CResourceManager& resources = CResourceManager::Instance();
        m_oldPath = resources.GetResourcePath();
        resources.SetResourcePath(ProgramFolder() + "skin/");
        resources.LoadLanguage("lan_en.xml");
    }
    void TearDown() override { CResourceManager::Instance().SetResourcePath(m_oldPath); }

    static std::unique_ptr<CDeviceOptionUI> BuildEntry() {
        std::unique_ptr<CControlUI> root = CDialogBuilder().Create(kEntryLayout);
        if (dynamic_cast<CDeviceOptionUI*>(root.get()) == nullptr) return nullptr;
        return std::unique_ptr<CDeviceOptionUI>(static_cast<CDeviceOptionUI*>(root.release()));
    }
    // The entry, in a shown window, linked to a counting device.
    CDeviceOptionUI* EntryInWindow() {
        EXPECT_TRUE(m_window.Create(kNoWindow, "entry", UIStyle::Popup, 0, 0, 0, 400, 60));
        auto* entry = static_cast<CDeviceOptionUI*>(m_window.Row()->Add(BuildEntry()));
        entry->LinkDevice(&m_device);
        m_window.GetPaintManager().UpdateLayout();
        return entry;
    }

    std::string m_oldPath;
    CCountingDevice m_device;  // outlives the window and its entry
    CRowWindow m_window;
};

TEST_F(DeviceOptionTest, TheSkinEntryHasItsThreeControlsAndStartsAsAnUnknownDevice) {
    auto entry = BuildEntry();
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(entry->SelectOption(), nullptr);
    ASSERT_NE(entry->SyncOption(), nullptr);
    ASSERT_NE(entry->NameLabel(), nullptr);
    EXPECT_EQ(entry->GetIcons().normal, "common/device_ico/unknow_device_normal.png");
    EXPECT_EQ(entry->GetIcons().selected, "common/device_ico/unknow_device_selected.png");
    EXPECT_EQ(entry->GetIcons().syncNormal, "common/device_ico/unknow_device_synchro_normal.png");
    EXPECT_EQ(entry->GetIcons().syncSelected,
              "common/device_ico/unknow_device_synchro_selected.png");
    EXPECT_EQ(entry->GetPowerPageIndex(), -1);
    EXPECT_TRUE(entry->IsEntryVisible());
}

TEST_F(DeviceOptionTest, KindSetsTheIconsAndTheNameTipAndEveryIconFileExists) {
    struct Case {
        int kind, subKind;
        const char* prefix;
        const char* tip;
    };
    for (const Case c :
         {Case{1, 0, "kb_device_", "Keyboard"}, Case{2, 0, "ms_device_", "Mouse"},
          Case{3, 0, "hard_mp_device_", "Mousepad"}, Case{3, 1, "soft_mp_device_", "Soft mousepad"},
          Case{4, 0, "hd_device_", "Headset"}, Case{7, 0, "hd_device_", "Headset"},
          Case{5, 0, "hub_device_", "Hub"}, Case{6, 0, "unknow_device_", "Unknown device"},
          Case{0, 0, "unknow_device_", "Unknown device"}}) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " sub-kind " << c.subKind);
        auto entry = BuildEntry();
        ASSERT_NE(entry, nullptr);
        entry->SetKind(c.kind, c.subKind);
        const std::string base = std::string("common/device_ico/") + c.prefix;
        COptionUI* option = entry->SelectOption();
        EXPECT_EQ(option->GetNormalImage(), base + "normal.png");
        EXPECT_EQ(option->GetDisabledImage(), base + "normal.png");
        EXPECT_EQ(option->GetSelectedImage(), base + "selected.png");
        EXPECT_EQ(option->GetToolTip(), c.tip);
        EXPECT_EQ(entry->GetKindCode(), c.kind);
        const DeviceIcons& icons = entry->GetIcons();
        for (const std::string& icon :
             {icons.normal, icons.selected, icons.syncNormal, icons.syncSelected})
            EXPECT_TRUE(std::filesystem::exists(ProgramFolder() + "skin/" + icon)) << icon;
    }
}

TEST_F(DeviceOptionTest, AMousepadOfAnUnknownSubKindKeepsWhatTheEntryHad) {
    auto entry = BuildEntry();
    entry->SetKind(2, 0);
    entry->SetKind(3, 2);
    EXPECT_EQ(entry->GetKindCode(), 2);
    EXPECT_EQ(entry->SelectOption()->GetNormalImage(), "common/device_ico/ms_device_normal.png");
}

TEST_F(DeviceOptionTest, SyncSelectionSwapsTheIconsBothWays) {
    auto entry = BuildEntry();
    entry->SetKind(2, 0);
    entry->SetSyncSelected(true);
    EXPECT_TRUE(entry->IsSyncSelected());
    EXPECT_EQ(entry->SelectOption()->GetNormalImage(),
              "common/device_ico/ms_device_synchro_normal.png");
    EXPECT_EQ(entry->SelectOption()->GetSelectedImage(),
              "common/device_ico/ms_device_synchro_selected.png");
    entry->SetSyncSelected(false);
    EXPECT_FALSE(entry->IsSyncSelected());
    EXPECT_EQ(entry->SelectOption()->GetNormalImage(), "common/device_ico/ms_device_normal.png");
}

TEST_F(DeviceOptionTest, LinkingSetsTheDevicesEntryAndTheEntryLetsGoOfItWhenDeleted) {
    CCountingDevice device;
    {
        auto entry = BuildEntry();
        entry->LinkDevice(&device);
        EXPECT_EQ(device.GetSelectorEntry(), entry.get());
        EXPECT_EQ(entry->GetDevice(), &device);
    }
    EXPECT_EQ(device.GetSelectorEntry(), nullptr);
}

TEST_F(DeviceOptionTest, ActivatingTheEntryOrClickingItsNameSelectsItAndReportsTheOption) {
    CDeviceOptionUI* entry = EntryInWindow();
    EXPECT_TRUE(entry->Activate());
    EXPECT_TRUE(entry->IsSelected());
    EXPECT_EQ(m_window.notified, std::vector<std::string>{"selectchanged:device_select"});

    entry->Select(false);
    m_window.notified.clear();
    TEventUI up;
    up.type = UIEventType::ButtonUp;
    up.sender = entry->NameLabel();
    const UIRect name = entry->NameLabel()->GetPos();
    up.mouse = {(name.left + name.right) / 2, (name.top + name.bottom) / 2};
    entry->NameLabel()->DoEvent(up);
    EXPECT_TRUE(entry->IsSelected());
    EXPECT_EQ(m_window.notified, std::vector<std::string>{"selectchanged:device_select"});

    entry->SetVisible(false);
    EXPECT_FALSE(entry->Activate());
    EXPECT_FALSE(entry->IsEntryVisible());
}

// Each handler stops its own timer first: one start, one call. Timers that re-arm do so
// only while the command channel is open, which it is not here.
TEST_F(DeviceOptionTest, EachEntryTimerRunsItsDeviceOperationOnce) {
    struct Case {
        unsigned timer;
        int powerState;
        const char* call;  // null: nothing runs
    };
    CDeviceOptionUI* entry = EntryInWindow();
    CPaintManagerUI& manager = m_window.GetPaintManager();
    for (const Case c :
         {Case{EntryTimer::OpenDevice, 0, "OpenDevice"},
          Case{EntryTimer::ReadDeviceState, 0, "ReadDeviceState"},
          Case{EntryTimer::Spare1003, 0, "1003"}, Case{EntryTimer::Spare1004, 0, "1004"},
          Case{EntryTimer::ReadPowerStatus, 1, "ReadPowerStatus"},
          Case{EntryTimer::ReadPowerStatus, 0, nullptr},
          Case{EntryTimer::RepaintPreview, 0, nullptr}}) {
        SCOPED_TRACE(testing::Message() << "timer " << c.timer << " power " << c.powerState);
        m_device.calls.clear();
        m_device.SetPowerState(c.powerState);
        ASSERT_TRUE(manager.SetTimer(entry, c.timer, 10));
        if (c.call != nullptr)
            ASSERT_TRUE(RunEventsUntil([&] { return m_device.calls[c.call] == 1; }, 1000));
        RunEventsUntil([] { return false; }, 60);  // long enough for several more ticks
        const std::map<std::string, int> expected = c.call != nullptr
                                                        ? std::map<std::string, int>{{c.call, 1}}
                                                        : std::map<std::string, int>{};
        std::erase_if(m_device.calls, [](const auto& call) { return call.second == 0; });
        EXPECT_EQ(m_device.calls, expected);
    }
}

}  // namespace
