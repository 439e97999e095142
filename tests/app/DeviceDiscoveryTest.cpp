// The discovery thread against the mouse simulator on a temporary virtual bus: which
// messages it sends when, that it waits for changes instead of polling, and that a failed
// listing or a stop in the middle of a send does not end it badly.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "AppTestSupport.h"
#include "app/AppMessages.h"
#include "app/DeviceDiscovery.h"
#include "sim/MouseSim.h"

namespace {

constexpr WPARAM kMouseCommandSlot = 2;
constexpr WPARAM kMouseNotificationSlot = 3;

struct SentMessage {
    std::uint32_t msg;
    WPARAM slot;
    qint64 atMs;
};

// Stands for the main window: records the messages that reach it on the UI thread.
class CMessageRecorder : public IMessageTarget {
public:
    CMessageRecorder() : m_window(RegisterMessageTarget(this)) { m_clock.start(); }
    ~CMessageRecorder() override { UnregisterMessageTarget(m_window); }
    WindowHandle Window() const { return m_window; }

    LRESULT HandleMessage(std::uint32_t msg, WPARAM wParam, LPARAM, bool& handled) override {
        handled = true;
        m_messages.push_back({msg, wParam, m_clock.elapsed()});
        return 0;
    }
    int Count(std::uint32_t msg, WPARAM slot) const {
        int n = 0;
        for (const SentMessage& m : m_messages) n += (m.msg == msg && m.slot == slot) ? 1 : 0;
        return n;
    }
    int Count(std::uint32_t msg) const {
        int n = 0;
        for (const SentMessage& m : m_messages) n += m.msg == msg ? 1 : 0;
        return n;
    }
    const std::vector<SentMessage>& Messages() const { return m_messages; }
    qint64 Now() const { return m_clock.elapsed(); }

private:
    WindowHandle m_window;
    QElapsedTimer m_clock;
    std::vector<SentMessage> m_messages;
};

// Fails its first `failures` listings, then lists what the bus lists.
class CFlakyBackend : public IHidBackend {
public:
    CFlakyBackend(std::shared_ptr<IHidBackend> inner, int failures)
        : m_inner(std::move(inner)), m_failures(failures) {}
    bool Enumerate(std::vector<std::string>& paths) override {
        ++m_listings;
        if (m_failures > 0) {
            --m_failures;
            return false;
        }
        return m_inner->Enumerate(paths);
    }
    bool Owns(std::string_view path) const override { return m_inner->Owns(path); }
    std::unique_ptr<IHidConnection> Open(const std::string& path, bool read, bool write,
                                         std::string& error) override {
        return m_inner->Open(path, read, write, error);
    }
    void FailNext(int count) { m_failures = count; }
    int Listings() const { return m_listings; }

private:
    std::shared_ptr<IHidBackend> m_inner;
    std::atomic<int> m_failures;
    std::atomic<int> m_listings{0};
};

class DeviceDiscoveryTest : public testing::Test {
protected:
    void SetUp() override {
        if (AppMessages().instance == 0)
            AppMessages().instance = RegisterWindowMessage(kProductName);
        m_bus = std::make_unique<CVirtualBusServer>(m_folder.Path());
    }
    void TearDown() override {
        m_thread.Stop();
        m_bus.reset();
    }

    // Only the temporary bus: the machine's own HID devices stay out of the test. A
    // long fallback proves that changes, not polling, wake the thread.
    DiscoveryOptions BusOptions(std::shared_ptr<IHidBackend> backend = nullptr) {
        DiscoveryOptions options;
        options.backends = {backend ? backend : MakeVirtualHidBackend(m_folder.Path())};
        options.busFolder = m_folder.Path();
        options.useUdev = false;
        options.fallbackPollMs = 60000;
        return options;
    }
    void Start(DiscoveryOptions options) {
        m_discovery =
            std::make_shared<CDeviceDiscovery>(m_slots, m_recorder.Window(), std::move(options));
        ASSERT_TRUE(m_thread.Start(CDeviceDiscovery::ThreadBody(m_discovery)));
        ASSERT_TRUE(RunEventsUntil([&] { return m_recorder.Count(AppMessages().instance) == 1; }));
    }
    bool PlugMouse() {
        m_mouse = ::PlugMouse(*m_bus, m_device, "mouse");
        return m_mouse.has_value();
    }
    void UnplugMouse() {
        m_bus->Unplug(m_mouse->commandName);
        m_bus->Unplug(m_mouse->notificationName);
    }
    bool WaitFor(std::uint32_t msg, WPARAM slot, int count = 1, int timeoutMs = 2000) {
        return RunEventsUntil([&] { return m_recorder.Count(msg, slot) >= count; }, timeoutMs);
    }
    // Lets the thread finish the pass that the last change started.
    void SettleAfterChange(std::uint64_t passesBefore) {
        ASSERT_TRUE(RunEventsUntil([&] { return m_discovery->PassCount() > passesBefore; }));
        RunEventsUntil([] { return false; }, 30);
    }

    CTempFolder m_folder;
    std::unique_ptr<CVirtualBusServer> m_bus;
    CSimDevice m_device{PlainMouseConfig()};
    std::optional<PluggedMouse> m_mouse;
    std::shared_ptr<CSlotList> m_slots = std::make_shared<CSlotList>();
    CMessageRecorder m_recorder;
    std::shared_ptr<CDeviceDiscovery> m_discovery;
    CWorkerThread m_thread;
};

TEST_F(DeviceDiscoveryTest, PlugAndUnplugSendTheirMessagesForBothInterfacesWithoutPolling) {
    Start(BusOptions());
    EXPECT_TRUE(m_recorder.Messages().size() == 1);  // the instance message of the first pass

    const qint64 plugged = m_recorder.Now();
    ASSERT_TRUE(PlugMouse());
    ASSERT_TRUE(WaitFor(AppMsg::DeviceArrived, kMouseCommandSlot));
    ASSERT_TRUE(WaitFor(AppMsg::DeviceArrived, kMouseNotificationSlot));
    const qint64 arrivedAfter = m_recorder.Messages().back().atMs - plugged;
    RecordProperty("plug_to_arrival_ms", static_cast<int>(arrivedAfter));
    EXPECT_LT(arrivedAfter, 1000);  // the fallback look is a minute away: a change woke it
    EXPECT_EQ(m_slots->At(kMouseCommandSlot).path, m_mouse->commandPath);
    EXPECT_EQ(m_slots->At(kMouseNotificationSlot).path, m_mouse->notificationPath);

    const qint64 unplugged = m_recorder.Now();
    UnplugMouse();
    ASSERT_TRUE(WaitFor(AppMsg::DeviceLeft, kMouseCommandSlot));
    ASSERT_TRUE(WaitFor(AppMsg::DeviceLeft, kMouseNotificationSlot));
    EXPECT_LT(m_recorder.Messages().back().atMs - unplugged, 1000);
    EXPECT_TRUE(m_slots->At(kMouseCommandSlot).IsFree());
    EXPECT_TRUE(m_slots->At(kMouseNotificationSlot).IsFree());

    // Each interface arrived and left once; the instance message came once.
    EXPECT_EQ(m_recorder.Count(AppMsg::DeviceArrived), 2);
    EXPECT_EQ(m_recorder.Count(AppMsg::DeviceLeft), 2);
    EXPECT_EQ(m_recorder.Count(AppMessages().instance), 1);
}

TEST_F(DeviceDiscoveryTest, AMouseAlreadyPluggedAttachesInTheFirstPassBeforeTheInstanceMessage) {
    ASSERT_TRUE(PlugMouse());
    Start(BusOptions());
    const auto& messages = m_recorder.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2].msg, AppMessages().instance);
    EXPECT_EQ(m_recorder.Count(AppMsg::DeviceArrived), 2);
}

TEST_F(DeviceDiscoveryTest, AnInterfaceWithTheRightIdsButAnotherUsagePageStaysUnattached) {
    Start(BusOptions());
    VirtualInterface foreign = MouseCommandInterface("foreign-col04");
    foreign.usagePage = 0xFF00;
    foreign.reportDescriptor[1] = 0x00;  // Usage Page (0xFF00) in the descriptor as well
    const std::uint64_t passes = m_discovery->PassCount();
    ASSERT_TRUE(m_bus->Plug(foreign, {}));
    SettleAfterChange(passes);
    EXPECT_EQ(m_recorder.Count(AppMsg::DeviceArrived), 0);
    EXPECT_TRUE(m_slots->At(kMouseCommandSlot).IsFree());

    // The real mouse beside it still takes the slot.
    ASSERT_TRUE(PlugMouse());
    ASSERT_TRUE(WaitFor(AppMsg::DeviceArrived, kMouseCommandSlot));
    EXPECT_EQ(m_slots->At(kMouseCommandSlot).path, m_mouse->commandPath);
}

TEST_F(DeviceDiscoveryTest, ASecondMouseFindsNoFreeSlotAndIsIgnored) {
    Start(BusOptions());
    ASSERT_TRUE(PlugMouse());
    ASSERT_TRUE(WaitFor(AppMsg::DeviceArrived, kMouseCommandSlot));
    CSimDevice second(PlainMouseConfig());
    const std::uint64_t passes = m_discovery->PassCount();
    ASSERT_TRUE(::PlugMouse(*m_bus, second, "second").has_value());
    SettleAfterChange(passes);
    EXPECT_EQ(m_recorder.Count(AppMsg::DeviceArrived), 2);
    EXPECT_EQ(m_slots->At(kMouseCommandSlot).path, m_mouse->commandPath);
}

TEST_F(DeviceDiscoveryTest, AFailedListingSkipsOnePassAndDiscoveryGoesOn) {
    ASSERT_TRUE(PlugMouse());
    auto flaky = std::make_shared<CFlakyBackend>(MakeVirtualHidBackend(m_folder.Path()), 1);
    Start(BusOptions(flaky));
    EXPECT_EQ(m_recorder.Count(AppMsg::DeviceArrived), 0);  // the first listing failed
    // Nothing changes on the bus: the retry alone brings the mouse in.
    ASSERT_TRUE(WaitFor(AppMsg::DeviceArrived, kMouseCommandSlot, 1, 1000));

    // A failing listing while attached says nothing about presence...
    flaky->FailNext(1);
    const int listings = flaky->Listings();
    ASSERT_TRUE(m_bus->Plug(MouseNotificationInterface("unrelated"), {}));  // wakes the thread
    ASSERT_TRUE(RunEventsUntil([&] { return flaky->Listings() > listings + 1; }));
    EXPECT_EQ(m_recorder.Count(AppMsg::DeviceLeft), 0);
    // ...and unplugging afterwards is still seen.
    UnplugMouse();
    EXPECT_TRUE(WaitFor(AppMsg::DeviceLeft, kMouseCommandSlot));
}

TEST_F(DeviceDiscoveryTest, StopEndsTheThreadWhileItWaitsForTheWindowToHandleASend) {
    Start(BusOptions());
    ASSERT_TRUE(PlugMouse());
    // No events are processed from here on: the thread sits in its send.
    QElapsedTimer waited;
    waited.start();
    while (m_slots->ConnectedSlots().empty() && waited.elapsed() < 2000)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_FALSE(m_slots->ConnectedSlots().empty());
    QElapsedTimer stopping;
    stopping.start();
    EXPECT_EQ(m_thread.Stop(), ThreadWaitResult::Ended);
    EXPECT_LT(stopping.elapsed(), 500);
}

TEST_F(DeviceDiscoveryTest, IdleDiscoveryHardlyWakesUp) {
    // As shipped: udev when it runs, else a slow look at the backends.
    DiscoveryOptions options = BusOptions();
    options.useUdev = true;
    options.fallbackPollMs = DiscoveryOptions{}.fallbackPollMs;
    Start(options);
    const std::uint64_t before = m_discovery->WakeCount();
    RunEventsUntil([] { return false; }, 600);
    const std::uint64_t wakeUps = m_discovery->WakeCount() - before;
    RecordProperty("idle_wakeups_in_600ms", static_cast<int>(wakeUps));
    EXPECT_LE(wakeUps, 1u);
}

TEST_F(DeviceDiscoveryTest, TheBusFolderIsMadeWhenMissingAndWatchedAgainWhenRemade) {
    const std::string folder = m_folder.Path() + "/bus";
    m_bus = std::make_unique<CVirtualBusServer>(folder);
    DiscoveryOptions options = BusOptions(MakeVirtualHidBackend(folder));
    options.busFolder = folder;
    Start(options);
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    const std::uint64_t passes = m_discovery->PassCount();
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(RunEventsUntil([&] { return m_discovery->PassCount() > passes; }));
    ASSERT_TRUE(PlugMouse());
    EXPECT_TRUE(WaitFor(AppMsg::DeviceArrived, kMouseCommandSlot));
}

}  // namespace
