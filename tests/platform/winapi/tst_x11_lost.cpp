// test-labels: xvfb
// When the X server goes away, the message loop leaves with an error
// instead of hanging. A private Xvfb is started and killed for this.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "windows.h"

extern char** environ;

namespace {

bool exists(const std::string& p)
{
    struct stat st;
    return stat(p.c_str(), &st) == 0;
}

}  // namespace

TEST(X11Lost, LoopEndsWithAnErrorWhenTheServerDies)
{
    if (!exists("/usr/bin/Xvfb"))
        GTEST_SKIP() << "Xvfb is not installed";
    int display = -1;
    for (int n = 137; n < 200; ++n) {
        if (!exists("/tmp/.X11-unix/X" + std::to_string(n)) && !exists("/tmp/.X" + std::to_string(n) + "-lock")) {
            display = n;
            break;
        }
    }
    ASSERT_GE(display, 0);
    std::string name = ":" + std::to_string(display);
    const char* argv[] = {"Xvfb", name.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, "/usr/bin/Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!exists("/tmp/.X11-unix/X" + std::to_string(display)) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    setenv("DISPLAY", name.c_str(), 1);
    bool opened = false;
    for (int i = 0; i < 100 && !opened; ++i) {
        opened = winapi::selectBackend(winapi::Backend::X11);
        if (!opened)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!opened) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        FAIL() << "could not connect to the private Xvfb";
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"Lost";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, u"Lost", nullptr, WS_POPUP | WS_VISIBLE, 10, 10, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    winapi::pumpMessages();

    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);

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
