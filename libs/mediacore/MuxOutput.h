#pragma once
// One muxed output of an H.264 and an AAC stream (either may be absent): an
// RTMP address (flv) or a file (flv, mp4, matroska, mpegts). Every blocking
// step gives up after a time-out or when aborted.
#include "libs/mediacore/AvPtr.h"

#include <atomic>
#include <map>
#include <string>

namespace mediacore {

// Failure codes shared by both libraries.
enum class OutputError {
    None = 0,
    BadAddress = -1,    // not an rtmp:// address with a host, or no path
    Connect = -2,       // the server cannot be reached
    Refused = -3,       // reached, but the stream was not accepted
    Failed = -4,        // encoder, muxer or file error
    Disconnected = -5,  // the connection dropped while publishing
};

// The error for a failed open of an RTMP address: a connection that could
// not be made, or a server that refused.
OutputError classifyOpenError(int averror);
// false when url is not "rtmp://host[:port]/app..." .
bool isRtmpAddress(const std::string& url);

class MuxOutput {
public:
    ~MuxOutput();
    // format: "flv", "mp4", "matroska", "mpegts". Returns 0 or an AVERROR.
    int open(const std::string& target, const std::string& format, const AVCodecContext* video,
             const AVCodecContext* audio, const std::map<std::string, std::string>& options = {});
    // packet in the encoder's time base; video or audio. 0 or an AVERROR.
    int write(const AVPacket* packet, bool video, AVRational timeBase);
    // Writes the trailer and closes; 0 or an AVERROR.
    int close();
    bool isOpen() const { return m_ctx != nullptr; }
    // Aborts a blocking open or write from another thread.
    void abort() { m_abort = true; }
    void setIoTimeoutMs(int ms) { m_ioTimeoutMs = ms; }

private:
    static int interrupted(void* self);
    void armDeadline();

    AVFormatContext* m_ctx = nullptr;  // owner thread only
    int m_videoIndex = -1;
    int m_audioIndex = -1;
    std::atomic<bool> m_abort{false};
    std::atomic<int64_t> m_deadlineMs{0};
    int m_ioTimeoutMs = 5000;
};

}  // namespace mediacore
