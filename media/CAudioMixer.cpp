#include "media/CAudioMixer.h"

#include "app/Logger.h"

#include <algorithm>
#include <cstring>

CAudioMixer::CAudioMixer(Clock& clock) : m_clock(clock)
{
    for (int key = 0; key < kChannels; ++key)
        m_slots[key];
}

void CAudioMixer::SetFormat(int sampleRate, int channels)
{
    std::lock_guard<std::mutex> lk(m_lock);
    m_sampleRate = sampleRate;
    m_channels = channels;
}

void CAudioMixer::SetMixUserCall(const QString& userId, MixCallback callback, bool writeBack, qint32 ctx1,
                                 qint32 ctx2)
{
    {
        std::lock_guard<std::mutex> lk(m_lock);
        m_mixUserId = userId;
        m_callback = callback;
        m_writeBack = writeBack;
        m_ctx1 = ctx1;
        m_ctx2 = ctx2;
        // The configured user is the master from now on: a remote block that
        // happens to come first must not take the master's place (its
        // buffer belongs to the client library and the push would never
        // carry the mix).
        if (!userId.isEmpty())
            m_curUser = userId;
        m_lastMasterTime = 0;
    }
    Logger::instance()->Log(LOG_INFO, "CAudioMixer::SetMixUserCall", "set mix userid %s", userId.toUtf8().constData());
}

void CAudioMixer::OnAudioConvertMix(const QString& userId, const uchar* data, int bits, int sampleRate,
                                    int channels, int frames)
{
    bool accepted;
    {
        std::lock_guard<std::mutex> lk(m_lock);
        accepted = bits == 16 && channels == m_channels && sampleRate == m_sampleRate;
    }
    if (!accepted) {
        // A stream of such blocks would flood the log: one line in a hundred ms ticks.
        if (m_clock.nowMs() % 100 == 0)
            Logger::instance()->Log(LOG_WARN, "CAudioMixer::OnAudioConvertMix", "on audio data format not s16");
        return;
    }
    MixerAudioData(userId, data, bits, sampleRate, channels, frames);
}

bool CAudioMixer::dropIfSilent(MixSlot& slot, qint64 now)
{
    if (now - slot.lastTime <= kSilentMs)
        return false;
    if (!slot.userId.isEmpty())
        Logger::instance()->Log(LOG_INFO, "CAudioMixer::MixerAudioData", "mix userid %s timeout %lldms clear frame %d",
                                slot.userId.toUtf8().constData(), static_cast<long long>(now - slot.lastTime),
                                static_cast<int>(slot.used()));
    slot.userId.clear();
    slot.readPos = slot.writePos;
    return true;
}

void CAudioMixer::writeRing(MixSlot& slot, const QString& userId, const uchar* data, int bytes)
{
    const quint32 size = static_cast<quint32>(bytes);
    const quint32 space = kRingBytes - slot.used();
    if (space < size)
        slot.readPos += std::min(size - space, slot.used());  // the oldest bytes go first
    const quint32 n = std::min<quint32>(size, kRingBytes - slot.used());
    for (quint32 i = 0; i < n; ++i)
        slot.ring[(slot.writePos + i) & (kRingBytes - 1)] = data[i];
    slot.writePos += n;
    if (n < size)
        Logger::instance()->Log(LOG_WARN, "CAudioMixer::MixerAudioData", "mix userid %s, writeBuff failed write %d size %d",
                                userId.toUtf8().constData(), static_cast<int>(n), bytes);
}

void CAudioMixer::MixerAudioData(const QString& userId, const uchar* data, int bits, int sampleRate, int channels,
                                 int frames)
{
    const int bytes = frames * channels * (bits / 8);
    if (!data || bytes <= 0)
        return;
    std::lock_guard<std::mutex> lk(m_lock);
    const qint64 now = m_clock.nowMs();

    if (m_lastMasterTime != 0 && now - m_lastMasterTime >= kSilentMs) {
        Logger::instance()->Log(LOG_WARN, "CAudioMixer::MixerAudioData", "mix userid %s, timeout %lld ms, frame %d",
                                m_curUser.toUtf8().constData(), static_cast<long long>(now - m_lastMasterTime), frames);
        m_curUser = m_mixUserId;
    }
    if (m_curUser.isEmpty())
        m_curUser = userId;

    MixSlot* slot = nullptr;
    for (auto& entry : m_slots) {
        MixSlot& s = entry.second;
        dropIfSilent(s, now);
        if (s.userId == userId) {
            slot = &s;
            break;
        }
        if (s.userId.isEmpty()) {
            slot = &s;
            s.userId = userId;
            s.readPos = s.writePos;
            break;
        }
    }
    if (!slot) {
        Logger::instance()->Log(LOG_WARN, "CAudioMixer::MixerAudioData", "mix userid %s, no mix channel return",
                                m_curUser.toUtf8().constData());
        return;
    }

    const size_t need = static_cast<size_t>(bytes);
    if (m_mixBuffer.size() < need)
        m_mixBuffer.resize(need, 0);
    if (slot->readBuffer.size() < need)
        slot->readBuffer.resize(need, 0);
    const bool master = userId == m_curUser;
    if (master)
        slot->readPos = slot->writePos;
    slot->lastTime = now;
    writeRing(*slot, userId, data, bytes);
    if (!master)
        return;

    m_lastMasterTime = now;
    const uchar* inputs[kChannels];
    int count = 0;
    for (auto& entry : m_slots) {
        MixSlot& s = entry.second;
        if (s.used() < static_cast<quint32>(bytes))
            continue;
        if (dropIfSilent(s, now))
            continue;
        for (int i = 0; i < bytes; ++i)
            s.readBuffer[size_t(i)] = s.ring[(s.readPos + quint32(i)) & (kRingBytes - 1)];
        s.readPos += static_cast<quint32>(bytes);
        inputs[count++] = s.readBuffer.data();
    }
    if (count < 2)
        return;
    MixAudio(inputs, count, m_mixBuffer.data(), bytes);
    if (m_writeBack)
        std::memcpy(const_cast<uchar*>(data), m_mixBuffer.data(), need);
    if (m_callback)
        m_callback(m_ctx1, m_ctx2, userId, m_mixBuffer.data(), bits, sampleRate, channels, frames);
}

void CAudioMixer::MixAudio(const uchar* const* inputs, int count, uchar* out, int byteCount)
{
    double f = 1.0;
    for (int i = 0; i < byteCount / 2; ++i) {
        qint32 sum = 0;
        for (int n = 0; n < count; ++n) {
            qint16 sample;
            std::memcpy(&sample, inputs[n] + 2 * i, sizeof sample);
            sum += sample;
        }
        qint32 v = static_cast<qint32>(sum * f);
        if (v > 32767) {
            f = 32767.0 / v;
            v = 32767;
        } else if (v < -32768) {
            f = -32768.0 / v;
            v = -32768;
        }
        if (f < 1.0)
            f += (1.0 - f) / 32;
        const qint16 s = static_cast<qint16>(v);
        std::memcpy(out + 2 * i, &s, sizeof s);
    }
}

QString CAudioMixer::SlotUser(int key) const
{
    std::lock_guard<std::mutex> lk(m_lock);
    auto it = m_slots.find(key);
    return it == m_slots.end() ? QString() : it->second.userId;
}

int CAudioMixer::SlotBuffered(int key) const
{
    std::lock_guard<std::mutex> lk(m_lock);
    auto it = m_slots.find(key);
    return it == m_slots.end() ? 0 : static_cast<int>(it->second.used());
}

QString CAudioMixer::CurrentMaster() const
{
    std::lock_guard<std::mutex> lk(m_lock);
    return m_curUser;
}
