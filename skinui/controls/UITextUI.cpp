#include "skinui/controls/UITextUI.h"

#include "skinui/UIRender.h"
#include "skinui/UIStateBits.h"

#include <algorithm>
#include <cstring>

CTextUI::CTextUI() : m_nLinks(0), m_nHoverLink(-1)
{
    m_uTextStyle = DT_WORDBREAK;
    m_rcTextPadding.left = 2;
    m_rcTextPadding.right = 2;
    std::memset(m_rcLinks, 0, sizeof m_rcLinks);
}

const char16_t* CTextUI::GetClass() const { return u"TextUI"; }

void* CTextUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"Text") == 0)
        return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CTextUI::GetInputFlags() const
{
    return (IsEnabled() && m_nLinks > 0) ? UIFLAG_SETCURSOR : 0;
}

int CTextUI::GetLinkCount() const { return m_nLinks; }

const CUIString* CTextUI::GetLinkContent(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_nLinks)
        return nullptr;
    return &m_sLinks[iIndex];
}

int CTextUI::linkAt(POINT pt) const
{
    for (int i = 0; i < m_nLinks; i++)
        if (::PtInRect(&m_rcLinks[i], pt))
            return i;
    return -1;
}

void CTextUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pParent)
            m_pParent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (linkAt(event.ptMouse) >= 0) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if ((event.Type == UIEVENT_BUTTONDOWN || IsEnabled()) && linkAt(event.ptMouse) >= 0) {
            Invalidate();
            return;
        }
        break;
    case UIEVENT_BUTTONUP:
        if (IsEnabled()) {
            const int i = linkAt(event.ptMouse);
            if (i >= 0) {
                if (m_pManager)
                    m_pManager->SendNotify(this, u"link", static_cast<WPARAM>(i));
                return;
            }
        }
        break;
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_nLinks > 0 && IsEnabled()) {
            const int i = linkAt(event.ptMouse);
            if (i != m_nHoverLink) {
                m_nHoverLink = i;
                Invalidate();
                return;
            }
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (m_nLinks > 0 && IsEnabled() && m_nHoverLink != -1) {
            m_nHoverLink = -1;
            Invalidate();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

SIZE CTextUI::PreferredSize(SIZE szAvailable)
{
    RECT rcText = {m_rcTextPadding.left, 0, std::max(m_cxyFixed.cx, szAvailable.cx) - m_rcTextPadding.right, 9999};
    if (m_pManager) {
        HDC hDC = m_pManager->GetPaintDC();
        if (m_bShowHtml) {
            int nLinks = 0;
            CUIRenderEngine::DrawHtmlText(hDC, m_pManager, rcText, m_sText, m_dwTextColor, nullptr, nullptr, nLinks,
                                          DT_CALCRECT | m_uTextStyle);
        } else {
            CUIRenderEngine::DrawText(hDC, m_pManager, rcText, m_sText, m_dwTextColor, m_iFont,
                                      DT_CALCRECT | m_uTextStyle);
        }
    }
    SIZE cXY = {rcText.right - rcText.left + m_rcTextPadding.left + m_rcTextPadding.right,
                rcText.bottom - rcText.top + m_rcTextPadding.top + m_rcTextPadding.bottom};
    if (m_cxyFixed.cy != 0)
        cXY.cy = m_cxyFixed.cy;
    return cXY;
}

void CTextUI::PaintText(HDC hDC)
{
    if (m_sText.IsEmpty()) {
        m_nLinks = 0;
        return;
    }
    TakeDefaultColors();
    const DWORD colour = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    RECT rc = TextRect();
    if (m_bShowHtml) {
        m_nLinks = kMaxLinks;
        CUIRenderEngine::DrawHtmlText(hDC, m_pManager, rc, m_sText, colour, m_rcLinks, m_sLinks, m_nLinks,
                                      m_uTextStyle);
    } else {
        // Plain text has no links: it must not claim the set-cursor events
        // of eight empty link rectangles.
        m_nLinks = 0;
        CUIRenderEngine::DrawText(hDC, m_pManager, rc, m_sText, colour, m_iFont, m_uTextStyle);
    }
}
