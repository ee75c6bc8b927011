#include "skinui/controls/UIListElement.h"

#include "skinui/UIContainer.h"
#include "skinui/UIRender.h"
#include "skinui/UIStateBits.h"
#include "skinui/controls/UIScrollBar.h"

CListElementUI::CListElementUI() : m_iIndex(-1), m_bSelected(false), m_uButtonState(0), m_pOwner(nullptr) {}

const char16_t* CListElementUI::GetClass() const { return u"ListElementUI"; }

void* CListElementUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"ListItem") == 0)
        return static_cast<IListItemUI*>(this);
    if (wcscmp(pstrName, u"ListElement") == 0)
        return static_cast<CListElementUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

UINT CListElementUI::GetInputFlags() const { return UIFLAG_LISTITEM; }

bool CListElementUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    return UIListRowActivated(this);
}

void CListElementUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    UIListRowHidden(this, m_bSelected, m_pOwner);
}

void CListElementUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

int CListElementUI::GetIndex() const { return m_iIndex; }
void CListElementUI::SetIndex(int iIndex) { m_iIndex = iIndex; }
IListOwnerUI* CListElementUI::GetOwner() { return m_pOwner; }

void CListElementUI::SetOwner(CControlUI* pOwner)
{
    m_pOwner = pOwner ? static_cast<IListOwnerUI*>(pOwner->GetInterface(u"IListOwner")) : nullptr;
}

bool CListElementUI::IsSelected() const { return m_bSelected; }

bool CListElementUI::Select(bool bSelect)
{
    return UIListRowSelect(this, m_bSelected, bSelect, m_pOwner, m_iIndex);
}

bool CListElementUI::IsExpanded() const { return false; }
bool CListElementUI::Expand(bool) { return false; }
UINT CListElementUI::GetButtonState() const { return m_uButtonState; }

void CListElementUI::InvalidateItem() { UIListInvalidateItem(this); }

void CListElementUI::DrawItemBk(HDC hDC, const RECT&)
{
    UIListDrawItemBk(this, hDC, m_pOwner, m_iIndex, m_bSelected, m_uButtonState);
}

void CListElementUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pOwner)
            m_pOwner->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
        return;
    }
    if (UIListRowActivateKeys(this, event))
        return;
    if (m_pOwner)
        m_pOwner->HandleEvent(event);
    else
        CControlUI::HandleEvent(event);
}

void CListElementUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    // Any value selects the row.
    if (wcscmp(pstrName, u"selected") == 0)
        Select();
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

// ---- shared row behaviour

void UIListInvalidateItem(CControlUI* pRow)
{
    if (!pRow->IsVisible())
        return;
    CControlUI* pParent = pRow->GetParent();
    CUIWindowManager* pManager = pRow->GetManager();
    auto* pContainer = pParent ? static_cast<CContainerUI*>(pParent->GetInterface(u"Container")) : nullptr;
    if (!pContainer) {
        pRow->Invalidate();
        return;
    }
    RECT rcInvalidate = pRow->GetPos();
    RECT rcParent = pContainer->GetPos();
    const RECT rcInset = pContainer->GetInset();
    rcParent.left += rcInset.left;
    rcParent.top += rcInset.top;
    rcParent.right -= rcInset.right;
    rcParent.bottom -= rcInset.bottom;
    if (CScrollBarUI* pBar = pContainer->GetVerticalScrollBar(); pBar && pBar->IsVisible())
        rcParent.right -= pBar->GetFixedWidth();
    if (CScrollBarUI* pBar = pContainer->GetHorizontalScrollBar(); pBar && pBar->IsVisible())
        rcParent.bottom -= pBar->GetFixedHeight();
    RECT rcTemp = rcInvalidate;
    if (!::IntersectRect(&rcInvalidate, &rcTemp, &rcParent))
        return;
    for (CControlUI* pAncestor = pParent->GetParent(); pAncestor; pAncestor = pAncestor->GetParent()) {
        rcTemp = rcInvalidate;
        const RECT rcAncestor = pAncestor->GetPos();
        if (!::IntersectRect(&rcInvalidate, &rcTemp, &rcAncestor))
            return;
    }
    if (pManager)
        pManager->Invalidate(rcInvalidate);
}

void UIListDrawItemBk(CControlUI* pRow, HDC hDC, IListOwnerUI* pOwner, int iIndex, bool bSelected, UINT uState)
{
    if (!pOwner)
        return;
    CUIListInfo* pInfo = pOwner->GetListInfo();
    const bool odd = pInfo->bAlternateBk && (iIndex % 2) != 0;
    DWORD iBackColor = odd ? 0 : pInfo->dwBkColor;
    if ((uState & UISTATE_HOT) != 0)
        iBackColor = pInfo->dwHotBkColor;
    if (bSelected)
        iBackColor = pInfo->dwSelectedBkColor;
    if (!pRow->IsEnabled())
        iBackColor = pInfo->dwDisabledBkColor;
    const RECT& rcItem = pRow->GetPos();
    if (iBackColor != 0)
        CUIRenderEngine::DrawColor(hDC, rcItem, pRow->HslAdjustedColor(iBackColor));

    auto drawOrForget = [&](CUIString& sImage) { return pRow->DrawOrForget(hDC, sImage); };
    CUIString* pState = nullptr;
    if (!pRow->IsEnabled())
        pState = &pInfo->sDisabledImage;
    else if (bSelected)
        pState = &pInfo->sSelectedImage;
    else if ((uState & UISTATE_HOT) != 0)
        pState = &pInfo->sHotImage;
    if (pState && drawOrForget(*pState))
        return;

    const char16_t* pOwnImage = pRow->GetBkImage();
    if (pOwnImage && *pOwnImage) {
        if (!odd && !pRow->DrawImage(hDC, pOwnImage))
            pRow->SetBkImage(u"");
    } else if (drawOrForget(pInfo->sBkImage)) {
        return;
    }

    if (pInfo->dwLineColor != 0) {
        const RECT rcLine = {rcItem.left, rcItem.bottom - 1, rcItem.right, rcItem.bottom - 1};
        CUIRenderEngine::DrawLine(hDC, rcLine, 1, pRow->HslAdjustedColor(pInfo->dwLineColor));
    }
}

void UIListDrawLabelText(CControlUI* pRow, HDC hDC, const RECT& rcItem, IListOwnerUI* pOwner, bool bSelected,
                         UINT uState)
{
    const CUIString sText = pRow->GetText();
    if (sText.IsEmpty() || !pOwner)
        return;
    CUIListInfo* pInfo = pOwner->GetListInfo();
    DWORD iTextColor = (uState & UISTATE_HOT) != 0 ? pInfo->dwHotTextColor : pInfo->dwTextColor;
    if (bSelected)
        iTextColor = pInfo->dwSelectedTextColor;
    if (!pRow->IsEnabled())
        iTextColor = pInfo->dwDisabledTextColor;
    RECT rcText = rcItem;
    rcText.left += pInfo->rcTextPadding.left;
    rcText.right -= pInfo->rcTextPadding.right;
    rcText.top += pInfo->rcTextPadding.top;
    rcText.bottom -= pInfo->rcTextPadding.bottom;
    if (pInfo->bShowHtml) {
        int nLinks = 0;
        CUIRenderEngine::DrawHtmlText(hDC, pRow->GetManager(), rcText, sText, iTextColor, nullptr, nullptr, nLinks,
                                      DT_SINGLELINE | pInfo->uTextStyle);
    } else {
        CUIRenderEngine::DrawText(hDC, pRow->GetManager(), rcText, sText, iTextColor, pInfo->nFont,
                                  DT_SINGLELINE | pInfo->uTextStyle);
    }
}

bool UIListRowMouse(CControlUI* pRow, IListItemUI* pItem, UINT& uState, UIEventRecord& event)
{
    switch (event.Type) {
    case UIEVENT_MOUSELEAVE:
        if ((uState & UISTATE_HOT) != 0) {
            uState &= ~UISTATE_HOT;
            UIListInvalidateItem(pRow);
        }
        return true;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_BUTTONUP:
        return true;
    case UIEVENT_MOUSEENTER:
        if (pRow->IsEnabled()) {
            uState |= UISTATE_HOT;
            UIListInvalidateItem(pRow);
        }
        return true;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        if (pRow->IsEnabled()) {
            if (CUIWindowManager* pManager = pRow->GetManager())
                pManager->SendNotify(pRow, u"itemclick");
            pItem->Select(true);
            UIListInvalidateItem(pRow);
        }
        return true;
    default:
        return false;
    }
}

bool UIListRowActivateKeys(CControlUI* pRow, UIEventRecord& event)
{
    const bool activating =
        event.Type == UIEVENT_DBLCLICK || (event.Type == UIEVENT_KEYDOWN && event.chKey == VK_RETURN);
    if (!activating)
        return false;
    if (event.Type == UIEVENT_DBLCLICK && !pRow->IsEnabled())
        return true; // dropped
    if (!pRow->IsEnabled())
        return false;
    pRow->Activate();
    UIListInvalidateItem(pRow);
    return true;
}

bool UIListRowActivated(CControlUI* pRow)
{
    if (CUIWindowManager* pManager = pRow->GetManager())
        pManager->SendNotify(pRow, u"itemactivate");
    return true;
}

void UIListRowHidden(CControlUI* pRow, bool& bSelected, IListOwnerUI* pOwner)
{
    if (pRow->IsVisible() || !bSelected)
        return;
    bSelected = false;
    if (pOwner)
        pOwner->SelectItem(-1);
}

bool UIListRowSelect(CControlUI* pRow, bool& bSelected, bool bSelect, IListOwnerUI* pOwner, int iIndex)
{
    if (!pRow->IsEnabled())
        return false;
    if (bSelect == bSelected)
        return true;
    bSelected = bSelect;
    if (bSelect && pOwner)
        pOwner->SelectItem(iIndex);
    UIListInvalidateItem(pRow);
    return true;
}
