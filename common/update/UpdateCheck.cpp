#include "common/update/UpdateCheck.h"

#include "common/Sha1.h"
#include "common/VersionOrder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

namespace update {

void scanFolder(const std::string& installFolder, const std::string& folder, CheckObserver& observer,
                FileMap& files)
{
    observer.scanningFolder(folder);
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        observer.log("cannot list folder " + folder);
        return;
    }
    std::vector<std::string> names;
    while (dirent* d = readdir(dir))
        names.emplace_back(d->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (name == "." || name == "..")
            continue;
        const std::string full = folder + "/" + name;
        struct stat st;
        if (lstat(full.c_str(), &st) != 0)
            continue;
        if (S_ISLNK(st.st_mode) && stat(full.c_str(), &st) != 0)
            continue;  // dangling link
        if (S_ISDIR(st.st_mode)) {
            struct stat lst;
            if (name.compare(0, 3, "log") == 0 || (lstat(full.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)))
                continue;
            scanFolder(installFolder, full, observer, files);
        } else if (S_ISREG(st.st_mode)) {
            FileEntry e;
            e.fullPath = full;
            e.path = full.substr(installFolder.size() + 1);
            std::replace(e.path.begin(), e.path.end(), '/', '\\');
            e.size = static_cast<int32_t>(st.st_size);
            // An unreadable file gets no digest and so never counts as current.
            e.digest = sha1::ofFile(full);
            files.emplace(e.path, std::move(e));
        }
    }
}

namespace {

constexpr size_t kMaxVersionReply = 64u << 10;
constexpr size_t kMaxManifest = 64u << 20;

bool getRemoteVersion(const CheckSettings& s, HttpTransfer& http, CheckObserver& observer, CheckResult& result)
{
    std::string body;
    HttpTransfer::Result r = http.get(s.updateUrl + "/version/" + s.appName, body, kMaxVersionReply);
    if (!r.ok()) {
        observer.log("version request failed: " + r.error);
        observer.versionRequestFailed(r);
        return false;
    }
    VersionReply reply = parseVersionReply(body);
    if (!reply.valid) {
        observer.log("version reply is not {\"latest-version\": string, \"minimum-required\": string}: " +
                     body.substr(0, 200));
        observer.versionReplyMalformed(body.size());
        return false;
    }
    result.gotRemoteVersion = true;
    result.latestVersion = reply.latest;
    result.minimumVersion = reply.minimum;
    observer.log("remote version " + reply.latest + ", minimum " + reply.minimum);
    observer.remoteVersion(reply.latest, reply.minimum);
    return true;
}

bool getLatestManifest(const CheckSettings& s, HttpTransfer& http, CheckObserver& observer, json& manifest,
                       CheckResult& result)
{
    std::string body;
    HttpTransfer::Result r = http.get(s.updateUrl + "/latest/" + s.appName, body, kMaxManifest);
    if (!r.ok()) {
        observer.log("manifest request failed: " + r.error);
        observer.manifestFailed(r, body.size());
        return false;
    }
    manifest = parseJson(body);
    std::string why;
    if (!checkManifest(manifest, s.installFolder, why)) {
        // Nothing of a malformed manifest is used, nor stored as "ver".
        observer.log("manifest refused (" + std::to_string(body.size()) + " bytes): " + why);
        observer.manifestFailed(r, body.size());
        return false;
    }
    result.manifestBody = std::move(body);
    return true;
}

}  // namespace

CheckResult runUpdateCheck(const CheckSettings& s, CheckObserver& observer)
{
    CheckResult result;
    HttpTransfer http(s.limits, s.cancel);
    if (!getRemoteVersion(s, http, observer, result))
        return result;

    FileMap localFiles;
    if (!readLocalManifest(s.localManifestPath, s.installFolder, result.localVersion, localFiles))
        scanFolder(s.installFolder, s.installFolder, observer, localFiles);
    observer.localVersion(result.localVersion);

    if (version::compare(result.localVersion, result.latestVersion) >= 0) {
        observer.log("installed version " + result.localVersion + " is current");
        result.outcome = CheckResult::UpToDate;
        observer.upToDate();
        return result;
    }

    json manifest;
    if (!getLatestManifest(s, http, observer, manifest, result))
        return result;
    Comparison c = compareFiles(manifestFiles(manifest, s.installFolder), std::move(localFiles));
    for (const FileEntry& e : c.downloads)
        observer.log("file " + e.path + " is new or changed");
    result.downloads = std::move(c.downloads);
    result.localOnly = std::move(c.localOnly);
    if (!result.downloads.empty() || !result.localOnly.empty()) {
        result.outcome = CheckResult::UpdateAvailable;
        observer.updateAvailable();
    } else {
        result.outcome = CheckResult::UpToDate;
        observer.upToDate();
    }
    return result;
}

}  // namespace update
