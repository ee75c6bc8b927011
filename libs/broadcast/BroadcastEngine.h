#pragma once
// The broadcast engine's one implementation. Declared once, implemented by
// concern:
//   BroadcastEngine.cpp  sources, scenes, start and stop, the engine registry
//   EngineCapture.cpp    capture of each source, the video tick, the audio mix
//   EngineOutputs.cpp    encoders, publishing and recording
//   EngineSettings.cpp   what the source properties read and change
// Threads: API calls on any thread (the caller's); one capture thread per
// running source; the video tick and the audio mix threads while started;
// the publish link's sender thread; the event thread that calls the observer;
// one paint thread per view. Devices are opened and closed outside m_lock,
// so the tick, the mix and pushed audio never wait for a device.
#include "libs/broadcast/Compositor.h"
#include "libs/broadcast/FileRecorder.h"
#include "libs/broadcast/IBroadcastEngine.h"

#include "libs/mediacore/AudioEncoder.h"
#include "libs/mediacore/CaptureSource.h"
#include "libs/mediacore/DeviceList.h"
#include "libs/mediacore/EventQueue.h"
#include "libs/mediacore/PublishLink.h"
#include "libs/mediacore/VideoEncoder.h"

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace broadcast {

class SceneViewImpl;

// What a source's properties set; kept by name, also before the source exists.
struct SourceSettings {
    std::string deviceId;
    bool captureCursor = true;
    bool compatibility = false;
    uint64_t windowId = 0;
    int volume = 100;
    bool muted = false;
    bool placed = false;  // rect was set; else the source fills the canvas
    SceneRect rect;       // canvas pixels
};

// A visual source of the current scene where it stands on the canvas.
struct PlacedSource {
    std::string name;
    Broadcast::ESourceType type;
    SceneRect rect;
};

class BroadcastEngine : public IBroadcastEngine {
public:
    static constexpr int kSampleRate = 48000;
    static constexpr int kFps = 15;

    explicit BroadcastEngine(IBroadcastEngineObserver* observer);
    ~BroadcastEngine() override;

    // The engine the properties talk to; guarded by registryLock().
    static BroadcastEngine* current();
    static std::mutex& registryLock();

    int Initialize() override;
    bool Start() override;
    void Stop() override;
    bool AddSource(Broadcast::ESourceType type, const char* source, const char* scene) override;
    bool RemoveSource(const char* source) override;
    bool HasSource(const char* source) override;
    void EnumSources(const std::function<bool(Broadcast::ESourceType type, const char* name)>& cb) override;
    bool SetSourceOrder(const char* source, int order) override;
    std::shared_ptr<ISceneCollection> GetScenes() override;
    bool StartStreaming(const char* url, const char* key) override;
    void StopStreaming(int code) override;
    bool SetVideoOutput(int width, int height, int kbitsPerSecond) override;
    void SetRecordPath(const char* path) override;
    std::string GetRecordPath() override;
    bool SetRecordFormat(const char* format) override;
    bool StartRecording() override;
    void StopRecording() override;
    bool GetSourceRect(const char* source, SceneRect* rect) override;
    bool SetSourceRect(const char* source, const SceneRect& rect) override;

    // Scenes (through ISceneCollection).
    bool selectScene(const std::string& name);
    bool addScene(const std::string& name);
    bool hasScene(const std::string& name);
    // The composed canvas a preview shows (a new reference; null before
    // the first tick) and the canvas size.
    AVFrame* previewPicture(int* canvasW, int* canvasH);
    // The current scene's visual sources, bottom first, where they stand.
    // pictures: when given, receives each one's last picture (or null).
    std::vector<PlacedSource> placedSources(std::vector<mediacore::FramePtr>* pictures = nullptr);
    // Places a visual source; apply: an area source captures its new region
    // now (while a drag goes on only the canvas follows).
    bool placeSource(const std::string& name, SceneRect rect, bool apply);
    bool captureRegion(const std::string& name, SceneRect* region);
    void notifySelection(const std::string& name, bool selected);
    // Views (through ISceneCollection); the engine ends those left at its end.
    ISceneView* createView(uint64_t nativeWindow);
    void destroyView(ISceneView* view);

    // Source settings (through the properties). kind: the property's idea of
    // the source's type when the source does not exist yet.
    std::vector<mediacore::DeviceInfo> devicesOf(const std::string& name, Broadcast::ESourceType kind);
    bool setDevice(const std::string& name, Broadcast::ESourceType kind, const std::string& id, bool apply);
    mediacore::DeviceInfo currentDevice(const std::string& name, Broadcast::ESourceType kind);
    SourceSettings settings(const std::string& name);
    void changeSettings(const std::string& name, const std::function<void(SourceSettings&)>& change, bool restart);
    bool setWindow(const std::string& name, const std::string& title);
    bool pushAudio(const std::string& name, int64_t userId, const int16_t* samples, int frames, int channels,
                   int rate);

private:
    struct Source {
        Broadcast::ESourceType type;
        std::string scene;
        int order = 0;
    };
    // Lets a capture's data through. A capture that replaces another opens
    // its gate with its first data, which closes the other's: the sound goes
    // on from one device to the next without a gap or a doubled block.
    struct CaptureGate {
        static constexpr int kUnarmed = -1, kWaiting = 0, kOpen = 1, kClosed = 2;
        std::atomic<int> state{kUnarmed};
        std::weak_ptr<CaptureGate> previous;  // written before state leaves kUnarmed, then read only
        // A replacing sound capture's first deliveries are let go: a device
        // just opened starts unsteadily, while the capture it replaces still
        // delivers the real thing.
        int settle = 0;  // set before the gate is armed, then the capture's thread only
        bool pass();
    };
    struct Running {
        std::unique_ptr<mediacore::CaptureSource> capture;
        std::shared_ptr<CaptureGate> gate;
    };
    static bool isVisual(Broadcast::ESourceType type);
    static bool isAudio(Broadcast::ESourceType type);
    void log(const std::string& line);
    void post(std::function<void(IBroadcastEngineObserver*)> call);

    // EngineCapture.cpp
    // Opens the source's input outside m_lock and then puts it in place of
    // the one running (which runs until then); a newer start or a stop in
    // between wins. Call without m_lock.
    void startCapture(const std::string& name);
    std::unique_ptr<mediacore::CaptureSource> openCapture(const std::string& name, const Source& source,
                                                          const SourceSettings& settings,
                                                          const std::shared_ptr<CaptureGate>& gate);
    void stopCapture(const std::string& name);
    // The screen standing on the canvas (fit, aspect kept). m_lock held.
    SceneRect screenBoxLocked() const;
    SceneRect areaRegionLocked(const SourceSettings& settings) const;
    void runVideoTick();
    void runAudioMix();
    void onAudio(const std::string& key, const int16_t* samples, int frames);
    void meter(const std::vector<float>& block);

    // EngineOutputs.cpp
    bool ensureEncodersLocked(std::string* error);
    void releaseEncodersIfIdleLocked();
    void encodeVideo(const AVFrame* picture, int64_t captureMs);
    void encodeAudio(const int16_t* samples, int frames, int64_t captureMs);
    void deliver(AVPacket* packet, bool video, AVRational timeBase, int64_t captureMs);
    void endPublishing(int code, const std::string& text);

    IBroadcastEngineObserver* m_observer;
    mediacore::EventQueue m_events;  // calls the observer, in order

    std::mutex m_lock;  // guards the members down to m_recordFormat
    std::set<std::string> m_scenes;
    std::string m_currentScene;
    std::map<std::string, Source> m_sources;
    std::map<std::string, SourceSettings> m_settings;
    std::map<std::string, Running> m_captures;
    std::map<std::string, uint64_t> m_wantedCapture;  // the start that may put its capture in place
    uint64_t m_captureStarts = 0;
    int m_screenW = 0, m_screenH = 0;  // learned when a screen capture opens (0: not yet)
    bool m_started = false;
    int m_outW = 1920, m_outH = 1080, m_kbps = 2048;
    std::string m_recordFolder;
    std::string m_recordFile;
    std::string m_recordFormat = "flv";
    std::thread m_tickThread;
    std::thread m_mixThread;
    std::atomic<bool> m_running{false};  // the tick and mix threads run while set
    int64_t m_originMs = 0;              // set before the threads start

    std::mutex m_frameLock;
    std::map<std::string, mediacore::FramePtr> m_latest;  // guarded by m_frameLock: last picture per visual source
    mediacore::FramePtr m_canvas;                         // guarded by m_frameLock: the last composed canvas
    Compositor m_compositor;                              // tick thread only

    std::mutex m_viewLock;
    std::set<ISceneView*> m_views;  // guarded by m_viewLock: made and not yet destroyed

    std::mutex m_audioLock;
    struct AudioFifo {
        std::deque<int16_t> samples;
        int64_t fedMs = 0;  // monotonic time of the last delivery
    };
    std::map<std::string, AudioFifo> m_fifos;  // guarded by m_audioLock: key "name" or "name\nuser"
    std::set<std::string> m_primed;            // guarded by m_audioLock: fifos the mix takes from
    float m_peakHold = -100.f;                           // mix thread only
    int64_t m_peakHoldMs = 0;                            // mix thread only

    std::mutex m_outputLock;  // guards the encoders and the outputs
    std::unique_ptr<mediacore::VideoEncoder> m_videoEncoder;
    std::unique_ptr<mediacore::AudioEncoder> m_audioEncoder;
    std::unique_ptr<mediacore::PublishLink> m_link;
    bool m_publishConnected = false;  // event thread only (link events are posted there)
    std::unique_ptr<FileRecorder> m_recorder;
};

}  // namespace broadcast
