#pragma once
// What the vertical and horizontal layouts share, written once along their
// axis: children placed one after another, the free length shared among the
// children without a length of their own, and the optional separator strip
// at the far (or near) edge that resizes the layout when dragged. UI thread
// only.
#include "skinui/UIAxis.h"
#include "skinui/UIContainer.h"

class CBoxLayoutUI : public CContainerUI
{
public:
    UINT GetInputFlags() const override;
    void SetPos(RECT rc) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void PaintOverlay(HDC hDC, const RECT& rcPaint) override;

    void SetSepImmMode(bool bImmediately);
    bool IsSepImmMode() const;
    // The separator strip of a rectangle (the current or the dragged one).
    RECT GetThumbRect(bool bUseNew = false) const;

protected:
    // pszSepAttribute: the skin attribute that sets the separator size.
    CBoxLayoutUI(UIAxis axis, const char16_t* pszSepAttribute);

    const UIAxis m_axis;
    const char16_t* const m_pszSepAttribute;
    // > 0: strip of this length at the far edge; < 0: at the near edge.
    int m_iSepSize;
    UINT m_uButtonState;
    POINT m_ptLastMouse;
    RECT m_rcNewPos;
    bool m_bImmMode;

private:
    // Moves the dragged edge of the new position by the pointer's step;
    // false when the step is ignored.
    bool DragEdge(POINT ptMouse);
};
