#pragma once
// Places its children left to right, sharing the free width among the
// children without a width of their own; optionally resized by dragging a
// separator strip at its right (or left) edge. UI thread only.
#include "skinui/UIContainer.h"

class CHorizontalLayoutUI : public CContainerUI
{
public:
    CHorizontalLayoutUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    void SetPos(RECT rc) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void PaintOverlay(HDC hDC, const RECT& rcPaint) override;

    void SetSepWidth(int iWidth);
    int GetSepWidth() const;
    void SetSepImmMode(bool bImmediately);
    bool IsSepImmMode() const;
    // The separator strip of a rectangle (the current or the dragged one).
    RECT GetThumbRect(bool bUseNew = false) const;

protected:
    int m_iSepWidth;
    UINT m_uButtonState;
    POINT m_ptLastMouse;
    RECT m_rcNewPos;
    bool m_bImmMode;
};
