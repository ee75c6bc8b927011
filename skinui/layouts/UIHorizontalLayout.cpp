#include "skinui/layouts/UIHorizontalLayout.h"

CHorizontalLayoutUI::CHorizontalLayoutUI() : CBoxLayoutUI(UIAxis::X(), u"sepwidth") {}

const char16_t* CHorizontalLayoutUI::GetClass() const { return u"HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"HorizontalLayout") == 0)
        return static_cast<CHorizontalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

void CHorizontalLayoutUI::SetSepWidth(int iWidth) { m_iSepSize = iWidth; }
int CHorizontalLayoutUI::GetSepWidth() const { return m_iSepSize; }
