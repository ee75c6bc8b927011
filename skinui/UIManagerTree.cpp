// The window manager's control tree: attaching, forgetting, finding and
// cleaning up controls.
#include "skinui/UIControl.h"
#include "skinui/UIManager.h"
#include "skinui/UIManagerInternal.h"
#include "skinui/UIRender.h"

#include <cstring>
#include <cwctype>

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
    if (uiClassContains(pThis, u"LabelUI"))
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

bool uiClassContains(CControlUI* pControl, const char16_t* part)
{
    const char16_t* cls = pControl->GetClass();
    return cls && wcsstr(cls, part) != nullptr;
}
