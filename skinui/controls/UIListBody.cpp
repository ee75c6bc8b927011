#include "skinui/controls/UIListBody.h"

#include "skinui/controls/UIList.h"
#include "skinui/controls/UIListHeader.h"
#include "skinui/controls/UIScrollBar.h"

#include <algorithm>

CListBodyUI::CListBodyUI(CListUI* pOwner) : m_pOwner(pOwner) {}

CListUI* CListBodyUI::GetOwnerList() const { return m_pOwner; }

void CListBodyUI::HandleEvent(UIEventRecord& event)
{
    if (m_pOwner)
        m_pOwner->HandleEvent(event);
    else
        CControlUI::HandleEvent(event);
}

int CListBodyUI::RequiredWidth(SIZE szAvailable)
{
    CListHeaderUI* pHeader = m_pOwner ? m_pOwner->GetHeader() : nullptr;
    if (pHeader && pHeader->GetCount() > 0)
        return std::max(0, static_cast<int>(pHeader->PreferredSize(szAvailable).cx));
    int cxRequired = 0;
    for (int it = 0; it < m_items.GetSize(); it++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it]);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        const SIZE sz = pControl->PreferredSize(szAvailable);
        cxRequired = std::max(cxRequired, UIClampAlong(UIAxis::X(), *pControl, sz.cx));
    }
    return cxRequired;
}

RECT CListBodyUI::FitHorizontalBar(RECT rc, int cxRequired)
{
    if (!m_pHorizontalScrollBar)
        return rc;
    const int overflow = cxRequired - (rc.right - rc.left);
    if (overflow > 0) {
        if (!m_pHorizontalScrollBar->IsVisible()) {
            m_pHorizontalScrollBar->SetVisible(true);
            m_pHorizontalScrollBar->SetScrollRange(overflow);
            m_pHorizontalScrollBar->SetScrollPos(0);
            rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
        } else {
            m_pHorizontalScrollBar->SetScrollRange(overflow);
        }
    } else if (m_pHorizontalScrollBar->IsVisible()) {
        m_pHorizontalScrollBar->SetVisible(false);
        m_pHorizontalScrollBar->SetScrollRange(0);
        m_pHorizontalScrollBar->SetScrollPos(0);
        rc.bottom += m_pHorizontalScrollBar->GetFixedHeight();
    }
    return rc;
}

void CListBodyUI::SetPos(RECT rc)
{
    if (!BeginLayout(rc, &rc))
        return;
    SIZE szAvailable = {rc.right - rc.left, rc.bottom - rc.top};
    const int cxRequired = RequiredWidth(szAvailable);
    rc = FitHorizontalBar(rc, cxRequired);
    szAvailable.cy = rc.bottom - rc.top;

    // Every row is as wide as the widest; its own fixed width does not
    // shorten it. Its bottom padding lies outside it.
    UIStackRules rules;
    rules.iSpanAtLeast = cxRequired;
    rules.bTrailingPadInside = false;
    const int cyNeeded = StackChildren(UIAxis::Y(), szAvailable, ScrolledOrigin(rc), rules);
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        const RECT rcBar = {rc.left, rc.bottom, rc.right, rc.bottom + m_pHorizontalScrollBar->GetFixedHeight()};
        m_pHorizontalScrollBar->SetPos(rcBar);
    }
    UpdateScrollBars(rc, cxRequired, cyNeeded);
}

void CListBodyUI::SetScrollPos(SIZE szPos)
{
    const SIZE moved = ScrollChildrenTo(szPos);
    if (moved.cx != 0 && m_pOwner)
        m_pOwner->PlaceColumns(moved.cx, false);
}
