#pragma once
// Device discovery: the slot list (one slot per device-type row) and the thread that
// follows the HID interfaces of both backends, marks slots connected or free and tells
// the main window with the device-arrived and device-left messages. The thread sleeps
// until something changes: the virtual bus folder (inotify), hidraw nodes (udev, or a
// slow look at sysfs when udev is not there), or a retry it asked for itself.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/hid/HidBackend.h"
#include "device/tables/DeviceTables.h"
#include "platform/Events.h"
#include "platform/WindowMessages.h"

struct DeviceSlot {
    DeviceTypeRow row{};
    bool connected = false;
    std::string path;  // the interface's path while connected
    bool IsFree() const { return !connected && path.empty(); }
};

// What probing an interface found: its identity and its top-level usage.
struct HidProbe {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint32_t interfaceNumber = 0;
    std::uint32_t collectionNumber = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
};

// Written by the discovery thread, read by the UI thread (in the handlers of the
// messages the thread sends, and on resume); every access takes the lock.
class CSlotList {
public:
    CSlotList();  // one free slot per device-type row, in table order
    std::size_t Size() const;
    DeviceSlot At(std::size_t index) const;  // a copy; a default slot when out of range
    bool AnyFree() const;
    // True when some free slot has these ids, interface and collection.
    bool HasFreeCandidate(std::uint16_t vendorId, std::uint16_t productId,
                          std::uint32_t interfaceNumber, std::uint32_t collectionNumber) const;
    // The first free slot whose six values equal the probe's; -1 when none.
    int FindFree(const HidProbe& probe) const;
    std::vector<std::size_t> ConnectedSlots() const;
    void Connect(std::size_t index, const std::string& path);
    void Free(std::size_t index);

private:
    mutable std::mutex m_mutex;
    std::vector<DeviceSlot> m_slots;
};

struct DiscoveryOptions {
    // Empty: the hidraw backend and the virtual bus at VirtualBusFolder().
    std::vector<std::shared_ptr<IHidBackend>> backends;
    // The virtual bus folder to watch (made when missing); empty: VirtualBusFolder().
    std::string busFolder;
    // Listen to udev for hidraw nodes; without it (or without a running udev) the
    // thread looks at the backends every fallbackPollMs.
    bool useUdev = true;
    int fallbackPollMs = 2000;
    // After a failed listing or an interface that could not be probed.
    int retryMs = 100;
};

class CDeviceDiscovery {
public:
    // Sends the device-arrived and device-left messages to `window`.
    CDeviceDiscovery(std::shared_ptr<CSlotList> slots, WindowHandle window,
                     DiscoveryOptions options = {});
    ~CDeviceDiscovery();
    CDeviceDiscovery(const CDeviceDiscovery&) = delete;
    CDeviceDiscovery& operator=(const CDeviceDiscovery&) = delete;

    // The thread's loop; returns once `stop` is set. The messages it sends are
    // abandoned when `stop` is set while the UI thread has not handled them yet.
    void Run(const CManualResetEvent& stop);
    // A worker-thread body that keeps the discovery alive for as long as it runs, so a
    // thread left behind after a timed-out stop never touches freed state.
    static CWorkerThread::Body ThreadBody(std::shared_ptr<CDeviceDiscovery> discovery);

    // How often the thread woke up and how many passes it made, for measurements.
    std::uint64_t WakeCount() const { return m_wakeCount.load(); }
    std::uint64_t PassCount() const { return m_passCount.load(); }

private:
    // One look at the interfaces; false when a listing failed or an interface could not
    // be probed, so the next look comes soon.
    bool ScanPass(const CManualResetEvent& stop);
    bool ProbeArrivals(const CManualResetEvent& stop,
                       const std::vector<std::vector<std::string>>& present);
    void CheckPresence(const CManualResetEvent& stop,
                       const std::vector<std::vector<std::string>>& present,
                       const std::vector<bool>& listed);
    int WaitTimeoutMs(int retries, bool seesEveryChange) const;

    std::shared_ptr<CSlotList> m_slots;
    WindowHandle m_window;
    DiscoveryOptions m_options;
    bool m_announced = false;
    std::atomic<std::uint64_t> m_wakeCount{0};
    std::atomic<std::uint64_t> m_passCount{0};
};
