#pragma once
// One update check, shared by the updater and the main program: ask the
// server for the latest version, read the local manifest "ver" (or scan and
// hash the installation when there is none), compare the versions in numeric
// order and, when the installation is older, fetch the latest manifest and
// list the files to download. Each program turns the observer's calls into its
// own reports.
#include "common/update/HttpTransfer.h"
#include "common/update/UpdateManifest.h"

#include <atomic>
#include <string>
#include <vector>

namespace update {

class CheckObserver {
public:
    virtual ~CheckObserver() = default;
    virtual void scanningFolder(const std::string& folder) = 0;
    // The version request failed (no reply, or a status other than 200).
    virtual void versionRequestFailed(const HttpTransfer::Result& result) = 0;
    // A 200 reply without string "latest-version" and "minimum-required".
    virtual void versionReplyMalformed(size_t bodySize) = 0;
    virtual void remoteVersion(const std::string& latest, const std::string& minimum) = 0;
    // The installed version ("" without a local manifest), known before upToDate() or updateAvailable().
    virtual void localVersion(const std::string&) {}
    // The manifest request failed, or its 200 reply is not a well-formed
    // manifest (see checkManifest).
    virtual void manifestFailed(const HttpTransfer::Result& result, size_t bodySize) = 0;
    virtual void upToDate() = 0;
    virtual void updateAvailable() = 0;
    virtual void log(const std::string& line) = 0;
};

struct CheckSettings {
    std::string updateUrl;          // base URL of the update server
    std::string appName;            // product name in the server paths
    std::string installFolder;      // scanned when there is no local manifest
    std::string localManifestPath;  // the data folder + "/ver"
    TransferLimits limits;
    const std::atomic<bool>* cancel = nullptr;
};

struct CheckResult {
    enum Outcome { Failed, UpToDate, UpdateAvailable };
    Outcome outcome = Failed;
    bool gotRemoteVersion = false;
    std::string localVersion;    // "version" of "ver" + ".json"; empty without one
    std::string latestVersion;   // "latest-version" of the reply
    std::string minimumVersion;  // "minimum-required" of the reply
    std::string manifestBody;    // the latest manifest exactly as received
    std::vector<FileEntry> downloads;
    FileMap localOnly;
};

CheckResult runUpdateCheck(const CheckSettings& settings, CheckObserver& observer);

// The installation's files, scanned and hashed: keys are relative paths with
// "\" between folders (the manifest's form). Folders whose name begins with
// "log" are skipped, as are links to folders.
void scanFolder(const std::string& installFolder, const std::string& folder, CheckObserver& observer,
                FileMap& files);

}  // namespace update
