#include "skinui/controls/UILabel.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIRender.h"

#include <cstring>

namespace {

// Alpha a over the low 24 bits of a colour.
DWORD withAlpha(DWORD colour, int alpha)
{
    return (static_cast<DWORD>(alpha & 0xFF) << 24) | (colour & 0x00FFFFFF);
}

// The number of text rendering hints the effect mode knows (0..5).
constexpr int kRenderingHints = 6;

} // namespace

CLabelUI::CLabelUI()
    : m_dwTextColor(0), m_dwDisabledTextColor(0), m_iFont(-1), m_uTextStyle(DT_VCENTER), m_bShowHtml(false),
      m_hAlign(0), m_vAlign(1), m_TransShadow(60), m_TransShadow1(60), m_TransText(168), m_TransText1(168),
      m_TransStroke(255), m_GradientLength(0), m_GradientAngle(0), m_EnableEffect(false), m_EnabledStroke(false),
      m_EnabledShadow(false), m_dwTextColor1(0xFFFFFFFF), m_dwTextShadowColorA(0xFF000000),
      m_dwTextShadowColorB(0xFFFFFFFF), m_dwStrokeColor(0), m_ShadowOffsetX(0.0f), m_ShadowOffsetY(0.0f),
      m_TextRenderingHint(0)
{
    std::memset(&m_rcTextPadding, 0, sizeof m_rcTextPadding);
}

const char16_t* CLabelUI::GetClass() const { return u"LabelUI"; }

void* CLabelUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"Label") == 0)
        return this;
    return CControlUI::GetInterface(pstrName);
}

CUIString CLabelUI::GetText() const
{
    if (m_EnableEffect)
        return m_TextValue;
    return CControlUI::GetText();
}

void CLabelUI::SetText(const char16_t* pstrText)
{
    if (m_EnableEffect) {
        m_TextValue = pstrText;
        return;
    }
    CControlUI::SetText(pstrText);
}

void CLabelUI::HandleEvent(UIEventRecord& event)
{
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        return;
    }
    CControlUI::HandleEvent(event);
}

void CLabelUI::SetTextStyle(UINT uStyle)
{
    m_uTextStyle = uStyle;
    Invalidate();
}

UINT CLabelUI::GetTextStyle() const { return m_uTextStyle; }

void CLabelUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
    Invalidate();
}

DWORD CLabelUI::GetTextColor() const { return m_dwTextColor; }

void CLabelUI::SetDisabledTextColor(DWORD dwTextColor)
{
    m_dwDisabledTextColor = dwTextColor;
    Invalidate();
}

DWORD CLabelUI::GetDisabledTextColor() const { return m_dwDisabledTextColor; }

void CLabelUI::SetFont(int index)
{
    m_iFont = index;
    Invalidate();
}

int CLabelUI::GetFont() const { return m_iFont; }
RECT CLabelUI::GetTextPadding() const { return m_rcTextPadding; }

void CLabelUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

bool CLabelUI::IsShowHtml() const { return m_bShowHtml; }

void CLabelUI::SetShowHtml(bool bShowHtml)
{
    if (m_bShowHtml == bShowHtml)
        return;
    m_bShowHtml = bShowHtml;
    Invalidate();
}

void CLabelUI::SetEnabledEffect(bool bEnable) { m_EnableEffect = bEnable; }
bool CLabelUI::GetEnabledEffect() const { return m_EnableEffect; }

void CLabelUI::SetTextRenderingHint(int nHint)
{
    m_TextRenderingHint = (nHint >= 0 && nHint < kRenderingHints) ? nHint : 0;
}

int CLabelUI::GetTextRenderingHint() const { return m_TextRenderingHint; }
void CLabelUI::SetTransShadow(int nAlpha) { m_TransShadow = nAlpha; }
int CLabelUI::GetTransShadow() const { return m_TransShadow; }
void CLabelUI::SetTransShadow1(int nAlpha) { m_TransShadow1 = nAlpha; }
int CLabelUI::GetTransShadow1() const { return m_TransShadow1; }
void CLabelUI::SetTransText(int nAlpha) { m_TransText = nAlpha; }
int CLabelUI::GetTransText() const { return m_TransText; }
void CLabelUI::SetTransText1(int nAlpha) { m_TransText1 = nAlpha; }
int CLabelUI::GetTransText1() const { return m_TransText1; }
void CLabelUI::SetTransStroke(int nAlpha) { m_TransStroke = nAlpha; }
int CLabelUI::GetTransStroke() const { return m_TransStroke; }
void CLabelUI::SetGradientAngle(int nAngle) { m_GradientAngle = nAngle; }
int CLabelUI::GetGradientAngle() const { return m_GradientAngle; }
void CLabelUI::SetGradientLength(int nLength) { m_GradientLength = nLength; }
int CLabelUI::GetGradientLength() const { return m_GradientLength; }
void CLabelUI::SetEnabledStroke(bool bEnable) { m_EnabledStroke = bEnable; }
bool CLabelUI::GetEnabledStroke() const { return m_EnabledStroke; }
void CLabelUI::SetEnabledShadow(bool bEnable) { m_EnabledShadow = bEnable; }
bool CLabelUI::GetEnabledShadow() const { return m_EnabledShadow; }
void CLabelUI::SetTextColor1(DWORD dwColor) { m_dwTextColor1 = dwColor; }
DWORD CLabelUI::GetTextColor1() const { return m_dwTextColor1; }
void CLabelUI::SetTextShadowColorA(DWORD dwColor) { m_dwTextShadowColorA = dwColor; }
DWORD CLabelUI::GetTextShadowColorA() const { return m_dwTextShadowColorA; }
void CLabelUI::SetTextShadowColorB(DWORD dwColor) { m_dwTextShadowColorB = dwColor; }
DWORD CLabelUI::GetTextShadowColorB() const { return m_dwTextShadowColorB; }
void CLabelUI::SetStrokeColor(DWORD dwColor) { m_dwStrokeColor = dwColor; }
DWORD CLabelUI::GetStrokeColor() const { return m_dwStrokeColor; }

void CLabelUI::SetShadowOffset(int nOffset, int nAngle)
{
    if (nAngle > 180 || nAngle < -180)
        return;
    const RECT rc = m_rcItem;
    if (nAngle >= 0 && nAngle <= 180)
        m_ShadowOffsetX = static_cast<float>(rc.top - nOffset);
    else if (nAngle > -180 && nAngle < 0)
        m_ShadowOffsetX = static_cast<float>(rc.top + nOffset);
    else
        m_ShadowOffsetX = static_cast<float>(rc.top);
    if (nAngle > -90 && nAngle <= 90)
        m_ShadowOffsetY = static_cast<float>(rc.left - nOffset);
    else if (nAngle == -90)
        m_ShadowOffsetY = static_cast<float>(rc.left);
    else
        m_ShadowOffsetY = static_cast<float>(rc.left + nOffset);
}

POINT CLabelUI::GetShadowOffset() const
{
    return POINT{static_cast<LONG>(m_ShadowOffsetX), static_cast<LONG>(m_ShadowOffsetY)};
}

void CLabelUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    LONG v[4] = {0, 0, 0, 0};
    if (wcscmp(pstrName, u"align") == 0) {
        if (wcsstr(pstrValue, u"left")) {
            m_uTextStyle &= ~(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        }
        if (wcsstr(pstrValue, u"center")) {
            m_uTextStyle &= ~DT_RIGHT;
            m_uTextStyle |= DT_CENTER;
        }
        if (wcsstr(pstrValue, u"right")) {
            m_uTextStyle &= ~(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            m_uTextStyle |= DT_RIGHT;
        }
        if (wcsstr(pstrValue, u"top")) {
            m_uTextStyle &= ~(DT_VCENTER | DT_BOTTOM);
            m_uTextStyle |= DT_SINGLELINE;
        }
        if (wcsstr(pstrValue, u"vcenter")) {
            m_uTextStyle &= ~DT_BOTTOM;
            m_uTextStyle |= DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        }
        if (wcsstr(pstrValue, u"bottom")) {
            m_uTextStyle &= ~DT_VCENTER;
            m_uTextStyle |= DT_BOTTOM | DT_SINGLELINE;
        }
    } else if (wcscmp(pstrName, u"endellipsis") == 0) {
        if (UIIsTrue(pstrValue))
            m_uTextStyle |= DT_END_ELLIPSIS;
        else
            m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (wcscmp(pstrName, u"font") == 0) {
        SetFont(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"textcolor") == 0) {
        SetTextColor(UIParseColour(pstrValue));
    } else if (wcscmp(pstrName, u"disabledtextcolor") == 0) {
        SetDisabledTextColor(UIParseColour(pstrValue));
    } else if (wcscmp(pstrName, u"textpadding") == 0) {
        UIParseInts(pstrValue, v, 4);
        SetTextPadding(RECT{v[0], v[1], v[2], v[3]});
    } else if (wcscmp(pstrName, u"showhtml") == 0) {
        SetShowHtml(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"enabledeffect") == 0) {
        SetEnabledEffect(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"rhaa") == 0) {
        SetTextRenderingHint(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"transshadow") == 0) {
        SetTransShadow(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"transtext") == 0) {
        SetTransText(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"transshadow1") == 0) {
        SetTransShadow1(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"transtext1") == 0) {
        SetTransText1(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"gradientangle") == 0) {
        SetGradientAngle(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"enabledstroke") == 0) {
        SetEnabledStroke(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"enabledshadow") == 0) {
        SetEnabledShadow(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"transstroke") == 0) {
        SetTransStroke(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"gradientlength") == 0) {
        SetGradientLength(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"shadowoffset") == 0) {
        UIParseInts(pstrValue, v, 2);
        SetShadowOffset(v[0], v[1]);
    } else if (wcscmp(pstrName, u"textcolor1") == 0) {
        SetTextColor1(UIParseColour(pstrValue));
    } else if (wcscmp(pstrName, u"textshadowcolora") == 0) {
        SetTextShadowColorA(UIParseColour(pstrValue));
    } else if (wcscmp(pstrName, u"textshadowcolorb") == 0) {
        SetTextShadowColorB(UIParseColour(pstrValue));
    } else if (wcscmp(pstrName, u"strokecolor") == 0) {
        SetStrokeColor(UIParseColour(pstrValue));
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

SIZE CLabelUI::PreferredSize(SIZE szAvailable)
{
    if (m_cxyFixed.cy != 0)
        return CControlUI::PreferredSize(szAvailable);
    int height = 0;
    if (m_pManager) {
        if (TFontInfo* info = m_pManager->GetFontInfo(m_iFont))
            height = static_cast<int>(info->tm.tmHeight);
    }
    return SIZE{m_cxyFixed.cx, height + 4};
}

void CLabelUI::TakeDefaultColors()
{
    if (!m_pManager)
        return;
    if (m_dwTextColor == 0)
        m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_dwDisabledTextColor == 0)
        m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
}

RECT CLabelUI::TextRect() const
{
    RECT rc = m_rcItem;
    rc.left += m_rcTextPadding.left;
    rc.right -= m_rcTextPadding.right;
    rc.top += m_rcTextPadding.top;
    rc.bottom -= m_rcTextPadding.bottom;
    return rc;
}

void CLabelUI::DrawLabelText(HDC hDC, RECT rc, const CUIString& sText, DWORD dwColor, UINT uStyle)
{
    if (m_bShowHtml) {
        int nLinks = 0;
        CUIRenderEngine::DrawHtmlText(hDC, m_pManager, rc, sText, dwColor, nullptr, nullptr, nLinks, uStyle);
    } else {
        CUIRenderEngine::DrawText(hDC, m_pManager, rc, sText, dwColor, m_iFont, uStyle);
    }
}

void CLabelUI::PaintText(HDC hDC)
{
    TakeDefaultColors();
    if (m_EnableEffect) {
        paintEffectText(hDC);
        return;
    }
    if (m_sText.IsEmpty())
        return;
    DrawLabelText(hDC, TextRect(), m_sText, IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor,
                  m_uTextStyle | DT_SINGLELINE);
}

// The effect mode's layers, in drawing order: the stroke (the text four
// times, one pixel off each side), the shadow at its offset, then the text.
// Each layer takes the first colour of its gradient with that colour's alpha.
void CLabelUI::paintEffectText(HDC hDC)
{
    const RECT rc = TextRect();
    UINT uStyle = DT_SINGLELINE | DT_VCENTER;
    if (m_hAlign == 1)
        uStyle |= DT_CENTER;
    else if (m_hAlign == 2)
        uStyle |= DT_RIGHT;
    if (m_EnabledStroke && m_dwStrokeColor != 0) {
        const DWORD stroke = withAlpha(m_dwStrokeColor, m_TransStroke);
        const POINT offsets[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        for (const POINT& off : offsets) {
            RECT r = rc;
            ::OffsetRect(&r, off.x, off.y);
            CUIRenderEngine::DrawText(hDC, m_pManager, r, m_TextValue, stroke, m_iFont, uStyle);
        }
    }
    if (m_EnabledShadow) {
        RECT r = rc;
        ::OffsetRect(&r, static_cast<int>(m_ShadowOffsetX), static_cast<int>(m_ShadowOffsetY));
        CUIRenderEngine::DrawText(hDC, m_pManager, r, m_TextValue, withAlpha(m_dwTextShadowColorA, m_TransShadow),
                                  m_iFont, uStyle);
    }
    RECT r = rc;
    CUIRenderEngine::DrawText(hDC, m_pManager, r, m_TextValue, withAlpha(m_dwTextColor, m_TransText), m_iFont,
                              uStyle);
}
