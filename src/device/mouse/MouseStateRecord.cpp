#include "device/mouse/MouseStateRecord.h"

#include <algorithm>

namespace {

namespace O = MouseRecordOffset;

// The device counts speed downwards on a wireless link; the same flip undoes it.
std::uint8_t FlipSpeed(std::uint8_t speed) {
    return static_cast<std::uint8_t>(kMouseMaxLevel - speed);
}

void PutLight(MouseStateRecord& r, const LightRecord& light, bool wireless) {
    const std::uint8_t speed = std::min(light.speed, kMouseMaxLevel);
    r[O::LightMode] = light.mode < kMouseDeviceModes ? light.mode : 0;
    r[O::Brightness] = light.brightness;
    r[O::Speed] = wireless ? FlipSpeed(speed) : speed;
    r[O::Direction] = light.direction;
    r[O::Multicolour] = light.multiColour;
    r[O::Red] = light.red;
    r[O::Green] = light.green;
    r[O::Blue] = light.blue;
}

// The device takes only the low byte of the X index and the colour; the Y index and
// the flags stay in the profile.
void PutStages(MouseStateRecord& r, const std::vector<DpiStage>& stages) {
    const std::size_t count = std::min(stages.size(), kMouseDpiStages);
    for (std::size_t n = 0; n < count; ++n) {
        const DpiStage& stage = stages[n];
        const std::size_t colour = O::StageColour + n * O::StageColourBytes;
        r[MouseStageDpiOffset(n)] = static_cast<std::uint8_t>(stage.dpiX & 0xFF);
        r[colour] = stage.red;
        r[colour + 1] = stage.green;
        r[colour + 2] = stage.blue;
    }
}

std::optional<std::uint8_t> Below(std::uint8_t value, std::size_t limit) {
    if (value < limit) return value;
    return std::nullopt;
}

}  // namespace

MouseStateRecord ComposeMouseStateRecord(const LightRecord& light, std::uint8_t pollingIndex,
                                         const std::vector<DpiStage>& stages,
                                         std::uint8_t activeStage, bool wireless) {
    MouseStateRecord r{};  // reserved bytes and the sixth stage slot go out as zero
    r[O::CurrentSlot] = 0;
    PutLight(r, light, wireless);
    r[O::PollingRate] = pollingIndex;
    PutStages(r, stages);
    r[O::ActiveStage] = activeStage;
    return r;
}

MouseStateReadBack ParseMouseStateRecord(MouseStateRead bytes, std::uint8_t currentSlot,
                                         bool wireless, std::size_t stageCount) {
    MouseStateReadBack back;
    back.currentSlot = currentSlot;
    back.mode = Below(bytes[O::LightMode], kMouseDeviceModes);
    back.brightness = Below(bytes[O::Brightness], kMouseMaxLevel + 1);
    back.speed = Below(bytes[O::Speed], kMouseMaxLevel + 1);
    if (wireless && back.speed) back.speed = FlipSpeed(*back.speed);
    back.multiColour = bytes[O::Multicolour];
    back.red = bytes[O::Red];
    back.green = bytes[O::Green];
    back.blue = bytes[O::Blue];
    back.activeStage = Below(bytes[O::ActiveStage], std::min(stageCount, kMouseDpiStages));
    return back;
}

LightRecord TakeBackLight(const MouseStateReadBack& readBack, LightRecord light) {
    light.mode = readBack.mode.value_or(light.mode);
    light.brightness = readBack.brightness.value_or(light.brightness);
    light.speed = readBack.speed.value_or(light.speed);
    light.multiColour = readBack.multiColour;
    light.red = readBack.red;
    light.green = readBack.green;
    light.blue = readBack.blue;
    return light;
}

void UpdateStateMirror(MouseStateRecord& mirror, MouseStateRead bytes,
                       const MouseStateReadBack& readBack) {
    const auto copy = [&](std::size_t first, std::size_t last) {
        std::copy(bytes.begin() + first, bytes.begin() + last + 1, mirror.begin() + first);
    };
    const std::uint8_t mode = mirror[O::LightMode];
    const std::uint8_t brightness = mirror[O::Brightness];
    const std::uint8_t speed = mirror[O::Speed];
    const std::uint8_t stage = mirror[O::ActiveStage];
    copy(O::CurrentSlot, O::Blue);
    copy(O::StageDpi, O::Stage6Dpi);
    copy(O::StageColour, O::Stage6Colour + O::StageColourBytes - 1);
    mirror[O::CurrentSlot] = readBack.currentSlot;
    mirror[O::LightMode] = readBack.mode.value_or(mode);
    mirror[O::Brightness] = readBack.brightness.value_or(brightness);
    mirror[O::Speed] = readBack.speed.value_or(speed);
    mirror[O::ActiveStage] = readBack.activeStage.value_or(stage);
}
