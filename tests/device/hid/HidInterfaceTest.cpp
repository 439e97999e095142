#include "device/hid/HidInterface.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using ::testing::ElementsAre;

// What the connections of a fake backend went through; it outlives them.
struct ConnectionProbe {
    std::atomic<int> alive{0};
    std::atomic<bool> inRead{false};
    std::atomic<bool> leftRead{false};
    std::atomic<bool> destroyedInRead{false};
};

// A connection that never receives anything: a read waits for its abort event, then
// lingers a little before leaving, as a slow driver would.
class CIdleConnection : public IHidConnection {
public:
    explicit CIdleConnection(ConnectionProbe& probe) : m_probe(probe) { ++m_probe.alive; }
    ~CIdleConnection() override {
        if (m_probe.inRead && !m_probe.leftRead) m_probe.destroyedInRead = true;
        --m_probe.alive;
    }
    const HidAttributes& Attributes() const override { return m_attributes; }
    const HidCollectionCaps& Collection() const override { return m_caps; }
    std::size_t Read(std::span<std::uint8_t> buffer, int timeoutMs,
                     const CManualResetEvent& abort) override {
        m_probe.leftRead = false;
        m_probe.inRead = true;
        if (abort.Wait(timeoutMs)) std::this_thread::sleep_for(std::chrono::milliseconds(30));
        m_probe.leftRead = true;
        return 0;
    }
    bool Write(std::span<const std::uint8_t>, int, const CManualResetEvent&) override {
        return true;
    }
    bool SetOutputReport(std::span<const std::uint8_t>) override { return true; }

private:
    ConnectionProbe& m_probe;
    HidAttributes m_attributes;
    HidCollectionCaps m_caps;
};

class CFakeBackend : public IHidBackend {
public:
    CFakeBackend(std::string prefix, int count, bool listed = true)
        : m_prefix(std::move(prefix)), m_count(count), m_listed(listed) {}

    bool Enumerate(std::vector<std::string>& paths) override {
        for (int n = 0; n < m_count; ++n) paths.push_back(m_prefix + std::to_string(n));
        return m_listed;
    }
    bool Owns(std::string_view path) const override { return path.starts_with(m_prefix); }
    std::unique_ptr<IHidConnection> Open(const std::string& path, bool, bool,
                                         std::string& error) override {
        return std::make_unique<CIdleConnection>(probe);
    }

    ConnectionProbe probe;

private:
    std::string m_prefix;
    int m_count;
    bool m_listed;
};

std::vector<std::string> AllPaths(HidInterface& hid) {
    std::vector<std::string> paths;
    while (const auto path = hid.NextInterfacePath()) paths.push_back(*path);
    return paths;
}

TEST(HidInterface, FailedBackendListingKeepsTheOthersPaths) {
    HidInterface hid({std::make_shared<CFakeBackend>("a", 2),
                      std::make_shared<CFakeBackend>("broken", 3, false),
                      std::make_shared<CFakeBackend>("b", 7)});
    EXPECT_FALSE(hid.ListHidInterfaces());
    EXPECT_EQ(hid.PathCount(), 9u);
    EXPECT_THAT(AllPaths(hid), ElementsAre("a0", "a1", "b0", "b1", "b2", "b3", "b4", "b5", "b6"));
    EXPECT_FALSE(hid.NextInterfacePath());

    hid.ClearInterfaceList();
    EXPECT_EQ(hid.PathCount(), 0u);
    EXPECT_FALSE(hid.NextInterfacePath());
}

TEST(HidInterface, NothingOpenMeansFailuresWithZeroBytes) {
    HidInterface hid({std::make_shared<CFakeBackend>("a", 1)});
    EXPECT_FALSE(hid.OpenInterface("/dev/unknown#vid_0c45", true, true));
    EXPECT_FALSE(hid.LastOpenError().empty());
    EXPECT_FALSE(hid.IsOpen());
    std::uint8_t buffer[8] = {};
    std::size_t bytes = 99;
    EXPECT_FALSE(hid.ReadReport(sizeof buffer, buffer, 10, bytes));
    EXPECT_EQ(bytes, 0u);
    bytes = 99;
    EXPECT_FALSE(hid.WriteReport(sizeof buffer, buffer, 10, bytes));
    EXPECT_EQ(bytes, 0u);
    EXPECT_FALSE(hid.SetOutputReport(buffer));
}

// Close and reopen from another thread: the read is aborted, the caller waits until it
// has left, and only then does the connection go.
TEST(HidInterface, CloseAndReopenWaitForTheReadToLeave) {
    for (const bool reopen : {false, true}) {
        SCOPED_TRACE(reopen ? "reopen" : "close");
        auto backend = std::make_shared<CFakeBackend>("a", 1);
        HidInterface hid({backend});
        ASSERT_TRUE(hid.OpenInterface("a0", true, true));
        ConnectionProbe& probe = backend->probe;
        std::uint8_t buffer[8];
        std::size_t bytes = 99;
        bool ok = true;
        std::thread reader(
            [&] { ok = hid.ReadReport(sizeof buffer, buffer, kInfiniteTimeout, bytes); });
        while (!probe.inRead) std::this_thread::yield();

        if (reopen)
            EXPECT_TRUE(hid.ReopenInterface());
        else
            hid.CloseInterface();
        EXPECT_TRUE(probe.leftRead);
        reader.join();
        EXPECT_FALSE(probe.destroyedInRead);
        EXPECT_FALSE(ok);
        EXPECT_EQ(bytes, 0u);
        EXPECT_EQ(hid.IsOpen(), reopen);
        EXPECT_EQ(probe.alive, reopen ? 1 : 0);
    }
}

TEST(HidInterface, AReopenedRecordIsNotAbortedByTheEarlierClose) {
    auto backend = std::make_shared<CFakeBackend>("a", 1);
    HidInterface hid({backend});
    ASSERT_TRUE(hid.OpenInterface("a0", true, true));
    hid.CloseInterface();
    ASSERT_TRUE(hid.ReopenInterface());
    std::uint8_t buffer[8];
    std::size_t bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(hid.ReadReport(sizeof buffer, buffer, 50, bytes));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
}

}  // namespace
