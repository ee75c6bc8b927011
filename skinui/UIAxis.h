#pragma once
// One direction of a layout: picks x or y, width or height, so that code
// that places along a row or down a column is written once and called for
// either axis. "Along" is the axis itself, "across" the other one.
#include "skinui/UIControl.h"

struct UIAxis
{
    bool horizontal;

    static constexpr UIAxis X() { return UIAxis{true}; }
    static constexpr UIAxis Y() { return UIAxis{false}; }

    UIAxis cross() const { return UIAxis{!horizontal}; }

    LONG& along(SIZE& sz) const { return horizontal ? sz.cx : sz.cy; }
    LONG along(const SIZE& sz) const { return horizontal ? sz.cx : sz.cy; }
    LONG& across(SIZE& sz) const { return horizontal ? sz.cy : sz.cx; }
    LONG along(const POINT& pt) const { return horizontal ? pt.x : pt.y; }

    // The rectangle's low (left or top) and high (right or bottom) edge.
    LONG& low(RECT& rc) const { return horizontal ? rc.left : rc.top; }
    LONG low(const RECT& rc) const { return horizontal ? rc.left : rc.top; }
    LONG& high(RECT& rc) const { return horizontal ? rc.right : rc.bottom; }
    LONG high(const RECT& rc) const { return horizontal ? rc.right : rc.bottom; }
    LONG length(const RECT& rc) const { return high(rc) - low(rc); }

    int fixed(const CControlUI& c) const { return horizontal ? c.GetFixedWidth() : c.GetFixedHeight(); }
    int minimum(const CControlUI& c) const { return horizontal ? c.GetMinWidth() : c.GetMinHeight(); }
    int maximum(const CControlUI& c) const { return horizontal ? c.GetMaxWidth() : c.GetMaxHeight(); }

    // A size or rectangle given along and across this axis.
    SIZE size(LONG a, LONG c) const { return horizontal ? SIZE{a, c} : SIZE{c, a}; }
    RECT rect(LONG aLow, LONG cLow, LONG aHigh, LONG cHigh) const
    {
        return horizontal ? RECT{aLow, cLow, aHigh, cHigh} : RECT{cLow, aLow, cHigh, aHigh};
    }
};

// v held to [lo, hi]; when lo > hi the maximum wins.
inline int UIClamp(int v, int lo, int hi)
{
    if (v < lo)
        v = lo;
    if (v > hi)
        v = hi;
    return v;
}

// v held to the control's minimum and maximum along the axis.
inline int UIClampAlong(UIAxis axis, const CControlUI& c, int v)
{
    return UIClamp(v, axis.minimum(c), axis.maximum(c));
}
