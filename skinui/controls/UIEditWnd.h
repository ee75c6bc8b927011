#pragma once
// The native edit window that lies over a focused CEditUI: copies each
// change back to its owner and closes itself when it loses the focus.
// UI thread only.
#include "skinui/UIWindowWnd.h"

class CEditUI;

class CEditWnd : public CWindowWnd
{
public:
    CEditWnd();

    void Init(CEditUI* pOwner);
    RECT OverlayRect() const;

protected:
    const char16_t* GetWindowClassName() const override;
    const char16_t* GetSuperClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    CEditUI* m_pOwner;
    HBRUSH m_hBkBrush;
    bool m_bInit;
};
