#include "app/UploadHttp.h"

#include "app/CurlHandleGuard.h"
#include "common/IniFile.h"
#include "app/PubUtils.h"
#include "app/UrlProxy.h"

#include <QFileInfo>

#include <atomic>
#include <cstring>
#include <strings.h>

size_t CurlWriteString(char* ptr, size_t size, size_t count, void* userdata)
{
    auto* out = static_cast<std::string*>(userdata);
    out->append(ptr, size * count);
    return size * count;
}

namespace uploadhttp {

namespace {

std::atomic<long> g_connectSec{Limits().connectSec};       // atomic
std::atomic<long> g_lowSpeedSec{Limits().lowSpeedSec};     // atomic
std::atomic<long> g_lowSpeedBytes{Limits().lowSpeedBytes}; // atomic

bool startsWithNoCase(const std::string& text, const char* prefix)
{
    size_t n = std::strlen(prefix);
    return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

}  // namespace

Limits GetLimits()
{
    Limits l;
    l.connectSec = g_connectSec;
    l.lowSpeedSec = g_lowSpeedSec;
    l.lowSpeedBytes = g_lowSpeedBytes;
    return l;
}

void SetLimits(const Limits& limits)
{
    g_connectSec = limits.connectSec;
    g_lowSpeedSec = limits.lowSpeedSec;
    g_lowSpeedBytes = limits.lowSpeedBytes;
}

std::string BuildQuery(const QueryPairs& pairs)
{
    std::string out;
    for (const auto& kv : pairs) {
        out += out.empty() ? "?" : "&";
        out += kv.first;
        out += "=";
        out += UrlEncode(kv.second);
    }
    return out;
}

std::string DeploymentUrl(const char* role, const char* path)
{
    IniFile ini(UrlProxy::DeploymentFile());
    std::string host = ini.value("production", role);
    while (!host.empty() && (host.back() == '/' || host.back() == ' '))
        host.pop_back();
    if (host.empty())
        host = std::string("https://") + role + ".example";
    return host + path;
}

bool IsHttpUrl(const std::string& url)
{
    return startsWithNoCase(url, "http://") || startsWithNoCase(url, "https://");
}

void SetCommonOptions(CURL* handle, const std::string& url, std::string* reply)
{
    curlopts::SetHttpOptions(handle, url, GetLimits());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, CurlWriteString);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, reply);
}

long ResponseCode(CURL* handle)
{
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

long long JsonInt(const nlohmann::json& obj, const char* key)
{
    if (!obj.is_object())
        return 0;
    auto it = obj.find(key);
    if (it == obj.end() || !it->is_number())
        return 0;
    return it->is_number_float() ? static_cast<long long>(it->get<double>()) : it->get<long long>();
}

std::string JsonString(const nlohmann::json& obj, const char* key)
{
    if (!obj.is_object())
        return {};
    auto it = obj.find(key);
    return (it != obj.end() && it->is_string()) ? it->get<std::string>() : std::string();
}

const nlohmann::json& JsonObject(const nlohmann::json& obj, const char* key)
{
    static const nlohmann::json empty = nlohmann::json::object();
    if (!obj.is_object())
        return empty;
    auto it = obj.find(key);
    return (it != obj.end() && it->is_object()) ? *it : empty;
}

Handle::Handle() : m_handle(CurlHandleGuard::instance()->Init()) {}

Handle::~Handle() { CurlHandleGuard::instance()->Cleanup(m_handle); }

FileForm::FileForm(CURL* handle, const char* partName, const std::string& fileName, const std::string& path,
                   const char* contentType)
    : m_handle(handle), m_mime(handle ? curl_mime_init(handle) : nullptr)
{
    if (!m_mime)
        return;
    // libcurl would only notice a missing file in the middle of the
    // transfer; refuse it here with a clear outcome instead.
    QFileInfo info(QString::fromLocal8Bit(path.c_str()));
    if (!info.isFile() || !info.isReadable())
        return;
    curl_mimepart* part = curl_mime_addpart(m_mime);
    m_ok = part && curl_mime_name(part, partName) == CURLE_OK && curl_mime_filedata(part, path.c_str()) == CURLE_OK
        && curl_mime_filename(part, fileName.c_str()) == CURLE_OK && curl_mime_type(part, contentType) == CURLE_OK;
}

FileForm::~FileForm()
{
    if (m_handle && m_mime)
        curl_easy_setopt(m_handle, CURLOPT_MIMEPOST, static_cast<curl_mime*>(nullptr));
    curl_mime_free(m_mime);
}

void FileForm::attach()
{
    if (m_handle && m_mime)
        curl_easy_setopt(m_handle, CURLOPT_MIMEPOST, m_mime);
}

Headers::~Headers() { curl_slist_free_all(m_list); }

}  // namespace uploadhttp
