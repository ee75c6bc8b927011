#include "skinui/WindowImplBase.h"

#include <cwctype>
#include <memory>
#include <vector>

namespace {

// Heap copies of skin zips taken from resources: they live until the program
// ends, as the kept-open archive reads them in place.
std::vector<std::unique_ptr<std::vector<uint8_t>>>& zipBuffers()
{
    static std::vector<std::unique_ptr<std::vector<uint8_t>>> buffers;
    return buffers;
}

} // namespace

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() = default;

const UINotifyMap* WindowImplBase::GetThisMessageMap()
{
    static const UINotifyMapEntry entries[] = {
        {CUIString(u"click"), CUIString(), UISig_vn, static_cast<UI_PMSG>(&WindowImplBase::clickDispatch)},
        {CUIString(), CUIString(), UISig_end, nullptr},
    };
    static const UINotifyMap map = {&CNotifyPump::GetThisMessageMap, entries};
    return &map;
}

const UINotifyMap* WindowImplBase::GetMessageMap() const
{
    return GetThisMessageMap();
}

void WindowImplBase::InitWindow() {}

void WindowImplBase::OnClick(UINotifyMsg&) {}

void WindowImplBase::Notify(UINotifyMsg& msg)
{
    DispatchNotify(msg);
}

void WindowImplBase::OnFinalMessage(HWND)
{
    m_PaintManager.RemovePreFilter(this);
    m_PaintManager.RemoveNotifier(this);
    m_PaintManager.ForgetControl(m_PaintManager.GetRoot());
}

CUIString WindowImplBase::GetSkinFolder()
{
    return CUIString(u".\\DlgRes");
}

UILIB_RESOURCETYPE WindowImplBase::GetSkinSource()
{
    return UILIB_ZIPRESOURCE;
}

CUIString WindowImplBase::GetSkinZipName()
{
    return CUIString(u"DlgRes.zip");
}

int WindowImplBase::GetSkinResourceId()
{
    return 100;
}

UINT WindowImplBase::GetClassStyle() const
{
    return CS_DBLCLKS;
}

CControlUI* WindowImplBase::CreateControl(const char16_t*)
{
    return nullptr;
}

LRESULT WindowImplBase::MessageHandler(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& bHandled)
{
    if (::IsIconic(*this))
        bHandled = false;
    return (wParam == 0) ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM lParam, bool&)
{
    if (!::IsZoomed(m_hWnd))
        return 0;
    auto* pParam = reinterpret_cast<LPNCCALCSIZE_PARAMS>(lParam);
    MONITORINFO oMonitor{};
    oMonitor.cbSize = sizeof(oMonitor);
    ::GetMonitorInfoW(::MonitorFromWindow(*this, MONITOR_DEFAULTTONEAREST), &oMonitor);
    CUIRect rcWork = oMonitor.rcWork;
    rcWork.Offset(-oMonitor.rcMonitor.left, -oMonitor.rcMonitor.top);
    if (pParam) {
        pParam->rgrc[0].right = pParam->rgrc[0].left + rcWork.GetWidth();
        pParam->rgrc[0].bottom = pParam->rgrc[0].top + rcWork.GetHeight();
    }
    return WVR_REDRAW;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool&)
{
    return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&)
{
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(*this, &pt);
    RECT rcClient{};
    ::GetClientRect(*this, &rcClient);
    if (!::IsZoomed(*this)) {
        const RECT rcSizeBox = m_PaintManager.GetSizeBox();
        if (pt.y < rcClient.top + rcSizeBox.top) {
            if (pt.x < rcClient.left + rcSizeBox.left)
                return HTTOPLEFT;
            if (pt.x > rcClient.right - rcSizeBox.right)
                return HTTOPRIGHT;
            return HTTOP;
        }
        if (pt.y > rcClient.bottom - rcSizeBox.bottom) {
            if (pt.x < rcClient.left + rcSizeBox.left)
                return HTBOTTOMLEFT;
            if (pt.x > rcClient.right - rcSizeBox.right)
                return HTBOTTOMRIGHT;
            return HTBOTTOM;
        }
        if (pt.x < rcClient.left + rcSizeBox.left)
            return HTLEFT;
        if (pt.x > rcClient.right - rcSizeBox.right)
            return HTRIGHT;
    }
    const RECT rcCaption = m_PaintManager.GetCaptionRect();
    if (pt.x >= rcClient.left + rcCaption.left && pt.x < rcClient.right - rcCaption.right && pt.y >= rcCaption.top &&
        pt.y < rcCaption.bottom) {
        CControlUI* pControl = m_PaintManager.FindControl(pt);
        if (pControl) {
            const CUIString cls(pControl->GetClass());
            if (cls.CompareNoCase(u"ButtonUI") != 0 && cls.CompareNoCase(u"OptionUI") != 0 &&
                cls.CompareNoCase(u"TextUI") != 0)
                return HTCAPTION;
        }
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& bHandled)
{
    MONITORINFO oMonitor{};
    oMonitor.cbSize = sizeof(oMonitor);
    ::GetMonitorInfoW(::MonitorFromWindow(*this, MONITOR_DEFAULTTONEAREST), &oMonitor);
    CUIRect rcWork = oMonitor.rcWork;
    rcWork.Offset(-oMonitor.rcMonitor.left, -oMonitor.rcMonitor.top);
    auto* lpMMI = reinterpret_cast<LPMINMAXINFO>(lParam);
    lpMMI->ptMaxPosition.x = rcWork.left;
    lpMMI->ptMaxPosition.y = rcWork.top;
    lpMMI->ptMaxSize.x = rcWork.GetWidth();
    lpMMI->ptMaxSize.y = rcWork.GetHeight();
    lpMMI->ptMinTrackSize.x = m_PaintManager.GetMinInfo().cx;
    lpMMI->ptMinTrackSize.y = m_PaintManager.GetMinInfo().cy;
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& bHandled)
{
    const SIZE szRoundCorner = m_PaintManager.GetRoundCorner();
    if (!::IsIconic(*this) && (szRoundCorner.cx != 0 || szRoundCorner.cy != 0)) {
        CUIRect rcWnd;
        ::GetWindowRect(*this, &rcWnd);
        rcWnd.Offset(-rcWnd.left, -rcWnd.top);
        rcWnd.right++;
        rcWnd.bottom++;
        HRGN hRgn = ::CreateRoundRectRgn(rcWnd.left, rcWnd.top, rcWnd.right, rcWnd.bottom, szRoundCorner.cx,
                                         szRoundCorner.cy);
        ::SetWindowRgn(*this, hRgn, TRUE);
        ::DeleteObject(hRgn);
    }
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool&)
{
    if (wParam == SC_CLOSE) {
        SendToWindow(WM_CLOSE, 0, 0);
        return 0;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

LONG WindowImplBase::GetStyle()
{
    LONG styleValue = ::GetWindowLongW(*this, GWL_STYLE);
    styleValue &= ~WS_CAPTION;
    return styleValue;
}

void WindowImplBase::failSkinLoad(const CUIString& what)
{
    CUIString sError = u"加载资源文件失败:";
    sError += what;
    UITrace(u"%s", sError.GetData());
    ::MessageBoxW(nullptr, sError, u"SkinUI", MB_ICONERROR);
    ::ExitProcess(kSkinLoadFailureExitCode);
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool&)
{
    LONG styleValue = ::GetWindowLongW(*this, GWL_STYLE);
    styleValue &= ~WS_CAPTION;
    ::SetWindowLongW(*this, GWL_STYLE, styleValue | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    RECT rcClient{};
    ::GetClientRect(*this, &rcClient);
    ::SetWindowPos(*this, nullptr, rcClient.left, rcClient.top, rcClient.right - rcClient.left,
                   rcClient.bottom - rcClient.top, SWP_FRAMECHANGED);

    m_PaintManager.Init(m_hWnd);
    m_PaintManager.AddPreFilter(this);

    CUIString strResourcePath = CUIWindowManager::GetModuleFolder();
    strResourcePath += GetSkinFolder();
    CUIWindowManager::SetSkinFolder(strResourcePath);

    switch (GetSkinSource()) {
    case UILIB_ZIP:
        CUIWindowManager::SetSkinZipFile(GetSkinZipName(), true);
        break;
    case UILIB_ZIPRESOURCE: {
        HINSTANCE module = CUIWindowManager::GetResourceModule();
        HRSRC hResource = ::FindResourceW(module, MAKEINTRESOURCEW(GetSkinResourceId()), u"ZIPRES");
        HGLOBAL hGlobal = hResource ? ::LoadResource(module, hResource) : nullptr;
        const DWORD dwSize = hResource ? ::SizeofResource(module, hResource) : 0;
        const void* data = hGlobal ? ::LockResource(hGlobal) : nullptr;
        if (!data || dwSize == 0) {
            if (hGlobal)
                ::FreeResource(hGlobal);
            // A window without its skin would stay empty: say so and end.
            CUIString what = u"ZIPRES ";
            char16_t id[16];
            swprintf16(id, 16, u"%d", GetSkinResourceId());
            what += id;
            failSkinLoad(what);
        }
        auto buffer = std::make_unique<std::vector<uint8_t>>(static_cast<const uint8_t*>(data),
                                                              static_cast<const uint8_t*>(data) + dwSize);
        ::FreeResource(hGlobal);
        CUIWindowManager::SetSkinZipData(buffer->data(), static_cast<unsigned>(buffer->size()));
        zipBuffers().push_back(std::move(buffer));
        break;
    }
    default:
        break;
    }

    CControlUI* pRoot = nullptr;
    CDialogBuilder builder;
    if (GetSkinSource() == UILIB_RESOURCE) {
        const unsigned id = static_cast<unsigned>(_wtoi(GetSkinFile()));
        pRoot = builder.Create(STRINGorID(id), u"xml", this, &m_PaintManager);
    } else {
        pRoot = builder.Create(GetSkinFile().GetData(), nullptr, this, &m_PaintManager);
    }
    if (!pRoot)
        failSkinLoad(GetSkinFile());
    m_PaintManager.SetRootControl(pRoot);
    m_PaintManager.AddNotifier(this);
    m_PaintManager.SetTransparentBackground(true);
    InitWindow();
    return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::HandleOtherMessage(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lRes = 0;
    bool bHandled = true;
    switch (uMsg) {
    case WM_CREATE: lRes = OnCreate(uMsg, wParam, lParam, bHandled); break;
    case WM_CLOSE: lRes = OnClose(uMsg, wParam, lParam, bHandled); break;
    case WM_DESTROY: lRes = OnDestroy(uMsg, wParam, lParam, bHandled); break;
    case WM_NCACTIVATE: lRes = OnNcActivate(uMsg, wParam, lParam, bHandled); break;
    case WM_NCCALCSIZE: lRes = OnNcCalcSize(uMsg, wParam, lParam, bHandled); break;
    case WM_NCPAINT: lRes = OnNcPaint(uMsg, wParam, lParam, bHandled); break;
    case WM_NCHITTEST: lRes = OnNcHitTest(uMsg, wParam, lParam, bHandled); break;
    case WM_GETMINMAXINFO: lRes = OnGetMinMaxInfo(uMsg, wParam, lParam, bHandled); break;
    case WM_MOUSEWHEEL: lRes = OnMouseWheel(uMsg, wParam, lParam, bHandled); break;
    case WM_SIZE: lRes = OnSize(uMsg, wParam, lParam, bHandled); break;
    case WM_CHAR: lRes = OnChar(uMsg, wParam, lParam, bHandled); break;
    case WM_SYSCOMMAND: lRes = OnSysCommand(uMsg, wParam, lParam, bHandled); break;
    case WM_KEYDOWN: lRes = OnKeyDown(uMsg, wParam, lParam, bHandled); break;
    case WM_KILLFOCUS: lRes = OnKillFocus(uMsg, wParam, lParam, bHandled); break;
    case WM_SETFOCUS: lRes = OnSetFocus(uMsg, wParam, lParam, bHandled); break;
    case WM_LBUTTONUP: lRes = OnLButtonUp(uMsg, wParam, lParam, bHandled); break;
    case WM_LBUTTONDOWN: lRes = OnLButtonDown(uMsg, wParam, lParam, bHandled); break;
    case WM_MOUSEMOVE: lRes = OnMouseMove(uMsg, wParam, lParam, bHandled); break;
    case WM_MOUSEHOVER: lRes = OnMouseHover(uMsg, wParam, lParam, bHandled); break;
    default: bHandled = false; break;
    }
    if (bHandled)
        return lRes;
    lRes = HandleOtherMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled)
        return lRes;
    if (m_PaintManager.MessageHandler(uMsg, wParam, lParam, lRes))
        return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}
