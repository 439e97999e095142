#pragma once
// Internals shared by the window message files.
#include <QObject>

#include "platform/WindowMessages.h"

namespace platform_detail {

// The object that receives queued work on the UI thread; null when there is no
// application. Only meaningful on the UI thread, where it cannot vanish meanwhile.
QObject* UiObject();

// Calls the window's target now; 0 when the handle is not valid.
LRESULT DeliverMessage(WindowHandle window, std::uint32_t msg, WPARAM wParam, LPARAM lParam);

// Kills the timers of a window that is going away. UI thread only.
void KillAllWindowTimers(WindowHandle window);

}  // namespace platform_detail
