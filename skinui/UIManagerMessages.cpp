// The message side of the window manager: painting, input routing, focus,
// tab order, capture, timers, tool tips and notifications.
#include "UIControl.h"
#include "UIManager.h"
#include "UIRender.h"

#include <cstring>
#include <cwctype>

HPEN uiUpdateRectPen();
CUIPtrArray& uiManagerList();

namespace {

bool classContains(CControlUI* pControl, const char16_t* part)
{
    const char16_t* cls = pControl->GetClass();
    return cls && wcsstr(cls, part) != nullptr;
}

} // namespace

// ---------------------------------------------------------------- lifecycle and tree

void CUIWindowManager::Init(HWND hWnd)
{
    m_hWndPaint = hWnd;
    m_hDcPaint = ::GetDC(hWnd);
    uiManagerList().Add(this);
}

HWND CUIWindowManager::GetPaintWindow() const
{
    return m_hWndPaint;
}

HDC CUIWindowManager::GetPaintDC() const
{
    return m_hDcPaint;
}

POINT CUIWindowManager::GetMousePos() const
{
    return m_ptLastMousePos;
}

CControlUI* CUIWindowManager::GetRoot() const
{
    return m_pRoot;
}

void CUIWindowManager::RequestLayout()
{
    m_bUpdateNeeded = true;
}

void CUIWindowManager::Invalidate(RECT& rcItem)
{
    if (m_hWndPaint)
        ::InvalidateRect(m_hWndPaint, &rcItem, FALSE);
}

bool CUIWindowManager::SetRootControl(CControlUI* pControl)
{
    SetFocus(nullptr);
    m_pEventKey = nullptr;
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    if (m_pRoot) {
        m_aPostPaintControls.Empty();
        ScheduleCleanup(m_pRoot);
    }
    m_pRoot = pControl;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    return AttachControls(pControl);
}

bool CUIWindowManager::AttachControls(CControlUI* pControl, CControlUI* pParent)
{
    if (!pControl)
        return false;
    pControl->SetManager(this, pParent ? pParent : pControl->GetParent(), true);
    pControl->FindControl(__FindControlFromNameHash, this, UIFIND_ALL);
    return true;
}

void CUIWindowManager::ForgetControl(CControlUI* pControl)
{
    if (!pControl)
        return;
    if (pControl == m_pEventKey)
        m_pEventKey = nullptr;
    if (pControl == m_pEventHover)
        m_pEventHover = nullptr;
    if (pControl == m_pEventClick)
        m_pEventClick = nullptr;
    if (pControl == m_pFocus)
        m_pFocus = nullptr;
    if (pControl == m_pRoot)
        m_pRoot = nullptr;
    KillTimer(pControl);
    const CUIString sName = pControl->GetName();
    if (!sName.IsEmpty() && pControl == m_mNameHash.Find(sName))
        m_mNameHash.Remove(sName);
    for (int i = 0; i < m_aAsyncNotify.GetSize(); i++) {
        auto* pMsg = static_cast<UINotifyMsg*>(m_aAsyncNotify[i]);
        if (pMsg->pSender == pControl)
            pMsg->pSender = nullptr;
    }
    const int iOverlay = m_aPostPaintControls.Find(pControl);
    if (iOverlay >= 0)
        m_aPostPaintControls.Remove(iOverlay);
}

void CUIWindowManager::ScheduleCleanup(CControlUI* pControl)
{
    pControl->SetManager(this, nullptr, false);
    m_aDelayedCleanup.Add(pControl);
    if (m_hWndPaint)
        ::PostMessageW(m_hWndPaint, WM_UI_CLEANUP, 0, 0);
}

CControlUI* CUIWindowManager::FindControl(POINT pt) const
{
    if (!m_pRoot)
        return nullptr;
    return m_pRoot->FindControl(__FindControlFromPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CUIWindowManager::FindControl(const char16_t* pstrName) const
{
    return static_cast<CControlUI*>(m_mNameHash.Find(pstrName));
}

CControlUI* CUIWindowManager::FindControlUnder(CControlUI* pParent, const char16_t* pstrName) const
{
    if (!pParent)
        pParent = m_pRoot;
    if (!pParent || !pstrName)
        return nullptr;
    return pParent->FindControl(__FindControlFromName, const_cast<char16_t*>(pstrName), UIFIND_ALL);
}

bool CUIWindowManager::ownsControl(CControlUI* pControl) const
{
    return pControl && pControl->GetManager() == this;
}

void CUIWindowManager::sendEvent(CControlUI* pControl, UIEventRecord& event)
{
    if (pControl)
        pControl->Event(event);
}

WORD CUIWindowManager::currentKeyState()
{
    WORD wState = 0;
    if (::GetKeyState(VK_CONTROL) < 0)
        wState |= UISTATE_CONTROL;
    if (::GetKeyState(VK_RBUTTON) < 0)
        wState |= UISTATE_RBUTTON;
    if (::GetKeyState(VK_LBUTTON) < 0)
        wState |= UISTATE_LBUTTON;
    if (::GetKeyState(VK_SHIFT) < 0)
        wState |= UISTATE_SHIFT;
    if (::GetKeyState(VK_MENU) < 0)
        wState |= UISTATE_ALT;
    return wState;
}

// ---------------------------------------------------------------- message handling

bool CUIWindowManager::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    if (!m_hWndPaint)
        return false;

    deliverQueuedNotifications();

    for (int i = 0; i < m_aMessageFilters.GetSize(); i++) {
        bool bHandled = false;
        LRESULT lResult =
            static_cast<IMessageFilterUI*>(m_aMessageFilters[i])->MessageHandler(uMsg, wParam, lParam, bHandled);
        if (bHandled) {
            lRes = lResult;
            return true;
        }
    }

    switch (uMsg) {
    case WM_UI_CLEANUP: {
        // Deleting may schedule more clean-up: take the list first.
        CUIPtrArray pending(m_aDelayedCleanup);
        m_aDelayedCleanup.Empty();
        for (int i = 0; i < pending.GetSize(); i++)
            delete static_cast<CControlUI*>(pending[i]);
        break;
    }
    case WM_CLOSE: {
        UIEventRecord event{};
        event.ptMouse = m_ptLastMousePos;
        event.dwTimestamp = ::GetTickCount();
        if (m_pEventHover) {
            event.Type = UIEVENT_MOUSELEAVE;
            event.pSender = m_pEventHover;
            sendEvent(m_pEventHover, event);
        }
        if (m_pEventClick) {
            event.Type = UIEVENT_BUTTONUP;
            event.pSender = m_pEventClick;
            sendEvent(m_pEventClick, event);
        }
        SetFocus(nullptr);
        HWND hwndParent = ::GetWindow(m_hWndPaint, GW_OWNER);
        if (hwndParent)
            ::SetFocus(hwndParent);
        break;
    }
    case WM_ERASEBKGND:
        lRes = 1;
        return true;
    case WM_PAINT:
        paint();
        return true;
    case WM_PRINTCLIENT: {
        if (!m_pRoot)
            break;
        RECT rcClient;
        ::GetClientRect(m_hWndPaint, &rcClient);
        HDC hDC = reinterpret_cast<HDC>(wParam);
        const int save = ::SaveDC(hDC);
        m_pRoot->DoPaint(hDC, rcClient);
        if ((lParam & PRF_CHILDREN) != 0) {
            HWND hWndChild = ::GetWindow(m_hWndPaint, GW_CHILD);
            while (hWndChild) {
                RECT rcPos{};
                ::GetWindowRect(hWndChild, &rcPos);
                ::MapWindowPoints(HWND_DESKTOP, m_hWndPaint, reinterpret_cast<LPPOINT>(&rcPos), 2);
                ::SetWindowOrgEx(hDC, -rcPos.left, -rcPos.top, nullptr);
                ::SendMessageW(hWndChild, WM_PRINT, wParam, lParam | PRF_NONCLIENT);
                hWndChild = ::GetWindow(hWndChild, GW_HWNDNEXT);
            }
        }
        ::RestoreDC(hDC, save);
        break;
    }
    case WM_GETMINMAXINFO: {
        auto* lpMMI = reinterpret_cast<LPMINMAXINFO>(lParam);
        if (m_szMinWindow.cx > 0)
            lpMMI->ptMinTrackSize.x = m_szMinWindow.cx;
        if (m_szMinWindow.cy > 0)
            lpMMI->ptMinTrackSize.y = m_szMinWindow.cy;
        if (m_szMaxWindow.cx > 0)
            lpMMI->ptMaxTrackSize.x = m_szMaxWindow.cx;
        if (m_szMaxWindow.cy > 0)
            lpMMI->ptMaxTrackSize.y = m_szMaxWindow.cy;
        break;
    }
    case WM_SIZE: {
        if (m_pFocus) {
            UIEventRecord event{};
            event.Type = UIEVENT_WINDOWSIZE;
            event.pSender = m_pFocus;
            event.dwTimestamp = ::GetTickCount();
            sendEvent(m_pFocus, event);
        }
        if (m_pRoot)
            m_pRoot->RequestLayout();
        return true;
    }
    case WM_TIMER: {
        for (int i = 0; i < m_aTimers.GetSize(); i++) {
            const auto* pTimer = static_cast<const TIMERINFO*>(m_aTimers[i]);
            if (pTimer->hWnd == m_hWndPaint && pTimer->uWinTimer == LOWORD(wParam) && !pTimer->bKilled) {
                UIEventRecord event{};
                event.Type = UIEVENT_TIMER;
                event.pSender = pTimer->pSender;
                event.wParam = pTimer->nLocalID;
                event.dwTimestamp = ::GetTickCount();
                sendEvent(pTimer->pSender, event);
                break;
            }
        }
        break;
    }
    case WM_MOUSEHOVER: {
        m_bMouseTracking = false;
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        CControlUI* pHover = FindControl(pt);
        if (!pHover)
            break;
        if (m_pEventHover) {
            UIEventRecord event{};
            event.ptMouse = pt;
            event.Type = UIEVENT_MOUSEHOVER;
            event.pSender = m_pEventHover;
            event.dwTimestamp = ::GetTickCount();
            sendEvent(m_pEventHover, event);
        }
        if (!pHover->GetToolTip().IsEmpty())
            showToolTip(pHover);
        return true;
    }
    case WM_MOUSELEAVE: {
        deactivateToolTip();
        if (m_bMouseTracking)
            ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, MAKELPARAM(-1, -1));
        m_bMouseTracking = false;
        break;
    }
    case WM_MOUSEMOVE: {
        if (!m_bMouseTracking) {
            TRACKMOUSEEVENT tme{};
            tme.cbSize = sizeof(TRACKMOUSEEVENT);
            tme.dwFlags = TME_HOVER | TME_LEAVE;
            tme.hwndTrack = m_hWndPaint;
            tme.dwHoverTime = m_hwndTooltip
                                  ? static_cast<DWORD>(::SendMessageW(m_hwndTooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0))
                                  : 400;
            ::TrackMouseEvent(&tme);
            m_bMouseTracking = true;
        }
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        m_ptLastMousePos = pt;
        CControlUI* pNewHover = FindControl(pt);
        if (pNewHover && pNewHover->GetManager() != this)
            break;
        UIEventRecord event{};
        event.ptMouse = pt;
        event.dwTimestamp = ::GetTickCount();
        if (pNewHover != m_pEventHover && m_pEventHover) {
            event.Type = UIEVENT_MOUSELEAVE;
            event.pSender = m_pEventHover;
            CControlUI* pOld = m_pEventHover;
            m_pEventHover = nullptr;
            sendEvent(pOld, event);
            deactivateToolTip();
        }
        if (pNewHover != m_pEventHover && pNewHover) {
            event.Type = UIEVENT_MOUSEENTER;
            event.pSender = pNewHover;
            sendEvent(pNewHover, event);
            m_pEventHover = pNewHover;
        }
        // Handlers may have destroyed controls: take the current state.
        if (m_pEventClick) {
            event.Type = UIEVENT_MOUSEMOVE;
            event.pSender = m_pEventClick;
            sendEvent(m_pEventClick, event);
        } else if (pNewHover && pNewHover == m_pEventHover) {
            event.Type = UIEVENT_MOUSEMOVE;
            event.pSender = pNewHover;
            sendEvent(pNewHover, event);
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: {
        ::SetFocus(m_hWndPaint);
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        m_ptLastMousePos = pt;
        CControlUI* pControl = FindControl(pt);
        if (!pControl || pControl->GetManager() != this)
            break;
        m_pEventClick = pControl;
        if (uMsg != WM_LBUTTONDBLCLK)
            pControl->SetFocus();
        SetCapture();
        if (m_pEventClick != pControl)
            break; // the focus change removed the control
        UIEventRecord event{};
        event.Type = uMsg == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN
                     : uMsg == WM_RBUTTONDOWN ? UIEVENT_RBUTTONDOWN
                                              : UIEVENT_DBLCLICK;
        event.pSender = pControl;
        event.ptMouse = pt;
        event.wKeyState = static_cast<WORD>(wParam);
        if (uMsg != WM_LBUTTONDBLCLK) {
            event.wParam = wParam;
            event.lParam = lParam;
        }
        event.dwTimestamp = ::GetTickCount();
        sendEvent(pControl, event);
        break;
    }
    case WM_LBUTTONUP: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        m_ptLastMousePos = pt;
        if (!m_pEventClick)
            break;
        ReleaseCapture();
        CControlUI* pClick = m_pEventClick;
        m_pEventClick = nullptr;
        UIEventRecord event{};
        event.Type = UIEVENT_BUTTONUP;
        event.pSender = pClick;
        event.wParam = wParam;
        event.lParam = lParam;
        event.ptMouse = pt;
        event.wKeyState = static_cast<WORD>(wParam);
        event.dwTimestamp = ::GetTickCount();
        sendEvent(pClick, event);
        break;
    }
    case WM_CONTEXTMENU: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMousePos = pt;
        if (!m_pEventClick)
            break;
        ReleaseCapture();
        CControlUI* pClick = m_pEventClick;
        m_pEventClick = nullptr;
        UIEventRecord event{};
        event.Type = UIEVENT_CONTEXTMENU;
        event.pSender = pClick;
        event.ptMouse = pt;
        event.wKeyState = static_cast<WORD>(wParam);
        event.lParam = reinterpret_cast<LPARAM>(pClick);
        event.dwTimestamp = ::GetTickCount();
        sendEvent(pClick, event);
        break;
    }
    case WM_MOUSEWHEEL: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMousePos = pt;
        CControlUI* pControl = FindControl(pt);
        if (!pControl || pControl->GetManager() != this)
            break;
        const int zDelta = static_cast<int>(static_cast<short>(HIWORD(wParam)));
        UIEventRecord event{};
        event.Type = UIEVENT_SCROLLWHEEL;
        event.pSender = pControl;
        event.wParam = zDelta < 0 ? 1 : 0;
        event.lParam = lParam;
        event.ptMouse = pt;
        event.wKeyState = currentKeyState();
        event.dwTimestamp = ::GetTickCount();
        sendEvent(pControl, event);
        // The hover state follows the scrolled content.
        ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, MAKELPARAM(m_ptLastMousePos.x, m_ptLastMousePos.y));
        break;
    }
    case WM_KEYDOWN: {
        if (!m_pFocus)
            break;
        UIEventRecord event{};
        event.Type = UIEVENT_KEYDOWN;
        event.chKey = static_cast<WCHAR>(wParam);
        event.ptMouse = m_ptLastMousePos;
        event.wKeyState = currentKeyState();
        event.dwTimestamp = ::GetTickCount();
        m_pEventKey = m_pFocus;
        sendEvent(m_pFocus, event);
        break;
    }
    case WM_KEYUP: {
        if (!m_pEventKey)
            break;
        UIEventRecord event{};
        event.Type = UIEVENT_KEYUP;
        event.chKey = static_cast<WCHAR>(wParam);
        event.ptMouse = m_ptLastMousePos;
        event.wKeyState = currentKeyState();
        event.dwTimestamp = ::GetTickCount();
        CControlUI* pKey = m_pEventKey;
        m_pEventKey = nullptr;
        sendEvent(pKey, event);
        break;
    }
    case WM_CHAR: {
        if (!m_pFocus)
            break;
        UIEventRecord event{};
        event.Type = UIEVENT_CHAR;
        event.chKey = static_cast<WCHAR>(wParam);
        event.ptMouse = m_ptLastMousePos;
        event.wKeyState = currentKeyState();
        event.dwTimestamp = ::GetTickCount();
        sendEvent(m_pFocus, event);
        break;
    }
    case WM_SETCURSOR: {
        if (LOWORD(lParam) != HTCLIENT)
            break;
        if (m_bMouseCapture)
            return true;
        POINT pt{};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWndPaint, &pt);
        CControlUI* pControl = FindControl(pt);
        if (!pControl)
            break;
        if ((pControl->GetInputFlags() & UIFLAG_SETCURSOR) == 0)
            break;
        UIEventRecord event{};
        event.Type = UIEVENT_SETCURSOR;
        event.wParam = wParam;
        event.lParam = lParam;
        event.ptMouse = pt;
        event.wKeyState = currentKeyState();
        event.dwTimestamp = ::GetTickCount();
        sendEvent(pControl, event);
        return true;
    }
    case WM_NOTIFY: {
        auto* lpNMHDR = reinterpret_cast<LPNMHDR>(lParam);
        if (lpNMHDR)
            lRes = ::SendMessageW(lpNMHDR->hwndFrom, OCM__BASE + uMsg, wParam, lParam);
        if (!lpNMHDR)
            break;
        return true;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        if (lParam == 0)
            break;
        HWND hWndChild = reinterpret_cast<HWND>(lParam);
        lRes = ::SendMessageW(hWndChild, OCM__BASE + uMsg, wParam, lParam);
        return true;
    }
    default:
        break;
    }

    deliverQueuedNotifications();
    return false;
}

// ---------------------------------------------------------------- painting

void CUIWindowManager::paint()
{
    RECT rcPaint{};
    if (!::GetUpdateRect(m_hWndPaint, &rcPaint, FALSE) || !m_pRoot || ::IsIconic(m_hWndPaint)) {
        PAINTSTRUCT ps{};
        ::BeginPaint(m_hWndPaint, &ps);
        ::EndPaint(m_hWndPaint, &ps);
        return;
    }
    if (m_bUpdateNeeded) {
        m_bUpdateNeeded = false;
        RECT rcClient{};
        ::GetClientRect(m_hWndPaint, &rcClient);
        if (!::IsRectEmpty(&rcClient)) {
            if (m_pRoot->IsLayoutRequested()) {
                m_pRoot->SetPos(rcClient);
                if (m_hDcOffscreen)
                    ::DeleteDC(m_hDcOffscreen);
                if (m_hDcBackground)
                    ::DeleteDC(m_hDcBackground);
                if (m_hbmpOffscreen)
                    ::DeleteObject(m_hbmpOffscreen);
                if (m_hbmpBackground)
                    ::DeleteObject(m_hbmpBackground);
                m_hDcOffscreen = nullptr;
                m_hDcBackground = nullptr;
                m_hbmpOffscreen = nullptr;
                m_hbmpBackground = nullptr;
            } else {
                // Bounded: each pass clears the layout request it answers.
                for (int guard = 0; guard < 100000; ++guard) {
                    CControlUI* pControl =
                        m_pRoot->FindControl(__FindControlFromUpdate, nullptr, UIFIND_VISIBLE | UIFIND_ME_FIRST);
                    if (!pControl)
                        break;
                    pControl->SetPos(pControl->GetPos());
                }
            }
            if (m_bFirstLayout) {
                m_bFirstLayout = false;
                SendNotify(m_pRoot, u"windowinit", 0, 0, false);
            }
        }
    }
    if (m_bFocusNeeded)
        SetNextTabStop();
    if (!m_pRoot) {
        // A notification handler removed the tree.
        PAINTSTRUCT ps{};
        ::BeginPaint(m_hWndPaint, &ps);
        ::EndPaint(m_hWndPaint, &ps);
        return;
    }
    RECT rcClient{};
    ::GetClientRect(m_hWndPaint, &rcClient);
    if (m_bOffscreenPaint && !m_hbmpOffscreen) {
        m_hDcOffscreen = ::CreateCompatibleDC(m_hDcPaint);
        m_hbmpOffscreen = ::CreateCompatibleBitmap(m_hDcPaint, rcClient.right - rcClient.left,
                                                   rcClient.bottom - rcClient.top);
    }
    PAINTSTRUCT ps{};
    ::BeginPaint(m_hWndPaint, &ps);
    if (m_bOffscreenPaint && m_hDcOffscreen && m_hbmpOffscreen) {
        HBITMAP hOldBitmap = static_cast<HBITMAP>(::SelectObject(m_hDcOffscreen, m_hbmpOffscreen));
        const int iSaveDC = ::SaveDC(m_hDcOffscreen);
        if (m_bAlphaBackground) {
            if (!m_hbmpBackground) {
                m_hDcBackground = ::CreateCompatibleDC(m_hDcPaint);
                m_hbmpBackground = ::CreateCompatibleBitmap(m_hDcPaint, rcClient.right - rcClient.left,
                                                            rcClient.bottom - rcClient.top);
                ::SelectObject(m_hDcBackground, m_hbmpBackground);
                ::BitBlt(m_hDcBackground, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                         ps.rcPaint.bottom - ps.rcPaint.top, ps.hdc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
            } else {
                ::SelectObject(m_hDcBackground, m_hbmpBackground);
            }
            ::BitBlt(m_hDcOffscreen, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                     ps.rcPaint.bottom - ps.rcPaint.top, m_hDcBackground, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        }
        m_pRoot->DoPaint(m_hDcOffscreen, ps.rcPaint);
        for (int i = 0; i < m_aPostPaintControls.GetSize(); i++) {
            auto* pPostPaintControl = static_cast<CControlUI*>(m_aPostPaintControls[i]);
            pPostPaintControl->PaintOverlay(m_hDcOffscreen, ps.rcPaint);
        }
        ::RestoreDC(m_hDcOffscreen, iSaveDC);
        ::BitBlt(ps.hdc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, m_hDcOffscreen, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        ::SelectObject(m_hDcOffscreen, hOldBitmap);
        if (m_bShowUpdateRect) {
            HPEN hOldPen = static_cast<HPEN>(::SelectObject(ps.hdc, uiUpdateRectPen()));
            ::SelectObject(ps.hdc, ::GetStockObject(HOLLOW_BRUSH));
            ::Rectangle(ps.hdc, rcPaint.left, rcPaint.top, rcPaint.right, rcPaint.bottom);
            ::SelectObject(ps.hdc, hOldPen);
        }
    } else {
        const int iSaveDC = ::SaveDC(ps.hdc);
        m_pRoot->DoPaint(ps.hdc, ps.rcPaint);
        ::RestoreDC(ps.hdc, iSaveDC);
    }
    ::EndPaint(m_hWndPaint, &ps);
    if (m_bUpdateNeeded)
        ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

// ---------------------------------------------------------------- tool tips

void CUIWindowManager::deactivateToolTip()
{
    if (m_hwndTooltip)
        ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_ToolTip));
}

void CUIWindowManager::showToolTip(CControlUI* pHover)
{
    // The text must outlive the call: the tool keeps a pointer to it.
    static CUIString sToolTip;
    sToolTip = pHover->GetToolTip();
    std::memset(&m_ToolTip, 0, sizeof(TOOLINFOW));
    m_ToolTip.cbSize = 44;
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = GetInstance();
    m_ToolTip.lpszText = const_cast<LPWSTR>(sToolTip.GetData());
    m_ToolTip.rect = pHover->GetPos();
    if (!m_hwndTooltip) {
        m_hwndTooltip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWndPaint,
                                          nullptr, GetInstance(), nullptr);
        if (m_hwndTooltip)
            ::SendMessageW(m_hwndTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    if (!m_hwndTooltip)
        return;
    ::SendMessageW(m_hwndTooltip, TTM_SETMAXTIPWIDTH, 0, pHover->GetToolTipWidth());
    ::SendMessageW(m_hwndTooltip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_ToolTip));
}

// ---------------------------------------------------------------- pre-filtering

bool CUIWindowManager::PreFilterMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    for (int i = 0; i < m_aPreMessageFilters.GetSize(); i++) {
        bool bHandled = false;
        LRESULT lResult =
            static_cast<IMessageFilterUI*>(m_aPreMessageFilters[i])->MessageHandler(uMsg, wParam, lParam, bHandled);
        if (bHandled) {
            lRes = lResult;
            return true;
        }
    }
    switch (uMsg) {
    case WM_KEYDOWN: {
        if (wParam == VK_TAB) {
            // A rich edit control that wants the Tab key answers "WantTab".
            if (m_pFocus && m_pFocus->IsVisible() && m_pFocus->IsEnabled() &&
                classContains(m_pFocus, u"RichEditUI") && m_pFocus->GetInterface(u"WantTab"))
                return false;
            SetNextTabStop(::GetKeyState(VK_SHIFT) >= 0);
            return true;
        }
        break;
    }
    case WM_SYSCHAR: {
        if (!m_pRoot)
            break;
        FINDSHORTCUT fs{};
        fs.ch = static_cast<char16_t>(towupper(static_cast<wint_t>(wParam)));
        CControlUI* pControl = m_pRoot->FindControl(__FindControlFromShortcut, &fs, UIFIND_ENABLED | UIFIND_ME_FIRST | UIFIND_TOP_FIRST);
        if (pControl) {
            pControl->SetFocus();
            pControl->Activate();
            return true;
        }
        break;
    }
    case WM_SYSKEYDOWN: {
        if (m_pFocus) {
            UIEventRecord event{};
            event.Type = UIEVENT_SYSKEY;
            event.chKey = static_cast<WCHAR>(wParam);
            event.ptMouse = m_ptLastMousePos;
            event.wKeyState = currentKeyState();
            event.dwTimestamp = ::GetTickCount();
            sendEvent(m_pFocus, event);
        }
        break;
    }
    default:
        break;
    }
    return false;
}

bool CUIWindowManager::TranslateMessage(const LPMSG pMsg)
{
    const UINT uStyle = static_cast<UINT>(GetWindowLongW(pMsg->hwnd, GWL_STYLE));
    CUIPtrArray& managers = uiManagerList();
    CUIWindowManager* pFound = nullptr;
    if (uStyle & WS_CHILD) {
        for (int i = 0; i < managers.GetSize() && !pFound; i++) {
            auto* pT = static_cast<CUIWindowManager*>(managers[i]);
            HWND hTempParent = pMsg->hwnd;
            while (hTempParent) {
                if (pMsg->hwnd == pT->GetPaintWindow() || pT->GetPaintWindow() == hTempParent) {
                    pFound = pT;
                    break;
                }
                hTempParent = GetParent(hTempParent);
            }
        }
    } else {
        for (int i = 0; i < managers.GetSize(); i++) {
            auto* pT = static_cast<CUIWindowManager*>(managers[i]);
            if (pMsg->hwnd == pT->GetPaintWindow()) {
                pFound = pT;
                break;
            }
        }
    }
    if (!pFound)
        return false;
    for (int i = 0; i < pFound->m_aTranslateAccelerator.GetSize(); i++) {
        LRESULT lResult =
            static_cast<ITranslateAccelerator*>(pFound->m_aTranslateAccelerator[i])->TranslateAccelerator(pMsg);
        if (lResult == 0)
            return true;
    }
    LRESULT lRes = 0;
    return pFound->PreFilterMessage(pMsg->message, pMsg->wParam, pMsg->lParam, lRes);
}

int CUIWindowManager::RunMessageLoop()
{
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0)) {
        if (!CUIWindowManager::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return 0;
}

// ---------------------------------------------------------------- focus and tab order

CControlUI* CUIWindowManager::GetFocus() const
{
    return m_pFocus;
}

void CUIWindowManager::SetFocus(CControlUI* pControl)
{
    HWND hFocusWnd = ::GetFocus();
    if (hFocusWnd != m_hWndPaint && pControl != m_pFocus && m_hWndPaint)
        ::SetFocus(m_hWndPaint);
    if (pControl == m_pFocus)
        return;
    if (m_pFocus) {
        CControlUI* pOld = m_pFocus;
        UIEventRecord event{};
        event.Type = UIEVENT_KILLFOCUS;
        event.pSender = pControl;
        event.dwTimestamp = ::GetTickCount();
        pOld->Event(event);
        SendNotify(pOld, u"killfocus");
        m_pFocus = nullptr;
    }
    if (!pControl)
        return;
    if (pControl->GetManager() == this && pControl->IsVisible() && pControl->IsEnabled()) {
        m_pFocus = pControl;
        UIEventRecord event{};
        event.Type = UIEVENT_SETFOCUS;
        event.pSender = pControl;
        event.dwTimestamp = ::GetTickCount();
        m_pFocus->Event(event);
        SendNotify(m_pFocus, u"setfocus");
    }
}

void CUIWindowManager::RequestFocus(CControlUI* pControl)
{
    if (m_hWndPaint)
        ::SetFocus(m_hWndPaint);
    if (!pControl)
        return;
    if (m_pFocus) {
        CControlUI* pOld = m_pFocus;
        UIEventRecord event{};
        event.Type = UIEVENT_KILLFOCUS;
        event.pSender = pControl;
        event.dwTimestamp = ::GetTickCount();
        pOld->Event(event);
        SendNotify(pOld, u"killfocus");
        m_pFocus = nullptr;
    }
    FINDTABINFO info{};
    info.pFocus = pControl;
    info.bForward = false;
    if (m_pRoot)
        m_pFocus = m_pRoot->FindControl(__FindControlFromTab, &info, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    m_bFocusNeeded = true;
    if (m_pRoot)
        m_pRoot->RequestLayout();
}

bool CUIWindowManager::SetNextTabStop(bool bForward)
{
    if (m_bUpdateNeeded && bForward) {
        m_bFocusNeeded = true;
        if (m_hWndPaint)
            ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
        return true;
    }
    if (!m_pRoot) {
        m_bFocusNeeded = false;
        return true;
    }
    FINDTABINFO info1{};
    info1.pFocus = m_pFocus;
    info1.bForward = bForward;
    CControlUI* pControl =
        m_pRoot->FindControl(__FindControlFromTab, &info1, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    if (!pControl) {
        if (bForward) {
            FINDTABINFO info2{};
            info2.pFocus = bForward ? nullptr : info1.pLast;
            info2.bForward = bForward;
            pControl =
                m_pRoot->FindControl(__FindControlFromTab, &info2, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
        } else {
            pControl = info1.pLast;
        }
    }
    if (pControl)
        SetFocus(pControl);
    m_bFocusNeeded = false;
    return true;
}

void CUIWindowManager::SetCapture()
{
    ::SetCapture(m_hWndPaint);
    m_bMouseCapture = true;
}

void CUIWindowManager::ReleaseCapture()
{
    ::ReleaseCapture();
    m_bMouseCapture = false;
}

bool CUIWindowManager::IsCaptured() const
{
    return m_bMouseCapture;
}

// ---------------------------------------------------------------- timers

// The next free timer id of this window: ids are never shared by two records,
// so a tick always reaches the control that asked for it.
UINT CUIWindowManager::nextTimerId() const
{
    UINT id = m_uTimerID;
    for (int tries = 0; tries < 0x10000; ++tries) {
        id = (id + 1) % 0x10000;
        if (id == 0)
            continue;
        bool used = false;
        for (int i = 0; i < m_aTimers.GetSize() && !used; i++) {
            const auto* pTimer = static_cast<const TIMERINFO*>(m_aTimers[i]);
            used = pTimer->hWnd == m_hWndPaint && pTimer->uWinTimer == id;
        }
        if (!used)
            return id;
    }
    return 0;
}

bool CUIWindowManager::SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse)
{
    if (!pControl)
        return false;
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        auto* pTimer = static_cast<TIMERINFO*>(m_aTimers[i]);
        if (pTimer->pSender == pControl && pTimer->hWnd == m_hWndPaint && pTimer->nLocalID == nTimerID) {
            if (pTimer->bKilled) {
                if (::SetTimer(m_hWndPaint, pTimer->uWinTimer, uElapse, nullptr)) {
                    pTimer->bKilled = false;
                    return true;
                }
                return false;
            }
            return false;
        }
    }
    const UINT id = nextTimerId();
    if (id == 0)
        return false;
    m_uTimerID = id;
    if (!::SetTimer(m_hWndPaint, id, uElapse, nullptr))
        return false;
    auto* pTimer = new TIMERINFO{pControl, nTimerID, m_hWndPaint, id, false};
    if (!m_aTimers.Add(pTimer)) {
        ::KillTimer(m_hWndPaint, id);
        delete pTimer;
        return false;
    }
    return true;
}

bool CUIWindowManager::KillTimer(CControlUI* pControl, UINT nTimerID)
{
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        auto* pTimer = static_cast<TIMERINFO*>(m_aTimers[i]);
        if (pTimer->pSender == pControl && pTimer->hWnd == m_hWndPaint && pTimer->nLocalID == nTimerID) {
            if (!pTimer->bKilled) {
                if (::IsWindow(m_hWndPaint))
                    ::KillTimer(pTimer->hWnd, pTimer->uWinTimer);
                pTimer->bKilled = true;
                return true;
            }
        }
    }
    return false;
}

int CUIWindowManager::KillTimer(CControlUI* pControl)
{
    int count = 0;
    for (int i = m_aTimers.GetSize() - 1; i >= 0; i--) {
        auto* pTimer = static_cast<TIMERINFO*>(m_aTimers[i]);
        if (pTimer->pSender == pControl && pTimer->hWnd == m_hWndPaint) {
            if (!pTimer->bKilled && ::IsWindow(m_hWndPaint))
                ::KillTimer(pTimer->hWnd, pTimer->uWinTimer);
            delete pTimer;
            m_aTimers.Remove(i);
            ++count;
        }
    }
    return count;
}

void CUIWindowManager::removeAllTimers()
{
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        auto* pTimer = static_cast<TIMERINFO*>(m_aTimers[i]);
        if (!pTimer->bKilled && ::IsWindow(m_hWndPaint))
            ::KillTimer(pTimer->hWnd, pTimer->uWinTimer);
        delete pTimer;
    }
    m_aTimers.Empty();
}

// ---------------------------------------------------------------- notifications and lists

void CUIWindowManager::SendNotify(CControlUI* pControl, const char16_t* pstrMessage, WPARAM wParam, LPARAM lParam,
                                  bool bAsync)
{
    UINotifyMsg Msg;
    Msg.pSender = pControl;
    Msg.sType = pstrMessage;
    Msg.wParam = wParam;
    Msg.lParam = lParam;
    SendNotify(Msg, bAsync);
}

void CUIWindowManager::SendNotify(UINotifyMsg& Msg, bool bAsync)
{
    Msg.ptMouse = m_ptLastMousePos;
    Msg.dwTimestamp = ::GetTickCount();
    if (m_bUsedVirtualWnd && Msg.pSender)
        Msg.sVirtualWnd = Msg.pSender->GetVirtualWindow();
    if (!bAsync) {
        if (Msg.pSender && Msg.pSender->OnNotify.HasHandlers())
            Msg.pSender->OnNotify(&Msg);
        for (int i = 0; i < m_aNotifiers.GetSize(); i++)
            static_cast<INotifyUI*>(m_aNotifiers[i])->Notify(Msg);
        return;
    }
    auto* pMsg = new UINotifyMsg;
    pMsg->pSender = Msg.pSender;
    pMsg->sType = Msg.sType;
    pMsg->wParam = Msg.wParam;
    pMsg->lParam = Msg.lParam;
    pMsg->ptMouse = Msg.ptMouse;
    pMsg->dwTimestamp = Msg.dwTimestamp;
    if (!m_aAsyncNotify.Add(pMsg))
        delete pMsg;
}

void CUIWindowManager::deliverQueuedNotifications()
{
    while (m_aAsyncNotify.GetSize() > 0) {
        auto* pMsg = static_cast<UINotifyMsg*>(m_aAsyncNotify.GetAt(0));
        m_aAsyncNotify.Remove(0);
        if (pMsg->pSender && pMsg->pSender->OnNotify.HasHandlers())
            pMsg->pSender->OnNotify(pMsg);
        for (int j = 0; j < m_aNotifiers.GetSize(); j++)
            static_cast<INotifyUI*>(m_aNotifiers[j])->Notify(*pMsg);
        delete pMsg;
    }
}

namespace {

bool appendTo(CUIPtrArray& list, void* p)
{
    return list.Add(p);
}

bool removeFirst(CUIPtrArray& list, void* p)
{
    const int i = list.Find(p);
    if (i < 0)
        return false;
    return list.Remove(i);
}

} // namespace

bool CUIWindowManager::AddNotifier(INotifyUI* pNotifier)
{
    return appendTo(m_aNotifiers, pNotifier);
}

bool CUIWindowManager::RemoveNotifier(INotifyUI* pNotifier)
{
    return removeFirst(m_aNotifiers, pNotifier);
}

bool CUIWindowManager::AddPreFilter(IMessageFilterUI* pFilter)
{
    return appendTo(m_aPreMessageFilters, pFilter);
}

bool CUIWindowManager::RemovePreFilter(IMessageFilterUI* pFilter)
{
    return removeFirst(m_aPreMessageFilters, pFilter);
}

bool CUIWindowManager::AddMessageFilter(IMessageFilterUI* pFilter)
{
    return appendTo(m_aMessageFilters, pFilter);
}

bool CUIWindowManager::RemoveMessageFilter(IMessageFilterUI* pFilter)
{
    return removeFirst(m_aMessageFilters, pFilter);
}

bool CUIWindowManager::AddOverlayPainter(CControlUI* pControl)
{
    return appendTo(m_aPostPaintControls, pControl);
}

bool CUIWindowManager::RemoveOverlayPainter(CControlUI* pControl)
{
    return removeFirst(m_aPostPaintControls, pControl);
}

bool CUIWindowManager::AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator)
{
    return appendTo(m_aTranslateAccelerator, pTranslateAccelerator);
}

bool CUIWindowManager::RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator)
{
    return removeFirst(m_aTranslateAccelerator, pTranslateAccelerator);
}

void CUIWindowManager::EnableVirtualWindows(bool bEnable)
{
    m_bUsedVirtualWnd = bEnable;
}

// ---------------------------------------------------------------- tree searches

CControlUI* CUIWindowManager::__FindControlFromNameHash(CControlUI* pThis, void* pData)
{
    auto* pManager = static_cast<CUIWindowManager*>(pData);
    const CUIString sName = pThis->GetName();
    if (sName.IsEmpty())
        return nullptr;
    // A later control replaces an earlier one of the same name.
    pManager->m_mNameHash.Set(sName, pThis);
    return nullptr; // walk the whole tree
}

CControlUI* CUIWindowManager::__FindControlFromCount(CControlUI*, void* pData)
{
    int* pnCount = static_cast<int*>(pData);
    (*pnCount)++;
    return nullptr;
}

CControlUI* CUIWindowManager::__FindControlFromPoint(CControlUI* pThis, void* pData)
{
    auto* pPoint = static_cast<POINT*>(pData);
    return ::PtInRect(&pThis->GetPos(), *pPoint) ? pThis : nullptr;
}

CControlUI* CUIWindowManager::__FindControlFromTab(CControlUI* pThis, void* pData)
{
    auto* pInfo = static_cast<FINDTABINFO*>(pData);
    if (pInfo->pFocus == pThis) {
        if (pInfo->bForward)
            pInfo->bNextIsIt = true;
        return pInfo->bForward ? nullptr : pInfo->pLast;
    }
    if ((pThis->GetInputFlags() & UIFLAG_TABSTOP) == 0)
        return nullptr;
    pInfo->pLast = pThis;
    if (pInfo->bNextIsIt)
        return pThis;
    if (!pInfo->pFocus)
        return pThis;
    return nullptr;
}

CControlUI* CUIWindowManager::__FindControlFromShortcut(CControlUI* pThis, void* pData)
{
    if (!pThis->IsVisible())
        return nullptr;
    auto* pFS = static_cast<FINDSHORTCUT*>(pData);
    if (pFS->ch == static_cast<char16_t>(towupper(static_cast<wint_t>(pThis->GetShortcut()))))
        pFS->bPickNext = true;
    if (classContains(pThis, u"LabelUI"))
        return nullptr; // labels hand their shortcut to the next control
    return pFS->bPickNext ? pThis : nullptr;
}

CControlUI* CUIWindowManager::__FindControlFromUpdate(CControlUI* pThis, void*)
{
    return pThis->IsLayoutRequested() ? pThis : nullptr;
}

CControlUI* CUIWindowManager::__FindControlFromName(CControlUI* pThis, void* pData)
{
    const auto* pstrName = static_cast<const char16_t*>(pData);
    const CUIString sName = pThis->GetName();
    if (sName.IsEmpty())
        return nullptr;
    return sName.CompareNoCase(pstrName) == 0 ? pThis : nullptr;
}
