#pragma once
// Checked access to the members of a profile section. A profile file is edited by
// hand as often as by the program, so any member may be missing or of the wrong JSON
// type; these readers turn all of that into zero, and the writers replace a
// wrong-typed container instead of letting jsoncpp throw.
#include <json/value.h>

#include <cstdint>
#include <string>

#include "profile/JsonFile.h"

namespace section {

// Members and elements, null when absent or when the container has another type.
inline const Json::Value& Member(const Json::Value& object, const char* key) {
    return JsonMember(object, key);
}
inline const Json::Value& Element(const Json::Value& array, Json::ArrayIndex index) {
    return JsonElement(array, index);
}

// An integer in its two's complement 64-bit form, so that narrowing casts keep the
// low bits (a colour of 300 reads as 44). Anything that is not an integer, including
// fractions and numbers beyond 64 bits, reads as 0.
inline std::uint64_t IntegerBits(const Json::Value& value) {
    if (value.isInt64()) return static_cast<std::uint64_t>(value.asInt64());
    if (value.isUInt64()) return value.asUInt64();
    return 0;
}

inline std::uint8_t Byte(const Json::Value& object, const char* key) {
    return static_cast<std::uint8_t>(IntegerBits(Member(object, key)));
}
inline std::uint16_t Word16(const Json::Value& object, const char* key) {
    return static_cast<std::uint16_t>(IntegerBits(Member(object, key)));
}
inline std::uint32_t Word32(const Json::Value& object, const char* key) {
    return static_cast<std::uint32_t>(IntegerBits(Member(object, key)));
}

// A flag stored as a boolean or as a number; other types read as false.
inline bool Flag(const Json::Value& object, const char* key) {
    const Json::Value& value = Member(object, key);
    if (value.isBool()) return value.asBool();
    return IntegerBits(value) != 0;
}

inline std::string Text(const Json::Value& object, const char* key) {
    const Json::Value& value = Member(object, key);
    return value.isString() ? value.asString() : std::string();
}

// `value` as an object, replaced by an empty one when it is anything else.
inline Json::Value& AsObject(Json::Value& value) {
    if (!value.isObject()) value = Json::Value(Json::objectValue);
    return value;
}
inline Json::Value& AsArray(Json::Value& value) {
    if (!value.isArray()) value = Json::Value(Json::arrayValue);
    return value;
}

// The object (array) member `key` of `parent`, created or replaced when of another type.
inline Json::Value& ObjectMember(Json::Value& parent, const char* key) {
    return JsonObjectMember(parent, key);
}
inline Json::Value& ArrayMember(Json::Value& parent, const char* key) {
    return JsonArrayMember(parent, key);
}

// Element `index` of `array` as an object, the array grown as needed.
inline Json::Value& ObjectElement(Json::Value& array, Json::ArrayIndex index) {
    return AsObject(AsArray(array)[index]);
}

// Numbers are written as plain ints so that a written record compares equal to the
// same record parsed back from its file.
inline Json::Value Number(std::int64_t value) {
    return Json::Value(static_cast<Json::Int64>(value));
}

}  // namespace section
