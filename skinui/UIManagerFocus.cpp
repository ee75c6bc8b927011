// The window manager's focus, tab order and capture.
#include "skinui/UIControl.h"
#include "skinui/UIManager.h"
#include "skinui/UIManagerInternal.h"
#include "skinui/UIRender.h"

#include <cstring>
#include <cwctype>

// ---------------------------------------------------------------- focus and tab order

// The focused control loses the focus (event 20 with the new focus control as
// sender, then "killfocus").
void CUIWindowManager::takeFocusFrom(CControlUI* pNewFocus)
{
    if (!m_pFocus)
        return;
    CControlUI* pOld = m_pFocus;
    UIEventRecord event{};
    event.Type = UIEVENT_KILLFOCUS;
    event.pSender = pNewFocus;
    event.dwTimestamp = ::GetTickCount();
    pOld->Event(event);
    SendNotify(pOld, u"killfocus");
    m_pFocus = nullptr;
}

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
    takeFocusFrom(pControl);
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
    takeFocusFrom(pControl);
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
