#pragma once
// Shared pieces of the player tests: one nginx-rtmp for a test suite, SDL
// audio into a file, waiting for a condition, and a frame sink.
#include "NginxFixture.h"
#include "TempDir.h"

#include <QImage>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace mediatest {

// Polls cond (processing Qt events) until it holds or ms pass.
bool waitFor(const std::function<bool()>& cond, int ms);

// The latest picture and the sizes seen, as the player's frame callback
// delivers them.
class FrameSink {
public:
    void onFrame(void* pixels, int width, int height);
    std::function<void(void*, int, int)> callback();
    int count() const { return m_count.load(); }
    QImage last() const;
    std::vector<std::pair<int, int>> sizes() const;

private:
    mutable std::mutex m_lock;
    QImage m_last;                               // guarded by m_lock
    std::vector<std::pair<int, int>> m_sizes;    // guarded by m_lock: each change of size, in order
    std::atomic<int> m_count{0};
};

// The colour of an SMPTE bar picture at the given bar (0..6) of the top part.
QRgb barColour(const QImage& image, int bar);
bool looksLike(QRgb c, int r, int g, int b, int tolerance = 40);

// A private nginx with RTMP and SDL audio going to a file.
class RtmpServer {
public:
    bool start();
    std::string url(const std::string& stream) const { return m_nginx->rtmpUrl(stream); }
    std::string audioFile() const { return m_dir.path() + "/sdl-audio.raw"; }
    std::string error() const { return m_nginx ? m_nginx->error() : "not started"; }
    // The server's error log so far.
    std::string log() const { return m_nginx ? m_nginx->errorLog() : std::string(); }

private:
    testsupport::TempHome m_home;  // the program's log lands here
    testsupport::TempDir m_dir;
    std::unique_ptr<testsupport::NginxFixture> m_nginx;
};

}  // namespace mediatest
