// The main window's thread threadSlots and the update check, without the window.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "app/AppMessages.h"
#include "app/MainWndThreads.h"
#include "platform/Platform.h"

namespace {

// Collects the debug lines written meanwhile.
class CDebugLines {
public:
    CDebugLines() {
        SetDebugSink([this](std::string_view line) {
            const std::lock_guard lock(m_mutex);
            m_lines.emplace_back(line);
        });
    }
    ~CDebugLines() { SetDebugSink({}); }
    int Count(const std::string& line) {
        const std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count(m_lines.begin(), m_lines.end(), line));
    }
    std::size_t Size() {
        const std::lock_guard lock(m_mutex);
        return m_lines.size();
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

// Stands for the main window on the UI thread: counts what reaches it.
class CWindowStandIn : public IMessageTarget {
public:
    CWindowStandIn() : m_window(RegisterMessageTarget(this)) {}
    ~CWindowStandIn() override { UnregisterMessageTarget(m_window); }
    WindowHandle Window() const { return m_window; }
    LRESULT HandleMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam, bool& handled) override {
        handled = true;
        received.push_back({msg, wParam});
        if (msg == UpdateMsg::FillList) {
            listFilledOnUiThread = IsUiThread();
            *reinterpret_cast<std::vector<UpdateListEntry>*>(lParam) = list;
        }
        return 0;
    }
    int Count(std::uint32_t msg, WPARAM wParam) const {
        return static_cast<int>(std::count_if(received.begin(), received.end(), [&](auto& m) {
            return m.first == msg && m.second == wParam;
        }));
    }

    std::vector<std::pair<std::uint32_t, WPARAM>> received;
    std::vector<UpdateListEntry> list;
    bool listFilledOnUiThread = false;

private:
    WindowHandle m_window;
};

const std::string kEnded = ThreadWaitText(ThreadWaitResult::Ended);
const std::string kTimedOut = ThreadWaitText(ThreadWaitResult::TimedOut);

// While the UI thread waits for the threadSlots, a thread sending to it is released by its
// stop event instead of holding the wait to its limit.
TEST(ThreadSlotsTest, AThreadBlockedInASendToTheWaitingUiThreadEndsAtOnce) {
    CDebugLines lines;
    CWindowStandIn window;
    CThreadSlots threadSlots;  // the full 1000 ms wait
    std::atomic<bool> sending{false};
    ASSERT_TRUE(threadSlots.Start(kDiscoverySlot, [&](const CManualResetEvent& stop) {
        sending = true;
        SendMessage(window.Window(), AppMsg::DeviceArrived, 2, 0, &stop);
        stop.Wait(-1);
    }));
    ASSERT_TRUE(
        threadSlots.Start(kUpdateSlot, [](const CManualResetEvent& stop) { stop.Wait(-1); }));
    while (!sending) std::this_thread::yield();  // the UI thread does not serve it now

    QElapsedTimer clock;
    clock.start();
    threadSlots.StopAll();
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(lines.Count(kEnded), 2);
    EXPECT_EQ(lines.Size(), 2u);  // threadSlots without a thread write nothing
    EXPECT_FALSE(threadSlots.IsRunning(kDiscoverySlot));
}

TEST(ThreadSlotsTest, AThreadThatIgnoresItsStopIsLeftAfterTheWait) {
    CDebugLines lines;
    CManualResetEvent release;
    {
        CThreadSlots threadSlots(std::chrono::milliseconds(30));
        ASSERT_TRUE(threadSlots.Start(kSyncLightSlot,
                                      [&](const CManualResetEvent&) { release.Wait(5000); }));
        ASSERT_TRUE(
            threadSlots.Start(kUpdateSlot, [](const CManualResetEvent& stop) { stop.Wait(-1); }));
        EXPECT_FALSE(
            threadSlots.Start(kUpdateSlot, [](const CManualResetEvent&) {}));  // still running
        EXPECT_FALSE(threadSlots.Start(kThreadSlotCount, [](const CManualResetEvent&) {}));
        threadSlots.StopAll();
        EXPECT_EQ(lines.Count(kTimedOut), 1);
        EXPECT_EQ(lines.Count(kEnded), 1);
    }
    release.Set();  // the left thread ends on its own
}

// The update check asks only about entries with a version and stops at the first
// answer that decides.
TEST(UpdatePassTest, AnswersDecideInOrder) {
    struct CScript : IUpdateService {
        std::vector<UpdateAnswer> answers;
        std::vector<std::string> asked;
        UpdateAnswer Ask(const UpdateListEntry& entry, const CManualResetEvent&) override {
            asked.push_back(entry.model);
            return answers[asked.size() - 1];
        }
    };
    struct Case {
        const char* what;
        std::vector<UpdateAnswer> answers;  // for "a", then "c" ("b" has no version)
        bool newVersion;
        std::size_t asked;
    };
    const Case cases[] = {
        {"both current", {{"", kUpdateStatusCurrent}, {"", kUpdateStatusCurrent}}, false, 2},
        {"server unreachable", {{kNoLinkServer, 0}, {"V2", 0}}, false, 1},
        {"second is newer", {{"", kUpdateStatusCurrent}, {"V2", 0}}, true, 2},
        {"first is newer", {{"V2", 0}, {"", kUpdateStatusCurrent}}, true, 1},
        {"empty answers", {{"", 0}, {"", 0}}, false, 2},
    };
    const std::vector<UpdateListEntry> list = {{"a", 3}, {"b", 0}, {"c", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CScript service;
        service.answers = c.answers;
        CManualResetEvent stop;
        EXPECT_EQ(UpdatePassFindsNewVersion(service, list, stop), c.newVersion);
        EXPECT_EQ(service.asked.size(), c.asked);
    }
}

// The thread's list comes from the UI thread, its result goes back as a message, and a
// newer version also asks for the settings window.
TEST(UpdateThreadTest, ReportsThroughMessagesOnly) {
    struct CNewer : IUpdateService {
        std::atomic<bool> onUiThread{true};
        UpdateAnswer Ask(const UpdateListEntry&, const CManualResetEvent&) override {
            onUiThread = IsUiThread();
            return {"V0108", 0};
        }
    };
    for (const bool newer : {true, false}) {
        SCOPED_TRACE(newer);
        CDebugLines lines;
        CWindowStandIn window;
        window.list = {{"mouse", 107}};
        auto service = std::make_shared<CNewer>();
        CWorkerThread thread;
        ASSERT_TRUE(thread.Start(
            UpdateThreadBody(window.Window(), newer ? std::shared_ptr<IUpdateService>(service)
                                                    : std::make_shared<CNoUpdateService>())));
        ASSERT_TRUE(RunEventsUntil([&] { return window.Count(UpdateMsg::Badge, newer) == 1; }));
        EXPECT_TRUE(window.listFilledOnUiThread);
        if (newer) {
            EXPECT_FALSE(service->onUiThread);
            ASSERT_TRUE(RunEventsUntil([&] { return !thread.IsRunning(); }));
            EXPECT_EQ(window.Count(AppMsg::OpenSettings, 0), 1);
        } else {
            EXPECT_TRUE(thread.IsRunning());  // waits for its stop
            EXPECT_EQ(thread.Stop(), ThreadWaitResult::Ended);
            EXPECT_EQ(lines.Count("获取更新线程退出"), 1);
            EXPECT_EQ(window.Count(AppMsg::OpenSettings, 0), 0);
        }
    }
}

}  // namespace
