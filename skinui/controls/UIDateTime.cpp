#include "skinui/controls/UIDateTime.h"

#include "skinui/UIStateBits.h"
#include "skinui/controls/UIDateTimeWnd.h"

CDateTimeUI::CDateTimeUI() : m_nDTUpdateFlag(UIDT_NONE), m_bReserved(0), m_pWindow(nullptr)
{
    ::GetLocalTime(&m_sysTime);
    // A new control shows today's date.
    m_nDTUpdateFlag = UIDT_UPDATE;
    UpdateText();
    m_nDTUpdateFlag = UIDT_NONE;
}

CDateTimeUI::~CDateTimeUI()
{
    if (m_pWindow)
        m_pWindow->OwnerGone();
}

const char16_t* CDateTimeUI::GetClass() const { return u"DateTimeUI"; }

void* CDateTimeUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"DateTime") == 0)
        return static_cast<CDateTimeUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

SYSTEMTIME& CDateTimeUI::GetTime() { return m_sysTime; }

void CDateTimeUI::SetTime(const SYSTEMTIME* pst)
{
    if (!pst)
        return;
    m_sysTime = *pst;
    Invalidate();
}

int CDateTimeUI::GetUpdateState() const { return m_nDTUpdateFlag; }
CDateTimeWnd* CDateTimeUI::GetPicker() const { return m_pWindow; }

void CDateTimeUI::UpdateText()
{
    if (m_nDTUpdateFlag == UIDT_DELETE) {
        SetText(u"");
    } else if (m_nDTUpdateFlag == UIDT_UPDATE) {
        CUIString sText;
        sText.Format(u"%4d-%02d-%02d", static_cast<int>(m_sysTime.wYear), static_cast<int>(m_sysTime.wMonth),
                     static_cast<int>(m_sysTime.wDay));
        SetText(sText);
    }
}

void CDateTimeUI::HandleEvent(UIEventRecord& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.Type)) {
        if (m_pParent)
            m_pParent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (IsEnabled()) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
            return;
        }
        break;
    case UIEVENT_WINDOWSIZE:
        if (m_pWindow && m_pManager)
            m_pManager->RequestFocus(this);
        break;
    case UIEVENT_SCROLLWHEEL:
        if (m_pWindow)
            return;
        break;
    case UIEVENT_SETFOCUS:
        if (IsEnabled() && !m_pWindow) {
            m_pWindow = new CDateTimeWnd;
            m_pWindow->Init(this);
        }
        break;
    case UIEVENT_KILLFOCUS:
        if (IsEnabled())
            Invalidate();
        break;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_MOUSELEAVE:
    case UIEVENT_MOUSEENTER:
    case UIEVENT_BUTTONUP:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled()) {
            if (m_pManager)
                m_pManager->ReleaseCapture();
            if (IsFocused() && !m_pWindow) {
                m_pWindow = new CDateTimeWnd;
                m_pWindow->Init(this);
            } else if (m_pWindow) {
                m_pWindow->Init(this);
            }
        }
        return;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}
