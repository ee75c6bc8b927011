#pragma once
// A push button drawn from one image per state (normal, hot, pushed,
// focused, disabled) with an optional fore image; sends "click" when
// released over itself or when space or return is pressed on it.
// UI thread only.
#include "skinui/controls/UILabel.h"

class CButtonUI : public CLabelUI
{
public:
    CButtonUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    bool Activate() override;
    void SetEnabled(bool bEnable = true) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    SIZE PreferredSize(SIZE szAvailable) override;
    void PaintStateImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    UINT GetButtonState() const;
    const char16_t* GetNormalImage() const;
    void SetNormalImage(const char16_t* pStrImage);
    const char16_t* GetHotImage() const;
    void SetHotImage(const char16_t* pStrImage);
    const char16_t* GetHotForeImage() const;
    void SetHotForeImage(const char16_t* pStrImage);
    const char16_t* GetPushedImage() const;
    void SetPushedImage(const char16_t* pStrImage);
    const char16_t* GetPushedForeImage() const;
    void SetPushedForeImage(const char16_t* pStrImage);
    const char16_t* GetFocusedImage() const;
    void SetFocusedImage(const char16_t* pStrImage);
    const char16_t* GetDisabledImage() const;
    void SetDisabledImage(const char16_t* pStrImage);
    void SetHotBkColor(DWORD dwColor);
    DWORD GetHotBkColor() const;
    void SetHotTextColor(DWORD dwColor);
    DWORD GetHotTextColor() const;
    void SetPushedTextColor(DWORD dwColor);
    DWORD GetPushedTextColor() const;
    void SetFocusedTextColor(DWORD dwColor);
    DWORD GetFocusedTextColor() const;

protected:
    // The focused and disabled bits follow the control again.
    void RefreshStateBits();

    UINT m_uButtonState;
    DWORD m_dwHotBkColor;
    DWORD m_dwHotTextColor;
    DWORD m_dwPushedTextColor;
    DWORD m_dwFocusedTextColor;
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sHotForeImage;
    CUIString m_sPushedImage;
    CUIString m_sPushedForeImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
};
