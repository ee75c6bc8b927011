// Real skinned windows on the X server (Xvfb) under real pointer and key
// input: one whose skin comes from the zip held in the program's resources,
// dragged by its caption, and one holding every control of the library.
// test-labels: xvfb
#include "tests/skinui/SkinWindowFixture.h"
#include "skinui/UIText.h"
#include "skinui/controls/UICombo.h"
#include "skinui/controls/UIComboWnd.h"
#include "skinui/controls/UIList.h"
#include "skinui/controls/UITreeView.h"
#include "TestPaths.h"
#include "WinapiWait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

using namespace skintest;
using testsupport::pumpUntil;

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

// Runs xdotool and pumps the window's messages until it has finished.
bool runXdotool(const std::vector<std::string>& args)
{
    const pid_t pid = startXdotool(args);
    if (pid <= 0)
        return false;
    int status = 0;
    bool done = false;
    pumpUntil(
        [&] {
            if (!done && waitpid(pid, &status, WNOHANG) == pid)
                done = true;
            return done;
        },
        std::chrono::seconds(20));
    return done && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The middle of a control in screen coordinates of a window at (ox, oy).
std::vector<std::string> pointAt(CControlUI* c, int ox, int oy, int dy = -1)
{
    const RECT rc = c->GetPos();
    const int y = dy >= 0 ? rc.top + dy : (rc.top + rc.bottom) / 2;
    return {std::to_string(ox + (rc.left + rc.right) / 2), std::to_string(oy + y)};
}

// Every control of the library in one window.
const char16_t kAllControls[] =
    u"<Window size=\"640,420\"><VerticalLayout bkcolor=\"#FFFFFFFF\" inset=\"8,8,8,8\" childpadding=\"8\">"
    u"<HorizontalLayout height=\"28\" childpadding=\"6\">"
    u"<Label text=\"Label\" width=\"50\"/>"
    u"<Text text=\"{a go}Text link{/a}\" showhtml=\"true\" width=\"70\"/>"
    u"<Button name=\"btn\" text=\"Button\" width=\"70\" bkcolor=\"#FF5DC0BA\" textcolor=\"#FFFFFFFF\"/>"
    u"<Option name=\"opt\" text=\"Option\" width=\"70\" group=\"g\" selectedbkcolor=\"#FFBFE8E5\"/>"
    u"<CheckBox name=\"chk\" text=\"Check\" width=\"60\" selectedbkcolor=\"#FFBFE8E5\"/>"
    u"<Edit name=\"edit\" width=\"180\" bkcolor=\"#FFEEEEEE\" textcolor=\"#FF000000\" textpadding=\"4,4,4,4\"/>"
    u"</HorizontalLayout>"
    u"<HorizontalLayout height=\"20\" childpadding=\"6\">"
    u"<Progress name=\"prog\" width=\"140\" value=\"40\" bkcolor=\"#FFDDDDDD\"/>"
    u"<Slider name=\"slider\" width=\"140\" value=\"30\" bkcolor=\"#FFDDDDDD\"/>"
    u"<ScrollBar hor=\"true\" width=\"140\" height=\"16\" range=\"100\" value=\"20\"/>"
    u"<DateTime name=\"date\" width=\"110\" bkcolor=\"#FFEEEEEE\"/>"
    u"</HorizontalLayout>"
    u"<HorizontalLayout height=\"28\" childpadding=\"6\">"
    u"<Combo name=\"combo\" width=\"150\" bkcolor=\"#FFEEEEEE\" textpadding=\"4,0,4,0\" dropboxsize=\"0,100\">"
    u"<ListLabelElement text=\"Red\" height=\"22\"/><ListLabelElement text=\"Green\" height=\"22\"/>"
    u"<ListLabelElement text=\"Blue\" height=\"22\"/></Combo>"
    u"<ComboBox name=\"combobox\" width=\"150\" bkcolor=\"#FFEEEEEE\" textpadding=\"4,0,4,0\">"
    u"<ListLabelElement text=\"One\" height=\"22\" selected=\"true\"/></ComboBox>"
    u"<RichEdit name=\"rich\" width=\"100\" bkcolor=\"#FFEEEEEE\"/>"
    u"<ActiveX name=\"ax\" width=\"60\" clsid=\"{00000000-0000-0000-0000-000000000001}\" bkcolor=\"#FFEEEEEE\"/>"
    u"<WebBrowser name=\"web\" width=\"60\" bkcolor=\"#FFEEEEEE\"/>"
    u"</HorizontalLayout>"
    u"<HorizontalLayout childpadding=\"8\">"
    u"<List name=\"list\" width=\"260\" bkcolor=\"#FFFAFAFA\" vscrollbar=\"true\" itemselectedbkcolor=\"#FFC1E3FF\" "
    u"itemlinecolor=\"#FFE0E0E0\" itemtextpadding=\"6,0,0,0\">"
    u"<ListHeader height=\"22\" bkcolor=\"#FFE8E8E8\"><ListHeaderItem text=\"Lesson\" width=\"160\"/>"
    u"<ListHeaderItem text=\"Length\" width=\"80\"/></ListHeader>"
    u"<ListLabelElement name=\"row0\" text=\"Lesson 1\" height=\"22\"/>"
    u"<ListLabelElement name=\"row1\" text=\"Lesson 2\" height=\"22\"/>"
    u"<ListLabelElement name=\"row2\" text=\"Lesson 3\" height=\"22\"/>"
    u"</List>"
    u"<TreeView name=\"tree\" width=\"180\" bkcolor=\"#FFFAFAFA\" itemselectedbkcolor=\"#FFC1E3FF\">"
    u"<TreeNode name=\"courses\" text=\"Courses\"><TreeNode name=\"maths\" text=\"Maths\"/>"
    u"<TreeNode text=\"Physics\"/></TreeNode><TreeNode text=\"Notes\"/></TreeView>"
    u"<VerticalLayout childpadding=\"6\">"
    u"<TabLayout name=\"tabs\" height=\"60\" selectedid=\"1\"><Control bkcolor=\"#FFFF0000\"/>"
    u"<Control bkcolor=\"#FF5DC0BA\"/></TabLayout>"
    u"<TileLayout columns=\"2\" height=\"60\" itemsize=\"70,50\" childpadding=\"4\"><Control bkcolor=\"#FFBFE8E5\"/><Control bkcolor=\"#FF8FD3CE\"/>"
    u"</TileLayout>"
    u"</VerticalLayout></HorizontalLayout>"
    u"</VerticalLayout></Window>";

} // namespace

TEST(SkinXvfb, EveryControlInOneRealWindowTakesClicksAndTyping)
{
    if (!std::getenv("DISPLAY") || testsupport::findProgram("xdotool").empty())
        GTEST_SKIP() << "needs an X display and xdotool";
    ASSERT_TRUE(winapi::selectBackend(winapi::Backend::X11));
    winapi::setClockMode(winapi::ClockMode::Real);
    CUIWindowManager::SetModuleInstance(::GetModuleHandleW(nullptr));

    HostWindow w;
    ASSERT_NE(w.open(60, 60, 640, 420), nullptr);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(kAllControls, nullptr, nullptr, &w.pm);
    ASSERT_NE(root, nullptr);
    w.pm.SetRootControl(root);
    ASSERT_TRUE(pumpUntil([&] { return ::IsWindowVisible(w.GetHWND()) != FALSE; }, std::chrono::seconds(5)));
    ASSERT_TRUE(pumpUntil(
        [&] {
            ::InvalidateRect(w.GetHWND(), nullptr, FALSE);
            winapi::pumpMessages();
            const winapi::Picture pic = winapi::captureWindow(w.GetHWND());
            return pic.width == 640 && (pic.at(2, 2) & 0xFFFFFF) == 0xFFFFFFu;
        },
        std::chrono::seconds(5)));
    RECT rcWnd{};
    ::GetWindowRect(w.GetHWND(), &rcWnd);
    const int ox = rcWnd.left;
    const int oy = rcWnd.top;
    auto* list = static_cast<CListUI*>(w.pm.FindControl(u"list"));
    auto* combo = static_cast<CComboUI*>(w.pm.FindControl(u"combo"));
    auto* tree = static_cast<CTreeViewUI*>(w.pm.FindControl(u"tree"));
    CControlUI* edit = w.pm.FindControl(u"edit");
    ASSERT_TRUE(list && combo && tree && edit);

    // A click on the second list row selects it.
    std::vector<std::string> a = {"mousemove", "--sync"};
    auto add = [&a](std::vector<std::string> more) { a.insert(a.end(), more.begin(), more.end()); };
    add(pointAt(w.pm.FindControl(u"row1"), ox, oy));
    add({"click", "1", "sleep", "0.3"});
    ASSERT_TRUE(runXdotool(a));
    EXPECT_TRUE(pumpUntil([&] { return list->GetCurSel() == 1; }, std::chrono::seconds(5)));

    // The combo opens its pop-up; a click on its second row selects it.
    a = {"mousemove", "--sync"};
    add(pointAt(combo, ox, oy));
    add({"click", "1", "sleep", "0.5"});
    ASSERT_TRUE(runXdotool(a));
    ASSERT_TRUE(pumpUntil([&] { return combo->GetDropWindow() != nullptr; }, std::chrono::seconds(5)));
    const RECT rcPopup = combo->GetDropWindow()->GetPopupRect();
    a = {"mousemove", "--sync", std::to_string((rcPopup.left + rcPopup.right) / 2),
         std::to_string(rcPopup.top + 1 + 22 + 11), "click", "1", "sleep", "0.3"};
    ASSERT_TRUE(runXdotool(a));
    EXPECT_TRUE(pumpUntil([&] { return combo->GetCurSel() == 1 && !combo->GetDropWindow(); },
                          std::chrono::seconds(5)));
    EXPECT_EQ(combo->GetText(), u"Green");

    // A tree row takes a click.
    a = {"mousemove", "--sync"};
    add(pointAt(w.pm.FindControl(u"maths"), ox, oy));
    add({"click", "1", "sleep", "0.3"});
    ASSERT_TRUE(runXdotool(a));
    EXPECT_TRUE(pumpUntil([&] { return tree->GetCurSel() == 1; }, std::chrono::seconds(5)));

    // Typing into the edit.
    a = {"mousemove", "--sync"};
    add(pointAt(edit, ox, oy));
    add({"click", "1", "sleep", "0.4", "type", "--delay", "40", "hello"}); // type takes the rest
    ASSERT_TRUE(runXdotool(a));
    EXPECT_TRUE(pumpUntil([&] { return edit->GetText() == u"hello"; }, std::chrono::seconds(5)))
        << UIUtf16ToUtf8(edit->GetText().GetData());
    pumpUntil([] { return false; }, std::chrono::milliseconds(200));
    ::InvalidateRect(w.GetHWND(), nullptr, FALSE);
    pumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_TRUE(winapi::dumpWindowPng(w.GetHWND(), testsupport::screenshotPath("skinui_xvfb_every_control.png")));
    ::DestroyWindow(w.GetHWND());
    pumpUntil([] { return false; }, std::chrono::milliseconds(50));
    CUIWindowManager::Shutdown();
}

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
