#include "app/DownThread.h"

#include "common/CurlTls.h"

#include "app/CurlHandleGuard.h"
#include "app/CurlOptions.h"
#include "app/Logger.h"
#include "app/PubUtils.h"

#include <QFile>
#include <QTemporaryFile>
#include <QThread>
#include <QThreadPool>

#include <curl/curl.h>

#include <cstdio>

#include <memory>

namespace {

bool beginsWith(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
}

}  // namespace

DownThread::DownThread(std::string url_, int type_, bool useCacheFile)
    : type(type_), url(std::move(url_))
{
    setAutoDelete(false);
    if (useCacheFile)
        localPath = PubUtils::GetUrlLocalFile(url);
}

DownThread::~DownThread()
{
    delete cacheFile;
}

void DownThread::Start(QThreadPool* pool)
{
    if (url.empty()) {
        emit finish(this);
        return;
    }
    (pool ? pool : QThreadPool::globalInstance())->start(this, 0);
}

void DownThread::run()
{
    if (!url.empty() && beginsWith(url, "http")) {
        while (!doDown()) {
            ++tries;
            if (tries >= maxTries)
                break;
            QThread::msleep(static_cast<unsigned long>(retryDelayMs > 0 ? retryDelayMs : 0));
            if (!localPath.empty() && timeoutSec != 0)
                timeoutSec += 10;
        }
        // A download that never succeeded leaves no cache file to read.
        if (!succeeded)
            localPath.clear();
    } else {
        localPath.clear();
    }
    emit finish(this);
}

size_t DownThread::onWrite(char* ptr, size_t size, size_t nmemb, void* self)
{
    auto* me = static_cast<DownThread*>(self);
    const size_t len = size * nmemb;
    me->received += len;
    if (me->cacheFile) {
        // Straight into the cache file: memory stays flat whatever the size.
        if (me->cacheFile->write(ptr, qint64(len)) != qint64(len))
            return 0;  // a short write aborts the transfer (disk full, say)
        return len;
    }
    // A body held in memory is a document (configuration, lists): one that
    // outgrows the cap aborts the transfer as a failure instead of growing
    // without bound.
    if (me->data.size() + len > kMemoryCap)
        return 0;
    me->data.append(ptr, len);
    return len;
}

QString DownThread::GetData() const
{
    if (!data.empty() || !succeeded || localPath.empty())
        return QString::fromStdString(data);
    // The body went to the cache file; read it back when it is of a size
    // that callers handle in memory.
    QFile file(QString::fromStdString(localPath));
    if (file.size() > qint64(kMemoryCap) || !file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

bool DownThread::doDown()
{
    static const char* const func = "DownThread::doDown";
    data.clear();
    received = 0;
    succeeded = false;
    httpStatus = 0;

    CURL* handle = CurlHandleGuard::instance()->Init();
    if (!handle) {
        Logger::instance()->Log(LOG_WARN, func, "curl_easy_init null");
        return false;
    }

    // The cache file is written beside its final name and renamed into place
    // only when the whole body arrived with a success status.
    if (!localPath.empty()) {
        cacheFile = new QTemporaryFile(QString::fromStdString(localPath) + ".XXXXXX.part");
        if (!cacheFile->open()) {
            Logger::instance()->Log(LOG_WARN, func, "QFile open %s error: %s", localPath.c_str(),
                                    cacheFile->errorString().toUtf8().constData());
            delete cacheFile;
            cacheFile = nullptr;
            localPath.clear();
        }
    }

    curl_slist* headers = curl_slist_append(nullptr, "User-Agent: mac client curl");
    if (!contentType.empty())
        headers = curl_slist_append(headers, ("Content-Type: " + contentType).c_str());
    char errorBuffer[CURL_ERROR_SIZE] = {0};

    curlopts::TransferLimits limits;
    limits.connectSec = connectTimeoutSec;
    limits.lowSpeedSec = lowSpeedTimeSec;
    limits.lowSpeedBytes = 1;
    curlopts::SetHttpOptions(handle, url, limits, /*followRedirects=*/true, /*maxRedirects=*/5);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, 256L * 1024);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &DownThread::onWrite);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
    if (timeoutSec != 0)
        curl_easy_setopt(handle, CURLOPT_TIMEOUT, long(timeoutSec));
    if (!postData.empty()) {
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, long(postData.size()));
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, postData.data());
    }

    CURLcode code = curl_easy_perform(handle);
    curl_slist_free_all(headers);
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &httpStatus);
    CurlHandleGuard::instance()->Cleanup(handle);

    const bool gotBody = received > 0;
    if (code != CURLE_OK) {
        Logger::instance()->Log(LOG_WARN, func, "http down %s error %s, times %d", url.c_str(),
                                curltls::Describe(code, errorBuffer).c_str(), tries);
    } else if (httpStatus >= 400) {
        Logger::instance()->Log(LOG_WARN, func, "http down %s error HTTP %ld, times %d", url.c_str(), httpStatus,
                                tries);
    } else if (!gotBody) {
        Logger::instance()->Log(LOG_WARN, func, "http down %s error empty body, times %d", url.c_str(), tries);
    } else {
        succeeded = true;
    }

    if (cacheFile) {
        // A failed try's temporary file is removed with the object, so
        // nothing of it reaches the cache.
        if (succeeded && !commitCacheFile()) {
            Logger::instance()->Log(LOG_WARN, func, "QFile write %s error: %s", localPath.c_str(),
                                    cacheFile->errorString().toUtf8().constData());
            localPath.clear();
        }
        delete cacheFile;
        cacheFile = nullptr;
    }
    if (!succeeded)
        data.clear();
    return succeeded;
}

bool DownThread::commitCacheFile()
{
    if (!cacheFile->flush())
        return false;
    cacheFile->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                              | QFileDevice::ReadOther);
    // rename() replaces an existing file in one step: a reader sees the old
    // file or the new one, never a part, and parallel downloads of one URL
    // each put a whole file in place.
    const QByteArray from = QFile::encodeName(cacheFile->fileName());
    if (::rename(from.constData(), localPath.c_str()) != 0)
        return false;
    cacheFile->setAutoRemove(false);
    return true;
}

bool DownThread::HasCacheFile(std::string url, std::string& localPath)
{
    localPath = PubUtils::GetUrlLocalFile(url);
    return !localPath.empty() && QFile::exists(QString::fromStdString(localPath));
}

QPixmap DownThread::GetLoadPixmap(std::string pathOrUrl)
{
    static const char* const func = "DownThread::GetLoadPixmap";
    std::string path = pathOrUrl;
    if (beginsWith(pathOrUrl, "http"))
        path = PubUtils::GetUrlLocalFile(pathOrUrl);
    const QString qpath = QString::fromStdString(path);
    if (path.empty() || !QFile::exists(qpath))
        return QPixmap();
    QFile file(qpath);
    if (!file.open(QIODevice::ReadOnly)) {
        Logger::instance()->Log(LOG_WARN, func, "QFile open %s error: %s", path.c_str(),
                                file.errorString().toUtf8().constData());
        return QPixmap();
    }
    QPixmap pixmap;
    if (!pixmap.loadFromData(file.readAll()))
        Logger::instance()->Log(LOG_INFO, func, "pixmap loadFromData failed %s", path.c_str());
    return pixmap;
}
