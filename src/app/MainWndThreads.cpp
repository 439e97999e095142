#include "app/MainWndThreads.h"

#include <utility>

#include "app/AppMessages.h"
#include "platform/Platform.h"

CThreadSlots::CThreadSlots(std::chrono::milliseconds stopWait) : m_stopWait(stopWait) {}

CThreadSlots::~CThreadSlots() {
    StopAll();
}

bool CThreadSlots::Start(int slot, CWorkerThread::Body body) {
    if (slot < 0 || slot >= kThreadSlotCount || !body) return false;
    const auto index = static_cast<std::size_t>(slot);
    if (!m_threads[index].Start(std::move(body))) return false;
    m_started[index] = true;
    return true;
}

bool CThreadSlots::IsRunning(int slot) const {
    if (slot < 0 || slot >= kThreadSlotCount) return false;
    return m_threads[static_cast<std::size_t>(slot)].IsRunning();
}

void CThreadSlots::StopAll() {
    for (CWorkerThread& thread : m_threads) thread.RequestStop();
    for (std::size_t slot = 0; slot < m_threads.size(); ++slot) {
        if (!m_started[slot]) continue;
        m_started[slot] = false;
        const ThreadWaitResult result = m_threads[slot].Stop(m_stopWait);
        std::string line = ThreadWaitText(result);
        if (result == ThreadWaitResult::Failed) line += std::to_string(slot);
        DebugOutput(line);
    }
}

bool UpdatePassFindsNewVersion(IUpdateService& service, const std::vector<UpdateListEntry>& list,
                               const CManualResetEvent& stop) {
    for (const UpdateListEntry& entry : list) {
        if (entry.version == 0) continue;
        if (stop.IsSet()) return false;
        const UpdateAnswer answer = service.Ask(entry, stop);
        if (answer.text == kNoLinkServer) return false;
        if (answer.status == kUpdateStatusCurrent) continue;
        if (!answer.text.empty()) return true;
    }
    return false;
}

namespace {

// The list the UI thread fills for the update thread; shared, so a thread that gave up
// waiting leaves it alive for the late fill.
struct UpdateListRequest {
    std::vector<UpdateListEntry> list;
    CManualResetEvent done;
};

// The device versions live in UI-thread objects: the main window copies them out on
// its own thread. Empty when the stop event ends the wait first.
std::vector<UpdateListEntry> FillUpdateListOnUi(WindowHandle mainWindow,
                                                const CManualResetEvent& stop) {
    auto request = std::make_shared<UpdateListRequest>();
    const bool posted = UiPost([mainWindow, request] {
        SendMessage(mainWindow, UpdateMsg::FillList, 0, reinterpret_cast<LPARAM>(&request->list));
        request->done.Set();
    });
    if (!posted || WaitForAny({&stop, &request->done}, -1) != 1) return {};
    return std::move(request->list);
}

}  // namespace

CWorkerThread::Body UpdateThreadBody(WindowHandle mainWindow,
                                     std::shared_ptr<IUpdateService> service) {
    return [mainWindow, service = std::move(service)](const CManualResetEvent& stop) {
        if (!stop.Wait(1)) {
            const std::vector<UpdateListEntry> list = FillUpdateListOnUi(mainWindow, stop);
            const bool newVersion = service && UpdatePassFindsNewVersion(*service, list, stop);
            PostMessage(mainWindow, UpdateMsg::Badge, newVersion ? 1 : 0, 0);
            if (newVersion) {
                PostMessage(mainWindow, AppMsg::OpenSettings, 0, 0);
                return;
            }
            // One check per start: the thread sleeps until the program ends.
            stop.Wait(-1);
        }
        DebugOutput("获取更新线程退出");
    };
}
