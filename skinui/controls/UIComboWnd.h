#pragma once
// The pop-up of an open combo: a borderless tool window below (or above)
// the box with a manager of its own whose root is a scrolling vertical
// layout holding the combo's rows for as long as it is open. Deletes
// itself when its window is gone. UI thread only.
#include "skinui/UIWindowWnd.h"

class CComboUI;
class CVerticalLayoutUI;

class CComboWnd : public CWindowWnd
{
public:
    CComboWnd();

    // Places the pop-up for the combo and shows it.
    void Init(CComboUI* pOwner);
    // The rectangle Init chose, in screen coordinates.
    RECT GetPopupRect() const;
    CVerticalLayoutUI* GetLayout() const;
    CUIWindowManager& GetManager();
    // The combo goes away first: the rows go back, the window closes now.
    void OwnerGone();

protected:
    const char16_t* GetWindowClassName() const override;
    const char16_t* GetSuperClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void EnsureVisible(int iIndex);
    void GiveRowsBack();

    CUIWindowManager m_pm;
    CComboUI* m_pOwner;
    CVerticalLayoutUI* m_pLayout;
    int m_iOldSel;
    RECT m_rcPopup;
    bool m_bRowsBack;
};
