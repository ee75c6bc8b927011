#pragma once
// An option under another class name (a tick box); without a group it
// toggles on every click. UI thread only.
#include "skinui/controls/UIOption.h"

class CCheckBoxUI : public COptionUI
{
public:
    const char16_t* GetClass() const override;
};
