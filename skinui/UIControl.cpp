#include "skinui/UIControl.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIRender.h"

#include <cstring>

namespace {

// The background colours also skip blanks and control characters before "#".
DWORD parseBkColour(const char16_t* s)
{
    while (*s > u'\0' && *s <= u' ')
        ++s;
    return UIParseColour(s);
}

} // namespace

CControlUI::CControlUI()
    : m_pManager(nullptr), m_pParent(nullptr), m_bUpdateNeeded(true), m_bMenuUsed(false), m_bVisible(true),
      m_bInternVisible(true), m_bEnabled(true), m_bMouseEnabled(true), m_bKeyboardEnabled(true), m_bFocused(false),
      m_bFloat(false), m_bSetPos(false), m_chShortcut(0), m_pTag(0), m_dwBackColor(0), m_dwBackColor2(0),
      m_dwBackColor3(0), m_dwBorderColor(0), m_dwFocusBorderColor(0), m_bColorHSL(false), m_nBorderSize(0),
      m_nBorderStyle(PS_SOLID), m_nTooltipWidth(300)
{
    m_cXY.cx = m_cXY.cy = 0;
    m_cxyFixed.cx = m_cxyFixed.cy = 0;
    m_cxyMin.cx = m_cxyMin.cy = 0;
    m_cxyMax.cx = m_cxyMax.cy = 9999;
    m_cxyBorderRound.cx = m_cxyBorderRound.cy = 0;
    std::memset(&m_rcPadding, 0, sizeof m_rcPadding);
    std::memset(&m_rcItem, 0, sizeof m_rcItem);
    std::memset(&m_rcPaint, 0, sizeof m_rcPaint);
    std::memset(&m_rcBordersize, 0, sizeof m_rcBordersize);
    std::memset(&m_tRelativePos, 0, sizeof m_tRelativePos);
}

CControlUI::~CControlUI()
{
    if (OnDestroy.HasHandlers())
        OnDestroy(this);
    if (m_pManager)
        m_pManager->ForgetControl(this);
}

CUIString CControlUI::GetName() const { return m_sName; }
void CControlUI::SetName(const char16_t* pstrName) { m_sName = pstrName; }
const char16_t* CControlUI::GetClass() const { return u"ControlUI"; }

void* CControlUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"Control") == 0)
        return this;
    return nullptr;
}

UINT CControlUI::GetInputFlags() const { return 0; }

bool CControlUI::Activate()
{
    return IsVisible() && IsEnabled();
}

CUIWindowManager* CControlUI::GetManager() const { return m_pManager; }

void CControlUI::SetManager(CUIWindowManager* pManager, CControlUI* pParent, bool bInit)
{
    m_pManager = pManager;
    m_pParent = pParent;
    if (bInit && m_pParent)
        Init();
}

CControlUI* CControlUI::GetParent() const { return m_pParent; }
CUIString CControlUI::GetText() const { return m_sText; }

void CControlUI::SetText(const char16_t* pstrText)
{
    if (m_sText == pstrText)
        return;
    m_sText = pstrText;
    Invalidate();
}

const RECT& CControlUI::GetPos() const { return m_rcItem; }

void CControlUI::SetPos(RECT rc)
{
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    CUIRect invalidateRc = m_rcItem;
    if (::IsRectEmpty(&invalidateRc))
        invalidateRc = rc;
    m_rcItem = rc;
    if (!m_pManager)
        return;
    if (!m_bSetPos) {
        m_bSetPos = true;
        if (OnSize.HasHandlers())
            OnSize(this);
        m_bSetPos = false;
    }
    if (m_bFloat && m_pParent) {
        const RECT rcParentPos = m_pParent->GetPos();
        if (m_cXY.cx >= 0)
            m_cXY.cx = m_rcItem.left - rcParentPos.left;
        else
            m_cXY.cx = m_rcItem.right - rcParentPos.right;
        if (m_cXY.cy >= 0)
            m_cXY.cy = m_rcItem.top - rcParentPos.top;
        else
            m_cXY.cy = m_rcItem.bottom - rcParentPos.bottom;
        m_cxyFixed.cx = m_rcItem.right - m_rcItem.left;
        m_cxyFixed.cy = m_rcItem.bottom - m_rcItem.top;
    }
    m_bUpdateNeeded = false;
    invalidateRc.Join(m_rcItem);
    for (CControlUI* pParent = m_pParent; pParent; pParent = pParent->GetParent()) {
        RECT rcTemp = invalidateRc;
        const RECT rcParent = pParent->GetPos();
        if (!::IntersectRect(&invalidateRc, &rcTemp, &rcParent))
            return;
    }
    m_pManager->Invalidate(invalidateRc);
}

int CControlUI::GetWidth() const { return m_rcItem.right - m_rcItem.left; }
int CControlUI::GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
int CControlUI::GetX() const { return m_rcItem.left; }
int CControlUI::GetY() const { return m_rcItem.top; }
RECT CControlUI::GetPadding() const { return m_rcPadding; }

void CControlUI::SetPadding(RECT rcPadding)
{
    m_rcPadding = rcPadding;
    RequestParentLayout();
}

SIZE CControlUI::GetFixedXY() const { return m_cXY; }

void CControlUI::SetFixedXY(SIZE szXY)
{
    m_cXY.cx = szXY.cx;
    m_cXY.cy = szXY.cy;
    if (!m_bFloat)
        RequestParentLayout();
    else
        RequestLayout();
}

int CControlUI::GetFixedWidth() const { return m_cxyFixed.cx; }

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0)
        return;
    m_cxyFixed.cx = cx;
    if (!m_bFloat)
        RequestParentLayout();
    else
        RequestLayout();
}

int CControlUI::GetFixedHeight() const { return m_cxyFixed.cy; }

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0)
        return;
    m_cxyFixed.cy = cy;
    if (!m_bFloat)
        RequestParentLayout();
    else
        RequestLayout();
}

int CControlUI::GetMinWidth() const { return m_cxyMin.cx; }

void CControlUI::SetMinWidth(int cx)
{
    if (m_cxyMin.cx == cx || cx < 0)
        return;
    m_cxyMin.cx = cx;
    if (!m_bFloat)
        RequestParentLayout();
    else
        RequestLayout();
}

int CControlUI::GetMaxWidth() const { return m_cxyMax.cx; }

void CControlUI::SetMaxWidth(int cx)
{
    if (m_cxyMax.cx == cx || cx < 0)
        return;
    m_cxyMax.cx = cx;
    if (!m_bFloat)
        RequestParentLayout();
    else
        RequestLayout();
}

int CControlUI::GetMinHeight() const { return m_cxyMin.cy; }

void CControlUI::SetMinHeight(int cy)
{
    if (m_cxyMin.cy == cy || cy < 0)
        return;
    m_cxyMin.cy = cy;
    if (!m_bFloat)
        RequestParentLayout();
    else
        RequestLayout();
}

int CControlUI::GetMaxHeight() const { return m_cxyMax.cy; }

void CControlUI::SetMaxHeight(int cy)
{
    if (m_cxyMax.cy == cy || cy < 0)
        return;
    m_cxyMax.cy = cy;
    if (!m_bFloat)
        RequestParentLayout();
    else
        RequestLayout();
}

void CControlUI::SetRelativePos(int moveX, int moveY, int zoomX, int zoomY)
{
    m_tRelativePos.bRelative = true;
    m_tRelativePos.nMoveXPercent = moveX;
    m_tRelativePos.nMoveYPercent = moveY;
    m_tRelativePos.nZoomXPercent = zoomX;
    m_tRelativePos.nZoomYPercent = zoomY;
}

void CControlUI::SetRelativeParentSize(SIZE sz)
{
    m_tRelativePos.szParent = sz;
}

TRelativePosUI CControlUI::GetRelativePos() const { return m_tRelativePos; }
bool CControlUI::IsRelativePos() const { return m_tRelativePos.bRelative; }
CUIString CControlUI::GetToolTip() const { return m_sToolTip; }

void CControlUI::SetToolTip(const char16_t* pstrText)
{
    CUIString strTemp(pstrText);
    strTemp.Replace(u"<n>", u"\r\n");
    m_sToolTip = strTemp;
}

void CControlUI::SetToolTipWidth(int nWidth) { m_nTooltipWidth = nWidth; }
int CControlUI::GetToolTipWidth() const { return m_nTooltipWidth; }
char16_t CControlUI::GetShortcut() const { return m_chShortcut; }
void CControlUI::SetShortcut(char16_t ch) { m_chShortcut = ch; }
bool CControlUI::IsContextMenuUsed() const { return m_bMenuUsed; }
void CControlUI::SetContextMenuUsed(bool bMenuUsed) { m_bMenuUsed = bMenuUsed; }
const CUIString& CControlUI::GetUserData() { return m_sUserData; }
void CControlUI::SetUserData(const char16_t* pstrText) { m_sUserData = pstrText; }
UINT_PTR CControlUI::GetTag() const { return m_pTag; }
void CControlUI::SetTag(UINT_PTR pTag) { m_pTag = pTag; }
bool CControlUI::IsVisible() const { return m_bVisible && m_bInternVisible; }

void CControlUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible)
        return;
    const bool v = IsVisible();
    m_bVisible = bVisible;
    if (m_bFocused)
        m_bFocused = false;
    if (!bVisible && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
    if (IsVisible() != v)
        RequestParentLayout();
}

void CControlUI::SetInheritedVisible(bool bVisible)
{
    m_bInternVisible = bVisible;
    if (!bVisible && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const { return m_bEnabled; }

void CControlUI::SetEnabled(bool bEnabled)
{
    if (m_bEnabled == bEnabled)
        return;
    m_bEnabled = bEnabled;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const { return m_bMouseEnabled; }
void CControlUI::SetMouseEnabled(bool bEnabled) { m_bMouseEnabled = bEnabled; }
bool CControlUI::IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
void CControlUI::SetKeyboardEnabled(bool bEnabled) { m_bKeyboardEnabled = bEnabled; }
bool CControlUI::IsFocused() const { return m_bFocused; }

void CControlUI::SetFocus()
{
    if (m_pManager)
        m_pManager->SetFocus(this);
}

bool CControlUI::IsFloat() const { return m_bFloat; }

void CControlUI::SetFloat(bool bFloat)
{
    if (m_bFloat == bFloat)
        return;
    m_bFloat = bFloat;
    RequestParentLayout();
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC Proc, void* pData, UINT uFlags)
{
    if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible())
        return nullptr;
    if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled())
        return nullptr;
    if ((uFlags & UIFIND_HITTEST) != 0 &&
        (!m_bMouseEnabled || !::PtInRect(&m_rcItem, *static_cast<LPPOINT>(pData))))
        return nullptr;
    return Proc(this, pData);
}

void CControlUI::Invalidate()
{
    if (!IsVisible())
        return;
    RECT invalidateRc = m_rcItem;
    for (CControlUI* pParent = GetParent(); pParent; pParent = pParent->GetParent()) {
        RECT rcTemp = invalidateRc;
        const RECT rcParent = pParent->GetPos();
        if (!::IntersectRect(&invalidateRc, &rcTemp, &rcParent))
            return;
    }
    if (m_pManager)
        m_pManager->Invalidate(invalidateRc);
}

bool CControlUI::IsLayoutRequested() const { return m_bUpdateNeeded; }

void CControlUI::RequestLayout()
{
    if (!IsVisible())
        return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager)
        m_pManager->RequestLayout();
}

void CControlUI::RequestParentLayout()
{
    if (GetParent()) {
        GetParent()->RequestLayout();
        GetParent()->Invalidate();
    } else {
        RequestLayout();
    }
    if (m_pManager)
        m_pManager->RequestLayout();
}

DWORD CControlUI::HslAdjustedColor(DWORD dwColor)
{
    if (!m_bColorHSL)
        return dwColor;
    short H, S, L;
    CUIWindowManager::GetHSL(&H, &S, &L);
    return CUIRenderEngine::AdjustColor(dwColor, H, S, L);
}

void CControlUI::Init()
{
    OnAttached();
    if (OnInit.HasHandlers())
        OnInit(this);
}

void CControlUI::OnAttached() {}

void CControlUI::Event(UIEventRecord& event)
{
    if (OnEvent(&event))
        HandleEvent(event);
}

void CControlUI::HandleEvent(UIEventRecord& event)
{
    if (event.Type == UIEVENT_SETCURSOR) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        return;
    }
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        Invalidate();
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        Invalidate();
        return;
    }
    if (event.Type == UIEVENT_TIMER) {
        if (m_pManager)
            m_pManager->SendNotify(this, u"timer", event.wParam, event.lParam);
        return;
    }
    if (event.Type == UIEVENT_CONTEXTMENU) {
        if (IsContextMenuUsed()) {
            if (m_pManager)
                m_pManager->SendNotify(this, u"menu", event.wParam, event.lParam);
            return;
        }
    }
    if (m_pParent)
        m_pParent->HandleEvent(event);
}

CUIString CControlUI::GetVirtualWindow() const
{
    if (!m_sVirtualWnd.IsEmpty())
        return m_sVirtualWnd;
    if (m_pParent)
        return m_pParent->GetVirtualWindow();
    return CUIString();
}

void CControlUI::SetVirtualWindow(const char16_t* pstrValue)
{
    m_sVirtualWnd = pstrValue;
    if (m_pManager)
        m_pManager->EnableVirtualWindows(true);
}

void CControlUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    if (wcscmp(pstrName, u"pos") == 0) {
        LONG v[4];
        UIParseInts(pstrValue, v, 4);
        SIZE szXY = {v[0] >= 0 ? v[0] : v[2], v[1] >= 0 ? v[1] : v[3]};
        SetFixedXY(szXY);
        SetFixedWidth(static_cast<int>(v[2] - v[0]));
        SetFixedHeight(static_cast<int>(v[3] - v[1]));
    } else if (wcscmp(pstrName, u"relativepos") == 0) {
        LONG v[4];
        UIParseInts(pstrValue, v, 4);
        SetRelativePos(static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3]));
    } else if (wcscmp(pstrName, u"padding") == 0) {
        LONG v[4];
        UIParseInts(pstrValue, v, 4);
        RECT rcPadding = {v[0], v[1], v[2], v[3]};
        SetPadding(rcPadding);
    } else if (wcscmp(pstrName, u"bkcolor") == 0 || wcscmp(pstrName, u"bkcolor1") == 0) {
        SetBkColor(parseBkColour(pstrValue));
    } else if (wcscmp(pstrName, u"bkcolor2") == 0) {
        SetBkColor2(parseBkColour(pstrValue));
    } else if (wcscmp(pstrName, u"bkcolor3") == 0) {
        SetBkColor3(parseBkColour(pstrValue));
    } else if (wcscmp(pstrName, u"bordercolor") == 0) {
        SetBorderColor(UIParseColour(pstrValue));
    } else if (wcscmp(pstrName, u"focusbordercolor") == 0) {
        SetFocusBorderColor(UIParseColour(pstrValue));
    } else if (wcscmp(pstrName, u"colorhsl") == 0) {
        SetColorHSL(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"bordersize") == 0) {
        if (!wcschr(pstrValue, u',')) {
            SetBorderSize(_wtoi(pstrValue));
            SetBorderSides(0, 0, 0, 0);
        } else {
            LONG v[4];
            UIParseInts(pstrValue, v, 4);
            SetBorderSides(static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
                           static_cast<int>(v[3]));
        }
    } else if (wcscmp(pstrName, u"leftbordersize") == 0) {
        SetLeftBorderSize(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"topbordersize") == 0) {
        SetTopBorderSize(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"rightbordersize") == 0) {
        SetRightBorderSize(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"bottombordersize") == 0) {
        SetBottomBorderSize(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"borderstyle") == 0) {
        SetBorderStyle(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"borderround") == 0) {
        LONG v[2];
        UIParseInts(pstrValue, v, 2);
        SIZE cxyRound = {v[0], v[1]};
        SetBorderRound(cxyRound);
    } else if (wcscmp(pstrName, u"bkimage") == 0) {
        SetBkImage(pstrValue);
    } else if (wcscmp(pstrName, u"width") == 0) {
        SetFixedWidth(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"height") == 0) {
        SetFixedHeight(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"minwidth") == 0) {
        SetMinWidth(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"minheight") == 0) {
        SetMinHeight(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"maxwidth") == 0) {
        SetMaxWidth(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"maxheight") == 0) {
        SetMaxHeight(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"name") == 0) {
        SetName(pstrValue);
    } else if (wcscmp(pstrName, u"text") == 0) {
        SetText(pstrValue);
    } else if (wcscmp(pstrName, u"tooltip") == 0) {
        SetToolTip(pstrValue);
    } else if (wcscmp(pstrName, u"userdata") == 0) {
        SetUserData(pstrValue);
    } else if (wcscmp(pstrName, u"enabled") == 0) {
        SetEnabled(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"mouse") == 0) {
        SetMouseEnabled(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"keyboard") == 0) {
        SetKeyboardEnabled(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"visible") == 0) {
        SetVisible(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"float") == 0) {
        SetFloat(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"shortcut") == 0) {
        SetShortcut(pstrValue[0]);
    } else if (wcscmp(pstrName, u"menu") == 0) {
        SetContextMenuUsed(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"virtualwnd") == 0) {
        SetVirtualWindow(pstrValue);
    }
}

void CControlUI::ApplyAttributeText(const char16_t* pstrList)
{
    if (!pstrList)
        return;
    CUIString sItem;
    CUIString sValue;
    while (*pstrList != 0) {
        sItem.Empty();
        sValue.Empty();
        while (*pstrList != 0 && *pstrList != u'=') {
            const char16_t* pstrTemp = ::CharNextW(pstrList);
            while (pstrList < pstrTemp)
                sItem += *pstrList++;
        }
        if (*pstrList++ != u'=')
            return;
        if (*pstrList++ != u'\"')
            return;
        while (*pstrList != 0 && *pstrList != u'\"') {
            const char16_t* pstrTemp = ::CharNextW(pstrList);
            while (pstrList < pstrTemp)
                sValue += *pstrList++;
        }
        if (*pstrList++ != u'\"')
            return;
        SetAttribute(sItem, sValue);
        if (*pstrList++ != u' ')
            return;
    }
}

SIZE CControlUI::PreferredSize(SIZE)
{
    return m_cxyFixed;
}

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0) {
        CUIRenderClip roundClip;
        CUIRenderClip::GenerateRoundClip(hDC, m_rcPaint, m_rcItem, m_cxyBorderRound.cx, m_cxyBorderRound.cy,
                                         roundClip);
        PaintBackColor(hDC);
        PaintBackImage(hDC);
        PaintStateImage(hDC);
        PaintText(hDC);
        PaintBorder(hDC);
    } else {
        PaintBackColor(hDC);
        PaintBackImage(hDC);
        PaintStateImage(hDC);
        PaintText(hDC);
        PaintBorder(hDC);
    }
}

void CControlUI::PaintBackColor(HDC hDC)
{
    if (m_dwBackColor == 0)
        return;
    if (m_dwBackColor2 != 0) {
        if (m_dwBackColor3 != 0) {
            RECT rc = m_rcItem;
            rc.bottom = (rc.bottom + rc.top) / 2;
            CUIRenderEngine::DrawGradient(hDC, rc, HslAdjustedColor(m_dwBackColor), HslAdjustedColor(m_dwBackColor2),
                                          true, 8);
            rc.top = rc.bottom;
            rc.bottom = m_rcItem.bottom;
            CUIRenderEngine::DrawGradient(hDC, rc, HslAdjustedColor(m_dwBackColor2),
                                          HslAdjustedColor(m_dwBackColor3), true, 8);
        } else {
            CUIRenderEngine::DrawGradient(hDC, m_rcItem, HslAdjustedColor(m_dwBackColor),
                                          HslAdjustedColor(m_dwBackColor2), true, 16);
        }
    } else if (m_dwBackColor >= 0xFF000000) {
        CUIRenderEngine::DrawColor(hDC, m_rcPaint, HslAdjustedColor(m_dwBackColor));
    } else {
        CUIRenderEngine::DrawColor(hDC, m_rcItem, HslAdjustedColor(m_dwBackColor));
    }
}

void CControlUI::PaintBackImage(HDC hDC)
{
    if (m_sBkImage.IsEmpty())
        return;
    if (!DrawImage(hDC, m_sBkImage))
        m_sBkImage.Empty();
}

void CControlUI::PaintStateImage(HDC) {}
void CControlUI::PaintText(HDC) {}

void CControlUI::PaintBorder(HDC hDC)
{
    if (m_dwBorderColor == 0 && m_dwFocusBorderColor == 0)
        return;
    if (m_nBorderSize > 0 && (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)) {
        const DWORD colour = (IsFocused() && m_dwFocusBorderColor != 0) ? m_dwFocusBorderColor : m_dwBorderColor;
        CUIRenderEngine::DrawRoundRect(hDC, m_rcItem, m_cxyBorderRound.cx, m_cxyBorderRound.cy, m_nBorderSize,
                                       HslAdjustedColor(colour));
        return;
    }
    if (IsFocused() && m_dwFocusBorderColor != 0 && m_nBorderSize > 0) {
        CUIRenderEngine::DrawRect(hDC, m_rcItem, m_nBorderSize, HslAdjustedColor(m_dwFocusBorderColor));
        return;
    }
    if (m_rcBordersize.left > 0 || m_rcBordersize.top > 0 || m_rcBordersize.right > 0 || m_rcBordersize.bottom > 0) {
        const DWORD colour = HslAdjustedColor(m_dwBorderColor);
        if (m_rcBordersize.left > 0) {
            RECT rc = {m_rcItem.left, m_rcItem.top, m_rcItem.left, m_rcItem.bottom};
            CUIRenderEngine::DrawLine(hDC, rc, m_rcBordersize.left, colour, m_nBorderStyle);
        }
        if (m_rcBordersize.top > 0) {
            RECT rc = {m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.top};
            CUIRenderEngine::DrawLine(hDC, rc, m_rcBordersize.top, colour, m_nBorderStyle);
        }
        if (m_rcBordersize.right > 0) {
            RECT rc = {m_rcItem.right, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
            CUIRenderEngine::DrawLine(hDC, rc, m_rcBordersize.right, colour, m_nBorderStyle);
        }
        if (m_rcBordersize.bottom > 0) {
            RECT rc = {m_rcItem.left, m_rcItem.bottom, m_rcItem.right, m_rcItem.bottom};
            CUIRenderEngine::DrawLine(hDC, rc, m_rcBordersize.bottom, colour, m_nBorderStyle);
        }
        return;
    }
    if (m_nBorderSize > 0)
        CUIRenderEngine::DrawRect(hDC, m_rcItem, m_nBorderSize, HslAdjustedColor(m_dwBorderColor));
}

void CControlUI::PaintOverlay(HDC, const RECT&) {}

bool CControlUI::DrawImage(HDC hDC, const char16_t* pStrImage, const char16_t* pStrModify)
{
    return CUIRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcPaint, pStrImage, pStrModify);
}

bool CControlUI::DrawOrForget(HDC hDC, CUIString& sImage, const char16_t* pStrModify)
{
    if (sImage.IsEmpty())
        return false;
    if (DrawImage(hDC, sImage, pStrModify))
        return true;
    sImage.Empty();
    return false;
}

DWORD CControlUI::GetBkColor() const { return m_dwBackColor; }

void CControlUI::SetBkColor(DWORD dwBackColor)
{
    if (m_dwBackColor == dwBackColor)
        return;
    m_dwBackColor = dwBackColor;
    Invalidate();
}

DWORD CControlUI::GetBkColor2() const { return m_dwBackColor2; }

void CControlUI::SetBkColor2(DWORD dwBackColor)
{
    if (m_dwBackColor2 == dwBackColor)
        return;
    m_dwBackColor2 = dwBackColor;
    Invalidate();
}

DWORD CControlUI::GetBkColor3() const { return m_dwBackColor3; }

void CControlUI::SetBkColor3(DWORD dwBackColor)
{
    if (m_dwBackColor3 == dwBackColor)
        return;
    m_dwBackColor3 = dwBackColor;
    Invalidate();
}

const char16_t* CControlUI::GetBkImage() { return m_sBkImage; }

void CControlUI::SetBkImage(const char16_t* pStrImage)
{
    if (m_sBkImage == pStrImage)
        return;
    m_sBkImage = pStrImage;
    Invalidate();
}

const char16_t* CControlUI::GetForeImage() const { return m_sForeImage; }

void CControlUI::SetForeImage(const char16_t* pStrImage)
{
    if (m_sForeImage == pStrImage)
        return;
    m_sForeImage = pStrImage;
    Invalidate();
}

DWORD CControlUI::GetBorderColor() const { return m_dwBorderColor; }

void CControlUI::SetBorderColor(DWORD dwBorderColor)
{
    if (m_dwBorderColor == dwBorderColor)
        return;
    m_dwBorderColor = dwBorderColor;
    Invalidate();
}

DWORD CControlUI::GetFocusBorderColor() const { return m_dwFocusBorderColor; }

void CControlUI::SetFocusBorderColor(DWORD dwBorderColor)
{
    if (m_dwFocusBorderColor == dwBorderColor)
        return;
    m_dwFocusBorderColor = dwBorderColor;
    Invalidate();
}

bool CControlUI::IsColorHSL() const { return m_bColorHSL; }

void CControlUI::SetColorHSL(bool bColorHSL)
{
    if (m_bColorHSL == bColorHSL)
        return;
    m_bColorHSL = bColorHSL;
    Invalidate();
}

int CControlUI::GetBorderSize() const { return m_nBorderSize; }

void CControlUI::SetBorderSize(int nSize)
{
    if (m_nBorderSize == nSize)
        return;
    m_nBorderSize = nSize;
    Invalidate();
}

void CControlUI::SetBorderSides(int left, int top, int right, int bottom)
{
    m_rcBordersize.left = left;
    m_rcBordersize.top = top;
    m_rcBordersize.right = right;
    m_rcBordersize.bottom = bottom;
    Invalidate();
}

void CControlUI::SetLeftBorderSize(int nSize)
{
    m_rcBordersize.left = nSize;
    Invalidate();
}

void CControlUI::SetTopBorderSize(int nSize)
{
    m_rcBordersize.top = nSize;
    Invalidate();
}

void CControlUI::SetRightBorderSize(int nSize)
{
    m_rcBordersize.right = nSize;
    Invalidate();
}

void CControlUI::SetBottomBorderSize(int nSize)
{
    m_rcBordersize.bottom = nSize;
    Invalidate();
}

void CControlUI::SetBorderStyle(int nStyle)
{
    m_nBorderStyle = nStyle;
    Invalidate();
}

SIZE CControlUI::GetBorderRound() const { return m_cxyBorderRound; }

void CControlUI::SetBorderRound(SIZE cxyRound)
{
    m_cxyBorderRound = cxyRound;
    Invalidate();
}
