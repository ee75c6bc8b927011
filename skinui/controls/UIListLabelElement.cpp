#include "skinui/controls/UIListLabelElement.h"

#include "skinui/UIRender.h"
#include "skinui/UIStateBits.h"

const char16_t* CListLabelElementUI::GetClass() const { return u"ListLabelElementUI"; }

void* CListLabelElementUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"ListLabelElement") == 0)
        return static_cast<CListLabelElementUI*>(this);
    return CListElementUI::GetInterface(pstrName);
}

void CListLabelElementUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pOwner)
            m_pOwner->HandleEvent(event);
        else
            CListElementUI::HandleEvent(event);
        return;
    }
    if (UIListRowMouse(this, this, m_uButtonState, event))
        return;
    CListElementUI::HandleEvent(event);
}

int CListLabelElementUI::DefaultRowHeight()
{
    if (!m_pManager || !m_pOwner)
        return 0;
    const CUIListInfo* pInfo = m_pOwner->GetListInfo();
    const TFontInfo* font = m_pManager->GetFontInfo(pInfo->nFont);
    const int fontHeight = font ? static_cast<int>(font->tm.tmHeight) : 0;
    return fontHeight + 8 + pInfo->rcTextPadding.top + pInfo->rcTextPadding.bottom;
}

SIZE CListLabelElementUI::PreferredSize(SIZE)
{
    if (!m_pOwner)
        return SIZE{0, 0};
    SIZE cXY = m_cxyFixed;
    if (cXY.cy == 0 && m_pManager)
        cXY.cy = DefaultRowHeight();
    if (cXY.cx == 0 && m_pManager) {
        const CUIListInfo* pInfo = m_pOwner->GetListInfo();
        RECT rcText = {0, 0, 9999, cXY.cy};
        const UINT uStyle = DT_SINGLELINE | DT_CALCRECT | (pInfo->uTextStyle & ~(DT_CENTER | DT_RIGHT));
        if (pInfo->bShowHtml) {
            int nLinks = 0;
            CUIRenderEngine::DrawHtmlText(m_pManager->GetPaintDC(), m_pManager, rcText, m_sText, 0, nullptr, nullptr,
                                          nLinks, uStyle);
        } else {
            CUIRenderEngine::DrawText(m_pManager->GetPaintDC(), m_pManager, rcText, m_sText, 0, pInfo->nFont, uStyle);
        }
        cXY.cx = rcText.right - rcText.left + pInfo->rcTextPadding.left + pInfo->rcTextPadding.right;
    }
    return cXY;
}

void CListLabelElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    DrawItemBk(hDC, m_rcItem);
    DrawItemText(hDC, m_rcItem);
}

void CListLabelElementUI::DrawItemText(HDC hDC, const RECT& rcItem)
{
    UIListDrawLabelText(this, hDC, rcItem, m_pOwner, m_bSelected, m_uButtonState);
}
