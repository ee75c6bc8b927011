// test-libs: PkgConfig::CAIRO
// Pixel probes of blits, alpha blending, gradients, shapes and clipping;
// text measurement and DrawText rectangles with the CJK font.
#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>

#include "windows.h"

namespace {

// A 32-bit top-down DIB selected into a memory DC.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
    int w, h;
    Canvas(int width, int height, uint32_t fill = 0) : w(width), h(height)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* p = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t*>(p);
        old = SelectObject(dc, bmp);
        for (int i = 0; i < w * h; ++i)
            bits[i] = fill;
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    uint32_t at(int x, int y) const { return bits[y * w + x]; }
};

int channel(uint32_t v, int shift) { return int((v >> shift) & 0xFF); }

void expectNear(uint32_t got, uint32_t want, int tolerance, const char* what)
{
    for (int s : {0, 8, 16, 24})
        EXPECT_NEAR(channel(got, s), channel(want, s), tolerance) << what << std::hex << " got " << got << " want " << want;
}

}  // namespace

TEST(WinapiGdi, BitBltCopiesAndStaysInsideTheSurface)
{
    Canvas src(4, 4, 0xFF112233);
    src.bits[5] = 0x80402010;  // premultiplied, half transparent
    Canvas dst(8, 8, 0xFFFFFFFF);
    EXPECT_TRUE(BitBlt(dst.dc, 2, 2, 4, 4, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.at(2, 2), 0xFF112233u);
    EXPECT_EQ(dst.at(3, 3), 0x80402010u);  // SRCCOPY copies alpha as it is
    EXPECT_EQ(dst.at(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(dst.at(6, 6), 0xFFFFFFFFu);

    // Negative, empty and huge rectangles write nothing outside the surface.
    Canvas guard(16, 16, 0xFF000000);
    Canvas inner(8, 8, 0xFFFFFFFF);
    uint32_t before = guard.at(0, 0);
    for (auto r : std::vector<std::array<int, 4>>{{-5, -5, 20, 20}, {4, 4, 0, 0}, {4, 4, -3, -3},
                                                  {INT_MIN / 2, INT_MIN / 2, INT_MAX, INT_MAX},
                                                  {INT_MAX - 2, INT_MAX - 2, INT_MAX, INT_MAX}}) {
        BitBlt(inner.dc, r[0], r[1], r[2], r[3], src.dc, 0, 0, SRCCOPY);
        StretchBlt(inner.dc, r[0], r[1], r[2], r[3], src.dc, 0, 0, 4, 4, SRCCOPY);
        // The far edges saturate as a caller's arithmetic would have to.
        auto edge = [](int a, int b) { return LONG(std::clamp<long long>(0LL + a + b, INT_MIN, INT_MAX)); };
        RECT rr{r[0], r[1], edge(r[0], r[2]), edge(r[1], r[3])};
        HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
        FillRect(inner.dc, &rr, b);
        DeleteObject(b);
        Rectangle(inner.dc, rr.left, rr.top, rr.right, rr.bottom);
        InvalidateRect(nullptr, &rr, FALSE);
        DrawTextW(inner.dc, u"text", -1, &rr, DT_WORDBREAK | DT_END_ELLIPSIS);
    }
    EXPECT_EQ(guard.at(0, 0), before);
}

TEST(WinapiGdi, StretchBltScalesToTheDestination)
{
    Canvas src(2, 1, 0);
    src.bits[0] = 0xFFFF0000;
    src.bits[1] = 0xFF0000FF;
    Canvas dst(8, 2, 0);
    SetStretchBltMode(dst.dc, COLORONCOLOR);
    EXPECT_TRUE(StretchBlt(dst.dc, 0, 0, 8, 2, src.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(dst.at(0, 0), 0xFFFF0000u);
    EXPECT_EQ(dst.at(3, 1), 0xFFFF0000u);
    EXPECT_EQ(dst.at(4, 0), 0xFF0000FFu);
    EXPECT_EQ(dst.at(7, 1), 0xFF0000FFu);
}

TEST(WinapiGdi, AlphaBlendUsesPremultipliedSourceAndConstantAlpha)
{
    Canvas src(1, 1, 0x80800000);  // red at half alpha, premultiplied
    Canvas dst(4, 1, 0xFF0000FF);  // opaque blue
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_TRUE(AlphaBlend(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 1, 1, bf));
    expectNear(dst.at(0, 0), 0xFF80007F, 2, "per-pixel alpha");
    // Constant alpha 128 on an opaque source.
    Canvas opaque(1, 1, 0xFFFF0000);
    BLENDFUNCTION half{AC_SRC_OVER, 0, 128, AC_SRC_ALPHA};
    EXPECT_TRUE(AlphaBlend(dst.dc, 1, 0, 1, 1, opaque.dc, 0, 0, 1, 1, half));
    expectNear(dst.at(1, 0), 0xFF80007F, 2, "constant alpha");
    // Stretched over two pixels.
    EXPECT_TRUE(AlphaBlend(dst.dc, 2, 0, 2, 1, opaque.dc, 0, 0, 1, 1, bf));
    EXPECT_EQ(dst.at(2, 0), 0xFFFF0000u);
    EXPECT_EQ(dst.at(3, 0), 0xFFFF0000u);
}

TEST(WinapiGdi, GradientFillVerticalAndHorizontal)
{
    Canvas c(100, 100, 0);
    TRIVERTEX v[2] = {{0, 0, 0xFF00, 0, 0, 0xFF00}, {100, 100, 0, 0, 0xFF00, 0xFF00}};
    GRADIENT_RECT r{0, 1};
    EXPECT_TRUE(GradientFill(c.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_V));
    expectNear(c.at(50, 0), 0xFFFF0000, 4, "top red");
    expectNear(c.at(50, 99), 0xFF0000FF, 4, "bottom blue");
    expectNear(c.at(10, 50), 0xFF7F0080, 4, "middle");
    EXPECT_EQ(c.at(10, 50), c.at(90, 50));  // constant along a row
    EXPECT_TRUE(GradientFill(c.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_H));
    expectNear(c.at(0, 50), 0xFFFF0000, 4, "left red");
    expectNear(c.at(99, 50), 0xFF0000FF, 4, "right blue");
    EXPECT_EQ(c.at(50, 10), c.at(50, 90));
    GRADIENT_RECT bad{0, 7};
    EXPECT_FALSE(GradientFill(c.dc, v, 2, &bad, 1, GRADIENT_FILL_RECT_V));
}

TEST(WinapiGdi, FillsLinesAndRectanglesAreExact)
{
    Canvas c(20, 20, 0xFFFFFFFF);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ oldPen = SelectObject(c.dc, pen);
    HGDIOBJ oldBrush = SelectObject(c.dc, GetStockObject(NULL_BRUSH));
    Rectangle(c.dc, 2, 2, 10, 10);
    EXPECT_EQ(c.at(2, 2), 0xFFFF0000u);
    EXPECT_EQ(c.at(9, 9), 0xFFFF0000u);
    EXPECT_EQ(c.at(10, 10), 0xFFFFFFFFu);  // right and bottom excluded
    EXPECT_EQ(c.at(5, 5), 0xFFFFFFFFu);    // hollow
    MoveToEx(c.dc, 0, 15, nullptr);
    LineTo(c.dc, 10, 15);
    EXPECT_EQ(c.at(0, 15), 0xFFFF0000u);
    EXPECT_EQ(c.at(9, 15), 0xFFFF0000u);
    EXPECT_EQ(c.at(10, 15), 0xFFFFFFFFu);  // the last point is not drawn
    SelectObject(c.dc, oldPen);
    SelectObject(c.dc, oldBrush);
    DeleteObject(pen);
    // The opaque fill of the text background.
    SetBkColor(c.dc, RGB(0, 128, 0));
    RECT r{12, 0, 20, 5};
    ExtTextOutW(c.dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    EXPECT_EQ(c.at(12, 0), 0xFF008000u);
    EXPECT_EQ(c.at(11, 0), 0xFFFFFFFFu);
}

TEST(WinapiGdi, ClipRegionsAndRoundRegions)
{
    Canvas c(20, 20, 0);
    HRGN clip = CreateRectRgn(5, 5, 10, 10);
    EXPECT_EQ(SelectClipRgn(c.dc, clip), SIMPLEREGION);
    RECT box;
    GetClipBox(c.dc, &box);
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.right, 10);
    HRGN other = CreateRectRgn(8, 0, 20, 20);
    EXPECT_EQ(ExtSelectClipRgn(c.dc, other, RGN_AND), SIMPLEREGION);
    RECT all{0, 0, 20, 20};
    FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(c.at(8, 5), 0xFFFFFFFFu);
    EXPECT_EQ(c.at(7, 5), 0u);
    EXPECT_EQ(c.at(10, 5), 0u);
    int saved = SaveDC(c.dc);
    SelectClipRgn(c.dc, nullptr);
    FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.at(0, 0), 0xFF000000u);
    RestoreDC(c.dc, saved);
    GetClipBox(c.dc, &box);
    EXPECT_EQ(box.left, 8);
    DeleteObject(clip);
    DeleteObject(other);

    HRGN round = CreateRoundRectRgn(0, 0, 101, 101, 10, 10);
    EXPECT_FALSE(PtInRegion(round, 0, 0));
    EXPECT_TRUE(PtInRegion(round, 50, 0));
    EXPECT_TRUE(PtInRegion(round, 5, 5));
    EXPECT_TRUE(PtInRegion(round, 100, 50));
    EXPECT_FALSE(PtInRegion(round, 101, 50));
    RECT rb;
    GetRgnBox(round, &rb);
    EXPECT_EQ(rb.right, 101);
    DeleteObject(round);
}

TEST(WinapiGdi, DeletedHandlesAreRefused)
{
    HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_FALSE(DeleteObject(b));
    Canvas c(4, 4, 0);
    RECT r{0, 0, 4, 4};
    FillRect(c.dc, &r, b);  // a dead brush draws nothing
    EXPECT_EQ(c.at(0, 0), 0u);
    HDC dead = CreateCompatibleDC(nullptr);
    DeleteDC(dead);
    EXPECT_FALSE(BitBlt(dead, 0, 0, 4, 4, c.dc, 0, 0, SRCCOPY));
    // A bitmap deleted while selected stays usable until it is deselected.
    Canvas d(4, 4, 0xFF00FF00);
    DeleteObject(d.bmp);
    EXPECT_TRUE(BitBlt(c.dc, 0, 0, 4, 4, d.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(c.at(1, 1), 0xFF00FF00u);
}

namespace {

HFONT cjkFont(int size, bool bold = false)
{
    LOGFONTW lf{};
    lf.lfHeight = -size;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::memcpy(lf.lfFaceName, u"微软雅黑", 5 * sizeof(char16_t));
    return CreateFontIndirectW(&lf);
}

}  // namespace

TEST(WinapiGdi, TextMetricsAndExtentsOfTheCjkFont)
{
    Canvas c(10, 10, 0);
    HFONT f = cjkFont(16);
    SelectObject(c.dc, f);
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(c.dc, &tm));
    EXPECT_GE(tm.tmHeight, 16);
    EXPECT_LE(tm.tmHeight, 24);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    EXPECT_GT(tm.tmAveCharWidth, 3);
    EXPECT_GE(tm.tmMaxCharWidth, 14);
    SIZE one, two, han;
    GetTextExtentPoint32W(c.dc, u"a", 1, &one);
    GetTextExtentPoint32W(c.dc, u"aa", 2, &two);
    GetTextExtentPoint32W(c.dc, u"中文", 2, &han);
    EXPECT_EQ(one.cy, tm.tmHeight);
    EXPECT_NEAR(two.cx, 2 * one.cx, 1);
    EXPECT_NEAR(han.cx, 32, 2);  // ideographs are one em wide
    int fit = 0;
    int dx[4];
    SIZE all;
    GetTextExtentExPointW(c.dc, u"中文中文", 4, 33, &fit, dx, &all);
    EXPECT_EQ(fit, 2);
    EXPECT_NEAR(dx[0], 16, 1);
    EXPECT_EQ(dx[3], all.cx);
    // A face that does not exist still measures through a fallback font.
    LOGFONTW lf{};
    lf.lfHeight = -14;
    std::memcpy(lf.lfFaceName, u"No Such Face 123", 17 * sizeof(char16_t));
    HFONT unknown = CreateFontIndirectW(&lf);
    SelectObject(c.dc, unknown);
    SIZE s;
    EXPECT_TRUE(GetTextExtentPoint32W(c.dc, u"hello 你好", 8, &s));
    EXPECT_GT(s.cx, 20);
    SelectObject(c.dc, GetStockObject(DEFAULT_GUI_FONT));
    DeleteObject(f);
    DeleteObject(unknown);
}

TEST(WinapiGdi, DrawTextRectanglesForTheFlagCombinations)
{
    Canvas c(400, 200, 0xFFFFFFFF);
    HFONT f = cjkFont(16);
    SelectObject(c.dc, f);
    TEXTMETRICW tm{};
    GetTextMetricsW(c.dc, &tm);
    SIZE word;
    GetTextExtentPoint32W(c.dc, u"中文测试", 4, &word);
    const int lh = tm.tmHeight;

    struct Case {
        const char16_t* text;
        UINT flags;
        RECT in;
        LONG right, bottom;  // expected after DT_CALCRECT
    };
    Case cases[] = {
        {u"中文测试", DT_SINGLELINE, {10, 10, 300, 100}, 10 + word.cx, 10 + lh},
        {u"中文测试", DT_SINGLELINE | DT_CENTER | DT_VCENTER, {0, 0, 300, 100}, word.cx, lh},
        {u"中文\r\n测试", 0, {0, 0, 300, 100}, word.cx / 2, 2 * lh},
        {u"中文\r\n测试", DT_SINGLELINE, {0, 0, 300, 100}, word.cx, lh},
        {u"中文测试中文测试", DT_WORDBREAK, {0, 0, word.cx + 2, 100}, word.cx, 2 * lh},
        {u"a&&b", DT_SINGLELINE, {0, 0, 300, 100}, -1, lh},
    };
    for (const Case& k : cases) {
        RECT r = k.in;
        int h = DrawTextW(c.dc, k.text, -1, &r, k.flags | DT_CALCRECT);
        EXPECT_EQ(h, k.bottom - k.in.top) << std::hex << k.flags;
        EXPECT_EQ(r.bottom, k.bottom) << std::hex << k.flags;
        if (k.right >= 0) {
            EXPECT_NEAR(r.right, k.right, 1) << std::hex << k.flags;
        }
        EXPECT_EQ(r.left, k.in.left);
        EXPECT_EQ(r.top, k.in.top);
    }
    // Centred in both directions: the returned value is the offset of the
    // text's bottom; pixels appear around the centre only.
    RECT box{0, 0, 300, 100};
    int bottom = DrawTextW(c.dc, u"中文测试", -1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    EXPECT_EQ(bottom, (100 - lh) / 2 + lh);
    bool inkLeft = false, inkCentre = false;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 300; ++x) {
            if (c.at(x, y) != 0xFFFFFFFFu) {
                if (x < (300 - word.cx) / 2 - 1)
                    inkLeft = true;
                else
                    inkCentre = true;
            }
        }
    }
    EXPECT_FALSE(inkLeft);
    EXPECT_TRUE(inkCentre);
    // An ellipsis keeps the text inside a narrow rectangle.
    Canvas e(200, 40, 0xFFFFFFFF);
    SelectObject(e.dc, f);
    RECT narrow{0, 0, 60, 40};
    DrawTextW(e.dc, u"中文测试中文测试中文测试", -1, &narrow, DT_SINGLELINE | DT_END_ELLIPSIS);
    for (int y = 0; y < 40; ++y)
        for (int x = 60; x < 200; ++x)
            ASSERT_EQ(e.at(x, y), 0xFFFFFFFFu) << x << "," << y;
    SelectObject(c.dc, GetStockObject(DEFAULT_GUI_FONT));
    SelectObject(e.dc, GetStockObject(DEFAULT_GUI_FONT));
    DeleteObject(f);
}

TEST(WinapiGdi, WindowPaintingAndPictures)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            HBRUSH b = CreateSolidBrush(RGB(0, 0, 255));
            FillRect(dc, &ps.rcPaint, b);
            DeleteObject(b);
            EndPaint(h, &ps);
            return 0;
        }
        return DefWindowProcW(h, m, w, l);
    };
    wc.lpszClassName = u"PaintBlue";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, u"PaintBlue", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 50, 40, nullptr, nullptr,
                                nullptr, nullptr);
    winapi::pumpMessages();
    RECT upd;
    EXPECT_FALSE(GetUpdateRect(hwnd, &upd, FALSE));
    winapi::Picture pic = winapi::captureWindow(hwnd);
    ASSERT_EQ(pic.width, 50);
    EXPECT_EQ(pic.at(25, 20), 0xFF0000FFu);
    // Only the invalid part is painted again.
    HDC dc = GetDC(hwnd);
    RECT all{0, 0, 50, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(hwnd, dc);
    RECT part{0, 0, 10, 10};
    InvalidateRect(hwnd, &part, FALSE);
    winapi::pumpMessages();
    pic = winapi::captureWindow(hwnd);
    EXPECT_EQ(pic.at(5, 5), 0xFF0000FFu);
    EXPECT_EQ(pic.at(20, 20), 0xFFFFFFFFu);
    // The same picture as a PNG file.
    std::string png = ::testing::TempDir() + "winapi_dump.png";
    ASSERT_TRUE(winapi::dumpWindowPng(hwnd, png));
    cairo_surface_t* back = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(back), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(back), 50);
    auto* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(back));
    EXPECT_EQ(px[5 * (cairo_image_surface_get_stride(back) / 4) + 5], 0xFF0000FFu);
    cairo_surface_destroy(back);
    std::remove(png.c_str());
    DestroyWindow(hwnd);
}
