#pragma once
// A private folder under /tmp, removed with everything in it.
#include <stdlib.h>

#include <filesystem>
#include <string>

class CTempFolder {
public:
    CTempFolder() {
        std::string pattern = "/tmp/tolmi-test-XXXXXX";
        if (mkdtemp(pattern.data())) m_path = pattern;
    }
    ~CTempFolder() {
        std::error_code error;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, error);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_path; }  // empty when it could not be made
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};
