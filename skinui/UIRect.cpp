#include "skinui/UIRect.h"

CUIRect::CUIRect()
{
    left = top = right = bottom = 0;
}

CUIRect::CUIRect(const RECT& src)
{
    left = src.left;
    top = src.top;
    right = src.right;
    bottom = src.bottom;
}

CUIRect::CUIRect(int iLeft, int iTop, int iRight, int iBottom)
{
    left = iLeft;
    top = iTop;
    right = iRight;
    bottom = iBottom;
}

int CUIRect::GetWidth() const
{
    return right - left;
}

int CUIRect::GetHeight() const
{
    return bottom - top;
}

void CUIRect::Empty()
{
    left = top = right = bottom = 0;
}

void CUIRect::Join(const RECT& rc)
{
    if (rc.left < left)
        left = rc.left;
    if (rc.top < top)
        top = rc.top;
    if (rc.right > right)
        right = rc.right;
    if (rc.bottom > bottom)
        bottom = rc.bottom;
}

void CUIRect::ResetOffset()
{
    Offset(-left, -top);
}

void CUIRect::Offset(int cx, int cy)
{
    left += cx;
    right += cx;
    top += cy;
    bottom += cy;
}

void CUIRect::Deflate(int cx, int cy)
{
    left += cx;
    right -= cx;
    top += cy;
    bottom -= cy;
}

CUISize::CUISize(int _cx, int _cy)
{
    cx = _cx;
    cy = _cy;
}
