#pragma once
// COM, the input method manager and the GDI+ flat API. There is no object
// registry, no windowless rich text, no control hosting and no GDI+ here:
// these entry points exist so that callers take their failure paths.
#include "winapi/wintypes.h"

typedef uint32_t UINT32;

// ---------------------------------------------------------------- COM
struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

struct IClassFactory : public IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;
};

typedef HRESULT(WINAPI* LPFNGETCLASSOBJECT)(REFCLSID, REFIID, LPVOID*);

#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_DISABLE_OLE1DDE 0x4
#define COINIT_SPEED_OVER_MEMORY 0x8
#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_ALL 0x17

extern const IID IID_IUnknown;
extern const IID IID_IClassFactory;

// Succeeds (there is nothing to set up); balanced by CoUninitialize.
HRESULT CoInitializeEx(LPVOID reserved, DWORD flags);
HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
// No class is registered: REGDB_E_CLASSNOTREG, *object = null.
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid, LPVOID* object);
// Parses "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"; CO_E_CLASSSTRING otherwise.
HRESULT CLSIDFromString(LPCWSTR text, LPCLSID clsid);
HRESULT IIDFromString(LPCWSTR text, IID* iid);
int StringFromGUID2(REFGUID guid, LPWSTR buffer, int size);
// No program identifiers are registered: CO_E_CLASSSTRING.
HRESULT CLSIDFromProgID(LPCWSTR progId, LPCLSID clsid);
LPVOID CoTaskMemAlloc(SIZE_T size);
void CoTaskMemFree(LPVOID p);

typedef WCHAR OLECHAR;
typedef OLECHAR* BSTR;
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);

// ---------------------------------------------------------------- IMM
typedef struct tagCOMPOSITIONFORM {
    DWORD dwStyle;
    POINT ptCurrentPos;
    RECT rcArea;
} COMPOSITIONFORM, *LPCOMPOSITIONFORM;
#define CFS_DEFAULT 0x0000
#define CFS_RECT 0x0001
#define CFS_POINT 0x0002
#define CFS_FORCE_POSITION 0x0020
#define GCS_RESULTSTR 0x0800
#define GCS_COMPSTR 0x0008
// There is no input method context: ImmGetContext gives null, the others
// report failure for it.
HIMC ImmGetContext(HWND hwnd);
BOOL ImmReleaseContext(HWND hwnd, HIMC imc);
BOOL ImmSetCompositionWindow(HIMC imc, LPCOMPOSITIONFORM form);
LONG ImmGetCompositionStringW(HIMC imc, DWORD index, LPVOID buffer, DWORD size);

// ---------------------------------------------------------------- GDI+ flat API
// GdiplusStartup reports GdiplusNotInitialized, so effect text falls back
// to plain drawing; every other call reports the same status.
namespace Gdiplus {
enum Status {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    NotImplemented = 6,
    Win32Error = 7,
    GdiplusNotInitialized = 18,
};
enum TextRenderingHint {
    TextRenderingHintSystemDefault = 0,
    TextRenderingHintSingleBitPerPixelGridFit = 1,
    TextRenderingHintSingleBitPerPixel = 2,
    TextRenderingHintAntiAliasGridFit = 3,
    TextRenderingHintAntiAlias = 4,
    TextRenderingHintClearTypeGridFit = 5,
};
enum StringAlignment { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };
enum WrapMode { WrapModeTile = 0, WrapModeTileFlipX, WrapModeTileFlipY, WrapModeTileFlipXY, WrapModeClamp };
typedef DWORD ARGB;
struct GdiplusStartupInput {
    UINT32 GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};
struct GdiplusStartupOutput {
    void* NotificationHook = nullptr;
    void* NotificationUnhook = nullptr;
};
struct RectF {
    float X, Y, Width, Height;
};
struct PointF {
    float X, Y;
};
struct Point {
    INT X, Y;
};
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);
}  // namespace Gdiplus
struct GpGraphics;
struct GpFont;
struct GpFontFamily;
struct GpStringFormat;
struct GpBrush;
struct GpLineGradient;
typedef Gdiplus::Status GpStatus;
typedef Gdiplus::RectF GpRectF;
typedef Gdiplus::Point GpPoint;
GpStatus GdipCreateFromHDC(HDC hdc, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipSetTextRenderingHint(GpGraphics* graphics, int hint);
GpStatus GdipCreateFontFromDC(HDC hdc, GpFont** font);
GpStatus GdipCreateFontFromLogfontA(HDC hdc, const void* logfontA, GpFont** font);
GpStatus GdipCreateFontFromLogfontW(HDC hdc, const void* logfontW, GpFont** font);
GpStatus GdipDeleteFont(GpFont* font);
GpStatus GdipCreateStringFormat(INT attributes, WORD language, GpStringFormat** format);
GpStatus GdipDeleteStringFormat(GpStringFormat* format);
GpStatus GdipSetStringFormatAlign(GpStringFormat* format, int align);
GpStatus GdipSetStringFormatLineAlign(GpStringFormat* format, int align);
GpStatus GdipCreateLineBrushI(const GpPoint* p1, const GpPoint* p2, DWORD color1, DWORD color2, int wrapMode,
                              GpLineGradient** brush);
GpStatus GdipCreateSolidFill(DWORD color, GpBrush** brush);
GpStatus GdipDeleteBrush(GpBrush* brush);
GpStatus GdipDrawString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                        const GpRectF* layout, const GpStringFormat* format, const GpBrush* brush);
