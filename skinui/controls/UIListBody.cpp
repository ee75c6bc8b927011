#include "skinui/controls/UIListBody.h"

#include "skinui/controls/UIList.h"
#include "skinui/controls/UIListHeader.h"
#include "skinui/controls/UIScrollBar.h"

#include <algorithm>

namespace {

int clampTo(int v, int lo, int hi)
{
    if (v < lo)
        v = lo;
    if (v > hi)
        v = hi;
    return v;
}

} // namespace

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
        cxRequired = std::max(cxRequired, clampTo(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth()));
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
    CControlUI::SetPos(rc);
    rc = InnerRect();
    if (m_items.GetSize() == 0) {
        UpdateScrollBars(rc, 0, 0);
        return;
    }
    const bool vBar = m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible();

    SIZE szAvailable = {rc.right - rc.left, rc.bottom - rc.top};
    const int cxRequired = RequiredWidth(szAvailable);
    rc = FitHorizontalBar(rc, cxRequired);
    szAvailable.cy = rc.bottom - rc.top;
    const bool hBar = m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible();

    int nAdjustables = 0;
    int cyFixed = 0;
    int nEstimateNum = 0;
    for (int it = 0; it < m_items.GetSize(); it++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it]);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        SIZE sz = pControl->PreferredSize(szAvailable);
        if (sz.cy == 0)
            nAdjustables++;
        else
            sz.cy = clampTo(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        const RECT rcPadding = pControl->GetPadding();
        cyFixed += sz.cy + rcPadding.top + rcPadding.bottom;
        nEstimateNum++;
    }
    cyFixed += std::max(0, nEstimateNum - 1) * m_iChildPadding;

    int cyExpand = 0;
    if (nAdjustables > 0)
        cyExpand = std::max(0, (szAvailable.cy - cyFixed) / nAdjustables);

    int iPosY = rc.top - (vBar ? m_pVerticalScrollBar->GetScrollPos() : 0);
    const int iPosX = rc.left - (hBar ? m_pHorizontalScrollBar->GetScrollPos() : 0);
    int iAdjustable = 0;
    int cyFixedRemaining = cyFixed;
    int cyRemaining = szAvailable.cy;
    int cyNeeded = 0;
    for (int it = 0; it < m_items.GetSize(); it++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it]);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            PlaceFloatingChild(it);
            continue;
        }
        const RECT rcPadding = pControl->GetPadding();
        cyRemaining -= rcPadding.top;
        SIZE sz = pControl->PreferredSize(SIZE{szAvailable.cx, cyRemaining});
        if (sz.cy == 0) {
            iAdjustable++;
            sz.cy = cyExpand;
            if (iAdjustable == nAdjustables)
                sz.cy = std::max(0, cyRemaining - static_cast<int>(rcPadding.bottom) - cyFixedRemaining);
            sz.cy = clampTo(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        } else {
            sz.cy = clampTo(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
            cyFixedRemaining -= sz.cy;
        }
        cyRemaining -= sz.cy + m_iChildPadding + rcPadding.bottom;
        // Every row is as wide as the widest; its own fixed width does not
        // shorten it.
        sz.cx = std::max(static_cast<int>(szAvailable.cx - rcPadding.left - rcPadding.right), cxRequired);
        sz.cx = clampTo(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());

        const RECT rcCtrl = {iPosX + rcPadding.left, iPosY + rcPadding.top, iPosX + rcPadding.left + sz.cx,
                             iPosY + rcPadding.top + sz.cy};
        pControl->SetPos(rcCtrl);
        iPosY += sz.cy + m_iChildPadding + rcPadding.top + rcPadding.bottom;
        cyNeeded += sz.cy + rcPadding.top + rcPadding.bottom;
    }
    cyNeeded += std::max(0, nEstimateNum - 1) * m_iChildPadding;
    if (hBar) {
        const RECT rcBar = {rc.left, rc.bottom, rc.right, rc.bottom + m_pHorizontalScrollBar->GetFixedHeight()};
        m_pHorizontalScrollBar->SetPos(rcBar);
    }
    UpdateScrollBars(rc, cxRequired, cyNeeded);
}

void CListBodyUI::SetScrollPos(SIZE szPos)
{
    int cx = 0;
    int cy = 0;
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        const int iLastScrollPos = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        cy = m_pVerticalScrollBar->GetScrollPos() - iLastScrollPos;
    }
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        const int iLastScrollPos = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        cx = m_pHorizontalScrollBar->GetScrollPos() - iLastScrollPos;
    }
    if (cx == 0 && cy == 0)
        return;
    for (int it = 0; it < m_items.GetSize(); it++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it]);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        RECT rcPos = pControl->GetPos();
        ::OffsetRect(&rcPos, -cx, -cy);
        pControl->SetPos(rcPos);
    }
    Invalidate();
    if (cx != 0 && m_pOwner)
        m_pOwner->PlaceColumns(cx, false);
}
