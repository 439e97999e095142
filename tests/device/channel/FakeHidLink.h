#pragma once
// Stands where hidraw stands: each report the channel writes goes straight to a simulated
// device, whose replies queue up for the channel's reads. The real channel and the real
// device model run; only the wire is fake.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid/HidBackend.h"
#include "platform/Events.h"
#include "sim/MouseSim.h"
#include "sim/SimDevice.h"

class CFakeHidLink : public IHidBackend {
public:
    static constexpr std::string_view kPath = "fake:mouse#vid_0c45&pid_6656&mi_01&col04";

    explicit CFakeHidLink(CSimDevice& device) : m_wire(std::make_shared<Wire>()) {
        m_wire->device = &device;
    }

    bool Enumerate(std::vector<std::string>& paths) override {
        paths.emplace_back(kPath);
        return true;
    }
    bool Owns(std::string_view path) const override { return path == kPath; }
    std::unique_ptr<IHidConnection> Open(const std::string& path, bool, bool,
                                         std::string& error) override {
        if (path != kPath) {
            error = "no such fake interface";
            return nullptr;
        }
        return std::make_unique<Connection>(m_wire);
    }

    // Every later write fails, as on a stalled link.
    void FailWrites() {
        const std::scoped_lock lock(m_wire->mutex);
        m_wire->failWrites = true;
    }

private:
    using Clock = std::chrono::steady_clock;
    struct Wire {
        CSimDevice* device = nullptr;
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<std::pair<Clock::time_point, std::vector<std::uint8_t>>> replies;
        bool gone = false;
        bool failWrites = false;
    };

    class Connection : public IHidConnection {
    public:
        explicit Connection(std::shared_ptr<Wire> wire) : m_wire(std::move(wire)) {
            m_attributes.vendorId = kMouseVendorId;
            m_attributes.productId = kMouseProductId;
            m_caps.number = 4;
            m_caps.usagePage = 0xFF1C;
            m_caps.usage = 0x92;
            m_caps.inputReportIds = {kCommandReportId};
            m_caps.outputReportIds = {kCommandReportId};
            m_caps.numberedReports = true;
            m_caps.inputReportLength = kReportSize;
            m_caps.outputReportLength = kReportSize;
        }
        const HidAttributes& Attributes() const override { return m_attributes; }
        const HidCollectionCaps& Collection() const override { return m_caps; }

        // Returns the length the device sent, so a short reply shows as short.
        std::size_t Read(std::span<std::uint8_t> buffer, int timeoutMs,
                         const CManualResetEvent& abort) override {
            const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
            std::unique_lock lock(m_wire->mutex);
            for (;;) {
                const auto now = Clock::now();
                if (m_wire->gone || abort.IsSet()) return 0;
                auto& replies = m_wire->replies;
                if (!replies.empty() && replies.front().first <= now) {
                    const std::vector<std::uint8_t> reply = std::move(replies.front().second);
                    replies.pop_front();
                    std::fill(buffer.begin(), buffer.end(), 0);
                    const std::size_t size = std::min(reply.size(), buffer.size());
                    std::copy_n(reply.begin(), size, buffer.begin());
                    return size;
                }
                if (timeoutMs >= 0 && now >= deadline) return 0;
                // Short slices, so an abort is seen soon.
                auto wake = now + std::chrono::milliseconds(5);
                if (!replies.empty()) wake = std::min(wake, replies.front().first);
                if (timeoutMs >= 0) wake = std::min(wake, deadline);
                m_wire->changed.wait_until(lock, wake);
            }
        }

        bool Write(std::span<const std::uint8_t> report, int, const CManualResetEvent&) override {
            const std::scoped_lock lock(m_wire->mutex);
            if (m_wire->gone || m_wire->failWrites) return false;
            SimResponse response = m_wire->device->Receive(report);
            if (response.unplug) m_wire->gone = true;
            const auto due = Clock::now() + response.delay;
            for (std::vector<std::uint8_t>& reply : response.replies)
                m_wire->replies.emplace_back(due, std::move(reply));
            m_wire->changed.notify_all();
            return true;
        }

        bool SetOutputReport(std::span<const std::uint8_t>) override { return false; }

    private:
        std::shared_ptr<Wire> m_wire;
        HidAttributes m_attributes;
        HidCollectionCaps m_caps;
    };

    std::shared_ptr<Wire> m_wire;
};
