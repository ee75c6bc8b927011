#include "skinui/controls/UIEdit.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIRender.h"
#include "skinui/UIStateBits.h"
#include "skinui/controls/UIEditWnd.h"

CEditUI::CEditUI()
    : m_pWindow(nullptr), m_uMaxChar(255), m_bReadOnly(false), m_bPasswordMode(false), m_cPasswordChar(u'*'),
      m_uButtonState(0), m_dwEditbkColor(0xFFFFFFFF), m_iWindowStyls(0)
{
    SetTextPadding(RECT{4, 3, 4, 3});
    SetBkColor(0xFFFFFFFF);
}

CEditUI::~CEditUI()
{
    // The overlay outlives nothing it points to.
    if (m_pWindow) {
        CEditWnd* pWindow = m_pWindow;
        m_pWindow = nullptr;
        if (::IsWindow(pWindow->GetHWND()))
            ::DestroyWindow(pWindow->GetHWND());
    }
}

const char16_t* CEditUI::GetClass() const { return u"EditUI"; }

void* CEditUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"Edit") == 0)
        return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CEditUI::GetInputFlags() const
{
    return IsEnabled() ? UIFLAG_SETCURSOR | UIFLAG_TABSTOP : 0;
}

HWND CEditUI::GetNativeWindow() const
{
    return m_pWindow ? m_pWindow->GetHWND() : nullptr;
}

void CEditUI::openOverlay()
{
    m_pWindow = new CEditWnd;
    m_pWindow->Init(this);
    if (!m_pWindow->GetHWND()) {
        delete m_pWindow;
        m_pWindow = nullptr;
    }
}

void CEditUI::HandleEvent(UIEventRecord& event)
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
        if (IsEnabled()) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
            return;
        }
        break;
    case UIEVENT_WINDOWSIZE:
        if (m_pWindow && m_pManager)
            m_pManager->RequestFocus(this);
        break;
    case UIEVENT_SCROLLWHEEL:
        if (m_pWindow)
            return;
        break;
    case UIEVENT_SETFOCUS:
        if (IsEnabled()) {
            if (m_pWindow)
                return;
            openOverlay();
            Invalidate();
        }
        break;
    case UIEVENT_KILLFOCUS:
        if (IsEnabled())
            Invalidate();
        break;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_BUTTONUP:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled()) {
            if (m_pManager)
                m_pManager->ReleaseCapture();
            if (IsFocused() && !m_pWindow) {
                openOverlay();
                if (!::PtInRect(&m_rcItem, event.ptMouse))
                    return;
            }
            if (m_pWindow) {
                const int nSize = ::GetWindowTextLengthW(m_pWindow->GetHWND());
                ::SendMessageW(m_pWindow->GetHWND(), EM_SETSEL, 0, nSize == 0 ? 1 : nSize);
            }
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

void CEditUI::SetText(const char16_t* pstrText)
{
    m_sText = pstrText;
    if (m_pWindow)
        ::SetWindowTextW(m_pWindow->GetHWND(), m_sText);
    Invalidate();
}

void CEditUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    if (m_pWindow) {
        const RECT rcPos = m_pWindow->OverlayRect();
        ::SetWindowPos(m_pWindow->GetHWND(), nullptr, rcPos.left, rcPos.top, rcPos.right - rcPos.left,
                       rcPos.bottom - rcPos.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CEditUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    if (!IsVisible() && m_pWindow && m_pManager)
        m_pManager->SetFocus(nullptr);
}

void CEditUI::SetInheritedVisible(bool bVisible)
{
    CControlUI::SetInheritedVisible(bVisible);
    if (!IsVisible() && m_pWindow && m_pManager)
        m_pManager->SetFocus(nullptr);
}

void CEditUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

void CEditUI::SetMaxChar(UINT uMax)
{
    m_uMaxChar = uMax;
    if (m_pWindow)
        ::SendMessageW(m_pWindow->GetHWND(), EM_LIMITTEXT, m_uMaxChar, 0);
}

UINT CEditUI::GetMaxChar() const { return m_uMaxChar; }

void CEditUI::SetReadOnly(bool bReadOnly)
{
    if (m_bReadOnly == bReadOnly)
        return;
    m_bReadOnly = bReadOnly;
    if (m_pWindow)
        ::SendMessageW(m_pWindow->GetHWND(), EM_SETREADONLY, m_bReadOnly ? TRUE : FALSE, 0);
    Invalidate();
}

bool CEditUI::IsReadOnly() const { return m_bReadOnly; }

void CEditUI::SetPasswordMode(bool bPasswordMode)
{
    if (m_bPasswordMode == bPasswordMode)
        return;
    m_bPasswordMode = bPasswordMode;
    Invalidate();
}

bool CEditUI::IsPasswordMode() const { return m_bPasswordMode; }

void CEditUI::SetPasswordChar(char16_t cPasswordChar)
{
    if (m_cPasswordChar == cPasswordChar)
        return;
    m_cPasswordChar = cPasswordChar;
    if (m_pWindow)
        ::SendMessageW(m_pWindow->GetHWND(), EM_SETPASSWORDCHAR, m_cPasswordChar, 0);
    Invalidate();
}

char16_t CEditUI::GetPasswordChar() const { return m_cPasswordChar; }

void CEditUI::SetNumberOnly(bool bNumberOnly)
{
    if (bNumberOnly)
        m_iWindowStyls |= ES_NUMBER;
    else
        m_iWindowStyls &= ~ES_NUMBER;
}

bool CEditUI::IsNumberOnly() const { return (m_iWindowStyls & ES_NUMBER) != 0; }
DWORD CEditUI::GetWindowStyles() const { return static_cast<DWORD>(m_iWindowStyls); }
void CEditUI::SetNativeEditBkColor(DWORD dwBkColor) { m_dwEditbkColor = dwBkColor; }
DWORD CEditUI::GetNativeEditBkColor() const { return m_dwEditbkColor; }
const char16_t* CEditUI::GetNormalImage() const { return m_sNormalImage; }

void CEditUI::SetNormalImage(const char16_t* pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

const char16_t* CEditUI::GetHotImage() const { return m_sHotImage; }

void CEditUI::SetHotImage(const char16_t* pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

const char16_t* CEditUI::GetFocusedImage() const { return m_sFocusedImage; }

void CEditUI::SetFocusedImage(const char16_t* pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

const char16_t* CEditUI::GetDisabledImage() const { return m_sDisabledImage; }

void CEditUI::SetDisabledImage(const char16_t* pStrImage)
{
    m_sDisabledImage = pStrImage;
    Invalidate();
}

void CEditUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"readonly") == 0)
        SetReadOnly(UIIsTrue(pstrValue));
    else if (wcscmp(pstrName, u"numberonly") == 0)
        SetNumberOnly(UIIsTrue(pstrValue));
    else if (wcscmp(pstrName, u"password") == 0)
        SetPasswordMode(UIIsTrue(pstrValue));
    else if (wcscmp(pstrName, u"maxchar") == 0)
        SetMaxChar(static_cast<UINT>(_wtoi(pstrValue)));
    else if (wcscmp(pstrName, u"normalimage") == 0)
        SetNormalImage(pstrValue);
    else if (wcscmp(pstrName, u"hotimage") == 0)
        SetHotImage(pstrValue);
    else if (wcscmp(pstrName, u"focusedimage") == 0)
        SetFocusedImage(pstrValue);
    else if (wcscmp(pstrName, u"disabledimage") == 0)
        SetDisabledImage(pstrValue);
    else if (wcscmp(pstrName, u"nativebkcolor") == 0)
        SetNativeEditBkColor(UIParseColour(pstrValue));
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

SIZE CEditUI::PreferredSize(SIZE szAvailable)
{
    if (m_cxyFixed.cy != 0)
        return CControlUI::PreferredSize(szAvailable);
    int height = 0;
    if (m_pManager) {
        if (TFontInfo* info = m_pManager->GetFontInfo(m_iFont))
            height = static_cast<int>(info->tm.tmHeight);
    }
    return SIZE{m_cxyFixed.cx, height + 6};
}

void CEditUI::PaintStateImage(HDC hDC)
{
    if (IsFocused())
        m_uButtonState |= UISTATE_FOCUSED;
    else
        m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled())
        m_uButtonState |= UISTATE_DISABLED;
    else
        m_uButtonState &= ~UISTATE_DISABLED;
    auto drawOrForget = [&](CUIString& image) {
        if (DrawImage(hDC, image))
            return true;
        image.Empty();
        return false;
    };
    CUIString* pState = nullptr;
    if ((m_uButtonState & UISTATE_DISABLED) != 0)
        pState = &m_sDisabledImage;
    else if ((m_uButtonState & UISTATE_FOCUSED) != 0)
        pState = &m_sFocusedImage;
    else if ((m_uButtonState & UISTATE_HOT) != 0)
        pState = &m_sHotImage;
    if (pState && !pState->IsEmpty() && drawOrForget(*pState))
        return;
    if (!m_sNormalImage.IsEmpty())
        drawOrForget(m_sNormalImage);
}

void CEditUI::PaintText(HDC hDC)
{
    TakeDefaultColors();
    if (m_sText.IsEmpty())
        return;
    CUIString sText = m_sText;
    if (m_bPasswordMode) {
        sText.Empty();
        for (const char16_t* p = m_sText.GetData(); *p; p = ::CharNextW(p))
            sText += m_cPasswordChar;
    }
    RECT rc = TextRect();
    CUIRenderEngine::DrawText(hDC, m_pManager, rc, sText, IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor,
                              m_iFont, m_uTextStyle | DT_SINGLELINE);
}
