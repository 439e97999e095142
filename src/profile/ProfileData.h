#pragma once
// The in-memory profile of one device: the paths of its files and the device record,
// element "Device"[0] of the profile file, which the section readers and writers change
// in place. Section readers and writers work on DeviceRecord() and never write files.
#include <json/value.h>

#include <string>

#include <array>
#include <vector>

#include "profile/JsonFile.h"
#include "profile/KeyRecords.h"
#include "profile/KeyboardSections.h"
#include "profile/LightFiles.h"
#include "profile/MouseSections.h"

// Keys of the profile file envelope.
namespace ProfileKey {
inline constexpr const char* ProfileName = "profilename";
inline constexpr const char* ProfileUUID = "profileUUID";
inline constexpr const char* Device = "Device";
}  // namespace ProfileKey

// A profile as a whole file: name, UUID and device record; what a new profile holds.
// The other members of `base` (a copy of the default profile) are carried along.
Json::Value MakeProfileDocument(Json::Value base, const std::string& name,
                                const std::string& profileUUID);

class CBasicProfiledata {
public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = delete;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = delete;

    // WriteRecord(device record, profile path).
    virtual bool SaveRecord();
    // Re-reads the file, sets its "Device"[record index] to `record` and writes it back;
    // every other member stays. False when the file could not be written.
    virtual bool WriteRecord(const Json::Value& record, const std::string& path);
    // Writes `root` as the whole file.
    virtual bool WriteWholeFile(const Json::Value& root, const std::string& path);

    // An empty path leaves the stored one unchanged.
    void SetProfilePath(const std::string& path);
    void SetDefaultProfilePath(const std::string& path);
    void SetLightConfigPath(const std::string& path) { m_lightConfigPath = path; }
    std::string GetProfilePath() const { return m_profilePath; }
    std::string GetDefaultProfilePath() const { return m_defaultProfilePath; }
    std::string GetLightConfigPath() const { return m_lightConfigPath; }
    void SetRecordIndex(int index) { m_recordIndex = index; }
    int GetRecordIndex() const { return m_recordIndex; }

    // Loads "Device"[record index] of the file at `path`. A file without one (missing,
    // unreadable, or no such element) gets the default profile's record, and the file
    // is written with it. Returns a copy of the record (null when the default profile
    // has none either; section readers then see absent sections).
    Json::Value LoadDeviceRecord(const std::string& path);

    Json::Value& DeviceRecord() { return m_deviceRecord; }
    const Json::Value& DeviceRecord() const { return m_deviceRecord; }
    // The parsed light configuration ("velko_light.config"), filled by the lighting code.
    Json::Value& LightConfig() { return m_lightConfig; }
    const Json::Value& LightConfig() const { return m_lightConfig; }

    // Caches of the sections every kind has. Load* reads the section from the device
    // record into the cache; Store* sets the cache and writes the section into the
    // device record. Neither writes a file: SaveRecord does.
    const LightRecord& LoadLightInfo();
    void StoreLightInfo(const LightRecord& light);
    const LightRecord& GetLightInfo() const { return m_light; }
    // A second light record the kinds keep beside the current one.
    LightRecord& SecondLightInfo() { return m_secondLight; }
    const std::vector<LedEntry>& LoadLightList();
    const std::vector<LedEntry>& GetLightList() const { return m_lightList; }
    // The count of built-in lighting modes and the steps of the selected user preset.
    void SetBuiltInModeCount(int count) { m_builtInModeCount = count; }
    int GetBuiltInModeCount() const { return m_builtInModeCount; }
    std::vector<LedEffect>& LedEffects() { return m_ledEffects; }
    const std::vector<KeyRecord>& LoadKeyList();
    void StoreKeyList(const std::vector<KeyRecord>& keys);
    const std::vector<KeyRecord>& GetKeyList() const { return m_keyList; }

private:
    // The profile file as this object last read or wrote it. A save reuses it while the
    // file on disk is still that version, instead of parsing the whole file again.
    struct FileCache {
        std::string path;
        int index = -1;
        FileStamp stamp;
        Json::Value root;
    };
    void Remember(const std::string& path, Json::Value root);
    bool WriteOwnRecord(Json::Value& record, const std::string& path);

    FileCache m_fileCache;
    std::string m_profilePath;
    std::string m_defaultProfilePath;
    Json::Value m_deviceRecord;
    std::string m_lightConfigPath;
    Json::Value m_lightConfig;
    int m_recordIndex = 0;
    int m_builtInModeCount = 0;
    LightRecord m_light{};
    LightRecord m_secondLight{};
    std::vector<LedEntry> m_lightList;
    std::vector<LedEffect> m_ledEffects;
    std::vector<KeyRecord> m_keyList;
};

// The kind classes override nothing; they add the caches of their own sections.
class CMouseProfiledata : public CBasicProfiledata {
public:
    CMouseSections& Sections() { return m_sections; }

private:
    CMouseSections m_sections;
};

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    KeyboardSystemValues& SystemValues() { return m_system; }
    std::vector<std::uint32_t>& CustomColours() { return m_customColours; }

private:
    KeyboardSystemValues m_system;
    std::vector<std::uint32_t> m_customColours;
};

class CVe6533Profiledata : public CBasicProfiledata {
public:
    // The eight "SystemSetStages" values.
    std::array<int, 8>& SystemSetStages() { return m_systemSetStages; }

private:
    std::array<int, 8> m_systemSetStages{};
};
