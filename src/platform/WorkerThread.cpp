#include <exception>
#include <system_error>

#include "platform/Events.h"
#include "platform/Platform.h"

// Everything the thread touches. The thread holds its own reference, so a thread that
// is detached after a timed-out Stop() never reaches freed memory.
struct CWorkerThread::Shared {
    CManualResetEvent stop;
    CManualResetEvent ended;
    Body body;
};

CWorkerThread::CWorkerThread() : m_shared(std::make_shared<Shared>()) {}

CWorkerThread::~CWorkerThread() {
    Stop();
}

bool CWorkerThread::Start(Body body) {
    if (IsRunning() || !body) return false;
    if (m_thread.joinable()) m_thread.join();  // ended already; join returns at once
    m_shared->stop.Reset();
    m_shared->ended.Reset();
    m_shared->body = std::move(body);
    try {
        m_thread = std::thread([shared = m_shared] {
            try {
                shared->body(shared->stop);
            } catch (const std::exception& e) {
                DebugOutput(std::string("CWorkerThread: body ended by exception: ") + e.what() +
                            "\n");
            } catch (...) {
                DebugOutput("CWorkerThread: body ended by exception\n");
            }
            shared->body = nullptr;  // lets go of what the body captured before anyone joins
            shared->ended.Set();
        });
    } catch (const std::system_error&) {
        DebugOutput("CWorkerThread: no thread could be made\n");
        m_shared->body = nullptr;
        return false;
    }
    return true;
}

bool CWorkerThread::IsRunning() const {
    return m_thread.joinable() && !m_shared->ended.IsSet();
}

const CManualResetEvent& CWorkerThread::StopEvent() const {
    return m_shared->stop;
}

void CWorkerThread::RequestStop() {
    m_shared->stop.Set();
}

ThreadWaitResult CWorkerThread::Stop(std::chrono::milliseconds timeout) {
    if (!m_thread.joinable()) return ThreadWaitResult::Ended;
    m_shared->stop.Set();
    // A thread cannot wait for itself, e.g. when its body destroys its own worker.
    const bool self = m_thread.get_id() == std::this_thread::get_id();
    if (!self && m_shared->ended.Wait(static_cast<int>(timeout.count()))) {
        m_thread.join();
        return ThreadWaitResult::Ended;
    }
    // No safe way to end a thread from outside: leave it with its own state and give
    // this object fresh state for a later Start().
    m_thread.detach();
    m_shared = std::make_shared<Shared>();
    return self ? ThreadWaitResult::Failed : ThreadWaitResult::TimedOut;
}
