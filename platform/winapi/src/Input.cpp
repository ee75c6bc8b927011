// Focus, activation, capture, key state and the translation of device
// events into window messages.
#include "platform/winapi/src/Input.h"

#include <algorithm>
#include <cstdlib>

#include "platform/winapi/src/Backend.h"
#include "winapi/platform.h"

namespace winapi {

namespace {

constexpr int kDoubleClickMs = 500;
constexpr int kDoubleClickBox = 2;  // half of the 4 x 4 box
constexpr int kHoverBox = 2;

bool contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

HWND childAt(const std::shared_ptr<Window>& w, POINT screenPt)
{
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
        auto c = findWindow(*it);
        if (!c || !(c->style & WS_VISIBLE) || (c->exStyle & WS_EX_TRANSPARENT))
            continue;
        RECT r = screenRect(*c);
        if (!contains(r, screenPt))
            continue;
        if (c->shape && !cairo_region_contains_point(c->shape, screenPt.x - r.left, screenPt.y - r.top))
            continue;
        if (c->style & WS_DISABLED)
            return w->handle;
        return childAt(c, screenPt);
    }
    return w->handle;
}

bool inSubtree(HWND root, HWND h)
{
    for (int guard = 0; h && guard < 256; ++guard) {
        if (h == root)
            return true;
        auto w = findWindow(h);
        if (!w || !w->isChild())
            return false;
        h = w->parent;
    }
    return false;
}

}  // namespace

Input& input()
{
    static Input* i = new Input;
    return *i;
}

HWND windowFromScreenPoint(POINT pt)
{
    auto tops = topLevelWindows();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        auto w = findWindow(*it);
        if (!w || !(w->style & WS_VISIBLE) || w->minimized || (w->exStyle & WS_EX_TRANSPARENT))
            continue;
        RECT r = screenRect(*w);
        if (!contains(r, pt))
            continue;
        if (w->shape && !cairo_region_contains_point(w->shape, pt.x - r.left, pt.y - r.top))
            continue;
        if (w->style & WS_DISABLED)
            return nullptr;
        return childAt(w, pt);
    }
    return nullptr;
}

void Input::activate(HWND top)
{
    auto w = findWindow(top);
    if (!w || w->isChild())
        return;
    HWND old;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        if (m_active == top)
            return;
        old = m_active;
        m_active = top;
    }
    raiseTopLevel(top);
    backend().raised(*w);
    if (findWindow(old)) {
        SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
        SendMessageW(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(top));
    }
    if (findWindow(top)) {
        SendMessageW(top, WM_NCACTIVATE, TRUE, 0);
        SendMessageW(top, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
    }
}

HWND Input::active()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_active;
}

HWND Input::focus()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_focus;
}

HWND Input::setFocus(HWND hwnd)
{
    if (hwnd && !findWindow(hwnd))
        return nullptr;
    if (hwnd) {
        HWND top = topLevelOf(hwnd);
        if (active() != top)
            activate(top);
    }
    HWND old;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        old = m_focus;
        if (old == hwnd)
            return old;
        m_focus = hwnd;
    }
    if (findWindow(old))
        SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && focus() == hwnd && findWindow(hwnd))
        SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND Input::capture()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_capture;
}

HWND Input::setCapture(HWND hwnd)
{
    HWND old;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        old = m_capture;
        m_capture = hwnd;
    }
    if (old && old != hwnd && findWindow(old))
        SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

bool Input::releaseCapture()
{
    HWND old;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        old = m_capture;
        m_capture = nullptr;
    }
    if (old && findWindow(old))
        SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

POINT Input::cursorPos()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_cursor;
}

void Input::setCursorPos(POINT pt)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_cursor = pt;
}

SHORT Input::keyState(int vk)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto st = [&](int k) -> int { return (k >= 0 && k < 256) ? m_keys[k] : 0; };
    int s = st(vk);
    if (vk == VK_SHIFT)
        s |= st(VK_LSHIFT) | st(VK_RSHIFT);
    else if (vk == VK_CONTROL)
        s |= st(VK_LCONTROL) | st(VK_RCONTROL);
    else if (vk == VK_MENU)
        s |= st(VK_LMENU) | st(VK_RMENU);
    return SHORT(((s & 0x80) ? 0x8000 : 0) | (s & 1));
}

void Input::setKey(int vk, bool down)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (vk < 0 || vk > 255)
        return;
    if (down) {
        if (!(m_keys[vk] & 0x80))
            m_keys[vk] ^= 1;
        m_keys[vk] |= 0x80;
    } else {
        m_keys[vk] &= ~0x80;
    }
}

DWORD Input::mouseKeyFlags()
{
    DWORD f = 0;
    if (keyState(VK_LBUTTON) < 0)
        f |= MK_LBUTTON;
    if (keyState(VK_RBUTTON) < 0)
        f |= MK_RBUTTON;
    if (keyState(VK_MBUTTON) < 0)
        f |= MK_MBUTTON;
    if (keyState(VK_SHIFT) < 0)
        f |= MK_SHIFT;
    if (keyState(VK_CONTROL) < 0)
        f |= MK_CONTROL;
    return f;
}

void Input::windowHidden(HWND hwnd)
{
    auto w = findWindow(hwnd);
    if (!w)
        return;
    if (capture() && inSubtree(hwnd, capture()))
        releaseCapture();
    if (!w->isChild() && active() == hwnd) {
        // Activation moves to the owner, else to the topmost other window.
        HWND next = nullptr;
        if (auto o = findWindow(w->owner))
            if ((o->style & WS_VISIBLE) && !o->destroying)
                next = o->handle;
        if (!next) {
            auto tops = topLevelWindows();
            for (auto it = tops.rbegin(); it != tops.rend() && !next; ++it) {
                auto t = findWindow(*it);
                if (t && t->handle != hwnd && (t->style & WS_VISIBLE) && !t->destroying && !t->minimized &&
                    !(t->exStyle & WS_EX_TOOLWINDOW) && t->thread == w->thread)
                    next = t->handle;
            }
        }
        if (next) {
            activate(next);
        } else {
            {
                std::lock_guard<std::recursive_mutex> lock(m_mutex);
                m_active = nullptr;
            }
            SendMessageW(hwnd, WM_NCACTIVATE, FALSE, 0);
            SendMessageW(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
        }
    }
    if (!w->isChild() && focus() && inSubtree(hwnd, focus()))
        setFocus(nullptr);
}

void Input::windowDestroying(HWND hwnd)
{
    windowHidden(hwnd);
    if (focus() && inSubtree(hwnd, focus()))
        setFocus(nullptr);
}

void Input::windowGone(HWND hwnd)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_focus == hwnd)
        m_focus = nullptr;
    if (m_active == hwnd)
        m_active = nullptr;
    if (m_capture == hwnd)
        m_capture = nullptr;
    if (m_lastMouse == hwnd)
        m_lastMouse = nullptr;
    if (m_clickHwnd == hwnd)
        m_clickHwnd = nullptr;
    if (m_dragHwnd == hwnd)
        m_dragHwnd = nullptr;
}

void inputWindowDestroyed(HWND hwnd)
{
    input().windowGone(hwnd);
    auto q = currentQueue();
    if (q->trackHwnd == hwnd) {
        q->trackHwnd = nullptr;
        q->trackFlags = 0;
    }
}

void Input::beginDrag(HWND top, int hit, POINT start)
{
    auto w = findWindow(top);
    if (!w)
        return;
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_dragHwnd = top;
    m_dragHit = hit;
    m_dragStart = start;
    m_dragRect = screenRect(*w);
}

bool Input::dragging()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_dragHwnd != nullptr;
}

void Input::route(const RawInput& event, HWND via)
{
    RawInput in = event;
    if (!in.time)
        in.time = nowMs();
    HWND target = nullptr;
    bool mouse = in.kind == RawInput::MouseMove || in.kind == RawInput::MouseDown || in.kind == RawInput::MouseUp ||
                 in.kind == RawInput::Wheel;
    if (mouse) {
        setCursorPos(in.pt);
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        target = m_dragHwnd ? m_dragHwnd : m_capture;
        if (!target)
            target = findWindow(via) ? via : windowFromScreenPoint(in.pt);
        if (!target)
            target = m_lastMouse;
    } else {
        in.pt = cursorPos();
        target = focus();
        if (!target)
            target = active();
    }
    auto w = findWindow(target);
    if (!w) {
        // Nobody listens; the device state still changes.
        if (in.kind == RawInput::KeyDown || in.kind == RawInput::KeyUp)
            setKey(in.vk, in.kind == RawInput::KeyDown);
        if (in.kind == RawInput::MouseDown || in.kind == RawInput::MouseUp) {
            static const int vks[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
            setKey(vks[std::clamp(in.button, 0, 2)], in.kind == RawInput::MouseDown);
        }
        return;
    }
    postInput(w->queue, in);
}

void Input::translate(ThreadQueue& q, const RawInput& in, std::deque<MSG>& out)
{
    auto emit = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD ch) {
        MSG m{};
        m.hwnd = hwnd;
        m.message = message;
        m.wParam = wParam;
        m.lParam = lParam;
        m.time = DWORD(in.time);
        m.pt = in.pt;
        m.lPrivate = ch;
        out.push_back(m);
    };

    if (in.kind == RawInput::KeyDown || in.kind == RawInput::KeyUp) {
        bool down = in.kind == RawInput::KeyDown;
        setKey(in.vk, down);
        HWND target = focus();
        if (!target)
            target = active();
        if (!findWindow(target))
            return;
        bool alt = keyState(VK_MENU) < 0;
        bool ctrl = keyState(VK_CONTROL) < 0;
        bool sys = (alt && !ctrl) || in.vk == VK_F10 || in.vk == VK_MENU;
        UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
        LPARAM lp = 1 | (LPARAM(in.vk & 0xFF) << 16) | (alt ? (LPARAM(1) << 29) : 0) |
                    (down ? 0 : (LPARAM(3) << 30));
        emit(target, msg, WPARAM(in.vk), LPARAM(DWORD(lp)), down ? DWORD(in.ch) : 0);
        return;
    }

    static const int vks[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
    int button = std::clamp(in.button, 0, 2);
    POINT pt = in.pt;

    // A caption drag or edge sizing in progress follows the mouse.
    HWND dragHwnd;
    int dragHit;
    POINT dragStart;
    RECT dragRect;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        dragHwnd = m_dragHwnd;
        dragHit = m_dragHit;
        dragStart = m_dragStart;
        dragRect = m_dragRect;
    }
    if (dragHwnd) {
        if (in.kind == RawInput::MouseUp) {
            setKey(vks[button], false);
            std::lock_guard<std::recursive_mutex> lock(m_mutex);
            m_dragHwnd = nullptr;
            return;
        }
        if (in.kind != RawInput::MouseMove)
            return;
        auto w = findWindow(dragHwnd);
        if (!w)
            return;
        int dx = pt.x - dragStart.x, dy = pt.y - dragStart.y;
        RECT r = dragRect;
        if (dragHit == HTCAPTION) {
            OffsetRect(&r, dx, dy);
        } else {
            if (dragHit == HTLEFT || dragHit == HTTOPLEFT || dragHit == HTBOTTOMLEFT)
                r.left += dx;
            if (dragHit == HTRIGHT || dragHit == HTTOPRIGHT || dragHit == HTBOTTOMRIGHT)
                r.right += dx;
            if (dragHit == HTTOP || dragHit == HTTOPLEFT || dragHit == HTTOPRIGHT)
                r.top += dy;
            if (dragHit == HTBOTTOM || dragHit == HTBOTTOMLEFT || dragHit == HTBOTTOMRIGHT)
                r.bottom += dy;
            MINMAXINFO mmi{};
            mmi.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMIN), GetSystemMetrics(SM_CYMIN)};
            mmi.ptMaxTrackSize = POINT{100000, 100000};
            SendMessageW(dragHwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
            int minW = std::max<int>(1, mmi.ptMinTrackSize.x), minH = std::max<int>(1, mmi.ptMinTrackSize.y);
            if (r.right - r.left < minW) {
                if (r.left != dragRect.left)
                    r.left = r.right - minW;
                else
                    r.right = r.left + minW;
            }
            if (r.bottom - r.top < minH) {
                if (r.top != dragRect.top)
                    r.top = r.bottom - minH;
                else
                    r.bottom = r.top + minH;
            }
        }
        SetWindowPos(dragHwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }

    HWND target = capture();
    bool captured = target != nullptr && findWindow(target) != nullptr;
    if (!captured)
        target = windowFromScreenPoint(pt);

    HWND last;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        last = m_lastMouse;
        m_lastMouse = target;
    }
    if (last != target && last && q.trackHwnd == last && (q.trackFlags & TME_LEAVE) && findWindow(last)) {
        emit(last, WM_MOUSELEAVE, 0, 0, 0);
        q.trackFlags = 0;
        q.trackHwnd = nullptr;
    }

    if (in.kind == RawInput::MouseDown)
        setKey(vks[button], true);
    else if (in.kind == RawInput::MouseUp)
        setKey(vks[button], false);

    auto w = findWindow(target);
    if (!w)
        return;
    int hit = HTCLIENT;
    if (!captured)
        hit = int(SendMessageW(target, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)));
    if (!findWindow(target))
        return;
    bool client = hit == HTCLIENT || captured;

    UINT msg = 0;
    switch (in.kind) {
    case RawInput::MouseMove:
        msg = client ? WM_MOUSEMOVE : WM_NCMOUSEMOVE;
        break;
    case RawInput::MouseDown: {
        static const UINT downs[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
        msg = downs[button];
        int64_t now = in.time;
        bool dbl = false;
        {
            std::lock_guard<std::recursive_mutex> lock(m_mutex);
            dbl = m_clickHwnd == target && m_clickButton == button && now - m_clickTime <= kDoubleClickMs &&
                  std::abs(pt.x - m_clickPt.x) <= kDoubleClickBox && std::abs(pt.y - m_clickPt.y) <= kDoubleClickBox;
            if (dbl && client && !(w->cls->wc.style & CS_DBLCLKS))
                dbl = false;
            if (dbl) {
                m_clickHwnd = nullptr;
            } else {
                m_clickHwnd = target;
                m_clickButton = button;
                m_clickTime = now;
                m_clickPt = pt;
            }
        }
        if (dbl)
            msg += 2;  // the DBLCLK message follows DOWN and UP
        if (!client)
            msg = msg - WM_LBUTTONDOWN + WM_NCLBUTTONDOWN;
        break;
    }
    case RawInput::MouseUp: {
        static const UINT ups[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
        msg = ups[button];
        if (!client)
            msg = msg - WM_LBUTTONDOWN + WM_NCLBUTTONDOWN;
        break;
    }
    case RawInput::Wheel:
        msg = WM_MOUSEWHEEL;
        break;
    default:
        return;
    }
    if (msg == WM_NCLBUTTONDOWN + 6 || msg == WM_NCLBUTTONDOWN + 7 || msg == WM_NCLBUTTONDOWN + 8)
        return;  // no non-client middle button messages

    if (in.kind == RawInput::MouseDown) {
        HWND top = topLevelOf(target);
        auto t = findWindow(top);
        if (t && active() != top && !(t->exStyle & WS_EX_NOACTIVATE)) {
            LRESULT ma = SendMessageW(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELPARAM(hit, msg));
            if (ma != MA_NOACTIVATE && ma != MA_NOACTIVATEANDEAT)
                activate(top);
            if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT)
                return;
        }
    }
    if ((in.kind == RawInput::MouseMove || in.kind == RawInput::MouseDown) && !captured && findWindow(target))
        SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, msg));
    if (!findWindow(target))
        return;

    DWORD keys = mouseKeyFlags();
    if (msg == WM_MOUSEWHEEL) {
        emit(target, msg, MAKEWPARAM(keys, in.delta), MAKELPARAM(pt.x, pt.y), 0);
        return;
    }
    if (!client) {
        emit(target, msg, WPARAM(hit), MAKELPARAM(pt.x, pt.y), 0);
        return;
    }
    POINT origin = clientToScreen(*w, POINT{0, 0});
    POINT cp{pt.x - origin.x, pt.y - origin.y};
    if (msg == WM_MOUSEMOVE && q.trackHwnd == target && (q.trackFlags & TME_HOVER)) {
        if (std::abs(pt.x - q.hoverPt.x) > kHoverBox || std::abs(pt.y - q.hoverPt.y) > kHoverBox) {
            q.hoverStart = in.time;
            q.hoverPt = pt;
        }
    }
    emit(target, msg, keys, MAKELPARAM(cp.x, cp.y), 0);
}

void checkHover(ThreadQueue& q, std::deque<MSG>& out)
{
    if (!(q.trackFlags & TME_HOVER) || !q.trackHwnd)
        return;
    if (nowMs() < q.hoverStart + q.hoverTime)
        return;
    auto w = findWindow(q.trackHwnd);
    q.trackFlags &= ~DWORD(TME_HOVER);
    if (!w)
        return;
    POINT c = input().cursorPos();
    POINT origin = clientToScreen(*w, POINT{0, 0});
    MSG m{};
    m.hwnd = q.trackHwnd;
    m.message = WM_MOUSEHOVER;
    DWORD keys = 0;
    if (input().keyState(VK_LBUTTON) < 0)
        keys |= MK_LBUTTON;
    if (input().keyState(VK_RBUTTON) < 0)
        keys |= MK_RBUTTON;
    if (input().keyState(VK_SHIFT) < 0)
        keys |= MK_SHIFT;
    if (input().keyState(VK_CONTROL) < 0)
        keys |= MK_CONTROL;
    m.wParam = keys;
    m.lParam = MAKELPARAM(c.x - origin.x, c.y - origin.y);
    m.time = DWORD(nowMs());
    m.pt = c;
    out.push_back(m);
}

int64_t hoverDue(ThreadQueue& q)
{
    if (!(q.trackFlags & TME_HOVER) || !q.trackHwnd)
        return -1;
    return q.hoverStart + q.hoverTime;
}

namespace headless {

namespace {
void mouse(RawInput::Kind kind, int x, int y, int button, int delta)
{
    RawInput in;
    in.kind = kind;
    in.pt = POINT{x, y};
    in.button = button;
    in.delta = delta;
    input().route(in);
}
}  // namespace

void mouseMove(int x, int y) { mouse(RawInput::MouseMove, x, y, 0, 0); }
void mouseDown(int x, int y, int button) { mouse(RawInput::MouseDown, x, y, button, 0); }
void mouseUp(int x, int y, int button) { mouse(RawInput::MouseUp, x, y, button, 0); }

void click(int x, int y, int button)
{
    mouseDown(x, y, button);
    mouseUp(x, y, button);
}

void mouseWheel(int x, int y, int delta) { mouse(RawInput::Wheel, x, y, 0, delta); }

void keyDown(int vk, char16_t ch)
{
    RawInput in;
    in.kind = RawInput::KeyDown;
    in.vk = vk;
    in.ch = ch;
    input().route(in);
}

void keyUp(int vk)
{
    RawInput in;
    in.kind = RawInput::KeyUp;
    in.vk = vk;
    input().route(in);
}

void typeText(const std::u16string& text)
{
    for (char16_t c : text) {
        int vk = 0;
        if (c >= 'a' && c <= 'z')
            vk = 'A' + (c - 'a');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            vk = c;
        else if (c == ' ')
            vk = VK_SPACE;
        else if (c == '\r' || c == '\n')
            vk = VK_RETURN;
        else
            vk = 0xE5;  // VK_PROCESSKEY: text from an input method
        keyDown(vk, c == '\n' ? u'\r' : c);
        keyUp(vk);
    }
}

}  // namespace headless

}  // namespace winapi

using namespace winapi;

HWND SetFocus(HWND hwnd) { return input().setFocus(hwnd); }
HWND GetFocus() { return input().focus(); }
HWND SetCapture(HWND hwnd) { return findWindow(hwnd) ? input().setCapture(hwnd) : nullptr; }
BOOL ReleaseCapture() { return input().releaseCapture() ? TRUE : FALSE; }
HWND GetCapture() { return input().capture(); }
HWND SetActiveWindow(HWND hwnd)
{
    HWND old = input().active();
    input().activate(topLevelOf(hwnd));
    return old;
}
HWND GetActiveWindow() { return input().active(); }
HWND GetForegroundWindow() { return input().active(); }
SHORT GetKeyState(int vk) { return input().keyState(vk); }
SHORT GetAsyncKeyState(int vk) { return input().keyState(vk); }

BOOL GetCursorPos(LPPOINT pt)
{
    if (!pt)
        return FALSE;
    *pt = input().cursorPos();
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    headless::mouseMove(x, y);
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT pt)
{
    auto w = findWindow(hwnd);
    if (!w || !pt)
        return FALSE;
    POINT o = clientToScreen(*w, POINT{0, 0});
    pt->x -= o.x;
    pt->y -= o.y;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT pt)
{
    auto w = findWindow(hwnd);
    if (!w || !pt)
        return FALSE;
    *pt = clientToScreen(*w, *pt);
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count)
{
    POINT a{0, 0}, b{0, 0};
    if (from)
        ClientToScreen(from, &a);
    if (to)
        ClientToScreen(to, &b);
    int dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(dx, dy);
}

HWND WindowFromPoint(POINT pt) { return windowFromScreenPoint(pt); }

HWND ChildWindowFromPoint(HWND parent, POINT pt)
{
    auto w = findWindow(parent);
    if (!w)
        return nullptr;
    POINT s = clientToScreen(*w, pt);
    if (!contains(RECT{0, 0, w->width(), w->height()}, pt))
        return nullptr;
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
        auto c = findWindow(*it);
        if (c && contains(screenRect(*c), s))
            return c->handle;
    }
    return parent;
}

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT tme)
{
    if (!tme)
        return FALSE;
    auto q = currentQueue();
    if (tme->dwFlags & TME_QUERY) {
        tme->dwFlags = q->trackFlags;
        tme->hwndTrack = q->trackHwnd;
        tme->dwHoverTime = q->hoverTime;
        return TRUE;
    }
    if (tme->dwFlags & TME_CANCEL) {
        if (q->trackHwnd == tme->hwndTrack)
            q->trackFlags &= ~(tme->dwFlags & (TME_HOVER | TME_LEAVE));
        return TRUE;
    }
    auto w = findWindow(tme->hwndTrack);
    if (!w)
        return FALSE;
    POINT c = input().cursorPos();
    if (windowFromScreenPoint(c) != tme->hwndTrack && !input().capture()) {
        if (tme->dwFlags & TME_LEAVE)
            PostMessageW(tme->hwndTrack, WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    if (q->trackHwnd != tme->hwndTrack)
        q->trackFlags = 0;
    q->trackHwnd = tme->hwndTrack;
    q->trackFlags |= tme->dwFlags & (TME_HOVER | TME_LEAVE);
    if (tme->dwFlags & TME_HOVER) {
        q->hoverTime = tme->dwHoverTime == HOVER_DEFAULT ? 400 : tme->dwHoverTime;
        q->hoverStart = nowMs();
        q->hoverPt = c;
    }
    return TRUE;
}

UINT GetDoubleClickTime() { return 500; }
