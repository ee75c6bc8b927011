// The GDI+ flat API: not available here. Startup reports that GDI+ is not
// initialised, so effect text takes its plain-drawing path; every other
// call reports the same status and creates nothing.
#include "winapi/ole.h"

namespace Gdiplus {

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput*, GdiplusStartupOutput*)
{
    if (token)
        *token = 0;
    return GdiplusNotInitialized;
}

void GdiplusShutdown(ULONG_PTR) {}

}  // namespace Gdiplus

namespace {
template <typename T>
GpStatus none(T** out)
{
    if (out)
        *out = nullptr;
    return Gdiplus::GdiplusNotInitialized;
}
}  // namespace

GpStatus GdipCreateFromHDC(HDC, GpGraphics** graphics) { return none(graphics); }
GpStatus GdipDeleteGraphics(GpGraphics*) { return Gdiplus::InvalidParameter; }
GpStatus GdipSetTextRenderingHint(GpGraphics*, int) { return Gdiplus::InvalidParameter; }
GpStatus GdipCreateFontFromDC(HDC, GpFont** font) { return none(font); }
GpStatus GdipCreateFontFromLogfontA(HDC, const void*, GpFont** font) { return none(font); }
GpStatus GdipCreateFontFromLogfontW(HDC, const void*, GpFont** font) { return none(font); }
GpStatus GdipDeleteFont(GpFont*) { return Gdiplus::InvalidParameter; }
GpStatus GdipCreateStringFormat(INT, WORD, GpStringFormat** format) { return none(format); }
GpStatus GdipDeleteStringFormat(GpStringFormat*) { return Gdiplus::InvalidParameter; }
GpStatus GdipSetStringFormatAlign(GpStringFormat*, int) { return Gdiplus::InvalidParameter; }
GpStatus GdipSetStringFormatLineAlign(GpStringFormat*, int) { return Gdiplus::InvalidParameter; }
GpStatus GdipCreateLineBrushI(const GpPoint*, const GpPoint*, DWORD, DWORD, int, GpLineGradient** brush)
{
    return none(brush);
}
GpStatus GdipCreateSolidFill(DWORD, GpBrush** brush) { return none(brush); }
GpStatus GdipDeleteBrush(GpBrush*) { return Gdiplus::InvalidParameter; }
GpStatus GdipDrawString(GpGraphics*, const WCHAR*, INT, const GpFont*, const GpRectF*, const GpStringFormat*,
                        const GpBrush*)
{
    return Gdiplus::InvalidParameter;
}
