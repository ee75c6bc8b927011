// The installation stage: every download is verified by size and SHA-1,
// every path and archive is checked, then the files are staged and renamed
// into place, "ver" is written, and only then is the installation reported
// complete. Any failure, one of the renames included, leaves the installation
// as it was.
#include "updater/engine/UpdateEngine.h"

#include "common/DataFolder.h"
#include "common/update/SafePath.h"
#include "common/Sha1.h"
#include "updater/engine/StagedInstall.h"
#include "updater/engine/ZipArchive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace update {

int UpdateEngine::InstallThread()
{
    InstallFiles(m_tempFolder);
    removeTempFolder();
    return 0;
}

bool UpdateEngine::verifyDownloads(const std::string& tempFolder)
{
    for (const FileEntry& e : m_downloads) {
        const std::string file = tempFolder + "/" + e.digest;
        struct stat st;
        if (e.digest.empty() || tempFolder.empty() || stat(file.c_str(), &st) != 0) {
            log("no verified download for " + e.path);
            post(kVerifyFailed, narrowRecord(e.path));
            return false;
        }
        if (st.st_size != e.size) {
            log("size of " + e.path + " is " + std::to_string(st.st_size) + ", expected " + std::to_string(e.size));
            post(kVerifyFailed, narrowRecord(e.path));
            return false;
        }
        if (!DownloadVerifier::stillChecked(m_checked, file) && !sha1::digestMatches(sha1::ofFile(file), e.digest)) {
            log("SHA-1 of " + e.path + " differs from " + e.digest);
            post(kVerifyFailed, narrowRecord(e.path));
            return false;
        }
        const bool pathOk = e.isArchive() ? !archiveFolder(m_installFolder, e).empty() : !e.fullPath.empty();
        if (!pathOk) {
            log("refused path " + e.path + ": it could lead outside the installation");
            post(kInstallFailed, narrowRecord(e.path));
            return false;
        }
    }
    return true;
}

bool UpdateEngine::placeArchive(StagedInstall& staged, const FileEntry& entry, const std::string& archive,
                                std::vector<InstallReport>& reports)
{
    const std::string target = archiveFolder(m_installFolder, entry);
    ZipArchive zip;
    if (!zip.open(archive)) {
        log("archive " + entry.path + ": " + zip.error());
        return false;
    }
    if (!staged.makeFolders(target)) {
        log("archive " + entry.path + ": " + staged.error());
        return false;
    }
    for (const ZipArchive::Entry& z : zip.entries()) {
        const std::string path = safepath::join(target, z.names);
        if (z.folder) {
            if (!staged.makeFolders(path)) {
                log("archive " + entry.path + ": " + staged.error());
                return false;
            }
            continue;
        }
        int fd = staged.openFile(path);
        if (fd < 0) {
            log("archive " + entry.path + ": " + staged.error());
            return false;
        }
        if (!zip.extract(z, fd)) {
            ::close(fd);
            log("archive " + entry.path + ": " + zip.error());
            return false;
        }
        if (!staged.finishFile(fd)) {
            log("archive " + entry.path + ": " + staged.error());
            return false;
        }
        reports.push_back({kFileUnpacked, path, entry.path});
    }
    return true;
}

int UpdateEngine::InstallFiles(const std::string& tempFolder)
{
    if (!verifyDownloads(tempFolder))
        return -1;

    StagedInstall staged(m_installFolder, m_renameFile);
    if (!staged.adopt(tempFolder) && !staged.begin()) {
        log(staged.error());
        post(kInstallFailed, narrowRecord(m_downloads.empty() ? std::string("ver") : m_downloads.front().path));
        return -1;
    }
    // One report per staged file, sent when that file has been renamed into place.
    std::vector<InstallReport> reports;
    for (const FileEntry& e : m_downloads) {
        const std::string file = tempFolder + "/" + e.digest;
        bool ok;
        if (e.isArchive()) {
            ok = placeArchive(staged, e, file, reports);
        } else {
            ok = staged.stageFile(file, e.fullPath);
            if (ok)
                reports.push_back({kFileInstalled, e.path, e.path});
            else
                log(staged.error());
        }
        if (!ok) {
            post(kInstallFailed, narrowRecord(e.path));
            return -1;
        }
    }
    const bool committed = staged.commit([&](size_t i) { post(reports[i].kind, narrowRecord(reports[i].text)); });
    if (!committed) {
        log(staged.error());
        const size_t failed = staged.failedAt();
        post(kInstallFailed, narrowRecord(failed < reports.size() ? reports[failed].entry : std::string()));
        return -1;
    }
    staged.end();

    // Every file is in place: record the new release, then report success.
    std::string error;
    const std::string folder = datafolder::path();
    if (!datafolder::makePath(folder) || !StagedInstall::writeWhole(folder + "/ver", m_manifestBody, error)) {
        log("cannot write the local manifest: " + error);
        post(kInstallFailed, narrowRecord("ver"));
        return -1;
    }
    log("installation complete");
    post(kInstallComplete);
    return 0;
}

}  // namespace update
