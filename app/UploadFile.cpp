#include "app/UploadFile.h"

#include "common/CurlTls.h"

#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/UploadHttp.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr long kStoredStatus = 202;

}  // namespace

UploadFile::UploadFile(QVariantList params, int value) : m_value(value), m_params(std::move(params)) {}

UploadFile::~UploadFile() { wait(); }

std::string UploadFile::UploadUrl() { return uploadhttp::DeploymentUrl("files", "/upload"); }

QString UploadFile::GetHash() const { return m_results.size() >= 2 ? m_results[0].toString() : QString(); }

QString UploadFile::GetLocation() const { return m_results.size() >= 2 ? m_results[1].toString() : QString(); }

void UploadFile::run()
{
    if (m_params.value(0).toInt() == 1) {
        for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
            if (attempt > 0)
                QThread::msleep(static_cast<unsigned long>(m_retryPauseMs));
            m_success = UpLoadWBFile();
            if (m_success || m_unreadable)
                break;
            ++m_tries;
        }
    }
    emit finish(this);
}

bool UploadFile::UpLoadWBFile()
{
    const char* func = "UploadFile::UpLoadWBFile";
    m_results.clear();
    const QString path = m_params.value(1).toString();
    const std::string localPath = path.toLocal8Bit().toStdString();
    const std::string name = QFileInfo(path).fileName().toLocal8Bit().toStdString();
    const std::string url = UploadUrl();
    if (!uploadhttp::IsHttpUrl(url)) {
        m_errMsg = QStringLiteral("UpLoadWBFile(no address)");
        Logger::instance()->Log(LOG_WARN, func, "curl error. %s %s", m_errMsg.toUtf8().constData(), url.c_str());
        return false;
    }

    uploadhttp::Handle handle;
    if (!handle) {
        m_errMsg = QStringLiteral("UpLoadWBFile(0)");
        Logger::instance()->Log(LOG_WARN, func, "curl_easy_init null");
        return false;
    }
    CURL* h = handle.get();
    uploadhttp::FileForm form(h, "file", name, localPath);
    if (!form.ok()) {
        m_unreadable = true;
        m_errMsg = QStringLiteral("UpLoadWBFile(open file failed)");
        Logger::instance()->Log(LOG_WARN, func, "cannot read %s", path.toUtf8().constData());
        return false;
    }
    std::string reply;
    uploadhttp::SetCommonOptions(h, url, &reply);
    curl_easy_setopt(h, CURLOPT_USERAGENT, curl_version());
    form.attach();
    CURLcode rc = curl_easy_perform(h);
    const long status = uploadhttp::ResponseCode(h);
    if (status != kStoredStatus) {
        m_errMsg = QStringLiteral("UpLoadWBFile(%1)").arg(status);
        Logger::instance()->Log(LOG_WARN, func, "curl error. %s %s", m_errMsg.toUtf8().constData(),
                                rc == CURLE_OK ? reply.c_str() : curltls::Describe(rc).c_str());
        return false;
    }

    QJsonParseError err;
    QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(reply), &err);
    const QJsonArray answer = doc.array();
    const QJsonObject first = answer.isEmpty() ? QJsonObject() : answer.first().toObject();
    const QString hash = first.value("hash").toString();
    const QString location = first.value("location").toString();
    if (err.error != QJsonParseError::NoError || location.isEmpty()) {
        m_errMsg = QStringLiteral("UpLoadWBFile(bad reply)");
        Logger::instance()->Log(LOG_WARN, func, "answer without a location: %s", reply.c_str());
        return false;
    }
    m_results << hash << location;
    m_errMsg.clear();

    // Keep the picture in the URL cache under its new address. Off the GUI
    // thread, so QImage and not QPixmap.
    QImage image;
    if (image.load(path)) {
        const QString target = QString::fromStdString(PubUtils::GetUrlLocalFile(location.toStdString()));
        if (!image.save(target))
            Logger::instance()->Log(LOG_WARN, func, "cannot write the cache copy %s", target.toUtf8().constData());
    }
    return true;
}
