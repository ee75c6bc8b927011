// Generated inputs for machines without a camera or a microphone: a moving
// test picture and silence, paced by the monotonic clock.
#include "libs/mediacore/CaptureSource.h"
#include "libs/mediacore/FrameRing.h"

#include <chrono>
#include <cstring>
#include <vector>

namespace mediacore {

namespace {

// Runs step() every periodUs on an absolute schedule until stopped.
class PacedCapture : public CaptureSource {
public:
    ~PacedCapture() override { stop(); }
    bool start() override
    {
        m_stop = false;
        m_thread = std::thread([this] {
            auto next = std::chrono::steady_clock::now();
            while (!m_stop) {
                step();
                next += std::chrono::microseconds(m_periodUs);
                const auto now = std::chrono::steady_clock::now();
                if (next < now - std::chrono::milliseconds(500))
                    next = now;  // fell far behind (suspended): do not catch up in a burst
                std::this_thread::sleep_until(next);
            }
        });
        return true;
    }
    void stop() override
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

protected:
    virtual void step() = 0;
    int64_t m_periodUs = 40000;

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class PatternCapture : public PacedCapture {
public:
    PatternCapture(int width, int height, int fps, VideoSink sink)
        : m_sink(std::move(sink)), m_width(width), m_height(height)
    {
        m_periodUs = 1000000 / std::max(fps, 1);
    }
    ~PatternCapture() override { stop(); }

protected:
    void step() override
    {
        // Eight vertical colour bars that slide one step per frame, and a
        // bright square moving across, so motion is visible in the stream.
        // The receiver may still hold the last picture: each one is drawn
        // whole into a picture nobody else holds.
        static const uint8_t kBars[8][3] = {{235, 128, 128}, {210, 16, 146}, {170, 166, 16}, {145, 54, 34},
                                            {106, 202, 222}, {81, 90, 240},  {41, 240, 110}, {16, 128, 128}};
        FramePtr picture = m_pictures.take(m_width, m_height, AV_PIX_FMT_YUV420P);
        if (!picture)
            return;
        AVFrame* f = picture.get();
        const int w = f->width, h = f->height;
        // The bars are the same on every row: one row is drawn, the others copy it.
        for (int x = 0; x < w; ++x)
            f->data[0][x] = kBars[((x + m_count * 4) * 8 / std::max(w, 1)) % 8][0];
        for (int x = 0; x < w / 2; ++x) {
            const int bar = ((x * 2 + m_count * 4) * 8 / std::max(w, 1)) % 8;
            f->data[1][x] = kBars[bar][1];
            f->data[2][x] = kBars[bar][2];
        }
        for (int y = 1; y < h; ++y)
            std::memcpy(f->data[0] + y * f->linesize[0], f->data[0], size_t(w));
        for (int y = 1; y < h / 2; ++y) {
            std::memcpy(f->data[1] + y * f->linesize[1], f->data[1], size_t(w / 2));
            std::memcpy(f->data[2] + y * f->linesize[2], f->data[2], size_t(w / 2));
        }
        const int side = std::max(h / 8, 2);
        const int left = (m_count * 6) % std::max(w - side, 1);
        for (int y = h / 2 - side / 2; y < h / 2 + side / 2 && y < h; ++y)
            for (int x = left; x < left + side && x < w; ++x)
                f->data[0][y * f->linesize[0] + x] = 250;
        ++m_count;
        m_sink(f, monotonicMs());
    }

private:
    VideoSink m_sink;
    int m_width;
    int m_height;
    FrameRing m_pictures;  // capture thread only
    int m_count = 0;
};

class SilenceCapture : public PacedCapture {
public:
    SilenceCapture(int rate, int channels, AudioSink sink)
        : m_sink(std::move(sink)), m_rate(rate), m_channels(channels),
          m_block(size_t(rate / 50) * channels, 0)
    {
        m_periodUs = 20000;  // 20 ms blocks
    }
    ~SilenceCapture() override { stop(); }

protected:
    void step() override
    {
        std::fill(m_block.begin(), m_block.end(), 0);
        m_sink(m_block.data(), m_rate / 50, m_channels, m_rate, monotonicMs());
    }

private:
    AudioSink m_sink;
    int m_rate;
    int m_channels;
    std::vector<int16_t> m_block;  // capture thread only
};

}  // namespace

std::unique_ptr<CaptureSource> makePatternCapture(int width, int height, int fps, VideoSink sink)
{
    return std::make_unique<PatternCapture>(width, height, fps, std::move(sink));
}

std::unique_ptr<CaptureSource> makeSilenceCapture(int sampleRate, int channels, AudioSink sink)
{
    return std::make_unique<SilenceCapture>(sampleRate, channels, std::move(sink));
}

}  // namespace mediacore
