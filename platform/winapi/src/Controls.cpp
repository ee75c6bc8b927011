// Registration of the built-in window classes.
#include "platform/winapi/src/Controls.h"

#include <mutex>

#include "winapi/commctrl.h"
#include "winapi/wingdi.h"

namespace winapi {

void registerSystemClasses()
{
    static std::once_flag once;
    std::call_once(once, [] {
        registerBuiltinClass(WC_EDITW, editProc, CS_DBLCLKS, IDC_IBEAM);
        registerBuiltinClass(TOOLTIPS_CLASSW, tooltipProc, CS_DBLCLKS, IDC_ARROW);
        registerBuiltinClass(DATETIMEPICK_CLASSW, datePickerProc, CS_DBLCLKS, IDC_ARROW);
    });
}

void notifyParent(HWND hwnd, WORD code)
{
    HWND parent = GetParent(hwnd);
    if (parent)
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

void paintFramedClient(HWND hwnd, HDC dc, RECT& rc, int fillSysColor, COLORREF frame)
{
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, GetSysColorBrush(fillSysColor));
    HBRUSH brush = CreateSolidBrush(frame);
    FrameRect(dc, &rc, brush);
    DeleteObject(brush);
}

}  // namespace winapi

void InitCommonControls() { winapi::registerSystemClasses(); }

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX*)
{
    winapi::registerSystemClasses();
    return TRUE;
}
