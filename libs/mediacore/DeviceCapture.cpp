// Capture from a libavdevice input: each packet read is decoded and handed
// on; audio is converted to interleaved 16-bit samples at the wanted rate.
#include "libs/mediacore/CaptureSource.h"

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavutil/opt.h>
}

#include <chrono>
#include <mutex>
#include <vector>

namespace mediacore {

namespace {

class DeviceCapture : public CaptureSource {
public:
    DeviceCapture(DeviceInput input, VideoSink video, AudioSink audio, int rate, int channels, LogSink log)
        : m_input(std::move(input)), m_video(std::move(video)), m_audio(std::move(audio)), m_rate(rate),
          m_channels(channels), m_log(std::move(log))
    {
    }
    ~DeviceCapture() override { stop(); }

    bool start() override
    {
        static std::once_flag once;
        std::call_once(once, [] { avdevice_register_all(); });
        const AVInputFormat* fmt = av_find_input_format(m_input.format.c_str());
        if (!fmt) {
            m_error = "no input format " + m_input.format;
            return false;
        }
        AVDictionary* opts = nullptr;
        for (const auto& [k, v] : m_input.options)
            av_dict_set(&opts, k.c_str(), v.c_str(), 0);
        AVFormatContext* ctx = avformat_alloc_context();
        ctx->interrupt_callback.callback = [](void* self) {
            return static_cast<DeviceCapture*>(self)->m_stop.load() ? 1 : 0;
        };
        ctx->interrupt_callback.opaque = this;
        int err = avformat_open_input(&ctx, m_input.url.c_str(), fmt, &opts);
        av_dict_free(&opts);
        if (err < 0) {
            m_error = m_input.format + " " + m_input.url + ": " + avErrorText(err);
            return false;
        }
        m_ctx.reset(ctx);
        if (ctx->nb_streams < 1) {
            m_error = "no stream in " + m_input.url;
            return false;
        }
        const AVCodecParameters* par = ctx->streams[0]->codecpar;
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        m_decoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
        if (!m_decoder || avcodec_parameters_to_context(m_decoder.get(), par) < 0 ||
            avcodec_open2(m_decoder.get(), codec, nullptr) < 0) {
            m_error = "no decoder for " + m_input.url;
            return false;
        }
        logLine(m_log, "capture %s %s opened", m_input.format.c_str(), m_input.url.c_str());
        m_stop = false;
        m_thread = std::thread([this] { run(); });
        return true;
    }

    void stop() override
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        m_decoder.reset();
        m_ctx.reset();
    }

private:
    void run()
    {
        PacketPtr pkt = makePacket();
        FramePtr frame = makeFrame();
        while (!m_stop) {
            int err = av_read_frame(m_ctx.get(), pkt.get());
            if (err == AVERROR(EAGAIN)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            if (err < 0) {
                if (!m_stop)
                    logLine(m_log, "capture %s ended: %s", m_input.url.c_str(), avErrorText(err).c_str());
                m_ended = true;
                break;
            }
            const int64_t now = monotonicMs();
            if (pkt->stream_index == 0 && avcodec_send_packet(m_decoder.get(), pkt.get()) >= 0) {
                while (avcodec_receive_frame(m_decoder.get(), frame.get()) >= 0) {
                    deliver(frame.get(), now);
                    av_frame_unref(frame.get());
                }
            }
            av_packet_unref(pkt.get());
        }
    }

    void deliver(AVFrame* frame, int64_t now)
    {
        if (m_video) {
            m_video(frame, now);
            return;
        }
        if (!m_audio || frame->nb_samples <= 0)
            return;
        if (!m_swr) {
            AVChannelLayout out;
            av_channel_layout_default(&out, m_channels);
            SwrContext* swr = nullptr;
            swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_S16, m_rate, &frame->ch_layout,
                                AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
            if (!swr || swr_init(swr) < 0) {
                swr_free(&swr);
                return;
            }
            m_swr.reset(swr);
        }
        const int maxOut = swr_get_out_samples(m_swr.get(), frame->nb_samples);
        m_samples.resize(size_t(std::max(maxOut, 0)) * m_channels);
        uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(m_samples.data())};
        const int got = swr_convert(m_swr.get(), outPlanes, maxOut, const_cast<const uint8_t**>(frame->extended_data),
                                    frame->nb_samples);
        if (got > 0)
            m_audio(m_samples.data(), got, m_channels, m_rate, now);
    }

    DeviceInput m_input;
    VideoSink m_video;
    AudioSink m_audio;
    int m_rate;
    int m_channels;
    LogSink m_log;
    InputPtr m_ctx;       // capture thread only while it runs
    CodecPtr m_decoder;   // capture thread only while it runs
    SwrPtr m_swr;         // capture thread only
    std::vector<int16_t> m_samples;  // capture thread only
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace

std::unique_ptr<CaptureSource> makeDeviceVideoCapture(const DeviceInput& input, VideoSink sink, LogSink log)
{
    return std::make_unique<DeviceCapture>(input, std::move(sink), nullptr, 0, 0, std::move(log));
}

std::unique_ptr<CaptureSource> makeDeviceAudioCapture(const DeviceInput& input, int sampleRate, int channels,
                                                      AudioSink sink, LogSink log)
{
    return std::make_unique<DeviceCapture>(input, nullptr, std::move(sink), sampleRate, channels, std::move(log));
}

}  // namespace mediacore
