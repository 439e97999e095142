#include <signal.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <optional>

#include "platform/Platform.h"

namespace {

inline constexpr int kConnectTimeoutMs = 200;
inline constexpr int kWriteTimeoutMs = 200;
inline constexpr std::size_t kMaxNameLength = 200;
inline constexpr qint64 kMaxLineLength = 256;  // name, two 64-bit numbers, separators
inline constexpr qint64 kReadBufferSize = 16 * 1024;

struct BusMessage {
    std::string name;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

std::string BusFolder() {
    return RuntimeFolder() + "bus/";
}

std::string SocketFileName(pid_t pid) {
    return std::to_string(pid) + ".sock";
}

bool IsValidName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength) return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "<name>\t<wParam>\t<lParam>", the newline already removed. Anything else is ignored.
std::optional<BusMessage> ParseLine(std::string_view line) {
    const auto first = line.find('\t');
    if (first == std::string_view::npos) return std::nullopt;
    const auto second = line.find('\t', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const std::string_view name = line.substr(0, first);
    const auto wParam = ParseNumber<WPARAM>(line.substr(first + 1, second - first - 1));
    const auto lParam = ParseNumber<LPARAM>(line.substr(second + 1));
    if (!IsValidName(name) || !wParam || !lParam) return std::nullopt;
    return BusMessage{std::string(name), *wParam, *lParam};
}

std::optional<pid_t> PidOfSocketFile(const std::filesystem::path& file) {
    if (file.extension() != ".sock") return std::nullopt;
    const auto pid = ParseNumber<pid_t>(file.stem().string());
    if (!pid || *pid <= 0) return std::nullopt;
    return pid;
}

bool ProcessAlive(pid_t pid) {
    return kill(pid, 0) == 0 || errno == EPERM;
}

// One connection, one line, closed again. Works without an event loop.
bool SendLine(const std::filesystem::path& file, pid_t pid, const QByteArray& line) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(file.string()));
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        const auto error = socket.error();
        const bool dead = error == QLocalSocket::ConnectionRefusedError ||
                          error == QLocalSocket::ServerNotFoundError;
        // A live process may be between bind and listen; only a dead one's file goes.
        if (dead && !ProcessAlive(pid)) {
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
        }
        return false;
    }
    const bool written =
        socket.write(line) == line.size() && socket.waitForBytesWritten(kWriteTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kWriteTimeoutMs);
    return written;
}

}  // namespace

struct CMessageBus::Impl {
    WindowHandle window = kNoWindow;
    Receiver receiver;
    std::unique_ptr<QLocalServer> server;

    void Accept();
    void ReadLines(QLocalSocket* socket);
    void Deliver(const BusMessage& message);
};

void CMessageBus::Impl::Accept() {
    while (QLocalSocket* socket = server->nextPendingConnection()) {  // owned by the server
        socket->setReadBufferSize(kReadBufferSize);
        QObject::connect(socket, &QLocalSocket::readyRead, socket,
                         [this, socket] { ReadLines(socket); });
        QObject::connect(socket, &QLocalSocket::disconnected, socket, [this, socket] {
            ReadLines(socket);
            socket->deleteLater();
        });
        ReadLines(socket);  // a quick sender may have written and closed already
    }
}

void CMessageBus::Impl::ReadLines(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        QByteArray line = socket->readLine();
        if (line.size() > kMaxLineLength) continue;
        line.chop(1);  // the newline
        if (const auto message = ParseLine(std::string_view(line.constData(), line.size())))
            Deliver(*message);
    }
    // A sender that writes no newline within the limit is not one of ours.
    if (socket->bytesAvailable() > kMaxLineLength) socket->abort();
}

void CMessageBus::Impl::Deliver(const BusMessage& message) {
    // Only names this process registered mean anything here; numbers are process-local.
    if (const auto number = LookupRegisteredMessage(message.name); number && window != kNoWindow)
        PostMessage(window, *number, message.wParam, message.lParam);
    if (receiver) receiver(message.name, message.wParam, message.lParam);
}

CMessageBus::CMessageBus() : m_impl(std::make_unique<Impl>()) {}

CMessageBus::~CMessageBus() = default;  // closing the server removes its socket file

bool CMessageBus::Listen(WindowHandle window, Receiver receiver) {
    if (m_impl->server) return false;
    const std::string folder = BusFolder();
    if (!MakeFolders(folder)) return false;
    // A file of a dead process that had our pid would make listen() fail.
    const QString path = QString::fromStdString(folder + SocketFileName(getpid()));
    QLocalServer::removeServer(path);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        DebugOutput("CMessageBus: cannot listen on " + path.toStdString() + "\n");
        return false;
    }
    m_impl->window = window;
    m_impl->receiver = std::move(receiver);
    m_impl->server = std::move(server);
    QObject::connect(m_impl->server.get(), &QLocalServer::newConnection, m_impl->server.get(),
                     [impl = m_impl.get()] { impl->Accept(); });
    return true;
}

int CMessageBus::Broadcast(std::string_view name, WPARAM wParam, LPARAM lParam) {
    if (!IsValidName(name)) return 0;
    const QByteArray line = QByteArray::fromStdString(
        std::string(name) + '\t' + std::to_string(wParam) + '\t' + std::to_string(lParam) + '\n');
    int reached = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(BusFolder(), error), end; !error && it != end;
         it.increment(error)) {
        const auto pid = PidOfSocketFile(it->path().filename());
        if (!pid || *pid == getpid()) continue;
        if (SendLine(it->path(), *pid, line)) ++reached;
    }
    return reached;
}
