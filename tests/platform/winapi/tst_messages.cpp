// Window life cycle, posting from threads, timers, hover and double clicks
// on the headless backend with the virtual clock.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include "windows.h"

namespace {

struct Recorder {
    std::vector<UINT> messages;
    std::vector<MSG> details;
    bool record(UINT m) const
    {
        return m != WM_NCHITTEST && m != WM_SETCURSOR && m != WM_GETTEXT && m != WM_MOUSEACTIVATE;
    }
};

Recorder* g_rec = nullptr;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (g_rec && g_rec->record(msg)) {
        g_rec->messages.push_back(msg);
        MSG m{};
        m.hwnd = hwnd;
        m.message = msg;
        m.wParam = wParam;
        m.lParam = lParam;
        m.time = GetTickCount();
        g_rec->details.push_back(m);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void registerRecording(UINT style = 0)
{
    WNDCLASSW wc{};
    wc.style = style;
    wc.lpfnWndProc = recordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = style ? u"RecDbl" : u"Rec";
    ATOM a = RegisterClassW(&wc);
    ASSERT_TRUE(a != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
}

size_t indexOf(const std::vector<UINT>& v, UINT m)
{
    for (size_t i = 0; i < v.size(); ++i)
        if (v[i] == m)
            return i;
    return size_t(-1);
}

}  // namespace

TEST(WinapiMessages, CreateAndDestroyOrder)
{
    registerRecording();
    Recorder rec;
    g_rec = &rec;
    HWND hwnd = CreateWindowExW(0, u"Rec", u"t", WS_OVERLAPPEDWINDOW, 10, 20, 300, 200, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    std::vector<UINT> expected = {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE};
    EXPECT_EQ(rec.messages, expected);

    HWND child = CreateWindowExW(0, u"Rec", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, hwnd, nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    rec.messages.clear();
    rec.details.clear();
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    winapi::pumpMessages();
    ASSERT_GE(rec.details.size(), 5u);
    // WM_CLOSE -> WM_DESTROY (parent, then child) -> WM_NCDESTROY (child, then parent)
    std::vector<std::pair<HWND, UINT>> life;
    for (auto& m : rec.details)
        if (m.message == WM_CLOSE || m.message == WM_DESTROY || m.message == WM_NCDESTROY)
            life.emplace_back(m.hwnd, m.message);
    std::vector<std::pair<HWND, UINT>> want = {
        {hwnd, WM_CLOSE}, {hwnd, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {hwnd, WM_NCDESTROY}};
    EXPECT_EQ(life, want);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindow(child));
    // A dead window takes no more messages; the poster learns it.
    EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 0);
    g_rec = nullptr;
}

TEST(WinapiMessages, CreationRefusedAtNcCreateLeavesNoWindow)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_NCCREATE)
            return FALSE;
        return DefWindowProcW(h, m, w, l);
    };
    wc.lpszClassName = u"Refuse";
    RegisterClassW(&wc);
    EXPECT_EQ(CreateWindowExW(0, u"Refuse", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CANNOT_FIND_WND_CLASS));
}

namespace {
struct PostLog {
    std::vector<std::pair<int, int>> got;  // (thread, sequence)
};
PostLog* g_log = nullptr;
LRESULT CALLBACK logProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_USER + 1 && g_log)
        g_log->got.emplace_back(int(w), int(l));
    return DefWindowProcW(h, m, w, l);
}
}  // namespace

TEST(WinapiMessages, PostsFromFourThreadsArriveOnceInOrder)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = logProc;
    wc.lpszClassName = u"PostLog";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, u"PostLog", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    PostLog log;
    g_log = &log;
    std::thread::id mainThread = std::this_thread::get_id();
    std::atomic<bool> wrongThread{false};
    (void)mainThread;
    constexpr int kThreads = 4, kPosts = 1000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([=] {
            for (int i = 0; i < kPosts; ++i)
                ASSERT_TRUE(PostMessageW(hwnd, WM_USER + 1, WPARAM(t), LPARAM(i)));
        });
    // Dispatch while the threads post: GetMessage waits for them.
    int received = 0;
    MSG msg;
    while (received < kThreads * kPosts && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_USER + 1)
            ++received;
        DispatchMessageW(&msg);
    }
    for (auto& th : threads)
        th.join();
    EXPECT_FALSE(wrongThread);
    ASSERT_EQ(log.got.size(), size_t(kThreads * kPosts));
    std::vector<int> next(kThreads, 0);
    for (auto& [t, seq] : log.got) {
        ASSERT_EQ(seq, next[size_t(t)]) << "thread " << t;
        ++next[size_t(t)];
    }
    g_log = nullptr;
    DestroyWindow(hwnd);
}

TEST(WinapiMessages, SendFromAnotherThreadRunsOnTheOwnerThread)
{
    static std::thread::id seen;
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER + 7) {
            seen = std::this_thread::get_id();
            return LRESULT(w * 2);
        }
        return DefWindowProcW(h, m, w, l);
    };
    wc.lpszClassName = u"SendCross";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, u"SendCross", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    std::atomic<LRESULT> result{0};
    std::thread worker([&] { result = SendMessageW(hwnd, WM_USER + 7, 21, 0); });
    while (result.load() == 0)
        winapi::pumpMessages();
    worker.join();
    EXPECT_EQ(result.load(), 42);
    EXPECT_EQ(seen, std::this_thread::get_id());
    DestroyWindow(hwnd);
}

TEST(WinapiMessages, TimersFireAtVirtualTimesAndCoalesce)
{
    registerRecording();
    Recorder rec;
    g_rec = &rec;
    HWND hwnd = CreateWindowExW(0, u"Rec", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    rec.messages.clear();
    rec.details.clear();
    DWORD start = GetTickCount();
    ASSERT_NE(SetTimer(hwnd, 10, 50, nullptr), 0u);
    winapi::advanceClock(49);
    winapi::pumpMessages();
    EXPECT_EQ(indexOf(rec.messages, WM_TIMER), size_t(-1));
    winapi::advanceClock(1);
    winapi::pumpMessages();
    ASSERT_EQ(std::count(rec.messages.begin(), rec.messages.end(), UINT(WM_TIMER)), 1);
    EXPECT_EQ(rec.details.back().wParam, 10u);
    EXPECT_EQ(rec.details.back().time - start, 50u);
    // Three intervals late: one WM_TIMER, not three.
    winapi::advanceClock(150);
    winapi::pumpMessages();
    EXPECT_EQ(std::count(rec.messages.begin(), rec.messages.end(), UINT(WM_TIMER)), 2);
    EXPECT_TRUE(KillTimer(hwnd, 10));
    EXPECT_FALSE(KillTimer(hwnd, 10));
    winapi::advanceClock(500);
    winapi::pumpMessages();
    EXPECT_EQ(std::count(rec.messages.begin(), rec.messages.end(), UINT(WM_TIMER)), 2);
    g_rec = nullptr;
    DestroyWindow(hwnd);
}

TEST(WinapiMessages, HoverAndLeaveTracking)
{
    registerRecording();
    Recorder rec;
    g_rec = &rec;
    HWND hwnd = CreateWindowExW(0, u"Rec", nullptr, WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
    winapi::headless::mouseMove(150, 150);
    winapi::pumpMessages();
    TRACKMOUSEEVENT tme{sizeof tme, TME_HOVER | TME_LEAVE, hwnd, 400};
    ASSERT_TRUE(TrackMouseEvent(&tme));
    rec.messages.clear();
    rec.details.clear();
    winapi::advanceClock(300);
    winapi::headless::mouseMove(151, 150);  // within the hover box: the wait goes on
    winapi::pumpMessages();
    winapi::advanceClock(99);
    winapi::pumpMessages();
    EXPECT_EQ(indexOf(rec.messages, WM_MOUSEHOVER), size_t(-1));
    winapi::advanceClock(1);
    winapi::pumpMessages();
    size_t hover = indexOf(rec.messages, WM_MOUSEHOVER);
    ASSERT_NE(hover, size_t(-1));
    EXPECT_EQ(GET_X_LPARAM(rec.details[hover].lParam), 51);
    EXPECT_EQ(GET_Y_LPARAM(rec.details[hover].lParam), 50);
    // Leaving the window sends WM_MOUSELEAVE once.
    winapi::headless::mouseMove(10, 10);
    winapi::pumpMessages();
    winapi::headless::mouseMove(12, 10);
    winapi::pumpMessages();
    EXPECT_EQ(std::count(rec.messages.begin(), rec.messages.end(), UINT(WM_MOUSELEAVE)), 1);
    g_rec = nullptr;
    DestroyWindow(hwnd);
}

TEST(WinapiMessages, DoubleClickNeedsTheClassStyleAndTheTime)
{
    registerRecording(CS_DBLCLKS);
    registerRecording(0);
    Recorder rec;
    g_rec = &rec;
    HWND dbl = CreateWindowExW(0, u"RecDbl", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                               nullptr);
    HWND plain = CreateWindowExW(0, u"Rec", nullptr, WS_POPUP | WS_VISIBLE, 200, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    auto clicks = [&](int x) {
        rec.messages.clear();
        winapi::headless::click(x, 10);
        winapi::advanceClock(100);
        winapi::headless::click(x + 1, 11);
        winapi::pumpMessages();
        return rec.messages;
    };
    auto v = clicks(10);
    EXPECT_NE(indexOf(v, WM_LBUTTONDBLCLK), size_t(-1));
    v = clicks(210);
    EXPECT_EQ(indexOf(v, WM_LBUTTONDBLCLK), size_t(-1));
    EXPECT_EQ(std::count(v.begin(), v.end(), UINT(WM_LBUTTONDOWN)), 2);
    // Too slow for a double click.
    rec.messages.clear();
    winapi::headless::click(10, 10);
    winapi::advanceClock(600);
    winapi::headless::click(10, 10);
    winapi::pumpMessages();
    EXPECT_EQ(indexOf(rec.messages, WM_LBUTTONDBLCLK), size_t(-1));
    g_rec = nullptr;
    DestroyWindow(dbl);
    DestroyWindow(plain);
}

TEST(WinapiMessages, CaptionDragMovesTheWindow)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_NCHITTEST) {
            POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            ScreenToClient(h, &p);
            return p.y < 30 ? HTCAPTION : HTCLIENT;
        }
        return DefWindowProcW(h, m, w, l);
    };
    wc.lpszClassName = u"Drag";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, u"Drag", nullptr, WS_POPUP | WS_VISIBLE, 100, 100, 200, 150, nullptr, nullptr,
                                nullptr, nullptr);
    winapi::headless::mouseMove(150, 110);
    winapi::headless::mouseDown(150, 110);
    winapi::pumpMessages();
    winapi::headless::mouseMove(200, 160);
    winapi::headless::mouseMove(250, 210);
    winapi::headless::mouseUp(250, 210);
    winapi::pumpMessages();
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 200);
    EXPECT_EQ(r.right - r.left, 200);
    DestroyWindow(hwnd);
}

TEST(WinapiMessages, VirtualScreenAndWorkArea)
{
    winapi::headless::setScreen(1920, 1080, RECT{0, 0, 1920, 1040});
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(nullptr, MONITOR_DEFAULTTONEAREST), &mi));
    EXPECT_EQ(mi.rcWork.bottom, 1040);
    EXPECT_EQ(mi.rcMonitor.bottom, 1080);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    // Maximising asks WM_GETMINMAXINFO and takes its answer.
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_GETMINMAXINFO) {
            auto* mmi = reinterpret_cast<MINMAXINFO*>(l);
            mmi->ptMaxPosition = POINT{0, 0};
            mmi->ptMaxSize = POINT{1920, 1040};
        }
        return DefWindowProcW(h, m, w, l);
    };
    wc.lpszClassName = u"MaxWin";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, u"MaxWin", nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500, 400, nullptr,
                                nullptr, nullptr, nullptr);
    ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(IsZoomed(hwnd));
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.bottom, 1040);
    EXPECT_EQ(r.right, 1920);
    ShowWindow(hwnd, SW_RESTORE);
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.right, 600);
    // Alt+F4 arrives as a close.
    SetFocus(hwnd);
    winapi::headless::keyDown(VK_MENU);
    winapi::headless::keyDown(VK_F4);
    winapi::headless::keyUp(VK_F4);
    winapi::headless::keyUp(VK_MENU);
    winapi::pumpMessages();
    EXPECT_FALSE(IsWindow(hwnd));
}
