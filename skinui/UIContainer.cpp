#include "skinui/UIContainer.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIRender.h"
#include "skinui/UIStateBits.h"
#include "skinui/controls/UIScrollBar.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>

CContainerUI::CContainerUI()
    : m_iChildPadding(0), m_bAutoDestroy(true), m_bDelayedDestroy(true), m_bMouseChildEnabled(true),
      m_bScrollProcess(false), m_pVerticalScrollBar(nullptr), m_pHorizontalScrollBar(nullptr)
{
    std::memset(&m_rcInset, 0, sizeof m_rcInset);
}

CContainerUI::~CContainerUI()
{
    m_bDelayedDestroy = false;
    RemoveAll();
    delete m_pVerticalScrollBar;
    delete m_pHorizontalScrollBar;
}

const char16_t* CContainerUI::GetClass() const { return u"ContainerUI"; }

void* CContainerUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"IContainer") == 0)
        return static_cast<IContainerUI*>(this);
    if (wcscmp(pstrName, u"Container") == 0)
        return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

CControlUI* CContainerUI::GetItemAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_items.GetSize())
        return nullptr;
    return static_cast<CControlUI*>(m_items[iIndex]);
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const
{
    for (int it = 0; it < m_items.GetSize(); it++)
        if (static_cast<CControlUI*>(m_items[it]) == pControl)
            return it;
    return -1;
}

bool CContainerUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    const int iOld = GetItemIndex(pControl);
    if (iOld < 0 || iIndex < 0 || iIndex >= m_items.GetSize())
        return false;
    RequestLayout();
    m_items.Remove(iOld);
    return m_items.InsertAt(iIndex, pControl);
}

int CContainerUI::GetCount() const { return m_items.GetSize(); }

bool CContainerUI::Add(CControlUI* pControl)
{
    if (!pControl)
        return false;
    if (m_pManager)
        m_pManager->AttachControls(pControl, this);
    if (IsVisible())
        RequestLayout();
    else
        pControl->SetInheritedVisible(false);
    return m_items.Add(pControl);
}

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (!pControl || iIndex < 0 || iIndex > m_items.GetSize())
        return false;
    if (m_pManager)
        m_pManager->AttachControls(pControl, this);
    if (IsVisible())
        RequestLayout();
    else
        pControl->SetInheritedVisible(false);
    return m_items.InsertAt(iIndex, pControl);
}

void CContainerUI::DestroyChild(CControlUI* pControl)
{
    if (!m_bAutoDestroy)
        return;
    if (m_bDelayedDestroy && m_pManager)
        m_pManager->ScheduleCleanup(pControl);
    else
        delete pControl;
}

bool CContainerUI::Remove(CControlUI* pControl)
{
    const int it = pControl ? GetItemIndex(pControl) : -1;
    if (it < 0)
        return false;
    RequestLayout();
    m_items.Remove(it);
    DestroyChild(pControl);
    return true;
}

bool CContainerUI::RemoveAt(int iIndex)
{
    CControlUI* pControl = GetItemAt(iIndex);
    return pControl && Remove(pControl);
}

void CContainerUI::RemoveAll()
{
    // Emptied first so a child's destructor never sees a half-removed list.
    CUIPtrArray items(m_items);
    m_items.Empty();
    for (int it = 0; it < items.GetSize(); it++)
        DestroyChild(static_cast<CControlUI*>(items[it]));
    RequestLayout();
}

void CContainerUI::SetManager(CUIWindowManager* pManager, CControlUI* pParent, bool bInit)
{
    for (int it = 0; it < m_items.GetSize(); it++)
        static_cast<CControlUI*>(m_items[it])->SetManager(pManager, this, bInit);
    if (m_pVerticalScrollBar)
        m_pVerticalScrollBar->SetManager(pManager, this, bInit);
    if (m_pHorizontalScrollBar)
        m_pHorizontalScrollBar->SetManager(pManager, this, bInit);
    CControlUI::SetManager(pManager, pParent, bInit);
}

void CContainerUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible)
        return;
    CControlUI::SetVisible(bVisible);
    for (int it = 0; it < m_items.GetSize(); it++)
        static_cast<CControlUI*>(m_items[it])->SetInheritedVisible(IsVisible());
}

void CContainerUI::SetInheritedVisible(bool bVisible)
{
    CControlUI::SetInheritedVisible(bVisible);
    for (int it = 0; it < m_items.GetSize(); it++)
        static_cast<CControlUI*>(m_items[it])->SetInheritedVisible(IsVisible());
}

void CContainerUI::SetMouseEnabled(bool bEnabled)
{
    if (m_pVerticalScrollBar)
        m_pVerticalScrollBar->SetMouseEnabled(bEnabled);
    if (m_pHorizontalScrollBar)
        m_pHorizontalScrollBar->SetMouseEnabled(bEnabled);
    CControlUI::SetMouseEnabled(bEnabled);
}

RECT CContainerUI::GetInset() const { return m_rcInset; }

void CContainerUI::SetInset(RECT rcInset)
{
    m_rcInset = rcInset;
    RequestLayout();
}

int CContainerUI::GetChildPadding() const { return m_iChildPadding; }

void CContainerUI::SetChildPadding(int iPadding)
{
    m_iChildPadding = iPadding;
    RequestLayout();
}

bool CContainerUI::IsAutoDestroy() const { return m_bAutoDestroy; }
void CContainerUI::SetAutoDestroy(bool bAuto) { m_bAutoDestroy = bAuto; }
bool CContainerUI::IsDelayedDestroy() const { return m_bDelayedDestroy; }
void CContainerUI::SetDelayedDestroy(bool bDelayed) { m_bDelayedDestroy = bDelayed; }
bool CContainerUI::IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
void CContainerUI::SetMouseChildEnabled(bool bEnable) { m_bMouseChildEnabled = bEnable; }

int CContainerUI::FindSelectableItem(int iIndex, bool bForward) const
{
    const int count = GetCount();
    if (count == 0)
        return -1;
    if (iIndex < 0)
        iIndex = 0;
    if (iIndex >= count)
        iIndex = count - 1;
    auto selectable = [this](int i) {
        CControlUI* pControl = GetItemAt(i);
        return pControl->GetInterface(u"ListItem") && pControl->IsVisible() && pControl->IsEnabled();
    };
    if (bForward) {
        for (int i = iIndex; i < count; i++)
            if (selectable(i))
                return i;
        return -1;
    }
    for (int i = iIndex; i >= 0; --i)
        if (selectable(i))
            return i;
    return FindSelectableItem(0, true);
}

void CContainerUI::HandleEvent(UIEventRecord& event)
{
    if (!m_bMouseEnabled && UIIsMouseEvent(event.Type)) {
        if (m_pParent)
            m_pParent->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
        return;
    }
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        return;
    }
    auto usable = [](CScrollBarUI* bar) { return bar && bar->IsVisible() && bar->IsEnabled(); };
    const bool vertical = usable(m_pVerticalScrollBar);
    if (vertical || usable(m_pHorizontalScrollBar)) {
        if (event.Type == UIEVENT_KEYDOWN) {
            switch (event.chKey) {
            case VK_PRIOR:
                vertical ? PageUp() : PageLeft();
                return;
            case VK_NEXT:
                vertical ? PageDown() : PageRight();
                return;
            case VK_END:
                vertical ? EndDown() : EndRight();
                return;
            case VK_HOME:
                vertical ? HomeUp() : HomeLeft();
                return;
            case VK_UP:
                vertical ? LineUp() : LineLeft();
                return;
            case VK_DOWN:
                vertical ? LineDown() : LineRight();
                return;
            default:
                break;
            }
        } else if (event.Type == UIEVENT_SCROLLWHEEL) {
            switch (LOWORD(event.wParam)) {
            case SB_LINEUP:
                vertical ? LineUp() : LineLeft();
                return;
            case SB_LINEDOWN:
                vertical ? LineDown() : LineRight();
                return;
            default:
                break;
            }
        }
    }
    CControlUI::HandleEvent(event);
}

namespace {

bool isShown(const CScrollBarUI* pBar) { return pBar && pBar->IsVisible(); }

// Moves a shown bar to pos; returns how far it moved.
int moveBar(CScrollBarUI* pBar, int pos)
{
    if (!isShown(pBar))
        return 0;
    const int iLastScrollPos = pBar->GetScrollPos();
    pBar->SetScrollPos(pos);
    return pBar->GetScrollPos() - iLastScrollPos;
}

int lineStep(UIAxis axis, CUIWindowManager* pManager)
{
    if (axis.horizontal || !pManager)
        return 8;
    return static_cast<int>(pManager->GetDefaultFontDesc()->tm.tmHeight) + 8;
}

} // namespace

CScrollBarUI* CContainerUI::ScrollBarAlong(UIAxis axis) const
{
    return axis.horizontal ? m_pHorizontalScrollBar : m_pVerticalScrollBar;
}

SIZE CContainerUI::GetScrollPos() const
{
    SIZE sz = {0, 0};
    for (const UIAxis axis : {UIAxis::X(), UIAxis::Y()}) {
        if (const CScrollBarUI* pBar = ScrollBarAlong(axis); isShown(pBar))
            axis.along(sz) = pBar->GetScrollPos();
    }
    return sz;
}

SIZE CContainerUI::GetScrollRange() const
{
    SIZE sz = {0, 0};
    for (const UIAxis axis : {UIAxis::X(), UIAxis::Y()}) {
        if (const CScrollBarUI* pBar = ScrollBarAlong(axis); isShown(pBar))
            axis.along(sz) = pBar->GetScrollRange();
    }
    return sz;
}

SIZE CContainerUI::ScrollChildrenTo(SIZE szPos)
{
    const int cy = moveBar(m_pVerticalScrollBar, szPos.cy);
    const int cx = moveBar(m_pHorizontalScrollBar, szPos.cx);
    if (cx == 0 && cy == 0)
        return SIZE{0, 0};
    for (int it = 0; it < m_items.GetSize(); it++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it]);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        RECT rcPos = pControl->GetPos();
        ::OffsetRect(&rcPos, -cx, -cy);
        pControl->SetPos(rcPos);
    }
    Invalidate();
    return SIZE{cx, cy};
}

void CContainerUI::SetScrollPos(SIZE szPos) { ScrollChildrenTo(szPos); }

void CContainerUI::ScrollAlong(UIAxis axis, int value, bool bAbsolute)
{
    SIZE sz = GetScrollPos();
    axis.along(sz) = bAbsolute ? value : axis.along(sz) + value;
    SetScrollPos(sz);
}

int CContainerUI::PageAlong(UIAxis axis) const
{
    int iOffset = axis.length(m_rcItem) - axis.low(m_rcInset) - axis.high(m_rcInset);
    if (const CScrollBarUI* pOther = ScrollBarAlong(axis.cross()); isShown(pOther))
        iOffset -= axis.fixed(*pOther);
    return iOffset;
}

void CContainerUI::LineUp() { ScrollAlong(UIAxis::Y(), -lineStep(UIAxis::Y(), m_pManager), false); }
void CContainerUI::LineDown() { ScrollAlong(UIAxis::Y(), lineStep(UIAxis::Y(), m_pManager), false); }
void CContainerUI::PageUp() { ScrollAlong(UIAxis::Y(), -PageAlong(UIAxis::Y()), false); }
void CContainerUI::PageDown() { ScrollAlong(UIAxis::Y(), PageAlong(UIAxis::Y()), false); }
void CContainerUI::HomeUp() { ScrollAlong(UIAxis::Y(), 0, true); }
void CContainerUI::EndDown() { ScrollAlong(UIAxis::Y(), GetScrollRange().cy, true); }
void CContainerUI::LineLeft() { ScrollAlong(UIAxis::X(), -lineStep(UIAxis::X(), m_pManager), false); }
void CContainerUI::LineRight() { ScrollAlong(UIAxis::X(), lineStep(UIAxis::X(), m_pManager), false); }
void CContainerUI::PageLeft() { ScrollAlong(UIAxis::X(), -PageAlong(UIAxis::X()), false); }
void CContainerUI::PageRight() { ScrollAlong(UIAxis::X(), PageAlong(UIAxis::X()), false); }
void CContainerUI::HomeLeft() { ScrollAlong(UIAxis::X(), 0, true); }
void CContainerUI::EndRight() { ScrollAlong(UIAxis::X(), GetScrollRange().cx, true); }

CScrollBarUI* CContainerUI::CreateScrollBar(bool bHorizontal)
{
    auto* pBar = new CScrollBarUI;
    if (bHorizontal)
        pBar->SetHorizontal(true);
    pBar->SetOwner(this);
    pBar->SetManager(m_pManager, nullptr, false);
    if (m_pManager) {
        if (const char16_t* pDefaultAttributes = m_pManager->GetClassDefaults(bHorizontal ? u"HScrollBar" : u"VScrollBar"))
            pBar->ApplyAttributeText(pDefaultAttributes);
    }
    return pBar;
}

void CContainerUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    if (bEnableVertical && !m_pVerticalScrollBar) {
        m_pVerticalScrollBar = CreateScrollBar(false);
    } else if (!bEnableVertical && m_pVerticalScrollBar) {
        delete m_pVerticalScrollBar;
        m_pVerticalScrollBar = nullptr;
    }
    if (bEnableHorizontal && !m_pHorizontalScrollBar) {
        m_pHorizontalScrollBar = CreateScrollBar(true);
    } else if (!bEnableHorizontal && m_pHorizontalScrollBar) {
        delete m_pHorizontalScrollBar;
        m_pHorizontalScrollBar = nullptr;
    }
    RequestLayout();
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }

CControlUI* CContainerUI::FindSubControl(const char16_t* pstrSubControlName)
{
    if (!m_pManager)
        return nullptr;
    return m_pManager->FindControlUnder(this, pstrSubControlName);
}

RECT CContainerUI::InnerRect() const
{
    RECT rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible())
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible())
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    return rc;
}

bool CContainerUI::BeginLayout(RECT rc, RECT* pInner)
{
    CControlUI::SetPos(rc);
    *pInner = InnerRect();
    if (m_items.GetSize() > 0)
        return true;
    UpdateScrollBars(*pInner, 0, 0);
    return false;
}

POINT CContainerUI::ScrolledOrigin(const RECT& rc) const
{
    POINT pt = {rc.left, rc.top};
    if (isShown(m_pHorizontalScrollBar))
        pt.x -= m_pHorizontalScrollBar->GetScrollPos();
    if (isShown(m_pVerticalScrollBar))
        pt.y -= m_pVerticalScrollBar->GetScrollPos();
    return pt;
}

int CContainerUI::StackChildren(UIAxis axis, SIZE szAvailable, POINT ptStart, const UIStackRules& rules)
{
    const UIAxis cross = axis.cross();
    // First pass: the fixed length and how many children share the rest.
    int nAdjustables = 0;
    int fixedTotal = 0;
    int nEstimateNum = 0;
    for (int it = 0; it < m_items.GetSize(); it++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it]);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        int length = axis.along(pControl->PreferredSize(szAvailable));
        if (length == 0)
            nAdjustables++;
        else
            length = UIClampAlong(axis, *pControl, length);
        const RECT rcPadding = pControl->GetPadding();
        fixedTotal += length + axis.low(rcPadding) + axis.high(rcPadding);
        nEstimateNum++;
    }
    const int gaps = std::max(0, nEstimateNum - 1) * m_iChildPadding;
    fixedTotal += gaps;
    const int available = axis.along(szAvailable);
    const int availableAcross = axis.across(szAvailable);
    const int share = nAdjustables > 0 ? std::max(0, (available - fixedTotal) / nAdjustables) : 0;

    // Second pass: place them.
    int pos = axis.along(ptStart);
    const int crossPos = cross.along(ptStart);
    int iAdjustable = 0;
    int fixedRemaining = fixedTotal;
    int remaining = available;
    int needed = 0;
    for (int it = 0; it < m_items.GetSize(); it++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it]);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            PlaceFloatingChild(it);
            continue;
        }
        const RECT rcPadding = pControl->GetPadding();
        const int padBefore = axis.low(rcPadding);
        const int padAfter = axis.high(rcPadding);
        remaining -= padBefore;
        int length = axis.along(pControl->PreferredSize(axis.size(remaining, availableAcross)));
        if (length == 0) {
            iAdjustable++;
            length = share;
            if (iAdjustable == nAdjustables)
                length = std::max(0, remaining - padAfter - fixedRemaining);
            length = UIClampAlong(axis, *pControl, length);
        } else {
            length = UIClampAlong(axis, *pControl, length);
            fixedRemaining -= length;
        }
        const int room = availableAcross - cross.low(rcPadding) - cross.high(rcPadding);
        int span;
        if (rules.iSpanAtLeast >= 0) {
            span = std::max(room, rules.iSpanAtLeast);
        } else {
            span = cross.fixed(*pControl);
            if (span == 0)
                span = room;
            span = std::max(span, 0);
        }
        span = UIClampAlong(cross, *pControl, span);

        const int alongLow = pos + padBefore;
        const int alongHigh = alongLow + length + (rules.bTrailingPadInside ? padAfter : 0);
        const int crossLow = crossPos + cross.low(rcPadding);
        pControl->SetPos(axis.rect(alongLow, crossLow, alongHigh, crossLow + span));

        pos += length + m_iChildPadding + padBefore + padAfter;
        needed += length + padBefore + padAfter;
        remaining -= length + m_iChildPadding + padAfter;
    }
    return needed + gaps;
}

void CContainerUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    if (m_items.IsEmpty())
        return;
    rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    for (int it = 0; it < m_items.GetSize(); it++) {
        auto* pControl = static_cast<CControlUI*>(m_items[it]);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat())
            PlaceFloatingChild(it);
        else
            pControl->SetPos(rc);
    }
}

void CContainerUI::PlaceFloatingChild(int iIndex)
{
    CControlUI* pControl = GetItemAt(iIndex);
    if (!pControl || !pControl->IsVisible() || !pControl->IsFloat())
        return;
    const SIZE szXY = pControl->GetFixedXY();
    const SIZE sz = {pControl->GetFixedWidth(), pControl->GetFixedHeight()};
    RECT rcCtrl = {0, 0, 0, 0};
    if (szXY.cx >= 0) {
        rcCtrl.left = m_rcItem.left + szXY.cx;
        rcCtrl.right = m_rcItem.left + szXY.cx + sz.cx;
    } else {
        rcCtrl.left = m_rcItem.right + szXY.cx - sz.cx;
        rcCtrl.right = m_rcItem.right + szXY.cx;
    }
    if (szXY.cy >= 0) {
        rcCtrl.top = m_rcItem.top + szXY.cy;
        rcCtrl.bottom = m_rcItem.top + szXY.cy + sz.cy;
    } else {
        rcCtrl.top = m_rcItem.bottom + szXY.cy - sz.cy;
        rcCtrl.bottom = m_rcItem.bottom + szXY.cy;
    }
    if (pControl->IsRelativePos()) {
        const TRelativePosUI tRelativePos = pControl->GetRelativePos();
        const SIZE szParent = {m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top};
        if (tRelativePos.szParent.cx != 0) {
            const int nIncrementX = szParent.cx - tRelativePos.szParent.cx;
            const int nIncrementY = szParent.cy - tRelativePos.szParent.cy;
            rcCtrl.left += nIncrementX * tRelativePos.nMoveXPercent / 100;
            rcCtrl.top += nIncrementY * tRelativePos.nMoveYPercent / 100;
            rcCtrl.right = rcCtrl.left + sz.cx + nIncrementX * tRelativePos.nZoomXPercent / 100;
            rcCtrl.bottom = rcCtrl.top + sz.cy + nIncrementY * tRelativePos.nZoomYPercent / 100;
        }
        pControl->SetRelativeParentSize(szParent);
    }
    pControl->SetPos(rcCtrl);
}

void CContainerUI::UpdateScrollBars(RECT rc, int /*cxRequired*/, int cyRequired)
{
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        RECT rcScrollBarPos = {rc.left, rc.bottom, rc.right, rc.bottom + m_pHorizontalScrollBar->GetFixedHeight()};
        m_pHorizontalScrollBar->SetPos(rcScrollBarPos);
    }
    if (!m_pVerticalScrollBar)
        return;
    const int overflow = cyRequired - (rc.bottom - rc.top);
    if (cyRequired > rc.bottom - rc.top && !m_pVerticalScrollBar->IsVisible()) {
        m_pVerticalScrollBar->SetVisible(true);
        m_pVerticalScrollBar->SetScrollRange(overflow);
        m_pVerticalScrollBar->SetScrollPos(0);
        m_bScrollProcess = true;
        SetPos(m_rcItem);
        m_bScrollProcess = false;
        return;
    }
    if (!m_pVerticalScrollBar->IsVisible())
        return;
    if (overflow <= 0 && !m_bScrollProcess) {
        m_pVerticalScrollBar->SetVisible(false);
        m_pVerticalScrollBar->SetScrollPos(0);
        m_pVerticalScrollBar->SetScrollRange(0);
        SetPos(m_rcItem);
        return;
    }
    RECT rcScrollBarPos = {rc.right, rc.top, rc.right + m_pVerticalScrollBar->GetFixedWidth(), rc.bottom};
    m_pVerticalScrollBar->SetPos(rcScrollBarPos);
    if (m_pVerticalScrollBar->GetScrollRange() != overflow) {
        const int iScrollPos = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollRange(std::abs(overflow));
        if (m_pVerticalScrollBar->GetScrollRange() == 0) {
            m_pVerticalScrollBar->SetVisible(false);
            m_pVerticalScrollBar->SetScrollPos(0);
        }
        if (iScrollPos > m_pVerticalScrollBar->GetScrollPos())
            SetPos(m_rcItem);
    }
}

void CContainerUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"inset") == 0) {
        LONG v[4] = {0, 0, 0, 0};
        UIParseInts(pstrValue, v, 4);
        SetInset(RECT{v[0], v[1], v[2], v[3]});
    } else if (wcscmp(pstrName, u"mousechild") == 0) {
        SetMouseChildEnabled(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"vscrollbar") == 0) {
        // Through the virtual getters: a list keeps its bars in its body.
        EnableScrollBar(UIIsTrue(pstrValue), GetHorizontalScrollBar() != nullptr);
    } else if (wcscmp(pstrName, u"vscrollbarstyle") == 0) {
        EnableScrollBar(true, GetHorizontalScrollBar() != nullptr);
        if (CScrollBarUI* pBar = GetVerticalScrollBar())
            pBar->ApplyAttributeText(pstrValue);
    } else if (wcscmp(pstrName, u"hscrollbar") == 0) {
        EnableScrollBar(GetVerticalScrollBar() != nullptr, UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"hscrollbarstyle") == 0) {
        EnableScrollBar(GetVerticalScrollBar() != nullptr, true);
        if (CScrollBarUI* pBar = GetHorizontalScrollBar())
            pBar->ApplyAttributeText(pstrValue);
    } else if (wcscmp(pstrName, u"childpadding") == 0) {
        SetChildPadding(_wtoi(pstrValue));
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC Proc, void* pData, UINT uFlags)
{
    if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible())
        return nullptr;
    if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled())
        return nullptr;
    if ((uFlags & UIFIND_HITTEST) != 0) {
        if (!::PtInRect(&m_rcItem, *static_cast<LPPOINT>(pData)))
            return nullptr;
        if (!m_bMouseChildEnabled) {
            CControlUI* pResult = nullptr;
            if (m_pVerticalScrollBar)
                pResult = m_pVerticalScrollBar->FindControl(Proc, pData, uFlags);
            if (!pResult && m_pHorizontalScrollBar)
                pResult = m_pHorizontalScrollBar->FindControl(Proc, pData, uFlags);
            if (!pResult)
                pResult = CControlUI::FindControl(Proc, pData, uFlags);
            return pResult;
        }
    }
    CControlUI* pResult = nullptr;
    if (m_pVerticalScrollBar)
        pResult = m_pVerticalScrollBar->FindControl(Proc, pData, uFlags);
    if (!pResult && m_pHorizontalScrollBar)
        pResult = m_pHorizontalScrollBar->FindControl(Proc, pData, uFlags);
    if (pResult)
        return pResult;
    if ((uFlags & UIFIND_ME_FIRST) != 0) {
        if (CControlUI* pControl = CControlUI::FindControl(Proc, pData, uFlags))
            return pControl;
    }
    const RECT rc = InnerRect();
    auto accept = [&](CControlUI* pChild) -> CControlUI* {
        CControlUI* pControl = pChild->FindControl(Proc, pData, uFlags);
        if (!pControl)
            return nullptr;
        if ((uFlags & UIFIND_HITTEST) != 0 && !pControl->IsFloat() &&
            !::PtInRect(&rc, *static_cast<LPPOINT>(pData)))
            return nullptr;
        return pControl;
    };
    if ((uFlags & UIFIND_TOP_FIRST) != 0) {
        for (int it = m_items.GetSize() - 1; it >= 0; it--)
            if (CControlUI* pControl = accept(static_cast<CControlUI*>(m_items[it])))
                return pControl;
    } else {
        for (int it = 0; it < m_items.GetSize(); it++)
            if (CControlUI* pControl = accept(static_cast<CControlUI*>(m_items[it])))
                return pControl;
    }
    if ((uFlags & UIFIND_ME_FIRST) != 0)
        return nullptr;
    return CControlUI::FindControl(Proc, pData, uFlags);
}

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    RECT rcTemp = {0, 0, 0, 0};
    if (!::IntersectRect(&rcTemp, &rcPaint, &m_rcItem))
        return;
    CUIRenderClip clip;
    CUIRenderClip::GenerateClip(hDC, rcTemp, clip);
    CControlUI::DoPaint(hDC, rcPaint);

    if (m_items.GetSize() > 0) {
        const RECT rc = InnerRect();
        if (!::IntersectRect(&rcTemp, &rcPaint, &rc)) {
            for (int it = 0; it < m_items.GetSize(); it++) {
                auto* pControl = static_cast<CControlUI*>(m_items[it]);
                if (!pControl->IsVisible())
                    continue;
                if (!::IntersectRect(&rcTemp, &rcPaint, &pControl->GetPos()))
                    continue;
                if (pControl->IsFloat()) {
                    if (!::IntersectRect(&rcTemp, &m_rcItem, &pControl->GetPos()))
                        continue;
                    pControl->DoPaint(hDC, rcPaint);
                }
            }
        } else {
            CUIRenderClip childClip;
            CUIRenderClip::GenerateClip(hDC, rcTemp, childClip);
            for (int it = 0; it < m_items.GetSize(); it++) {
                auto* pControl = static_cast<CControlUI*>(m_items[it]);
                if (!pControl->IsVisible())
                    continue;
                if (!::IntersectRect(&rcTemp, &rcPaint, &pControl->GetPos()))
                    continue;
                if (pControl->IsFloat()) {
                    if (!::IntersectRect(&rcTemp, &m_rcItem, &pControl->GetPos()))
                        continue;
                    CUIRenderClip::UseOldClipBegin(hDC, childClip);
                    pControl->DoPaint(hDC, rcPaint);
                    CUIRenderClip::UseOldClipEnd(hDC, childClip);
                } else {
                    if (!::IntersectRect(&rcTemp, &rc, &pControl->GetPos()))
                        continue;
                    pControl->DoPaint(hDC, rcPaint);
                }
            }
        }
    }

    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        if (::IntersectRect(&rcTemp, &rcPaint, &m_pVerticalScrollBar->GetPos()))
            m_pVerticalScrollBar->DoPaint(hDC, rcPaint);
    }
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        if (::IntersectRect(&rcTemp, &rcPaint, &m_pHorizontalScrollBar->GetPos()))
            m_pHorizontalScrollBar->DoPaint(hDC, rcPaint);
    }
}
