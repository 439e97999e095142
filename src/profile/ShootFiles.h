#pragma once
// The mouse's recoil-compensation files: one "ShootData_<gun>.Shoot" per gun in the
// mouse's profile folder, seeded from the factory files of the default data folder.
// Bullet k of a gun is events 6k..6k+5 of the file's "Events" array.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <json/value.h>

inline constexpr int kShootGunCount = 4;
inline constexpr int kShootBulletCount = 30;
inline constexpr int kShootEventsPerBullet = 6;
inline constexpr int kMaxShootDistance = 0xFF;
inline constexpr int kMaxShootDelay = 0xFFFF;

// Positions of the events of one bullet group.
namespace ShootEvent {
inline constexpr int Press = 0, Release = 1, MoveX = 2, MoveY = 3, StopX = 4, StopY = 5;
}  // namespace ShootEvent
inline constexpr int kShootPressDelay = 10;  // ms the left button stays down
inline constexpr int kShootMoveXDelay = 5;

// The values of a bullet the user sets. In the file a horizontal "down" is a move to
// the left and a vertical "down" a move up.
struct BulletGroup {
    bool moveLeft = false;
    bool moveUp = false;
    int horizontal = 0;  // 0..255
    int vertical = 0;    // 0..255
    int delay = 0;       // ms after the vertical move, 0..65535

    bool operator==(const BulletGroup&) const = default;
};

// "ShootData_<gun>.Shoot".
std::string ShootFileName(int gun);

// Bullet `bullet` of a parsed shoot document; missing or wrong-typed members read as 0.
BulletGroup ReadBulletGroup(const Json::Value& doc, int bullet);
// Sets events 6k..6k+5 of `doc`, clamping the values to what the device takes. Groups
// before `bullet` that the document lacks are added as still bullets, so the document
// always holds whole groups. False for a bullet outside 0..29.
bool WriteBulletGroup(Json::Value& doc, int bullet, const BulletGroup& group);
// A complete document of 30 bullets that do not move.
Json::Value StillShootDocument();

// Every gun's events in the macro image layout; nothing when it would not fit the
// image's 16-bit fields. A missing document gives an empty entry.
std::optional<std::vector<std::uint8_t>> BuildShootImage(
    const std::array<Json::Value, kShootGunCount>& docs);

class CShootFiles {
public:
    // Both folders end with '/'.
    CShootFiles(std::string profileFolder, std::string defaultDataFolder);

    std::string GunFilePath(int gun) const;
    std::string FactoryFilePath(int gun) const;

    BulletGroup ReadBullet(int gun, int bullet) const;
    // A gun whose file is missing or unusable starts from its factory file, or from a
    // file of still bullets when that cannot be read either.
    bool WriteBullet(int gun, int bullet, const BulletGroup& group);

    // Copies the factory file of every gun whose file is missing or not a shoot file.
    // The number of guns restored.
    int RestoreMissing();
    // Whole-file copies; each leaves the target as it was when it fails.
    bool Reset(int gun);
    // Only a JSON object with an "Events" array is taken.
    bool Import(const std::string& path, int gun);
    bool Export(int gun, const std::string& path) const;

    std::optional<std::vector<std::uint8_t>> BuildImage() const;

private:
    std::string m_profileFolder;
    std::string m_defaultDataFolder;
};
