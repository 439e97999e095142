#include "sim/VirtualBusServer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <json/json.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

#include "device/hid/UniqueFd.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kMaxMessage = 4096;
// The last stretch of a link delay is spun: a sleeping thread wakes tens of
// microseconds late, which is too coarse for a 1 ms report time.
constexpr auto kSpinStretch = std::chrono::microseconds(200);

std::string Hex4(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    return text;
}

std::string UpperHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

CUniqueFd Listen(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return {};
    path.copy(address.sun_path, path.size());
    CUniqueFd fd(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (!fd.IsValid()) return {};
    unlink(path.c_str());  // left behind by a simulator that crashed
    if (bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd.Get(), 8) != 0)
        return {};
    return fd;
}

Json::Value Describe(const VirtualInterface& iface, const std::string& socketName) {
    Json::Value value(Json::objectValue);
    value["vendor_id"] = iface.vendorId;
    value["product_id"] = iface.productId;
    value["interface"] = iface.interfaceNumber;
    value["collection"] = iface.collectionNumber;
    value["usage_page"] = iface.usagePage;
    value["usage"] = iface.usage;
    value["input_report_length"] = iface.inputReportLength;
    value["output_report_length"] = iface.outputReportLength;
    value["report_descriptor"] = UpperHex(iface.reportDescriptor);
    value["socket"] = socketName;
    return value;
}

// Readers never see half a file: the description appears whole or not at all.
bool WriteAtomically(const std::string& path, const std::string& temporary,
                     const std::string& text) {
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    std::remove(temporary.c_str());
    return false;
}

// False when `wake` was signalled first.
bool WaitUntil(Clock::time_point due, int wake) {
    for (;;) {
        const auto left = due - Clock::now();
        if (left <= Clock::duration::zero()) return true;
        if (left <= kSpinStretch) {
            std::this_thread::yield();
            continue;
        }
        const auto sleep =
            std::chrono::duration_cast<std::chrono::nanoseconds>(left - kSpinStretch);
        const timespec timeout{static_cast<time_t>(sleep.count() / 1'000'000'000),
                               static_cast<long>(sleep.count() % 1'000'000'000)};
        pollfd fd{wake, POLLIN, 0};
        if (ppoll(&fd, 1, &timeout, nullptr) > 0) return false;
    }
}

CUniqueFd AcceptHost(int listenFd) {
    CUniqueFd host(accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC));
    const int on = 1;
    if (host.IsValid()) setsockopt(host.Get(), SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    return host;
}

// One message and the moment the host sent it: the kernel stamps it on the way in, so
// the modelled link time does not include this thread's wake-up.
ssize_t ReceiveStamped(int fd, std::span<std::uint8_t> buffer, Clock::time_point& sent) {
    iovec data{buffer.data(), buffer.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t size = recvmsg(fd, &message, 0);
    sent = Clock::now();
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); size > 0 && c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS) continue;
        timespec stamp{};
        std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
        const auto stampedAgo =
            std::chrono::system_clock::now().time_since_epoch() -
            (std::chrono::seconds(stamp.tv_sec) + std::chrono::nanoseconds(stamp.tv_nsec));
        // A clock step would make it nonsense; then the wake-up time stands.
        if (stampedAgo > Clock::duration::zero() && stampedAgo < std::chrono::milliseconds(100))
            sent -= std::chrono::duration_cast<Clock::duration>(stampedAgo);
    }
    return size;
}

}  // namespace

std::string VirtualInterfacePath(const VirtualInterface& iface) {
    return "vhid:" + iface.name + "#vid_" + Hex4(iface.vendorId, 4) + "&pid_" +
           Hex4(iface.productId, 4) + "&mi_" + Hex4(iface.interfaceNumber, 2) + "&col" +
           Hex4(iface.collectionNumber, 2);
}

struct CVirtualBusServer::Plugged {
    VirtualInterface iface;
    ReportHandler handler;
    std::string jsonPath;
    std::string socketPath;
    CUniqueFd listenFd;
    CUniqueFd wakeFd;
    std::atomic<bool> stopped{false};
    std::mutex connectionMutex;  // the serving thread changes the list, senders read it
    std::vector<CUniqueFd> connections;
    std::thread thread;
};

CVirtualBusServer::CVirtualBusServer(std::string folder) : m_folder(std::move(folder)) {
    if (!m_folder.empty() && m_folder.back() != '/') m_folder += '/';
}

CVirtualBusServer::~CVirtualBusServer() {
    UnplugAll();
}

bool CVirtualBusServer::Plug(const VirtualInterface& iface, ReportHandler handler) {
    if (iface.name.empty() || iface.name.find('/') != std::string::npos) return false;
    std::unique_lock lock(m_mutex);
    if (auto it = m_plugged.find(iface.name); it != m_plugged.end()) {
        if (!it->second->stopped) return false;
        // Vanished earlier; its thread has ended or is ending.
        std::unique_ptr<Plugged> gone = std::move(it->second);
        m_plugged.erase(it);
        lock.unlock();
        if (gone->thread.joinable()) gone->thread.join();
        lock.lock();
        if (m_plugged.contains(iface.name)) return false;
    }

    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    auto plugged = std::make_unique<Plugged>();
    plugged->iface = iface;
    plugged->handler = std::move(handler);
    plugged->jsonPath = m_folder + iface.name + ".json";
    const std::string socketName = iface.name + ".sock";
    plugged->socketPath = m_folder + socketName;
    plugged->wakeFd.Reset(eventfd(0, EFD_CLOEXEC));
    plugged->listenFd = Listen(plugged->socketPath);
    if (!plugged->wakeFd.IsValid() || !plugged->listenFd.IsValid()) return false;

    Json::StreamWriterBuilder writer;
    writer["indentation"] = "  ";
    const std::string text = Json::writeString(writer, Describe(iface, socketName)) + "\n";
    // Only now that the socket listens may a host find the description.
    if (!WriteAtomically(plugged->jsonPath, m_folder + "." + iface.name + ".json.tmp", text)) {
        unlink(plugged->socketPath.c_str());
        return false;
    }
    Plugged& served = *plugged;
    try {
        served.thread = std::thread([this, &served] { Serve(served); });
    } catch (const std::system_error&) {
        Stop(served);
        unlink(served.socketPath.c_str());
        return false;
    }
    m_plugged[iface.name] = std::move(plugged);
    return true;
}

void CVirtualBusServer::Stop(Plugged& plugged) {
    std::error_code error;
    std::filesystem::remove(plugged.jsonPath, error);
    plugged.stopped = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(plugged.wakeFd.Get(), &one, sizeof one);
}

void CVirtualBusServer::Unplug(const std::string& name) {
    std::unique_ptr<Plugged> plugged;
    {
        const std::scoped_lock lock(m_mutex);
        const auto it = m_plugged.find(name);
        if (it == m_plugged.end()) return;
        plugged = std::move(it->second);
        m_plugged.erase(it);
    }
    Stop(*plugged);
    if (plugged->thread.joinable()) plugged->thread.join();
}

void CVirtualBusServer::UnplugAll() {
    std::map<std::string, std::unique_ptr<Plugged>> all;
    {
        const std::scoped_lock lock(m_mutex);
        all.swap(m_plugged);
    }
    for (auto& [name, plugged] : all) Stop(*plugged);
    for (auto& [name, plugged] : all)
        if (plugged->thread.joinable()) plugged->thread.join();
}

void CVirtualBusServer::Vanish() {
    const std::scoped_lock lock(m_mutex);
    for (auto& [name, plugged] : m_plugged) Stop(*plugged);
}

bool CVirtualBusServer::IsPlugged(const std::string& name) const {
    const std::scoped_lock lock(m_mutex);
    const auto it = m_plugged.find(name);
    return it != m_plugged.end() && !it->second->stopped;
}

bool CVirtualBusServer::SendInputReport(const std::string& name,
                                        std::span<const std::uint8_t> report) {
    std::vector<std::uint8_t> message{kBusInputReport};
    message.insert(message.end(), report.begin(), report.end());
    const std::scoped_lock lock(m_mutex);
    const auto it = m_plugged.find(name);
    if (it == m_plugged.end() || it->second->stopped) return false;
    Plugged& plugged = *it->second;
    const std::scoped_lock connections(plugged.connectionMutex);
    bool sent = false;
    for (const CUniqueFd& connection : plugged.connections)
        if (send(connection.Get(), message.data(), message.size(), MSG_NOSIGNAL | MSG_DONTWAIT) >=
            0)
            sent = true;
    return sent;
}

void CVirtualBusServer::Serve(Plugged& plugged) {
    std::vector<std::uint8_t> buffer(kMaxMessage);
    bool serving = true;
    while (serving) {
        std::vector<pollfd> fds{{plugged.wakeFd.Get(), POLLIN, 0},
                                {plugged.listenFd.Get(), POLLIN, 0}};
        for (const CUniqueFd& connection : plugged.connections)
            fds.push_back({connection.Get(), POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents != 0) break;
        std::vector<int> closed;
        for (std::size_t i = 2; i < fds.size() && serving; ++i) {
            if (fds[i].revents == 0) continue;
            Clock::time_point sent;
            const ssize_t size = ReceiveStamped(fds[i].fd, buffer, sent);
            if (size > 0)
                serving = Answer(plugged, fds[i].fd, sent,
                                 std::span(buffer).first(static_cast<std::size_t>(size)));
            else if (size == 0 || (errno != EINTR && errno != EAGAIN))
                closed.push_back(fds[i].fd);  // the host closed its end, or it broke
        }
        const std::scoped_lock lock(plugged.connectionMutex);
        std::erase_if(plugged.connections, [&closed](const CUniqueFd& connection) {
            return std::find(closed.begin(), closed.end(), connection.Get()) != closed.end();
        });
        if (fds[1].revents & POLLIN)
            if (CUniqueFd host = AcceptHost(plugged.listenFd.Get()); host.IsValid())
                plugged.connections.push_back(std::move(host));
    }
    const std::scoped_lock lock(plugged.connectionMutex);
    plugged.connections.clear();
    plugged.listenFd.Reset();
    unlink(plugged.socketPath.c_str());
}

bool CVirtualBusServer::Answer(Plugged& plugged, int connection,
                               std::chrono::steady_clock::time_point sent,
                               std::span<const std::uint8_t> message) {
    if (!plugged.handler) return true;
    const SimResponse response = plugged.handler(message[0], message.subspan(1));
    if (response.unplug) {
        Vanish();
        return false;
    }
    const auto link = m_linkDelay.load();
    auto due = sent + link + response.delay;  // the request crossed, the device waited
    for (const std::vector<std::uint8_t>& reply : response.replies) {
        due += link;
        if (!WaitUntil(due, plugged.wakeFd.Get())) return false;
        std::vector<std::uint8_t> out{kBusInputReport};
        out.insert(out.end(), reply.begin(), reply.end());
        // Never blocks: a host that went away is noticed by the next poll, and one that
        // stopped reading loses the report, as it would on a USB link.
        send(connection, out.data(), out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    return true;
}
