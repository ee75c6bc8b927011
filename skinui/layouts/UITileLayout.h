#pragma once
// Places its children in a grid of equal-width columns, row by row, each
// centred in its tile; scrolls vertically. UI thread only.
#include "skinui/UIContainer.h"

class CTileLayoutUI : public CContainerUI
{
public:
    CTileLayoutUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    void SetPos(RECT rc) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;

    SIZE GetItemSize() const;
    void SetItemSize(SIZE szItem);
    int GetColumns() const;
    void SetColumns(int nCols);

protected:
    SIZE m_szItem;
    int m_nColumns;
};
