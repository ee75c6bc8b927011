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

}  // namespace

StagedInstall::StagedInstall(std::string root) : m_root(std::move(root)) {}

StagedInstall::~StagedInstall() { end(); }

void StagedInstall::end()
{
    if (m_stage.empty())
        return;
    std::error_code ec;
    fs::remove_all(m_stage, ec);
    m_stage.clear();
}

bool StagedInstall::begin()
{
    if (DIR* dir = opendir(m_root.c_str())) {
        while (dirent* d = readdir(dir)) {
            if (std::strncmp(d->d_name, kStagePrefix, std::strlen(kStagePrefix)) == 0) {
                std::error_code ec;
                fs::remove_all(m_root + "/" + d->d_name, ec);
            }
        }
        closedir(dir);
    }
    std::string templ = m_root + "/" + kStagePrefix + "XXXXXX";
    if (!mkdtemp(templ.data())) {
        m_error = errnoText("cannot create a staging folder in " + m_root);
        return false;
    }
    m_stage = templ;
    return true;
}

bool StagedInstall::makeFolders(const std::string& folder)
{
    if (folder == m_root)
        return true;
    if (!safepath::staysInside(m_root, folder)) {
        m_error = "folder " + folder + " leads outside the installation";
        return false;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        m_error = "cannot create folder " + folder + (ec ? ": " + ec.message() : std::string());
        return false;
    }
    return true;
}

int StagedInstall::openFile(const std::string& target)
{
    if (m_stage.empty()) {
        m_error = "no staging folder";
        return -1;
    }
    const size_t slash = target.rfind('/');
    if (slash == std::string::npos || !makeFolders(target.substr(0, slash)))
        return -1;
    if (!safepath::staysInside(m_root, target)) {
        m_error = "file " + target + " leads outside the installation";
        return -1;
    }
    // Whatever would stop the rename later is found now, before any file of
    // the installation has been replaced: a folder in the file's place, a
    // folder that cannot be written, another file system than the stage's.
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        m_error = "cannot replace " + target + ": it is a folder";
        return -1;
    }
    const std::string parent = target.substr(0, slash);
    struct stat parentSt;
    struct stat stageSt;
    if (::stat(parent.c_str(), &parentSt) != 0 || ::access(parent.c_str(), W_OK) != 0) {
        m_error = errnoText("cannot write into " + parent);
        return -1;
    }
    if (::stat(m_stage.c_str(), &stageSt) == 0 && stageSt.st_dev != parentSt.st_dev) {
        m_error = "cannot move a file into " + parent + ": another file system than the installation's";
        return -1;
    }
    std::string temp = m_stage + "/" + std::to_string(m_files.size());
    int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_error = errnoText("cannot create " + temp);
        return -1;
    }
    m_files.push_back({temp, target});
    return fd;
}

bool StagedInstall::finishFile(int fd)
{
    const std::string& target = m_files.back().target;
    bool ok = true;
    if (fchmod(fd, modeFor(target, fd)) != 0) {
        m_error = errnoText("cannot set the mode of the file for " + target);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        m_error = errnoText("cannot write the file for " + target);
        ok = false;
    }
    return ok;
}

bool StagedInstall::stageCopy(const std::string& source, const std::string& target)
{
    int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        m_error = errnoText("cannot open " + source);
        return false;
    }
    int out = openFile(target);
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
    // One sync of the file system for all staged files instead of one per file.
    int fd = ::open(m_stage.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || syncfs(fd) != 0) {
        m_error = errnoText("cannot sync the staged files");
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

bool StagedInstall::commit(const std::function<void(size_t)>& done)
{
    // Every staged file is on disk before the first one replaces an old file.
    if (m_committed == 0 && !m_files.empty() && !syncStage())
        return false;
    for (; m_committed < m_files.size(); ++m_committed) {
        const Staged& s = m_files[m_committed];
        if (std::rename(s.temp.c_str(), s.target.c_str()) != 0) {
            m_error = errnoText("cannot move the new file to " + s.target);
            return false;
        }
        if (done)
            done(m_committed);
    }
    // The renames are on disk before anything (the local manifest) follows.
    return m_files.empty() || syncStage();
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
