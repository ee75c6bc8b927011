#include "skinui/layouts/UIVerticalLayout.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIRender.h"
#include "skinui/UIStateBits.h"
#include "skinui/controls/UIScrollBar.h"

#include <algorithm>
#include <cstring>

namespace {

// Colour of the separator strip while it is dragged in the delayed mode.
constexpr DWORD kDragStripColour = 0xAA000000;

int clampTo(int v, int lo, int hi)
{
    if (v < lo)
        v = lo;
    if (v > hi)
        v = hi;
    return v;
}

} // namespace

CVerticalLayoutUI::CVerticalLayoutUI() : m_iSepHeight(0), m_uButtonState(0), m_bImmMode(false)
{
    m_ptLastMouse = POINT{0, 0};
    std::memset(&m_rcNewPos, 0, sizeof m_rcNewPos);
}

const char16_t* CVerticalLayoutUI::GetClass() const { return u"VerticalLayoutUI"; }

void* CVerticalLayoutUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"VerticalLayout") == 0)
        return static_cast<CVerticalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CVerticalLayoutUI::GetInputFlags() const
{
    return (IsEnabled() && m_iSepHeight != 0) ? UIFLAG_SETCURSOR : 0;
}

void CVerticalLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    const bool vBar = m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible();
    const bool hBar = m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible();
    if (vBar)
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (hBar)
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    if (m_items.GetSize() == 0) {
        UpdateScrollBars(rc, 0, 0);
        return;
    }

    SIZE szAvailable = {rc.right - rc.left, rc.bottom - rc.top};
    if (hBar)
        szAvailable.cx += m_pHorizontalScrollBar->GetScrollRange();

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
    cyFixed += (nEstimateNum - 1) * m_iChildPadding;

    int cyExpand = 0;
    if (nAdjustables > 0)
        cyExpand = std::max(0, (szAvailable.cy - cyFixed) / nAdjustables);

    int iPosY = rc.top;
    if (vBar)
        iPosY -= m_pVerticalScrollBar->GetScrollPos();
    int iPosX = rc.left;
    if (hBar)
        iPosX -= m_pHorizontalScrollBar->GetScrollPos();
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
                sz.cy = std::max(0, cyRemaining - rcPadding.bottom - cyFixedRemaining);
            sz.cy = clampTo(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        } else {
            sz.cy = clampTo(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
            cyFixedRemaining -= sz.cy;
        }
        sz.cx = pControl->GetFixedWidth();
        if (sz.cx == 0)
            sz.cx = szAvailable.cx - rcPadding.left - rcPadding.right;
        if (sz.cx < 0)
            sz.cx = 0;
        sz.cx = clampTo(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());

        RECT rcCtrl = {iPosX + rcPadding.left, iPosY + rcPadding.top, iPosX + rcPadding.left + sz.cx,
                       iPosY + sz.cy + rcPadding.top + rcPadding.bottom};
        pControl->SetPos(rcCtrl);

        iPosY += sz.cy + m_iChildPadding + rcPadding.top + rcPadding.bottom;
        cyNeeded += sz.cy + rcPadding.top + rcPadding.bottom;
        cyRemaining -= sz.cy + m_iChildPadding + rcPadding.bottom;
    }
    cyNeeded += (nEstimateNum - 1) * m_iChildPadding;
    UpdateScrollBars(rc, 0, cyNeeded);
}

void CVerticalLayoutUI::SetSepHeight(int iHeight) { m_iSepHeight = iHeight; }
int CVerticalLayoutUI::GetSepHeight() const { return m_iSepHeight; }

void CVerticalLayoutUI::SetSepImmMode(bool bImmediately)
{
    if (m_bImmMode == bImmediately)
        return;
    if ((m_uButtonState & UISTATE_CAPTURED) != 0 && !m_bImmMode && m_pManager)
        m_pManager->RemoveOverlayPainter(this);
    m_bImmMode = bImmediately;
}

bool CVerticalLayoutUI::IsSepImmMode() const { return m_bImmMode; }

RECT CVerticalLayoutUI::GetThumbRect(bool bUseNew) const
{
    const RECT rc = bUseNew ? m_rcNewPos : m_rcItem;
    if (m_iSepHeight >= 0)
        return RECT{rc.left, std::max(rc.bottom - m_iSepHeight, rc.top), rc.right, rc.bottom};
    return RECT{rc.left, rc.top, rc.right, std::min(rc.top - m_iSepHeight, rc.bottom)};
}

void CVerticalLayoutUI::HandleEvent(UIEventRecord& event)
{
    if (m_iSepHeight == 0) {
        CContainerUI::HandleEvent(event);
        return;
    }
    if (event.Type == UIEVENT_BUTTONDOWN && IsEnabled()) {
        const RECT rcSeparator = GetThumbRect(false);
        if (::PtInRect(&rcSeparator, event.ptMouse)) {
            m_uButtonState |= UISTATE_CAPTURED;
            m_ptLastMouse = event.ptMouse;
            m_rcNewPos = m_rcItem;
            if (!m_bImmMode && m_pManager)
                m_pManager->AddOverlayPainter(this);
            return;
        }
    }
    if (event.Type == UIEVENT_BUTTONUP && (m_uButtonState & UISTATE_CAPTURED) != 0) {
        m_uButtonState &= ~UISTATE_CAPTURED;
        m_rcItem = m_rcNewPos;
        if (!m_bImmMode && m_pManager)
            m_pManager->RemoveOverlayPainter(this);
        RequestParentLayout();
        return;
    }
    if (event.Type == UIEVENT_MOUSEMOVE && (m_uButtonState & UISTATE_CAPTURED) != 0) {
        const LONG cy = event.ptMouse.y - m_ptLastMouse.y;
        m_ptLastMouse = event.ptMouse;
        RECT rc = m_rcNewPos;
        if (m_iSepHeight >= 0) {
            if (cy > 0 && event.ptMouse.y < m_rcNewPos.bottom + m_iSepHeight)
                return;
            if (cy < 0 && event.ptMouse.y > m_rcNewPos.bottom)
                return;
            rc.bottom += cy;
            if (rc.bottom - rc.top <= GetMinHeight()) {
                if (m_rcNewPos.bottom - m_rcNewPos.top <= GetMinHeight())
                    return;
                rc.bottom = rc.top + GetMinHeight();
            }
            if (rc.bottom - rc.top >= GetMaxHeight()) {
                if (m_rcNewPos.bottom - m_rcNewPos.top >= GetMaxHeight())
                    return;
                rc.bottom = rc.top + GetMaxHeight();
            }
        } else {
            if (cy > 0 && event.ptMouse.y < m_rcNewPos.top)
                return;
            if (cy < 0 && event.ptMouse.y > m_rcNewPos.top - m_iSepHeight)
                return;
            rc.top += cy;
            if (rc.bottom - rc.top <= GetMinHeight()) {
                if (m_rcNewPos.bottom - m_rcNewPos.top <= GetMinHeight())
                    return;
                rc.top = rc.bottom - GetMinHeight();
            }
            if (rc.bottom - rc.top >= GetMaxHeight()) {
                if (m_rcNewPos.bottom - m_rcNewPos.top >= GetMaxHeight())
                    return;
                rc.top = rc.bottom - GetMaxHeight();
            }
        }
        CUIRect rcInvalidate = GetThumbRect(true);
        m_rcNewPos = rc;
        m_cxyFixed.cy = m_rcNewPos.bottom - m_rcNewPos.top;
        if (m_bImmMode) {
            m_rcItem = m_rcNewPos;
            RequestParentLayout();
        } else if (m_pManager) {
            rcInvalidate.Join(GetThumbRect(true));
            rcInvalidate.Join(GetThumbRect(false));
            m_pManager->Invalidate(rcInvalidate);
        }
        return;
    }
    if (event.Type == UIEVENT_SETCURSOR) {
        const RECT rcSeparator = GetThumbRect(false);
        if (IsEnabled() && ::PtInRect(&rcSeparator, event.ptMouse)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
            return;
        }
    }
    CContainerUI::HandleEvent(event);
}

void CVerticalLayoutUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"sepheight") == 0)
        SetSepHeight(_wtoi(pstrValue));
    else if (wcscmp(pstrName, u"sepimm") == 0)
        SetSepImmMode(UIIsTrue(pstrValue));
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CVerticalLayoutUI::PaintOverlay(HDC hDC, const RECT&)
{
    if ((m_uButtonState & UISTATE_CAPTURED) != 0 && !m_bImmMode)
        CUIRenderEngine::DrawColor(hDC, GetThumbRect(true), kDragStripColour);
}
