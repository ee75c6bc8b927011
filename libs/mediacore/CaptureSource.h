#pragma once
// A running capture: a device opened through libavdevice (x11grab, v4l2,
// pulse) or a generated input (a moving test picture, silence), each on a
// thread of its own that hands every frame to the sinks.
#include "libs/mediacore/AvPtr.h"
#include "libs/mediacore/MediaLog.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

namespace mediacore {

// A picture in any pixel format; captureMs on the monotonic clock.
using VideoSink = std::function<void(const AVFrame* frame, int64_t captureMs)>;
// Interleaved 16-bit samples; the sink may change them in place.
using AudioSink = std::function<void(int16_t* samples, int frames, int channels, int sampleRate, int64_t captureMs)>;

class CaptureSource {
public:
    virtual ~CaptureSource() = default;
    // false (with error()) when the input cannot be opened.
    virtual bool start() = 0;
    // Stops and joins the thread; no sink call after it returns.
    virtual void stop() = 0;
    // true once the input has ended by itself (device gone, read error).
    bool ended() const { return m_ended; }
    const std::string& error() const { return m_error; }

protected:
    std::atomic<bool> m_ended{false};  // written by the capture thread
    std::string m_error;               // written before the thread starts
};

struct DeviceInput {
    std::string format;  // "x11grab", "v4l2", "pulse"
    std::string url;     // display, device path, PulseAudio source name
    std::map<std::string, std::string> options;
};

// Factories. A device input delivers video or audio by its kind.
std::unique_ptr<CaptureSource> makeDeviceVideoCapture(const DeviceInput& input, VideoSink sink, LogSink log);
std::unique_ptr<CaptureSource> makeDeviceAudioCapture(const DeviceInput& input, int sampleRate, int channels,
                                                      AudioSink sink, LogSink log);
std::unique_ptr<CaptureSource> makePatternCapture(int width, int height, int fps, VideoSink sink);
std::unique_ptr<CaptureSource> makeSilenceCapture(int sampleRate, int channels, AudioSink sink);

}  // namespace mediacore
