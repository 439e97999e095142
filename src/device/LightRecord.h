#pragma once
// The lighting of one device as the device objects, the profile data and the
// panels move it around: 11 bytes, or three packed 32-bit words.
#include <array>
#include <cstddef>
#include <cstdint>

struct LightRecord {
    std::uint8_t mode = 0;
    std::uint8_t brightness = 0;  // level 0..4
    std::uint8_t speed = 0;       // 0..4
    std::uint8_t direction = 0;   // "Fx"
    std::uint8_t multiColour = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::array<std::uint8_t, 3> spare{};  // bytes 8..10

    static constexpr std::size_t kSize = 11;
    using Bytes = std::array<std::uint8_t, kSize>;
    struct Words {
        std::uint32_t first = 0;   // mode | brightness << 8 | speed << 16 | direction << 24
        std::uint32_t second = 0;  // multicolour | red << 8 | green << 16 | blue << 24
        std::uint32_t third = 0;   // byte 8 | byte 9 << 8 | byte 10 << 16
        friend bool operator==(const Words&, const Words&) = default;
    };

    // Bytes 0..3 from the first word, 4..7 from the second, 8..9 from the low 16 bits of
    // the third and byte 10 from its bits 16..23.
    static constexpr LightRecord FromWords(std::uint32_t first, std::uint32_t second,
                                           std::uint32_t third) {
        LightRecord r;
        r.mode = static_cast<std::uint8_t>(first);
        r.brightness = static_cast<std::uint8_t>(first >> 8);
        r.speed = static_cast<std::uint8_t>(first >> 16);
        r.direction = static_cast<std::uint8_t>(first >> 24);
        r.multiColour = static_cast<std::uint8_t>(second);
        r.red = static_cast<std::uint8_t>(second >> 8);
        r.green = static_cast<std::uint8_t>(second >> 16);
        r.blue = static_cast<std::uint8_t>(second >> 24);
        r.spare = {static_cast<std::uint8_t>(third), static_cast<std::uint8_t>(third >> 8),
                   static_cast<std::uint8_t>(third >> 16)};
        return r;
    }
    constexpr Words ToWords() const {
        return {static_cast<std::uint32_t>(mode) | static_cast<std::uint32_t>(brightness) << 8 |
                    static_cast<std::uint32_t>(speed) << 16 |
                    static_cast<std::uint32_t>(direction) << 24,
                static_cast<std::uint32_t>(multiColour) | static_cast<std::uint32_t>(red) << 8 |
                    static_cast<std::uint32_t>(green) << 16 |
                    static_cast<std::uint32_t>(blue) << 24,
                static_cast<std::uint32_t>(spare[0]) | static_cast<std::uint32_t>(spare[1]) << 8 |
                    static_cast<std::uint32_t>(spare[2]) << 16};
    }
    constexpr Bytes ToBytes() const {
        return {mode,  brightness, speed,    direction, multiColour, red,
                green, blue,       spare[0], spare[1],  spare[2]};
    }
    static constexpr LightRecord FromBytes(const Bytes& b) {
        LightRecord r;
        r.mode = b[0];
        r.brightness = b[1];
        r.speed = b[2];
        r.direction = b[3];
        r.multiColour = b[4];
        r.red = b[5];
        r.green = b[6];
        r.blue = b[7];
        r.spare = {b[8], b[9], b[10]};
        return r;
    }
    friend bool operator==(const LightRecord&, const LightRecord&) = default;
};

// One 11-byte element of a device's "LightList" or effect list: bytes 0..7 as
// in LightRecord, byte 10 is 1 when the element exists.
struct LedEntry {
    std::uint8_t mode = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    std::uint8_t multiColour = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t spare8 = 0;
    std::uint8_t spare9 = 0;
    std::uint8_t present = 0;
    friend bool operator==(const LedEntry&, const LedEntry&) = default;
};

// An LED colour as the LED colour buffer holds it: byte 0 red, 1 green, 2 blue,
// 3 intensity 0..255.
constexpr std::uint32_t PackLedColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                      std::uint8_t intensity) {
    return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(blue) << 16 | static_cast<std::uint32_t>(intensity) << 24;
}
constexpr std::uint8_t LedRed(std::uint32_t colour) {
    return static_cast<std::uint8_t>(colour);
}
constexpr std::uint8_t LedGreen(std::uint32_t colour) {
    return static_cast<std::uint8_t>(colour >> 8);
}
constexpr std::uint8_t LedBlue(std::uint32_t colour) {
    return static_cast<std::uint8_t>(colour >> 16);
}
constexpr std::uint8_t LedIntensity(std::uint32_t colour) {
    return static_cast<std::uint8_t>(colour >> 24);
}
