#include "device/hid/HidInterface.h"

#include <utility>

#include "device/hid/UsageDecoder.h"
#include "platform/Platform.h"

// Counts one read or write for the time it runs and lends it the session.
struct HidInterface::PendingIo {
    explicit PendingIo(HidInterface& owner) : m_owner(owner) {
        std::lock_guard lock(owner.m_sessionMutex);
        session = owner.m_session;
        if (session.connection) ++owner.m_ioInProgress;
    }
    ~PendingIo() {
        if (!session.connection) return;
        session = {};  // released before a waiting close is told, so the close is the last owner
        std::lock_guard lock(m_owner.m_sessionMutex);
        if (--m_owner.m_ioInProgress == 0) m_owner.m_ioLeft.notify_all();
    }
    PendingIo(const PendingIo&) = delete;
    PendingIo& operator=(const PendingIo&) = delete;

    Session session;

private:
    HidInterface& m_owner;
};

HidInterface::HidInterface() : HidInterface(DefaultHidBackends()) {}

HidInterface::HidInterface(std::vector<std::shared_ptr<IHidBackend>> backends)
    : m_backends(std::move(backends)) {}

HidInterface::~HidInterface() {
    CloseInterface();
}

bool HidInterface::ListHidInterfaces() {
    ClearInterfaceList();
    bool listedAll = true;
    for (const std::shared_ptr<IHidBackend>& backend : m_backends) {
        std::vector<std::string> paths;
        if (!backend) continue;
        if (!backend->Enumerate(paths)) {
            DebugOutput("ListHidInterfaces: a HID backend could not list its interfaces\n");
            listedAll = false;
            continue;
        }
        m_paths.insert(m_paths.end(), paths.begin(), paths.end());
    }
    return listedAll;
}

std::optional<std::string> HidInterface::NextInterfacePath() {
    if (m_cursor >= m_paths.size()) return std::nullopt;
    return m_paths[m_cursor++];
}

void HidInterface::ClearInterfaceList() {
    m_paths.clear();
    m_cursor = 0;
}

std::size_t HidInterface::PathCount() const {
    return m_paths.size();
}

bool HidInterface::OpenInterface(const std::string& path, bool wantRead, bool wantWrite,
                                 bool wantOverlapped, bool readShareOnly) {
    m_path = path;
    m_wantRead = wantRead;
    m_wantWrite = wantWrite;
    m_wantOverlapped = wantOverlapped;  // every read and write here can time out and abort
    m_readShareOnly = readShareOnly;    // no share modes on this platform
    return ReopenInterface();
}

bool HidInterface::ReopenInterface() {
    CloseInterface();
    IHidBackend* backend = BackendFor(m_path);
    std::string error = "no HID backend serves " + m_path;
    std::unique_ptr<IHidConnection> connection =
        backend ? backend->Open(m_path, m_wantRead, m_wantWrite, error) : nullptr;
    if (!connection) {
        m_lastOpenError = error;
        DebugOutput("OpenInterface: " + error + "\n");
        return false;
    }
    m_lastOpenError.clear();
    m_attributes = connection->Attributes();
    m_caps = connection->Collection();
    const HidPathIds ids = ParseDevicePath(m_path);
    m_interfaceNumber = ids.interfaceNumber;
    m_collectionNumber = ids.collectionNumber;
    BuildInputItems();
    std::lock_guard lock(m_sessionMutex);
    m_session = {std::move(connection), std::make_shared<CManualResetEvent>()};
    return true;
}

void HidInterface::CloseInterface() {
    std::unique_lock lock(m_sessionMutex);
    Session closing = std::exchange(m_session, {});
    if (closing.abort) closing.abort->Set();
    m_ioLeft.wait(lock, [this] { return m_ioInProgress == 0; });
    lock.unlock();
    closing = {};  // the last owner now: the connection closes here
}

bool HidInterface::IsOpen() const {
    std::lock_guard lock(m_sessionMutex);
    return m_session.connection != nullptr;
}

std::string HidInterface::LastOpenError() const {
    return m_lastOpenError;
}

bool HidInterface::ReadReport(std::size_t length, std::uint8_t* buffer, int timeoutMs,
                              std::size_t& bytesRead) {
    bytesRead = 0;
    if (!buffer || length == 0) return false;
    PendingIo io(*this);
    if (!io.session.connection) return false;
    bytesRead = io.session.connection->Read({buffer, length}, timeoutMs, *io.session.abort);
    return bytesRead > 0;
}

bool HidInterface::WriteReport(std::size_t length, const std::uint8_t* buffer, int timeoutMs,
                               std::size_t& bytesWritten) {
    bytesWritten = 0;
    if (!buffer || length == 0) return false;
    PendingIo io(*this);
    if (!io.session.connection) return false;
    if (!io.session.connection->Write({buffer, length}, timeoutMs, *io.session.abort)) return false;
    bytesWritten = length;
    return true;
}

bool HidInterface::SetOutputReport(std::span<const std::uint8_t> report) {
    PendingIo io(*this);
    return io.session.connection && !report.empty() &&
           io.session.connection->SetOutputReport(report);
}

bool HidInterface::DecodeInputUsages(std::span<const std::uint8_t> report) {
    return DecodeInputItems(m_caps, m_inputItems, report);
}

IHidBackend* HidInterface::BackendFor(const std::string& path) const {
    for (const std::shared_ptr<IHidBackend>& backend : m_backends)
        if (backend && backend->Owns(path)) return backend.get();
    return nullptr;
}

void HidInterface::BuildInputItems() {
    m_inputItems = ::BuildInputItems(m_caps);
}
