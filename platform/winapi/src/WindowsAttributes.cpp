// Windows: attributes.
#include <algorithm>
#include <atomic>
#include <cstring>
#include "platform/winapi/src/Backend.h"
#include "platform/winapi/src/Controls.h"
#include "platform/winapi/src/Core.h"
#include "platform/winapi/src/Gdi.h"
#include "platform/winapi/src/Input.h"
#include "platform/winapi/src/TextConv.h"
#include "winapi/winbase.h"
#include "platform/winapi/src/WindowsInternal.h"

using namespace winapi;

// ---------------------------------------------------------------- attributes
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index)
{
    auto w = liveWindow(hwnd);
    if (!w)
        return 0;
    switch (index) {
    case GWL_STYLE:
        return LONG_PTR(LONG(w->style));
    case GWL_EXSTYLE:
        return LONG_PTR(LONG(w->exStyle));
    case GWL_USERDATA:
        return w->userData;
    case GWL_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_ID:
        return w->id;
    case GWL_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(w->isChild() ? w->parent : w->owner);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value)
{
    auto w = liveWindow(hwnd);
    if (!w)
        return 0;
    LONG_PTR old = GetWindowLongPtrW(hwnd, index);
    switch (index) {
    case GWL_STYLE:
    case GWL_EXSTYLE: {
        struct {
            DWORD oldStyle, newStyle;
        } ss{DWORD(old), DWORD(value)};
        callProc(w, WM_STYLECHANGING, WPARAM(index), reinterpret_cast<LPARAM>(&ss));
        if (index == GWL_STYLE) {
            // Visibility and the child bit change only through their calls.
            DWORD keep = WS_VISIBLE | WS_CHILD;
            w->style = (ss.newStyle & ~keep) | (w->style & keep);
        } else {
            bool wasLayered = (w->exStyle & WS_EX_LAYERED) != 0;
            w->exStyle = ss.newStyle;
            if (wasLayered != ((w->exStyle & WS_EX_LAYERED) != 0)) {
                w->layered = !wasLayered;
                if (!w->layered)
                    w->alpha = 255;
                if (!w->isChild())
                    backend().opacityChanged(*w);
            }
        }
        callProc(w, WM_STYLECHANGED, WPARAM(index), reinterpret_cast<LPARAM>(&ss));
        break;
    }
    case GWL_USERDATA:
        w->userData = value;
        break;
    case GWL_WNDPROC:
        w->proc = reinterpret_cast<WNDPROC>(value);
        break;
    case GWL_ID:
        w->id = value;
        break;
    case GWL_HINSTANCE:
        w->instance = reinterpret_cast<HINSTANCE>(value);
        break;
    case GWL_HWNDPARENT:
        if (!w->isChild())
            w->owner = reinterpret_cast<HWND>(value);
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return old;
}

LONG GetWindowLongW(HWND hwnd, int index) { return LONG(GetWindowLongPtrW(hwnd, index)); }
LONG SetWindowLongW(HWND hwnd, int index, LONG value) { return LONG(SetWindowLongPtrW(hwnd, index, value)); }

BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data)
{
    auto w = liveWindow(hwnd);
    if (!w || !name)
        return FALSE;
    w->props[foldName(name)] = data;
    return TRUE;
}

HANDLE GetPropW(HWND hwnd, LPCWSTR name)
{
    auto w = findWindow(hwnd);
    if (!w || !name)
        return nullptr;
    auto it = w->props.find(foldName(name));
    return it == w->props.end() ? nullptr : it->second;
}

HANDLE RemovePropW(HWND hwnd, LPCWSTR name)
{
    auto w = findWindow(hwnd);
    if (!w || !name)
        return nullptr;
    auto it = w->props.find(foldName(name));
    if (it == w->props.end())
        return nullptr;
    HANDLE h = it->second;
    w->props.erase(it);
    return h;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text)
{
    if (!findWindow(hwnd))
        return FALSE;
    return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount)
{
    if (!buffer || maxCount <= 0 || !findWindow(hwnd))
        return 0;
    buffer[0] = 0;
    return int(SendMessageW(hwnd, WM_GETTEXT, WPARAM(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd)
{
    if (!findWindow(hwnd))
        return 0;
    return int(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw)
{
    auto w = liveWindow(hwnd);
    if (!w)
        return 0;
    if (w->shape) {
        cairo_region_destroy(w->shape);
        w->shape = nullptr;
    }
    // The shape is copied, so the caller may delete its handle at once.
    if (cairo_region_t* r = gdi::regionData(region))
        w->shape = cairo_region_copy(r);
    if (!w->isChild())
        backend().shapeChanged(*w);
    else
        markDirty(*w);
    if (redraw)
        invalidateWindow(*w, nullptr, true);
    return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region)
{
    auto w = liveWindow(hwnd);
    cairo_region_t* dst = gdi::regionData(region);
    if (!w || !dst || !w->shape)
        return ERROR;
    cairo_region_subtract(dst, dst);
    cairo_region_union(dst, w->shape);
    int n = cairo_region_num_rectangles(dst);
    return n == 0 ? NULLREGION : (n == 1 ? SIMPLEREGION : COMPLEXREGION);
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF, BYTE alpha, DWORD flags)
{
    auto w = liveWindow(hwnd);
    if (!w || !(w->exStyle & WS_EX_LAYERED))
        return FALSE;
    if (flags & LWA_ALPHA)
        w->alpha = alpha;
    w->layered = true;
    if (!w->isChild())
        backend().opacityChanged(*w);
    return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags)
{
    auto w = liveWindow(hwnd);
    if (!w || !(w->exStyle & WS_EX_LAYERED))
        return FALSE;
    if (key)
        *key = 0;
    if (alpha)
        *alpha = w->alpha;
    if (flags)
        *flags = LWA_ALPHA;
    return TRUE;
}
