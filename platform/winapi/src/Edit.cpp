// The single-line edit control ("Edit"): typing, selection, caret, limit,
// password masking, number-only input, read-only mode, margins, colours
// asked from the parent, and EN_UPDATE / EN_CHANGE notifications.
#include <algorithm>
#include <cwctype>
#include <mutex>
#include <string>
#include <vector>

#include "platform/winapi/src/Controls.h"
#include "platform/winapi/src/Input.h"
#include "platform/winapi/src/TextConv.h"
#include "winapi/commctrl.h"
#include "winapi/wingdi.h"

namespace winapi {

namespace {

struct EditState {
    std::u16string text;
    int anchor = 0;  // selection start (fixed end)
    int caret = 0;   // selection end (moving end)
    int scroll = 0;  // pixels scrolled to the left
    int limit = 0x7FFFFFFE;
    char16_t password = 0;
    bool modified = false;
    int leftMargin = 0;
    int rightMargin = 0;
    HFONT font = nullptr;
    bool focused = false;
    bool dragging = false;
};

std::mutex g_clipMutex;
std::u16string g_clipboard;  // guarded by g_clipMutex: the process's own clipboard

DWORD styleOf(HWND hwnd) { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }

std::u16string shown(const EditState& s)
{
    if (!s.password)
        return s.text;
    return std::u16string(s.text.size(), s.password);
}

// Pixel offsets of every character boundary of the shown text.
std::vector<int> boundaries(HWND hwnd, const EditState& s)
{
    std::u16string t = shown(s);
    std::vector<int> x(t.size() + 1, 0);
    if (t.empty())
        return x;
    HDC dc = GetDC(nullptr);
    SelectObject(dc, s.font ? static_cast<HGDIOBJ>(s.font) : GetStockObject(DEFAULT_GUI_FONT));
    std::vector<int> dx(t.size());
    int fit = 0;
    SIZE size;
    GetTextExtentExPointW(dc, t.data(), int(t.size()), 1 << 30, &fit, dx.data(), &size);
    for (size_t i = 0; i < t.size(); ++i)
        x[i + 1] = dx[i];
    ReleaseDC(nullptr, dc);
    (void)hwnd;
    return x;
}

int lineHeight(const EditState& s)
{
    HDC dc = GetDC(nullptr);
    SelectObject(dc, s.font ? static_cast<HGDIOBJ>(s.font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}

void ensureCaretVisible(HWND hwnd, EditState& s)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    int visible = std::max(1, int(rc.right) - s.leftMargin - s.rightMargin - 1);
    std::vector<int> x = boundaries(hwnd, s);
    int cx = x[size_t(std::clamp(s.caret, 0, int(s.text.size())))];
    if (cx - s.scroll > visible)
        s.scroll = cx - visible;
    if (cx < s.scroll)
        s.scroll = cx;
    int total = x.back();
    if (total - s.scroll < visible)
        s.scroll = std::max(0, total - visible);
}

int hitTest(HWND hwnd, const EditState& s, int clientX)
{
    std::vector<int> x = boundaries(hwnd, s);
    int px = clientX - s.leftMargin + s.scroll;
    int best = 0;
    for (size_t i = 0; i < x.size(); ++i)
        if (std::abs(x[i] - px) < std::abs(x[size_t(best)] - px))
            best = int(i);
    return best;
}

void changed(HWND hwnd, EditState& s)
{
    s.modified = true;
    ensureCaretVisible(hwnd, s);
    InvalidateRect(hwnd, nullptr, FALSE);
    notifyParent(hwnd, EN_UPDATE);
    if (IsWindow(hwnd))
        notifyParent(hwnd, EN_CHANGE);
}

// Replaces the selection by text (cut to the limit); true when anything
// changed.
bool replaceSelection(HWND hwnd, EditState& s, std::u16string text)
{
    int a = std::min(s.anchor, s.caret), b = std::max(s.anchor, s.caret);
    a = std::clamp(a, 0, int(s.text.size()));
    b = std::clamp(b, 0, int(s.text.size()));
    DWORD style = styleOf(hwnd);
    if (style & ES_UPPERCASE)
        for (auto& c : text)
            c = char16_t(std::towupper(wint_t(c)));
    if (style & ES_LOWERCASE)
        for (auto& c : text)
            c = char16_t(std::towlower(wint_t(c)));
    long room = long(s.limit) - long(s.text.size() - size_t(b - a));
    bool cut = false;
    if (long(text.size()) > room) {
        text.resize(size_t(std::max(0L, room)));
        cut = true;
    }
    if (cut)
        notifyParent(hwnd, EN_MAXTEXT);
    if (a == b && text.empty())
        return false;
    s.text.replace(size_t(a), size_t(b - a), text);
    s.anchor = s.caret = a + int(text.size());
    return true;
}

void moveCaret(HWND hwnd, EditState& s, int to, bool extend)
{
    s.caret = std::clamp(to, 0, int(s.text.size()));
    if (!extend)
        s.anchor = s.caret;
    ensureCaretVisible(hwnd, s);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void paintTo(HWND hwnd, EditState& s, HDC dc)
{
    int saved = SaveDC(dc);
    RECT rc;
    GetClientRect(hwnd, &rc);
    DWORD style = styleOf(hwnd);
    bool enabled = IsWindowEnabled(hwnd);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetBkMode(dc, OPAQUE);
    HFONT oldFont = static_cast<HFONT>(SelectObject(dc, s.font ? static_cast<HGDIOBJ>(s.font) : GetStockObject(DEFAULT_GUI_FONT)));
    // The parent chooses the colours (read-only and disabled fields ask as
    // static text).
    UINT ask = (!enabled || (style & ES_READONLY)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    HWND parent = GetParent(hwnd);
    auto brush = reinterpret_cast<HBRUSH>(
        parent ? SendMessageW(parent, ask, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)) : 0);
    if (!brush)
        brush = GetSysColorBrush(ask == WM_CTLCOLORSTATIC && !enabled ? COLOR_BTNFACE : COLOR_WINDOW);
    FillRect(dc, &rc, brush);
    std::u16string t = shown(s);
    std::vector<int> x = boundaries(hwnd, s);
    int h = lineHeight(s);
    int y = std::max(0, (int(rc.bottom) - h) / 2);
    int left = s.leftMargin - s.scroll;
    RECT textArea{s.leftMargin, 0, std::max<LONG>(s.leftMargin, rc.right - s.rightMargin), rc.bottom};
    IntersectClipRect(dc, textArea.left, textArea.top, textArea.right, textArea.bottom);
    int bkMode = GetBkMode(dc);
    SetBkMode(dc, TRANSPARENT);
    if (!t.empty())
        TextOutW(dc, left, y, t.data(), int(t.size()));
    int a = std::min(s.anchor, s.caret), b = std::max(s.anchor, s.caret);
    if (a != b && (s.focused || (style & ES_NOHIDESEL))) {
        RECT sel{left + x[size_t(a)], y, left + x[size_t(b)], y + h};
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        ExtTextOutW(dc, left + x[size_t(a)], y, ETO_OPAQUE | ETO_CLIPPED, &sel, t.data() + a, UINT(b - a), nullptr);
    }
    SetBkMode(dc, bkMode);
    if (s.focused && a == b) {
        int cx = left + x[size_t(std::clamp(s.caret, 0, int(t.size())))];
        RECT caret{cx, y, cx + 1, y + h};
        FillRect(dc, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
    }
    SelectObject(dc, oldFont);
    RestoreDC(dc, saved);
}

void paint(HWND hwnd, EditState& s)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (dc)
        paintTo(hwnd, s, dc);
    EndPaint(hwnd, &ps);
}

bool onChar(HWND hwnd, EditState& s, char16_t c)
{
    DWORD style = styleOf(hwnd);
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (c == 0x08) {  // backspace
        if (style & ES_READONLY)
            return false;
        if (s.anchor == s.caret && s.caret > 0)
            s.anchor = s.caret - 1;
        return replaceSelection(hwnd, s, std::u16string());
    }
    if (ctrl || c < 0x20 || c == 0x7F)
        return false;  // control keys act in WM_KEYDOWN
    if (style & ES_READONLY) {
        MessageBeep(0);
        return false;
    }
    if ((style & ES_NUMBER) && (c < u'0' || c > u'9')) {
        MessageBeep(0);
        return false;
    }
    return replaceSelection(hwnd, s, std::u16string(1, c));
}

}  // namespace

LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    EditState* s = controlState<EditState>(hwnd, msg == WM_NCCREATE);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName))
            s->text = cs->lpszName;
        if (cs && (cs->style & ES_PASSWORD))
            s->password = u'*';
        return TRUE;
    }
    case WM_SETTEXT: {
        auto* text = reinterpret_cast<LPCWSTR>(lParam);
        s->text = text ? text : u"";
        s->anchor = s->caret = 0;
        s->scroll = 0;
        s->modified = false;
        InvalidateRect(hwnd, nullptr, FALSE);
        notifyParent(hwnd, EN_UPDATE);
        if (IsWindow(hwnd))
            notifyParent(hwnd, EN_CHANGE);
        return TRUE;
    }
    case WM_GETTEXT:
        return copyTextOut(s->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return LRESULT(s->text.size());
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->font);
    case WM_SETFOCUS:
        s->focused = true;
        CreateCaret(hwnd, nullptr, 1, lineHeight(*s));
        InvalidateRect(hwnd, nullptr, FALSE);
        notifyParent(hwnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        s->focused = false;
        s->dragging = false;
        DestroyCaret();
        InvalidateRect(hwnd, nullptr, FALSE);
        notifyParent(hwnd, EN_KILLFOCUS);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(hwnd, *s);
        return 0;
    case WM_PRINTCLIENT:
        paintTo(hwnd, *s, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_LBUTTONDOWN: {
        if (GetFocus() != hwnd)
            SetFocus(hwnd);
        s = controlState<EditState>(hwnd);
        if (!s)
            return 0;
        int at = hitTest(hwnd, *s, GET_X_LPARAM(lParam));
        moveCaret(hwnd, *s, at, (wParam & MK_SHIFT) != 0);
        s->dragging = true;
        SetCapture(hwnd);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (s->dragging)
            moveCaret(hwnd, *s, hitTest(hwnd, *s, GET_X_LPARAM(lParam)), true);
        return 0;
    case WM_LBUTTONUP:
        if (s->dragging) {
            s->dragging = false;
            if (GetCapture() == hwnd)
                ReleaseCapture();
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        s->anchor = 0;
        moveCaret(hwnd, *s, int(s->text.size()), true);
        return 0;
    case WM_KEYDOWN: {
        bool shift = GetKeyState(VK_SHIFT) < 0;
        bool ctrl = GetKeyState(VK_CONTROL) < 0;
        switch (wParam) {
        case VK_LEFT:
            if (!shift && s->anchor != s->caret)
                moveCaret(hwnd, *s, std::min(s->anchor, s->caret), false);
            else
                moveCaret(hwnd, *s, s->caret - 1, shift);
            return 0;
        case VK_RIGHT:
            if (!shift && s->anchor != s->caret)
                moveCaret(hwnd, *s, std::max(s->anchor, s->caret), false);
            else
                moveCaret(hwnd, *s, s->caret + 1, shift);
            return 0;
        case VK_HOME:
            moveCaret(hwnd, *s, 0, shift);
            return 0;
        case VK_END:
            moveCaret(hwnd, *s, int(s->text.size()), shift);
            return 0;
        case VK_DELETE:
            if (styleOf(hwnd) & ES_READONLY)
                return 0;
            if (shift) {
                SendMessageW(hwnd, WM_CUT, 0, 0);
                return 0;
            }
            if (s->anchor == s->caret)
                s->caret = std::min(int(s->text.size()), s->caret + 1);
            if (replaceSelection(hwnd, *s, std::u16string()))
                changed(hwnd, *s);
            return 0;
        default:
            if (ctrl && wParam == 'A') {
                s->anchor = 0;
                moveCaret(hwnd, *s, int(s->text.size()), true);
            } else if (ctrl && wParam == 'C') {
                SendMessageW(hwnd, WM_COPY, 0, 0);
            } else if (ctrl && wParam == 'X') {
                SendMessageW(hwnd, WM_CUT, 0, 0);
            } else if (ctrl && wParam == 'V') {
                SendMessageW(hwnd, WM_PASTE, 0, 0);
            }
            return 0;
        }
    }
    case WM_CHAR:
        if (onChar(hwnd, *s, char16_t(wParam)))
            changed(hwnd, *s);
        return 0;
    case WM_COPY:
    case WM_CUT: {
        int a = std::min(s->anchor, s->caret), b = std::max(s->anchor, s->caret);
        if (a == b || s->password)
            return 0;
        {
            std::lock_guard<std::mutex> lock(g_clipMutex);
            g_clipboard = s->text.substr(size_t(a), size_t(b - a));
        }
        if (msg == WM_CUT && !(styleOf(hwnd) & ES_READONLY) && replaceSelection(hwnd, *s, std::u16string()))
            changed(hwnd, *s);
        return 0;
    }
    case WM_PASTE: {
        if (styleOf(hwnd) & ES_READONLY)
            return 0;
        std::u16string clip;
        {
            std::lock_guard<std::mutex> lock(g_clipMutex);
            clip = g_clipboard;
        }
        clip.erase(std::remove_if(clip.begin(), clip.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }),
                   clip.end());
        if ((styleOf(hwnd) & ES_NUMBER) &&
            std::any_of(clip.begin(), clip.end(), [](char16_t c) { return c < u'0' || c > u'9'; }))
            return 0;
        if (replaceSelection(hwnd, *s, clip))
            changed(hwnd, *s);
        return 0;
    }
    case WM_CLEAR:
        if (!(styleOf(hwnd) & ES_READONLY) && replaceSelection(hwnd, *s, std::u16string()))
            changed(hwnd, *s);
        return 0;
    case EM_LIMITTEXT:
        s->limit = wParam ? int(std::min<WPARAM>(wParam, 0x7FFFFFFE)) : 0x7FFFFFFE;
        return 0;
    case EM_GETLIMITTEXT:
        return s->limit;
    case EM_SETPASSWORDCHAR: {
        s->password = char16_t(wParam);
        DWORD style = styleOf(hwnd);
        SetWindowLongPtrW(hwnd, GWL_STYLE, LONG_PTR(wParam ? (style | ES_PASSWORD) : (style & ~DWORD(ES_PASSWORD))));
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case EM_GETPASSWORDCHAR:
        return s->password;
    case EM_SETMODIFY:
        s->modified = wParam != 0;
        return 0;
    case EM_GETMODIFY:
        return s->modified ? TRUE : FALSE;
    case EM_SETMARGINS:
        if (wParam & EC_LEFTMARGIN)
            s->leftMargin = LOWORD(lParam) == EC_USEFONTINFO ? 2 : LOWORD(lParam);
        if (wParam & EC_RIGHTMARGIN)
            s->rightMargin = HIWORD(lParam) == EC_USEFONTINFO ? 2 : HIWORD(lParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case EM_GETMARGINS:
        return MAKELONG(s->leftMargin, s->rightMargin);
    case EM_SETREADONLY: {
        DWORD style = styleOf(hwnd);
        SetWindowLongPtrW(hwnd, GWL_STYLE, LONG_PTR(wParam ? (style | ES_READONLY) : (style & ~DWORD(ES_READONLY))));
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    }
    case EM_SETSEL: {
        int len = int(s->text.size());
        int start = int(LONG(wParam)), end = int(LONG(lParam));
        if (start == -1) {
            s->anchor = s->caret;
        } else {
            if (end == -1 || end > len)
                end = len;
            s->anchor = std::clamp(start, 0, len);
            s->caret = std::clamp(end, 0, len);
        }
        ensureCaretVisible(hwnd, *s);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case EM_GETSEL: {
        DWORD a = DWORD(std::min(s->anchor, s->caret)), b = DWORD(std::max(s->anchor, s->caret));
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = a;
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = b;
        return MAKELONG(a, b);
    }
    case EM_REPLACESEL: {
        auto* text = reinterpret_cast<LPCWSTR>(lParam);
        if (replaceSelection(hwnd, *s, text ? text : u""))
            changed(hwnd, *s);
        return 0;
    }
    case EM_SCROLLCARET:
        ensureCaretVisible(hwnd, *s);
        return TRUE;
    case EM_GETLINECOUNT:
        return 1;
    case EM_POSFROMCHAR: {
        std::vector<int> x = boundaries(hwnd, *s);
        int i = std::clamp(int(wParam), 0, int(s->text.size()));
        return MAKELONG(s->leftMargin - s->scroll + x[size_t(i)], 0);
    }
    case EM_CHARFROMPOS:
        return hitTest(hwnd, *s, GET_X_LPARAM(lParam));
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace winapi
