// The mouse firmware model: what it reports, what it keeps, how it reads the state record
// the host writes, and its DPI button.
#include <gtest/gtest.h>

#include "sim/MouseFirmware.h"
#include "tests/device/channel/HexBytes.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Sends `bytes` to `address` with `command` in 56-byte chunks; the status of each reply.
std::vector<std::uint8_t> Write(CMouseFirmware& firmware, Command command, std::uint16_t address,
                                const Bytes& bytes) {
    std::vector<std::uint8_t> statuses;
    for (std::size_t done = 0; done < bytes.size(); done += kChunkSize) {
        const std::size_t length = std::min(kChunkSize, bytes.size() - done);
        const Report request = BuildRequest(
            command, static_cast<std::uint8_t>(length), static_cast<std::uint16_t>(address + done),
            std::span<const std::uint8_t>(bytes).subspan(done, length));
        const SimResponse response = firmware.Receive(request);
        statuses.push_back(response.replies.empty() ? 0xEE : response.replies[0][Offset::Status]);
    }
    return statuses;
}

// Slot 0 as the host writes it: breathing (mode 1), brightness 3, speed 2, direction 1,
// multicolour off, colour 10 20 30; polling index 3; stages 1-3 at indexes 6, 14, 50 and
// 4-5 unused; stage 2 active; stage colours ff0000, 00ff00, 0000ff.
const Bytes kStateRecord = FromHex(
    "00 01 03 02 01 00 10 20 30 00 00 00 00 00 03 06"
    "0e 32 00 01 00 00 00 00 ff 00 00 00 ff 00 00 00"
    "ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00");

TEST(MouseFirmware, InformationBlock) {
    CMouseFirmware firmware;
    const DeviceInfoBlock info = firmware.Device().Info();
    EXPECT_EQ(Bytes(info.begin(), info.end()),
              FromHex("00 00 00 00 00 10 20 00 00 00 00 64 00 00 c8 00"
                      "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"));
}

TEST(MouseFirmware, FactoryKeyTableHoldsEachButtonOnceBesideOtherControls) {
    CMouseFirmware firmware;
    const Bytes table = firmware.Device().KeyTable();
    ASSERT_EQ(table.size(), 48u);
    struct Case {
        const char* button;
        Bytes code;
        std::size_t slot;
    };
    const Case cases[] = {
        {"left", FromHex("10 01 00"), 0},       {"right", FromHex("10 02 00"), 1},
        {"middle", FromHex("10 04 00"), 2},     {"forward", FromHex("10 10 00"), 4},
        {"back", FromHex("10 08 00"), 3},       {"DPI add", FromHex("13 01 00"), 5},
        {"DPI sub", FromHex("13 02 00"), 6},    {"DPI loop", FromHex("13 03 00"), 9},
        {"game mode", FromHex("a0 1b 00"), 10}, {"M8", FromHex("16 90 01"), 11},
    };
    std::vector<bool> taken(16, false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        for (std::size_t slot = 0; slot < 16; ++slot) {
            const Bytes held(table.begin() + 3 * slot, table.begin() + 3 * slot + 3);
            EXPECT_EQ(held == c.code, slot == c.slot) << "slot " << slot;
        }
        taken[c.slot] = true;
    }
    for (const std::size_t slot : {7, 8, 12, 13, 14, 15}) EXPECT_FALSE(taken[slot]);
    EXPECT_EQ(Bytes(table.begin() + 21, table.begin() + 27), FromHex("11 01 00 11 ff 00"));
}

TEST(MouseFirmware, PowerStatusIsTheShortRead) {
    CMouseFirmware firmware;
    const Report request = BuildRequest(Command::ReadShort, 6, 0);
    const SimResponse response = firmware.Receive(request);
    ASSERT_EQ(response.replies.size(), 1u);
    EXPECT_EQ(Bytes(response.replies[0].begin() + Offset::Data,
                    response.replies[0].begin() + Offset::Data + 7),
              FromHex("55 00 00 00 00 00 00"));
}

TEST(MouseFirmware, DecodesTheStateRecordWrittenToSlotZero) {
    CMouseFirmware firmware;
    std::vector<MouseState> seen;
    firmware.SetStateListener([&seen](const MouseState& state) { seen.push_back(state); });
    EXPECT_EQ(Write(firmware, Command::WriteMemory, 0, kStateRecord), Bytes({0x00, 0x00}));
    EXPECT_EQ(firmware.Device().Memory(0, 66), kStateRecord);
    EXPECT_EQ(FormatMouseState(firmware.State()),
              "current slot: 0\n"
              "active stage: 2\n"
              "stage 1: 800 dpi (index 6), colour ff0000\n"
              "stage 2: 1600 dpi (index 14), colour 00ff00\n"
              "stage 3: 5400 dpi (index 50), colour 0000ff\n"
              "stage 4: unused\n"
              "stage 5: unused\n"
              "polling rate: 1000 Hz (index 3)\n"
              "lighting: mode 1, brightness 3, speed 2, direction 1, multicolour 0, "
              "colour 102030\n");
    // Once when the listener is set, then once per chunk that changed something.
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.back(), firmware.State());
}

TEST(MouseFirmware, DpiIndexesAtTheEdges) {
    struct Case {
        std::uint8_t index;
        int dpi;
    };
    const Case cases[] = {{0, 200}, {1, 300}, {48, 5000}, {49, 5200}, {73, 10000}};
    for (const Case& c : cases) EXPECT_EQ(MouseDpiOfIndex(c.index, 100), c.dpi) << +c.index;
}

TEST(MouseFirmware, DpiButtonStepsThroughTheUsedStages) {
    struct Case {
        const char* name;
        Bytes stageBytes;  // bytes 15..20: indexes of stages 1-4, active stage, stage 5
        std::uint8_t nextActive;
    };
    const Case cases[] = {
        {"first to second", FromHex("06 0e 32 00 00 00"), 1},
        {"last used wraps", FromHex("06 0e 32 00 02 00"), 0},
        {"skips unused", FromHex("06 00 00 0a 00 00"), 3},
        {"stage 5", FromHex("06 00 00 00 00 14"), 4},
        {"from stage 5", FromHex("06 00 00 00 04 14"), 0},
        {"nothing used", FromHex("00 00 00 00 00 00"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMouseFirmware firmware;
        std::vector<Bytes> sent;
        firmware.SetNotifier([&sent](std::span<const std::uint8_t> report) {
            sent.emplace_back(report.begin(), report.end());
        });
        firmware.Device().SetMemory(15, c.stageBytes);
        firmware.PressDpiButton();
        EXPECT_EQ(firmware.Device().Memory(19, 1), Bytes{c.nextActive});
        EXPECT_EQ(firmware.State().activeStage, c.nextActive);
        EXPECT_EQ(sent, std::vector<Bytes>{FromHex("01 01 04")});
    }
}

TEST(MouseFirmware, DpiButtonChangesTheCurrentSlot) {
    CMouseFirmware firmware;
    firmware.Device().SetMemory(0, FromHex("02"));
    firmware.Device().SetMemory(256 + 15, FromHex("06 0e 00 00 00 00"));
    firmware.PressDpiButton();
    EXPECT_EQ(firmware.Device().Memory(256 + 19, 1), FromHex("01"));
    EXPECT_EQ(firmware.Device().Memory(19, 1), FromHex("00"));
    EXPECT_EQ(firmware.State().slot, 2);
    EXPECT_EQ(firmware.State().activeStage, 1);
}

TEST(MouseFirmware, MacroImagesMustFitTheMacroMemory) {
    // Two macros of 3 and 5 events: 60 bytes.
    const Bytes twoMacros = FromHex(
        "aa 55 3c 00 02 00 00 00 00 00 00 00 00 00 00 00"
        "14 00 24 00"
        "03 00 00 00 0a 00 81 04 0a 00 01 04 00 00 81 05"
        "05 00 00 00 01 00 81 01 01 00 01 01 02 00 81 02 02 00 01 02 03 00 81 03");
    struct Case {
        const char* name;
        std::uint16_t address;
        Bytes chunk;
        std::uint8_t status;
    };
    const Case cases[] = {
        {"fits", 0, twoMacros, 0x00},
        {"declares 4100 bytes", 0, FromHex("aa 55 04 10 00 00 00 00 00 00 00 00 00 00 00 00"),
         0xFF},
        // 16 + 6 x 2 + 4 x 1017 events
        {"declares exactly 4096 bytes", 0,
         FromHex("aa 55 00 10 02 00 00 00 00 00 00 00 00 00 00 00"), 0x00},
        {"ends past 4096", 4090, FromHex("00 00 00 00 00 00 00"), 0xFF},
        {"ends at 4096", 4090, FromHex("00 00 00 00 00 00"), 0x00},
        {"wrong magic", 0, FromHex("55 aa 10 00 00 00 00 00 00 00 00 00 00 00 00 00"), 0xFF},
        {"shorter than its macros", 0, FromHex("aa 55 10 00 01 00 00 00 00 00 00 00 00 00 00 00"),
         0xFF},
        {"events cut in half", 0, FromHex("aa 55 18 00 01 00 00 00 00 00 00 00 00 00 00 00 12 00"),
         0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMouseFirmware firmware;
        for (const std::uint8_t status :
             Write(firmware, Command::WriteMacroData, c.address, c.chunk))
            EXPECT_EQ(status, c.status);
        if (c.status == 0x00 && c.address == 0) EXPECT_EQ(firmware.Device().MacroImage(), c.chunk);
        if (c.status != 0x00) EXPECT_TRUE(firmware.Device().MacroImage().empty());
    }
}

TEST(MouseFirmware, MacroMemoryFollowsTheInformationBlock) {
    CMouseFirmware firmware;
    DeviceInfoBlock info = firmware.Device().Info();
    info[6] = 0;  // no macro memory
    firmware.Device().SetInfo(info);
    EXPECT_EQ(Write(firmware, Command::WriteMacroData, 0,
                    FromHex("aa 55 10 00 00 00 00 00 00 00 00 00 00 00 00 00")),
              Bytes{0xFF});
}

TEST(MouseFirmware, ShootImagesHoldFourGuns) {
    struct Case {
        const char* name;
        Bytes image;
        std::uint8_t status;
    };
    const Case cases[] = {
        {"four empty guns",
         FromHex("aa 55 28 00 04 00 00 00 00 00 00 00 00 00 00 00"
                 "18 00 1c 00 20 00 24 00"
                 "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"),
         0x00},
        {"three guns",
         FromHex("aa 55 22 00 03 00 00 00 00 00 00 00 00 00 00 00"
                 "16 00 1a 00 1e 00 00 00 00 00 00 00 00 00 00 00 00 00"),
         0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMouseFirmware firmware;
        EXPECT_EQ(Write(firmware, Command::WriteShootData, 0, c.image), Bytes{c.status});
        EXPECT_EQ(firmware.Device().ShootImage().size(), c.status == 0x00 ? c.image.size() : 0u);
    }
}

}  // namespace
