// The window manager's painting (double-buffered) and tool tips.
#include "skinui/UIControl.h"
#include "skinui/UIManager.h"
#include "skinui/UIManagerInternal.h"
#include "skinui/UIRender.h"

#include <cstring>
#include <cwctype>

// ---------------------------------------------------------------- painting

void CUIWindowManager::paint()
{
    RECT rcPaint{};
    if (!::GetUpdateRect(m_hWndPaint, &rcPaint, FALSE) || !m_pRoot || ::IsIconic(m_hWndPaint)) {
        PAINTSTRUCT ps{};
        ::BeginPaint(m_hWndPaint, &ps);
        ::EndPaint(m_hWndPaint, &ps);
        return;
    }
    if (m_bUpdateNeeded) {
        m_bUpdateNeeded = false;
        RECT rcClient{};
        ::GetClientRect(m_hWndPaint, &rcClient);
        if (!::IsRectEmpty(&rcClient)) {
            if (m_pRoot->IsLayoutRequested()) {
                m_pRoot->SetPos(rcClient);
                if (m_hDcOffscreen)
                    ::DeleteDC(m_hDcOffscreen);
                if (m_hDcBackground)
                    ::DeleteDC(m_hDcBackground);
                if (m_hbmpOffscreen)
                    ::DeleteObject(m_hbmpOffscreen);
                if (m_hbmpBackground)
                    ::DeleteObject(m_hbmpBackground);
                m_hDcOffscreen = nullptr;
                m_hDcBackground = nullptr;
                m_hbmpOffscreen = nullptr;
                m_hbmpBackground = nullptr;
            } else {
                // Bounded: each pass clears the layout request it answers.
                for (int guard = 0; guard < 100000; ++guard) {
                    CControlUI* pControl =
                        m_pRoot->FindControl(__FindControlFromUpdate, nullptr, UIFIND_VISIBLE | UIFIND_ME_FIRST);
                    if (!pControl)
                        break;
                    pControl->SetPos(pControl->GetPos());
                }
            }
            if (m_bFirstLayout) {
                m_bFirstLayout = false;
                SendNotify(m_pRoot, u"windowinit", 0, 0, false);
            }
        }
    }
    if (m_bFocusNeeded)
        SetNextTabStop();
    if (!m_pRoot) {
        // A notification handler removed the tree.
        PAINTSTRUCT ps{};
        ::BeginPaint(m_hWndPaint, &ps);
        ::EndPaint(m_hWndPaint, &ps);
        return;
    }
    RECT rcClient{};
    ::GetClientRect(m_hWndPaint, &rcClient);
    if (m_bOffscreenPaint && !m_hbmpOffscreen) {
        m_hDcOffscreen = ::CreateCompatibleDC(m_hDcPaint);
        m_hbmpOffscreen = ::CreateCompatibleBitmap(m_hDcPaint, rcClient.right - rcClient.left,
                                                   rcClient.bottom - rcClient.top);
    }
    PAINTSTRUCT ps{};
    ::BeginPaint(m_hWndPaint, &ps);
    if (m_bOffscreenPaint && m_hDcOffscreen && m_hbmpOffscreen) {
        HBITMAP hOldBitmap = static_cast<HBITMAP>(::SelectObject(m_hDcOffscreen, m_hbmpOffscreen));
        const int iSaveDC = ::SaveDC(m_hDcOffscreen);
        if (m_bAlphaBackground) {
            if (!m_hbmpBackground) {
                m_hDcBackground = ::CreateCompatibleDC(m_hDcPaint);
                m_hbmpBackground = ::CreateCompatibleBitmap(m_hDcPaint, rcClient.right - rcClient.left,
                                                            rcClient.bottom - rcClient.top);
                ::SelectObject(m_hDcBackground, m_hbmpBackground);
                ::BitBlt(m_hDcBackground, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                         ps.rcPaint.bottom - ps.rcPaint.top, ps.hdc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
            } else {
                ::SelectObject(m_hDcBackground, m_hbmpBackground);
            }
            ::BitBlt(m_hDcOffscreen, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                     ps.rcPaint.bottom - ps.rcPaint.top, m_hDcBackground, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        }
        m_pRoot->DoPaint(m_hDcOffscreen, ps.rcPaint);
        for (int i = 0; i < m_aPostPaintControls.GetSize(); i++) {
            auto* pPostPaintControl = static_cast<CControlUI*>(m_aPostPaintControls[i]);
            pPostPaintControl->PaintOverlay(m_hDcOffscreen, ps.rcPaint);
        }
        ::RestoreDC(m_hDcOffscreen, iSaveDC);
        ::BitBlt(ps.hdc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, m_hDcOffscreen, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        ::SelectObject(m_hDcOffscreen, hOldBitmap);
        if (m_bShowUpdateRect) {
            HPEN hOldPen = static_cast<HPEN>(::SelectObject(ps.hdc, uiUpdateRectPen()));
            ::SelectObject(ps.hdc, ::GetStockObject(HOLLOW_BRUSH));
            ::Rectangle(ps.hdc, rcPaint.left, rcPaint.top, rcPaint.right, rcPaint.bottom);
            ::SelectObject(ps.hdc, hOldPen);
        }
    } else {
        const int iSaveDC = ::SaveDC(ps.hdc);
        m_pRoot->DoPaint(ps.hdc, ps.rcPaint);
        ::RestoreDC(ps.hdc, iSaveDC);
    }
    ::EndPaint(m_hWndPaint, &ps);
    if (m_bUpdateNeeded)
        ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

// ---------------------------------------------------------------- tool tips

void CUIWindowManager::deactivateToolTip()
{
    if (m_hwndTooltip)
        ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_ToolTip));
}

void CUIWindowManager::showToolTip(CControlUI* pHover)
{
    // The text must outlive the call: the tool keeps a pointer to it.
    static CUIString sToolTip;
    sToolTip = pHover->GetToolTip();
    std::memset(&m_ToolTip, 0, sizeof(TOOLINFOW));
    m_ToolTip.cbSize = 44;
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = GetInstance();
    m_ToolTip.lpszText = const_cast<LPWSTR>(sToolTip.GetData());
    m_ToolTip.rect = pHover->GetPos();
    if (!m_hwndTooltip) {
        m_hwndTooltip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWndPaint,
                                          nullptr, GetInstance(), nullptr);
        if (m_hwndTooltip)
            ::SendMessageW(m_hwndTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    if (!m_hwndTooltip)
        return;
    ::SendMessageW(m_hwndTooltip, TTM_SETMAXTIPWIDTH, 0, pHover->GetToolTipWidth());
    ::SendMessageW(m_hwndTooltip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_ToolTip));
}
