// The window manager's message handling: input routing to the controls and
// the pre-filtering of keys before dispatch.
#include "skinui/UIControl.h"
#include "skinui/UIManager.h"
#include "skinui/UIManagerInternal.h"
#include "skinui/UIRender.h"

#include <cstring>
#include <cwctype>

// Offers a message to the filters in order; the first that handles it ends
// the search with its result.
bool CUIWindowManager::offerToFilters(const CUIPtrArray& filters, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& lRes)
{
    for (int i = 0; i < filters.GetSize(); i++) {
        bool bHandled = false;
        const LRESULT lResult =
            static_cast<IMessageFilterUI*>(filters[i])->MessageHandler(uMsg, wParam, lParam, bHandled);
        if (bHandled) {
            lRes = lResult;
            return true;
        }
    }
    return false;
}

// A key event: no sender, the last mouse position, the current key states.
CControlUI* CUIWindowManager::TakeClickControl()
{
    if (!m_pEventClick)
        return nullptr;
    ReleaseCapture();
    CControlUI* pClick = m_pEventClick;
    m_pEventClick = nullptr;
    return pClick;
}

UIEventRecord CUIWindowManager::keyEvent(int type, WPARAM wParam) const
{
    UIEventRecord event{};
    event.Type = type;
    event.chKey = static_cast<WCHAR>(wParam);
    event.ptMouse = m_ptLastMousePos;
    event.wKeyState = currentKeyState();
    event.dwTimestamp = ::GetTickCount();
    return event;
}

// ---------------------------------------------------------------- message handling

bool CUIWindowManager::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    if (!m_hWndPaint)
        return false;

    deliverQueuedNotifications();

    if (offerToFilters(m_aMessageFilters, uMsg, wParam, lParam, lRes))
        return true;

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
        CControlUI* pClick = TakeClickControl();
        if (!pClick)
            break;
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
        CControlUI* pClick = TakeClickControl();
        if (!pClick)
            break;
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
        UIEventRecord event = keyEvent(UIEVENT_KEYDOWN, wParam);
        m_pEventKey = m_pFocus;
        sendEvent(m_pFocus, event);
        break;
    }
    case WM_KEYUP: {
        if (!m_pEventKey)
            break;
        UIEventRecord event = keyEvent(UIEVENT_KEYUP, wParam);
        CControlUI* pKey = m_pEventKey;
        m_pEventKey = nullptr;
        sendEvent(pKey, event);
        break;
    }
    case WM_CHAR: {
        if (!m_pFocus)
            break;
        UIEventRecord event = keyEvent(UIEVENT_CHAR, wParam);
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

// ---------------------------------------------------------------- pre-filtering

bool CUIWindowManager::PreFilterMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    if (offerToFilters(m_aPreMessageFilters, uMsg, wParam, lParam, lRes))
        return true;
    switch (uMsg) {
    case WM_KEYDOWN: {
        if (wParam == VK_TAB) {
            // A rich edit control that wants the Tab key answers "WantTab".
            if (m_pFocus && m_pFocus->IsVisible() && m_pFocus->IsEnabled() &&
                uiClassContains(m_pFocus, u"RichEditUI") && m_pFocus->GetInterface(u"WantTab"))
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
            UIEventRecord event = keyEvent(UIEVENT_SYSKEY, wParam);
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
