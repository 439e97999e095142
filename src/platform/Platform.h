#pragma once
// Process-level services: folders, single instance, cross-process messages, the
// settings store, the desktop shell and debug output.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WindowMessages.h"

inline constexpr const char* kProductName = "TOLMI Q318 Driver";

// Folders; each ends with '/'.
std::string ProgramFolder();       // folder of the executable
std::string LocalAppDataFolder();  // $XDG_DATA_HOME or ~/.local/share, + product name
std::string ConfigFolder();        // $XDG_CONFIG_HOME or ~/.config, + product name
std::string RuntimeFolder();       // $XDG_RUNTIME_DIR/tolmi-q318 or /tmp/tolmi-q318-<uid>
bool MakeFolders(const std::string& path);

// Debug output: silent unless TOLMI_DEBUG=1 (then stderr); tests may capture it.
void DebugOutput(std::string_view text);
using DebugSink = std::function<void(std::string_view)>;
void SetDebugSink(DebugSink sink);  // empty sink restores the default

// Single-instance lock named after `name`, held for the lifetime of the object.
class CSingleInstanceLock {
public:
    explicit CSingleInstanceLock(std::string_view name);
    ~CSingleInstanceLock();
    CSingleInstanceLock(const CSingleInstanceLock&) = delete;
    CSingleInstanceLock& operator=(const CSingleInstanceLock&) = delete;
    // True when another process holds the lock. A lock that cannot be made at all
    // counts as a first instance.
    bool AnotherInstanceRuns() const { return m_otherRuns; }

private:
    int m_fd = -1;
    bool m_otherRuns = false;
};

// Cross-process registered messages. Every participating process listens on a local
// socket in RuntimeFolder()/bus; a message travels by name with its two parameters.
class CMessageBus {
public:
    using Receiver = std::function<void(const std::string& name, WPARAM, LPARAM)>;
    CMessageBus();
    ~CMessageBus();
    // Starts listening (needs the Qt event loop thread). Incoming messages whose names
    // are registered in this process are posted to `window` under their local number;
    // `receiver`, when set, sees every incoming message on the UI thread.
    bool Listen(WindowHandle window, Receiver receiver = {});
    // Sends to every other listening process; needs no event loop. Returns the number
    // of processes reached.
    static int Broadcast(std::string_view name, WPARAM wParam, LPARAM lParam);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Settings store standing in for the per-user registry key of the product: an INI file.
// Section and key names match without regard to case; a write replaces the value in
// place or appends it, leaves every other line as it was and replaces the file whole
// (a crash never leaves half a file). The one-key forms use kDefaultSection.
class CSettingsStore {
public:
    static constexpr std::string_view kDefaultSection = "General";
    explicit CSettingsStore(std::string file = ConfigFolder() + "settings.ini");
    // Empty when missing or unreadable.
    std::string ReadValue(std::string_view key) const;
    std::string ReadValue(std::string_view section, std::string_view key) const;
    // False when the file cannot be written, or a name or the value holds a line break
    // (or the key a '='); nothing changes then. Creates the file's folder when missing.
    bool WriteValue(std::string_view key, std::string_view value);
    bool WriteValue(std::string_view section, std::string_view key, std::string_view value);

private:
    std::string m_file;
};

// Opens a web address or a file with the desktop's handler; UI thread only. False when
// nothing handles it or the program has no GUI application object.
bool ShellOpen(const std::string& urlOrPath);
// Starts a program detached, without waiting. False when it cannot be started.
bool StartDetached(const std::string& program, const std::vector<std::string>& args);
