#pragma once
// The base of every element of a skinned window: rectangle, layout
// constraints, colours, border, background image, text, tool tip, state
// flags and five event sources. Not a window: all controls of a window share
// its CUIWindowManager. UI thread only.

#include "skinui/UIDelegate.h"
#include "skinui/UIManager.h"
#include "skinui/UIRect.h"
#include "skinui/UIString.h"

typedef CControlUI* (*FINDCONTROLPROC)(CControlUI*, void*);

struct TRelativePosUI
{
    bool bRelative;
    SIZE szParent;
    int nMoveXPercent;
    int nMoveYPercent;
    int nZoomXPercent;
    int nZoomYPercent;
};

class CControlUI
{
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual CUIString GetName() const;
    virtual void SetName(const char16_t* pstrName);
    virtual const char16_t* GetClass() const;
    virtual void* GetInterface(const char16_t* pstrName);
    virtual UINT GetInputFlags() const;
    virtual bool Activate();
    virtual CUIWindowManager* GetManager() const;
    virtual void SetManager(CUIWindowManager* pManager, CControlUI* pParent, bool bInit = true);
    virtual CControlUI* GetParent() const;

    virtual CUIString GetText() const;
    virtual void SetText(const char16_t* pstrText);

    virtual const RECT& GetPos() const;
    virtual void SetPos(RECT rc);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT rcPadding);
    virtual SIZE GetFixedXY() const;
    virtual void SetFixedXY(SIZE szXY);
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);
    virtual void SetRelativePos(int moveX, int moveY, int zoomX, int zoomY);
    virtual void SetRelativeParentSize(SIZE sz);
    virtual TRelativePosUI GetRelativePos() const;
    virtual bool IsRelativePos() const;

    virtual CUIString GetToolTip() const;
    virtual void SetToolTip(const char16_t* pstrText);
    virtual void SetToolTipWidth(int nWidth);
    virtual int GetToolTipWidth() const;
    virtual char16_t GetShortcut() const;
    virtual void SetShortcut(char16_t ch);
    virtual bool IsContextMenuUsed() const;
    virtual void SetContextMenuUsed(bool bMenuUsed);
    virtual const CUIString& GetUserData();
    virtual void SetUserData(const char16_t* pstrText);
    virtual UINT_PTR GetTag() const;
    virtual void SetTag(UINT_PTR pTag);

    virtual bool IsVisible() const;
    virtual void SetVisible(bool bVisible = true);
    virtual void SetInheritedVisible(bool bVisible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool bEnable = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool bEnable = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool bEnable = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool bFloat = true);

    virtual CControlUI* FindControl(FINDCONTROLPROC Proc, void* pData, UINT uFlags);

    void Init();
    virtual void OnAttached();
    virtual void Event(UIEventRecord& event);
    virtual void HandleEvent(UIEventRecord& event);
    virtual void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue);
    virtual SIZE PreferredSize(SIZE szAvailable);
    virtual void DoPaint(HDC hDC, const RECT& rcPaint);
    virtual void PaintBackColor(HDC hDC);
    virtual void PaintBackImage(HDC hDC);
    virtual void PaintStateImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);
    virtual void PaintOverlay(HDC hDC, const RECT& rcPaint);

    // Non-virtual.
    void ApplyAttributeText(const char16_t* pstrList);
    bool DrawImage(HDC hDC, const char16_t* pStrImage, const char16_t* pStrModify = nullptr);
    // Draws an image string; one that fails to draw is emptied so it is not
    // tried again. False for an empty string.
    bool DrawOrForget(HDC hDC, CUIString& sImage, const char16_t* pStrModify = nullptr);
    DWORD HslAdjustedColor(DWORD dwColor);
    void Invalidate();
    void RequestLayout();
    void RequestParentLayout();
    bool IsLayoutRequested() const;
    CUIString GetVirtualWindow() const;
    void SetVirtualWindow(const char16_t* pstrValue);

    DWORD GetBkColor() const;
    void SetBkColor(DWORD dwBackColor);
    DWORD GetBkColor2() const;
    void SetBkColor2(DWORD dwBackColor);
    DWORD GetBkColor3() const;
    void SetBkColor3(DWORD dwBackColor);
    const char16_t* GetBkImage();
    void SetBkImage(const char16_t* pStrImage);
    // The extra image that derived controls draw over their state image.
    const char16_t* GetForeImage() const;
    void SetForeImage(const char16_t* pStrImage);
    DWORD GetBorderColor() const;
    void SetBorderColor(DWORD dwBorderColor);
    DWORD GetFocusBorderColor() const;
    void SetFocusBorderColor(DWORD dwBorderColor);
    bool IsColorHSL() const;
    void SetColorHSL(bool bColorHSL);
    int GetBorderSize() const;
    void SetBorderSize(int nSize);
    void SetBorderSides(int left, int top, int right, int bottom);
    void SetLeftBorderSize(int nSize);
    void SetTopBorderSize(int nSize);
    void SetRightBorderSize(int nSize);
    void SetBottomBorderSize(int nSize);
    void SetBorderStyle(int nStyle);
    SIZE GetBorderRound() const;
    void SetBorderRound(SIZE cxyRound);

public:
    CUIEventSource OnInit;
    CUIEventSource OnDestroy;
    CUIEventSource OnSize;
    CUIEventSource OnEvent;
    CUIEventSource OnNotify;

protected:
    CUIWindowManager* m_pManager;
    CControlUI* m_pParent;
    CUIString m_sVirtualWnd;
    CUIString m_sName;
    bool m_bUpdateNeeded;
    bool m_bMenuUsed;
    RECT m_rcItem;
    RECT m_rcPadding;
    SIZE m_cXY;
    SIZE m_cxyFixed;
    SIZE m_cxyMin;
    SIZE m_cxyMax;
    bool m_bVisible;
    bool m_bInternVisible;
    bool m_bEnabled;
    bool m_bMouseEnabled;
    bool m_bKeyboardEnabled;
    bool m_bFocused;
    bool m_bFloat;
    bool m_bSetPos; // keeps OnSize from re-entering
    TRelativePosUI m_tRelativePos;

    CUIString m_sText;
    CUIString m_sToolTip;
    char16_t m_chShortcut;
    CUIString m_sUserData;
    UINT_PTR m_pTag;

    DWORD m_dwBackColor;
    DWORD m_dwBackColor2;
    DWORD m_dwBackColor3;
    CUIString m_sBkImage;
    CUIString m_sForeImage;
    DWORD m_dwBorderColor;
    DWORD m_dwFocusBorderColor;
    bool m_bColorHSL;
    int m_nBorderSize;
    int m_nBorderStyle;
    int m_nTooltipWidth;
    SIZE m_cxyBorderRound;
    RECT m_rcPaint;
    RECT m_rcBordersize;
};
