#include "common/update/UpdateAddress.h"

#include "common/Deployment.h"
#include "common/update/HttpTransfer.h"

namespace update {

std::string DefaultUpdateUrl()
{
    const std::string host = deployment::Load().value("production", "update");
    if (HttpTransfer::allowedUrl(host))
        return host;
    return "http://update.example:80";
}

}  // namespace update
