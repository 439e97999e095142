// libFuzzer entry: any bytes as a ".mac" file, read as the store reads it, laid out as
// a device image, and written back as the store writes it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "profile/MacroImage.h"
#include "profile/MacroStore.h"

namespace {

std::uint16_t Le16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// The header must describe the image it heads, or the device reads past it.
void CheckImage(const std::vector<std::vector<MacroEvent>>& macros,
                const std::vector<std::uint8_t>& image) {
    if (Le16(image, MacroImageOffset::Length) != image.size()) __builtin_trap();
    if (Le16(image, MacroImageOffset::Count) != macros.size()) __builtin_trap();
    for (std::size_t i = 0; i < macros.size(); ++i) {
        const std::size_t block = Le16(image, MacroImageOffset::Offsets + 2 * i);
        const std::size_t end = block + kMacroBlockHeadSize + kMacroEventSize * macros[i].size();
        if (end > image.size() || Le16(image, block) != macros[i].size()) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Json::Value doc =
        ParseMacroFileText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!IsMacroDocument(doc)) return 0;
    const std::vector<MacroEvent> events = ReadMacroEvents(doc[MacroKey::Events]);
    for (const MacroEvent& event : events)
        if (!(ReadMacroEvent(MacroEventToJson(event, DelayForm::Text)) == event)) __builtin_trap();

    // The same events spread over a full store of macros.
    std::vector<std::vector<MacroEvent>> macros(kMaxMacros);
    for (std::size_t i = 0; i < events.size(); ++i) macros[i % macros.size()].push_back(events[i]);
    if (const auto image = BuildMacroImage(macros)) CheckImage(macros, *image);
    return 0;
}
