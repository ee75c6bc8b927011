#include "libs/mediacore/PublishLink.h"

namespace mediacore {

namespace {
constexpr size_t kMaxQueuedBytes = 8 * 1024 * 1024;  // beyond this the oldest packets go
}

PublishLink::~PublishLink()
{
    stop();
}

void PublishLink::start(const std::string& url, const AVCodecContext* video, const AVCodecContext* audio,
                        LinkEvents events, LinkPolicy policy, LogSink log)
{
    stop();
    m_url = url;
    m_video = video;
    m_audio = audio;
    m_events = std::move(events);
    m_policy = policy;
    m_log = std::move(log);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = false;
        m_queue.clear();
        m_queuedBytes = 0;
    }
    m_thread = std::thread([this] { run(); });
}

void PublishLink::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
        if (m_current)
            m_current->abort();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void PublishLink::push(const AVPacket* packet, bool video, AVRational timeBase, int64_t captureMs)
{
    PacketPtr copy(av_packet_clone(packet));
    if (!copy)
        return;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_stop || !m_thread.joinable())
            return;
        m_queuedBytes += size_t(copy->size);
        m_queue.push_back({std::move(copy), video, timeBase, captureMs});
        while (m_queuedBytes > kMaxQueuedBytes && !m_queue.empty()) {
            m_queuedBytes -= size_t(m_queue.front().packet->size);
            m_queue.pop_front();
        }
    }
    m_wake.notify_one();
}

int PublishLink::connect(MuxOutput& out)
{
    out.setIoTimeoutMs(m_policy.ioTimeoutMs);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_stop)
            return AVERROR_EXIT;
        m_current = &out;
    }
    const int err = out.open(m_url, "flv", m_video, m_audio, {{"flvflags", "no_duration_filesize"}});
    std::lock_guard<std::mutex> lock(m_lock);
    m_current = nullptr;
    if (err < 0)
        logLine(m_log, "publish %s: %s", m_url.c_str(), avErrorText(err).c_str());
    return err;
}

bool PublishLink::waitRetry()
{
    std::unique_lock<std::mutex> lock(m_lock);
    m_wake.wait_for(lock, std::chrono::milliseconds(m_policy.retryDelayMs), [this] { return m_stop; });
    // Packets made while there was no connection are stale.
    m_queue.clear();
    m_queuedBytes = 0;
    return !m_stop;
}

void PublishLink::run()
{
    runLink();
    if (m_events.ended)
        m_events.ended();
}

void PublishLink::runLink()
{
    bool everConnected = false;
    int attempts = 0;
    while (true) {
        MuxOutput out;
        const int err = connect(out);
        if (err >= 0) {
            everConnected = true;
            attempts = 0;
            if (m_events.connected)
                m_events.connected();
            if (!sendUntilDrop(out))
                return;  // stopped
            logLine(m_log, "publish %s: connection lost", m_url.c_str());
        } else {
            {
                std::lock_guard<std::mutex> lock(m_lock);
                if (m_stop)
                    return;
            }
            if (!everConnected && attempts == 0) {
                const OutputError code = classifyOpenError(err);
                if (m_events.failed)
                    m_events.failed(code, !m_policy.retryFirstConnect);
                if (!m_policy.retryFirstConnect)
                    return;
            }
        }
        ++attempts;
        if (everConnected && m_policy.maxReconnects >= 0 && attempts > m_policy.maxReconnects) {
            if (m_events.failed)
                m_events.failed(OutputError::Disconnected, true);
            return;
        }
        if (!waitRetry())
            return;
        if (m_events.reconnecting)
            m_events.reconnecting(attempts);
    }
}

bool PublishLink::sendUntilDrop(MuxOutput& out)
{
    bool started = false;          // a key frame has been sent on this connection
    int64_t offset = 0;            // in ms: stamps restart at 0 on every connection
    int64_t lastStatus = monotonicMs();
    while (true) {
        Item item;
        int delay = 0;
        int queuedKb = 0;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return m_stop || !m_queue.empty(); });
            if (m_stop) {
                m_current = &out;
                lock.unlock();
                out.close();
                std::lock_guard<std::mutex> relock(m_lock);
                m_current = nullptr;
                return false;
            }
            if (!m_queue.empty()) {
                item = std::move(m_queue.front());
                m_queue.pop_front();
                m_queuedBytes -= size_t(item.packet->size);
            }
            queuedKb = int(m_queuedBytes / 1024);
            m_current = &out;
        }
        if (item.packet) {
            const bool key = item.video && (item.packet->flags & AV_PKT_FLAG_KEY);
            const bool hasVideo = m_video != nullptr;
            if (!started && (key || !hasVideo)) {
                started = true;
                offset = av_rescale_q(item.packet->dts, item.timeBase, {1, 1000});
            }
            if (started) {
                const int64_t shift = av_rescale_q(offset, {1, 1000}, item.timeBase);
                if (item.packet->dts >= shift) {
                    item.packet->pts -= shift;
                    item.packet->dts -= shift;
                    const int err = out.write(item.packet.get(), item.video, item.timeBase);
                    if (err < 0) {
                        logLine(m_log, "publish write: %s", avErrorText(err).c_str());
                        out.abort();  // the trailer would only wait for a dead peer
                        std::lock_guard<std::mutex> lock(m_lock);
                        m_current = nullptr;
                        return true;
                    }
                }
            }
            delay = int(monotonicMs() - item.captureMs);
        }
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_current = nullptr;
        }
        const int64_t now = monotonicMs();
        if (now - lastStatus >= 1000) {
            lastStatus = now;
            if (m_events.status)
                m_events.status(delay, queuedKb);
        }
    }
}

}  // namespace mediacore
