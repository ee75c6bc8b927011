#include "updater/engine/DownloadVerifier.h"

#include "common/Sha1.h"

#include <sys/stat.h>

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

bool DownloadVerifier::stampOf(const std::string& path, Stamp& stamp)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return true;
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
        Stamp before;
        Stamp after;
        if (!stampOf(item.path, before) || before.size != item.size)
            continue;
        const bool matches = sha1::digestMatches(sha1::ofFile(item.path), item.digest);
        if (matches && stampOf(item.path, after) && after == before) {
            std::lock_guard<std::mutex> guard(m_lock);
            m_checked[item.path] = before;
        }
    }
}

}  // namespace update
