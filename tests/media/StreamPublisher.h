#pragma once
// Publishes a generated stream with the ffmpeg CLI (lavfi pictures and
// tones, 1 s key-frame interval) and ends it by its pid.
#include <string>
#include <vector>

namespace mediatest {

struct PublishOptions {
    bool video = true;
    bool audio = true;
    std::string picture = "smptebars";  // lavfi source
    int width = 320;
    int height = 240;
    int audioRate = 48000;
    int audioChannels = 1;
    // Seconds the pictures start after the sound (0: together).
    double videoDelay = 0;
    // When set, this file is streamed (copied) instead of generating pictures.
    std::string inputFile;
    std::string inputFormat;
    // When above 0: after this many seconds both streams' time stamps jump by
    // timeJump seconds (forward or back) while the pictures keep coming.
    double timeJumpAt = 0;
    double timeJump = 0;
};

class StreamPublisher {
public:
    StreamPublisher() = default;
    ~StreamPublisher() { stop(); }
    StreamPublisher(const StreamPublisher&) = delete;
    StreamPublisher& operator=(const StreamPublisher&) = delete;

    bool start(const std::string& url, const PublishOptions& options = PublishOptions());
    // SIGKILL (like a publisher that dies) and reap.
    void kill();
    void stop();
    // Holds the publisher (SIGSTOP): its connection stays open, its stream
    // stalls; resume() lets it go on (SIGCONT).
    void hold();
    void resume();
    bool running() const { return m_pid > 0; }
    // What became of the publisher ("running", or how it ended: reaped then),
    // for a failure's message.
    std::string describe();

    static std::vector<std::string> arguments(const std::string& url, const PublishOptions& options);

private:
    int m_pid = 0;
};

// Starts the ffmpeg CLI with these arguments (after "ffmpeg"), its standard
// output on stdoutFd when that is >= 0; the pid, or -1.
int spawnFfmpeg(const std::vector<std::string>& args, int stdoutFd = -1);

// Runs the ffmpeg CLI to completion with these arguments (after "ffmpeg");
// true on exit status 0.
bool runFfmpeg(const std::vector<std::string>& args);

}  // namespace mediatest
