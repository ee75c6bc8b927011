#pragma once
// A progress with a draggable thumb: clicking the track or releasing a drag
// sets the value at the pointer and sends "valuechanged"; the wheel steps it.
// UI thread only.
#include "skinui/controls/UIProgress.h"

class CSliderUI : public CProgressUI
{
public:
    CSliderUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    void SetEnabled(bool bEnable = true) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void PaintStateImage(HDC hDC) override;

    int GetChangeStep() const;
    void SetChangeStep(int step);
    SIZE GetThumbSize() const;
    void SetThumbSize(SIZE szXY);
    // The thumb in window coordinates.
    RECT GetThumbRect() const;
    const char16_t* GetThumbImage() const;
    void SetThumbImage(const char16_t* pStrImage);
    const char16_t* GetThumbHotImage() const;
    void SetThumbHotImage(const char16_t* pStrImage);
    const char16_t* GetThumbPushedImage() const;
    void SetThumbPushedImage(const char16_t* pStrImage);

private:
    // The value a pointer position stands for.
    int valueAt(POINT pt) const;
    void notifyValueChanged();

    SIZE m_szThumb;
    UINT m_uButtonState;
    int m_nStep;
    CUIString m_sThumbImage;
    CUIString m_sThumbHotImage;
    CUIString m_sThumbPushedImage;
    CUIString m_sImageModify;
};
