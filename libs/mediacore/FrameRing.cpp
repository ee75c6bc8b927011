#include "libs/mediacore/FrameRing.h"

namespace mediacore {

FramePtr FrameRing::take(int width, int height, AVPixelFormat format)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    auto fits = [&](const FramePtr& f) { return f->width == width && f->height == height && f->format == format; };
    FramePtr* chosen = nullptr;
    for (auto it = m_frames.begin(); it != m_frames.end();) {
        if (!fits(*it)) {
            it = m_frames.erase(it);  // a size or format no longer wanted
            continue;
        }
        if (!chosen && av_frame_is_writable(it->get()))
            chosen = &*it;
        ++it;
    }
    FramePtr fresh;
    if (!chosen) {
        fresh = makePicture(width, height, format);
        if (!fresh)
            return nullptr;
        if (m_frames.size() < m_keep) {
            m_frames.push_back(std::move(fresh));
            chosen = &m_frames.back();
        }
    }
    return fresh ? std::move(fresh) : FramePtr(av_frame_clone(chosen->get()));
}

}  // namespace mediacore
