#include "profile/ProfileFolders.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/Platform.h"
#include "profile/JsonFile.h"

std::string GetProductFolder() {
    const std::string folder = LocalAppDataFolder();
    MakeFolders(folder);  // a failure shows in the file operations that follow
    return folder;
}

std::string ProfileFolderIn(const std::string& productFolder, std::string_view kindName) {
    if (!IsSafeFileStem(kindName)) return {};
    MakeFolders(productFolder);
    const std::string folder = productFolder + std::string(kindName) + "/";
    ::mkdir(folder.c_str(), 0755);  // exists already, or the file operations report it
    return folder;
}

std::string GetProfileFolder(std::string_view kindName) {
    return ProfileFolderIn(GetProductFolder(), kindName);
}

std::string GetDefaultDataFolder() {
    return ProgramFolder() + kDefaultDataFolderName + "/";
}

std::string DefaultProfilePathIn(const std::string& defaultDataFolder, std::string_view kindName) {
    if (!IsSafeFileStem(kindName)) return {};
    return defaultDataFolder + std::string(kindName) + kProfileFileExtension;
}

std::string GetDefaultProfilePath(std::string_view kindName) {
    return DefaultProfilePathIn(GetDefaultDataFolder(), kindName);
}

std::string ProfileFilePath(const std::string& folder, std::string_view profileUUID) {
    if (!IsSafeFileStem(profileUUID)) return {};
    return folder + std::string(profileUUID) + kProfileFileExtension;
}

std::string FileInFolder(const std::string& folder, std::string_view fileName) {
    if (!IsSafeFileStem(fileName)) return {};
    return folder + std::string(fileName);
}

bool IsPlainFilePath(std::string_view path) {
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (!IsSafeFileStem(name)) return false;
    for (std::size_t begin = 0; begin < path.size();) {
        const auto end = std::min(path.find('/', begin), path.size());
        if (path.substr(begin, end - begin) == "..") return false;
        begin = end + 1;
    }
    return true;
}
