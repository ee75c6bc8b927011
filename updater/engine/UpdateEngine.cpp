#include "updater/engine/UpdateEngine.h"

#include "common/update/UpdateAddress.h"

#include "common/DataFolder.h"
#include "common/update/HttpTransfer.h"
#include "common/IniFile.h"
#include "common/update/UpdateCheck.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <vector>

namespace update {

namespace {

constexpr const char* kSection = "VeltoraTea";

std::string trimSlashes(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

}  // namespace

// Turns the shared check's events into the updater's reports.
class EngineCheckObserver : public CheckObserver {
public:
    explicit EngineCheckObserver(UpdateEngine& engine) : m_engine(engine) {}
    void scanningFolder(const std::string& folder) override { m_engine.post(kScanFolder, narrowRecord(folder)); }
    void versionRequestFailed(const HttpTransfer::Result&) override
    {
        m_engine.post(kCheckFailed, textRecord(u"cannot get remote version"));
    }
    void versionReplyMalformed(size_t) override
    {
        m_engine.post(kCheckFailed, textRecord(u"无法获取远程服务器软件版本"));
    }
    void remoteVersion(const std::string& latest, const std::string&) override { m_engine.post(kRemoteVersion, narrowRecord(latest)); }
    void manifestFailed(const HttpTransfer::Result&, size_t) override
    {
        m_engine.post(kCheckFailed, textRecord(u"cannot get latest version"));
    }
    void upToDate() override { m_engine.post(kUpToDate); }
    void updateAvailable() override { m_engine.post(kUpdateAvailable); }
    void log(const std::string& line) override { m_engine.log(line); }

private:
    UpdateEngine& m_engine;
};

UpdateEngine::UpdateEngine() : UpdateEngine(Options()) {}

UpdateEngine::UpdateEngine(Options options)
    : m_installFolder(trimSlashes(options.installFolder.empty() ? executableFolder() : options.installFolder)),
      m_tempBase(options.tempBase),
      m_limits(options.limits),
      m_renameFile(std::move(options.renameFile))
{
    if (m_tempBase.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        m_tempBase = tmp && *tmp ? tmp : "/tmp";
    }
    const UpdateSettings settings = ReadUpdateSettings();
    m_updateUrl = settings.updateUrl;
    m_appName = settings.appName;
}

UpdateEngine::~UpdateEngine()
{
    Wait();
    removeTempFolder();
}

void UpdateEngine::removeTempFolder()
{
    if (m_tempFolder.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(m_tempFolder, ec);
    m_tempFolder.clear();
}

std::string UpdateEngine::executableFolder()
{
    char buffer[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        return ".";
    std::string path(buffer, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : (slash == 0 ? "/" : path.substr(0, slash));
}

std::string UpdateEngine::defaultUpdateUrl() { return DefaultUpdateUrl(); }

std::string UpdateEngine::GetDownloadUrl() const
{
    // Only an http or https page is ever opened.
    std::string url = IniFile(datafolder::settingsFile()).value(kSection, "DownloadURL", "", 1024);
    return HttpTransfer::allowedUrl(url) ? url : std::string();
}

void UpdateEngine::post(int kind, std::unique_ptr<UpdateProgress> record)
{
    // A stage's final report comes after its downloads have gone, so the
    // window never sees a staging folder left in the installation.
    if (kind == kDownloadFailed || kind == kVerifyFailed || kind == kInstallFailed || kind == kInstallComplete)
        removeTempFolder();
    if (m_receiver)
        m_receiver->post(kind, std::move(record));
}

void UpdateEngine::log(const std::string& line)
{
    if (m_receiver)
        m_receiver->log(line);
    else
        std::printf("%s\n", line.c_str());
}

bool UpdateEngine::startStage(int (UpdateEngine::*stage)(), int failureKind)
{
    std::lock_guard<std::mutex> guard(m_workerLock);
    if (m_worker.joinable()) {
        if (m_worker.get_id() == std::this_thread::get_id())
            return false;
        m_worker.join();
    }
    // A stage after a cancelled one runs (closing sets the flag again).
    m_cancel = false;
    m_worker = std::thread([this, stage, failureKind] {
        // However a stage ends, the window hears of it: an exception becomes
        // the stage's failure report.
        try {
            (this->*stage)();
        } catch (const std::exception& e) {
            log(std::string("stage ended by an error: ") + e.what());
            post(failureKind, narrowRecord(std::string()));
        } catch (...) {
            log("stage ended by an unknown error");
            post(failureKind, narrowRecord(std::string()));
        }
    });
    return true;
}

bool UpdateEngine::StartCheck() { return startStage(&UpdateEngine::CheckThread, kCheckFailed); }
bool UpdateEngine::StartDownload() { return startStage(&UpdateEngine::DownloadThread, kDownloadFailed); }
bool UpdateEngine::StartInstall() { return startStage(&UpdateEngine::InstallThread, kInstallFailed); }

void UpdateEngine::Wait()
{
    std::lock_guard<std::mutex> guard(m_workerLock);
    if (m_worker.joinable() && m_worker.get_id() != std::this_thread::get_id())
        m_worker.join();
}

int UpdateEngine::CheckThread()
{
    CheckSettings s;
    s.updateUrl = m_updateUrl;
    s.appName = m_appName;
    s.installFolder = m_installFolder;
    s.localManifestPath = datafolder::path() + "/ver";
    s.limits = m_limits;
    s.cancel = &m_cancel;
    EngineCheckObserver observer(*this);
    CheckResult r = runUpdateCheck(s, observer);
    m_localVersion = r.localVersion;
    m_latestVersion = r.latestVersion;
    m_minimumVersion = r.minimumVersion;
    m_manifestBody = std::move(r.manifestBody);
    m_downloads = std::move(r.downloads);
    return r.outcome == CheckResult::UpdateAvailable || (r.outcome == CheckResult::UpToDate && !m_manifestBody.empty())
               ? 0
               : -1;
}

int CheckThread(UpdateEngine* engine) { return engine->CheckThread(); }
int DownloadThread(UpdateEngine* engine) { return engine->DownloadThread(); }
int InstallThread(UpdateEngine* engine) { return engine->InstallThread(); }
bool StartDownloadThread(UpdateEngine* engine) { return engine->StartDownload(); }
bool StartInstallThread(UpdateEngine* engine) { return engine->StartInstall(); }

}  // namespace update
