#pragma once
// The update server both programs ask when the settings name none.
#include <string>

namespace update {

// Role "update" of the deployment file's [production] section when it is an
// http or https address, else the reserved example host.
std::string DefaultUpdateUrl();

// "UpdateUrl" and "AppName" of the shared settings file ("VeltoraTea"
// section), read whole; the default address and "VeltoraTea" when missing.
struct UpdateSettings {
    std::string updateUrl;
    std::string appName;
};
UpdateSettings ReadUpdateSettings();

}  // namespace update
