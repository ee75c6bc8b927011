#pragma once
// One recording file: starts at a key frame with time stamps from 0, is
// flushed packet by packet so a killed process leaves a playable file (MP4
// is written fragmented), and MP4 is rewritten as a regular MP4 on a clean
// stop.
#include "libs/mediacore/MuxOutput.h"

#include <string>

namespace broadcast {

class FileRecorder {
public:
    // ext: "flv", "mp4", "mkv", "ts". 0 or an AVERROR.
    int open(const std::string& path, const std::string& ext, const AVCodecContext* video, const AVCodecContext* audio);
    void write(const AVPacket* packet, bool video, AVRational timeBase);
    // Closes (and finalises an MP4); 0 or an AVERROR.
    int close();
    bool isOpen() const { return m_out.isOpen(); }
    int writeError() const { return m_writeError; }
    static const char* muxerOf(const std::string& ext);

private:
    static int remuxToRegularMp4(const std::string& path);

    mediacore::MuxOutput m_out;
    std::string m_path;
    std::string m_ext;
    bool m_hasVideo = false;
    bool m_started = false;
    int64_t m_offsetMs = 0;
    int m_writeError = 0;
};

}  // namespace broadcast
