#include "profile/KeyRecords.h"

#include <algorithm>

#include "profile/SectionFields.h"

std::uint32_t PackAssignment(const KeyAssignment& a) {
    return static_cast<std::uint32_t>(a.type) << 16 | static_cast<std::uint32_t>(a.param1) << 8 |
           a.param2;
}

KeyAssignment UnpackAssignment(std::uint16_t position, std::uint32_t packed) {
    return {position, static_cast<std::uint8_t>(packed >> 16),
            static_cast<std::uint8_t>(packed >> 8), static_cast<std::uint8_t>(packed)};
}

std::vector<KeyRecord> ReadKeyList(const Json::Value& record) {
    std::vector<KeyRecord> keys;
    const Json::Value& list = section::Member(record, KeyListKey::KeyList);
    if (!list.isArray()) return keys;
    const std::size_t count = std::min<std::size_t>(list.size(), kMaxKeyPositions);
    for (std::size_t i = 0; i < count; ++i) {
        const Json::Value& element = list[static_cast<Json::ArrayIndex>(i)];
        const auto position = static_cast<std::uint16_t>(i);
        keys.push_back(
            {UnpackAssignment(position, section::Word32(element, KeyListKey::Assignment)),
             UnpackAssignment(position, section::Word32(element, KeyListKey::DefaultAssignment))});
    }
    return keys;
}

void WriteKeyList(Json::Value& record, const std::vector<KeyRecord>& keys) {
    Json::Value& list = section::ArrayMember(record, KeyListKey::KeyList);
    const std::size_t count = std::min(keys.size(), kMaxKeyPositions);
    for (std::size_t i = 0; i < count; ++i) {
        section::ObjectElement(list, static_cast<Json::ArrayIndex>(i))[KeyListKey::Assignment] =
            section::Number(PackAssignment(keys[i].current));
    }
}

void CompleteKeyList(std::vector<KeyRecord>& keys, std::span<const KeyAssignment> defaults) {
    const std::size_t count = std::min(defaults.size(), kMaxKeyPositions);
    for (std::size_t i = keys.size(); i < count; ++i) {
        KeyAssignment a = defaults[i];
        a.position = static_cast<std::uint16_t>(i);
        keys.push_back({a, a});
    }
}

Json::Value MakeKeyListElement(const KeyRecord& key) {
    Json::Value element(Json::objectValue);
    element[KeyListKey::Assignment] = section::Number(PackAssignment(key.current));
    element[KeyListKey::DefaultAssignment] = section::Number(PackAssignment(key.defaults));
    return element;
}
