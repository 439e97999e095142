// CPaintManagerUI: fonts, styles, default attribute lists and the DPI zoom.
#include <QCoreApplication>
#include <algorithm>
#include <cctype>
#include <cmath>

#include "ui/UIControlPrivate.h"
#include "ui/UIManagerPrivate.h"
#include "ui/UIWindowHost.h"

namespace {

// What every window shares.
struct SharedResources {
    std::map<int, TFontInfo> fonts;
    std::unique_ptr<TFontInfo> defaultFont;
    std::map<std::string, std::string, std::less<>> styles;
    std::map<std::string, std::string, std::less<>> defaultAttributes;
};

SharedResources& Shared() {
    static SharedResources shared;
    return shared;
}

const TFontInfo kBuiltInFont{"Verdana", 13, false, false, false};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

bool CPaintManagerUI::AddFont(int id, std::string_view face, int size, bool bold, bool underline,
                              bool italic, bool shared) {
    if (size <= 0) return false;
    TFontInfo info{std::string(face), size, bold, underline, italic};
    (shared ? Shared().fonts : m_impl->fonts)[id] = std::move(info);
    Invalidate();
    return true;
}

void CPaintManagerUI::SetDefaultFont(std::string_view face, int size, bool bold, bool underline,
                                     bool italic, bool shared) {
    auto info = std::make_unique<TFontInfo>(
        TFontInfo{std::string(face), std::max(1, size), bold, underline, italic});
    (shared ? Shared().defaultFont : m_impl->defaultFont) = std::move(info);
    Invalidate();
}

void CPaintManagerUI::RemoveAllFonts() {
    m_impl->fonts.clear();
    m_impl->defaultFont.reset();
    Shared().fonts.clear();
    Shared().defaultFont.reset();
}

const TFontInfo* CPaintManagerUI::GetFontInfo(int id) const {
    if (auto it = m_impl->fonts.find(id); it != m_impl->fonts.end()) return &it->second;
    if (auto it = Shared().fonts.find(id); it != Shared().fonts.end()) return &it->second;
    return nullptr;
}

TFontInfo CPaintManagerUI::GetDefaultFontInfo() const {
    if (m_impl->defaultFont) return *m_impl->defaultFont;
    if (Shared().defaultFont) return *Shared().defaultFont;
    return kBuiltInFont;
}

void CPaintManagerUI::AddStyle(std::string_view name, std::string_view attributes, bool shared) {
    (shared ? Shared().styles : m_impl->styles)[std::string(name)] = attributes;
}

std::string CPaintManagerUI::GetStyle(std::string_view name) const {
    if (auto it = m_impl->styles.find(name); it != m_impl->styles.end()) return it->second;
    if (auto it = Shared().styles.find(name); it != Shared().styles.end()) return it->second;
    return {};
}

void CPaintManagerUI::AddDefaultAttributeList(std::string_view tag, std::string_view attributes,
                                              bool shared) {
    (shared ? Shared().defaultAttributes : m_impl->defaultAttributes)[Lower(tag)] = attributes;
}

std::string CPaintManagerUI::GetDefaultAttributeList(std::string_view tag) const {
    const std::string key = Lower(tag);
    if (auto it = m_impl->defaultAttributes.find(key); it != m_impl->defaultAttributes.end())
        return it->second;
    if (auto it = Shared().defaultAttributes.find(key); it != Shared().defaultAttributes.end())
        return it->second;
    return {};
}

int CPaintManagerUI::GetDPI() const {
    return m_impl->dpi;
}

void CPaintManagerUI::SetDPI(int dpi) {
    if (dpi <= 0 || dpi == m_impl->dpi) return;
    const double factor = static_cast<double>(dpi) / m_impl->dpi;
    m_impl->dpi = dpi;
    if (m_host) m_host->ScaleSize(factor);
    UpdateLayout();
    Invalidate();
}

void CPaintManagerUI::SetAllDPI(int dpi) {
    ForEachManager([dpi](CPaintManagerUI& pm) { pm.SetDPI(dpi); });
}

void CPaintManagerUI::ResetDPIAssets() {
    ClearImageCache();
    Invalidate();
}

double CPaintManagerUI::GetScale() const {
    return m_impl->dpi / 96.0;
}

int CPaintManagerUI::ScaleValue(int value) const {
    if (m_impl->dpi == 96) return value;
    return static_cast<int>(std::lround(value * GetScale()));
}

UIRect CPaintManagerUI::ScaleRect(const UIRect& rc) const {
    return {ScaleValue(rc.left), ScaleValue(rc.top), ScaleValue(rc.right), ScaleValue(rc.bottom)};
}

UISize CPaintManagerUI::ScaleSize(UISize size) const {
    return {ScaleValue(size.cx), ScaleValue(size.cy)};
}
