// GdiObjects: bitmaps.
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

// ---------------------------------------------------------------- bitmaps
HBITMAP CreateCompatibleBitmap(HDC, int width, int height)
{
    if (width <= 0 || height <= 0)
        width = height = 1;
    auto b = newBitmap(width, height);
    return static_cast<HBITMAP>(addObject(b));
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT, void** bits, HANDLE, DWORD)
{
    if (bits)
        *bits = nullptr;
    if (!info || info->bmiHeader.biBitCount != 32 || info->bmiHeader.biWidth <= 0 ||
        info->bmiHeader.biHeight == 0 || info->bmiHeader.biHeight == LONG(0x80000000))
        return nullptr;
    // Rows are always stored top-down.
    auto b = newBitmap(info->bmiHeader.biWidth, std::abs(info->bmiHeader.biHeight));
    if (!b)
        return nullptr;
    b->dib = true;
    if (bits)
        *bits = cairo_image_surface_get_data(b->surface);
    return static_cast<HBITMAP>(addObject(b));
}

HBITMAP CreateBitmap(int width, int height, UINT, UINT bitCount, const void* bits)
{
    auto b = newBitmap(std::max(1, width), std::max(1, height));
    if (!b)
        return nullptr;
    if (bits && bitCount == 32) {
        unsigned char* data = cairo_image_surface_get_data(b->surface);
        std::memcpy(data, bits, size_t(b->width()) * size_t(b->height()) * 4);
        cairo_surface_mark_dirty(b->surface);
    }
    return static_cast<HBITMAP>(addObject(b));
}

int GetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info, UINT)
{
    auto b = objectAs<Bitmap>(bitmap, Kind::Bitmap);
    if (!b || !info)
        return 0;
    int w = b->width(), h = b->height();
    if (!bits) {
        info->bmiHeader.biWidth = w;
        info->bmiHeader.biHeight = h;
        info->bmiHeader.biBitCount = 32;
        info->bmiHeader.biPlanes = 1;
        info->bmiHeader.biSizeImage = DWORD(w * h * 4);
        return h;
    }
    if (info->bmiHeader.biBitCount != 32 || start >= UINT(h))
        return 0;
    cairo_surface_flush(b->surface);
    bool topDown = info->bmiHeader.biHeight < 0;
    UINT n = std::min<UINT>(lines, UINT(h) - start);
    const unsigned char* src = cairo_image_surface_get_data(b->surface);
    int stride = cairo_image_surface_get_stride(b->surface);
    auto* dst = static_cast<unsigned char*>(bits);
    for (UINT i = 0; i < n; ++i) {
        // Line `start + i` counted from the bottom for bottom-up requests.
        int srcRow = topDown ? int(start + i) : h - 1 - int(start + i);
        std::memcpy(dst + size_t(i) * size_t(w) * 4, src + size_t(srcRow) * size_t(stride), size_t(w) * 4);
    }
    return int(n);
}
