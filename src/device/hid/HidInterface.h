#pragma once
// HidInterface: one HID interface as its user sees it: the list of interface paths
// present, then one opened top-level collection with its identity, whole-report reads
// and writes with time-outs that another thread can cut short, and usage decoding.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/hid/HidBackend.h"
#include "platform/Events.h"

class HidInterface {
public:
    HidInterface();  // DefaultHidBackends()
    explicit HidInterface(std::vector<std::shared_ptr<IHidBackend>> backends);
    ~HidInterface();  // aborts pending I/O and closes
    HidInterface(const HidInterface&) = delete;
    HidInterface& operator=(const HidInterface&) = delete;

    // ---- The path list ----
    // Lists every interface of every backend. False when a backend's listing failed;
    // the paths of the others are kept.
    bool ListHidInterfaces();
    // The path at the cursor, advancing it; nothing past the end.
    std::optional<std::string> NextInterfacePath();
    void ClearInterfaceList();
    std::size_t PathCount() const;

    // ---- The open interface ----
    bool OpenInterface(const std::string& path, bool wantRead, bool wantWrite,
                       bool wantOverlapped = true, bool readShareOnly = false);
    // Closes whatever is open and opens the stored path again.
    bool ReopenInterface();
    // Aborts a read or write under way in another thread, waits until it has left, then
    // closes. Safe from any thread.
    void CloseInterface();
    bool IsOpen() const;
    // Why the last open failed (empty after a success).
    std::string LastOpenError() const;

    // One report of `length` bytes. False with 0 bytes on time-out, abort or error;
    // the record stays open and usable.
    bool ReadReport(std::size_t length, std::uint8_t* buffer, int timeoutMs,
                    std::size_t& bytesRead);
    bool WriteReport(std::size_t length, const std::uint8_t* buffer, int timeoutMs,
                     std::size_t& bytesWritten);
    bool SetOutputReport(std::span<const std::uint8_t> report);
    // Fills the input items whose report id is the report's first byte.
    bool DecodeInputUsages(std::span<const std::uint8_t> report);
    const std::vector<HidDataItem>& InputItems() const { return m_inputItems; }

    const std::string& DevicePath() const { return m_path; }
    const HidAttributes& Attributes() const { return m_attributes; }
    const HidCollectionCaps& Caps() const { return m_caps; }
    std::uint32_t InterfaceNumber() const { return m_interfaceNumber; }
    std::uint32_t CollectionNumber() const { return m_collectionNumber; }

private:
    // One open connection with an abort event of its own: a close sets it for good, so a
    // read that has not reached its wait yet still sees it, and the next open starts clean.
    struct Session {
        std::shared_ptr<IHidConnection> connection;
        std::shared_ptr<CManualResetEvent> abort;
    };
    struct PendingIo;
    IHidBackend* BackendFor(const std::string& path) const;
    void BuildInputItems();

    std::vector<std::shared_ptr<IHidBackend>> m_backends;
    std::vector<std::string> m_paths;
    std::size_t m_cursor = 0;

    bool m_wantRead = false;
    bool m_wantWrite = false;
    bool m_wantOverlapped = false;
    bool m_readShareOnly = false;
    std::string m_path;
    std::string m_lastOpenError;
    HidAttributes m_attributes;
    HidCollectionCaps m_caps;
    std::vector<HidDataItem> m_inputItems;
    std::uint32_t m_interfaceNumber = 0;
    std::uint32_t m_collectionNumber = 0;

    // A read or write under way holds its own copy of the session, so a close from
    // another thread never frees the connection under that call.
    mutable std::mutex m_sessionMutex;
    std::condition_variable m_ioLeft;
    Session m_session;
    int m_ioInProgress = 0;
};
