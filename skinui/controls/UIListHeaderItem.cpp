#include "skinui/controls/UIListHeaderItem.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIRender.h"
#include "skinui/UIStateBits.h"

namespace {

// Widening of the separator strip for the mouse.
constexpr int kSepGrip = 4;
// The dragging bit shares the captured bit of the state word.
constexpr UINT kDragging = UISTATE_CAPTURED;

} // namespace

CListHeaderItemUI::CListHeaderItemUI()
    : m_bDragable(true), m_uButtonState(0), m_iSepWidth(4), m_dwTextColor(0), m_iFont(-1),
      m_uTextStyle(DT_CENTER | DT_VCENTER | DT_SINGLELINE), m_bShowHtml(false)
{
    m_ptLastMouse = POINT{0, 0};
    m_rcTextPadding = RECT{2, 0, 2, 0};
    SetMinWidth(16);
}

const char16_t* CListHeaderItemUI::GetClass() const { return u"ListHeaderItemUI"; }

void* CListHeaderItemUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"ListHeaderItem") == 0)
        return this;
    return CControlUI::GetInterface(pstrName);
}

UINT CListHeaderItemUI::GetInputFlags() const
{
    return (IsEnabled() && m_iSepWidth != 0) ? UIFLAG_SETCURSOR : 0;
}

void CListHeaderItemUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

bool CListHeaderItemUI::IsDragable() const { return m_bDragable; }

void CListHeaderItemUI::SetDragable(bool bDragable)
{
    m_bDragable = bDragable;
    if (!m_bDragable)
        m_uButtonState &= ~kDragging;
}

int CListHeaderItemUI::GetSepWidth() const { return m_iSepWidth; }
void CListHeaderItemUI::SetSepWidth(int iWidth) { m_iSepWidth = iWidth; }
UINT CListHeaderItemUI::GetTextStyle() const { return m_uTextStyle; }
void CListHeaderItemUI::SetTextStyle(UINT uStyle) { m_uTextStyle = uStyle; }
DWORD CListHeaderItemUI::GetTextColor() const { return m_dwTextColor; }
void CListHeaderItemUI::SetTextColor(DWORD dwTextColor) { m_dwTextColor = dwTextColor; }
RECT CListHeaderItemUI::GetTextPadding() const { return m_rcTextPadding; }

void CListHeaderItemUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

int CListHeaderItemUI::GetFont() const { return m_iFont; }
void CListHeaderItemUI::SetFont(int index) { m_iFont = index; }
bool CListHeaderItemUI::IsShowHtml() const { return m_bShowHtml; }

void CListHeaderItemUI::SetShowHtml(bool bShowHtml)
{
    if (m_bShowHtml == bShowHtml)
        return;
    m_bShowHtml = bShowHtml;
    Invalidate();
}

void CListHeaderItemUI::SetNormalImage(const char16_t* pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

void CListHeaderItemUI::SetHotImage(const char16_t* pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

void CListHeaderItemUI::SetPushedImage(const char16_t* pStrImage)
{
    m_sPushedImage = pStrImage;
    Invalidate();
}

void CListHeaderItemUI::SetFocusedImage(const char16_t* pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

void CListHeaderItemUI::SetSepImage(const char16_t* pStrImage)
{
    m_sSepImage = pStrImage;
    Invalidate();
}

UINT CListHeaderItemUI::GetButtonState() const { return m_uButtonState; }

void CListHeaderItemUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    auto is = [pstrName](const char16_t* name) { return wcscmp(pstrName, name) == 0; };
    if (is(u"dragable")) {
        SetDragable(UIIsTrue(pstrValue));
    } else if (is(u"sepwidth")) {
        SetSepWidth(_wtoi(pstrValue));
    } else if (is(u"align")) {
        if (wcsstr(pstrValue, u"left")) {
            m_uTextStyle &= ~(DT_CENTER | DT_RIGHT);
            m_uTextStyle |= DT_LEFT;
        }
        if (wcsstr(pstrValue, u"center")) {
            m_uTextStyle &= ~(DT_LEFT | DT_RIGHT);
            m_uTextStyle |= DT_CENTER;
        }
        if (wcsstr(pstrValue, u"right")) {
            m_uTextStyle &= ~(DT_LEFT | DT_CENTER);
            m_uTextStyle |= DT_RIGHT;
        }
    } else if (is(u"endellipsis")) {
        if (UIIsTrue(pstrValue))
            m_uTextStyle |= DT_END_ELLIPSIS;
        else
            m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (is(u"font")) {
        SetFont(_wtoi(pstrValue));
    } else if (is(u"textcolor")) {
        SetTextColor(UIParseColour(pstrValue));
    } else if (is(u"textpadding")) {
        LONG v[4] = {0, 0, 0, 0};
        UIParseInts(pstrValue, v, 4);
        SetTextPadding(RECT{v[0], v[1], v[2], v[3]});
    } else if (is(u"showhtml")) {
        SetShowHtml(UIIsTrue(pstrValue));
    } else if (is(u"normalimage")) {
        SetNormalImage(pstrValue);
    } else if (is(u"hotimage")) {
        SetHotImage(pstrValue);
    } else if (is(u"pushedimage")) {
        SetPushedImage(pstrValue);
    } else if (is(u"focusedimage")) {
        SetFocusedImage(pstrValue);
    } else if (is(u"sepimage")) {
        SetSepImage(pstrValue);
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

SIZE CListHeaderItemUI::PreferredSize(SIZE szAvailable)
{
    if (m_cxyFixed.cy != 0)
        return CControlUI::PreferredSize(szAvailable);
    int fontHeight = 0;
    if (m_pManager)
        fontHeight = static_cast<int>(m_pManager->GetDefaultFontDesc()->tm.tmHeight);
    return SIZE{m_cxyFixed.cx, fontHeight + 14};
}

RECT CListHeaderItemUI::GetThumbRect() const
{
    if (m_iSepWidth >= 0)
        return RECT{m_rcItem.right - m_iSepWidth - kSepGrip, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
    return RECT{m_rcItem.left, m_rcItem.top, m_rcItem.left - m_iSepWidth + kSepGrip, m_rcItem.bottom};
}

void CListHeaderItemUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pParent)
            m_pParent->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK: {
        if (!IsEnabled())
            return;
        const RECT rcSeparator = GetThumbRect();
        if (m_iSepWidth != 0 && ::PtInRect(&rcSeparator, event.ptMouse)) {
            if (m_bDragable) {
                m_uButtonState |= kDragging;
                m_ptLastMouse = event.ptMouse;
            }
        } else {
            m_uButtonState |= UISTATE_PUSHED;
            if (m_pManager)
                m_pManager->SendNotify(this, u"headerclick");
            Invalidate();
        }
        return;
    }
    case UIEVENT_BUTTONUP:
        if ((m_uButtonState & kDragging) != 0) {
            m_uButtonState &= ~kDragging;
            if (m_pParent)
                m_pParent->RequestParentLayout();
        } else if ((m_uButtonState & UISTATE_PUSHED) != 0) {
            m_uButtonState &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if ((m_uButtonState & kDragging) != 0) {
            const LONG dx = event.ptMouse.x - m_ptLastMouse.x;
            RECT rc = m_rcItem;
            if (m_iSepWidth >= 0)
                rc.right += dx;
            else
                rc.left += dx;
            const int width = rc.right - rc.left;
            if (GetMinWidth() < width) {
                m_cxyFixed.cx = width;
                m_ptLastMouse = event.ptMouse;
                if (m_pParent)
                    m_pParent->RequestParentLayout();
            }
        }
        return;
    case UIEVENT_SETCURSOR: {
        const RECT rcSeparator = GetThumbRect();
        if (IsEnabled() && m_bDragable && m_iSepWidth != 0 && ::PtInRect(&rcSeparator, event.ptMouse)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
            return;
        }
        break;
    }
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

void CListHeaderItemUI::PaintStateImage(HDC hDC)
{
    if (IsFocused())
        m_uButtonState |= UISTATE_FOCUSED;
    else
        m_uButtonState &= ~UISTATE_FOCUSED;

    CUIString* pState = nullptr;
    if ((m_uButtonState & UISTATE_PUSHED) != 0)
        pState = &m_sPushedImage;
    else if ((m_uButtonState & UISTATE_HOT) != 0)
        pState = &m_sHotImage;
    else if ((m_uButtonState & UISTATE_FOCUSED) != 0)
        pState = &m_sFocusedImage;
    if (!pState || pState->IsEmpty() || !DrawOrForget(hDC, *pState))
        DrawOrForget(hDC, m_sNormalImage);

    if (m_sSepImage.IsEmpty())
        return;
    RECT rcThumb = {0, 0, 0, 0};
    const int width = m_rcItem.right - m_rcItem.left;
    const int height = m_rcItem.bottom - m_rcItem.top;
    if (m_iSepWidth >= 0)
        rcThumb = RECT{width - m_iSepWidth, 0, width, height};
    else
        rcThumb = RECT{0, 0, -m_iSepWidth, height};
    m_sSepImageModify.Format(u"dest='%d,%d,%d,%d'", static_cast<int>(rcThumb.left), static_cast<int>(rcThumb.top),
                             static_cast<int>(rcThumb.right), static_cast<int>(rcThumb.bottom));
    DrawOrForget(hDC, m_sSepImage, m_sSepImageModify);
}

void CListHeaderItemUI::PaintText(HDC hDC)
{
    if (m_dwTextColor == 0 && m_pManager)
        m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_sText.IsEmpty())
        return;
    RECT rcText = m_rcItem;
    rcText.left += m_rcTextPadding.left;
    rcText.top += m_rcTextPadding.top;
    rcText.right -= m_rcTextPadding.right;
    rcText.bottom -= m_rcTextPadding.bottom;
    if (m_bShowHtml) {
        int nLinks = 0;
        CUIRenderEngine::DrawHtmlText(hDC, m_pManager, rcText, m_sText, m_dwTextColor, nullptr, nullptr, nLinks,
                                      DT_SINGLELINE | m_uTextStyle);
    } else {
        CUIRenderEngine::DrawText(hDC, m_pManager, rcText, m_sText, m_dwTextColor, m_iFont,
                                  DT_SINGLELINE | m_uTextStyle);
    }
}
