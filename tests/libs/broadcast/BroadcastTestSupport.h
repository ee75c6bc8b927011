#pragma once
// An observer that records what the broadcast engine reports, for the tests.
#include "libs/broadcast/IBroadcastEngine.h"
#include "tests/libs/rtmppush/StreamProbe.h"

#include <atomic>
#include <mutex>
#include <string>

namespace broadcasttest {

class RecordingObserver : public IBroadcastEngineObserver {
public:
    void OnActivateAudioSource(const char* name) override { log.add(std::string("activate:") + name); }
    void OnDeactivateAudioSource(const char* name) override { log.add(std::string("deactivate:") + name); }
    void OnAudioVolume(const char* name, float, float, float) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        lastVolumeName = name;  // the pointer stays valid: keep it, as a queued signal would
        ++volumeReports;
    }
    void OnSourceSelectionChange(const char* name, bool selected) override
    {
        log.add(std::string(selected ? "select:" : "unselect:") + name);
    }
    void OnSceneInitialled() override { log.add("scene"); }
    void OnOutputSizeChange(int w, int h) override { log.add("size:" + std::to_string(w) + "x" + std::to_string(h)); }
    void OnPublishStatistics(int, int) override {}
    void OnRecordStatistics(int, int) override {}
    void OnStartPublishSuccess() override { log.add("published"); }
    void OnStopPublish(int code, const char* text) override
    {
        log.add("stopPublish:" + std::to_string(code));
        std::lock_guard<std::mutex> lock(m_lock);
        lastPublishText = text ? text : "";
    }
    void OnReconnectStream() override { log.add("reconnect"); }
    void OnReconnectStreamSuccess() override { log.add("reconnected"); }
    void OnStartRecordSuccess() override { log.add("recording"); }
    void OnStopRecord(int code, const char* text) override
    {
        log.add("stopRecord:" + std::to_string(code));
        std::lock_guard<std::mutex> lock(m_lock);
        lastRecordText = text ? text : "";
    }

    mediatest::EventLog log;
    std::mutex m_lock;
    const char* lastVolumeName = nullptr;  // guarded by m_lock
    int volumeReports = 0;                 // guarded by m_lock
    std::string lastPublishText;           // guarded by m_lock
    std::string lastRecordText;            // guarded by m_lock
};

}  // namespace broadcasttest
