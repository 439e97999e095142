#pragma once
// CVirtualBusServer: plugs simulated HID interfaces into the virtual HID bus. Each
// interface is a NAME.json description and a listening SOCK_SEQPACKET socket in the bus
// folder; every message on a connection is one report behind a type byte. One server
// stands for one physical device: when its handler says the device vanished, all of its
// interfaces are unplugged.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "sim/SimDevice.h"

// Type byte in front of each report on a bus connection.
inline constexpr std::uint8_t kBusOutputReport = 0x01;     // a report write from the host
inline constexpr std::uint8_t kBusSetOutputReport = 0x02;  // a set-output-report request
inline constexpr std::uint8_t kBusInputReport = 0x03;      // a report from the device

struct VirtualInterface {
    std::string name;  // of NAME.json and the socket
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint32_t interfaceNumber = 0;
    std::uint32_t collectionNumber = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t inputReportLength = 0;  // with the report id byte
    std::uint16_t outputReportLength = 0;
    std::vector<std::uint8_t> reportDescriptor;
};

// "vhid:NAME#vid_0c45&pid_6656&mi_01&col04"
std::string VirtualInterfacePath(const VirtualInterface& iface);

class CVirtualBusServer {
public:
    // Answers one report from the host (type byte apart, report id first).
    using ReportHandler =
        std::function<SimResponse(std::uint8_t type, std::span<const std::uint8_t> report)>;

    explicit CVirtualBusServer(std::string folder);
    ~CVirtualBusServer();  // unplugs everything
    CVirtualBusServer(const CVirtualBusServer&) = delete;
    CVirtualBusServer& operator=(const CVirtualBusServer&) = delete;

    const std::string& Folder() const { return m_folder; }
    // Models a slow link: every report takes `perReport` to cross it, either way.
    void SetLinkDelay(std::chrono::microseconds perReport) { m_linkDelay.store(perReport); }

    // Listens, then publishes NAME.json. An empty handler drops what the host sends.
    // False when the folder, the socket or the file cannot be made, or the name is taken.
    bool Plug(const VirtualInterface& iface, ReportHandler handler);
    void Unplug(const std::string& name);
    void UnplugAll();
    bool IsPlugged(const std::string& name) const;
    // Sends an input report to every host connected to the interface; false when none.
    bool SendInputReport(const std::string& name, std::span<const std::uint8_t> report);

private:
    struct Plugged;
    void Serve(Plugged& plugged);
    // True to keep serving the connection.
    bool Answer(Plugged& plugged, int connection, std::chrono::steady_clock::time_point sent,
                std::span<const std::uint8_t> message);
    // Unplugs every interface from inside a serving thread: the device vanished.
    void Vanish();
    static void Stop(Plugged& plugged);

    std::string m_folder;
    std::atomic<std::chrono::microseconds> m_linkDelay{std::chrono::microseconds(0)};
    mutable std::mutex m_mutex;
    std::map<std::string, std::unique_ptr<Plugged>> m_plugged;
};
