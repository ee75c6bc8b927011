#pragma once
// A seekable, pausable player of one address (a live stream or a media file)
// for the program's widget players. A demux thread opens the input and reads
// packets ahead into a queue (the key-frame hook sees every video key frame
// there); a play thread decodes them and presents each frame against the
// player's own clock, which stands still while paused or buffering and runs
// at the chosen speed. Playing starts once the buffer holds the buffer time
// (or the input has ended). Sound goes to an SDL device of the player's own,
// so that two players sound at once; a tap may take it as well.
//
// One player plays one address once: an owner makes a new player for every
// start. Every callback runs on one of the player's threads.
#include "libs/avplayer/AvHolders.h"
#include "libs/avplayer/MediaInput.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class AudioRender;

namespace avplayer {

class AACDecoder;
class H264Decoder;

// What the player knows of its media, in the order a play goes through.
enum class MediaStatus {
    Unknown = 0,
    NoMedia,       // nothing set to play
    Loading,       // opening the input
    Loaded,        // input and decoders open, nothing buffered yet
    Stalled,       // reading broke off before the end (a dead server)
    Buffering,     // waiting until the buffer holds the buffer time
    Buffered,      // playing from the buffer
    EndOfMedia,    // the input ended and everything read has been played
    InvalidMedia,  // the input cannot be opened or has nothing to decode
};

// One video key-frame packet as read, valid during the hook's call only.
struct KeyFramePacket {
    const uint8_t* data = nullptr;
    int size = 0;
    int64_t pts = 0;       // in the stream's time base; AV_NOPTS_VALUE when unknown
    int64_t duration = 0;  // likewise
    bool endOfStream = false;
};

class MediaPlayer {
public:
    struct Callbacks {
        std::function<void(MediaStatus)> onStatus;             // each change
        std::function<void()> onStarted;                       // the first time playing starts
        std::function<void(const std::string&)> onError;       // opening or reading failed
        std::function<void(int64_t ms)> onPosition;            // every notify interval while playing
        std::function<void(double progress)> onBufferProgress;  // 0..1 while buffering, then 1
        std::function<void(int64_t ms)> onBuffered;            // each change of bufferedMs()
        std::function<void(const KeyFramePacket&)> onKeyFrame;  // demux thread, as each is read
        std::function<void(void* pixels, int width, int height)> onPicture;  // BGRA rows of width * 4
        // Signed 16-bit mono blocks at kTapRate, as they go to the device.
        std::function<void(const int16_t* samples, int count)> onAudioTap;
    };
    static constexpr int kTapRate = 48000;
    static constexpr int kOutputRate = 48000;

    explicit MediaPlayer(Callbacks callbacks);
    ~MediaPlayer();  // stops and joins the threads
    MediaPlayer(const MediaPlayer&) = delete;
    MediaPlayer& operator=(const MediaPlayer&) = delete;

    // Before play: how much to buffer before playing, how often to report
    // the position, whether sound goes to a device, the read time-out.
    void setBufferMs(int64_t ms) { m_bufferMs.store(ms > 0 ? ms : 1); }
    int64_t bufferMs() const { return m_bufferMs.load(); }
    void setNotifyIntervalMs(int ms) { m_notifyMs.store(ms > 0 ? ms : 1); }
    int notifyIntervalMs() const { return m_notifyMs.load(); }
    void setAudioOutput(bool on) { m_audioOutput.store(on); }
    void setReadTimeoutUs(int64_t us) { m_readTimeoutUs.store(us); }

    // Starts the threads; once only.
    void play(const std::string& url);
    // Ends reading and playing (the destructor does it too).
    void stop();

    void setPaused(bool paused) { m_paused.store(paused); }
    bool paused() const { return m_paused.load(); }
    // Moves to ms from the start of the media (files; a live stream ignores it).
    void seek(int64_t ms);
    void setSpeed(double speed) { m_speed.store(speed > 0.1 ? speed : 0.1); }
    double speed() const { return m_speed.load(); }

    // Any thread:
    MediaStatus status() const { return m_status.load(); }
    int64_t positionMs() const { return m_positionMs.load(); }
    int64_t durationMs() const { return m_durationMs.load(); }
    // Media time read but not played yet.
    int64_t bufferedMs() const { return m_bufferedMs.load(); }
    int videoStream() const { return m_videoIndex.load(); }
    int audioStream() const { return m_audioIndex.load(); }
    int64_t picturesShown() const { return m_pictures.load(); }

private:
    struct Queued {
        PacketPtr packet;
        int64_t ms = 0;  // its time in ms of the media's clock
    };
    struct Pending {
        void* frame = nullptr;  // DecodedFrame*
        int64_t ms = 0;
    };

    void demuxThread();
    void playThread();
    int openInput();
    void readLoop();
    void setStatus(MediaStatus status);
    int64_t clockMs() const;                 // play thread
    void startClock(int64_t fromMs);         // play thread
    void holdClock();                        // play thread
    void flushForSeek(int64_t targetMs);     // play thread
    void decodeDue(int64_t nowMs);           // play thread
    void presentDue(int64_t nowMs);          // play thread
    void updateBuffered();                   // play thread
    void dropPending();                      // play thread

    const Callbacks m_cb;                    // set by the constructor
    std::string m_url;                       // set by play before the threads start
    std::atomic<int64_t> m_bufferMs{1500};
    std::atomic<int> m_notifyMs{1000};
    std::atomic<bool> m_audioOutput{true};
    std::atomic<int64_t> m_readTimeoutUs{0};  // 0: the input's default
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_paused{false};
    std::atomic<double> m_speed{1.0};
    std::atomic<MediaStatus> m_status{MediaStatus::NoMedia};
    std::atomic<int64_t> m_positionMs{0};
    std::atomic<int64_t> m_durationMs{0};
    std::atomic<int64_t> m_bufferedMs{0};
    std::atomic<int> m_videoIndex{-1};
    std::atomic<int> m_audioIndex{-1};
    std::atomic<int64_t> m_pictures{0};
    std::atomic<bool> m_live{false};          // set by the demux thread before m_opened
    std::atomic<int64_t> m_startMs{0};        // likewise: the media's first time

    std::mutex m_lock;                        // guards the members below up to the threads
    std::condition_variable m_cond;           // with m_lock: packets came, a seek or a stop was asked
    std::deque<Queued> m_queue;               // guarded by m_lock
    int64_t m_newestMs = -1;                  // guarded by m_lock: time of the newest packet read
    bool m_opened = false;                    // guarded by m_lock: decoders open (then fixed)
    bool m_ended = false;                     // guarded by m_lock: the input has no more packets
    bool m_readFailed = false;                // guarded by m_lock: reading broke off (not an end)
    int64_t m_seekTo = -1;                    // guarded by m_lock: asked, for the demux thread
    int64_t m_flushTo = -1;                   // guarded by m_lock: done by demux, for the play thread

    // Made by the demux thread before m_opened, then the play thread's only:
    std::unique_ptr<H264Decoder> m_video;
    std::unique_ptr<AACDecoder> m_audio;
    std::shared_ptr<AudioRender> m_audioRender;
    class AudioTee;
    AudioTee* m_tee = nullptr;                // owned by m_audioRender
    MediaInput m_input;                       // the demux thread's (abort(): any thread)

    // Play thread only:
    std::deque<Pending> m_pendingVideo;
    std::deque<Pending> m_pendingAudio;
    bool m_clockRunning = false;
    int64_t m_clockBaseMs = 0;
    int64_t m_clockWallUs = 0;
    double m_clockSpeed = 1.0;
    bool m_startedOnce = false;
    int64_t m_lastNotifyUs = 0;
    int64_t m_playedMs = -1;                  // time of the frame presented last

    std::thread m_demux;                      // owner's thread (play, stop)
    std::thread m_play;                       // owner's thread (play, stop)
};

}  // namespace avplayer
