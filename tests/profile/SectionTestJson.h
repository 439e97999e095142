#pragma once
// Parsing of the JSON written by hand in the profile tests.
#include <gtest/gtest.h>
#include <json/reader.h>

#include <memory>
#include <ostream>
#include <string>

inline Json::Value ParseTestJson(const std::string& text) {
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string errors;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors))
        << errors << "\n"
        << text;
    return value;
}

// Compares the styled text, so that a failure shows both documents.
#define EXPECT_SAME_JSON(actual, expected) \
    EXPECT_EQ((actual).toStyledString(), (expected).toStyledString())
