#include "skinui/UIWindowWnd.h"

#include "skinui/UIControl.h"

#include <cstdarg>

// ---------------------------------------------------------------- trace

void UITrace(const char16_t* pstrFormat, ...)
{
    // UI thread only: one static buffer.
    static char16_t szBuffer[512];
    va_list args;
    va_start(args, pstrFormat);
    szBuffer[0] = 0;
    vswprintf16(szBuffer, 511, pstrFormat, args);
    va_end(args);
    szBuffer[510] = 0;
    lstrcatW(szBuffer, u"\n");
    ::OutputDebugStringW(szBuffer);
    if (CUIWindowManager::TraceCallback trace = CUIWindowManager::GetTraceCallback())
        trace(szBuffer);
}

// ---------------------------------------------------------------- notification pump

const UINotifyMap* CNotifyPump::GetThisMessageMap()
{
    static const UINotifyMapEntry entries[] = {{CUIString(), CUIString(), UISig_end, nullptr}};
    static const UINotifyMap map = {nullptr, entries};
    return &map;
}

const UINotifyMap* CNotifyPump::GetMessageMap() const
{
    return GetThisMessageMap();
}

bool CNotifyPump::DispatchNotify(UINotifyMsg& msg)
{
    return DispatchToMaps(msg);
}

const UINotifyMapEntry* CNotifyPump::FindNotifyMapEntry(const UINotifyMapEntry* lpEntry, UINotifyMsg& msg)
{
    const CUIString sCtrlName = msg.pSender ? msg.pSender->GetName() : CUIString();
    const UINotifyMapEntry* pMsgTypeEntry = nullptr;
    while (lpEntry->nSig != UISig_end) {
        if (lpEntry->sMsgType == msg.sType) {
            if (!lpEntry->sCtrlName.IsEmpty()) {
                if (lpEntry->sCtrlName == sCtrlName)
                    return lpEntry;
            } else {
                pMsgTypeEntry = lpEntry;
            }
        }
        lpEntry++;
    }
    return pMsgTypeEntry;
}

// The handlers are members of the derived windows, stored as members of the
// pump. GCC's vptr check rejects such a call through a pointer to member even
// on a correct object (a known false report), so that one check is off here.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((no_sanitize("vptr")))
#endif
bool CNotifyPump::DispatchToMaps(UINotifyMsg& msg)
{
    for (const UINotifyMap* pMessageMap = GetMessageMap(); pMessageMap;
         pMessageMap = pMessageMap->pfnGetBaseMap ? pMessageMap->pfnGetBaseMap() : nullptr) {
        const UINotifyMapEntry* lpEntry = FindNotifyMapEntry(pMessageMap->lpEntries, msg);
        if (!lpEntry)
            continue;
        UIMessageMapFunctions mmf;
        mmf.pfn = lpEntry->pfn;
        switch (lpEntry->nSig) {
        case UISig_lwl:
            (this->*mmf.pfn_Notify_lwl)(msg.wParam, msg.lParam);
            return true;
        case UISig_vn:
            (this->*mmf.pfn_Notify_vn)(msg);
            return true;
        default:
            return false;
        }
    }
    return false;
}

// ---------------------------------------------------------------- window

CWindowWnd::CWindowWnd() : m_hWnd(nullptr), m_OldWndProc(::DefWindowProcW) {}

HWND CWindowWnd::GetHWND() const
{
    return m_hWnd;
}

CWindowWnd::operator HWND() const
{
    return m_hWnd;
}

UINT CWindowWnd::GetClassStyle() const
{
    return 0;
}

const char16_t* CWindowWnd::GetSuperClassName() const
{
    return nullptr;
}

HWND CWindowWnd::CreateInRect(HWND hwndParent, const char16_t* pstrName, DWORD dwStyle, DWORD dwExStyle,
                              const RECT& rc, HMENU hMenu)
{
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                  hMenu);
}

HWND CWindowWnd::Create(HWND hwndParent, const char16_t* pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y,
                        int cx, int cy, HMENU hMenu)
{
    if (GetSuperClassName() != nullptr && !RegisterDerivedClass())
        return nullptr;
    if (GetSuperClassName() == nullptr && !RegisterOwnClass())
        return nullptr;
    m_hWnd = ::CreateWindowExW(dwExStyle, GetWindowClassName(), pstrName, dwStyle, x, y, cx, cy, hwndParent, hMenu,
                               CUIWindowManager::GetInstance(), this);
    return m_hWnd;
}

bool CWindowWnd::RegisterOwnClass()
{
    WNDCLASSW wc{};
    wc.style = GetClassStyle();
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hIcon = nullptr;
    wc.lpfnWndProc = CWindowWnd::StaticWindowProc;
    wc.hInstance = CUIWindowManager::GetInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = GetWindowClassName();
    const ATOM ret = ::RegisterClassW(&wc);
    return ret != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterDerivedClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(WNDCLASSEXW);
    if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &wc)) {
        if (!::GetClassInfoExW(CUIWindowManager::GetInstance(), GetSuperClassName(), &wc))
            return false;
    }
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = CWindowWnd::StaticPropWindowProc;
    wc.hInstance = CUIWindowManager::GetInstance();
    wc.lpszClassName = GetWindowClassName();
    const ATOM ret = ::RegisterClassExW(&wc);
    return ret != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Finds the object of a window in the creation record (WM_NCCREATE) or in
// its storage; at WM_NCDESTROY the object lets go of the window.
LRESULT CWindowWnd::routeMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, bool inProperty)
{
    CWindowWnd* pThis = nullptr;
    if (uMsg == WM_NCCREATE) {
        auto* lpcs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        pThis = static_cast<CWindowWnd*>(lpcs->lpCreateParams);
        pThis->m_hWnd = hWnd;
        if (inProperty)
            ::SetPropW(hWnd, u"WndX", static_cast<HANDLE>(pThis));
        else
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
    } else {
        pThis = inProperty ? static_cast<CWindowWnd*>(::GetPropW(hWnd, u"WndX"))
                           : reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (uMsg == WM_NCDESTROY && pThis) {
            const LRESULT lRes = ::CallWindowProcW(pThis->m_OldWndProc, hWnd, uMsg, wParam, lParam);
            if (inProperty)
                ::RemovePropW(hWnd, u"WndX");
            else
                ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0L);
            pThis->m_hWnd = nullptr;
            pThis->OnFinalMessage(hWnd);
            return lRes;
        }
    }
    if (pThis)
        return pThis->HandleMessage(uMsg, wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::StaticWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return routeMessage(hWnd, uMsg, wParam, lParam, false);
}

LRESULT CALLBACK CWindowWnd::StaticPropWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return routeMessage(hWnd, uMsg, wParam, lParam, true);
}

LRESULT CWindowWnd::SendToWindow(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostToWindow(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::Close(UINT nRet)
{
    if (!m_hWnd || !::IsWindow(m_hWnd))
        return;
    PostToWindow(WM_CLOSE, static_cast<WPARAM>(nRet), 0L);
}

void CWindowWnd::CenterWindow()
{
    if (!m_hWnd)
        return;
    RECT rcDlg{};
    ::GetWindowRect(m_hWnd, &rcDlg);
    HWND hWndOwner = ::GetWindow(m_hWnd, GW_OWNER);
    RECT rcArea{};
    RECT rcCenter{};
    MONITORINFO oMonitor{};
    oMonitor.cbSize = sizeof(oMonitor);
    ::GetMonitorInfoW(::MonitorFromWindow(hWndOwner ? hWndOwner : m_hWnd, MONITOR_DEFAULTTONEAREST), &oMonitor);
    rcArea = oMonitor.rcWork;
    if (hWndOwner)
        ::GetWindowRect(hWndOwner, &rcCenter);
    else
        rcCenter = rcArea;
    const int DlgWidth = rcDlg.right - rcDlg.left;
    const int DlgHeight = rcDlg.bottom - rcDlg.top;
    int xLeft = (rcCenter.left + rcCenter.right) / 2 - DlgWidth / 2;
    int yTop = (rcCenter.top + rcCenter.bottom) / 2 - DlgHeight / 2;
    if (xLeft < rcArea.left)
        xLeft = rcArea.left;
    else if (xLeft + DlgWidth > rcArea.right)
        xLeft = rcArea.right - DlgWidth;
    if (yTop < rcArea.top)
        yTop = rcArea.top;
    else if (yTop + DlgHeight > rcArea.bottom)
        yTop = rcArea.bottom - DlgHeight;
    ::SetWindowPos(m_hWnd, nullptr, xLeft, yTop, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT nRes)
{
    HICON hIcon = static_cast<HICON>(::LoadImageW(CUIWindowManager::GetInstance(), MAKEINTRESOURCEW(nRes), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                                  LR_DEFAULTCOLOR));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hIcon));
    hIcon = static_cast<HICON>(::LoadImageW(CUIWindowManager::GetInstance(), MAKEINTRESOURCEW(nRes), IMAGE_ICON,
                                            ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                            LR_DEFAULTCOLOR));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
}

UINT CWindowWnd::Show(bool bShow, bool bTakeFocus)
{
    if (!m_hWnd || !::IsWindow(m_hWnd))
        return 0;
    const UINT res = ::ShowWindow(m_hWnd, bShow ? (bTakeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
    if (bShow && bTakeFocus)
        return ::BringWindowToTop(m_hWnd);
    return res;
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) {}
