#include "skinui/layouts/UIHorizontalLayout.h"

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

CHorizontalLayoutUI::CHorizontalLayoutUI() : m_iSepWidth(0), m_uButtonState(0), m_bImmMode(false)
{
    m_ptLastMouse = POINT{0, 0};
    std::memset(&m_rcNewPos, 0, sizeof m_rcNewPos);
}

const char16_t* CHorizontalLayoutUI::GetClass() const { return u"HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"HorizontalLayout") == 0)
        return static_cast<CHorizontalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CHorizontalLayoutUI::GetInputFlags() const
{
    return (IsEnabled() && m_iSepWidth != 0) ? UIFLAG_SETCURSOR : 0;
}

void CHorizontalLayoutUI::SetPos(RECT rc)
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
    int cxFixed = 0;
    int nEstimateNum = 0;
    for (int it = 0; it < m_items.GetSize(); it++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it]);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        SIZE sz = pControl->PreferredSize(szAvailable);
        if (sz.cx == 0)
            nAdjustables++;
        else
            sz.cx = clampTo(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        const RECT rcPadding = pControl->GetPadding();
        cxFixed += sz.cx + rcPadding.left + rcPadding.right;
        nEstimateNum++;
    }
    cxFixed += (nEstimateNum - 1) * m_iChildPadding;

    int cxExpand = 0;
    if (nAdjustables > 0)
        cxExpand = std::max(0, (szAvailable.cx - cxFixed) / nAdjustables);

    int iPosX = rc.left;
    if (hBar)
        iPosX -= m_pHorizontalScrollBar->GetScrollPos();
    int iAdjustable = 0;
    int cxFixedRemaining = cxFixed;
    int cxRemaining = szAvailable.cx;
    int cxNeeded = 0;
    for (int it = 0; it < m_items.GetSize(); it++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it]);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            PlaceFloatingChild(it);
            continue;
        }
        const RECT rcPadding = pControl->GetPadding();
        cxRemaining -= rcPadding.left;
        SIZE sz = pControl->PreferredSize(SIZE{cxRemaining, szAvailable.cy});
        if (sz.cx == 0) {
            iAdjustable++;
            sz.cx = cxExpand;
            if (iAdjustable == nAdjustables)
                sz.cx = std::max(0, cxRemaining - rcPadding.right - cxFixedRemaining);
            sz.cx = clampTo(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        } else {
            sz.cx = clampTo(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
            cxFixedRemaining -= sz.cx;
        }
        sz.cy = pControl->GetFixedHeight();
        if (sz.cy == 0)
            sz.cy = rc.bottom - rc.top - rcPadding.top - rcPadding.bottom;
        if (sz.cy < 0)
            sz.cy = 0;
        sz.cy = clampTo(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());

        RECT rcCtrl = {iPosX + rcPadding.left, rc.top + rcPadding.top,
                       iPosX + sz.cx + rcPadding.left + rcPadding.right, rc.top + rcPadding.top + sz.cy};
        pControl->SetPos(rcCtrl);

        iPosX += sz.cx + m_iChildPadding + rcPadding.left + rcPadding.right;
        cxNeeded += sz.cx + rcPadding.left + rcPadding.right;
        cxRemaining -= sz.cx + m_iChildPadding + rcPadding.right;
    }
    cxNeeded += (nEstimateNum - 1) * m_iChildPadding;
    UpdateScrollBars(rc, cxNeeded, 0);
}

void CHorizontalLayoutUI::SetSepWidth(int iWidth) { m_iSepWidth = iWidth; }
int CHorizontalLayoutUI::GetSepWidth() const { return m_iSepWidth; }

void CHorizontalLayoutUI::SetSepImmMode(bool bImmediately)
{
    if (m_bImmMode == bImmediately)
        return;
    if ((m_uButtonState & UISTATE_CAPTURED) != 0 && !m_bImmMode && m_pManager)
        m_pManager->RemoveOverlayPainter(this);
    m_bImmMode = bImmediately;
}

bool CHorizontalLayoutUI::IsSepImmMode() const { return m_bImmMode; }

RECT CHorizontalLayoutUI::GetThumbRect(bool bUseNew) const
{
    const RECT rc = bUseNew ? m_rcNewPos : m_rcItem;
    if (m_iSepWidth >= 0)
        return RECT{rc.right - m_iSepWidth, rc.top, rc.right, rc.bottom};
    return RECT{rc.left, rc.top, rc.left - m_iSepWidth, rc.bottom};
}

void CHorizontalLayoutUI::HandleEvent(UIEventRecord& event)
{
    if (m_iSepWidth == 0) {
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
        const LONG cx = event.ptMouse.x - m_ptLastMouse.x;
        m_ptLastMouse = event.ptMouse;
        RECT rc = m_rcNewPos;
        if (m_iSepWidth >= 0) {
            if (cx > 0 && event.ptMouse.x < m_rcNewPos.right - m_iSepWidth)
                return;
            if (cx < 0 && event.ptMouse.x > m_rcNewPos.right)
                return;
            rc.right += cx;
            if (rc.right - rc.left <= GetMinWidth()) {
                if (m_rcNewPos.right - m_rcNewPos.left <= GetMinWidth())
                    return;
                rc.right = rc.left + GetMinWidth();
            }
            if (rc.right - rc.left >= GetMaxWidth()) {
                if (m_rcNewPos.right - m_rcNewPos.left >= GetMaxWidth())
                    return;
                rc.right = rc.left + GetMaxWidth();
            }
        } else {
            if (cx > 0 && event.ptMouse.x < m_rcNewPos.left)
                return;
            if (cx < 0 && event.ptMouse.x > m_rcNewPos.left - m_iSepWidth)
                return;
            rc.left += cx;
            if (rc.right - rc.left <= GetMinWidth()) {
                if (m_rcNewPos.right - m_rcNewPos.left <= GetMinWidth())
                    return;
                rc.left = rc.right - GetMinWidth();
            }
            if (rc.right - rc.left >= GetMaxWidth()) {
                if (m_rcNewPos.right - m_rcNewPos.left >= GetMaxWidth())
                    return;
                rc.left = rc.right - GetMaxWidth();
            }
        }
        CUIRect rcInvalidate = GetThumbRect(true);
        m_rcNewPos = rc;
        m_cxyFixed.cx = m_rcNewPos.right - m_rcNewPos.left;
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
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
            return;
        }
    }
    CContainerUI::HandleEvent(event);
}

void CHorizontalLayoutUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"sepwidth") == 0)
        SetSepWidth(_wtoi(pstrValue));
    else if (wcscmp(pstrName, u"sepimm") == 0)
        SetSepImmMode(UIIsTrue(pstrValue));
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CHorizontalLayoutUI::PaintOverlay(HDC hDC, const RECT&)
{
    if ((m_uButtonState & UISTATE_CAPTURED) != 0 && !m_bImmMode)
        CUIRenderEngine::DrawColor(hDC, GetThumbRect(true), kDragStripColour);
}
