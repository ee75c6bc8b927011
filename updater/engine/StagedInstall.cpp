#include "updater/engine/StagedInstall.h"

#include "common/update/SafePath.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace update {

namespace {

constexpr const char* kStagePrefix = ".korvanel-staging-";

std::string errnoText(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

bool writeAll(int fd, const char* p, size_t n)
{
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// The mode a file written to target gets.
mode_t modeFor(const std::string& target, int fd)
{
    struct stat st;
    if (stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    char head[4] = {0};
    ssize_t n = pread(fd, head, sizeof head, 0);
    const bool elf = n >= 4 && std::memcmp(head, "\x7f" "ELF", 4) == 0;
    const bool script = n >= 2 && head[0] == '#' && head[1] == '!';
    return elf || script ? 0755 : 0644;
}

bool systemRename(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

StagedInstall::StagedInstall(std::string root, RenameFn rename)
    : m_root(std::move(root)), m_rename(rename ? std::move(rename) : RenameFn(systemRename))
{
}

StagedInstall::~StagedInstall() { end(); }

void StagedInstall::end()
{
    if (m_stage.empty())
        return;
    std::error_code ec;
    fs::remove_all(m_stage, ec);
    m_stage.clear();
}

std::string StagedInstall::createStage(const std::string& root, std::string& error)
{
    if (DIR* dir = opendir(root.c_str())) {
        while (dirent* d = readdir(dir)) {
            if (std::strncmp(d->d_name, kStagePrefix, std::strlen(kStagePrefix)) == 0) {
                std::error_code ec;
                fs::remove_all(root + "/" + d->d_name, ec);
            }
        }
        closedir(dir);
    }
    std::string templ = root + "/" + kStagePrefix + "XXXXXX";
    if (!mkdtemp(templ.data())) {
        error = errnoText("cannot create a staging folder in " + root);
        return {};
    }
    return templ;
}

bool StagedInstall::begin()
{
    m_stage = createStage(m_root, m_error);
    return !m_stage.empty();
}

bool StagedInstall::adopt(const std::string& stage)
{
    const std::string prefix = m_root + "/" + kStagePrefix;
    struct stat st;
    if (stage.compare(0, prefix.size(), prefix) != 0 || stage.find('/', prefix.size()) != std::string::npos ||
        ::lstat(stage.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        m_error = "no staging folder " + stage + " in " + m_root;
        return false;
    }
    m_stage = stage;
    return true;
}

std::string StagedInstall::relative(const std::string& path) const
{
    if (path.size() > m_root.size() && path.compare(0, m_root.size(), m_root) == 0 && path[m_root.size()] == '/')
        return path.substr(m_root.size() + 1);
    return {};
}

bool StagedInstall::planFolder(const std::string& folder)
{
    if (m_folders.count(folder))
        return true;
    if (m_fileTargets.count(folder)) {
        m_error = "refused: " + folder + " is both a file and a folder in this release";
        return false;
    }
    struct stat st;
    if (::lstat(folder.c_str(), &st) == 0) {
        if (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            m_folders.insert(folder);
            return true;
        }
        m_error = "refused: the release needs a folder " + folder + " where an installed file is";
        return false;
    }
    if (errno != ENOENT) {
        m_error = errnoText("cannot look at folder " + folder);
        return false;
    }
    m_folders.insert(folder);
    m_newFolders.push_back(folder);
    return true;
}

bool StagedInstall::makeFolders(const std::string& folder)
{
    if (folder == m_root || m_insideFolders.count(folder))
        return true;
    const std::string rel = relative(folder);
    if (rel.empty() || !safepath::staysInside(m_root, folder)) {
        m_error = "folder " + folder + " leads outside the installation";
        return false;
    }
    for (size_t slash = rel.find('/'); slash != std::string::npos; slash = rel.find('/', slash + 1)) {
        if (!planFolder(m_root + "/" + rel.substr(0, slash)))
            return false;
    }
    if (!planFolder(folder))
        return false;
    m_insideFolders.insert(folder);
    return true;
}

bool StagedInstall::checkWritable(const std::string& target)
{
    // The deepest folder of target that exists now: the rename (or the
    // folder made for it) happens there. Checked once per target folder.
    const std::string parent = target.substr(0, target.rfind('/'));
    if (m_writableFolders.count(parent))
        return true;
    std::string folder = parent;
    struct stat st;
    while (folder.size() > m_root.size() && (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))
        folder = folder.substr(0, folder.rfind('/'));
    struct stat stageSt;
    if (::stat(folder.c_str(), &st) != 0 || ::access(folder.c_str(), W_OK) != 0) {
        m_error = errnoText("cannot write into " + folder);
        return false;
    }
    if (::stat(m_stage.c_str(), &stageSt) == 0 && stageSt.st_dev != st.st_dev) {
        m_error = "cannot move a file into " + folder + ": another file system than the installation's";
        return false;
    }
    m_writableFolders.insert(parent);
    return true;
}

std::string StagedInstall::reserve(const std::string& target)
{
    if (m_stage.empty()) {
        m_error = "no staging folder";
        return {};
    }
    const size_t slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? std::string() : target.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || relative(target).empty()) {
        m_error = "file " + target + " leads outside the installation";
        return {};
    }
    // The folder is checked (once) to stay inside; the file itself can only
    // lead elsewhere when it is a link.
    if (!makeFolders(target.substr(0, slash)))
        return {};
    struct stat st;
    const bool exists = ::lstat(target.c_str(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode) && !safepath::staysInside(m_root, target)) {
        m_error = "file " + target + " leads outside the installation";
        return {};
    }
    // Whatever would stop the rename later is found now, before any file of
    // the installation has been replaced.
    if (m_folders.count(target)) {
        m_error = "refused: " + target + " is both a file and a folder in this release";
        return {};
    }
    if (exists && S_ISDIR(st.st_mode)) {
        m_error = "refused: the release puts a file at " + target + " where an installed folder is";
        return {};
    }
    if (!checkWritable(target))
        return {};
    std::string temp = m_stage + "/" + std::to_string(m_files.size());
    m_files.push_back({temp, target, {}});
    m_fileTargets.insert(target);
    return temp;
}

int StagedInstall::createTemp(const std::string& temp)
{
    int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        m_error = errnoText("cannot create " + temp);
    return fd;
}

int StagedInstall::openFile(const std::string& target)
{
    const std::string temp = reserve(target);
    return temp.empty() ? -1 : createTemp(temp);
}

bool StagedInstall::finishFile(int fd)
{
    const std::string& target = m_files.back().target;
    bool ok = true;
    if (fchmod(fd, modeFor(target, fd)) != 0) {
        m_error = errnoText("cannot set the mode of the file for " + target);
        ok = false;
    }
    // Its bytes start on their way to the disk; the commit waits for them.
    if (ok)
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    if (::close(fd) != 0 && ok) {
        m_error = errnoText("cannot write the file for " + target);
        ok = false;
    }
    return ok;
}

bool StagedInstall::stageFile(const std::string& source, const std::string& target)
{
    if (reserve(target).empty())
        return false;
    // A download in the staging folder becomes the staged file itself: its
    // first user moves it into place (no copy, no second name). Later users
    // of the same digest get copies: a target's mode is its own.
    const bool inStage = source.compare(0, m_stage.size() + 1, m_stage + "/") == 0 &&
                         source.find('/', m_stage.size() + 1) == std::string::npos;
    if (inStage && m_taken.insert(source).second) {
        int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            m_error = errnoText("cannot open " + source);
            return false;
        }
        m_files.back().temp = source;
        return finishFile(fd);
    }
    const std::string& temp = m_files.back().temp;
    int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        m_error = errnoText("cannot open " + source);
        return false;
    }
    int out = createTemp(temp);
    if (out < 0) {
        ::close(in);
        return false;
    }
    static thread_local char buffer[256 * 1024];
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_error = errnoText("cannot read " + source);
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (!writeAll(out, buffer, static_cast<size_t>(n))) {
            m_error = errnoText("cannot write the file for " + target);
            ok = false;
            break;
        }
    }
    ::close(in);
    if (!ok) {
        ::close(out);
        return false;
    }
    return finishFile(out);
}

bool StagedInstall::syncStage()
{
    // One sync of the file system for all files instead of one per file
    // (syncing each file commits the journal once per file). Writing each
    // file was started when it was checked or staged, so little is left.
    int fd = ::open(m_stage.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || syncfs(fd) != 0) {
        m_error = errnoText("cannot sync the installed files");
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

bool StagedInstall::commit(const std::function<void(size_t)>& done)
{
    m_committed = 0;
    m_failedAt = m_files.size();
    m_madeFolders.clear();
    for (const std::string& folder : m_newFolders) {
        if (::mkdir(folder.c_str(), 0755) != 0) {
            m_error = errnoText("cannot create folder " + folder);
            rollBack(0);
            return false;
        }
        m_madeFolders.push_back(folder);
    }
    for (size_t i = 0; i < m_files.size(); ++i) {
        Staged& s = m_files[i];
        // The installed file is kept (as a second link, else moved aside)
        // until the whole commit has succeeded.
        struct stat st;
        if (::lstat(s.target.c_str(), &st) == 0) {
            const std::string backup = m_stage + "/old-" + std::to_string(i);
            if (::link(s.target.c_str(), backup.c_str()) != 0 && ::rename(s.target.c_str(), backup.c_str()) != 0) {
                m_error = errnoText("cannot keep the installed " + s.target);
                m_failedAt = i;
                rollBack(i);
                return false;
            }
            s.backup = backup;
        }
        if (!m_rename(s.temp, s.target)) {
            m_error = errnoText("cannot move the new file to " + s.target);
            m_failedAt = i;
            rollBack(i + 1);
            return false;
        }
        m_committed = i + 1;
        if (done)
            done(i);
    }
    // The new files are on the disk before anything (the local manifest) follows.
    if (!m_files.empty() && !syncStage()) {
        rollBack(m_files.size());
        return false;
    }
    return true;
}

void StagedInstall::rollBack(size_t steps)
{
    size_t putBack = 0;
    for (size_t i = steps; i-- > 0;) {
        Staged& s = m_files[i];
        const bool placed = i < m_committed;
        if (!s.backup.empty()) {
            // Over the new file, or back from aside; a second link of the
            // file itself leaves it as it is.
            if (std::rename(s.backup.c_str(), s.target.c_str()) != 0)
                m_error += "; " + errnoText("cannot put back " + s.target);
            else if (placed)
                ++putBack;
            s.backup.clear();
        } else if (placed) {
            if (::unlink(s.target.c_str()) != 0)
                m_error += "; " + errnoText("cannot remove the new " + s.target);
            else
                ++putBack;
        }
    }
    for (size_t i = m_madeFolders.size(); i-- > 0;)
        ::rmdir(m_madeFolders[i].c_str());
    m_madeFolders.clear();
    if (putBack > 0)
        m_error += "; the " + std::to_string(putBack) + " files already moved were put back";
    m_committed = 0;
}

bool StagedInstall::writeWhole(const std::string& path, const std::string& data, std::string& error)
{
    std::string temp = path + ".new";
    ::unlink(temp.c_str());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        error = errnoText("cannot create " + temp);
        return false;
    }
    bool ok = writeAll(fd, data.data(), data.size()) && fsync(fd) == 0;
    if (!ok)
        error = errnoText("cannot write " + temp);
    if (::close(fd) != 0 && ok) {
        error = errnoText("cannot write " + temp);
        ok = false;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        error = errnoText("cannot rename " + temp);
        ok = false;
    }
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

}  // namespace update
