// The tool tip control ("tooltips_class32"): tools, the maximum tip width,
// delay times and tracking activation; it never takes input or activation.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/winapi/src/Controls.h"
#include "platform/winapi/src/Input.h"
#include "winapi/commctrl.h"
#include "winapi/wingdi.h"

namespace winapi {

namespace {

struct Tool {
    UINT flags = 0;
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    RECT rect{};
    std::u16string text;
};

struct TipState {
    std::vector<Tool> tools;
    int maxWidth = -1;
    int delays[4] = {500, 100, 5000, 500};  // automatic, reshow, autopop, initial
    int shown = -1;  // the tool on display
    bool trackPosSet = false;
    POINT trackPos{0, 0};
    HFONT font = nullptr;
};

constexpr int kPadX = 4;
constexpr int kPadY = 2;

int findTool(const TipState& s, const TOOLINFOW* ti)
{
    if (!ti)
        return -1;
    for (size_t i = 0; i < s.tools.size(); ++i)
        if (s.tools[i].hwnd == ti->hwnd && s.tools[i].id == ti->uId)
            return int(i);
    return -1;
}

void takeText(Tool& t, const TOOLINFOW* ti)
{
    const auto callback = reinterpret_cast<LPWSTR>(LONG_PTR(-1));
    if (ti->lpszText && ti->lpszText != callback && !IS_INTRESOURCE(ti->lpszText))
        t.text = ti->lpszText;
    else
        t.text.clear();
}

SIZE tipSize(const TipState& s, const std::u16string& text)
{
    HDC dc = GetDC(nullptr);
    SelectObject(dc, s.font ? static_cast<HGDIOBJ>(s.font) : GetStockObject(DEFAULT_GUI_FONT));
    RECT r{0, 0, s.maxWidth > 0 ? s.maxWidth - 2 * kPadX : 100000, 0};
    UINT flags = DT_CALCRECT | DT_NOPREFIX | (s.maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(dc, text.c_str(), int(text.size()), &r, flags);
    ReleaseDC(nullptr, dc);
    return SIZE{r.right - r.left + 2 * kPadX, r.bottom - r.top + 2 * kPadY};
}

void show(HWND hwnd, TipState& s, int index)
{
    if (index < 0 || s.tools[size_t(index)].text.empty()) {
        ShowWindow(hwnd, SW_HIDE);
        s.shown = -1;
        return;
    }
    s.shown = index;
    const Tool& t = s.tools[size_t(index)];
    SIZE size = tipSize(s, t.text);
    POINT pos;
    if ((t.flags & TTF_TRACK) && s.trackPosSet) {
        pos = s.trackPos;
    } else {
        GetCursorPos(&pos);
        pos.y += 20;
    }
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromPoint(pos, MONITOR_DEFAULTTONEAREST), &mi);
    pos.x = std::max(mi.rcWork.left, std::min<LONG>(pos.x, mi.rcWork.right - size.cx));
    pos.y = std::max(mi.rcWork.top, std::min<LONG>(pos.y, mi.rcWork.bottom - size.cy));
    SetWindowPos(hwnd, HWND_TOPMOST, pos.x, pos.y, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(hwnd, nullptr, FALSE);
}

}  // namespace

LRESULT CALLBACK tooltipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TipState* s = controlState<TipState>(hwnd, msg == WM_NCCREATE);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    auto* ti = reinterpret_cast<const TOOLINFOW*>(lParam);
    switch (msg) {
    case WM_NCCREATE:
        // A tip floats over everything and lets input through.
        SetWindowLongPtrW(hwnd, GWL_EXSTYLE,
                          GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_TRANSPARENT |
                              WS_EX_NOACTIVATE);
        return TRUE;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->font);
    case TTM_ADDTOOLW: {
        if (!ti)
            return FALSE;
        int i = findTool(*s, ti);
        Tool t;
        t.flags = ti->uFlags;
        t.hwnd = ti->hwnd;
        t.id = ti->uId;
        t.rect = ti->rect;
        takeText(t, ti);
        if (i >= 0)
            s->tools[size_t(i)] = t;
        else
            s->tools.push_back(t);
        return TRUE;
    }
    case TTM_DELTOOLW: {
        int i = findTool(*s, ti);
        if (i >= 0) {
            if (s->shown == i)
                show(hwnd, *s, -1);
            s->tools.erase(s->tools.begin() + i);
            if (s->shown > i)
                --s->shown;
        }
        return 0;
    }
    case TTM_SETTOOLINFOW:
    case TTM_NEWTOOLRECTW:
    case TTM_UPDATETIPTEXTW: {
        int i = findTool(*s, ti);
        if (i < 0)
            return 0;
        Tool& t = s->tools[size_t(i)];
        if (msg != TTM_UPDATETIPTEXTW)
            t.rect = ti->rect;
        if (msg == TTM_SETTOOLINFOW)
            t.flags = ti->uFlags;
        if (msg != TTM_NEWTOOLRECTW)
            takeText(t, ti);
        if (s->shown == i)
            show(hwnd, *s, i);
        return 0;
    }
    case TTM_GETTOOLINFOW: {
        auto* out = reinterpret_cast<TOOLINFOW*>(lParam);
        int i = findTool(*s, out);
        if (i < 0)
            return FALSE;
        out->uFlags = s->tools[size_t(i)].flags;
        out->rect = s->tools[size_t(i)].rect;
        return TRUE;
    }
    case TTM_GETTOOLCOUNT:
        return LRESULT(s->tools.size());
    case TTM_SETMAXTIPWIDTH: {
        int old = s->maxWidth;
        s->maxWidth = int(lParam);
        return old;
    }
    case TTM_GETMAXTIPWIDTH:
        return s->maxWidth;
    case TTM_GETDELAYTIME:
        return (wParam < 4) ? s->delays[wParam] : 0;
    case TTM_SETDELAYTIME:
        if (wParam < 4)
            s->delays[wParam] = int(LOWORD(lParam));
        return 0;
    case TTM_TRACKPOSITION:
        s->trackPos = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        s->trackPosSet = true;
        if (s->shown >= 0)
            show(hwnd, *s, s->shown);
        return 0;
    case TTM_TRACKACTIVATE:
        show(hwnd, *s, wParam ? findTool(*s, ti) : -1);
        return 0;
    case TTM_ACTIVATE:
        if (!wParam)
            show(hwnd, *s, -1);
        return 0;
    case TTM_POP:
        show(hwnd, *s, -1);
        return 0;
    case TTM_UPDATE:
        if (s->shown >= 0)
            show(hwnd, *s, s->shown);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        paintFramedClient(hwnd, dc, rc, COLOR_INFOBK, RGB(118, 118, 118));
        if (s->shown >= 0) {
            SelectObject(dc, s->font ? static_cast<HGDIOBJ>(s->font) : GetStockObject(DEFAULT_GUI_FONT));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
            RECT text{rc.left + kPadX, rc.top + kPadY, rc.right - kPadX, rc.bottom - kPadY};
            const std::u16string& t = s->tools[size_t(s->shown)].text;
            DrawTextW(dc, t.c_str(), int(t.size()), &text,
                      DT_NOPREFIX | (s->maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace winapi
