#pragma once
// CResourceManager: where the skin lives, the resource index (res.xml) and the
// language texts. Implemented in UIResource.cpp.
#include <map>
#include <string>
#include <string_view>

#include "ui/UIDefs.h"

class CResourceManager {
public:
    static CResourceManager& Instance();

    // The skin folder; relative layout and image names resolve against it.
    void SetResourcePath(std::string_view folder);
    const std::string& GetResourcePath() const { return m_resourcePath; }

    // Reads the resource index <Res><Xml id="XML_MAIN" path="main.xml"/>...</Res>
    // (file relative to the resource path). `type` is accepted for callers that pass
    // one. False, with one line on stderr, when the file is missing or malformed.
    bool LoadResource(std::string_view indexFile, std::string_view type = {});
    // The path an id maps to; empty when the index has no such id.
    std::string GetXmlPath(std::string_view id) const;
    // An id, relative or absolute name -> absolute file name ('\' becomes '/').
    std::string ResolvePath(std::string_view fileOrId) const;

    // Language files <Language><Text key="..." value="..."/></Language> (UTF-8). A
    // successful load replaces the texts; a failed one keeps them.
    bool LoadLanguage(std::string_view file);
    void SetLanguage(std::string_view name) { m_language = name; }
    const std::string& GetLanguage() const { return m_language; }
    void AddText(std::string_view key, std::string_view text);
    // The language text of `key`, else the text query interface's answer, else the
    // key itself.
    std::string GetText(std::string_view key, std::string_view type = {}) const;
    // Every resource-text control of every window shows its key's text again.
    void ReloadText();
    void SetTextQueryInterface(IQueryControlText* query) { m_query = query; }
    IQueryControlText* GetTextQueryInterface() const { return m_query; }

    // Forgets the index, the texts and the query interface.
    void Release();

private:
    CResourceManager() = default;
    std::string m_resourcePath;
    std::map<std::string, std::string, std::less<>> m_xmlIndex;
    std::map<std::string, std::string, std::less<>> m_texts;
    std::string m_language;
    IQueryControlText* m_query = nullptr;
};

// Paths in layouts may use '\'; this maps them to '/'.
std::string NormalizeSlashes(std::string_view path);
