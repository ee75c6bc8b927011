#pragma once
// The window system's internal model: window classes, windows, the
// per-thread message queues and the clock. A window belongs to the thread
// that created it; its fields are read and written on that thread only
// unless a comment says otherwise.
#include <cairo.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "winapi/winuser.h"

namespace winapi {

struct ThreadQueue;

struct WindowClass {
    std::u16string name;        // as registered
    std::u16string key;         // case-folded name
    HINSTANCE instance = nullptr;  // null: a system class
    WNDCLASSEXW wc{};           // lpszClassName points into name
};

// A window's state belongs to its owner thread; other threads reach it only
// where a field says so (posting checks destroying; the update region is
// shared with the queue's lock).
struct Window {
    HWND handle = nullptr;               // set at creation, never changed
    std::shared_ptr<ThreadQueue> queue;  // set at creation, never changed
    std::thread::id thread;              // the owner thread; set at creation, never changed
    std::shared_ptr<WindowClass> cls;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // WS_CHILD windows
    HWND owner = nullptr;   // top-level windows owned by another
    RECT rect{};            // parent client coordinates (children) or screen
    RECT restoreRect{};     // before maximising or minimising
    bool maximized = false;
    bool minimized = false;
    std::atomic<bool> destroying{false};  // atomic: set by the owner thread, read by posting threads
    bool created = false;  // WM_NCCREATE accepted
    std::u16string text;
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;  // GWL_ID (the menu argument of a child)
    std::map<std::u16string, HANDLE> props;
    std::vector<HWND> children;  // bottom to top
    cairo_surface_t* surface = nullptr;  // ARGB32 of the window's size
    cairo_region_t* update = nullptr;    // guarded by queue->mutex
    bool erasePending = false;           // guarded by queue->mutex
    cairo_region_t* shape = nullptr;     // window region, window coordinates
    BYTE alpha = 255;
    bool layered = false;
    HICON iconBig = nullptr;
    HICON iconSmall = nullptr;
    HCURSOR cursor = nullptr;  // class cursor
    void* native = nullptr;    // backend data (top-level windows)
    void* controlData = nullptr;  // the built-in control classes' state
    void (*freeControlData)(void*) = nullptr;

    ~Window();
    int width() const { return rect.right - rect.left; }
    int height() const { return rect.bottom - rect.top; }
    bool isChild() const { return (style & WS_CHILD) != 0; }
};

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT interval = 0;
    int64_t due = 0;
    TIMERPROC proc = nullptr;
};

struct SentMessage {
    MSG msg{};
    LRESULT result = 0;
    bool done = false;
    std::mutex mutex;
    std::condition_variable cv;
};

// A device event waiting to become window messages on the queue's thread.
struct RawInput {
    enum Kind { MouseMove, MouseDown, MouseUp, Wheel, KeyDown, KeyUp } kind = MouseMove;
    POINT pt{};
    int button = 0;
    int delta = 0;
    int vk = 0;
    char16_t ch = 0;
    int64_t time = 0;  // when the device reported it
};

struct ThreadQueue {
    std::mutex mutex;
    std::condition_variable cv;
    // guarded by mutex:
    std::deque<MSG> posted;
    std::deque<RawInput> input;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::vector<HWND> needPaint;
    bool quit = false;
    int quitCode = 0;
    bool alive = true;
    bool failed = false;  // the display went away: GetMessage returns -1
    // owner thread only:
    std::thread::id thread;
    DWORD threadId = 0;
    std::vector<Timer> timers;
    UINT_PTR nextTimerId = 1;
    HWND trackHwnd = nullptr;
    DWORD trackFlags = 0;
    DWORD hoverTime = 400;
    int64_t hoverStart = 0;
    POINT hoverPt{};
    MSG last{};  // GetMessageTime / GetMessagePos
    int sendDepth = 0;
};

// ---------------------------------------------------------------- registry
std::shared_ptr<Window> findWindow(HWND hwnd);  // null for dead or unknown
HWND registerWindow(const std::shared_ptr<Window>& w);
void unregisterWindow(HWND hwnd);
std::vector<HWND> topLevelWindows();  // bottom to top
void raiseTopLevel(HWND hwnd);
void forEachWindow(const std::function<void(const std::shared_ptr<Window>&)>& fn);

std::shared_ptr<ThreadQueue> currentQueue();
std::shared_ptr<ThreadQueue> queueOfThread(DWORD threadId);
void wakeAllQueues();

// ---------------------------------------------------------------- clock
int64_t nowMs();

// ---------------------------------------------------------------- helpers
LRESULT callProc(const std::shared_ptr<Window>& w, UINT msg, WPARAM wParam, LPARAM lParam);
POINT clientToScreen(const Window& w, POINT pt);
RECT screenRect(const Window& w);  // the window's rectangle on screen
HWND topLevelOf(HWND hwnd);
bool reallyVisible(const Window& w);
void postInput(const std::shared_ptr<ThreadQueue>& q, const RawInput& in);
void addPaintRequest(Window& w);
void invalidateWindow(Window& w, const cairo_region_t* region, bool erase);
void destroyTimersOf(ThreadQueue& q, HWND hwnd);
void inputWindowDestroyed(HWND hwnd);

}  // namespace winapi
