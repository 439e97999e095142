#include "profile/ProfileData.h"

#include "platform/Platform.h"
#include "profile/JsonFile.h"
#include "profile/ProfileFolders.h"

namespace {

// A "Device" member or element of the wrong type is dropped when the file is rewritten;
// keep the old bytes beside it first, as for a file that does not parse.
void KeepCopyIfMalformed(const Json::Value& root, Json::ArrayIndex index, const std::string& path) {
    if (!root.isMember(ProfileKey::Device)) return;
    const Json::Value& devices = root[ProfileKey::Device];
    const Json::Value& record = JsonElement(devices, index);
    if (devices.isArray() && (record.isNull() || record.isObject())) return;
    if (CopyWholeFile(path, path + ".bad"))
        DebugOutput("profile: malformed \"Device\" in " + path + "; kept as " + path + ".bad\n");
}

}  // namespace

Json::Value MakeProfileDocument(Json::Value base, const std::string& name,
                                const std::string& profileUUID) {
    if (!base.isObject()) base = Json::Value(Json::objectValue);
    base[ProfileKey::ProfileName] = ToFileText(name);
    base[ProfileKey::ProfileUUID] = ToFileText(profileUUID);
    return base;
}

bool CBasicProfiledata::SaveRecord() {
    return WriteOwnRecord(m_deviceRecord, m_profilePath);
}

bool CBasicProfiledata::WriteRecord(const Json::Value& record, const std::string& path) {
    Json::Value copy(record);
    return WriteOwnRecord(copy, path);
}

void CBasicProfiledata::Remember(const std::string& path, Json::Value root) {
    m_fileCache.path.clear();
    if (!ReadFileStamp(path, m_fileCache.stamp)) return;
    m_fileCache.path = path;
    m_fileCache.index = m_recordIndex;
    m_fileCache.root = std::move(root);
}

bool CBasicProfiledata::WriteOwnRecord(Json::Value& record, const std::string& path) {
    if (m_recordIndex < 0 || !IsPlainFilePath(path)) {
        DebugOutput("profile: not saved to " + path + "\n");
        return false;
    }
    const auto index = static_cast<Json::ArrayIndex>(m_recordIndex);
    Json::Value root;
    FileReadResult read = FileReadResult::Ok;
    FileStamp stamp;
    if (path == m_fileCache.path && m_fileCache.index == m_recordIndex &&
        ReadFileStamp(path, stamp) && stamp == m_fileCache.stamp) {
        root = std::move(m_fileCache.root);
    } else {
        read = ReadJsonFileResult(path, root);
        if (read == FileReadResult::Ok) KeepCopyIfMalformed(root, index, path);
    }
    m_fileCache.path.clear();
    Json::Value& devices = JsonArrayMember(root, ProfileKey::Device);
    if (!JsonSetElement(devices, index, Json::Value())) return false;
    // The record is lent to the document for the write: a large record is not copied.
    Json::Value& slot = devices[index];
    slot.swap(record);
    const bool written = WriteJsonFileAfterRead(path, root, read);
    slot.swap(record);
    // The remembered document lacks the record; every save puts it back first.
    if (written) Remember(path, std::move(root));
    return written;
}

bool CBasicProfiledata::WriteWholeFile(const Json::Value& root, const std::string& path) {
    return WriteJsonFile(path, root);
}

void CBasicProfiledata::SetProfilePath(const std::string& path) {
    if (!path.empty()) m_profilePath = path;
}

void CBasicProfiledata::SetDefaultProfilePath(const std::string& path) {
    if (!path.empty()) m_defaultProfilePath = path;
}

Json::Value CBasicProfiledata::LoadDeviceRecord(const std::string& path) {
    if (m_recordIndex < 0) return m_deviceRecord = Json::Value();
    const auto index = static_cast<Json::ArrayIndex>(m_recordIndex);
    // The name comes from a file: never let it reach outside its folder.
    const bool plainPath = IsPlainFilePath(path);
    if (!plainPath) DebugOutput("profile: refused profile path " + path + "\n");
    Json::Value root;
    const FileReadResult read =
        plainPath ? ReadJsonFileResult(path, root) : FileReadResult::Missing;
    const Json::Value& record = JsonElement(JsonMember(root, ProfileKey::Device), index);
    if (record.isObject()) {
        m_deviceRecord = record;
        Remember(path, std::move(root));
        return m_deviceRecord;
    }
    // No usable record: take the default profile's and store it in the file.
    Json::Value fallback;
    ReadJsonFile(m_defaultProfilePath, fallback);
    const Json::Value& defaultRecord = JsonElement(JsonMember(fallback, ProfileKey::Device), index);
    m_deviceRecord = defaultRecord.isObject() ? defaultRecord : Json::Value();
    if (read == FileReadResult::Ok) KeepCopyIfMalformed(root, index, path);
    if (!plainPath) return m_deviceRecord;
    JsonSetElement(JsonArrayMember(root, ProfileKey::Device), index, m_deviceRecord);
    if (WriteJsonFileAfterRead(path, root, read)) Remember(path, std::move(root));
    return m_deviceRecord;
}

const LightRecord& CBasicProfiledata::LoadLightInfo() {
    m_light = ReadLightInfo(m_deviceRecord);
    return m_light;
}

void CBasicProfiledata::StoreLightInfo(const LightRecord& light) {
    m_light = light;
    WriteLightInfo(m_deviceRecord, light);
}

const std::vector<LedEntry>& CBasicProfiledata::LoadLightList() {
    m_lightList = ReadLightList(m_deviceRecord);
    return m_lightList;
}

const std::vector<KeyRecord>& CBasicProfiledata::LoadKeyList() {
    m_keyList = ReadKeyList(m_deviceRecord);
    return m_keyList;
}

void CBasicProfiledata::StoreKeyList(const std::vector<KeyRecord>& keys) {
    m_keyList = keys;
    WriteKeyList(m_deviceRecord, keys);
}
