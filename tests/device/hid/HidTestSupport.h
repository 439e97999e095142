#pragma once
// Shared pieces of the HID transport tests: descriptors, hex text and temporary folders.
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The mouse's interfaces as the virtual bus describes them.
inline constexpr std::string_view kCommandDescriptorHex =
    "061CFF0992A101850415002600FF7508953F0901810209019102C0";
inline constexpr std::string_view kNotificationDescriptorHex =
    "050C0901A1018501150026FF0319002AFF03751095018100C0";

// Numbered keyboard (id 1): modifier bits, a reserved byte, LED output bits, six keys.
inline constexpr std::string_view kKeyboardHex =
    "05010906A101 8501 0507 19E0 29E7 1500 2501 7501 9508 8102 9501 7508 8101"
    "9505 7501 0508 1901 2905 9102 9501 7503 9101"
    "9506 7508 1500 2565 0507 1900 2965 8100 C0";
// Mouse (id 2): five buttons, padding, signed 16-bit X and Y, signed 8-bit wheel.
inline constexpr std::string_view kMouseHex =
    "05010902A101 8502 0901 A100 0509 1901 2905 1500 2501 9505 7501 8102 9501 7503 8101"
    "0501 0930 0931 160180 26FF7F 7510 9502 8106 0938 1581 257F 7508 9501 8106 C0 C0";

// Bytes from hexadecimal text; blanks are ignored.
inline std::vector<std::uint8_t> FromHex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    std::string digits;
    for (char c : text)
        if (c != ' ') digits += c;
    for (std::size_t at = 0; at + 1 < digits.size(); at += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(at, 2), nullptr, 16)));
    return bytes;
}

inline std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A fresh folder under the temporary folder, removed with everything in it.
class CTempFolder {
public:
    CTempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tolmi-hid-XXXXXX").string();
        if (mkdtemp(pattern.data())) m_path = pattern;
    }
    ~CTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};
