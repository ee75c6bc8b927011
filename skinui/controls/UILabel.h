#pragma once
// A single text inside the control's rectangle less a text padding, drawn
// plain or as the library's tag markup; with the effect mode on, the effect
// text is drawn with a stroke, a drop shadow and translucent colours. The
// base of every text-bearing control. UI thread only.
#include "skinui/UIControl.h"

class CLabelUI : public CControlUI
{
public:
    CLabelUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    CUIString GetText() const override;
    void SetText(const char16_t* pstrText) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    SIZE PreferredSize(SIZE szAvailable) override;
    void PaintText(HDC hDC) override;

    void SetTextStyle(UINT uStyle);
    UINT GetTextStyle() const;
    void SetTextColor(DWORD dwTextColor);
    DWORD GetTextColor() const;
    void SetDisabledTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const;
    void SetFont(int index);
    int GetFont() const;
    RECT GetTextPadding() const;
    void SetTextPadding(RECT rc);
    bool IsShowHtml() const;
    void SetShowHtml(bool bShowHtml = true);

    void SetEnabledEffect(bool bEnable);
    bool GetEnabledEffect() const;
    void SetTextRenderingHint(int nHint);
    int GetTextRenderingHint() const;
    void SetTransShadow(int nAlpha);
    int GetTransShadow() const;
    void SetTransShadow1(int nAlpha);
    int GetTransShadow1() const;
    void SetTransText(int nAlpha);
    int GetTransText() const;
    void SetTransText1(int nAlpha);
    int GetTransText1() const;
    void SetTransStroke(int nAlpha);
    int GetTransStroke() const;
    void SetGradientAngle(int nAngle);
    int GetGradientAngle() const;
    void SetGradientLength(int nLength);
    int GetGradientLength() const;
    void SetEnabledStroke(bool bEnable);
    bool GetEnabledStroke() const;
    void SetEnabledShadow(bool bEnable);
    bool GetEnabledShadow() const;
    void SetTextColor1(DWORD dwColor);
    DWORD GetTextColor1() const;
    void SetTextShadowColorA(DWORD dwColor);
    DWORD GetTextShadowColorA() const;
    void SetTextShadowColorB(DWORD dwColor);
    DWORD GetTextShadowColorB() const;
    void SetStrokeColor(DWORD dwColor);
    DWORD GetStrokeColor() const;
    // Offset of the shadow from the current position and an angle in
    // -180..180 (other angles are ignored).
    void SetShadowOffset(int nOffset, int nAngle);
    POINT GetShadowOffset() const;

protected:
    // Fills in the window's default colours while they are unset.
    void TakeDefaultColors();
    RECT TextRect() const;
    // Draws text in the given rectangle, plain or as markup.
    void DrawLabelText(HDC hDC, RECT rc, const CUIString& sText, DWORD dwColor, UINT uStyle);

    DWORD m_dwTextColor;
    DWORD m_dwDisabledTextColor;
    int m_iFont;
    UINT m_uTextStyle;
    RECT m_rcTextPadding;
    bool m_bShowHtml;

private:
    void paintEffectText(HDC hDC);

    int m_hAlign;
    int m_vAlign;
    int m_TransShadow;
    int m_TransShadow1;
    int m_TransText;
    int m_TransText1;
    int m_TransStroke;
    int m_GradientLength;
    int m_GradientAngle;
    bool m_EnableEffect;
    bool m_EnabledStroke;
    bool m_EnabledShadow;
    DWORD m_dwTextColor1;
    DWORD m_dwTextShadowColorA;
    DWORD m_dwTextShadowColorB;
    DWORD m_dwStrokeColor;
    float m_ShadowOffsetX;
    float m_ShadowOffsetY;
    CUIString m_TextValue;
    int m_TextRenderingHint;
};
