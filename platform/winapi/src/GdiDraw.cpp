// Blits, alpha blending, gradients, fills, lines and shapes.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/winapi/src/GdiImpl.h"

using namespace winapi;
using namespace winapi::gdi;

namespace {

constexpr long long kLimit = 1 << 22;  // larger coordinates are refused

bool sane(long long v) { return v > -kLimit && v < kLimit; }

COLORREF brushColor(HBRUSH brush, bool* isNull)
{
    *isNull = false;
    auto v = reinterpret_cast<uintptr_t>(brush);
    if (v > 0 && v <= 31)  // COLOR_xxx + 1
        return GetSysColor(int(v - 1));
    auto b = objectAs<Brush>(brush, Kind::Brush);
    if (!b || b->style == BS_NULL) {
        *isNull = true;
        return 0;
    }
    return b->color;
}

// Sets up the pen; false for PS_NULL.
bool usePen(cairo_t* cr, const DC& dc)
{
    const Pen* p = dc.state.pen.get();
    if (!p || p->style == PS_NULL)
        return false;
    COLORREF c = p->color;
    if (p == objectAs<Pen>(GetStockObject(DC_PEN), Kind::Pen).get())
        c = dc.state.dcPenColor;
    setColor(cr, c);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_line_width(cr, p->width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    static const double dash[] = {18, 6};
    static const double dot[] = {3, 3};
    static const double dashdot[] = {9, 6, 3, 6};
    static const double dashdotdot[] = {9, 3, 3, 3, 3, 3};
    switch (p->style) {
    case PS_DASH:
        cairo_set_dash(cr, dash, 2, 0);
        break;
    case PS_DOT:
        cairo_set_dash(cr, dot, 2, 0);
        break;
    case PS_DASHDOT:
        cairo_set_dash(cr, dashdot, 4, 0);
        break;
    case PS_DASHDOTDOT:
        cairo_set_dash(cr, dashdotdot, 6, 0);
        break;
    default:
        cairo_set_dash(cr, nullptr, 0, 0);
        break;
    }
    return true;
}

bool useBrush(cairo_t* cr, const DC& dc)
{
    const Brush* b = dc.state.brush.get();
    if (!b || b->style == BS_NULL)
        return false;
    COLORREF c = b->color;
    if (b == objectAs<Brush>(GetStockObject(DC_BRUSH), Kind::Brush).get())
        c = dc.state.dcBrushColor;
    setColor(cr, c);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    return true;
}

void roundRectPath(cairo_t* cr, double x, double y, double w, double h, double rx, double ry)
{
    rx = std::min(rx, w / 2);
    ry = std::min(ry, h / 2);
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cr, x, y, w, h);
        return;
    }
    cairo_new_sub_path(cr);
    auto corner = [&](double cx, double cy, double a0, double a1) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, a0, a1);
        cairo_restore(cr);
    };
    corner(x + w - rx, y + ry, -M_PI / 2, 0);
    corner(x + w - rx, y + h - ry, 0, M_PI / 2);
    corner(x + rx, y + h - ry, M_PI / 2, M_PI);
    corner(x + rx, y + ry, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

enum class BlitMode { Copy, Blend };

// Copies (or blends) a source rectangle onto a destination rectangle,
// stretching when their sizes differ. Parts outside either surface are
// left out; absurd coordinates are refused.
BOOL blit(HDC dst, int xd, int yd, int wd, int hd, HDC src, int xs, int ys, int ws, int hs, BlitMode mode,
          double alpha, bool srcAlpha)
{
    auto sdc = dcOf(src);
    if (!dcOf(dst) || !sdc)
        return FALSE;
    if (wd <= 0 || hd <= 0 || ws <= 0 || hs <= 0)
        return mode == BlitMode::Copy && wd == 0 && hd == 0 ? TRUE : FALSE;
    if (!sane(xd) || !sane(yd) || !sane(wd) || !sane(hd) || !sane(xs) || !sane(ys) || !sane(ws) || !sane(hs))
        return FALSE;
    cairo_surface_t* ssurf = sdc->surface();
    if (!ssurf)
        return FALSE;
    cairo_surface_flush(ssurf);
    cairo_surface_mark_dirty(ssurf);
    int sw = cairo_image_surface_get_width(ssurf), sh = cairo_image_surface_get_height(ssurf);
    // Source rectangle in device coordinates, cut to the source surface; the
    // destination shrinks in proportion.
    double scaleX = double(wd) / ws, scaleY = double(hd) / hs;
    long long sx0 = (long long)xs + sdc->dx(), sy0 = (long long)ys + sdc->dy();
    long long sx1 = sx0 + ws, sy1 = sy0 + hs;
    long long cx0 = std::max<long long>(sx0, 0), cy0 = std::max<long long>(sy0, 0);
    long long cx1 = std::min<long long>(sx1, sw), cy1 = std::min<long long>(sy1, sh);
    if (cx1 <= cx0 || cy1 <= cy0)
        return TRUE;
    double dx0 = xd + (cx0 - sx0) * scaleX, dy0 = yd + (cy0 - sy0) * scaleY;
    double dx1 = xd + (cx1 - sx0) * scaleX, dy1 = yd + (cy1 - sy0) * scaleY;

    Paint p(dst);
    if (!p)
        return TRUE;
    int subW = int(cx1 - cx0), subH = int(cy1 - cy0);
    cairo_surface_t* source = nullptr;
    bool same = ssurf == cairo_get_target(p.cr);
    unsigned char* base = cairo_image_surface_get_data(ssurf);
    int stride = cairo_image_surface_get_stride(ssurf);
    if (same || (mode == BlitMode::Blend && !srcAlpha)) {
        // A private copy: overlapping self-copies stay correct, and an
        // opaque source drops its alpha bytes.
        source = cairo_image_surface_create(srcAlpha || mode == BlitMode::Copy ? CAIRO_FORMAT_ARGB32
                                                                               : CAIRO_FORMAT_RGB24,
                                            subW, subH);
        unsigned char* d = cairo_image_surface_get_data(source);
        int ds = cairo_image_surface_get_stride(source);
        for (int row = 0; row < subH; ++row)
            std::memcpy(d + size_t(row) * size_t(ds), base + size_t(cy0 + row) * size_t(stride) + size_t(cx0) * 4,
                        size_t(subW) * 4);
        cairo_surface_mark_dirty(source);
    } else {
        source = cairo_surface_create_for_rectangle(ssurf, double(cx0), double(cy0), subW, subH);
    }
    cairo_pattern_t* pat = cairo_pattern_create_for_surface(source);
    bool stretched = subW != int(std::lround(dx1 - dx0)) || subH != int(std::lround(dy1 - dy0));
    cairo_pattern_set_extend(pat, stretched ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
    cairo_filter_t filter = CAIRO_FILTER_NEAREST;
    if (stretched && (mode == BlitMode::Blend || p.dc->state.stretchMode == HALFTONE))
        filter = CAIRO_FILTER_GOOD;
    cairo_pattern_set_filter(pat, filter);
    cairo_matrix_t m;
    cairo_matrix_init(&m, 1.0 / scaleX, 0, 0, 1.0 / scaleY, -dx0 / scaleX, -dy0 / scaleY);
    cairo_pattern_set_matrix(pat, &m);
    cairo_set_source(p.cr, pat);
    cairo_rectangle(p.cr, dx0, dy0, dx1 - dx0, dy1 - dy0);
    if (mode == BlitMode::Copy) {
        cairo_set_operator(p.cr, CAIRO_OPERATOR_SOURCE);
        cairo_fill(p.cr);
    } else {
        cairo_clip(p.cr);
        cairo_set_operator(p.cr, CAIRO_OPERATOR_OVER);
        cairo_paint_with_alpha(p.cr, alpha);
    }
    cairo_pattern_destroy(pat);
    cairo_surface_destroy(source);
    return TRUE;
}

}  // namespace

BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop)
{
    if (!src || rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY)
        return PatBlt(dst, x, y, cx, cy, rop);
    return blit(dst, x, y, cx, cy, src, x1, y1, cx, cy, BlitMode::Copy, 1.0, true);
}

BOOL StretchBlt(HDC dst, int xDst, int yDst, int wDst, int hDst, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                DWORD rop)
{
    if (!src)
        return PatBlt(dst, xDst, yDst, wDst, hDst, rop);
    return blit(dst, xDst, yDst, wDst, hDst, src, xSrc, ySrc, wSrc, hSrc, BlitMode::Copy, 1.0, true);
}

BOOL AlphaBlend(HDC dst, int xDst, int yDst, int wDst, int hDst, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                BLENDFUNCTION blend)
{
    if (blend.BlendOp != AC_SRC_OVER)
        return FALSE;
    return blit(dst, xDst, yDst, wDst, hDst, src, xSrc, ySrc, wSrc, hSrc, BlitMode::Blend,
                blend.SourceConstantAlpha / 255.0, (blend.AlphaFormat & AC_SRC_ALPHA) != 0);
}

BOOL GradientFill(HDC hdc, PTRIVERTEX vertices, ULONG nVertices, PVOID mesh, ULONG nMesh, ULONG mode)
{
    if (!vertices || !mesh || (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V))
        return FALSE;
    auto* rects = static_cast<GRADIENT_RECT*>(mesh);
    for (ULONG i = 0; i < nMesh; ++i)
        if (rects[i].UpperLeft >= nVertices || rects[i].LowerRight >= nVertices)
            return FALSE;
    Paint p(hdc);
    if (!p)
        return dcOf(hdc) ? TRUE : FALSE;
    for (ULONG i = 0; i < nMesh; ++i) {
        TRIVERTEX a = vertices[rects[i].UpperLeft];
        TRIVERTEX b = vertices[rects[i].LowerRight];
        double l = std::min(a.x, b.x), r = std::max(a.x, b.x);
        double t = std::min(a.y, b.y), bo = std::max(a.y, b.y);
        if (r <= l || bo <= t)
            continue;
        bool vertical = mode == GRADIENT_FILL_RECT_V;
        // The first colour belongs to the left (top) edge.
        bool swap = vertical ? a.y > b.y : a.x > b.x;
        const TRIVERTEX& c0 = swap ? b : a;
        const TRIVERTEX& c1 = swap ? a : b;
        l = safeCoord(l);
        r = safeCoord(r);
        t = safeCoord(t);
        bo = safeCoord(bo);
        cairo_pattern_t* pat = vertical ? cairo_pattern_create_linear(0, t, 0, bo) : cairo_pattern_create_linear(l, 0, r, 0);
        auto stop = [&](double offset, const TRIVERTEX& v) {
            cairo_pattern_add_color_stop_rgba(pat, offset, (v.Red >> 8) / 255.0, (v.Green >> 8) / 255.0,
                                              (v.Blue >> 8) / 255.0, (v.Alpha >> 8) / 255.0);
        };
        stop(0, c0);
        stop(1, c1);
        cairo_set_source(p.cr, pat);
        cairo_set_operator(p.cr, CAIRO_OPERATOR_SOURCE);
        cairo_rectangle(p.cr, l, t, r - l, bo - t);
        cairo_fill(p.cr);
        cairo_pattern_destroy(pat);
    }
    return TRUE;
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return FALSE;
    long long l = std::min<long long>(x, (long long)x + w), r = std::max<long long>(x, (long long)x + w);
    long long t = std::min<long long>(y, (long long)y + h), b = std::max<long long>(y, (long long)y + h);
    Paint p(hdc);
    if (!p)
        return TRUE;
    switch (rop) {
    case BLACKNESS:
        fillRectangle(p.cr, double(l), double(t), double(r), double(b), 0);
        break;
    case WHITENESS:
        fillRectangle(p.cr, double(l), double(t), double(r), double(b), RGB(255, 255, 255));
        break;
    default:
        if (useBrush(p.cr, *dc)) {
            cairo_rectangle(p.cr, safeCoord(double(l)), safeCoord(double(t)), safeCoord(double(r)) - safeCoord(double(l)),
                            safeCoord(double(b)) - safeCoord(double(t)));
            cairo_fill(p.cr);
        }
        break;
    }
    return TRUE;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return CLR_INVALID;
    cairo_surface_t* s = dc->surface();
    if (!s)
        return CLR_INVALID;
    long long px = (long long)x + dc->dx(), py = (long long)y + dc->dy();
    if (px < 0 || py < 0 || px >= cairo_image_surface_get_width(s) || py >= cairo_image_surface_get_height(s))
        return CLR_INVALID;
    cairo_surface_flush(s);
    const unsigned char* row = cairo_image_surface_get_data(s) + size_t(py) * size_t(cairo_image_surface_get_stride(s));
    uint32_t v;
    std::memcpy(&v, row + size_t(px) * 4, 4);
    unsigned a = v >> 24, r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
    if (a && a < 255) {
        r = std::min(255u, r * 255 / a);
        g = std::min(255u, g * 255 / a);
        b = std::min(255u, b * 255 / a);
    }
    return RGB(r, g, b);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    Paint p(hdc);
    if (!p)
        return CLR_INVALID;
    fillRectangle(p.cr, x, y, double(x) + 1, double(y) + 1, color);
    return color;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return FALSE;
    if (old)
        *old = dc->state.pos;
    dc->state.pos = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return FALSE;
    POINT from = dc->state.pos;
    dc->state.pos = POINT{x, y};
    Paint p(hdc);
    if (!p || !usePen(p.cr, *dc))
        return TRUE;
    cairo_move_to(p.cr, safeCoord(from.x + 0.5), safeCoord(from.y + 0.5));
    cairo_line_to(p.cr, safeCoord(x + 0.5), safeCoord(y + 0.5));
    cairo_stroke(p.cr);
    return TRUE;
}

namespace {

// Fills with the brush and outlines with the pen the shape that `path`
// draws for the box (x, y, w, h).
template <typename PathFn>
BOOL shape(HDC hdc, int left, int top, int right, int bottom, PathFn path)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return FALSE;
    double l = std::min(left, right), r = std::max(left, right);
    double t = std::min(top, bottom), b = std::max(top, bottom);
    if (!sane((long long)l) || !sane((long long)r) || !sane((long long)t) || !sane((long long)b))
        return FALSE;
    Paint p(hdc);
    if (!p)
        return TRUE;
    const Pen* pen = dc->state.pen.get();
    bool penOn = pen && pen->style != PS_NULL;
    int pw = penOn ? pen->width : 0;
    if (useBrush(p.cr, *dc)) {
        if (penOn)
            path(p.cr, l, t, r - l, b - t);
        else
            path(p.cr, l, t, r - l - 1, b - t - 1);
        cairo_fill(p.cr);
    }
    if (penOn && usePen(p.cr, *dc)) {
        if (pen->style == PS_INSIDEFRAME || pw == 1) {
            double inset = pw / 2.0;
            path(p.cr, l + inset, t + inset, r - l - pw, b - t - pw);
        } else {
            path(p.cr, l + 0.5, t + 0.5, r - l - 1, b - t - 1);
        }
        cairo_stroke(p.cr);
    }
    return TRUE;
}

}  // namespace

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    return shape(hdc, left, top, right, bottom,
                 [](cairo_t* cr, double x, double y, double w, double h) { cairo_rectangle(cr, x, y, std::max(0.0, w), std::max(0.0, h)); });
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int ew, int eh)
{
    return shape(hdc, left, top, right, bottom, [ew, eh](cairo_t* cr, double x, double y, double w, double h) {
        roundRectPath(cr, x, y, std::max(0.0, w), std::max(0.0, h), std::abs(ew) / 2.0, std::abs(eh) / 2.0);
    });
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    return shape(hdc, left, top, right, bottom, [](cairo_t* cr, double x, double y, double w, double h) {
        if (w <= 0 || h <= 0)
            return;
        cairo_save(cr);
        cairo_translate(cr, x + w / 2, y + h / 2);
        cairo_scale(cr, w / 2, h / 2);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
    });
}

namespace {
BOOL poly(HDC hdc, const POINT* pts, int count, bool closed)
{
    auto dc = dcOf(hdc);
    if (!dc || !pts || count < 2)
        return FALSE;
    Paint p(hdc);
    if (!p)
        return TRUE;
    auto path = [&]() {
        cairo_move_to(p.cr, safeCoord(pts[0].x + 0.5), safeCoord(pts[0].y + 0.5));
        for (int i = 1; i < count; ++i)
            cairo_line_to(p.cr, safeCoord(pts[i].x + 0.5), safeCoord(pts[i].y + 0.5));
        if (closed)
            cairo_close_path(p.cr);
    };
    if (closed && useBrush(p.cr, *dc)) {
        path();
        cairo_fill(p.cr);
    }
    if (usePen(p.cr, *dc)) {
        path();
        cairo_stroke(p.cr);
    }
    return TRUE;
}
}  // namespace

BOOL Polygon(HDC hdc, const POINT* points, int count) { return poly(hdc, points, count, true); }
BOOL Polyline(HDC hdc, const POINT* points, int count) { return poly(hdc, points, count, false); }

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    if (!rect || !dcOf(hdc))
        return 0;
    bool isNull;
    COLORREF c = brushColor(brush, &isNull);
    if (isNull)
        return 1;
    Paint p(hdc);
    if (p)
        fillRectangle(p.cr, rect->left, rect->top, rect->right, rect->bottom, c);
    return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    if (!rect || !dcOf(hdc))
        return 0;
    bool isNull;
    COLORREF c = brushColor(brush, &isNull);
    if (isNull || rect->right <= rect->left || rect->bottom <= rect->top)
        return 1;
    Paint p(hdc);
    if (!p)
        return 1;
    double l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
    fillRectangle(p.cr, l, t, r, t + 1, c);
    fillRectangle(p.cr, l, b - 1, r, b, c);
    fillRectangle(p.cr, l, t, l + 1, b, c);
    fillRectangle(p.cr, r - 1, t, r, b, c);
    return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect)
{
    if (!rect)
        return FALSE;
    Paint p(hdc);
    if (!p)
        return dcOf(hdc) ? TRUE : FALSE;
    cairo_set_operator(p.cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(p.cr, 1, 1, 1);
    cairo_rectangle(p.cr, safeCoord(rect->left), safeCoord(rect->top), safeCoord(rect->right) - safeCoord(rect->left),
                    safeCoord(rect->bottom) - safeCoord(rect->top));
    cairo_fill(p.cr);
    return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect)
{
    if (!rect)
        return FALSE;
    Paint p(hdc);
    if (!p)
        return dcOf(hdc) ? TRUE : FALSE;
    cairo_set_operator(p.cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(p.cr, 1, 1, 1);
    static const double dot[] = {1, 1};
    cairo_set_dash(p.cr, dot, 2, 0);
    cairo_set_line_width(p.cr, 1);
    cairo_rectangle(p.cr, safeCoord(rect->left + 0.5), safeCoord(rect->top + 0.5),
                    safeCoord(rect->right - 1.0) - safeCoord(rect->left), safeCoord(rect->bottom - 1.0) - safeCoord(rect->top));
    cairo_stroke(p.cr);
    return TRUE;
}

BOOL FillRgn(HDC hdc, HRGN region, HBRUSH brush)
{
    cairo_region_t* r = regionData(region);
    if (!r || !dcOf(hdc))
        return FALSE;
    bool isNull;
    COLORREF c = brushColor(brush, &isNull);
    if (isNull)
        return TRUE;
    Paint p(hdc);
    if (!p)
        return TRUE;
    int n = cairo_region_num_rectangles(r);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t ri;
        cairo_region_get_rectangle(r, i, &ri);
        fillRectangle(p.cr, ri.x, ri.y, double(ri.x) + ri.width, double(ri.y) + ri.height, c);
    }
    return TRUE;
}
