#include "libs/whiteboardlib/src/WBImageSource.h"

#include "common/CurlTls.h"

#include <QFileInfo>
#include <QReadWriteLock>
#include <QUrl>

#include <curl/curl.h>

namespace {

const long kConnectTimeoutSec = 5;
const long kTotalTimeoutSec = 20;
const int kMaxBytes = 64 * 1024 * 1024;

size_t appendBody(char* data, size_t size, size_t count, void* user)
{
    auto* body = static_cast<QByteArray*>(user);
    const size_t n = size * count;
    if (body->size() + static_cast<qint64>(n) > kMaxBytes)
        return 0; // aborts the transfer
    body->append(data, static_cast<int>(n));
    return n;
}

} // namespace

bool WBImageSource::isUrl(const QString& source)
{
    return source.startsWith("http://", Qt::CaseInsensitive)
        || source.startsWith("https://", Qt::CaseInsensitive);
}

QString WBImageSource::localPath(const QString& source)
{
    if (isUrl(source))
        return QString();
    if (source.startsWith("file:", Qt::CaseInsensitive))
        return QUrl(source).toLocalFile();
    return source;
}

bool WBImageSource::exists(const QString& source) const
{
    if (source.isEmpty())
        return false;
    if (isUrl(source)) {
        QByteArray body;
        QString err;
        return fetch(source, &body, &err);
    }
    return QFileInfo(localPath(source)).isFile();
}

QImage WBImageSource::load(const QString& source, QString* error) const
{
    QImage img;
    if (source.isEmpty()) {
        *error = "no image source";
        return img;
    }
    if (isUrl(source)) {
        QByteArray body;
        if (!fetch(source, &body, error))
            return img;
        if (!img.loadFromData(body))
            *error = QString("not an image: %1").arg(source);
        return img;
    }
    const QString path = localPath(source);
    if (!QFileInfo(path).isFile()) {
        *error = QString("no such file: %1").arg(source);
        return img;
    }
    if (!img.load(path))
        *error = QString("not an image: %1").arg(source);
    return img;
}

bool WBImageSource::fetch(const QString& url, QByteArray* body, QString* error) const
{
    CURL* curl = nullptr;
    {
        if (m_curlLock)
            m_curlLock->lockForWrite();
        curl = curl_easy_init();
        if (m_curlLock)
            m_curlLock->unlock();
    }
    if (!curl) {
        *error = "curl_easy_init failed";
        return false;
    }
    char errBuf[CURL_ERROR_SIZE] = {0};
    const QByteArray u = url.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, u.constData());
    curltls::Apply(curl);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSec);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTotalTimeoutSec);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errBuf);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, body);
    const CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    {
        if (m_curlLock)
            m_curlLock->lockForWrite();
        curl_easy_cleanup(curl);
        if (m_curlLock)
            m_curlLock->unlock();
    }
    if (rc != CURLE_OK) {
        *error = QString("download of %1 failed: %2").arg(url, QString::fromStdString(curltls::Describe(rc, errBuf)));
        return false;
    }
    if (status < 200 || status >= 300) {
        *error = QString("download of %1 failed: HTTP %2").arg(url).arg(status);
        return false;
    }
    return true;
}
