#pragma once
// Stacks its children top to bottom, sharing the free height among the
// children without a height of their own; optionally resized by dragging a
// separator strip at its bottom (or top) edge. UI thread only.
#include "skinui/UIContainer.h"

class CVerticalLayoutUI : public CContainerUI
{
public:
    CVerticalLayoutUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    void SetPos(RECT rc) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void PaintOverlay(HDC hDC, const RECT& rcPaint) override;

    void SetSepHeight(int iHeight);
    int GetSepHeight() const;
    void SetSepImmMode(bool bImmediately);
    bool IsSepImmMode() const;
    // The separator strip of a rectangle (the current or the dragged one).
    RECT GetThumbRect(bool bUseNew = false) const;

protected:
    int m_iSepHeight;
    UINT m_uButtonState;
    POINT m_ptLastMouse;
    RECT m_rcNewPos;
    bool m_bImmMode;
};
