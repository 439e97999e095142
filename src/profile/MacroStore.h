#pragma once
// The macro store of one device kind: the macro list file in the kind's profile folder
// and one ".mac" file per macro, named by the macro's "Guid". Every operation reads
// and rewrites the files whole; nothing is cached.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "profile/MacroImage.h"

namespace MacroKey {
inline constexpr const char* MacroInfo = "MacroInfo";
inline constexpr const char* MacroName = "MacroName";
inline constexpr const char* Guid = "Guid";
inline constexpr const char* Version = "Version";
}  // namespace MacroKey

inline constexpr int kMaxMacros = 50;
inline constexpr int kMaxMacroEvents = 2000;
inline constexpr int kMacroFileVersion = 64;
inline constexpr const char* kMacroFileExtension = ".mac";
inline constexpr const char* kNewMacroNamePrefix = "macro_";

// "macro.config" for the mouse and the keyboard, "velko_macro.config" for the others.
std::string MacroListFileName(std::string_view kindName);

struct MacroInfo {
    std::string name;
    std::string guid;
};

// ASCII letters compare without case; other bytes exactly.
bool SameMacroName(std::string_view a, std::string_view b);
// "macro_" + the smallest n >= 1 not in `names`.
std::string NextMacroName(std::span<const MacroInfo> macros);

enum class RenameResult { Ok, Empty, Taken, NoSuchMacro, WriteFailed };

class CMacroStore {
public:
    using GuidMaker = std::function<std::string()>;
    // `folder` ends with '/'; `makeGuid` gives the identifier of a new macro (the
    // current time stamp when empty).
    CMacroStore(std::string folder, std::string listFileName, GuidMaker makeGuid = {});

    std::vector<MacroInfo> List() const;
    std::vector<std::string> Names() const;

    // Index of the new macro, or -1 when the store is full or cannot be written.
    int Add();
    // Removes entry `index`; later macros move down. The ".mac" file is deleted only
    // when the entry's "Guid" is a plain file name.
    bool Delete(int index);
    RenameResult Rename(int index, const std::string& name);
    // Writes the macro's whole ".mac" file; false for more than 2000 events.
    bool Save(int index, std::span<const MacroEvent> events);
    // The steps of macro `index`; empty when it or its file is missing or unreadable.
    std::vector<MacroEvent> Events(int index) const;

    // Adds a macro whose file is a byte copy of `path`, only when `path` holds a JSON
    // object with an "Events" array. Index of the new macro, or -1.
    int Import(const std::string& path);
    // Byte copy of the macro's file; false leaves `path` as it was.
    bool Export(int index, const std::string& path) const;

    // Every macro in list order; nothing when the store is empty or the image would not
    // fit its 16-bit fields.
    std::optional<std::vector<std::uint8_t>> BuildImage() const;

    const std::string& ListPath() const { return m_listPath; }
    // Empty when `guid` cannot name a file.
    std::string MacroFilePath(const std::string& guid) const;

private:
    Json::Value ReadList() const;
    std::vector<MacroEvent> EventsOf(const MacroInfo& info) const;
    bool WriteList(const Json::Value& list) const;
    std::string UnusedGuid(std::span<const MacroInfo> macros) const;

    std::string m_folder;
    std::string m_listPath;
    GuidMaker m_makeGuid;
};
