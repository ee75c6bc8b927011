// Decoded audio in any FFmpeg sample format reaches the output as 16-bit
// samples at the target rate, at the right level.
#include "libs/avplayer/AudioFormats.h"
#include "libs/avplayer/AudioRender.h"
#include "libs/avplayer/IAudioFrameCallback.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

namespace {

// Keeps what it is given.
class CaptureOutput : public IAudioFrameCallback {
public:
    explicit CaptureOutput(int channels) : m_channels(channels) {}
    void onAudioFrame(const void* samples, int count, int64_t) override
    {
        const auto* s = static_cast<const int16_t*>(samples);
        samples_.insert(samples_.end(), s, s + size_t(count) * m_channels);
        lastPointer = samples;
    }
    void clear() override { samples_.clear(); }
    std::string name() override { return "capture"; }

    std::vector<int16_t> samples_;
    const void* lastPointer = nullptr;

private:
    int m_channels;
};

// A 1 kHz tone at half of full scale in the given format.
AVFrame* toneFrame(AVSampleFormat format, int rate, int channels, int samples, bool namedLayout = true)
{
    AVFrame* frame = av_frame_alloc();
    frame->format = format;
    frame->sample_rate = rate;
    frame->nb_samples = samples;
    if (namedLayout) {
        av_channel_layout_default(&frame->ch_layout, channels);
    } else {
        frame->ch_layout.order = AV_CHANNEL_ORDER_UNSPEC;
        frame->ch_layout.nb_channels = channels;
    }
    EXPECT_EQ(av_frame_get_buffer(frame, 0), 0);
    const bool planar = av_sample_fmt_is_planar(format);
    const int bytes = av_get_bytes_per_sample(format);
    for (int i = 0; i < samples; ++i) {
        const double v = 0.5 * std::sin(2 * M_PI * 1000.0 * i / rate);
        for (int c = 0; c < channels; ++c) {
            uint8_t* p = planar ? frame->extended_data[c] + size_t(i) * bytes
                                : frame->data[0] + (size_t(i) * channels + c) * bytes;
            switch (format) {
            case AV_SAMPLE_FMT_U8: case AV_SAMPLE_FMT_U8P: *p = uint8_t(128 + v * 127); break;
            case AV_SAMPLE_FMT_S16: case AV_SAMPLE_FMT_S16P: { int16_t x = int16_t(v * 32767); memcpy(p, &x, 2); break; }
            case AV_SAMPLE_FMT_S32: case AV_SAMPLE_FMT_S32P: { int32_t x = int32_t(v * 2147483647.0); memcpy(p, &x, 4); break; }
            case AV_SAMPLE_FMT_S64: case AV_SAMPLE_FMT_S64P: { int64_t x = int64_t(v * 9.2e18); memcpy(p, &x, 8); break; }
            case AV_SAMPLE_FMT_FLT: case AV_SAMPLE_FMT_FLTP: { float x = float(v); memcpy(p, &x, 4); break; }
            case AV_SAMPLE_FMT_DBL: case AV_SAMPLE_FMT_DBLP: memcpy(p, &v, 8); break;
            default: break;
            }
        }
    }
    return frame;
}

int peak(const std::vector<int16_t>& s, size_t from = 0)
{
    int m = 0;
    for (size_t i = from; i < s.size(); ++i)
        m = std::max(m, std::abs(int(s[i])));
    return m;
}

}  // namespace

TEST(AudioRender, TargetFormatPassesThroughWithoutResampler)
{
    auto* out = new CaptureOutput(1);
    AudioRender render(44100, 1, out);
    AVFrame* frame = toneFrame(AV_SAMPLE_FMT_S16, 44100, 1, 441);
    EXPECT_EQ(render.render(frame), 441);
    EXPECT_FALSE(render.resampling());
    EXPECT_EQ(out->lastPointer, frame->data[0]);
    av_frame_free(&frame);
}

TEST(AudioRender, EverySampleFormatArrivesAtTheRightLevel)
{
    struct Case {
        AVSampleFormat format;
        int rate;
        int channels;
    };
    const Case cases[] = {
        {AV_SAMPLE_FMT_FLTP, 48000, 2}, {AV_SAMPLE_FMT_DBL, 44100, 1},  {AV_SAMPLE_FMT_DBLP, 22050, 2},
        {AV_SAMPLE_FMT_S64, 44100, 1},  {AV_SAMPLE_FMT_S64P, 48000, 2}, {AV_SAMPLE_FMT_S32P, 32000, 1},
        {AV_SAMPLE_FMT_U8, 8000, 1},    {AV_SAMPLE_FMT_S16P, 44100, 6}, {AV_SAMPLE_FMT_FLT, 96000, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(av_get_sample_fmt_name(c.format)) + " " + std::to_string(c.rate) + " ch" +
                     std::to_string(c.channels));
        auto* out = new CaptureOutput(1);
        AudioRender render(44100, 1, out);
        int produced = 0;
        for (int block = 0; block < 10; ++block) {
            AVFrame* frame = toneFrame(c.format, c.rate, c.channels, c.rate / 10);
            produced += render.render(frame);
            av_frame_free(&frame);
        }
        // One second in, about one second (44100 samples) out, the resampler's
        // own delay aside.
        EXPECT_NEAR(produced, 44100, 600);
        EXPECT_EQ(int(out->samples_.size()), produced);
        // Half of full scale (a down-mix of equal channels keeps the level
        // within a few dB).
        const int level = peak(out->samples_, 2000);
        EXPECT_GT(level, 6000);
        EXPECT_LT(level, 32767);
    }
}

TEST(AudioRender, ResamplerFollowsAChangeOfSourceFormat)
{
    auto* out = new CaptureOutput(1);
    AudioRender render(44100, 1, out);
    AVFrame* a = toneFrame(AV_SAMPLE_FMT_FLTP, 48000, 2, 4800);
    AVFrame* b = toneFrame(AV_SAMPLE_FMT_S16, 22050, 1, 2205);
    EXPECT_GT(render.render(a), 4000);
    EXPECT_EQ(render.resamplersMade(), 1);
    EXPECT_GT(render.render(a), 4000);
    EXPECT_EQ(render.resamplersMade(), 1);
    const size_t before = out->samples_.size();
    EXPECT_GT(render.render(b), 4000);  // 0.1 s of 22050 Hz is 4410 samples at 44100
    EXPECT_EQ(render.resamplersMade(), 2);
    EXPECT_GT(peak(out->samples_, before + 500), 12000);
    av_frame_free(&a);
    av_frame_free(&b);
}

TEST(AudioRender, UnnamedChannelLayoutUsesTheDefaultForItsCount)
{
    auto* out = new CaptureOutput(2);
    AudioRender render(44100, 2, out);
    AVFrame* frame = toneFrame(AV_SAMPLE_FMT_FLTP, 44100, 2, 4410, false);
    EXPECT_GT(render.render(frame), 4000);
    EXPECT_GT(peak(out->samples_, 200), 12000);
    av_frame_free(&frame);
}

TEST(AudioRender, FollowsTheStreamsRateAndKeepsStereoChannelsApart)
{
    struct Case {
        int rate, channels;
        int openedRate, openedChannels;
    } cases[] = {{48000, 2, 48000, 2}, {22050, 1, 22050, 1}, {44100, 6, 44100, 2}};
    for (const Case& c : cases) {
        CaptureOutput* out = nullptr;
        int openedRate = 0, openedChannels = 0;
        AudioRender render([&](int rate, int channels) {
            openedRate = rate;
            openedChannels = channels;
            return out = new CaptureOutput(channels);
        });
        EXPECT_EQ(render.output(), nullptr);
        AVFrame* frame = toneFrame(AV_SAMPLE_FMT_FLTP, c.rate, c.channels, c.rate / 10);
        if (c.channels >= 2) {
            // Right channel silent, left a tone: they must stay apart.
            memset(frame->extended_data[1], 0, size_t(frame->nb_samples) * sizeof(float));
        }
        EXPECT_EQ(render.render(frame), c.rate / 10) << c.rate;  // no rate change: every sample
        EXPECT_EQ(openedRate, c.openedRate);
        EXPECT_EQ(openedChannels, c.openedChannels);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(render.output(), out);
        if (c.channels == 2) {
            int left = 0, right = 0;
            for (size_t i = 0; i + 1 < out->samples_.size(); i += 2) {
                left = std::max(left, std::abs(int(out->samples_[i])));
                right = std::max(right, std::abs(int(out->samples_[i + 1])));
            }
            EXPECT_GT(left, 12000);
            EXPECT_EQ(right, 0);
        }
        av_frame_free(&frame);
    }
}

TEST(AudioFormats, CodesMapBothWays)
{
    EXPECT_EQ(convertSampleFormat(AV_SAMPLE_FMT_FLTP), AUDIO_FORMAT_FLOAT_PLANAR);
    EXPECT_EQ(convertSampleFormat(AV_SAMPLE_FMT_DBL), AUDIO_FORMAT_UNKNOWN);
    EXPECT_EQ(convertAudioFormat(AUDIO_FORMAT_UNKNOWN), AV_SAMPLE_FMT_S16);
    EXPECT_EQ(convertSpeakerLayout(SPEAKERS_5POINT1), 0x60Fu);
    EXPECT_EQ(speakerLayoutChannels(SPEAKERS_SURROUND), 4);
    EXPECT_EQ(convertChannelLayout(0x3), SPEAKERS_STEREO);
    EXPECT_EQ(convertChannelLayout(0x100000003ull), SPEAKERS_UNKNOWN);
    EXPECT_EQ(convertChannelLayout(0x5), SPEAKERS_UNKNOWN);
}
