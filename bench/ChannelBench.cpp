// Time of command exchanges over the virtual HID bus against a simulated mouse whose
// link carries each report in 1 ms, like a USB full-speed interrupt endpoint. The floor
// is 2 ms per exchange (one report out, one back); the channel's own cost is what shows
// above it.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numeric>
#include <vector>

#include "device/channel/CommandChannel.h"
#include "sim/MouseSim.h"

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr auto kLinkDelay = std::chrono::milliseconds(1);
constexpr double kExchangeFloorMs = 2.0;

struct Timing {
    double meanMs = 0;
    double medianMs = 0;
    int failures = 0;
};

Timing Measure(int runs, const std::function<int()>& operation) {
    std::vector<double> times;
    Timing timing;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        if (operation() != kResultOk) ++timing.failures;
        times.push_back(Millis(Clock::now() - start).count());
    }
    timing.meanMs = std::accumulate(times.begin(), times.end(), 0.0) / runs;
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    timing.medianMs = times[runs / 2];
    return timing;
}

void Print(const char* what, const Timing& timing, double floorMs) {
    std::printf("%-28s mean %7.3f ms  median %7.3f ms  floor %5.1f ms  ratio %.3f%s\n", what,
                timing.meanMs, timing.medianMs, floorMs, timing.meanMs / floorMs,
                timing.failures ? "  (FAILURES)" : "");
}

}  // namespace

int main() {
    std::string folder = "/tmp/tolmi-bench-XXXXXX";
    if (!mkdtemp(folder.data())) return EXIT_FAILURE;
    int exitCode = EXIT_SUCCESS;
    {
        SimDeviceConfig config = PlainMouseConfig();
        config.keyTableSize = kMaxBlockSize;
        CSimDevice device(config);
        CVirtualBusServer bus(folder);
        bus.SetLinkDelay(kLinkDelay);
        const std::optional<PluggedMouse> mouse = PlugMouse(bus, device, "bench-mouse");
        CCommandChannel channel({MakeVirtualHidBackend(folder)});
        if (!mouse || !channel.Open(mouse->commandPath) || !channel.SetBlockSize(kMaxBlockSize)) {
            std::fputs("cannot set up the simulated mouse\n", stderr);
            exitCode = EXIT_FAILURE;
        } else {
            const std::vector<std::uint8_t> keyTable(kMaxBlockSize, 0x10);
            Measure(20, [&] { return channel.BeginTransfer(); });  // warm-up
            const Timing exchange = Measure(500, [&] { return channel.BeginTransfer(); });
            const Timing keyBlock = Measure(50, [&] { return channel.WriteKeyBlock(keyTable, 0); });
            std::printf("link: %lld ms per report each way\n",
                        static_cast<long long>(kLinkDelay.count()));
            Print("one exchange", exchange, kExchangeFloorMs);
            Print("512-byte key block write", keyBlock, 10 * kExchangeFloorMs);
            if (exchange.failures || keyBlock.failures) exitCode = EXIT_FAILURE;
        }
    }
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return exitCode;
}
