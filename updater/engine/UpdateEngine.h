#pragma once
// The updater's engine: the three stages the window runs one after another,
// each on the engine's worker thread, each reporting only through
// IUpdateProgress (the window turns the reports into its progress message):
//   check    -> kinds 0 to 4     (StartCheck)
//   download -> kinds 5, 6, 7, 8, 16  (StartDownload, on kind 4)
//   install  -> kinds 8 to 12    (StartInstall, on kind 6)
// Every stage ends in exactly one final report: 2, 3 or 4; 6, 7 or 8;
// 8, 11 or 12. "ver" is written only after every file is in place, and kind
// 12 follows it.
#include "common/update/HttpTransfer.h"
#include "common/update/UpdateManifest.h"
#include "updater/engine/DownloadVerifier.h"
#include "updater/engine/StagedInstall.h"
#include "updater/engine/UpdateProgress.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace update {

class UpdateEngine {
public:
    struct Options {
        std::string installFolder;  // default: the folder of the running executable
        std::string tempBase;       // default: $TMPDIR, else /tmp
        TransferLimits limits;
        // How the installation moves each new file into place (default: rename(2)).
        StagedInstall::RenameFn renameFile;
    };

    static constexpr size_t kDownloadBuffer = 4u << 20;

    UpdateEngine();
    explicit UpdateEngine(Options options);
    // Waits for a running stage (an installation always finishes), then
    // removes the temporary folder.
    ~UpdateEngine();
    UpdateEngine(const UpdateEngine&) = delete;
    UpdateEngine& operator=(const UpdateEngine&) = delete;

    // The receiver of the reports; set before the first stage starts. Its
    // post() only hands the report on: it must not start or wait for a stage.
    void SetReceiver(IUpdateProgress* receiver) { m_receiver = receiver; }

    // Start a stage on the worker thread after the previous one has ended.
    // False when called from the worker itself.
    bool StartCheck();
    bool StartDownload();
    bool StartInstall();
    // Waits until the running stage has ended.
    void Wait();
    // Asks a running check or download to stop its transfer soon (closing).
    void Cancel() { m_cancel = true; }

    // The stages themselves, run on the calling thread.
    int CheckThread();     // 0 after the file comparison, -1 otherwise
    int DownloadThread();  // makes the private temporary folder, then DownloadFiles
    int InstallThread();   // InstallFiles from that folder
    int DownloadFiles(const std::string& tempFolder);
    int InstallFiles(const std::string& tempFolder);

    // The configured manual download page ("DownloadURL"), read when asked;
    // empty unless it is an http or https address.
    std::string GetDownloadUrl() const;

    // Read after the stage that filled them has ended (Wait()).
    const std::string& installFolder() const { return m_installFolder; }
    const std::string& updateUrl() const { return m_updateUrl; }
    const std::string& appName() const { return m_appName; }
    const std::string& localVersion() const { return m_localVersion; }
    const std::string& latestVersion() const { return m_latestVersion; }
    const std::vector<FileEntry>& downloadList() const { return m_downloads; }
    const std::string& tempFolder() const { return m_tempFolder; }

    // The folder of the running executable.
    static std::string executableFolder();
    static std::string defaultUpdateUrl();

private:
    friend class EngineCheckObserver;
    void post(int kind, std::unique_ptr<UpdateProgress> record = nullptr);
    void log(const std::string& line);
    // Runs stage on the worker; an exception ends it with failureKind.
    bool startStage(int (UpdateEngine::*stage)(), int failureKind);
    bool verifyDownloads(const std::string& tempFolder);
    // Nothing is retried: the downloads go once the stage that needs them
    // has failed or the installation has ended (the staging folder is no
    // longer left in the installation).
    void removeTempFolder();
    struct InstallReport {
        int kind;           // 9 or 10
        std::string text;   // relative path (9) or full path of the unpacked file (10)
        std::string entry;  // the manifest path the file belongs to
    };
    bool placeArchive(StagedInstall& staged, const FileEntry& entry, const std::string& archive,
                      std::vector<InstallReport>& reports);

    // Set by the constructor, then read-only.
    std::string m_installFolder;
    std::string m_tempBase;
    TransferLimits m_limits;
    StagedInstall::RenameFn m_renameFile;
    std::string m_updateUrl;  // "UpdateUrl" of config.ini
    std::string m_appName;    // "AppName" of config.ini

    IUpdateProgress* m_receiver = nullptr;  // set before the first stage; called on the worker thread

    // Worker thread only while a stage runs (stages run one at a time; the
    // window starts the next only after the previous one's final report).
    std::string m_manifestBody;
    std::string m_localVersion;
    std::string m_latestVersion;
    std::string m_minimumVersion;
    std::vector<FileEntry> m_downloads;
    // Made by the download stage: a staging folder inside the installation
    // (the downloads are then staged without a copy), else a private folder
    // under the temporary base.
    std::string m_tempFolder;
    // The downloads the download stage has already checked by size and SHA-1.
    DownloadVerifier::Checked m_checked;

    std::mutex m_workerLock;    // guards m_worker (starting, joining)
    std::thread m_worker;       // guarded by m_workerLock
    std::atomic<bool> m_cancel{false};
};

// The stage procedures under the names the window uses.
int CheckThread(UpdateEngine* engine);
int DownloadThread(UpdateEngine* engine);
int InstallThread(UpdateEngine* engine);
bool StartDownloadThread(UpdateEngine* engine);
bool StartInstallThread(UpdateEngine* engine);

}  // namespace update
