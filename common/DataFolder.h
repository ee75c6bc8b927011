#pragma once
// The per-user data folder shared by Veltora and the updater:
// $XDG_DATA_HOME/VeltoraTea, or ~/.local/share/VeltoraTea.
#include <string>

namespace datafolder {

constexpr const char* kFolderName = "VeltoraTea";
constexpr const char* kSettingsFile = "config.ini";

// The base of the per-user data ($XDG_DATA_HOME or $HOME/.local/share).
// Computed on every call from the environment; never empty ("." at worst).
std::string baseDataLocation();
// baseDataLocation() + "/VeltoraTea"; not created here.
std::string path();
// path() + "/config.ini"
std::string settingsFile();
// Creates a folder with its missing parents; true when it exists afterwards.
bool makePath(const std::string& dir);

}  // namespace datafolder
