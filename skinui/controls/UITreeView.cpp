#include "skinui/controls/UITreeView.h"

#include "skinui/UIAttrParse.h"
#include "skinui/controls/UICheckBox.h"
#include "skinui/controls/UIListHeader.h"
#include "skinui/controls/UITreeNode.h"

#include <algorithm>

CTreeViewUI::CTreeViewUI() : m_uItemMinWidth(0), m_bVisibleFolderBtn(true), m_bVisibleCheckBtn(false)
{
    GetHeader()->SetVisible(false);
}

const char16_t* CTreeViewUI::GetClass() const { return u"TreeViewUI"; }

void* CTreeViewUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"TreeView") == 0)
        return static_cast<CTreeViewUI*>(this);
    return CListUI::GetInterface(pstrName);
}

void CTreeViewUI::Notify(UINotifyMsg&) {}

CTreeNodeUI* CTreeViewUI::NodeOf(CControlUI* pControl)
{
    return pControl ? static_cast<CTreeNodeUI*>(pControl->GetInterface(u"TreeNode")) : nullptr;
}

void CTreeViewUI::Adopt(CTreeNodeUI* pNode)
{
    pNode->OnNotify += MakeDelegate(this, &CTreeViewUI::OnItemDoubleClick);
    pNode->GetFolderButton()->OnNotify += MakeDelegate(this, &CTreeViewUI::OnFolderChanged);
    pNode->GetCheckBox()->OnNotify += MakeDelegate(this, &CTreeViewUI::OnCheckBoxChanged);
    pNode->GetFolderButton()->SetVisible(m_bVisibleFolderBtn);
    pNode->GetCheckBox()->SetVisible(m_bVisibleCheckBtn);
    if (m_uItemMinWidth > 0)
        pNode->SetMinWidth(static_cast<int>(m_uItemMinWidth));
}

bool CTreeViewUI::Add(CTreeNodeUI* pControl)
{
    if (!CTreeNodeUI::IsTreeNode(pControl))
        return false;
    Adopt(pControl);
    CListUI::Add(pControl);
    for (int i = 0; i < pControl->GetCountChild(); i++)
        if (CTreeNodeUI* pChild = pControl->GetChildNode(i))
            Add(pChild);
    pControl->SetTreeView(this);
    return true;
}

int CTreeViewUI::AddAt(CTreeNodeUI* pControl, int iIndex)
{
    if (!CTreeNodeUI::IsTreeNode(pControl) || !GetItemAt(iIndex))
        return -1;
    Adopt(pControl);
    if (!CListUI::AddAt(pControl, iIndex))
        return -1;
    pControl->SetTreeView(this);
    // The descendants follow the node, in order.
    int iNext = iIndex + 1;
    for (int i = 0; i < pControl->GetCountChild(); i++) {
        CTreeNodeUI* pChild = pControl->GetChildNode(i);
        if (!pChild)
            continue;
        const int iAfter = GetItemAt(iNext) ? AddAt(pChild, iNext) : (Add(pChild) ? GetCount() : -1);
        if (iAfter < 0)
            break;
        iNext = pChild->GetLastNode()->GetNodeIndex() + 1;
    }
    return iNext;
}

bool CTreeViewUI::AddAt(CTreeNodeUI* pControl, CTreeNodeUI* pIndexNode)
{
    if ((!pControl && !pIndexNode) || GetCount() == 0)
        return false;
    const int nItemIndex = pIndexNode ? GetItemIndex(pIndexNode) : -1;
    if (nItemIndex < 0)
        return false;
    return AddAt(pControl, nItemIndex) >= 0;
}

bool CTreeViewUI::Remove(CTreeNodeUI* pControl)
{
    if (!pControl || GetItemIndex(pControl) < 0)
        return false;
    while (pControl->GetCountChild() > 0)
        pControl->RemoveChildNode(pControl->GetChildNode(0));
    // A node taken away directly leaves its parent's children too.
    if (CTreeNodeUI* pParent = pControl->GetParentNode())
        pParent->DetachChildNode(pControl);
    CListUI::Remove(pControl);
    return true;
}

bool CTreeViewUI::RemoveAt(int iIndex)
{
    // Leaves go as well as nodes with children (their whole subtree).
    CTreeNodeUI* pNode = NodeOf(GetItemAt(iIndex));
    if (!pNode)
        return CListUI::RemoveAt(iIndex);
    return Remove(pNode);
}

void CTreeViewUI::RemoveAll() { CListUI::RemoveAll(); }

bool CTreeViewUI::OnCheckBoxChanged(void* param)
{
    auto* pMsg = static_cast<UINotifyMsg*>(param);
    if (pMsg->sType == u"selectchanged") {
        auto* pCheckBox = static_cast<CCheckBoxUI*>(pMsg->pSender);
        CControlUI* pRow = pCheckBox->GetParent();
        CTreeNodeUI* pItem = NodeOf(pRow ? pRow->GetParent() : nullptr);
        if (pItem)
            SetItemCheckBox(pCheckBox->IsSelected(), pItem);
    }
    return true;
}

bool CTreeViewUI::OnFolderChanged(void* param)
{
    auto* pMsg = static_cast<UINotifyMsg*>(param);
    if (pMsg->sType == u"selectchanged") {
        auto* pFolder = static_cast<CCheckBoxUI*>(pMsg->pSender);
        CControlUI* pRow = pFolder->GetParent();
        CTreeNodeUI* pItem = NodeOf(pRow ? pRow->GetParent() : nullptr);
        if (pItem) {
            const bool bExpanded = !pFolder->IsSelected();
            pItem->SetVisibleChildren(bExpanded);
            SetItemExpand(bExpanded, pItem);
        }
    }
    return true;
}

bool CTreeViewUI::OnItemDoubleClick(void* param)
{
    auto* pMsg = static_cast<UINotifyMsg*>(param);
    if (pMsg->sType != u"itemdbclick")
        return false;
    CTreeNodeUI* pItem = NodeOf(pMsg->pSender);
    if (!pItem)
        return false;
    CCheckBoxUI* pFolder = pItem->GetFolderButton();
    pFolder->Selected(!pFolder->IsSelected());
    const bool bExpanded = !pFolder->IsSelected();
    pItem->SetVisibleChildren(bExpanded);
    SetItemExpand(bExpanded, pItem);
    return true;
}

bool CTreeViewUI::SetItemCheckBox(bool bSelected, CTreeNodeUI* pTreeNode)
{
    if (pTreeNode) {
        for (int i = 0; i < pTreeNode->GetCountChild(); i++) {
            CTreeNodeUI* pItem = pTreeNode->GetChildNode(i);
            pItem->GetCheckBox()->Selected(bSelected);
            if (pItem->GetCountChild() > 0)
                SetItemCheckBox(bSelected, pItem);
        }
        return true;
    }
    for (int i = 0; i < GetCount(); i++)
        if (CTreeNodeUI* pItem = NodeOf(GetItemAt(i)))
            pItem->GetCheckBox()->Selected(bSelected);
    return true;
}

void CTreeViewUI::SetItemExpand(bool bExpanded, CTreeNodeUI* pTreeNode)
{
    if (pTreeNode) {
        for (int i = 0; i < pTreeNode->GetCountChild(); i++) {
            CTreeNodeUI* pItem = pTreeNode->GetChildNode(i);
            pItem->SetVisible(bExpanded);
            // A collapsed child keeps its own children hidden.
            if (pItem->GetCountChild() > 0 && !pItem->GetFolderButton()->IsSelected())
                SetItemExpand(bExpanded, pItem);
        }
        return;
    }
    for (int i = 0; i < GetCount(); i++)
        if (CTreeNodeUI* pItem = NodeOf(GetItemAt(i)))
            pItem->SetVisible(bExpanded);
}

void CTreeViewUI::SetVisibleFolderBtn(bool bIsVisibled)
{
    m_bVisibleFolderBtn = bIsVisibled;
    for (int i = 0; i < GetCount(); i++)
        if (CTreeNodeUI* pItem = NodeOf(GetItemAt(i)))
            pItem->GetFolderButton()->SetVisible(m_bVisibleFolderBtn);
}

bool CTreeViewUI::GetVisibleFolderBtn() const { return m_bVisibleFolderBtn; }

void CTreeViewUI::SetVisibleCheckBtn(bool bIsVisibled)
{
    m_bVisibleCheckBtn = bIsVisibled;
    for (int i = 0; i < GetCount(); i++)
        if (CTreeNodeUI* pItem = NodeOf(GetItemAt(i)))
            pItem->GetCheckBox()->SetVisible(m_bVisibleCheckBtn);
}

bool CTreeViewUI::GetVisibleCheckBtn() const { return m_bVisibleCheckBtn; }

void CTreeViewUI::SetItemMinWidth(UINT uItemMinWidth)
{
    m_uItemMinWidth = uItemMinWidth;
    for (int i = 0; i < GetCount(); i++)
        if (CControlUI* pItem = GetItemAt(i))
            pItem->SetMinWidth(static_cast<int>(m_uItemMinWidth));
    Invalidate();
}

UINT CTreeViewUI::GetItemMinWidth() const { return m_uItemMinWidth; }

void CTreeViewUI::SetItemTextColor(DWORD dwItemTextColor)
{
    for (int i = 0; i < GetCount(); i++)
        if (CTreeNodeUI* pItem = NodeOf(GetItemAt(i)))
            pItem->SetItemTextColor(dwItemTextColor);
}

void CTreeViewUI::SetItemHotTextColor(DWORD dwItemHotTextColor)
{
    for (int i = 0; i < GetCount(); i++)
        if (CTreeNodeUI* pItem = NodeOf(GetItemAt(i)))
            pItem->SetItemHotTextColor(dwItemHotTextColor);
}

void CTreeViewUI::SetSelItemTextColor(DWORD dwSelItemTextColor)
{
    for (int i = 0; i < GetCount(); i++)
        if (CTreeNodeUI* pItem = NodeOf(GetItemAt(i)))
            pItem->SetSelItemTextColor(dwSelItemTextColor);
}

void CTreeViewUI::SetSelItemHotTextColor(DWORD dwSelHotItemTextColor)
{
    for (int i = 0; i < GetCount(); i++)
        if (CTreeNodeUI* pItem = NodeOf(GetItemAt(i)))
            pItem->SetSelItemHotTextColor(dwSelHotItemTextColor);
}

void CTreeViewUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    auto is = [pstrName](const char16_t* name) { return wcscmp(pstrName, name) == 0; };
    if (is(u"visiblefolderbtn"))
        SetVisibleFolderBtn(UIIsTrue(pstrValue));
    else if (is(u"visiblecheckbtn"))
        SetVisibleCheckBtn(UIIsTrue(pstrValue));
    else if (is(u"itemminwidth"))
        SetItemMinWidth(static_cast<UINT>(std::max(0, _wtoi(pstrValue))));
    else if (is(u"itemtextcolor"))
        SetItemTextColor(UIParseColour(pstrValue));
    else if (is(u"itemhottextcolor"))
        SetItemHotTextColor(UIParseColour(pstrValue));
    else if (is(u"selitemtextcolor"))
        SetSelItemTextColor(UIParseColour(pstrValue));
    else if (is(u"selitemhottextcolor"))
        SetSelItemHotTextColor(UIParseColour(pstrValue));
    else
        CListUI::SetAttribute(pstrName, pstrValue);
}
