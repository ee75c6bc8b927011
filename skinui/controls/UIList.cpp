#include "skinui/controls/UIList.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIStateBits.h"
#include "skinui/controls/UIListBody.h"
#include "skinui/controls/UIListHeader.h"
#include "skinui/controls/UIScrollBar.h"

#include <algorithm>

CListUI::CListUI()
    : m_bScrollSelect(false), m_iCurSel(-1), m_iExpandedItem(-1), m_pCallback(nullptr), m_pList(nullptr),
      m_pHeader(nullptr)
{
    m_pList = new CListBodyUI(this);
    m_pHeader = new CListHeaderUI;
    Add(m_pHeader);
    CContainerUI::Add(m_pList);
}

const char16_t* CListUI::GetClass() const { return u"ListUI"; }

void* CListUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"List") == 0)
        return static_cast<CListUI*>(this);
    if (wcscmp(pstrName, u"IList") == 0)
        return static_cast<IListUI*>(this);
    if (wcscmp(pstrName, u"IListOwner") == 0)
        return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(pstrName);
}

UINT CListUI::GetInputFlags() const { return UIFLAG_TABSTOP; }

bool CListUI::IsHeader(CControlUI* pControl) const
{
    return pControl && pControl->GetInterface(u"ListHeader") != nullptr;
}

bool CListUI::IsHeaderItem(CControlUI* pControl)
{
    return pControl && wcsstr(pControl->GetClass(), u"ListHeaderItemUI") != nullptr;
}

void CListUI::RefreshColumnCount()
{
    m_ListInfo.nColumns = m_pHeader ? std::min(m_pHeader->GetCount(), kMaxListColumns) : 0;
}

void CListUI::Renumber(int iFrom, int iTo)
{
    iFrom = std::max(0, iFrom);
    iTo = std::min(iTo, m_pList->GetCount() - 1);
    for (int i = iFrom; i <= iTo; i++)
        if (IListItemUI* pItem = UIListItemOf(m_pList->GetItemAt(i)))
            pItem->SetIndex(i);
}

// ---- items

CControlUI* CListUI::GetItemAt(int iIndex) const { return m_pList->GetItemAt(iIndex); }

int CListUI::GetItemIndex(CControlUI* pControl) const
{
    if (IsHeader(pControl))
        return CContainerUI::GetItemIndex(pControl);
    if (IsHeaderItem(pControl))
        return m_pHeader->GetItemIndex(pControl);
    return m_pList->GetItemIndex(pControl);
}

bool CListUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    if (IsHeader(pControl))
        return CContainerUI::SetItemIndex(pControl, iIndex);
    if (IsHeaderItem(pControl))
        return m_pHeader->SetItemIndex(pControl, iIndex);
    const int iOrginIndex = m_pList->GetItemIndex(pControl);
    if (iOrginIndex == -1)
        return false;
    if (iOrginIndex == iIndex)
        return true;
    IListItemUI* pSelectedListItem = m_iCurSel >= 0 ? UIListItemOf(GetItemAt(m_iCurSel)) : nullptr;
    if (!m_pList->SetItemIndex(pControl, iIndex))
        return false;
    Renumber(std::min(iOrginIndex, iIndex), std::max(iOrginIndex, iIndex));
    if (m_iCurSel >= 0 && pSelectedListItem)
        m_iCurSel = pSelectedListItem->GetIndex();
    return true;
}

int CListUI::GetCount() const { return m_pList->GetCount(); }

bool CListUI::Add(CControlUI* pControl)
{
    if (!pControl)
        return false;
    if (IsHeader(pControl)) {
        if (m_pHeader != pControl && m_pHeader && m_pHeader->GetCount() == 0) {
            CContainerUI::Remove(m_pHeader);
            m_pHeader = static_cast<CListHeaderUI*>(pControl);
        }
        const bool ok = CContainerUI::AddAt(pControl, 0);
        RefreshColumnCount();
        return ok;
    }
    if (IsHeaderItem(pControl)) {
        const bool ok = m_pHeader->Add(pControl);
        RefreshColumnCount();
        RequestLayout(); // the column table follows the list's layout
        return ok;
    }
    if (IListItemUI* pListItem = UIListItemOf(pControl)) {
        pListItem->SetOwner(this);
        pListItem->SetIndex(GetCount());
    }
    return m_pList->Add(pControl);
}

bool CListUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (!pControl)
        return false;
    if (IsHeader(pControl)) {
        if (m_pHeader != pControl && m_pHeader && m_pHeader->GetCount() == 0) {
            CContainerUI::Remove(m_pHeader);
            m_pHeader = static_cast<CListHeaderUI*>(pControl);
        }
        const bool ok = CContainerUI::AddAt(pControl, 0);
        RefreshColumnCount();
        return ok;
    }
    if (IsHeaderItem(pControl)) {
        const bool ok = m_pHeader->AddAt(pControl, iIndex);
        RefreshColumnCount();
        RequestLayout(); // the column table follows the list's layout
        return ok;
    }
    if (!m_pList->AddAt(pControl, iIndex))
        return false;
    if (IListItemUI* pListItem = UIListItemOf(pControl)) {
        pListItem->SetOwner(this);
        pListItem->SetIndex(iIndex);
    }
    Renumber(iIndex + 1, GetCount() - 1);
    if (m_iCurSel >= iIndex)
        m_iCurSel += 1;
    return true;
}

void CListUI::AfterRemoval(int iIndex)
{
    Renumber(iIndex, GetCount() - 1);
    if (iIndex == m_iCurSel && m_iCurSel >= 0) {
        const int iSel = m_iCurSel;
        m_iCurSel = -1;
        SelectItem(FindSelectableItem(iSel, false));
    } else if (iIndex < m_iCurSel) {
        m_iCurSel -= 1;
    }
}

bool CListUI::Remove(CControlUI* pControl)
{
    if (IsHeader(pControl))
        return CContainerUI::Remove(pControl);
    if (IsHeaderItem(pControl)) {
        const bool ok = m_pHeader->Remove(pControl);
        RefreshColumnCount();
        RequestLayout(); // the column table follows the list's layout
        return ok;
    }
    const int iIndex = m_pList->GetItemIndex(pControl);
    if (iIndex == -1)
        return false;
    if (!m_pList->RemoveAt(iIndex))
        return false;
    AfterRemoval(iIndex);
    return true;
}

bool CListUI::RemoveAt(int iIndex)
{
    if (!m_pList->RemoveAt(iIndex))
        return false;
    AfterRemoval(iIndex);
    return true;
}

void CListUI::RemoveAll()
{
    m_iCurSel = -1;
    m_iExpandedItem = -1;
    m_pList->RemoveAll();
}

// ---- layout

void CListUI::SetPos(RECT rc)
{
    CVerticalLayoutUI::SetPos(rc);
    if (!m_pHeader)
        return;
    PlaceColumns(m_pList->GetScrollPos().cx, true, &rc);
}

void CListUI::PlaceColumns(int dx, bool bLayout, const RECT* prcList)
{
    if (!m_pHeader)
        return;
    RefreshColumnCount();
    const bool hidden = !m_pHeader->IsVisible();
    if (hidden) {
        for (int it = 0; it < m_pHeader->GetCount(); it++)
            m_pHeader->GetItemAt(it)->SetInheritedVisible(true);
        if (bLayout && prcList)
            m_pHeader->SetPos(RECT{prcList->left, 0, prcList->right, 0});
    }
    for (int i = 0; i < m_ListInfo.nColumns; i++) {
        CControlUI* pControl = m_pHeader->GetItemAt(i);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        RECT rcPos = pControl->GetPos();
        if (dx != 0 && (!bLayout || dx > 0)) {
            rcPos.left -= dx;
            rcPos.right -= dx;
            pControl->SetPos(rcPos);
        }
        m_ListInfo.rcColumn[i] = pControl->GetPos();
    }
    if (hidden) {
        for (int it = 0; it < m_pHeader->GetCount(); it++)
            m_pHeader->GetItemAt(it)->SetInheritedVisible(false);
    }
}

// ---- events

void CListUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pParent)
            m_pParent->HandleEvent(event);
        else
            CVerticalLayoutUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        return;
    case UIEVENT_KEYDOWN:
        switch (event.chKey) {
        case VK_RETURN:
            if (m_iCurSel != -1)
                if (CControlUI* pItem = GetItemAt(m_iCurSel))
                    pItem->Activate();
            return;
        case VK_PRIOR:
            PageUp();
            return;
        case VK_NEXT:
            PageDown();
            return;
        case VK_HOME:
            SelectItem(FindSelectableItem(0, false), true);
            return;
        case VK_END:
            SelectItem(FindSelectableItem(GetCount() - 1, true), true);
            return;
        case VK_UP:
            SelectItem(FindSelectableItem(m_iCurSel - 1, false), true);
            return;
        case VK_DOWN:
            SelectItem(FindSelectableItem(m_iCurSel + 1, true), true);
            return;
        default:
            break;
        }
        break;
    case UIEVENT_SCROLLWHEEL:
        switch (LOWORD(event.wParam)) {
        case SB_LINEUP:
            if (m_bScrollSelect)
                SelectItem(FindSelectableItem(m_iCurSel - 1, false), true);
            else
                LineUp();
            return;
        case SB_LINEDOWN:
            if (m_bScrollSelect)
                SelectItem(FindSelectableItem(m_iCurSel + 1, true), true);
            else
                LineDown();
            return;
        default:
            break;
        }
        break;
    default:
        break;
    }
    CVerticalLayoutUI::HandleEvent(event);
}

// ---- selection

CUIListInfo* CListUI::GetListInfo() { return &m_ListInfo; }
int CListUI::GetCurSel() const { return m_iCurSel; }

bool CListUI::SelectItem(int iIndex, bool bTakeFocus)
{
    if (iIndex == m_iCurSel)
        return true;
    const int iOldSel = m_iCurSel;
    if (m_iCurSel >= 0) {
        if (IListItemUI* pListItem = UIListItemOf(GetItemAt(m_iCurSel)))
            pListItem->Select(false);
        m_iCurSel = -1;
    }
    if (iIndex < 0)
        return false;
    CControlUI* pControl = GetItemAt(iIndex);
    if (!pControl || !pControl->IsVisible() || !pControl->IsEnabled())
        return false;
    IListItemUI* pListItem = UIListItemOf(pControl);
    if (!pListItem)
        return false;
    m_iCurSel = iIndex;
    if (!pListItem->Select(true)) {
        m_iCurSel = -1;
        return false;
    }
    EnsureVisible(m_iCurSel);
    if (bTakeFocus)
        pControl->SetFocus();
    if (m_pManager)
        m_pManager->SendNotify(this, u"itemselect", static_cast<WPARAM>(m_iCurSel), static_cast<LPARAM>(iOldSel));
    return true;
}

CListHeaderUI* CListUI::GetHeader() const { return m_pHeader; }
CListBodyUI* CListUI::GetList() const { return m_pList; }
IListTextCallbackUI* CListUI::GetTextCallback() const { return m_pCallback; }
void CListUI::SetTextCallback(IListTextCallbackUI* pCallback) { m_pCallback = pCallback; }

bool CListUI::ExpandItem(int iIndex, bool bExpand)
{
    if (m_iExpandedItem >= 0 && !m_ListInfo.bMultiExpandable) {
        if (IListItemUI* pItem = UIListItemOf(GetItemAt(m_iExpandedItem)))
            pItem->Expand(false);
        m_iExpandedItem = -1;
    }
    if (bExpand) {
        CControlUI* pControl = GetItemAt(iIndex);
        if (!pControl || !pControl->IsVisible())
            return false;
        IListItemUI* pListItem = UIListItemOf(pControl);
        if (!pListItem)
            return false;
        m_iExpandedItem = iIndex;
        if (!pListItem->Expand(true)) {
            m_iExpandedItem = -1;
            return false;
        }
    }
    RequestLayout();
    return true;
}

int CListUI::GetExpandedItem() const { return m_iExpandedItem; }

void CListUI::EnsureVisible(int iIndex)
{
    if (m_iCurSel < 0)
        return;
    CControlUI* pItem = GetItemAt(iIndex);
    if (!pItem)
        return;
    const RECT rcItem = pItem->GetPos();
    RECT rcList = m_pList->GetPos();
    const RECT rcListInset = m_pList->GetInset();
    rcList.top += rcListInset.top;
    rcList.bottom -= rcListInset.bottom;
    CScrollBarUI* pHorizontalScrollBar = m_pList->GetHorizontalScrollBar();
    if (pHorizontalScrollBar && pHorizontalScrollBar->IsVisible())
        rcList.bottom -= pHorizontalScrollBar->GetFixedHeight();
    if (rcItem.top >= rcList.top && rcItem.bottom <= rcList.bottom)
        return;
    int dx = 0;
    if (rcItem.bottom > rcList.bottom)
        dx = rcItem.bottom - rcList.bottom;
    else
        dx = rcItem.top - rcList.top;
    Scroll(0, dx);
}

void CListUI::Scroll(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return;
    const SIZE sz = m_pList->GetScrollPos();
    m_pList->SetScrollPos(SIZE{sz.cx + dx, sz.cy + dy});
}

bool CListUI::GetScrollSelect() const { return m_bScrollSelect; }
void CListUI::SetScrollSelect(bool bScrollSelect) { m_bScrollSelect = bScrollSelect; }

// ---- forwarded to the body

int CListUI::GetChildPadding() const { return m_pList->GetChildPadding(); }
void CListUI::SetChildPadding(int iPadding) { m_pList->SetChildPadding(iPadding); }
SIZE CListUI::GetScrollPos() const { return m_pList->GetScrollPos(); }
SIZE CListUI::GetScrollRange() const { return m_pList->GetScrollRange(); }
void CListUI::SetScrollPos(SIZE szPos) { m_pList->SetScrollPos(szPos); }
void CListUI::LineUp() { m_pList->LineUp(); }
void CListUI::LineDown() { m_pList->LineDown(); }
void CListUI::PageUp() { m_pList->PageUp(); }
void CListUI::PageDown() { m_pList->PageDown(); }
void CListUI::HomeUp() { m_pList->HomeUp(); }
void CListUI::EndDown() { m_pList->EndDown(); }
void CListUI::LineLeft() { m_pList->LineLeft(); }
void CListUI::LineRight() { m_pList->LineRight(); }
void CListUI::PageLeft() { m_pList->PageLeft(); }
void CListUI::PageRight() { m_pList->PageRight(); }
void CListUI::HomeLeft() { m_pList->HomeLeft(); }
void CListUI::EndRight() { m_pList->EndRight(); }

void CListUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    m_pList->EnableScrollBar(bEnableVertical, bEnableHorizontal);
}

CScrollBarUI* CListUI::GetVerticalScrollBar() const { return m_pList->GetVerticalScrollBar(); }
CScrollBarUI* CListUI::GetHorizontalScrollBar() const { return m_pList->GetHorizontalScrollBar(); }

// ---- attributes

bool CListUI::ApplyListInfo(const char16_t* pstrName, const char16_t* pstrValue)
{
    switch (UIApplyListInfoAttribute(m_ListInfo, pstrName, pstrValue, true)) {
    case UIListInfoField::None:
        return false;
    case UIListInfoField::TextColor:
    case UIListInfoField::Colour:
    case UIListInfoField::Image:
    case UIListInfoField::AlternateBk:
        Invalidate();
        return true;
    case UIListInfoField::TextPadding:
    case UIListInfoField::ShowHtmlChanged:
        RequestLayout();
        return true;
    case UIListInfoField::Font:
    case UIListInfoField::Align:
    case UIListInfoField::EndEllipsis:
    case UIListInfoField::ShowHtmlSame:
        return true;
    }
    return true;
}

void CListUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"header") == 0)
        m_pHeader->SetVisible(wcscmp(pstrValue, u"hidden") != 0);
    else if (wcscmp(pstrName, u"headerbkimage") == 0)
        m_pHeader->SetBkImage(pstrValue);
    else if (wcscmp(pstrName, u"scrollselect") == 0)
        SetScrollSelect(UIIsTrue(pstrValue));
    else if (wcscmp(pstrName, u"multiexpanding") == 0)
        m_ListInfo.bMultiExpandable = UIIsTrue(pstrValue);
    else if (!ApplyListInfo(pstrName, pstrValue))
        CVerticalLayoutUI::SetAttribute(pstrName, pstrValue);
}
