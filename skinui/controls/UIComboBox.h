#pragma once
// A combo drawn from one arrow image holding its five button states side by
// side (normal, hot, pushed, focused, disabled); the selected row's text is
// drawn left of that button. UI thread only.
#include "skinui/controls/UICombo.h"

class CComboBoxUI : public CComboUI
{
public:
    CComboBoxUI();

    const char16_t* GetClass() const override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void PaintStateImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    // The width of one frame of the arrow image, known after a paint.
    int GetButtonWidth() const;

private:
    CUIString m_sArrowImage;
    int m_nArrowWidth;
};
