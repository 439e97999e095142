#pragma once
// The mouse's settings record in device memory: 66 bytes written to profile slot 0,
// the first 42 bytes of the current slot read back. Pure functions, no device I/O.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/LightRecord.h"
#include "profile/MouseSections.h"

inline constexpr std::size_t kMouseStateRecordSize = 66;  // what the host writes
inline constexpr std::size_t kMouseStateReadSize = 42;    // what the host reads back
inline constexpr std::size_t kMouseProfileSlotBytes = 128;
inline constexpr std::size_t kMouseDpiStages = 5;
// Modes the device renders itself; custom modes (10 and up) go out as mode 0.
inline constexpr std::uint8_t kMouseDeviceModes = 10;
inline constexpr std::uint8_t kMouseMaxLevel = 4;  // brightness and speed are 0..4

using MouseStateRecord = std::array<std::uint8_t, kMouseStateRecordSize>;
using MouseStateRead = std::span<const std::uint8_t, kMouseStateReadSize>;

namespace MouseRecordOffset {
inline constexpr std::size_t CurrentSlot = 0;
inline constexpr std::size_t LightMode = 1;
inline constexpr std::size_t Brightness = 2;
inline constexpr std::size_t Speed = 3;  // 4 - speed on a wireless link
inline constexpr std::size_t Direction = 4;
inline constexpr std::size_t Multicolour = 5;
inline constexpr std::size_t Red = 6, Green = 7, Blue = 8;
inline constexpr std::size_t PollingRate = 14;
inline constexpr std::size_t StageDpi = 15;  // stages 1..4, one byte each
inline constexpr std::size_t ActiveStage = 19;
inline constexpr std::size_t Stage5Dpi = 20;
inline constexpr std::size_t Stage6Dpi = 21;     // a slot the profile has no stage for
inline constexpr std::size_t StageColour = 24;   // red, green, blue per stage 1..5
inline constexpr std::size_t Stage6Colour = 39;  // ditto for the sixth slot
inline constexpr std::size_t StageColourBytes = 3;
}  // namespace MouseRecordOffset

// Offset of the DPI index byte of stage 0..4: stage 5 does not follow stage 4.
constexpr std::size_t MouseStageDpiOffset(std::size_t stage) {
    return stage < 4 ? MouseRecordOffset::StageDpi + stage : MouseRecordOffset::Stage5Dpi;
}

// Stages beyond the fifth are not sent; missing stages and the sixth slot stay zero.
// A speed above 4 is sent as 4.
MouseStateRecord ComposeMouseStateRecord(const LightRecord& light, std::uint8_t pollingIndex,
                                         const std::vector<DpiStage>& stages,
                                         std::uint8_t activeStage, bool wireless);

// What a 42-byte read gives back. A value whose byte is out of range is empty, so the
// caller keeps what the profile had.
struct MouseStateReadBack {
    std::uint8_t currentSlot = 0;
    std::optional<std::uint8_t> mode;
    std::optional<std::uint8_t> brightness;
    std::optional<std::uint8_t> speed;  // already turned back on a wireless link
    std::uint8_t multiColour = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::optional<std::uint8_t> activeStage;  // 0-based, below the stage count

    bool AllTaken() const { return mode && brightness && speed && activeStage; }
};

// `currentSlot` is the slot byte read first; it replaces byte 0 of the read.
MouseStateReadBack ParseMouseStateRecord(MouseStateRead bytes, std::uint8_t currentSlot,
                                         bool wireless, std::size_t stageCount);

// `light` with the values the read gave; its direction and rejected values stay.
LightRecord TakeBackLight(const MouseStateReadBack& readBack, LightRecord light);

// The object's copy of the record after a read: lighting bytes 0..8, stage bytes 15..21
// and stage colours 24..41 come from the read, other bytes stay. Mode, brightness, speed
// and active stage take the values taken back (speed as the object counts it, on either
// link), so a rejected byte never reaches the light thread.
void UpdateStateMirror(MouseStateRecord& mirror, MouseStateRead bytes,
                       const MouseStateReadBack& readBack);
