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

    // How many skins may be built inside one another (includes and child
    // layouts): a skin that names itself ends there with a trace line.
    static constexpr int kMaxNestedBuilds = 16;
    // How deep elements may nest in one skin; deeper ones are skipped with a
    // trace line (the control tree is walked recursively everywhere).
    static constexpr int kMaxElementDepth = 256;

    // Counts one nested build for as long as it lives (this thread's count).
    class NestedBuild
    {
    public:
        NestedBuild();
        ~NestedBuild();
        NestedBuild(const NestedBuild&) = delete;
        NestedBuild& operator=(const NestedBuild&) = delete;
        // False (after a trace line) when the chain is already too long.
        bool Allowed() const;

    private:
        bool m_bAllowed;
    };

private:
    CControlUI* parseLevel(CUIMarkupNode* pRoot, CControlUI* pParent, CUIWindowManager* pManager, int depth);
    // A TreeNode element: a child of the node above it, or a row of the tree
    // view above it; false ends the level (no tree view to take it).
    bool parseTreeNode(CUIMarkupNode& node, CControlUI* pParent, CUIWindowManager* pManager, int depth);
    void applyNodeAttributes(CUIMarkupNode& node, CControlUI* pControl, CUIWindowManager* pManager,
                             const char16_t* pstrClass);

    void applyWindowAttributes(CUIMarkupNode& root, CUIWindowManager* pManager);
    void applyResources(CUIMarkupNode& root, CUIWindowManager* pManager);

    CUIMarkup m_xml;
    IDialogBuilderCallback* m_pCallback;
    const char16_t* m_pstrtype;
    // Element depth of the skin that included this one.
    int m_iDepthBase;
};
