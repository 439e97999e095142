#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/Platform.h"

namespace {

using Lines = std::vector<std::string>;

std::mutex g_writeMutex;  // one read-modify-write at a time within the process

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t n = 0; n < a.size(); ++n) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[n]) != lower(b[n])) return false;
    }
    return true;
}

// The section a "[name]" line opens, if it is one.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
    return Trim(line.substr(1, line.size() - 2));
}

// Key and value of a "key=value" line, if it is one.
std::optional<std::pair<std::string_view, std::string_view>> EntryOf(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty() || key.front() == ';' || key.front() == '#') return std::nullopt;
    return std::pair{key, Trim(line.substr(equals + 1))};
}

// Nullopt when the file exists but cannot be read; no lines when it does not exist.
std::optional<Lines> ReadLines(const std::string& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return error ? std::nullopt : std::optional(Lines{});
    if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    Lines lines;
    for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));
    if (in.bad()) return std::nullopt;
    return lines;
}

struct Position {
    std::optional<std::size_t> sectionLine;  // the "[section]" line
    std::optional<std::size_t> keyLine;      // the "key=value" line
    std::size_t insertAt = 0;                // after the section's last entry
};

Position Find(const Lines& lines, std::string_view section, std::string_view key) {
    Position found;
    bool inSection = false;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        if (const auto name = SectionOf(lines[n])) {
            if (found.sectionLine && inSection) break;  // the first matching section counts
            inSection = EqualNoCase(*name, section);
            if (inSection) found.sectionLine = found.insertAt = n;
        } else if (inSection && !Trim(lines[n]).empty()) {
            found.insertAt = n;
            if (const auto entry = EntryOf(lines[n]); entry && EqualNoCase(entry->first, key)) {
                found.keyLine = n;
                break;
            }
        }
    }
    return found;
}

// Writes a sibling temporary file and renames it over the old one.
bool ReplaceFile(const std::string& file, const Lines& lines) {
    std::string temp = file + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    std::string text;
    for (const std::string& line : lines) text += line + '\n';
    bool ok = true;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), file.c_str()) == 0;
    if (!ok) unlink(temp.c_str());
    return ok;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != text.npos;
}

}  // namespace

CSettingsStore::CSettingsStore(std::string file) : m_file(std::move(file)) {}

std::string CSettingsStore::ReadValue(std::string_view key) const {
    return ReadValue(kDefaultSection, key);
}

std::string CSettingsStore::ReadValue(std::string_view section, std::string_view key) const {
    const auto lines = ReadLines(m_file);
    if (!lines) return {};
    const Position at = Find(*lines, Trim(section), Trim(key));
    if (!at.keyLine) return {};
    return std::string(EntryOf((*lines)[*at.keyLine])->second);
}

bool CSettingsStore::WriteValue(std::string_view key, std::string_view value) {
    return WriteValue(kDefaultSection, key, value);
}

bool CSettingsStore::WriteValue(std::string_view section, std::string_view key,
                                std::string_view value) {
    if (Trim(key).empty() || key.find('=') != key.npos || HasLineBreak(key) ||
        HasLineBreak(section) || HasLineBreak(value))
        return false;
    const std::lock_guard lock(g_writeMutex);
    auto lines = ReadLines(m_file);
    if (!lines) return false;
    const std::string entry = std::string(Trim(key)) + "=" + std::string(value);
    const Position at = Find(*lines, Trim(section), Trim(key));
    if (at.keyLine) {
        // The value changes; the key keeps the spelling the file has.
        std::string& line = (*lines)[*at.keyLine];
        line = std::string(EntryOf(line)->first) + "=" + std::string(value);
    } else if (at.sectionLine) {
        lines->insert(lines->begin() + static_cast<std::ptrdiff_t>(at.insertAt + 1), entry);
    } else {
        lines->push_back("[" + std::string(section) + "]");
        lines->push_back(entry);
    }
    const auto folder = std::filesystem::path(m_file).parent_path();
    if (!folder.empty() && !MakeFolders(folder.string())) return false;
    return ReplaceFile(m_file, *lines);
}
