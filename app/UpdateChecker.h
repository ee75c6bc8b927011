#pragma once
// The main program's background update check: one check at a time on a
// thread of its own. It reports only through the poster (kinds 0 to 4 of the
// update message); the version answers are read by the GUI under m_lock.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct UpdateMessage;

class UpdateChecker {
public:
    // Called on the check thread; the record (or null) becomes the callee's.
    using Poster = std::function<void(int kind, UpdateMessage* record)>;

    // programFolder: the installed program's folder; the settings are read here.
    explicit UpdateChecker(std::string programFolder);
    // Ends a running check's transfer early and waits for its thread.
    ~UpdateChecker();
    UpdateChecker(const UpdateChecker&) = delete;
    UpdateChecker& operator=(const UpdateChecker&) = delete;

    void SetPoster(Poster poster);
    // Starts one check; false (and nothing started) while a check runs.
    bool Start();
    bool IsRunning() const { return m_running; }
    void Wait();

    bool HasRemoteVersion() const;  // a version reply has been read
    bool HasNewVersion() const;     // the installed version is older than the latest
    bool MustUpdate() const;        // the installed version is older than the minimum required

    const std::string& updateUrl() const { return m_updateUrl; }
    const std::string& appName() const { return m_appName; }

private:
    friend class AppCheckObserver;
    void CheckThread();
    void post(int kind, UpdateMessage* record);

    // Set by the constructor, then read-only.
    std::string m_programFolder;
    std::string m_updateUrl;
    std::string m_appName;

    Poster m_poster;  // set before the first Start(); called on the check thread

    mutable std::mutex m_lock;     // guards the three versions
    std::string m_localVersion;    // guarded by m_lock
    std::string m_latestVersion;   // guarded by m_lock
    std::string m_minimumVersion;  // guarded by m_lock

    std::mutex m_threadLock;             // guards m_thread
    std::thread m_thread;                // guarded by m_threadLock
    std::atomic<bool> m_running{false};  // a check thread runs
    std::atomic<bool> m_cancel{false};   // set by the destructor
};
