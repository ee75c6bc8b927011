#pragma once
// GDI objects and device contexts over cairo image surfaces.
#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "winapi/wingdi.h"
#include "winapi/winuser.h"

namespace winapi {

struct Window;

namespace gdi {

// The region's rectangles (borrowed; valid while the handle lives) or null.
cairo_region_t* regionData(HRGN region);
// A new region handle that takes ownership of r.
HRGN makeRegion(cairo_region_t* r);
// A device context that draws on a window's own surface; clip: the update
// region (copied) or null for the whole window.
HDC windowDC(HWND hwnd, const cairo_region_t* clip);
void releaseWindowDC(HDC hdc);
HWND dcWindow(HDC hdc);
// An ARGB32 surface holding an icon's pixels (borrowed) or null.
cairo_surface_t* iconSurface(HICON icon);
HICON makeIcon(cairo_surface_t* owned);
// Clamps a coordinate so that cairo's fixed-point arithmetic never wraps.
inline double safeCoord(double v) { return v < -4000000.0 ? -4000000.0 : (v > 4000000.0 ? 4000000.0 : v); }
// Pango font description for a font handle (default GUI font for null).
std::string fontDescription(HFONT font);

}  // namespace gdi
}  // namespace winapi
