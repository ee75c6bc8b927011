// Registration of the built-in window classes.
#include "Controls.h"

#include <mutex>

#include "winapi/commctrl.h"

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

}  // namespace winapi

void InitCommonControls() { winapi::registerSystemClasses(); }

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX*)
{
    winapi::registerSystemClasses();
    return TRUE;
}
