#include "skinui/controls/UIComboBox.h"

#include "skinui/UIStateBits.h"

#include <cstdlib>

namespace {

// The five frames of the arrow image, left to right.
enum ArrowFrame { kFrameNormal = 0, kFrameHot = 1, kFramePushed = 2, kFrameFocused = 3, kFrameDisabled = 4 };
constexpr int kArrowFrames = 5;

// Reads "l,t,r,b" (one separator after each number); false when short.
bool readRect(const char16_t* p, const char16_t* end, RECT& rc)
{
    LONG v[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; i++) {
        if (p >= end)
            return false;
        char16_t* next = nullptr;
        v[i] = static_cast<LONG>(wcstol16(p, &next, 10));
        if (next == p)
            return false;
        p = next + 1;
    }
    rc = RECT{v[0], v[1], v[2], v[3]};
    return true;
}

} // namespace

CComboBoxUI::CComboBoxUI() : m_nArrowWidth(0) {}

const char16_t* CComboBoxUI::GetClass() const { return u"ComboBoxUI"; }

int CComboBoxUI::GetButtonWidth() const { return m_nArrowWidth; }

void CComboBoxUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"arrowimage") == 0)
        m_sArrowImage = pstrValue;
    else
        CComboUI::SetAttribute(pstrName, pstrValue);
}

void CComboBoxUI::PaintStateImage(HDC hDC)
{
    if (m_sArrowImage.IsEmpty()) {
        CComboUI::PaintStateImage(hDC);
        return;
    }
    if (IsFocused())
        m_uButtonState |= UISTATE_FOCUSED;
    else
        m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled())
        m_uButtonState |= UISTATE_DISABLED;
    else
        m_uButtonState &= ~UISTATE_DISABLED;

    int nIndex = kFrameNormal;
    if ((m_uButtonState & UISTATE_DISABLED) != 0)
        nIndex = kFrameDisabled;
    else if ((m_uButtonState & UISTATE_PUSHED) != 0)
        nIndex = kFramePushed;
    else if ((m_uButtonState & UISTATE_HOT) != 0)
        nIndex = kFrameHot;
    else if ((m_uButtonState & UISTATE_FOCUSED) != 0)
        nIndex = kFrameFocused;

    // The source part: "source='l,t,r,b'".
    CUIString sImage = m_sArrowImage;
    const int iSource = sImage.Find(u"source");
    if (iSource < 0)
        return;
    const int iOpen = sImage.Find(u'\'', iSource + 7);
    if (iOpen < 0)
        return;
    const int iClose = sImage.Find(u'\'', iOpen + 1);
    if (iClose < 0)
        return;
    RECT rcSource = {0, 0, 0, 0};
    const char16_t* data = sImage.GetData();
    if (!readRect(data + iOpen + 1, data + iClose, rcSource))
        return;

    m_nArrowWidth = (rcSource.right - rcSource.left) / kArrowFrames;
    rcSource.left += nIndex * m_nArrowWidth;
    rcSource.right = rcSource.left + m_nArrowWidth;

    RECT rcDest = {0, 0, m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top};
    const int border = GetBorderSize();
    rcDest.left += border;
    rcDest.top += border;
    rcDest.right -= border;
    rcDest.bottom -= border;
    rcDest.left = rcDest.right - m_nArrowWidth;

    CUIString sSource = sImage.Mid(iSource, iClose + 1 - iSource);
    CUIString sReplace;
    sReplace.Format(u"source='%d,%d,%d,%d' dest='%d,%d,%d,%d'", static_cast<int>(rcSource.left),
                    static_cast<int>(rcSource.top), static_cast<int>(rcSource.right),
                    static_cast<int>(rcSource.bottom), static_cast<int>(rcDest.left), static_cast<int>(rcDest.top),
                    static_cast<int>(rcDest.right), static_cast<int>(rcDest.bottom));
    sImage.Replace(sSource, sReplace);
    if (!DrawImage(hDC, sImage))
        m_sArrowImage.Empty();
}

void CComboBoxUI::PaintText(HDC hDC)
{
    RECT rcText = m_rcItem;
    rcText.left += m_rcTextPadding.left;
    rcText.right -= m_rcTextPadding.right;
    rcText.top += m_rcTextPadding.top;
    rcText.bottom -= m_rcTextPadding.bottom;
    rcText.right -= m_nArrowWidth;
    PaintSelection(hDC, rcText);
}
