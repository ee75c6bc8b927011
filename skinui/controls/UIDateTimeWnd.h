#pragma once
// The platform date picker laid over a focused CDateTimeUI; hands the
// picked date back and closes itself when it loses the focus.
// UI thread only.
#include "skinui/UIWindowWnd.h"

class CDateTimeUI;

class CDateTimeWnd : public CWindowWnd
{
public:
    CDateTimeWnd();

    void Init(CDateTimeUI* pOwner);
    RECT OverlayRect() const;
    // The control goes away first: the picker closes now.
    void OwnerGone();

protected:
    const char16_t* GetWindowClassName() const override;
    const char16_t* GetSuperClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    CDateTimeUI* m_pOwner;
    HBRUSH m_hBkBrush;
    bool m_bInit;
};
