#include "skinui/controls/UIActiveX.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIWindowWnd.h"

#include <cstring>

namespace {

// In-process server and handler, local and remote server.
constexpr DWORD kServerContext = 23;

bool isNullClsid(const CLSID& clsid)
{
    static const CLSID null = {};
    return std::memcmp(&clsid, &null, sizeof clsid) == 0;
}

// Attribute names are compared without regard to case here.
bool sameName(const char16_t* a, const char16_t* b)
{
    return CUIString(a).CompareNoCase(b) == 0;
}

} // namespace

CActiveXUI::CActiveXUI() : m_clsid{}, m_bCreated(false), m_bDelayCreate(true), m_pUnk(nullptr), m_hwndHost(nullptr) {}

CActiveXUI::~CActiveXUI()
{
    ReleaseHosted();
}

const char16_t* CActiveXUI::GetClass() const { return u"ActiveXUI"; }

void* CActiveXUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"ActiveX") == 0)
        return static_cast<CActiveXUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

HWND CActiveXUI::GetHostWindow() const { return m_hwndHost; }
bool CActiveXUI::HasControl() const { return m_pUnk != nullptr; }
const CLSID& CActiveXUI::GetClassId() const { return m_clsid; }
CUIString CActiveXUI::GetModuleName() const { return m_sModuleName; }
void CActiveXUI::SetModuleName(const char16_t* pstrText) { m_sModuleName = pstrText; }
bool CActiveXUI::IsDelayCreate() const { return m_bDelayCreate; }

void CActiveXUI::SetDelayCreate(bool bDelayCreate)
{
    if (m_bDelayCreate == bDelayCreate)
        return;
    if (!bDelayCreate && !m_bCreated && !isNullClsid(m_clsid))
        CreateHosted();
    m_bDelayCreate = bDelayCreate;
}

bool CActiveXUI::CreateControl(const char16_t* pstrCLSID)
{
    CLSID clsid = {};
    char16_t szCLSID[100] = {};
    int n = 0;
    for (; pstrCLSID && pstrCLSID[n] && n < 99; ++n)
        szCLSID[n] = pstrCLSID[n];
    if (szCLSID[0] == u'{')
        ::CLSIDFromString(szCLSID, &clsid);
    else
        ::CLSIDFromProgID(szCLSID, &clsid);
    if (isNullClsid(clsid))
        UITrace(u"CActiveXUI: '%s' names no class", szCLSID);
    return CreateControl(clsid);
}

bool CActiveXUI::CreateControl(const CLSID& clsid)
{
    if (isNullClsid(clsid))
        return false;
    m_bCreated = false;
    m_clsid = clsid;
    if (!m_bDelayCreate)
        return CreateHosted();
    return true;
}

void CActiveXUI::ReleaseHosted()
{
    m_hwndHost = nullptr;
    if (m_pUnk) {
        m_pUnk->Release();
        m_pUnk = nullptr;
    }
}

bool CActiveXUI::CreateHosted()
{
    ReleaseHosted();
    m_bCreated = true;
    char16_t szClass[64] = {};
    ::StringFromGUID2(m_clsid, szClass, 64);
    IUnknown* pUnk = nullptr;
    HRESULT hr = E_FAIL;
    if (!m_sModuleName.IsEmpty()) {
        if (HMODULE hModule = ::LoadLibraryW(m_sModuleName)) {
            auto getClassObject = reinterpret_cast<LPFNGETCLASSOBJECT>(::GetProcAddress(hModule, "DllGetClassObject"));
            IClassFactory* pFactory = nullptr;
            if (getClassObject)
                hr = getClassObject(m_clsid, IID_IClassFactory, reinterpret_cast<LPVOID*>(&pFactory));
            if (SUCCEEDED(hr) && pFactory) {
                hr = pFactory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<LPVOID*>(&pUnk));
                pFactory->Release();
            }
        }
    }
    if (!pUnk)
        hr = ::CoCreateInstance(m_clsid, nullptr, kServerContext, IID_IUnknown, reinterpret_cast<LPVOID*>(&pUnk));
    if (FAILED(hr) || !pUnk) {
        UITrace(u"CActiveXUI: control %s could not be created (0x%08X); '%s' stays empty", szClass,
                static_cast<unsigned>(hr), m_sName.GetData());
        return false;
    }
    // An object was made, but there is no in-place hosting to give it a
    // site on this platform.
    pUnk->Release();
    UITrace(u"CActiveXUI: no control hosting on this platform for %s", szClass);
    return false;
}

void CActiveXUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    if (!m_bCreated && !isNullClsid(m_clsid))
        CreateHosted();
}

void CActiveXUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    if (m_hwndHost)
        ::ShowWindow(m_hwndHost, IsVisible() ? SW_SHOW : SW_HIDE);
}

void CActiveXUI::SetInheritedVisible(bool bVisible)
{
    CControlUI::SetInheritedVisible(bVisible);
    if (m_hwndHost)
        ::ShowWindow(m_hwndHost, IsVisible() ? SW_SHOW : SW_HIDE);
}

void CActiveXUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    // Nothing hosted, nothing drawn beyond the base control's layers.
    CControlUI::DoPaint(hDC, rcPaint);
}

void CActiveXUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (sameName(pstrName, u"clsid"))
        CreateControl(pstrValue);
    else if (sameName(pstrName, u"modulename"))
        SetModuleName(pstrValue);
    else if (sameName(pstrName, u"delaycreate"))
        SetDelayCreate(UIIsTrue(pstrValue));
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

LRESULT CActiveXUI::MessageHandler(UINT, WPARAM, LPARAM, bool&)
{
    return 0;
}
