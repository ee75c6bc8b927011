#pragma once
// A button with a selected state. Options sharing a group name form a radio
// group in the window (selecting one deselects the others); an option
// without a group toggles. Sends "selectchanged". UI thread only.
#include "skinui/controls/UIButton.h"

class COptionUI : public CButtonUI
{
public:
    COptionUI();
    ~COptionUI() override;

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    bool Activate() override;
    void SetManager(CUIWindowManager* pManager, CControlUI* pParent, bool bInit = true) override;
    void SetEnabled(bool bEnable = true) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void PaintStateImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    virtual void Selected(bool bSelected);

    bool IsSelected() const;
    const char16_t* GetGroup() const;
    void SetGroup(const char16_t* pStrGroupName = nullptr);
    const char16_t* GetSelectedImage() const;
    void SetSelectedImage(const char16_t* pStrImage);
    const char16_t* GetSelectedHotImage() const;
    void SetSelectedHotImage(const char16_t* pStrImage);
    const char16_t* GetOptionForeImage() const;
    void SetOptionForeImage(const char16_t* pStrImage);
    void SetSelectedBkColor(DWORD dwBkColor);
    DWORD GetSelectedBkColor() const;
    void SetSelectedTextColor(DWORD dwTextColor);
    DWORD GetSelectedTextColor() const;

protected:
    bool m_bSelected;
    CUIString m_sGroupName;
    DWORD m_dwSelectedBkColor;
    DWORD m_dwSelectedTextColor;
    CUIString m_sSelectedImage;
    CUIString m_sSelectedHotImage;
    CUIString m_sOptionForeImage;
};
