// libFuzzer entry: any bytes as a report descriptor, and the input's tail as an input
// report for every collection that parses.
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/hid/ReportDescriptor.h"
#include "device/hid/UsageDecoder.h"

namespace {

inline constexpr std::size_t kReportTail = 64;

void DecodeTail(const std::vector<HidCollectionCaps>& collections,
                std::span<const std::uint8_t> input) {
    const std::span<const std::uint8_t> report =
        input.size() > kReportTail ? input.last(kReportTail) : input;
    for (const HidCollectionCaps& caps : collections) {
        std::vector<HidDataItem> items = BuildInputItems(caps);
        DecodeInputItems(caps, items, report);
        for (const std::uint8_t id : caps.inputReportIds) {
            std::vector<std::uint8_t> numbered(report.begin(), report.end());
            if (numbered.empty()) break;
            numbered[0] = id;  // reach the caps of every report id
            DecodeInputItems(caps, items, numbered);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    if (const auto collections = ParseReportDescriptor(input)) DecodeTail(*collections, input);
    return 0;
}
