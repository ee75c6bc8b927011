#pragma once
// The RTMP push library: one RTMPHoster captures the camera (or a generated
// picture) and the microphone (or generated silence), encodes H.264 with a
// key frame every second and AAC, and sends FLV over RTMP. It reports back
// through RTMPHosterEvent, always from its own threads, never from inside a
// call of the caller.
//
// Strings are UTF-8. Device names are those the system lists (V4L2 cameras
// by their card name or device path, PulseAudio sources by description or
// name); an empty or unknown name takes the first device, and when there is
// none the generated input is used and the log says so.
#include <atomic>
#include <cstdint>

// The record that comes with every preview frame. Pixels are 32-bit RGB
// (bytes B, G, R, X), rows of width * 4 bytes, top row first when height is
// positive, bottom row first when it is negative.
struct RTMPFrameRecord {
    int32_t recordSize;    // sizeof(RTMPFrameRecord)
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;  // 32
    int32_t byteCount;     // width * |height| * 4
};

// Where the library hands its preview frames (on its capture thread). The
// record must outlive the push or be replaced by SetVideoRender(nullptr)
// before it goes away.
struct RTMPVideoRender {
    void (*onFrame)(void* context, const RTMPFrameRecord* record, const uint8_t* pixels) = nullptr;
    void* context = nullptr;
    // Written by the caller at any time, read by the library: while set, the
    // pushed picture stays as it is and the preview keeps coming.
    std::atomic<bool> holdPicture{false};
};

// Callbacks, in this order. Called on the library's threads.
class RTMPHosterEvent {
public:
    virtual ~RTMPHosterEvent() = default;
    // Connected (again): the stream is being published.
    virtual void OnRtmpStreamOK() = 0;
    // The connection was lost or could not be made; another attempt follows.
    // code: the attempt number since the last OK (1, 2, ...).
    virtual void OnRtmpStreamReconnecting(int code) = 0;
    // delayMs: how far the sending runs behind the capture; queuedKBytes:
    // what waits to be sent.
    virtual void OnRtmpStreamStatus(int delayMs, int queuedKBytes) = 0;
    // The stream cannot be published (RTMPHosterError); the library keeps
    // trying while the error can pass (a server that is down).
    virtual void OnRtmpStreamFailed(int code) = 0;
    // The push has stopped (after StopRtmpStream).
    virtual void OnRtmpStreamClosed() = 0;
    // One block of 16-bit microphone audio before it is encoded. The receiver
    // may overwrite the samples in place; what it leaves there is pushed.
    virtual void OnAudioData(uint8_t* data, int frames, int bytesPerFrame, int channels, int sampleRate,
                             bool fromSystemMic) = 0;
    // One log line (not terminated by a newline), length bytes long.
    virtual void OnRtmpLog(const char* text, int length) = 0;
};

// Codes of OnRtmpStreamFailed and of StartRtmpStream.
enum RTMPHosterError {
    RTMPHOSTER_OK = 0,
    RTMPHOSTER_ERR_BAD_URL = -1,      // not an rtmp:// address
    RTMPHOSTER_ERR_CONNECT = -2,      // the server cannot be reached
    RTMPHOSTER_ERR_REFUSED = -3,      // the server refused the stream
    RTMPHOSTER_ERR_ENCODER = -4,      // the encoders or capture could not start
    RTMPHOSTER_ERR_DISCONNECTED = -5, // the server dropped the connection
    RTMPHOSTER_ERR_RUNNING = -6,      // a push is already running
};

class RTMPHoster {
public:
    // Makes a hoster that reports to events; null when it cannot be made.
    static RTMPHoster* Create(RTMPHosterEvent& events);
    // Stops a running push and frees the hoster (null is allowed).
    static void Destory(RTMPHoster* hoster);

    // Camera capture mode 0..3: 320x240@15, 640x480@15, 1280x720@15,
    // 1920x1080@15 (a camera that cannot is scaled). Other values are ignored.
    virtual void SetVideoMode(int mode) = 0;
    // false: no camera, audio only.
    virtual void EnableVideo(bool enable) = 0;
    virtual void SetVideoDevice(const char* name) = 0;
    virtual void SetAudioDevice(const char* name) = 0;
    // Preview frames go to render (null: none). Takes effect at once.
    virtual void SetVideoRender(RTMPVideoRender* render) = 0;
    // true: the library captures the microphone itself (the default).
    // false: it still captures it, but reports the blocks with fromSystemMic
    // false, so the caller knows another component owns the device.
    virtual void SetMicCapture(bool capture) = 0;
    // The pushed audio: sampleRate and channels of the encoder; external true
    // marks that the caller mixes other audio into the blocks it is handed.
    virtual void SetAudioFormat(int sampleRate, int channels, bool external) = 0;
    // Starts pushing to url in the background. RTMPHOSTER_OK when started;
    // the connection result arrives as OnRtmpStreamOK / OnRtmpStreamFailed.
    virtual int StartRtmpStream(const char* url) = 0;
    // Stops and waits for the library's threads; OnRtmpStreamClosed follows
    // (before the call returns) when a push was running.
    virtual void StopRtmpStream() = 0;
    // The program's server time offset in ms (local time minus server time,
    // as the session keeps it): the stamps written into the key frames carry
    // the local clock less this offset, i.e. the server's time.
    virtual void SetTimestamp(int offsetMs) = 0;

protected:
    virtual ~RTMPHoster() = default;
};
