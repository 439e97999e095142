#pragma once
// What the desktop tells a window about the machine: sleep and wake, and changes of
// the screens. Each arrives as the window message the program handles by number.
#include <memory>

#include "platform/WindowMessages.h"

// wParam of Msg::PowerBroadcast.
inline constexpr WPARAM kPowerSuspend = 4;
inline constexpr WPARAM kPowerResumeAutomatic = 0x12;

class CSystemEvents {
public:
    CSystemEvents();
    ~CSystemEvents();  // stops watching
    CSystemEvents(const CSystemEvents&) = delete;
    CSystemEvents& operator=(const CSystemEvents&) = delete;

    // UI thread. Posts to `window` Msg::PowerBroadcast with kPowerSuspend before the
    // machine sleeps and kPowerResumeAutomatic after it wakes (from the login manager
    // on the system bus), and Msg::DisplayChange when a screen is added or removed or
    // changes its geometry. True when sleep and wake can be heard: without a system bus
    // they never arrive.
    bool Watch(WindowHandle window);
    void StopWatching();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
