#pragma once
// A list row whose content is any controls (its children); behaves like a
// label row for selection, hot state and activation. The tree node derives
// from it. UI thread only.
#include "skinui/UIContainer.h"
#include "skinui/controls/UIListInterfaces.h"

class CListContainerElementUI : public CContainerUI, public IListItemUI
{
public:
    CListContainerElementUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    bool Activate() override;
    void SetVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnable = true) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    // IListItemUI
    int GetIndex() const override;
    void SetIndex(int iIndex) override;
    IListOwnerUI* GetOwner() override;
    void SetOwner(CControlUI* pOwner) override;
    bool IsSelected() const override;
    bool Select(bool bSelect = true) override;
    bool IsExpanded() const override;
    bool Expand(bool bExpand = true) override;
    void DrawItemText(HDC hDC, const RECT& rcItem) override;

    void InvalidateItem();
    void DrawItemBk(HDC hDC, const RECT& rcItem);
    UINT GetButtonState() const;

protected:
    int m_iIndex;
    bool m_bSelected;
    UINT m_uButtonState;
    IListOwnerUI* m_pOwner;
};
