#include "libs/broadcast/Compositor.h"

#include <libyuv/convert_from_argb.h>
#include <libyuv/planar_functions.h>
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

// A YUV420P picture of this size in frame, made again when its size differs;
// made tells whether it was.
bool ensurePlanes(FramePtr& frame, int width, int height, bool* made)
{
    *made = false;
    if (frame && frame->width == width && frame->height == height)
        return true;
    frame = makePicture(width, height, AV_PIX_FMT_YUV420P);
    *made = frame != nullptr;
    return *made;
}

uint8_t* row(const AVFrame* f, int plane, int y)
{
    return f->data[plane] + size_t(y) * size_t(f->linesize[plane]);
}

// Rows compared and converted together (even, for the chroma rows).
constexpr int kBand = 16;

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
    // A screen picture wants its colours converted and, away from its own
    // size, its planes scaled: done by the SIMD library (the general scaler
    // costs several times more), and only for the rows that changed.
    if (onCanvas && (p->format == AV_PIX_FMT_BGR0 || p->format == AV_PIX_FMT_BGRA) && p->linesize[0] > 0)
        return drawScreen(canvas, p, x, y, w, h, scaler);
    scaler.converted.reset();
    scaler.wide.reset();
    scaler.last.clear();
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
        scaler.scaled = makePicture(w, h, AV_PIX_FMT_YUV420P);
        if (!scaler.scaled)
            return false;
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

Compositor::Rows Compositor::changedRows(const AVFrame* p, Scaler& scaler)
{
    const size_t rowBytes = size_t(p->width) * 4;
    Rows rows;
    if (scaler.last.size() != rowBytes * size_t(p->height)) {
        scaler.last.resize(rowBytes * size_t(p->height));
        for (int y = 0; y < p->height; ++y)
            std::memcpy(scaler.last.data() + rowBytes * size_t(y), row(p, 0, y), rowBytes);
        rows.emplace_back(0, p->height);
        return rows;
    }
    for (int band = 0; band < p->height; band += kBand) {
        const int end = std::min(band + kBand, p->height);
        bool changed = false;
        for (int y = band; y < end; ++y) {
            uint8_t* kept = scaler.last.data() + rowBytes * size_t(y);
            if (std::memcmp(kept, row(p, 0, y), rowBytes) != 0) {
                std::memcpy(kept, row(p, 0, y), rowBytes);
                changed = true;
            }
        }
        if (!changed)
            continue;
        if (!rows.empty() && rows.back().second == band)
            rows.back().second = end;
        else
            rows.emplace_back(band, end);
    }
    return rows;
}

bool Compositor::drawScreen(AVFrame* canvas, const AVFrame* p, int x, int y, int w, int h, Scaler& scaler)
{
    scaler.sws.reset();
    scaler.scaled.reset();
    bool made = false;
    if (!ensurePlanes(scaler.converted, p->width, p->height, &made)) {
        scaler.last.clear();
        return false;
    }
    if (made)
        scaler.last.clear();
    // The picture's colours, for the bands of rows that differ from the
    // picture drawn last (all of them the first time).
    const Rows changed = changedRows(p, scaler);
    const AVFrame* c = scaler.converted.get();
    for (const auto& [first, end] : changed) {
        if (libyuv::ARGBToI420(row(p, 0, first), p->linesize[0], row(c, 0, first), c->linesize[0],
                               row(c, 1, first / 2), c->linesize[1], row(c, 2, first / 2), c->linesize[2],
                               p->width, end - first) != 0) {
            scaler.last.clear();
            return false;
        }
    }
    const int cw[3] = {p->width, (p->width + 1) / 2, (p->width + 1) / 2};
    const int ch[3] = {p->height, (p->height + 1) / 2, (p->height + 1) / 2};
    const int tw[3] = {w, w / 2, w / 2};
    const int th[3] = {h, h / 2, h / 2};
    auto to = [&](int plane, int r) {
        const int shift = plane == 0 ? 0 : 1;
        return row(canvas, plane, (y >> shift) + r) + (x >> shift);
    };
    if (w == p->width && h == p->height) {
        for (int plane = 0; plane < 3; ++plane)
            for (int r = 0; r < th[plane]; ++r)
                std::memcpy(to(plane, r), row(c, plane, r), size_t(tw[plane]));
        return true;
    }
    // Across: the changed rows scaled to the rectangle's width (each row on
    // its own, so a band gives what the whole picture would).
    if (!ensurePlanes(scaler.wide, w, p->height, &made)) {
        scaler.last.clear();
        return false;
    }
    const Rows all = {{0, p->height}};
    const AVFrame* wide = scaler.wide.get();
    for (const auto& [first, end] : made ? all : changed) {
        for (int plane = 0; plane < 3; ++plane) {
            const int shift = plane == 0 ? 0 : 1;
            const int r0 = first >> shift, r1 = std::min((end + shift) >> shift, ch[plane]);
            libyuv::ScalePlane(row(c, plane, r0), c->linesize[plane], cw[plane], r1 - r0, row(wide, plane, r0),
                               wide->linesize[plane], tw[plane], r1 - r0, libyuv::kFilterBilinear);
        }
    }
    // Down: every row of the rectangle blended from the two rows nearest
    // its centre (cheap next to the scaling across).
    for (int plane = 0; plane < 3; ++plane) {
        const int64_t last = int64_t(ch[plane] - 1) << 16;
        for (int r = 0; r < th[plane]; ++r) {
            const int64_t at =
                std::clamp((int64_t(2 * r + 1) * ch[plane] << 16) / (2 * th[plane]) - 32768, int64_t(0), last);
            const int r0 = int(at >> 16), r1 = std::min(r0 + 1, ch[plane] - 1);
            libyuv::InterpolatePlane(row(wide, plane, r0), 0, row(wide, plane, r1), 0, to(plane, r), 0, tw[plane],
                                     1, int((at >> 8) & 255));
        }
    }
    return true;
}

}  // namespace broadcast
