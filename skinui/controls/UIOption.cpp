#include "skinui/controls/UIOption.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIRender.h"
#include "skinui/UIStateBits.h"

COptionUI::COptionUI() : m_bSelected(false), m_dwSelectedBkColor(0), m_dwSelectedTextColor(0) {}

COptionUI::~COptionUI()
{
    if (!m_sGroupName.IsEmpty() && m_pManager)
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
}

const char16_t* COptionUI::GetClass() const { return u"OptionUI"; }

void* COptionUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"Option") == 0)
        return this;
    return CButtonUI::GetInterface(pstrName);
}

void COptionUI::SetManager(CUIWindowManager* pManager, CControlUI* pParent, bool bInit)
{
    CControlUI::SetManager(pManager, pParent, bInit);
    if (bInit && !m_sGroupName.IsEmpty() && m_pManager)
        m_pManager->AddOptionGroup(m_sGroupName, this);
}

const char16_t* COptionUI::GetGroup() const { return m_sGroupName; }

void COptionUI::SetGroup(const char16_t* pStrGroupName)
{
    const char16_t* pName = pStrGroupName ? pStrGroupName : u"";
    if (m_sGroupName == pName)
        return;
    if (m_pManager && !m_sGroupName.IsEmpty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
    m_sGroupName = pName;
    if (m_pManager && !m_sGroupName.IsEmpty())
        m_pManager->AddOptionGroup(m_sGroupName, this);
    Selected(m_bSelected);
}

bool COptionUI::IsSelected() const { return m_bSelected; }

void COptionUI::Selected(bool bSelected)
{
    if (m_bSelected == bSelected)
        return;
    m_bSelected = bSelected;
    if (m_bSelected)
        m_uButtonState |= UISTATE_SELECTED;
    else
        m_uButtonState &= ~UISTATE_SELECTED;
    if (m_pManager) {
        if (!m_sGroupName.IsEmpty()) {
            if (m_bSelected) {
                // A copy: a handler of the notification may change the group.
                if (CUIPtrArray* group = m_pManager->GetOptionGroup(m_sGroupName)) {
                    CUIPtrArray others(*group);
                    for (int i = 0; i < others.GetSize(); i++) {
                        auto* pControl = static_cast<COptionUI*>(others[i]);
                        if (pControl != this)
                            pControl->Selected(false);
                    }
                }
                m_pManager->SendNotify(this, u"selectchanged");
            }
        } else {
            m_pManager->SendNotify(this, u"selectchanged");
        }
    }
    Invalidate();
}

bool COptionUI::Activate()
{
    if (!CButtonUI::Activate())
        return false;
    if (!m_sGroupName.IsEmpty())
        Selected(true);
    else
        Selected(!m_bSelected);
    return true;
}

void COptionUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = m_bSelected ? static_cast<UINT>(UISTATE_SELECTED) : 0u;
}

const char16_t* COptionUI::GetSelectedImage() const { return m_sSelectedImage; }

void COptionUI::SetSelectedImage(const char16_t* pStrImage)
{
    m_sSelectedImage = pStrImage;
    Invalidate();
}

const char16_t* COptionUI::GetSelectedHotImage() const { return m_sSelectedHotImage; }

void COptionUI::SetSelectedHotImage(const char16_t* pStrImage)
{
    m_sSelectedHotImage = pStrImage;
    Invalidate();
}

const char16_t* COptionUI::GetOptionForeImage() const { return m_sOptionForeImage; }

void COptionUI::SetOptionForeImage(const char16_t* pStrImage)
{
    m_sOptionForeImage = pStrImage;
    Invalidate();
}

void COptionUI::SetSelectedBkColor(DWORD dwBkColor) { m_dwSelectedBkColor = dwBkColor; }
DWORD COptionUI::GetSelectedBkColor() const { return m_dwSelectedBkColor; }
void COptionUI::SetSelectedTextColor(DWORD dwTextColor) { m_dwSelectedTextColor = dwTextColor; }
DWORD COptionUI::GetSelectedTextColor() const { return m_dwSelectedTextColor; }

void COptionUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"group") == 0)
        SetGroup(pstrValue);
    else if (wcscmp(pstrName, u"selected") == 0)
        Selected(UIIsTrue(pstrValue));
    else if (wcscmp(pstrName, u"selectedimage") == 0)
        SetSelectedImage(pstrValue);
    else if (wcscmp(pstrName, u"selectedhotimage") == 0)
        SetSelectedHotImage(pstrValue);
    else if (wcscmp(pstrName, u"foreimage") == 0)
        SetOptionForeImage(pstrValue);
    else if (wcscmp(pstrName, u"selectedbkcolor") == 0)
        SetSelectedBkColor(UIParseColour(pstrValue));
    else if (wcscmp(pstrName, u"selectedtextcolor") == 0)
        SetSelectedTextColor(UIParseColour(pstrValue));
    else
        CButtonUI::SetAttribute(pstrName, pstrValue);
}

void COptionUI::PaintStateImage(HDC hDC)
{
    m_uButtonState &= ~UISTATE_PUSHED;
    const bool hot = (m_uButtonState & UISTATE_HOT) != 0;
    if (hot && m_bSelected && !m_sSelectedHotImage.IsEmpty()) {
        if (!DrawOrForget(hDC, m_sSelectedHotImage))
            CButtonUI::PaintStateImage(hDC);
    } else if (m_bSelected) {
        if (!m_sSelectedImage.IsEmpty()) {
            if (!DrawOrForget(hDC, m_sSelectedImage))
                CButtonUI::PaintStateImage(hDC);
        } else if (m_dwSelectedBkColor != 0) {
            CUIRenderEngine::DrawColor(hDC, m_rcPaint, HslAdjustedColor(m_dwSelectedBkColor));
            return;
        } else {
            CButtonUI::PaintStateImage(hDC);
        }
    } else {
        CButtonUI::PaintStateImage(hDC);
    }
    if (!m_sOptionForeImage.IsEmpty())
        DrawOrForget(hDC, m_sOptionForeImage);
}

void COptionUI::PaintText(HDC hDC)
{
    if (!m_bSelected) {
        CButtonUI::PaintText(hDC);
        return;
    }
    const DWORD oldTextColor = m_dwTextColor;
    if (m_dwSelectedTextColor != 0)
        m_dwTextColor = m_dwSelectedTextColor;
    TakeDefaultColors();
    if (!m_sText.IsEmpty())
        DrawLabelText(hDC, TextRect(), m_sText, IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor, m_uTextStyle);
    m_dwTextColor = oldTextColor;
}
