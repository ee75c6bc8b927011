#pragma once
// Plays a local sound file once on a PulseAudio sink: decoded with FFmpeg,
// converted to 16-bit stereo at 48 kHz and written on a thread of its own.
#include "libs/mediacore/MediaLog.h"

#include <atomic>
#include <string>
#include <thread>

namespace mediacore {

class AudioFilePlayer {
public:
    explicit AudioFilePlayer(LogSink log) : m_log(std::move(log)) {}
    ~AudioFilePlayer() { stop(); }
    AudioFilePlayer(const AudioFilePlayer&) = delete;
    AudioFilePlayer& operator=(const AudioFilePlayer&) = delete;

    // Stops what plays, then plays path on sink (a PulseAudio sink name; the
    // server's default when empty). false, with a log line, when the file
    // cannot be decoded or the sound server refuses the stream.
    bool play(const std::string& path, const std::string& sink);
    // Stops and joins the playing thread; nothing plays after it returns.
    void stop();
    // true while the file is being played (until its end, an error or stop).
    bool playing() const { return m_playing; }

private:
    LogSink m_log;                     // read-only after construction
    std::thread m_thread;              // caller's thread only
    std::atomic<bool> m_stop{false};   // atomic: set by stop(), read by the playing thread
    std::atomic<bool> m_playing{false};  // atomic: written by the playing thread and play()
};

}  // namespace mediacore
