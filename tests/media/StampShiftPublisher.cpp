#include "tests/media/StampShiftPublisher.h"

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
}

namespace mediatest {

namespace {
constexpr size_t kFlvHeader = 13;  // file header and the first "previous tag size"
constexpr size_t kTagHeader = 11;
constexpr size_t kTagTrailer = 4;  // the tag's "previous tag size"

uint32_t be24(const uint8_t* p) { return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]; }
}  // namespace

int64_t shiftedStamp(int64_t ms, const std::vector<StampStep>& steps)
{
    int64_t shift = 0;
    for (const StampStep& step : steps)
        if (ms >= step.atMs)
            shift = step.shiftMs;
    return std::max<int64_t>(0, ms + shift);
}

bool StampShiftPublisher::start(const std::string& url, const PublishOptions& options, std::vector<StampStep> steps)
{
    stop();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)  // the CLI gets the write end as its standard output only
        return false;
    std::vector<std::string> args = StreamPublisher::arguments(url, options);
    args.back() = "pipe:1";  // FLV into the pipe instead of the server
    m_pid = spawnFfmpeg(args, fds[1]);
    close(fds[1]);
    if (m_pid <= 0) {
        close(fds[0]);
        m_pid = 0;
        return false;
    }
    m_pipe = fds[0];
    m_url = url;
    m_steps = std::move(steps);
    m_stop = false;
    m_thread = std::thread(&StampShiftPublisher::relay, this);
    return true;
}

void StampShiftPublisher::stop()
{
    m_stop = true;
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = 0;
    }
    if (m_thread.joinable())
        m_thread.join();
    if (m_pipe >= 0) {
        close(m_pipe);
        m_pipe = -1;
    }
}

void StampShiftPublisher::relay()
{
    avformat_network_init();
    AVIOContext* out = nullptr;
    if (avio_open2(&out, m_url.c_str(), AVIO_FLAG_WRITE, nullptr, nullptr) < 0) {
        fprintf(stderr, "stamp relay: cannot publish to %s\n", m_url.c_str());
        avformat_network_deinit();
        return;
    }
    std::vector<uint8_t> pending;
    bool headerSent = false;
    uint8_t buffer[65536];
    while (!m_stop) {
        pollfd in{m_pipe, POLLIN, 0};
        if (poll(&in, 1, 100) <= 0)
            continue;
        const ssize_t n = read(m_pipe, buffer, sizeof buffer);
        if (n <= 0)
            break;  // the CLI ended
        pending.insert(pending.end(), buffer, buffer + n);
        size_t at = 0;
        if (!headerSent && pending.size() >= kFlvHeader) {
            avio_write(out, pending.data(), int(kFlvHeader));
            at = kFlvHeader;
            headerSent = true;
        }
        while (headerSent && pending.size() - at >= kTagHeader) {
            uint8_t* tag = pending.data() + at;
            const size_t total = kTagHeader + be24(tag + 1) + kTagTrailer;
            if (pending.size() - at < total)
                break;
            const int64_t original = int64_t(be24(tag + 4)) | int64_t(tag[7]) << 24;
            const int64_t stamp = shiftedStamp(original, m_steps);
            tag[4] = uint8_t(stamp >> 16);
            tag[5] = uint8_t(stamp >> 8);
            tag[6] = uint8_t(stamp);
            tag[7] = uint8_t(stamp >> 24);
            avio_write(out, tag, int(total));
            avio_flush(out);
            at += total;
            m_lastMs = original;
            ++m_tags;
        }
        pending.erase(pending.begin(), pending.begin() + long(at));
    }
    avio_closep(&out);
    avformat_network_deinit();
}

}  // namespace mediatest
