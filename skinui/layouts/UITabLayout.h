#pragma once
// Shows exactly one of its children, the selected one; selecting another
// sends "tabselect" with the new and the previous index. UI thread only.
#include "skinui/UIContainer.h"

class CTabLayoutUI : public CContainerUI
{
public:
    CTabLayoutUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    void RemoveAll() override;
    void SetPos(RECT rc) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;

    int GetCurSel() const;
    bool SelectItem(int iIndex);

protected:
    int m_iCurSel;
};
