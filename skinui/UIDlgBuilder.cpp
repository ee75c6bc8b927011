#include "skinui/UIDlgBuilder.h"

#include "skinui/IContainerUI.h"
#include "skinui/UIAttrParse.h"
#include "skinui/UIWindowWnd.h"
#include "skinui/UIContainer.h"
#include "skinui/controls/UIActiveX.h"
#include "skinui/controls/UIButton.h"
#include "skinui/controls/UICheckBox.h"
#include "skinui/controls/UICombo.h"
#include "skinui/controls/UIComboBox.h"
#include "skinui/controls/UIDateTime.h"
#include "skinui/controls/UIEdit.h"
#include "skinui/controls/UILabel.h"
#include "skinui/controls/UIList.h"
#include "skinui/controls/UIListContainerElement.h"
#include "skinui/controls/UIListHeader.h"
#include "skinui/controls/UIListHeaderItem.h"
#include "skinui/controls/UIListTextElement.h"
#include "skinui/controls/UIOption.h"
#include "skinui/controls/UIProgress.h"
#include "skinui/controls/UIRichEdit.h"
#include "skinui/controls/UIScrollBar.h"
#include "skinui/controls/UISlider.h"
#include "skinui/controls/UITextUI.h"
#include "skinui/controls/UITreeNode.h"
#include "skinui/controls/UITreeView.h"
#include "skinui/controls/UIWebBrowser.h"
#include "skinui/layouts/UIChildLayout.h"
#include "skinui/layouts/UIHorizontalLayout.h"
#include "skinui/layouts/UITabLayout.h"
#include "skinui/layouts/UITileLayout.h"
#include "skinui/layouts/UIVerticalLayout.h"

#include <cstring>

CDialogBuilder::CDialogBuilder() : m_pCallback(nullptr), m_pstrtype(nullptr), m_iDepthBase(0) {}

CUIMarkup* CDialogBuilder::GetMarkup()
{
    return &m_xml;
}

CControlUI* CDialogBuilder::Create(STRINGorID xml, const char16_t* type, IDialogBuilderCallback* pCallback,
                                   CUIWindowManager* pManager, CControlUI* pParent)
{
    if (!xml.m_lpstr) {
        UITrace(u"xml LoadFromFile faild:%s", u"");
        return nullptr;
    }
    if (IS_INTRESOURCE(xml.m_lpstr)) {
        const unsigned id = static_cast<unsigned>(reinterpret_cast<uintptr_t>(xml.m_lpstr));
        HINSTANCE module = CUIWindowManager::GetResourceModule();
        HRSRC hResource = ::FindResourceW(module, xml.m_lpstr, type);
        if (!hResource) {
            UITrace(u"FindResource null:%d", id);
            return nullptr;
        }
        HGLOBAL hGlobal = ::LoadResource(module, hResource);
        const void* data = hGlobal ? ::LockResource(hGlobal) : nullptr;
        if (!data) {
            if (hGlobal)
                ::FreeResource(hGlobal);
            UITrace(u"LoadResource null:%d", id);
            return nullptr;
        }
        m_pCallback = pCallback;
        const bool ok =
            m_xml.LoadFromMemory(static_cast<const uint8_t*>(data), ::SizeofResource(module, hResource));
        ::FreeResource(hGlobal);
        if (!ok)
            return nullptr;
        m_pstrtype = type;
    } else if (*xml.m_lpstr == u'<') {
        if (!m_xml.Load(xml.m_lpstr)) {
            UITrace(u"xml Load faild:%s", xml.m_lpstr);
            return nullptr;
        }
    } else {
        if (!m_xml.LoadFromFile(xml.m_lpstr)) {
            UITrace(u"xml LoadFromFile faild:%s", xml.m_lpstr);
            return nullptr;
        }
    }
    return Create(pCallback, pManager, pParent);
}

void CDialogBuilder::applyResources(CUIMarkupNode& root, CUIWindowManager* pManager)
{
    for (CUIMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const char16_t* pstrClass = node.GetName();
        if (wcscmp(pstrClass, u"Image") == 0) {
            const char16_t* pImageName = nullptr;
            const char16_t* pImageResType = nullptr;
            DWORD mask = 0;
            const int nAttributes = node.GetAttributeCount();
            for (int i = 0; i < nAttributes; i++) {
                const char16_t* pstrName = node.GetAttributeName(i);
                const char16_t* pstrValue = node.GetAttributeValue(i);
                if (wcscmp(pstrName, u"name") == 0)
                    pImageName = pstrValue;
                else if (wcscmp(pstrName, u"restype") == 0)
                    pImageResType = pstrValue;
                else if (wcscmp(pstrName, u"mask") == 0)
                    mask = UIParseColour(pstrValue);
            }
            if (pImageName)
                pManager->AddImage(pImageName, pImageResType, mask);
        } else if (wcscmp(pstrClass, u"Font") == 0) {
            const char16_t* pFontName = nullptr;
            int size = 12;
            bool bold = false, underline = false, italic = false, defaultfont = false;
            const int nAttributes = node.GetAttributeCount();
            for (int i = 0; i < nAttributes; i++) {
                const char16_t* pstrName = node.GetAttributeName(i);
                const char16_t* pstrValue = node.GetAttributeValue(i);
                if (wcscmp(pstrName, u"name") == 0)
                    pFontName = pstrValue;
                else if (wcscmp(pstrName, u"size") == 0)
                    size = static_cast<int>(wcstol16(pstrValue, nullptr, 10));
                else if (wcscmp(pstrName, u"bold") == 0)
                    bold = UIIsTrue(pstrValue);
                else if (wcscmp(pstrName, u"underline") == 0)
                    underline = UIIsTrue(pstrValue);
                else if (wcscmp(pstrName, u"italic") == 0)
                    italic = UIIsTrue(pstrValue);
                else if (wcscmp(pstrName, u"default") == 0)
                    defaultfont = UIIsTrue(pstrValue);
            }
            if (pFontName) {
                pManager->AddFont(pFontName, size, bold, underline, italic);
                if (defaultfont)
                    pManager->SetDefaultFont(pFontName, size, bold, underline, italic);
            }
        } else if (wcscmp(pstrClass, u"Default") == 0) {
            const char16_t* pControlName = nullptr;
            const char16_t* pControlValue = nullptr;
            const int nAttributes = node.GetAttributeCount();
            for (int i = 0; i < nAttributes; i++) {
                const char16_t* pstrName = node.GetAttributeName(i);
                const char16_t* pstrValue = node.GetAttributeValue(i);
                if (wcscmp(pstrName, u"name") == 0)
                    pControlName = pstrValue;
                else if (wcscmp(pstrName, u"value") == 0)
                    pControlValue = pstrValue;
            }
            if (pControlName)
                pManager->AddClassDefaults(pControlName, pControlValue);
        }
    }
}

void CDialogBuilder::applyWindowAttributes(CUIMarkupNode& root, CUIWindowManager* pManager)
{
    const int nAttributes = root.GetAttributeCount();
    for (int i = 0; i < nAttributes; i++) {
        const char16_t* pstrName = root.GetAttributeName(i);
        const char16_t* pstrValue = root.GetAttributeValue(i);
        LONG v[4] = {0, 0, 0, 0};
        if (wcscmp(pstrName, u"size") == 0) {
            UIParseInts(pstrValue, v, 2);
            pManager->SetInitSize(v[0], v[1]);
        } else if (wcscmp(pstrName, u"sizebox") == 0) {
            UIParseInts(pstrValue, v, 4);
            RECT rcSizeBox = {v[0], v[1], v[2], v[3]};
            pManager->SetSizeBox(rcSizeBox);
        } else if (wcscmp(pstrName, u"caption") == 0) {
            UIParseInts(pstrValue, v, 4);
            RECT rcCaption = {v[0], v[1], v[2], v[3]};
            pManager->SetCaptionRect(rcCaption);
        } else if (wcscmp(pstrName, u"roundcorner") == 0) {
            UIParseInts(pstrValue, v, 2);
            pManager->SetRoundCorner(v[0], v[1]);
        } else if (wcscmp(pstrName, u"mininfo") == 0) {
            UIParseInts(pstrValue, v, 2);
            pManager->SetMinInfo(v[0], v[1]);
        } else if (wcscmp(pstrName, u"maxinfo") == 0) {
            UIParseInts(pstrValue, v, 2);
            pManager->SetMaxInfo(v[0], v[1]);
        } else if (wcscmp(pstrName, u"showdirty") == 0) {
            pManager->SetShowUpdateRect(UIIsTrue(pstrValue));
        } else if (wcscmp(pstrName, u"alpha") == 0) {
            pManager->SetTransparent(_wtoi(pstrValue));
        } else if (wcscmp(pstrName, u"bktrans") == 0) {
            pManager->SetTransparentBackground(UIIsTrue(pstrValue));
        } else if (wcscmp(pstrName, u"disabledfontcolor") == 0) {
            pManager->SetDefaultDisabledColor(UIParseColour(pstrValue));
        } else if (wcscmp(pstrName, u"defaultfontcolor") == 0) {
            pManager->SetDefaultFontColor(UIParseColour(pstrValue));
        } else if (wcscmp(pstrName, u"linkfontcolor") == 0) {
            pManager->SetDefaultLinkFontColor(UIParseColour(pstrValue));
        } else if (wcscmp(pstrName, u"linkhoverfontcolor") == 0) {
            pManager->SetDefaultLinkHoverFontColor(UIParseColour(pstrValue));
        } else if (wcscmp(pstrName, u"selectedcolor") == 0) {
            pManager->SetDefaultSelectedBkColor(UIParseColour(pstrValue));
        }
    }
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* pCallback, CUIWindowManager* pManager,
                                   CControlUI* pParent)
{
    m_pCallback = pCallback;
    CUIMarkupNode root = m_xml.GetRoot();
    if (!root.IsValid()) {
        UITrace(u"xml GetRoot invalid");
        return nullptr;
    }
    if (pManager) {
        applyResources(root, pManager);
        if (pManager->GetPaintWindow() && wcscmp(root.GetName(), u"Window") == 0)
            applyWindowAttributes(root, pManager);
    }
    return Parse(&root, pParent, pManager);
}

namespace {

// This thread's number of skins being built inside one another.
thread_local int t_nestedBuilds = 0;

} // namespace

CDialogBuilder::NestedBuild::NestedBuild() : m_bAllowed(t_nestedBuilds < kMaxNestedBuilds)
{
    ++t_nestedBuilds;
    if (!m_bAllowed)
        UITrace(u"skin nesting deeper than %d, not built", kMaxNestedBuilds);
}

CDialogBuilder::NestedBuild::~NestedBuild()
{
    --t_nestedBuilds;
}

bool CDialogBuilder::NestedBuild::Allowed() const { return m_bAllowed; }

CControlUI* CDialogBuilder::CreateControlForTag(const char16_t* pstrClass)
{
    // Looked up by length first, then among the names of that length.
    auto is = [pstrClass](const char16_t* name) { return wcscmp(pstrClass, name) == 0; };
    switch (CUIString::StrLen(pstrClass)) {
    case 4:
        if (is(u"Edit"))
            return new CEditUI;
        if (is(u"Text"))
            return new CTextUI;
        if (is(u"List"))
            return new CListUI;
        break;
    case 5:
        if (is(u"Label"))
            return new CLabelUI;
        if (is(u"Combo"))
            return new CComboUI;
        break;
    case 6:
        if (is(u"Button"))
            return new CButtonUI;
        if (is(u"Option"))
            return new COptionUI;
        if (is(u"Slider"))
            return new CSliderUI;
        break;
    case 7:
        if (is(u"Control"))
            return new CControlUI;
        if (is(u"ActiveX"))
            return new CActiveXUI;
        break;
    case 8:
        if (is(u"Progress"))
            return new CProgressUI;
        if (is(u"RichEdit"))
            return new CRichEditUI;
        if (is(u"CheckBox"))
            return new CCheckBoxUI;
        if (is(u"ComboBox"))
            return new CComboBoxUI;
        if (is(u"TreeView"))
            return new CTreeViewUI;
        if (is(u"DateTime"))
            return new CDateTimeUI;
        break;
    case 9:
        if (is(u"Container"))
            return new CContainerUI;
        if (is(u"TabLayout"))
            return new CTabLayoutUI;
        if (is(u"ScrollBar"))
            return new CScrollBarUI;
        break;
    case 10:
        if (is(u"TileLayout"))
            return new CTileLayoutUI;
        if (is(u"WebBrowser"))
            return new CWebBrowserUI;
        if (is(u"ListHeader"))
            return new CListHeaderUI;
        break;
    case 11:
        if (is(u"ChildLayout"))
            return new CChildLayoutUI;
        break;
    case 14:
        if (is(u"VerticalLayout"))
            return new CVerticalLayoutUI;
        if (is(u"ListHeaderItem"))
            return new CListHeaderItemUI;
        break;
    case 15:
        if (is(u"ListTextElement"))
            return new CListTextElementUI;
        break;
    case 16:
        if (is(u"HorizontalLayout"))
            return new CHorizontalLayoutUI;
        if (is(u"ListLabelElement"))
            return new CListLabelElementUI;
        break;
    case 20:
        if (is(u"ListContainerElement"))
            return new CListContainerElementUI;
        break;
    default:
        break;
    }
    return nullptr;
}

void CDialogBuilder::applyNodeAttributes(CUIMarkupNode& node, CControlUI* pControl, CUIWindowManager* pManager,
                                         const char16_t* pstrClass)
{
    if (pManager) {
        pControl->SetManager(pManager, nullptr, false);
        if (const char16_t* pDefaultAttributes = pManager->GetClassDefaults(pstrClass))
            pControl->ApplyAttributeText(pDefaultAttributes);
    }
    const int nAttributes = node.GetAttributeCount();
    for (int i = 0; i < nAttributes; i++)
        pControl->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
}

CControlUI* CDialogBuilder::Parse(CUIMarkupNode* pRoot, CControlUI* pParent, CUIWindowManager* pManager)
{
    return parseLevel(pRoot, pParent, pManager, 0);
}

CControlUI* CDialogBuilder::parseLevel(CUIMarkupNode* pRoot, CControlUI* pParent, CUIWindowManager* pManager,
                                       int depth)
{
    IContainerUI* pContainer = nullptr;
    CControlUI* pReturn = nullptr;
    for (CUIMarkupNode node = pRoot->GetChild(); node.IsValid(); node = node.GetSibling()) {
        const char16_t* pstrClass = node.GetName();
        if (wcscmp(pstrClass, u"Image") == 0 || wcscmp(pstrClass, u"Font") == 0 ||
            wcscmp(pstrClass, u"Default") == 0)
            continue;

        if (wcscmp(pstrClass, u"Include") == 0) {
            if (!node.HasAttributes())
                continue;
            int count = 1;
            char16_t szValue[500] = {0};
            if (node.GetAttributeValue(u"count", szValue, 499))
                count = _wtoi(szValue);
            szValue[0] = 0;
            if (!node.GetAttributeValue(u"source", szValue, 499))
                continue;
            NestedBuild nested;
            if (!nested.Allowed())
                continue;
            for (int i = 0; i < count; i++) {
                CDialogBuilder builder;
                builder.m_iDepthBase = m_iDepthBase + depth;
                if (m_pstrtype) {
                    const unsigned id = static_cast<unsigned>(_wtoi(szValue));
                    builder.Create(STRINGorID(id), m_pstrtype, m_pCallback, pManager, pParent);
                } else {
                    builder.Create(static_cast<const char16_t*>(szValue), nullptr, m_pCallback, pManager, pParent);
                }
            }
            continue;
        }

        if (m_iDepthBase + depth >= kMaxElementDepth) {
            UITrace(u"skin elements nested deeper than %d, <%s> not built", kMaxElementDepth, pstrClass);
            continue;
        }

        if (wcscmp(pstrClass, u"TreeNode") == 0) {
            if (!parseTreeNode(node, pParent, pManager, depth))
                return nullptr;
            continue;
        }

        CControlUI* pControl = CreateControlForTag(pstrClass);
        if (!pControl && m_pCallback)
            pControl = m_pCallback->CreateControl(pstrClass);
        if (!pControl) {
            UITrace(u"未知控件:%s", pstrClass);
            continue;
        }

        if (node.HasChildren())
            parseLevel(&node, pControl, pManager, depth + 1);

        if (pParent) {
            if (auto* pParentNode = static_cast<CTreeNodeUI*>(pParent->GetInterface(u"TreeNode"))) {
                // Controls inside a node element go into the node's row.
                if (!pParentNode->GetTreeNodeHorizontal()->Add(pControl)) {
                    delete pControl;
                    continue;
                }
            } else {
                if (!pContainer)
                    pContainer = static_cast<IContainerUI*>(pParent->GetInterface(u"IContainer"));
                if (!pContainer) {
                    delete pControl; // never linked anywhere
                    return nullptr;
                }
                if (!pContainer->Add(pControl)) {
                    delete pControl;
                    continue;
                }
            }
        }
        if (!pParent && pReturn) {
            // Without a parent only the first control is handed back; a
            // further one would be linked nowhere and never freed.
            UITrace(u"<%s> beside the first top-level control not built", pstrClass);
            delete pControl;
            continue;
        }
        applyNodeAttributes(node, pControl, pManager, pstrClass);
        if (pManager)
            pControl->SetManager(nullptr, nullptr, false);
        if (!pReturn)
            pReturn = pControl;
    }
    if (!pReturn)
        UITrace(u"CDialogBuilder::_Parse reutn null");
    return pReturn;
}

bool CDialogBuilder::parseTreeNode(CUIMarkupNode& node, CControlUI* pParent, CUIWindowManager* pManager, int depth)
{
    auto* pNode = new CTreeNodeUI;
    auto* pParentNode = pParent ? static_cast<CTreeNodeUI*>(pParent->GetInterface(u"TreeNode")) : nullptr;
    if (pParentNode && !pParentNode->Add(pNode)) {
        delete pNode;
        return true;
    }
    applyNodeAttributes(node, pNode, pManager, u"TreeNode");
    if (node.HasChildren())
        parseLevel(&node, pNode, pManager, depth + 1);
    if (pParentNode)
        return true;
    auto* pTreeView = pParent ? static_cast<CTreeViewUI*>(pParent->GetInterface(u"TreeView")) : nullptr;
    if (!pTreeView) {
        UITrace(u"<TreeNode> outside a tree view, not built");
        delete pNode;
        return false;
    }
    if (!pTreeView->Add(pNode))
        delete pNode;
    return true;
}
