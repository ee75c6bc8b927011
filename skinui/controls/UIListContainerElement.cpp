#include "skinui/controls/UIListContainerElement.h"

#include "skinui/UIStateBits.h"
#include "skinui/controls/UIListElement.h"

CListContainerElementUI::CListContainerElementUI()
    : m_iIndex(-1), m_bSelected(false), m_uButtonState(0), m_pOwner(nullptr)
{
}

const char16_t* CListContainerElementUI::GetClass() const { return u"ListContainerElementUI"; }

void* CListContainerElementUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"ListItem") == 0)
        return static_cast<IListItemUI*>(this);
    if (wcscmp(pstrName, u"ListContainerElement") == 0)
        return static_cast<CListContainerElementUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CListContainerElementUI::GetInputFlags() const { return UIFLAG_LISTITEM; }

bool CListContainerElementUI::Activate()
{
    if (!CContainerUI::Activate())
        return false;
    return UIListRowActivated(this);
}

void CListContainerElementUI::SetVisible(bool bVisible)
{
    CContainerUI::SetVisible(bVisible);
    UIListRowHidden(this, m_bSelected, m_pOwner);
}

void CListContainerElementUI::SetEnabled(bool bEnable)
{
    CContainerUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

int CListContainerElementUI::GetIndex() const { return m_iIndex; }
void CListContainerElementUI::SetIndex(int iIndex) { m_iIndex = iIndex; }
IListOwnerUI* CListContainerElementUI::GetOwner() { return m_pOwner; }

void CListContainerElementUI::SetOwner(CControlUI* pOwner)
{
    m_pOwner = pOwner ? static_cast<IListOwnerUI*>(pOwner->GetInterface(u"IListOwner")) : nullptr;
}

bool CListContainerElementUI::IsSelected() const { return m_bSelected; }

bool CListContainerElementUI::Select(bool bSelect)
{
    return UIListRowSelect(this, m_bSelected, bSelect, m_pOwner, m_iIndex);
}

bool CListContainerElementUI::IsExpanded() const { return false; }
bool CListContainerElementUI::Expand(bool) { return false; }
void CListContainerElementUI::DrawItemText(HDC, const RECT&) {}
UINT CListContainerElementUI::GetButtonState() const { return m_uButtonState; }
void CListContainerElementUI::InvalidateItem() { UIListInvalidateItem(this); }

void CListContainerElementUI::DrawItemBk(HDC hDC, const RECT&)
{
    UIListDrawItemBk(this, hDC, m_pOwner, m_iIndex, m_bSelected, m_uButtonState);
}

void CListContainerElementUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pOwner)
            m_pOwner->HandleEvent(event);
        else
            CContainerUI::HandleEvent(event);
        return;
    }
    if (UIListRowActivateKeys(this, event))
        return;
    if (UIListRowMouse(this, this, m_uButtonState, event))
        return;
    if (m_pOwner)
        m_pOwner->HandleEvent(event);
    else
        CControlUI::HandleEvent(event);
}

void CListContainerElementUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"selected") == 0)
        Select();
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CListContainerElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    DrawItemBk(hDC, m_rcItem);
    CContainerUI::DoPaint(hDC, rcPaint);
}
