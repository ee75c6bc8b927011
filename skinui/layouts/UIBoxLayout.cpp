#include "skinui/layouts/UIBoxLayout.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIRender.h"
#include "skinui/UIStateBits.h"
#include "skinui/controls/UIScrollBar.h"

#include <algorithm>
#include <cstring>

namespace {

// Colour of the separator strip while it is dragged in the delayed mode.
constexpr DWORD kDragStripColour = 0xAA000000;

} // namespace

CBoxLayoutUI::CBoxLayoutUI(UIAxis axis, const char16_t* pszSepAttribute)
    : m_axis(axis), m_pszSepAttribute(pszSepAttribute), m_iSepSize(0), m_uButtonState(0), m_bImmMode(false)
{
    m_ptLastMouse = POINT{0, 0};
    std::memset(&m_rcNewPos, 0, sizeof m_rcNewPos);
}

UINT CBoxLayoutUI::GetInputFlags() const
{
    return (IsEnabled() && m_iSepSize != 0) ? UIFLAG_SETCURSOR : 0;
}

void CBoxLayoutUI::SetPos(RECT rc)
{
    if (!BeginLayout(rc, &rc))
        return;
    SIZE szAvailable = {rc.right - rc.left, rc.bottom - rc.top};
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible())
        szAvailable.cx += m_pHorizontalScrollBar->GetScrollRange();
    const int needed = StackChildren(m_axis, szAvailable, ScrolledOrigin(rc), UIStackRules{});
    SIZE szNeeded = m_axis.size(needed, 0);
    UpdateScrollBars(rc, szNeeded.cx, szNeeded.cy);
}

void CBoxLayoutUI::SetSepImmMode(bool bImmediately)
{
    if (m_bImmMode == bImmediately)
        return;
    if ((m_uButtonState & UISTATE_CAPTURED) != 0 && !m_bImmMode && m_pManager)
        m_pManager->RemoveOverlayPainter(this);
    m_bImmMode = bImmediately;
}

bool CBoxLayoutUI::IsSepImmMode() const { return m_bImmMode; }

RECT CBoxLayoutUI::GetThumbRect(bool bUseNew) const
{
    RECT rc = bUseNew ? m_rcNewPos : m_rcItem;
    // The strip never reaches past the rectangle's other edge.
    if (m_iSepSize >= 0)
        m_axis.low(rc) = std::max(m_axis.high(rc) - m_iSepSize, m_axis.low(rc));
    else
        m_axis.high(rc) = std::min(m_axis.low(rc) - m_iSepSize, m_axis.high(rc));
    return rc;
}

bool CBoxLayoutUI::DragEdge(POINT ptMouse)
{
    const LONG d = m_axis.along(ptMouse) - m_axis.along(m_ptLastMouse);
    m_ptLastMouse = ptMouse;
    const int pointer = m_axis.along(ptMouse);
    // The edge follows the pointer only once the pointer has come to the
    // strip from the side it moves away from.
    const bool farEdge = m_iSepSize >= 0;
    const int edge = farEdge ? m_axis.high(m_rcNewPos) : m_axis.low(m_rcNewPos);
    const int stripStart = farEdge ? edge - m_iSepSize : edge;
    const int stripEnd = farEdge ? edge : edge - m_iSepSize;
    if (d > 0 && pointer < stripStart)
        return false;
    if (d < 0 && pointer > stripEnd)
        return false;
    RECT rc = m_rcNewPos;
    LONG& moved = farEdge ? m_axis.high(rc) : m_axis.low(rc);
    const LONG anchor = farEdge ? m_axis.low(rc) : m_axis.high(rc);
    const int sign = farEdge ? 1 : -1;
    moved += d;
    const int oldLength = m_axis.length(m_rcNewPos);
    if (m_axis.length(rc) <= m_axis.minimum(*this)) {
        if (oldLength <= m_axis.minimum(*this))
            return false;
        moved = anchor + sign * m_axis.minimum(*this);
    }
    if (m_axis.length(rc) >= m_axis.maximum(*this)) {
        if (oldLength >= m_axis.maximum(*this))
            return false;
        moved = anchor + sign * m_axis.maximum(*this);
    }
    m_rcNewPos = rc;
    m_axis.along(m_cxyFixed) = m_axis.length(m_rcNewPos);
    return true;
}

void CBoxLayoutUI::HandleEvent(UIEventRecord& event)
{
    if (m_iSepSize == 0) {
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
        CUIRect rcInvalidate = GetThumbRect(true);
        if (!DragEdge(event.ptMouse))
            return;
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
            ::SetCursor(::LoadCursorW(nullptr, m_axis.horizontal ? IDC_SIZEWE : IDC_SIZENS));
            return;
        }
    }
    CContainerUI::HandleEvent(event);
}

void CBoxLayoutUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, m_pszSepAttribute) == 0)
        m_iSepSize = _wtoi(pstrValue);
    else if (wcscmp(pstrName, u"sepimm") == 0)
        SetSepImmMode(UIIsTrue(pstrValue));
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CBoxLayoutUI::PaintOverlay(HDC hDC, const RECT&)
{
    if ((m_uButtonState & UISTATE_CAPTURED) != 0 && !m_bImmMode)
        CUIRenderEngine::DrawColor(hDC, GetThumbRect(true), kDragStripColour);
}
