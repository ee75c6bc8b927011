#pragma once
// Inside the render engine: the software alpha blend that stands in when the
// system has no alpha-blend operation (same arguments as AlphaBlend).

#include <winapi/winapi.h>

BOOL UISoftwareAlphaBlend(HDC hDC, int dstX, int dstY, int dstW, int dstH, HDC hSrcDC, int srcX, int srcY, int srcW,
                          int srcH, BLENDFUNCTION bf);
