// Light frames share the interface with commands: they must never take a command's reply,
// and never wait for one.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <numeric>
#include <thread>

#include "device/channel/CommandChannel.h"
#include "platform/Platform.h"
#include "sim/MouseSim.h"
#include "tests/device/channel/FakeHidLink.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

Bytes Pattern(std::size_t size, std::uint8_t first = 0) {
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

std::size_t CountCommand(const std::vector<Bytes>& reports, std::uint8_t command) {
    return std::count_if(reports.begin(), reports.end(),
                         [command](const Bytes& r) { return r.at(3) == command; });
}

class ChannelLightTest : public ::testing::Test {
protected:
    void SetUp() override {
        channel.SetTimeouts({1000, 5000, 1000});
        ASSERT_TRUE(channel.Open(std::string(CFakeHidLink::kPath)));
    }
    void TearDown() override { SetDebugSink({}); }

    CSimDevice device{PlainMouseConfig()};
    std::shared_ptr<CFakeHidLink> link = std::make_shared<CFakeHidLink>(device);
    CCommandChannel channel{std::vector<std::shared_ptr<IHidBackend>>{link}};
};

TEST_F(ChannelLightTest, FrameReachesTheDeviceInChunks) {
    const Bytes frame = Pattern(100);
    ASSERT_EQ(channel.StreamLightFrame(frame), kResultOk);
    const std::vector<SimLightChunk> chunks = device.LightChunks();
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].address, 0);
    EXPECT_EQ(chunks[0].bytes, Pattern(56));
    EXPECT_EQ(chunks[1].address, 56);
    EXPECT_EQ(chunks[1].bytes, Pattern(44, 56));
}

TEST_F(ChannelLightTest, WirelessModeSendsNoFrames) {
    channel.SetWirelessMode(true);
    EXPECT_EQ(channel.StreamLightFrame(Pattern(100)), kResultOk);
    EXPECT_EQ(device.ReceivedCount(), 0u);
}

TEST_F(ChannelLightTest, FrameIsDroppedWhileACommandRuns) {
    std::vector<std::string> diagnostics;
    std::mutex diagnosticsMutex;
    SetDebugSink([&](std::string_view text) {
        const std::scoped_lock lock(diagnosticsMutex);
        if (text.starts_with("放弃")) diagnostics.emplace_back(text);
    });
    SimFault slow{.kind = SimFault::Kind::Delay, .delay = std::chrono::milliseconds(300)};
    slow.when.command = 0x05;
    device.AddFault(slow);
    std::atomic<int> readResult{-999};
    std::thread reader([&] {
        Bytes bytes(4);
        readResult = channel.ReadMemory(0, bytes);
    });
    const auto giveUp = Clock::now() + std::chrono::seconds(2);
    while (!channel.IsBusy() && Clock::now() < giveUp) std::this_thread::yield();
    ASSERT_TRUE(channel.IsBusy());

    const auto start = Clock::now();
    EXPECT_EQ(channel.StreamLightFrame(Pattern(100)), kResultOk);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(150));  // did not wait
    reader.join();
    EXPECT_EQ(readResult, kResultOk);
    EXPECT_EQ(CountCommand(device.ReceivedReports(), 0x12), 0u);
    EXPECT_EQ(diagnostics, (std::vector<std::string>{"放弃灯光数据\n", "放弃灯光数据\n"}));
}

TEST_F(ChannelLightTest, EveryReadGetsItsOwnReplyWhileFramesStream) {
    constexpr int kReads = 1000;
    constexpr std::size_t kReadSize = 8;
    device.SetMemory(0, Pattern(kReads * kReadSize));
    std::atomic<bool> stop{false};
    std::atomic<int> frameFailures{0};
    std::thread lights([&] {
        const Bytes frame = Pattern(150, 0xA0);
        while (!stop)
            if (channel.StreamLightFrame(frame) != kResultOk) ++frameFailures;
    });
    int wrong = 0;
    for (int i = 0; i < kReads; ++i) {
        const auto address = static_cast<std::uint16_t>(i * kReadSize);
        Bytes bytes(kReadSize);
        if (channel.ReadMemory(address, bytes) != kResultOk ||
            bytes != Pattern(kReadSize, static_cast<std::uint8_t>(address)))
            ++wrong;
    }
    stop = true;
    lights.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(frameFailures, 0);
}

}  // namespace
