#pragma once
// Macro events, their device form and the device macro image shared by the macro
// download (command 0x15) and the shoot download (command 0x17).
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

namespace MacroKey {
inline constexpr const char* Type = "Type";
inline constexpr const char* Button = "Button";
inline constexpr const char* Action = "Action";
inline constexpr const char* Delay = "Delay";
inline constexpr const char* Events = "Events";
}  // namespace MacroKey

inline constexpr const char* kActionDown = "down";
inline constexpr const char* kActionUp = "up";

inline constexpr int kMaxMacroDelay = 0xFFFF;
inline constexpr int kMaxMacroButton = 0xFF;
inline constexpr int kMaxMacroType = 0x7F;  // bit 7 of the device byte marks a press

enum class MacroEventType : int {
    MouseButton = 1,
    MouseMoveX = 4,
    MouseMoveY = 5,
    Modifier = 9,
    Key = 10,
};

// One macro step. Values read from files are already clamped to the device's field
// ranges, so what the editor shows is what the device receives.
struct MacroEvent {
    int type = 0;
    int button = 0;
    std::string action;  // "down" for a press or the negative direction of a move
    int delay = 0;       // milliseconds to the next step

    bool operator==(const MacroEvent&) const = default;
};

using MacroDeviceEvent = std::array<std::uint8_t, 4>;

// Numbers in macro and shoot files may be JSON integers, doubles or decimal text; any
// of them is clamped to [low, high], and everything else reads as 0 (or `low`).
int ReadClampedNumber(const Json::Value& value, int low, int high);

// The document in the text of a macro or shoot file; null when it does not parse.
Json::Value ParseMacroFileText(std::string_view text);
// A JSON object whose "Events" is an array: the least a macro or shoot file must be.
bool IsMacroDocument(const Json::Value& doc);

// Any JSON value; a non-object reads as an empty step (it encodes as four zero bytes).
MacroEvent ReadMacroEvent(const Json::Value& value);
// Every element of `events` when it is an array, else nothing.
std::vector<MacroEvent> ReadMacroEvents(const Json::Value& events);

enum class DelayForm { Text, Integer };  // ".mac" files keep text, shoot files integers
Json::Value MacroEventToJson(const MacroEvent& event, DelayForm form);

// Delay 16-bit little-endian, type with bit 7 set for "down" (exact compare), button.
MacroDeviceEvent EncodeMacroEvent(const MacroEvent& event);

namespace MacroImageOffset {
inline constexpr std::size_t Magic = 0, Length = 2, Count = 4, Offsets = 16;
inline constexpr std::size_t BlockEventCount = 0, BlockEvents = 4;
}  // namespace MacroImageOffset
inline constexpr std::uint16_t kMacroImageMagic = 0x55AA;
inline constexpr std::size_t kMacroImageHeaderSize = 16;
inline constexpr std::size_t kMacroBlockHeadSize = 4;
inline constexpr std::size_t kMacroEventSize = 4;
// The image's length, offsets and the chunk addresses are 16-bit fields.
inline constexpr std::size_t kMaxMacroImageSize = 0xFFFF;

std::size_t MacroImageSize(std::span<const std::vector<MacroEvent>> macros);
// The image of `macros` in order; nothing when it would not fit the 16-bit fields.
std::optional<std::vector<std::uint8_t>> BuildMacroImage(
    std::span<const std::vector<MacroEvent>> macros);
// 0 when an image of `imageSize` bytes fits the device's macro memory, else the number
// of events to remove, as the user is told: ((size - capacity) / 4) + 1.
int MacroImageOverflow(std::size_t imageSize, std::size_t capacityBytes);
