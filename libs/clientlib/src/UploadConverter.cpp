// Conversion of uploaded documents into page images: the upload is fetched
// from the upload server (libcurl, handles made under the program's lock) or
// read from the local file it was made from; a picture becomes its own
// single page, any other document plain generated pages.
#include "libs/clientlib/src/ClientLibImpl.h"

#include "common/CurlTls.h"

#include <curl/curl.h>

#include <QDir>
#include <QFile>
#include <QImage>

namespace clientlib {
namespace {

size_t appendBody(char* data, size_t size, size_t count, void* user)
{
    static_cast<QByteArray*>(user)->append(data, int(size * count));
    return size * count;
}

// Ends a download when the library is being released.
int keepGoing(void* closing, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<std::atomic<bool>*>(closing)->load() ? 1 : 0;
}

bool isPicture(const QString& ext)
{
    static const QStringList pics = {"png", "jpg", "jpeg", "bmp", "gif"};
    return pics.contains(ext.toLower());
}

}  // namespace

bool ClientLibImpl::fetch(const QString& url, QByteArray* body, QString* error)
{
    CURL* h = nullptr;
    {
        std::unique_ptr<QWriteLocker> guard(m_cfg.curlLock ? new QWriteLocker(m_cfg.curlLock) : nullptr);
        h = curl_easy_init();
    }
    if (!h) {
        *error = QStringLiteral("curl_easy_init failed");
        return false;
    }
    const QByteArray u = url.toUtf8();
    curl_easy_setopt(h, CURLOPT_URL, u.constData());
    curltls::Apply(h);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 5L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &appendBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, body);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &keepGoing);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &m_closing);
    const CURLcode rc = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    {
        std::unique_ptr<QWriteLocker> guard(m_cfg.curlLock ? new QWriteLocker(m_cfg.curlLock) : nullptr);
        curl_easy_cleanup(h);
    }
    if (rc != CURLE_OK) {
        *error = QStringLiteral("download of %1 failed: %2").arg(url, QString::fromStdString(curltls::Describe(rc)));
        return false;
    }
    if (status != 200) {
        *error = QStringLiteral("download of %1 answered HTTP %2").arg(url).arg(status);
        return false;
    }
    return true;
}

QString ClientLibImpl::convertUpload(const DiskEntry& doc, const QString& source, int* pages, QString* error)
{
    QByteArray bytes;
    if (source.startsWith(QLatin1String("http://")) || source.startsWith(QLatin1String("https://"))) {
        if (!fetch(source, &bytes, error)) return QString();
    } else if (!source.isEmpty()) {
        QFile f(source);
        if (!f.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1: %2").arg(source, f.errorString());
            return QString();
        }
        bytes = f.readAll();
    }
    if (!isPicture(doc.extName)) {
        DiskEntry plain = doc;
        plain.pageNum = qMax(1, doc.pageNum);
        *pages = plain.pageNum;
        const QString url = pageUrl(plain);
        if (url.isEmpty()) *error = QStringLiteral("the pages could not be written");
        return url;
    }
    // A picture is its own one page.
    const QImage img = QImage::fromData(bytes);
    if (img.isNull()) {
        *error = QStringLiteral("%1 is not a readable picture").arg(doc.name);
        return QString();
    }
    QString base = m_cfg.appData.isEmpty() ? QDir::tempPath() : m_cfg.appData;
    const QString dir = QStringLiteral("%1/clientlib/pages/%2").arg(base, doc.guid);
    std::lock_guard<std::mutex> lk(m_pageLock);
    if (!QDir().mkpath(dir) || !img.save(dir + QStringLiteral("/page_0001.png"), "PNG")) {
        *error = QStringLiteral("cannot write the page of %1 into %2").arg(doc.name, dir);
        return QString();
    }
    *pages = 1;
    return dir + QStringLiteral("/page_xxxx.png");
}

}  // namespace clientlib
