// Process entry: single instance, registered messages, skin, control classes, the
// main window and the message loop.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/AppMessages.h"
#include "app/ControlRegistry.h"
#include "app/MainWnd.h"
#include "platform/Platform.h"
#include "ui/UILib.h"

namespace {

struct Options {
    std::string screenshotFile;  // --screenshot FILE: render the window and exit
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            options.screenshotFile = argv[++i];
        } else {
            std::fprintf(stderr, "usage: tolmi-q318 [--screenshot FILE.png]\n");
            return false;
        }
    }
    return true;
}

// Prints "mapped <ms>" when the first window is exposed, counted from the launch
// time (ns since the epoch) in TOLMI_STARTUP_PROBE; used by the start-up benchmark.
class StartupProbe : public QObject {
public:
    explicit StartupProbe(long long launchNs) : m_launchNs(launchNs) {}
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Expose && object->isWindowType() &&
            static_cast<QWindow*>(object)->isExposed()) {
            const long long now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                      std::chrono::system_clock::now().time_since_epoch())
                                      .count();
            std::fprintf(stderr, "mapped %.1f\n", (now - m_launchNs) / 1e6);
            qApp->removeEventFilter(this);
        }
        return false;
    }

private:
    long long m_launchNs;
};

// SIGTERM and SIGINT close the main window through the message loop, so the program
// stops its threads and ends as through the tray menu's "exit". The handler only writes
// to a pipe the loop watches; a second signal ends the program at once.
int g_signalPipe[2] = {-1, -1};

void OnTerminateSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
}

std::unique_ptr<QSocketNotifier> CloseOnTerminateSignal(CMainWnd& window) {
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [&window] {
        char byte = 0;
        while (read(g_signalPipe[0], &byte, 1) > 0) {
        }
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        window.Close();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminateSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return notifier;
}

void RegisterMessages() {
    RegisteredMessages& messages = AppMessages();
    messages.instance = RegisterWindowMessage(kProductName);
    DebugOutput("软件标示：" + std::to_string(messages.instance));
}

void RegisterSharedMessages() {
    RegisteredMessages& messages = AppMessages();
    messages.updateStatus = RegisterWindowMessage(kUpdateStatusMessageName);
    messages.lightAnnounce = RegisterWindowMessage(kLightAnnounceMessageName);
    messages.lightRequest = RegisterWindowMessage(kLightRequestMessageName);
}

// Saves the window once its first screen fit has run and the event queue is idle.
void ScheduleScreenshot(CMainWnd& window, const std::string& file, int& exitCode) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, &window, file, &exitCode] {
        // Devices attached at start open 500 ms later; their pages show values then.
        if (!window.HasFitted() || window.Selector().HasPendingOpen()) return;
        poll->stop();
        QTimer::singleShot(100, [&window, file, &exitCode] {
            exitCode = window.SaveScreenshot(file) ? 0 : 1;
            if (exitCode != 0)
                std::fprintf(stderr, "cannot write the screenshot %s\n", file.c_str());
            PostQuitMessage(exitCode);
        });
    });
    poll->start(20);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;
    const bool screenshot = !options.screenshotFile.empty();
    if (screenshot) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::setlocale(LC_ALL, "");
    std::signal(SIGPIPE, SIG_IGN);

    RegisterMessages();
    // A screenshot run stands beside a running instance instead of raising it.
    std::unique_ptr<CSingleInstanceLock> instanceLock;
    if (!screenshot) {
        instanceLock = std::make_unique<CSingleInstanceLock>(kProductName);
        if (instanceLock->AnotherInstanceRuns()) {
            CMessageBus::Broadcast(kProductName, 0, 1);
            return 0;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(kProductName);
    QApplication::setDesktopFileName("tolmi-q318");
    std::unique_ptr<StartupProbe> probe;
    if (const char* launch = std::getenv("TOLMI_STARTUP_PROBE")) {
        probe = std::make_unique<StartupProbe>(std::atoll(launch));
        app.installEventFilter(probe.get());
    }

    CResourceManager::Instance().SetResourcePath(ProgramFolder() + "skin/");
    CResourceManager::Instance().LoadResource("res.xml");
    RegisterControlClasses();
    RegisterSharedMessages();

    auto window = std::make_unique<CMainWnd>();
    const std::uint32_t style = UIStyle::Popup | UIStyle::Visible | UIStyle::ClipSiblings |
                                UIStyle::ClipChildren | UIStyle::Caption | UIStyle::SysMenu |
                                UIStyle::MinimizeBox;
    if (!window->Create(kNoWindow, kProductName, style, 0, 0, 0, 800, 572)) return 0;
    window->CenterWindow();

    CMessageBus bus;
    if (!screenshot) bus.Listen(window->GetHWND());
    int exitCode = 0;
    if (screenshot) ScheduleScreenshot(*window, options.screenshotFile, exitCode);
    const std::unique_ptr<QSocketNotifier> terminateWatch = CloseOnTerminateSignal(*window);

    CPaintManagerUI::MessageLoop();

    window.reset();
    CResourceManager::Instance().Release();
    return screenshot ? exitCode : 0;
}
