#include "platform/WindowMessages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <atomic>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/Events.h"
#include "platform/WindowMessagesPrivate.h"

namespace {

// One piece of work queued for the UI thread.
class CUiTaskEvent : public QEvent {
public:
    CUiTaskEvent() : QEvent(Type()) {}
    virtual void Run() = 0;
    static QEvent::Type Type() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
};

class CCallEvent final : public CUiTaskEvent {
public:
    explicit CCallEvent(std::function<void()> call) : m_call(std::move(call)) {}
    void Run() override { m_call(); }

private:
    std::function<void()> m_call;
};

// Shared by a waiting sender and its queued event: a sender that gave up on abort
// leaves the record alive for the late completion.
struct SendCompletion {
    CManualResetEvent done;
    std::atomic<bool> completed{false};
    std::atomic<LRESULT> result{0};

    void Complete(LRESULT value) {
        if (completed.exchange(true)) return;
        result = value;
        done.Set();
    }
};

class CSendEvent final : public CUiTaskEvent {
public:
    CSendEvent(WindowHandle window, std::uint32_t msg, WPARAM wParam, LPARAM lParam,
               std::shared_ptr<SendCompletion> completion)
        : m_window(window),
          m_msg(msg),
          m_wParam(wParam),
          m_lParam(lParam),
          m_completion(std::move(completion)) {}
    // An event dropped unhandled (its receiver died with the application) still
    // releases the sender.
    ~CSendEvent() override { m_completion->Complete(0); }
    void Run() override {
        m_completion->Complete(
            platform_detail::DeliverMessage(m_window, m_msg, m_wParam, m_lParam));
    }

private:
    WindowHandle m_window;
    std::uint32_t m_msg;
    WPARAM m_wParam;
    LPARAM m_lParam;
    std::shared_ptr<SendCompletion> m_completion;
};

// Lives on the main thread as a child of the application and runs the queued work.
class CUiDispatcher final : public QObject {
public:
    using QObject::QObject;
    ~CUiDispatcher() override;

protected:
    bool event(QEvent* e) override {
        if (e->type() != CUiTaskEvent::Type()) return QObject::event(e);
        static_cast<CUiTaskEvent*>(e)->Run();
        return true;
    }
};

std::mutex g_dispatcherMutex;
CUiDispatcher* g_dispatcher = nullptr;  // owned by the application object

CUiDispatcher::~CUiDispatcher() {
    const std::lock_guard lock(g_dispatcherMutex);
    if (g_dispatcher == this) g_dispatcher = nullptr;
}

// Runs inside every QCoreApplication constructor, on the main thread.
void CreateUiDispatcher() {
    auto* dispatcher = new CUiDispatcher(QCoreApplication::instance());
    const std::lock_guard lock(g_dispatcherMutex);
    g_dispatcher = dispatcher;
}
Q_COREAPP_STARTUP_FUNCTION(CreateUiDispatcher)

bool PostToUi(std::unique_ptr<CUiTaskEvent> task) {
    const std::lock_guard lock(g_dispatcherMutex);
    if (!g_dispatcher) return false;
    QCoreApplication::postEvent(g_dispatcher, task.release());  // Qt owns the event now
    return true;
}

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<WindowHandle, IMessageTarget*> targets;
    WindowHandle next = 1;
};

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

IMessageTarget* FindTarget(WindowHandle window) {
    HandleTable& table = Handles();
    const std::lock_guard lock(table.mutex);
    const auto it = table.targets.find(window);
    return it == table.targets.end() ? nullptr : it->second;
}

}  // namespace

namespace platform_detail {

QObject* UiObject() {
    const std::lock_guard lock(g_dispatcherMutex);
    return g_dispatcher;
}

LRESULT DeliverMessage(WindowHandle window, std::uint32_t msg, WPARAM wParam, LPARAM lParam) {
    // Targets are destroyed on this thread only, so the pointer stays good for the call.
    IMessageTarget* target = FindTarget(window);
    if (!target) return 0;
    bool handled = false;
    return target->HandleMessage(msg, wParam, lParam, handled);
}

}  // namespace platform_detail

WindowHandle RegisterMessageTarget(IMessageTarget* target) {
    if (!target) return kNoWindow;
    HandleTable& table = Handles();
    const std::lock_guard lock(table.mutex);
    // Counting up, so a handle comes back only after four billion others.
    WindowHandle window = kNoWindow;
    do {
        window = table.next++;
    } while (window == kNoWindow || table.targets.contains(window));
    table.targets.emplace(window, target);
    return window;
}

void UnregisterMessageTarget(WindowHandle window) {
    {
        HandleTable& table = Handles();
        const std::lock_guard lock(table.mutex);
        if (table.targets.erase(window) == 0) return;
    }
    if (IsUiThread())
        platform_detail::KillAllWindowTimers(window);
    else
        UiPost([window] { platform_detail::KillAllWindowTimers(window); });
}

bool IsWindowHandleValid(WindowHandle window) {
    return FindTarget(window) != nullptr;
}

bool PostMessage(WindowHandle window, std::uint32_t msg, WPARAM wParam, LPARAM lParam) {
    if (!IsWindowHandleValid(window)) return false;
    // The handle is looked up again on delivery: a window gone by then gets nothing.
    return PostToUi(std::make_unique<CCallEvent>([window, msg, wParam, lParam] {
        platform_detail::DeliverMessage(window, msg, wParam, lParam);
    }));
}

LRESULT SendMessage(WindowHandle window, std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                    const CManualResetEvent* abort) {
    if (IsUiThread()) return platform_detail::DeliverMessage(window, msg, wParam, lParam);
    if (!IsWindowHandleValid(window)) return 0;
    auto completion = std::make_shared<SendCompletion>();
    if (!PostToUi(std::make_unique<CSendEvent>(window, msg, wParam, lParam, completion))) return 0;
    if (WaitForAny({&completion->done, abort}, -1) != 0) return 0;
    return completion->result;
}

void PostQuitMessage(int exitCode) {
    // exit() ends every event loop of the thread, modal loops included.
    UiPost([exitCode] { QCoreApplication::exit(exitCode); });
}

bool UiPost(std::function<void()> call) {
    if (!call) return false;
    return PostToUi(std::make_unique<CCallEvent>(std::move(call)));
}

bool IsUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && app->thread() == QThread::currentThread();
}
