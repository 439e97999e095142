#include "device/hid/HidrawBackend.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "HidTestSupport.h"
#include "device/hid/HidInterface.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr int kPromptMs = 2000;  // generous under the sanitizers

// The mouse's interface 1: mouse (id 2), keyboard (id 3), consumer notification (id 1)
// and command (id 4) collections, so the last two are collections 3 and 4.
std::string MouseInterfaceHex() {
    std::string keyboard(kKeyboardHex);
    keyboard.replace(keyboard.find("8501"), 4, "8503");
    return std::string(kMouseHex) + keyboard + std::string(kNotificationDescriptorHex) +
           std::string(kCommandDescriptorHex);
}

std::string UnnumberedKeyboardHex() {
    std::string keyboard(kKeyboardHex);
    return keyboard.erase(keyboard.find("8501"), 4);
}

void WriteFile(const fs::path& file, std::string_view text) {
    std::ofstream(file, std::ios::binary) << text;
}

struct NodeSetup {
    int number = 0;
    int interfaceNumber = 0;
    std::string descriptorHex;
    bool writeDescriptor = true;
    std::string bus = "0003";
};

// A sysfs tree in a temporary folder, with device ends of socket pairs standing in for
// the nodes: every open of a node gets its own pair, and a report sent "by the device"
// reaches all of them, as hidraw does.
class CHidrawRig {
public:
    explicit CHidrawRig(std::string devRoot = "/dev") : m_devRoot(std::move(devRoot)) {
        m_backend = MakeHidrawBackend(
            SysRoot(), m_devRoot,
            [this](const std::string& node, int flags) { return OpenFake(node, flags); });
    }

    std::string SysRoot() const { return (m_root.Path() / "sys").string(); }
    std::shared_ptr<IHidBackend> Backend() const { return m_backend; }
    std::string Node(int number) const { return m_devRoot + "/hidraw" + std::to_string(number); }

    void AddNode(const NodeSetup& setup) {
        const fs::path usbDevice = fs::path(SysRoot()) / "devices" / "usb1" / "1-1";
        const std::string name = setup.bus + ":0C45:6656." + std::to_string(1000 + setup.number);
        const fs::path hidDevice =
            usbDevice / ("1-1:1." + std::to_string(setup.interfaceNumber)) / name;
        fs::create_directories(hidDevice);
        WriteFile(usbDevice / "bcdDevice", "0107\n");
        WriteFile(hidDevice / "uevent", "DRIVER=hid-generic\nHID_ID=" + setup.bus +
                                            ":00000C45:00006656\nHID_NAME=TOLMI Q318\n"
                                            "HID_PHYS=usb-0000:00:14.0-1/input" +
                                            std::to_string(setup.interfaceNumber) + "\n");
        if (setup.writeDescriptor) {
            const auto bytes = FromHex(setup.descriptorHex);
            WriteFile(hidDevice / "report_descriptor",
                      {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
        }
        const fs::path classEntry =
            fs::path(SysRoot()) / "class" / "hidraw" / ("hidraw" + std::to_string(setup.number));
        fs::create_directories(classEntry);
        fs::create_directory_symlink(hidDevice, classEntry / "device");
    }

    // Sends one raw hidraw report to every open of `node` still open on the host side.
    void SendFromDevice(const std::string& node, std::string_view hex) {
        const auto bytes = FromHex(hex);
        std::lock_guard lock(m_mutex);
        int reached = 0;
        for (auto [it, end] = m_deviceEnds.equal_range(node); it != end; ++it)
            if (send(it->second.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL) > 0) ++reached;
        EXPECT_GT(reached, 0) << "no open of " << node;
    }

    // The next report the host sent to the latest open of `node`; empty after a second.
    std::vector<std::uint8_t> ReceiveOnDevice(const std::string& node) {
        std::lock_guard lock(m_mutex);
        auto it = m_deviceEnds.upper_bound(node);
        if (it == m_deviceEnds.begin() || (--it)->first != node) return {};
        pollfd fd{it->second.Get(), POLLIN, 0};
        if (poll(&fd, 1, 1000) != 1) return {};
        std::vector<std::uint8_t> bytes(4096);
        const ssize_t got = recv(fd.fd, bytes.data(), bytes.size(), MSG_DONTWAIT);
        bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return bytes;
    }

    void Unplug(const std::string& node) {
        std::lock_guard lock(m_mutex);
        m_deviceEnds.erase(node);
    }

    void DenyAccess() { m_denied = true; }

private:
    CUniqueFd OpenFake(const std::string& node, int flags) {
        if (m_denied) {
            errno = EACCES;
            return {};
        }
        int ends[2];
        if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return {};
        fcntl(ends[0], F_SETFL, flags & O_NONBLOCK);
        std::lock_guard lock(m_mutex);
        m_deviceEnds.emplace(node, CUniqueFd(ends[1]));
        return CUniqueFd(ends[0]);
    }

    CTempFolder m_root;
    std::string m_devRoot;
    std::shared_ptr<IHidBackend> m_backend;
    std::mutex m_mutex;
    std::multimap<std::string, CUniqueFd> m_deviceEnds;
    bool m_denied = false;
};

std::vector<std::string> ListPaths(IHidBackend& backend) {
    std::vector<std::string> paths;
    EXPECT_TRUE(backend.Enumerate(paths));
    return paths;
}

TEST(HidrawBackend, ListsOnePathPerTopLevelCollection) {
    CHidrawRig rig;
    rig.AddNode({.number = 0, .interfaceNumber = 0, .descriptorHex = UnnumberedKeyboardHex()});
    rig.AddNode({.number = 1, .interfaceNumber = 1, .descriptorHex = MouseInterfaceHex()});
    EXPECT_THAT(ListPaths(*rig.Backend()),
                ElementsAre("/dev/hidraw0#vid_0c45&pid_6656&mi_00&col01",
                            "/dev/hidraw1#vid_0c45&pid_6656&mi_01&col01",
                            "/dev/hidraw1#vid_0c45&pid_6656&mi_01&col02",
                            "/dev/hidraw1#vid_0c45&pid_6656&mi_01&col03",
                            "/dev/hidraw1#vid_0c45&pid_6656&mi_01&col04"));
}

TEST(HidrawBackend, SkipsUnreadableNodesAndKeepsNumericOrder) {
    CHidrawRig rig;
    for (int number = 0; number < 12; ++number) {
        NodeSetup setup{.number = number, .descriptorHex = std::string(kNotificationDescriptorHex)};
        if (number == 2) setup.writeDescriptor = false;
        if (number == 5) setup.descriptorHex = "050C0901A101";  // never closed
        if (number == 9) setup.bus = "zz";                      // no readable HID_ID
        rig.AddNode(setup);
    }
    std::vector<std::string> nodes;
    for (const std::string& path : ListPaths(*rig.Backend()))
        nodes.push_back(path.substr(0, path.find('#')));
    EXPECT_THAT(nodes, ElementsAre("/dev/hidraw0", "/dev/hidraw1", "/dev/hidraw3", "/dev/hidraw4",
                                   "/dev/hidraw6", "/dev/hidraw7", "/dev/hidraw8", "/dev/hidraw10",
                                   "/dev/hidraw11"));
}

TEST(HidrawBackend, MissingClassFolderIsAnEmptyListing) {
    CHidrawRig rig;
    EXPECT_TRUE(ListPaths(*rig.Backend()).empty());
}

// An open HidInterface on one collection of the rig's mouse interface.
class HidrawRead : public ::testing::Test {
protected:
    void SetUp() override {
        m_rig.AddNode(
            {.number = 0, .interfaceNumber = 0, .descriptorHex = UnnumberedKeyboardHex()});
        m_rig.AddNode({.number = 1, .interfaceNumber = 1, .descriptorHex = MouseInterfaceHex()});
    }
    std::unique_ptr<HidInterface> Open(std::string_view markers) {
        auto hid = std::make_unique<HidInterface>(std::vector{m_rig.Backend()});
        const std::string node =
            markers.find("mi_00") != std::string_view::npos ? "/dev/hidraw0" : "/dev/hidraw1";
        EXPECT_TRUE(hid->OpenInterface(node + std::string(markers), true, true))
            << hid->LastOpenError();
        return hid;
    }

    static constexpr std::string_view kCommand = "#vid_0c45&pid_6656&mi_01&col04";
    static constexpr std::string_view kNotification = "#vid_0c45&pid_6656&mi_01&col03";
    CHidrawRig m_rig;
};

TEST_F(HidrawRead, OpenDescribesTheCollection) {
    const auto hid = Open(kCommand);
    EXPECT_EQ(hid->Attributes().vendorId, 0x0C45);
    EXPECT_EQ(hid->Attributes().productId, 0x6656);
    EXPECT_EQ(hid->Attributes().version, 0x0107);  // bcdDevice of the USB device
    EXPECT_EQ(hid->Caps().usagePage, 0xFF1C);
    EXPECT_EQ(hid->Caps().usage, 0x92);
    EXPECT_EQ(hid->Caps().inputReportLength, 64);
    EXPECT_EQ(hid->InterfaceNumber(), 1u);
    EXPECT_EQ(hid->CollectionNumber(), 4u);
}

TEST_F(HidrawRead, EachCollectionReadsOnlyItsOwnReports) {
    const auto command = Open(kCommand);
    const auto notification = Open(kNotification);
    m_rig.SendFromDevice("/dev/hidraw1", "01 01 04");
    m_rig.SendFromDevice("/dev/hidraw1", "02 01 00 00 00 00 00");
    m_rig.SendFromDevice("/dev/hidraw1", "04 AA BB");

    std::uint8_t reply[64];
    std::fill(std::begin(reply), std::end(reply), 0xEE);
    std::size_t got = 0;
    ASSERT_TRUE(command->ReadReport(sizeof reply, reply, 1000, got));
    EXPECT_EQ(got, 64u);
    EXPECT_THAT((std::vector<std::uint8_t>(reply, reply + 4)), ElementsAre(0x04, 0xAA, 0xBB, 0x00));
    EXPECT_EQ(reply[63], 0x00);  // zero-padded to the report length

    std::uint8_t event[3] = {};
    ASSERT_TRUE(notification->ReadReport(sizeof event, event, 1000, got));
    EXPECT_EQ(got, 3u);
    ASSERT_TRUE(notification->DecodeInputUsages(event));
    EXPECT_EQ(notification->InputItems().at(0).usagePage, 0x0C);
    EXPECT_EQ(notification->InputItems().at(0).usages.at(0), 0x0401);
}

TEST_F(HidrawRead, UnnumberedReportsCarryIdZero) {
    const auto keyboard = Open("#vid_0c45&pid_6656&mi_00&col01");
    m_rig.SendFromDevice("/dev/hidraw0", "02 00 04 00 00 00 00 00");
    std::uint8_t report[9];
    std::size_t got = 0;
    ASSERT_TRUE(keyboard->ReadReport(sizeof report, report, 1000, got));
    EXPECT_THAT(report, ElementsAre(0x00, 0x02, 0x00, 0x04, 0, 0, 0, 0, 0));

    const std::uint8_t leds[] = {0x00, 0x01};  // hidraw takes the 0 id byte as it is
    std::size_t written = 0;
    ASSERT_TRUE(keyboard->WriteReport(sizeof leds, leds, 1000, written));
    EXPECT_EQ(written, 2u);
    EXPECT_THAT(m_rig.ReceiveOnDevice("/dev/hidraw0"), ElementsAre(0x00, 0x01));
}

TEST_F(HidrawRead, SetOutputReportWithoutTheIoctlBecomesAWrite) {
    const auto command = Open(kCommand);
    const auto report = FromHex("04 01 02 03");
    ASSERT_TRUE(command->SetOutputReport(report));
    EXPECT_EQ(m_rig.ReceiveOnDevice("/dev/hidraw1"), report);
}

TEST_F(HidrawRead, TimedOutReadLeavesTheBufferAndTheNextReadWorks) {
    const auto command = Open(kCommand);
    std::uint8_t buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), 0x5A);
    std::size_t got = 99;
    EXPECT_FALSE(command->ReadReport(sizeof buffer, buffer, 10, got));
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(
        std::all_of(std::begin(buffer), std::end(buffer), [](auto b) { return b == 0x5A; }));

    m_rig.SendFromDevice("/dev/hidraw1", "04 11");
    ASSERT_TRUE(command->ReadReport(sizeof buffer, buffer, 1000, got));
    EXPECT_EQ(buffer[1], 0x11);
}

// Runs an infinite read on another thread and says how it ended.
struct BackgroundRead {
    explicit BackgroundRead(HidInterface& hid)
        : thread([this, &hid] {
              ok = hid.ReadReport(sizeof buffer, buffer, kInfiniteTimeout, got);
              ended = std::chrono::steady_clock::now();
          }) {}
    void Join() { thread.join(); }
    std::uint8_t buffer[64] = {};
    std::size_t got = 99;
    bool ok = true;
    std::chrono::steady_clock::time_point ended;
    std::thread thread;
};

TEST_F(HidrawRead, CloseFromAnotherThreadEndsAnInfiniteRead) {
    const auto command = Open(kCommand);
    BackgroundRead read(*command);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let it reach its wait
    const auto start = std::chrono::steady_clock::now();
    command->CloseInterface();
    read.Join();
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.got, 0u);
    EXPECT_LT(read.ended - start, std::chrono::milliseconds(kPromptMs));
    EXPECT_FALSE(command->IsOpen());
    // Reopening gives a working record again.
    ASSERT_TRUE(command->ReopenInterface());
    m_rig.SendFromDevice("/dev/hidraw1", "04 22");
    std::size_t got = 0;
    EXPECT_TRUE(command->ReadReport(sizeof read.buffer, read.buffer, 1000, got));
}

TEST_F(HidrawRead, DeviceGoneEndsAnInfiniteRead) {
    const auto command = Open(kCommand);
    BackgroundRead read(*command);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto start = std::chrono::steady_clock::now();
    m_rig.Unplug("/dev/hidraw1");
    read.Join();
    EXPECT_FALSE(read.ok);
    EXPECT_LT(read.ended - start, std::chrono::milliseconds(kPromptMs));
}

TEST(HidrawBackend, PermissionErrorNamesTheNodeAndTheUdevRule) {
    CHidrawRig rig;
    rig.AddNode(
        {.number = 3, .interfaceNumber = 1, .descriptorHex = std::string(kCommandDescriptorHex)});
    rig.DenyAccess();
    HidInterface hid({rig.Backend()});
    EXPECT_FALSE(hid.OpenInterface("/dev/hidraw3#vid_0c45&pid_6656&mi_01&col01", true, true));
    EXPECT_FALSE(hid.IsOpen());
    EXPECT_THAT(hid.LastOpenError(), HasSubstr("/dev/hidraw3"));
    EXPECT_THAT(hid.LastOpenError(), HasSubstr("70-tolmi-q318.rules"));
}

TEST(HidrawBackend, PathsLongerThanAnyFixedBufferOpen) {
    CHidrawRig rig("/dev/" + std::string(280, 'd'));
    rig.AddNode(
        {.number = 3, .interfaceNumber = 1, .descriptorHex = std::string(kCommandDescriptorHex)});
    const auto paths = ListPaths(*rig.Backend());
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_GT(paths[0].size(), 300u);
    HidInterface hid({rig.Backend()});
    EXPECT_TRUE(hid.OpenInterface(paths[0], true, true)) << hid.LastOpenError();
    EXPECT_EQ(hid.DevicePath(), paths[0]);
    EXPECT_EQ(hid.CollectionNumber(), 1u);
}

TEST(HidrawBackend, StalePathsDoNotOpen) {
    CHidrawRig rig;
    rig.AddNode(
        {.number = 3, .interfaceNumber = 1, .descriptorHex = std::string(kCommandDescriptorHex)});
    HidInterface hid({rig.Backend()});
    const char* stale[] = {
        "/dev/hidraw3#vid_0c45&pid_6656&mi_01&col02",  // no second collection
        "/dev/hidraw3#vid_046d&pid_6656&mi_01&col01",  // another device now
        "/dev/hidraw4#vid_0c45&pid_6656&mi_01&col01",  // gone
    };
    for (const char* path : stale) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(hid.OpenInterface(path, true, true));
        EXPECT_FALSE(hid.LastOpenError().empty());
    }
}

TEST(HidrawBackend, ForeignPathsAreRefusedWithoutOpening) {
    CHidrawRig rig;
    rig.AddNode({.number = 3, .descriptorHex = std::string(kCommandDescriptorHex)});
    for (const char* path : {"", "x", "/dev", "vhid:x#col01", "/dev/hidraw3"}) {
        SCOPED_TRACE(path);
        std::string error;
        EXPECT_EQ(rig.Backend()->Open(path, true, true, error), nullptr);
        EXPECT_FALSE(error.empty());
    }
}

TEST(HidrawBackend, NonUsbDevicesHaveVersionZero) {
    CHidrawRig rig;
    rig.AddNode(
        {.number = 0, .descriptorHex = std::string(kNotificationDescriptorHex), .bus = "0005"});
    HidInterface hid({rig.Backend()});
    ASSERT_TRUE(hid.OpenInterface("/dev/hidraw0#vid_0c45&pid_6656&mi_00&col01", true, false));
    EXPECT_EQ(hid.Attributes().version, 0);
}

}  // namespace
