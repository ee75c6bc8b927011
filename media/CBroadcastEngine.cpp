#include "media/CBroadcastEngine.h"

#include "widgets/MicrophoneVolumeCtrl.h"

#include <chrono>
#include <cstring>

namespace {

CBroadcastEngine* s_instance = nullptr;  // GUI thread only
std::atomic<CBroadcastEngine::Clock> s_clock{nullptr};

QString fromUtf8(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

}  // namespace

CBroadcastEngine::CBroadcastEngine() : QObject(nullptr) {}

CBroadcastEngine::~CBroadcastEngine()
{
    // The engine is freed only through release().
    m_engine = nullptr;
}

CBroadcastEngine* CBroadcastEngine::instance()
{
    if (!s_instance) {
        s_instance = new CBroadcastEngine;
        s_instance->m_engine = IBroadcastEngine::create(s_instance);
        MicrophoneVolumeCtrl::SetAudioLevelSource(s_instance);
    }
    return s_instance;
}

IBroadcastEngine* CBroadcastEngine::getEngine()
{
    return s_instance ? s_instance->m_engine : nullptr;
}

void CBroadcastEngine::release()
{
    if (!s_instance || !s_instance->m_engine)
        return;
    IBroadcastEngine::release(s_instance->m_engine);
    s_instance->m_engine = nullptr;
}

void CBroadcastEngine::setClockForTests(Clock clock)
{
    s_clock = clock;
    if (s_instance)
        s_instance->m_lastVolumeMs = 0;
}

int64_t CBroadcastEngine::nowMs()
{
    if (Clock clock = s_clock.load())
        return clock();
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count() / 1000000;
}

void CBroadcastEngine::OnActivateAudioSource(const char* name)
{
    emit signalActivateAudioSource(fromUtf8(name));
}

void CBroadcastEngine::OnDeactivateAudioSource(const char* name)
{
    emit signalDeactivatAudioSource(fromUtf8(name));
}

void CBroadcastEngine::OnAudioVolume(const char* name, float mag, float peak, float peakHold)
{
    if (!name || std::strcmp(name, kMicrophoneSource) != 0)
        return;
    const int64_t now = nowMs();
    const int64_t gap = now - m_lastVolumeMs.load();
    if (gap < 0 || gap <= kVolumeIntervalMs)
        return;
    m_lastVolumeMs = now;
    emit signalAudioVolume(QString::fromUtf8(name), mag, peak, peakHold);
}

void CBroadcastEngine::OnSourceSelectionChange(const char* name, bool selected)
{
    emit signalSourceSelectionChange(fromUtf8(name), selected);
}

void CBroadcastEngine::OnSceneInitialled()
{
    emit signalSceneInitialled();
}

void CBroadcastEngine::OnOutputSizeChange(int width, int height)
{
    emit signalOutputSizeChange(width, height);
}

void CBroadcastEngine::OnPublishStatistics(int, int) {}

void CBroadcastEngine::OnRecordStatistics(int, int) {}

void CBroadcastEngine::OnStartPublishSuccess()
{
    emit signalStartPublishSuccess();
}

void CBroadcastEngine::OnStopPublish(int code, const char* text)
{
    emit signalStopPublish(code, text ? QString::fromUtf8(text) : QStringLiteral(""));
}

void CBroadcastEngine::OnReconnectStream()
{
    emit signalReconnectStream();
}

void CBroadcastEngine::OnReconnectStreamSuccess()
{
    emit signalReconnectStreamSuccess();
}

void CBroadcastEngine::OnStartRecordSuccess()
{
    emit signalStartRecordSuccess();
}

void CBroadcastEngine::OnStopRecord(int code, const char* text)
{
    emit signalStopRecord(code, text ? QString::fromUtf8(text) : QStringLiteral(""));
}
