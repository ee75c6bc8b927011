// GdiObjects: regions.
#include <pango/pangocairo.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include "platform/winapi/src/GdiImpl.h"
#include "platform/winapi/src/TextConv.h"
#include "winapi/winbase.h"
#include "platform/winapi/src/GdiObjectsInternal.h"

using namespace winapi;
using namespace winapi::gdi;

// ---------------------------------------------------------------- regions
HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    cairo_rectangle_int_t r = clampRect(std::min(left, right), std::min(top, bottom), std::max(left, right),
                                        std::max(top, bottom));
    return makeRegion(cairo_region_create_rectangle(&r));
}

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    if (!rect)
        return nullptr;
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

namespace {
// Row spans of an ellipse-cornered rectangle [l, r) x [t, b).
cairo_region_t* roundRegion(long long l, long long t, long long r, long long b, long long ew, long long eh)
{
    cairo_region_t* reg = cairo_region_create();
    if (r <= l || b <= t)
        return reg;
    const long long lim = 1 << 15;  // the largest region a window can use
    l = std::clamp(l, -lim, lim);
    r = std::clamp(r, -lim, lim);
    t = std::clamp(t, -lim, lim);
    b = std::clamp(b, -lim, lim);
    ew = std::clamp<long long>(ew, 0, r - l);
    eh = std::clamp<long long>(eh, 0, b - t);
    double rx = ew / 2.0, ry = eh / 2.0;
    if (rx < 1 || ry < 1) {
        cairo_rectangle_int_t rr{int(l), int(t), int(r - l), int(b - t)};
        cairo_region_union_rectangle(reg, &rr);
        return reg;
    }
    long long cornerRows = (long long)std::ceil(ry);
    for (long long y = t; y < b; ++y) {
        long long fromTop = y - t, fromBottom = b - 1 - y;
        long long d = std::min(fromTop, fromBottom);
        long long inset = 0;
        if (d < cornerRows) {
            double dy = ry - (d + 0.5);
            double k = 1.0 - (dy * dy) / (ry * ry);
            double dx = rx * std::sqrt(std::max(0.0, k));
            inset = (long long)std::lround(rx - dx);
        }
        if (l + inset >= r - inset)
            continue;
        cairo_rectangle_int_t row{int(l + inset), int(y), int(r - l - 2 * inset), 1};
        cairo_region_union_rectangle(reg, &row);
    }
    return reg;
}
}  // namespace

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ew, int eh)
{
    return makeRegion(roundRegion(std::min(left, right), std::min(top, bottom), std::max(left, right),
                                  std::max(top, bottom), ew, eh));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom)
{
    return makeRegion(roundRegion(std::min(left, right), std::min(top, bottom), std::max(left, right),
                                  std::max(top, bottom), std::abs(right - left), std::abs(bottom - top)));
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode)
{
    cairo_region_t* d = regionData(dst);
    cairo_region_t* a = regionData(src1);
    cairo_region_t* b = regionData(src2);
    if (!d || !a || (mode != RGN_COPY && !b))
        return ERROR;
    cairo_region_t* r = cairo_region_copy(a);
    switch (mode) {
    case RGN_AND:
        cairo_region_intersect(r, b);
        break;
    case RGN_OR:
        cairo_region_union(r, b);
        break;
    case RGN_XOR:
        cairo_region_xor(r, b);
        break;
    case RGN_DIFF:
        cairo_region_subtract(r, b);
        break;
    case RGN_COPY:
        break;
    default:
        cairo_region_destroy(r);
        return ERROR;
    }
    cairo_region_subtract(d, d);
    cairo_region_union(d, r);
    cairo_region_destroy(r);
    return regionType(d);
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom)
{
    cairo_region_t* d = regionData(region);
    if (!d)
        return FALSE;
    cairo_region_subtract(d, d);
    cairo_rectangle_int_t r = clampRect(left, top, right, bottom);
    cairo_region_union_rectangle(d, &r);
    return TRUE;
}

int OffsetRgn(HRGN region, int dx, int dy)
{
    cairo_region_t* d = regionData(region);
    if (!d)
        return ERROR;
    cairo_region_translate(d, dx, dy);
    return regionType(d);
}

int GetRgnBox(HRGN region, LPRECT rect)
{
    cairo_region_t* d = regionData(region);
    if (!d || !rect)
        return ERROR;
    cairo_rectangle_int_t e;
    cairo_region_get_extents(d, &e);
    *rect = RECT{e.x, e.y, e.x + e.width, e.y + e.height};
    return regionType(d);
}

BOOL PtInRegion(HRGN region, int x, int y)
{
    cairo_region_t* d = regionData(region);
    return d && cairo_region_contains_point(d, x, y);
}

BOOL RectInRegion(HRGN region, const RECT* rect)
{
    cairo_region_t* d = regionData(region);
    if (!d || !rect)
        return FALSE;
    cairo_rectangle_int_t r = clampRect(rect->left, rect->top, rect->right, rect->bottom);
    return cairo_region_contains_rectangle(d, &r) != CAIRO_REGION_OVERLAP_OUT;
}

BOOL EqualRgn(HRGN a, HRGN b)
{
    cairo_region_t* x = regionData(a);
    cairo_region_t* y = regionData(b);
    return x && y && cairo_region_equal(x, y);
}

DWORD GetRegionData(HRGN region, DWORD size, LPRGNDATA data)
{
    cairo_region_t* d = regionData(region);
    if (!d)
        return 0;
    int n = cairo_region_num_rectangles(d);
    DWORD need = DWORD(sizeof(RGNDATAHEADER) + size_t(n) * sizeof(RECT));
    if (!data)
        return need;
    if (size < need)
        return 0;
    cairo_rectangle_int_t e;
    cairo_region_get_extents(d, &e);
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = 1;
    data->rdh.nCount = DWORD(n);
    data->rdh.nRgnSize = DWORD(size_t(n) * sizeof(RECT));
    data->rdh.rcBound = RECT{e.x, e.y, e.x + e.width, e.y + e.height};
    auto* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(d, i, &r);
        rects[i] = RECT{r.x, r.y, r.x + r.width, r.y + r.height};
    }
    return need;
}

int SelectClipRgn(HDC hdc, HRGN region) { return ExtSelectClipRgn(hdc, region, RGN_COPY); }

int ExtSelectClipRgn(HDC hdc, HRGN region, int mode)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return ERROR;
    cairo_region_t* r = regionData(region);
    DCState& s = dc->state;
    if (!r) {
        if (mode != RGN_COPY)
            return ERROR;
        if (s.clip)
            cairo_region_destroy(s.clip);
        s.clip = nullptr;
    } else {
        // Without a clip, the current one is the whole surface.
        cairo_region_t* cur = s.clip ? s.clip : nullptr;
        if (!cur) {
            cairo_surface_t* surf = dc->surface();
            cairo_rectangle_int_t all{0, 0, surf ? cairo_image_surface_get_width(surf) : 0,
                                      surf ? cairo_image_surface_get_height(surf) : 0};
            cur = cairo_region_create_rectangle(&all);
        }
        cairo_region_t* next = mode == RGN_COPY ? cairo_region_copy(r) : cairo_region_copy(cur);
        switch (mode) {
        case RGN_AND:
            cairo_region_intersect(next, r);
            break;
        case RGN_OR:
            cairo_region_union(next, r);
            break;
        case RGN_XOR:
            cairo_region_xor(next, r);
            break;
        case RGN_DIFF:
            cairo_region_subtract(next, r);
            break;
        default:
            break;
        }
        if (cur != s.clip)
            cairo_region_destroy(cur);
        if (s.clip)
            cairo_region_destroy(s.clip);
        s.clip = next;
    }
    cairo_region_t* eff = dc->effectiveClip();
    int type = regionType(eff);
    cairo_region_destroy(eff);
    return type;
}

int GetClipBox(HDC hdc, LPRECT rect)
{
    auto dc = dcOf(hdc);
    if (!dc || !rect)
        return ERROR;
    cairo_region_t* eff = dc->effectiveClip();
    cairo_rectangle_int_t e;
    cairo_region_get_extents(eff, &e);
    int type = regionType(eff);
    cairo_region_destroy(eff);
    *rect = RECT{e.x - dc->dx(), e.y - dc->dy(), e.x + e.width - dc->dx(), e.y + e.height - dc->dy()};
    return type;
}

int GetClipRgn(HDC hdc, HRGN region)
{
    auto dc = dcOf(hdc);
    cairo_region_t* d = regionData(region);
    if (!dc || !d)
        return -1;
    if (!dc->state.clip)
        return 0;
    cairo_region_subtract(d, d);
    cairo_region_union(d, dc->state.clip);
    return 1;
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return ERROR;
    cairo_rectangle_int_t r = clampRect((long long)left + dc->dx(), (long long)top + dc->dy(),
                                        (long long)right + dc->dx(), (long long)bottom + dc->dy());
    HRGN tmp = makeRegion(cairo_region_create_rectangle(&r));
    int type = ExtSelectClipRgn(hdc, tmp, RGN_AND);
    DeleteObject(tmp);
    return type;
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return ERROR;
    cairo_rectangle_int_t r = clampRect((long long)left + dc->dx(), (long long)top + dc->dy(),
                                        (long long)right + dc->dx(), (long long)bottom + dc->dy());
    HRGN tmp = makeRegion(cairo_region_create_rectangle(&r));
    int type = ExtSelectClipRgn(hdc, tmp, RGN_DIFF);
    DeleteObject(tmp);
    return type;
}

BOOL RectVisible(HDC hdc, const RECT* rect)
{
    auto dc = dcOf(hdc);
    if (!dc || !rect)
        return FALSE;
    cairo_region_t* eff = dc->effectiveClip();
    cairo_rectangle_int_t r = clampRect((long long)rect->left + dc->dx(), (long long)rect->top + dc->dy(),
                                        (long long)rect->right + dc->dx(), (long long)rect->bottom + dc->dy());
    bool v = cairo_region_contains_rectangle(eff, &r) != CAIRO_REGION_OVERLAP_OUT;
    cairo_region_destroy(eff);
    return v;
}

BOOL PtVisible(HDC hdc, int x, int y)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return FALSE;
    cairo_region_t* eff = dc->effectiveClip();
    bool v = cairo_region_contains_point(eff, x + dc->dx(), y + dc->dy());
    cairo_region_destroy(eff);
    return v;
}
