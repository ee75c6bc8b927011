#include "skinui/controls/UIRichEdit.h"

#include "skinui/UIAttrParse.h"
#include "skinui/UIStateBits.h"
#include "skinui/UIWindowWnd.h"

namespace {

// The colour also skips blanks before "#", as the background colours do.
DWORD parseTextColour(const char16_t* s)
{
    while (*s > u'\0' && *s <= u' ')
        ++s;
    return UIParseColour(s);
}

} // namespace

CRichEditUI::CRichEditUI()
    : m_bWantTab(true), m_bWantReturn(true), m_bWantCtrlReturn(true), m_bRich(true), m_bReadOnly(false),
      m_dwTextColor(0), m_iFont(-1), m_iLimitText(32767), m_lTwhStyle(StyleMultiLine), m_bFilterRegistered(false)
{
}

CRichEditUI::~CRichEditUI()
{
    if (m_bFilterRegistered && m_pManager)
        m_pManager->RemoveMessageFilter(this);
}

const char16_t* CRichEditUI::GetClass() const { return u"RichEditUI"; }

void* CRichEditUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"RichEdit") == 0)
        return static_cast<CRichEditUI*>(this);
    // The window manager asks a focused rich edit whether it takes Tab.
    if (wcscmp(pstrName, u"WantTab") == 0)
        return m_bWantTab ? static_cast<CRichEditUI*>(this) : nullptr;
    return CContainerUI::GetInterface(pstrName);
}

UINT CRichEditUI::GetInputFlags() const
{
    return IsEnabled() ? UIFLAG_TABSTOP | UIFLAG_SETCURSOR : 0;
}

bool CRichEditUI::HasTextHost() const { return false; }

void CRichEditUI::OnAttached()
{
    // The text engine would come from the platform's rich-text library;
    // without it the control stays without a host, as after a failed creation.
    UITrace(u"CRichEditUI: no windowless rich-text services on this platform; '%s' shows its text unedited",
            m_sName.GetData());
}

HRESULT CRichEditUI::TxSendMessage(UINT, WPARAM, LPARAM, LRESULT* plresult) const
{
    if (plresult)
        *plresult = 0;
    return 1;
}

bool CRichEditUI::OnTxViewChanged() { return true; }
void CRichEditUI::OnTxNotify(DWORD, void*) {}

bool CRichEditUI::IsWantTab() const { return m_bWantTab; }
void CRichEditUI::SetWantTab(bool bWantTab) { m_bWantTab = bWantTab; }
bool CRichEditUI::IsWantReturn() const { return m_bWantReturn; }
void CRichEditUI::SetWantReturn(bool bWantReturn) { m_bWantReturn = bWantReturn; }
bool CRichEditUI::IsWantCtrlReturn() const { return m_bWantCtrlReturn; }
void CRichEditUI::SetWantCtrlReturn(bool bWantCtrlReturn) { m_bWantCtrlReturn = bWantCtrlReturn; }
bool CRichEditUI::IsRich() const { return m_bRich; }
void CRichEditUI::SetRich(bool bRich) { m_bRich = bRich; }
bool CRichEditUI::IsReadOnly() const { return m_bReadOnly; }
int CRichEditUI::GetFont() const { return m_iFont; }
void CRichEditUI::SetFont(int index) { m_iFont = index; }
DWORD CRichEditUI::GetTextColor() const { return m_dwTextColor; }
void CRichEditUI::SetTextColor(DWORD dwTextColor) { m_dwTextColor = dwTextColor; }
int CRichEditUI::GetLimitText() const { return m_iLimitText; }
LONG CRichEditUI::GetWinStyle() const { return m_lTwhStyle; }

void CRichEditUI::SetAttribute(const char16_t* pstrName, const char16_t* pstrValue)
{
    // The scroll bar names change the host style and go on to the container.
    if (wcscmp(pstrName, u"vscrollbar") == 0) {
        if (UIIsTrue(pstrValue))
            m_lTwhStyle |= StyleDisableNoScroll | StyleVScroll;
    }
    if (wcscmp(pstrName, u"autovscroll") == 0) {
        if (UIIsTrue(pstrValue))
            m_lTwhStyle |= StyleAutoVScroll;
    } else if (wcscmp(pstrName, u"hscrollbar") == 0) {
        if (UIIsTrue(pstrValue))
            m_lTwhStyle |= StyleDisableNoScroll | StyleHScroll;
    }
    if (wcscmp(pstrName, u"autohscroll") == 0) {
        if (UIIsTrue(pstrValue))
            m_lTwhStyle |= StyleAutoHScroll;
    } else if (wcscmp(pstrName, u"wanttab") == 0) {
        SetWantTab(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"wantreturn") == 0) {
        SetWantReturn(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"wantctrlreturn") == 0) {
        SetWantCtrlReturn(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"rich") == 0) {
        SetRich(UIIsTrue(pstrValue));
    } else if (wcscmp(pstrName, u"multiline") == 0) {
        if (wcscmp(pstrValue, u"false") == 0)
            m_lTwhStyle &= ~StyleMultiLine;
    } else if (wcscmp(pstrName, u"readonly") == 0) {
        if (UIIsTrue(pstrValue)) {
            m_lTwhStyle |= StyleReadOnly;
            m_bReadOnly = true;
        }
    } else if (wcscmp(pstrName, u"numberonly") == 0) {
        if (UIIsTrue(pstrValue))
            m_lTwhStyle |= StyleNumber;
    } else if (wcscmp(pstrName, u"password") == 0) {
        if (UIIsTrue(pstrValue))
            m_lTwhStyle |= StylePassword;
    } else if (wcscmp(pstrName, u"align") == 0) {
        if (wcsstr(pstrValue, u"left"))
            m_lTwhStyle &= ~(StyleCenter | StyleRight);
        if (wcsstr(pstrValue, u"center")) {
            m_lTwhStyle &= ~(StyleCenter | StyleRight);
            m_lTwhStyle |= StyleCenter;
        }
        if (wcsstr(pstrValue, u"right")) {
            m_lTwhStyle &= ~(StyleCenter | StyleRight);
            m_lTwhStyle |= StyleRight;
        }
    } else if (wcscmp(pstrName, u"font") == 0) {
        SetFont(_wtoi(pstrValue));
    } else if (wcscmp(pstrName, u"textcolor") == 0) {
        SetTextColor(parseTextColour(pstrValue));
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

void CRichEditUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pParent)
            m_pParent->HandleEvent(event);
        else
            CContainerUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        return;
    case UIEVENT_TIMER:
        return;
    case UIEVENT_SCROLLWHEEL:
        if ((event.wKeyState & UISTATE_CONTROL) != 0)
            return;
        break;
    case UIEVENT_KEYDOWN:
    case UIEVENT_KEYUP:
    case UIEVENT_CHAR:
    case UIEVENT_SYSKEY:
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_MOUSELEAVE:
    case UIEVENT_MOUSEENTER:
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_BUTTONUP:
    case UIEVENT_DBLCLICK:
        return;
    default:
        break;
    }
    CContainerUI::HandleEvent(event);
}

void CRichEditUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    // Without a text engine there is nothing to draw over the container's
    // own background, border, children and scroll bars.
    CContainerUI::DoPaint(hDC, rcPaint);
}

LRESULT CRichEditUI::MessageHandler(UINT, WPARAM, LPARAM, bool&)
{
    return 0;
}
