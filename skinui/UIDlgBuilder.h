#pragma once
// Builds a control tree for one window from a skin XML document: fonts,
// images, class defaults and the Window element's attributes go to the
// window's manager; every other element becomes a control.

#include "skinui/UIControl.h"
#include "skinui/UIMarkup.h"

class IDialogBuilderCallback
{
public:
    virtual CControlUI* CreateControl(const char16_t* pstrClass) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

// A skin named by a resource id (below 65536) or by text.
class STRINGorID
{
public:
    STRINGorID(const char16_t* lpString) : m_lpstr(lpString) {}
    STRINGorID(unsigned int nID) : m_lpstr(MAKEINTRESOURCEW(nID)) {}
    const char16_t* m_lpstr;
};

class CDialogBuilder
{
public:
    CDialogBuilder();
    CDialogBuilder(const CDialogBuilder&) = delete;
    CDialogBuilder& operator=(const CDialogBuilder&) = delete;

    CControlUI* Create(STRINGorID xml, const char16_t* type = nullptr, IDialogBuilderCallback* pCallback = nullptr,
                       CUIWindowManager* pManager = nullptr, CControlUI* pParent = nullptr);
    CControlUI* Create(IDialogBuilderCallback* pCallback = nullptr, CUIWindowManager* pManager = nullptr,
                       CControlUI* pParent = nullptr);
    CUIMarkup* GetMarkup();
    CControlUI* Parse(CUIMarkupNode* parent, CControlUI* pParent = nullptr, CUIWindowManager* pManager = nullptr);

    // Creates the control class named by a tag; null for unknown tags.
    static CControlUI* CreateControlForTag(const char16_t* pstrClass);

private:
    void applyWindowAttributes(CUIMarkupNode& root, CUIWindowManager* pManager);
    void applyResources(CUIMarkupNode& root, CUIWindowManager* pManager);

    CUIMarkup m_xml;
    IDialogBuilderCallback* m_pCallback;
    const char16_t* m_pstrtype;
};
