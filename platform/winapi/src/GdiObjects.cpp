// GDI object handles, device contexts, their state, regions and clipping.
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "platform/winapi/src/GdiImpl.h"
#include "platform/winapi/src/TextConv.h"
#include "winapi/winbase.h"
#include "platform/winapi/src/GdiObjectsInternal.h"

namespace winapi {
namespace gdi {


Font::~Font()
{
    if (desc)
        pango_font_description_free(desc);
}

Bitmap::~Bitmap()
{
    if (surface)
        cairo_surface_destroy(surface);
}

Region::~Region()
{
    if (region)
        cairo_region_destroy(region);
}

Icon::~Icon()
{
    if (surface)
        cairo_surface_destroy(surface);
}

DCState::DCState(const DCState& o) { *this = o; }

DCState& DCState::operator=(const DCState& o)
{
    if (this == &o)
        return *this;
    cairo_region_t* c = o.clip ? cairo_region_copy(o.clip) : nullptr;
    if (clip)
        cairo_region_destroy(clip);
    pen = o.pen;
    brush = o.brush;
    font = o.font;
    bitmap = o.bitmap;
    clip = c;
    textColor = o.textColor;
    bkColor = o.bkColor;
    bkMode = o.bkMode;
    stretchMode = o.stretchMode;
    textAlign = o.textAlign;
    pos = o.pos;
    viewportOrg = o.viewportOrg;
    windowOrg = o.windowOrg;
    dcBrushColor = o.dcBrushColor;
    dcPenColor = o.dcPenColor;
    return *this;
}

DCState::~DCState()
{
    if (clip)
        cairo_region_destroy(clip);
}

DC::~DC()
{
    if (baseClip)
        cairo_region_destroy(baseClip);
    if (screen)
        cairo_surface_destroy(screen);
}

cairo_surface_t* DC::surface()
{
    switch (type) {
    case WindowDC:
        if (auto w = window.lock())
            return w->surface;
        return nullptr;
    case MemoryDC:
        return state.bitmap ? state.bitmap->surface : nullptr;
    case ScreenDC:
        return screen;
    }
    return nullptr;
}

cairo_region_t* DC::effectiveClip()
{
    cairo_surface_t* s = surface();
    if (!s)
        return cairo_region_create();
    cairo_rectangle_int_t all{0, 0, cairo_image_surface_get_width(s), cairo_image_surface_get_height(s)};
    cairo_region_t* r = cairo_region_create_rectangle(&all);
    if (baseClip)
        cairo_region_intersect(r, baseClip);
    if (state.clip)
        cairo_region_intersect(r, state.clip);
    return r;
}

HGDIOBJ addObject(std::shared_ptr<Object> o)
{
    if (!o)
        return nullptr;
    void* h = o.get();
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.objects[h] = std::move(o);
    return h;
}

std::shared_ptr<Object> object(HGDIOBJ h)
{
    if (!h)
        return nullptr;
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.objects.find(h);
    return it == t.objects.end() ? nullptr : it->second;
}

bool removeObject(HGDIOBJ h)
{
    std::shared_ptr<Object> keep;
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.objects.find(h);
    if (it == t.objects.end() || it->second->stock)
        return it != t.objects.end();
    keep = it->second;
    t.objects.erase(it);
    return true;
}

std::shared_ptr<DC> dcOf(HDC hdc)
{
    if (!hdc)
        return nullptr;
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.dcs.find(hdc);
    return it == t.dcs.end() ? nullptr : it->second;
}

HDC addDC(std::shared_ptr<DC> dc)
{
    void* h = dc.get();
    if (!dc->state.pen) {
        dc->state.pen = objectAs<Pen>(GetStockObject(BLACK_PEN), Kind::Pen);
        dc->state.brush = objectAs<Brush>(GetStockObject(WHITE_BRUSH), Kind::Brush);
        dc->state.font = defaultFont();
    }
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.dcs[h] = std::move(dc);
    return static_cast<HDC>(h);
}

bool removeDC(HDC hdc)
{
    std::shared_ptr<DC> keep;
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.dcs.find(hdc);
    if (it == t.dcs.end())
        return false;
    keep = it->second;
    t.dcs.erase(it);
    return true;
}

cairo_region_t* regionData(HRGN region)
{
    auto r = objectAs<Region>(region, Kind::Region);
    return r ? r->region : nullptr;
}

HRGN makeRegion(cairo_region_t* r)
{
    auto o = std::make_shared<Region>();
    o->region = r;
    return static_cast<HRGN>(addObject(o));
}

HDC windowDC(HWND hwnd, const cairo_region_t* clip)
{
    auto dc = std::make_shared<DC>();
    if (!hwnd) {
        dc->type = DC::ScreenDC;
        dc->screen = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
        return addDC(dc);
    }
    auto w = findWindow(hwnd);
    if (!w)
        return nullptr;
    dc->type = DC::WindowDC;
    dc->hwnd = hwnd;
    dc->window = w;
    if (clip)
        dc->baseClip = cairo_region_copy(clip);
    return addDC(dc);
}

void releaseWindowDC(HDC hdc) { removeDC(hdc); }

HWND dcWindow(HDC hdc)
{
    auto dc = dcOf(hdc);
    return dc ? dc->hwnd : nullptr;
}

cairo_surface_t* iconSurface(HICON icon)
{
    auto i = objectAs<Icon>(icon, Kind::Icon);
    return i ? i->surface : nullptr;
}

HICON makeIcon(cairo_surface_t* owned)
{
    auto i = std::make_shared<Icon>();
    i->surface = owned;
    return static_cast<HICON>(addObject(i));
}

Paint::Paint(HDC hdc)
{
    dc = dcOf(hdc);
    if (!dc)
        return;
    cairo_surface_t* s = dc->surface();
    if (!s)
        return;
    cairo_region_t* clip = dc->effectiveClip();
    if (cairo_region_is_empty(clip)) {
        cairo_region_destroy(clip);
        return;
    }
    cairo_region_get_extents(clip, &clipBox);
    cairo_surface_flush(s);
    cairo_surface_mark_dirty(s);
    cr = cairo_create(s);
    int n = cairo_region_num_rectangles(clip);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(clip, i, &r);
        cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    }
    cairo_clip(cr);
    cairo_region_destroy(clip);
    cairo_translate(cr, dc->dx(), dc->dy());
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
}

Paint::~Paint()
{
    if (!cr)
        return;
    cairo_surface_t* s = cairo_get_target(cr);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    if (dc->type == DC::WindowDC)
        winapi::windowDrawn(dc->hwnd, RECT{clipBox.x, clipBox.y, clipBox.x + clipBox.width, clipBox.y + clipBox.height});
}

void setColor(cairo_t* cr, COLORREF c)
{
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

void fillRectangle(cairo_t* cr, double l, double t, double r, double b, COLORREF c)
{
    if (r <= l || b <= t)
        return;
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    setColor(cr, c);
    cairo_rectangle(cr, safeCoord(l), safeCoord(t), safeCoord(r) - safeCoord(l), safeCoord(b) - safeCoord(t));
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace gdi
}  // namespace winapi

using namespace winapi;
using namespace winapi::gdi;

// ---------------------------------------------------------------- DCs
HDC CreateCompatibleDC(HDC)
{
    auto dc = std::make_shared<DC>();
    dc->type = DC::MemoryDC;
    dc->state.bitmap = stockBitmap();
    return addDC(dc);
}

BOOL DeleteDC(HDC hdc) { return removeDC(hdc) ? TRUE : FALSE; }

int SaveDC(HDC hdc)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->state);
    return int(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int savedDc)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return FALSE;
    int n = int(dc->saved.size());
    int index = savedDc < 0 ? n + savedDc : savedDc - 1;
    if (index < 0 || index >= n)
        return FALSE;
    dc->state = dc->saved[size_t(index)];
    dc->saved.resize(size_t(index));
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj)
{
    auto dc = dcOf(hdc);
    auto o = object(obj);
    if (!dc || !o)
        return nullptr;
    DCState& s = dc->state;
    switch (o->kind) {
    case Kind::Pen: {
        HGDIOBJ old = s.pen.get();
        s.pen = std::static_pointer_cast<Pen>(o);
        return old;
    }
    case Kind::Brush: {
        HGDIOBJ old = s.brush.get();
        s.brush = std::static_pointer_cast<Brush>(o);
        return old;
    }
    case Kind::Font: {
        HGDIOBJ old = s.font.get();
        s.font = std::static_pointer_cast<Font>(o);
        return old;
    }
    case Kind::Bitmap: {
        if (dc->type != DC::MemoryDC)
            return nullptr;
        HGDIOBJ old = s.bitmap.get();
        s.bitmap = std::static_pointer_cast<Bitmap>(o);
        return old;
    }
    case Kind::Region:
        return reinterpret_cast<HGDIOBJ>(intptr_t(SelectClipRgn(hdc, static_cast<HRGN>(obj))));
    default:
        return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return nullptr;
    switch (type) {
    case OBJ_PEN:
        return dc->state.pen.get();
    case OBJ_BRUSH:
        return dc->state.brush.get();
    case OBJ_FONT:
        return dc->state.font.get();
    case OBJ_BITMAP:
        return dc->state.bitmap.get();
    default:
        return nullptr;
    }
}

BOOL DeleteObject(HGDIOBJ obj) { return removeObject(obj) ? TRUE : FALSE; }

HGDIOBJ GetStockObject(int index)
{
    static std::mutex m;
    static HGDIOBJ stock[20] = {};
    if (index < 0 || index >= 20)
        return nullptr;
    std::lock_guard<std::mutex> lock(m);
    if (stock[index])
        return stock[index];
    std::shared_ptr<Object> o;
    auto brush = [](UINT style, COLORREF c) {
        auto b = std::make_shared<Brush>();
        b->style = style;
        b->color = c;
        return b;
    };
    auto pen = [](int style, COLORREF c) {
        auto p = std::make_shared<Pen>();
        p->style = style;
        p->color = c;
        return p;
    };
    switch (index) {
    case WHITE_BRUSH:
        o = brush(BS_SOLID, RGB(255, 255, 255));
        break;
    case LTGRAY_BRUSH:
        o = brush(BS_SOLID, RGB(192, 192, 192));
        break;
    case GRAY_BRUSH:
        o = brush(BS_SOLID, RGB(128, 128, 128));
        break;
    case DKGRAY_BRUSH:
        o = brush(BS_SOLID, RGB(64, 64, 64));
        break;
    case BLACK_BRUSH:
        o = brush(BS_SOLID, 0);
        break;
    case NULL_BRUSH:
        o = brush(BS_NULL, 0);
        break;
    case DC_BRUSH:
        o = brush(BS_SOLID, RGB(255, 255, 255));
        break;
    case WHITE_PEN:
        o = pen(PS_SOLID, RGB(255, 255, 255));
        break;
    case BLACK_PEN:
    case DC_PEN:
        o = pen(PS_SOLID, 0);
        break;
    case NULL_PEN:
        o = pen(PS_NULL, 0);
        break;
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
    case SYSTEM_FIXED_FONT:
    case DEFAULT_GUI_FONT:
        o = defaultFont();
        break;
    default:
        return nullptr;
    }
    o->stock = true;
    stock[index] = addObject(o);
    return stock[index];
}

DWORD GetObjectType(HGDIOBJ obj)
{
    if (auto dc = dcOf(static_cast<HDC>(obj)))
        return dc->type == DC::MemoryDC ? OBJ_MEMDC : OBJ_DC;
    auto o = object(obj);
    if (!o || o->kind == Kind::Icon)
        return 0;
    return DWORD(o->kind);
}

namespace {
// Copies a description into the caller's buffer (its size without one).
template <typename T>
int copyOut(const T& value, int size, LPVOID buffer)
{
    if (!buffer)
        return int(sizeof(T));
    int n = std::max(0, std::min<int>(size, int(sizeof(T))));
    std::memcpy(buffer, &value, size_t(n));
    return n;
}
}  // namespace

int GetObjectW(HGDIOBJ obj, int size, LPVOID buffer)
{
    auto o = object(obj);
    if (!o)
        return 0;
    switch (o->kind) {
    case Kind::Font: {
        return copyOut(std::static_pointer_cast<Font>(o)->lf, size, buffer);
    }
    case Kind::Bitmap: {
        auto b = std::static_pointer_cast<Bitmap>(o);
        BITMAP bm{};
        bm.bmType = 0;
        bm.bmWidth = b->width();
        bm.bmHeight = b->height();
        bm.bmWidthBytes = cairo_image_surface_get_stride(b->surface);
        bm.bmPlanes = 1;
        bm.bmBitsPixel = 32;
        bm.bmBits = b->dib ? cairo_image_surface_get_data(b->surface) : nullptr;
        return copyOut(bm, size, buffer);
    }
    case Kind::Pen: {
        auto p = std::static_pointer_cast<Pen>(o);
        return copyOut(LOGPEN{UINT(p->style), POINT{p->width, 0}, p->color}, size, buffer);
    }
    case Kind::Brush: {
        auto b = std::static_pointer_cast<Brush>(o);
        return copyOut(LOGBRUSH{b->style, b->color, 0}, size, buffer);
    }
    default:
        return 0;
    }
}

int GetObjectA(HGDIOBJ obj, int size, LPVOID buffer)
{
    auto f = objectAs<Font>(obj, Kind::Font);
    if (!f)
        return GetObjectW(obj, size, buffer);
    LOGFONTA a{};
    std::memcpy(&a, &f->lf, offsetof(LOGFONTW, lfFaceName));
    std::string face = toUtf8(f->lf.lfFaceName);
    // Cut on a character boundary so the name stays valid UTF-8.
    size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
    while (n > 0 && n < face.size() && (static_cast<unsigned char>(face[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(a.lfFaceName, face.data(), n);
    return copyOut(a, size, buffer);
}

int GetDeviceCaps(HDC, int index)
{
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case HORZRES:
        return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES:
        return GetSystemMetrics(SM_CYSCREEN);
    default:
        return 0;
    }
}

namespace {
// Origins of the logical coordinate system: set (or move) one and report
// its previous value.
BOOL changeOrigin(HDC hdc, POINT DCState::*origin, POINT value, bool relative, LPPOINT old)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return FALSE;
    POINT& p = dc->state.*origin;
    if (old)
        *old = p;
    p = relative ? POINT{p.x + value.x, p.y + value.y} : value;
    return TRUE;
}

BOOL readOrigin(HDC hdc, POINT DCState::*origin, LPPOINT pt)
{
    auto dc = dcOf(hdc);
    if (!dc || !pt)
        return FALSE;
    *pt = dc->state.*origin;
    return TRUE;
}
}  // namespace

BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old) { return changeOrigin(hdc, &DCState::windowOrg, POINT{x, y}, false, old); }
BOOL GetWindowOrgEx(HDC hdc, LPPOINT pt) { return readOrigin(hdc, &DCState::windowOrg, pt); }
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old) { return changeOrigin(hdc, &DCState::viewportOrg, POINT{x, y}, false, old); }
BOOL GetViewportOrgEx(HDC hdc, LPPOINT pt) { return readOrigin(hdc, &DCState::viewportOrg, pt); }
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old)
{
    return changeOrigin(hdc, &DCState::viewportOrg, POINT{dx, dy}, true, old);
}

BOOL GdiFlush() { return TRUE; }

