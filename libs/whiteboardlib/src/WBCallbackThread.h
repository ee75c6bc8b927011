// The library's own thread: every answer to the program is delivered from
// here, and slow work (loading page images and pictures) runs here too.
//
// Work posted from the GUI thread (the thread that made the library) first
// passes through that thread's event queue: an answer thus never arrives
// before the operation that caused it has returned, and answers keep the
// order of the operations. Work posted from the library thread runs in order
// after what is already queued there.
#pragma once

#include "WhiteBoardLib.h"

#include <QObject>
#include <QThread>
#include <QVariantMap>

#include <atomic>
#include <functional>

class WBCallbackThread
{
public:
    explicit WBCallbackThread(WBLibCallbackFunc callback);
    ~WBCallbackThread(); // stop()

    // Queue one answer; it is delivered after the caller returned. Any thread.
    void post(WBRs code, const QVariantMap& payload);
    // Queue one log line (code 0, "log"). Any thread.
    void log(const QString& text);
    // Run a job on the library thread. Any thread.
    void run(std::function<void()> job);
    // After stop() nothing more is delivered or run; waits for a running job.
    void stop();

    bool isLibraryThread() const { return QThread::currentThread() == &m_thread; }

private:
    void runHere(const std::function<void()>& job);

    WBLibCallbackFunc m_callback; // set once in the constructor
    QThread m_thread;             // started in the constructor, stopped by stop()
    QObject* m_context;           // lives on m_thread; deleted by stop()
    QObject* m_relay;             // lives on the creating (GUI) thread; deleted by stop()
    std::atomic<bool> m_stopped{false}; // atomic: set by stop(), read by any thread
};
