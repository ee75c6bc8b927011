#include "app/CurlOptions.h"

#include "common/CurlTls.h"

#include <strings.h>

namespace curlopts {

bool IsHttpsUrl(const std::string& url)
{
    return url.size() >= 5 && strncasecmp(url.c_str(), "https", 5) == 0;
}

void SetHttpOptions(CURL* handle, const std::string& url, const TransferLimits& limits, bool followRedirects,
                    long maxRedirects)
{
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    if (followRedirects) {
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, maxRedirects);
    }
    if (IsHttpsUrl(url))
        curl_easy_setopt(handle, CURLOPT_SSL_ENABLE_ALPN, 0L);
    curltls::Apply(handle);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectSec);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytes);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSec);
}

}  // namespace curlopts
