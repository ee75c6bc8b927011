// Real windows on an X server. Every top-level window gets an X window
// without decorations (pop-ups bypass the window manager); its picture,
// composed with its children, is put with XPutImage; XShape cuts window
// regions. A reader thread turns X events into device input, so caption
// dragging works with or without a window manager. When the connection
// breaks, every message loop leaves with an error instead of hanging.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <thread>

#include "platform/winapi/src/Backend.h"
#include "platform/winapi/src/Gdi.h"
#include "platform/winapi/src/Input.h"
#include "platform/winapi/src/TextConv.h"

namespace winapi {

void markQueuesFailed();

namespace {

class X11Backend;
X11Backend* g_x11 = nullptr;  // the one instance, set before the reader starts

int quietErrorHandler(Display*, XErrorEvent* e)
{
    std::fprintf(stderr, "winapi: X error %d (request %d)\n", int(e->error_code), int(e->request_code));
    return 0;
}

int quietIoErrorHandler(Display*) { return 0; }

void ioErrorExit(Display*, void*);

int virtualKey(KeySym ks)
{
    if (ks >= XK_a && ks <= XK_z)
        return int('A' + (ks - XK_a));
    if (ks >= XK_A && ks <= XK_Z)
        return int(ks);
    if (ks >= XK_0 && ks <= XK_9)
        return int(ks);
    if (ks >= XK_F1 && ks <= XK_F12)
        return int(VK_F1 + (ks - XK_F1));
    if (ks >= XK_KP_0 && ks <= XK_KP_9)
        return int(VK_NUMPAD0 + (ks - XK_KP_0));
    switch (ks) {
    case XK_BackSpace:
        return VK_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        return VK_TAB;
    case XK_Return:
    case XK_KP_Enter:
        return VK_RETURN;
    case XK_Escape:
        return VK_ESCAPE;
    case XK_space:
        return VK_SPACE;
    case XK_Prior:
        return VK_PRIOR;
    case XK_Next:
        return VK_NEXT;
    case XK_End:
        return VK_END;
    case XK_Home:
        return VK_HOME;
    case XK_Left:
        return VK_LEFT;
    case XK_Up:
        return VK_UP;
    case XK_Right:
        return VK_RIGHT;
    case XK_Down:
        return VK_DOWN;
    case XK_Insert:
        return VK_INSERT;
    case XK_Delete:
        return VK_DELETE;
    case XK_Shift_L:
    case XK_Shift_R:
        return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R:
        return VK_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
        return VK_MENU;
    default:
        return 0xE5;
    }
}

class X11Backend : public DisplayBackend {
public:
    bool open()
    {
        XInitThreads();
        m_display = XOpenDisplay(nullptr);
        if (!m_display)
            return false;
        XSetErrorHandler(quietErrorHandler);
        XSetIOErrorHandler(quietIoErrorHandler);
        XSetIOErrorExitHandler(m_display, ioErrorExit, this);
        int ev, err;
        m_shape = XShapeQueryExtension(m_display, &ev, &err);
        m_screen = DefaultScreen(m_display);
        m_root = RootWindow(m_display, m_screen);
        m_deleteWindow = XInternAtom(m_display, "WM_DELETE_WINDOW", False);
        m_protocols = XInternAtom(m_display, "WM_PROTOCOLS", False);
        m_motifHints = XInternAtom(m_display, "_MOTIF_WM_HINTS", False);
        m_netName = XInternAtom(m_display, "_NET_WM_NAME", False);
        m_utf8 = XInternAtom(m_display, "UTF8_STRING", False);
        m_netIcon = XInternAtom(m_display, "_NET_WM_ICON", False);
        m_opacity = XInternAtom(m_display, "_NET_WM_WINDOW_OPACITY", False);
        m_workArea = XInternAtom(m_display, "_NET_WORKAREA", False);
        m_gc = XCreateGC(m_display, m_root, 0, nullptr);
        if (pipe(m_wake) != 0)
            return false;
        g_x11 = this;
        m_reader = std::thread([this] { readLoop(); });
        m_reader.detach();
        return true;
    }

    bool isHeadless() const override { return false; }

    void screenSize(int* width, int* height) override
    {
        *width = DisplayWidth(m_display, m_screen);
        *height = DisplayHeight(m_display, m_screen);
    }

    RECT workArea() override
    {
        int w, h;
        screenSize(&w, &h);
        RECT r{0, 0, w, h};
        std::lock_guard<std::mutex> lock(m_xlock);
        if (m_dead)
            return r;
        Atom type;
        int format;
        unsigned long n, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_display, m_root, m_workArea, 0, 4, False, XA_CARDINAL, &type, &format, &n, &after,
                               &data) == Success &&
            data && n >= 4 && format == 32) {
            auto* v = reinterpret_cast<long*>(data);
            r = RECT{LONG(v[0]), LONG(v[1]), LONG(v[0] + v[2]), LONG(v[1] + v[3])};
        }
        if (data)
            XFree(data);
        return r;
    }

    void created(Window& w) override
    {
        std::lock_guard<std::mutex> lock(m_xlock);
        if (m_dead)
            return;
        XSetWindowAttributes a{};
        a.background_pixmap = None;
        a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                       KeyReleaseMask | StructureNotifyMask | EnterWindowMask | LeaveWindowMask | FocusChangeMask;
        // Pop-ups (menus, drop-downs, tips) are placed by us, not by a
        // window manager.
        a.override_redirect = (w.style & WS_POPUP) && (w.exStyle & WS_EX_TOOLWINDOW) ? True : False;
        ::Window xw = XCreateWindow(m_display, m_root, w.rect.left, w.rect.top, unsigned(std::max(1, w.width())),
                                    unsigned(std::max(1, w.height())), 0, CopyFromParent, InputOutput, CopyFromParent,
                                    CWBackPixmap | CWEventMask | CWOverrideRedirect, &a);
        XSetWMProtocols(m_display, xw, &m_deleteWindow, 1);
        long hints[5] = {2, 0, 0, 0, 0};  // decorations: none (the skin draws the frame)
        XChangeProperty(m_display, xw, m_motifHints, m_motifHints, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(hints), 5);
        XSizeHints sh{};
        sh.flags = USPosition | USSize;
        sh.x = w.rect.left;
        sh.y = w.rect.top;
        sh.width = w.width();
        sh.height = w.height();
        XSetWMNormalHints(m_display, xw, &sh);
        storeTitle(xw, w.text);
        {
            std::lock_guard<std::mutex> l(m_mapLock);
            m_windows[xw] = w.handle;
            m_handles[w.handle] = xw;
        }
        XFlush(m_display);
    }

    void destroyed(Window& w) override
    {
        ::Window xw = xwindow(w.handle);
        {
            std::lock_guard<std::mutex> l(m_mapLock);
            m_windows.erase(xw);
            m_handles.erase(w.handle);
            m_dirty.erase(w.handle);
        }
        std::lock_guard<std::mutex> lock(m_xlock);
        if (m_dead || !xw)
            return;
        XDestroyWindow(m_display, xw);
        XFlush(m_display);
    }

    void shown(Window& w, bool show) override
    {
        ::Window xw = xwindow(w.handle);
        {
            std::lock_guard<std::mutex> lock(m_xlock);
            if (m_dead || !xw)
                return;
            if (show) {
                // The style may have changed since creation (a tip makes
                // itself a tool window while it is created).
                XSetWindowAttributes a{};
                a.override_redirect = (w.style & WS_POPUP) && (w.exStyle & WS_EX_TOOLWINDOW) ? True : False;
                XChangeWindowAttributes(m_display, xw, CWOverrideRedirect, &a);
                XMoveResizeWindow(m_display, xw, w.rect.left, w.rect.top, unsigned(std::max(1, w.width())),
                                  unsigned(std::max(1, w.height())));
                XMapRaised(m_display, xw);
            } else {
                XUnmapWindow(m_display, xw);
            }
            XFlush(m_display);
        }
        if (show)
            dirty(w, RECT{0, 0, w.width(), w.height()});
    }

    void moved(Window& w) override
    {
        ::Window xw = xwindow(w.handle);
        {
            std::lock_guard<std::mutex> lock(m_xlock);
            if (m_dead || !xw)
                return;
            XMoveResizeWindow(m_display, xw, w.rect.left, w.rect.top, unsigned(std::max(1, w.width())),
                              unsigned(std::max(1, w.height())));
            XFlush(m_display);
        }
        dirty(w, RECT{0, 0, w.width(), w.height()});
    }

    void shapeChanged(Window& w) override
    {
        ::Window xw = xwindow(w.handle);
        std::lock_guard<std::mutex> lock(m_xlock);
        if (m_dead || !xw || !m_shape)
            return;
        if (!w.shape) {
            XShapeCombineMask(m_display, xw, ShapeBounding, 0, 0, None, ShapeSet);
        } else {
            int n = cairo_region_num_rectangles(w.shape);
            std::vector<XRectangle> rects(size_t(std::max(n, 0)));
            for (int i = 0; i < n; ++i) {
                cairo_rectangle_int_t r;
                cairo_region_get_rectangle(w.shape, i, &r);
                rects[size_t(i)] = XRectangle{short(r.x), short(r.y), (unsigned short)r.width, (unsigned short)r.height};
            }
            XShapeCombineRectangles(m_display, xw, ShapeBounding, 0, 0, rects.data(), n, ShapeSet, Unsorted);
        }
        XFlush(m_display);
    }

    void opacityChanged(Window& w) override
    {
        ::Window xw = xwindow(w.handle);
        std::lock_guard<std::mutex> lock(m_xlock);
        if (m_dead || !xw)
            return;
        if (w.layered && w.alpha < 255) {
            unsigned long v = (unsigned long)(w.alpha) * 0xFFFFFFFFul / 255ul;
            XChangeProperty(m_display, xw, m_opacity, XA_CARDINAL, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&v), 1);
        } else {
            XDeleteProperty(m_display, xw, m_opacity);
        }
        XFlush(m_display);
    }

    void titleChanged(Window& w) override
    {
        ::Window xw = xwindow(w.handle);
        std::lock_guard<std::mutex> lock(m_xlock);
        if (m_dead || !xw)
            return;
        storeTitle(xw, w.text);
        XFlush(m_display);
    }

    void iconChanged(Window& w) override
    {
        ::Window xw = xwindow(w.handle);
        cairo_surface_t* big = gdi::iconSurface(w.iconBig ? w.iconBig : w.iconSmall);
        std::lock_guard<std::mutex> lock(m_xlock);
        if (m_dead || !xw || !big)
            return;
        cairo_surface_flush(big);
        int iw = cairo_image_surface_get_width(big), ih = cairo_image_surface_get_height(big);
        std::vector<unsigned long> data;
        data.push_back((unsigned long)iw);
        data.push_back((unsigned long)ih);
        const unsigned char* px = cairo_image_surface_get_data(big);
        int stride = cairo_image_surface_get_stride(big);
        for (int y = 0; y < ih; ++y)
            for (int x = 0; x < iw; ++x) {
                uint32_t v;
                std::memcpy(&v, px + size_t(y) * size_t(stride) + size_t(x) * 4, 4);
                data.push_back(v);
            }
        XChangeProperty(m_display, xw, m_netIcon, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(data.data()), int(data.size()));
        XFlush(m_display);
    }

    void raised(Window& w) override
    {
        ::Window xw = xwindow(w.handle);
        std::lock_guard<std::mutex> lock(m_xlock);
        if (m_dead || !xw || !(w.style & WS_VISIBLE))
            return;
        XRaiseWindow(m_display, xw);
        XFlush(m_display);
    }

    void dirty(Window& w, const RECT& r) override
    {
        std::lock_guard<std::mutex> l(m_mapLock);
        if (!m_handles.count(w.handle))
            return;
        auto it = m_dirty.find(w.handle);
        if (it == m_dirty.end()) {
            m_dirty[w.handle] = r;
        } else {
            RECT& d = it->second;
            d = RECT{std::min(d.left, r.left), std::min(d.top, r.top), std::max(d.right, r.right),
                     std::max(d.bottom, r.bottom)};
        }
    }

    void setCursor(HCURSOR cursor) override
    {
        unsigned shape = XC_left_ptr;
        switch (uintptr_t(cursor)) {
        case 32513:
            shape = XC_xterm;
            break;
        case 32514:
            shape = XC_watch;
            break;
        case 32515:
            shape = XC_crosshair;
            break;
        case 32644:
            shape = XC_sb_h_double_arrow;
            break;
        case 32645:
            shape = XC_sb_v_double_arrow;
            break;
        case 32642:
        case 32643:
        case 32646:
            shape = XC_fleur;
            break;
        case 32649:
            shape = XC_hand2;
            break;
        default:
            break;
        }
        std::vector<::Window> all;
        {
            std::lock_guard<std::mutex> l(m_mapLock);
            for (auto& kv : m_windows)
                all.push_back(kv.first);
        }
        std::lock_guard<std::mutex> lock(m_xlock);
        if (m_dead)
            return;
        auto it = m_cursors.find(shape);
        if (it == m_cursors.end())
            it = m_cursors.emplace(shape, XCreateFontCursor(m_display, shape)).first;
        for (::Window xw : all)
            XDefineCursor(m_display, xw, it->second);
        XFlush(m_display);
    }

    // Pushes the changed pictures of this thread's windows to the server.
    void flush() override
    {
        std::map<HWND, RECT> work;
        {
            std::lock_guard<std::mutex> l(m_mapLock);
            for (auto it = m_dirty.begin(); it != m_dirty.end();) {
                auto w = findWindow(it->first);
                if (w && w->thread == std::this_thread::get_id()) {
                    work[it->first] = it->second;
                    it = m_dirty.erase(it);
                } else {
                    ++it;
                }
            }
        }
        for (auto& [hwnd, rect] : work) {
            auto w = findWindow(hwnd);
            if (!w || !(w->style & WS_VISIBLE) || w->minimized)
                continue;
            present(*w, rect);
        }
    }

    void markDead()
    {
        if (m_dead.exchange(true))
            return;
        char c = 1;
        ssize_t ignored = write(m_wake[1], &c, 1);
        (void)ignored;
        markQueuesFailed();
    }

private:
    // caller holds m_xlock
    void storeTitle(::Window xw, const std::u16string& text)
    {
        std::string utf8 = toUtf8(text);
        XStoreName(m_display, xw, utf8.c_str());
        XChangeProperty(m_display, xw, m_netName, m_utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(utf8.data()), int(utf8.size()));
    }

    ::Window xwindow(HWND h)
    {
        std::lock_guard<std::mutex> l(m_mapLock);
        auto it = m_handles.find(h);
        return it == m_handles.end() ? 0 : it->second;
    }

    HWND hwndOf(::Window xw)
    {
        std::lock_guard<std::mutex> l(m_mapLock);
        auto it = m_windows.find(xw);
        return it == m_windows.end() ? nullptr : it->second;
    }

    void present(Window& w, RECT r)
    {
        ::Window xw = xwindow(w.handle);
        if (!xw)
            return;
        r.left = std::max<LONG>(r.left, 0);
        r.top = std::max<LONG>(r.top, 0);
        r.right = std::min<LONG>(r.right, w.width());
        r.bottom = std::min<LONG>(r.bottom, w.height());
        if (r.right <= r.left || r.bottom <= r.top)
            return;
        cairo_surface_t* pic = composeWindow(w);
        int stride = cairo_image_surface_get_stride(pic);
        std::lock_guard<std::mutex> lock(m_xlock);
        if (!m_dead) {
            Visual* visual = DefaultVisual(m_display, m_screen);
            int depth = DefaultDepth(m_display, m_screen);
            XImage* img = XCreateImage(m_display, visual, unsigned(depth), ZPixmap, 0,
                                       reinterpret_cast<char*>(cairo_image_surface_get_data(pic)),
                                       unsigned(cairo_image_surface_get_width(pic)),
                                       unsigned(cairo_image_surface_get_height(pic)), 32, stride);
            if (img) {
                XPutImage(m_display, xw, m_gc, img, r.left, r.top, r.left, r.top, unsigned(r.right - r.left),
                          unsigned(r.bottom - r.top));
                img->data = nullptr;  // the surface owns the pixels
                XDestroyImage(img);
            }
            XFlush(m_display);
        }
        cairo_surface_destroy(pic);
    }

    void wakeOwner(HWND h)
    {
        if (auto w = findWindow(h)) {
            std::lock_guard<std::mutex> lock(w->queue->mutex);
            w->queue->cv.notify_all();
        }
    }

    void handle(XEvent& e)
    {
        HWND h = hwndOf(e.xany.window);
        if (!h)
            return;
        RawInput in;
        switch (e.type) {
        case Expose: {
            if (auto w = findWindow(h)) {
                dirty(*w, RECT{e.xexpose.x, e.xexpose.y, e.xexpose.x + e.xexpose.width,
                               e.xexpose.y + e.xexpose.height});
                wakeOwner(h);
            }
            return;
        }
        case ClientMessage:
            if (Atom(e.xclient.message_type) == m_protocols && Atom(e.xclient.data.l[0]) == m_deleteWindow)
                PostMessageW(h, WM_CLOSE, 0, 0);
            return;
        case MotionNotify:
            in.kind = RawInput::MouseMove;
            in.pt = POINT{e.xmotion.x_root, e.xmotion.y_root};
            break;
        case ButtonPress:
        case ButtonRelease: {
            unsigned b = e.xbutton.button;
            in.pt = POINT{e.xbutton.x_root, e.xbutton.y_root};
            if (b == 4 || b == 5) {
                if (e.type == ButtonRelease)
                    return;
                in.kind = RawInput::Wheel;
                in.delta = b == 4 ? WHEEL_DELTA : -WHEEL_DELTA;
                break;
            }
            in.kind = e.type == ButtonPress ? RawInput::MouseDown : RawInput::MouseUp;
            in.button = b == 1 ? 0 : (b == 3 ? 1 : 2);
            break;
        }
        case KeyPress:
        case KeyRelease: {
            char buf[16] = {};
            KeySym ks = 0;
            int n = XLookupString(&e.xkey, buf, sizeof buf - 1, &ks, nullptr);
            in.kind = e.type == KeyPress ? RawInput::KeyDown : RawInput::KeyUp;
            in.vk = virtualKey(ks);
            if (e.type == KeyPress) {
                if (ks == XK_Return || ks == XK_KP_Enter)
                    in.ch = u'\r';
                else if (ks == XK_BackSpace)
                    in.ch = 0x08;
                else if (ks == XK_Tab)
                    in.ch = u'\t';
                else if (ks == XK_Escape)
                    in.ch = 0x1B;
                else if ((ks & 0xFF000000) == 0x01000000)
                    in.ch = char16_t(ks & 0xFFFF);
                else if (n == 1)
                    in.ch = char16_t(static_cast<unsigned char>(buf[0]));
            }
            break;
        }
        default:
            return;
        }
        input().route(in, h);
    }

    void readLoop()
    {
        int fd = ConnectionNumber(m_display);
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(m_xlock);
                if (m_dead)
                    return;
                while (!m_dead && XPending(m_display) > 0) {
                    XEvent e;
                    XNextEvent(m_display, &e);
                    handle(e);
                }
                if (m_dead)
                    return;
            }
            pollfd fds[2] = {{fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
            int r = poll(fds, 2, 500);
            if (r > 0 && (fds[0].revents & (POLLHUP | POLLERR))) {
                std::lock_guard<std::mutex> lock(m_xlock);
                // Let Xlib notice the broken connection and report it.
                XNoOp(m_display);
                XSync(m_display, False);
            }
            if (m_dead)
                return;
        }
    }

    Display* m_display = nullptr;  // guarded by m_xlock (every call that uses it)
    // Set in open() before the reader starts, read-only afterwards:
    int m_screen = 0;
    ::Window m_root = 0;
    GC m_gc = nullptr;
    bool m_shape = false;
    Atom m_deleteWindow = 0, m_protocols = 0, m_motifHints = 0, m_netName = 0, m_utf8 = 0, m_netIcon = 0,
         m_opacity = 0, m_workArea = 0;
    std::mutex m_xlock;               // serialises every use of m_display
    std::atomic<bool> m_dead{false};  // atomic: the connection broke
    std::mutex m_mapLock;
    std::map<::Window, HWND> m_windows;  // guarded by m_mapLock
    std::map<HWND, ::Window> m_handles;  // guarded by m_mapLock
    std::map<HWND, RECT> m_dirty;        // guarded by m_mapLock
    std::map<unsigned, Cursor> m_cursors;  // guarded by m_xlock
    int m_wake[2] = {-1, -1};  // set in open(); wakes the reader thread
    std::thread m_reader;      // the reader thread (detached)
};

void ioErrorExit(Display*, void* self)
{
    std::fprintf(stderr, "winapi: the X server connection was lost\n");
    static_cast<X11Backend*>(self)->markDead();
}

}  // namespace

std::unique_ptr<DisplayBackend> createX11Backend()
{
    auto b = std::make_unique<X11Backend>();
    if (!b->open())
        return nullptr;
    return b;
}

}  // namespace winapi
