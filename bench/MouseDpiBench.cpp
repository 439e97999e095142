// Time from a committed DPI stage change to the simulated mouse holding the new state
// record (profile save included), over the virtual bus with a modelled USB full-speed
// link of 1 ms per report each way, as a ratio to the protocol floor: four exchanges
// of 2 ms and the 10 ms wait before the end command, 18 ms.
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "device/TavrinMouseDevice.h"
#include "sim/MouseFirmware.h"
#include "sim/VirtualBusServer.h"

namespace {

std::string MakeTempFolder(const char* stem) {
    std::string pattern = std::string("/tmp/") + stem + "-XXXXXX";
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

constexpr double kFloorMs = 18.0;
constexpr int kRuns = 40;

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string bus = MakeTempFolder("tolmi-dpi-bench-bus");
    const std::string data = MakeTempFolder("tolmi-dpi-bench-data");
    setenv("TOLMI_VHID_DIR", bus.c_str(), 1);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    QApplication app(argc, argv);
    int exitCode = 1;
    {
        CVirtualBusServer server(bus);
        server.SetLinkDelay(std::chrono::milliseconds(1));
        CMouseFirmware firmware;
        const auto plug = PlugFirmwareMouse(server, firmware, "bench");
        CTavrinMouseDevice mouse;
        mouse.SetKindName("mouse");
        mouse.SetProfileText("bench-profile");
        mouse.SetLightConfigStem("velko_light");
        mouse.SetWindowActive(0);
        if (plug && mouse.CommandChannel().Open(plug->commandPath)) {
            mouse.OpenDevice();
            std::vector<double> ms;
            for (int run = 0; run < kRuns; ++run) {
                DpiStage stage = mouse.DpiStages().at(1);
                stage.dpiX = static_cast<std::uint16_t>(10 + run % 30);
                const auto start = std::chrono::steady_clock::now();
                mouse.SetDpiStage(1, stage);
                mouse.SaveProfile();
                const int result = mouse.WriteStateRecord(0, 0, 1, 0, 0);
                const auto end = std::chrono::steady_clock::now();
                if (result != 1) break;
                ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            }
            if (ms.size() == kRuns) {
                std::sort(ms.begin(), ms.end());
                const double median = ms[ms.size() / 2];
                std::printf(
                    "DPI change to device-held record: median %.2f ms, ratio %.3f to the "
                    "%.0f ms floor (min %.2f, max %.2f, %d runs)\n",
                    median, median / kFloorMs, kFloorMs, ms.front(), ms.back(), kRuns);
                exitCode = 0;
            } else {
                std::fprintf(stderr, "a state write failed\n");
            }
        } else {
            std::fprintf(stderr, "the simulated mouse could not be opened\n");
        }
        mouse.StopThreads();
    }
    std::filesystem::remove_all(bus);
    std::filesystem::remove_all(data);
    return exitCode;
}
