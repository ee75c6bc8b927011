#pragma once
// Rectangle and size of the skin library over the Windows RECT and SIZE.

#include <winapi/wintypes.h>

class CUIRect : public RECT
{
public:
    CUIRect();
    CUIRect(const RECT& src);
    CUIRect(int iLeft, int iTop, int iRight, int iBottom);

    int GetWidth() const;
    int GetHeight() const;
    void Empty();
    // Smaller left/top, larger right/bottom of both (an empty rectangle is
    // not treated specially).
    void Join(const RECT& rc);
    // Moves the rectangle to left = top = 0, keeping its size.
    void ResetOffset();
    void Offset(int cx, int cy);
    void Deflate(int cx, int cy);
};

class CUISize : public SIZE
{
public:
    CUISize(int cx = 0, int cy = 0);
};
