// Client side of the virtual HID bus: interfaces described by NAME.json files in the bus
// folder, each served over a SOCK_SEQPACKET socket, one report per message.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>

#include "device/hid/PolledHidConnection.h"
#include "device/hid/ReportDescriptor.h"
#include "device/hid/VirtualBusEntry.h"
#include "platform/Platform.h"

namespace {

// The first byte of every message says what the report is.
enum class MessageType : std::uint8_t {
    OutputReport = 0x01,
    SetOutputReport = 0x02,
    InputReport = 0x03,
};
inline constexpr int kSetOutputReportTimeoutMs = 1000;

class CVirtualHidConnection : public CPolledHidConnection {
public:
    using CPolledHidConnection::CPolledHidConnection;

    bool SetOutputReport(std::span<const std::uint8_t> report) override {
        if (report.empty()) return false;
        const CDeadline deadline(kSetOutputReportTimeoutMs);
        for (;;) {
            if (WaitForDescriptor(Fd(), POLLOUT, nullptr, deadline) != WaitOutcome::Ready)
                return false;
            const Transfer sent = Send(MessageType::SetOutputReport, report);
            if (sent != Transfer::Again) return sent == Transfer::Done;
        }
    }

protected:
    Transfer ReceiveOne(std::vector<std::uint8_t>& report) override {
        std::vector<std::uint8_t> message(kMaxReportBytes + 1);
        const ssize_t got = recv(Fd(), message.data(), message.size(), MSG_DONTWAIT);
        if (got == 0) return Transfer::Gone;  // the device closed its end: unplugged
        if (got < 0) return errno == EAGAIN || errno == EINTR ? Transfer::Again : Transfer::Gone;
        if (got < 2 || message[0] != static_cast<std::uint8_t>(MessageType::InputReport))
            return Transfer::Skipped;
        report.assign(message.begin() + 1, message.begin() + got);
        return Transfer::Done;
    }

    Transfer SendOne(std::span<const std::uint8_t> report) override {
        return Send(MessageType::OutputReport, report);
    }

private:
    Transfer Send(MessageType type, std::span<const std::uint8_t> report) {
        std::vector<std::uint8_t> message{static_cast<std::uint8_t>(type)};
        message.insert(message.end(), report.begin(), report.end());
        const ssize_t sent =
            send(Fd(), message.data(), message.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent == static_cast<ssize_t>(message.size())) return Transfer::Done;
        return sent < 0 && (errno == EAGAIN || errno == EINTR) ? Transfer::Again : Transfer::Gone;
    }
};

// Connects to `socketFile` in `folder`. A path too long for sockaddr_un goes through the
// folder's descriptor in /proc instead.
CUniqueFd ConnectBusSocket(const std::string& folder, const std::string& socketFile) {
    CUniqueFd fd(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.IsValid()) return {};
    CUniqueFd folderFd;
    std::string target = folder + "/" + socketFile;
    sockaddr_un address{};
    if (target.size() >= sizeof address.sun_path) {
        folderFd.Reset(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!folderFd.IsValid()) return {};
        target = "/proc/self/fd/" + std::to_string(folderFd.Get()) + "/" + socketFile;
        if (target.size() >= sizeof address.sun_path) return {};
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, target.c_str(), target.size() + 1);
    if (connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return {};
    return fd;
}

class CVirtualHidBackend : public IHidBackend {
public:
    explicit CVirtualHidBackend(std::string folder) : m_folder(std::move(folder)) {}

    bool Enumerate(std::vector<std::string>& paths) override {
        std::vector<std::string> names;
        if (!ListVirtualBusNames(m_folder, names)) return false;
        for (const std::string& name : names)
            if (const auto entry = ReadVirtualBusEntry(m_folder, name))
                paths.push_back(VirtualBusPath(*entry));
        return true;
    }

    bool Owns(std::string_view path) const override { return path.starts_with(kVirtualPathPrefix); }

    std::unique_ptr<IHidConnection> Open(const std::string& path, bool read, bool write,
                                         std::string& error) override {
        const auto entry = Owns(path) ? ReadVirtualBusEntry(m_folder, NameOf(path)) : std::nullopt;
        if (!entry || VirtualBusPath(*entry) != path) {
            error = "virtual HID interface not present: " + path;
            return nullptr;
        }
        CUniqueFd fd = ConnectBusSocket(m_folder, entry->socket);
        if (!fd.IsValid()) {
            error =
                "cannot connect to " + m_folder + "/" + entry->socket + ": " + std::strerror(errno);
            return nullptr;
        }
        return std::make_unique<CVirtualHidConnection>(std::move(fd), entry->attributes,
                                                       entry->caps);
    }

private:
    // NAME of "vhid:NAME#...".
    static std::string NameOf(std::string_view path) {
        const std::string_view rest = path.substr(kVirtualPathPrefix.size());
        return std::string(rest.substr(0, rest.find('#')));
    }

    std::string m_folder;
};

}  // namespace

std::shared_ptr<IHidBackend> MakeVirtualHidBackend(std::string folder) {
    return std::make_shared<CVirtualHidBackend>(std::move(folder));
}
