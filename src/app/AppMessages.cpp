#include "app/AppMessages.h"

#include <atomic>

namespace {
RegisteredMessages g_messages;
std::atomic<WindowHandle> g_mainWindow{kNoWindow};
}  // namespace

RegisteredMessages& AppMessages() {
    return g_messages;
}
WindowHandle MainWindowHandle() {
    return g_mainWindow.load();
}
void SetMainWindowHandle(WindowHandle window) {
    g_mainWindow.store(window);
}
