#include "skinui/controls/UISlider.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIStateBits.h"

CSliderUI::CSliderUI() : m_uButtonState(0), m_nStep(1)
{
    m_uTextStyle = DT_SINGLELINE | DT_CENTER;
    m_szThumb = SIZE{10, 10};
}

const char16_t* CSliderUI::GetClass() const { return u"SliderUI"; }

void* CSliderUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"Slider") == 0)
        return this;
    return CProgressUI::GetInterface(pstrName);
}

UINT CSliderUI::GetInputFlags() const
{
    return IsEnabled() ? UIFLAG_SETCURSOR : 0;
}

void CSliderUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

int CSliderUI::GetChangeStep() const { return m_nStep; }
void CSliderUI::SetChangeStep(int step) { m_nStep = step; }
SIZE CSliderUI::GetThumbSize() const { return m_szThumb; }
void CSliderUI::SetThumbSize(SIZE szXY) { m_szThumb = szXY; }

RECT CSliderUI::GetThumbRect() const
{
    // The range is put in order on a copy: a rectangle asked for before the
    // first paint must not divide by an empty range.
    int nMin = m_nMin;
    int nMax = m_nMax;
    if (nMin >= nMax)
        nMax = nMin + 1;
    int nValue = m_nValue;
    if (nValue > nMax)
        nValue = nMax;
    if (nValue < nMin)
        nValue = nMin;
    const long long span = static_cast<long long>(nMax) - nMin;
    const long long offset = static_cast<long long>(nValue) - nMin;
    if (m_bHorizontal) {
        const int left = m_rcItem.left +
                         static_cast<int>(offset * (m_rcItem.right - m_rcItem.left - m_szThumb.cx) / span);
        const int top = (m_rcItem.bottom + m_rcItem.top - m_szThumb.cy) / 2;
        return RECT{left, top, left + m_szThumb.cx, top + m_szThumb.cy};
    }
    const int left = (m_rcItem.right + m_rcItem.left - m_szThumb.cx) / 2;
    const int bottom = m_rcItem.bottom -
                       static_cast<int>(offset * (m_rcItem.bottom - m_rcItem.top - m_szThumb.cy) / span);
    return RECT{left, bottom - m_szThumb.cy, left + m_szThumb.cx, bottom};
}

int CSliderUI::valueAt(POINT pt) const
{
    const long long span = static_cast<long long>(m_nMax) - m_nMin;
    if (m_bHorizontal) {
        const int cx = m_szThumb.cx;
        if (pt.x >= m_rcItem.right - cx / 2)
            return m_nMax;
        if (pt.x <= m_rcItem.left + cx / 2)
            return m_nMin;
        const int track = m_rcItem.right - m_rcItem.left - cx;
        if (track <= 0)
            return m_nMin;
        return m_nMin + static_cast<int>(span * (pt.x - cx / 2 - m_rcItem.left) / track);
    }
    const int cy = m_szThumb.cy;
    if (pt.y >= m_rcItem.bottom - cy / 2)
        return m_nMin;
    if (pt.y <= m_rcItem.top + cy / 2)
        return m_nMax;
    const int track = m_rcItem.bottom - m_rcItem.top - cy;
    if (track <= 0)
        return m_nMin;
    return m_nMin + static_cast<int>(static_cast<long long>(m_rcItem.bottom - cy / 2 - pt.y) * span / track);
}

void CSliderUI::notifyValueChanged()
{
    if (m_pManager)
        m_pManager->SendNotify(this, u"valuechanged");
}

void CSliderUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pParent)
            m_pParent->HandleEvent(event);
        else
            CProgressUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled()) {
            const RECT rcThumb = GetThumbRect();
            if (::PtInRect(&rcThumb, event.ptMouse))
                m_uButtonState |= UISTATE_CAPTURED;
        }
        return;
    case UIEVENT_BUTTONUP:
        m_uButtonState &= ~UISTATE_CAPTURED;
        m_nValue = valueAt(event.ptMouse);
        notifyValueChanged();
        Invalidate();
        return;
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_SCROLLWHEEL:
        switch (LOWORD(event.wParam)) {
        case SB_LINEUP:
            SetValue(GetValue() + GetChangeStep());
            notifyValueChanged();
            return;
        case SB_LINEDOWN:
            SetValue(GetValue() - GetChangeStep());
            notifyValueChanged();
            return;
        default:
            break;
        }
        break;
    case UIEVENT_MOUSEMOVE:
        if ((m_uButtonState & UISTATE_CAPTURED) != 0) {
            m_nValue = valueAt(event.ptMouse);
            Invalidate();
        }
        return;
    case UIEVENT_SETCURSOR: {
        const RECT rcThumb = GetThumbRect();
        if (IsEnabled() && ::PtInRect(&rcThumb, event.ptMouse)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    }
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

const char16_t* CSliderUI::GetThumbImage() const { return m_sThumbImage; }

void CSliderUI::SetThumbImage(const char16_t* pStrImage)
{
    m_sThumbImage = pStrImage;
    Invalidate();
}

const char16_t* CSliderUI::GetThumbHotImage() const { return m_sThumbHotImage; }

void CSliderUI::SetThumbHotImage(const char16_t* pStrImage)
{
    m_sThumbHotImage = pStrImage;
    Invalidate();
}

const char16_t* CSliderUI::GetThumbPushedImage() const { return m_sThumbPushedImage; }

void CSliderUI::SetThumbPushedImage(const char16_t* pStrImage)
{
    m_sThumbPushedImage = pStrImage;
    Invalidate();
}

void CSliderUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"thumbimage") == 0) {
        SetThumbImage(pstrValue);
    } else if (wcscmp(pstrName, u"thumbhotimage") == 0) {
        SetThumbHotImage(pstrValue);
    } else if (wcscmp(pstrName, u"thumbpushedimage") == 0) {
        SetThumbPushedImage(pstrValue);
    } else if (wcscmp(pstrName, u"thumbsize") == 0) {
        LONG v[2] = {0, 0};
        UIParseInts(pstrValue, v, 2);
        SetThumbSize(SIZE{v[0], v[1]});
    } else if (wcscmp(pstrName, u"step") == 0) {
        SetChangeStep(_wtoi(pstrValue));
    } else {
        CProgressUI::SetAttribute(pstrName, pstrValue);
    }
}

void CSliderUI::PaintStateImage(HDC hDC)
{
    CProgressUI::PaintStateImage(hDC);
    RECT rcThumb = GetThumbRect();
    ::OffsetRect(&rcThumb, -m_rcItem.left, -m_rcItem.top);
    m_sImageModify.Format(u"dest='%d,%d,%d,%d'", rcThumb.left, rcThumb.top, rcThumb.right, rcThumb.bottom);
    auto drawOrForget = [&](CUIString& image) {
        if (DrawImage(hDC, image, m_sImageModify))
            return true;
        image.Empty();
        return false;
    };
    if ((m_uButtonState & UISTATE_CAPTURED) != 0 && !m_sThumbPushedImage.IsEmpty()) {
        if (drawOrForget(m_sThumbPushedImage))
            return;
    } else if ((m_uButtonState & UISTATE_HOT) != 0 && !m_sThumbHotImage.IsEmpty()) {
        if (drawOrForget(m_sThumbHotImage))
            return;
    }
    if (!m_sThumbImage.IsEmpty())
        drawOrForget(m_sThumbImage);
}
