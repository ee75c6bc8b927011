#pragma once
// A few pictures of one size and format, reused: a picture comes back for
// writing once nobody else holds a reference to it (a preview, a queue), so
// a producer of a picture per tick neither allocates nor faults in fresh
// pages each time. Used by one thread (the producer's).
#include "libs/mediacore/AvPtr.h"

#include <vector>

namespace mediacore {

class FrameRing {
public:
    explicit FrameRing(size_t keep = 3) : m_keep(keep) {}
    // A writable picture of the size and format (a new reference; its
    // content is what was last drawn in it, or undefined); null when none
    // can be allocated.
    FramePtr take(int width, int height, AVPixelFormat format);

private:
    size_t m_keep;
    std::vector<FramePtr> m_frames;  // the producer's thread only
};

}  // namespace mediacore
