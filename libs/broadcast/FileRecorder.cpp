#include "libs/broadcast/FileRecorder.h"

#include <cstdio>

using namespace mediacore;

namespace broadcast {

const char* FileRecorder::muxerOf(const std::string& ext)
{
    if (ext == "flv")
        return "flv";
    if (ext == "mp4")
        return "mp4";
    if (ext == "mkv")
        return "matroska";
    if (ext == "ts")
        return "mpegts";
    return nullptr;
}

int FileRecorder::open(const std::string& path, const std::string& ext, const AVCodecContext* video,
                       const AVCodecContext* audio)
{
    const char* muxer = muxerOf(ext);
    if (!muxer)
        return AVERROR(EINVAL);
    m_path = path;
    m_ext = ext;
    m_hasVideo = video != nullptr;
    m_started = false;
    m_writeError = 0;
    std::map<std::string, std::string> options = {{"flush_packets", "1"}};
    if (ext == "mp4")
        options["movflags"] = "frag_keyframe+empty_moov+default_base_moof";
    return m_out.open(path, muxer, video, audio, options);
}

void FileRecorder::write(const AVPacket* packet, bool video, AVRational timeBase)
{
    if (!m_out.isOpen() || m_writeError)
        return;
    if (!m_started) {
        const bool key = video && (packet->flags & AV_PKT_FLAG_KEY);
        if (!key && m_hasVideo)
            return;
        m_started = true;
        m_offsetMs = av_rescale_q(packet->dts, timeBase, {1, 1000});
    }
    const int64_t shift = av_rescale_q(m_offsetMs, {1, 1000}, timeBase);
    if (packet->dts < shift)
        return;
    AVPacket* copy = av_packet_clone(packet);
    if (!copy) {
        m_writeError = AVERROR(ENOMEM);  // the recording ends with this error
        return;
    }
    copy->pts -= shift;
    copy->dts -= shift;
    const int err = m_out.write(copy, video, timeBase);
    av_packet_free(&copy);
    if (err < 0)
        m_writeError = err;
}

int FileRecorder::close()
{
    if (!m_out.isOpen())
        return 0;
    int err = m_out.close();
    if (err >= 0 && m_writeError < 0)
        err = m_writeError;
    if (err >= 0 && m_ext == "mp4")
        err = remuxToRegularMp4(m_path);
    return err;
}

int FileRecorder::remuxToRegularMp4(const std::string& path)
{
    const std::string tmp = path + ".final";
    AVFormatContext* in = nullptr;
    int err = avformat_open_input(&in, path.c_str(), nullptr, nullptr);
    if (err < 0)
        return err;
    InputPtr input(in);
    if ((err = avformat_find_stream_info(in, nullptr)) < 0)
        return err;
    AVFormatContext* out = nullptr;
    if ((err = avformat_alloc_output_context2(&out, nullptr, "mp4", tmp.c_str())) < 0)
        return err;
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        AVStream* st = avformat_new_stream(out, nullptr);
        if (!st) {
            avformat_free_context(out);
            return AVERROR(ENOMEM);  // the fragmented file stays: it plays as it is
        }
        avcodec_parameters_copy(st->codecpar, in->streams[i]->codecpar);
        st->codecpar->codec_tag = 0;
        st->time_base = in->streams[i]->time_base;
    }
    err = avio_open(&out->pb, tmp.c_str(), AVIO_FLAG_WRITE);
    if (err >= 0)
        err = avformat_write_header(out, nullptr);
    if (err >= 0) {
        PacketPtr pkt = makePacket();
        while (av_read_frame(in, pkt.get()) >= 0) {
            av_packet_rescale_ts(pkt.get(), in->streams[pkt->stream_index]->time_base,
                                 out->streams[pkt->stream_index]->time_base);
            pkt->pos = -1;
            if ((err = av_interleaved_write_frame(out, pkt.get())) < 0)
                break;
        }
        if (err >= 0)
            err = av_write_trailer(out);
    }
    if (out->pb)
        avio_closep(&out->pb);
    avformat_free_context(out);
    if (err < 0) {
        std::remove(tmp.c_str());
        return err;  // the fragmented file stays: it plays as it is
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0 ? 0 : AVERROR(errno);
}

}  // namespace broadcast
