#pragma once
// The base row of a list or combo drop-down: index, selection, hot state and
// owner; paints its background from the owner's item appearance record and
// turns clicks and keys into "itemclick", "itemactivate" and selection
// requests. Also the row behaviour shared with the container row.
// UI thread only.
#include "skinui/controls/UIListInterfaces.h"

class CListElementUI : public CControlUI, public IListItemUI
{
public:
    CListElementUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    bool Activate() override;
    void SetVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnable = true) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;

    // IListItemUI
    int GetIndex() const override;
    void SetIndex(int iIndex) override;
    IListOwnerUI* GetOwner() override;
    void SetOwner(CControlUI* pOwner) override;
    bool IsSelected() const override;
    bool Select(bool bSelect = true) override;
    bool IsExpanded() const override;
    bool Expand(bool bExpand = true) override;

    void InvalidateItem();
    void DrawItemBk(HDC hDC, const RECT& rcItem);
    UINT GetButtonState() const;

protected:
    int m_iIndex;
    bool m_bSelected;
    UINT m_uButtonState;
    IListOwnerUI* m_pOwner;
};

// ---- Row behaviour shared by the plain and the container rows.

// The row's part of the owner's repaint: its rectangle clipped to the
// visible inside of every container above it.
void UIListInvalidateItem(CControlUI* pRow);
// Background colour, state or own image, and bottom line of a row.
void UIListDrawItemBk(CControlUI* pRow, HDC hDC, IListOwnerUI* pOwner, int iIndex, bool bSelected, UINT uState);
// The row's text in the owner's item colours and style.
void UIListDrawLabelText(CControlUI* pRow, HDC hDC, const RECT& rcItem, IListOwnerUI* pOwner, bool bSelected,
                         UINT uState);
// Mouse enter/leave/down handling of a label-like row; true when handled.
bool UIListRowMouse(CControlUI* pRow, IListItemUI* pItem, UINT& uState, UIEventRecord& event);
// Double click and Enter activate the row; true when handled.
bool UIListRowActivateKeys(CControlUI* pRow, UIEventRecord& event);
// Sends "itemactivate" after the control's own Activate succeeded.
bool UIListRowActivated(CControlUI* pRow);
// What hiding a selected row does: it is deselected and the owner told.
void UIListRowHidden(CControlUI* pRow, bool& bSelected, IListOwnerUI* pOwner);
// The row's Select: refuses disabled rows, tells the owner, repaints.
bool UIListRowSelect(CControlUI* pRow, bool& bSelected, bool bSelect, IListOwnerUI* pOwner, int iIndex);
