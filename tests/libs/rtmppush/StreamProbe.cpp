#include "tests/libs/rtmppush/StreamProbe.h"

#include "libs/mediacore/SeiStamp.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <array>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace mediatest {

const ProbedStream* ProbeResult::find(const std::string& codec) const
{
    for (const auto& s : streams)
        if (s.codec == codec)
            return &s;
    return nullptr;
}

ProbeResult probe(const std::string& url, int readMs)
{
    ProbeResult r;
    AVFormatContext* ctx = nullptr;
    AVDictionary* opts = nullptr;
    av_dict_set(&opts, "rw_timeout", "8000000", 0);
    int err = avformat_open_input(&ctx, url.c_str(), nullptr, &opts);
    av_dict_free(&opts);
    if (err < 0) {
        r.error = "cannot open " + url;
        return r;
    }
    avformat_find_stream_info(ctx, nullptr);
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVStream* st = ctx->streams[i];
        ProbedStream s;
        s.codec = avcodec_get_name(st->codecpar->codec_id);
        s.width = st->codecpar->width;
        s.height = st->codecpar->height;
        s.sampleRate = st->codecpar->sample_rate;
        s.channels = st->codecpar->ch_layout.nb_channels;
        s.frameRate = av_q2d(st->avg_frame_rate);
        r.streams.push_back(s);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(readMs);
    AVPacket* pkt = av_packet_alloc();
    while (std::chrono::steady_clock::now() < deadline && av_read_frame(ctx, pkt) >= 0) {
        const AVStream* st = ctx->streams[pkt->stream_index];
        if (pkt->pts != AV_NOPTS_VALUE)
            r.lastMs = std::max(r.lastMs, av_rescale_q(pkt->pts, st->time_base, {1, 1000}) -
                                              (st->start_time != AV_NOPTS_VALUE
                                                   ? av_rescale_q(st->start_time, st->time_base, {1, 1000})
                                                   : 0));
        if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            ++r.videoPackets;
            if (pkt->flags & AV_PKT_FLAG_KEY) {
                r.keyFrameMs.push_back(av_rescale_q(pkt->pts, st->time_base, {1, 1000}));
                r.stamps.push_back(mediacore::readSeiStamp(pkt->data, size_t(pkt->size)));
            }
        } else if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            ++r.audioPackets;
        }
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    avformat_close_input(&ctx);
    return r;
}

std::string runCapture(const std::vector<std::string>& args)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    std::array<char, 4096> buf;
    ssize_t n;
    while ((n = read(fds[0], buf.data(), buf.size())) > 0)
        out.append(buf.data(), size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return out;
}

double ffprobeDuration(const std::string& path)
{
    const std::string out = runCapture(
        {"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "default=nw=1:nk=1", path});
    try {
        return std::stod(out);
    } catch (...) {
        return -1;
    }
}

bool waitFor(const std::function<bool()>& pred, int maxMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string EventLog::text() const
{
    std::string t;
    for (const auto& e : all())
        t += e + " ";
    return t;
}

}  // namespace mediatest
