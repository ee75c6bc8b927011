#pragma once
// An open libavformat input whose blocking calls are bounded: the interrupt
// callback fails a call that runs longer than the time-out since its mark,
// and the mark is renewed before every blocking call. abort() fails every
// call at once, from any thread, so that a closing owner never waits for a
// dead server.
#include <atomic>
#include <cstdint>
#include <string>

struct AVDictionary;
struct AVFormatContext;
struct AVPacket;

namespace avplayer {

class MediaInput {
public:
    static constexpr int64_t kDefaultTimeoutUs = 6000000;

    MediaInput() = default;
    ~MediaInput();
    MediaInput(const MediaInput&) = delete;
    MediaInput& operator=(const MediaInput&) = delete;

    // -1 disables the time-out (abort() still works).
    void setTimeout(int64_t us) { m_timeoutUs.store(us); }
    int64_t timeout() const { return m_timeoutUs.load(); }

    // avformat_open_input with the interrupt callback installed; FFmpeg's
    // result. An input still open is closed first. A known container format
    // (formatName, e.g. "flv") skips probing, which waits for data.
    int open(const std::string& url, AVDictionary** options, const char* formatName = nullptr);
    // avformat_find_stream_info; FFmpeg's result.
    int findStreamInfo();
    // av_read_frame; FFmpeg's result.
    int read(AVPacket* packet);
    void close();
    // Closes and clears an abort: ready for a new open.
    void reset()
    {
        close();
        m_abort.store(false);
    }

    // Fails the running and every later blocking call; any thread.
    void abort() { m_abort.store(true); }
    bool aborted() const { return m_abort.load(); }
    // Starts a new time-out period; called before each blocking call.
    void renew();

    AVFormatContext* context() const { return m_context; }
    int64_t mark() const { return m_markUs.load(); }

private:
    static int interruptCallback(void* opaque);

    AVFormatContext* m_context = nullptr;          // the owning (demux) thread only
    std::atomic<int64_t> m_timeoutUs{kDefaultTimeoutUs};  // atomic
    std::atomic<int64_t> m_markUs{0};              // atomic: av_gettime_relative() of the last renew
    std::atomic<bool> m_abort{false};              // atomic: set by abort()
};

}  // namespace avplayer
