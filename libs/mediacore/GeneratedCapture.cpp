// Generated inputs for machines without a camera or a microphone: a moving
// test picture and silence, paced by the monotonic clock.
#include "libs/mediacore/CaptureSource.h"

#include <chrono>
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
    PatternCapture(int width, int height, int fps, VideoSink sink) : m_sink(std::move(sink))
    {
        m_periodUs = 1000000 / std::max(fps, 1);
        m_frame = makeFrame();
        m_frame->format = AV_PIX_FMT_YUV420P;
        m_frame->width = width;
        m_frame->height = height;
        av_frame_get_buffer(m_frame.get(), 0);
    }
    ~PatternCapture() override { stop(); }

protected:
    void step() override
    {
        // Eight vertical colour bars that slide one step per frame, and a
        // bright square moving across, so motion is visible in the stream.
        static const uint8_t kBars[8][3] = {{235, 128, 128}, {210, 16, 146}, {170, 166, 16}, {145, 54, 34},
                                            {106, 202, 222}, {81, 90, 240},  {41, 240, 110}, {16, 128, 128}};
        AVFrame* f = m_frame.get();
        av_frame_make_writable(f);
        const int w = f->width, h = f->height;
        for (int y = 0; y < h; ++y) {
            uint8_t* row = f->data[0] + y * f->linesize[0];
            for (int x = 0; x < w; ++x)
                row[x] = kBars[((x + m_count * 4) * 8 / std::max(w, 1)) % 8][0];
        }
        for (int y = 0; y < h / 2; ++y) {
            uint8_t* u = f->data[1] + y * f->linesize[1];
            uint8_t* v = f->data[2] + y * f->linesize[2];
            for (int x = 0; x < w / 2; ++x) {
                const int bar = ((x * 2 + m_count * 4) * 8 / std::max(w, 1)) % 8;
                u[x] = kBars[bar][1];
                v[x] = kBars[bar][2];
            }
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
    FramePtr m_frame;  // capture thread only
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
