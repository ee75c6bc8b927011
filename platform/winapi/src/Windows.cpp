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

namespace winapi {

namespace {

struct ClassTable {
    std::mutex mutex;
    std::vector<std::shared_ptr<WindowClass>> classes;  // guarded by mutex
};

ClassTable& classTable()
{
    static ClassTable* t = new ClassTable;
    return *t;
}

std::u16string foldName(LPCWSTR name)
{
    std::u16string key;
    if (IS_INTRESOURCE(name)) {
        key = u"#" + fromUtf8(std::to_string(uintptr_t(name)));
        return key;
    }
    for (const char16_t* p = name; *p; ++p)
        key.push_back(fold16(*p));
    return key;
}

std::shared_ptr<WindowClass> findClass(LPCWSTR name, HINSTANCE instance, bool exactInstance)
{
    if (!name)
        return nullptr;
    registerSystemClasses();
    std::u16string key = foldName(name);
    ClassTable& t = classTable();
    std::lock_guard<std::mutex> lock(t.mutex);
    std::shared_ptr<WindowClass> any;
    for (auto& c : t.classes) {
        if (c->key != key)
            continue;
        if (c->instance == instance)
            return c;
        if (!any && !exactInstance)
            any = c;
    }
    return any;
}

ATOM registerClass(const WNDCLASSEXW& wc)
{
    if (!wc.lpszClassName || !wc.lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto c = std::make_shared<WindowClass>();
    c->name = IS_INTRESOURCE(wc.lpszClassName) ? foldName(wc.lpszClassName) : std::u16string(wc.lpszClassName);
    c->key = foldName(wc.lpszClassName);
    c->instance = wc.hInstance;
    c->wc = wc;
    c->wc.lpszClassName = c->name.c_str();
    c->wc.lpszMenuName = nullptr;
    ClassTable& t = classTable();
    std::lock_guard<std::mutex> lock(t.mutex);
    for (auto& other : t.classes) {
        if (other->key == c->key && other->instance == c->instance) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    t.classes.push_back(c);
    return ATOM(0xC000 + t.classes.size());
}

std::shared_ptr<Window> liveWindow(HWND hwnd)
{
    auto w = findWindow(hwnd);
    if (!w)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

void replaceSurface(Window& w)
{
    int cw = std::max(1, w.width());
    int ch = std::max(1, w.height());
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cw, ch);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    if (w.surface) {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, w.surface, 0, 0);
        cairo_paint(cr);
        cairo_surface_destroy(w.surface);
    }
    cairo_destroy(cr);
    w.surface = s;
}

std::atomic<int> g_defaultPosition{0};  // atomic: windows are created on any thread

void destroyRecursive(const std::shared_ptr<Window>& w)
{
    callProc(w, WM_DESTROY, 0, 0);
    std::vector<HWND> kids = w->children;
    for (HWND k : kids)
        if (auto c = findWindow(k)) {
            c->destroying = true;
            destroyRecursive(c);
        }
}

void finalRecursive(const std::shared_ptr<Window>& w)
{
    std::vector<HWND> kids = w->children;
    for (HWND k : kids)
        if (auto c = findWindow(k))
            finalRecursive(c);
    callProc(w, WM_NCDESTROY, 0, 0);
    destroyTimersOf(*w->queue, w->handle);
    inputWindowDestroyed(w->handle);
    if (w->parent) {
        if (auto p = findWindow(w->parent)) {
            p->children.erase(std::remove(p->children.begin(), p->children.end(), w->handle), p->children.end());
            RECT r = w->rect;
            cairo_rectangle_int_t ri{r.left, r.top, r.right - r.left, r.bottom - r.top};
            cairo_region_t* reg = cairo_region_create_rectangle(&ri);
            invalidateWindow(*p, reg, false);
            cairo_region_destroy(reg);
        }
    } else {
        backend().destroyed(*w);
    }
    {
        std::lock_guard<std::mutex> lock(w->queue->mutex);
        auto& np = w->queue->needPaint;
        np.erase(std::remove(np.begin(), np.end(), w->handle), np.end());
    }
    unregisterWindow(w->handle);
}

// Tells the backend that a top-level window's picture changed.
void markDirty(Window& w)
{
    HWND top = topLevelOf(w.handle);
    if (auto t = findWindow(top)) {
        RECT r{0, 0, t->width(), t->height()};
        backend().dirty(*t, r);
    }
}

}  // namespace

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
