#include "skinui/controls/UIScrollBar.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIContainer.h"
#include "skinui/UIRender.h"
#include "skinui/UIStateBits.h"

#include <algorithm>
#include <cstring>

namespace {

// Frame drawn round a part that has no image to show.
constexpr DWORD kMissingImageFrame = 0x85E4FF;

struct ImageAttribute
{
    const char16_t* name;
    CScrollBarUI::Part part;
    CScrollBarUI::ImageState state;
};

constexpr ImageAttribute kImageAttributes[] = {
    {u"button1normalimage", CScrollBarUI::PartButton1, CScrollBarUI::ImageNormal},
    {u"button1hotimage", CScrollBarUI::PartButton1, CScrollBarUI::ImageHot},
    {u"button1pushedimage", CScrollBarUI::PartButton1, CScrollBarUI::ImagePushed},
    {u"button1disabledimage", CScrollBarUI::PartButton1, CScrollBarUI::ImageDisabled},
    {u"button2normalimage", CScrollBarUI::PartButton2, CScrollBarUI::ImageNormal},
    {u"button2hotimage", CScrollBarUI::PartButton2, CScrollBarUI::ImageHot},
    {u"button2pushedimage", CScrollBarUI::PartButton2, CScrollBarUI::ImagePushed},
    {u"button2disabledimage", CScrollBarUI::PartButton2, CScrollBarUI::ImageDisabled},
    {u"thumbnormalimage", CScrollBarUI::PartThumb, CScrollBarUI::ImageNormal},
    {u"thumbhotimage", CScrollBarUI::PartThumb, CScrollBarUI::ImageHot},
    {u"thumbpushedimage", CScrollBarUI::PartThumb, CScrollBarUI::ImagePushed},
    {u"thumbdisabledimage", CScrollBarUI::PartThumb, CScrollBarUI::ImageDisabled},
    {u"railnormalimage", CScrollBarUI::PartRail, CScrollBarUI::ImageNormal},
    {u"railhotimage", CScrollBarUI::PartRail, CScrollBarUI::ImageHot},
    {u"railpushedimage", CScrollBarUI::PartRail, CScrollBarUI::ImagePushed},
    {u"raildisabledimage", CScrollBarUI::PartRail, CScrollBarUI::ImageDisabled},
    {u"bknormalimage", CScrollBarUI::PartBackground, CScrollBarUI::ImageNormal},
    {u"bkhotimage", CScrollBarUI::PartBackground, CScrollBarUI::ImageHot},
    {u"bkpushedimage", CScrollBarUI::PartBackground, CScrollBarUI::ImagePushed},
    {u"bkdisabledimage", CScrollBarUI::PartBackground, CScrollBarUI::ImageDisabled},
};

} // namespace

CScrollBarUI::CScrollBarUI()
    : m_bHorizontal(false), m_nRange(100), m_nScrollPos(0), m_nLineSize(8), m_pOwner(nullptr),
      m_nLastScrollPos(0), m_nLastScrollOffset(0), m_nScrollRepeatDelay(0), m_bShowButton1(true),
      m_bShowButton2(true), m_uButton1State(0), m_uButton2State(0), m_uThumbState(0)
{
    m_ptLastMouse = POINT{0, 0};
    std::memset(&m_rcButton1, 0, sizeof m_rcButton1);
    std::memset(&m_rcButton2, 0, sizeof m_rcButton2);
    std::memset(&m_rcThumb, 0, sizeof m_rcThumb);
    m_cxyFixed.cx = 16;
}

const char16_t* CScrollBarUI::GetClass() const { return u"ScrollBarUI"; }

void* CScrollBarUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"ScrollBar") == 0)
        return this;
    return CControlUI::GetInterface(pstrName);
}

CContainerUI* CScrollBarUI::GetOwner() const { return m_pOwner; }
void CScrollBarUI::SetOwner(CContainerUI* pOwner) { m_pOwner = pOwner; }
bool CScrollBarUI::IsHorizontal() const { return m_bHorizontal; }

void CScrollBarUI::SetHorizontal(bool bHorizontal)
{
    if (m_bHorizontal == bHorizontal)
        return;
    m_bHorizontal = bHorizontal;
    if (m_bHorizontal) {
        if (m_cxyFixed.cy == 0) {
            m_cxyFixed.cx = 0;
            m_cxyFixed.cy = 16;
        }
    } else if (m_cxyFixed.cx == 0) {
        m_cxyFixed.cx = 16;
        m_cxyFixed.cy = 0;
    }
    if (m_pOwner)
        m_pOwner->RequestLayout();
    else
        RequestParentLayout();
}

int CScrollBarUI::GetScrollRange() const { return m_nRange; }

void CScrollBarUI::SetScrollRange(int nRange)
{
    if (m_nRange == nRange)
        return;
    m_nRange = std::max(nRange, 0);
    m_nScrollPos = std::min(m_nScrollPos, m_nRange);
    SetPos(m_rcItem);
}

int CScrollBarUI::GetScrollPos() const { return m_nScrollPos; }

void CScrollBarUI::SetScrollPos(int nPos)
{
    if (m_nScrollPos == nPos)
        return;
    m_nScrollPos = std::clamp(nPos, 0, m_nRange);
    SetPos(m_rcItem);
}

int CScrollBarUI::GetLineSize() const { return m_nLineSize; }
void CScrollBarUI::SetLineSize(int nSize) { m_nLineSize = nSize; }
bool CScrollBarUI::GetShowButton1() const { return m_bShowButton1; }

void CScrollBarUI::SetShowButton1(bool bShow)
{
    m_bShowButton1 = bShow;
    SetPos(m_rcItem);
}

bool CScrollBarUI::GetShowButton2() const { return m_bShowButton2; }

void CScrollBarUI::SetShowButton2(bool bShow)
{
    m_bShowButton2 = bShow;
    SetPos(m_rcItem);
}

const RECT& CScrollBarUI::GetButton1Rect() const { return m_rcButton1; }
const RECT& CScrollBarUI::GetButton2Rect() const { return m_rcButton2; }
const RECT& CScrollBarUI::GetThumbRect() const { return m_rcThumb; }

const char16_t* CScrollBarUI::GetPartImage(Part part, ImageState state) const
{
    return m_sImages[part][state];
}

void CScrollBarUI::SetPartImage(Part part, ImageState state, const char16_t* pStrImage)
{
    m_sImages[part][state] = pStrImage;
    Invalidate();
}

int CScrollBarUI::thickness() const
{
    return m_bHorizontal ? m_cxyFixed.cy : m_cxyFixed.cx;
}

UIAxis CScrollBarUI::axis() const { return UIAxis{m_bHorizontal}; }

void CScrollBarUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    rc = m_rcItem;
    const UIAxis ax = axis();
    const int t = thickness();
    const int length = ax.length(rc);
    const int low = ax.low(rc);
    const int high = ax.high(rc);
    const int across = ax.cross().low(rc);
    int avail = length;
    if (m_bShowButton1)
        avail -= t;
    if (m_bShowButton2)
        avail -= t;
    if (avail <= t) {
        // Too short for a thumb: the buttons share the length.
        const int s = std::min(t, length / 2);
        m_rcButton1 = m_bShowButton1 ? ax.rect(low, across, low + s, across + t) : RECT{0, 0, 0, 0};
        m_rcButton2 = m_bShowButton2 ? ax.rect(high - s, across, high, across + t) : RECT{0, 0, 0, 0};
        std::memset(&m_rcThumb, 0, sizeof m_rcThumb);
        return;
    }
    m_rcButton1 = m_bShowButton1 ? ax.rect(low, across, low + t, across + t) : ax.rect(low, across, low, across);
    m_rcButton2 = m_bShowButton2 ? ax.rect(high - t, across, high, across + t) : ax.rect(high, across, high, across);
    const int railLow = ax.high(m_rcButton1);
    const int railHigh = ax.low(m_rcButton2);
    int thumbLow = railLow;
    int thumbHigh = railHigh;
    if (m_nRange >= 1) {
        const int len = std::max(t, static_cast<int>(static_cast<long long>(length) * avail / (length + m_nRange)));
        thumbLow = static_cast<int>(static_cast<long long>(avail - len) * m_nScrollPos / m_nRange) + railLow;
        thumbHigh = thumbLow + len;
        if (thumbHigh > railHigh) {
            thumbLow = railHigh - len;
            thumbHigh = railHigh;
        }
    }
    m_rcThumb = ax.rect(thumbLow, across, thumbHigh, across + t);
}

void CScrollBarUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible)
        return;
    m_bVisible = bVisible;
    m_bFocused = false;
}

void CScrollBarUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) {
        m_uButton1State = 0;
        m_uButton2State = 0;
        m_uThumbState = 0;
    }
}

void CScrollBarUI::SetFocus()
{
    if (m_pOwner)
        m_pOwner->SetFocus();
    else
        CControlUI::SetFocus();
}

void CScrollBarUI::notifyScroll()
{
    if (!m_pOwner && m_pManager)
        m_pManager->SendNotify(this, u"scroll");
}

void CScrollBarUI::scrollBy(Step step)
{
    const int page = axis().length(m_rcItem);
    if (m_pOwner) {
        switch (step) {
        case StepLineBack:
            m_bHorizontal ? m_pOwner->LineLeft() : m_pOwner->LineUp();
            break;
        case StepLineForward:
            m_bHorizontal ? m_pOwner->LineRight() : m_pOwner->LineDown();
            break;
        case StepPageBack:
            m_bHorizontal ? m_pOwner->PageLeft() : m_pOwner->PageUp();
            break;
        case StepPageForward:
            m_bHorizontal ? m_pOwner->PageRight() : m_pOwner->PageDown();
            break;
        }
        return;
    }
    switch (step) {
    case StepLineBack:
        SetScrollPos(m_nScrollPos - m_nLineSize);
        break;
    case StepLineForward:
        SetScrollPos(m_nScrollPos + m_nLineSize);
        break;
    case StepPageBack:
        SetScrollPos(m_nScrollPos - page);
        break;
    case StepPageForward:
        SetScrollPos(m_nScrollPos + page);
        break;
    }
}

void CScrollBarUI::HandleEvent(UIEventRecord& event)
{
    auto passOn = [&] {
        if (m_pOwner)
            m_pOwner->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
    };
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        passOn();
        return;
    }
    const POINT pt = event.ptMouse;
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK: {
        if (!IsEnabled())
            return;
        m_nLastScrollOffset = 0;
        m_nScrollRepeatDelay = 0;
        if (m_pManager)
            m_pManager->SetTimer(this, kRepeatTimerId, kRepeatElapse);
        if (::PtInRect(&m_rcButton1, pt)) {
            m_uButton1State |= UISTATE_PUSHED;
            scrollBy(StepLineBack);
        } else if (::PtInRect(&m_rcButton2, pt)) {
            m_uButton2State |= UISTATE_PUSHED;
            scrollBy(StepLineForward);
        } else if (::PtInRect(&m_rcThumb, pt)) {
            m_uThumbState |= UISTATE_CAPTURED | UISTATE_PUSHED;
            m_ptLastMouse = pt;
            m_nLastScrollPos = m_nScrollPos;
        } else {
            scrollBy(axis().along(pt) < axis().low(m_rcThumb) ? StepPageBack : StepPageForward);
        }
        notifyScroll();
        return;
    }
    case UIEVENT_BUTTONUP: {
        m_nScrollRepeatDelay = 0;
        m_nLastScrollOffset = 0;
        if (m_pManager)
            m_pManager->KillTimer(this, kRepeatTimerId);
        if ((m_uThumbState & UISTATE_CAPTURED) != 0) {
            m_uThumbState &= ~(UISTATE_CAPTURED | UISTATE_PUSHED);
            Invalidate();
        } else if ((m_uButton1State & UISTATE_PUSHED) != 0) {
            m_uButton1State &= ~UISTATE_PUSHED;
            Invalidate();
        } else if ((m_uButton2State & UISTATE_PUSHED) != 0) {
            m_uButton2State &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    }
    case UIEVENT_MOUSEMOVE: {
        if ((m_uThumbState & UISTATE_CAPTURED) != 0) {
            const int free = axis().length(m_rcItem) - axis().length(m_rcThumb) - 2 * thickness();
            if (free == 0)
                return;
            const int moved = axis().along(pt) - axis().along(m_ptLastMouse);
            m_nLastScrollOffset = static_cast<int>(static_cast<long long>(moved) * m_nRange / free);
            return;
        }
        const bool inThumb = ::PtInRect(&m_rcThumb, pt) != 0;
        if (inThumb && IsEnabled() && (m_uThumbState & UISTATE_HOT) == 0) {
            m_uThumbState |= UISTATE_HOT;
            Invalidate();
        } else if (!inThumb && (m_uThumbState & UISTATE_HOT) != 0) {
            m_uThumbState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    }
    case UIEVENT_TIMER: {
        if (event.wParam != kRepeatTimerId) {
            passOn();
            return;
        }
        ++m_nScrollRepeatDelay;
        if ((m_uThumbState & UISTATE_CAPTURED) != 0) {
            const int target = m_nLastScrollPos + m_nLastScrollOffset;
            if (m_pOwner) {
                SIZE sz = m_pOwner->GetScrollPos();
                axis().along(sz) = target;
                m_pOwner->SetScrollPos(sz);
            } else {
                SetScrollPos(target);
                notifyScroll();
            }
            Invalidate();
            return;
        }
        if (m_nScrollRepeatDelay <= kRepeatDelayTicks)
            return;
        if ((m_uButton1State & UISTATE_PUSHED) != 0) {
            scrollBy(StepLineBack);
            notifyScroll();
            return;
        }
        if ((m_uButton2State & UISTATE_PUSHED) != 0) {
            scrollBy(StepLineForward);
            notifyScroll();
            return;
        }
        if (!m_pManager)
            return;
        POINT cursor = {0, 0};
        ::GetCursorPos(&cursor);
        ::ScreenToClient(m_pManager->GetPaintWindow(), &cursor);
        const int p = axis().along(cursor);
        if (p < axis().low(m_rcThumb)) {
            scrollBy(StepPageBack);
            notifyScroll();
        } else if (p > axis().high(m_rcThumb)) {
            scrollBy(StepPageForward);
            notifyScroll();
        }
        return;
    }
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButton1State |= UISTATE_HOT;
            m_uButton2State |= UISTATE_HOT;
            if (::PtInRect(&m_rcThumb, pt))
                m_uThumbState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButton1State &= ~UISTATE_HOT;
            m_uButton2State &= ~UISTATE_HOT;
            m_uThumbState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_CONTEXTMENU:
    case UIEVENT_KILLFOCUS:
    case UIEVENT_SETFOCUS:
        return;
    default:
        passOn();
        return;
    }
}

void CScrollBarUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    for (const ImageAttribute& attr : kImageAttributes) {
        if (wcscmp(pstrName, attr.name) == 0) {
            SetPartImage(attr.part, attr.state, pstrValue);
            return;
        }
    }
    if (wcscmp(pstrName, u"hor") == 0)
        SetHorizontal(UIIsTrue(pstrValue));
    else if (wcscmp(pstrName, u"linesize") == 0)
        SetLineSize(_wtoi(pstrValue));
    else if (wcscmp(pstrName, u"range") == 0)
        SetScrollRange(_wtoi(pstrValue));
    else if (wcscmp(pstrName, u"value") == 0)
        SetScrollPos(_wtoi(pstrValue));
    else if (wcscmp(pstrName, u"showbutton1") == 0)
        SetShowButton1(UIIsTrue(pstrValue));
    else if (wcscmp(pstrName, u"showbutton2") == 0)
        SetShowButton2(UIIsTrue(pstrValue));
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

void CScrollBarUI::paintPart(HDC hDC, Part part, const RECT& rcPart, UINT uState, bool bFrame)
{
    const char16_t* pModify = nullptr;
    if (part != PartBackground) {
        m_sImageModify.Format(u"dest='%d,%d,%d,%d'", rcPart.left - m_rcItem.left, rcPart.top - m_rcItem.top,
                              rcPart.right - m_rcItem.left, rcPart.bottom - m_rcItem.top);
        pModify = m_sImageModify;
    }
    auto tryDraw = [&](ImageState state) {
        CUIString& image = m_sImages[part][state];
        if (image.IsEmpty())
            return false;
        if (DrawImage(hDC, image, pModify))
            return true;
        image.Empty();
        return false;
    };
    if ((uState & UISTATE_DISABLED) != 0) {
        if (tryDraw(ImageDisabled))
            return;
    } else if ((uState & UISTATE_PUSHED) != 0) {
        if (tryDraw(ImagePushed))
            return;
    } else if ((uState & UISTATE_HOT) != 0) {
        if (tryDraw(ImageHot))
            return;
    }
    if (tryDraw(ImageNormal))
        return;
    if (bFrame)
        CUIRenderEngine::DrawRect(hDC, rcPart, 2, kMissingImageFrame);
}

void CScrollBarUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    auto withDisabled = [this](UINT& state) {
        if (IsEnabled())
            state &= ~UISTATE_DISABLED;
        else
            state |= UISTATE_DISABLED;
        return state;
    };
    paintPart(hDC, PartBackground, m_rcItem, withDisabled(m_uThumbState), false);
    if (m_bShowButton1)
        paintPart(hDC, PartButton1, m_rcButton1, withDisabled(m_uButton1State), true);
    if (m_bShowButton2)
        paintPart(hDC, PartButton2, m_rcButton2, withDisabled(m_uButton2State), true);
    if (m_rcThumb.left == 0 && m_rcThumb.top == 0 && m_rcThumb.right == 0 && m_rcThumb.bottom == 0)
        return;
    paintPart(hDC, PartThumb, m_rcThumb, withDisabled(m_uThumbState), true);
    const int t = thickness();
    RECT rcRail = m_rcThumb;
    if (m_bHorizontal) {
        rcRail.left = (m_rcThumb.left + m_rcThumb.right) / 2 - t / 2;
        rcRail.right = rcRail.left + t;
    } else {
        rcRail.top = (m_rcThumb.top + m_rcThumb.bottom) / 2 - t / 2;
        rcRail.bottom = rcRail.top + t;
    }
    paintPart(hDC, PartRail, rcRail, m_uThumbState, false);
}
