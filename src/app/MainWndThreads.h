#pragma once
// The main window's worker threads: twenty slots, each with its own stop event, and the
// update check that runs in slot 2.
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Events.h"
#include "platform/WindowMessages.h"

inline constexpr int kThreadSlotCount = 20;
inline constexpr int kDiscoverySlot = 0;
inline constexpr int kUpdateSlot = 2;
inline constexpr int kSyncLightSlot = 8;

// Twenty thread slots. A slot holds a thread once started; StopAll stops them all.
class CThreadSlots {
public:
    explicit CThreadSlots(std::chrono::milliseconds stopWait = std::chrono::milliseconds(1000));
    ~CThreadSlots();  // StopAll
    CThreadSlots(const CThreadSlots&) = delete;
    CThreadSlots& operator=(const CThreadSlots&) = delete;

    // False for a slot out of range, one whose thread still runs, or an empty body.
    bool Start(int slot, CWorkerThread::Body body);
    bool IsRunning(int slot) const;
    // Sets every stop event, then waits for each slot that ever held a thread, at most
    // the stop wait each, and writes the outcome line of each. Slots that never held a
    // thread are skipped. A thread blocked in SendMessage to the UI thread is released
    // by its stop event, so waiting here never needs to serve it.
    void StopAll();

private:
    std::chrono::milliseconds m_stopWait;
    std::array<CWorkerThread, kThreadSlotCount> m_threads;
    std::array<bool, kThreadSlotCount> m_started{};
};

// One update model row and the version the attached device reports for it.
struct UpdateListEntry {
    std::string model;
    int version = 0;
};

// The update server's answer to one request.
struct UpdateAnswer {
    std::string text;  // "NO_LINK_SERVER" when the server could not be reached
    int status = 0;    // kUpdateStatusCurrent when this entry needs nothing
};
inline constexpr int kUpdateStatusCurrent = 7;
inline constexpr const char* kNoLinkServer = "NO_LINK_SERVER";

// Asks the update server about one entry; runs on the update thread.
class IUpdateService {
public:
    virtual ~IUpdateService() = default;
    virtual UpdateAnswer Ask(const UpdateListEntry& entry, const CManualResetEvent& stop) = 0;
};

// Until the HTTP client is there, every entry is current.
class CNoUpdateService final : public IUpdateService {
public:
    UpdateAnswer Ask(const UpdateListEntry&, const CManualResetEvent&) override {
        return {{}, kUpdateStatusCurrent};
    }
};

// Private messages between the update thread and the main window.
namespace UpdateMsg {
// wParam 1: a newer version exists (the settings button shows its badge); 0: none.
inline constexpr std::uint32_t Badge = 3095;
// lParam: a std::vector<UpdateListEntry>* the main window fills on the UI thread.
inline constexpr std::uint32_t FillList = 3096;
}  // namespace UpdateMsg

// True when the answers say some entry has a newer version. Entries with version 0
// are not asked; "NO_LINK_SERVER" ends the pass without one.
bool UpdatePassFindsNewVersion(IUpdateService& service, const std::vector<UpdateListEntry>& list,
                               const CManualResetEvent& stop);

// The update thread: checks once when it starts, then waits for its stop event. The
// list is filled on the UI thread (UpdateMsg::FillList), the result goes back as
// UpdateMsg::Badge, and a newer version also asks for the settings window (3093) and
// ends the thread. It never touches a control.
CWorkerThread::Body UpdateThreadBody(WindowHandle mainWindow,
                                     std::shared_ptr<IUpdateService> service);
