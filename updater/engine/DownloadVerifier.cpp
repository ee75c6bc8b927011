#include "updater/engine/DownloadVerifier.h"

#include "common/Sha1.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace update {

DownloadVerifier::DownloadVerifier() : m_thread([this] { run(); }) {}

DownloadVerifier::~DownloadVerifier() { finish(); }

void DownloadVerifier::add(const std::string& path, int64_t size, const std::string& digest)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_queue.push_back({path, size, digest});
    }
    m_wake.notify_one();
}

DownloadVerifier::Checked DownloadVerifier::finish()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_done = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard<std::mutex> guard(m_lock);
    return m_checked;
}

namespace {

bool fillStamp(const struct stat& st, DownloadVerifier::Stamp& stamp)
{
    if (!S_ISREG(st.st_mode))
        return false;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return true;
}

bool stampOfFd(int fd, DownloadVerifier::Stamp& stamp)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 && fillStamp(st, stamp);
}

}  // namespace

bool DownloadVerifier::stampOf(const std::string& path, Stamp& stamp)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && fillStamp(st, stamp);
}

bool DownloadVerifier::stillChecked(const Checked& checked, const std::string& path)
{
    auto it = checked.find(path);
    Stamp now;
    return it != checked.end() && stampOf(path, now) && now == it->second;
}

void DownloadVerifier::run()
{
    for (;;) {
        Item item;
        {
            std::unique_lock<std::mutex> guard(m_lock);
            m_wake.wait(guard, [this] { return m_done || !m_queue.empty(); });
            if (m_queue.empty())
                return;  // done, and nothing left
            item = std::move(m_queue.front());
            m_queue.pop_front();
        }
        // The file is the same before and after hashing, or it is not taken.
        const int fd = ::open(item.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        Stamp before;
        Stamp after;
        if (stampOfFd(fd, before) && before.size == item.size &&
            sha1::digestMatches(sha1::ofDescriptor(fd), item.digest) && stampOfFd(fd, after) && after == before) {
            {
                std::lock_guard<std::mutex> guard(m_lock);
                m_checked[item.path] = before;
            }
            // The checked file starts on its way to the disk here, off the
            // download's path: the installation's sync then has little left
            // to wait for.
            ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        }
        ::close(fd);
    }
}

}  // namespace update
