#include "app/CurlHandleGuard.h"

#include <QWriteLocker>

CurlHandleGuard* CurlHandleGuard::instance()
{
    // Global libcurl set-up happens once, before the first handle exists.
    static CurlHandleGuard guard;
    return &guard;
}

CurlHandleGuard::CurlHandleGuard()
    : m_lock(new QReadWriteLock(QReadWriteLock::NonRecursive))
{
    curl_global_init(CURL_GLOBAL_ALL);
}

CurlHandleGuard::~CurlHandleGuard()
{
    // The lock outlives every user: the guard is destroyed at program exit
    // only, when no transfer may still run. It is deliberately not freed, as
    // the client library may hold its address until its own teardown.
}

CURL* CurlHandleGuard::Init()
{
    QWriteLocker locker(m_lock);
    return curl_easy_init();
}

void CurlHandleGuard::Cleanup(CURL* handle)
{
    if (!handle)
        return;
    QWriteLocker locker(m_lock);
    curl_easy_cleanup(handle);
}
