#include "common/DataFolder.h"

#include <cstdlib>
#include <filesystem>

namespace datafolder {

std::string baseDataLocation()
{
    const char* xdg = getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/')
        return xdg;
    const char* home = getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.local/share";
    return ".";
}

std::string path() { return baseDataLocation() + "/" + kFolderName; }

std::string settingsFile() { return path() + "/" + kSettingsFile; }

bool makePath(const std::string& dir)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return std::filesystem::is_directory(dir, ec);
}

}  // namespace datafolder
