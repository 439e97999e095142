#pragma once
// Window messages between threads and windows of this process, with the post/send
// semantics the program relies on. Windows are addressed by an opaque handle so that
// a message to a window that is gone is dropped, never delivered to freed memory.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class CManualResetEvent;

using WindowHandle = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
inline constexpr WindowHandle kNoWindow = 0;

// System message numbers the program handles by number.
namespace Msg {
inline constexpr std::uint32_t Destroy = 0x0002;
inline constexpr std::uint32_t Activate = 0x0006;
inline constexpr std::uint32_t KillFocus = 0x0008;
inline constexpr std::uint32_t Close = 0x0010;
inline constexpr std::uint32_t Quit = 0x0012;
inline constexpr std::uint32_t DisplayChange = 0x007E;
inline constexpr std::uint32_t SysCommand = 0x0112;
inline constexpr std::uint32_t Timer = 0x0113;
inline constexpr std::uint32_t PowerBroadcast = 0x0218;
inline constexpr std::uint32_t MouseHover = 0x02A1;
inline constexpr std::uint32_t MouseLeave = 0x02A3;
inline constexpr std::uint32_t DpiChanged = 0x02E0;
inline constexpr std::uint32_t User = 0x0400;
inline constexpr std::uint32_t FirstRegistered = 0xC000;
}  // namespace Msg

namespace SysCmd {
inline constexpr WPARAM Minimize = 0xF020;
inline constexpr WPARAM Maximize = 0xF030;
inline constexpr WPARAM Close = 0xF060;
inline constexpr WPARAM Restore = 0xF120;
}  // namespace SysCmd

// Receives the messages of one window; lives on the UI thread.
class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    virtual LRESULT HandleMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                                  bool& handled) = 0;
};

// Binds a target to a new handle / drops the binding (pending posts to it are discarded).
WindowHandle RegisterMessageTarget(IMessageTarget* target);
void UnregisterMessageTarget(WindowHandle window);
bool IsWindowHandleValid(WindowHandle window);

// Queues the message for the window's UI thread. False when the handle is not valid.
bool PostMessage(WindowHandle window, std::uint32_t msg, WPARAM wParam, LPARAM lParam);

// On the UI thread a direct call. From any other thread, waits until the UI thread has
// handled the message, or until `abort` is set (then returns 0 without waiting further).
LRESULT SendMessage(WindowHandle window, std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                    const CManualResetEvent* abort = nullptr);

// Ends the UI message loop (and any modal loop running inside it).
void PostQuitMessage(int exitCode);

// Name -> number, from 0xC000 up; equal names (case-insensitive) give equal numbers.
// 0 for an empty name or when the table is full.
std::uint32_t RegisterWindowMessage(std::string_view name);
std::optional<std::string> RegisteredMessageName(std::uint32_t msg);
// The number of a name registered earlier in this process; never registers it.
std::optional<std::uint32_t> LookupRegisteredMessage(std::string_view name);

// Window timers: each tick delivers Msg::Timer with wParam = id to the window. A timer
// repeats until killed; setting an existing id again restarts it with the new interval.
// Intervals below kMinimumTimerMs run at kMinimumTimerMs. Every timer of a window dies
// with UnregisterMessageTarget. Callable from any thread; false when the handle is not
// valid or there is no UI thread.
inline constexpr int kMinimumTimerMs = 10;
bool SetWindowTimer(WindowHandle window, std::uint32_t id, int intervalMs);
void KillWindowTimer(WindowHandle window, std::uint32_t id);

// Runs `call` on the UI thread, queued behind the messages posted before it. False when
// there is no UI thread to run it.
bool UiPost(std::function<void()> call);

// True on the thread that runs the UI message loop.
bool IsUiThread();
