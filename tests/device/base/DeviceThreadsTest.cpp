// The device's sync and light threads against the simulated mouse on a private virtual
// HID bus, and the light frame push.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "DeviceTestSupport.h"
#include "controls/DeviceKeyButtonUI.h"
#include "controls/SelectPanelUI.h"
#include "platform/Platform.h"
#include "sim/MouseSim.h"
#include "tests/sim/TempFolder.h"
#include "ui/UILib.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// Collects the debug output of every thread.
class CDebugCapture {
public:
    CDebugCapture() {
        SetDebugSink([this](std::string_view text) {
            const std::scoped_lock lock(m_mutex);
            m_lines.emplace_back(text);
        });
    }
    ~CDebugCapture() { SetDebugSink({}); }
    int Count(std::string_view line) const {
        const std::scoped_lock lock(m_mutex);
        return static_cast<int>(std::count(m_lines.begin(), m_lines.end(), line));
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

// Records the timer notifications of one paint manager, and whether each arrived on the
// UI thread.
class CTimerRecorder : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override {
        if (msg.type != "timer") return;
        notes.push_back(
            {msg.sender, static_cast<unsigned>(msg.wParam), IsUiThread(), Clock::now()});
        if (msg.sender && msg.sender->GetManager())
            msg.sender->GetManager()->KillTimer(msg.sender, static_cast<unsigned>(msg.wParam));
    }
    struct Note {
        CControlUI* sender;
        unsigned id;
        bool onUiThread;
        Clock::time_point at;
    };
    std::vector<Note> notes;
};

class DeviceThreadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.Path().empty());
        mouse = PlugMouse(bus, sim, "mouse");
        ASSERT_TRUE(mouse);
        device = std::make_unique<CTavrinUSBDevice>(
            std::vector<std::shared_ptr<IHidBackend>>{MakeVirtualHidBackend(folder.Path())});
        manager.AddNotifier(&recorder);
        entry.SetManager(&manager, nullptr, false);
        device->SetSelectorEntry(&entry);
    }
    void TearDown() override { device.reset(); }

    // The bus accepts the connection on its own thread: retry until a host reads.
    bool SendNotification(const Bytes& report) {
        const auto giveUp = Clock::now() + std::chrono::seconds(2);
        while (!bus.SendInputReport(mouse->notificationName, report)) {
            if (Clock::now() > giveUp) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    CDebugCapture debug;
    CTempFolder folder;
    CSimDevice sim{PlainMouseConfig()};
    CVirtualBusServer bus{folder.Path()};
    std::optional<PluggedMouse> mouse;
    CPaintManagerUI manager;
    CTimerRecorder recorder;
    CHorizontalLayoutUI entry;  // stands for the selector entry
    std::unique_ptr<CTavrinUSBDevice> device;
};

TEST_F(DeviceThreadsTest, ReReadRequestStartsTimer1002OnTheUiThread) {
    ASSERT_TRUE(device->OpenSyncChannel(mouse->notificationPath));
    EXPECT_TRUE(device->IsSyncThreadRunning());
    EXPECT_TRUE(device->SyncChannel().IsOpen());
    const auto sent = Clock::now();
    ASSERT_TRUE(SendNotification({0x01, 0x01, 0x04}));
    ASSERT_TRUE(RunUntil([&] { return !recorder.notes.empty(); }, 3000));
    const CTimerRecorder::Note& note = recorder.notes.front();
    EXPECT_EQ(note.sender, &entry);
    EXPECT_EQ(note.id, kEntryTimerReadDeviceState);
    EXPECT_TRUE(note.onUiThread);
    EXPECT_GE(note.at - sent, std::chrono::milliseconds(450));  // a 500 ms timer
    EXPECT_EQ(debug.Count("接收到自动添加设备的同步信息要求  TEST\n"), 1);
    EXPECT_EQ(debug.Count("接收到自动添加设备的同步信息要求\n"), 1);
}

TEST_F(DeviceThreadsTest, OtherUsagesChangeNothing) {
    ASSERT_TRUE(device->OpenSyncChannel(mouse->notificationPath));
    ASSERT_TRUE(SendNotification({0x01, 0x04, 0x04}));  // usage 0x0404
    ASSERT_TRUE(
        RunUntil([&] { return debug.Count("接收到自动添加设备的同步信息要求  TEST\n") == 1; }));
    RunUntil([] { return false; }, 700);
    EXPECT_TRUE(recorder.notes.empty());
    EXPECT_EQ(debug.Count("接收到自动添加设备的同步信息要求\n"), 0);
}

TEST_F(DeviceThreadsTest, StoppingTheSyncThreadAbortsItsWaitingRead) {
    ASSERT_TRUE(device->OpenSyncChannel(mouse->notificationPath));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // well inside its read
    const auto start = Clock::now();
    EXPECT_EQ(device->StopSyncThread(), ThreadWaitResult::Ended);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_FALSE(device->IsSyncThreadRunning());
    EXPECT_FALSE(device->SyncChannel().IsOpen());
    EXPECT_EQ(debug.Count("MS设备同步线程设定退出\n"), 1);
    EXPECT_EQ(debug.Count("线程退出：：对象处于激发状态\n"), 1);
    EXPECT_EQ(debug.Count("线程退出：：对象处于非激发状态，超时\n"), 0);
}

TEST_F(DeviceThreadsTest, ReopeningTheSyncChannelRestartsTheThread) {
    ASSERT_TRUE(device->OpenSyncChannel(mouse->notificationPath));
    const auto start = Clock::now();
    ASSERT_TRUE(device->OpenSyncChannel(mouse->notificationPath));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(300));
    ASSERT_TRUE(SendNotification({0x01, 0x01, 0x04}));
    EXPECT_TRUE(RunUntil([&] { return !recorder.notes.empty(); }, 3000));
    device->CloseSyncChannel();
    EXPECT_FALSE(device->IsSyncThreadRunning());
    EXPECT_FALSE(device->OpenSyncChannel("vhid:nothing#vid_0c45&pid_6656&mi_01&col03"));
}

TEST_F(DeviceThreadsTest, DestroyingTheDeviceWhileTheSyncThreadReadsEndsPromptly) {
    ASSERT_TRUE(device->OpenSyncChannel(mouse->notificationPath));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = Clock::now();
    device.reset();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_EQ(debug.Count("线程退出：：对象处于激发状态\n"), 1);
}

TEST_F(DeviceThreadsTest, ARequestQueuedForADeletedDeviceIsDropped) {
    ASSERT_TRUE(device->OpenSyncChannel(mouse->notificationPath));
    ASSERT_TRUE(SendNotification({0x01, 0x01, 0x04}));
    // Wait for the thread to queue the request, without running the UI queue.
    const auto giveUp = Clock::now() + std::chrono::seconds(3);
    while (debug.Count("接收到自动添加设备的同步信息要求\n") == 0 && Clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(debug.Count("接收到自动添加设备的同步信息要求\n"), 1);
    device.reset();
    RunUntil([] { return false; }, 700);
    EXPECT_TRUE(recorder.notes.empty());
}

// ---- Light thread ----

class LightThreadTest : public DeviceThreadsTest {
protected:
    void SetUp() override {
        DeviceThreadsTest::SetUp();
        ASSERT_TRUE(device->CommandChannel().Open(mouse->commandPath));
        device->SetPageLayoutName("page.xml");
        device->SetLedCount(2);
        auto* panel = static_cast<CContainerUI*>(device->Add(std::make_unique<CSelectPanelUI>()));
        auto button = std::make_unique<CDeviceKeyButtonUI>();
        button->SetName("light_1");
        led = static_cast<CDeviceKeyButtonUI*>(panel->Add(std::move(button)));
        device->BindKeyLayout();
        device->SetLightClockSource([this] {
            clockReads.fetch_add(1);
            return Clock::now().time_since_epoch();
        });
        SetRecord(*device, MakeRecord(3, 4, 4, 0, 0, 10, 20, 30));  // static, 7 steps
    }
    std::atomic<int> clockReads{0};
    CDeviceKeyButtonUI* led = nullptr;
};

TEST_F(LightThreadTest, IdlesWhileNothingShowsItsFrames) {
    device->SetWindowActive(0);
    ASSERT_TRUE(device->StartLightThread());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LE(clockReads.load(), 4);  // asleep on its events, not polling
    EXPECT_EQ(device->GetLedColour(0), 0u);

    device->SetWindowActive(1);
    ASSERT_TRUE(RunUntil([&] { return device->GetLedColour(0) != 0; }, 1000));
    EXPECT_EQ(device->GetLedColour(0), PackLedColour(10, 20, 30, 255));

    device->SetSyncLight(1);  // the synchronised effect owns the buffer now
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int reads = clockReads.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LE(clockReads.load() - reads, 2);
}

TEST_F(LightThreadTest, WakesOncePerClockStepNotEveryMillisecond) {
    ASSERT_TRUE(device->StartLightThread());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int before = clockReads.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const int reads = clockReads.load() - before;
    // 500 ms hold 32 steps of 15.625 ms; each wake reads the clock three times. Waking
    // every millisecond would read it 500 times or more.
    EXPECT_GE(reads, 20);
    EXPECT_LE(reads, 3 * 40);
}

TEST_F(LightThreadTest, FramesReachTheLedPreviewsThroughTheUiThread) {
    ASSERT_TRUE(device->StartLightThread());
    EXPECT_TRUE(RunUntil([&] { return led->GetLightColour() == 0x1E140Au; }, 1000));
    EXPECT_EQ(led->GetLightAlpha(), 255);
}

TEST_F(LightThreadTest, StopsPromptlyAndSaysSo) {
    ASSERT_TRUE(device->StartLightThread());
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    const auto start = Clock::now();
    EXPECT_EQ(device->StopLightThread(), ThreadWaitResult::Ended);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(debug.Count("MS灯光线程设定退出\n"), 1);
    EXPECT_EQ(debug.Count("线程退出：：对象处于激发状态\n"), 1);
    EXPECT_EQ(device->StopLightThread(), ThreadWaitResult::Ended);  // nothing runs: no line
    EXPECT_EQ(debug.Count("线程退出：：对象处于激发状态\n"), 1);
}

TEST_F(LightThreadTest, WithTheChannelClosedItWaitsForIt) {
    device->CommandChannel().Close();
    ASSERT_TRUE(device->StartLightThread());
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_LE(clockReads.load(), 5);
    EXPECT_EQ(device->GetLedColour(0), 0u);
}

TEST_F(LightThreadTest, ModeAndSpeedFromOutsideTheTablesAreHarmless) {
    SetRecord(*device, MakeRecord(200, 9, 200, 7, 1, 1, 2, 3));  // values outside every table
    ASSERT_TRUE(device->StartLightThread());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(device->GetLedColour(0), 0u);  // no renderer for mode 200
    EXPECT_EQ(device->StopLightThread(), ThreadWaitResult::Ended);
}

// ---- Light frames ----

std::vector<Bytes> LightFrames(const CSimDevice& sim) {
    std::vector<Bytes> frames;
    for (const Bytes& report : sim.ReceivedReports())
        if (report.size() > 8 && report[3] == 0x12) frames.push_back(report);
    return frames;
}

TEST_F(LightThreadTest, PushLightFrameSendsTheScaledColours) {
    device->SetLedColour(0, PackLedColour(255, 128, 0, 128));
    device->SetLedColour(1, PackLedColour(10, 20, 30, 255));
    device->PushLightFrame();
    const std::vector<Bytes> frames = LightFrames(sim);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][4], 6);  // length
    EXPECT_EQ(Bytes(frames[0].begin() + 8, frames[0].begin() + 14), (Bytes{127, 64, 0, 9, 19, 29}));
    EXPECT_EQ(led->GetLightColour(), 0x1E140Au);  // LED 1's preview
    EXPECT_EQ(led->GetLightAlpha(), 255);
}

TEST_F(LightThreadTest, NoFrameWithoutLightControlOrInWirelessMode) {
    device->SetLedColour(1, PackLedColour(10, 20, 30, 255));
    device->SetLightControl(0);
    device->PushLightFrame();
    EXPECT_EQ(led->GetLightColour(), 0x1E140Au);  // the preview still follows
    device->SetLightControl(1);
    device->CommandChannel().SetWirelessMode(true);
    device->PushLightFrame();
    EXPECT_TRUE(LightFrames(sim).empty());
}

}  // namespace
