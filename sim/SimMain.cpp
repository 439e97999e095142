// tolmi-q318-sim: plugs a simulated device into the virtual HID bus until SIGINT or
// SIGTERM. SIGUSR1 presses the mouse's DPI button: the next stage becomes active and the
// device announces the change (usage 0x0401 on its notification interface).
// The running mouse keeps its decoded state in "<bus folder>/<name>.state", rewritten
// after every change; `mouse --state` prints it, so no signal or socket is needed.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid/HidBackend.h"
#include "sim/MouseFirmware.h"
#include "sim/MouseSim.h"

namespace {

constexpr int kExitUsage = 2;
constexpr char kStateSuffix[] = ".state";

int Usage() {
    std::fputs(
        "usage: tolmi-q318-sim mouse [--link-delay-ms N] [--name NAME]\n"
        "       tolmi-q318-sim mouse --state [--name NAME]\n"
        "  Plugs a mouse into the virtual HID bus ($TOLMI_VHID_DIR) until SIGINT or SIGTERM.\n"
        "  --link-delay-ms N  each report takes N ms to cross the link, either way\n"
        "  --state            prints what the running mouse NAME (without --name: every\n"
        "                     running mouse on the bus) now holds, decoded\n"
        "  SIGUSR1 presses the DPI button: the next stage becomes active and the device\n"
        "  sends its change announcement (01 01 04).\n",
        stderr);
    return kExitUsage;
}

std::string StateFile(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder) / (name + kStateSuffix)).string();
}

// Written beside and renamed over, so a reader never sees half a file.
void WriteStateFile(const std::string& path, const MouseState& state) {
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << "mouse " << std::filesystem::path(path).stem().string() << "\n"
            << FormatMouseState(state);
        if (!out) return;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
}

int PrintState(const std::string& folder, const std::string& name) {
    std::vector<std::string> files;
    std::error_code error;
    if (!name.empty()) {
        files.push_back(StateFile(folder, name));
    } else {
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            if (entry.path().extension() == kStateSuffix) files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
    }
    int printed = 0;
    for (const std::string& file : files) {
        std::ifstream in(file);
        if (!in) continue;
        std::ostringstream text;
        text << in.rdbuf();
        std::fputs(text.str().c_str(), stdout);
        ++printed;
    }
    if (printed == 0) {
        std::fprintf(stderr, "tolmi-q318-sim: no running mouse%s%s in %s\n",
                     name.empty() ? "" : " named ", name.c_str(), folder.c_str());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}

bool ParseCount(std::string_view text, int& value) {
    if (text.empty() || text.size() > 6) return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::string_view(argv[1]) != "mouse") return Usage();
    int linkDelayMs = 0;
    std::string name;
    bool showState = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--link-delay-ms" && i + 1 < argc && ParseCount(argv[i + 1], linkDelayMs))
            ++i;
        else if (option == "--name" && i + 1 < argc)
            name = argv[++i];
        else if (option == "--state")
            showState = true;
        else
            return Usage();
    }
    if (showState) return PrintState(VirtualBusFolder(), name);
    if (name.empty()) name = "q318-mouse-" + std::to_string(getpid());

    // Blocked before any thread starts, so only sigwait below receives them.
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGUSR1}) sigaddset(&signals, signal);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    CMouseFirmware firmware;
    CVirtualBusServer bus(VirtualBusFolder());
    bus.SetLinkDelay(std::chrono::milliseconds(linkDelayMs));
    // The state file is there before the mouse shows on the bus.
    const std::string stateFile = StateFile(bus.Folder(), name);
    std::error_code error;
    std::filesystem::create_directories(bus.Folder(), error);
    firmware.SetStateListener(
        [&stateFile](const MouseState& state) { WriteStateFile(stateFile, state); });
    const std::optional<PluggedMouse> mouse = PlugFirmwareMouse(bus, firmware, name);
    if (!mouse) {
        firmware.SetStateListener({});
        std::filesystem::remove(stateFile, error);
        std::fprintf(stderr, "tolmi-q318-sim: cannot plug the mouse into %s\n",
                     bus.Folder().c_str());
        return EXIT_FAILURE;
    }
    std::printf("tolmi-q318-sim: mouse plugged into %s as %s and %s\n", bus.Folder().c_str(),
                mouse->commandPath.c_str(), mouse->notificationPath.c_str());
    std::fflush(stdout);

    for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0) break;
        if (signal != SIGUSR1) break;
        firmware.PressDpiButton();
    }
    bus.UnplugAll();
    firmware.SetStateListener({});
    std::filesystem::remove(stateFile, error);
    return EXIT_SUCCESS;
}
