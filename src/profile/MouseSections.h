#pragma once
// The mouse's sections of a profile's device record: DPI stages with their colours,
// the pointer settings, the report rate and the correction presets. The readers
// never fail: missing or malformed data reads as zero or keeps the cached values.
#include <json/value.h>

#include <cstdint>
#include <string>
#include <vector>

struct DpiStage {
    std::uint8_t active = 0;  // enabled in the panel
    std::uint8_t xy = 0;      // separate X/Y resolution; kept, not used
    std::uint16_t dpiX = 0;   // DPI index
    std::uint16_t dpiY = 0;   // kept, not used
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const DpiStage&, const DpiStage&) = default;
};

// The pointer settings and the report rate as three packed words, low half first:
// double-click time | pointer speed, pointer precision | scroll page,
// scroll lines | report rate index.
struct SystemValues {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    std::uint32_t third = 0;

    static constexpr std::uint32_t Pack(std::uint16_t low, std::uint16_t high) {
        return static_cast<std::uint32_t>(high) << 16 | low;
    }
    static constexpr std::uint16_t Low(std::uint32_t word) {
        return static_cast<std::uint16_t>(word);
    }
    static constexpr std::uint16_t High(std::uint32_t word) {
        return static_cast<std::uint16_t>(word >> 16);
    }
    friend bool operator==(const SystemValues&, const SystemValues&) = default;
};

struct CorrectEntry {
    std::uint8_t pixThresh = 0;
    std::uint8_t minSq = 0;
    std::uint8_t select = 0;  // non-zero marks the selected preset
    std::string name;         // UTF-8
    friend bool operator==(const CorrectEntry&, const CorrectEntry&) = default;
};

namespace MouseKey {
inline constexpr const char* DpiStages = "DPIStages";
inline constexpr const char* StageActive = "StageActive";  // section, stage and report rate
inline constexpr const char* StageDpis = "StageDPIs";
inline constexpr const char* StageXY = "StageXY";
inline constexpr const char* StageDpiX = "StageDPIX";
inline constexpr const char* StageDpiY = "StageDPIY";
inline constexpr const char* StageColorR = "StageColorR";
inline constexpr const char* StageColorG = "StageColorG";
inline constexpr const char* StageColorB = "StageColorB";
inline constexpr const char* SystemStages = "SystemStages";
inline constexpr const char* DoubleClickTime = "DoubleClickTime";
inline constexpr const char* MouseSpeed = "MouseSpeed";
inline constexpr const char* PointerPrecision = "PointerPrecision";
inline constexpr const char* ScrollPage = "ScorllPage";        // the files' spelling
inline constexpr const char* WheelLines = "WheelScorlllinse";  // the files' spelling
inline constexpr const char* ReportStages = "ReportStages";
inline constexpr const char* CorrectInfo = "CorrectInfo";
inline constexpr const char* CorrectPixThresh = "CorrectPixThresh";
inline constexpr const char* CorrectMinSq = "CorrectMinSq";
inline constexpr const char* CorrectSelect = "CorrectSelect";
inline constexpr const char* CorrectName = "CorrectName";
}  // namespace MouseKey

// The mouse sections with the caches the mouse profile keeps between loads. A
// record passed in is the profile's device record; writers change it in memory only.
class CMouseSections {
public:
    // Reads "DPIStages" and merges the stages into the cache: stage j of the file
    // replaces cache entry j, and entries beyond the file's count keep earlier values.
    std::vector<DpiStage> GetDpiStages(const Json::Value& record);
    // The cache becomes `stages`; each is written to its element of "StageDPIs".
    // Elements beyond the list and the section's active stage are left alone.
    void SetDpiStages(Json::Value& record, const std::vector<DpiStage>& stages);
    int GetActiveStage() const { return m_activeStage; }
    void SetActiveStage(Json::Value& record, int index);

    // All zero when "SystemStages" is missing, the report rate included.
    SystemValues GetSystemValues(const Json::Value& record);
    void SetSystemValues(Json::Value& record, const SystemValues& values);

    // Replaces the cache when "CorrectInfo" exists; the presets are never written.
    std::vector<CorrectEntry> GetCorrectInfo(const Json::Value& record);

private:
    std::vector<DpiStage> m_stages;
    int m_activeStage = 0;
    SystemValues m_system;
    std::vector<CorrectEntry> m_corrections;
};
