#include "common/update/UpdateAddress.h"

#include "common/DataFolder.h"
#include "common/Deployment.h"
#include "common/IniFile.h"
#include "common/update/HttpTransfer.h"

namespace update {

std::string DefaultUpdateUrl()
{
    const std::string host = deployment::Load().value("production", "update");
    if (HttpTransfer::allowedUrl(host))
        return host;
    return "http://update.example:80";
}

UpdateSettings ReadUpdateSettings()
{
    IniFile settings(datafolder::settingsFile());
    UpdateSettings s;
    s.updateUrl = settings.value("VeltoraTea", "UpdateUrl", DefaultUpdateUrl());
    s.appName = settings.value("VeltoraTea", "AppName", "VeltoraTea");
    return s;
}

}  // namespace update
