#pragma once
// A container that fills itself from a second skin file when it is attached
// to its window. UI thread only.
#include "skinui/UIContainer.h"

class CChildLayoutUI : public CContainerUI
{
public:
    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    void OnAttached() override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;

    void SetChildLayoutXML(const char16_t* pXML);
    CUIString GetChildLayoutXML() const;

private:
    CUIString m_pstrXMLFile;
};
