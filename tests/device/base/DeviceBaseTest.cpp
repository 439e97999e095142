// The device base's state: identity, counts and lists, light record packing, page
// binding, function pages, power panel, and the device tables.
#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "DeviceTestSupport.h"
#include "controls/DeviceKeyButtonUI.h"
#include "controls/SelectPanelUI.h"
#include "device/TavrinKeyboardDevice.h"
#include "device/TavrinMouseDevice.h"
#include "device/TavrinMousePadDevice.h"
#include "device/TavrinVE6533Device.h"
#include "ui/UILib.h"

namespace {

CControlUI* AddNamed(CContainerUI& parent, std::unique_ptr<CControlUI> control,
                     std::string_view name) {
    control->SetName(name);
    return parent.Add(std::move(control));
}

TEST(DeviceBase, StartsWithItsInitialValues) {
    CTavrinUSBDevice device;
    EXPECT_EQ(device.GetClass(), "TavrinUSBDevice");
    EXPECT_EQ(device.GetSelectedIndex(), -1);
    EXPECT_EQ(device.GetFunctionPage(), 1);
    EXPECT_EQ(device.GetLightControl(), 1);
    EXPECT_EQ(device.GetWindowActive(), 1);
    EXPECT_EQ(device.GetSyncLight(), 0);
    EXPECT_EQ(device.GetKeyCount(), 0);
    EXPECT_EQ(device.GetLedCount(), 0);
    EXPECT_EQ(device.GetProfilePath(), "");
    EXPECT_EQ(device.LoadProfile(), 0);
    EXPECT_EQ(device.WriteCurrentKeyTable(0), 0);
    EXPECT_EQ(device.WriteStateRecord(0, 0, 1, 1920, 1080), 0);
    EXPECT_EQ(device.DownloadMacros(), 0);
    EXPECT_FALSE(device.CommandChannel().IsOpen());
    EXPECT_FALSE(device.SyncChannel().IsOpen());
}

TEST(DeviceBase, KindClassNames) {
    EXPECT_EQ(CTavrinMouseDevice().GetClass(), "TavrinUSBDevice");
    EXPECT_EQ(CTavrinKeyboardDevice().GetClass(), "TavrinKeyboardDevice");
    EXPECT_EQ(CTavrinMousePadDevice().GetClass(), "TavrinMousePadDevice");
    EXPECT_EQ(CTavrinVE6533Device().GetClass(), "TavrinVE6533Device");
    EXPECT_TRUE(CTavrinVE6533Device().IsClass("TavrinVE6533DeviceUI"));
}

TEST(DeviceBase, SetLightInfoPacksElevenBytes) {
    CTavrinUSBDevice device;
    device.SetLightInfo(0x04030201, 0x08070605, 0xFF0B0A09);
    const LightRecord::Bytes expected{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    EXPECT_EQ(device.GetLightRecord().ToBytes(), expected);  // bits 24..31 of word 2 unused
    const LightRecord r = device.GetLightRecord();
    EXPECT_EQ(r.mode, 1);
    EXPECT_EQ(r.brightness, 2);
    EXPECT_EQ(r.speed, 3);
    EXPECT_EQ(r.direction, 4);
    EXPECT_EQ(r.multiColour, 5);
    EXPECT_EQ(r.red, 6);
    EXPECT_EQ(r.green, 7);
    EXPECT_EQ(r.blue, 8);
    EXPECT_EQ(r.ToWords(), (LightRecord::Words{0x04030201, 0x08070605, 0x000B0A09}));
}

TEST(DeviceBase, SetLedCountResizesAndZeroes) {
    CTavrinUSBDevice device;
    device.SetLedCount(8);
    EXPECT_EQ(device.GetLedColours().size(), 8u);
    EXPECT_EQ(device.GetEffectList().size(), 8u);
    for (int i = 0; i < 8; ++i) device.SetLedColour(i, 0xFF000000u + static_cast<unsigned>(i));
    EXPECT_EQ(device.GetLedColour(7), 0xFF000007u);

    device.SetLedCount(8);  // the same count still zeroes every colour
    EXPECT_EQ(device.GetLedColours(), std::vector<std::uint32_t>(8, 0));
    EXPECT_EQ(device.GetEffectList(), std::vector<LedEntry>(8));

    device.SetLedCount(3);
    EXPECT_EQ(device.GetLedCount(), 3);
    EXPECT_EQ(device.GetLedColours().size(), 3u);
    EXPECT_EQ(device.GetEffectList().size(), 3u);
    device.SetLedCount(-4);
    EXPECT_EQ(device.GetLedCount(), 0);
    EXPECT_TRUE(device.GetLedColours().empty());
}

TEST(DeviceBase, LedColoursOutsideTheListAreIgnored) {
    CTavrinUSBDevice device;
    device.SetLedCount(3);
    for (int index : {-1, 3, 126, 1 << 30}) {
        device.SetLedColour(index, 0x12345678);
        EXPECT_EQ(device.GetLedColour(index), 0u) << index;
    }
    device.SetLedColour(2, 0x12345678);
    EXPECT_EQ(device.GetLedColours(), (std::vector<std::uint32_t>{0, 0, 0x12345678}));
}

TEST(DeviceBase, IdentityGivesKindCodeAndSubKind) {
    CTavrinUSBDevice device;
    DeviceIdentity identity = DeviceIdentity::FromRow(kDeviceTypeRows[3]);
    identity.path = "vhid:mouse-col03#vid_0c45&pid_6656&mi_01&col03";
    device.SetIdentity(identity);
    EXPECT_EQ(device.GetKindCode(), kKindMouse);
    EXPECT_EQ(device.GetSubKind(), kSubKindNotification);
    EXPECT_EQ(device.GetIdentity().path, identity.path);
    EXPECT_EQ(device.GetIdentity().usagePage, 0x000C);
}

TEST(DeviceTables, IdentitiesAreEqualByVendorProductKindAndSubKind) {
    DeviceIdentity a = DeviceIdentity::FromRow(kDeviceTypeRows[2]);
    DeviceIdentity b = a;
    b.path = "elsewhere";
    b.connected = 1;
    b.collectionNumber = 9;
    EXPECT_TRUE(a.SameDevice(b));
    EXPECT_FALSE(a.SameDevice(DeviceIdentity::FromRow(kDeviceTypeRows[3])));  // sub-kind
    EXPECT_FALSE(a.SameDevice(DeviceIdentity::FromRow(kDeviceTypeRows[0])));  // kind, ids
}

TEST(DeviceTables, KindAndDevicePageRows) {
    EXPECT_EQ(FindKindPageRow(0x0C45, 0x6656, kKindMouse, 0), 0);
    EXPECT_EQ(FindKindPageRow(0x0C45, 0x6656, kKindWirelessMouse, 0), 0);  // 6 looks up as 2
    EXPECT_EQ(FindKindPageRow(0, 0, kKindKeyboard, 0), 1);
    EXPECT_EQ(FindKindPageRow(0, 0, kKindMousePad, 0), 2);
    EXPECT_EQ(FindKindPageRow(0, 0, kKindHeadset, 0), 3);
    EXPECT_EQ(FindKindPageRow(0x0C45, 0x6656, kKindMouse, 255), -1);
    EXPECT_EQ(FindKindPageRow(0, 0, kKindMouse, 0), -1);
    EXPECT_EQ(KindPageRowForType(2, 0), 0);
    EXPECT_EQ(KindPageRowForType(0, 0), 1);
    EXPECT_EQ(KindPageRowForType(4, 0), 2);
    EXPECT_EQ(KindPageRowForType(6, 0), 3);
    EXPECT_EQ(KindPageRowForType(99, 0), -1);

    EXPECT_EQ(kKindPageRows[0].kindName, "mouse");
    EXPECT_EQ(kKindPageRows[1].kindName, "keyboard");
    EXPECT_EQ(kKindPageRows[2].kindName, "MousePad");
    EXPECT_EQ(kKindPageRows[3].kindName, "HD");
    const int deviceIndex[] = {1, 0, 2, 3};
    for (std::size_t i = 0; i < kKindPageRowCount; ++i) {
        EXPECT_EQ(kKindPageRows[i].deviceIndex, deviceIndex[i]);
        EXPECT_EQ(kKindPageRows[i].entryLayout, "XML\\CustomControlXML\\DeviceOption.xml");
        EXPECT_EQ(kKindPageRows[i].tabGroup, "tab_header_device");
        EXPECT_EQ(kKindPageRows[i].powerContainer, "device_power_switch");
        EXPECT_EQ(kDevicePageRows[i].lightConfigStem, "velko_light");
        EXPECT_EQ(kDevicePageRows[i].powerState, 0);
        EXPECT_EQ(kDevicePageRows[i].spare, -1);
    }
    EXPECT_EQ(kDevicePageRows[0].ledCount, 8);
    EXPECT_EQ(kDevicePageRows[0].keyCount, 8);
    EXPECT_EQ(kDevicePageRows[1].ledCount, 126);
    EXPECT_EQ(kDevicePageRows[2].ledCount, 15);
    EXPECT_EQ(kDevicePageRows[2].keyCount, 0);
    EXPECT_EQ(kDevicePageRows[3].ledCount, 13);
    EXPECT_EQ(kDevicePageRows[3].pageLayout, "XML\\DeviceXml\\ve6533device.xml");
}

class BindKeyLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        device.SetPageLayoutName("XML\\DeviceXml\\mousedevice.xml");
        device.SetKeyCount(8);
        device.SetLedCount(8);
        AddNamed(device, std::make_unique<CLabelUI>(), "before");
        panel = static_cast<CContainerUI*>(
            AddNamed(device, std::make_unique<CSelectPanelUI>(), "keys"));
        AddNamed(device, std::make_unique<CSelectPanelUI>(), "second");
        for (int i = 0; i < 10; ++i) {
            keys.push_back(static_cast<CDeviceKeyButtonUI*>(AddNamed(
                *panel, std::make_unique<CDeviceKeyButtonUI>(), "key_" + std::to_string(i))));
            lights.push_back(static_cast<CDeviceKeyButtonUI*>(AddNamed(
                *panel, std::make_unique<CDeviceKeyButtonUI>(), "light_" + std::to_string(i))));
        }
        AddNamed(*panel, std::make_unique<CButtonUI>(), "key_3");  // not a key button
        other = static_cast<CDeviceKeyButtonUI*>(
            AddNamed(*panel, std::make_unique<CDeviceKeyButtonUI>(), "light_0_2"));
    }
    CTavrinUSBDevice device;
    CContainerUI* panel = nullptr;
    std::vector<CDeviceKeyButtonUI*> keys, lights;
    CDeviceKeyButtonUI* other = nullptr;
};

TEST_F(BindKeyLayoutTest, BindsTheButtonsBelowTheCounts) {
    device.BindKeyLayout();
    EXPECT_EQ(device.GetKeyLayoutPanel(), panel);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(device.GetKeyButton(i), i < 8 ? keys[i] : nullptr);
        EXPECT_EQ(device.GetLedButton(i), i < 8 ? lights[i] : nullptr);
        EXPECT_EQ(lights[i]->IsLit(), i < 8);
        if (i < 8) {
            EXPECT_EQ(lights[i]->GetLightColour(), 0x00FFFFFFu);
            EXPECT_EQ(lights[i]->GetLightAlpha(), 255);
        }
        EXPECT_FALSE(keys[i]->IsLit());
    }
    EXPECT_FALSE(other->IsLit());
}

TEST_F(BindKeyLayoutTest, WithoutAPageLayoutTheListsAreEmptied) {
    device.SetPageLayoutName("");
    device.BindKeyLayout();
    EXPECT_EQ(device.GetKeyCount(), 0);
    EXPECT_EQ(device.GetLedCount(), 0);
    EXPECT_TRUE(device.GetLedColours().empty());
    EXPECT_EQ(device.GetKeyButton(0), nullptr);
}

TEST(BindKeyLayout, APageWithoutSelectPanelBindsNothing) {
    CTavrinUSBDevice device;
    device.SetPageLayoutName("page.xml");
    device.SetKeyCount(4);
    device.SetLedCount(4);
    auto holder = std::make_unique<CVerticalLayoutUI>();
    auto* nested = static_cast<CContainerUI*>(holder->Add(std::make_unique<CSelectPanelUI>()));
    AddNamed(*nested, std::make_unique<CDeviceKeyButtonUI>(), "key_1");
    device.Add(std::move(holder));  // a SelectPanel below a direct child does not count
    device.BindKeyLayout();
    EXPECT_EQ(device.GetKeyLayoutPanel(), nullptr);
    EXPECT_EQ(device.GetKeyButton(1), nullptr);
    EXPECT_EQ(device.GetKeyCount(), 4);
}

class FunctionPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto page = std::make_unique<CVerticalLayoutUI>();
        pages = static_cast<CTabLayoutUI*>(
            AddNamed(*page, std::make_unique<CTabLayoutUI>(), "device_function_switch"));
        keyPages = static_cast<CTabLayoutUI*>(
            AddNamed(*page, std::make_unique<CTabLayoutUI>(), "device_key_function_switch"));
        for (int i = 0; i < 4; ++i) {
            pages->Add(std::make_unique<CControlUI>());
            keyPages->Add(std::make_unique<CControlUI>());
        }
        device.Add(std::move(page));
    }
    CTavrinUSBDevice device;
    CTabLayoutUI* pages = nullptr;
    CTabLayoutUI* keyPages = nullptr;
};

TEST_F(FunctionPageTest, PagesByType) {
    struct Case {
        int kind, type, page, keyPage;  // keyPage -1: unchanged
    };
    const Case cases[] = {
        {2, 2, 0, 1},  {2, 6, 0, 1},  {2, 3, 1, -1}, {2, 8, 1, -1}, {2, 4, 3, -1},
        {1, 4, 3, -1}, {6, 4, 3, -1}, {3, 4, 0, 2},  {7, 4, 0, 2},  {3, 7, 0, 2},
        {2, 5, 2, -1}, {2, 0, 0, 0},  {2, 1, 0, 0},  {2, 9, 0, 0},  {3, -5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " type " << c.type);
        device.SetKindCode(c.kind);
        pages->SelectItem(2);
        keyPages->SelectItem(3);
        device.ShowFunctionPage(c.type);
        EXPECT_EQ(device.GetFunctionPage(), c.type);
        EXPECT_EQ(pages->GetCurSel(), c.page);
        EXPECT_EQ(keyPages->GetCurSel(), c.keyPage < 0 ? 3 : c.keyPage);
    }
}

TEST(FunctionPage, WithoutBothSwitchesOnlyTheTypeIsStored) {
    CTavrinUSBDevice device;
    auto* pages = static_cast<CTabLayoutUI*>(
        AddNamed(device, std::make_unique<CTabLayoutUI>(), "device_function_switch"));
    pages->Add(std::make_unique<CControlUI>());
    pages->Add(std::make_unique<CControlUI>());
    pages->SelectItem(1);
    device.ShowFunctionPage(2);
    EXPECT_EQ(device.GetFunctionPage(), 2);
    EXPECT_EQ(pages->GetCurSel(), 1);
}

class CFakePowerPanel : public CHorizontalLayoutUI, public IDevicePowerView {
public:
    void ShowPowerLayout(int flag) override { flags.push_back(flag); }
    void ShowPowerStatus(std::span<const std::uint8_t>) override {}
    std::vector<int> flags;
};

TEST(DeviceBase, PowerStateReachesThePowerPanel) {
    CTavrinUSBDevice device;
    device.SetPowerState(3);  // no panel yet
    CFakePowerPanel panel;
    device.SetPowerPanel(&panel);
    EXPECT_EQ(panel.flags, (std::vector<int>{3}));
    device.SetPowerState(0);
    EXPECT_EQ(panel.flags, (std::vector<int>{3, 0}));
    EXPECT_EQ(device.GetPowerState(), 0);
    CLabelUI plain;
    device.SetPowerPanel(&plain);  // a control without the view: stored, nothing pushed
    device.SetPowerState(1);
    EXPECT_EQ(device.GetPowerPanel(), &plain);
}

TEST(DeviceBase, SimpleStores) {
    CTavrinUSBDevice device;
    device.SetKeyMap({{1, 2}, {3, 4}});
    device.SetKeyMap({{5, 6}});
    EXPECT_EQ(device.GetKeyMap(), (std::map<int, int>{{5, 6}}));
    device.SelectKey(7);
    EXPECT_EQ(device.GetSelectedIndex(), 7);
    device.SetDeviceIndex(3);
    EXPECT_EQ(device.GetDeviceIndex(), 3);
    device.SetKeyCount(126);
    EXPECT_EQ(device.GetKeyCount(), 126);
    EXPECT_EQ(device.GetKeyButton(125), nullptr);
    EXPECT_EQ(device.GetKeyButton(126), nullptr);
}

}  // namespace

// Whoever shows the light frames sleeps while none can come and is told when they may.
TEST(DeviceBase, FramesWantedListenerHearsOnlyChangesThatLetFramesCome) {
    CTavrinUSBDevice device;
    device.SetLedCount(8);
    device.SetPageShown(true);
    device.SetWindowActive(1);
    int calls = 0;
    device.SetFramesWantedListener([&] { ++calls; });
    struct Step {
        const char* what;
        std::function<void()> change;
        int callsAfter;
    };
    const Step steps[] = {
        {"window inactive", [&] { device.SetWindowActive(0); }, 0},
        {"window active again", [&] { device.SetWindowActive(1); }, 1},
        {"synchronised effect on", [&] { device.SetSyncLight(1); }, 1},
        {"page hidden meanwhile", [&] { device.SetPageShown(false); }, 1},
        {"synchronised effect off, page still hidden", [&] { device.SetSyncLight(0); }, 1},
        {"page shown", [&] { device.SetPageShown(true); }, 2},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        EXPECT_EQ(calls, step.callsAfter);
    }
    device.SetFramesWantedListener({});
    device.SetWindowActive(1);
    EXPECT_EQ(calls, 2);
}

// The path operations read the device's kind name.
TEST(DeviceBase, ProfilePathsFollowTheKindName) {
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    char pattern[] = "/tmp/tolmi-device-paths-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    ::setenv("XDG_DATA_HOME", pattern, 1);
    CTavrinUSBDevice device;
    device.SetKindName("mouse");
    EXPECT_EQ(device.GetProfileFolder(), std::string(pattern) + "/TOLMI Q318 Driver/mouse/");
    EXPECT_TRUE(std::filesystem::is_directory(device.GetProfileFolder()));
    EXPECT_EQ(device.GetDefaultProfilePath(), device.GetDefaultDataFolder() + "mouse.Json");
    if (old)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(pattern);
}
