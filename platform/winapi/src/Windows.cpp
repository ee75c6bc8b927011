// Window classes, creation and destruction, attributes, geometry and
// visibility.
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

namespace winapi {


void registerBuiltinClass(LPCWSTR name, WNDPROC proc, UINT style, LPCWSTR cursor)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style | CS_GLOBALCLASS;
    wc.lpfnWndProc = proc;
    wc.hCursor = LoadCursorW(nullptr, cursor);
    wc.lpszClassName = name;
    registerClass(wc);
}

HWND topLevelOf(HWND hwnd)
{
    auto w = findWindow(hwnd);
    while (w && w->isChild() && w->parent) {
        auto p = findWindow(w->parent);
        if (!p)
            break;
        w = p;
    }
    return w ? w->handle : nullptr;
}

POINT clientToScreen(const Window& w, POINT pt)
{
    pt.x += w.rect.left;
    pt.y += w.rect.top;
    if (w.isChild())
        if (auto p = findWindow(w.parent))
            return clientToScreen(*p, pt);
    return pt;
}

RECT screenRect(const Window& w)
{
    POINT o = clientToScreen(w, POINT{0, 0});
    return RECT{o.x, o.y, o.x + w.width(), o.y + w.height()};
}

bool reallyVisible(const Window& w)
{
    if (!(w.style & WS_VISIBLE) || w.minimized)
        return false;
    if (w.isChild()) {
        auto p = findWindow(w.parent);
        return p && reallyVisible(*p);
    }
    return true;
}

LRESULT callProc(const std::shared_ptr<Window>& w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!w || !w->proc)
        return 0;
    if (w->thread != std::this_thread::get_id())
        return SendMessageW(w->handle, msg, wParam, lParam);
    return w->proc(w->handle, msg, wParam, lParam);
}

void showWindowInternal(const std::shared_ptr<Window>& w, bool show)
{
    bool visible = (w->style & WS_VISIBLE) != 0;
    if (visible == show)
        return;
    callProc(w, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!findWindow(w->handle))
        return;
    if (show) {
        w->style |= WS_VISIBLE;
        invalidateWindow(*w, nullptr, true);
        for (HWND k : w->children)
            if (auto c = findWindow(k))
                if (c->style & WS_VISIBLE)
                    invalidateWindow(*c, nullptr, true);
    } else {
        w->style &= ~DWORD(WS_VISIBLE);
        input().windowHidden(w->handle);
    }
    if (w->isChild())
        markDirty(*w);
    else
        backend().shown(*w, show);
}

bool setWindowPosInternal(const std::shared_ptr<Window>& w, HWND after, int x, int y, int cx, int cy, UINT flags)
{
    WINDOWPOS wp{w->handle, after, x, y, cx, cy, flags};
    if (!(flags & SWP_NOSENDCHANGING))
        callProc(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    if (!findWindow(w->handle))
        return false;
    RECT old = w->rect;
    RECT r = old;
    if (!(wp.flags & SWP_NOMOVE)) {
        r.right = wp.x + (r.right - r.left);
        r.bottom = wp.y + (r.bottom - r.top);
        r.left = wp.x;
        r.top = wp.y;
    }
    if (!(wp.flags & SWP_NOSIZE)) {
        r.right = r.left + std::max(0, wp.cx);
        r.bottom = r.top + std::max(0, wp.cy);
    }
    bool moved = r.left != old.left || r.top != old.top;
    bool sized = (r.right - r.left) != (old.right - old.left) || (r.bottom - r.top) != (old.bottom - old.top);
    if (wp.flags & SWP_FRAMECHANGED) {
        NCCALCSIZE_PARAMS p{};
        p.rgrc[0] = r;
        p.rgrc[1] = old;
        p.rgrc[2] = old;
        p.lppos = &wp;
        callProc(w, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&p));
    }
    w->rect = r;
    if (sized) {
        replaceSurface(*w);
        if (!(wp.flags & SWP_NOREDRAW))
            invalidateWindow(*w, nullptr, true);
    }
    if (wp.flags & SWP_SHOWWINDOW)
        showWindowInternal(w, true);
    if (wp.flags & SWP_HIDEWINDOW)
        showWindowInternal(w, false);
    if (!w->isChild() && !(wp.flags & SWP_NOZORDER)) {
        if (after == HWND_TOPMOST)
            w->exStyle |= WS_EX_TOPMOST;
        else if (after == HWND_NOTOPMOST)
            w->exStyle &= ~DWORD(WS_EX_TOPMOST);
        if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
            raiseTopLevel(w->handle);
            backend().raised(*w);
        }
    }
    if (w->isChild() && !(wp.flags & SWP_NOZORDER) && (after == HWND_TOP || after == HWND_TOPMOST)) {
        if (auto p = findWindow(w->parent)) {
            auto& k = p->children;
            k.erase(std::remove(k.begin(), k.end(), w->handle), k.end());
            k.push_back(w->handle);
        }
    }
    if (moved || sized) {
        if (w->isChild())
            markDirty(*w);
        else
            backend().moved(*w);
    }
    if (!(wp.flags & SWP_NOACTIVATE) && !w->isChild() && (w->style & WS_VISIBLE))
        input().activate(w->handle);
    wp.x = r.left;
    wp.y = r.top;
    wp.cx = r.right - r.left;
    wp.cy = r.bottom - r.top;
    wp.flags = (moved ? 0 : SWP_NOMOVE) | (sized ? 0 : SWP_NOSIZE) | (wp.flags & ~UINT(SWP_NOMOVE | SWP_NOSIZE));
    callProc(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    return true;
}

void sendMinMaxInfo(const std::shared_ptr<Window>& w, MINMAXINFO* mmi)
{
    RECT work = backend().workArea();
    int sw = 0, sh = 0;
    backend().screenSize(&sw, &sh);
    mmi->ptMaxSize = POINT{sw, sh};
    mmi->ptMaxPosition = POINT{0, 0};
    mmi->ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMIN), GetSystemMetrics(SM_CYMIN)};
    mmi->ptMaxTrackSize = POINT{sw, sh};
    (void)work;
    callProc(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(mmi));
}

void maximizeInternal(const std::shared_ptr<Window>& w, bool maximize)
{
    if (w->isChild() || w->maximized == maximize)
        return;
    if (maximize) {
        if (!w->minimized)
            w->restoreRect = w->rect;
        MINMAXINFO mmi{};
        sendMinMaxInfo(w, &mmi);
        if (!findWindow(w->handle))
            return;
        w->maximized = true;
        w->minimized = false;
        w->style |= WS_MAXIMIZE;
        w->style &= ~DWORD(WS_MINIMIZE);
        setWindowPosInternal(w, nullptr, mmi.ptMaxPosition.x, mmi.ptMaxPosition.y, mmi.ptMaxSize.x, mmi.ptMaxSize.y,
                             SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        callProc(w, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(w->width(), w->height()));
    } else {
        w->maximized = false;
        w->style &= ~DWORD(WS_MAXIMIZE);
        RECT r = w->restoreRect;
        setWindowPosInternal(w, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
}

void minimizeInternal(const std::shared_ptr<Window>& w, bool minimize)
{
    if (w->isChild() || w->minimized == minimize)
        return;
    w->minimized = minimize;
    if (minimize) {
        w->style |= WS_MINIMIZE;
        input().windowHidden(w->handle);
        backend().shown(*w, false);
        callProc(w, WM_SIZE, SIZE_MINIMIZED, 0);
    } else {
        w->style &= ~DWORD(WS_MINIMIZE);
        backend().shown(*w, (w->style & WS_VISIBLE) != 0);
        invalidateWindow(*w, nullptr, true);
        callProc(w, WM_SIZE, w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED, MAKELPARAM(w->width(), w->height()));
    }
}

}  // namespace winapi

using namespace winapi;

// ---------------------------------------------------------------- classes
ATOM RegisterClassW(const WNDCLASSW* wc)
{
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXW ex{};
    ex.cbSize = sizeof ex;
    ex.style = wc->style;
    ex.lpfnWndProc = wc->lpfnWndProc;
    ex.cbClsExtra = wc->cbClsExtra;
    ex.cbWndExtra = wc->cbWndExtra;
    ex.hInstance = wc->hInstance;
    ex.hIcon = wc->hIcon;
    ex.hCursor = wc->hCursor;
    ex.hbrBackground = wc->hbrBackground;
    ex.lpszClassName = wc->lpszClassName;
    return registerClass(ex);
}

ATOM RegisterClassExW(const WNDCLASSEXW* wc)
{
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return registerClass(*wc);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance)
{
    auto c = findClass(className, instance, true);
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    ClassTable& t = classTable();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.classes.erase(std::remove(t.classes.begin(), t.classes.end(), c), t.classes.end());
    return TRUE;
}

BOOL GetClassInfoExW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSEXW wc)
{
    auto c = findClass(className, instance, true);
    if (!c && instance)
        c = findClass(className, nullptr, true);  // the system's classes are seen from every module
    if (!c || !wc) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *wc = c->wc;
    wc->cbSize = sizeof(WNDCLASSEXW);
    return TRUE;
}

BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSW wc)
{
    WNDCLASSEXW ex{};
    if (!wc || !GetClassInfoExW(instance, className, &ex))
        return FALSE;
    wc->style = ex.style;
    wc->lpfnWndProc = ex.lpfnWndProc;
    wc->cbClsExtra = ex.cbClsExtra;
    wc->cbWndExtra = ex.cbWndExtra;
    wc->hInstance = ex.hInstance;
    wc->hIcon = ex.hIcon;
    wc->hCursor = ex.hCursor;
    wc->hbrBackground = ex.hbrBackground;
    wc->lpszMenuName = nullptr;
    wc->lpszClassName = ex.lpszClassName;
    return TRUE;
}

DWORD GetClassLongW(HWND hwnd, int index)
{
    auto w = liveWindow(hwnd);
    if (!w)
        return 0;
    return index == GCL_STYLE ? w->cls->wc.style : 0;
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount)
{
    auto w = liveWindow(hwnd);
    if (!w || !buffer || maxCount <= 0)
        return 0;
    int n = std::min<int>(int(w->cls->name.size()), maxCount - 1);
    std::copy(w->cls->name.begin(), w->cls->name.begin() + n, buffer);
    buffer[n] = 0;
    return n;
}

