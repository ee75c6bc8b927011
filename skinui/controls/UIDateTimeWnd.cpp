#include "skinui/controls/UIDateTimeWnd.h"

#include "skinui/controls/UIDateTime.h"

#include <winapi/commctrl.h>

CDateTimeWnd::CDateTimeWnd() : m_pOwner(nullptr), m_hBkBrush(nullptr), m_bInit(false) {}

const char16_t* CDateTimeWnd::GetWindowClassName() const { return u"DateTimeWnd"; }
const char16_t* CDateTimeWnd::GetSuperClassName() const { return DATETIMEPICK_CLASSW; }
UINT CDateTimeWnd::GetClassStyle() const { return 0; }

RECT CDateTimeWnd::OverlayRect() const { return m_pOwner->GetPos(); }

void CDateTimeWnd::Init(CDateTimeUI* pOwner)
{
    m_pOwner = pOwner;
    m_pOwner->m_nDTUpdateFlag = UIDT_NONE;
    CUIWindowManager* pManager = pOwner->GetManager();
    if (!pManager)
        return;
    if (!m_hWnd) {
        CreateInRect(pManager->GetPaintWindow(), nullptr, WS_CHILD, 0, OverlayRect());
        if (!m_hWnd)
            return;
        HFONT hFont = nullptr;
        if (pOwner->GetFont() != -1)
            hFont = pManager->GetFont(pOwner->GetFont());
        if (!hFont)
            hFont = pManager->GetDefaultFontDesc()->hFont;
        SendToWindow(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    }
    if (m_pOwner->GetText().IsEmpty())
        ::GetLocalTime(&m_pOwner->m_sysTime);
    ::SendMessageW(m_hWnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&m_pOwner->m_sysTime));
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_bInit = true;
}

void CDateTimeWnd::OwnerGone()
{
    m_pOwner = nullptr;
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

void CDateTimeWnd::OnFinalMessage(HWND)
{
    if (m_hBkBrush)
        ::DeleteObject(m_hBkBrush);
    if (m_pOwner) {
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->Invalidate();
    }
    delete this;
}

LRESULT CDateTimeWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_KILLFOCUS: {
        const LRESULT lRes = ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
        if (m_pOwner && m_pOwner->m_nDTUpdateFlag == UIDT_NONE) {
            ::SendMessageW(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&m_pOwner->m_sysTime));
            m_pOwner->m_nDTUpdateFlag = UIDT_UPDATE;
            m_pOwner->UpdateText();
        }
        PostToWindow(WM_CLOSE);
        return lRes;
    }
    case WM_KEYUP:
        if (wParam == VK_BACK || wParam == VK_DELETE || wParam == VK_ESCAPE) {
            const LRESULT lRes = ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
            if (m_pOwner) {
                m_pOwner->m_nDTUpdateFlag = wParam == VK_ESCAPE ? UIDT_KEEP : UIDT_DELETE;
                m_pOwner->UpdateText();
            }
            PostToWindow(WM_CLOSE);
            return lRes;
        }
        break;
    default:
        break;
    }
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}
