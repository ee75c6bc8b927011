#pragma once
// The GDI objects and device contexts behind the handles. Handles are the
// objects' addresses, checked against a table, so a stale or foreign handle
// is refused instead of followed. Objects are shared: a bitmap or font
// deleted while selected into a context lives on until it is deselected.
#include <pango/pango.h>

#include <memory>
#include <mutex>
#include <vector>

#include "platform/winapi/src/Core.h"
#include "platform/winapi/src/Gdi.h"

namespace winapi {
namespace gdi {

enum class Kind { Pen = OBJ_PEN, Brush = OBJ_BRUSH, Font = OBJ_FONT, Bitmap = OBJ_BITMAP, Region = OBJ_REGION, Icon = 100 };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock = false;
};

struct Pen : Object {
    Pen() : Object(Kind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct Brush : Object {
    Brush() : Object(Kind::Brush) {}
    UINT style = BS_SOLID;
    COLORREF color = 0;
};

struct Font : Object {
    Font() : Object(Kind::Font) {}
    ~Font() override;
    LOGFONTW lf{};
    PangoFontDescription* desc = nullptr;
    std::mutex metricsMutex;
    bool metricsValid = false;  // guarded by metricsMutex
    TEXTMETRICW tm{};           // guarded by metricsMutex
};

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    ~Bitmap() override;
    cairo_surface_t* surface = nullptr;  // ARGB32
    bool dib = false;
    int width() const { return cairo_image_surface_get_width(surface); }
    int height() const { return cairo_image_surface_get_height(surface); }
};

struct Region : Object {
    Region() : Object(Kind::Region) {}
    ~Region() override;
    cairo_region_t* region = nullptr;
};

struct Icon : Object {
    Icon() : Object(Kind::Icon) {}
    ~Icon() override;
    cairo_surface_t* surface = nullptr;
};

// Registered objects (handle -> object).
HGDIOBJ addObject(std::shared_ptr<Object> o);
std::shared_ptr<Object> object(HGDIOBJ h);
template <typename T>
std::shared_ptr<T> objectAs(HGDIOBJ h, Kind k)
{
    auto o = object(h);
    return (o && o->kind == k) ? std::static_pointer_cast<T>(o) : nullptr;
}
bool removeObject(HGDIOBJ h);

struct DCState {
    std::shared_ptr<Pen> pen;
    std::shared_ptr<Brush> brush;
    std::shared_ptr<Font> font;
    std::shared_ptr<Bitmap> bitmap;  // memory contexts
    cairo_region_t* clip = nullptr;  // device coordinates; null: none
    COLORREF textColor = 0;
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    int stretchMode = BLACKONWHITE;
    UINT textAlign = TA_LEFT | TA_TOP;
    POINT pos{0, 0};
    POINT viewportOrg{0, 0};
    POINT windowOrg{0, 0};
    COLORREF dcBrushColor = RGB(255, 255, 255);
    COLORREF dcPenColor = 0;
    DCState() = default;
    DCState(const DCState& o);
    DCState& operator=(const DCState& o);
    ~DCState();
};

// A device context belongs to the thread that draws with it; the handle
// table itself is guarded by a lock.
struct DC {
    enum Type { WindowDC, MemoryDC, ScreenDC } type = MemoryDC;
    HWND hwnd = nullptr;
    std::weak_ptr<Window> window;
    cairo_region_t* baseClip = nullptr;   // the update region of BeginPaint
    cairo_surface_t* screen = nullptr;    // ScreenDC: 1 x 1 surface
    DCState state;
    std::vector<DCState> saved;
    ~DC();

    // The surface drawn on (borrowed) and its size; null for a dead window.
    cairo_surface_t* surface();
    // Logical -> device offset.
    int dx() const { return state.viewportOrg.x - state.windowOrg.x; }
    int dy() const { return state.viewportOrg.y - state.windowOrg.y; }
    // The effective clip in device coordinates (caller destroys).
    cairo_region_t* effectiveClip();
};

std::shared_ptr<DC> dcOf(HDC hdc);

// A cairo context on the dc's surface with its clip applied and the
// logical origin set; null when nothing can be drawn. end() flushes and
// reports changed window pixels.
struct Paint {
    explicit Paint(HDC hdc);
    ~Paint();
    explicit operator bool() const { return cr != nullptr; }
    std::shared_ptr<DC> dc;
    cairo_t* cr = nullptr;
    cairo_rectangle_int_t clipBox{0, 0, 0, 0};  // device coordinates
};

void setColor(cairo_t* cr, COLORREF c);
// An opaque fill of [l, r) x [t, b) in logical coordinates.
void fillRectangle(cairo_t* cr, double l, double t, double r, double b, COLORREF c);
std::shared_ptr<Font> defaultFont();
std::shared_ptr<Font> dcFont(const DC& dc);
PangoContext* threadContext();

}  // namespace gdi

void windowDrawn(HWND hwnd, const RECT& r);

}  // namespace winapi
