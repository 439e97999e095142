#pragma once
// The language list of "Language.config" in the default data folder.
#include <string>
#include <vector>

struct LanguageEntry {
    std::string name;     // given to the resource manager
    std::string file;     // the skin's language file
    int id = 0;           // kept in the settings store
    std::string textKey;  // language key of the text naming the language
};

// The entries in file order; members of the wrong type read as empty or 0, and a file
// that is missing or not JSON gives an empty list.
std::vector<LanguageEntry> ReadLanguageList(const std::string& configFile);
std::string LanguageConfigPath();  // program folder + "DefaultData/Language.config"
