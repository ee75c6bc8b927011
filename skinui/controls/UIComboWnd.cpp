#include "skinui/controls/UIComboWnd.h"

#include "skinui/controls/UICombo.h"
#include "skinui/UIStateBits.h"
#include "skinui/controls/UIScrollBar.h"
#include "skinui/layouts/UIVerticalLayout.h"

#include <algorithm>

namespace {

// What the pop-up looks like before the skin's drop box attributes apply.
constexpr DWORD kPopupBkColour = 0xFFFFFFFF;
constexpr DWORD kPopupBorderColour = 0xFFC6C7D2;
// Room for the pop-up's border around the rows.
constexpr int kPopupFrame = 4;

} // namespace

CComboWnd::CComboWnd() : m_pOwner(nullptr), m_pLayout(nullptr), m_iOldSel(-1), m_rcPopup{0, 0, 0, 0}, m_bRowsBack(false)
{
}

const char16_t* CComboWnd::GetWindowClassName() const { return u"ComboWnd"; }
const char16_t* CComboWnd::GetSuperClassName() const { return nullptr; }
UINT CComboWnd::GetClassStyle() const { return 0; }
RECT CComboWnd::GetPopupRect() const { return m_rcPopup; }
CVerticalLayoutUI* CComboWnd::GetLayout() const { return m_pLayout; }
CUIWindowManager& CComboWnd::GetManager() { return m_pm; }

void CComboWnd::Init(CComboUI* pOwner)
{
    m_pOwner = pOwner;
    m_iOldSel = m_pOwner->GetCurSel();

    const RECT rcOwner = pOwner->GetPos();
    RECT rc = rcOwner;
    const SIZE szDrop = m_pOwner->GetDropBoxSize();
    rc.top = rc.bottom;
    rc.bottom = rc.top + szDrop.cy;
    if (szDrop.cx > 0)
        rc.right = rc.left + szDrop.cx;

    const SIZE szAvailable = {rc.right - rc.left, rc.bottom - rc.top};
    int cyFixed = 0;
    for (int it = 0; it < pOwner->GetCount(); it++) {
        CControlUI* pControl = pOwner->GetItemAt(it);
        if (!pControl->IsVisible())
            continue;
        cyFixed += pControl->PreferredSize(szAvailable).cy;
    }
    cyFixed += kPopupFrame;
    rc.bottom = rc.top + std::min(cyFixed, static_cast<int>(szDrop.cy));

    HWND hWndOwner = pOwner->GetManager() ? pOwner->GetManager()->GetPaintWindow() : nullptr;
    ::MapWindowPoints(hWndOwner, nullptr, reinterpret_cast<LPPOINT>(&rc), 2);

    MONITORINFO oMonitor = {};
    oMonitor.cbSize = sizeof(oMonitor);
    ::GetMonitorInfoW(::MonitorFromWindow(hWndOwner, MONITOR_DEFAULTTOPRIMARY), &oMonitor);
    const RECT rcWork = oMonitor.rcWork;
    if (rc.bottom > rcWork.bottom) {
        // No room below: the same height above the box.
        const LONG height = rc.bottom - rc.top;
        const LONG right = rc.right;
        rc = rcOwner;
        rc.bottom = rc.top;
        rc.top = rc.bottom - height;
        ::MapWindowPoints(hWndOwner, nullptr, reinterpret_cast<LPPOINT>(&rc), 2);
        rc.right = right;
    }
    m_rcPopup = rc;
    CreateInRect(hWndOwner, nullptr, WS_POPUP, WS_EX_TOOLWINDOW, rc);
    if (!m_hWnd)
        return;
    // The main window keeps its active caption while the pop-up is open.
    HWND hWndParent = m_hWnd;
    while (::GetParent(hWndParent))
        hWndParent = ::GetParent(hWndParent);
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::SendMessageW(hWndParent, WM_NCACTIVATE, TRUE, 0L);
}

void CComboWnd::GiveRowsBack()
{
    if (m_bRowsBack || !m_pOwner)
        return;
    m_bRowsBack = true;
    m_pOwner->SetManager(m_pOwner->GetManager(), m_pOwner->GetParent(), false);
}

void CComboWnd::OwnerGone()
{
    GiveRowsBack();
    if (m_pLayout)
        m_pLayout->RemoveAll(); // the rows are the combo's, not ours
    m_pOwner = nullptr;
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

void CComboWnd::OnFinalMessage(HWND)
{
    if (m_pOwner) {
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->m_uButtonState &= ~UISTATE_PUSHED;
        m_pOwner->Invalidate();
    }
    delete this;
}

void CComboWnd::EnsureVisible(int iIndex)
{
    if (!m_pOwner || m_pOwner->GetCurSel() < 0 || !m_pLayout)
        return;
    CControlUI* pItem = m_pOwner->GetItemAt(iIndex);
    if (!pItem)
        return;
    const RECT rcItem = pItem->GetPos();
    RECT rcList = m_pLayout->GetPos();
    CScrollBarUI* pHorizontalScrollBar = m_pLayout->GetHorizontalScrollBar();
    if (pHorizontalScrollBar && pHorizontalScrollBar->IsVisible())
        rcList.bottom -= pHorizontalScrollBar->GetFixedHeight();
    if (rcItem.top >= rcList.top && rcItem.bottom < rcList.bottom)
        return;
    const int dy = rcItem.bottom > rcList.bottom ? rcItem.bottom - rcList.bottom : rcItem.top - rcList.top;
    if (dy == 0)
        return;
    SIZE sz = m_pLayout->GetScrollPos();
    sz.cy += dy;
    m_pLayout->SetScrollPos(sz);
}

LRESULT CComboWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CREATE: {
        m_pm.Init(m_hWnd);
        CUIWindowManager* pOwnerManager = m_pOwner ? m_pOwner->GetManager() : nullptr;
        if (pOwnerManager)
            m_pm.ShareParentResources(pOwnerManager);
        m_pLayout = new CVerticalLayoutUI;
        m_pLayout->SetManager(&m_pm, nullptr, true);
        if (pOwnerManager) {
            if (const char16_t* pDefaultAttributes = pOwnerManager->GetClassDefaults(u"VerticalLayout"))
                m_pLayout->ApplyAttributeText(pDefaultAttributes);
        }
        m_pLayout->SetInset(RECT{1, 1, 1, 1});
        m_pLayout->SetBkColor(kPopupBkColour);
        m_pLayout->SetBorderColor(kPopupBorderColour);
        m_pLayout->SetBorderSize(1);
        m_pLayout->SetAutoDestroy(false);
        m_pLayout->EnableScrollBar(true, false);
        if (m_pOwner) {
            m_pLayout->ApplyAttributeText(m_pOwner->GetDropBoxAttributeList());
            for (int i = 0; i < m_pOwner->GetCount(); i++)
                m_pLayout->Add(m_pOwner->GetItemAt(i));
        }
        m_pm.SetRootControl(m_pLayout);
        return 0;
    }
    case WM_KILLFOCUS:
        if (m_hWnd != reinterpret_cast<HWND>(wParam))
            PostToWindow(WM_CLOSE);
        break;
    case WM_CLOSE:
        if (m_pOwner) {
            GiveRowsBack();
            m_pOwner->SetPos(m_pOwner->GetPos());
            m_pOwner->SetFocus();
        }
        break;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_RETURN:
            PostToWindow(WM_KILLFOCUS);
            break;
        case VK_ESCAPE:
            if (m_pOwner) {
                m_pOwner->SelectItem(m_iOldSel, true);
                EnsureVisible(m_iOldSel);
            }
            PostToWindow(WM_KILLFOCUS);
            break;
        default:
            if (m_pOwner) {
                UIEventRecord event{};
                event.Type = UIEVENT_KEYDOWN;
                event.chKey = static_cast<WCHAR>(wParam);
                m_pOwner->HandleEvent(event);
                EnsureVisible(m_pOwner->GetCurSel());
            }
            return 0;
        }
        return 0;
    case WM_LBUTTONUP: {
        POINT pt = {0, 0};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_pm.GetPaintWindow(), &pt);
        CControlUI* pControl = m_pm.FindControl(pt);
        if (pControl && wcscmp(pControl->GetClass(), u"ScrollBarUI") != 0)
            PostToWindow(WM_KILLFOCUS);
        break;
    }
    case WM_MOUSEWHEEL: {
        if (!m_pOwner)
            break;
        const int zDelta = static_cast<short>(HIWORD(wParam));
        UIEventRecord event{};
        event.Type = UIEVENT_SCROLLWHEEL;
        event.wParam = MAKELPARAM(zDelta < 0 ? SB_LINEDOWN : SB_LINEUP, 0);
        event.lParam = lParam;
        event.dwTimestamp = ::GetTickCount();
        m_pOwner->HandleEvent(event);
        EnsureVisible(m_pOwner->GetCurSel());
        return 0;
    }
    default:
        break;
    }
    LRESULT lRes = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes))
        return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}
