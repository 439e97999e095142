// The light thread and the sync thread of a device object.
//
// Light thread: instead of waking every millisecond to count tick changes, it sleeps until
// the next step of CLightStepClock (15.625 ms, the tick granularity the effect speeds were
// tuned for) and hands the number of steps that passed to RunLightSteps. While nothing
// shows its frames (window inactive, page hidden, sync-light set) it waits on its stop
// event and a wake event, which the setters of those flags set, so it costs nothing.
//
// Sync thread: blocks in a read of the notification interface with no time-out. Stopping
// it sets its stop event and closes the sync channel, which aborts the read at once
//. A usage 0x0401 asks the UI thread, through UiPost, to start the
// selector entry's timer 1002; the thread itself never touches a control.
#include <vector>

#include "device/LightTables.h"
#include "device/TavrinUSBDevice.h"
#include "platform/Platform.h"
#include "ui/UIManager.h"

namespace {

constexpr int kChannelClosedWaitMs = 100;   // light thread, command channel not open
constexpr int kSyncClosedWaitMs = 250;      // sync thread, sync channel not open
constexpr int kSyncReadFailedWaitMs = 100;  // sync thread, after a failed read
constexpr auto kStopWait = std::chrono::milliseconds(1000);

}  // namespace

// ---- Light thread ----

bool CTavrinUSBDevice::StartLightThread() {
    StopLightThread();
    m_lightStepCount = 0;
    return m_lightThread.Start([this](const CManualResetEvent& stop) { LightThreadBody(stop); });
}

ThreadWaitResult CTavrinUSBDevice::StopLightThread() {
    const bool running = m_lightThread.IsRunning();
    const ThreadWaitResult result = m_lightThread.Stop(kStopWait);
    if (running) DebugOutput(ThreadWaitText(result, ThreadWaitForm::Device));
    return result;
}

void CTavrinUSBDevice::WakeLightThread() {
    m_lightWake.Set();
    if (m_framesWantedListener && LightFramesWanted()) m_framesWantedListener();
}

bool CTavrinUSBDevice::LightFramesWanted() const {
    if (m_windowActive.load() == 0 || !m_pageShown.load() || m_syncLight.load() != 0) return false;
    const std::scoped_lock lock(m_ledLock);
    return !m_ledColours.empty();
}

void CTavrinUSBDevice::LightThreadBody(const CManualResetEvent& stop) {
    const CLightStepClock clock(m_lightClockSource);
    std::uint64_t last = clock.Step();
    for (;;) {
        if (stop.IsSet()) break;
        if (!m_commandChannel.IsOpen()) {
            if (stop.Wait(kChannelClosedWaitMs)) break;
            last = clock.Step();
            continue;
        }
        if (!LightFramesWanted()) {
            m_lightWake.Reset();
            // Checked again after the reset, so a setter in between is not missed.
            if (!LightFramesWanted() && WaitForAny({&stop, &m_lightWake}, -1) == 0) break;
            last = clock.Step();  // the idle time counts for nothing
            continue;
        }
        if (!clock.WaitNextStep(stop)) break;
        const std::uint64_t now = clock.Step();
        if (now > last) RunLightSteps(now - last);
        last = now;
    }
    DebugOutput(std::string(LightThreadExitText()) + "\n");
}

void CTavrinUSBDevice::RunLightSteps(std::uint64_t steps) {
    m_lightStepCount += static_cast<int>(std::min<std::uint64_t>(steps, 1024));
    const int speed = CurrentLightSpeed();
    const int threshold = BlinkFactorAtSpeed(speed < 0 ? 4u : static_cast<unsigned>(speed));
    if (m_lightStepCount < threshold) return;
    m_lightStepCount = 0;
    if (RenderLightMode(CurrentLightMode())) PostLedPreviews();
}

int CTavrinUSBDevice::CurrentLightMode() const {
    return GetLightRecord().mode;
}

int CTavrinUSBDevice::CurrentLightSpeed() const {
    return GetLightRecord().speed;
}

std::string_view CTavrinUSBDevice::LightThreadExitText() const {
    return "MS灯光线程设定退出";
}

// ---- Sync thread ----

bool CTavrinUSBDevice::OpenSyncChannel(const std::string& path) {
    StopSyncThread();  // also closes the old interface
    {
        const std::scoped_lock lock(m_syncOpenLock);
        if (!m_syncChannel.Open(path)) return false;
    }
    return StartSyncThread();
}

void CTavrinUSBDevice::CloseSyncChannel() {
    StopSyncThread();
}

bool CTavrinUSBDevice::StartSyncThread() {
    if (m_syncThread.IsRunning()) return true;
    return m_syncThread.Start([this](const CManualResetEvent& stop) { SyncThreadBody(stop); });
}

ThreadWaitResult CTavrinUSBDevice::StopSyncThread() {
    const bool running = m_syncThread.IsRunning();
    m_syncThread.RequestStop();
    {
        // Closing aborts a read under way, so the thread sees its stop event at once.
        const std::scoped_lock lock(m_syncOpenLock);
        m_syncChannel.Close();
    }
    const ThreadWaitResult result = m_syncThread.Stop(kStopWait);
    if (running) DebugOutput(ThreadWaitText(result, ThreadWaitForm::Device));
    return result;
}

void CTavrinUSBDevice::StopThreads() {
    StopLightThread();
    StopSyncThread();
}

void CTavrinUSBDevice::SyncThreadBody(const CManualResetEvent& stop) {
    HidInterface& hid = m_syncChannel.Interface();
    std::vector<std::uint8_t> report;
    for (;;) {
        if (stop.IsSet()) break;
        const std::size_t length = hid.Caps().inputReportLength;
        if (!m_syncChannel.IsOpen() || length == 0) {
            if (stop.Wait(kSyncClosedWaitMs)) break;
            continue;
        }
        report.assign(length, 0);
        std::size_t read = 0;
        if (!hid.ReadReport(length, report.data(), kInfiniteTimeout, read)) {
            // Aborted, unplugged or failed: never spin on a dead interface.
            if (stop.Wait(kSyncReadFailedWaitMs)) break;
            continue;
        }
        hid.DecodeInputUsages(report);
        DebugOutput("接收到自动添加设备的同步信息要求  TEST\n");
        std::uint16_t usage = 0;
        for (const HidDataItem& item : hid.InputItems()) {
            if (!item.isButton || !item.dataSet) continue;
            if (!item.usages.empty()) usage = item.usages.front();
            break;
        }
        OnSyncUsage(usage);
    }
    DebugOutput("MS设备同步线程设定退出\n");
}

void CTavrinUSBDevice::OnSyncUsage(std::uint16_t usage) {
    if (usage != kSyncUsageReadState) return;
    DebugOutput("接收到自动添加设备的同步信息要求\n");
    PostReadStateTimer();
}

unsigned CTavrinUSBDevice::SyncTimerIntervalMs() const {
    return 500;
}

void CTavrinUSBDevice::PostReadStateTimer() {
    const std::weak_ptr<CTavrinUSBDevice*> alive = m_aliveToken;
    const unsigned intervalMs = SyncTimerIntervalMs();
    UiPost([alive, intervalMs] {
        const auto device = alive.lock();
        if (!device) return;
        CControlUI* entry = (*device)->m_selectorEntry;
        CPaintManagerUI* manager = entry ? entry->GetManager() : nullptr;
        if (!manager) {
            DebugOutput("device sync: no selector entry in a window, timer 1002 not started\n");
            return;
        }
        manager->SetTimer(entry, kEntryTimerReadDeviceState, intervalMs);
    });
}
