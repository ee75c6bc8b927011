#pragma once
// One row of a tree view: a container row holding an indentation line, a
// folder (expand/collapse) box, a check box and the item button with the
// node's text. The node keeps its child nodes and its parent; the tree
// view's list holds every node flattened in display order. UI thread only.
#include "skinui/UIPtrArray.h"
#include "skinui/controls/UIListContainerElement.h"

class CCheckBoxUI;
class CHorizontalLayoutUI;
class CLabelUI;
class COptionUI;
class CTreeViewUI;

class CTreeNodeUI : public CListContainerElementUI
{
public:
    // Indentation added per level of depth.
    static constexpr int kIndentStep = 16;

    explicit CTreeNodeUI(CTreeNodeUI* pParentNode = nullptr);
    ~CTreeNodeUI() override;

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    bool Select(bool bSelect = true) override;

    // IContainerUI: tree nodes become child nodes, other controls children.
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;

    CTreeNodeUI* GetChildNode(int iIndex) const;
    int GetCountChild() const;
    bool AddChildNode(CTreeNodeUI* pTreeNodeUI);
    bool RemoveChildNode(CTreeNodeUI* pTreeNodeUI);
    // Drops the child from this node's children only (its row stays).
    bool DetachChildNode(CTreeNodeUI* pTreeNodeUI);
    // The node's index among the tree view's rows, -1 when it has none.
    int GetNodeIndex() const;
    // Itself without children, else the last descendant of its last child.
    CTreeNodeUI* GetLastNode();
    void SetParentNode(CTreeNodeUI* pParentTreeNode);
    CTreeNodeUI* GetParentNode() const;
    void SetTreeView(CTreeViewUI* pTreeView);
    CTreeViewUI* GetTreeView() const;
    void SetVisibleChildren(bool bVisible);
    bool IsChildrenVisible() const;
    CUIString GetItemText() const;
    void SetItemText(const char16_t* pstrValue);

    void SetItemTextColor(DWORD dwColor);
    DWORD GetItemTextColor() const;
    void SetItemHotTextColor(DWORD dwColor);
    DWORD GetItemHotTextColor() const;
    void SetSelItemTextColor(DWORD dwColor);
    DWORD GetSelItemTextColor() const;
    void SetSelItemHotTextColor(DWORD dwColor);
    DWORD GetSelItemHotTextColor() const;

    CHorizontalLayoutUI* GetTreeNodeHorizontal() const;
    CCheckBoxUI* GetFolderButton() const;
    CLabelUI* GetDottedLine() const;
    CCheckBoxUI* GetCheckBox() const;
    COptionUI* GetItemButton() const;

    // True for a control of the tree node class (names compared
    // case-insensitively).
    static bool IsTreeNode(CControlUI* pControl);

private:
    // Line, parent, option group and tree view of a new child node.
    void PrepareChild(CTreeNodeUI* pChild);

    bool m_bIsVisable;
    DWORD m_dwItemTextColor;
    DWORD m_dwItemHotTextColor;
    DWORD m_dwSelItemTextColor;
    DWORD m_dwSelItemHotTextColor;
    CTreeViewUI* m_pTreeView;
    CHorizontalLayoutUI* m_pHoriz;
    CCheckBoxUI* m_pFolderButton;
    CLabelUI* m_pDottedLine;
    CCheckBoxUI* m_pCheckBox;
    COptionUI* m_pItemButton;
    CTreeNodeUI* m_pParentTreeNode;
    CUIPtrArray m_aTreeNodes;
};
