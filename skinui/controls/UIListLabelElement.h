#pragma once
// A list row of one line of text drawn in the owner's item colours.
// UI thread only.
#include "skinui/controls/UIListElement.h"

class CListLabelElementUI : public CListElementUI
{
public:
    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    void HandleEvent(UIEventRecord& event) override;
    SIZE PreferredSize(SIZE szAvailable) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void DrawItemText(HDC hDC, const RECT& rcItem) override;

protected:
    // The height a row without a fixed height takes from the item font.
    int DefaultRowHeight();
};
