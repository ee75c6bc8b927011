#include "skinui/controls/UIListTextElement.h"

#include "skinui/UIRender.h"
#include "skinui/UIStateBits.h"

#include <algorithm>
#include <cstring>

CListTextElementUI::CListTextElementUI() : m_nLinks(0), m_nHoverLink(-1), m_pOwnerList(nullptr)
{
    std::memset(m_rcLinks, 0, sizeof m_rcLinks);
}

CListTextElementUI::~CListTextElementUI()
{
    for (int it = 0; it < m_aTexts.GetSize(); it++)
        delete static_cast<CUIString*>(m_aTexts[it]);
}

const char16_t* CListTextElementUI::GetClass() const { return u"ListTextElementUI"; }

void* CListTextElementUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"ListTextElement") == 0)
        return static_cast<CListTextElementUI*>(this);
    return CListLabelElementUI::GetInterface(pstrName);
}

UINT CListTextElementUI::GetInputFlags() const
{
    return (m_bEnabled && m_nLinks > 0) ? (UIFLAG_LISTITEM | UIFLAG_SETCURSOR) : UIFLAG_LISTITEM;
}

void CListTextElementUI::SetOwner(CControlUI* pOwner)
{
    CListElementUI::SetOwner(pOwner);
    m_pOwnerList = pOwner ? static_cast<IListUI*>(pOwner->GetInterface(u"IList")) : nullptr;
}

const char16_t* CListTextElementUI::GetText(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_aTexts.GetSize())
        return u"";
    const auto* pText = static_cast<const CUIString*>(m_aTexts[iIndex]);
    return pText ? pText->GetData() : u"";
}

void CListTextElementUI::SetText(int iIndex, const char16_t* pstrText)
{
    if (iIndex < 0)
        return;
    // Columns beyond the header are kept too, so a header added later shows them.
    while (m_aTexts.GetSize() <= iIndex)
        m_aTexts.Add(nullptr);
    auto* pText = static_cast<CUIString*>(m_aTexts[iIndex]);
    if (pText && *pText == pstrText)
        return;
    if (pText)
        *pText = pstrText;
    else
        m_aTexts.SetAt(iIndex, new CUIString(pstrText));
    Invalidate();
}

int CListTextElementUI::GetLinkCount() const { return m_nLinks; }

RECT CListTextElementUI::GetLinkRect(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_nLinks)
        return RECT{0, 0, 0, 0};
    return m_rcLinks[iIndex];
}

void CListTextElementUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pOwner)
            m_pOwner->HandleEvent(event);
        else
            CListLabelElementUI::HandleEvent(event);
        return;
    }
    auto linkAt = [this](POINT pt) {
        for (int i = 0; i < m_nLinks; i++)
            if (::PtInRect(&m_rcLinks[i], pt))
                return i;
        return -1;
    };
    if (event.Type == UIEVENT_SETCURSOR && linkAt(event.ptMouse) >= 0) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return;
    }
    if (event.Type == UIEVENT_BUTTONUP && IsEnabled()) {
        const int i = linkAt(event.ptMouse);
        if (i >= 0) {
            if (m_pManager)
                m_pManager->SendNotify(this, u"link", static_cast<WPARAM>(i));
            return;
        }
    }
    if (m_nLinks > 0 && event.Type == UIEVENT_MOUSEMOVE) {
        const int nHoverLink = linkAt(event.ptMouse);
        if (nHoverLink != m_nHoverLink) {
            m_nHoverLink = nHoverLink;
            InvalidateItem();
        }
    }
    if (m_nLinks > 0 && event.Type == UIEVENT_MOUSELEAVE && m_nHoverLink != -1) {
        m_nHoverLink = -1;
        InvalidateItem();
    }
    CListLabelElementUI::HandleEvent(event);
}

SIZE CListTextElementUI::PreferredSize(SIZE)
{
    if (!m_pOwnerList)
        return m_cxyFixed;
    SIZE cXY = m_cxyFixed;
    if (cXY.cy == 0 && m_pManager)
        cXY.cy = DefaultRowHeight();
    return cXY;
}

void CListTextElementUI::DrawItemText(HDC hDC, const RECT& rcItem)
{
    if (!m_pOwnerList || !m_pOwner)
        return;
    CUIListInfo* pInfo = m_pOwner->GetListInfo();
    DWORD iTextColor = (m_uButtonState & UISTATE_HOT) != 0 ? pInfo->dwHotTextColor : pInfo->dwTextColor;
    if (m_bSelected)
        iTextColor = pInfo->dwSelectedTextColor;
    if (!IsEnabled())
        iTextColor = pInfo->dwDisabledTextColor;
    IListTextCallbackUI* pCallback = m_pOwnerList->GetTextCallback();
    m_nLinks = 0;
    const int nColumns = std::min(pInfo->nColumns, kMaxListColumns);
    for (int i = 0; i < nColumns; i++) {
        RECT rcText = {pInfo->rcColumn[i].left, rcItem.top, pInfo->rcColumn[i].right, rcItem.bottom};
        rcText.left += pInfo->rcTextPadding.left;
        rcText.right -= pInfo->rcTextPadding.right;
        rcText.top += pInfo->rcTextPadding.top;
        rcText.bottom -= pInfo->rcTextPadding.bottom;
        const char16_t* pstrText = pCallback ? pCallback->GetItemText(this, m_iIndex, i) : GetText(i);
        if (!pstrText)
            pstrText = u"";
        if (pInfo->bShowHtml) {
            int nLinks = kMaxLinks - m_nLinks;
            CUIRenderEngine::DrawHtmlText(hDC, m_pManager, rcText, pstrText, iTextColor, &m_rcLinks[m_nLinks],
                                          &m_sLinks[m_nLinks], nLinks, DT_SINGLELINE | pInfo->uTextStyle);
            m_nLinks += std::max(0, std::min(nLinks, kMaxLinks - m_nLinks));
        } else {
            CUIRenderEngine::DrawText(hDC, m_pManager, rcText, pstrText, iTextColor, pInfo->nFont,
                                      DT_SINGLELINE | pInfo->uTextStyle);
        }
    }
    for (int i = m_nLinks; i < kMaxLinks; i++) {
        ::SetRectEmpty(&m_rcLinks[i]);
        m_sLinks[i].Empty();
    }
}
