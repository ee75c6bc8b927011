// The render engine on the headless backend, checked by pixel probes:
// nine-grids, holes, tiling, fade, masks, colours, gradients, failed images
// and the tag markup text.
// test-libs: stb::image
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "tests/skinui/SkinTestSupport.h"
#include "TempDir.h"
#include "skinui/UIRender.h"
#include "skinui/UIRenderInternal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using namespace skintest;

namespace {

// Writes an RGBA PNG whose pixels come from f(x, y) -> 0xAARRGGBB.
void writePng(const std::string& path, int w, int h, const std::function<uint32_t(int, int)>& f)
{
    std::vector<unsigned char> px(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = f(x, y);
            unsigned char* p = &px[(static_cast<size_t>(y) * w + x) * 4];
            p[0] = (c >> 16) & 0xFF;
            p[1] = (c >> 8) & 0xFF;
            p[2] = c & 0xFF;
            p[3] = c >> 24;
        }
    ASSERT_TRUE(stbi_write_png(path.c_str(), w, h, 4, px.data(), w * 4));
}

std::u16string wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

bool near(uint32_t got, uint32_t want, int tol = 8)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = (got >> shift) & 0xFF, b = (want >> shift) & 0xFF;
        if (std::abs(a - b) > tol)
            return false;
    }
    return true;
}

// A control that draws what the test asks for.
class Painter : public CControlUI
{
public:
    std::function<void(HDC, const RECT&)> paint;
    void PaintStateImage(HDC hDC) override
    {
        if (paint)
            paint(hDC, m_rcItem);
    }
};

class RenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        winapi::selectBackend(winapi::Backend::Headless);
        CUIWindowManager::SetModuleInstance(::GetModuleHandleW(nullptr));
        CUIWindowManager::SetSkinZipFile(u"", false);
        CUIWindowManager::SetSkinFolder((wide(dir.path()) + u"/").c_str());
        // 30x30: red corners of 10, green edges, blue centre.
        writePng(dir.path() + "/grid.png", 30, 30, [](int x, int y) {
            const bool ex = x < 10 || x >= 20, ey = y < 10 || y >= 20;
            if (ex && ey)
                return 0xFFFF0000u;
            if (ex || ey)
                return 0xFF00FF00u;
            return 0xFF0000FFu;
        });
        // 30x10 tile: left half red, right half green.
        writePng(dir.path() + "/tile.png", 30, 10, [](int x, int) { return x < 15 ? 0xFFFF0000u : 0xFF00FF00u; });
        writePng(dir.path() + "/blue.png", 10, 10, [](int, int) { return 0xFF0000FFu; });
        writePng(dir.path() + "/masked.png", 10, 10, [](int x, int) { return x < 5 ? 0xFFFF00FFu : 0xFF0000FFu; });
        writePng(dir.path() + "/wide.png", 8193, 1, [](int, int) { return 0xFF000000u; });
        dir.write("garbage.png", "\x89PNG\r\n\x1a\n this is not really an image");
        ASSERT_NE(host.open(0, 0, 200, 150), nullptr);
        root = new TestContainer;
        root->SetBkColor(0xFFFFFFFF);
        host.pm.SetRootControl(root);
    }
    void TearDown() override { CUIWindowManager::SetSkinFolder(u""); }

    Painter* addPainter(int x, int y, int w, int h)
    {
        auto* p = new Painter;
        p->SetFixedXY(SIZE{x, y});
        p->SetFixedWidth(w);
        p->SetFixedHeight(h);
        root->Add(p);
        return p;
    }

    winapi::Picture render()
    {
        root->RequestLayout();
        ::InvalidateRect(host.GetHWND(), nullptr, FALSE);
        pump();
        return winapi::captureWindow(host.GetHWND());
    }

    testsupport::TempDir dir;
    HostWindow host;
    TestContainer* root = nullptr;
};

} // namespace

TEST_F(RenderTest, NineGridCornersEdgesCentreAndHole)
{
    Painter* p = addPainter(10, 10, 100, 60);
    p->SetBkImage(u"file='grid.png' corner='10,10,10,10'");
    Painter* h = addPainter(120, 10, 60, 60);
    h->SetBkImage(u"file='grid.png' corner='10,10,10,10' hole='true'");
    const winapi::Picture pic = render();
    EXPECT_TRUE(near(pic.at(12, 12), 0xFFFF0000)) << std::hex << pic.at(12, 12);
    EXPECT_TRUE(near(pic.at(107, 67), 0xFFFF0000));
    EXPECT_TRUE(near(pic.at(60, 13), 0xFF00FF00)) << std::hex << pic.at(60, 13);
    EXPECT_TRUE(near(pic.at(13, 40), 0xFF00FF00));
    EXPECT_TRUE(near(pic.at(60, 40), 0xFF0000FF)) << std::hex << pic.at(60, 40);
    EXPECT_TRUE(near(pic.at(150, 40), 0xFFFFFFFF)) << std::hex << pic.at(150, 40); // hollow centre
    EXPECT_TRUE(near(pic.at(150, 12), 0xFF00FF00));
}

TEST_F(RenderTest, DestSourceTilingAndFade)
{
    // dest is cut to the item; source picks the blue centre of the grid.
    Painter* d = addPainter(10, 10, 40, 40);
    d->SetBkImage(u"file='grid.png' source='10,10,20,20' dest='10,10,500,500'");
    // 100 wide, 30 wide tiles: 4 columns, the last one 10 wide.
    Painter* t = addPainter(60, 10, 100, 10);
    t->SetBkImage(u"file='tile.png' xtiled='true'");
    // Half-transparent blue over white.
    Painter* f = addPainter(60, 40, 20, 20);
    f->SetBkImage(u"file='blue.png' fade='128'");
    Painter* f300 = addPainter(60, 70, 20, 20);
    f300->SetBkImage(u"file='blue.png' fade='300'"); // taken modulo 256: 44
    Painter* m = addPainter(100, 40, 20, 20);
    m->SetBkImage(u"file='masked.png' mask='#FFFF00FF'");
    const winapi::Picture pic = render();
    EXPECT_TRUE(near(pic.at(15, 15), 0xFFFFFFFF)) << std::hex << pic.at(15, 15);
    EXPECT_TRUE(near(pic.at(30, 30), 0xFF0000FF)) << std::hex << pic.at(30, 30);
    EXPECT_TRUE(near(pic.at(65, 15), 0xFFFF0000));
    EXPECT_TRUE(near(pic.at(80, 15), 0xFF00FF00));
    EXPECT_TRUE(near(pic.at(125, 15), 0xFFFF0000)); // third tile, left half
    EXPECT_TRUE(near(pic.at(155, 15), 0xFFFF0000)); // the cut last tile
    EXPECT_TRUE(near(pic.at(70, 50), 0xFF7F7FFF, 12)) << std::hex << pic.at(70, 50);
    EXPECT_TRUE(near(pic.at(70, 80), 0xFFD3D3FF, 6)) << std::hex << pic.at(70, 80);
    EXPECT_TRUE(near(pic.at(101, 50), 0xFFFFFFFF)) << std::hex << pic.at(101, 50); // masked away
    EXPECT_TRUE(near(pic.at(118, 50), 0xFF0000FF));
}

TEST_F(RenderTest, FailedImagesAreNotCachedAndDrawNothing)
{
    EXPECT_EQ(host.pm.GetOrLoadImage(u"missing.png"), nullptr);
    EXPECT_EQ(host.pm.GetOrLoadImage(u"garbage.png"), nullptr);
    EXPECT_EQ(host.pm.GetOrLoadImage(u"wide.png"), nullptr); // over the size cap
    const UIImageInfo* blue = host.pm.GetOrLoadImage(u"blue.png");
    ASSERT_NE(blue, nullptr);
    EXPECT_EQ(blue->nX, 10);
    EXPECT_FALSE(blue->alphaChannel);
    EXPECT_EQ(host.pm.GetOrLoadImage(u"blue.png"), blue); // cached
    // A missing file is asked again next time: once it exists, it loads.
    writePng(dir.path() + "/missing.png", 4, 4, [](int, int) { return 0x80FF0000u; });
    const UIImageInfo* late = host.pm.GetOrLoadImage(u"missing.png");
    ASSERT_NE(late, nullptr);
    EXPECT_TRUE(late->alphaChannel);

    Painter* p = addPainter(10, 10, 30, 30);
    p->SetBkImage(u"garbage.png");
    const winapi::Picture pic = render();
    EXPECT_TRUE(near(pic.at(20, 20), 0xFFFFFFFF));
    EXPECT_EQ(std::u16string(p->GetBkImage()), u"garbage.png"); // kept for the next paint
}

TEST_F(RenderTest, ColoursAndGradients)
{
    Painter* p = addPainter(0, 0, 200, 150);
    p->paint = [](HDC hDC, const RECT&) {
        CUIRenderEngine::DrawColor(hDC, RECT{10, 10, 30, 30}, 0x00FF0000); // alpha 0: nothing
        CUIRenderEngine::DrawColor(hDC, RECT{40, 10, 60, 30}, 0x80FF0000); // blended
        CUIRenderEngine::DrawColor(hDC, RECT{70, 10, 90, 30}, 0xFFFF0000); // filled
        CUIRenderEngine::DrawGradient(hDC, RECT{10, 40, 30, 60}, 0x00000000, 0x00FFFFFF, true, 16);
        CUIRenderEngine::DrawGradient(hDC, RECT{40, 40, 60, 140}, 0xFF000000, 0xFFFFFFFF, true, 16);
    };
    const winapi::Picture pic = render();
    EXPECT_TRUE(near(pic.at(20, 20), 0xFFFFFFFF));
    EXPECT_TRUE(near(pic.at(50, 20), 0xFFFF7F7F, 12)) << std::hex << pic.at(50, 20);
    EXPECT_TRUE(near(pic.at(80, 20), 0xFFFF0000));
    EXPECT_TRUE(near(pic.at(20, 50), 0xFFFFFFFF));
    const uint32_t top = pic.at(50, 42) & 0xFF, bottom = pic.at(50, 137) & 0xFF;
    EXPECT_LT(top, 40u);
    EXPECT_GT(bottom, 215u);
    EXPECT_EQ(CUIRenderEngine::AdjustColor(0xFF123456, 180, 100, 100), 0xFF123456u);
}

TEST_F(RenderTest, SoftwareBlendMatchesTheFormula)
{
    const UIImageInfo* blue = host.pm.GetOrLoadImage(u"blue.png");
    ASSERT_NE(blue, nullptr);
    Painter* p = addPainter(0, 0, 200, 150);
    p->paint = [&](HDC hDC, const RECT&) {
        HDC src = ::CreateCompatibleDC(hDC);
        HGDIOBJ old = ::SelectObject(src, blue->hBitmap);
        BLENDFUNCTION bf = {AC_SRC_OVER, 0, 128, AC_SRC_ALPHA};
        EXPECT_TRUE(UISoftwareAlphaBlend(hDC, 10, 10, 40, 40, src, 0, 0, 10, 10, bf));
        bf.SourceConstantAlpha = 255;
        EXPECT_TRUE(UISoftwareAlphaBlend(hDC, 60, 10, 20, 20, src, 0, 0, 10, 10, bf));
        ::SelectObject(src, old);
        ::DeleteDC(src);
    };
    const winapi::Picture pic = render();
    EXPECT_TRUE(near(pic.at(30, 30), 0xFF7F7FFF, 3)) << std::hex << pic.at(30, 30);
    EXPECT_TRUE(near(pic.at(70, 20), 0xFF0000FF, 3));
    EXPECT_TRUE(near(pic.at(55, 30), 0xFFFFFFFF, 3));
}

TEST_F(RenderTest, MarkupTextColoursLinksAndImages)
{
    host.pm.AddFont(u"Microsoft YaHei", 16, false, false, false);
    host.pm.SetDefaultFont(u"Microsoft YaHei", 16, false, false, false);
    Painter* p = addPainter(0, 0, 200, 150);
    RECT links[4];
    CUIString linkTexts[4];
    int nLinks = 0;
    p->paint = [&](HDC hDC, const RECT&) {
        RECT rc = {5, 5, 195, 40};
        CUIRenderEngine::DrawHtmlText(hDC, &host.pm, rc, u"<c #FF0000>MMMM</c> plain", 0xFF000000, nullptr, nullptr,
                                      nLinks, DT_SINGLELINE);
        RECT rc2 = {5, 50, 195, 145};
        nLinks = 4;
        CUIRenderEngine::DrawHtmlText(hDC, &host.pm, rc2, u"go <a http://one.example>here</a> <i blue.png>", 0xFF000000,
                                      links, linkTexts, nLinks, 0);
    };
    const winapi::Picture pic = render();
    int red = 0, other = 0;
    for (int y = 5; y < 40; ++y)
        for (int x = 5; x < 195; ++x) {
            const uint32_t c = pic.at(x, y);
            const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            if (r > 180 && g < 80 && b < 80)
                ++red;
            else if (r < 100 && g < 100 && b < 100)
                ++other;
        }
    EXPECT_GT(red, 10);
    EXPECT_GT(other, 10);
    ASSERT_EQ(nLinks, 1);
    EXPECT_EQ(linkTexts[0], u"http://one.example");
    EXPECT_GT(links[0].right, links[0].left);
    // The inline image sits in the line.
    bool blueSeen = false;
    for (int y = 50; y < 100 && !blueSeen; ++y)
        for (int x = 5; x < 195 && !blueSeen; ++x)
            blueSeen = near(pic.at(x, y), 0xFF0000FF);
    EXPECT_TRUE(blueSeen);
}

TEST_F(RenderTest, MarkupEscapesAndMeasure)
{
    HDC hdc = host.pm.GetPaintDC();
    ASSERT_NE(hdc, nullptr);
    auto measure = [&](const char16_t* text) {
        RECT rc = {0, 0, 9999, 100};
        int n = 0;
        CUIRenderEngine::DrawHtmlText(hdc, &host.pm, rc, text, 0xFF000000, nullptr, nullptr, n,
                                      DT_SINGLELINE | DT_CALCRECT);
        return rc;
    };
    const RECT escaped = measure(u"{<}b{>}word");
    const RECT plain = measure(u"<r><b>word</r>");
    EXPECT_EQ(escaped.right - escaped.left, plain.right - plain.left);
    EXPECT_GT(escaped.right, 0);
    EXPECT_GT(escaped.bottom, 0);
    const RECT bold = measure(u"<b>wordwordword</b>");
    const RECT normal = measure(u"wordwordword");
    EXPECT_GE(bold.right, normal.right);
    // Wrapping: a narrow rectangle gives more lines; unclosed tags are text.
    RECT narrow = {0, 0, 40, 1000};
    int n = 0;
    CUIRenderEngine::DrawHtmlText(hdc, &host.pm, narrow, u"one two three four five <b", 0xFF000000, nullptr, nullptr,
                                  n, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_GT(narrow.bottom, normal.bottom * 2);
    EXPECT_LE(narrow.right, 40);
}
