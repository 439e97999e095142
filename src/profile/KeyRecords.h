#pragma once
// The function of each key or button, as the device objects hold it and as the
// profile's "KeyList" stores it: one element per key position, the current and the
// default assignment each packed as type << 16 | parameter 1 << 8 | parameter 2.
#include <json/value.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct KeyAssignment {
    std::uint16_t position = 0;  // key or button on the device page
    std::uint8_t type = 0;       // function type
    std::uint8_t param1 = 0;
    std::uint8_t param2 = 0;

    // Equal functions, wherever the keys are: the position is not compared.
    friend bool operator==(const KeyAssignment& a, const KeyAssignment& b) {
        return a.type == b.type && a.param1 == b.param1 && a.param2 == b.param2;
    }
};

struct KeyRecord {
    KeyAssignment current;
    KeyAssignment defaults;
};

namespace KeyListKey {
inline constexpr const char* KeyList = "KeyList";
inline constexpr const char* Assignment = "Assignment";
inline constexpr const char* DefaultAssignment = "DefaultAssignment";
}  // namespace KeyListKey

std::uint32_t PackAssignment(const KeyAssignment& assignment);
// The low 24 bits of `packed` as type, parameter 1 and parameter 2.
KeyAssignment UnpackAssignment(std::uint16_t position, std::uint32_t packed);

// One record per "KeyList" element, key position i for element i; empty without the
// section. A key list has at most kMaxKeyPositions elements.
inline constexpr std::size_t kMaxKeyPositions = 256;
std::vector<KeyRecord> ReadKeyList(const Json::Value& record);
// Writes the current assignment of each record as "KeyList"[i]."Assignment"; the
// default assignments in the file are never touched.
void WriteKeyList(Json::Value& record, const std::vector<KeyRecord>& keys);
// A short "KeyList" (a hand-edited or older file) leaves key positions without a
// record; this appends one per missing position i < defaults.size(), with defaults[i]
// as both its current and its default assignment, so every key can be shown and edited.
void CompleteKeyList(std::vector<KeyRecord>& keys, std::span<const KeyAssignment> defaults);
// A "KeyList" element holding both halves; the shape the default profiles ship with.
Json::Value MakeKeyListElement(const KeyRecord& key);
