#pragma once
// The own live-stream player as its callers see it. Every callback runs on
// one of the player's threads; receivers marshal to their own thread.
#include <functional>
#include <memory>
#include <string>

class IRtmpPlayer {
public:
    virtual void setRenderWindow(void* window) = 0;
    // Starts playing url; onOpened(ok, code) reports once: (true, 0) when the
    // input and its decoders are open, (false, -1) when the input cannot be
    // opened, (false, -2) when no decoder can be opened.
    virtual void play(const std::string& url, std::function<void(bool ok, int code)> onOpened) = 0;
    // Closes the player on a thread of its own and then reports onStopped.
    virtual void stop(std::function<void(bool ok, int code)> onStopped) = 0;
    // Called with FFmpeg's code when reading the stream fails.
    virtual void setReadErrorCallback(std::function<void(int error)> onReadError) = 0;
    virtual void setFlag(bool flag) = 0;
    // BGRA pixels (rows of width * 4 bytes), valid during the call only; set
    // it before play.
    virtual void setVideoFrameCallback(std::function<void(void* pixels, int width, int height)> onVideoFrame) = 0;
    virtual ~IRtmpPlayer() = default;
};

// A new player whose last reference destroys it on a pool thread.
std::shared_ptr<IRtmpPlayer> createRtmpPlayer();
// The deleter of createRtmpPlayer's pointers.
void releaseRtmpPlayer(IRtmpPlayer* player);
