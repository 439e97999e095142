#include "profile/MacroStore.h"

#include <algorithm>
#include <cstdio>

#include "profile/JsonFile.h"

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

MacroInfo ReadInfo(const Json::Value& entry) {
    MacroInfo info;
    if (!entry.isObject()) return info;
    const Json::Value& name = entry[MacroKey::MacroName];
    const Json::Value& guid = entry[MacroKey::Guid];
    if (name.isString()) info.name = FromFileText(name.asString());
    if (guid.isString()) info.guid = guid.asString();
    return info;
}

// The list array of a document; a wrong-typed document or member starts afresh.
Json::Value& ListArray(Json::Value& list) {
    if (!list.isObject()) list = Json::Value(Json::objectValue);
    Json::Value& macros = list[MacroKey::MacroInfo];
    if (!macros.isArray()) macros = Json::Value(Json::arrayValue);
    return macros;
}

std::vector<MacroInfo> InfosOf(const Json::Value& list) {
    std::vector<MacroInfo> macros;
    // Positions are macro indexes held by key assignments, so a bad entry keeps its slot.
    for (const Json::Value& entry : JsonArray(list, MacroKey::MacroInfo))
        macros.push_back(ReadInfo(entry));
    return macros;
}

}  // namespace

std::string MacroListFileName(std::string_view kindName) {
    return (kindName == "mouse" || kindName == "keyboard") ? "macro.config" : "velko_macro.config";
}

bool SameMacroName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string NextMacroName(std::span<const MacroInfo> macros) {
    // At most macros.size() numbers are taken, so one of 1..size+1 is free.
    for (std::size_t n = 1;; ++n) {
        std::string name = kNewMacroNamePrefix + std::to_string(n);
        const bool taken = std::ranges::any_of(
            macros, [&](const MacroInfo& info) { return SameMacroName(info.name, name); });
        if (!taken) return name;
    }
}

CMacroStore::CMacroStore(std::string folder, std::string listFileName, GuidMaker makeGuid)
    : m_folder(std::move(folder)),
      m_listPath(m_folder + listFileName),
      m_makeGuid(std::move(makeGuid)) {}

Json::Value CMacroStore::ReadList() const {
    Json::Value list;
    ReadJsonFile(m_listPath, list);
    return list;
}

bool CMacroStore::WriteList(const Json::Value& list) const {
    return WriteJsonFile(m_listPath, list);
}

std::vector<MacroInfo> CMacroStore::List() const {
    return InfosOf(ReadList());
}

std::vector<std::string> CMacroStore::Names() const {
    std::vector<std::string> names;
    for (MacroInfo& info : List()) names.push_back(std::move(info.name));
    return names;
}

std::string CMacroStore::MacroFilePath(const std::string& guid) const {
    return IsSafeFileStem(guid) ? m_folder + guid + kMacroFileExtension : std::string();
}

std::string CMacroStore::UnusedGuid(std::span<const MacroInfo> macros) const {
    // Time stamps repeat when two macros are made within one millisecond.
    std::string base = m_makeGuid ? m_makeGuid() : MakeProfileUUID();
    if (!IsSafeFileStem(base)) base = "macro";
    const auto taken = [&](const std::string& guid) {
        return std::ranges::any_of(macros, [&](const MacroInfo& m) { return m.guid == guid; });
    };
    std::string guid = base;
    for (int n = 1; taken(guid); ++n) guid = base + "_" + std::to_string(n);
    return guid;
}

int CMacroStore::Add() {
    Json::Value list = ReadList();
    Json::Value& macros = ListArray(list);
    const std::vector<MacroInfo> current = InfosOf(list);
    if (static_cast<int>(macros.size()) >= kMaxMacros) return -1;
    Json::Value entry(Json::objectValue);
    entry[MacroKey::MacroName] = ToFileText(NextMacroName(current));
    entry[MacroKey::Guid] = UnusedGuid(current);
    macros.append(entry);
    if (!WriteList(list)) return -1;
    return static_cast<int>(macros.size()) - 1;
}

bool CMacroStore::Delete(int index) {
    Json::Value list = ReadList();
    Json::Value& macros = ListArray(list);
    if (index < 0 || index >= static_cast<int>(macros.size())) return false;
    const std::string file = MacroFilePath(ReadInfo(macros[index]).guid);
    Json::Value removed;
    macros.removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
    if (!WriteList(list)) return false;
    if (!file.empty()) std::remove(file.c_str());
    return true;
}

RenameResult CMacroStore::Rename(int index, const std::string& name) {
    if (name.empty()) return RenameResult::Empty;
    Json::Value list = ReadList();
    Json::Value& macros = ListArray(list);
    if (index < 0 || index >= static_cast<int>(macros.size())) return RenameResult::NoSuchMacro;
    // The macro's own name counts too: a rename that changes nothing but case is refused.
    for (const Json::Value& entry : macros)
        if (SameMacroName(ReadInfo(entry).name, name)) return RenameResult::Taken;
    Json::Value& entry = macros[index];
    if (!entry.isObject()) entry = Json::Value(Json::objectValue);
    entry[MacroKey::MacroName] = ToFileText(name);
    return WriteList(list) ? RenameResult::Ok : RenameResult::WriteFailed;
}

bool CMacroStore::Save(int index, std::span<const MacroEvent> events) {
    if (events.size() > static_cast<std::size_t>(kMaxMacroEvents)) return false;
    const std::vector<MacroInfo> macros = List();
    if (index < 0 || index >= static_cast<int>(macros.size())) return false;
    const MacroInfo& info = macros[static_cast<std::size_t>(index)];
    const std::string file = MacroFilePath(info.guid);
    if (file.empty()) return false;
    Json::Value doc(Json::objectValue);
    doc[MacroKey::MacroName] = ToFileText(info.name);
    doc[MacroKey::Guid] = info.guid;
    Json::Value& array = doc[MacroKey::Events] = Json::Value(Json::arrayValue);
    for (const MacroEvent& event : events) array.append(MacroEventToJson(event, DelayForm::Text));
    doc[MacroKey::Version] = kMacroFileVersion;
    return WriteJsonFile(file, doc);
}

std::vector<MacroEvent> CMacroStore::Events(int index) const {
    const std::vector<MacroInfo> macros = List();
    if (index < 0 || index >= static_cast<int>(macros.size())) return {};
    return EventsOf(macros[static_cast<std::size_t>(index)]);
}

std::vector<MacroEvent> CMacroStore::EventsOf(const MacroInfo& info) const {
    const std::string file = MacroFilePath(info.guid);
    if (file.empty()) return {};
    Json::Value doc;
    ReadJsonFile(file, doc);
    return IsMacroDocument(doc) ? ReadMacroEvents(doc[MacroKey::Events])
                                : std::vector<MacroEvent>();
}

int CMacroStore::Import(const std::string& path) {
    if (path.empty()) return -1;
    std::string bytes;
    if (ReadFileText(path, bytes) != FileReadResult::Ok) return -1;
    if (!IsMacroDocument(ParseMacroFileText(bytes))) return -1;
    Json::Value list = ReadList();
    Json::Value& macros = ListArray(list);
    if (static_cast<int>(macros.size()) >= kMaxMacros) return -1;
    const std::vector<MacroInfo> current = InfosOf(list);
    const std::string guid = UnusedGuid(current);
    // The file goes first: a list entry without its file would read as an empty macro.
    if (!WriteFileText(MacroFilePath(guid), bytes)) return -1;
    Json::Value entry(Json::objectValue);
    entry[MacroKey::MacroName] = ToFileText(NextMacroName(current));
    entry[MacroKey::Guid] = guid;
    macros.append(entry);
    if (!WriteList(list)) {
        std::remove(MacroFilePath(guid).c_str());
        return -1;
    }
    return static_cast<int>(macros.size()) - 1;
}

bool CMacroStore::Export(int index, const std::string& path) const {
    const std::vector<MacroInfo> macros = List();
    if (path.empty() || index < 0 || index >= static_cast<int>(macros.size())) return false;
    const std::string file = MacroFilePath(macros[static_cast<std::size_t>(index)].guid);
    return !file.empty() && CopyWholeFile(file, path);
}

std::optional<std::vector<std::uint8_t>> CMacroStore::BuildImage() const {
    const std::vector<MacroInfo> macros = List();
    if (macros.empty()) return std::nullopt;
    std::vector<std::vector<MacroEvent>> events;
    events.reserve(macros.size());
    for (const MacroInfo& info : macros) events.push_back(EventsOf(info));
    return BuildMacroImage(events);
}
