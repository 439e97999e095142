#pragma once
// Where profile-related files live. Every folder text ends with '/'.
#include <string>
#include <string_view>

// Kind names; each names a profile folder and a default profile.
inline constexpr const char* kKindNameMouse = "mouse";
inline constexpr const char* kKindNameKeyboard = "keyboard";
inline constexpr const char* kKindNameMousePad = "MousePad";
inline constexpr const char* kKindNameHeadset = "HD";

inline constexpr const char* kProfileFileExtension = ".Json";
inline constexpr const char* kProfileListFileName = "ProfileList.ini";
inline constexpr const char* kDefaultDataFolderName = "DefaultData";
inline constexpr const char* kDefaultLightFileName = "default_light.json";

// The per-user product folder ($XDG_DATA_HOME/TOLMI Q318 Driver/), created when missing.
std::string GetProductFolder();
// The product folder + kind + '/', each level created when missing (failures are left
// to the file operations that follow). Empty for a kind that is not a plain name.
std::string GetProfileFolder(std::string_view kindName);
std::string ProfileFolderIn(const std::string& productFolder, std::string_view kindName);
// The program folder + "DefaultData/"; only read, never created.
std::string GetDefaultDataFolder();
// Default data folder + kind + ".Json".
std::string GetDefaultProfilePath(std::string_view kindName);
std::string DefaultProfilePathIn(const std::string& defaultDataFolder, std::string_view kindName);

// folder + uuid + ".Json", or empty when the UUID is not a safe file name.
std::string ProfileFilePath(const std::string& folder, std::string_view profileUUID);
// folder + name, or empty when the name is not a safe file name.
std::string FileInFolder(const std::string& folder, std::string_view fileName);
// True when no component of `path` is ".." and its file name is a safe file name: what a
// path built by ProfileFilePath or FileInFolder looks like.
bool IsPlainFilePath(std::string_view path);
