// tolmi-q318-sim: plugs a simulated device into the virtual HID bus until SIGINT or
// SIGTERM. SIGUSR1 makes the device announce a change made on the device (usage 0x0401
// on its notification interface), as its on-device button does.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "device/hid/HidBackend.h"
#include "sim/MouseSim.h"

namespace {

constexpr int kExitUsage = 2;
constexpr std::uint8_t kChangeAnnouncement[] = {0x01, 0x01, 0x04};  // report 1, usage 0x0401

int Usage() {
    std::fputs(
        "usage: tolmi-q318-sim mouse [--link-delay-ms N] [--name NAME]\n"
        "  Plugs a mouse into the virtual HID bus ($TOLMI_VHID_DIR) until SIGINT or SIGTERM.\n"
        "  --link-delay-ms N  each report takes N ms to cross the link, either way\n"
        "  SIGUSR1 sends the device's change announcement (01 01 04).\n",
        stderr);
    return kExitUsage;
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
    std::string name = "q318-mouse-" + std::to_string(getpid());
    for (int i = 2; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--link-delay-ms" && i + 1 < argc && ParseCount(argv[i + 1], linkDelayMs))
            ++i;
        else if (option == "--name" && i + 1 < argc)
            name = argv[++i];
        else
            return Usage();
    }

    // Blocked before any thread starts, so only sigwait below receives them.
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGUSR1}) sigaddset(&signals, signal);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    CSimDevice device(PlainMouseConfig());
    CVirtualBusServer bus(VirtualBusFolder());
    bus.SetLinkDelay(std::chrono::milliseconds(linkDelayMs));
    const std::optional<PluggedMouse> mouse = PlugMouse(bus, device, name);
    if (!mouse) {
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
        bus.SendInputReport(mouse->notificationName, kChangeAnnouncement);
    }
    bus.UnplugAll();
    return EXIT_SUCCESS;
}
