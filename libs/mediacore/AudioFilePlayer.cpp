#include "libs/mediacore/AudioFilePlayer.h"

#include "libs/mediacore/AvPtr.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <memory>
#include <vector>

namespace mediacore {

namespace {

constexpr int kRate = 48000;
constexpr int kChannels = 2;

struct SimpleFree { void operator()(pa_simple* s) const { pa_simple_free(s); } };
using SimplePtr = std::unique_ptr<pa_simple, SimpleFree>;

// An opened file with its audio decoder and the converter to the output's
// format; empty error() when usable.
struct DecodedFile {
    InputPtr input;
    CodecPtr codec;
    SwrPtr swr;
    int stream = -1;
    std::string error;

    explicit DecodedFile(const std::string& path)
    {
        AVFormatContext* fmt = nullptr;
        int err = avformat_open_input(&fmt, path.c_str(), nullptr, nullptr);
        if (err < 0) {
            error = avErrorText(err);
            return;
        }
        input.reset(fmt);
        if ((err = avformat_find_stream_info(fmt, nullptr)) < 0) {
            error = avErrorText(err);
            return;
        }
        const AVCodec* decoder = nullptr;
        stream = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
        if (stream < 0 || !decoder) {
            error = "no audio stream";
            return;
        }
        codec.reset(avcodec_alloc_context3(decoder));
        avcodec_parameters_to_context(codec.get(), fmt->streams[stream]->codecpar);
        if ((err = avcodec_open2(codec.get(), decoder, nullptr)) < 0) {
            error = avErrorText(err);
            return;
        }
        AVChannelLayout out;
        av_channel_layout_default(&out, kChannels);
        AVChannelLayout in = codec->ch_layout;
        if (in.order == AV_CHANNEL_ORDER_UNSPEC || in.nb_channels <= 0)
            av_channel_layout_default(&in, std::max(codec->ch_layout.nb_channels, 1));
        SwrContext* s = nullptr;
        if (swr_alloc_set_opts2(&s, &out, AV_SAMPLE_FMT_S16, kRate, &in, codec->sample_fmt, codec->sample_rate, 0,
                                nullptr) < 0 ||
            swr_init(s) < 0) {
            swr_free(&s);
            error = "no sample converter";
            return;
        }
        swr.reset(s);
    }
};

}  // namespace

bool AudioFilePlayer::play(const std::string& path, const std::string& sink)
{
    stop();
    auto file = std::make_shared<DecodedFile>(path);
    if (!file->error.empty()) {
        logLine(m_log, "sound file %s cannot be played: %s", path.c_str(), file->error.c_str());
        return false;
    }
    const pa_sample_spec spec = {PA_SAMPLE_S16LE, kRate, kChannels};
    // A short server buffer, so a stop or the end is heard at once.
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(kRate / 10 * kChannels * 2);
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    int err = 0;
    SimplePtr out(pa_simple_new(nullptr, "veltora", PA_STREAM_PLAYBACK, sink.empty() ? nullptr : sink.c_str(),
                                "test sound", &spec, nullptr, &attr, &err));
    if (!out) {
        logLine(m_log, "sound output %s refused: %s", sink.empty() ? "(default)" : sink.c_str(), pa_strerror(err));
        return false;
    }
    m_stop = false;
    m_playing = true;
    m_thread = std::thread([this, file, path, sink, s = out.release()] {
        SimplePtr output(s);
        PacketPtr packet = makePacket();
        FramePtr frame = makeFrame();
        std::vector<int16_t> samples;
        int err = 0;
        bool failed = false;
        auto write = [&](const AVFrame* in) {
            const int maxOut = swr_get_out_samples(file->swr.get(), in ? in->nb_samples : 0);
            if (maxOut <= 0)
                return;
            samples.resize(size_t(maxOut) * kChannels);
            uint8_t* planes[] = {reinterpret_cast<uint8_t*>(samples.data())};
            const int got = swr_convert(file->swr.get(), planes, maxOut,
                                        in ? const_cast<const uint8_t**>(in->extended_data) : nullptr,
                                        in ? in->nb_samples : 0);
            if (got > 0 && pa_simple_write(output.get(), samples.data(), size_t(got) * kChannels * 2, &err) < 0)
                failed = true;
        };
        auto drain = [&] {
            while (!m_stop && !failed && avcodec_receive_frame(file->codec.get(), frame.get()) == 0) {
                write(frame.get());
                av_frame_unref(frame.get());
            }
        };
        while (!m_stop && !failed && av_read_frame(file->input.get(), packet.get()) >= 0) {
            if (packet->stream_index == file->stream && avcodec_send_packet(file->codec.get(), packet.get()) >= 0)
                drain();
            av_packet_unref(packet.get());
        }
        if (!m_stop && !failed) {
            avcodec_send_packet(file->codec.get(), nullptr);
            drain();
            write(nullptr);
            if (!failed && pa_simple_drain(output.get(), &err) < 0)
                failed = true;
        }
        if (failed)
            logLine(m_log, "sound output %s lost while playing %s: %s", sink.empty() ? "(default)" : sink.c_str(),
                    path.c_str(), pa_strerror(err));
        m_playing = false;
    });
    return true;
}

void AudioFilePlayer::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_playing = false;
}

}  // namespace mediacore
