#pragma once
// Places its children left to right, sharing the free width among the
// children without a width of their own; optionally resized by dragging a
// separator strip at its right (or left) edge. UI thread only.
#include "skinui/layouts/UIBoxLayout.h"

class CHorizontalLayoutUI : public CBoxLayoutUI
{
public:
    CHorizontalLayoutUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;

    void SetSepWidth(int iWidth);
    int GetSepWidth() const;
};
