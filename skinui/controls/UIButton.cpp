#include "skinui/controls/UIButton.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIRender.h"
#include "skinui/UIStateBits.h"

CButtonUI::CButtonUI()
    : m_uButtonState(0), m_dwHotBkColor(0), m_dwHotTextColor(0), m_dwPushedTextColor(0), m_dwFocusedTextColor(0)
{
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

const char16_t* CButtonUI::GetClass() const { return u"ButtonUI"; }

void* CButtonUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"Button") == 0)
        return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CButtonUI::GetInputFlags() const
{
    return (IsEnabled() ? UIFLAG_SETCURSOR : 0) | (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0);
}

bool CButtonUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pManager)
        m_pManager->SendNotify(this, u"click");
    return true;
}

void CButtonUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

UINT CButtonUI::GetButtonState() const { return m_uButtonState; }

void CButtonUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pParent)
            m_pParent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    case UIEVENT_KEYDOWN:
        if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (::PtInRect(&m_rcItem, event.ptMouse) && IsEnabled()) {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if ((m_uButtonState & UISTATE_CAPTURED) != 0) {
            if (::PtInRect(&m_rcItem, event.ptMouse))
                m_uButtonState |= UISTATE_PUSHED;
            else
                m_uButtonState &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP:
        if ((m_uButtonState & UISTATE_CAPTURED) != 0) {
            if (::PtInRect(&m_rcItem, event.ptMouse))
                Activate();
            m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
        }
        return;
    case UIEVENT_CONTEXTMENU:
        if (IsContextMenuUsed() && m_pManager)
            m_pManager->SendNotify(this, u"menu", event.wParam, event.lParam);
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        break;
    case UIEVENT_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

const char16_t* CButtonUI::GetNormalImage() const { return m_sNormalImage; }

void CButtonUI::SetNormalImage(const char16_t* pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

const char16_t* CButtonUI::GetHotImage() const { return m_sHotImage; }

void CButtonUI::SetHotImage(const char16_t* pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

const char16_t* CButtonUI::GetHotForeImage() const { return m_sHotForeImage; }

void CButtonUI::SetHotForeImage(const char16_t* pStrImage)
{
    m_sHotForeImage = pStrImage;
    Invalidate();
}

const char16_t* CButtonUI::GetPushedImage() const { return m_sPushedImage; }

void CButtonUI::SetPushedImage(const char16_t* pStrImage)
{
    m_sPushedImage = pStrImage;
    Invalidate();
}

const char16_t* CButtonUI::GetPushedForeImage() const { return m_sPushedForeImage; }

void CButtonUI::SetPushedForeImage(const char16_t* pStrImage)
{
    m_sPushedForeImage = pStrImage;
    Invalidate();
}

const char16_t* CButtonUI::GetFocusedImage() const { return m_sFocusedImage; }

void CButtonUI::SetFocusedImage(const char16_t* pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

const char16_t* CButtonUI::GetDisabledImage() const { return m_sDisabledImage; }

void CButtonUI::SetDisabledImage(const char16_t* pStrImage)
{
    m_sDisabledImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetHotBkColor(DWORD dwColor) { m_dwHotBkColor = dwColor; }
DWORD CButtonUI::GetHotBkColor() const { return m_dwHotBkColor; }
void CButtonUI::SetHotTextColor(DWORD dwColor) { m_dwHotTextColor = dwColor; }
DWORD CButtonUI::GetHotTextColor() const { return m_dwHotTextColor; }
void CButtonUI::SetPushedTextColor(DWORD dwColor) { m_dwPushedTextColor = dwColor; }
DWORD CButtonUI::GetPushedTextColor() const { return m_dwPushedTextColor; }
void CButtonUI::SetFocusedTextColor(DWORD dwColor) { m_dwFocusedTextColor = dwColor; }
DWORD CButtonUI::GetFocusedTextColor() const { return m_dwFocusedTextColor; }

void CButtonUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"normalimage") == 0)
        SetNormalImage(pstrValue);
    else if (wcscmp(pstrName, u"hotimage") == 0)
        SetHotImage(pstrValue);
    else if (wcscmp(pstrName, u"pushedimage") == 0)
        SetPushedImage(pstrValue);
    else if (wcscmp(pstrName, u"focusedimage") == 0)
        SetFocusedImage(pstrValue);
    else if (wcscmp(pstrName, u"disabledimage") == 0)
        SetDisabledImage(pstrValue);
    else if (wcscmp(pstrName, u"foreimage") == 0)
        SetForeImage(pstrValue);
    else if (wcscmp(pstrName, u"hotforeimage") == 0)
        SetHotForeImage(pstrValue);
    else if (wcscmp(pstrName, u"hotbkcolor") == 0)
        SetHotBkColor(UIParseColour(pstrValue));
    else if (wcscmp(pstrName, u"hottextcolor") == 0)
        SetHotTextColor(UIParseColour(pstrValue));
    else if (wcscmp(pstrName, u"pushedtextcolor") == 0)
        SetPushedTextColor(UIParseColour(pstrValue));
    else if (wcscmp(pstrName, u"focusedtextcolor") == 0)
        SetFocusedTextColor(UIParseColour(pstrValue));
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

SIZE CButtonUI::PreferredSize(SIZE szAvailable)
{
    if (m_cxyFixed.cy != 0)
        return CControlUI::PreferredSize(szAvailable);
    int height = 0;
    if (m_pManager) {
        if (TFontInfo* info = m_pManager->GetFontInfo(m_iFont))
            height = static_cast<int>(info->tm.tmHeight);
    }
    return SIZE{m_cxyFixed.cx, height + 8};
}

void CButtonUI::RefreshStateBits()
{
    if (IsFocused())
        m_uButtonState |= UISTATE_FOCUSED;
    else
        m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled())
        m_uButtonState |= UISTATE_DISABLED;
    else
        m_uButtonState &= ~UISTATE_DISABLED;
}

void CButtonUI::PaintStateImage(HDC hDC)
{
    RefreshStateBits();
    // Each state draws its image and then either stops, goes on to the fore
    // image, or falls back to the normal image.
    enum class Next { Normal, Fore, Stop };
    Next next = Next::Normal;
    if ((m_uButtonState & UISTATE_DISABLED) != 0 && !m_sDisabledImage.IsEmpty()) {
        next = DrawOrForget(hDC, m_sDisabledImage) ? Next::Fore : Next::Normal;
    } else if ((m_uButtonState & UISTATE_PUSHED) != 0 && !m_sPushedImage.IsEmpty()) {
        DrawOrForget(hDC, m_sPushedImage);
        if (!m_sPushedForeImage.IsEmpty()) {
            DrawOrForget(hDC, m_sPushedForeImage);
            next = Next::Stop;
        } else {
            next = Next::Fore;
        }
    } else if ((m_uButtonState & UISTATE_HOT) != 0 && !m_sHotImage.IsEmpty()) {
        DrawOrForget(hDC, m_sHotImage);
        if (!m_sHotForeImage.IsEmpty()) {
            DrawOrForget(hDC, m_sHotForeImage);
            next = Next::Stop;
        } else {
            next = Next::Fore;
        }
    } else if ((m_uButtonState & UISTATE_HOT) != 0 && m_dwHotBkColor != 0) {
        CUIRenderEngine::DrawColor(hDC, m_rcPaint, HslAdjustedColor(m_dwHotBkColor));
        next = Next::Stop;
    } else if ((m_uButtonState & UISTATE_FOCUSED) != 0 && !m_sFocusedImage.IsEmpty()) {
        next = DrawOrForget(hDC, m_sFocusedImage) ? Next::Fore : Next::Normal;
    }
    if (next == Next::Stop)
        return;
    if (next == Next::Normal && !m_sNormalImage.IsEmpty())
        DrawOrForget(hDC, m_sNormalImage);
    if (!m_sForeImage.IsEmpty())
        DrawOrForget(hDC, m_sForeImage);
}

void CButtonUI::PaintText(HDC hDC)
{
    RefreshStateBits();
    TakeDefaultColors();
    if (m_sText.IsEmpty())
        return;
    DWORD colour = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if ((m_uButtonState & UISTATE_PUSHED) != 0 && m_dwPushedTextColor != 0)
        colour = m_dwPushedTextColor;
    else if ((m_uButtonState & UISTATE_HOT) != 0 && m_dwHotTextColor != 0)
        colour = m_dwHotTextColor;
    else if ((m_uButtonState & UISTATE_FOCUSED) != 0 && m_dwFocusedTextColor != 0)
        colour = m_dwFocusedTextColor;
    DrawLabelText(hDC, TextRect(), m_sText, colour, m_uTextStyle);
}
