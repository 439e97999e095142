#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "device/channel/ProtocolTable.h"
#include "device/mouse/MouseKeyTable.h"
#include "device/mouse/MouseStateRecord.h"
#include "sim/MouseFirmware.h"

namespace {

// Sends the record as a host would: begin, 0x06 chunks at slot 0, end.
void WriteToSlotZero(CMouseFirmware& firmware, const MouseStateRecord& record) {
    firmware.Receive(BuildRequest(Command::BeginTransfer, 0, 0));
    for (std::size_t at = 0; at < record.size(); at += kChunkSize) {
        const std::size_t length = std::min(kChunkSize, record.size() - at);
        const auto chunk = std::span<const std::uint8_t>(record).subspan(at, length);
        firmware.Receive(BuildRequest(Command::WriteMemory, static_cast<std::uint8_t>(length),
                                      static_cast<std::uint16_t>(at), chunk));
    }
    firmware.Receive(BuildRequest(Command::EndTransfer, 0, 0));
}

DpiStage Stage(std::uint16_t dpiX, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    DpiStage stage;
    stage.active = 1;
    stage.dpiX = dpiX;
    stage.red = red;
    stage.green = green;
    stage.blue = blue;
    return stage;
}

TEST(MouseFirmwareRoundTrip, TheFirmwareDecodesTheComposedRecord) {
    struct Case {
        const char* name;
        bool wireless;
        std::uint8_t speed;
        std::uint8_t speedOnDevice;
    };
    for (const Case c : {Case{"wired", false, 1, 1}, Case{"wireless", true, 1, 3}}) {
        SCOPED_TRACE(c.name);
        LightRecord light;
        light.mode = 2;
        light.brightness = 4;
        light.speed = c.speed;
        light.direction = 1;
        light.multiColour = 0;
        light.red = 0xC0;
        light.green = 0x80;
        light.blue = 0x40;
        const std::vector<DpiStage> stages = {Stage(4, 0xFF, 0, 0), Stage(9, 0, 0xFF, 0),
                                              Stage(0x0130, 0, 0, 0xFF)};
        CMouseFirmware firmware;
        WriteToSlotZero(firmware, ComposeMouseStateRecord(light, 3, stages, 1, c.wireless));

        const MouseState state = firmware.State();
        EXPECT_EQ(state.slot, 0);
        EXPECT_EQ(state.lightMode, 2);
        EXPECT_EQ(state.brightness, 4);
        EXPECT_EQ(state.speed, c.speedOnDevice);
        EXPECT_EQ(state.direction, 1);
        EXPECT_EQ(state.multicolour, 0);
        EXPECT_EQ(state.lightColour, (std::array<std::uint8_t, 3>{0xC0, 0x80, 0x40}));
        EXPECT_EQ(state.pollingIndex, 3);
        EXPECT_EQ(state.activeStage, 1);
        const std::array<std::uint8_t, 5> dpiIndex = {4, 9, 0x30, 0, 0};
        const std::array<std::array<std::uint8_t, 3>, 5> colour = {
            {{0xFF, 0, 0}, {0, 0xFF, 0}, {0, 0, 0xFF}, {0, 0, 0}, {0, 0, 0}}};
        for (std::size_t n = 0; n < 5; ++n) {
            SCOPED_TRACE(n);
            EXPECT_EQ(state.stages[n].dpiIndex, dpiIndex[n]);
            EXPECT_EQ(state.stages[n].colour, colour[n]);
            EXPECT_EQ(state.stages[n].used, n < 3);
        }
    }
}

TEST(MouseFirmwareRoundTrip, TheSlotMapOfTheFactoryTableFindsEveryButton) {
    const std::vector<std::uint8_t> table = FactoryMouseKeyTable();
    const auto map = BuildButtonSlotMap(table, static_cast<int>(table.size() / kKeySlotBytes));
    ASSERT_TRUE(map);
    for (std::size_t b = 0; b < kMouseButtonCount; ++b) {
        SCOPED_TRACE(b);
        EXPECT_NE((*map)[b], kNoKeySlot);
    }
}

}  // namespace
