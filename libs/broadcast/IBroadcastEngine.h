#pragma once
// The broadcast engine: captures sources into a scene drawn on a
// 1920x1080 canvas, shows a preview in a native window, publishes the scene
// as FLV over RTMP and records it (flv, mp4, mkv, ts) at the same time.
// Strings are UTF-8. The observer is called on the engine's own threads.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Broadcast {

enum ESourceType {
    kSourceCamera = 0,
    kSourceDesktop = 2,
    kSourceAppWindow = 3,
    kSourceAudioInput = 4,
    kSourceAudioOutput = 5,
    kSourceArea = 6,
    kSourceMulAudioInput = 7,
};

// Codes of OnStopPublish and OnStopRecord. 0 is a normal stop.
enum EStopCode {
    kStopOk = 0,
    kStopBadUrl = -1,        // not a usable RTMP address, or no file path
    kStopConnectFailed = -2, // the server cannot be reached
    kStopRefused = -3,       // the server refused the stream key
    kStopError = -4,         // an unexpected error (encoder, muxer, file)
    kStopDisconnected = -5,  // the server dropped the connection
};

}  // namespace Broadcast

// A rectangle in canvas pixels (or, for a captured region, screen pixels).
struct SceneRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
};

// A mouse event on a preview.
struct SceneMouseEvent {
    int32_t button;     // 0 left, 1 other / none
    int32_t modifiers;  // 2 Shift, 4 Control, 8 Alt, 0 none or several
    int32_t x;          // widget coordinates
    int32_t y;
};

class IBroadcastEngineObserver {
public:
    virtual ~IBroadcastEngineObserver() = default;
    virtual void OnActivateAudioSource(const char* name) = 0;
    virtual void OnDeactivateAudioSource(const char* name) = 0;
    // Levels of the last audio block in dBFS (-inf .. 0): mean magnitude,
    // peak, and the peak held over the last second.
    virtual void OnAudioVolume(const char* name, float mag, float peak, float peakHold) = 0;
    virtual void OnSourceSelectionChange(const char* name, bool selected) = 0;
    virtual void OnSceneInitialled() = 0;
    virtual void OnOutputSizeChange(int width, int height) = 0;
    // Statistics slots kept in the interface; this engine does not report
    // them (receivers may ignore both).
    virtual void OnPublishStatistics(int kbitsPerSecond, int droppedFrames) = 0;
    virtual void OnRecordStatistics(int seconds, int kbytes) = 0;
    virtual void OnStartPublishSuccess() = 0;
    // code: Broadcast::EStopCode; text: a short description (may be null).
    virtual void OnStopPublish(int code, const char* text) = 0;
    virtual void OnReconnectStream() = 0;
    virtual void OnReconnectStreamSuccess() = 0;
    virtual void OnStartRecordSuccess() = 0;
    virtual void OnStopRecord(int code, const char* text) = 0;
};

// A native window the engine draws a scene into (an X window id).
class ISceneView {
public:
    virtual ~ISceneView() = default;
    // The name of the source under the pointer, or null. The text stays
    // valid until the next call on this view.
    virtual const char* OnMouseDown(std::shared_ptr<SceneMouseEvent> event) = 0;
    virtual void OnMouseUp(std::shared_ptr<SceneMouseEvent> event) = 0;
    virtual void OnMouseMove(std::shared_ptr<SceneMouseEvent> event) = 0;
    virtual void SetScene(const char* name) = 0;
    // false (the default): the scene can be edited: a press selects the
    // source under the pointer by its own rectangle and outlines it with
    // handles; dragging moves it, dragging a handle resizes it. true: the
    // scene is only shown.
    virtual void SetMode(bool fixed) = 0;
    // Starts painting (a few times a second) until the view is destroyed.
    virtual void Start() = 0;
};

class ISceneCollection {
public:
    virtual ~ISceneCollection() = default;
    virtual bool SelectScene(const char* name) = 0;
    virtual bool AddScene(const char* name) = 0;
    virtual bool HasScene(const char* name) = 0;
    // A view painting into window; owned by the engine until DestroyView.
    virtual ISceneView* CreateView(uint64_t nativeWindow) = 0;
    // null is allowed.
    virtual void DestroyView(ISceneView* view) = 0;
};

class IBroadcastEngine {
public:
    // The engine reporting to observer (which must outlive it).
    static IBroadcastEngine* create(IBroadcastEngineObserver* observer);
    // Stops everything and frees the engine (null is allowed).
    static void release(IBroadcastEngine* engine);

    // 0 when ready; may be called again.
    virtual int Initialize() = 0;
    // Starts capturing the scene's sources (the preview and meters run).
    virtual bool Start() = 0;
    // Stops publishing, recording and capture.
    virtual void Stop() = 0;
    // Adds a source of the given type by name into scene; false when the name
    // is taken or the scene does not exist.
    virtual bool AddSource(Broadcast::ESourceType type, const char* source, const char* scene) = 0;
    virtual bool RemoveSource(const char* source) = 0;
    virtual bool HasSource(const char* source) = 0;
    // Every source with its type; the callback answers false to stop.
    virtual void EnumSources(const std::function<bool(Broadcast::ESourceType type, const char* name)>& cb) = 0;
    // Visual sources are drawn on the canvas in ascending order (higher on top).
    virtual bool SetSourceOrder(const char* source, int order) = 0;
    virtual std::shared_ptr<ISceneCollection> GetScenes() = 0;
    // Publishes to url + "/" + key (the key may be empty when url holds it).
    // The result arrives as OnStartPublishSuccess or OnStopPublish.
    virtual bool StartStreaming(const char* url, const char* key) = 0;
    // Stops publishing; OnStopPublish(code) follows.
    virtual void StopStreaming(int code) = 0;
    // The canvas size and the video bit rate in kbit/s.
    virtual bool SetVideoOutput(int width, int height, int kbitsPerSecond) = 0;
    // The folder recordings are written into.
    virtual void SetRecordPath(const char* path) = 0;
    // The folder, or after a recording started, the file being written.
    virtual std::string GetRecordPath() = 0;
    // "flv", "mp4", "mkv" or "ts".
    virtual bool SetRecordFormat(const char* format) = 0;
    // The result arrives as OnStartRecordSuccess or OnStopRecord.
    virtual bool StartRecording() = 0;
    // OnStopRecord follows once the file is complete.
    virtual void StopRecording() = 0;
    // Where a visual source stands on the canvas, in canvas pixels. Until it
    // is placed a source fills the canvas keeping its picture's aspect (an
    // area source: the whole screen). false: no such visual source.
    virtual bool GetSourceRect(const char* source, SceneRect* rect) = 0;
    // Places a visual source; kept by name, also for the next time a source
    // of that name is added. An area source captures the part of the screen
    // under its rectangle (the screen standing on the canvas as a desktop
    // source would), so it is kept inside the screen's place.
    virtual bool SetSourceRect(const char* source, const SceneRect& rect) = 0;

protected:
    virtual ~IBroadcastEngine() = default;
};
