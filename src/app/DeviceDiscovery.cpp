#include "app/DeviceDiscovery.h"

#include <libudev.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <filesystem>

#include "app/AppMessages.h"
#include "device/hid/HidInterface.h"
#include "device/hid/UniqueFd.h"
#include "platform/Platform.h"

namespace {

// A zero id is a placeholder for a kind not sold yet, not a wildcard.
bool HasIds(const DeviceTypeRow& row) {
    return row.vendorId != 0 || row.productId != 0;
}

bool SameProbe(const DeviceTypeRow& row, const HidProbe& probe) {
    return row.vendorId == probe.vendorId && row.productId == probe.productId &&
           row.interfaceNumber == probe.interfaceNumber &&
           row.collectionNumber == probe.collectionNumber && row.usagePage == probe.usagePage &&
           row.usage == probe.usage;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// Where udev keeps its control socket while it runs; without it no event ever comes.
constexpr const char* kUdevRunning = "/run/udev/control";
constexpr std::string_view kJsonSuffix = ".json";
constexpr const char* kDevFolder = "/dev";
constexpr std::string_view kHidrawPrefix = "hidraw";
constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE |
                                        IN_MOVED_FROM | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
};

enum class ChangeWaitResult { Stopped, Changed, TimedOut };

// Wakes the discovery thread when interfaces may have come or gone: description files
// of the virtual bus folder (inotify) and hidraw nodes (udev).
class CDeviceChangeWatch {
public:
    CDeviceChangeWatch(std::string busFolder, bool useUdev) : m_busFolder(std::move(busFolder)) {
        m_inotify.Reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
        WatchBusFolder();
        if (useUdev) OpenUdevMonitor();
        // Without udev the kernel still makes and removes the hidraw nodes in /dev.
        if (useUdev && !m_monitor && m_inotify.IsValid())
            m_devWatch = inotify_add_watch(m_inotify.Get(), kDevFolder, IN_CREATE | IN_DELETE);
    }

    // False when some change would go unseen, so the caller must look now and then.
    bool SeesEveryChange() const {
        return m_watch >= 0 && (m_monitor != nullptr || m_devWatch >= 0);
    }

    // Waits for a change, `stop` or the time-out (negative: none). Changes to files
    // that are not interface descriptions do not end the wait.
    ChangeWaitResult Wait(const CManualResetEvent& stop, int timeoutMs) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        if (m_watch < 0) WatchBusFolder();  // the folder may be back
        for (;;) {
            int left = kInfiniteTimeout;
            if (timeoutMs >= 0) {
                const auto rest =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
                left = static_cast<int>(std::max<std::int64_t>(rest.count(), 0));
            }
            std::array<pollfd, 3> fds{
                {{stop.NativeHandle(), POLLIN, 0},
                 {m_inotify.Get(), POLLIN, 0},
                 {m_monitor ? udev_monitor_get_fd(m_monitor.get()) : -1, POLLIN, 0}}};
            const int ready = poll(fds.data(), fds.size(), left);
            if (ready < 0 && errno != EINTR) return ChangeWaitResult::TimedOut;
            if (fds[0].revents & POLLIN) return ChangeWaitResult::Stopped;
            bool changed = false;
            if (fds[1].revents & POLLIN) changed = DrainFolderEvents() || changed;
            if (fds[2].revents & POLLIN) changed = DrainUdevEvents() || changed;
            if (changed) return ChangeWaitResult::Changed;
            if (ready == 0) return ChangeWaitResult::TimedOut;
        }
    }

private:
    void WatchBusFolder() {
        if (!m_inotify.IsValid()) return;
        std::error_code ignored;
        std::filesystem::create_directories(m_busFolder, ignored);
        m_watch = inotify_add_watch(m_inotify.Get(), m_busFolder.c_str(), kFolderEvents);
        if (m_watch < 0) DebugOutput("无法监视虚拟设备目录：" + m_busFolder);
    }

    void OpenUdevMonitor() {
        if (access(kUdevRunning, F_OK) != 0) return;
        m_udev.reset(udev_new());
        if (!m_udev) return;
        m_monitor.reset(udev_monitor_new_from_netlink(m_udev.get(), "udev"));
        if (m_monitor && (udev_monitor_filter_add_match_subsystem_devtype(m_monitor.get(), "hidraw",
                                                                          nullptr) < 0 ||
                          udev_monitor_enable_receiving(m_monitor.get()) < 0))
            m_monitor.reset();
    }

    // True when a description file changed or the folder itself went away (then it is
    // made and watched again, and everything counts as changed).
    bool DrainFolderEvents() {
        alignas(inotify_event) char buffer[4096];
        bool changed = false;
        bool folderGone = false;
        for (;;) {
            const ssize_t got = read(m_inotify.Get(), buffer, sizeof buffer);
            if (got <= 0) break;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                const std::string_view name = event->len > 0 ? event->name : "";
                // IN_IGNORED of a watch already replaced must not drop the new one.
                if ((event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) &&
                    event->wd == m_watch)
                    folderGone = true;
                if (event->mask & IN_Q_OVERFLOW) changed = true;
                if (event->wd == m_devWatch) {
                    if (name.starts_with(kHidrawPrefix)) changed = true;
                } else if (name.ends_with(kJsonSuffix)) {
                    changed = true;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        if (folderGone) {
            if (m_watch >= 0) inotify_rm_watch(m_inotify.Get(), m_watch);
            m_watch = -1;
            WatchBusFolder();
        }
        return changed || folderGone;
    }

    bool DrainUdevEvents() {
        bool any = false;
        while (udev_device* device = udev_monitor_receive_device(m_monitor.get())) {
            udev_device_unref(device);
            any = true;
        }
        return any;
    }

    std::string m_busFolder;
    CUniqueFd m_inotify;
    int m_watch = -1;
    int m_devWatch = -1;
    std::unique_ptr<udev, UdevDeleter> m_udev;
    std::unique_ptr<udev_monitor, UdevDeleter> m_monitor;
};

}  // namespace

// ---- CSlotList ----

CSlotList::CSlotList() {
    for (const DeviceTypeRow& row : kDeviceTypeRows) m_slots.push_back(DeviceSlot{row, false, {}});
}

std::size_t CSlotList::Size() const {
    std::lock_guard lock(m_mutex);
    return m_slots.size();
}

DeviceSlot CSlotList::At(std::size_t index) const {
    std::lock_guard lock(m_mutex);
    return index < m_slots.size() ? m_slots[index] : DeviceSlot{};
}

bool CSlotList::AnyFree() const {
    std::lock_guard lock(m_mutex);
    return std::any_of(m_slots.begin(), m_slots.end(),
                       [](const DeviceSlot& s) { return s.IsFree() && HasIds(s.row); });
}

bool CSlotList::HasFreeCandidate(std::uint16_t vendorId, std::uint16_t productId,
                                 std::uint32_t interfaceNumber,
                                 std::uint32_t collectionNumber) const {
    std::lock_guard lock(m_mutex);
    return std::any_of(m_slots.begin(), m_slots.end(), [&](const DeviceSlot& s) {
        return s.IsFree() && HasIds(s.row) && s.row.vendorId == vendorId &&
               s.row.productId == productId && s.row.interfaceNumber == interfaceNumber &&
               s.row.collectionNumber == collectionNumber;
    });
}

int CSlotList::FindFree(const HidProbe& probe) const {
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < m_slots.size(); ++i)
        if (m_slots[i].IsFree() && HasIds(m_slots[i].row) && SameProbe(m_slots[i].row, probe))
            return static_cast<int>(i);
    return -1;
}

std::vector<std::size_t> CSlotList::ConnectedSlots() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::size_t> connected;
    for (std::size_t i = 0; i < m_slots.size(); ++i)
        if (m_slots[i].connected) connected.push_back(i);
    return connected;
}

void CSlotList::Connect(std::size_t index, const std::string& path) {
    std::lock_guard lock(m_mutex);
    if (index >= m_slots.size()) return;
    m_slots[index].connected = true;
    m_slots[index].path = path;
}

void CSlotList::Free(std::size_t index) {
    std::lock_guard lock(m_mutex);
    if (index >= m_slots.size()) return;
    m_slots[index].connected = false;
    m_slots[index].path.clear();
}

// ---- CDeviceDiscovery ----

CDeviceDiscovery::CDeviceDiscovery(std::shared_ptr<CSlotList> slots, WindowHandle window,
                                   DiscoveryOptions options)
    : m_slots(std::move(slots)), m_window(window), m_options(std::move(options)) {
    if (m_options.busFolder.empty()) m_options.busFolder = VirtualBusFolder();
    if (m_options.backends.empty())
        m_options.backends = {MakeHidrawBackend(), MakeVirtualHidBackend(m_options.busFolder)};
}

CDeviceDiscovery::~CDeviceDiscovery() = default;

CWorkerThread::Body CDeviceDiscovery::ThreadBody(std::shared_ptr<CDeviceDiscovery> discovery) {
    return [discovery](const CManualResetEvent& stop) { discovery->Run(stop); };
}

void CDeviceDiscovery::Run(const CManualResetEvent& stop) {
    CDeviceChangeWatch watch(m_options.busFolder, m_options.useUdev);
    int retries = ScanPass(stop) ? 0 : 1;
    for (;;) {
        const int timeoutMs = WaitTimeoutMs(retries, watch.SeesEveryChange());
        const ChangeWaitResult result = watch.Wait(stop, timeoutMs);
        m_wakeCount.fetch_add(1, std::memory_order_relaxed);
        if (result == ChangeWaitResult::Stopped) break;
        retries = ScanPass(stop) ? 0 : retries + 1;
    }
    DebugOutput("抓取设备线程设定退出");
}

// A failure is retried at once after retryMs; one that persists (a node we may not
// open) backs off to the slow look, so it never keeps the thread busy.
int CDeviceDiscovery::WaitTimeoutMs(int retries, bool seesEveryChange) const {
    const int slow = std::max(m_options.fallbackPollMs, m_options.retryMs);
    if (retries > 0) {
        const int shift = std::min(retries - 1, 16);
        return static_cast<int>(
            std::min<std::int64_t>(std::int64_t{m_options.retryMs} << shift, slow));
    }
    return seesEveryChange ? kInfiniteTimeout : m_options.fallbackPollMs;
}

bool CDeviceDiscovery::ScanPass(const CManualResetEvent& stop) {
    m_passCount.fetch_add(1, std::memory_order_relaxed);
    const std::size_t backendCount = m_options.backends.size();
    std::vector<std::vector<std::string>> present(backendCount);
    std::vector<bool> listed(backendCount, false);
    bool complete = true;
    for (std::size_t b = 0; b < backendCount; ++b) {
        listed[b] = m_options.backends[b]->Enumerate(present[b]);
        complete = complete && listed[b];
    }
    if (!complete) DebugOutput("设备枚举失败，稍后重试");
    // A failed listing only skips what it would have listed: the others still attach,
    // and every slot is still checked for presence.
    if (m_slots->AnyFree() && !ProbeArrivals(stop, present)) complete = false;
    if (!m_announced) {
        m_announced = true;
        PostMessage(m_window, AppMessages().instance, 0, 0);
    }
    CheckPresence(stop, present, listed);
    return complete;
}

bool CDeviceDiscovery::ProbeArrivals(const CManualResetEvent& stop,
                                     const std::vector<std::vector<std::string>>& present) {
    bool allProbed = true;
    HidInterface scratch(m_options.backends);
    for (const auto& paths : present) {
        for (const std::string& path : paths) {
            if (stop.IsSet()) return allProbed;
            const HidPathIds ids = ParseDevicePath(path);
            if (!m_slots->HasFreeCandidate(ids.vendorId, ids.productId, ids.interfaceNumber,
                                           ids.collectionNumber))
                continue;
            if (!scratch.OpenInterface(path, true, false, true, false)) {
                DebugOutput("设备打开失败：" + scratch.LastOpenError());
                allProbed = false;  // tried again on the next pass
                continue;
            }
            const HidProbe probe{scratch.Attributes().vendorId, scratch.Attributes().productId,
                                 scratch.InterfaceNumber(),     scratch.CollectionNumber(),
                                 scratch.Caps().usagePage,      scratch.Caps().usage};
            scratch.CloseInterface();
            const int slot = m_slots->FindFree(probe);
            if (slot < 0) continue;
            m_slots->Connect(static_cast<std::size_t>(slot), path);
            SendMessage(m_window, AppMsg::DeviceArrived, static_cast<WPARAM>(slot), 0, &stop);
        }
    }
    return allProbed;
}

void CDeviceDiscovery::CheckPresence(const CManualResetEvent& stop,
                                     const std::vector<std::vector<std::string>>& present,
                                     const std::vector<bool>& listed) {
    for (const std::size_t slot : m_slots->ConnectedSlots()) {
        if (stop.IsSet()) return;
        const std::string path = m_slots->At(slot).path;
        bool gone = false;
        for (std::size_t b = 0; b < m_options.backends.size(); ++b) {
            if (!m_options.backends[b]->Owns(path)) continue;
            // A backend that could not list says nothing about its interfaces.
            gone = listed[b] && !Contains(present[b], path);
            break;
        }
        if (!gone) continue;
        m_slots->Free(slot);
        SendMessage(m_window, AppMsg::DeviceLeft, static_cast<WPARAM>(slot), 0, &stop);
    }
}
