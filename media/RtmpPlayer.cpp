#include "media/RtmpPlayer.h"

#include "libs/avplayer/AACDecoder.h"
#include "libs/avplayer/AvLog.h"
#include "libs/avplayer/H264Decoder.h"
#include "app/Logger.h"
#include "libs/avplayer/SyncClock.h"

#include <QRunnable>
#include <QString>
#include <QThreadPool>

#include <algorithm>
#include <chrono>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/time.h>
}

namespace avplayer {

namespace {

constexpr int kSlowReadMs = 5000;
// Undecoded packets spanning more than this much stream time: the audio
// decoder no longer holds its decode thread back while its frame queue is
// full (it drops its oldest frames), so the delay behind the live edge stays
// bounded even when the sound device plays slower than the stream comes.
// The master clock then jumps ahead and the video, now late, renders its
// queued pictures without waiting until it has caught up.
constexpr double kMaxPacketBacklog = 1.0;
// The video decoder drops pictures only beyond this backlog (a machine too
// slow to show every picture).
constexpr double kMaxPictureBacklog = 3.0;

// A packet's time in seconds (its decoding time, else its presentation
// time), or -1 when it has neither or no time base.
void logToProgram(int level, const char* func, const char* text)
{
    Logger::instance()->Log(level, func, "%s", text);
}

long long objectId(const void* p) { return static_cast<long long>(reinterpret_cast<intptr_t>(p)); }

}  // namespace

RtmpPlayer::RtmpPlayer()
{
    avplayer::setLogHandler(&logToProgram);
    avformat_network_init();
}

RtmpPlayer::~RtmpPlayer()
{
    {
        std::lock_guard<std::mutex> lock(m_callbackLock);
        m_onStopped = nullptr;
    }
    Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::~RtmpPlayer", "~RtmpPlayer");
    {
        // The stop thread uses this object: it must end before we do.
        std::lock_guard<std::mutex> lock(m_stopLock);
        if (m_stopThread.joinable())
            m_stopThread.join();
    }
    close();
    avformat_network_deinit();
}

void RtmpPlayer::setRenderWindow(void* window)
{
    Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::setRenderWindow", "set render window:%p", window);
    m_renderWindow.store(window);
}

void RtmpPlayer::setFlag(bool flag) { m_flag.store(flag); }

void RtmpPlayer::setReadErrorCallback(std::function<void(int)> onReadError)
{
    std::lock_guard<std::mutex> lock(m_callbackLock);
    m_onReadError = std::move(onReadError);
}

void RtmpPlayer::setVideoFrameCallback(std::function<void(void*, int, int)> onVideoFrame)
{
    m_onVideoFrame = std::move(onVideoFrame);
}

void RtmpPlayer::play(const std::string& url, std::function<void(bool, int)> onOpened)
{
    Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::play", "start pull stream:%s", url.c_str());
    std::lock_guard<std::mutex> closeLock(m_closeLock);
    // Whatever an earlier play left ends before the new threads start.
    closeLocked();
    m_input.reset();
    m_demuxStop.store(false);
    m_decodeStop.store(false);
    m_url = url;
    {
        std::lock_guard<std::mutex> lock(m_callbackLock);
        m_onOpened = std::move(onOpened);
    }
    resetDecoder();
    startThreads();
}

void RtmpPlayer::stop(std::function<void(bool, int)> onStopped)
{
    Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::stop", "stop");
    {
        std::lock_guard<std::mutex> lock(m_callbackLock);
        m_onStopped = std::move(onStopped);
    }
    // Unblock a read at once, so that the stop thread ends quickly.
    m_input.abort();
    std::lock_guard<std::mutex> lock(m_stopLock);
    if (m_stopThread.joinable())
        m_stopThread.join();  // an earlier stop; it has (nearly) finished
    m_stopThread = std::thread([this] {
        close();
        std::function<void(bool, int)> done;
        {
            std::lock_guard<std::mutex> lock(m_callbackLock);
            done = m_onStopped;
        }
        // A requested stop that closed everything is a success.
        if (done)
            done(true, 0);
    });
}

void RtmpPlayer::close()
{
    std::lock_guard<std::mutex> lock(m_closeLock);
    closeLocked();
}

void RtmpPlayer::closeLocked()
{
    {
        std::lock_guard<std::mutex> lock(m_callbackLock);
        m_onOpened = nullptr;
    }
    m_input.abort();
    if (m_demuxThread.joinable()) {
        m_demuxStop.store(true);
        m_demuxThread.join();
    }
    m_decodeStop.store(true);
    m_videoPackets.wake();
    m_audioPackets.wake();
    // A decode thread may wait for room in its decoder's frame queue.
    if (m_videoDecoder)
        m_videoDecoder->releaseWaiters();
    if (m_audioDecoder)
        m_audioDecoder->releaseWaiters();
    if (m_videoThread.joinable())
        m_videoThread.join();
    if (m_audioThread.joinable())
        m_audioThread.join();
    if (m_syncClock)
        m_syncClock->abort();
    // The video decoder reads the audio decoder's clock: it goes first.
    m_videoDecoder.reset();
    m_audioDecoder.reset();
    m_syncClock.reset();
    m_videoPackets.clear();
    m_audioPackets.clear();
    m_input.close();
}

void RtmpPlayer::resetDecoder()
{
    Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::resetDecoder", "reset decoder");
    m_videoDecoder = m_pictureSink ? std::make_shared<H264Decoder>(m_pictureSink)
                                   : std::make_shared<H264Decoder>(m_onVideoFrame);
    m_audioDecoder = std::make_shared<AACDecoder>();
    m_syncClock = std::make_shared<SyncClock>();
    AACDecoder* audio = m_audioDecoder.get();  // outlives every reader: released after the video decoder
    m_syncClock->setMasterClock([audio] { return audio->currentClock(); });
    m_videoDecoder->setSyncClock(m_syncClock);
    m_audioDecoder->setSyncClock(m_syncClock);
    m_videoIndex.store(-1);
    m_audioIndex.store(-1);
    m_masterType.store(-1);
}

void RtmpPlayer::startThreads()
{
    m_demuxThread = std::thread(&RtmpPlayer::demuxThread, this);
    m_videoThread = std::thread(&RtmpPlayer::decodeThread, this, &m_videoPackets, m_videoDecoder.get(),
                                kMaxPictureBacklog);
    m_audioThread = std::thread(&RtmpPlayer::decodeThread, this, &m_audioPackets, m_audioDecoder.get(),
                                kMaxPacketBacklog);
}

int RtmpPlayer::resetContext()
{
    PrintTime timer("rtmp play");
    if (m_url.empty()) {
        Logger::instance()->Log(LOG_WARN, "avplayer::RtmpPlayer::resetContext", "Rtmp url is empty!");
        return -1;
    }
    AVDictionary* options = nullptr;
    av_dict_set(&options, "scan_all_pmts", "1", AV_DICT_DONT_OVERWRITE);
    // A live stream starts at once: decide from its first key frame instead
    // of reading seconds of it (a stream of one kind is known within 1 s).
    av_dict_set(&options, "fpsprobesize", "0", 0);
    av_dict_set(&options, "analyzeduration", "1000000", 0);
    av_dict_set(&options, "tcp_nodelay", "1", 0);
    // RTMP always carries FLV: naming it saves probing, which would wait
    // for the first kilobytes of a slow (audio-only so far) stream.
    const bool rtmp = m_url.compare(0, 4, "rtmp") == 0;
    int ret = m_input.open(m_url, &options, rtmp ? "flv" : nullptr);
    av_dict_free(&options);
    if (ret < 0) {
        Logger::instance()->Log(LOG_WARN, "avplayer::RtmpPlayer::resetContext", "Cann't open rtmp url:%s ret %d",
                                m_url.c_str(), ret);
        return -2;
    }
    av_format_inject_global_side_data(m_input.context());
    ret = m_input.findStreamInfo();
    if (ret < 0) {
        Logger::instance()->Log(LOG_WARN, "avplayer::RtmpPlayer::resetContext", "Cann't find stream info url:%s ret %d",
                                m_url.c_str(), ret);
        m_input.close();
        return -3;
    }
    Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::resetContext", "rtmp find stream size %d",
                            int(m_input.context()->nb_streams));
    return 0;
}

int RtmpPlayer::openStream(unsigned index)
{
    AVStream* stream = m_input.context()->streams[index];
    const AVMediaType type = stream->codecpar->codec_type;
    if (type == AVMEDIA_TYPE_VIDEO && m_videoIndex.load() < 0) {
        if (m_videoDecoder->openAVCodecContext(stream) != 0) {
            Logger::instance()->Log(LOG_WARN, "avplayer::RtmpPlayer::demuxThread",
                                    "rtmp palyer open video decoder context failed!");
            return -2;
        }
        m_videoIndex.store(int(index));
    } else if (type == AVMEDIA_TYPE_AUDIO && m_audioIndex.load() < 0) {
        if (m_audioDecoder->openAVCodecContext(stream) != 0) {
            Logger::instance()->Log(LOG_WARN, "avplayer::RtmpPlayer::demuxThread",
                                    "rtmp palyer open audio decoder context failed!");
            return -2;
        }
        m_audioIndex.store(int(index));
    }
    return 0;
}

int RtmpPlayer::openDecoders()
{
    for (unsigned i = 0; i < m_input.context()->nb_streams; ++i)
        if (openStream(i) != 0)
            return -2;
    if (m_videoIndex.load() < 0 && m_audioIndex.load() < 0) {
        Logger::instance()->Log(LOG_WARN, "avplayer::RtmpPlayer::demuxThread", "rtmp palyer found no audio or video");
        return -2;
    }
    // Without audio the video paces itself against the wall clock.
    const int master = m_audioIndex.load() >= 0 ? SyncClock::Audio : SyncClock::Video;
    m_syncClock->setMasterType(master);
    m_masterType.store(master);
    return 0;
}

void RtmpPlayer::reportOpened(bool ok, int code)
{
    std::function<void(bool, int)> onOpened;
    {
        std::lock_guard<std::mutex> lock(m_callbackLock);
        onOpened.swap(m_onOpened);  // reported once
    }
    if (onOpened)
        onOpened(ok, code);
}

void RtmpPlayer::demuxThread()
{
    Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::demuxThread", "enter func : %s ,obj id = %lld",
                            "avplayer::RtmpPlayer::demuxThread", objectId(this));
    if (resetContext() < 0) {
        if (!m_demuxStop.load() && !m_input.aborted()) {  // a stop is not a failure
            Logger::instance()->Log(LOG_WARN, "avplayer::RtmpPlayer::demuxThread", "rtmp palyer resetContext failed!");
            reportOpened(false, -1);
        }
        return;
    }
    if (openDecoders() != 0) {
        reportOpened(false, -2);
        return;
    }
    Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::demuxThread", "rtmp palyer resetContext successed!");
    reportOpened(true, 0);

    std::vector<unsigned> tried;  // streams that came after the open and were looked at
    while (!m_demuxStop.load()) {
        PacketPtr packet = makePacket();
        if (!packet)
            break;
        const auto start = std::chrono::steady_clock::now();
        const int ret = m_input.read(packet.get());
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        if (ms > kSlowReadMs)
            Logger::instance()->Log(LOG_WARN, "avplayer::RtmpPlayer::demuxThread",
                                    "av_read_frame duration is too long, duration = %d ms ", int(ms));
        if (ret < 0) {
            if (m_demuxStop.load() || m_input.aborted())
                break;  // closing: not a read error
            Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::demuxThread", "read rtmp stream fail:%d", ret);
            std::function<void(int)> onReadError;
            {
                std::lock_guard<std::mutex> lock(m_callbackLock);
                onReadError = m_onReadError;
            }
            if (onReadError)
                onReadError(ret);
            break;
        }
        if (packet->stream_index != m_videoIndex.load() && packet->stream_index != m_audioIndex.load()) {
            // A live stream may start one kind late (video waits for its
            // first key frame): its decoder opens when its first packet comes.
            const unsigned index = unsigned(packet->stream_index);
            const bool seen = std::find(tried.begin(), tried.end(), index) != tried.end();
            if (!seen)
                tried.push_back(index);
            if (seen || index >= m_input.context()->nb_streams || openStream(index) != 0 ||
                (packet->stream_index != m_videoIndex.load() && packet->stream_index != m_audioIndex.load())) {
                continue;  // data streams and streams without a decoder: dropped
            }
            Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::demuxThread", "late stream %d opened",
                                    packet->stream_index);
        }
        packet->time_base = m_input.context()->streams[packet->stream_index]->time_base;
        if (packet->stream_index == m_videoIndex.load())
            m_videoPackets.push(std::move(packet));
        else
            m_audioPackets.push(std::move(packet));
    }
    Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::demuxThread", "leave func : %s ,obj id = %lld",
                            "avplayer::RtmpPlayer::demuxThread", objectId(this));
}

void RtmpPlayer::decodeThread(PacketQueue* packets, DecoderBase* decoder, double maxBacklog)
{
    Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::decodeThread", "enter func : %s ,obj id = %lld",
                            "avplayer::RtmpPlayer::decodeThread", objectId(this));
    while (!m_decodeStop.load()) {
        double backlog = 0.0;
        PacketPtr packet = packets->pop(100, &backlog);
        if (!packet)
            continue;
        decoder->setBackPressure(backlog < maxBacklog);
        decoder->decode(packet.get());
    }
    Logger::instance()->Log(LOG_INFO, "avplayer::RtmpPlayer::decodeThread", "leave func : %s ,obj id = %lld",
                            "avplayer::RtmpPlayer::decodeThread", objectId(this));
}

int64_t RtmpPlayer::audioFramesRendered() const
{
    std::lock_guard<std::mutex> lock(m_closeLock);
    return m_audioDecoder ? m_audioDecoder->renderedFrames() : 0;
}

int64_t RtmpPlayer::videoFramesRendered() const
{
    std::lock_guard<std::mutex> lock(m_closeLock);
    return m_videoDecoder ? m_videoDecoder->renderedFrames() : 0;
}

namespace {

// Destroys a player on a pool thread, so that the caller never waits while
// the player joins its threads.
class ReleaseTask : public QRunnable {
public:
    explicit ReleaseTask(IRtmpPlayer* player) : m_player(player) { setAutoDelete(true); }
    void run() override
    {
        Logger::instance()->Log(LOG_INFO, "ReleaseTask::run", "release rtmp player start %lld", objectId(m_player));
        delete m_player;  // virtual destructor: any implementation
        Logger::instance()->Log(LOG_INFO, "ReleaseTask::run", "release rtmp player finished %lld",
                                objectId(m_player));
    }

private:
    IRtmpPlayer* m_player;  // owned; the pool thread only
};

}  // namespace

}  // namespace avplayer

std::shared_ptr<IRtmpPlayer> createRtmpPlayer()
{
    return std::shared_ptr<IRtmpPlayer>(new avplayer::RtmpPlayer, &releaseRtmpPlayer);
}

void releaseRtmpPlayer(IRtmpPlayer* player)
{
    Logger::instance()->Log(LOG_INFO, "releaseRtmpPlayer", "enter releaseRtmpPlayer %p", static_cast<void*>(player));
    if (player)
        QThreadPool::globalInstance()->start(new avplayer::ReleaseTask(player));
    Logger::instance()->Log(LOG_INFO, "releaseRtmpPlayer", "leave releaseRtmpPlayer %p", static_cast<void*>(player));
}
