#pragma once
// A single-line text field. Without the focus it is drawn like a label
// (masked in password mode); with the focus a native edit window lies over
// its text area and takes the keyboard (caret, selection, clipboard) until
// it loses the focus and closes itself. Sends "textchanged" for each change
// and "return" for the return key. UI thread only.
#include "skinui/controls/UILabel.h"

class CEditWnd;

class CEditUI : public CLabelUI
{
    friend class CEditWnd;

public:
    CEditUI();
    ~CEditUI() override;

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    void SetText(const char16_t* pstrText) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool bVisible = true) override;
    void SetInheritedVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnable = true) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    SIZE PreferredSize(SIZE szAvailable) override;
    void PaintStateImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    void SetMaxChar(UINT uMax);
    UINT GetMaxChar() const;
    void SetReadOnly(bool bReadOnly);
    bool IsReadOnly() const;
    void SetPasswordMode(bool bPasswordMode);
    bool IsPasswordMode() const;
    void SetPasswordChar(char16_t cPasswordChar);
    char16_t GetPasswordChar() const;
    void SetNumberOnly(bool bNumberOnly);
    bool IsNumberOnly() const;
    DWORD GetWindowStyles() const;
    void SetNativeEditBkColor(DWORD dwBkColor);
    DWORD GetNativeEditBkColor() const;
    const char16_t* GetNormalImage() const;
    void SetNormalImage(const char16_t* pStrImage);
    const char16_t* GetHotImage() const;
    void SetHotImage(const char16_t* pStrImage);
    const char16_t* GetFocusedImage() const;
    void SetFocusedImage(const char16_t* pStrImage);
    const char16_t* GetDisabledImage() const;
    void SetDisabledImage(const char16_t* pStrImage);
    // The native overlay while it exists (null otherwise).
    HWND GetNativeWindow() const;

protected:
    CEditWnd* m_pWindow;
    UINT m_uMaxChar;
    bool m_bReadOnly;
    bool m_bPasswordMode;
    char16_t m_cPasswordChar;
    UINT m_uButtonState;
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    DWORD m_dwEditbkColor;
    int m_iWindowStyls;

private:
    void openOverlay();
};
