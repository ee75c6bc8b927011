#include "skinui/layouts/UITileLayout.h"

#include "skinui/UIAttrParse.h"
#include "skinui/controls/UIScrollBar.h"

#include <algorithm>

CTileLayoutUI::CTileLayoutUI() : m_nColumns(1)
{
    m_szItem = SIZE{0, 0};
}

const char16_t* CTileLayoutUI::GetClass() const { return u"TileLayoutUI"; }

void* CTileLayoutUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"TileLayout") == 0)
        return static_cast<CTileLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

SIZE CTileLayoutUI::GetItemSize() const { return m_szItem; }

void CTileLayoutUI::SetItemSize(SIZE szItem)
{
    if (m_szItem.cx == szItem.cx && m_szItem.cy == szItem.cy)
        return;
    m_szItem = szItem;
    RequestLayout();
}

int CTileLayoutUI::GetColumns() const { return m_nColumns; }

void CTileLayoutUI::SetColumns(int nCols)
{
    if (nCols <= 0)
        return;
    m_nColumns = nCols;
    RequestLayout();
}

void CTileLayoutUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"itemsize") == 0) {
        LONG v[2] = {0, 0};
        UIParseInts(pstrValue, v, 2);
        SetItemSize(SIZE{v[0], v[1]});
    } else if (wcscmp(pstrName, u"columns") == 0) {
        SetColumns(_wtoi(pstrValue));
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

void CTileLayoutUI::SetPos(RECT rc)
{
    if (!BeginLayout(rc, &rc))
        return;
    const bool vBar = m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible();
    const bool hBar = m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible();

    if (m_szItem.cx > 0) {
        m_nColumns = (rc.right - rc.left) / m_szItem.cx;
        if (m_nColumns == 0)
            m_nColumns = 1;
    }
    const int columns = m_nColumns;
    int cxWidth = (rc.right - rc.left) / columns;
    if (hBar)
        cxWidth = (rc.right - rc.left + m_pHorizontalScrollBar->GetScrollRange()) / columns;

    const int halfPadding = m_iChildPadding / 2;
    int cyHeight = 0;
    int iCount = 0;
    POINT ptTile = {rc.left, rc.top};
    if (vBar)
        ptTile.y -= m_pVerticalScrollBar->GetScrollPos();
    int iPosX = rc.left;
    if (hBar) {
        iPosX -= m_pHorizontalScrollBar->GetScrollPos();
        ptTile.x = iPosX;
    }
    int cyNeeded = 0;
    for (int it1 = 0; it1 < m_items.GetSize(); it1++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it1]);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            PlaceFloatingChild(it1);
            continue;
        }
        RECT rcTile = {ptTile.x, ptTile.y, ptTile.x + cxWidth, ptTile.y};
        if (iCount % columns == 0) {
            // Measures the row that starts here: its height is the tallest
            // estimate of its tiles.
            int iIndex = iCount;
            for (int it2 = it1; it2 < m_items.GetSize(); it2++) {
                auto* pLineControl = static_cast<CControlUI*>(m_items[it2]);
                if (!pLineControl->IsVisible() || pLineControl->IsFloat())
                    continue;
                const RECT rcPadding = pLineControl->GetPadding();
                SIZE szAvailable = {rcTile.right - rcTile.left - rcPadding.left - rcPadding.right, 9999};
                if (iIndex == iCount || (iIndex + 1) % columns == 0)
                    szAvailable.cx -= halfPadding;
                else
                    szAvailable.cx -= m_iChildPadding;
                szAvailable.cx = UIClamp(szAvailable.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
                SIZE szTile = pLineControl->PreferredSize(szAvailable);
                szTile.cx = UIClamp(szTile.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
                szTile.cy = UIClamp(szTile.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
                cyHeight = std::max<int>(cyHeight, szTile.cy + rcPadding.top + rcPadding.bottom);
                if ((++iIndex % columns) == 0)
                    break;
            }
        }
        const RECT rcPadding = pControl->GetPadding();
        rcTile.left += rcPadding.left + halfPadding;
        rcTile.right -= rcPadding.right + halfPadding;
        if (iCount % columns == 0)
            rcTile.left -= halfPadding;
        if (((iCount + 1) % columns) == 0)
            rcTile.right += halfPadding;
        rcTile.top = ptTile.y + rcPadding.top;
        rcTile.bottom = ptTile.y + cyHeight;

        const SIZE szAvailable = {rcTile.right - rcTile.left, rcTile.bottom - rcTile.top};
        SIZE szTile = pControl->PreferredSize(szAvailable);
        if (szTile.cx == 0)
            szTile.cx = szAvailable.cx;
        if (szTile.cy == 0)
            szTile.cy = szAvailable.cy;
        szTile.cx = UIClamp(szTile.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        szTile.cy = UIClamp(szTile.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        const RECT rcPos = {(rcTile.left + rcTile.right - szTile.cx) / 2, (rcTile.top + rcTile.bottom - szTile.cy) / 2,
                            (rcTile.left + rcTile.right - szTile.cx) / 2 + szTile.cx,
                            (rcTile.top + rcTile.bottom - szTile.cy) / 2 + szTile.cy};
        pControl->SetPos(rcPos);

        if ((++iCount % columns) == 0) {
            ptTile.x = iPosX;
            ptTile.y += cyHeight + m_iChildPadding;
            cyHeight = 0;
        } else {
            ptTile.x += cxWidth;
        }
        cyNeeded = rcTile.bottom - rc.top;
        if (vBar)
            cyNeeded += m_pVerticalScrollBar->GetScrollPos();
    }
    UpdateScrollBars(rc, 0, cyNeeded);
}
