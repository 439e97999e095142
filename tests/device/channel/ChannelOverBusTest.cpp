// The channel over real virtual-bus sockets, against the simulator's server: what
// crosses the transport, and a device that goes away.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <numeric>
#include <thread>

#include "device/channel/CommandChannel.h"
#include "sim/MouseSim.h"
#include "tests/sim/TempFolder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

Bytes Pattern(std::size_t size, std::uint8_t first = 0) {
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

class ChannelOverBusTest : public ::testing::Test {
protected:
    // Long, so that a quick end is not a time-out.
    static constexpr int kTimeoutMs = 3000;

    void SetUp() override {
        ASSERT_FALSE(folder.Path().empty());
        mouse = PlugMouse(bus, device, "mouse");
        ASSERT_TRUE(mouse);
        channel.SetTimeouts({kTimeoutMs, kTimeoutMs, kTimeoutMs});
        channel.SetSleepFunction([](std::chrono::milliseconds) {});
        ASSERT_TRUE(channel.Open(mouse->commandPath)) << channel.Interface().LastOpenError();
    }

    CTempFolder folder;
    CSimDevice device{PlainMouseConfig()};
    CVirtualBusServer bus{folder.Path()};
    std::optional<PluggedMouse> mouse;
    CCommandChannel channel{{MakeVirtualHidBackend(folder.Path())}};
};

TEST_F(ChannelOverBusTest, ConfigurationTransferRoundTrips) {
    DeviceInfoBlock info{};
    ASSERT_EQ(channel.BeginTransfer(), kResultOk);
    ASSERT_EQ(channel.ReadDeviceInfo(info), kResultOk);
    ASSERT_EQ(channel.WriteMemory(0x80, Pattern(66, 0x30)), kResultOk);
    Bytes back(66);
    ASSERT_EQ(channel.ReadMemory(0x80, back), kResultOk);
    ASSERT_EQ(channel.EndTransfer(), kResultOk);

    EXPECT_EQ(info, device.Info());
    EXPECT_EQ(back, Pattern(66, 0x30));
    EXPECT_EQ(device.TransferCount(), 1);
    EXPECT_EQ(device.ReceivedCount(), 7u);
}

TEST_F(ChannelOverBusTest, DeviceVanishingMidTransferEndsTheCommandAtOnce) {
    SimFault unplug{.kind = SimFault::Kind::Unplug};
    unplug.when.reportIndex = 2;
    device.AddFault(unplug);
    const auto start = Clock::now();
    EXPECT_EQ(channel.WriteMacroData(Pattern(300)), kResultNoReply);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kTimeoutMs / 3));
    EXPECT_EQ(device.ReceivedCount(), 3u);
    EXPECT_FALSE(std::filesystem::exists(folder.File(mouse->commandName + ".json")));
    EXPECT_FALSE(std::filesystem::exists(folder.File(mouse->notificationName + ".json")));

    // Later commands fail as quickly, without reaching anything.
    const auto again = Clock::now();
    EXPECT_LE(channel.BeginTransfer(), kResultNoReply);
    EXPECT_LT(Clock::now() - again, std::chrono::milliseconds(kTimeoutMs / 3));
}

TEST_F(ChannelOverBusTest, CloseCutsAWaitingReadShort) {
    SimFault silent{.kind = SimFault::Kind::NoReply};
    silent.when.command = 0x05;
    device.AddFault(silent);
    std::atomic<int> result{-999};
    const auto start = Clock::now();
    std::thread reader([&] {
        Bytes bytes(4);
        result = channel.ReadMemory(0, bytes);
    });
    while (device.ReceivedCount() == 0 && Clock::now() - start < std::chrono::seconds(2))
        std::this_thread::yield();
    channel.Close();
    reader.join();
    EXPECT_EQ(result, kResultNoReply);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kTimeoutMs / 3));
}

TEST_F(ChannelOverBusTest, ReadsKeepTheirRepliesWhileFramesStream) {
    constexpr int kReads = 50;
    device.SetMemory(0, Pattern(kReads * 4));
    std::atomic<bool> stop{false};
    std::thread lights([&] {
        const Bytes frame = Pattern(120, 0xA0);
        while (!stop) channel.StreamLightFrame(frame);
    });
    int wrong = 0;
    for (int i = 0; i < kReads; ++i) {
        Bytes bytes(4);
        const auto address = static_cast<std::uint16_t>(i * 4);
        if (channel.ReadMemory(address, bytes) != kResultOk ||
            bytes != Pattern(4, static_cast<std::uint8_t>(address)))
            ++wrong;
    }
    stop = true;
    lights.join();
    EXPECT_EQ(wrong, 0);
}

}  // namespace
