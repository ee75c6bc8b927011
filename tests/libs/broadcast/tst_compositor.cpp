// The canvas the engine encodes, drawn from solid pictures: layers in their
// order, a picture over the whole canvas hiding what lies under it (and, when
// it cannot be drawn, letting it show), a picture cut off by the edge, and a
// canvas somebody still holds left as it was while the next ones are drawn.
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
