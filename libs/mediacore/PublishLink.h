#pragma once
// Publishes encoded packets as FLV over RTMP from a sender thread of its
// own: packets are queued by the encoders, a lost connection is made again
// (the stream then resumes at the next key frame with fresh time stamps),
// and every change is reported through the events, on the sender thread.
#include "libs/mediacore/MuxOutput.h"
#include "libs/mediacore/MediaLog.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace mediacore {

struct LinkEvents {
    std::function<void()> connected;                  // first time and after every reconnection
    std::function<void(int attempt)> reconnecting;    // attempt 1, 2, ... since the last connection
    std::function<void(OutputError code, bool final)> failed;  // final: the link has given up
    std::function<void(int delayMs, int queuedKBytes)> status;  // once a second while connected
    std::function<void()> ended;                      // the sender has ended (stopped or given up)
};

struct LinkPolicy {
    bool retryFirstConnect = true;  // false: a first connection that fails is final
    int maxReconnects = -1;         // attempts after a drop before giving up; -1: never
    int retryDelayMs = 1000;
    int ioTimeoutMs = 5000;
};

class PublishLink {
public:
    ~PublishLink();
    // video or audio may be null. The events must stay valid until stop().
    void start(const std::string& url, const AVCodecContext* video, const AVCodecContext* audio, LinkEvents events,
               LinkPolicy policy, LogSink log);
    // Queues a copy; captureMs (monotonic) measures the sending delay.
    void push(const AVPacket* packet, bool video, AVRational timeBase, int64_t captureMs);
    // Stops the sender and waits for it; closes the connection.
    void stop();
    bool running() const { return m_thread.joinable(); }

private:
    struct Item {
        PacketPtr packet;
        bool video;
        AVRational timeBase;
        int64_t captureMs;
    };
    void run();
    void runLink();
    int connect(MuxOutput& out);  // 0 or an AVERROR
    bool waitRetry();
    bool sendUntilDrop(MuxOutput& out);

    std::string m_url;
    const AVCodecContext* m_video = nullptr;
    const AVCodecContext* m_audio = nullptr;
    LinkEvents m_events;
    LinkPolicy m_policy;
    LogSink m_log;

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Item> m_queue;   // guarded by m_lock
    size_t m_queuedBytes = 0;   // guarded by m_lock
    bool m_stop = false;        // guarded by m_lock
    MuxOutput* m_current = nullptr;  // guarded by m_lock: the output to abort on stop
    std::thread m_thread;
};

}  // namespace mediacore
