#pragma once
// One HTTP download on a pool thread, reported by the signal finish. The body
// is collected in memory or, when asked, streamed to a cache file named from
// the whole URL (PubUtils::GetUrlLocalFile), so that later displays can load
// the picture without a download.
//
// The program starts it for a receiver through WorkerLifetime: the receiver
// reads the results in its slot, and the object frees itself afterwards
// (also when the receiver is gone). An owner that holds the object itself
// (tests, benchmarks) connects finish and starts it once. Only http and https URLs are fetched; every
// transfer has connect and low-speed time-outs, so a stalled server cannot
// hold a pool thread for ever. Error replies (HTTP 400 and above) and empty
// bodies count as failures and never reach the cache; a cache file is
// written under a temporary name and renamed into place when complete.
#include <QObject>
#include <QPixmap>
#include <QRunnable>
#include <QString>

#include <string>

class QThreadPool;
class QTemporaryFile;

class DownThread : public QObject, public QRunnable {
    Q_OBJECT
public:
    DownThread(std::string url, int type, bool useCacheFile);
    ~DownThread() override;

    // An empty URL emits finish at once on the caller's thread; otherwise
    // the job runs on pool (the global pool when null) with priority 0.
    void Start(QThreadPool* pool = nullptr);

    QString GetUrl() const { return QString::fromStdString(url); }
    // The cache file, or empty when none was written.
    QString GetLocalFile() const { return QString::fromStdString(localPath); }
    // The body of the last try; empty when the download failed. A body
    // that went to the cache file is read back from it (empty above
    // kMemoryCap).
    QString GetData() const;
    // Whether the last try fetched a body with a success status.
    bool Succeeded() const { return succeeded; }
    // The HTTP status of the last try; 0 when none was received.
    long HttpStatus() const { return httpStatus; }

    // localPath := the cache file of url; whether it exists.
    static bool HasCacheFile(std::string url, std::string& localPath);
    // A picture from a local file, or from the cache file of a URL.
    static QPixmap GetLoadPixmap(std::string pathOrUrl);

    // The largest cache file GetData reads back into memory.
    static constexpr size_t kMemoryCap = 8u << 20;

    // Settings a caller may change between construction and Start (set on
    // the caller's thread before Start, read by the pool thread after).
    std::string contentType;     // sent as "Content-Type: " when not empty
    std::string postData;        // the POST body when not empty
    int timeoutSec = 0;          // whole-transfer time-out; 0 = none
    int maxTries = 1;            // tries allowed (1: no retry)
    int connectTimeoutSec = 15;  // connect time-out
    int lowSpeedTimeSec = 30;    // abort after this long below 1 byte/s
    int retryDelayMs = 3000;     // pause between tries

    // Results and state: written by the pool thread, read by the receiver
    // after finish.
    int tries = 0;               // failed tries so far
    int type;                    // the caller's number, handed back unchanged
    std::string data;            // the response body of the last try, when not going to a cache file
    std::string localPath;       // cache file; empty = memory only

signals:
    void finish(DownThread* pDown);

protected:
    void run() override;

private:
    bool doDown();
    bool commitCacheFile();
    static size_t onWrite(char* ptr, size_t size, size_t nmemb, void* self);

    std::string url;             // set by the constructor only
    bool succeeded = false;      // pool thread, read after finish
    long httpStatus = 0;         // pool thread, read after finish
    QTemporaryFile* cacheFile = nullptr;  // pool thread only, during one try
    size_t received = 0;         // body bytes of the current try; pool thread only
};
