#include "platform/PowerEvents.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>

#include "platform/Platform.h"

namespace {

constexpr const char* kLoginService = "org.freedesktop.login1";
constexpr const char* kLoginPath = "/org/freedesktop/login1";
constexpr const char* kLoginManager = "org.freedesktop.login1.Manager";

// Turns the desktop's signals into posts to one window. D-Bus delivers to slots
// named by their signature, so this one needs the meta-object.
class CSystemEventReceiver : public QObject {
    Q_OBJECT
public:
    explicit CSystemEventReceiver(WindowHandle window) : m_window(window) {}

public slots:
    void OnPrepareForSleep(bool sleeping) {
        PostMessage(m_window, Msg::PowerBroadcast, sleeping ? kPowerSuspend : kPowerResumeAutomatic,
                    0);
    }
    void OnDisplayChanged() { PostMessage(m_window, Msg::DisplayChange, 0, 0); }
    void OnScreenAdded(QScreen* screen) {
        Follow(screen);
        OnDisplayChanged();
    }

public:
    void Follow(QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, &CSystemEventReceiver::OnDisplayChanged);
    }

private:
    WindowHandle m_window;
};

bool WatchSleep(CSystemEventReceiver& receiver) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return false;
    return bus.connect(kLoginService, kLoginPath, kLoginManager, "PrepareForSleep", &receiver,
                       SLOT(OnPrepareForSleep(bool)));
}

void WatchScreens(CSystemEventReceiver& receiver) {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr) return;
    QObject::connect(app, &QGuiApplication::screenAdded, &receiver,
                     &CSystemEventReceiver::OnScreenAdded);
    QObject::connect(app, &QGuiApplication::screenRemoved, &receiver,
                     &CSystemEventReceiver::OnDisplayChanged);
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, &receiver,
                     &CSystemEventReceiver::OnDisplayChanged);
    for (QScreen* screen : QGuiApplication::screens()) receiver.Follow(screen);
}

}  // namespace

struct CSystemEvents::Impl {
    std::unique_ptr<CSystemEventReceiver> receiver;
};

CSystemEvents::CSystemEvents() : m_impl(std::make_unique<Impl>()) {}

CSystemEvents::~CSystemEvents() {
    StopWatching();
}

bool CSystemEvents::Watch(WindowHandle window) {
    StopWatching();
    m_impl->receiver = std::make_unique<CSystemEventReceiver>(window);
    WatchScreens(*m_impl->receiver);
    const bool sleep = WatchSleep(*m_impl->receiver);
    if (!sleep) DebugOutput("CSystemEvents: no system bus, sleep and wake are not heard");
    return sleep;
}

void CSystemEvents::StopWatching() {
    if (!m_impl->receiver) return;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected())
        bus.disconnect(kLoginService, kLoginPath, kLoginManager, "PrepareForSleep",
                       m_impl->receiver.get(), SLOT(OnPrepareForSleep(bool)));
    m_impl->receiver.reset();
}

#include "PowerEvents.moc"
