#pragma once
// The own pull player for live streams (RTMP, or any address FFmpeg opens).
// A demux thread opens the input and reads packets into one queue per media
// type; a decode thread per type hands them to its decoder (a picture that
// waits for its time never holds the sound back, so few decoded pictures
// need to wait); each decoder paces and renders its frames on its own thread
// against a shared clock (audio is the
// master when the stream has audio, else the video). Audio plays through
// SDL; pictures leave as BGRA through the frame callback.
//
// A player plays one stream: an owner makes a new player for every start.
#include "media/IRtmpPlayer.h"
#include "libs/avplayer/MediaInput.h"

#include "libs/avplayer/PacketQueue.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct AVPacket;

namespace avplayer {

class AACDecoder;
class DecoderBase;
class H264Decoder;
class PictureSink;
class SyncClock;

class RtmpPlayer : public IRtmpPlayer {
public:
    RtmpPlayer();
    ~RtmpPlayer() override;

    void setRenderWindow(void* window) override;
    void play(const std::string& url, std::function<void(bool, int)> onOpened) override;
    void stop(std::function<void(bool, int)> onStopped) override;
    void setReadErrorCallback(std::function<void(int)> onReadError) override;
    void setFlag(bool flag) override;
    void setVideoFrameCallback(std::function<void(void*, int, int)> onVideoFrame) override;
    // Pictures are converted straight into the sink's buffers instead of
    // going through the frame callback; set it before play.
    void setPictureSink(std::shared_ptr<PictureSink> sink) { m_pictureSink = std::move(sink); }

    // Stops the threads, frees what is left and closes the input. Safe to
    // call any number of times, from any thread but the player's own.
    void close();

    // For tests: -1 disables the interrupt time-out.
    void setInterruptTimeout(int64_t us) { m_input.setTimeout(us); }
    int64_t interruptTimeout() const { return m_input.timeout(); }
    // Which sync type the clock follows (0 audio, 1 video); -1 before the
    // streams are known.
    int masterType() const { return m_masterType.load(); }
    bool hasVideo() const { return m_videoIndex.load() >= 0; }
    bool hasAudio() const { return m_audioIndex.load() >= 0; }
    int64_t audioFramesRendered() const;
    int64_t videoFramesRendered() const;

private:
    void closeLocked();
    void resetDecoder();
    void startThreads();
    int resetContext();
    int openDecoders();
    int openStream(unsigned index);
    void demuxThread();
    // Decodes the packets of one queue with one decoder until stopped.
    void decodeThread(PacketQueue* packets, DecoderBase* decoder, double maxBacklog);
    void reportOpened(bool ok, int code);

    mutable std::mutex m_callbackLock;                 // guards the three callbacks below
    std::function<void(bool, int)> m_onOpened;         // guarded by m_callbackLock
    std::function<void(bool, int)> m_onStopped;        // guarded by m_callbackLock
    std::function<void(int)> m_onReadError;            // guarded by m_callbackLock
    std::string m_url;                                 // caller's thread; read by the demux thread it starts
    std::atomic<void*> m_renderWindow{nullptr};        // atomic; stored only
    std::atomic<bool> m_flag{false};                   // atomic; stored only
    avplayer::MediaInput m_input;                      // demux thread (abort(): any thread)
    std::thread m_demuxThread;                         // controlling thread (play, close)
    std::atomic<bool> m_demuxStop{false};              // atomic
    std::shared_ptr<H264Decoder> m_videoDecoder;       // made by play, released by close (threads joined)
    std::shared_ptr<AACDecoder> m_audioDecoder;        // made by play, released by close (threads joined)
    std::shared_ptr<SyncClock> m_syncClock;            // made by play; abort() from close
    std::thread m_videoThread;                         // controlling thread (play, close): decodes m_videoPackets
    std::thread m_audioThread;                         // controlling thread (play, close): decodes m_audioPackets
    std::atomic<bool> m_decodeStop{false};             // atomic
    avplayer::PacketQueue m_videoPackets;              // its own lock: demux thread pushes, video thread pops
    avplayer::PacketQueue m_audioPackets;              // its own lock: demux thread pushes, audio thread pops
    std::function<void(void*, int, int)> m_onVideoFrame;  // caller's thread; copied into each video decoder
    std::shared_ptr<PictureSink> m_pictureSink;        // caller's thread; handed to each video decoder
    std::atomic<int> m_videoIndex{-1};                 // atomic: set by the demux thread before packets flow
    std::atomic<int> m_audioIndex{-1};                 // atomic: likewise
    std::atomic<int> m_masterType{-1};                 // atomic: likewise
    mutable std::mutex m_closeLock;                    // serialises play() and close(); guards the decoder pointers
    std::mutex m_stopLock;                             // guards m_stopThread
    std::thread m_stopThread;                          // guarded by m_stopLock; joined by the destructor
};

}  // namespace avplayer
