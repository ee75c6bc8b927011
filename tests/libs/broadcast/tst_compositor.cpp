// The canvas the engine encodes, drawn from solid pictures: layers in their
// order, a picture over the whole canvas hiding what lies under it (and, when
// it cannot be drawn, letting it show), a picture cut off by the edge, and a
// canvas somebody still holds left as it was while the next ones are drawn;
// a screen picture's colours on the canvas, and the same canvas when only
// the rows of a screen picture that changed are drawn again.
#include "libs/broadcast/Compositor.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace broadcast;
using namespace mediacore;

namespace {

constexpr int kW = 320, kH = 180;

FramePtr solid(int w, int h, uint8_t luma)
{
    FramePtr f = makeFrame();
    f->format = AV_PIX_FMT_YUV420P;
    f->width = w;
    f->height = h;
    EXPECT_GE(av_frame_get_buffer(f.get(), 0), 0);
    std::memset(f->data[0], luma, size_t(f->linesize[0]) * size_t(h));
    std::memset(f->data[1], 128, size_t(f->linesize[1]) * size_t(h / 2));
    std::memset(f->data[2], 128, size_t(f->linesize[2]) * size_t(h / 2));
    return f;
}

int lumaAt(const AVFrame* f, int x, int y)
{
    return f->data[0][size_t(y) * size_t(f->linesize[0]) + size_t(x)];
}

}  // namespace

TEST(Compositor, LayersAreDrawnInOrderAndACoveringPictureHidesWhatIsUnder)
{
    const FramePtr low = solid(64, 36, 60), cover = solid(kW, kH, 200), small = solid(32, 18, 100);
    FramePtr broken = solid(32, 18, 90);
    broken->format = AV_PIX_FMT_NONE;  // no scaler takes it
    struct Case {
        const char* what;
        std::vector<CanvasLayer> layers;
        // luma expected at the centre, at the small picture's place, at a corner
        int centre, atSmall, corner;
    };
    const SceneRect whole{0, 0, kW, kH}, bigger{-20, -10, kW + 40, kH + 20}, corner{240, 120, 80, 60};
    const Case cases[] = {
        {"nothing: black", {}, 16, 16, 16},
        {"low only", {{"low", whole, low.get()}}, 60, 60, 60},
        {"cover hides low", {{"low", whole, low.get()}, {"cover", whole, cover.get()}}, 200, 200, 200},
        {"small over cover", {{"cover", whole, cover.get()}, {"small", corner, small.get()}}, 200, 100, 200},
        {"cover larger than the canvas",
         {{"low", whole, low.get()}, {"cover", bigger, cover.get()}, {"small", corner, small.get()}}, 200, 100, 200},
        {"small cut off by the edge", {{"small", {kW - 40, kH - 30, 80, 60}, small.get()}}, 16, 100, 16},
        {"a covering picture that cannot be drawn lets the one under it show",
         {{"low", whole, low.get()}, {"broken", whole, broken.get()}, {"small", corner, small.get()}}, 60, 100, 60},
        {"no picture yet", {{"low", whole, low.get()}, {"cover", whole, nullptr}}, 60, 60, 60},
    };
    Compositor compositor;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FramePtr canvas = compositor.compose(kW, kH, c.layers);
        ASSERT_TRUE(canvas);
        EXPECT_EQ(canvas->width, kW);
        EXPECT_EQ(canvas->height, kH);
        EXPECT_EQ(lumaAt(canvas.get(), kW / 2, kH / 2), c.centre);
        EXPECT_EQ(lumaAt(canvas.get(), kW - 6, kH - 6), c.atSmall);
        EXPECT_EQ(lumaAt(canvas.get(), 2, 2), c.corner);
    }
}

TEST(Compositor, ACanvasStillHeldIsNotDrawnOver)
{
    const FramePtr dark = solid(kW, kH, 40), light = solid(kW, kH, 220);
    Compositor compositor;
    // A reader (the preview) keeps the first canvas while many are drawn.
    FramePtr held = compositor.compose(kW, kH, {{"desk", {0, 0, kW, kH}, dark.get()}});
    ASSERT_TRUE(held);
    for (int i = 0; i < 8; ++i) {
        FramePtr next = compositor.compose(kW, kH, {{"desk", {0, 0, kW, kH}, light.get()}});
        ASSERT_TRUE(next);
        EXPECT_NE(next->data[0], held->data[0]);
        EXPECT_EQ(lumaAt(next.get(), 5, 5), 220);
    }
    EXPECT_EQ(lumaAt(held.get(), 5, 5), 40);
    EXPECT_EQ(lumaAt(held.get(), kW - 1, kH - 1), 40);
    // A new size gives a canvas of that size.
    FramePtr other = compositor.compose(160, 90, {{"desk", {0, 0, 160, 90}, light.get()}});
    ASSERT_TRUE(other);
    EXPECT_EQ(other->width, 160);
    EXPECT_EQ(lumaAt(other.get(), 80, 45), 220);
}

TEST(Compositor, AScreenPictureKeepsItsColoursOnTheCanvas)
{
    // A screen picture (BGR0, rows padded past their pixels) of red, green,
    // blue and white quarters, drawn at its own size (the colour conversion
    // alone) and at another (scaled); YUV of limited range, BT.601.
    constexpr int kSw = 200, kSh = 100;
    const uint32_t colours[4] = {0xff0000, 0x00ff00, 0x0000ff, 0xffffff};
    const int want[4][3] = {{82, 90, 240}, {145, 54, 34}, {41, 240, 110}, {235, 128, 128}};
    FramePtr screen = makeFrame();
    screen->format = AV_PIX_FMT_BGR0;
    screen->width = kSw;
    screen->height = kSh;
    ASSERT_GE(av_frame_get_buffer(screen.get(), 256), 0);
    ASSERT_GT(screen->linesize[0], kSw * 4);
    for (int y = 0; y < kSh; ++y)
        for (int x = 0; x < kSw; ++x) {
            const uint32_t c = colours[(y < kSh / 2 ? 0 : 2) + (x < kSw / 2 ? 0 : 1)];
            uint8_t* px = screen->data[0] + size_t(y) * size_t(screen->linesize[0]) + size_t(x) * 4;
            px[0] = uint8_t(c);
            px[1] = uint8_t(c >> 8);
            px[2] = uint8_t(c >> 16);
            px[3] = 0;
        }
    struct Case {
        const char* what;
        SceneRect rect;
        int lumaLowerLeft;  // at the canvas's lower left corner
    };
    const Case cases[] = {{"own size, away from the corner (black there)", {40, 20, kSw, kSh}, 16},
                          {"scaled to the canvas (blue there)", {0, 0, kW, kH}, 41}};
    Compositor compositor;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FramePtr canvas = compositor.compose(kW, kH, {{"desk", c.rect, screen.get()}});
        ASSERT_TRUE(canvas);
        for (int q = 0; q < 4; ++q) {
            // The middle of each quarter, in canvas pixels (even, for chroma).
            const int x = (c.rect.x + (q % 2 ? 3 : 1) * c.rect.w / 4) & ~1;
            const int y = (c.rect.y + (q / 2 ? 3 : 1) * c.rect.h / 4) & ~1;
            const int got[3] = {lumaAt(canvas.get(), x, y),
                                canvas->data[1][size_t(y / 2) * size_t(canvas->linesize[1]) + size_t(x / 2)],
                                canvas->data[2][size_t(y / 2) * size_t(canvas->linesize[2]) + size_t(x / 2)]};
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(got[i], want[q][i], 3) << "quarter " << q << " plane " << i;
        }
        EXPECT_NEAR(lumaAt(canvas.get(), 2, kH - 2), c.lumaLowerLeft, 3);
    }
}

TEST(Compositor, AScreenPictureRedrawnWhereItChangedMatchesOneDrawnWhole)
{
    // A screen picture is converted and scaled again only in the bands of
    // rows that changed since it was last drawn; what reaches the canvas
    // must be what a compositor seeing the picture for the first time draws.
    constexpr int kSw = 202, kSh = 101;
    FramePtr screen = makeFrame();
    screen->format = AV_PIX_FMT_BGRA;
    screen->width = kSw;
    screen->height = kSh;
    ASSERT_GE(av_frame_get_buffer(screen.get(), 64), 0);
    auto paint = [&](int y0, int y1, int seed) {
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < kSw; ++x) {
                uint8_t* px = screen->data[0] + size_t(y) * size_t(screen->linesize[0]) + size_t(x) * 4;
                px[0] = uint8_t(x * 7 + y * 3 + seed);
                px[1] = uint8_t(x * 13 ^ y * 5 ^ seed);
                px[2] = uint8_t((x + y) * 11 + seed * 3);
                px[3] = 255;
            }
    };
    auto same = [](const AVFrame* a, const AVFrame* b, const SceneRect& r) {
        for (int plane = 0; plane < 3; ++plane) {
            const int shift = plane == 0 ? 0 : 1;
            for (int y = r.y >> shift; y < (r.y + r.h) >> shift; ++y)
                if (std::memcmp(a->data[plane] + size_t(y) * size_t(a->linesize[plane]) + size_t(r.x >> shift),
                                b->data[plane] + size_t(y) * size_t(b->linesize[plane]) + size_t(r.x >> shift),
                                size_t(r.w >> shift)) != 0)
                    return false;
        }
        return true;
    };
    struct Case {
        const char* what;
        SceneRect rect;
    };
    const Case cases[] = {{"scaled up, letterboxed", {12, 0, 296, 148}},
                          {"scaled down", {0, 10, 150, 76}},
                          {"its own size but for the odd row and column", {40, 20, 202, 100}},
                          {"scaled up across, down down", {0, 0, kW, 60}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        paint(0, kSh, 0);
        Compositor kept;
        FramePtr before = kept.compose(kW, kH, {{"desk", c.rect, screen.get()}});
        ASSERT_TRUE(before);
        struct Change {
            int y0, y1;
        };
        // Inside one band, across two bands, the last row alone, nothing.
        for (const Change& change : {Change{40, 44}, Change{14, 35}, Change{kSh - 1, kSh}, Change{0, 0}}) {
            paint(change.y0, change.y1, change.y0 + 1);
            FramePtr after = kept.compose(kW, kH, {{"desk", c.rect, screen.get()}});
            Compositor fresh;
            FramePtr whole = fresh.compose(kW, kH, {{"desk", c.rect, screen.get()}});
            ASSERT_TRUE(after && whole);
            EXPECT_TRUE(same(after.get(), whole.get(), c.rect)) << "rows " << change.y0 << " to " << change.y1;
            if (change.y1 > change.y0) {
                EXPECT_FALSE(same(after.get(), before.get(), c.rect)) << "the change was not drawn";
            }
            before = std::move(after);
        }
    }
}
