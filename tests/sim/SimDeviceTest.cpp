// The device model on its own: what it answers, and the faults it can be told to make.
#include <gtest/gtest.h>

#include "sim/MouseSim.h"
#include "sim/SimDevice.h"
#include "tests/device/channel/HexBytes.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Request(std::string_view hex) {
    return PadHex(hex);
}

// Requests with checksums worked out by hand.
const Bytes kBegin = Request("04 01 00 01 00 00 00 00");
const Bytes kReadInfo = Request("04 25 00 03 22 00 00 00");
const Bytes kWriteTwoAt0x120 = Request("04 8e 01 06 02 20 01 00 aa bb");
const Bytes kReadTwoAt0x120 = Request("04 28 00 05 02 20 01 00");
const Bytes kQueryLink = Request("04 aa 00 aa 00 00 00 00");

SimResponse Send(CSimDevice& device, const Bytes& request) {
    return device.Receive(request);
}

TEST(SimDevice, RepliesEchoTheHeaderWithDataAndChecksum) {
    CSimDevice device(PlainMouseConfig());
    EXPECT_EQ(Send(device, kBegin).replies, std::vector<Bytes>{kBegin});
    EXPECT_TRUE(device.InTransfer());

    // 0x03 + 0x22 + 0x10 + 0x20 + 0x64 + 0xc8 = 0x0181
    EXPECT_EQ(Send(device, kReadInfo).replies,
              std::vector<Bytes>{Request("04 81 01 03 22 00 00 00"
                                         "00 00 00 00 00 10 20 00 00 00 00 64 00 00 c8 00")});

    EXPECT_EQ(Send(device, kWriteTwoAt0x120).replies,
              std::vector<Bytes>{Request("04 29 00 06 02 20 01 00")});
    EXPECT_EQ(device.Memory(0x120, 2), FromHex("aa bb"));
    EXPECT_EQ(Send(device, kReadTwoAt0x120).replies,
              std::vector<Bytes>{Request("04 8d 01 05 02 20 01 00 aa bb")});
}

TEST(SimDevice, RefusesWhatItCannotDo) {
    struct Case {
        const char* name;
        Bytes request;
    };
    const Case cases[] = {
        {"wrong checksum", Request("04 00 00 01 00 00 00 00")},
        {"wrong report id", Request("05 01 00 01 00 00 00 00")},
        {"unknown command", Request("04 04 00 04 00 00 00 00")},
        {"length above 56", Request("04 3e 00 05 39 00 00 00")},
        {"past the information block", Request("04 26 00 03 02 21 00 00")},
        {"past the key table", Request("04 3a 00 07 03 30 00 00")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSimDevice device(PlainMouseConfig());  // a key table of 48 bytes
        const SimResponse response = Send(device, c.request);
        ASSERT_EQ(response.replies.size(), 1u);
        EXPECT_EQ(response.replies[0].at(7), 0xFF);
    }
}

TEST(SimDevice, LinkProbeAnswersInByte8) {
    CSimDevice device(PlainMouseConfig());
    EXPECT_EQ(Send(device, kQueryLink).replies.at(0).at(8), 0xFF);
    device.SetLinked(false);
    EXPECT_EQ(Send(device, kQueryLink).replies.at(0).at(8), 0x00);
}

TEST(SimDevice, FaultsHitTheChosenReports) {
    CSimDevice device(PlainMouseConfig());
    SimFault refuse{.kind = SimFault::Kind::Status, .value = 0xFE};
    refuse.when.reportIndex = 1;
    device.AddFault(refuse);
    SimFault stale{.kind = SimFault::Kind::StaleReply, .value = 0x12, .count = 2};
    stale.when.command = 0x01;
    device.AddFault(stale);

    EXPECT_EQ(Send(device, kReadTwoAt0x120).replies.size(), 1u);  // report 0: untouched
    const SimResponse refused = Send(device, kWriteTwoAt0x120);   // report 1
    EXPECT_EQ(refused.replies, std::vector<Bytes>{Request("04 27 01 06 02 20 01 fe")});
    EXPECT_EQ(device.Memory(0x120, 2), FromHex("00 00"));  // not carried out

    const SimResponse staleFirst = Send(device, kBegin);
    ASSERT_EQ(staleFirst.replies.size(), 3u);
    EXPECT_EQ(staleFirst.replies[0], Request("04 12 00 12 00 00 00 00"));
    EXPECT_EQ(staleFirst.replies[1], Request("04 12 00 12 00 00 00 00"));
    EXPECT_EQ(staleFirst.replies[2], kBegin);
    EXPECT_EQ(Send(device, kBegin).replies.size(), 1u);  // a fault hits once by default

    SimFault silentForever{.kind = SimFault::Kind::NoReply};
    silentForever.when.command = 0xAA;
    silentForever.when.times = -1;
    device.AddFault(silentForever);
    EXPECT_TRUE(Send(device, kQueryLink).replies.empty());
    EXPECT_TRUE(Send(device, kQueryLink).replies.empty());

    SimFault gone{.kind = SimFault::Kind::Unplug};
    gone.when.reportIndex = device.ReceivedCount();
    device.AddFault(gone);
    EXPECT_TRUE(Send(device, kBegin).unplug);
    EXPECT_EQ(device.ReceivedCount(), 7u);
}

TEST(SimDevice, ImagesKeepWhatWasWritten) {
    CSimDevice device(PlainMouseConfig());
    // Macro data, 3 bytes at address 2: 0x15 + 3 + 2 + 1 + 2 + 3 = 0x20.
    Send(device, Request("04 20 00 15 03 02 00 00 01 02 03"));
    EXPECT_EQ(device.MacroImage(), FromHex("00 00 01 02 03"));
    // Shoot data, 1 byte at address 0: 0x17 + 1 + 0x7f = 0x97.
    Send(device, Request("04 97 00 17 01 00 00 00 7f"));
    EXPECT_EQ(device.ShootImage(), FromHex("7f"));
    // Light chunk, 2 bytes at 56: 0x12 + 2 + 0x38 + 0x10 + 0x20 = 0x7c.
    Send(device, Request("04 7c 00 12 02 38 00 00 10 20"));
    const std::vector<SimLightChunk> chunks = device.LightChunks();
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].address, 56);
    EXPECT_EQ(chunks[0].bytes, FromHex("10 20"));
}

}  // namespace
