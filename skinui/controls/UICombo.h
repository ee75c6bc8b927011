#pragma once
// A drop-down selector: a closed box showing the selected row's text over a
// state image and, when activated, a pop-up window listing the same rows.
// The combo owns the rows and their appearance record; while the pop-up is
// open the rows belong to the pop-up's manager and layout. UI thread only.
#include "skinui/UIContainer.h"
#include "skinui/controls/UIListInterfaces.h"

class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI
{
    friend class CComboWnd;

public:
    CComboUI();
    ~CComboUI() override;

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    bool Activate() override;
    CUIString GetText() const override;
    void SetPos(RECT rc) override;
    void SetEnabled(bool bEnable = true) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    SIZE PreferredSize(SIZE szAvailable) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void PaintStateImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    // IContainerUI: the rows.
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    // IListOwnerUI
    CUIListInfo* GetListInfo() override;
    int GetCurSel() const override;
    bool SelectItem(int iIndex, bool bTakeFocus = false) override;

    // The open pop-up, or null.
    CComboWnd* GetDropWindow() const;
    CUIString GetDropBoxAttributeList() const;
    void SetDropBoxAttributeList(const char16_t* pstrList);
    SIZE GetDropBoxSize() const;
    void SetDropBoxSize(SIZE szDropBox);
    RECT GetTextPadding() const;
    void SetTextPadding(RECT rc);
    UINT GetButtonState() const;
    void SetNormalImage(const char16_t* pStrImage);
    void SetHotImage(const char16_t* pStrImage);
    void SetPushedImage(const char16_t* pStrImage);
    void SetFocusedImage(const char16_t* pStrImage);
    void SetDisabledImage(const char16_t* pStrImage);

protected:
    // Draws the selected row's text (or the selected control) in rcText.
    void PaintSelection(HDC hDC, const RECT& rcText);
    void Renumber(int iFrom);

    CComboWnd* m_pWindow;
    int m_iCurSel;
    RECT m_rcTextPadding;
    CUIString m_sDropBoxAttributes;
    SIZE m_szDropBox;
    UINT m_uButtonState;
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sPushedImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    CUIListInfo m_ListInfo;
};
