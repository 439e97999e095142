#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/Platform.h"

namespace {

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/tmp";
}

// An XDG variable counts only when set to an absolute path.
std::string XdgFolder(const char* variable, const char* fallbackUnderHome) {
    if (const char* value = std::getenv(variable); value && value[0] == '/') return value;
    return HomeFolder() + fallbackUnderHome;
}

}  // namespace

std::string ProgramFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "./";
    return WithSlash(exe.parent_path().string());
}

std::string LocalAppDataFolder() {
    return WithSlash(XdgFolder("XDG_DATA_HOME", "/.local/share")) + kProductName + "/";
}

std::string ConfigFolder() {
    return WithSlash(XdgFolder("XDG_CONFIG_HOME", "/.config")) + kProductName + "/";
}

std::string RuntimeFolder() {
    std::string folder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/')
        folder = WithSlash(runtime) + "tolmi-q318/";
    else
        folder = "/tmp/tolmi-q318-" + std::to_string(getuid()) + "/";
    // Private to the user: locks and sockets live here.
    if (mkdir(folder.c_str(), 0700) != 0 && errno == ENOENT && MakeFolders(folder))
        chmod(folder.c_str(), 0700);
    struct stat info {};
    const std::string unslashed = folder.substr(0, folder.size() - 1);  // lstat the link itself
    if (lstat(unslashed.c_str(), &info) == 0 && (!S_ISDIR(info.st_mode) || info.st_uid != getuid()))
        DebugOutput("RuntimeFolder: " + folder + " is not a folder of this user\n");
    return folder;
}

bool MakeFolders(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}
