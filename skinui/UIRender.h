#pragma once
// Stateless drawing services of the skin library: image loading (stb_image
// into premultiplied 32-bit bitmaps), image attribute strings, nine-grid
// drawing with fade, tiling and hollow centres, colours, gradients, lines,
// text and the library's tag markup text; and clip narrowing around painting.

#include "skinui/UIManager.h"
#include "skinui/UIString.h"

#include <winapi/winapi.h>

class CUIRenderClip
{
public:
    CUIRenderClip();
    ~CUIRenderClip();
    CUIRenderClip(const CUIRenderClip&) = delete;
    CUIRenderClip& operator=(const CUIRenderClip&) = delete;

    RECT rcItem;
    HDC hDC;
    HRGN hRgn;
    HRGN hOldRgn;

    static void GenerateClip(HDC hDC, RECT rc, CUIRenderClip& clip);
    static void GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height, CUIRenderClip& clip);
    static void UseOldClipBegin(HDC hDC, CUIRenderClip& clip);
    static void UseOldClipEnd(HDC hDC, CUIRenderClip& clip);
};

class CUIRenderEngine
{
public:
    // Decoded images larger than this in either direction are refused.
    static constexpr int kMaxImageSide = 8192;
    // Image files above this size are not read.
    static constexpr size_t kMaxImageFile = 64u * 1024u * 1024u;

    static DWORD AdjustColor(DWORD dwColor, short H, short S, short L);
    static void RGBToHSL(DWORD ARGB, float* H, float* S, float* L);
    static void HSLToRGB(DWORD* ARGB, float H, float S, float L);
    static DWORD MakeGdiplusColor(BYTE alpha, DWORD argb);

    static UIImageInfo* LoadImage(const char16_t* bitmap, const char16_t* type = nullptr, DWORD mask = 0);
    // Decodes image bytes (PNG, JPEG, BMP, ...) into a new record; null when
    // they do not decode or exceed the size cap.
    static UIImageInfo* DecodeImage(const unsigned char* data, size_t size, DWORD mask);
    static void FreeImage(const UIImageInfo* bitmap);

    static void DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint, const RECT& rcBmpPart,
                          const RECT& rcCorners, bool alphaChannel, BYTE uFade = 255, bool hole = false,
                          bool xtiled = false, bool ytiled = false);
    static bool DrawImageString(HDC hDC, CUIWindowManager* pManager, const RECT& rcItem, const RECT& rcPaint,
                                const char16_t* pStrImage, const char16_t* pStrModify = nullptr);
    static bool DrawImageInfo(HDC hDC, CUIWindowManager* pManager, const RECT& rcItem, const RECT& rcPaint,
                              const CUIString& sImageName, const CUIString& sImageResType, RECT rcItemDest,
                              RECT rcBmpPart, const RECT& rcCorner, DWORD dwMask, BYTE bFade, bool bHole,
                              bool bTiledX, bool bTiledY);
    static void DrawColor(HDC hDC, const RECT& rc, DWORD color);
    static void DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical, int nSteps);
    static void DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle = 0);
    static void DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor);
    static void DrawRoundRect(HDC hDC, const RECT& rc, int width, int height, int nSize, DWORD dwPenColor);
    static void DrawText(HDC hDC, CUIWindowManager* pManager, RECT& rc, const char16_t* pstrText, DWORD dwTextColor,
                         int iFont, UINT uStyle);
    static void DrawHtmlText(HDC hDC, CUIWindowManager* pManager, RECT& rc, const char16_t* pstrText,
                             DWORD dwTextColor, RECT* pLinks, CUIString* sLinks, int& nLinkRects, UINT uStyle);
};
