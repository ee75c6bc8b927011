#pragma once
// Checks the downloads by size and SHA-1 on a thread of its own while the
// download stage fetches the next files. The installation then hashes again
// only what was not checked here, or what changed since (another device,
// inode, size or time stamp): the checked digest holds for that very file.
// A file that matched is also started on its way to the disk.
#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace update {

class DownloadVerifier {
public:
    // The identity of a file when it was checked.
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        int64_t size = -1;
        int64_t modifiedNs = 0;
        int64_t changedNs = 0;
        bool operator==(const Stamp& o) const
        {
            return device == o.device && inode == o.inode && size == o.size && modifiedNs == o.modifiedNs &&
                   changedNs == o.changedNs;
        }
    };
    using Checked = std::map<std::string, Stamp>;  // path -> the file that matched

    DownloadVerifier();
    ~DownloadVerifier();  // finish()
    DownloadVerifier(const DownloadVerifier&) = delete;
    DownloadVerifier& operator=(const DownloadVerifier&) = delete;

    // Queues a complete download; expected digest in lower-case hex.
    void add(const std::string& path, int64_t size, const std::string& digest);
    // Waits until every queued file is checked; the files that matched.
    Checked finish();

    // The stamp of path now; false when it cannot be read.
    static bool stampOf(const std::string& path, Stamp& stamp);
    // True when path is the same file that matched.
    static bool stillChecked(const Checked& checked, const std::string& path);

private:
    struct Item {
        std::string path;
        int64_t size;
        std::string digest;
    };
    void run();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Item> m_queue;  // guarded by m_lock
    bool m_done = false;       // guarded by m_lock
    Checked m_checked;         // guarded by m_lock
    std::thread m_thread;      // started by the constructor, joined by finish() (owner's thread)
};

}  // namespace update
