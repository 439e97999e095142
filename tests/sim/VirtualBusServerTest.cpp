// The simulator's side of the virtual HID bus: the files it publishes, the messages on
// its sockets, input reports, unplugging.
#include <gtest/gtest.h>
#include <json/json.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "device/hid/HidInterface.h"
#include "device/hid/UniqueFd.h"
#include "sim/MouseSim.h"
#include "tests/device/channel/HexBytes.h"
#include "tests/sim/TempFolder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const Bytes kBegin = PadHex("04 01 00 01 00 00 00 00");

CUniqueFd Connect(const std::string& socketPath) {
    CUniqueFd fd(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    if (connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return {};
    return fd;
}

void SendMessage(const CUniqueFd& fd, std::uint8_t type, const Bytes& report) {
    Bytes message{type};
    message.insert(message.end(), report.begin(), report.end());
    ASSERT_EQ(send(fd.Get(), message.data(), message.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(message.size()));
}

// The next message, or nothing within `timeoutMs`; an empty message when the peer left.
std::optional<Bytes> Receive(const CUniqueFd& fd, int timeoutMs) {
    pollfd wait{fd.Get(), POLLIN, 0};
    if (poll(&wait, 1, timeoutMs) != 1) return std::nullopt;
    Bytes message(256);
    const ssize_t size = recv(fd.Get(), message.data(), message.size(), 0);
    message.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return message;
}

Json::Value ReadJson(const std::string& path) {
    std::ifstream in(path);
    Json::Value value;
    Json::CharReaderBuilder reader;
    std::string errors;
    Json::parseFromStream(reader, in, &value, &errors);
    return value;
}

class VirtualBusServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.Path().empty());
        mouse = PlugMouse(bus, device, "mouse");
        ASSERT_TRUE(mouse);
    }

    CTempFolder folder;
    CSimDevice device{PlainMouseConfig()};
    CVirtualBusServer bus{folder.Path()};
    std::optional<PluggedMouse> mouse;
};

TEST_F(VirtualBusServerTest, EachInterfaceIsDescribedBesideItsSocket) {
    struct Case {
        std::string name;
        int collection, usagePage, usage, input, output;
        std::string descriptor;
    };
    const Case cases[] = {
        {"mouse-col04", 4, 0xFF1C, 0x92, 64, 64,
         "061CFF0992A101850415002600FF7508953F0901810209019102C0"},
        {"mouse-col03", 3, 0x0C, 0x01, 3, 0, "050C0901A1018501150026FF0319002AFF03751095018100C0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Json::Value json = ReadJson(folder.File(c.name + ".json"));
        EXPECT_EQ(json["vendor_id"].asInt(), 0x0C45);
        EXPECT_EQ(json["product_id"].asInt(), 0x6656);
        EXPECT_EQ(json["interface"].asInt(), 1);
        EXPECT_EQ(json["collection"].asInt(), c.collection);
        EXPECT_EQ(json["usage_page"].asInt(), c.usagePage);
        EXPECT_EQ(json["usage"].asInt(), c.usage);
        EXPECT_EQ(json["input_report_length"].asInt(), c.input);
        EXPECT_EQ(json["output_report_length"].asInt(), c.output);
        EXPECT_EQ(json["report_descriptor"].asString(), c.descriptor);
        EXPECT_EQ(json["socket"].asString(), c.name + ".sock");
        struct stat info {};
        ASSERT_EQ(stat(folder.File(c.name + ".sock").c_str(), &info), 0);
        EXPECT_TRUE(S_ISSOCK(info.st_mode));
    }
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"mouse-col03.json", "mouse-col03.sock",
                                            "mouse-col04.json", "mouse-col04.sock"}));
    EXPECT_EQ(mouse->commandPath, "vhid:mouse-col04#vid_0c45&pid_6656&mi_01&col04");
    EXPECT_EQ(mouse->notificationPath, "vhid:mouse-col03#vid_0c45&pid_6656&mi_01&col03");
}

TEST_F(VirtualBusServerTest, ReportsTravelBehindTheirTypeByte) {
    const CUniqueFd host = Connect(folder.File("mouse-col04.sock"));
    ASSERT_TRUE(host.IsValid());
    SendMessage(host, kBusOutputReport, kBegin);
    Bytes expected{kBusInputReport};
    expected.insert(expected.end(), kBegin.begin(), kBegin.end());
    EXPECT_EQ(Receive(host, 2000), expected);

    SendMessage(host, kBusSetOutputReport, kBegin);
    EXPECT_EQ(Receive(host, 2000), expected);
    EXPECT_EQ(device.ReceivedReports(), (std::vector<Bytes>{kBegin, kBegin}));
}

TEST_F(VirtualBusServerTest, InputReportReachesAHostReadingTheNotificationInterface) {
    HidInterface hid({MakeVirtualHidBackend(folder.Path())});
    ASSERT_TRUE(hid.ListHidInterfaces());
    std::set<std::string> paths;
    while (const auto path = hid.NextInterfacePath()) paths.insert(*path);
    EXPECT_EQ(paths, (std::set<std::string>{mouse->commandPath, mouse->notificationPath}));

    ASSERT_TRUE(hid.OpenInterface(mouse->notificationPath, true, false));
    const Bytes announcement = FromHex("01 01 04");
    // The server accepts the connection on its own thread.
    const auto giveUp = Clock::now() + std::chrono::seconds(2);
    while (!bus.SendInputReport(mouse->notificationName, announcement) && Clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    Bytes report(3);
    std::size_t read = 0;
    ASSERT_TRUE(hid.ReadReport(report.size(), report.data(), 2000, read));
    EXPECT_EQ(report, announcement);
    ASSERT_TRUE(hid.DecodeInputUsages(report));
    ASSERT_FALSE(hid.InputItems().empty());
    ASSERT_FALSE(hid.InputItems()[0].usages.empty());
    EXPECT_EQ(hid.InputItems()[0].usages[0], 0x0401);
}

TEST_F(VirtualBusServerTest, UnplugRemovesTheInterfaceAndEndsItsConnections) {
    const CUniqueFd host = Connect(folder.File("mouse-col04.sock"));
    ASSERT_TRUE(host.IsValid());
    bus.Unplug(mouse->commandName);
    EXPECT_FALSE(std::filesystem::exists(folder.File("mouse-col04.json")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("mouse-col04.sock")));
    EXPECT_EQ(Receive(host, 2000), Bytes{});  // end of the connection
    EXPECT_FALSE(bus.IsPlugged(mouse->commandName));
    EXPECT_TRUE(bus.IsPlugged(mouse->notificationName));
}

TEST_F(VirtualBusServerTest, VanishedDeviceCanBePluggedInAgain) {
    SimFault gone{.kind = SimFault::Kind::Unplug};
    gone.when.reportIndex = 0;
    device.AddFault(gone);
    const CUniqueFd host = Connect(folder.File("mouse-col04.sock"));
    ASSERT_TRUE(host.IsValid());
    SendMessage(host, kBusOutputReport, kBegin);
    EXPECT_EQ(Receive(host, 2000), Bytes{});
    EXPECT_FALSE(bus.IsPlugged(mouse->commandName));
    EXPECT_FALSE(bus.IsPlugged(mouse->notificationName));
    EXPECT_FALSE(std::filesystem::exists(folder.File("mouse-col03.json")));

    ASSERT_TRUE(PlugMouse(bus, device, "mouse"));
    const CUniqueFd again = Connect(folder.File("mouse-col04.sock"));
    ASSERT_TRUE(again.IsValid());
    SendMessage(again, kBusOutputReport, kBegin);
    EXPECT_EQ(Receive(again, 2000).value_or(Bytes{}).size(), 65u);
}

TEST_F(VirtualBusServerTest, LinkDelayHoldsEachReportOnTheWire) {
    bus.SetLinkDelay(std::chrono::milliseconds(5));
    const CUniqueFd host = Connect(folder.File("mouse-col04.sock"));
    ASSERT_TRUE(host.IsValid());
    const auto start = Clock::now();
    SendMessage(host, kBusOutputReport, kBegin);
    ASSERT_TRUE(Receive(host, 2000));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(10));  // out and back
}

}  // namespace
