#include "skinui/controls/UIProgress.h"

#include "skinui/UIAttrParse.h"

CProgressUI::CProgressUI() : m_bHorizontal(true), m_bStretchForeImage(true), m_nMax(100), m_nMin(0), m_nValue(0)
{
    m_uTextStyle = DT_SINGLELINE | DT_CENTER;
    m_cxyFixed.cy = 12;
}

const char16_t* CProgressUI::GetClass() const { return u"ProgressUI"; }

void* CProgressUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"Progress") == 0)
        return this;
    return CLabelUI::GetInterface(pstrName);
}

bool CProgressUI::IsHorizontal() const { return m_bHorizontal; }

void CProgressUI::SetHorizontal(bool bHorizontal)
{
    if (m_bHorizontal == bHorizontal)
        return;
    m_bHorizontal = bHorizontal;
    Invalidate();
}

bool CProgressUI::IsStretchForeImage() const { return m_bStretchForeImage; }

void CProgressUI::SetStretchForeImage(bool bStretchForeImage)
{
    if (m_bStretchForeImage == bStretchForeImage)
        return;
    m_bStretchForeImage = bStretchForeImage;
    Invalidate();
}

int CProgressUI::GetMinValue() const { return m_nMin; }

void CProgressUI::SetMinValue(int nMin)
{
    m_nMin = nMin;
    Invalidate();
}

int CProgressUI::GetMaxValue() const { return m_nMax; }

void CProgressUI::SetMaxValue(int nMax)
{
    m_nMax = nMax;
    Invalidate();
}

int CProgressUI::GetValue() const { return m_nValue; }

void CProgressUI::SetValue(int nValue)
{
    m_nValue = nValue;
    Invalidate();
}

const char16_t* CProgressUI::GetForeImage() const { return m_sProgressForeImage; }

void CProgressUI::SetForeImage(const char16_t* pStrImage)
{
    if (m_sProgressForeImage == pStrImage)
        return;
    m_sProgressForeImage = pStrImage;
    Invalidate();
}

void CProgressUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"foreimage") == 0)
        SetForeImage(pstrValue);
    else if (wcscmp(pstrName, u"hor") == 0)
        SetHorizontal(UIIsTrue(pstrValue));
    else if (wcscmp(pstrName, u"min") == 0)
        SetMinValue(_wtoi(pstrValue));
    else if (wcscmp(pstrName, u"max") == 0)
        SetMaxValue(_wtoi(pstrValue));
    else if (wcscmp(pstrName, u"value") == 0)
        SetValue(_wtoi(pstrValue));
    else if (wcscmp(pstrName, u"isstretchfore") == 0)
        SetStretchForeImage(UIIsTrue(pstrValue));
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

void CProgressUI::NormaliseRange()
{
    if (m_nMin >= m_nMax)
        m_nMax = m_nMin + 1;
    if (m_nValue > m_nMax)
        m_nValue = m_nMax;
    if (m_nValue < m_nMin)
        m_nValue = m_nMin;
}

void CProgressUI::PaintStateImage(HDC hDC)
{
    NormaliseRange();
    const long long span = static_cast<long long>(m_nMax) - m_nMin;
    const int w = m_rcItem.right - m_rcItem.left;
    const int h = m_rcItem.bottom - m_rcItem.top;
    RECT rc = {0, 0, 0, 0};
    if (m_bHorizontal) {
        rc.right = static_cast<int>(w * (static_cast<long long>(m_nValue) - m_nMin) / span);
        rc.bottom = h;
    } else {
        rc.top = static_cast<int>(h * (static_cast<long long>(m_nMax) - m_nValue) / span);
        rc.right = w;
        rc.bottom = h;
    }
    if (m_sProgressForeImage.IsEmpty())
        return;
    // Formatted in two parts: each stays inside the string's format buffer.
    m_sForeImageModify.Format(u"dest='%d,%d,%d,%d'", rc.left, rc.top, rc.right, rc.bottom);
    if (!m_bStretchForeImage) {
        CUIString source;
        source.Format(u" source='%d,%d,%d,%d'", rc.left, rc.top, rc.right, rc.bottom);
        m_sForeImageModify += source;
    }
    if (!DrawImage(hDC, m_sProgressForeImage, m_sForeImageModify))
        m_sProgressForeImage.Empty();
}
