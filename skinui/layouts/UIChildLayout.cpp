#include "skinui/layouts/UIChildLayout.h"

#include "skinui/UIDlgBuilder.h"

const char16_t* CChildLayoutUI::GetClass() const { return u"ChildLayoutUI"; }

void* CChildLayoutUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"ChildLayout") == 0)
        return static_cast<CChildLayoutUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

void CChildLayoutUI::OnAttached()
{
    if (m_pstrXMLFile.IsEmpty())
        return;
    // A skin that names itself (directly or through others) would build
    // forever: the nesting guard ends the chain with a trace line.
    CDialogBuilder::NestedBuild nested;
    CControlUI* pChildWindow = nullptr;
    if (nested.Allowed()) {
        CDialogBuilder builder;
        pChildWindow = builder.Create(m_pstrXMLFile.GetData(), nullptr, nullptr, m_pManager, nullptr);
    }
    if (pChildWindow)
        Add(pChildWindow);
    else
        RemoveAll();
}

void CChildLayoutUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"xmlfile") == 0)
        SetChildLayoutXML(pstrValue);
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CChildLayoutUI::SetChildLayoutXML(const char16_t* pXML) { m_pstrXMLFile = pXML; }
CUIString CChildLayoutUI::GetChildLayoutXML() const { return m_pstrXMLFile; }
