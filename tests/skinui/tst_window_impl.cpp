// The window base and the skinned window base on the headless backend:
// centring, notification maps, caption hit testing, round corners, closing,
// a skin from an in-binary zip resource, and the load failure exit.
#include "tests/skinui/SkinTestSupport.h"
#include "tests/skinui/SkinWindowFixture.h"

#include <gtest/gtest.h>

using namespace skintest;

TEST(WindowBase, CenterWindowOnTheWorkArea)
{
    winapi::selectBackend(winapi::Backend::Headless);
    winapi::headless::setScreen(1920, 1080, RECT{0, 0, 1920, 1040});
    HostWindow w;
    ASSERT_NE(w.open(3, 4, 500, 400), nullptr);
    w.CenterWindow();
    RECT rc{};
    ::GetWindowRect(w.GetHWND(), &rc);
    EXPECT_EQ(rc.left, 710);
    EXPECT_EQ(rc.top, 320);
    HostWindow wide;
    ASSERT_NE(wide.open(0, 0, 2500, 300), nullptr);
    wide.CenterWindow();
    ::GetWindowRect(wide.GetHWND(), &rc);
    EXPECT_EQ(rc.left, 0);
}

namespace {

class PumpUnderTest : public CNotifyPump
{
public:
    std::vector<std::string> calls;
    void OnAnyClick(UINotifyMsg&) { calls.push_back("any"); }
    void OnOk(UINotifyMsg&) { calls.push_back("ok"); }
    void OnSel(WPARAM w, LPARAM) { calls.push_back("sel" + std::to_string(w)); }
    static const UINotifyMap* GetThisMessageMap()
    {
        static const UINotifyMapEntry entries[] = {
            {CUIString(u"click"), CUIString(), UISig_vn, static_cast<UI_PMSG>(&PumpUnderTest::OnAnyClick)},
            {CUIString(u"click"), CUIString(u"btnOK"), UISig_vn, static_cast<UI_PMSG>(&PumpUnderTest::OnOk)},
            {CUIString(), CUIString(), UISig_end, nullptr},
        };
        static const UINotifyMap map = {&PumpBase::GetThisMessageMap, entries};
        return &map;
    }
    const UINotifyMap* GetMessageMap() const override { return GetThisMessageMap(); }

    struct PumpBase : CNotifyPump
    {
        static const UINotifyMap* GetThisMessageMap()
        {
            static const UINotifyMapEntry entries[] = {
                {CUIString(u"selectchanged"), CUIString(), UISig_lwl,
                 UINotifyHandlerLwl(static_cast<void (CNotifyPump::*)(WPARAM, LPARAM)>(&PumpUnderTest::OnSel))},
                {CUIString(), CUIString(), UISig_end, nullptr},
            };
            static const UINotifyMap map = {&CNotifyPump::GetThisMessageMap, entries};
            return &map;
        }
    };
};

} // namespace

TEST(WindowBase, NotifyMapPrefersTheNamedEntryAndFallsThrough)
{
    PumpUnderTest pump;
    CControlUI ok, next;
    ok.SetName(u"btnOK");
    next.SetName(u"btnNext");
    UINotifyMsg msg;
    msg.sType = u"click";
    msg.pSender = &ok;
    msg.wParam = 0;
    msg.lParam = 0;
    EXPECT_TRUE(pump.DispatchNotify(msg));
    msg.pSender = &next;
    EXPECT_TRUE(pump.DispatchNotify(msg));
    msg.sType = u"selectchanged";
    msg.wParam = 3;
    EXPECT_TRUE(pump.DispatchNotify(msg));
    msg.sType = u"unknown";
    EXPECT_FALSE(pump.DispatchNotify(msg));
    EXPECT_EQ(pump.calls, (std::vector<std::string>{"ok", "any", "sel3"}));
}

class SkinnedWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        winapi::selectBackend(winapi::Backend::Headless);
        winapi::headless::setScreen(1920, 1080, RECT{0, 0, 1920, 1040});
        CUIWindowManager::SetModuleInstance(::GetModuleHandleW(nullptr));
        registerSkinZip();
    }
    void TearDown() override { CUIWindowManager::Shutdown(); }
};

TEST_F(SkinnedWindowTest, SkinFromZipResourceHitTestAndClose)
{
    SkinWindow w;
    ASSERT_NE(w.Create(nullptr, u"skin", WS_POPUP | WS_VISIBLE, 0, 100, 100, 500, 300), nullptr);
    EXPECT_EQ(w.inits, 1);
    ASSERT_NE(w.GetManager().FindControl(u"btnOK"), nullptr);
    ::InvalidateRect(w.GetHWND(), nullptr, FALSE);
    pump();
    const winapi::Picture pic = winapi::captureWindow(w.GetHWND());
    ASSERT_EQ(pic.width, 500);
    EXPECT_EQ(pic.at(250, 150) & 0xFFFFFF, 0x3060A0u);

    RECT wr{};
    ::GetWindowRect(w.GetHWND(), &wr);
    auto hit = [&](int x, int y) {
        return ::SendMessageW(w.GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(wr.left + x, wr.top + y));
    };
    EXPECT_EQ(hit(200, 20), HTCAPTION); // on the label
    EXPECT_EQ(hit(350, 20), HTCLIENT);  // on the button
    EXPECT_EQ(hit(200, 60), HTCLIENT);  // below the caption band
    EXPECT_EQ(hit(1, 150), HTLEFT);     // size box
    EXPECT_EQ(hit(498, 298), HTBOTTOMRIGHT);

    // Round corners: the region is one pixel larger than the window.
    HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(::GetWindowRgn(w.GetHWND(), rgn), 0);
    RECT box{};
    ::GetRgnBox(rgn, &box);
    EXPECT_EQ(box.right, 501);
    EXPECT_EQ(box.bottom, 301);
    ::DeleteObject(rgn);

    // A click on the button reaches OnClick through the notification map.
    w.GetManager().SendNotify(w.GetManager().FindControl(u"btnOK"), u"click");
    ASSERT_EQ(w.clicks.size(), 1u);
    EXPECT_EQ(w.clicks[0], u"btnOK");

    // Alt+F4 arrives as WM_CLOSE; the default closing destroys the window.
    ::SendMessageW(w.GetHWND(), WM_SYSCOMMAND, SC_CLOSE, 0);
    pump();
    EXPECT_EQ(w.GetHWND(), nullptr);
}

TEST_F(SkinnedWindowTest, DraggedByItsCaptionNotByItsButton)
{
    SkinWindow w;
    ASSERT_NE(w.Create(nullptr, u"skin", WS_POPUP | WS_VISIBLE, 0, 0, 0, 500, 300), nullptr);
    ::SetWindowPos(w.GetHWND(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::InvalidateRect(w.GetHWND(), nullptr, FALSE);
    pump();
    RECT before{};
    ::GetWindowRect(w.GetHWND(), &before);
    // Press on the label inside the caption band and drag.
    winapi::headless::mouseMove(before.left + 200, before.top + 20);
    winapi::headless::mouseDown(before.left + 200, before.top + 20);
    pump();
    winapi::headless::mouseMove(before.left + 230, before.top + 40);
    pump();
    winapi::headless::mouseMove(before.left + 250, before.top + 50);
    winapi::headless::mouseUp(before.left + 250, before.top + 50);
    pump();
    RECT after{};
    ::GetWindowRect(w.GetHWND(), &after);
    EXPECT_EQ(after.left - before.left, 50);
    EXPECT_EQ(after.top - before.top, 30);
    // A press on the button clicks, it does not drag.
    winapi::headless::mouseMove(after.left + 350, after.top + 20);
    winapi::headless::mouseDown(after.left + 350, after.top + 20);
    pump();
    winapi::headless::mouseMove(after.left + 380, after.top + 40);
    winapi::headless::mouseUp(after.left + 380, after.top + 40);
    pump();
    RECT still{};
    ::GetWindowRect(w.GetHWND(), &still);
    EXPECT_EQ(still.left, after.left);
    EXPECT_EQ(still.top, after.top);
    ::DestroyWindow(w.GetHWND());
}

TEST_F(SkinnedWindowTest, MaximisedCoversTheWorkAreaNotTheScreen)
{
    SkinWindow w;
    ASSERT_NE(w.Create(nullptr, u"skin", WS_POPUP | WS_VISIBLE | WS_MAXIMIZEBOX, 0, 0, 0, 500, 300), nullptr);
    ::ShowWindow(w.GetHWND(), SW_MAXIMIZE);
    pump();
    RECT rc{};
    ::GetWindowRect(w.GetHWND(), &rc);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right, 1920);
    EXPECT_EQ(rc.bottom, 1040);
    ::DestroyWindow(w.GetHWND());
}

TEST_F(SkinnedWindowTest, MissingSkinShowsMessageAndExits)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SkinWindow w;
            w.file = u"no-such-skin.xml";
            w.Create(nullptr, u"skin", WS_POPUP, 0, 0, 0, 200, 100);
            std::exit(0); // never reached
        },
        ::testing::ExitedWithCode(kSkinLoadFailureExitCode), "");
    EXPECT_EXIT(
        {
            SkinWindow w;
            w.source = UILIB_FILE;
            w.file = u"<Window><a x='1'/></Window>";
            w.Create(nullptr, u"skin", WS_POPUP, 0, 0, 0, 200, 100);
            std::exit(0);
        },
        ::testing::ExitedWithCode(kSkinLoadFailureExitCode), "");
    // A missing skin resource does not leave an empty window either.
    EXPECT_EXIT(
        {
            SkinWindow w;
            w.resourceId = 4711;
            w.Create(nullptr, u"skin", WS_POPUP, 0, 0, 0, 200, 100);
            std::exit(0);
        },
        ::testing::ExitedWithCode(kSkinLoadFailureExitCode), "");
}
