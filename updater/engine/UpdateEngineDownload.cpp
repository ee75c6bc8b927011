// The download stage: every file of the download list is fetched from the
// content store by its digest into the private temporary folder.
#include "updater/engine/UpdateEngine.h"

#include "updater/engine/StagedInstall.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

namespace update {

namespace {

std::string safeFolderName(const std::string& name)
{
    std::string out;
    for (char c : name)
        out.push_back(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' ? c : '_');
    return out.empty() || out[0] == '.' ? "update" + out : out;
}

constexpr const char* kOwnerFile = ".owner";

// Private folders of earlier runs that ended without removing theirs (killed
// during a download): ours by name, owner and a process that is gone.
void removeStaleFolders(const std::string& base, const std::string& prefix,
                        const std::function<void(const std::string&)>& log)
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        struct stat st;
        if (lstat(entry.path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
            continue;
        std::ifstream owner(entry.path() / kOwnerFile);
        long pid = 0;
        if (!(owner >> pid) || pid <= 0)
            continue;
        if (pid == long(getpid()) || kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;  // still in use
        std::filesystem::remove_all(entry.path(), ec);
        log("removed the temporary folder " + entry.path().string() + " left by process " + std::to_string(pid));
    }
}

}  // namespace

int UpdateEngine::DownloadThread()
{
    if (m_tempFolder.empty()) {
        const std::string prefix = safeFolderName(m_appName) + "-";
        removeStaleFolders(m_tempBase, prefix, [this](const std::string& line) { log(line); });
        // Downloads go straight into a staging folder of the installation, so
        // the installation moves them into place without copying them.
        std::string error;
        m_tempFolder = StagedInstall::createStage(m_installFolder, error);
        if (m_tempFolder.empty()) {
            log(error + "; downloading under " + m_tempBase);
            std::string templ = m_tempBase + "/" + prefix + "XXXXXX";
            if (!mkdtemp(templ.data())) {
                log("cannot create a temporary folder under " + m_tempBase + ": " + std::strerror(errno));
                post(kDownloadFailed, narrowRecord(m_downloads.empty() ? std::string() : m_downloads.front().path));
                return 0;
            }
            m_tempFolder = templ;
            std::ofstream(m_tempFolder + "/" + kOwnerFile) << getpid() << "\n";
        }
    }
    if (DownloadFiles(m_tempFolder) != 0)
        removeTempFolder();
    return 0;
}

int UpdateEngine::DownloadFiles(const std::string& tempFolder)
{
    HttpTransfer http(m_limits, &m_cancel);
    // Each download is hashed while the next one is fetched.
    DownloadVerifier verifier;
    m_checked.clear();
    const double total = static_cast<double>(m_downloads.size());
    for (size_t i = 0; i < m_downloads.size(); ++i) {
        const FileEntry& e = m_downloads[i];
        post(kDownloadProgress, countRecord(total, static_cast<double>(i)));
        if (e.digest.empty() || e.size < 0) {
            log("manifest entry " + e.path + " has no valid digest or size");
            post(kVerifyFailed, narrowRecord(e.path));
            return -1;
        }
        const std::string file = tempFolder + "/" + e.digest;
        struct stat st;
        if (::lstat(file.c_str(), &st) == 0) {
            if (S_ISREG(st.st_mode) && st.st_size == e.size) {
                // Two entries with the same digest share one download.
                post(kFileDownloaded, narrowRecord(e.path));
                continue;
            }
            ::unlink(file.c_str());
        }
        HttpTransfer::Result r =
            http.download(m_updateUrl + "/store/cached/" + e.digest, file, static_cast<size_t>(e.size),
                          kDownloadBuffer);
        if (r.tooLarge) {
            log("download of " + e.path + " is larger than its " + std::to_string(e.size) + " bytes");
            post(kVerifyFailed, narrowRecord(e.path));
            return -1;
        }
        if (!r.ok()) {
            log("download of " + e.path + " failed: " + r.error);
            post(kDownloadFailed, narrowRecord(e.path));
            return -1;
        }
        verifier.add(file, e.size, e.digest);
        post(kFileDownloaded, narrowRecord(e.path));
    }
    m_checked = verifier.finish();
    post(kDownloadProgress, countRecord(total, total));
    post(kAllDownloaded);
    return 0;
}

}  // namespace update
