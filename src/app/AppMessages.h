#pragma once
// The window messages of the main window: its private numbers and the messages
// registered by name, which other processes exchange with it.
#include <cstdint>

#include "platform/WindowMessages.h"

namespace AppMsg {
inline constexpr std::uint32_t TrayIcon = 1025;
inline constexpr std::uint32_t InstallHook = 1054;
inline constexpr std::uint32_t MenuCommand = 1145;
inline constexpr std::uint32_t LanguageChanged = 3089;
inline constexpr std::uint32_t DeviceArrived = 3090;
inline constexpr std::uint32_t DeviceLeft = 3091;
inline constexpr std::uint32_t OpenSettings = 3093;
inline constexpr std::uint32_t ClearUpdateBadge = 3094;
}  // namespace AppMsg

inline constexpr const char* kUpdateStatusMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr const char* kLightAnnounceMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr const char* kLightRequestMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";

// Numbers of the registered messages, written once at start-up on the UI thread.
struct RegisteredMessages {
    std::uint32_t instance = 0;
    std::uint32_t updateStatus = 0;
    std::uint32_t lightAnnounce = 0;
    std::uint32_t lightRequest = 0;
};
RegisteredMessages& AppMessages();

// The main window, for device code and worker threads that post to it.
WindowHandle MainWindowHandle();
void SetMainWindowHandle(WindowHandle window);
