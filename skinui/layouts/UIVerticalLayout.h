#pragma once
// Stacks its children top to bottom, sharing the free height among the
// children without a height of their own; optionally resized by dragging a
// separator strip at its bottom (or top) edge. UI thread only.
#include "skinui/layouts/UIBoxLayout.h"

class CVerticalLayoutUI : public CBoxLayoutUI
{
public:
    CVerticalLayoutUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;

    void SetSepHeight(int iHeight);
    int GetSepHeight() const;
};
