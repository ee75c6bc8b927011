#include "skinui/layouts/UIVerticalLayout.h"

CVerticalLayoutUI::CVerticalLayoutUI() : CBoxLayoutUI(UIAxis::Y(), u"sepheight") {}

const char16_t* CVerticalLayoutUI::GetClass() const { return u"VerticalLayoutUI"; }

void* CVerticalLayoutUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"VerticalLayout") == 0)
        return static_cast<CVerticalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

void CVerticalLayoutUI::SetSepHeight(int iHeight) { m_iSepSize = iHeight; }
int CVerticalLayoutUI::GetSepHeight() const { return m_iSepSize; }
