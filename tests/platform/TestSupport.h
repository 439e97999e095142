#pragma once
// Helpers shared by the platform tests.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/WindowMessages.h"

// Points the runtime, data and config folders at a fresh temporary folder for one test.
class CTempEnvironment {
public:
    CTempEnvironment() {
        std::string pattern = "/tmp/tolmi-platform-test-XXXXXX";
        m_root = mkdtemp(pattern.data()) ? pattern : std::string();
        for (const char* name : kVariables) {
            const char* old = std::getenv(name);
            m_saved.emplace_back(old ? std::optional<std::string>(old) : std::nullopt);
            setenv(name, (m_root + "/" + name).c_str(), 1);
        }
    }
    ~CTempEnvironment() {
        for (std::size_t n = 0; n < std::size(kVariables); ++n) {
            if (m_saved[n])
                setenv(kVariables[n], m_saved[n]->c_str(), 1);
            else
                unsetenv(kVariables[n]);
        }
        std::error_code ignored;
        if (!m_root.empty()) std::filesystem::remove_all(m_root, ignored);
    }
    CTempEnvironment(const CTempEnvironment&) = delete;
    CTempEnvironment& operator=(const CTempEnvironment&) = delete;

    const std::string& Root() const { return m_root; }

private:
    static constexpr const char* kVariables[] = {"XDG_RUNTIME_DIR", "XDG_DATA_HOME",
                                                 "XDG_CONFIG_HOME"};
    std::string m_root;
    std::vector<std::optional<std::string>> m_saved;
};

// Runs the UI event loop until `done` holds or the time-out passes; returns `done()`.
inline bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs = 2000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(1);
    }
    return done();
}

inline void RunEventsFor(int ms) {
    RunEventsUntil([] { return false; }, ms);
}

struct ReceivedMessage {
    std::uint32_t msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool onUiThread = false;
    std::chrono::steady_clock::time_point at;
};

// A window that records what it receives and answers with wParam + lParam.
class CRecordingTarget : public IMessageTarget {
public:
    CRecordingTarget() : m_window(RegisterMessageTarget(this)) {}
    ~CRecordingTarget() override { UnregisterMessageTarget(m_window); }

    WindowHandle Window() const { return m_window; }
    std::vector<ReceivedMessage> Received() const {
        const std::lock_guard lock(m_mutex);
        return m_received;
    }
    std::size_t Count() const { return Received().size(); }
    // Runs on each message after it is recorded.
    void SetOnMessage(std::function<void(const ReceivedMessage&)> call) {
        m_onMessage = std::move(call);
    }

    LRESULT HandleMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam, bool& handled) override {
        const ReceivedMessage received{msg, wParam, lParam, IsUiThread(),
                                       std::chrono::steady_clock::now()};
        {
            const std::lock_guard lock(m_mutex);
            m_received.push_back(received);
        }
        if (m_onMessage) m_onMessage(received);
        handled = true;
        return static_cast<LRESULT>(wParam) + lParam;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<ReceivedMessage> m_received;
    std::function<void(const ReceivedMessage&)> m_onMessage;
    WindowHandle m_window;
};
