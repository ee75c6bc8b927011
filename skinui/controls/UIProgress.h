#pragma once
// A label that draws its fore image over the part of its rectangle that
// its value covers between minimum and maximum, horizontally or vertically.
// UI thread only.
#include "skinui/controls/UILabel.h"

class CProgressUI : public CLabelUI
{
public:
    CProgressUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void PaintStateImage(HDC hDC) override;

    bool IsHorizontal() const;
    void SetHorizontal(bool bHorizontal = true);
    bool IsStretchForeImage() const;
    void SetStretchForeImage(bool bStretchForeImage = true);
    int GetMinValue() const;
    void SetMinValue(int nMin);
    int GetMaxValue() const;
    void SetMaxValue(int nMax);
    int GetValue() const;
    void SetValue(int nValue);
    // The progress's own fore image (not the base control's).
    const char16_t* GetForeImage() const;
    void SetForeImage(const char16_t* pStrImage);

protected:
    // Puts minimum, maximum and value in order before they are used:
    // an empty range becomes one wide, the value is cut into it.
    void NormaliseRange();

    bool m_bHorizontal;
    bool m_bStretchForeImage;
    int m_nMax;
    int m_nMin;
    int m_nValue;
    CUIString m_sProgressForeImage;
    CUIString m_sForeImageModify;
};
