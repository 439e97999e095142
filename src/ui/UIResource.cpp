// CResourceManager: skin folder, resource index and language texts.
#include "ui/UIResource.h"

#include <QFile>
#include <QXmlStreamReader>
#include <iostream>

#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"

namespace {

bool IsAbsolute(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

// Opens an XML file for reading; writes the one-line reason when it cannot.
bool OpenXml(const std::string& path, QFile& file) {
    file.setFileName(ToQString(path));
    if (file.open(QIODevice::ReadOnly)) return true;
    std::cerr << "ui: cannot open " << path << "\n";
    return false;
}

void ReportXmlError(const std::string& path, const QXmlStreamReader& xml) {
    std::cerr << "ui: " << path << ":" << xml.lineNumber() << ":" << xml.columnNumber() << ": "
              << xml.errorString().toStdString() << "\n";
}

}  // namespace

std::string NormalizeSlashes(std::string_view path) {
    std::string out(path);
    for (char& c : out) {
        if (c == '\\') c = '/';
    }
    return out;
}

CResourceManager& CResourceManager::Instance() {
    static CResourceManager instance;
    return instance;
}

void CResourceManager::SetResourcePath(std::string_view folder) {
    m_resourcePath = NormalizeSlashes(folder);
    if (!m_resourcePath.empty() && m_resourcePath.back() != '/') m_resourcePath += '/';
}

bool CResourceManager::LoadResource(std::string_view indexFile, std::string_view) {
    const std::string path = ResolvePath(indexFile);
    QFile file;
    if (!OpenXml(path, file)) return false;
    std::map<std::string, std::string, std::less<>> index;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name().compare(QLatin1String("Xml"), Qt::CaseInsensitive) != 0) continue;
        const auto attrs = xml.attributes();
        const std::string id = FromQString(attrs.value("id").toString());
        const std::string target = FromQString(attrs.value("path").toString());
        if (!id.empty()) index[id] = NormalizeSlashes(target);
    }
    if (xml.hasError()) {
        ReportXmlError(path, xml);
        return false;
    }
    m_xmlIndex = std::move(index);
    return true;
}

std::string CResourceManager::GetXmlPath(std::string_view id) const {
    const auto it = m_xmlIndex.find(id);
    return it == m_xmlIndex.end() ? std::string() : it->second;
}

std::string CResourceManager::ResolvePath(std::string_view fileOrId) const {
    std::string file = GetXmlPath(fileOrId);
    if (file.empty()) file = NormalizeSlashes(fileOrId);
    if (IsAbsolute(file)) return file;
    return m_resourcePath + file;
}

bool CResourceManager::LoadLanguage(std::string_view file) {
    const std::string path = ResolvePath(file);
    QFile qfile;
    if (!OpenXml(path, qfile)) return false;
    std::map<std::string, std::string, std::less<>> texts;
    QXmlStreamReader xml(&qfile);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name().compare(QLatin1String("Text"), Qt::CaseInsensitive) != 0) continue;
        const auto attrs = xml.attributes();
        const std::string key = FromQString(attrs.value("key").toString());
        if (!key.empty()) texts[key] = FromQString(attrs.value("value").toString());
    }
    if (xml.hasError()) {
        ReportXmlError(path, xml);
        return false;
    }
    m_texts = std::move(texts);
    return true;
}

void CResourceManager::AddText(std::string_view key, std::string_view text) {
    m_texts[std::string(key)] = text;
}

std::string CResourceManager::GetText(std::string_view key, std::string_view type) const {
    if (const auto it = m_texts.find(key); it != m_texts.end()) return it->second;
    if (m_query) {
        std::string answer = m_query->QueryControlText(key, type);
        if (!answer.empty()) return answer;
    }
    return std::string(key);
}

void CResourceManager::ReloadText() {
    CPaintManagerUI::ForEachManager([](CPaintManagerUI& pm) {
        if (CControlUI* root = pm.GetRoot()) root->ReloadText();
    });
}

void CResourceManager::Release() {
    m_xmlIndex.clear();
    m_texts.clear();
    m_language.clear();
    m_query = nullptr;
}
