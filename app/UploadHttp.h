#pragma once
// Pieces every upload and report of the program shares: the reply
// collector, the query builder, the transfer limits, and small owners of an
// easy handle, a multipart form and a header list.
#include "app/CurlOptions.h"

#include <curl/curl.h>
#include <nlohmann/json.hpp>

#include <string>
#include <utility>
#include <vector>

// CURLOPT_WRITEFUNCTION: appends the received bytes to the std::string given
// as CURLOPT_WRITEDATA.
size_t CurlWriteString(char* ptr, size_t size, size_t count, void* userdata);

namespace uploadhttp {

// Connect and low-speed time-outs of every upload and report. A transfer
// that moves fewer than lowSpeedBytes a second for lowSpeedSec seconds is
// given up.
using Limits = curlopts::TransferLimits;
Limits GetLimits();
// Process-wide; set before transfers start (tests shorten them).
void SetLimits(const Limits& limits);

using QueryPairs = std::vector<std::pair<std::string, std::string>>;
// "?k1=v1&k2=v2" with every value URL-encoded; empty for no pairs.
std::string BuildQuery(const QueryPairs& pairs);

// The address of a service outside the endpoint table (the image file
// server, the dump-upload server): the host of role in the deployment
// file's [production] section (see UrlProxy), else "https://<role>.example",
// followed by path.
std::string DeploymentUrl(const char* role, const char* path);

// True for "http://..." and "https://..." addresses (scheme in any case).
bool IsHttpUrl(const std::string& url);

// The options each request carries (curlopts::SetHttpOptions with the
// limits above, no redirects followed), and the reply collected into *reply.
void SetCommonOptions(CURL* handle, const std::string& url, std::string* reply);

// The HTTP status of the last transfer (0 when none was answered).
long ResponseCode(CURL* handle);
inline bool IsHttpOk(long status) { return status >= 200 && status < 300; }

// Typed reads of a parsed reply with json11's defaults: a missing member or
// one of another type gives 0, "" or an empty value.
long long JsonInt(const nlohmann::json& obj, const char* key);
std::string JsonString(const nlohmann::json& obj, const char* key);
const nlohmann::json& JsonObject(const nlohmann::json& obj, const char* key);

// An easy handle made and cleaned up through the curl handle lock.
class Handle {
public:
    Handle();
    ~Handle();
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    CURL* get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    CURL* m_handle;
};

// A multipart form of one file part, attached with CURLOPT_MIMEPOST.
class FileForm {
public:
    // partName: the form field; fileName: the name the server is told;
    // path: the file libcurl streams from disk during the transfer.
    FileForm(CURL* handle, const char* partName, const std::string& fileName, const std::string& path,
             const char* contentType = "application/octet-stream");
    ~FileForm();
    FileForm(const FileForm&) = delete;
    FileForm& operator=(const FileForm&) = delete;
    // False when the form could not be built (the file cannot be read).
    bool ok() const { return m_ok; }
    // Attaches the form to the handle given to the constructor.
    void attach();

private:
    CURL* m_handle;
    curl_mime* m_mime;
    bool m_ok = false;
};

// A header list, freed on destruction.
class Headers {
public:
    Headers() = default;
    ~Headers();
    Headers(const Headers&) = delete;
    Headers& operator=(const Headers&) = delete;
    void add(const char* line) { m_list = curl_slist_append(m_list, line); }
    curl_slist* get() const { return m_list; }

private:
    curl_slist* m_list = nullptr;
};

}  // namespace uploadhttp
