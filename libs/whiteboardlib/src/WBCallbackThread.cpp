#include "libs/whiteboardlib/src/WBCallbackThread.h"

#include <QMetaObject>

WBCallbackThread::WBCallbackThread(WBLibCallbackFunc callback)
    : m_callback(callback), m_context(new QObject), m_relay(new QObject)
{
    m_thread.setObjectName("whiteboard");
    m_context->moveToThread(&m_thread);
    m_thread.start();
}

WBCallbackThread::~WBCallbackThread()
{
    stop();
}

void WBCallbackThread::post(WBRs code, const QVariantMap& payload)
{
    run([this, code, payload] {
        if (m_callback)
            m_callback(code, QVariant(payload));
    });
}

void WBCallbackThread::log(const QString& text)
{
    QVariantMap m;
    m["log"] = QString("[whiteboard] ") + text;
    post(RsWB_Log, m);
}

void WBCallbackThread::run(std::function<void()> job)
{
    if (m_stopped)
        return;
    if (!isLibraryThread() && QThread::currentThread() == m_relay->thread()) {
        QMetaObject::invokeMethod(m_relay, [this, job] {
            if (!m_stopped)
                runHere(job);
        }, Qt::QueuedConnection);
        return;
    }
    runHere(job);
}

void WBCallbackThread::runHere(const std::function<void()>& job)
{
    QMetaObject::invokeMethod(m_context, [this, job] {
        if (!m_stopped)
            job();
    }, Qt::QueuedConnection);
}

void WBCallbackThread::stop()
{
    if (m_stopped.exchange(true))
        return;
    m_thread.quit();
    m_thread.wait();
    delete m_context;
    m_context = nullptr;
    delete m_relay;
    m_relay = nullptr;
}
