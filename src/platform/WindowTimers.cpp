#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "platform/WindowMessages.h"
#include "platform/WindowMessagesPrivate.h"

namespace {

using TimerKey = std::pair<WindowHandle, std::uint32_t>;

// Touched on the UI thread only. The timers themselves belong to the UI object, so
// they die with the application even if nobody kills them.
std::map<TimerKey, QPointer<QTimer>>& Timers() {
    static std::map<TimerKey, QPointer<QTimer>> timers;
    return timers;
}

void KillOnUi(WindowHandle window, std::uint32_t id) {
    const auto it = Timers().find({window, id});
    if (it == Timers().end()) return;
    if (QTimer* timer = it->second) {
        timer->stop();
        timer->deleteLater();  // the kill may come from inside this timer's own tick
    }
    Timers().erase(it);
}

void Tick(WindowHandle window, std::uint32_t id) {
    if (!IsWindowHandleValid(window)) {
        KillOnUi(window, id);
        return;
    }
    platform_detail::DeliverMessage(window, Msg::Timer, id, 0);
}

bool SetOnUi(WindowHandle window, std::uint32_t id, int intervalMs) {
    QObject* owner = platform_detail::UiObject();
    if (!owner || !IsWindowHandleValid(window)) return false;
    QPointer<QTimer>& timer = Timers()[{window, id}];
    if (!timer) {
        timer = new QTimer(owner);
        QObject::connect(timer, &QTimer::timeout, timer, [window, id] { Tick(window, id); });
    }
    timer->start(std::max(intervalMs, kMinimumTimerMs));  // restarts a running timer
    return true;
}

}  // namespace

namespace platform_detail {

void KillAllWindowTimers(WindowHandle window) {
    std::vector<std::uint32_t> ids;
    for (const auto& [key, timer] : Timers())
        if (key.first == window) ids.push_back(key.second);
    for (const std::uint32_t id : ids) KillOnUi(window, id);
}

}  // namespace platform_detail

bool SetWindowTimer(WindowHandle window, std::uint32_t id, int intervalMs) {
    if (IsUiThread()) return SetOnUi(window, id, intervalMs);
    return IsWindowHandleValid(window) &&
           UiPost([window, id, intervalMs] { SetOnUi(window, id, intervalMs); });
}

void KillWindowTimer(WindowHandle window, std::uint32_t id) {
    if (IsUiThread())
        KillOnUi(window, id);
    else
        UiPost([window, id] { KillOnUi(window, id); });
}
