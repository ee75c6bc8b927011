#pragma once
// The column header row of a list: a horizontal layout of header items
// whose positions become the list's column table. UI thread only.
#include "skinui/layouts/UIHorizontalLayout.h"

class CListHeaderUI : public CHorizontalLayoutUI
{
public:
    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    SIZE PreferredSize(SIZE szAvailable) override;
};
