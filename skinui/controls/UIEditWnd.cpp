#include "skinui/controls/UIEditWnd.h"

#include "skinui/controls/UIEdit.h"

#include <vector>

namespace {

COLORREF gdiColour(DWORD argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

} // namespace

CEditWnd::CEditWnd() : m_pOwner(nullptr), m_hBkBrush(nullptr), m_bInit(false) {}

const char16_t* CEditWnd::GetWindowClassName() const { return u"EditWnd"; }
const char16_t* CEditWnd::GetSuperClassName() const { return WC_EDITW; }

RECT CEditWnd::OverlayRect() const
{
    RECT rcPos = m_pOwner->GetPos();
    const RECT rcInset = m_pOwner->GetTextPadding();
    rcPos.left += rcInset.left;
    rcPos.top += rcInset.top;
    rcPos.right -= rcInset.right;
    rcPos.bottom -= rcInset.bottom;
    CUIWindowManager* pManager = m_pOwner->GetManager();
    const TFontInfo* info = pManager ? pManager->GetFontInfo(m_pOwner->GetFont()) : nullptr;
    const LONG lEditHeight = info ? info->tm.tmHeight : 0;
    if (lEditHeight > 0 && lEditHeight < rcPos.bottom - rcPos.top) {
        rcPos.top += (rcPos.bottom - rcPos.top - lEditHeight) / 2;
        rcPos.bottom = rcPos.top + lEditHeight;
    }
    return rcPos;
}

void CEditWnd::Init(CEditUI* pOwner)
{
    m_pOwner = pOwner;
    CUIWindowManager* pManager = pOwner->GetManager();
    const RECT rcPos = OverlayRect();
    UINT uStyle = WS_CHILD | ES_AUTOHSCROLL;
    if (pOwner->IsPasswordMode())
        uStyle |= ES_PASSWORD;
    CreateInRect(pManager->GetPaintWindow(), nullptr, uStyle, 0, rcPos);
    if (!m_hWnd)
        return;
    HFONT hFont = nullptr;
    if (pOwner->GetFont() != -1)
        hFont = pManager->GetFont(pOwner->GetFont());
    if (!hFont)
        hFont = pManager->GetDefaultFontDesc()->hFont;
    SendToWindow(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    SendToWindow(EM_LIMITTEXT, pOwner->GetMaxChar());
    if (pOwner->IsPasswordMode())
        SendToWindow(EM_SETPASSWORDCHAR, pOwner->GetPasswordChar());
    ::SetWindowTextW(m_hWnd, pOwner->GetText());
    SendToWindow(EM_SETMODIFY, FALSE);
    SendToWindow(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
    ::EnableWindow(m_hWnd, pOwner->IsEnabled() ? TRUE : FALSE);
    SendToWindow(EM_SETREADONLY, pOwner->IsReadOnly() ? TRUE : FALSE);
    const LONG_PTR styleValue = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) | pOwner->GetWindowStyles();
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, styleValue);
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_bInit = true;
}

void CEditWnd::OnFinalMessage(HWND)
{
    if (m_pOwner) {
        m_pOwner->Invalidate();
        m_pOwner->m_pWindow = nullptr;
    }
    if (m_hBkBrush)
        ::DeleteObject(m_hBkBrush);
    delete this;
}

LRESULT CEditWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_KILLFOCUS: {
        const LRESULT lRes = ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
        PostToWindow(WM_CLOSE);
        return lRes;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (m_pOwner && m_pOwner->GetManager())
                m_pOwner->GetManager()->SendNotify(m_pOwner, u"return");
            return 0;
        }
        break;
    case OCM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE) {
            if (m_bInit && m_pOwner) {
                const int cchLen = ::GetWindowTextLengthW(m_hWnd) + 1;
                std::vector<char16_t> text(static_cast<size_t>(cchLen), 0);
                ::GetWindowTextW(m_hWnd, text.data(), cchLen);
                m_pOwner->m_sText = text.data();
                if (m_pOwner->GetManager())
                    m_pOwner->GetManager()->SendNotify(m_pOwner, u"textchanged");
            }
        } else if (HIWORD(wParam) == EN_UPDATE) {
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
        }
        return 0;
    case OCM_CTLCOLOREDIT:
    case OCM_CTLCOLORSTATIC: {
        if (!m_pOwner || m_pOwner->GetNativeEditBkColor() == 0xFFFFFFFF)
            return 0;
        HDC hDC = reinterpret_cast<HDC>(wParam);
        ::SetBkMode(hDC, TRANSPARENT);
        ::SetTextColor(hDC, gdiColour(m_pOwner->GetTextColor()));
        if (!m_hBkBrush)
            m_hBkBrush = ::CreateSolidBrush(gdiColour(m_pOwner->GetNativeEditBkColor()));
        return reinterpret_cast<LRESULT>(m_hBkBrush);
    }
    default:
        break;
    }
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}
