// Over the virtual bus with a modelled USB full-speed link of 1 ms per report each way:
// - a committed DPI stage change until the simulated mouse holds the new state record
//   (profile save included), as a ratio to the protocol floor: four exchanges of 2 ms
//   and the 10 ms wait before the end command, 18 ms;
// - a full profile switch in the order the profile timer runs it (load, macro keys,
//   panels, state record, macros, key table), as a ratio to its floor: 2 ms for every
//   report it sends and 10 ms before every end command.
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
constexpr std::uint8_t kEndTransferCode = 0x02;
constexpr std::size_t kCommandByte = 3;

// The floor of what the device received: 2 ms a report and the wait before each end.
double FloorOf(const std::vector<std::vector<std::uint8_t>>& reports) {
    double floor = 0;
    for (const auto& report : reports)
        floor +=
            2.0 +
            (report.size() > kCommandByte && report[kCommandByte] == kEndTransferCode ? 10.0 : 0.0);
    return floor;
}

// Switches between two profiles; prints the median time and its ratio to the floor.
bool MeasureProfileSwitch(CTavrinMouseDevice& mouse, CMouseFirmware& firmware) {
    std::vector<double> ratios;
    std::vector<double> ms;
    for (int run = 0; run < kRuns; ++run) {
        mouse.SetProfileText(run % 2 == 0 ? "bench-a" : "bench-b");
        firmware.Device().ClearReceived();
        const auto start = std::chrono::steady_clock::now();
        mouse.LoadProfile();
        mouse.FixMacroKeys();
        mouse.RefreshPanels();
        mouse.WriteStateRecord(0, 0, 1, 0, 0);
        mouse.DownloadMacros();
        mouse.WriteCurrentKeyTable(0);
        const auto end = std::chrono::steady_clock::now();
        const double took = std::chrono::duration<double, std::milli>(end - start).count();
        const double floor = FloorOf(firmware.Device().ReceivedReports());
        if (floor <= 0) return false;
        ms.push_back(took);
        ratios.push_back(took / floor);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(ratios.begin(), ratios.end());
    std::printf("profile switch: median %.2f ms, median ratio %.3f to its floor (%d runs)\n",
                ms[ms.size() / 2], ratios[ratios.size() / 2], kRuns);
    return true;
}

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
                exitCode = MeasureProfileSwitch(mouse, firmware) ? 0 : 1;
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
