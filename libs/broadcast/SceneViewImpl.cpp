#include "libs/broadcast/SceneViewImpl.h"

#include "libs/broadcast/BroadcastEngine.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <set>

namespace broadcast {

namespace {

// A window that goes away while a view paints it must not end the process:
// errors on the views' own connections are ignored, others go to the
// handler that was installed before.
std::mutex g_displaysLock;
std::set<Display*> g_displays;  // guarded by g_displaysLock
XErrorHandler g_previous = nullptr;

int onXError(Display* dpy, XErrorEvent* event)
{
    {
        std::lock_guard<std::mutex> lock(g_displaysLock);
        if (g_displays.count(dpy))
            return 0;
    }
    return g_previous ? g_previous(dpy, event) : 0;
}

Display* openViewDisplay()
{
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return nullptr;
    std::lock_guard<std::mutex> lock(g_displaysLock);
    static bool installed = false;
    if (!installed) {
        installed = true;
        g_previous = XSetErrorHandler(onXError);
    }
    g_displays.insert(dpy);
    return dpy;
}

void closeViewDisplay(Display* dpy)
{
    XCloseDisplay(dpy);
    std::lock_guard<std::mutex> lock(g_displaysLock);
    g_displays.erase(dpy);
}

}  // namespace

namespace {
std::atomic<int> g_liveViews{0};
}

SceneViewImpl::SceneViewImpl(BroadcastEngine* engine, uint64_t window) : m_engine(engine), m_window(window)
{
    ++g_liveViews;
}

SceneViewImpl::~SceneViewImpl()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    --g_liveViews;
}

int SceneViewImpl::liveViews()
{
    return g_liveViews;
}

namespace {

constexpr int kMinSide = 16;  // canvas pixels

bool contains(const SceneRect& r, int x, int y)
{
    return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

}  // namespace

SceneViewImpl::Rect SceneViewImpl::toWindowLocked(const SceneRect& s) const
{
    Rect w;
    if (m_canvasW <= 0 || m_canvasH <= 0)
        return w;
    w.x = m_picture.x + int(int64_t(s.x) * m_picture.w / m_canvasW);
    w.y = m_picture.y + int(int64_t(s.y) * m_picture.h / m_canvasH);
    w.w = int(int64_t(s.w) * m_picture.w / m_canvasW);
    w.h = int(int64_t(s.h) * m_picture.h / m_canvasH);
    return w;
}

void SceneViewImpl::toCanvasLocked(int x, int y, int* cx, int* cy) const
{
    *cx = int(int64_t(x - m_picture.x) * m_canvasW / std::max(m_picture.w, 1));
    *cy = int(int64_t(y - m_picture.y) * m_canvasH / std::max(m_picture.h, 1));
}

SceneRect SceneViewImpl::dragged(const SceneRect& from, Handle handle, int dx, int dy)
{
    SceneRect r = from;
    if (handle == kMove) {
        r.x += dx;
        r.y += dy;
        return r;
    }
    const bool left = handle == kTopLeft || handle == kLeft || handle == kBottomLeft;
    const bool right = handle == kTopRight || handle == kRight || handle == kBottomRight;
    const bool top = handle == kTopLeft || handle == kTop || handle == kTopRight;
    const bool bottom = handle == kBottomLeft || handle == kBottom || handle == kBottomRight;
    if (left) {
        r.w = std::max(from.w - dx, kMinSide);
        r.x = from.x + from.w - r.w;
    } else if (right) {
        r.w = std::max(from.w + dx, kMinSide);
    }
    if (top) {
        r.h = std::max(from.h - dy, kMinSide);
        r.y = from.y + from.h - r.h;
    } else if (bottom) {
        r.h = std::max(from.h + dy, kMinSide);
    }
    return r;
}

const char* SceneViewImpl::OnMouseDown(std::shared_ptr<SceneMouseEvent> event)
{
    if (!event)
        return nullptr;
    const std::vector<PlacedSource> placed = m_engine->placedSources();
    std::string hit;
    std::string before;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        Handle handle = kNone;
        SceneRect rect;
        if (m_picture.w > 0 && m_canvasW > 0) {
            int cx, cy;
            toCanvasLocked(event->x, event->y, &cx, &cy);
            // A handle of the selected source first: it may stick out of
            // every rectangle.
            for (const PlacedSource& p : placed) {
                if (m_fixed || event->button != 0 || p.name != m_selected)
                    continue;
                const Rect w = toWindowLocked(p.rect);
                const int xs[3] = {w.x, w.x + w.w / 2, w.x + w.w};
                const int ys[3] = {w.y, w.y + w.h / 2, w.y + w.h};
                const int at[8][2] = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}};
                for (int k = 0; k < 8 && handle == kNone; ++k) {
                    if (std::abs(event->x - xs[at[k][0]]) <= kHandleRadius + 1 &&
                        std::abs(event->y - ys[at[k][1]]) <= kHandleRadius + 1) {
                        handle = Handle(k);
                        hit = p.name;
                        rect = p.rect;
                    }
                }
            }
            const bool inPicture = contains(SceneRect{m_picture.x, m_picture.y, m_picture.w, m_picture.h}, event->x,
                                            event->y);
            for (auto it = placed.rbegin(); hit.empty() && inPicture && it != placed.rend(); ++it) {
                if (contains(it->rect, cx, cy)) {
                    hit = it->name;
                    rect = it->rect;
                    handle = kMove;
                }
            }
            m_dragX = cx;
            m_dragY = cy;
        }
        before = m_selected;
        m_selected = hit;
        m_drag = !m_fixed && event->button == 0 && !hit.empty() ? handle : kNone;
        m_dragFrom = rect;
    }
    if (before != hit) {
        if (!before.empty())
            m_engine->notifySelection(before, false);
        if (!hit.empty())
            m_engine->notifySelection(hit, true);
    }
    m_hitText = hit;
    return m_hitText.empty() ? nullptr : m_hitText.c_str();
}

void SceneViewImpl::OnMouseMove(std::shared_ptr<SceneMouseEvent> event)
{
    dragTo(event.get(), false);
}

void SceneViewImpl::OnMouseUp(std::shared_ptr<SceneMouseEvent> event)
{
    dragTo(event.get(), true);
}

void SceneViewImpl::dragTo(const SceneMouseEvent* event, bool release)
{
    if (!event)
        return;
    std::string name;
    SceneRect rect;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_drag == kNone)
            return;
        int cx, cy;
        toCanvasLocked(event->x, event->y, &cx, &cy);
        rect = dragged(m_dragFrom, m_drag, cx - m_dragX, cy - m_dragY);
        name = m_selected;
        if (release) {
            m_drag = kNone;
            // A press and release on the spot leaves the source where it stands.
            if (cx == m_dragX && cy == m_dragY)
                return;
        }
    }
    // While the drag goes on only the canvas follows; the release places it.
    m_engine->placeSource(name, rect, release);
}

void SceneViewImpl::SetScene(const char* name)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_scene = name ? name : "";
}

void SceneViewImpl::SetMode(bool fixed)
{
    m_fixed = fixed;
    if (fixed) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_drag = kNone;
    }
}

void SceneViewImpl::Start()
{
    if (m_thread.joinable())
        return;
    m_thread = std::thread([this] { run(); });
}

void SceneViewImpl::run()
{
    Display* dpy = openViewDisplay();
    if (!dpy)
        return;
    while (!m_stop) {
        XWindowAttributes attrs;
        if (XGetWindowAttributes(dpy, Window(m_window), &attrs) && attrs.width > 0 && attrs.height > 0 &&
            (attrs.depth == 24 || attrs.depth == 32))
            paint(dpy, attrs.width, attrs.height, attrs.depth, attrs.visual);
        XSync(dpy, False);
        for (int i = 0; i < 10 && !m_stop; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    closeViewDisplay(dpy);
}

void SceneViewImpl::paint(void* display, int width, int height, int depth, void* visual)
{
    auto* dpy = static_cast<Display*>(display);
    int canvasW = 0, canvasH = 0;
    mediacore::FramePtr picture(m_engine->previewPicture(&canvasW, &canvasH));
    // The canvas fits the window keeping its aspect.
    Rect r;
    if (int64_t(canvasW) * height > int64_t(width) * canvasH) {
        r.w = width;
        r.h = std::max(1, int(int64_t(width) * canvasH / std::max(canvasW, 1)));
    } else {
        r.h = height;
        r.w = std::max(1, int(int64_t(height) * canvasW / std::max(canvasH, 1)));
    }
    r.x = (width - r.w) / 2;
    r.y = (height - r.h) / 2;
    m_pixels.assign(size_t(width) * height * 4, 0);
    uint32_t* px = reinterpret_cast<uint32_t*>(m_pixels.data());
    std::fill(px, px + size_t(width) * height, 0xff828282u);  // grey around the canvas
    for (int y = r.y; y < r.y + r.h; ++y)
        std::fill(px + size_t(y) * width + r.x, px + size_t(y) * width + r.x + r.w, 0xff000000u);
    if (picture && picture->width > 0 && picture->height > 0) {
        const int key[5] = {picture->width, picture->height, picture->format, r.w, r.h};
        if (!m_sws || !std::equal(key, key + 5, m_swsKey)) {
            std::copy(key, key + 5, m_swsKey);
            m_sws.reset(sws_getContext(picture->width, picture->height, AVPixelFormat(picture->format), r.w, r.h,
                                       AV_PIX_FMT_BGR0, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr));
        }
        if (m_sws) {
            uint8_t* dst[1] = {m_pixels.data() + (size_t(r.y) * width + r.x) * 4};
            const int stride[1] = {width * 4};
            sws_scale(m_sws.get(), picture->data, picture->linesize, 0, picture->height, dst, stride);
        }
    }
    const std::vector<PlacedSource> placed = m_fixed ? std::vector<PlacedSource>() : m_engine->placedSources();
    Rect outline;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_picture = r;
        m_canvasW = canvasW;
        m_canvasH = canvasH;
        for (const PlacedSource& p : placed)
            if (p.name == m_selected)
                outline = toWindowLocked(p.rect);
    }
    if (outline.w > 0 && outline.h > 0) {
        const uint32_t red = 0xffff3030u;
        auto fill = [&](int x0, int y0, int x1, int y1) {
            x0 = std::max(x0, 0);
            y0 = std::max(y0, 0);
            x1 = std::min(x1, width);
            y1 = std::min(y1, height);
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    px[size_t(y) * width + x] = red;
        };
        const int x0 = outline.x, y0 = outline.y, x1 = outline.x + outline.w, y1 = outline.y + outline.h;
        fill(x0, y0, x1, y0 + 2);
        fill(x0, y1 - 2, x1, y1);
        fill(x0, y0, x0 + 2, y1);
        fill(x1 - 2, y0, x1, y1);
        const int xs[3] = {x0, (x0 + x1) / 2, x1};
        const int ys[3] = {y0, (y0 + y1) / 2, y1};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                if (i != 1 || j != 1)
                    fill(xs[i] - kHandleRadius + 1, ys[j] - kHandleRadius + 1, xs[i] + kHandleRadius,
                         ys[j] + kHandleRadius);
    }
    XImage* image = XCreateImage(dpy, static_cast<Visual*>(visual), unsigned(depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(m_pixels.data()), unsigned(width), unsigned(height), 32, 0);
    if (!image)
        return;
    GC gc = XCreateGC(dpy, Window(m_window), 0, nullptr);
    XPutImage(dpy, Window(m_window), gc, image, 0, 0, 0, 0, unsigned(width), unsigned(height));
    XFreeGC(dpy, gc);
    image->data = nullptr;  // the pixels are ours
    XDestroyImage(image);
    ++m_painted;
}

}  // namespace broadcast
