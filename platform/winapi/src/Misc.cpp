// Rectangles, metrics, monitors, system colours, cursors, the caret, icons
// and message boxes.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>

#include "platform/winapi/src/Backend.h"
#include "platform/winapi/src/Core.h"
#include "platform/winapi/src/Gdi.h"
#include "platform/winapi/src/Input.h"
#include "platform/winapi/src/Resources.h"
#include "platform/winapi/src/TextConv.h"
#include "winapi/winbase.h"

using namespace winapi;

// ---------------------------------------------------------------- rectangles
BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom)
{
    if (!rect)
        return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) { return SetRect(rect, 0, 0, 0, 0); }

BOOL CopyRect(LPRECT dst, const RECT* src)
{
    if (!dst || !src)
        return FALSE;
    *dst = *src;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }

BOOL EqualRect(const RECT* a, const RECT* b)
{
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL PtInRect(const RECT* r, POINT pt)
{
    return r && pt.x >= r->left && pt.x < r->right && pt.y >= r->top && pt.y < r->bottom;
}

BOOL OffsetRect(LPRECT r, int dx, int dy)
{
    if (!r)
        return FALSE;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}

BOOL InflateRect(LPRECT r, int dx, int dy)
{
    if (!r)
        return FALSE;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}

BOOL IntersectRect(LPRECT dst, const RECT* a, const RECT* b)
{
    if (!dst || !a || !b)
        return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (r.right <= r.left || r.bottom <= r.top) {
        *dst = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *dst = r;
    return TRUE;
}

BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b)
{
    if (!dst || !a || !b)
        return FALSE;
    if (IsRectEmpty(a)) {
        *dst = IsRectEmpty(b) ? RECT{0, 0, 0, 0} : *b;
        return !IsRectEmpty(b);
    }
    if (IsRectEmpty(b)) {
        *dst = *a;
        return TRUE;
    }
    *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
    return TRUE;
}

BOOL SubtractRect(LPRECT dst, const RECT* a, const RECT* b)
{
    if (!dst || !a || !b)
        return FALSE;
    RECT r = *a;
    RECT i;
    if (IntersectRect(&i, a, b)) {
        if (i.top == r.top && i.bottom == r.bottom) {
            if (i.left == r.left)
                r.left = i.right;
            else if (i.right == r.right)
                r.right = i.left;
        } else if (i.left == r.left && i.right == r.right) {
            if (i.top == r.top)
                r.top = i.bottom;
            else if (i.bottom == r.bottom)
                r.bottom = i.top;
        }
    }
    *dst = r;
    return !IsRectEmpty(&r);
}

// ---------------------------------------------------------------- monitors
namespace {
HMONITOR primaryMonitor() { return reinterpret_cast<HMONITOR>(uintptr_t(0x1)); }
}  // namespace

HMONITOR MonitorFromWindow(HWND, DWORD) { return primaryMonitor(); }
HMONITOR MonitorFromPoint(POINT, DWORD) { return primaryMonitor(); }
HMONITOR MonitorFromRect(LPCRECT, DWORD) { return primaryMonitor(); }

BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info)
{
    if (monitor != primaryMonitor() || !info)
        return FALSE;
    int w = 0, h = 0;
    backend().screenSize(&w, &h);
    info->rcMonitor = RECT{0, 0, w, h};
    info->rcWork = backend().workArea();
    info->dwFlags = MONITORINFOF_PRIMARY;
    return TRUE;
}

BOOL SystemParametersInfoW(UINT action, UINT, PVOID data, UINT)
{
    if (action == SPI_GETWORKAREA && data) {
        *static_cast<RECT*>(data) = backend().workArea();
        return TRUE;
    }
    return FALSE;
}

int GetSystemMetrics(int index)
{
    int w = 0, h = 0;
    backend().screenSize(&w, &h);
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CXFULLSCREEN:
        return w;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
    case SM_CYFULLSCREEN:
        return h;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return 17;
    case SM_CYCAPTION:
        return 23;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXMIN:
        return 112;
    case SM_CYMIN:
        return 27;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_CMONITORS:
        return 1;
    default:
        return 0;
    }
}

DWORD GetSysColor(int index)
{
    switch (index) {
    case COLOR_WINDOW:
        return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
    case COLOR_MENUTEXT:
    case COLOR_BTNTEXT:
    case COLOR_CAPTIONTEXT:
    case COLOR_INFOTEXT:
        return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT:
        return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT:
        return RGB(255, 255, 255);
    case COLOR_BTNFACE:
    case COLOR_MENU:
        return RGB(240, 240, 240);
    case COLOR_BTNSHADOW:
        return RGB(160, 160, 160);
    case COLOR_GRAYTEXT:
        return RGB(109, 109, 109);
    case COLOR_INFOBK:
        return RGB(255, 255, 225);
    case COLOR_HOTLIGHT:
        return RGB(0, 102, 204);
    case COLOR_ACTIVECAPTION:
        return RGB(153, 180, 209);
    case COLOR_WINDOWFRAME:
        return RGB(100, 100, 100);
    default:
        return RGB(200, 200, 200);
    }
}

HBRUSH GetSysColorBrush(int index)
{
    // The value COLOR_xxx + 1 works wherever a brush is taken.
    return reinterpret_cast<HBRUSH>(uintptr_t(index + 1));
}

// ---------------------------------------------------------------- cursors
namespace {
std::mutex g_cursorMutex;
HCURSOR g_cursor = nullptr;  // guarded by g_cursorMutex
int g_cursorCount = 0;       // guarded by g_cursorMutex
}  // namespace

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name)
{
    // System cursors are identified by their resource number.
    if (IS_INTRESOURCE(name))
        return reinterpret_cast<HCURSOR>(uintptr_t(name));
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR old;
    {
        std::lock_guard<std::mutex> lock(g_cursorMutex);
        old = g_cursor;
        g_cursor = cursor;
    }
    if (old != cursor)
        backend().setCursor(cursor);
    return old;
}

HCURSOR GetCursor()
{
    std::lock_guard<std::mutex> lock(g_cursorMutex);
    return g_cursor;
}

int ShowCursor(BOOL show)
{
    std::lock_guard<std::mutex> lock(g_cursorMutex);
    g_cursorCount += show ? 1 : -1;
    return g_cursorCount;
}

BOOL DestroyCursor(HCURSOR) { return TRUE; }

// ---------------------------------------------------------------- caret
namespace {
struct Caret {
    HWND hwnd = nullptr;
    int width = 0, height = 0;
    POINT pos{0, 0};
    int hideCount = 1;
};
thread_local Caret t_caret;  // this thread only
}  // namespace

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height)
{
    if (!findWindow(hwnd))
        return FALSE;
    t_caret = Caret{};
    t_caret.hwnd = hwnd;
    t_caret.width = width > 0 ? width : 1;
    t_caret.height = height > 0 ? height : 16;
    return TRUE;
}

BOOL DestroyCaret()
{
    t_caret = Caret{};
    return TRUE;
}

BOOL ShowCaret(HWND hwnd)
{
    if (t_caret.hwnd != hwnd && hwnd)
        return FALSE;
    if (t_caret.hideCount > 0)
        --t_caret.hideCount;
    return TRUE;
}

BOOL HideCaret(HWND hwnd)
{
    if (t_caret.hwnd != hwnd && hwnd)
        return FALSE;
    ++t_caret.hideCount;
    return TRUE;
}

BOOL SetCaretPos(int x, int y)
{
    if (!t_caret.hwnd)
        return FALSE;
    t_caret.pos = POINT{x, y};
    return TRUE;
}

BOOL GetCaretPos(LPPOINT pt)
{
    if (!pt)
        return FALSE;
    *pt = t_caret.pos;
    return TRUE;
}

BOOL MessageBeep(UINT) { return TRUE; }

// ---------------------------------------------------------------- icons
HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags)
{
    if (type == IMAGE_CURSOR)
        return LoadCursorW(instance, name);
    std::vector<unsigned char> bytes;
    if (flags & LR_LOADFROMFILE) {
        if (!name || IS_INTRESOURCE(name) || !readWholeFile(posixPath(name), bytes))
            return nullptr;
    } else {
        LPCWSTR rtype = type == IMAGE_ICON ? RT_GROUP_ICON : RT_BITMAP;
        if (!loadResourceBytes(name, rtype, bytes) && !(type == IMAGE_ICON && loadResourceBytes(name, RT_ICON, bytes)))
            return nullptr;
    }
    if (cx <= 0)
        cx = (flags & LR_DEFAULTSIZE) || type == IMAGE_ICON ? 32 : 0;
    if (cy <= 0)
        cy = (flags & LR_DEFAULTSIZE) || type == IMAGE_ICON ? 32 : 0;
    cairo_surface_t* img = decodeImage(bytes, cx, cy);
    if (!img)
        return nullptr;
    if (type == IMAGE_ICON)
        return gdi::makeIcon(img);
    cairo_surface_destroy(img);
    return nullptr;
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name)
{
    return static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, 32, 32, 0));
}

BOOL DestroyIcon(HICON icon) { return DeleteObject(icon); }

// ---------------------------------------------------------------- message boxes
int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type)
{
    // No dialog toolkit here: the message goes to the error output.
    std::string line = "[" + toUtf8(caption ? caption : u"") + "] " + toUtf8(text ? text : u"") + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    UINT buttons = type & 0xF;
    return buttons == MB_YESNO ? IDYES : IDOK;
}

// ---------------------------------------------------------------- characters
LPWSTR CharNextW(LPCWSTR p)
{
    if (!p || !*p)
        return const_cast<LPWSTR>(p);
    if (p[0] >= 0xD800 && p[0] <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF)
        return const_cast<LPWSTR>(p + 2);
    return const_cast<LPWSTR>(p + 1);
}

LPWSTR CharPrevW(LPCWSTR start, LPCWSTR p)
{
    if (!start || !p || p <= start)
        return const_cast<LPWSTR>(start);
    if (p - 1 > start && p[-1] >= 0xDC00 && p[-1] <= 0xDFFF && p[-2] >= 0xD800 && p[-2] <= 0xDBFF)
        return const_cast<LPWSTR>(p - 2);
    return const_cast<LPWSTR>(p - 1);
}

LPWSTR CharUpperW(LPWSTR s)
{
    if (IS_INTRESOURCE(s))
        return reinterpret_cast<LPWSTR>(uintptr_t(towupper(wint_t(uintptr_t(s)))));
    for (LPWSTR p = s; *p; ++p)
        *p = char16_t(towupper(wint_t(*p)));
    return s;
}

LPWSTR CharLowerW(LPWSTR s)
{
    if (IS_INTRESOURCE(s))
        return reinterpret_cast<LPWSTR>(uintptr_t(towlower(wint_t(uintptr_t(s)))));
    for (LPWSTR p = s; *p; ++p)
        *p = char16_t(towlower(wint_t(*p)));
    return s;
}
