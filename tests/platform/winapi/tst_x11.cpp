// test-labels: xvfb
// test-libs: PkgConfig::X11
// Real windows on an X server (a private Xvfb, so parallel tests do not
// share the pointer): the picture on screen equals the layer's own
// rendering of the same scene, and the caption drags the window without a
// window manager.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "tests/platform/winapi/PrivateXvfb.h"
#include "windows.h"
// After the layer: Xlib's macros would clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

void paintScene(HDC dc, int w, int h)
{
    TRIVERTEX v[2] = {{0, 0, 0x5D00, 0xC000, 0xBA00, 0xFF00}, {w, h, 0xF200, 0xF200, 0xF200, 0xFF00}};
    GRADIENT_RECT gr{0, 1};
    GradientFill(dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_V);
    HBRUSH red = CreateSolidBrush(RGB(220, 40, 40));
    RECT r{10, 40, 70, 90};
    FillRect(dc, &r, red);
    DeleteObject(red);
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 128));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, 80, 40, 150, 90, 10, 10);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    LOGFONTW lf{};
    lf.lfHeight = -16;
    std::memcpy(lf.lfFaceName, u"微软雅黑", 5 * sizeof(char16_t));
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT title{0, 0, w, 30};
    DrawTextW(dc, u"升级 Update", -1, &title, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

LRESULT CALLBACK sceneProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    switch (m) {
    case WM_NCHITTEST: {
        POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        ScreenToClient(h, &p);
        return p.y < 30 ? HTCAPTION : HTCLIENT;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT rc;
        GetClientRect(h, &rc);
        paintScene(dc, rc.right, rc.bottom);
        EndPaint(h, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(h, m, w, l);
    }
}

struct XScreenGrab {
    Display* dpy = XOpenDisplay(nullptr);
    ~XScreenGrab()
    {
        if (dpy)
            XCloseDisplay(dpy);
    }
    // The pixels on screen at (x, y, w, h), 0x00RRGGBB.
    std::vector<uint32_t> grab(int x, int y, int w, int h)
    {
        std::vector<uint32_t> out;
        XImage* img = XGetImage(dpy, DefaultRootWindow(dpy), x, y, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
        if (!img)
            return out;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                out.push_back(uint32_t(XGetPixel(img, i, j)) & 0xFFFFFF);
        XDestroyImage(img);
        return out;
    }
};

std::vector<uint32_t> rgb(const winapi::Picture& p)
{
    std::vector<uint32_t> out;
    for (uint32_t v : p.pixels)
        out.push_back(v & 0xFFFFFF);
    return out;
}

template <typename F>
bool waitFor(F condition, int ms = 20000)  // generous: the X server is shared and the machine loaded
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        winapi::pumpMessages();
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

HWND makeScene(int x, int y, int w, int h)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = sceneProc;
    wc.lpszClassName = u"X11Scene";
    RegisterClassW(&wc);
    return CreateWindowExW(0, u"X11Scene", u"scene", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr, nullptr,
                           nullptr);
}

class X11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        static PrivateXvfb server;  // lives until the process ends
        if (!server.running())
            GTEST_SKIP() << "no private Xvfb";
        setenv("DISPLAY", server.display().c_str(), 1);
        ASSERT_TRUE(winapi::selectBackend(winapi::Backend::X11));
    }
};

}  // namespace

TEST_F(X11, ScreenshotEqualsTheHeadlessRendering)
{
    const int W = 240, H = 160;
    HWND hwnd = makeScene(50, 60, W, H);
    ASSERT_NE(hwnd, nullptr);
    // An edit child on top, as the skin's native overlays are.
    HWND edit = CreateWindowExW(0, u"Edit", u"text 文字", WS_CHILD | WS_VISIBLE, 20, 110, 150, 24, hwnd, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    winapi::pumpMessages();

    // The layer's rendering of the window equals the scene drawn off-screen.
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(mem, W, H);
    HGDIOBJ old = SelectObject(mem, bmp);
    paintScene(mem, W, H);
    winapi::Picture pic = winapi::captureWindow(hwnd);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(pic.at(x, y) & 0xFFFFFF, GetPixel(mem, x, y) == CLR_INVALID
                                                   ? 0u
                                                   : (GetRValue(GetPixel(mem, x, y)) << 16 |
                                                      GetGValue(GetPixel(mem, x, y)) << 8 | GetBValue(GetPixel(mem, x, y))))
                << x << "," << y;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);

    // The X server shows exactly those pixels.
    XScreenGrab screen;
    ASSERT_NE(screen.dpy, nullptr);
    std::vector<uint32_t> want = rgb(pic);
    std::vector<uint32_t> got;
    EXPECT_TRUE(waitFor([&] {
        got = screen.grab(50, 60, W, H);
        return got == want;
    }));
    size_t diff = 0;
    for (size_t i = 0; i < std::min(got.size(), want.size()); ++i)
        diff += got[i] != want[i];
    EXPECT_EQ(diff, 0u);
    DestroyWindow(hwnd);
}

TEST_F(X11, CaptionDragWithXdotool)
{
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xdotool is not installed";
    HWND hwnd = makeScene(300, 200, 200, 120);
    ASSERT_NE(hwnd, nullptr);
    winapi::pumpMessages();
    XScreenGrab screen;
    winapi::Picture pic = winapi::captureWindow(hwnd);
    ASSERT_TRUE(waitFor([&] { return screen.grab(300, 200, 200, 120) == rgb(pic); }));
    int rc = std::system(
        "xdotool mousemove --sync 350 210 mousedown 1 mousemove --sync 400 260 mousemove --sync 450 310 mouseup 1");
    ASSERT_EQ(rc, 0);
    RECT r{};
    EXPECT_TRUE(waitFor([&] {
        GetWindowRect(hwnd, &r);
        return r.left == 400 && r.top == 300;
    })) << r.left << "," << r.top;
    EXPECT_EQ(r.right - r.left, 200);
    // The window is really there now.
    pic = winapi::captureWindow(hwnd);
    EXPECT_TRUE(waitFor([&] { return screen.grab(400, 300, 200, 120) == rgb(pic); }));
    DestroyWindow(hwnd);
}

TEST_F(X11, DeleteWindowRequestBecomesAClose)
{
    static int closes = 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_CLOSE)
            ++closes;
        return DefWindowProcW(h, m, w, l);
    };
    wc.lpszClassName = u"X11Closable";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, u"X11Closable", u"closable-window", WS_POPUP | WS_VISIBLE, 20, 20, 80, 60, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    winapi::pumpMessages();
    XScreenGrab screen;
    // Find the X window by its title, as a window manager would.
    ::Window target = 0;
    ASSERT_TRUE(waitFor([&] {
        ::Window root, parent, *kids = nullptr;
        unsigned n = 0;
        XQueryTree(screen.dpy, DefaultRootWindow(screen.dpy), &root, &parent, &kids, &n);
        for (unsigned i = 0; i < n && !target; ++i) {
            char* name = nullptr;
            if (XFetchName(screen.dpy, kids[i], &name) && name) {
                if (std::string(name) == "closable-window")
                    target = kids[i];
                XFree(name);
            }
        }
        if (kids)
            XFree(kids);
        return target != 0;
    }));
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = target;
    e.xclient.message_type = XInternAtom(screen.dpy, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(screen.dpy, "WM_DELETE_WINDOW", False));
    XSendEvent(screen.dpy, target, False, NoEventMask, &e);
    XFlush(screen.dpy);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(hwnd); }));
    EXPECT_EQ(closes, 1);
}
