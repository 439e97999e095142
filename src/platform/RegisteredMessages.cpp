#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/WindowMessages.h"

namespace {

inline constexpr std::uint32_t kLastRegistered = 0xFFFF;

struct NameTable {
    std::mutex mutex;
    std::unordered_map<std::string, std::uint32_t> numbers;  // by folded name
    std::vector<std::string> names;                          // as first registered
};

NameTable& Names() {
    static NameTable table;
    return table;
}

// Message names are ASCII (GUIDs, identifiers); folding ASCII is enough.
std::string FoldCase(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

}  // namespace

std::uint32_t RegisterWindowMessage(std::string_view name) {
    if (name.empty()) return 0;
    NameTable& table = Names();
    const std::lock_guard lock(table.mutex);
    const auto [it, added] = table.numbers.try_emplace(FoldCase(name), 0);
    if (!added) return it->second;
    const auto number = static_cast<std::uint32_t>(Msg::FirstRegistered + table.names.size());
    if (number > kLastRegistered) {
        table.numbers.erase(it);
        return 0;
    }
    it->second = number;
    table.names.emplace_back(name);
    return number;
}

std::optional<std::string> RegisteredMessageName(std::uint32_t msg) {
    NameTable& table = Names();
    const std::lock_guard lock(table.mutex);
    if (msg < Msg::FirstRegistered || msg - Msg::FirstRegistered >= table.names.size())
        return std::nullopt;
    return table.names[msg - Msg::FirstRegistered];
}

std::optional<std::uint32_t> LookupRegisteredMessage(std::string_view name) {
    NameTable& table = Names();
    const std::lock_guard lock(table.mutex);
    const auto it = table.numbers.find(FoldCase(name));
    if (it == table.numbers.end()) return std::nullopt;
    return it->second;
}
