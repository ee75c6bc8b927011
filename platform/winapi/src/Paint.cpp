// Update regions, WM_PAINT and window device contexts.
#include <algorithm>

#include "platform/winapi/src/Backend.h"
#include "platform/winapi/src/Core.h"
#include "platform/winapi/src/Gdi.h"

namespace winapi {

void invalidateWindow(Window& w, const cairo_region_t* region, bool erase)
{
    cairo_rectangle_int_t bounds{0, 0, std::max(0, w.width()), std::max(0, w.height())};
    std::lock_guard<std::mutex> lock(w.queue->mutex);
    if (!w.update)
        w.update = cairo_region_create();
    if (region) {
        cairo_region_t* r = cairo_region_copy(region);
        cairo_region_intersect_rectangle(r, &bounds);
        cairo_region_union(w.update, r);
        cairo_region_destroy(r);
    } else {
        cairo_region_union_rectangle(w.update, &bounds);
    }
    if (erase)
        w.erasePending = true;
    if (!cairo_region_is_empty(w.update))
        addPaintRequest(w);
}

// Marks the pixels of a window (window coordinates) as changed on screen.
void windowDrawn(HWND hwnd, const RECT& r)
{
    auto w = findWindow(hwnd);
    if (!w)
        return;
    RECT sr = screenRect(*w);
    HWND top = topLevelOf(hwnd);
    auto t = findWindow(top);
    if (!t)
        return;
    RECT tr = screenRect(*t);
    RECT d{r.left + sr.left - tr.left, r.top + sr.top - tr.top, r.right + sr.left - tr.left,
           r.bottom + sr.top - tr.top};
    backend().dirty(*t, d);
}

// A rectangle cut to the window (one pixel of slack), so huge values
// cannot overflow; false when nothing is left.
bool clampToWindow(const Window& w, RECT& r)
{
    r.left = std::max<LONG>(r.left, -1);
    r.top = std::max<LONG>(r.top, -1);
    r.right = std::min<LONG>(r.right, w.width() + 1);
    r.bottom = std::min<LONG>(r.bottom, w.height() + 1);
    return r.right > r.left && r.bottom > r.top;
}

}  // namespace winapi

using namespace winapi;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    auto w = findWindow(hwnd);
    if (!w)
        return FALSE;
    if (!rect) {
        invalidateWindow(*w, nullptr, erase);
        return TRUE;
    }
    RECT r = *rect;
    if (!clampToWindow(*w, r))
        return TRUE;
    cairo_rectangle_int_t ri{r.left, r.top, r.right - r.left, r.bottom - r.top};
    cairo_region_t* reg = cairo_region_create_rectangle(&ri);
    invalidateWindow(*w, reg, erase);
    cairo_region_destroy(reg);
    return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase)
{
    auto w = findWindow(hwnd);
    if (!w)
        return FALSE;
    invalidateWindow(*w, gdi::regionData(region), erase);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    auto w = findWindow(hwnd);
    if (!w)
        return FALSE;
    std::lock_guard<std::mutex> lock(w->queue->mutex);
    if (!w->update)
        return TRUE;
    if (!rect) {
        cairo_region_subtract(w->update, w->update);
        w->erasePending = false;
    } else {
        RECT r = *rect;
        if (clampToWindow(*w, r)) {
            cairo_rectangle_int_t ri{r.left, r.top, r.right - r.left, r.bottom - r.top};
            cairo_region_subtract_rectangle(w->update, &ri);
        }
    }
    return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN region)
{
    auto w = findWindow(hwnd);
    if (!w)
        return FALSE;
    std::lock_guard<std::mutex> lock(w->queue->mutex);
    if (!w->update)
        return TRUE;
    if (cairo_region_t* r = gdi::regionData(region))
        cairo_region_subtract(w->update, r);
    else
        cairo_region_subtract(w->update, w->update);
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase)
{
    auto w = findWindow(hwnd);
    if (!w)
        return FALSE;
    bool any = false;
    {
        std::lock_guard<std::mutex> lock(w->queue->mutex);
        cairo_rectangle_int_t e{0, 0, 0, 0};
        if (w->update && !cairo_region_is_empty(w->update)) {
            cairo_region_get_extents(w->update, &e);
            any = true;
        }
        if (rect)
            *rect = RECT{e.x, e.y, e.x + e.width, e.y + e.height};
    }
    (void)erase;
    return any ? TRUE : FALSE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL)
{
    auto w = findWindow(hwnd);
    cairo_region_t* dst = gdi::regionData(region);
    if (!w || !dst)
        return ERROR;
    std::lock_guard<std::mutex> lock(w->queue->mutex);
    cairo_region_subtract(dst, dst);
    if (w->update)
        cairo_region_union(dst, w->update);
    int n = cairo_region_num_rectangles(dst);
    return n == 0 ? NULLREGION : (n == 1 ? SIMPLEREGION : COMPLEXREGION);
}

BOOL UpdateWindow(HWND hwnd)
{
    auto w = findWindow(hwnd);
    if (!w)
        return FALSE;
    if (w->thread != std::this_thread::get_id())
        return FALSE;
    bool dirty;
    {
        std::lock_guard<std::mutex> lock(w->queue->mutex);
        dirty = w->update && !cairo_region_is_empty(w->update);
    }
    if (dirty && reallyVisible(*w))
        SendMessageW(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags)
{
    auto w = findWindow(hwnd);
    if (!w)
        return FALSE;
    if (flags & RDW_INVALIDATE) {
        if (region)
            InvalidateRgn(hwnd, region, (flags & RDW_ERASE) != 0);
        else
            InvalidateRect(hwnd, rect, (flags & RDW_ERASE) != 0);
        if (flags & RDW_ALLCHILDREN)
            for (HWND k : w->children)
                InvalidateRect(k, nullptr, (flags & RDW_ERASE) != 0);
    }
    if (flags & RDW_VALIDATE)
        ValidateRect(hwnd, rect);
    if (flags & RDW_UPDATENOW)
        UpdateWindow(hwnd);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps)
{
    auto w = findWindow(hwnd);
    if (!w || !ps)
        return nullptr;
    cairo_region_t* clip = nullptr;
    bool erase = false;
    {
        std::lock_guard<std::mutex> lock(w->queue->mutex);
        clip = w->update ? w->update : cairo_region_create();
        w->update = nullptr;
        erase = w->erasePending;
        w->erasePending = false;
    }
    cairo_rectangle_int_t bounds{0, 0, std::max(0, w->width()), std::max(0, w->height())};
    cairo_region_intersect_rectangle(clip, &bounds);
    cairo_rectangle_int_t e;
    cairo_region_get_extents(clip, &e);
    *ps = PAINTSTRUCT{};
    ps->rcPaint = RECT{e.x, e.y, e.x + e.width, e.y + e.height};
    ps->hdc = gdi::windowDC(hwnd, clip);
    cairo_region_destroy(clip);
    ps->fErase = TRUE;
    if (erase && ps->hdc)
        ps->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(ps->hdc), 0) ? FALSE : TRUE;
    return ps->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (!ps)
        return FALSE;
    if (ps->hdc)
        gdi::releaseWindowDC(ps->hdc);
    windowDrawn(hwnd, ps->rcPaint);
    return TRUE;
}

HDC GetDC(HWND hwnd)
{
    if (!hwnd)
        return gdi::windowDC(nullptr, nullptr);  // a screen-compatible context
    if (!findWindow(hwnd))
        return nullptr;
    return gdi::windowDC(hwnd, nullptr);
}

HDC GetWindowDC(HWND hwnd) { return GetDC(hwnd); }

int ReleaseDC(HWND hwnd, HDC hdc)
{
    if (!hdc)
        return 0;
    gdi::releaseWindowDC(hdc);
    if (auto w = findWindow(hwnd))
        windowDrawn(hwnd, RECT{0, 0, w->width(), w->height()});
    return 1;
}

HWND WindowFromDC(HDC hdc) { return gdi::dcWindow(hdc); }
