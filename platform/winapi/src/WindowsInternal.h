#pragma once
// Helpers shared by the files of Windows*.cpp.
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

struct ClassTable {
    std::mutex mutex;
    std::vector<std::shared_ptr<WindowClass>> classes;  // guarded by mutex
};

inline ClassTable& classTable()
{
    static ClassTable* t = new ClassTable;
    return *t;
}

inline std::u16string foldName(LPCWSTR name)
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

inline std::shared_ptr<WindowClass> findClass(LPCWSTR name, HINSTANCE instance, bool exactInstance)
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

inline ATOM registerClass(const WNDCLASSEXW& wc)
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

inline std::shared_ptr<Window> liveWindow(HWND hwnd)
{
    auto w = findWindow(hwnd);
    if (!w)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

inline void replaceSurface(Window& w)
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

inline std::atomic<int> g_defaultPosition{0};  // atomic: windows are created on any thread

inline void destroyRecursive(const std::shared_ptr<Window>& w)
{
    callProc(w, WM_DESTROY, 0, 0);
    std::vector<HWND> kids = w->children;
    for (HWND k : kids)
        if (auto c = findWindow(k)) {
            c->destroying = true;
            destroyRecursive(c);
        }
}

inline void finalRecursive(const std::shared_ptr<Window>& w)
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
inline void markDirty(Window& w)
{
    HWND top = topLevelOf(w.handle);
    if (auto t = findWindow(top)) {
        RECT r{0, 0, t->width(), t->height()};
        backend().dirty(*t, r);
    }
}

// Geometry and visibility steps of Windows.cpp that the other window files use.
void showWindowInternal(const std::shared_ptr<Window>& w, bool show);
bool setWindowPosInternal(const std::shared_ptr<Window>& w, HWND after, int x, int y, int cx, int cy, UINT flags);
void sendMinMaxInfo(const std::shared_ptr<Window>& w, MINMAXINFO* mmi);
void maximizeInternal(const std::shared_ptr<Window>& w, bool maximize);
void minimizeInternal(const std::shared_ptr<Window>& w, bool minimize);
}  // namespace winapi
