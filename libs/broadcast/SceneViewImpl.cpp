#include "libs/broadcast/SceneViewImpl.h"

#include "libs/broadcast/BroadcastEngine.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
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

SceneViewImpl::SceneViewImpl(BroadcastEngine* engine, uint64_t window) : m_engine(engine), m_window(window) {}

SceneViewImpl::~SceneViewImpl()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

const char* SceneViewImpl::OnMouseDown(std::shared_ptr<SceneMouseEvent> event)
{
    if (!event)
        return nullptr;
    std::string hit;
    std::string before;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const Rect r = m_picture;
        if (event->x >= r.x && event->x < r.x + r.w && event->y >= r.y && event->y < r.y + r.h)
            hit = m_engine->topVisualSource();
        before = m_selected;
        m_selected = hit;
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

void SceneViewImpl::OnMouseUp(std::shared_ptr<SceneMouseEvent>) {}

void SceneViewImpl::OnMouseMove(std::shared_ptr<SceneMouseEvent>) {}

void SceneViewImpl::SetScene(const char* name)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_scene = name ? name : "";
}

void SceneViewImpl::SetMode(bool edit)
{
    m_edit = edit;
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
        // The source stands on the canvas keeping its aspect, as it is encoded.
        Rect in = r;
        if (int64_t(picture->width) * r.h > int64_t(r.w) * picture->height)
            in.h = std::max(1, int(int64_t(r.w) * picture->height / picture->width));
        else
            in.w = std::max(1, int(int64_t(r.h) * picture->width / picture->height));
        in.x = r.x + (r.w - in.w) / 2;
        in.y = r.y + (r.h - in.h) / 2;
        const int key[5] = {picture->width, picture->height, picture->format, in.w, in.h};
        if (!m_sws || !std::equal(key, key + 5, m_swsKey)) {
            std::copy(key, key + 5, m_swsKey);
            m_sws.reset(sws_getContext(picture->width, picture->height, AVPixelFormat(picture->format), in.w, in.h,
                                       AV_PIX_FMT_BGR0, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr));
        }
        if (m_sws) {
            uint8_t* dst[1] = {m_pixels.data() + (size_t(in.y) * width + in.x) * 4};
            const int stride[1] = {width * 4};
            sws_scale(m_sws.get(), picture->data, picture->linesize, 0, picture->height, dst, stride);
        }
    }
    bool outline;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_picture = r;
        outline = m_edit && !m_selected.empty();
    }
    if (outline) {
        const uint32_t red = 0xffff3030u;
        for (int x = r.x; x < r.x + r.w; ++x) {
            px[size_t(r.y) * width + x] = red;
            px[size_t(r.y + r.h - 1) * width + x] = red;
        }
        for (int y = r.y; y < r.y + r.h; ++y) {
            px[size_t(y) * width + r.x] = red;
            px[size_t(y) * width + r.x + r.w - 1] = red;
        }
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
