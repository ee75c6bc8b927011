#include "skinui/controls/UIWebBrowser.h"

#include "skinui/UIAttrParse.h"

namespace {

// The system web browser control's class id.
constexpr char16_t kBrowserClassId[] = u"{8856F961-340A-11D0-A96B-00C04FD705A2}";

} // namespace

CWebBrowserUI::CWebBrowserUI() : m_bAutoNavi(false), m_bAcceleratorRegistered(false)
{
    CreateControl(kBrowserClassId);
}

CWebBrowserUI::~CWebBrowserUI()
{
    ReleaseHosted();
}

const char16_t* CWebBrowserUI::GetClass() const { return u"WebBrowserUI"; }

void* CWebBrowserUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"WebBrowser") == 0)
        return static_cast<CWebBrowserUI*>(this);
    return CActiveXUI::GetInterface(pstrName);
}

void CWebBrowserUI::SetHomePage(const char16_t* lpszUrl) { m_sHomePage = lpszUrl; }
const char16_t* CWebBrowserUI::GetHomePage() const { return m_sHomePage; }
void CWebBrowserUI::SetAutoNavigation(bool bAuto) { m_bAutoNavi = bAuto; }
bool CWebBrowserUI::IsAutoNavigation() const { return m_bAutoNavi; }
bool CWebBrowserUI::HasBrowser() const { return false; }

void CWebBrowserUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"homepage") == 0)
        SetHomePage(pstrValue);
    else if (wcscmp(pstrName, u"autonavi") == 0)
        SetAutoNavigation(UIIsTrue(pstrValue));
    else
        CActiveXUI::SetAttribute(pstrName, pstrValue);
}

bool CWebBrowserUI::CreateHosted()
{
    if (!CActiveXUI::CreateHosted())
        return false;
    // Not reached here: the base never hosts a control on this platform.
    if (m_pManager && !m_bAcceleratorRegistered)
        m_bAcceleratorRegistered = m_pManager->AddTranslateAccelerator(this);
    if (m_bAutoNavi && !m_sHomePage.IsEmpty())
        NavigateHomePage();
    return true;
}

void CWebBrowserUI::ReleaseHosted()
{
    m_bCreated = false;
    if (m_bAcceleratorRegistered && m_pManager)
        m_pManager->RemoveTranslateAccelerator(this);
    m_bAcceleratorRegistered = false;
    CActiveXUI::ReleaseHosted();
}

void CWebBrowserUI::Navigate2(const char16_t* lpszUrl)
{
    if (!lpszUrl || !*lpszUrl || !HasBrowser())
        return;
}

void CWebBrowserUI::NavigateHomePage()
{
    if (!m_sHomePage.IsEmpty())
        Navigate2(m_sHomePage);
}

LRESULT CWebBrowserUI::TranslateAccelerator(MSG*)
{
    // Without a browser nothing is translated.
    return E_NOTIMPL;
}
