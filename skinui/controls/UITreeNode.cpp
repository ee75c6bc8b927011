#include "skinui/controls/UITreeNode.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIStateBits.h"
#include "skinui/controls/UICheckBox.h"
#include "skinui/controls/UILabel.h"
#include "skinui/controls/UITreeView.h"
#include "skinui/layouts/UIHorizontalLayout.h"

namespace {

// A row's own height; the folder and check boxes are as wide.
constexpr int kNodeHeight = 18;
constexpr int kNodeWidth = 250;
constexpr int kLineWidth = 2;

} // namespace

CTreeNodeUI::CTreeNodeUI(CTreeNodeUI* pParentNode)
    : m_bIsVisable(true), m_dwItemTextColor(0), m_dwItemHotTextColor(0), m_dwSelItemTextColor(0),
      m_dwSelItemHotTextColor(0), m_pTreeView(nullptr), m_pHoriz(new CHorizontalLayoutUI),
      m_pFolderButton(new CCheckBoxUI), m_pDottedLine(new CLabelUI), m_pCheckBox(new CCheckBoxUI),
      m_pItemButton(new COptionUI), m_pParentTreeNode(nullptr)
{
    SetFixedHeight(kNodeHeight);
    SetFixedWidth(kNodeWidth);
    m_pFolderButton->SetFixedWidth(GetFixedHeight());
    m_pDottedLine->SetFixedWidth(kLineWidth);
    m_pCheckBox->SetFixedWidth(GetFixedHeight());
    m_pItemButton->SetAttribute(u"align", u"left");
    m_pDottedLine->SetVisible(false);
    m_pCheckBox->SetVisible(false);
    m_pItemButton->SetMouseEnabled(false);

    // A parent of another class is not taken (the row is built all the same,
    // so its controls have an owner).
    if (pParentNode && IsTreeNode(pParentNode)) {
        m_pDottedLine->SetVisible(pParentNode->IsVisible());
        m_pDottedLine->SetFixedWidth(pParentNode->GetDottedLine()->GetFixedWidth() + kIndentStep);
        SetParentNode(pParentNode);
    }
    m_pHoriz->Add(m_pDottedLine);
    m_pHoriz->Add(m_pFolderButton);
    m_pHoriz->Add(m_pCheckBox);
    m_pHoriz->Add(m_pItemButton);
    CContainerUI::Add(m_pHoriz);
}

CTreeNodeUI::~CTreeNodeUI() = default;

bool CTreeNodeUI::IsTreeNode(CControlUI* pControl)
{
    return pControl && _wcsicmp(pControl->GetClass(), u"TreeNodeUI") == 0;
}

const char16_t* CTreeNodeUI::GetClass() const { return u"TreeNodeUI"; }

void* CTreeNodeUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"TreeNode") == 0)
        return static_cast<CTreeNodeUI*>(this);
    return CListContainerElementUI::GetInterface(pstrName);
}

void CTreeNodeUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pOwner)
            m_pOwner->HandleEvent(event);
        else
            CContainerUI::HandleEvent(event);
        return;
    }
    CListContainerElementUI::HandleEvent(event);
    if (!IsEnabled())
        return;
    switch (event.Type) {
    case UIEVENT_DBLCLICK:
        if (m_pManager)
            m_pManager->SendNotify(this, u"itemdbclick");
        InvalidateItem();
        break;
    case UIEVENT_MOUSEENTER:
        if (IsSelected() && m_dwSelItemHotTextColor != 0)
            m_pItemButton->SetTextColor(m_dwSelItemHotTextColor);
        else
            m_pItemButton->SetTextColor(m_dwItemHotTextColor);
        break;
    case UIEVENT_MOUSELEAVE:
        if (IsSelected()) {
            if (m_dwSelItemTextColor != 0)
                m_pItemButton->SetTextColor(m_dwSelItemTextColor);
        } else {
            m_pItemButton->SetTextColor(m_dwItemTextColor);
        }
        break;
    default:
        break;
    }
}

bool CTreeNodeUI::Select(bool bSelect)
{
    const bool bRet = CListContainerElementUI::Select(bSelect);
    m_pItemButton->SetTextColor(IsSelected() ? m_dwSelItemTextColor : m_dwItemTextColor);
    return bRet;
}

void CTreeNodeUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    auto is = [pstrName](const char16_t* name) { return wcscmp(pstrName, name) == 0; };
    if (is(u"text"))
        SetItemText(pstrValue);
    else if (is(u"horizattr"))
        m_pHoriz->ApplyAttributeText(pstrValue);
    else if (is(u"dotlineattr"))
        m_pDottedLine->ApplyAttributeText(pstrValue);
    else if (is(u"folderattr"))
        m_pFolderButton->ApplyAttributeText(pstrValue);
    else if (is(u"checkboxattr"))
        m_pCheckBox->ApplyAttributeText(pstrValue);
    else if (is(u"itemattr"))
        m_pItemButton->ApplyAttributeText(pstrValue);
    else if (is(u"itemtextcolor"))
        SetItemTextColor(UIParseColour(pstrValue));
    else if (is(u"itemhottextcolor"))
        SetItemHotTextColor(UIParseColour(pstrValue));
    else if (is(u"selitemtextcolor"))
        SetSelItemTextColor(UIParseColour(pstrValue));
    else if (is(u"selitemhottextcolor"))
        SetSelItemHotTextColor(UIParseColour(pstrValue));
    else
        CListContainerElementUI::SetAttribute(pstrName, pstrValue);
}

// ---- children

bool CTreeNodeUI::Add(CControlUI* pControl)
{
    if (!pControl)
        return false;
    if (IsTreeNode(pControl))
        return AddChildNode(static_cast<CTreeNodeUI*>(pControl));
    return CContainerUI::Add(pControl);
}

void CTreeNodeUI::PrepareChild(CTreeNodeUI* pChild)
{
    pChild->m_pDottedLine->SetVisible(true);
    pChild->m_pDottedLine->SetFixedWidth(m_pDottedLine->GetFixedWidth() + kIndentStep);
    pChild->SetParentNode(this);
    pChild->m_pItemButton->SetGroup(m_pItemButton->GetGroup());
    pChild->SetTreeView(m_pTreeView);
}

bool CTreeNodeUI::AddAt(CControlUI* pControl, int iIndex)
{
    auto* pChild = pControl ? static_cast<CTreeNodeUI*>(pControl->GetInterface(u"TreeNode")) : nullptr;
    if (!pChild || iIndex < 0)
        return false;
    CTreeNodeUI* pIndexNode = GetChildNode(iIndex);
    // Past the last child: appended after this node's whole subtree.
    if (!pIndexNode)
        return AddChildNode(pChild);
    if (!m_aTreeNodes.InsertAt(iIndex, pChild))
        return false;
    PrepareChild(pChild);
    if (m_pTreeView)
        return m_pTreeView->AddAt(pChild, pIndexNode);
    return true;
}

bool CTreeNodeUI::Remove(CControlUI* pControl)
{
    auto* pChild = pControl ? static_cast<CTreeNodeUI*>(pControl->GetInterface(u"TreeNode")) : nullptr;
    return pChild && RemoveChildNode(pChild);
}

CTreeNodeUI* CTreeNodeUI::GetChildNode(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_aTreeNodes.GetSize())
        return nullptr;
    return static_cast<CTreeNodeUI*>(m_aTreeNodes.GetAt(iIndex));
}

int CTreeNodeUI::GetCountChild() const { return m_aTreeNodes.GetSize(); }

bool CTreeNodeUI::AddChildNode(CTreeNodeUI* pTreeNodeUI)
{
    if (!pTreeNodeUI || !IsTreeNode(pTreeNodeUI))
        return false;
    PrepareChild(pTreeNodeUI);
    if (m_pTreeView) {
        CTreeNodeUI* pLast = GetCountChild() > 0 ? GetChildNode(GetCountChild() - 1)->GetLastNode() : this;
        const int iIndex = m_pTreeView->GetItemIndex(pLast) + 1;
        // After the last row the child is appended (an insertion there
        // would be refused).
        const bool bAdded = iIndex >= m_pTreeView->GetCount() ? m_pTreeView->Add(pTreeNodeUI)
                                                              : m_pTreeView->AddAt(pTreeNodeUI, iIndex) >= 0;
        if (!bAdded)
            return false;
    }
    return m_aTreeNodes.Add(pTreeNodeUI);
}

bool CTreeNodeUI::RemoveChildNode(CTreeNodeUI* pTreeNodeUI)
{
    if (!pTreeNodeUI)
        return false;
    const int nIndex = m_aTreeNodes.Find(pTreeNodeUI);
    if (nIndex < 0)
        return false;
    while (pTreeNodeUI->GetCountChild() > 0)
        pTreeNodeUI->RemoveChildNode(pTreeNodeUI->GetChildNode(0));
    DetachChildNode(pTreeNodeUI);
    if (m_pTreeView)
        m_pTreeView->Remove(pTreeNodeUI);
    return true;
}

bool CTreeNodeUI::DetachChildNode(CTreeNodeUI* pTreeNodeUI)
{
    const int nIndex = pTreeNodeUI ? m_aTreeNodes.Find(pTreeNodeUI) : -1;
    if (nIndex < 0)
        return false;
    m_aTreeNodes.Remove(nIndex);
    pTreeNodeUI->SetParentNode(nullptr);
    return true;
}

int CTreeNodeUI::GetNodeIndex() const
{
    if (!m_pTreeView)
        return -1;
    return m_pTreeView->GetItemIndex(const_cast<CTreeNodeUI*>(this));
}

CTreeNodeUI* CTreeNodeUI::GetLastNode()
{
    CTreeNodeUI* pNode = this;
    while (pNode->GetCountChild() > 0)
        pNode = pNode->GetChildNode(pNode->GetCountChild() - 1);
    return pNode;
}

void CTreeNodeUI::SetParentNode(CTreeNodeUI* pParentTreeNode) { m_pParentTreeNode = pParentTreeNode; }
CTreeNodeUI* CTreeNodeUI::GetParentNode() const { return m_pParentTreeNode; }
void CTreeNodeUI::SetTreeView(CTreeViewUI* pTreeView) { m_pTreeView = pTreeView; }
CTreeViewUI* CTreeNodeUI::GetTreeView() const { return m_pTreeView; }
void CTreeNodeUI::SetVisibleChildren(bool bVisible) { m_bIsVisable = bVisible; }
bool CTreeNodeUI::IsChildrenVisible() const { return m_bIsVisable; }
CUIString CTreeNodeUI::GetItemText() const { return m_pItemButton->GetText(); }
void CTreeNodeUI::SetItemText(const char16_t* pstrValue) { m_pItemButton->SetText(pstrValue); }

void CTreeNodeUI::SetItemTextColor(DWORD dwColor)
{
    m_dwItemTextColor = dwColor;
    m_pItemButton->SetTextColor(m_dwItemTextColor);
}

DWORD CTreeNodeUI::GetItemTextColor() const { return m_dwItemTextColor; }

void CTreeNodeUI::SetItemHotTextColor(DWORD dwColor)
{
    m_dwItemHotTextColor = dwColor;
    InvalidateItem();
}

DWORD CTreeNodeUI::GetItemHotTextColor() const { return m_dwItemHotTextColor; }

void CTreeNodeUI::SetSelItemTextColor(DWORD dwColor)
{
    m_dwSelItemTextColor = dwColor;
    InvalidateItem();
}

DWORD CTreeNodeUI::GetSelItemTextColor() const { return m_dwSelItemTextColor; }

void CTreeNodeUI::SetSelItemHotTextColor(DWORD dwColor)
{
    m_dwSelItemHotTextColor = dwColor;
    InvalidateItem();
}

DWORD CTreeNodeUI::GetSelItemHotTextColor() const { return m_dwSelItemHotTextColor; }

CHorizontalLayoutUI* CTreeNodeUI::GetTreeNodeHorizontal() const { return m_pHoriz; }
CCheckBoxUI* CTreeNodeUI::GetFolderButton() const { return m_pFolderButton; }
CLabelUI* CTreeNodeUI::GetDottedLine() const { return m_pDottedLine; }
CCheckBoxUI* CTreeNodeUI::GetCheckBox() const { return m_pCheckBox; }
COptionUI* CTreeNodeUI::GetItemButton() const { return m_pItemButton; }
