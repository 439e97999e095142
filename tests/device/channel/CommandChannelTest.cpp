#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "device/channel/CommandChannel.h"
#include "platform/Platform.h"
#include "sim/MouseSim.h"
#include "tests/device/channel/FakeHidLink.h"
#include "tests/device/channel/HexBytes.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// Command, length and address of one report, read from the fixed offsets of the wire.
struct Header {
    std::uint8_t command;
    std::uint8_t length;
    std::uint16_t address;
    bool operator==(const Header&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Header& h) {
    return out << "{0x" << std::hex << int(h.command) << ", " << std::dec << int(h.length) << ", "
               << h.address << "}";
}

Bytes Pattern(std::size_t size, std::uint8_t first = 0) {
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

SimDeviceConfig FullKeyTableMouse() {
    SimDeviceConfig config = PlainMouseConfig();
    config.keyTableSize = kMaxBlockSize;
    return config;
}

class CommandChannelTest : public ::testing::Test {
protected:
    static constexpr int kWiredMs = 40;
    static constexpr int kWirelessMs = 150;

    void SetUp() override {
        channel.SetTimeouts({kWiredMs, kWirelessMs, kWiredMs});
        channel.SetSleepFunction([this](std::chrono::milliseconds wait) {
            waits.push_back(wait);
            reportsBeforeWait.push_back(device.ReceivedCount());
        });
        ASSERT_TRUE(channel.Open(std::string(CFakeHidLink::kPath)));
    }
    void TearDown() override { SetDebugSink({}); }

    std::vector<Header> SentHeaders() const {
        std::vector<Header> headers;
        for (const Bytes& r : device.ReceivedReports())
            headers.push_back(
                {r.at(3), r.at(4), static_cast<std::uint16_t>(r.at(5) | r.at(6) << 8)});
        return headers;
    }
    void CaptureDiagnostics() {
        SetDebugSink([this](std::string_view text) {
            const std::scoped_lock lock(diagnosticsMutex);
            diagnostics.emplace_back(text);
        });
    }

    CSimDevice device{FullKeyTableMouse()};
    std::shared_ptr<CFakeHidLink> link = std::make_shared<CFakeHidLink>(device);
    CCommandChannel channel{std::vector<std::shared_ptr<IHidBackend>>{link}};
    std::vector<std::chrono::milliseconds> waits;
    std::vector<std::size_t> reportsBeforeWait;
    std::mutex diagnosticsMutex;
    std::vector<std::string> diagnostics;
};

struct CommandCase {
    const char* name;
    std::function<int(CCommandChannel&)> run;
    std::vector<Header> reports;
};

std::vector<CommandCase> EveryCommand() {
    static const Bytes k512 = Pattern(512);
    return {
        {"BeginTransfer", [](CCommandChannel& c) { return c.BeginTransfer(); }, {{0x01, 0, 0}}},
        {"EndTransfer", [](CCommandChannel& c) { return c.EndTransfer(); }, {{0x02, 0, 0}}},
        {"ReadDeviceInfo",
         [](CCommandChannel& c) {
             DeviceInfoBlock info{};
             return c.ReadDeviceInfo(info);
         },
         {{0x03, 34, 0}}},
        {"ReadMemory 60 at 0x100",
         [](CCommandChannel& c) {
             Bytes bytes(60);
             return c.ReadMemory(0x100, bytes);
         },
         {{0x05, 56, 0x100}, {0x05, 4, 0x138}}},
        {"WriteMemory 66 at 0x80",
         [](CCommandChannel& c) { return c.WriteMemory(0x80, Pattern(66)); },
         {{0x06, 56, 0x80}, {0x06, 10, 0xB8}}},
        {"ReadKeyBlock of 48",
         [](CCommandChannel& c) {
             Bytes block(48);
             return c.SetBlockSize(48) ? c.ReadKeyBlock(block) : -999;
         },
         {{0x07, 48, 0}}},
        {"WriteKeyBlock of 512",
         [](CCommandChannel& c) { return c.SetBlockSize(512) ? c.WriteKeyBlock(k512, 0) : -999; },
         {{0x09, 56, 0},
          {0x09, 56, 56},
          {0x09, 56, 112},
          {0x09, 56, 168},
          {0x09, 56, 224},
          {0x09, 56, 280},
          {0x09, 56, 336},
          {0x09, 56, 392},
          {0x09, 56, 448},
          {0x09, 8, 504}}},
        {"StreamLightFrame of 100",
         [](CCommandChannel& c) { return c.StreamLightFrame(Pattern(100)); },
         {{0x12, 56, 0}, {0x12, 44, 56}}},
        {"WriteMacroData of 120",
         [](CCommandChannel& c) { return c.WriteMacroData(Pattern(120)); },
         {{0x15, 56, 0}, {0x15, 56, 56}, {0x15, 8, 112}}},
        {"WriteShootData of 130",
         [](CCommandChannel& c) { return c.WriteShootData(Pattern(130)); },
         {{0x17, 56, 0}, {0x17, 56, 56}, {0x17, 18, 112}}},
        {"ReadShort 6 at 0",
         [](CCommandChannel& c) {
             Bytes bytes(6);
             return c.ReadShort(6, 0, bytes);
         },
         {{0x1A, 6, 0}}},
        {"ReadPerKeyBytes of a 48-byte block",
         [](CCommandChannel& c) {
             Bytes bytes(16);
             return c.SetBlockSize(48) ? c.ReadPerKeyBytes(bytes) : -999;
         },
         {{0x1B, 16, 0}}},
        {"QueryLink",
         [](CCommandChannel& c) { return c.QueryLink() ? kResultOk : 0; },
         {{0xAA, 0, 0}}},
    };
}

TEST(ProtocolTable, RequestsAreByteExact) {
    const Bytes twoBytes = FromHex("aa bb");
    const Bytes allOnes(56, 0xFF);
    std::string allOnesHex = "04 cd 39 06 38 c8 ff 00";
    for (int i = 0; i < 56; ++i) allOnesHex += " ff";
    struct Case {
        Report built;
        Bytes expected;
    };
    const Case cases[] = {
        {BuildRequest(Command::WriteMemory, 2, 0x0120, twoBytes),
         PadHex("04 8e 01 06 02 20 01 00 aa bb")},
        {BuildRequest(Command::ReadDeviceInfo, 34, 0), PadHex("04 25 00 03 22 00 00 00")},
        {BuildRequest(Command::QueryLink, 0, 0), PadHex("04 aa 00 aa 00 00 00 00")},
        // The checksum's high byte goes second.
        {BuildRequest(Command::WriteMemory, 56, 0xFFC8, allOnes), PadHex(allOnesHex)},
    };
    for (const Case& c : cases) EXPECT_EQ(Bytes(c.built.begin(), c.built.end()), c.expected);
}

TEST_F(CommandChannelTest, ShortRequestIsPaddedAndLongOneCut) {
    const Bytes five = FromHex("04 01 00 01 00");
    Bytes seventy = PadHex("04 01 00 01 00");
    seventy.resize(70, 0xEE);
    Report reply{};
    EXPECT_EQ(channel.Exchange(five, reply), kResultOk);
    EXPECT_EQ(channel.Exchange(seventy, reply), kResultOk);
    const Bytes expected = PadHex("04 01 00 01 00");
    EXPECT_EQ(device.ReceivedReports(), (std::vector<Bytes>{expected, expected}));
    EXPECT_EQ(reply[Offset::Status], kStatusOk);  // the device found the checksum right
}

TEST_F(CommandChannelTest, EveryCommandIsChunkedAsTheProtocolSays) {
    for (const CommandCase& c : EveryCommand()) {
        SCOPED_TRACE(c.name);
        device.ClearReceived();
        EXPECT_EQ(c.run(channel), kResultOk);
        EXPECT_EQ(SentHeaders(), c.reports);
    }
}

TEST_F(CommandChannelTest, ClosedChannelSendsNothing) {
    channel.Close();
    for (const CommandCase& c : EveryCommand()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.run(channel), kResultNoReply);
    }
    EXPECT_EQ(device.ReceivedCount(), 0u);
    EXPECT_TRUE(waits.empty());
}

TEST_F(CommandChannelTest, WrittenDataLandsAtItsAddress) {
    const Bytes macro = Pattern(120);
    ASSERT_EQ(channel.WriteMacroData(macro), kResultOk);
    EXPECT_EQ(device.ReceivedReports().at(2),
              PadHex("04 29 04 15 08 70 00 00 70 71 72 73 74 75 76 77"));
    EXPECT_EQ(device.MacroImage(), macro);

    ASSERT_EQ(channel.WriteMemory(0x80, Pattern(66, 0x10)), kResultOk);
    EXPECT_EQ(device.Memory(0x80, 66), Pattern(66, 0x10));
    ASSERT_EQ(channel.WriteShootData(Pattern(130)), kResultOk);
    EXPECT_EQ(device.ShootImage(), Pattern(130));
}

TEST_F(CommandChannelTest, ReadsCopyTheDeviceBytes) {
    DeviceInfoBlock info{};
    ASSERT_EQ(channel.ReadDeviceInfo(info), kResultOk);
    Bytes expectedInfo = FromHex("00 00 00 00 00 10 20 00 00 00 00 64 00 00 c8 00");
    expectedInfo.resize(34, 0);
    EXPECT_EQ(Bytes(info.begin(), info.end()), expectedInfo);

    device.SetMemory(0x100, Pattern(60, 0x40));
    Bytes memory(60);
    ASSERT_EQ(channel.ReadMemory(0x100, memory), kResultOk);
    EXPECT_EQ(memory, Pattern(60, 0x40));

    device.SetKeyTable(Pattern(48, 0x80));
    ASSERT_TRUE(channel.SetBlockSize(48));
    Bytes keys(48);
    ASSERT_EQ(channel.ReadKeyBlock(keys), kResultOk);
    EXPECT_EQ(keys, Pattern(48, 0x80));

    device.SetPerKeyBytes(Pattern(16, 0x20));
    Bytes perKey(16);
    ASSERT_EQ(channel.ReadPerKeyBytes(perKey), kResultOk);
    EXPECT_EQ(perKey, Pattern(16, 0x20));

    device.SetShortArea(FromHex("01 02 03 04 05 06 07"));
    Bytes power(6, 0xEE);
    ASSERT_EQ(channel.ReadShort(6, 0, power), kResultOk);
    EXPECT_EQ(power, FromHex("01 02 03 04 05 06"));
}

TEST_F(CommandChannelTest, StatusByteEndsAChunkedWrite) {
    struct Case {
        std::uint8_t status;
        std::size_t piece;
        int expected;
        std::size_t reportsSent;
    };
    const Case cases[] = {
        {0xFE, 1, kResultDeviceErrorFE, 2},
        {0xFF, 1, kResultDeviceErrorFF, 2},
        {0xFF, 0, kResultDeviceErrorFF, 1},
        {0xFE, 2, kResultDeviceErrorFE, 3},
        {0x01, 1, kResultOk, 3},  // only 0xFF and 0xFE are errors
        {0x80, 0, kResultOk, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "status " << int(c.status) << " on piece " << c.piece);
        device.ClearFaults();
        device.ClearReceived();
        SimFault fault{.kind = SimFault::Kind::Status, .value = c.status};
        fault.when.reportIndex = c.piece;
        device.AddFault(fault);
        EXPECT_EQ(channel.WriteMacroData(Pattern(120)), c.expected);
        EXPECT_EQ(device.ReceivedCount(), c.reportsSent);
    }
}

TEST_F(CommandChannelTest, KeyBlockSizeAndPage) {
    EXPECT_EQ(channel.WriteKeyBlock(Pattern(512), 1), kResultInvalidPage);
    EXPECT_EQ(channel.WriteKeyBlock(Pattern(512), -1), kResultInvalidPage);
    EXPECT_EQ(device.ReceivedCount(), 0u);

    ASSERT_TRUE(channel.SetBlockSize(48));
    EXPECT_FALSE(channel.SetBlockSize(513));
    EXPECT_EQ(channel.BlockSize(), 48);
    EXPECT_TRUE(channel.SetBlockSize(512));
    EXPECT_EQ(channel.BlockSize(), 512);

    Bytes tooSmall(100);
    EXPECT_EQ(channel.ReadKeyBlock(tooSmall), kResultNoReply);
    EXPECT_EQ(channel.WriteKeyBlock(tooSmall, 0), kResultNoReply);
    EXPECT_EQ(device.ReceivedCount(), 0u);
}

TEST_F(CommandChannelTest, StaleReplyIsSkippedOnce) {
    device.SetMemory(0x40, FromHex("11 22 33 44"));
    SimFault fault{.kind = SimFault::Kind::StaleReply, .value = 0x12};
    fault.when.command = 0x05;
    device.AddFault(fault);
    Bytes bytes(4);
    EXPECT_EQ(channel.ReadMemory(0x40, bytes), kResultOk);
    EXPECT_EQ(bytes, FromHex("11 22 33 44"));
    EXPECT_EQ(device.ReceivedCount(), 1u);
}

TEST_F(CommandChannelTest, RepliesThatDoNotAnswerTheRequestAreRefused) {
    device.SetMemory(0x40, FromHex("11 22 33 44"));
    const SimFault wrongCommandTwice{.kind = SimFault::Kind::WrongReply, .value = 0x12, .count = 2};
    const SimFault otherLength{.kind = SimFault::Kind::ReplyByte, .value = 0x07, .offset = 4};
    const SimFault otherAddressLow{.kind = SimFault::Kind::ReplyByte, .value = 0x41, .offset = 5};
    const SimFault otherAddressHigh{.kind = SimFault::Kind::ReplyByte, .value = 0x01, .offset = 6};
    const SimFault shortReply{.kind = SimFault::Kind::ShortReply, .length = 40};
    for (SimFault fault :
         {wrongCommandTwice, otherLength, otherAddressLow, otherAddressHigh, shortReply}) {
        SCOPED_TRACE(static_cast<int>(fault.kind));
        device.ClearFaults();
        fault.when.command = 0x05;
        device.AddFault(fault);
        Bytes bytes(4, 0xEE);
        EXPECT_EQ(channel.ReadMemory(0x40, bytes), kResultNoReply);
        EXPECT_EQ(bytes, Bytes(4, 0xEE));
    }
}

TEST_F(CommandChannelTest, QueryLinkNeedsByte8OfASuccessfulReply) {
    struct Case {
        const char* name;
        bool linked;
        std::vector<SimFault> faults;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"linked", true, {}, true},
        {"not linked", false, {}, false},
        {"byte 8 is 0xfe",
         true,
         {{.kind = SimFault::Kind::ReplyByte, .value = 0xFE, .offset = 8}},
         false},
        {"byte 8 is 0x01",
         true,
         {{.kind = SimFault::Kind::ReplyByte, .value = 0x01, .offset = 8}},
         false},
        {"status 0xff",
         true,
         {{.kind = SimFault::Kind::ReplyByte, .value = 0xFF, .offset = 7}},
         false},
        {"status 0xfe",
         true,
         {{.kind = SimFault::Kind::ReplyByte, .value = 0xFE, .offset = 7}},
         false},
        {"no reply", true, {{.kind = SimFault::Kind::NoReply}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.ClearFaults();
        device.SetLinked(c.linked);
        for (SimFault fault : c.faults) {
            fault.when.command = 0xAA;
            device.AddFault(fault);
        }
        EXPECT_EQ(channel.QueryLink(), c.expected);
    }
}

TEST_F(CommandChannelTest, ReadShortFitsOneReport) {
    Bytes bytes(64);
    EXPECT_EQ(channel.ReadShort(57, 0, bytes), kResultNoReply);
    EXPECT_EQ(channel.ReadShort(8, 0, std::span(bytes).first(7)), kResultNoReply);
    EXPECT_EQ(device.ReceivedCount(), 0u);
    EXPECT_EQ(channel.ReadShort(56, 0, bytes), kResultOk);
}

TEST_F(CommandChannelTest, MissingReplyEndsAfterTheTimeOutOfTheMode) {
    struct Case {
        bool wireless;
        int timeoutMs;
    };
    for (const Case c : {Case{false, kWiredMs}, Case{true, kWirelessMs}}) {
        SCOPED_TRACE(c.wireless ? "wireless" : "wired");
        channel.SetWirelessMode(c.wireless);
        SimFault fault{.kind = SimFault::Kind::NoReply};
        fault.when.command = 0x05;
        device.AddFault(fault);
        Bytes bytes(4);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(channel.ReadMemory(0, bytes), kResultNoReply);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_GE(elapsed, std::chrono::milliseconds(c.timeoutMs));
        EXPECT_LT(elapsed, std::chrono::milliseconds(c.timeoutMs + 500));
    }
}

TEST_F(CommandChannelTest, FailedWriteIsMinusOne) {
    link->FailWrites();
    EXPECT_EQ(channel.BeginTransfer(), kResultWriteFailed);
    EXPECT_EQ(channel.WriteMemory(0, Pattern(100)), kResultWriteFailed);
}

TEST_F(CommandChannelTest, LateReplyDoesNotConfuseTheNextCommand) {
    // Arrives after the read gave up, while the next command waits for its own reply.
    SimFault late{.kind = SimFault::Kind::Delay, .delay = std::chrono::milliseconds(kWiredMs + 20)};
    late.when.command = 0x05;
    device.AddFault(late);
    Bytes bytes(4);
    EXPECT_EQ(channel.ReadMemory(0, bytes), kResultNoReply);
    EXPECT_EQ(channel.BeginTransfer(), kResultOk);
    device.SetMemory(0, FromHex("01 02 03 04"));
    EXPECT_EQ(channel.ReadMemory(0, bytes), kResultOk);
    EXPECT_EQ(bytes, FromHex("01 02 03 04"));
}

TEST_F(CommandChannelTest, EndTransferWaitsBeforeItIsSent) {
    ASSERT_EQ(channel.EndTransfer(), kResultOk);
    EXPECT_EQ(waits, std::vector<std::chrono::milliseconds>{10ms});
    EXPECT_EQ(reportsBeforeWait, std::vector<std::size_t>{0});
    EXPECT_EQ(device.TransferCount(), 1);
}

TEST_F(CommandChannelTest, ExchangeWritesRequestAndReplyDiagnostics) {
    CaptureDiagnostics();
    ASSERT_EQ(channel.BeginTransfer(), kResultOk);
    EXPECT_EQ(
        diagnostics,
        (std::vector<std::string>{
            "命令 04010001 00000000 00000000 00000000 00000000 00000000 00000000 00000000\n",
            "返回 04010001 00000000 00000000 00000000 00000000 00000000 00000000 00000000\n"}));
}

}  // namespace
