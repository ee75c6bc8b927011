// UploadDoc: the job itself, and the two courseware uploads (room and cloud
// folder), each a pre-upload check by MD5 followed, when the file is not yet
// stored, by a multipart post.
#include "app/UploadDoc.h"

#include "common/CurlTls.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/UploadHttp.h"
#include "app/UrlProxy.h"

#include <QDateTime>
#include <QThreadPool>

using nlohmann::json;

namespace {

constexpr int kGroupLoginVar = 4;

std::string fileNameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

struct UploadDoc::DocRoute {
    const char* func;        // function name in log lines
    const char* checkPath;   // pre-upload check
    bool tokenInCheck;
    const char* uploadPath;  // multipart post
    bool tokenInUpload;
    bool roomLogs;           // the room upload's log lines (with timings)
};

UploadDoc::UploadDoc(int type, QString filePath, QVariant param)
    : m_type(type),
      m_param(std::move(param)),
      m_filePath(std::move(filePath)),
      m_loginVars(CData::instance()->GetLoginVar()),
      m_token(CData::instance()->GetStatusText(kStatusToken))
{
    setAutoDelete(false);
}

UploadDoc::~UploadDoc() = default;

void UploadDoc::Start() { QThreadPool::globalInstance()->start(this, 0); }

void UploadDoc::run()
{
    bool ok = false;
    switch (m_type) {
    case RoomDoc: ok = UploadDocFile(); break;
    case CloudDoc: ok = UploadNetFile(); break;
    case Snapshot: ok = UploadShadowUp(); break;
    case Report: ok = ReportLog(); break;
    case RecordReport:
        ok = ReportRecord();
        if (!ok)
            ok = ReportRecord();
        break;
    default:
        Logger::instance()->Log(LOG_WARN, "UploadDoc::run", "unknown job kind %d", m_type);
        break;
    }
    m_success = ok;
    emit finish(this);
}

int UploadDoc::OnUpProgress(void* clientp, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t ulnow)
{
    auto* job = static_cast<UploadDoc*>(clientp);
    emit job->UpProgress(job, static_cast<double>(ultotal), static_cast<double>(ulnow));
    return 0;
}

void UploadDoc::AttachProgress(CURL* handle)
{
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &UploadDoc::OnUpProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
}

bool UploadDoc::GetFileMd5(const std::string& path, std::string& md5)
{
    std::string digest = PubUtils::GetFileMd5(QString::fromUtf8(path.c_str()));
    if (digest.empty())
        return false;
    md5 = digest;
    return true;
}

bool UploadDoc::UploadDocFile()
{
    static const DocRoute route{"UploadDoc::UploadDocFile", "/classpreupload", true, "/classupload", true, true};
    return UploadDocument(route);
}

bool UploadDoc::UploadNetFile()
{
    static const DocRoute route{"UploadDoc::UploadNetFile", "/teacherpreupload", false, "/teacherwebupload", false, false};
    return UploadDocument(route);
}

bool UploadDoc::AcceptReply(const char* func, const std::string& reply, long status, json& answer, bool isCheck)
{
    // A non-zero "code" fails with the service's message, whatever the HTTP
    // status; an HTTP error status fails; so does a body that is not a JSON
    // object.
    answer = json::parse(reply, nullptr, false);
    const bool isObject = !answer.is_discarded() && answer.is_object();
    const long long code = isObject ? uploadhttp::JsonInt(answer, "code") : 0;
    if (code != 0) {
        const QString msg = QString::fromStdString(uploadhttp::JsonString(answer, "msg"));
        m_errMsg = isCheck ? QStringLiteral("上传课件失败(%1) %2").arg(code).arg(msg)
                           : QStringLiteral("上传课件失败, %1").arg(msg);
        Logger::instance()->Log(LOG_WARN, func, "%s", m_errMsg.toUtf8().constData());
        return false;
    }
    if (!uploadhttp::IsHttpOk(status)) {
        m_errMsg = QStringLiteral("上传课件失败. http code:%1").arg(status);
        Logger::instance()->Log(LOG_WARN, func, "%s, %s", m_errMsg.toUtf8().constData(), reply.c_str());
        return false;
    }
    if (!isObject) {
        m_errMsg = QStringLiteral("上传课件失败. json err");
        Logger::instance()->Log(LOG_WARN, func, "parse json error %s, %s",
                                answer.is_discarded() ? "syntax error" : "not an object", reply.c_str());
        return false;
    }
    return true;
}

bool UploadDoc::UploadDocument(const DocRoute& route)
{
    Logger* log = Logger::instance();
    const std::string parent = m_param.toMap().value("parent").toString().toStdString();
    const std::string path = m_filePath.toStdString();
    const std::string name = fileNameOf(path);

    const char* base = UrlProxy::GetUrl(kUrlDocUpload);
    if (!base || !uploadhttp::IsHttpUrl(base)) {
        m_errMsg = QStringLiteral("上传课件失败, 没有上传地址");
        log->Log(LOG_WARN, route.func, "no document upload address (%s)", base ? base : "null");
        return false;
    }

    std::string md5;
    if (!GetFileMd5(path, md5)) {
        m_errMsg = QStringLiteral("打开文件失败!");
        log->Log(LOG_WARN, route.func, "cannot read %s", path.c_str());
        return false;
    }

    const bool hasGroup = m_loginVars.size() > kGroupLoginVar;
    const std::string group = hasGroup ? m_loginVars[kGroupLoginVar].toStdString() : std::string();
    const std::string token = m_token.toStdString();

    uploadhttp::QueryPairs checkQuery{{"name", name}};
    if (hasGroup)
        checkQuery.emplace_back("groupid", group);
    checkQuery.emplace_back("md5", md5);
    checkQuery.emplace_back("parent", parent);
    if (route.tokenInCheck)
        checkQuery.emplace_back("token", token);
    const std::string checkUrl = std::string(base) + route.checkPath + uploadhttp::BuildQuery(checkQuery);
    const std::string cookieFile = PubUtils::Utf8ToLocal(PubUtils::GetTempDir() + "/" + "clientlibsdafa.txt");

    uploadhttp::Handle handle;
    if (!handle) {
        m_errMsg = QStringLiteral("上传课件失败. curl init");
        log->Log(LOG_WARN, route.func, "curl_easy_init null");
        return false;
    }
    CURL* h = handle.get();
    std::string reply;
    qint64 started = QDateTime::currentMSecsSinceEpoch();
    uploadhttp::SetCommonOptions(h, checkUrl, &reply);
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, cookieFile.c_str());
    curl_easy_setopt(h, CURLOPT_USERAGENT, curl_version());
    CURLcode rc = curl_easy_perform(h);
    qint64 checked = QDateTime::currentMSecsSinceEpoch();
    if (route.roomLogs)
        log->Log(LOG_INFO, route.func, "doc check exist return %s has %d", reply.c_str(), int(checked - started));
    else
        log->Log(LOG_INFO, route.func, "teacherpreupload %s", reply.c_str());

    if (rc != CURLE_OK) {
        m_errMsg = QStringLiteral("上传课件失败. http code:%1").arg(int(rc));
        log->Log(LOG_WARN, route.func, "%s, %s", m_errMsg.toUtf8().constData(), curltls::Describe(rc).c_str());
        return false;
    }

    json answer;
    if (!AcceptReply(route.func, reply, uploadhttp::ResponseCode(h), answer, true))
        return false;

    const json& data = uploadhttp::JsonObject(answer, "data");
    if (uploadhttp::JsonInt(data, "exist") == 1)
        return TakeDocument(route.func, data, name, true, reply);

    // Not stored yet: post the file on the same handle.
    reply.clear();
    uploadhttp::QueryPairs uploadQuery;
    if (hasGroup)
        uploadQuery.emplace_back("groupid", group);
    if (route.tokenInUpload)
        uploadQuery.emplace_back("token", token);
    const std::string uploadUrl = std::string(base) + route.uploadPath + uploadhttp::BuildQuery(uploadQuery);
    uploadhttp::FileForm form(h, "miravo", name, PubUtils::Utf8ToLocal(path));
    if (!form.ok()) {
        m_errMsg = QStringLiteral("打开文件失败!");
        log->Log(LOG_WARN, route.func, "cannot read %s for the upload", path.c_str());
        return false;
    }
    uploadhttp::SetCommonOptions(h, uploadUrl, &reply);
    form.attach();
    AttachProgress(h);
    rc = curl_easy_perform(h);
    if (rc != CURLE_OK) {
        m_errMsg = QStringLiteral("上传课件失败(%1)!").arg(int(rc));
        log->Log(LOG_WARN, route.func, "%s %s", m_errMsg.toUtf8().constData(), curltls::Describe(rc).c_str());
        return false;
    }
    if (route.roomLogs)
        log->Log(LOG_INFO, route.func, "doc upload file return %s has %d", reply.c_str(),
                 int(QDateTime::currentMSecsSinceEpoch() - checked));
    else
        log->Log(LOG_INFO, route.func, "teacherwebupload %s", reply.c_str());

    if (!AcceptReply(route.func, reply, uploadhttp::ResponseCode(h), answer, false))
        return false;
    return TakeDocument(route.func, uploadhttp::JsonObject(answer, "data"), name, false, reply);
}

bool UploadDoc::TakeDocument(const char* func, const json& data, const std::string& name, bool stored, const std::string& reply)
{
    const std::string docid = uploadhttp::JsonString(data, "docid");
    if (docid.empty()) {
        m_errMsg = QStringLiteral("上传课件失败, 返回数据缺少docid");
        Logger::instance()->Log(LOG_WARN, func, "answer without docid %s", reply.c_str());
        return false;
    }
    if (stored)
        Logger::instance()->Log(LOG_INFO, func, "upload file is exist %s", docid.c_str());
    else
        Logger::instance()->Log(LOG_INFO, func, "upload file ok %s", docid.c_str());
    QVariantMap result = m_param.toMap();
    result["name"] = QString::fromStdString(name);
    result["docid"] = QString::fromStdString(docid);
    result["exist"] = stored ? QVariant(qint64(uploadhttp::JsonInt(data, "exist"))) : QVariant(0);
    result["md5"] = QString::fromStdString(stored ? uploadhttp::JsonString(data, "md5") : std::string());
    result["url"] = QString::fromStdString(stored ? uploadhttp::JsonString(data, "url") : std::string());
    m_result = result;
    return true;
}
