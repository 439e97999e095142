#include "app/LanguageConfig.h"

#include <json/json.h>

#include <fstream>
#include <sstream>

#include "platform/Platform.h"

namespace {

std::string StringMember(const Json::Value& object, const char* key) {
    const Json::Value& v = object[key];
    return v.isString() ? v.asString() : std::string();
}

// Ids are written as numbers; text holding a number is accepted too.
int IntMember(const Json::Value& object, const char* key) {
    const Json::Value& v = object[key];
    if (v.isInt()) return v.asInt();
    if (v.isString()) {
        try {
            return std::stoi(v.asString());
        } catch (...) {
            return 0;
        }
    }
    return 0;
}

}  // namespace

std::vector<LanguageEntry> ReadLanguageList(const std::string& configFile) {
    std::ifstream in(configFile, std::ios::binary);
    if (!in) return {};
    std::stringstream text;
    text << in.rdbuf();
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    const std::string content = text.str();
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    if (!reader->parse(content.data(), content.data() + content.size(), &root, &errors) ||
        !root.isObject() || !root["Language"].isArray())
        return {};
    std::vector<LanguageEntry> list;
    for (const Json::Value& element : root["Language"]) {
        if (!element.isObject()) {
            list.push_back({});
            continue;
        }
        list.push_back({StringMember(element, "Language_name"),
                        StringMember(element, "Language_file"), IntMember(element, "Language_ID"),
                        StringMember(element, "Language_text")});
    }
    return list;
}

std::string LanguageConfigPath() {
    return ProgramFolder() + "DefaultData/Language.config";
}
