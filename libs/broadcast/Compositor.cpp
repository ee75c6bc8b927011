#include "libs/broadcast/Compositor.h"

#include <libyuv/convert_from_argb.h>
#include <libyuv/scale.h>

#include <algorithm>
#include <cstring>

using namespace mediacore;

namespace broadcast {

namespace {

constexpr int kMaxSide = 8192;

int even(int v)
{
    return v & ~1;
}

}  // namespace

bool Compositor::covers(const CanvasLayer& layer, int width, int height)
{
    const int x = even(layer.rect.x), y = even(layer.rect.y);
    const int w = std::min(even(layer.rect.w), kMaxSide), h = std::min(even(layer.rect.h), kMaxSide);
    return layer.picture && x <= 0 && y <= 0 && x + w >= width && y + h >= height;
}

FramePtr Compositor::compose(int width, int height, const std::vector<CanvasLayer>& layers)
{
    FramePtr canvas = m_canvases.take(even(width), even(height), AV_PIX_FMT_YUV420P);
    if (!canvas)
        return nullptr;
    auto fillBlack = [&] {
        for (int p = 0; p < 3; ++p) {
            const int rows = p == 0 ? canvas->height : canvas->height / 2;
            std::memset(canvas->data[p], p == 0 ? 16 : 128, size_t(canvas->linesize[p]) * size_t(rows));
        }
    };
    // A picture that covers the whole canvas hides the black and every layer
    // under it: drawing starts there.
    size_t first = layers.size();
    while (first > 0 && !covers(layers[first - 1], canvas->width, canvas->height))
        --first;
    const bool covered = first > 0;
    if (covered)
        --first;
    else
        fillBlack();
    for (size_t i = first; i < layers.size(); ++i) {
        if (!layers[i].picture)
            continue;
        if (!draw(canvas.get(), layers[i], m_scalers[layers[i].name]) && covered && i == first) {
            // The covering picture could not be drawn: what it hid shows.
            fillBlack();
            for (size_t below = 0; below < first; ++below)
                if (layers[below].picture)
                    draw(canvas.get(), layers[below], m_scalers[layers[below].name]);
        }
    }
    // Scalers of sources that are gone are freed.
    for (auto it = m_scalers.begin(); it != m_scalers.end();) {
        bool listed = false;
        for (const CanvasLayer& layer : layers)
            listed = listed || layer.name == it->first;
        it = listed ? std::next(it) : m_scalers.erase(it);
    }
    return canvas;
}

bool Compositor::draw(AVFrame* canvas, const CanvasLayer& layer, Scaler& scaler)
{
    const AVFrame* p = layer.picture;
    const int x = even(layer.rect.x), y = even(layer.rect.y);
    const int w = std::min(even(layer.rect.w), kMaxSide), h = std::min(even(layer.rect.h), kMaxSide);
    if (w < 2 || h < 2 || p->width <= 0 || p->height <= 0 || !sws_isSupportedInput(AVPixelFormat(p->format)))
        return false;
    // The visible part of the rectangle.
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + w, canvas->width), bottom = std::min(y + h, canvas->height);
    if (right <= left || bottom <= top)
        return false;
    const bool onCanvas = x >= 0 && y >= 0 && x + w <= canvas->width && y + h <= canvas->height;
    auto at = [&](int plane) {
        const int shift = plane == 0 ? 0 : 1;
        return canvas->data[plane] + size_t(y >> shift) * size_t(canvas->linesize[plane]) + size_t(x >> shift);
    };
    // A screen picture at its own size wants only its colours converted:
    // the SIMD converter does that several times faster than the scaler
    // (BGR0/BGRA in memory is the converter's "ARGB").
    if (onCanvas && w == p->width && h == p->height &&
        (p->format == AV_PIX_FMT_BGR0 || p->format == AV_PIX_FMT_BGRA) && p->linesize[0] > 0) {
        scaler.sws.reset();
        return libyuv::ARGBToI420(p->data[0], p->linesize[0], at(0), canvas->linesize[0], at(1), canvas->linesize[1],
                                  at(2), canvas->linesize[2], w, h) == 0;
    }
    // A screen picture scaled into its place: its colours are converted at
    // its own size, then the planes are scaled, both by the SIMD library
    // (the general scaler doing both at once costs several times more).
    if (onCanvas && (p->format == AV_PIX_FMT_BGR0 || p->format == AV_PIX_FMT_BGRA) && p->linesize[0] > 0) {
        scaler.sws.reset();
        AVFrame* c = scaler.converted.get();
        if (!c || c->width != p->width || c->height != p->height) {
            scaler.converted = makeFrame();
            c = scaler.converted.get();
            if (!c)
                return false;
            c->format = AV_PIX_FMT_YUV420P;
            c->width = p->width;
            c->height = p->height;
            if (av_frame_get_buffer(c, 0) < 0) {
                scaler.converted.reset();
                return false;
            }
        }
        if (libyuv::ARGBToI420(p->data[0], p->linesize[0], c->data[0], c->linesize[0], c->data[1], c->linesize[1],
                               c->data[2], c->linesize[2], p->width, p->height) != 0)
            return false;
        return libyuv::I420Scale(c->data[0], c->linesize[0], c->data[1], c->linesize[1], c->data[2],
                                 c->linesize[2], p->width, p->height, at(0), canvas->linesize[0], at(1),
                                 canvas->linesize[1], at(2), canvas->linesize[2], w, h,
                                 libyuv::kFilterBilinear) == 0;
    }
    scaler.converted.reset();
    const int key[5] = {p->width, p->height, p->format, w, h};
    if (!scaler.sws || !std::equal(key, key + 5, scaler.key)) {
        std::copy(key, key + 5, scaler.key);
        scaler.sws.reset(sws_getContext(p->width, p->height, AVPixelFormat(p->format), w, h, AV_PIX_FMT_YUV420P,
                                        SWS_BILINEAR, nullptr, nullptr, nullptr));
        scaler.scaled.reset();
        if (!scaler.sws)
            return false;
    }
    if (onCanvas) {
        // Wholly on the canvas: scaled straight into its place.
        uint8_t* to[3] = {at(0), at(1), at(2)};
        return sws_scale(scaler.sws.get(), p->data, p->linesize, 0, p->height, to, canvas->linesize) > 0;
    }
    if (!scaler.scaled) {
        scaler.scaled = makeFrame();
        scaler.scaled->format = AV_PIX_FMT_YUV420P;
        scaler.scaled->width = w;
        scaler.scaled->height = h;
        if (av_frame_get_buffer(scaler.scaled.get(), 0) < 0) {
            scaler.scaled.reset();
            return false;
        }
    }
    AVFrame* s = scaler.scaled.get();
    if (sws_scale(scaler.sws.get(), p->data, p->linesize, 0, p->height, s->data, s->linesize) <= 0)
        return false;
    // Copy the visible part plane by plane (offsets and sizes are even).
    for (int plane = 0; plane < 3; ++plane) {
        const int shift = plane == 0 ? 0 : 1;
        const int cols = (right - left) >> shift;
        for (int row = top >> shift; row < bottom >> shift; ++row) {
            const uint8_t* from = s->data[plane] + size_t(row - (y >> shift)) * size_t(s->linesize[plane]) +
                                  size_t((left - x) >> shift);
            uint8_t* to = canvas->data[plane] + size_t(row) * size_t(canvas->linesize[plane]) + size_t(left >> shift);
            std::memcpy(to, from, size_t(cols));
        }
    }
    return true;
}

}  // namespace broadcast
