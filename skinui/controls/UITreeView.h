#pragma once
// A list of tree nodes shown as a hierarchy: nodes are rows in display
// order (a node followed by its descendants); collapsing a node hides its
// descendants' rows; checking a node checks its subtree. Listens to the
// nodes' folder and check boxes and to double clicks. UI thread only.
#include "skinui/controls/UIList.h"

class CTreeNodeUI;

class CTreeViewUI : public CListUI, public INotifyUI
{
public:
    CTreeViewUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void Notify(UINotifyMsg& msg) override;

    using CListUI::Add;
    using CListUI::AddAt;
    using CListUI::Remove;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    // Appends the node and, after it, its descendants.
    virtual bool Add(CTreeNodeUI* pControl);
    // Inserts the node (and its descendants) before the node given.
    virtual bool AddAt(CTreeNodeUI* pControl, CTreeNodeUI* pIndexNode);
    // Inserts the node (and its descendants) at a row index; the index after
    // them, or -1 when refused.
    virtual int AddAt(CTreeNodeUI* pControl, int iIndex);
    // Removes the node with its whole subtree.
    virtual bool Remove(CTreeNodeUI* pControl);
    virtual bool OnCheckBoxChanged(void* param);
    virtual bool OnFolderChanged(void* param);
    virtual bool OnItemDoubleClick(void* param);
    virtual bool SetItemCheckBox(bool bSelected, CTreeNodeUI* pTreeNode = nullptr);
    virtual void SetItemExpand(bool bExpanded, CTreeNodeUI* pTreeNode = nullptr);
    virtual void SetVisibleFolderBtn(bool bIsVisibled);
    virtual bool GetVisibleFolderBtn() const;
    virtual void SetVisibleCheckBtn(bool bIsVisibled);
    virtual bool GetVisibleCheckBtn() const;
    virtual void SetItemMinWidth(UINT uItemMinWidth);
    virtual UINT GetItemMinWidth() const;
    virtual void SetItemTextColor(DWORD dwItemTextColor);
    virtual void SetItemHotTextColor(DWORD dwItemHotTextColor);
    virtual void SetSelItemTextColor(DWORD dwSelItemTextColor);
    virtual void SetSelItemHotTextColor(DWORD dwSelHotItemTextColor);

private:
    // Handlers, visibility and minimum width for a node joining the view.
    void Adopt(CTreeNodeUI* pNode);
    static CTreeNodeUI* NodeOf(CControlUI* pControl);

    UINT m_uItemMinWidth;
    bool m_bVisibleFolderBtn;
    bool m_bVisibleCheckBtn;
};
