#pragma once
// The option set-up every HTTP transfer of the program shares: the URL,
// http and https only (redirects included), ALPN off for https
// (certificates verified, against the deployment file's CA bundle when it
// names one), no signals, and the
// connect and low-speed time-outs of the caller.
#include <curl/curl.h>

#include <string>

namespace curlopts {

// A transfer that moves fewer than lowSpeedBytes a second for lowSpeedSec
// seconds is given up; connecting may take connectSec seconds.
struct TransferLimits {
    long connectSec = 15;
    long lowSpeedSec = 30;
    long lowSpeedBytes = 1;
};

// followRedirects: follow up to maxRedirects "Location:" answers (http and
// https targets only); otherwise the redirect answer itself is the reply.
void SetHttpOptions(CURL* handle, const std::string& url, const TransferLimits& limits,
                    bool followRedirects = false, long maxRedirects = 5);

// True when url starts with "https" (in any case).
bool IsHttpsUrl(const std::string& url);

}  // namespace curlopts
