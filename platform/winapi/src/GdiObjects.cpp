// GDI object handles, device contexts, their state, regions and clipping.
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "platform/winapi/src/GdiImpl.h"
#include "platform/winapi/src/TextConv.h"
#include "winapi/winbase.h"

namespace winapi {
namespace gdi {

namespace {

struct Table {
    std::mutex mutex;
    std::unordered_map<void*, std::shared_ptr<Object>> objects;  // guarded by mutex
    std::unordered_map<void*, std::shared_ptr<DC>> dcs;          // guarded by mutex
};

Table& table()
{
    static Table* t = new Table;
    return *t;
}

constexpr int kMaxSurfaceSide = 32767;

std::shared_ptr<Bitmap> newBitmap(int w, int h)
{
    if (w <= 0 || h <= 0 || w > kMaxSurfaceSide || h > kMaxSurfaceSide)
        return nullptr;
    auto b = std::make_shared<Bitmap>();
    b->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(b->surface) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return b;
}

std::shared_ptr<Bitmap> stockBitmap()
{
    static std::shared_ptr<Bitmap> b = [] {
        auto s = newBitmap(1, 1);
        s->stock = true;
        return s;
    }();
    return b;
}

int regionType(const cairo_region_t* r)
{
    if (!r)
        return ERROR;
    int n = cairo_region_num_rectangles(r);
    return n == 0 ? NULLREGION : (n == 1 ? SIMPLEREGION : COMPLEXREGION);
}

cairo_rectangle_int_t clampRect(long long l, long long t, long long r, long long b)
{
    const long long lim = 1 << 28;
    l = std::clamp(l, -lim, lim);
    t = std::clamp(t, -lim, lim);
    r = std::clamp(r, -lim, lim);
    b = std::clamp(b, -lim, lim);
    if (r < l)
        r = l;
    if (b < t)
        b = t;
    return cairo_rectangle_int_t{int(l), int(t), int(r - l), int(b - t)};
}

}  // namespace

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

// ---------------------------------------------------------------- bitmaps
HBITMAP CreateCompatibleBitmap(HDC, int width, int height)
{
    if (width <= 0 || height <= 0)
        width = height = 1;
    auto b = newBitmap(width, height);
    return static_cast<HBITMAP>(addObject(b));
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT, void** bits, HANDLE, DWORD)
{
    if (bits)
        *bits = nullptr;
    if (!info || info->bmiHeader.biBitCount != 32 || info->bmiHeader.biWidth <= 0 ||
        info->bmiHeader.biHeight == 0 || info->bmiHeader.biHeight == LONG(0x80000000))
        return nullptr;
    // Rows are always stored top-down.
    auto b = newBitmap(info->bmiHeader.biWidth, std::abs(info->bmiHeader.biHeight));
    if (!b)
        return nullptr;
    b->dib = true;
    if (bits)
        *bits = cairo_image_surface_get_data(b->surface);
    return static_cast<HBITMAP>(addObject(b));
}

HBITMAP CreateBitmap(int width, int height, UINT, UINT bitCount, const void* bits)
{
    auto b = newBitmap(std::max(1, width), std::max(1, height));
    if (!b)
        return nullptr;
    if (bits && bitCount == 32) {
        unsigned char* data = cairo_image_surface_get_data(b->surface);
        std::memcpy(data, bits, size_t(b->width()) * size_t(b->height()) * 4);
        cairo_surface_mark_dirty(b->surface);
    }
    return static_cast<HBITMAP>(addObject(b));
}

int GetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info, UINT)
{
    auto b = objectAs<Bitmap>(bitmap, Kind::Bitmap);
    if (!b || !info)
        return 0;
    int w = b->width(), h = b->height();
    if (!bits) {
        info->bmiHeader.biWidth = w;
        info->bmiHeader.biHeight = h;
        info->bmiHeader.biBitCount = 32;
        info->bmiHeader.biPlanes = 1;
        info->bmiHeader.biSizeImage = DWORD(w * h * 4);
        return h;
    }
    if (info->bmiHeader.biBitCount != 32 || start >= UINT(h))
        return 0;
    cairo_surface_flush(b->surface);
    bool topDown = info->bmiHeader.biHeight < 0;
    UINT n = std::min<UINT>(lines, UINT(h) - start);
    const unsigned char* src = cairo_image_surface_get_data(b->surface);
    int stride = cairo_image_surface_get_stride(b->surface);
    auto* dst = static_cast<unsigned char*>(bits);
    for (UINT i = 0; i < n; ++i) {
        // Line `start + i` counted from the bottom for bottom-up requests.
        int srcRow = topDown ? int(start + i) : h - 1 - int(start + i);
        std::memcpy(dst + size_t(i) * size_t(w) * 4, src + size_t(srcRow) * size_t(stride), size_t(w) * 4);
    }
    return int(n);
}

// ---------------------------------------------------------------- pens, brushes, colours
HPEN CreatePen(int style, int width, COLORREF color)
{
    auto p = std::make_shared<Pen>();
    p->style = style & PS_STYLE_MASK;
    p->width = std::max(1, width);
    p->color = color & 0xFFFFFF;
    return static_cast<HPEN>(addObject(p));
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD, const DWORD*)
{
    return CreatePen(int(style & PS_STYLE_MASK), int(width), brush ? brush->lbColor : 0);
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto b = std::make_shared<Brush>();
    b->color = color & 0xFFFFFF;
    return static_cast<HBRUSH>(addObject(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb)
{
    if (!lb)
        return nullptr;
    auto b = std::make_shared<Brush>();
    b->style = lb->lbStyle == BS_NULL ? BS_NULL : BS_SOLID;
    b->color = lb->lbColor & 0xFFFFFF;
    return static_cast<HBRUSH>(addObject(b));
}

#define DC_SETTER(Name, Type, field)                   \
    Type Name(HDC hdc, Type value)                     \
    {                                                  \
        auto dc = dcOf(hdc);                           \
        if (!dc)                                       \
            return Type(0);                            \
        Type old = Type(dc->state.field);              \
        dc->state.field = decltype(dc->state.field)(value); \
        return old;                                    \
    }
#define DC_GETTER(Name, Type, field)      \
    Type Name(HDC hdc)                    \
    {                                     \
        auto dc = dcOf(hdc);              \
        return dc ? Type(dc->state.field) : Type(0); \
    }

DC_SETTER(SetTextColor, COLORREF, textColor)
DC_GETTER(GetTextColor, COLORREF, textColor)
DC_SETTER(SetBkColor, COLORREF, bkColor)
DC_GETTER(GetBkColor, COLORREF, bkColor)
DC_SETTER(SetBkMode, int, bkMode)
DC_GETTER(GetBkMode, int, bkMode)
DC_SETTER(SetStretchBltMode, int, stretchMode)
DC_GETTER(GetStretchBltMode, int, stretchMode)
DC_SETTER(SetTextAlign, UINT, textAlign)
DC_GETTER(GetTextAlign, UINT, textAlign)
DC_SETTER(SetDCBrushColor, COLORREF, dcBrushColor)
DC_SETTER(SetDCPenColor, COLORREF, dcPenColor)

int SetTextCharacterExtra(HDC, int) { return 0; }

// ---------------------------------------------------------------- regions
HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    cairo_rectangle_int_t r = clampRect(std::min(left, right), std::min(top, bottom), std::max(left, right),
                                        std::max(top, bottom));
    return makeRegion(cairo_region_create_rectangle(&r));
}

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    if (!rect)
        return nullptr;
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

namespace {
// Row spans of an ellipse-cornered rectangle [l, r) x [t, b).
cairo_region_t* roundRegion(long long l, long long t, long long r, long long b, long long ew, long long eh)
{
    cairo_region_t* reg = cairo_region_create();
    if (r <= l || b <= t)
        return reg;
    const long long lim = 1 << 15;  // the largest region a window can use
    l = std::clamp(l, -lim, lim);
    r = std::clamp(r, -lim, lim);
    t = std::clamp(t, -lim, lim);
    b = std::clamp(b, -lim, lim);
    ew = std::clamp<long long>(ew, 0, r - l);
    eh = std::clamp<long long>(eh, 0, b - t);
    double rx = ew / 2.0, ry = eh / 2.0;
    if (rx < 1 || ry < 1) {
        cairo_rectangle_int_t rr{int(l), int(t), int(r - l), int(b - t)};
        cairo_region_union_rectangle(reg, &rr);
        return reg;
    }
    long long cornerRows = (long long)std::ceil(ry);
    for (long long y = t; y < b; ++y) {
        long long fromTop = y - t, fromBottom = b - 1 - y;
        long long d = std::min(fromTop, fromBottom);
        long long inset = 0;
        if (d < cornerRows) {
            double dy = ry - (d + 0.5);
            double k = 1.0 - (dy * dy) / (ry * ry);
            double dx = rx * std::sqrt(std::max(0.0, k));
            inset = (long long)std::lround(rx - dx);
        }
        if (l + inset >= r - inset)
            continue;
        cairo_rectangle_int_t row{int(l + inset), int(y), int(r - l - 2 * inset), 1};
        cairo_region_union_rectangle(reg, &row);
    }
    return reg;
}
}  // namespace

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ew, int eh)
{
    return makeRegion(roundRegion(std::min(left, right), std::min(top, bottom), std::max(left, right),
                                  std::max(top, bottom), ew, eh));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom)
{
    return makeRegion(roundRegion(std::min(left, right), std::min(top, bottom), std::max(left, right),
                                  std::max(top, bottom), std::abs(right - left), std::abs(bottom - top)));
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode)
{
    cairo_region_t* d = regionData(dst);
    cairo_region_t* a = regionData(src1);
    cairo_region_t* b = regionData(src2);
    if (!d || !a || (mode != RGN_COPY && !b))
        return ERROR;
    cairo_region_t* r = cairo_region_copy(a);
    switch (mode) {
    case RGN_AND:
        cairo_region_intersect(r, b);
        break;
    case RGN_OR:
        cairo_region_union(r, b);
        break;
    case RGN_XOR:
        cairo_region_xor(r, b);
        break;
    case RGN_DIFF:
        cairo_region_subtract(r, b);
        break;
    case RGN_COPY:
        break;
    default:
        cairo_region_destroy(r);
        return ERROR;
    }
    cairo_region_subtract(d, d);
    cairo_region_union(d, r);
    cairo_region_destroy(r);
    return regionType(d);
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom)
{
    cairo_region_t* d = regionData(region);
    if (!d)
        return FALSE;
    cairo_region_subtract(d, d);
    cairo_rectangle_int_t r = clampRect(left, top, right, bottom);
    cairo_region_union_rectangle(d, &r);
    return TRUE;
}

int OffsetRgn(HRGN region, int dx, int dy)
{
    cairo_region_t* d = regionData(region);
    if (!d)
        return ERROR;
    cairo_region_translate(d, dx, dy);
    return regionType(d);
}

int GetRgnBox(HRGN region, LPRECT rect)
{
    cairo_region_t* d = regionData(region);
    if (!d || !rect)
        return ERROR;
    cairo_rectangle_int_t e;
    cairo_region_get_extents(d, &e);
    *rect = RECT{e.x, e.y, e.x + e.width, e.y + e.height};
    return regionType(d);
}

BOOL PtInRegion(HRGN region, int x, int y)
{
    cairo_region_t* d = regionData(region);
    return d && cairo_region_contains_point(d, x, y);
}

BOOL RectInRegion(HRGN region, const RECT* rect)
{
    cairo_region_t* d = regionData(region);
    if (!d || !rect)
        return FALSE;
    cairo_rectangle_int_t r = clampRect(rect->left, rect->top, rect->right, rect->bottom);
    return cairo_region_contains_rectangle(d, &r) != CAIRO_REGION_OVERLAP_OUT;
}

BOOL EqualRgn(HRGN a, HRGN b)
{
    cairo_region_t* x = regionData(a);
    cairo_region_t* y = regionData(b);
    return x && y && cairo_region_equal(x, y);
}

DWORD GetRegionData(HRGN region, DWORD size, LPRGNDATA data)
{
    cairo_region_t* d = regionData(region);
    if (!d)
        return 0;
    int n = cairo_region_num_rectangles(d);
    DWORD need = DWORD(sizeof(RGNDATAHEADER) + size_t(n) * sizeof(RECT));
    if (!data)
        return need;
    if (size < need)
        return 0;
    cairo_rectangle_int_t e;
    cairo_region_get_extents(d, &e);
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = 1;
    data->rdh.nCount = DWORD(n);
    data->rdh.nRgnSize = DWORD(size_t(n) * sizeof(RECT));
    data->rdh.rcBound = RECT{e.x, e.y, e.x + e.width, e.y + e.height};
    auto* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(d, i, &r);
        rects[i] = RECT{r.x, r.y, r.x + r.width, r.y + r.height};
    }
    return need;
}

int SelectClipRgn(HDC hdc, HRGN region) { return ExtSelectClipRgn(hdc, region, RGN_COPY); }

int ExtSelectClipRgn(HDC hdc, HRGN region, int mode)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return ERROR;
    cairo_region_t* r = regionData(region);
    DCState& s = dc->state;
    if (!r) {
        if (mode != RGN_COPY)
            return ERROR;
        if (s.clip)
            cairo_region_destroy(s.clip);
        s.clip = nullptr;
    } else {
        // Without a clip, the current one is the whole surface.
        cairo_region_t* cur = s.clip ? s.clip : nullptr;
        if (!cur) {
            cairo_surface_t* surf = dc->surface();
            cairo_rectangle_int_t all{0, 0, surf ? cairo_image_surface_get_width(surf) : 0,
                                      surf ? cairo_image_surface_get_height(surf) : 0};
            cur = cairo_region_create_rectangle(&all);
        }
        cairo_region_t* next = mode == RGN_COPY ? cairo_region_copy(r) : cairo_region_copy(cur);
        switch (mode) {
        case RGN_AND:
            cairo_region_intersect(next, r);
            break;
        case RGN_OR:
            cairo_region_union(next, r);
            break;
        case RGN_XOR:
            cairo_region_xor(next, r);
            break;
        case RGN_DIFF:
            cairo_region_subtract(next, r);
            break;
        default:
            break;
        }
        if (cur != s.clip)
            cairo_region_destroy(cur);
        if (s.clip)
            cairo_region_destroy(s.clip);
        s.clip = next;
    }
    cairo_region_t* eff = dc->effectiveClip();
    int type = regionType(eff);
    cairo_region_destroy(eff);
    return type;
}

int GetClipBox(HDC hdc, LPRECT rect)
{
    auto dc = dcOf(hdc);
    if (!dc || !rect)
        return ERROR;
    cairo_region_t* eff = dc->effectiveClip();
    cairo_rectangle_int_t e;
    cairo_region_get_extents(eff, &e);
    int type = regionType(eff);
    cairo_region_destroy(eff);
    *rect = RECT{e.x - dc->dx(), e.y - dc->dy(), e.x + e.width - dc->dx(), e.y + e.height - dc->dy()};
    return type;
}

int GetClipRgn(HDC hdc, HRGN region)
{
    auto dc = dcOf(hdc);
    cairo_region_t* d = regionData(region);
    if (!dc || !d)
        return -1;
    if (!dc->state.clip)
        return 0;
    cairo_region_subtract(d, d);
    cairo_region_union(d, dc->state.clip);
    return 1;
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return ERROR;
    cairo_rectangle_int_t r = clampRect((long long)left + dc->dx(), (long long)top + dc->dy(),
                                        (long long)right + dc->dx(), (long long)bottom + dc->dy());
    HRGN tmp = makeRegion(cairo_region_create_rectangle(&r));
    int type = ExtSelectClipRgn(hdc, tmp, RGN_AND);
    DeleteObject(tmp);
    return type;
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return ERROR;
    cairo_rectangle_int_t r = clampRect((long long)left + dc->dx(), (long long)top + dc->dy(),
                                        (long long)right + dc->dx(), (long long)bottom + dc->dy());
    HRGN tmp = makeRegion(cairo_region_create_rectangle(&r));
    int type = ExtSelectClipRgn(hdc, tmp, RGN_DIFF);
    DeleteObject(tmp);
    return type;
}

BOOL RectVisible(HDC hdc, const RECT* rect)
{
    auto dc = dcOf(hdc);
    if (!dc || !rect)
        return FALSE;
    cairo_region_t* eff = dc->effectiveClip();
    cairo_rectangle_int_t r = clampRect((long long)rect->left + dc->dx(), (long long)rect->top + dc->dy(),
                                        (long long)rect->right + dc->dx(), (long long)rect->bottom + dc->dy());
    bool v = cairo_region_contains_rectangle(eff, &r) != CAIRO_REGION_OVERLAP_OUT;
    cairo_region_destroy(eff);
    return v;
}

BOOL PtVisible(HDC hdc, int x, int y)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return FALSE;
    cairo_region_t* eff = dc->effectiveClip();
    bool v = cairo_region_contains_point(eff, x + dc->dx(), y + dc->dy());
    cairo_region_destroy(eff);
    return v;
}
