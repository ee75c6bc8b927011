// The date picker ("SysDateTimePick32"): a year-month-day field editor
// driven by the keyboard (arrows, digits) and DTM_SET/GETSYSTEMTIME.
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/winapi/src/Controls.h"
#include "platform/winapi/src/TextConv.h"
#include "winapi/commctrl.h"
#include "winapi/winbase.h"
#include "winapi/wingdi.h"

namespace winapi {

namespace {

struct PickerState {
    SYSTEMTIME st{};
    int field = 2;  // 0 year, 1 month, 2 day
    int typed = 0;  // digits typed into the field so far
    HFONT font = nullptr;
    bool focused = false;
};

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysIn(int y, int m)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (m == 2 && leap(y)) ? 29 : days[std::clamp(m, 1, 12) - 1];
}

bool valid(const SYSTEMTIME& st)
{
    return st.wYear >= 1601 && st.wYear <= 9999 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
           st.wDay <= daysIn(st.wYear, st.wMonth);
}

void weekday(SYSTEMTIME& st)
{
    // Zeller-style count (0 = Sunday).
    int y = st.wYear, m = st.wMonth, d = st.wDay;
    if (m < 3) {
        m += 12;
        --y;
    }
    int k = y % 100, j = y / 100;
    int h = (d + 13 * (m + 1) / 5 + k + k / 4 + j / 4 + 5 * j) % 7;
    st.wDayOfWeek = WORD((h + 6) % 7);
}

std::u16string fieldText(const SYSTEMTIME& st, int f)
{
    char buf[8];
    if (f == 0)
        std::snprintf(buf, sizeof buf, "%04d", st.wYear);
    else
        std::snprintf(buf, sizeof buf, "%02d", f == 1 ? st.wMonth : st.wDay);
    return fromUtf8(buf);
}

void notifyChange(HWND hwnd, const PickerState& s)
{
    HWND parent = GetParent(hwnd);
    if (!parent)
        return;
    NMDATETIMECHANGE n{};
    n.nmhdr.hwndFrom = hwnd;
    n.nmhdr.idFrom = UINT_PTR(GetDlgCtrlID(hwnd));
    n.nmhdr.code = DTN_DATETIMECHANGE;
    n.dwFlags = GDT_VALID;
    n.st = s.st;
    SendMessageW(parent, WM_NOTIFY, n.nmhdr.idFrom, reinterpret_cast<LPARAM>(&n));
}

void setField(HWND hwnd, PickerState& s, int value)
{
    SYSTEMTIME st = s.st;
    if (s.field == 0)
        st.wYear = WORD(std::clamp(value, 1601, 9999));
    else if (s.field == 1)
        st.wMonth = WORD(((value - 1) % 12 + 12) % 12 + 1);
    else
        st.wDay = WORD(((value - 1) % daysIn(st.wYear, st.wMonth) + daysIn(st.wYear, st.wMonth)) %
                           daysIn(st.wYear, st.wMonth) +
                       1);
    st.wDay = WORD(std::min<int>(st.wDay, daysIn(st.wYear, st.wMonth)));
    weekday(st);
    s.st = st;
    InvalidateRect(hwnd, nullptr, FALSE);
    notifyChange(hwnd, s);
}

int fieldValue(const PickerState& s) { return s.field == 0 ? s.st.wYear : (s.field == 1 ? s.st.wMonth : s.st.wDay); }

}  // namespace

LRESULT CALLBACK datePickerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    PickerState* s = controlState<PickerState>(hwnd, msg == WM_NCCREATE);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        GetLocalTime(&s->st);
        return TRUE;
    case DTM_SETSYSTEMTIME: {
        auto* st = reinterpret_cast<const SYSTEMTIME*>(lParam);
        if (LONG(wParam) != GDT_VALID || !st || !valid(*st))
            return FALSE;
        s->st = *st;
        weekday(s->st);
        s->typed = 0;
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    }
    case DTM_GETSYSTEMTIME: {
        auto* st = reinterpret_cast<SYSTEMTIME*>(lParam);
        if (!st)
            return GDT_ERROR;
        *st = s->st;
        return GDT_VALID;
    }
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->font);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        s->focused = msg == WM_SETFOCUS;
        s->typed = 0;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN: {
        SetFocus(hwnd);
        s = controlState<PickerState>(hwnd);
        if (!s)
            return 0;
        // Which field was hit: measured over "yyyy-MM-dd".
        HDC dc = GetDC(nullptr);
        SelectObject(dc, s->font ? static_cast<HGDIOBJ>(s->font) : GetStockObject(DEFAULT_GUI_FONT));
        SIZE year, dash, month;
        GetTextExtentPoint32W(dc, u"0000", 4, &year);
        GetTextExtentPoint32W(dc, u"-", 1, &dash);
        GetTextExtentPoint32W(dc, u"00", 2, &month);
        ReleaseDC(nullptr, dc);
        int x = GET_X_LPARAM(lParam) - 4;
        s->field = x < year.cx + dash.cx / 2 ? 0 : (x < year.cx + dash.cx + month.cx + dash.cx / 2 ? 1 : 2);
        s->typed = 0;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_LEFT:
            s->field = std::max(0, s->field - 1);
            s->typed = 0;
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case VK_RIGHT:
            s->field = std::min(2, s->field + 1);
            s->typed = 0;
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case VK_UP:
            setField(hwnd, *s, fieldValue(*s) + 1);
            return 0;
        case VK_DOWN:
            setField(hwnd, *s, fieldValue(*s) - 1);
            return 0;
        default:
            return 0;
        }
    case WM_CHAR: {
        char16_t c = char16_t(wParam);
        if (c < u'0' || c > u'9')
            return 0;
        int digit = c - u'0';
        int width = s->field == 0 ? 4 : 2;
        int value = s->typed ? fieldValue(*s) * 10 + digit : digit;
        if (s->field == 0 && s->typed + 1 < width) {
            // A year takes shape digit by digit and is set when complete.
            s->st.wYear = WORD(value);
            ++s->typed;
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        }
        ++s->typed;
        if (s->field != 0 && value == 0)
            value = 1;
        setField(hwnd, *s, value);
        if (s->typed >= width) {
            s->typed = 0;
            s->field = std::min(2, s->field + 1);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        paintFramedClient(hwnd, dc, rc, COLOR_WINDOW, RGB(122, 122, 122));
        SelectObject(dc, s->font ? static_cast<HGDIOBJ>(s->font) : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        int x = 4, y = std::max(0, (int(rc.bottom) - tm.tmHeight) / 2);
        for (int f = 0; f < 3; ++f) {
            std::u16string t = fieldText(s->st, f);
            SIZE size;
            GetTextExtentPoint32W(dc, t.c_str(), int(t.size()), &size);
            bool selected = s->focused && f == s->field;
            if (selected) {
                RECT sel{x, y, x + size.cx, y + size.cy};
                FillRect(dc, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
            }
            SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            TextOutW(dc, x, y, t.c_str(), int(t.size()));
            x += size.cx;
            if (f < 2) {
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                TextOutW(dc, x, y, u"-", 1);
                GetTextExtentPoint32W(dc, u"-", 1, &size);
                x += size.cx;
            }
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace winapi
