#pragma once
// A private temporary folder per test, and whole-file helpers.
#include <gtest/gtest.h>
#include <json/value.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class CTempFolder {
public:
    CTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tolmi-profile-XXXXXX");
        if (::mkdtemp(pattern.data())) m_path = pattern + "/";
    }
    ~CTempFolder() {
        std::error_code error;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, error);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}
