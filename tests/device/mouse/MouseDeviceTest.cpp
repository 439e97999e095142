// The mouse device object end to end: the object on one side of the virtual bus, the
// simulated mouse firmware on the other.
#include <gtest/gtest.h>

#include <json/json.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "device/TavrinMouseDevice.h"
#include "device/channel/ProtocolTable.h"
#include "profile/MacroStore.h"
#include "sim/MouseFirmware.h"
#include "sim/VirtualBusServer.h"

namespace {

// A private folder under /tmp, removed with everything in it.
class CScratchFolder {
public:
    CScratchFolder() {
        std::string pattern = "/tmp/tolmi-mouse-XXXXXX";
        if (mkdtemp(pattern.data())) m_path = pattern;
    }
    ~CScratchFolder() {
        std::error_code error;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, error);
    }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// Sets an environment variable for the life of the object.
class CEnvironmentValue {
public:
    CEnvironmentValue(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~CEnvironmentValue() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    CEnvironmentValue(const CEnvironmentValue&) = delete;
    CEnvironmentValue& operator=(const CEnvironmentValue&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

using Bytes = std::vector<std::uint8_t>;

std::uint8_t CommandOf(const Bytes& report) {
    return report.at(Offset::CommandCode);
}

std::vector<std::uint8_t> CommandsOf(const std::vector<Bytes>& reports) {
    std::vector<std::uint8_t> commands;
    for (const Bytes& report : reports) commands.push_back(CommandOf(report));
    return commands;
}

class MouseDeviceTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_busFolder.Path().empty());
        ASSERT_FALSE(m_dataFolder.Path().empty());
        m_plug = PlugFirmwareMouse(m_bus, m_firmware, "mouse");
        ASSERT_TRUE(m_plug.has_value());
        m_device.SetKindName("mouse");
        m_device.SetProfileText("test-profile");
        m_device.SetLightConfigStem("velko_light");
        // No frames are wanted: the light thread stays idle.
        m_device.SetWindowActive(0);
        m_device.CommandChannel().SetSleepFunction([](std::chrono::milliseconds) {});
        m_device.CommandChannel().SetTimeouts({200, 200, 200});
        ASSERT_TRUE(m_device.CommandChannel().Open(m_plug->commandPath));
    }

    CSimDevice& Sim() { return m_firmware.Device(); }

    // What the host sent since `from`, the link probes left out.
    std::vector<Bytes> SentWithoutProbes() const {
        std::vector<Bytes> sent;
        for (Bytes& report : m_firmware.Device().ReceivedReports())
            if (CommandOf(report) != static_cast<std::uint8_t>(Command::QueryLink))
                sent.push_back(std::move(report));
        return sent;
    }

    Json::Value SavedProfile() const {
        Json::Value root;
        std::ifstream file(m_device.GetProfilePath());
        file >> root;
        return root["Device"][0];
    }

    CScratchFolder m_busFolder;
    CScratchFolder m_dataFolder;
    CEnvironmentValue m_busVariable{"TOLMI_VHID_DIR", m_busFolder.Path()};
    CEnvironmentValue m_dataVariable{"XDG_DATA_HOME", m_dataFolder.Path()};
    CVirtualBusServer m_bus{m_busFolder.Path()};
    mutable CMouseFirmware m_firmware;
    std::optional<PluggedMouse> m_plug;
    CTavrinMouseDevice m_device;
};

// The default profile's record as the device holds it after a write: light mode 2,
// brightness 4, speed 2, multicolour, red; report rate 3; stages 4, 12, 28, 44, 53 with
// their colours; stage 1 active.
constexpr std::array<std::uint8_t, kMouseStateRecordSize> kDefaultRecord = {
    0x00, 0x02, 0x04, 0x02, 0x00, 0x01, 0xFF, 0x00, 0x00, 0x00, 0x00,  // 0..10
    0x00, 0x00, 0x00, 0x03, 0x04, 0x0C, 0x1C, 0x2C, 0x01, 0x35, 0x00,  // 11..21
    0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF,  // 22..32
    0xFF, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00,  // 33..43
};

TEST_F(MouseDeviceTest, OpenReadsTheInformationBlockAndTheKeyTable) {
    m_device.OpenDevice();

    EXPECT_EQ(m_device.KeySlotCount(), 16);
    EXPECT_EQ(m_device.DpiStep(), 100);
    EXPECT_EQ(m_device.MinimumDpi(), 200);
    EXPECT_EQ(m_device.MacroCapacityBytes(), 4096);
    ASSERT_TRUE(m_device.HasKeyTable());
    // left, right, middle, forward, back, DPI up, DPI down, DPI loop, game mode, M8;
    // the slots of no button after them.
    const std::vector<std::uint8_t> map = {0,  1,  2,   4,   3,   5,   6,   9,
                                           10, 11, 126, 126, 126, 126, 126, 126};
    EXPECT_EQ(m_device.ButtonSlotMap(), map);
    EXPECT_EQ(CommandsOf(SentWithoutProbes()), (std::vector<std::uint8_t>{0x01, 0x03, 0x07, 0x02}));
    EXPECT_FALSE(Sim().InTransfer());
    EXPECT_EQ(m_device.KeyRecords().size(), 10u);
}

TEST_F(MouseDeviceTest, AKeySlotCountTooBigForTheTableReadsNoTableButEndsTheTransfer) {
    DeviceInfoBlock info = Sim().Info();
    info[InfoOffset::KeySlotCount] = 171;
    Sim().SetInfo(info);
    m_device.OpenDevice();

    EXPECT_FALSE(m_device.HasKeyTable());
    EXPECT_EQ(CommandsOf(SentWithoutProbes()), (std::vector<std::uint8_t>{0x01, 0x03, 0x02}));
    Sim().ClearReceived();
    EXPECT_EQ(m_device.WriteCurrentKeyTable(0), 0);
    EXPECT_EQ(Sim().ReceivedCount(), 0u);
}

TEST_F(MouseDeviceTest, AStageChangeLandsAsTheWholeRecordAtOffsetZero) {
    m_device.OpenDevice();
    DpiStage stage = m_device.DpiStages().at(1);
    stage.dpiX = 20;
    m_device.SetDpiStage(1, stage);
    m_device.SaveProfile();
    Sim().ClearReceived();

    EXPECT_EQ(m_device.WriteStateRecord(0, 0, 1, 1920, 1080), 1);

    std::array<std::uint8_t, kMouseStateRecordSize> expected = kDefaultRecord;
    expected[16] = 20;
    const std::vector<Bytes> sent = SentWithoutProbes();
    ASSERT_EQ(CommandsOf(sent), (std::vector<std::uint8_t>{0x01, 0x06, 0x06, 0x02}));
    // Two chunks: 56 bytes at 0, 10 bytes at 56.
    EXPECT_EQ(sent[1][Offset::Length], 56);
    EXPECT_EQ(GetLe16(sent[1], Offset::Address), 0);
    EXPECT_EQ(sent[2][Offset::Length], 10);
    EXPECT_EQ(GetLe16(sent[2], Offset::Address), 56);
    EXPECT_EQ(Sim().Memory(0, kMouseStateRecordSize), Bytes(expected.begin(), expected.end()));
    EXPECT_EQ(m_firmware.State().stages[1].dpi, 2200);
    EXPECT_EQ(m_firmware.State().activeStage, 1);
    EXPECT_EQ(SavedProfile()["DPIStages"]["StageDPIs"][1]["StageDPIX"].asInt(), 20);
}

TEST_F(MouseDeviceTest, TheKeyTableWriteChangesOnlyTheSlotsOfButtons) {
    m_device.OpenDevice();
    std::vector<KeyRecord> keys = m_device.KeyRecords();
    keys[0].current = {0, 0x10, 0x02, 0x00};  // left acts as right
    keys[7].current = {7, 0x70, 0x01, 0x00};  // DPI loop plays macro 1
    Sim().ClearReceived();

    EXPECT_EQ(m_device.WriteKeyTable(0, keys), 1);

    const Bytes expected = {
        0x10, 0x02, 0x00,  // slot 0: left, now right
        0x10, 0x02, 0x00,  // slot 1: right
        0x10, 0x04, 0x00,  // slot 2: middle
        0x10, 0x08, 0x00,  // slot 3: back
        0x10, 0x10, 0x00,  // slot 4: forward
        0x13, 0x01, 0x00,  // slot 5: DPI up
        0x13, 0x02, 0x00,  // slot 6: DPI down
        0x11, 0x01, 0x00,  // slot 7: wheel up, no button
        0x11, 0xFF, 0x00,  // slot 8: wheel down, no button
        0x70, 0x01, 0x00,  // slot 9: DPI loop, now a macro
        0xA0, 0x1B, 0x00,  // slot 10: game mode
        0x16, 0x90, 0x01,  // slot 11: M8
        0x12, 0x01, 0x00,  // slot 12: tilt left, no button
        0x12, 0x02, 0x00,  // slot 13: tilt right, no button
    };
    const Bytes table = Sim().KeyTable();
    ASSERT_GE(table.size(), expected.size());
    EXPECT_EQ(Bytes(table.begin(), table.begin() + static_cast<std::ptrdiff_t>(expected.size())),
              expected);
    EXPECT_EQ(CommandsOf(SentWithoutProbes()), (std::vector<std::uint8_t>{0x03, 0x01, 0x09, 0x02}));
}

TEST_F(MouseDeviceTest, TheKeyTableIsNotWrittenWhenTheSlotCountChanged) {
    m_device.OpenDevice();
    DeviceInfoBlock info = Sim().Info();
    info[InfoOffset::KeySlotCount] = 15;
    Sim().SetInfo(info);
    Sim().ClearReceived();

    EXPECT_EQ(m_device.WriteCurrentKeyTable(0), 0);
    EXPECT_EQ(CommandsOf(SentWithoutProbes()), (std::vector<std::uint8_t>{0x03}));
}

TEST_F(MouseDeviceTest, MacrosGoOutAsOneImageAndTooManyAreRefusedWithTheOverflow) {
    m_device.OpenDevice();
    CMacroStore store(m_device.GetProfileFolder(), MacroListFileName("mouse"));
    ASSERT_EQ(store.Add(), 0);
    ASSERT_EQ(store.Add(), 1);
    const MacroEvent down{1, 4, "down", 10};
    const MacroEvent up{1, 4, "up", 300};
    ASSERT_TRUE(store.Save(0, std::vector<MacroEvent>{down, up, down}));
    ASSERT_TRUE(store.Save(1, std::vector<MacroEvent>{up, up, up, up, down}));

    struct Case {
        const char* name;
        std::uint8_t capacityUnits;
        int result;
        bool sent;
    };
    for (const Case c : {Case{"no room", 0, 16, false}, Case{"fits", 1, 0, true}}) {
        SCOPED_TRACE(c.name);
        DeviceInfoBlock info = Sim().Info();
        info[InfoOffset::MacroCapacity] = c.capacityUnits;
        Sim().SetInfo(info);
        Sim().ClearReceived();

        EXPECT_EQ(m_device.DownloadMacros(), c.result);

        const std::vector<std::uint8_t> commands = CommandsOf(SentWithoutProbes());
        const bool wrote = std::find(commands.begin(), commands.end(), 0x15) != commands.end();
        EXPECT_EQ(wrote, c.sent);
    }
    const Bytes
        image =
            {
                0xAA, 0x55, 60,   0,    2,    0,    0,    0, 0,    0,
                0,    0,    0,    0,    0,    0,  // magic, size, count
                20,   0,    36,   0,              // offsets
                3,    0,    0,    0,              // macro 0: three events
                10,   0,    0x81, 4,    0x2C, 0x01, 0x01, 4, 10,   0,
                0x81, 4,    5,    0,    0,    0,  // macro 1: five events
                0x2C, 0x01, 0x01, 4,    0x2C, 0x01, 0x01, 4, 0x2C, 0x01,
                0x01, 4,    0x2C, 0x01, 0x01, 4,    10,   0, 0x81, 4,
            };
    EXPECT_EQ(Sim().MacroImage(), image);
}

TEST_F(MouseDeviceTest, KeysOfMacrosThatNoLongerExistGetTheirDefaults) {
    m_device.OpenDevice();
    CMacroStore store(m_device.GetProfileFolder(), MacroListFileName("mouse"));
    ASSERT_EQ(store.Add(), 0);
    std::vector<KeyRecord> keys = m_device.KeyRecords();
    keys[3].current = {3, 0x70, 0x00, 0x00};  // macro 0 exists
    keys[4].current = {4, 0x71, 0x01, 0x00};  // macro 1 does not
    m_device.Profile().StoreKeyList(keys);
    m_device.SaveProfile();
    m_device.LoadProfile();

    m_device.FixMacroKeys();

    const std::vector<KeyRecord>& fixed = m_device.KeyRecords();
    EXPECT_EQ(fixed[3].current, (KeyAssignment{3, 0x70, 0x00, 0x00}));
    EXPECT_EQ(fixed[4].current, (KeyAssignment{4, 0x10, 0x08, 0x00}));
    EXPECT_EQ(m_device.Profile().GetKeyList()[4].current, (KeyAssignment{4, 0x10, 0x08, 0x00}));
}

TEST_F(MouseDeviceTest, WithoutShootFilesTheShootImageHoldsFourEmptyGuns) {
    m_device.OpenDevice();
    Sim().ClearReceived();

    EXPECT_EQ(m_device.DownloadShoot(), 0);

    const Bytes image = {
        0xAA, 0x55, 40, 0, 4,  0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0,  // magic, size, count
        24,   0,    28, 0, 32, 0, 36, 0,                          // offsets
        0,    0,    0,  0, 0,  0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0,  // four empty guns
    };
    EXPECT_EQ(Sim().ShootImage(), image);
    EXPECT_EQ(CommandsOf(SentWithoutProbes()), (std::vector<std::uint8_t>{0x03, 0x01, 0x17, 0x02}));
}

TEST_F(MouseDeviceTest, TheDpiButtonReachesTheProfileThroughTheStateRead) {
    m_device.OpenDevice();
    ASSERT_EQ(m_device.WriteStateRecord(0, 0, 1, 1920, 1080), 1);
    m_firmware.PressDpiButton();

    m_device.ReadDeviceState();

    EXPECT_EQ(m_device.GetActiveStage(), 2);
    EXPECT_EQ(SavedProfile()["DPIStages"]["StageActive"].asInt(), 2);
}

TEST_F(MouseDeviceTest, TheStateIsReadFromTheCurrentSlotAndWrittenToSlotZero) {
    m_device.OpenDevice();
    const Bytes slotTwo = {
        0x00, 0x06, 0x01, 0x03, 0x01, 0x00, 0x10, 0x20, 0x30, 0x00, 0x00,  // 0..10
        0x00, 0x00, 0x00, 0x02, 0x05, 0x06, 0x07, 0x08, 0x04, 0x09, 0x00,  // 11..21
    };
    Sim().SetMemory(0, Bytes{2});
    Sim().SetMemory(256, slotTwo);
    Sim().ClearReceived();

    m_device.ReadDeviceState();

    const std::vector<Bytes> sent = SentWithoutProbes();
    ASSERT_EQ(CommandsOf(sent), (std::vector<std::uint8_t>{0x05, 0x05}));
    EXPECT_EQ(GetLe16(sent[1], Offset::Address), 256);
    EXPECT_EQ(sent[1][Offset::Length], 42);
    const LightRecord light = m_device.GetLightInfo();
    EXPECT_EQ(light.mode, 6);
    EXPECT_EQ(light.brightness, 1);
    EXPECT_EQ(light.speed, 3);
    EXPECT_EQ(light.direction, 0);  // the object keeps its own
    EXPECT_EQ(light.multiColour, 0);
    EXPECT_EQ(light.red, 0x10);
    EXPECT_EQ(light.green, 0x20);
    EXPECT_EQ(light.blue, 0x30);
    EXPECT_EQ(m_device.GetActiveStage(), 4);
    EXPECT_EQ(SavedProfile()["LightInfo"]["SelectItem"].asInt(), 6);

    Sim().ClearReceived();
    ASSERT_EQ(m_device.WriteStateRecord(0, 0, 1, 1920, 1080), 1);
    EXPECT_EQ(GetLe16(SentWithoutProbes().at(1), Offset::Address), 0);
    EXPECT_EQ(Sim().Memory(256, slotTwo.size()), slotTwo);
}

TEST_F(MouseDeviceTest, AnActiveStageByteBeyondTheStagesKeepsTheProfilesStage) {
    m_device.OpenDevice();
    ASSERT_EQ(m_device.WriteStateRecord(0, 0, 1, 1920, 1080), 1);
    Sim().SetMemory(MouseRecordOffset::ActiveStage, Bytes{9});

    m_device.ReadDeviceState();

    EXPECT_EQ(m_device.GetActiveStage(), 1);
    EXPECT_EQ(SavedProfile()["DPIStages"]["StageActive"].asInt(), 1);
}

TEST_F(MouseDeviceTest, AFailedStateReadChangesNothing) {
    m_device.OpenDevice();
    ASSERT_EQ(m_device.WriteStateRecord(0, 0, 1, 1920, 1080), 1);
    m_firmware.PressDpiButton();
    const Json::Value before = SavedProfile();
    const LightRecord light = m_device.GetLightInfo();
    // Every memory read is refused by the device.
    SimFault refuse;
    refuse.kind = SimFault::Kind::Status;
    refuse.when.command = static_cast<std::uint8_t>(Command::ReadMemory);
    refuse.when.times = -1;
    refuse.value = kStatusErrorFF;
    Sim().AddFault(refuse);
    Sim().ClearReceived();

    m_device.ReadDeviceState();

    EXPECT_EQ(m_device.GetActiveStage(), 1);
    EXPECT_EQ(SavedProfile(), before);
    EXPECT_EQ(m_device.GetLightInfo().ToWords(), light.ToWords());
}

TEST_F(MouseDeviceTest, WirelessModeInvertsTheSpeedAndProbesTheLink) {
    m_device.OpenDevice();
    m_device.CommandChannel().SetWirelessMode(true);
    LightRecord light = m_device.GetLightInfo();
    light.speed = 1;
    const LightRecord::Words words = light.ToWords();
    m_device.SetLightInfo(words.first, words.second, words.third);
    Sim().ClearReceived();

    ASSERT_EQ(m_device.WriteStateRecord(0, 0, 1, 1920, 1080), 1);
    EXPECT_EQ(Sim().Memory(MouseRecordOffset::Speed, 1), Bytes{3});
    const std::vector<std::uint8_t> probe = {static_cast<std::uint8_t>(Command::QueryLink)};
    EXPECT_EQ(CommandsOf(Sim().ReceivedReports()).front(), probe.front());

    m_device.ReadDeviceState();
    EXPECT_EQ(m_device.GetLightInfo().speed, 1);
    EXPECT_EQ(SavedProfile()["LightInfo"]["Speed"].asInt(), 1);

    Sim().SetLinked(false);
    Sim().ClearReceived();
    EXPECT_EQ(m_device.WriteStateRecord(0, 0, 1, 1920, 1080), 0);
    EXPECT_EQ(CommandsOf(Sim().ReceivedReports()), probe);

    // Unreachable, a state read takes nothing back.
    Sim().SetMemory(MouseRecordOffset::LightMode, Bytes{6});
    Sim().ClearReceived();
    m_device.ReadDeviceState();
    EXPECT_EQ(CommandsOf(Sim().ReceivedReports()), probe);
    EXPECT_EQ(m_device.GetLightInfo().mode, light.mode);
}

TEST_F(MouseDeviceTest, TheWiredSpeedIsWrittenAndReadBackAsItIs) {
    m_device.OpenDevice();
    LightRecord light = m_device.GetLightInfo();
    light.speed = 1;
    const LightRecord::Words words = light.ToWords();
    m_device.SetLightInfo(words.first, words.second, words.third);

    ASSERT_EQ(m_device.WriteStateRecord(0, 0, 1, 1920, 1080), 1);
    EXPECT_EQ(Sim().Memory(MouseRecordOffset::Speed, 1), Bytes{1});
    m_device.ReadDeviceState();
    EXPECT_EQ(m_device.GetLightInfo().speed, 1);
}

TEST_F(MouseDeviceTest, ADeviceThatVanishesMidWriteGivesTheFailure) {
    m_device.OpenDevice();
    SimFault vanish;
    vanish.kind = SimFault::Kind::Unplug;
    vanish.when.command = static_cast<std::uint8_t>(Command::WriteMemory);
    Sim().AddFault(vanish);

    EXPECT_EQ(m_device.WriteStateRecord(0, 0, 1, 1920, 1080), 0);
    EXPECT_EQ(m_device.WriteCurrentKeyTable(0), 0);
}

TEST_F(MouseDeviceTest, ThePowerRecordCarriesTheLinkKind) {
    m_device.OpenDevice();
    for (const bool wireless : {false, true}) {
        SCOPED_TRACE(wireless);
        m_device.CommandChannel().SetWirelessMode(wireless);
        m_device.ReadPowerStatus();
        ASSERT_TRUE(m_device.PowerRecord().has_value());
        const std::array<std::uint8_t, 6> expected = {
            85, 0, 0, wireless ? std::uint8_t{1} : std::uint8_t{0}, 0, 0};
        EXPECT_EQ(*m_device.PowerRecord(), expected);
    }
}

TEST(MouseRenderers, TheFirstRippleStepLightsTheFirstZone) {
    CTavrinMouseDevice device;
    device.SetLedCount(8);
    LightRecord light;
    light.mode = 3;
    light.brightness = 4;
    light.red = 0x40;
    const LightRecord::Words words = light.ToWords();
    device.SetLightInfo(words.first, words.second, words.third);

    device.RenderRipple();

    const std::vector<std::uint32_t> leds = device.GetLedColours();
    EXPECT_EQ(leds[0], PackLedColour(0x40, 0, 0, 254));
    for (std::size_t i = 1; i < leds.size(); ++i) EXPECT_EQ(leds[i], PackLedColour(0x40, 0, 0, 0));
}

TEST(MouseRenderers, TheRippleStaysInsideTheLedBuffer) {
    CTavrinMouseDevice device;
    device.SetLedCount(8);
    for (const std::uint8_t multi : {0, 1}) {
        LightRecord light;
        light.mode = 3;
        light.brightness = 4;
        light.multiColour = multi;
        light.red = 0x40;
        const LightRecord::Words words = light.ToWords();
        device.SetLightInfo(words.first, words.second, words.third);
        for (int frame = 0; frame < 1000; ++frame) device.RenderRipple();
        for (int frame = 0; frame < 1000; ++frame) device.RenderFlow();
    }
    EXPECT_EQ(device.GetLedColours().size(), 8u);
}

}  // namespace
