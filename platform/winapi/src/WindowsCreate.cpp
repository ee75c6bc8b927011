// Windows: create / destroy.
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

// ---------------------------------------------------------------- create / destroy
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    auto cls = findClass(className, instance, false);
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    auto w = std::make_shared<Window>();
    w->queue = currentQueue();
    w->thread = std::this_thread::get_id();
    w->cls = cls;
    w->proc = cls->wc.lpfnWndProc;
    w->style = style & ~DWORD(WS_VISIBLE);
    w->exStyle = exStyle;
    w->instance = instance;
    w->cursor = cls->wc.hCursor;
    if (windowName)
        w->text = windowName;
    std::shared_ptr<Window> parentWindow;
    if (parent && parent != HWND_MESSAGE) {
        parentWindow = findWindow(parent);
        if (!parentWindow) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    }
    if (style & WS_CHILD) {
        if (!parentWindow) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        w->parent = parent;
        w->id = reinterpret_cast<LONG_PTR>(menu);
        if (x == CW_USEDEFAULT)
            x = y = 0;
        if (width == CW_USEDEFAULT)
            width = height = 0;
    } else {
        if (parentWindow)
            w->owner = topLevelOf(parent);
        if (x == CW_USEDEFAULT) {
            int slot = g_defaultPosition++ % 8;
            x = 60 + slot * 26;
            y = 40 + slot * 26;
        }
        if (width == CW_USEDEFAULT) {
            int sw = 0, sh = 0;
            backend().screenSize(&sw, &sh);
            width = sw / 2;
            height = sh / 2;
        }
    }
    w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
    replaceSurface(*w);
    HWND hwnd = registerWindow(w);
    if (parentWindow && w->isChild())
        parentWindow->children.push_back(hwnd);
    if (!w->isChild())
        backend().created(*w);

    if (!w->isChild() && (style & (WS_THICKFRAME | WS_CAPTION))) {
        MINMAXINFO mmi{};
        sendMinMaxInfo(w, &mmi);
    }
    CREATESTRUCTW cs{};
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menu;
    cs.hwndParent = parent;
    cs.x = x;
    cs.y = y;
    cs.cx = w->width();
    cs.cy = w->height();
    cs.style = LONG(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;
    if (!callProc(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        w->destroying = true;
        finalRecursive(w);
        return nullptr;
    }
    w->created = true;
    {
        NCCALCSIZE_PARAMS p{};
        p.rgrc[0] = w->rect;
        callProc(w, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&p.rgrc[0]));
    }
    if (!findWindow(hwnd))
        return nullptr;
    if (callProc(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!findWindow(hwnd) || w->destroying)
        return nullptr;
    callProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->width(), w->height()));
    callProc(w, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
    if (style & WS_VISIBLE) {
        if (style & WS_MAXIMIZE) {
            w->style &= ~DWORD(WS_MAXIMIZE);
            ShowWindow(hwnd, SW_SHOWMAXIMIZED);
        } else {
            ShowWindow(hwnd, w->isChild() ? SW_SHOWNOACTIVATE : SW_SHOW);
        }
    }
    return findWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd)
{
    auto w = liveWindow(hwnd);
    if (!w)
        return FALSE;
    if (w->thread != std::this_thread::get_id()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (w->destroying)
        return FALSE;
    w->destroying = true;
    // Owned pop-ups go first.
    for (HWND h : topLevelWindows())
        if (auto o = findWindow(h))
            if (o->owner == hwnd && !o->destroying && o->thread == w->thread)
                DestroyWindow(h);
    if (w->style & WS_VISIBLE) {
        w->style &= ~DWORD(WS_VISIBLE);
        if (w->isChild())
            markDirty(*w);
        else
            backend().shown(*w, false);
    }
    input().windowDestroying(hwnd);
    destroyRecursive(w);
    finalRecursive(w);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return findWindow(hwnd) != nullptr; }

BOOL IsWindowVisible(HWND hwnd)
{
    auto w = findWindow(hwnd);
    if (!w)
        return FALSE;
    while (w) {
        if (!(w->style & WS_VISIBLE))
            return FALSE;
        if (!w->isChild())
            return TRUE;
        w = findWindow(w->parent);
    }
    return FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    auto w = findWindow(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL IsIconic(HWND hwnd)
{
    auto w = findWindow(hwnd);
    return w && w->minimized;
}

BOOL IsZoomed(HWND hwnd)
{
    auto w = findWindow(hwnd);
    return w && w->maximized;
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    auto w = findWindow(hwnd);
    while (w && w->isChild()) {
        if (w->parent == parent)
            return TRUE;
        w = findWindow(w->parent);
    }
    return FALSE;
}

BOOL ShowWindow(HWND hwnd, int cmd)
{
    auto w = liveWindow(hwnd);
    if (!w)
        return FALSE;
    BOOL was = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    switch (cmd) {
    case SW_HIDE:
        showWindowInternal(w, false);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        showWindowInternal(w, true);
        minimizeInternal(w, true);
        break;
    case SW_SHOWMAXIMIZED:
        showWindowInternal(w, true);
        minimizeInternal(w, false);
        maximizeInternal(w, true);
        input().activate(hwnd);
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
        showWindowInternal(w, true);
        if (w->minimized)
            minimizeInternal(w, false);
        else if (w->maximized)
            maximizeInternal(w, false);
        if (!w->isChild() && !(w->exStyle & WS_EX_NOACTIVATE))
            input().activate(hwnd);
        break;
    case SW_SHOW:
        showWindowInternal(w, true);
        if (!w->isChild() && !(w->exStyle & WS_EX_NOACTIVATE))
            input().activate(hwnd);
        break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA:
    default:
        showWindowInternal(w, true);
        break;
    }
    return was;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    auto w = liveWindow(hwnd);
    if (!w)
        return FALSE;
    BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (bool(enable) == !wasDisabled)
        return wasDisabled;
    if (enable)
        w->style &= ~DWORD(WS_DISABLED);
    else
        w->style |= WS_DISABLED;
    if (!enable && (GetFocus() == hwnd || IsChild(hwnd, GetFocus())))
        SetFocus(nullptr);
    callProc(w, WM_ENABLE, enable ? TRUE : FALSE, 0);
    invalidateWindow(*w, nullptr, true);
    return wasDisabled;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    auto w = liveWindow(hwnd);
    if (!w)
        return FALSE;
    return setWindowPosInternal(w, insertAfter, x, y, cx, cy, flags) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect)
{
    auto w = liveWindow(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = screenRect(*w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect)
{
    auto w = liveWindow(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = RECT{0, 0, w->width(), w->height()};
    return TRUE;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement)
{
    auto w = liveWindow(hwnd);
    if (!w || !placement)
        return FALSE;
    placement->flags = 0;
    placement->showCmd = w->minimized ? SW_SHOWMINIMIZED : (w->maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    placement->rcNormalPosition = (w->minimized || w->maximized) ? w->restoreRect : w->rect;
    return TRUE;
}

BOOL BringWindowToTop(HWND hwnd)
{
    HWND top = topLevelOf(hwnd);
    auto w = liveWindow(top);
    if (!w)
        return FALSE;
    raiseTopLevel(top);
    backend().raised(*w);
    return TRUE;
}

BOOL SetForegroundWindow(HWND hwnd)
{
    HWND top = topLevelOf(hwnd);
    if (!findWindow(top))
        return FALSE;
    BringWindowToTop(top);
    input().activate(top);
    return TRUE;
}

HWND GetWindow(HWND hwnd, UINT cmd)
{
    auto w = liveWindow(hwnd);
    if (!w)
        return nullptr;
    switch (cmd) {
    case GW_OWNER:
        return w->isChild() ? nullptr : w->owner;
    case GW_CHILD:
        return w->children.empty() ? nullptr : w->children.back();
    case GW_HWNDNEXT:
    case GW_HWNDPREV:
    case GW_HWNDFIRST:
    case GW_HWNDLAST: {
        std::vector<HWND> siblings;
        if (w->isChild()) {
            if (auto p = findWindow(w->parent))
                siblings = p->children;
        } else {
            siblings = topLevelWindows();
        }
        std::reverse(siblings.begin(), siblings.end());  // top first
        if (siblings.empty())
            return nullptr;
        if (cmd == GW_HWNDFIRST)
            return siblings.front();
        if (cmd == GW_HWNDLAST)
            return siblings.back();
        auto it = std::find(siblings.begin(), siblings.end(), hwnd);
        if (it == siblings.end())
            return nullptr;
        if (cmd == GW_HWNDNEXT)
            return (it + 1) == siblings.end() ? nullptr : *(it + 1);
        return it == siblings.begin() ? nullptr : *(it - 1);
    }
    default:
        return nullptr;
    }
}

HWND GetParent(HWND hwnd)
{
    auto w = liveWindow(hwnd);
    if (!w)
        return nullptr;
    if (w->isChild())
        return w->parent;
    return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND SetParent(HWND child, HWND newParent)
{
    auto w = liveWindow(child);
    if (!w)
        return nullptr;
    HWND old = w->isChild() ? w->parent : nullptr;
    if (!w->isChild()) {
        w->owner = newParent ? topLevelOf(newParent) : nullptr;
        return old;
    }
    auto p = findWindow(newParent);
    if (!p)
        return nullptr;
    if (auto o = findWindow(old))
        o->children.erase(std::remove(o->children.begin(), o->children.end(), child), o->children.end());
    w->parent = newParent;
    p->children.push_back(child);
    markDirty(*w);
    return old;
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    auto w = liveWindow(hwnd);
    if (!w)
        return nullptr;
    switch (flags) {
    case GA_PARENT:
        return w->isChild() ? w->parent : GetDesktopWindow();
    case GA_ROOT:
        return topLevelOf(hwnd);
    case GA_ROOTOWNER: {
        HWND h = topLevelOf(hwnd);
        for (int guard = 0; guard < 64; ++guard) {
            auto t = findWindow(h);
            if (!t || !t->owner)
                break;
            h = topLevelOf(t->owner);
        }
        return h;
    }
    default:
        return nullptr;
    }
}

HWND GetDesktopWindow() { return reinterpret_cast<HWND>(uintptr_t(0x10)); }

HWND GetDlgItem(HWND dialog, int id)
{
    auto w = liveWindow(dialog);
    if (!w)
        return nullptr;
    for (HWND k : w->children)
        if (auto c = findWindow(k))
            if (c->id == id)
                return k;
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    auto w = liveWindow(hwnd);
    return w ? int(w->id) : 0;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName)
{
    std::u16string key = className ? foldName(className) : std::u16string();
    for (HWND h : topLevelWindows()) {
        auto w = findWindow(h);
        if (!w)
            continue;
        if (className && w->cls->key != key)
            continue;
        if (windowName && w->text != windowName)
            continue;
        return h;
    }
    return nullptr;
}
