#pragma once
// Helpers shared by the files of GdiObjects*.cpp.
#include <pango/pangocairo.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include "platform/winapi/src/GdiImpl.h"
#include "platform/winapi/src/TextConv.h"
#include "winapi/winbase.h"

namespace winapi {
namespace gdi {

struct Table {
    std::mutex mutex;
    std::unordered_map<void*, std::shared_ptr<Object>> objects;  // guarded by mutex
    std::unordered_map<void*, std::shared_ptr<DC>> dcs;          // guarded by mutex
};

inline Table& table()
{
    static Table* t = new Table;
    return *t;
}

constexpr int kMaxSurfaceSide = 32767;

inline std::shared_ptr<Bitmap> newBitmap(int w, int h)
{
    if (w <= 0 || h <= 0 || w > kMaxSurfaceSide || h > kMaxSurfaceSide)
        return nullptr;
    auto b = std::make_shared<Bitmap>();
    b->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(b->surface) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return b;
}

inline std::shared_ptr<Bitmap> stockBitmap()
{
    static std::shared_ptr<Bitmap> b = [] {
        auto s = newBitmap(1, 1);
        s->stock = true;
        return s;
    }();
    return b;
}

inline int regionType(const cairo_region_t* r)
{
    if (!r)
        return ERROR;
    int n = cairo_region_num_rectangles(r);
    return n == 0 ? NULLREGION : (n == 1 ? SIMPLEREGION : COMPLEXREGION);
}

inline cairo_rectangle_int_t clampRect(long long l, long long t, long long r, long long b)
{
    const long long lim = 1 << 28;
    l = std::clamp(l, -lim, lim);
    t = std::clamp(t, -lim, lim);
    r = std::clamp(r, -lim, lim);
    b = std::clamp(b, -lim, lim);
    if (r < l)
        r = l;
    if (b < t)
        b = t;
    return cairo_rectangle_int_t{int(l), int(t), int(r - l), int(b - t)};
}

}  // namespace gdi
}  // namespace winapi
