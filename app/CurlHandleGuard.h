#pragma once
// The one lock around the creation and clean-up of libcurl easy handles.
// Every easy handle of the program is made and cleaned up through it, and
// the same lock (GetLock) is handed to the client library as "curlLocker",
// so that the library serialises its own handle work with ours. Transfers
// themselves run in parallel; only init and cleanup are serialised.
#include <QReadWriteLock>

#include <curl/curl.h>

class CurlHandleGuard {
public:
    // The process-wide guard, made on first use (thread-safe).
    static CurlHandleGuard* instance();

    // curl_easy_init under the write lock; null on failure.
    CURL* Init();
    // curl_easy_cleanup under the write lock; a null handle is ignored.
    void Cleanup(CURL* handle);
    // The lock itself; its address travels as "curlLocker". Never replaced.
    QReadWriteLock* GetLock() const { return m_lock; }

    CurlHandleGuard(const CurlHandleGuard&) = delete;
    CurlHandleGuard& operator=(const CurlHandleGuard&) = delete;

private:
    CurlHandleGuard();
    ~CurlHandleGuard();

    QReadWriteLock* m_lock;  // made by the constructor, never replaced; not recursive
};
