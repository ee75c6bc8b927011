#pragma once
// The scroll bar: two arrow buttons, a thumb sized by page against range, a
// rail centred on the thumb and a background, each drawn from one image per
// state. A container that owns the bar is scrolled by lines and pages; a
// bar without an owner moves its own position and sends "scroll".
// UI thread only.
#include "skinui/UIAxis.h"
#include "skinui/UIControl.h"

class CContainerUI;

class CScrollBarUI : public CControlUI
{
public:
    // The timer that repeats arrow and rail presses and applies thumb drags.
    static constexpr UINT kRepeatTimerId = 10;
    static constexpr UINT kRepeatElapse = 50;
    // Ticks a pressed arrow or rail waits before it repeats.
    static constexpr int kRepeatDelayTicks = 5;

    CScrollBarUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;

    CContainerUI* GetOwner() const;
    void SetOwner(CContainerUI* pOwner);
    bool IsHorizontal() const;
    void SetHorizontal(bool bHorizontal = true);
    int GetScrollRange() const;
    void SetScrollRange(int nRange);
    int GetScrollPos() const;
    void SetScrollPos(int nPos);
    int GetLineSize() const;
    void SetLineSize(int nSize);
    bool GetShowButton1() const;
    void SetShowButton1(bool bShow);
    bool GetShowButton2() const;
    void SetShowButton2(bool bShow);
    const RECT& GetButton1Rect() const;
    const RECT& GetButton2Rect() const;
    const RECT& GetThumbRect() const;

    // Images by part and state.
    enum Part { PartBackground, PartButton1, PartButton2, PartThumb, PartRail, PartCount };
    enum ImageState { ImageNormal, ImageHot, ImagePushed, ImageDisabled, ImageStateCount };
    const char16_t* GetPartImage(Part part, ImageState state) const;
    void SetPartImage(Part part, ImageState state, const char16_t* pStrImage);

    void SetPos(RECT rc) override;
    void SetVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnable = true) override;
    void SetFocus() override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

private:
    enum Step { StepLineBack, StepLineForward, StepPageBack, StepPageForward };
    void scrollBy(Step step);
    void notifyScroll();
    int thickness() const;
    // The axis the bar scrolls along.
    UIAxis axis() const;
    void paintPart(HDC hDC, Part part, const RECT& rcPart, UINT uState, bool bFrame);

    bool m_bHorizontal;
    int m_nRange;
    int m_nScrollPos;
    int m_nLineSize;
    CContainerUI* m_pOwner;
    POINT m_ptLastMouse;
    int m_nLastScrollPos;
    int m_nLastScrollOffset;
    int m_nScrollRepeatDelay;
    bool m_bShowButton1;
    bool m_bShowButton2;
    RECT m_rcButton1;
    RECT m_rcButton2;
    RECT m_rcThumb;
    UINT m_uButton1State;
    UINT m_uButton2State;
    UINT m_uThumbState;
    CUIString m_sImages[PartCount][ImageStateCount];
    CUIString m_sImageModify;
};
