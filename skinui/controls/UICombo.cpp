#include "skinui/controls/UICombo.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIStateBits.h"
#include "skinui/controls/UIComboWnd.h"

#include <algorithm>
#include <cstring>

CComboUI::CComboUI() : m_pWindow(nullptr), m_iCurSel(-1), m_szDropBox{0, 150}, m_uButtonState(0)
{
    std::memset(&m_rcTextPadding, 0, sizeof m_rcTextPadding);
}

CComboUI::~CComboUI()
{
    // An open pop-up must not outlive the rows it shows.
    if (m_pWindow)
        m_pWindow->OwnerGone();
}

const char16_t* CComboUI::GetClass() const { return u"ComboUI"; }

void* CComboUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"Combo") == 0)
        return static_cast<CComboUI*>(this);
    if (wcscmp(pstrName, u"IListOwner") == 0)
        return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CComboUI::GetInputFlags() const { return UIFLAG_TABSTOP; }

bool CComboUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pWindow)
        return true;
    m_pWindow = new CComboWnd;
    m_pWindow->Init(this);
    if (m_pManager)
        m_pManager->SendNotify(this, u"dropdown");
    Invalidate();
    return true;
}

CUIString CComboUI::GetText() const
{
    if (m_iCurSel < 0)
        return CUIString();
    CControlUI* pControl = GetItemAt(m_iCurSel);
    return pControl ? pControl->GetText() : CUIString();
}

void CComboUI::SetPos(RECT rc)
{
    const RECT rcNull = {0, 0, 0, 0};
    for (int i = 0; i < m_items.GetSize(); i++)
        static_cast<CControlUI*>(m_items[i])->SetPos(rcNull);
    CControlUI::SetPos(rc);
}

void CComboUI::SetEnabled(bool bEnable)
{
    CContainerUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

// ---- rows

void CComboUI::Renumber(int iFrom)
{
    for (int i = std::max(0, iFrom); i < GetCount(); i++)
        if (IListItemUI* pItem = UIListItemOf(GetItemAt(i)))
            pItem->SetIndex(i);
}

bool CComboUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    const int iOrginIndex = GetItemIndex(pControl);
    if (iOrginIndex == -1)
        return false;
    if (iOrginIndex == iIndex)
        return true;
    IListItemUI* pSelectedListItem = m_iCurSel >= 0 ? UIListItemOf(GetItemAt(m_iCurSel)) : nullptr;
    if (!CContainerUI::SetItemIndex(pControl, iIndex))
        return false;
    Renumber(std::min(iOrginIndex, iIndex));
    if (m_iCurSel >= 0 && pSelectedListItem)
        m_iCurSel = pSelectedListItem->GetIndex();
    return true;
}

bool CComboUI::Add(CControlUI* pControl)
{
    if (IListItemUI* pListItem = UIListItemOf(pControl)) {
        pListItem->SetOwner(this);
        pListItem->SetIndex(GetCount());
    }
    return CContainerUI::Add(pControl);
}

bool CComboUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (!CContainerUI::AddAt(pControl, iIndex))
        return false;
    if (IListItemUI* pListItem = UIListItemOf(pControl)) {
        pListItem->SetOwner(this);
        pListItem->SetIndex(iIndex);
    }
    Renumber(iIndex + 1);
    if (m_iCurSel >= iIndex)
        m_iCurSel += 1;
    return true;
}

bool CComboUI::Remove(CControlUI* pControl)
{
    const int iIndex = GetItemIndex(pControl);
    return iIndex != -1 && RemoveAt(iIndex);
}

bool CComboUI::RemoveAt(int iIndex)
{
    // The container's Remove, not ours (which comes back here).
    CControlUI* pControl = GetItemAt(iIndex);
    if (!pControl || !CContainerUI::Remove(pControl))
        return false;
    Renumber(iIndex);
    if (iIndex == m_iCurSel && m_iCurSel >= 0) {
        const int iSel = m_iCurSel;
        m_iCurSel = -1;
        SelectItem(FindSelectableItem(iSel, false));
    } else if (iIndex < m_iCurSel) {
        m_iCurSel -= 1;
    }
    return true;
}

void CComboUI::RemoveAll()
{
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

// ---- selection

CUIListInfo* CComboUI::GetListInfo() { return &m_ListInfo; }
int CComboUI::GetCurSel() const { return m_iCurSel; }
CComboWnd* CComboUI::GetDropWindow() const { return m_pWindow; }

bool CComboUI::SelectItem(int iIndex, bool bTakeFocus)
{
    // Every change of the selection closes an open pop-up.
    const bool bWasOpen = m_pWindow != nullptr;
    if (m_pWindow)
        m_pWindow->Close(1);
    if (iIndex == m_iCurSel)
        return true;
    const int iOldSel = m_iCurSel;
    if (m_iCurSel >= 0) {
        CControlUI* pControl = GetItemAt(m_iCurSel);
        if (!pControl)
            return false;
        if (IListItemUI* pListItem = UIListItemOf(pControl))
            pListItem->Select(false);
        m_iCurSel = -1;
    }
    if (iIndex < 0 || m_items.GetSize() == 0)
        return false;
    if (iIndex >= m_items.GetSize())
        iIndex = m_items.GetSize() - 1;
    CControlUI* pControl = GetItemAt(iIndex);
    if (!pControl || !pControl->IsVisible() || !pControl->IsEnabled())
        return false;
    IListItemUI* pListItem = UIListItemOf(pControl);
    if (!pListItem)
        return false;
    m_iCurSel = iIndex;
    if (bWasOpen || bTakeFocus)
        pControl->SetFocus();
    pListItem->Select(true);
    if (m_pManager)
        m_pManager->SendNotify(this, u"itemselect", static_cast<WPARAM>(m_iCurSel), static_cast<LPARAM>(iOldSel));
    Invalidate();
    return true;
}

// ---- events

void CComboUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pParent)
            m_pParent->HandleEvent(event);
        else
            CContainerUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled()) {
            Activate();
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
        }
        return;
    case UIEVENT_BUTTONUP:
        if ((m_uButtonState & UISTATE_CAPTURED) != 0) {
            m_uButtonState &= ~UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_KEYDOWN:
        switch (event.chKey) {
        case VK_UP:
        case VK_PRIOR:
            SelectItem(FindSelectableItem(m_iCurSel - 1, false));
            return;
        case VK_DOWN:
        case VK_NEXT:
            SelectItem(FindSelectableItem(m_iCurSel + 1, true));
            return;
        case VK_HOME:
            SelectItem(FindSelectableItem(0, false));
            return;
        case VK_END:
            SelectItem(FindSelectableItem(GetCount() - 1, true));
            return;
        case VK_F4:
            Activate();
            return;
        default:
            break;
        }
        break;
    case UIEVENT_SCROLLWHEEL: {
        const bool bDownward = LOWORD(event.wParam) == SB_LINEDOWN;
        SelectItem(FindSelectableItem(m_iCurSel + (bDownward ? 1 : -1), bDownward));
        return;
    }
    case UIEVENT_MOUSEENTER:
        if (::PtInRect(&m_rcItem, event.ptMouse)) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if ((m_uButtonState & UISTATE_HOT) != 0) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

// ---- attributes

CUIString CComboUI::GetDropBoxAttributeList() const { return m_sDropBoxAttributes; }
void CComboUI::SetDropBoxAttributeList(const char16_t* pstrList) { m_sDropBoxAttributes = pstrList; }
SIZE CComboUI::GetDropBoxSize() const { return m_szDropBox; }
void CComboUI::SetDropBoxSize(SIZE szDropBox) { m_szDropBox = szDropBox; }
RECT CComboUI::GetTextPadding() const { return m_rcTextPadding; }

void CComboUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

UINT CComboUI::GetButtonState() const { return m_uButtonState; }

void CComboUI::SetNormalImage(const char16_t* pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

void CComboUI::SetHotImage(const char16_t* pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

void CComboUI::SetPushedImage(const char16_t* pStrImage)
{
    m_sPushedImage = pStrImage;
    Invalidate();
}

void CComboUI::SetFocusedImage(const char16_t* pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

void CComboUI::SetDisabledImage(const char16_t* pStrImage)
{
    m_sDisabledImage = pStrImage;
    Invalidate();
}

void CComboUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    auto is = [pstrName](const char16_t* name) { return wcscmp(pstrName, name) == 0; };
    if (is(u"textpadding")) {
        LONG v[4] = {0, 0, 0, 0};
        UIParseInts(pstrValue, v, 4);
        SetTextPadding(RECT{v[0], v[1], v[2], v[3]});
    } else if (is(u"normalimage")) {
        SetNormalImage(pstrValue);
    } else if (is(u"hotimage")) {
        SetHotImage(pstrValue);
    } else if (is(u"pushedimage")) {
        SetPushedImage(pstrValue);
    } else if (is(u"focusedimage")) {
        SetFocusedImage(pstrValue);
    } else if (is(u"disabledimage")) {
        SetDisabledImage(pstrValue);
    } else if (is(u"dropbox")) {
        SetDropBoxAttributeList(pstrValue);
    } else if (is(u"dropboxsize")) {
        LONG v[2] = {0, 0};
        UIParseInts(pstrValue, v, 2);
        SetDropBoxSize(SIZE{v[0], v[1]});
    } else {
        switch (UIApplyListInfoAttribute(m_ListInfo, pstrName, pstrValue, false)) {
        case UIListInfoField::None:
            CContainerUI::SetAttribute(pstrName, pstrValue);
            break;
        case UIListInfoField::TextColor:
        case UIListInfoField::TextPadding:
        case UIListInfoField::ShowHtmlChanged:
            Invalidate();
            break;
        default:
            break;
        }
    }
}

SIZE CComboUI::PreferredSize(SIZE szAvailable)
{
    if (m_cxyFixed.cy != 0 || !m_pManager)
        return CControlUI::PreferredSize(szAvailable);
    return SIZE{m_cxyFixed.cx, static_cast<LONG>(m_pManager->GetDefaultFontDesc()->tm.tmHeight) + 12};
}

// ---- painting

void CComboUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    // The rows are never painted inside the box.
    CControlUI::DoPaint(hDC, rcPaint);
}

void CComboUI::PaintStateImage(HDC hDC)
{
    if (IsFocused())
        m_uButtonState |= UISTATE_FOCUSED;
    else
        m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled())
        m_uButtonState |= UISTATE_DISABLED;
    else
        m_uButtonState &= ~UISTATE_DISABLED;

    CUIString* pState = nullptr;
    if ((m_uButtonState & UISTATE_DISABLED) != 0)
        pState = &m_sDisabledImage;
    else if ((m_uButtonState & UISTATE_PUSHED) != 0)
        pState = &m_sPushedImage;
    else if ((m_uButtonState & UISTATE_HOT) != 0)
        pState = &m_sHotImage;
    else if ((m_uButtonState & UISTATE_FOCUSED) != 0)
        pState = &m_sFocusedImage;
    if (pState && DrawOrForget(hDC, *pState))
        return;
    DrawOrForget(hDC, m_sNormalImage);
}

void CComboUI::PaintSelection(HDC hDC, const RECT& rcText)
{
    if (m_iCurSel < 0)
        return;
    CControlUI* pControl = GetItemAt(m_iCurSel);
    if (!pControl)
        return;
    if (IListItemUI* pElement = UIListItemOf(pControl)) {
        pElement->DrawItemText(hDC, rcText);
        return;
    }
    const RECT rcOldPos = pControl->GetPos();
    pControl->SetPos(rcText);
    pControl->DoPaint(hDC, rcText);
    pControl->SetPos(rcOldPos);
}

void CComboUI::PaintText(HDC hDC)
{
    RECT rcText = m_rcItem;
    rcText.left += m_rcTextPadding.left;
    rcText.right -= m_rcTextPadding.right;
    rcText.top += m_rcTextPadding.top;
    rcText.bottom -= m_rcTextPadding.bottom;
    PaintSelection(hDC, rcText);
}
