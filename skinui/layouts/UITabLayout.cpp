#include "skinui/layouts/UITabLayout.h"

#include <algorithm>

CTabLayoutUI::CTabLayoutUI() : m_iCurSel(-1) {}

const char16_t* CTabLayoutUI::GetClass() const { return u"TabLayoutUI"; }

void* CTabLayoutUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"TabLayout") == 0)
        return static_cast<CTabLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

bool CTabLayoutUI::Add(CControlUI* pControl)
{
    if (!CContainerUI::Add(pControl))
        return false;
    if (m_iCurSel == -1 && pControl->IsVisible())
        m_iCurSel = GetItemIndex(pControl);
    else
        pControl->SetVisible(false);
    return true;
}

bool CTabLayoutUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (!CContainerUI::AddAt(pControl, iIndex))
        return false;
    if (m_iCurSel == -1 && pControl->IsVisible()) {
        m_iCurSel = GetItemIndex(pControl);
    } else {
        pControl->SetVisible(false);
        if (m_iCurSel >= 0 && iIndex <= m_iCurSel)
            m_iCurSel += 1;
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* pControl)
{
    const int index = pControl ? GetItemIndex(pControl) : -1;
    if (index < 0 || !CContainerUI::Remove(pControl))
        return false;
    if (m_iCurSel == index) {
        if (GetCount() > 0) {
            m_iCurSel = 0;
            GetItemAt(m_iCurSel)->SetVisible(true);
        } else {
            m_iCurSel = -1;
        }
        RequestParentLayout();
    } else if (m_iCurSel > index) {
        m_iCurSel -= 1;
    }
    return true;
}

void CTabLayoutUI::RemoveAll()
{
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    RequestParentLayout();
}

int CTabLayoutUI::GetCurSel() const { return m_iCurSel; }

bool CTabLayoutUI::SelectItem(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_items.GetSize())
        return false;
    if (iIndex == m_iCurSel)
        return true;
    const int iOldSel = m_iCurSel;
    m_iCurSel = iIndex;
    for (int it = 0; it < m_items.GetSize(); it++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it]);
        if (it == iIndex) {
            pControl->SetVisible(true);
            pControl->SetFocus();
            SetPos(m_rcItem);
        } else {
            pControl->SetVisible(false);
        }
    }
    RequestParentLayout();
    if (m_pManager) {
        m_pManager->SetNextTabStop();
        m_pManager->SendNotify(this, u"tabselect", static_cast<WPARAM>(m_iCurSel), static_cast<LPARAM>(iOldSel));
    }
    return true;
}

void CTabLayoutUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"selectedid") == 0)
        SelectItem(_wtoi(pstrValue));
    CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CTabLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    for (int it = 0; it < m_items.GetSize(); it++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it]);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            PlaceFloatingChild(it);
            continue;
        }
        if (it != m_iCurSel)
            continue;
        const RECT rcPadding = pControl->GetPadding();
        rc.left += rcPadding.left;
        rc.top += rcPadding.top;
        rc.right -= rcPadding.right;
        rc.bottom -= rcPadding.bottom;
        const SIZE szAvailable = {rc.right - rc.left, rc.bottom - rc.top};
        SIZE sz = pControl->PreferredSize(szAvailable);
        if (sz.cx == 0)
            sz.cx = std::max<LONG>(0, szAvailable.cx);
        if (sz.cx < pControl->GetMinWidth())
            sz.cx = pControl->GetMinWidth();
        if (sz.cx > pControl->GetMaxWidth())
            sz.cx = pControl->GetMaxWidth();
        if (sz.cy == 0)
            sz.cy = szAvailable.cy;
        if (sz.cy < pControl->GetMinHeight())
            sz.cy = pControl->GetMinHeight();
        if (sz.cy > pControl->GetMaxHeight())
            sz.cy = pControl->GetMaxHeight();
        pControl->SetPos(RECT{rc.left, rc.top, rc.left + sz.cx, rc.top + sz.cy});
    }
}
