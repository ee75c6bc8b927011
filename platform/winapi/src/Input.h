#pragma once
// Focus, activation, capture, key state, the cursor and the translation of
// device events into window messages (hit testing, double clicks, hover and
// leave tracking, caption dragging and edge sizing).
#include <deque>
#include <mutex>

#include "platform/winapi/src/Core.h"

namespace winapi {

class Input {
public:
    // Activation of a top-level window (WM_NCACTIVATE, WM_ACTIVATE).
    void activate(HWND top);
    HWND active();
    HWND focus();
    HWND setFocus(HWND hwnd);
    HWND capture();
    HWND setCapture(HWND hwnd);
    bool releaseCapture();
    POINT cursorPos();
    void setCursorPos(POINT pt);
    SHORT keyState(int vk);
    void windowHidden(HWND hwnd);
    void windowDestroying(HWND hwnd);
    void windowGone(HWND hwnd);
    // DefWindowProc: a press on the caption or a sizing edge starts a drag
    // that follows the mouse until the button goes up.
    void beginDrag(HWND top, int hit, POINT start);
    bool dragging();

    // Sends a device event to the queue of the window it concerns. A
    // display backend names the top-level window the event arrived at
    // (`via`), so it never reads window geometry off the windows' thread;
    // without it (input injected by a test on the windows' thread) the
    // window under the point is looked up here.
    void route(const RawInput& in, HWND via = nullptr);
    // On the queue's thread: turns one event into messages for `out`.
    void translate(ThreadQueue& q, const RawInput& in, std::deque<MSG>& out);

private:
    void setKey(int vk, bool down);
    DWORD mouseKeyFlags();

    std::recursive_mutex m_mutex;
    HWND m_focus = nullptr;        // guarded by m_mutex
    HWND m_active = nullptr;       // guarded by m_mutex
    HWND m_capture = nullptr;      // guarded by m_mutex
    HWND m_lastMouse = nullptr;    // guarded by m_mutex
    POINT m_cursor{-1, -1};        // guarded by m_mutex
    BYTE m_keys[256] = {};         // guarded by m_mutex
    HWND m_clickHwnd = nullptr;    // guarded by m_mutex: the last press, for double clicks
    int m_clickButton = -1;        // guarded by m_mutex
    int64_t m_clickTime = 0;       // guarded by m_mutex
    POINT m_clickPt{};             // guarded by m_mutex
    HWND m_dragHwnd = nullptr;     // guarded by m_mutex
    int m_dragHit = 0;             // guarded by m_mutex
    POINT m_dragStart{};           // guarded by m_mutex
    RECT m_dragRect{};             // guarded by m_mutex
};

Input& input();
// The deepest visible, enabled window under a screen point (or null).
HWND windowFromScreenPoint(POINT pt);
// Hover timing of the calling thread's queue: posts WM_MOUSEHOVER when due.
void checkHover(ThreadQueue& q, std::deque<MSG>& out);
int64_t hoverDue(ThreadQueue& q);  // -1: none

}  // namespace winapi
