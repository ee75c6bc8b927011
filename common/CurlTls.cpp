#include "common/CurlTls.h"

#include "common/Deployment.h"

namespace curltls {

void Apply(CURL* handle)
{
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    const std::string bundle = deployment::CaBundle();
    if (!bundle.empty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, bundle.c_str());  // libcurl copies the string
}

std::string Describe(CURLcode code, const char* errorBuffer)
{
    std::string text = errorBuffer && *errorBuffer ? errorBuffer : curl_easy_strerror(code);
    switch (code) {
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH: {
        const std::string bundle = deployment::CaBundle();
        text += " [server certificate not accepted; CA bundle: "
            + (bundle.empty() ? std::string("system default") : bundle)
            + "; the deployment file's [tls] cabundle= names the bundle to trust]";
        break;
    }
    default:
        break;
    }
    return text;
}

}  // namespace curltls
