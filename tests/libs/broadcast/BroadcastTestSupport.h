#pragma once
// An observer that records what the broadcast engine reports, for the tests.
#include "libs/broadcast/IBroadcastEngine.h"
#include "tests/libs/rtmppush/StreamProbe.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

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

// An engine set up as the settings window sets it up: the scene, a 1080p
// canvas, the given audio sources, then one visual source on top (none when
// visualName is null). Stopped and released at the end.
struct Engine {
    static constexpr const char* kScene = "default_scene";
    static constexpr const char* kMic = "standard_audio_input_device";
    static constexpr const char* kSpeaker = "standard_audio_output_device";
    static constexpr const char* kRemote = "audio_mulinput_device";

    explicit Engine(Broadcast::ESourceType visual, const char* visualName,
                    const std::vector<const char*>& audio = {kMic, kSpeaker, kRemote});
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    // Waits for count observer events of that name.
    bool waitFor(const std::string& event, int count = 1, int maxMs = 20000);
    // Records for about ms into folder; the file's path ("" when it failed).
    std::string record(const std::string& folder, int ms, const char* format = "mkv");

    RecordingObserver observer;
    IBroadcastEngine* engine = nullptr;
    int recordings = 0;
};

// A picture decoded by the ffmpeg CLI, as 8-bit RGB.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::string rgb;
    bool empty() const { return rgb.size() < size_t(width) * size_t(height) * 3 || width <= 0; }
    // The pixel at x, y as 0xRRGGBB.
    uint32_t at(int x, int y) const;
    // How far the pixel at x, y is from 0xRRGGBB (the largest channel difference).
    int distance(int x, int y, uint32_t rgbColour) const;
};

// One video frame of a file or stream at its canvas size: the last second's
// frame of a file (fromEnd), else the first one.
RgbPicture pictureOf(const std::string& input, int width, int height, bool fromEnd = true);
// A file's sound as 48 kHz mono 16-bit samples.
std::vector<int16_t> soundOf(const std::string& file);

}  // namespace broadcasttest
