#include "app/UpdateChecker.h"

#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "app/Logger.h"
#include "common/update/UpdateCheck.h"
#include "common/update/UpdateAddress.h"
#include "app/UpdateMessage.h"
#include "common/VersionOrder.h"

// Turns the shared check's events into the main program's reports.
class AppCheckObserver : public update::CheckObserver {
public:
    explicit AppCheckObserver(UpdateChecker& checker) : m_checker(checker) {}

    void scanningFolder(const std::string& folder) override { m_checker.post(0, new UpdateMessage{L"", folder}); }
    void versionRequestFailed(const update::HttpTransfer::Result& r) override
    {
        m_checker.post(2, new UpdateMessage{L"cannot get remote version code " + std::to_wstring(r.status), ""});
    }
    void versionReplyMalformed(size_t bodySize) override
    {
        m_checker.post(2, new UpdateMessage{L"parse remote version failed res size " + std::to_wstring(bodySize), ""});
    }
    void remoteVersion(const std::string& latest, const std::string& minimum) override
    {
        {
            std::lock_guard<std::mutex> g(m_checker.m_lock);
            m_checker.m_latestVersion = latest;
            m_checker.m_minimumVersion = minimum;
        }
        m_checker.post(1, new UpdateMessage{L"", latest});
    }
    void localVersion(const std::string& version) override
    {
        std::lock_guard<std::mutex> g(m_checker.m_lock);
        m_checker.m_localVersion = version;
    }
    void manifestFailed(const update::HttpTransfer::Result&, size_t) override
    {
        m_checker.post(2, new UpdateMessage{L"cannot get latest version", ""});
    }
    void upToDate() override { m_checker.post(3, nullptr); }
    void updateAvailable() override { m_checker.post(4, nullptr); }
    void log(const std::string& line) override
    {
        Logger::instance()->Log(LOG_INFO, "UpdateChecker::CheckThread", "%s", line.c_str());
    }

private:
    UpdateChecker& m_checker;
};

UpdateChecker::UpdateChecker(std::string programFolder) : m_programFolder(std::move(programFolder))
{
    const update::UpdateSettings settings = update::ReadUpdateSettings();
    m_updateUrl = settings.updateUrl;
    m_appName = settings.appName;
}

UpdateChecker::~UpdateChecker()
{
    m_cancel = true;
    Wait();
}

void UpdateChecker::SetPoster(Poster poster) { m_poster = std::move(poster); }

bool UpdateChecker::Start()
{
    std::lock_guard<std::mutex> g(m_threadLock);
    if (m_running)
        return false;
    if (m_thread.joinable())
        m_thread.join();  // a finished check
    m_running = true;
    m_thread = std::thread([this] { CheckThread(); });
    return true;
}

void UpdateChecker::Wait()
{
    std::lock_guard<std::mutex> g(m_threadLock);
    if (m_thread.joinable())
        m_thread.join();
}

void UpdateChecker::post(int kind, UpdateMessage* record)
{
    if (m_poster)
        m_poster(kind, record);
    else
        delete record;
}

void UpdateChecker::CheckThread()
{
    update::CheckSettings s;
    s.updateUrl = m_updateUrl;
    s.appName = m_appName;
    s.installFolder = m_programFolder;
    s.localManifestPath = datafolder::path() + "/ver";
    s.cancel = &m_cancel;
    AppCheckObserver observer(*this);
    update::runUpdateCheck(s, observer);
    m_running = false;
}

bool UpdateChecker::HasRemoteVersion() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return !m_latestVersion.empty();
}

bool UpdateChecker::HasNewVersion() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return version::compare(m_localVersion, m_latestVersion) < 0;
}

bool UpdateChecker::MustUpdate() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return version::compare(m_localVersion, m_minimumVersion) < 0;
}
