#pragma once
// A hosted control preset to the system web browser, with a home page and
// optional navigation to it once created. This platform has no browser
// engine: creation fails with a trace line, navigation does nothing, and
// keys are never taken from the window. UI thread only.
#include "skinui/UIManager.h"
#include "skinui/controls/UIActiveX.h"

class CWebBrowserUI : public CActiveXUI, public ITranslateAccelerator
{
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void ReleaseHosted() override;
    bool CreateHosted() override;
    LRESULT TranslateAccelerator(MSG* pMsg) override;

    void SetHomePage(const char16_t* lpszUrl);
    const char16_t* GetHomePage() const;
    void SetAutoNavigation(bool bAuto = true);
    bool IsAutoNavigation() const;
    void Navigate2(const char16_t* lpszUrl);
    void NavigateHomePage();
    // True once a browser exists (never on this platform).
    bool HasBrowser() const;

private:
    CUIString m_sHomePage;
    bool m_bAutoNavi;
    bool m_bAcceleratorRegistered;
};
