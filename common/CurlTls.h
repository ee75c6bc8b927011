#pragma once
// Certificate settings every libcurl handle of both programs gets, and the
// words a failed transfer is logged with.
#include <curl/curl.h>

#include <string>

namespace curltls {

// Peer and host verification on; the deployment file's CA bundle when it
// names one.
void Apply(CURL* handle);

// curl's own text for code (errorBuffer when it holds one); a certificate
// failure also says which CA bundle was used and where to name another.
std::string Describe(CURLcode code, const char* errorBuffer = nullptr);

}  // namespace curltls
