// Backend selection, the headless backend (a virtual screen in memory) and
// the composition of a window with its children into one picture.
#include "platform/winapi/src/Backend.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "winapi/platform.h"

namespace winapi {

namespace {

class HeadlessBackend : public DisplayBackend {
public:
    bool isHeadless() const override { return true; }
    void screenSize(int* width, int* height) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        *width = m_width;
        *height = m_height;
    }
    RECT workArea() override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_work;
    }
    void setScreen(int width, int height, const RECT& work)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_width = width;
        m_height = height;
        m_work = work;
    }

private:
    std::mutex m_mutex;
    int m_width = 1920;             // guarded by m_mutex
    int m_height = 1080;            // guarded by m_mutex
    RECT m_work{0, 0, 1920, 1040};  // guarded by m_mutex
};

HeadlessBackend& headlessBackend()
{
    static HeadlessBackend* b = new HeadlessBackend;
    return *b;
}

std::mutex g_backendMutex;
DisplayBackend* g_backend = nullptr;  // set once, guarded by g_backendMutex, never freed
std::atomic<bool> g_chosen{false};

void composeInto(cairo_t* cr, const Window& w, double x, double y)
{
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w.width(), w.height());
    cairo_clip(cr);
    if (w.shape && w.isChild()) {
        int n = cairo_region_num_rectangles(w.shape);
        for (int i = 0; i < n; ++i) {
            cairo_rectangle_int_t r;
            cairo_region_get_rectangle(w.shape, i, &r);
            cairo_rectangle(cr, x + r.x, y + r.y, r.width, r.height);
        }
        cairo_clip(cr);
    }
    cairo_surface_flush(w.surface);
    cairo_set_source_surface(cr, w.surface, x, y);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    for (HWND k : w.children) {
        auto c = findWindow(k);
        if (c && (c->style & WS_VISIBLE))
            composeInto(cr, *c, x + c->rect.left, y + c->rect.top);
    }
    cairo_restore(cr);
}

}  // namespace

DisplayBackend& backend()
{
    std::lock_guard<std::mutex> lock(g_backendMutex);
    if (!g_backend) {
        g_backend = &headlessBackend();
        if (clockMode() == ClockMode::Real)
            setClockMode(ClockMode::Manual);
    }
    return *g_backend;
}

cairo_surface_t* composeWindow(const Window& w)
{
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(1, w.width()), std::max(1, w.height()));
    cairo_t* cr = cairo_create(out);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    composeInto(cr, w, 0, 0);
    cairo_destroy(cr);
    // Opaque, as the screen shows it.
    cairo_surface_flush(out);
    unsigned char* d = cairo_image_surface_get_data(out);
    int stride = cairo_image_surface_get_stride(out);
    for (int y = 0; y < cairo_image_surface_get_height(out); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(d + size_t(y) * size_t(stride));
        for (int x = 0; x < cairo_image_surface_get_width(out); ++x)
            row[x] |= 0xFF000000u;
    }
    cairo_surface_mark_dirty(out);
    return out;
}

bool selectBackend(Backend b)
{
    std::lock_guard<std::mutex> lock(g_backendMutex);
    if (b == Backend::Headless) {
        if (!g_backend)
            g_backend = &headlessBackend();
        return g_backend->isHeadless();
    }
    if (g_backend && !g_backend->isHeadless())
        return true;
    if (g_backend && g_backend != &headlessBackend())
        return false;
    auto x = createX11Backend();
    if (!x)
        return false;
    g_backend = x.release();
    setClockMode(ClockMode::Real);
    return true;
}

Backend selectBackendAuto()
{
    const char* forced = std::getenv("WINAPI_BACKEND");
    if (forced && std::strcmp(forced, "headless") == 0) {
        selectBackend(Backend::Headless);
        return Backend::Headless;
    }
    if ((forced && std::strcmp(forced, "x11") == 0) || std::getenv("DISPLAY")) {
        if (selectBackend(Backend::X11))
            return Backend::X11;
    }
    selectBackend(Backend::Headless);
    return Backend::Headless;
}

Backend currentBackend() { return backend().isHeadless() ? Backend::Headless : Backend::X11; }

namespace headless {
void setScreen(int width, int height, const RECT& workArea) { headlessBackend().setScreen(width, height, workArea); }
}  // namespace headless

Picture captureWindow(HWND hwnd)
{
    Picture pic;
    auto w = findWindow(hwnd);
    if (!w)
        return pic;
    cairo_surface_t* s = composeWindow(*w);
    pic.width = cairo_image_surface_get_width(s);
    pic.height = cairo_image_surface_get_height(s);
    pic.pixels.resize(size_t(pic.width) * size_t(pic.height));
    const unsigned char* d = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < pic.height; ++y)
        std::memcpy(&pic.pixels[size_t(y) * size_t(pic.width)], d + size_t(y) * size_t(stride), size_t(pic.width) * 4);
    cairo_surface_destroy(s);
    return pic;
}

bool dumpWindowPng(HWND hwnd, const std::string& path)
{
    auto w = findWindow(hwnd);
    if (!w)
        return false;
    cairo_surface_t* s = composeWindow(*w);
    bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

}  // namespace winapi
