// The default window procedure.
#include <algorithm>

#include "platform/winapi/src/Backend.h"
#include "platform/winapi/src/Core.h"
#include "platform/winapi/src/Gdi.h"
#include "platform/winapi/src/Input.h"
#include "platform/winapi/src/TextConv.h"
#include "winapi/winbase.h"

using namespace winapi;

namespace winapi {
void maximizeInternal(const std::shared_ptr<Window>& w, bool maximize);
void minimizeInternal(const std::shared_ptr<Window>& w, bool minimize);
}  // namespace winapi

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto w = findWindow(hwnd);
    if (!w)
        return 0;
    switch (msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_NCCALCSIZE:
        return 0;  // the whole window is client area
    case WM_NCHITTEST: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT r = screenRect(*w);
        if (p.x < r.left || p.x >= r.right || p.y < r.top || p.y >= r.bottom)
            return HTNOWHERE;
        return HTCLIENT;
    }
    case WM_NCACTIVATE:
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !w->minimized) {
            HWND f = GetFocus();
            if (!f || topLevelOf(f) != hwnd)
                SetFocus(hwnd);
        }
        return 0;
    case WM_MOUSEACTIVATE:
        if (w->isChild() && w->parent) {
            LRESULT r = SendMessageW(w->parent, WM_MOUSEACTIVATE, wParam, lParam);
            if (r)
                return r;
        }
        return MA_ACTIVATE;
    case WM_SETCURSOR:
        if (w->isChild() && w->parent && SendMessageW(w->parent, WM_SETCURSOR, wParam, lParam))
            return TRUE;
        if (LOWORD(lParam) == HTCLIENT) {
            SetCursor(w->cursor ? w->cursor : LoadCursorW(nullptr, IDC_ARROW));
        } else {
            switch (short(LOWORD(lParam))) {
            case HTLEFT:
            case HTRIGHT:
                SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
                break;
            case HTTOP:
            case HTBOTTOM:
                SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
                break;
            case HTTOPLEFT:
            case HTBOTTOMRIGHT:
                SetCursor(LoadCursorW(nullptr, IDC_SIZENWSE));
                break;
            case HTTOPRIGHT:
            case HTBOTTOMLEFT:
                SetCursor(LoadCursorW(nullptr, IDC_SIZENESW));
                break;
            default:
                SetCursor(LoadCursorW(nullptr, IDC_ARROW));
                break;
            }
        }
        return FALSE;
    case WM_NCLBUTTONDOWN:
        if (!w->isChild()) {
            int hit = int(wParam);
            bool sizing = hit >= HTLEFT && hit <= HTBOTTOMRIGHT;
            if (hit == HTCAPTION || (sizing && !w->maximized)) {
                input().activate(hwnd);
                if (hit == HTCAPTION && w->maximized)
                    return 0;
                input().beginDrag(hwnd, hit, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            }
        }
        return 0;
    case WM_NCLBUTTONDBLCLK:
        if (!w->isChild() && wParam == HTCAPTION && (w->style & WS_MAXIMIZEBOX))
            SendMessageW(hwnd, WM_SYSCOMMAND, w->maximized ? SC_RESTORE : SC_MAXIMIZE, lParam);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            SendMessageW(hwnd, WM_CLOSE, 0, 0);
            break;
        case SC_MAXIMIZE:
            ShowWindow(hwnd, SW_SHOWMAXIMIZED);
            break;
        case SC_MINIMIZE:
            ShowWindow(hwnd, SW_MINIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(hwnd, SW_RESTORE);
            break;
        case SC_MOVE:
            input().beginDrag(hwnd, HTCAPTION, input().cursorPos());
            break;
        default:
            break;
        }
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && !w->isChild())
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        else if (wParam == VK_F4 && w->isChild())
            SendMessageW(topLevelOf(hwnd), WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        HBRUSH brush = w->cls->wc.hbrBackground;
        if (!brush)
            return 0;
        RECT r{0, 0, w->width(), w->height()};
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        return 1;
    }
    case WM_PRINT:
        // The client part is what the window paints for WM_PRINTCLIENT.
        if (lParam & (PRF_CLIENT | PRF_CHILDREN | PRF_NONCLIENT))
            SendMessageW(hwnd, WM_PRINTCLIENT, wParam, lParam);
        return 0;
    case WM_PRINTCLIENT:
        return 0;
    case WM_WINDOWPOSCHANGED: {
        auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
        if (wp && !(wp->flags & SWP_NOMOVE))
            SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
        if (wp && !(wp->flags & SWP_NOSIZE))
            SendMessageW(hwnd, WM_SIZE, w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                         MAKELPARAM(w->width(), w->height()));
        return 0;
    }
    case WM_SETTEXT: {
        auto* text = reinterpret_cast<LPCWSTR>(lParam);
        w->text = text ? text : u"";
        if (!w->isChild())
            backend().titleChanged(*w);
        return TRUE;
    }
    case WM_GETTEXT:
        return copyTextOut(w->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return LRESULT(w->text.size());
    case WM_SETICON: {
        HICON old = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
        (wParam == ICON_BIG ? w->iconBig : w->iconSmall) = reinterpret_cast<HICON>(lParam);
        if (!w->isChild())
            backend().iconChanged(*w);
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON:
        return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->iconBig : w->iconSmall);
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_CONTEXTMENU:
        if (w->isChild() && w->parent)
            return SendMessageW(w->parent, msg, wParam, lParam);
        return 0;
    case WM_RBUTTONUP: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd, &p);
        SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(p.x, p.y));
        return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        return 0;
    default:
        return 0;
    }
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!proc)
        return 0;
    return proc(hwnd, msg, wParam, lParam);
}
