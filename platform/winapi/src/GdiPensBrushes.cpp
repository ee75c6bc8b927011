// GdiObjects: pens, brushes, colours.
#include <pango/pangocairo.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include "platform/winapi/src/GdiImpl.h"
#include "platform/winapi/src/TextConv.h"
#include "winapi/winbase.h"
#include "platform/winapi/src/GdiObjectsInternal.h"

using namespace winapi;
using namespace winapi::gdi;

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
