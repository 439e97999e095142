// Time to lay out the device macro image of a full store: 50 macros holding 2000 events
// between them, once from events in memory and once from the list and ".mac" files on
// disk, as a download does. The target is under 5 ms per image.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "profile/MacroImage.h"
#include "profile/MacroStore.h"

namespace {

constexpr int kMacros = 50;
constexpr int kTotalEvents = 2000;

std::vector<MacroEvent> SampleMacro(int index) {
    std::vector<MacroEvent> events;
    for (int i = 0; i < kTotalEvents / kMacros; ++i) {
        const bool down = i % 2 == 0;
        events.push_back({static_cast<int>(MacroEventType::Key), 4 + (index + i / 2) % 26,
                          down ? kActionDown : kActionUp, 20 + i});
    }
    return events;
}

void BM_MacroImageFromEvents(benchmark::State& state) {
    std::vector<std::vector<MacroEvent>> macros;
    for (int m = 0; m < kMacros; ++m) macros.push_back(SampleMacro(m));
    for (auto _ : state) {
        auto image = BuildMacroImage(macros);
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_MacroImageFromEvents)->Unit(benchmark::kMicrosecond);

void BM_MacroImageFromStore(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("tolmi_macro_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    int guid = 0;
    CMacroStore store(folder.string() + "/", "macro.config",
                      [&guid] { return "bench_" + std::to_string(++guid); });
    for (int m = 0; m < kMacros; ++m) {
        const int index = store.Add();
        if (index < 0 || !store.Save(index, SampleMacro(m))) {
            state.SkipWithError("cannot write the macro store");
            fs::remove_all(folder);
            return;
        }
    }
    for (auto _ : state) {
        auto image = store.BuildImage();
        benchmark::DoNotOptimize(image);
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_MacroImageFromStore)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
