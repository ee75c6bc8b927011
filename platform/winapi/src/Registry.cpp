// The process-wide tables: live windows by handle, the z-order of top-level
// windows, the message queue of every thread, and the clock.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <unordered_map>

#include "platform/winapi/src/Backend.h"
#include "platform/winapi/src/Core.h"
#include "winapi/platform.h"

namespace winapi {

namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;  // guarded by mutex
    std::vector<HWND> topLevel;                                      // guarded by mutex, bottom to top
    std::vector<std::weak_ptr<ThreadQueue>> queues;                  // guarded by mutex
    uintptr_t nextHandle = 0x1000;                                   // guarded by mutex
    std::atomic<DWORD> nextThreadId{1};
};

Registry& reg()
{
    static Registry* r = new Registry;  // lives until the process ends
    return *r;
}

struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder()
    {
        if (!queue)
            return;
        std::lock_guard<std::mutex> lock(queue->mutex);
        queue->alive = false;
        queue->posted.clear();
        for (auto& s : queue->sent) {
            std::lock_guard<std::mutex> l(s->mutex);
            s->done = true;
            s->cv.notify_all();
        }
        queue->sent.clear();
    }
};
thread_local QueueHolder t_queue;

std::atomic<int> g_clockMode{int(ClockMode::Manual)};
std::atomic<int64_t> g_manualNow{1000};

int64_t realNow()
{
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return 1000 + duration_cast<milliseconds>(steady_clock::now() - start).count();
}

}  // namespace

Window::~Window()
{
    if (surface)
        cairo_surface_destroy(surface);
    if (update)
        cairo_region_destroy(update);
    if (shape)
        cairo_region_destroy(shape);
    if (controlData && freeControlData)
        freeControlData(controlData);
}

std::shared_ptr<Window> findWindow(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    Registry& r = reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == r.windows.end() ? nullptr : it->second;
}

HWND registerWindow(const std::shared_ptr<Window>& w)
{
    Registry& r = reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.nextHandle += 4;  // never reused, never one of the special values
    HWND h = reinterpret_cast<HWND>(r.nextHandle);
    w->handle = h;
    r.windows[r.nextHandle] = w;
    if (!w->isChild())
        r.topLevel.push_back(h);
    return h;
}

void unregisterWindow(HWND hwnd)
{
    std::shared_ptr<Window> keep;  // destroyed outside the lock
    Registry& r = reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    if (it != r.windows.end()) {
        keep = it->second;
        r.windows.erase(it);
    }
    r.topLevel.erase(std::remove(r.topLevel.begin(), r.topLevel.end(), hwnd), r.topLevel.end());
}

std::vector<HWND> topLevelWindows()
{
    Registry& r = reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.topLevel;
}

void raiseTopLevel(HWND hwnd)
{
    Registry& r = reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = std::find(r.topLevel.begin(), r.topLevel.end(), hwnd);
    if (it == r.topLevel.end())
        return;
    r.topLevel.erase(it);
    // Topmost windows stay above the others.
    auto pos = r.topLevel.end();
    auto self = r.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    bool topmost = self != r.windows.end() && (self->second->exStyle & WS_EX_TOPMOST);
    if (!topmost) {
        pos = std::find_if(r.topLevel.begin(), r.topLevel.end(), [&](HWND h) {
            auto o = r.windows.find(reinterpret_cast<uintptr_t>(h));
            return o != r.windows.end() && (o->second->exStyle & WS_EX_TOPMOST);
        });
    }
    r.topLevel.insert(pos, hwnd);
}

void forEachWindow(const std::function<void(const std::shared_ptr<Window>&)>& fn)
{
    std::vector<std::shared_ptr<Window>> all;
    {
        Registry& r = reg();
        std::lock_guard<std::mutex> lock(r.mutex);
        all.reserve(r.windows.size());
        for (auto& kv : r.windows)
            all.push_back(kv.second);
    }
    for (auto& w : all)
        fn(w);
}

std::shared_ptr<ThreadQueue> currentQueue()
{
    if (!t_queue.queue) {
        auto q = std::make_shared<ThreadQueue>();
        q->thread = std::this_thread::get_id();
        Registry& r = reg();
        q->threadId = r.nextThreadId++;
        std::lock_guard<std::mutex> lock(r.mutex);
        r.queues.erase(std::remove_if(r.queues.begin(), r.queues.end(),
                                      [](const std::weak_ptr<ThreadQueue>& w) { return w.expired(); }),
                       r.queues.end());
        r.queues.push_back(q);
        t_queue.queue = q;
    }
    return t_queue.queue;
}

std::shared_ptr<ThreadQueue> queueOfThread(DWORD threadId)
{
    Registry& r = reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (auto& w : r.queues)
        if (auto q = w.lock())
            if (q->threadId == threadId)
                return q;
    return nullptr;
}

void wakeAllQueues()
{
    std::vector<std::shared_ptr<ThreadQueue>> all;
    {
        Registry& r = reg();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (auto& w : r.queues)
            if (auto q = w.lock())
                all.push_back(q);
    }
    for (auto& q : all) {
        std::lock_guard<std::mutex> lock(q->mutex);
        q->cv.notify_all();
    }
}

int64_t nowMs()
{
    return g_clockMode.load() == int(ClockMode::Manual) ? g_manualNow.load() : realNow();
}

void setClockMode(ClockMode mode)
{
    if (mode == ClockMode::Manual)
        g_manualNow = realNow();
    g_clockMode = int(mode);
    wakeAllQueues();
}

ClockMode clockMode() { return ClockMode(g_clockMode.load()); }

void advanceClock(uint32_t ms)
{
    g_manualNow += ms;
    wakeAllQueues();
}

uint32_t clockNow() { return uint32_t(nowMs()); }

}  // namespace winapi

DWORD GetTickCount() { return DWORD(winapi::nowMs()); }
ULONGLONG GetTickCount64() { return ULONGLONG(winapi::nowMs()); }
DWORD GetCurrentThreadId() { return winapi::currentQueue()->threadId; }
