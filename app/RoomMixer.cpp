// Room: the remote participants' audio mixed into one stream for the
// broadcast engine. The first speaker is the master: its frames set the pace;
// the others wait in their slots until the master's next frame mixes them in.
#include "app/Room.h"

#include "app/Logger.h"
#include "app/BroadcastAudioLink.h"

#include <QDateTime>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMixRate = 48000;
constexpr int kMixSlots = 6;
constexpr int kTimeoutFrames = 5;  // a speaker this many frame durations quiet is dropped

}  // namespace

qint64 Room::NowMs() const { return m_clock ? m_clock() : QDateTime::currentMSecsSinceEpoch(); }

void Room::ResetMixer()
{
    std::lock_guard<std::mutex> lk(m_mixLock);
    m_mixSlots.clear();
    m_mixMaster.clear();
    m_mixTimeoutMs = 0;
    m_mixLastMs = 0;
}

void Room::MixAudioFrames(const std::vector<const qint16*>& buffers, qint16* out, int byteLength)
{
    const int samples = byteLength / 2;
    double gain = 1.0;
    for (int i = 0; i < samples; ++i) {
        qint64 sum = 0;
        for (const qint16* b : buffers)
            sum += b[i];
        qint64 v = static_cast<qint64>(sum * gain);
        if (v > 32767) {
            gain = 32767.0 / v;
            v = 32767;
        } else if (v < -32768) {
            gain = -32768.0 / v;
            v = -32768;
        }
        if (gain < 1.0)
            gain += (1.0 - gain) / 32;
        out[i] = static_cast<qint16>(v);
    }
}

void Room::OnAudioDataBC(QString userId, const void* data, int bitsPerSample, int sampleRate, int channels,
                         int frames, int timestamp, int flags)
{
    if (sampleRate != kMixRate || channels != 1 || bitsPerSample != 16 || frames <= 0 || !data)
        return;
    const char* func = "Room::OnAudioDataBC";
    std::lock_guard<std::mutex> lk(m_mixLock);
    const qint64 now = NowMs();
    if (m_mixTimeoutMs != 0 && now - m_mixLastMs >= m_mixTimeoutMs) {
        Logger::instance()->Log(LOG_WARN, func, "mix userid %s, timeout %lld ms, frame %d",
                                m_mixMaster.toUtf8().constData(), now - m_mixLastMs, frames);
        m_mixMaster.clear();
    }
    const size_t samples = static_cast<size_t>(frames);
    if (m_mixMaster.isEmpty())
        m_mixMaster = userId;
    if (m_mixSlots.size() != kMixSlots) {
        m_mixSlots.clear();
        for (int i = 0; i < kMixSlots; ++i)
            m_mixSlots[i].samples.assign(samples, 0);
    }

    MixSlot* slot = nullptr;
    for (auto& entry : m_mixSlots) {
        if (entry.second.userId == userId) {
            slot = &entry.second;
            break;
        }
    }
    if (!slot) {
        for (auto& entry : m_mixSlots) {
            if (entry.second.userId.isEmpty()) {
                slot = &entry.second;
                slot->userId = userId;
                break;
            }
        }
    }
    if (!slot)
        return;  // six others speak already: this frame is dropped

    const qint64 timeout = (qint64(frames) * 1000 / kMixRate) * kTimeoutFrames;
    if (timeout != m_mixTimeoutMs) {
        m_mixTimeoutMs = timeout;
        Logger::instance()->Log(LOG_INFO, func, "mix userid %s, init timeout %lld ms, frame %d",
                                userId.toUtf8().constData(), timeout, frames);
    }
    if (m_mixBuffer.size() < samples)
        m_mixBuffer.resize(samples, 0);
    if (slot->samples.size() < samples)
        slot->samples.resize(samples, 0);
    std::memcpy(slot->samples.data(), data, samples * 2);
    slot->frames = frames;
    slot->timeMs = now;

    if (userId != m_mixMaster)
        return;
    m_mixLastMs = now;
    std::vector<const qint16*> pending;
    for (auto& entry : m_mixSlots) {
        MixSlot& s = entry.second;
        if (s.frames == 0)
            continue;
        // A slot mixed in must hold the whole length: a shorter frame of
        // another speaker counts as silence after its end.
        if (s.samples.size() < samples)
            s.samples.resize(samples, 0);
        pending.push_back(s.samples.data());
        if (now - s.timeMs > m_mixTimeoutMs) {
            Logger::instance()->Log(LOG_INFO, func, "mix userid %s, init timeout %lldms, frame %d",
                                    s.userId.toUtf8().constData(), now - s.timeMs, s.frames);
            s.userId.clear();
        }
    }
    const void* output = data;
    if (pending.size() >= 2) {
        MixAudioFrames(pending, m_mixBuffer.data(), frames * 2);
        output = m_mixBuffer.data();
    }
    BroadcastAudioLink::instance().MixAudioData(userId, output, 16, kMixRate, 1, frames, timestamp, flags);
    for (auto& entry : m_mixSlots) {
        entry.second.frames = 0;
        std::fill(entry.second.samples.begin(), entry.second.samples.end(), qint16(0));
    }
}
