#pragma once
// A control that would host an OLE control named by class id (or program
// id) in the window. This platform has no object registry and no control
// hosting: creation fails with a trace line and the control stays empty
// (nothing drawn, no messages taken) while the window goes on working.
// UI thread only.
#include "skinui/UIControl.h"

#include <winapi/ole.h>

class CActiveXUI : public CControlUI, public IMessageFilterUI
{
public:
    CActiveXUI();
    ~CActiveXUI() override;

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool bVisible = true) override;
    void SetInheritedVisible(bool bVisible = true) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    virtual void ReleaseHosted();
    virtual bool CreateHosted();

    HWND GetHostWindow() const;
    bool IsDelayCreate() const;
    void SetDelayCreate(bool bDelayCreate = true);
    // A class id in braces, or a program id; false when it names no class.
    bool CreateControl(const char16_t* pstrCLSID);
    bool CreateControl(const CLSID& clsid);
    bool HasControl() const;
    const CLSID& GetClassId() const;
    CUIString GetModuleName() const;
    void SetModuleName(const char16_t* pstrText);

protected:
    CLSID m_clsid;
    CUIString m_sModuleName;
    bool m_bCreated;
    bool m_bDelayCreate;
    IUnknown* m_pUnk;
    HWND m_hwndHost;
};
