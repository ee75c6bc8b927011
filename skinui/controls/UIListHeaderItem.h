#pragma once
// One column heading of a list header: state images, a text, and a
// separator strip at one edge that resizes the column when dragged; sends
// "headerclick". UI thread only.
#include "skinui/UIControl.h"

class CListHeaderItemUI : public CControlUI
{
public:
    CListHeaderItemUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    void SetEnabled(bool bEnable = true) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    SIZE PreferredSize(SIZE szAvailable) override;
    void PaintStateImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    bool IsDragable() const;
    void SetDragable(bool bDragable);
    int GetSepWidth() const;
    void SetSepWidth(int iWidth);
    UINT GetTextStyle() const;
    void SetTextStyle(UINT uStyle);
    DWORD GetTextColor() const;
    void SetTextColor(DWORD dwTextColor);
    RECT GetTextPadding() const;
    void SetTextPadding(RECT rc);
    int GetFont() const;
    void SetFont(int index);
    bool IsShowHtml() const;
    void SetShowHtml(bool bShowHtml = true);
    void SetNormalImage(const char16_t* pStrImage);
    void SetHotImage(const char16_t* pStrImage);
    void SetPushedImage(const char16_t* pStrImage);
    void SetFocusedImage(const char16_t* pStrImage);
    void SetSepImage(const char16_t* pStrImage);
    UINT GetButtonState() const;

    // The strip the mouse grabs: the separator widened by 4 pixels inwards.
    RECT GetThumbRect() const;

private:
    POINT m_ptLastMouse;
    bool m_bDragable;
    UINT m_uButtonState;
    int m_iSepWidth;
    DWORD m_dwTextColor;
    int m_iFont;
    UINT m_uTextStyle;
    bool m_bShowHtml;
    RECT m_rcTextPadding;
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sPushedImage;
    CUIString m_sFocusedImage;
    CUIString m_sSepImage;
    CUIString m_sSepImageModify;
};
