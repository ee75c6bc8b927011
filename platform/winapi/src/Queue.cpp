// The per-thread message queue and loop: posting (from any thread), sending
// (cross-thread sends run on the target's thread while it waits for
// messages), retrieval in the Windows order (sent, posted, input, quit,
// paint, timers) and dispatching.
#include <algorithm>
#include <chrono>

#include "platform/winapi/src/Backend.h"
#include "platform/winapi/src/Core.h"
#include "platform/winapi/src/Input.h"
#include "winapi/platform.h"
#include "winapi/winbase.h"

namespace winapi {

namespace {

bool inRange(UINT msg, UINT min, UINT max) { return (min == 0 && max == 0) || (msg >= min && msg <= max); }

bool matches(const MSG& m, HWND filter, UINT min, UINT max)
{
    if (filter && m.hwnd != filter && !IsChild(filter, m.hwnd))
        return false;
    return inRange(m.message, min, max);
}

MSG makeMsg(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG m{};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = DWORD(nowMs());
    m.pt = input().cursorPos();
    return m;
}

// Runs the messages other threads are waiting to have sent to this one.
bool runSentMessages(ThreadQueue& q)
{
    bool any = false;
    for (;;) {
        std::shared_ptr<SentMessage> s;
        {
            std::lock_guard<std::mutex> lock(q.mutex);
            if (q.sent.empty())
                return any;
            s = q.sent.front();
            q.sent.pop_front();
        }
        any = true;
        LRESULT r = 0;
        if (auto w = findWindow(s->msg.hwnd))
            if (w->proc)
                r = w->proc(w->handle, s->msg.message, s->msg.wParam, s->msg.lParam);
        std::lock_guard<std::mutex> l(s->mutex);
        s->result = r;
        s->done = true;
        s->cv.notify_all();
    }
}

// WM_PAINT for a window of this queue with something to paint; stale
// requests (dead, hidden or already valid windows) are dropped.
bool nextPaint(ThreadQueue& q, HWND filter, MSG* out)
{
    std::lock_guard<std::mutex> lock(q.mutex);
    for (size_t i = 0; i < q.needPaint.size();) {
        HWND h = q.needPaint[i];
        auto w = findWindow(h);
        bool valid = w && w->update && !cairo_region_is_empty(w->update) && reallyVisible(*w);
        if (!valid) {
            if (w && w->update && !reallyVisible(*w) && !cairo_region_is_empty(w->update)) {
                // kept in the update region; showing the window asks again
            }
            q.needPaint.erase(q.needPaint.begin() + long(i));
            continue;
        }
        if (!filter || h == filter || IsChild(filter, h)) {
            *out = makeMsg(h, WM_PAINT, 0, 0);
            return true;
        }
        ++i;
    }
    return false;
}

bool nextTimer(ThreadQueue& q, HWND filter, bool remove, MSG* out)
{
    std::lock_guard<std::mutex> lock(q.mutex);
    int64_t now = nowMs();
    for (auto& t : q.timers) {
        if (t.due > now)
            continue;
        if (filter && t.hwnd != filter)
            continue;
        *out = makeMsg(t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc));
        if (remove)
            t.due = now + t.interval;
        return true;
    }
    return false;
}

int64_t nextDue(ThreadQueue& q)
{
    int64_t due = -1;
    for (auto& t : q.timers)
        if (due < 0 || t.due < due)
            due = t.due;
    int64_t h = hoverDue(q);
    if (h >= 0 && (due < 0 || h < due))
        due = h;
    return due;
}

// 1: a message, 0: WM_QUIT, -1: the display failed, 2: nothing (no wait).
int fetch(ThreadQueue& q, MSG* out, HWND filter, UINT min, UINT max, bool remove, bool wait)
{
    std::deque<MSG> ready;  // input already turned into messages
    for (;;) {
        runSentMessages(q);
        RawInput raw;
        bool haveRaw = false;
        {
            std::lock_guard<std::mutex> lock(q.mutex);
            if (q.failed)
                return -1;
            for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
                if (matches(*it, filter, min, max)) {
                    *out = *it;
                    if (remove)
                        q.posted.erase(it);
                    return 1;
                }
            }
            if (!q.input.empty()) {
                raw = q.input.front();
                q.input.pop_front();
                haveRaw = true;
            }
        }
        if (haveRaw) {
            input().translate(q, raw, ready);
            // Input messages queue up behind what is already posted, each
            // in the queue of its window's thread.
            for (auto& m : ready) {
                auto w = findWindow(m.hwnd);
                ThreadQueue& target = w ? *w->queue : q;
                std::lock_guard<std::mutex> lock(target.mutex);
                target.posted.push_back(m);
                if (&target != &q)
                    target.cv.notify_all();
            }
            ready.clear();
            continue;
        }
        {
            std::lock_guard<std::mutex> lock(q.mutex);
            if (q.quit && (min == 0 && max == 0)) {
                *out = makeMsg(nullptr, WM_QUIT, WPARAM(q.quitCode), 0);
                if (remove)
                    q.quit = false;
                return 0;
            }
        }
        checkHover(q, ready);
        if (!ready.empty()) {
            std::lock_guard<std::mutex> lock(q.mutex);
            for (auto& m : ready)
                q.posted.push_back(m);
            ready.clear();
            continue;
        }
        if (inRange(WM_PAINT, min, max) && nextPaint(q, filter, out))
            return 1;
        if (inRange(WM_TIMER, min, max) && nextTimer(q, filter, remove, out))
            return 1;
        if (!wait)
            return 2;
        backend().flush();
        std::unique_lock<std::mutex> lock(q.mutex);
        if (!q.posted.empty() || !q.sent.empty() || !q.input.empty() || q.quit || q.failed)
            continue;
        bool paintWaiting = false;
        for (HWND h : q.needPaint) {
            auto w = findWindow(h);
            if (w && reallyVisible(*w)) {
                paintWaiting = true;
                break;
            }
        }
        if (paintWaiting)
            continue;
        int64_t due = nextDue(q);
        int64_t now = nowMs();
        if (due >= 0 && due <= now)
            continue;
        if (clockMode() == ClockMode::Real && due >= 0)
            q.cv.wait_for(lock, std::chrono::milliseconds(due - now));
        else
            q.cv.wait_for(lock, std::chrono::milliseconds(clockMode() == ClockMode::Real ? 1000 : 200));
    }
}

}  // namespace

void postInput(const std::shared_ptr<ThreadQueue>& q, const RawInput& in)
{
    std::lock_guard<std::mutex> lock(q->mutex);
    if (!q->alive)
        return;
    q->input.push_back(in);
    q->cv.notify_all();
}

void addPaintRequest(Window& w)
{
    // caller holds w.queue->mutex
    auto& np = w.queue->needPaint;
    if (std::find(np.begin(), np.end(), w.handle) == np.end())
        np.push_back(w.handle);
    w.queue->cv.notify_all();
}

void destroyTimersOf(ThreadQueue& q, HWND hwnd)
{
    std::lock_guard<std::mutex> lock(q.mutex);
    q.timers.erase(std::remove_if(q.timers.begin(), q.timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
                   q.timers.end());
    q.posted.erase(std::remove_if(q.posted.begin(), q.posted.end(),
                                  [&](const MSG& m) { return m.hwnd == hwnd && m.message != WM_QUIT; }),
                   q.posted.end());
}

void markQueuesFailed()
{
    forEachWindow([](const std::shared_ptr<Window>& w) {
        std::lock_guard<std::mutex> lock(w->queue->mutex);
        w->queue->failed = true;
        w->queue->cv.notify_all();
    });
}

int pumpMessages()
{
    auto q = currentQueue();
    int n = 0;
    MSG msg;
    // A window that never validates itself would paint forever; a pump
    // gives up after this many messages (GetMessage loops keep going).
    constexpr int kMaxPerPump = 1 << 22;
    while (n < kMaxPerPump) {
        int r = fetch(*q, &msg, nullptr, 0, 0, true, false);
        if (r == 2 || r == -1)
            break;
        if (r == 0) {
            std::lock_guard<std::mutex> lock(q->mutex);
            q->quit = true;
            q->quitCode = int(msg.wParam);
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        ++n;
    }
    backend().flush();
    return n;
}

// Appends a posted message (stamped with the time and cursor position of
// the post) to q and wakes its thread; false once the queue's thread has gone.
static bool postToQueue(ThreadQueue& q, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const MSG m = makeMsg(hwnd, message, wParam, lParam);
    std::lock_guard<std::mutex> lock(q.mutex);
    if (!q.alive)
        return false;
    q.posted.push_back(m);
    q.cv.notify_one();
    return true;
}

bool quitPending(int* exitCode)
{
    auto q = currentQueue();
    std::lock_guard<std::mutex> lock(q->mutex);
    if (exitCode)
        *exitCode = q->quitCode;
    return q->quit;
}

}  // namespace winapi

using namespace winapi;

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!hwnd)
        return PostThreadMessageW(GetCurrentThreadId(), message, wParam, lParam);
    auto w = findWindow(hwnd);
    if (!w || w->destroying) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!postToQueue(*w->queue, hwnd, message, wParam, lParam)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto q = threadId == GetCurrentThreadId() ? currentQueue() : queueOfThread(threadId);
    if (!q) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return postToQueue(*q, nullptr, message, wParam, lParam) ? TRUE : FALSE;
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto w = findWindow(hwnd);
    if (!w || !w->proc)
        return 0;
    if (w->thread == std::this_thread::get_id())
        return w->proc(hwnd, message, wParam, lParam);
    // Another thread's window: its own thread runs the procedure.
    auto item = std::make_shared<SentMessage>();
    item->msg.hwnd = hwnd;
    item->msg.message = message;
    item->msg.wParam = wParam;
    item->msg.lParam = lParam;
    {
        std::lock_guard<std::mutex> lock(w->queue->mutex);
        if (!w->queue->alive)
            return 0;
        w->queue->sent.push_back(item);
        w->queue->cv.notify_all();
    }
    auto self = currentQueue();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(item->mutex);
            if (item->cv.wait_for(lock, std::chrono::milliseconds(5), [&] { return item->done; }))
                return item->result;
        }
        runSentMessages(*self);
        if (!findWindow(hwnd)) {
            std::lock_guard<std::mutex> lock(w->queue->mutex);
            auto& s = w->queue->sent;
            s.erase(std::remove(s.begin(), s.end(), item), s.end());
            std::lock_guard<std::mutex> l(item->mutex);
            return item->done ? item->result : 0;
        }
    }
}

BOOL SendNotifyMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto w = findWindow(hwnd);
    if (!w)
        return FALSE;
    if (w->thread == std::this_thread::get_id()) {
        SendMessageW(hwnd, message, wParam, lParam);
        return TRUE;
    }
    return PostMessageW(hwnd, message, wParam, lParam);
}

void PostQuitMessage(int exitCode)
{
    auto q = currentQueue();
    std::lock_guard<std::mutex> lock(q->mutex);
    q->quit = true;
    q->quitCode = exitCode;
    q->cv.notify_all();
}

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (!msg)
        return -1;
    auto q = currentQueue();
    int r = fetch(*q, msg, hwnd, filterMin, filterMax, true, true);
    if (r == 1 || r == 0)
        q->last = *msg;
    return r;
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    if (!msg)
        return FALSE;
    auto q = currentQueue();
    int r = fetch(*q, msg, hwnd, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0, false);
    if (r == 0 || r == 1) {
        q->last = *msg;
        return TRUE;
    }
    return FALSE;
}

BOOL WaitMessage()
{
    auto q = currentQueue();
    MSG m;
    return fetch(*q, &m, nullptr, 0, 0, false, true) >= 0 ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || !msg->lPrivate)
        return FALSE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)
        return FALSE;
    UINT charMsg = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    auto w = findWindow(msg->hwnd);
    if (!w)
        return FALSE;
    MSG m = *msg;
    m.message = charMsg;
    m.wParam = WPARAM(msg->lPrivate);
    m.lPrivate = 0;
    std::lock_guard<std::mutex> lock(w->queue->mutex);
    w->queue->posted.push_front(m);
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        if (!msg->hwnd || findWindow(msg->hwnd))
            proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    auto w = findWindow(msg->hwnd);
    if (!w || !w->proc || w->thread != std::this_thread::get_id())
        return 0;
    return w->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL InSendMessage() { return FALSE; }

DWORD GetMessageTime() { return currentQueue()->last.time; }

DWORD GetMessagePos()
{
    POINT p = currentQueue()->last.pt;
    return DWORD(MAKELONG(p.x, p.y));
}

BOOL IsDialogMessageW(HWND, LPMSG) { return FALSE; }

namespace {
// The queue that runs a window's timers (the caller's for thread timers).
std::shared_ptr<ThreadQueue> timerQueue(HWND hwnd)
{
    if (!hwnd)
        return currentQueue();
    auto w = findWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return w->queue;
}
}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc)
{
    std::shared_ptr<ThreadQueue> q = timerQueue(hwnd);
    if (!q)
        return 0;
    elapseMs = std::max<UINT>(elapseMs, 10);
    std::lock_guard<std::mutex> lock(q->mutex);
    if (!hwnd) {
        // A thread timer gets an id of its own.
        do {
            id = q->nextTimerId++;
        } while (std::any_of(q->timers.begin(), q->timers.end(),
                             [&](const Timer& t) { return !t.hwnd && t.id == id; }));
    }
    for (auto& t : q->timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.interval = elapseMs;
            t.due = nowMs() + elapseMs;
            t.proc = proc;
            q->cv.notify_all();
            return hwnd ? 1 : id;
        }
    }
    Timer t;
    t.hwnd = hwnd;
    t.id = id;
    t.interval = elapseMs;
    t.due = nowMs() + elapseMs;
    t.proc = proc;
    q->timers.push_back(t);
    q->cv.notify_all();
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    std::shared_ptr<ThreadQueue> q = timerQueue(hwnd);
    if (!q)
        return FALSE;
    std::lock_guard<std::mutex> lock(q->mutex);
    auto it = std::find_if(q->timers.begin(), q->timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == q->timers.end())
        return FALSE;
    q->timers.erase(it);
    return TRUE;
}
