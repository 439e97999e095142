#include "profile/ShootFiles.h"

#include <algorithm>
#include <cctype>

#include "profile/JsonFile.h"
#include "profile/MacroImage.h"

namespace {

inline constexpr const char* kShootFilePrefix = "ShootData_";
inline constexpr const char* kShootFileExtension = ".Shoot";

bool ValidGun(int gun) {
    return gun >= 0 && gun < kShootGunCount;
}

bool IsDownIgnoringCase(const std::string& action) {
    return std::ranges::equal(action, std::string_view(kActionDown), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

const char* Direction(bool down) {
    return down ? kActionDown : kActionUp;
}

std::array<MacroEvent, kShootEventsPerBullet> GroupEvents(const BulletGroup& group) {
    const int button = static_cast<int>(MacroEventType::MouseButton);
    const int moveX = static_cast<int>(MacroEventType::MouseMoveX);
    const int moveY = static_cast<int>(MacroEventType::MouseMoveY);
    const char* x = Direction(group.moveLeft);
    const char* y = Direction(group.moveUp);
    return {{
        {button, 1, kActionDown, kShootPressDelay},
        {button, 1, kActionUp, 0},
        {moveX, std::clamp(group.horizontal, 0, kMaxShootDistance), x, kShootMoveXDelay},
        {moveY, std::clamp(group.vertical, 0, kMaxShootDistance), y,
         std::clamp(group.delay, 0, kMaxShootDelay)},
        {moveX, 0, x, 0},
        {moveY, 0, y, 0},
    }};
}

Json::Value ReadGunDocument(const std::string& path) {
    Json::Value doc;
    if (!ReadJsonFile(path, doc) || !IsMacroDocument(doc)) return Json::Value();
    return doc;
}

}  // namespace

std::string ShootFileName(int gun) {
    return kShootFilePrefix + std::to_string(gun) + kShootFileExtension;
}

BulletGroup ReadBulletGroup(const Json::Value& doc, int bullet) {
    BulletGroup group;
    if (bullet < 0 || bullet >= kShootBulletCount) return group;
    const Json::Value& events = JsonArray(doc, MacroKey::Events);
    const auto first = static_cast<Json::ArrayIndex>(bullet * kShootEventsPerBullet);
    const Json::Value& moveX = JsonElement(events, first + ShootEvent::MoveX);
    const Json::Value& moveY = JsonElement(events, first + ShootEvent::MoveY);
    group.moveLeft = IsDownIgnoringCase(JsonString(moveX, MacroKey::Action));
    group.moveUp = IsDownIgnoringCase(JsonString(moveY, MacroKey::Action));
    // Read as the device encoder reads them, so the panel shows what is sent.
    group.horizontal = ReadClampedNumber(JsonMember(moveX, MacroKey::Button), 0, kMaxShootDistance);
    group.vertical = ReadClampedNumber(JsonMember(moveY, MacroKey::Button), 0, kMaxShootDistance);
    group.delay = ReadClampedNumber(JsonMember(moveY, MacroKey::Delay), 0, kMaxShootDelay);
    return group;
}

bool WriteBulletGroup(Json::Value& doc, int bullet, const BulletGroup& group) {
    if (bullet < 0 || bullet >= kShootBulletCount) return false;
    if (!doc.isObject()) doc = Json::Value(Json::objectValue);
    Json::Value& events = JsonArrayMember(doc, MacroKey::Events);
    const auto first = static_cast<Json::ArrayIndex>(bullet * kShootEventsPerBullet);
    // Missing earlier events become still bullets rather than nulls, which would reach
    // the device as zero bytes.
    const auto still = GroupEvents(BulletGroup{});
    for (Json::ArrayIndex i = events.size(); i < first; ++i)
        events[i] = MacroEventToJson(still[i % kShootEventsPerBullet], DelayForm::Integer);
    const auto groupEvents = GroupEvents(group);
    for (Json::ArrayIndex i = 0; i < kShootEventsPerBullet; ++i)
        events[first + i] = MacroEventToJson(groupEvents[i], DelayForm::Integer);
    return true;
}

Json::Value StillShootDocument() {
    Json::Value doc(Json::objectValue);
    WriteBulletGroup(doc, kShootBulletCount - 1, BulletGroup{});
    return doc;
}

std::optional<std::vector<std::uint8_t>> BuildShootImage(
    const std::array<Json::Value, kShootGunCount>& docs) {
    std::vector<std::vector<MacroEvent>> guns;
    for (const Json::Value& doc : docs)
        guns.push_back(ReadMacroEvents(JsonArray(doc, MacroKey::Events)));
    return BuildMacroImage(guns);
}

CShootFiles::CShootFiles(std::string profileFolder, std::string defaultDataFolder)
    : m_profileFolder(std::move(profileFolder)),
      m_defaultDataFolder(std::move(defaultDataFolder)) {}

std::string CShootFiles::GunFilePath(int gun) const {
    return ValidGun(gun) ? m_profileFolder + ShootFileName(gun) : std::string();
}

std::string CShootFiles::FactoryFilePath(int gun) const {
    return ValidGun(gun) ? m_defaultDataFolder + ShootFileName(gun) : std::string();
}

BulletGroup CShootFiles::ReadBullet(int gun, int bullet) const {
    if (!ValidGun(gun)) return {};
    Json::Value doc;
    ReadJsonFile(GunFilePath(gun), doc);
    return ReadBulletGroup(doc, bullet);
}

bool CShootFiles::WriteBullet(int gun, int bullet, const BulletGroup& group) {
    if (!ValidGun(gun) || bullet < 0 || bullet >= kShootBulletCount) return false;
    Json::Value doc = ReadGunDocument(GunFilePath(gun));
    if (doc.isNull()) doc = ReadGunDocument(FactoryFilePath(gun));
    if (doc.isNull()) doc = StillShootDocument();
    return WriteBulletGroup(doc, bullet, group) && WriteJsonFile(GunFilePath(gun), doc);
}

int CShootFiles::RestoreMissing() {
    int restored = 0;
    for (int gun = 0; gun < kShootGunCount; ++gun) {
        Json::Value doc;
        if (ReadJsonFile(GunFilePath(gun), doc)) continue;
        std::string old;
        // A damaged file the user may still want is kept beside the factory copy.
        if (ReadFileText(GunFilePath(gun), old) == FileReadResult::Ok && !old.empty())
            WriteFileText(GunFilePath(gun) + ".bad", old);
        if (Reset(gun)) ++restored;
    }
    return restored;
}

bool CShootFiles::Reset(int gun) {
    return ValidGun(gun) && CopyWholeFile(FactoryFilePath(gun), GunFilePath(gun));
}

bool CShootFiles::Import(const std::string& path, int gun) {
    if (path.empty() || !ValidGun(gun)) return false;
    std::string text;
    if (ReadFileText(path, text) != FileReadResult::Ok) return false;
    if (!IsMacroDocument(ParseMacroFileText(text))) return false;
    return WriteFileText(GunFilePath(gun), text);
}

bool CShootFiles::Export(int gun, const std::string& path) const {
    return !path.empty() && ValidGun(gun) && CopyWholeFile(GunFilePath(gun), path);
}

std::optional<std::vector<std::uint8_t>> CShootFiles::BuildImage() const {
    std::array<Json::Value, kShootGunCount> docs;
    for (int gun = 0; gun < kShootGunCount; ++gun)
        ReadJsonFile(GunFilePath(gun), docs[static_cast<std::size_t>(gun)]);
    return BuildShootImage(docs);
}
