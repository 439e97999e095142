#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

#include "HidTestSupport.h"
#include "device/hid/HidInterface.h"
#include "device/hid/UniqueFd.h"
#include "platform/Events.h"

namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

constexpr int kPromptMs = 2000;
constexpr const char* kCommandPath = "vhid:mouse-cmd#vid_0c45&pid_6656&mi_01&col04";
constexpr std::uint8_t kOutputReport = 0x01, kSetOutputReport = 0x02, kInputReport = 0x03;

std::string BusJson(std::uint32_t usagePage, std::uint32_t usage, std::uint32_t collection,
                    std::string_view descriptorHex, const std::string& socket) {
    return "{\"vendor_id\": 3141, \"product_id\": 26198, \"interface\": 1, \"collection\": " +
           std::to_string(collection) + ", \"usage_page\": " + std::to_string(usagePage) +
           ", \"usage\": " + std::to_string(usage) +
           ", \"input_report_length\": 64, \"output_report_length\": 64, \"report_descriptor\": "
           "\"" +
           std::string(descriptorHex) + "\", \"socket\": \"" + socket + "\"}";
}

std::string CommandJson(const std::string& socket) {
    return BusJson(0xFF1C, 0x92, 4, kCommandDescriptorHex, socket);
}

std::string NotificationJson(const std::string& socket) {
    return BusJson(0x0C, 0x01, 3, kNotificationDescriptorHex, socket);
}

void WriteFile(const fs::path& file, std::string_view text) {
    std::ofstream(file, std::ios::binary) << text;
}

// A device on the bus: it listens, then describes itself, and on its own thread answers
// each written report with an input report whose byte after the id is one higher.
class CTinyBusDevice {
public:
    CTinyBusDevice(const fs::path& folder, const std::string& name,
                   std::string (*json)(const std::string& socket))
        : m_json(folder / (name + ".json")) {
        const fs::path socketFile = folder / (name + ".sock");
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketFile.c_str(), sizeof address.sun_path - 1);
        m_listen.Reset(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
        if (bind(m_listen.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(m_listen.Get(), 4) != 0)
            ADD_FAILURE() << "cannot listen on " << socketFile;
        WriteFile(m_json, json(name + ".sock"));
        m_thread = std::thread([this] { Serve(); });
    }
    ~CTinyBusDevice() { Unplug(); }

    void SendInput(std::string_view hex) {
        std::vector<std::uint8_t> message{kInputReport};
        const auto report = FromHex(hex);
        message.insert(message.end(), report.begin(), report.end());
        std::unique_lock lock(m_mutex);
        ASSERT_TRUE(m_changed.wait_for(lock, std::chrono::seconds(2),
                                       [this] { return m_connection.IsValid(); }));
        ASSERT_EQ(send(m_connection.Get(), message.data(), message.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(message.size()));
    }

    // The n-th message the host sent, waiting for it up to two seconds.
    std::vector<std::uint8_t> Message(std::size_t n) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(2), [&] { return m_messages.size() > n; });
        return n < m_messages.size() ? m_messages[n] : std::vector<std::uint8_t>{};
    }

    // The description goes, then the device closes its ends.
    void Unplug() {
        std::error_code ignored;
        fs::remove(m_json, ignored);
        m_stop.Set();
        if (m_thread.joinable()) m_thread.join();
        std::lock_guard lock(m_mutex);
        m_connection.Reset();
        m_listen.Reset();
    }

private:
    void Serve() {
        pollfd fds[2] = {{m_listen.Get(), POLLIN, 0}, {m_stop.NativeHandle(), POLLIN, 0}};
        if (poll(fds, 2, -1) <= 0 || fds[1].revents) return;
        {
            std::lock_guard lock(m_mutex);
            m_connection.Reset(accept4(m_listen.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        }
        m_changed.notify_all();
        while (AnswerOne()) {
        }
    }

    bool AnswerOne() {
        pollfd fds[2] = {{m_connection.Get(), POLLIN, 0}, {m_stop.NativeHandle(), POLLIN, 0}};
        if (poll(fds, 2, -1) <= 0 || fds[1].revents) return false;
        std::vector<std::uint8_t> message(4096);
        const ssize_t got = recv(m_connection.Get(), message.data(), message.size(), 0);
        if (got <= 0) return false;
        message.resize(static_cast<std::size_t>(got));
        if (message[0] == kOutputReport && message.size() > 2) {
            std::vector<std::uint8_t> answer(message);
            answer[0] = kInputReport;
            ++answer[2];
            send(m_connection.Get(), answer.data(), answer.size(), MSG_NOSIGNAL);
        }
        std::lock_guard lock(m_mutex);
        m_messages.push_back(std::move(message));
        m_changed.notify_all();
        return true;
    }

    fs::path m_json;
    CUniqueFd m_listen;
    CUniqueFd m_connection;
    CManualResetEvent m_stop;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::vector<std::uint8_t>> m_messages;
    std::thread m_thread;
};

// Sets an environment variable (or removes it) for the scope.
class CScopedEnv {
public:
    CScopedEnv(const char* name, std::optional<std::string> value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        Apply(value);
    }
    ~CScopedEnv() { Apply(m_old); }

private:
    void Apply(const std::optional<std::string>& value) {
        if (value)
            setenv(m_name, value->c_str(), 1);
        else
            unsetenv(m_name);
    }
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(VirtualBus, FolderComesFromTheEnvironment) {
    struct Case {
        std::optional<std::string> busDir, runtimeDir;
        std::string expected;
    };
    const Case cases[] = {
        {"/srv/bus", "/run/user/1000", "/srv/bus"},
        {std::nullopt, "/run/user/1000", "/run/user/1000/tolmi-vhid"},
        {"", "/run/user/1000", "/run/user/1000/tolmi-vhid"},
        {std::nullopt, std::nullopt, "/tmp/tolmi-vhid-" + std::to_string(getuid())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        const CScopedEnv bus("TOLMI_VHID_DIR", c.busDir);
        const CScopedEnv runtime("XDG_RUNTIME_DIR", c.runtimeDir);
        EXPECT_EQ(VirtualBusFolder(), c.expected);
    }
}

TEST(VirtualBus, WrittenReportIsAnsweredThroughTheDefaultBackends) {
    const CTempFolder bus;
    const CScopedEnv env("TOLMI_VHID_DIR", bus.Path().string());
    CTinyBusDevice device(bus.Path(), "mouse-cmd", CommandJson);
    HidInterface hid;
    hid.ListHidInterfaces();
    std::vector<std::string> paths;
    while (const auto path = hid.NextInterfacePath()) paths.push_back(*path);
    ASSERT_THAT(paths, Contains(kCommandPath));

    ASSERT_TRUE(hid.OpenInterface(kCommandPath, true, true)) << hid.LastOpenError();
    EXPECT_EQ(hid.Attributes().vendorId, 0x0C45);
    EXPECT_EQ(hid.Attributes().productId, 0x6656);
    EXPECT_EQ(hid.Caps().usagePage, 0xFF1C);
    EXPECT_EQ(hid.Caps().outputReportLength, 64);
    EXPECT_EQ(hid.CollectionNumber(), 4u);

    std::uint8_t request[64] = {0x04, 0x00, 0x41};
    std::size_t written = 0;
    ASSERT_TRUE(hid.WriteReport(sizeof request, request, 1000, written));
    std::uint8_t reply[64] = {};
    std::size_t got = 0;
    ASSERT_TRUE(hid.ReadReport(sizeof reply, reply, 1000, got));
    EXPECT_EQ(got, 64u);
    EXPECT_THAT((std::vector<std::uint8_t>(reply, reply + 3)), ElementsAre(0x04, 0x01, 0x41));

    const auto sent = device.Message(0);
    ASSERT_EQ(sent.size(), 65u);
    EXPECT_EQ(sent[0], kOutputReport);
    EXPECT_EQ(sent[3], 0x41);

    const auto setReport = FromHex("04 07");
    ASSERT_TRUE(hid.SetOutputReport(setReport));
    EXPECT_THAT(device.Message(1), ElementsAre(kSetOutputReport, 0x04, 0x07));
}

TEST(VirtualBus, NotificationDecodesTheReReadEvent) {
    const CTempFolder bus;
    CTinyBusDevice device(bus.Path(), "mouse-notify", NotificationJson);
    HidInterface hid({MakeVirtualHidBackend(bus.Path().string())});
    ASSERT_TRUE(hid.OpenInterface("vhid:mouse-notify#vid_0c45&pid_6656&mi_01&col03", true, false));
    device.SendInput("05 00 00");  // a report id of no collection here: skipped
    device.SendInput("01 01 04");
    std::uint8_t report[3] = {};
    std::size_t got = 0;
    ASSERT_TRUE(hid.ReadReport(sizeof report, report, 1000, got));
    ASSERT_TRUE(hid.DecodeInputUsages(report));
    ASSERT_EQ(hid.InputItems().size(), 1u);
    EXPECT_EQ(hid.InputItems()[0].usagePage, 0x0C);
    EXPECT_EQ(hid.InputItems()[0].usages.at(0), 0x0401);
}

TEST(VirtualBus, UnplugEndsAReadAndTheInterfaceDisappears) {
    const CTempFolder bus;
    CTinyBusDevice device(bus.Path(), "mouse-cmd", CommandJson);
    HidInterface hid({MakeVirtualHidBackend(bus.Path().string())});
    ASSERT_TRUE(hid.OpenInterface(kCommandPath, true, true));
    device.SendInput("04 01");  // makes sure the device has accepted the connection
    std::uint8_t buffer[64];
    std::size_t got = 0;
    ASSERT_TRUE(hid.ReadReport(sizeof buffer, buffer, 1000, got));

    bool ok = true;
    std::chrono::steady_clock::time_point ended;
    std::thread reader([&] {
        ok = hid.ReadReport(sizeof buffer, buffer, kInfiniteTimeout, got);
        ended = std::chrono::steady_clock::now();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto start = std::chrono::steady_clock::now();
    device.Unplug();
    reader.join();
    EXPECT_FALSE(ok);
    EXPECT_EQ(got, 0u);
    EXPECT_LT(ended - start, std::chrono::milliseconds(kPromptMs));

    EXPECT_TRUE(hid.ListHidInterfaces());
    EXPECT_EQ(hid.PathCount(), 0u);
    EXPECT_FALSE(hid.ReopenInterface());
}

TEST(VirtualBus, DescriptionsThatDoNotFitAreSkipped) {
    const CTempFolder bus;
    struct File {
        const char* name;
        std::string text;
    };
    const std::string good = CommandJson("x.sock");
    std::string vendorAsText = good;
    vendorAsText.replace(vendorAsText.find("3141"), 4, "\"3141\"");
    const File files[] = {
        {"a-good", good},
        {"b-not-json", "{\"vendor_id\": "},
        {"c-array", "[1, 2]"},
        {"d-vendor-as-text", vendorAsText},
        {"e-no-socket", good.substr(0, good.find(", \"socket\"")) + "}"},
        {"f-bad-hex", BusJson(0xFF1C, 0x92, 4, "06 1C F", "x.sock")},
        {"g-bad-descriptor", BusJson(0xFF1C, 0x92, 4, "A101", "x.sock")},
        {"h-socket-elsewhere", CommandJson("../x.sock")},
        {"i-good", NotificationJson("y.sock")},
    };
    for (const File& file : files)
        WriteFile(bus.Path() / (std::string(file.name) + ".json"), file.text);
    WriteFile(bus.Path() / "j-not-a-description.txt", good);

    std::vector<std::string> paths;
    ASSERT_TRUE(MakeVirtualHidBackend(bus.Path().string())->Enumerate(paths));
    EXPECT_THAT(paths, ElementsAre("vhid:a-good#vid_0c45&pid_6656&mi_01&col04",
                                   "vhid:i-good#vid_0c45&pid_6656&mi_01&col03"));
}

TEST(VirtualBus, MissingFolderListsAndOpensNothing) {
    const auto backend = MakeVirtualHidBackend("/nonexistent/tolmi-vhid");
    std::vector<std::string> paths;
    EXPECT_TRUE(backend->Enumerate(paths));
    EXPECT_TRUE(paths.empty());
    for (const char* path : {"", "vhid", "vhid:", kCommandPath, "/dev/hidraw0#col01"}) {
        SCOPED_TRACE(path);
        std::string error;
        EXPECT_EQ(backend->Open(path, true, true, error), nullptr);
        EXPECT_FALSE(error.empty());
    }
}

TEST(VirtualBus, SocketInAFolderTooDeepForASocketAddress) {
    const CTempFolder root;
    const fs::path bus = root.Path() / std::string(60, 'a') / std::string(60, 'b');
    fs::create_directories(bus);
    // The device binds through the folder's descriptor, as the host must connect.
    const fs::path previous = fs::current_path();
    fs::current_path(bus);
    CTinyBusDevice device(".", "mouse-cmd", CommandJson);
    fs::current_path(previous);
    HidInterface hid({MakeVirtualHidBackend(bus.string())});
    ASSERT_TRUE(hid.OpenInterface(kCommandPath, true, true)) << hid.LastOpenError();
    device.SendInput("04 09");
    std::uint8_t reply[64];
    std::size_t got = 0;
    ASSERT_TRUE(hid.ReadReport(sizeof reply, reply, 1000, got));
    EXPECT_EQ(reply[1], 0x09);
}

}  // namespace
