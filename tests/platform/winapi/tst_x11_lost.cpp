// test-labels: xvfb
// When the X server goes away, the message loop leaves with an error
// instead of hanging. A private Xvfb is started and killed for this.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "tests/platform/winapi/PrivateXvfb.h"
#include "windows.h"

TEST(X11Lost, LoopEndsWithAnErrorWhenTheServerDies)
{
    PrivateXvfb server;
    if (!server.running())
        GTEST_SKIP() << "no private Xvfb";
    setenv("DISPLAY", server.display().c_str(), 1);
    ASSERT_TRUE(winapi::selectBackend(winapi::Backend::X11));
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"Lost";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, u"Lost", nullptr, WS_POPUP | WS_VISIBLE, 10, 10, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    winapi::pumpMessages();

    server.stop();

    // The loop must come back with -1 (no WM_QUIT will ever come).
    auto start = std::chrono::steady_clock::now();
    MSG msg;
    BOOL r = 1;
    while (r > 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        r = GetMessageW(&msg, nullptr, 0, 0);
        if (r > 0)
            DispatchMessageW(&msg);
    }
    EXPECT_EQ(r, -1);
    // Drawing and window calls after the loss do nothing harmful.
    InvalidateRect(hwnd, nullptr, TRUE);
    winapi::pumpMessages();
    DestroyWindow(hwnd);
}
