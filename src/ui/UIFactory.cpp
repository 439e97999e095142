// CControlFactory: the program's control classes by name.
#include <algorithm>
#include <cctype>

#include "ui/UIBuilder.h"

namespace {

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

CControlFactory& CControlFactory::Instance() {
    static CControlFactory factory;
    return factory;
}

void CControlFactory::RegistControl(std::string_view name, ControlCreator creator) {
    if (name.empty() || !creator) return;
    for (Entry& entry : m_entries) {
        if (SameName(entry.name, name)) {
            entry.creator = std::move(creator);
            return;
        }
    }
    m_entries.push_back({std::string(name), std::move(creator)});
}

void CControlFactory::UnregistControl(std::string_view name) {
    std::erase_if(m_entries, [&](const Entry& e) { return SameName(e.name, name); });
}

bool CControlFactory::IsRegistered(std::string_view name) const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [&](const Entry& e) { return SameName(e.name, name); });
}

std::unique_ptr<CControlUI> CControlFactory::CreateControl(std::string_view name) const {
    for (const Entry& entry : m_entries) {
        if (SameName(entry.name, name)) return entry.creator();
    }
    return nullptr;
}
