// The window manager's control timers, notifications and listener lists.
#include "skinui/UIControl.h"
#include "skinui/UIManager.h"
#include "skinui/UIManagerInternal.h"
#include "skinui/UIRender.h"

#include <cstring>
#include <cwctype>

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
