// One real skinned window on the X server (Xvfb), its skin from the zip held
// in the program's resources, dragged by its caption with real pointer input.
// test-labels: xvfb
#include "tests/skinui/SkinWindowFixture.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

using namespace skintest;

namespace {

// Runs xdotool with the arguments; returns its pid (0 when it cannot start).
pid_t startXdotool(const std::vector<std::string>& args)
{
    const std::string prog = testsupport::findProgram("xdotool");
    if (prog.empty())
        return 0;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(prog.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, prog.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return 0;
    return pid;
}

// Pumps the window's messages until cond() holds or the deadline passes.
template <class Cond>
bool pumpUntil(Cond cond, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        winapi::pumpMessages();
        if (cond())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return cond();
}

} // namespace

TEST(SkinXvfb, RealWindowDraggedByItsCaption)
{
    if (!std::getenv("DISPLAY") || testsupport::findProgram("xdotool").empty())
        GTEST_SKIP() << "needs an X display and xdotool";
    ASSERT_TRUE(winapi::selectBackend(winapi::Backend::X11));
    winapi::setClockMode(winapi::ClockMode::Real);
    CUIWindowManager::SetModuleInstance(::GetModuleHandleW(nullptr));
    registerSkinZip();

    SkinWindow w;
    ASSERT_NE(w.Create(nullptr, u"skin", WS_POPUP, 0, 0, 0, 500, 300), nullptr);
    EXPECT_EQ(w.inits, 1);
    ::SetWindowPos(w.GetHWND(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    w.Show(true, true);
    ASSERT_TRUE(pumpUntil([&] { return ::IsWindowVisible(w.GetHWND()) != FALSE; }, std::chrono::seconds(5)));
    // Painted from the skin.
    ASSERT_TRUE(pumpUntil(
        [&] {
            const winapi::Picture pic = winapi::captureWindow(w.GetHWND());
            return pic.width == 500 && (pic.at(250, 150) & 0xFFFFFF) == 0x3060A0u;
        },
        std::chrono::seconds(5)));

    // Press on the label in the caption band, drag by (60, 40), release.
    const pid_t pid = startXdotool({"mousemove", "--sync", "300", "120", "sleep", "0.2", "mousedown", "1", "sleep",
                                    "0.2", "mousemove", "330", "140", "sleep", "0.2", "mousemove", "360", "160",
                                    "sleep", "0.2", "mouseup", "1"});
    ASSERT_GT(pid, 0);
    int status = 0;
    bool done = false;
    pumpUntil(
        [&] {
            if (!done && waitpid(pid, &status, WNOHANG) == pid)
                done = true;
            return done;
        },
        std::chrono::seconds(20));
    ASSERT_TRUE(done);
    RECT rc{};
    const bool moved = pumpUntil(
        [&] {
            ::GetWindowRect(w.GetHWND(), &rc);
            return rc.left == 160 && rc.top == 140;
        },
        std::chrono::seconds(5));
    EXPECT_TRUE(moved) << rc.left << "," << rc.top;
    ::DestroyWindow(w.GetHWND());
    pumpUntil([] { return false; }, std::chrono::milliseconds(50));
    CUIWindowManager::Shutdown();
}
