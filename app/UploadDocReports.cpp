// UploadDoc: the snapshot upload and the JSON reports (log or event report,
// record report).
#include "app/UploadDoc.h"

#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/UploadHttp.h"
#include "app/UrlProxy.h"

namespace {

constexpr long long kSpeedReportType = 2001;

struct PostOutcome {
    CURLcode rc = CURLE_FAILED_INIT;
    long status = 0;
    bool ok() const { return rc == CURLE_OK && status == 200; }
};

// Posts a JSON text to url; made and cleaned up through the curl handle lock.
PostOutcome postJson(const std::string& url, const std::string& body)
{
    PostOutcome out;
    uploadhttp::Handle handle;
    if (!handle)
        return out;
    CURL* h = handle.get();
    std::string reply;
    uploadhttp::Headers headers;
    headers.add("Content-Type: application/json;charset=UTF-8");
    uploadhttp::SetCommonOptions(h, url, &reply);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.c_str());
    out.rc = curl_easy_perform(h);
    out.status = uploadhttp::ResponseCode(h);
    return out;
}

// The base of an endpoint key, or empty (logged) when the table has none.
std::string reportBase(int key, const char* func)
{
    const char* base = UrlProxy::GetUrl(key);
    if (base && uploadhttp::IsHttpUrl(base))
        return base;
    Logger::instance()->Log(LOG_WARN, func, "no address for endpoint %d (%s)", key, base ? base : "null");
    return {};
}

}  // namespace

bool UploadDoc::ReportLog()
{
    const QVariantMap params = m_param.toMap();
    const long long type = params.value("type").toLongLong();
    const std::string base = reportBase(kUrlLogReport, "UploadDoc::ReportLog");
    if (base.empty())
        return false;
    const std::string url = base + (type == kSpeedReportType ? "openapi/speedrp" : "openapi/eventrp");
    PostOutcome out = postJson(url, params.value("postData").toString().toStdString());
    if (!out.ok())
        Logger::instance()->Log(LOG_WARN, "UploadDoc::ReportLog", "reportlog type %d curl code %d res code %d", int(type),
                                int(out.rc), int(out.status));
    return out.ok();
}

bool UploadDoc::ReportRecord()
{
    const std::string base = reportBase(kUrlStreamMonitor, "UploadDoc::ReportRecord");
    if (base.empty())
        return false;
    const std::string body = m_param.toMap().value("postData").toString().toStdString();
    PostOutcome out = postJson(base + "openapi/stream_notify", body);
    Logger::instance()->Log(out.ok() ? LOG_INFO : LOG_WARN, "UploadDoc::ReportRecord",
                            "reportRecord %s curl code %d res code %d", body.c_str(), int(out.rc), int(out.status));
    return out.ok();
}

bool UploadDoc::UploadShadowUp()
{
    const char* func = "UploadDoc::UploadShadowUp";
    const std::string path = m_filePath.toStdString();
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string base = reportBase(kUrlSnapshotUpload, func);
    if (base.empty()) {
        m_errMsg = QStringLiteral("upload failed(no address)!");
        return false;
    }
    const std::string token = m_loginVars.isEmpty() ? std::string() : m_loginVars.first().toStdString();
    const std::string url = base + uploadhttp::BuildQuery({{"token", token}});
    const std::string cookieFile = PubUtils::Utf8ToLocal(PubUtils::GetTempDir() + "/" + "clientlibsdafa.txt");

    uploadhttp::Handle handle;
    if (!handle) {
        m_errMsg = QStringLiteral("upload failed(%1)!").arg(int(CURLE_FAILED_INIT));
        Logger::instance()->Log(LOG_WARN, func, "curl_easy_init null");
        return false;
    }
    CURL* h = handle.get();
    uploadhttp::FileForm form(h, "miravo", name, PubUtils::Utf8ToLocal(path));
    if (!form.ok()) {
        m_errMsg = QStringLiteral("打开文件失败!");
        Logger::instance()->Log(LOG_WARN, func, "cannot read %s", path.c_str());
        return false;
    }
    std::string reply;
    uploadhttp::SetCommonOptions(h, url, &reply);
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, cookieFile.c_str());
    curl_easy_setopt(h, CURLOPT_USERAGENT, curl_version());
    form.attach();
    AttachProgress(h);
    CURLcode rc = curl_easy_perform(h);
    const long status = uploadhttp::ResponseCode(h);
    Logger::instance()->Log(LOG_INFO, func, "upload jpg return code %d result %s", int(rc), reply.c_str());
    if (rc != CURLE_OK) {
        m_errMsg = QStringLiteral("upload failed(%1)!").arg(int(rc));
        return false;
    }
    if (!uploadhttp::IsHttpOk(status)) {
        m_errMsg = QStringLiteral("upload failed(http %1)!").arg(status);
        Logger::instance()->Log(LOG_WARN, func, "snapshot refused with http status %d", int(status));
        return false;
    }
    return true;
}
