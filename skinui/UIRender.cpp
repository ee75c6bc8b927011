// Drawing services of the render engine: image strings, nine-grids, colours,
// gradients, lines, rectangles and plain text; clip narrowing.
#include "skinui/UIRender.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIRenderInternal.h"

#include <cmath>
#include <cstring>
#include <mutex>

namespace {

typedef BOOL (*LPALPHABLEND)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
typedef BOOL (*LPGRADIENTFILL)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

struct BlendEntryPoints
{
    LPALPHABLEND alphaBlend = nullptr;
    LPGRADIENTFILL gradientFill = nullptr;
};

// Blending in software when the system has no alpha-blend operation: the
// source is stretched into a 32-bit buffer, the destination read into
// another, and each pixel becomes src * k + dst * (1 - k) per colour channel
// with k = source alpha * constant alpha / (255 * 255).
} // namespace

BOOL UISoftwareAlphaBlend(HDC hDC, int dstX, int dstY, int dstW, int dstH, HDC hSrcDC, int srcX, int srcY, int srcW,
                        int srcH, BLENDFUNCTION bf)
{
    if (dstW <= 0 || dstH <= 0)
        return FALSE;
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = dstW;
    bmi.bmiHeader.biHeight = -dstH;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = static_cast<DWORD>(dstW) * static_cast<DWORD>(dstH) * 4;
    void* srcBits = nullptr;
    void* dstBits = nullptr;
    HBITMAP hSrc = ::CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, &srcBits, nullptr, 0);
    HBITMAP hDst = ::CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, &dstBits, nullptr, 0);
    HDC hTempDC = ::CreateCompatibleDC(hDC);
    BOOL ok = FALSE;
    if (hSrc && hDst && srcBits && dstBits && hTempDC) {
        HGDIOBJ old = ::SelectObject(hTempDC, hSrc);
        ::StretchBlt(hTempDC, 0, 0, dstW, dstH, hSrcDC, srcX, srcY, srcW, srcH, SRCCOPY);
        ::SelectObject(hTempDC, hDst);
        ::BitBlt(hTempDC, 0, 0, dstW, dstH, hDC, dstX, dstY, SRCCOPY);
        ::GdiFlush();
        auto* s = static_cast<BYTE*>(srcBits);
        auto* d = static_cast<BYTE*>(dstBits);
        const size_t pixels = static_cast<size_t>(dstW) * static_cast<size_t>(dstH);
        for (size_t i = 0; i < pixels; ++i, s += 4, d += 4) {
            const DWORD srcAlpha = (bf.AlphaFormat & AC_SRC_ALPHA) ? s[3] : 255;
            const double k = static_cast<double>(srcAlpha) * bf.SourceConstantAlpha / (255.0 * 255.0);
            for (int ch = 0; ch < 3; ++ch)
                d[ch] = static_cast<BYTE>(s[ch] * k + d[ch] * (1.0 - k) + 0.5);
        }
        ::BitBlt(hDC, dstX, dstY, dstW, dstH, hTempDC, 0, 0, SRCCOPY);
        ::SelectObject(hTempDC, old);
        ok = TRUE;
    }
    if (hTempDC)
        ::DeleteDC(hTempDC);
    if (hSrc)
        ::DeleteObject(hSrc);
    if (hDst)
        ::DeleteObject(hDst);
    return ok;
}

namespace {

// Looked up once per process from the already loaded "msimg32.dll"; the
// software blend stands in when the system has none.
const BlendEntryPoints& entryPoints()
{
    static BlendEntryPoints points;
    static std::once_flag once;
    std::call_once(once, [] {
        HMODULE module = ::GetModuleHandleW(u"msimg32.dll");
        if (!module)
            module = ::LoadLibraryW(u"msimg32.dll");
        if (module) {
            points.alphaBlend = reinterpret_cast<LPALPHABLEND>(reinterpret_cast<void*>(::GetProcAddress(module, "AlphaBlend")));
            points.gradientFill = reinterpret_cast<LPGRADIENTFILL>(reinterpret_cast<void*>(::GetProcAddress(module, "GradientFill")));
        }
        if (!points.alphaBlend)
            points.alphaBlend = UISoftwareAlphaBlend;
    });
    return points;
}

COLORREF gdiColour(DWORD argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

bool meets(const RECT& a, const RECT& b)
{
    RECT t;
    return ::IntersectRect(&t, &a, &b) != FALSE;
}

void parseRect(const char16_t* s, RECT& rc)
{
    LONG v[4];
    UIParseInts(s, v, 4);
    rc = RECT{v[0], v[1], v[2], v[3]};
}

struct ImageState
{
    CUIString name;
    CUIString resType;
    RECT dest;
    RECT source;
    RECT corner;
    DWORD mask = 0;
    BYTE fade = 255;
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
};

} // namespace

// ---------------------------------------------------------------- clips

CUIRenderClip::CUIRenderClip() : hDC(nullptr), hRgn(nullptr), hOldRgn(nullptr)
{
    std::memset(&rcItem, 0, sizeof rcItem);
}

CUIRenderClip::~CUIRenderClip()
{
    if (hDC) {
        ::SelectClipRgn(hDC, hOldRgn);
    }
    if (hOldRgn)
        ::DeleteObject(hOldRgn);
    if (hRgn)
        ::DeleteObject(hRgn);
}

void CUIRenderClip::GenerateClip(HDC hDC, RECT rc, CUIRenderClip& clip)
{
    RECT rcClip{};
    ::GetClipBox(hDC, &rcClip);
    clip.hOldRgn = ::CreateRectRgnIndirect(&rcClip);
    clip.hRgn = ::CreateRectRgnIndirect(&rc);
    ::ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
    clip.hDC = hDC;
    clip.rcItem = rc;
}

void CUIRenderClip::GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height, CUIRenderClip& clip)
{
    RECT rcClip{};
    ::GetClipBox(hDC, &rcClip);
    clip.hOldRgn = ::CreateRectRgnIndirect(&rcClip);
    clip.hRgn = ::CreateRectRgnIndirect(&rc);
    HRGN hRgnItem = ::CreateRoundRectRgn(rcItem.left, rcItem.top, rcItem.right + 1, rcItem.bottom + 1, width, height);
    ::CombineRgn(clip.hRgn, clip.hRgn, hRgnItem, RGN_AND);
    ::ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
    clip.hDC = hDC;
    clip.rcItem = rc;
    ::DeleteObject(hRgnItem);
}

void CUIRenderClip::UseOldClipBegin(HDC hDC, CUIRenderClip& clip)
{
    ::SelectClipRgn(hDC, clip.hOldRgn);
}

void CUIRenderClip::UseOldClipEnd(HDC hDC, CUIRenderClip& clip)
{
    ::SelectClipRgn(hDC, clip.hRgn);
}

// ---------------------------------------------------------------- colours

DWORD CUIRenderEngine::MakeGdiplusColor(BYTE alpha, DWORD argb)
{
    return (static_cast<DWORD>(alpha) << 24) | (argb & 0x00FFFFFF);
}

void CUIRenderEngine::RGBToHSL(DWORD ARGB, float* H, float* S, float* L)
{
    const float R = static_cast<float>((ARGB >> 16) & 0xFF) / 255.0f;
    const float G = static_cast<float>((ARGB >> 8) & 0xFF) / 255.0f;
    const float B = static_cast<float>(ARGB & 0xFF) / 255.0f;
    const float mx = std::fmax(R, std::fmax(G, B));
    const float mn = std::fmin(R, std::fmin(G, B));
    float h = 0, s = 0;
    const float l = (mx + mn) / 2.0f;
    const float d = mx - mn;
    if (d > 0) {
        s = l > 0.5f ? d / (2.0f - mx - mn) : d / (mx + mn);
        if (mx == R)
            h = (G - B) / d + (G < B ? 6.0f : 0.0f);
        else if (mx == G)
            h = (B - R) / d + 2.0f;
        else
            h = (R - G) / d + 4.0f;
        h *= 60.0f;
    }
    *H = h;
    *S = s;
    *L = l;
}

void CUIRenderEngine::HSLToRGB(DWORD* ARGB, float H, float S, float L)
{
    auto hue = [](float p, float q, float t) {
        if (t < 0)
            t += 1;
        if (t > 1)
            t -= 1;
        if (t < 1.0f / 6)
            return p + (q - p) * 6 * t;
        if (t < 0.5f)
            return q;
        if (t < 2.0f / 3)
            return p + (q - p) * (2.0f / 3 - t) * 6;
        return p;
    };
    float r, g, b;
    if (S == 0) {
        r = g = b = L;
    } else {
        const float q = L < 0.5f ? L * (1 + S) : L + S - L * S;
        const float p = 2 * L - q;
        const float h = H / 360.0f;
        r = hue(p, q, h + 1.0f / 3);
        g = hue(p, q, h);
        b = hue(p, q, h - 1.0f / 3);
    }
    auto clamp = [](float v) {
        const int i = static_cast<int>(v * 255.0f + 0.5f);
        return static_cast<DWORD>(i < 0 ? 0 : (i > 255 ? 255 : i));
    };
    *ARGB = (*ARGB & 0xFF000000) | (clamp(r) << 16) | (clamp(g) << 8) | clamp(b);
}

DWORD CUIRenderEngine::AdjustColor(DWORD dwColor, short H, short S, short L)
{
    if (H == 180 && S == 100 && L == 100)
        return dwColor;
    float fH, fS, fL;
    RGBToHSL(dwColor, &fH, &fS, &fL);
    fH += static_cast<float>(H - 180);
    if (fH <= 0)
        fH += 360;
    fS = fS * S / 100.0f;
    fL = fL * L / 100.0f;
    DWORD result = dwColor;
    HSLToRGB(&result, fH, fS, fL);
    return result;
}

// ---------------------------------------------------------------- images

void CUIRenderEngine::DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint, const RECT& rcBmpPart,
                                const RECT& rcCorners, bool alphaChannel, BYTE uFade, bool hole, bool xtiled,
                                bool ytiled)
{
    if (!hDC || !hBitmap)
        return;
    const LPALPHABLEND alphaBlend = entryPoints().alphaBlend;
    HDC hCloneDC = ::CreateCompatibleDC(hDC);
    HBITMAP hOldBitmap = static_cast<HBITMAP>(::SelectObject(hCloneDC, hBitmap));
    ::SetStretchBltMode(hDC, HALFTONE);
    const bool blend = alphaBlend && (alphaChannel || uFade < 255);
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, uFade, AC_SRC_ALPHA};

    auto blit = [&](const RECT& d, int sx, int sy, int sw, int sh) {
        const int dw = d.right - d.left, dh = d.bottom - d.top;
        if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
            return;
        if (blend)
            alphaBlend(hDC, d.left, d.top, dw, dh, hCloneDC, sx, sy, sw, sh, bf);
        else
            ::StretchBlt(hDC, d.left, d.top, dw, dh, hCloneDC, sx, sy, sw, sh, SRCCOPY);
    };
    auto copy = [&](const RECT& d, int sx, int sy) {
        if (blend)
            alphaBlend(hDC, d.left, d.top, d.right - d.left, d.bottom - d.top, hCloneDC, sx, sy, d.right - d.left,
                       d.bottom - d.top, bf);
        else
            ::BitBlt(hDC, d.left, d.top, d.right - d.left, d.bottom - d.top, hCloneDC, sx, sy, SRCCOPY);
    };

    const int partW = rcBmpPart.right - rcBmpPart.left;
    const int partH = rcBmpPart.bottom - rcBmpPart.top;
    if (!blend && rc.right - rc.left == partW && rc.bottom - rc.top == partH && rcCorners.left == 0 &&
        rcCorners.right == 0 && rcCorners.top == 0 && rcCorners.bottom == 0) {
        RECT rcTemp;
        if (::IntersectRect(&rcTemp, &rcPaint, &rc))
            ::BitBlt(hDC, rcTemp.left, rcTemp.top, rcTemp.right - rcTemp.left, rcTemp.bottom - rcTemp.top, hCloneDC,
                     rcBmpPart.left + rcTemp.left - rc.left, rcBmpPart.top + rcTemp.top - rc.top, SRCCOPY);
    } else {
        RECT rcDest = {rc.left + rcCorners.left, rc.top + rcCorners.top, rc.right - rcCorners.right,
                       rc.bottom - rcCorners.bottom};
        const int cw = partW - rcCorners.left - rcCorners.right;
        const int ch = partH - rcCorners.top - rcCorners.bottom;
        const int sx = rcBmpPart.left + rcCorners.left;
        const int sy = rcBmpPart.top + rcCorners.top;
        RECT rcTemp;
        if (!hole && ::IntersectRect(&rcTemp, &rcPaint, &rcDest) && cw > 0 && ch > 0) {
            const int destW = rcDest.right - rcDest.left;
            const int destH = rcDest.bottom - rcDest.top;
            if (!xtiled && !ytiled) {
                blit(rcDest, sx, sy, cw, ch);
            } else if (xtiled && ytiled) {
                const int iTimesX = (destW + cw - 1) / cw;
                const int iTimesY = (destH + ch - 1) / ch;
                for (int j = 0; j < iTimesY; ++j) {
                    const int top = rcDest.top + ch * j;
                    const int h = top + ch > rcDest.bottom ? rcDest.bottom - top : ch;
                    for (int i = 0; i < iTimesX; ++i) {
                        const int left = rcDest.left + cw * i;
                        const int w = left + cw > rcDest.right ? rcDest.right - left : cw;
                        RECT tile = {left, top, left + w, top + h};
                        if (meets(tile, rcPaint))
                            copy(tile, sx, sy);
                    }
                }
            } else if (xtiled) {
                const int iTimes = (destW + cw - 1) / cw;
                for (int i = 0; i < iTimes; ++i) {
                    const int left = rcDest.left + cw * i;
                    const int w = left + cw > rcDest.right ? rcDest.right - left : cw;
                    RECT col = {left, rcDest.top, left + w, rcDest.bottom};
                    if (meets(col, rcPaint))
                        blit(col, sx, sy, w, ch);
                }
            } else {
                const int iTimes = (destH + ch - 1) / ch;
                for (int i = 0; i < iTimes; ++i) {
                    const int top = rcDest.top + ch * i;
                    const int h = top + ch > rcDest.bottom ? rcDest.bottom - top : ch;
                    RECT row = {rcDest.left, top, rcDest.right, top + h};
                    if (meets(row, rcPaint))
                        blit(row, sx, sy, cw, h);
                }
            }
        }
        // The border pieces.
        const RECT& c = rcCorners;
        const RECT& p = rcBmpPart;
        struct Piece
        {
            RECT dest;
            int sx, sy, sw, sh;
            bool on;
        };
        const Piece pieces[] = {
            {{rc.left, rc.top, rc.left + c.left, rc.top + c.top}, p.left, p.top, c.left, c.top, c.left > 0 && c.top > 0},
            {{rc.left + c.left, rc.top, rc.right - c.right, rc.top + c.top}, p.left + c.left, p.top, cw, c.top,
             c.top > 0},
            {{rc.right - c.right, rc.top, rc.right, rc.top + c.top}, p.right - c.right, p.top, c.right, c.top,
             c.right > 0 && c.top > 0},
            {{rc.left, rc.top + c.top, rc.left + c.left, rc.bottom - c.bottom}, p.left, p.top + c.top, c.left, ch,
             c.left > 0},
            {{rc.right - c.right, rc.top + c.top, rc.right, rc.bottom - c.bottom}, p.right - c.right, p.top + c.top,
             c.right, ch, c.right > 0},
            {{rc.left, rc.bottom - c.bottom, rc.left + c.left, rc.bottom}, p.left, p.bottom - c.bottom, c.left,
             c.bottom, c.left > 0 && c.bottom > 0},
            {{rc.left + c.left, rc.bottom - c.bottom, rc.right - c.right, rc.bottom}, p.left + c.left,
             p.bottom - c.bottom, cw, c.bottom, c.bottom > 0},
            {{rc.right - c.right, rc.bottom - c.bottom, rc.right, rc.bottom}, p.right - c.right, p.bottom - c.bottom,
             c.right, c.bottom, c.right > 0 && c.bottom > 0},
        };
        for (const Piece& piece : pieces) {
            if (piece.on && meets(piece.dest, rcPaint))
                blit(piece.dest, piece.sx, piece.sy, piece.sw, piece.sh);
        }
    }
    ::SelectObject(hCloneDC, hOldBitmap);
    ::DeleteDC(hCloneDC);
}

bool CUIRenderEngine::DrawImageInfo(HDC hDC, CUIWindowManager* pManager, const RECT& rcItem, const RECT& rcPaint,
                                    const CUIString& sImageName, const CUIString& sImageResType, RECT rcItemDest,
                                    RECT rcBmpPart, const RECT& rcCorner, DWORD dwMask, BYTE bFade, bool bHole,
                                    bool bTiledX, bool bTiledY)
{
    if (sImageName.IsEmpty() || !pManager)
        return false;
    const UIImageInfo* data =
        pManager->GetOrLoadImage(sImageName, sImageResType.IsEmpty() ? nullptr : sImageResType.GetData(), dwMask);
    if (!data)
        return false;
    if (rcBmpPart.left == 0 && rcBmpPart.right == 0 && rcBmpPart.top == 0 && rcBmpPart.bottom == 0) {
        rcBmpPart.right = data->nX;
        rcBmpPart.bottom = data->nY;
    }
    if (rcBmpPart.right > data->nX)
        rcBmpPart.right = data->nX;
    if (rcBmpPart.bottom > data->nY)
        rcBmpPart.bottom = data->nY;
    RECT rcTemp;
    if (!::IntersectRect(&rcTemp, &rcItemDest, &rcItem))
        return true;
    if (!::IntersectRect(&rcTemp, &rcItemDest, &rcPaint))
        return true;
    DrawImage(hDC, data->hBitmap, rcItemDest, rcPaint, rcBmpPart, rcCorner, data->alphaChannel, bFade, bHole,
              bTiledX, bTiledY);
    return true;
}

bool CUIRenderEngine::DrawImageString(HDC hDC, CUIWindowManager* pManager, const RECT& rcItem, const RECT& rcPaint,
                                      const char16_t* pStrImage, const char16_t* pStrModify)
{
    if (!pManager || !hDC)
        return false;
    ImageState st;
    st.name = pStrImage;
    st.dest = rcItem;
    std::memset(&st.source, 0, sizeof st.source);
    std::memset(&st.corner, 0, sizeof st.corner);

    auto draw = [&]() {
        DrawImageInfo(hDC, pManager, rcItem, rcPaint, st.name, st.resType, st.dest, st.source, st.corner, st.mask,
                      st.fade, st.hole, st.xtiled, st.ytiled);
    };
    auto parse = [&](const char16_t* pStr) {
        if (!pStr)
            return;
        int counter = 0;
        CUIString sItem, sValue;
        while (*pStr != 0) {
            sItem.Empty();
            sValue.Empty();
            while (*pStr > u'\0' && *pStr <= u' ')
                ++pStr;
            while (*pStr != 0 && *pStr != u'=' && *pStr > u' ')
                sItem += *pStr++;
            while (*pStr > u'\0' && *pStr <= u' ')
                ++pStr;
            if (*pStr++ != u'=')
                break;
            while (*pStr > u'\0' && *pStr <= u' ')
                ++pStr;
            if (*pStr++ != u'\'')
                break;
            while (*pStr != 0 && *pStr != u'\'')
                sValue += *pStr++;
            if (*pStr++ != u'\'')
                break;
            if (!sValue.IsEmpty()) {
                if (sItem == u"file" || sItem == u"res") {
                    if (counter > 0)
                        draw();
                    st.name = sValue;
                    if (sItem == u"file")
                        ++counter;
                } else if (sItem == u"restype") {
                    if (counter > 0)
                        draw();
                    st.resType = sValue;
                    ++counter;
                } else if (sItem == u"dest") {
                    RECT r;
                    parseRect(sValue, r);
                    st.dest.left = rcItem.left + r.left;
                    st.dest.top = rcItem.top + r.top;
                    st.dest.right = rcItem.left + r.right;
                    if (st.dest.right > rcItem.right)
                        st.dest.right = rcItem.right;
                    st.dest.bottom = rcItem.top + r.bottom;
                    if (st.dest.bottom > rcItem.bottom)
                        st.dest.bottom = rcItem.bottom;
                } else if (sItem == u"source") {
                    parseRect(sValue, st.source);
                } else if (sItem == u"corner") {
                    parseRect(sValue, st.corner);
                } else if (sItem == u"mask") {
                    st.mask = UIParseColour(sValue);
                } else if (sItem == u"fade") {
                    st.fade = static_cast<BYTE>(_wtoi(sValue));
                } else if (sItem == u"hole") {
                    st.hole = sValue == u"true";
                } else if (sItem == u"xtiled") {
                    st.xtiled = sValue == u"true";
                } else if (sItem == u"ytiled") {
                    st.ytiled = sValue == u"true";
                }
            }
            if (*pStr++ != u' ')
                break;
        }
    };
    parse(pStrImage);
    parse(pStrModify);
    draw();
    return true;
}

// ---------------------------------------------------------------- fills and lines

void CUIRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD color)
{
    const DWORD alpha = color >> 24;
    if (alpha == 0)
        return;
    if (alpha == 255) {
        ::SetBkColor(hDC, gdiColour(color));
        ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
        return;
    }
    // A 1x1 premultiplied bitmap stretched over the rectangle.
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = 1;
    bmi.bmiHeader.biHeight = 1;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = 4;
    void* pBits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (!hBitmap || !pBits) {
        if (hBitmap)
            ::DeleteObject(hBitmap);
        return;
    }
    const DWORD r = ((color >> 16) & 0xFF) * alpha / 255;
    const DWORD g = ((color >> 8) & 0xFF) * alpha / 255;
    const DWORD b = (color & 0xFF) * alpha / 255;
    *static_cast<DWORD*>(pBits) = (alpha << 24) | (r << 16) | (g << 8) | b;
    RECT rcBmpPart = {0, 0, 1, 1};
    RECT rcCorners = {0, 0, 0, 0};
    DrawImage(hDC, hBitmap, rc, rc, rcBmpPart, rcCorners, true, 255);
    ::DeleteObject(hBitmap);
}

void CUIRenderEngine::DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical,
                                   int nSteps)
{
    const DWORD bAlpha = ((dwFirst >> 24) + (dwSecond >> 24)) / 2;
    if (bAlpha == 0)
        return;
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    if (cx <= 0 || cy <= 0)
        return;
    RECT rcPaint = rc;
    HDC hPaintDC = hDC;
    HBITMAP hPaintBitmap = nullptr;
    HBITMAP hOldPaintBitmap = nullptr;
    if (bAlpha < 255) {
        rcPaint.left = rcPaint.top = 0;
        rcPaint.right = cx;
        rcPaint.bottom = cy;
        hPaintDC = ::CreateCompatibleDC(hDC);
        hPaintBitmap = ::CreateCompatibleBitmap(hDC, cx, cy);
        hOldPaintBitmap = static_cast<HBITMAP>(::SelectObject(hPaintDC, hPaintBitmap));
    }
    const LPGRADIENTFILL gradientFill = entryPoints().gradientFill;
    if (gradientFill) {
        TRIVERTEX triv[2] = {
            {rcPaint.left, rcPaint.top, static_cast<COLOR16>(((dwFirst >> 16) & 0xFF) << 8),
             static_cast<COLOR16>(((dwFirst >> 8) & 0xFF) << 8), static_cast<COLOR16>((dwFirst & 0xFF) << 8), 0xFF00},
            {rcPaint.right, rcPaint.bottom, static_cast<COLOR16>(((dwSecond >> 16) & 0xFF) << 8),
             static_cast<COLOR16>(((dwSecond >> 8) & 0xFF) << 8), static_cast<COLOR16>((dwSecond & 0xFF) << 8),
             0xFF00}};
        GRADIENT_RECT grc = {0, 1};
        gradientFill(hPaintDC, triv, 2, &grc, 1, bVertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    } else {
        int nShift = 1;
        if (nSteps >= 64)
            nShift = 6;
        else if (nSteps >= 32)
            nShift = 5;
        else if (nSteps >= 16)
            nShift = 4;
        else if (nSteps >= 8)
            nShift = 3;
        else if (nSteps >= 4)
            nShift = 2;
        const int nLines = 1 << nShift;
        for (int i = 0; i < nLines; i++) {
            const DWORD bR = (((dwSecond >> 16) & 0xFF) * (nLines - i) + ((dwFirst >> 16) & 0xFF) * i) >> nShift;
            const DWORD bG = (((dwSecond >> 8) & 0xFF) * (nLines - i) + ((dwFirst >> 8) & 0xFF) * i) >> nShift;
            const DWORD bB = ((dwSecond & 0xFF) * (nLines - i) + (dwFirst & 0xFF) * i) >> nShift;
            HBRUSH hBrush = ::CreateSolidBrush(RGB(bR, bG, bB));
            RECT r2 = rcPaint;
            if (bVertical) {
                r2.bottom = rcPaint.bottom - ((i * (rcPaint.bottom - rcPaint.top)) >> nShift);
                r2.top = rcPaint.bottom - (((i + 1) * (rcPaint.bottom - rcPaint.top)) >> nShift);
                if (r2.bottom - r2.top > 0)
                    ::FillRect(hPaintDC, &r2, hBrush);
            } else {
                r2.left = rcPaint.right - (((i + 1) * (rcPaint.right - rcPaint.left)) >> nShift);
                r2.right = rcPaint.right - ((i * (rcPaint.right - rcPaint.left)) >> nShift);
                if (r2.right - r2.left > 0)
                    ::FillRect(hPaintDC, &r2, hBrush);
            }
            ::DeleteObject(hBrush);
        }
    }
    if (bAlpha < 255) {
        const LPALPHABLEND alphaBlend = entryPoints().alphaBlend;
        BLENDFUNCTION bf = {AC_SRC_OVER, 0, static_cast<BYTE>(bAlpha), 0};
        if (alphaBlend)
            alphaBlend(hDC, rc.left, rc.top, cx, cy, hPaintDC, 0, 0, cx, cy, bf);
        ::SelectObject(hPaintDC, hOldPaintBitmap);
        ::DeleteObject(hPaintBitmap);
        ::DeleteDC(hPaintDC);
    }
}

void CUIRenderEngine::DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle)
{
    HPEN hPen = ::CreatePen(nStyle, nSize, gdiColour(dwPenColor));
    HPEN hOldPen = static_cast<HPEN>(::SelectObject(hDC, hPen));
    POINT ptTemp = {0, 0};
    ::MoveToEx(hDC, rc.left, rc.top, &ptTemp);
    ::LineTo(hDC, rc.right, rc.bottom);
    ::SelectObject(hDC, hOldPen);
    ::DeleteObject(hPen);
}

void CUIRenderEngine::DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor)
{
    HPEN hPen = ::CreatePen(PS_SOLID | PS_INSIDEFRAME, nSize, gdiColour(dwPenColor));
    HPEN hOldPen = static_cast<HPEN>(::SelectObject(hDC, hPen));
    HGDIOBJ hOldBrush = ::SelectObject(hDC, ::GetStockObject(HOLLOW_BRUSH));
    ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
    ::SelectObject(hDC, hOldBrush);
    ::SelectObject(hDC, hOldPen);
    ::DeleteObject(hPen);
}

void CUIRenderEngine::DrawRoundRect(HDC hDC, const RECT& rc, int width, int height, int nSize, DWORD dwPenColor)
{
    HPEN hPen = ::CreatePen(PS_SOLID | PS_INSIDEFRAME, nSize, gdiColour(dwPenColor));
    HPEN hOldPen = static_cast<HPEN>(::SelectObject(hDC, hPen));
    HGDIOBJ hOldBrush = ::SelectObject(hDC, ::GetStockObject(HOLLOW_BRUSH));
    ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, width, height);
    ::SelectObject(hDC, hOldBrush);
    ::SelectObject(hDC, hOldPen);
    ::DeleteObject(hPen);
}

void CUIRenderEngine::DrawText(HDC hDC, CUIWindowManager* pManager, RECT& rc, const char16_t* pstrText,
                               DWORD dwTextColor, int iFont, UINT uStyle)
{
    if (!pstrText || !pManager || !hDC)
        return;
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, gdiColour(dwTextColor));
    HFONT hOldFont = static_cast<HFONT>(::SelectObject(hDC, pManager->GetFont(iFont)));
    ::DrawTextW(hDC, pstrText, -1, &rc, uStyle | DT_NOPREFIX);
    ::SelectObject(hDC, hOldFont);
}
