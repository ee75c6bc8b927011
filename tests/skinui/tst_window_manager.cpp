// The window manager on the headless backend: event order for hover, click
// and capture, Tab order, control timers on the virtual clock, notifications.
#include "tests/skinui/SkinTestSupport.h"

#include <gtest/gtest.h>

using namespace skintest;

namespace {

class ManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        winapi::selectBackend(winapi::Backend::Headless);
        winapi::setClockMode(winapi::ClockMode::Manual);
        CUIWindowManager::SetModuleInstance(::GetModuleHandleW(nullptr));
        ASSERT_NE(host.open(100, 100, 300, 200), nullptr);
        root = new TestContainer;
        root->SetName(u"root");
        root->SetBkColor(0xFFFFFFFF);
        a = addChild(u"a", 10, 10, 100, 50, true);
        b = addChild(u"b", 120, 10, 100, 50, true);
        c = addChild(u"c", 10, 100, 100, 50, true);
        host.pm.SetRootControl(root);
        ::InvalidateRect(host.GetHWND(), nullptr, FALSE);
        pump();
        log.clear();
    }

    RecordingControl* addChild(const char16_t* name, int x, int y, int w, int h, bool tab)
    {
        auto* ctl = new RecordingControl(&log, tab);
        ctl->SetName(name);
        ctl->SetFixedXY(SIZE{x, y});
        ctl->SetFixedWidth(w);
        ctl->SetFixedHeight(h);
        root->Add(ctl);
        return ctl;
    }

    // Screen coordinates of a client point.
    static int sx(int x) { return 100 + x; }
    static int sy(int y) { return 100 + y; }

    HostWindow host;
    EventLog log;
    TestContainer* root = nullptr;
    RecordingControl* a = nullptr;
    RecordingControl* b = nullptr;
    RecordingControl* c = nullptr;
};

using Ev = std::pair<std::u16string, int>;

} // namespace

TEST_F(ManagerTest, HoverLeaveEnterMoveOrder)
{
    EXPECT_EQ(host.pm.FindControl(u"b"), b);
    winapi::headless::mouseMove(sx(20), sy(20));
    pump();
    winapi::headless::mouseMove(sx(150), sy(20));
    pump();
    const std::vector<Ev> expected = {{u"a", UIEVENT_MOUSEENTER}, {u"a", UIEVENT_MOUSEMOVE},
                                      {u"a", UIEVENT_MOUSELEAVE}, {u"b", UIEVENT_MOUSEENTER},
                                      {u"b", UIEVENT_MOUSEMOVE}};
    EXPECT_EQ(log.mouseOnly(), expected);
}

TEST_F(ManagerTest, CaptureKeepsMovesAndReleaseOutside)
{
    winapi::headless::mouseMove(sx(20), sy(20));
    winapi::headless::mouseDown(sx(20), sy(20));
    pump();
    EXPECT_EQ(host.pm.GetFocus(), a);
    log.clear();
    winapi::headless::mouseMove(sx(150), sy(20));
    pump();
    // With a held, moves go to a even over b.
    std::vector<Ev> expected = {{u"a", UIEVENT_MOUSELEAVE}, {u"b", UIEVENT_MOUSEENTER}, {u"a", UIEVENT_MOUSEMOVE}};
    EXPECT_EQ(log.mouseOnly(), expected);
    log.clear();
    winapi::headless::mouseUp(sx(290), sy(190));
    pump();
    ASSERT_FALSE(log.events.empty());
    bool upToA = false;
    for (const auto& e : log.events)
        upToA |= e == Ev{u"a", UIEVENT_BUTTONUP};
    EXPECT_TRUE(upToA);
    EXPECT_FALSE(host.pm.IsCaptured());
}

TEST_F(ManagerTest, TabOrderWrapsBothWays)
{
    host.pm.SetFocus(a);
    EXPECT_EQ(host.pm.GetFocus(), a);
    ASSERT_TRUE(host.pm.SetNextTabStop(true));
    EXPECT_EQ(host.pm.GetFocus(), b);
    host.pm.SetNextTabStop(true);
    EXPECT_EQ(host.pm.GetFocus(), c);
    host.pm.SetNextTabStop(true); // last -> first
    EXPECT_EQ(host.pm.GetFocus(), a);
    host.pm.SetNextTabStop(false); // first -> last
    EXPECT_EQ(host.pm.GetFocus(), c);

    // The Tab key goes through the pre-filter.
    host.pm.SetFocus(a);
    MSG msg{};
    msg.hwnd = host.GetHWND();
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    EXPECT_TRUE(CUIWindowManager::TranslateMessage(&msg));
    EXPECT_EQ(host.pm.GetFocus(), b);

    // Kill/set focus events and the disabled control is skipped.
    b->SetEnabled(false);
    host.pm.SetFocus(a);
    host.pm.SetNextTabStop(true);
    EXPECT_EQ(host.pm.GetFocus(), c);
}

TEST_F(ManagerTest, TimersOnTheVirtualClock)
{
    EXPECT_TRUE(host.pm.SetTimer(a, 7, 100));
    EXPECT_FALSE(host.pm.SetTimer(a, 7, 100)); // running already
    EXPECT_TRUE(host.pm.SetTimer(b, 7, 250));
    log.clear();
    winapi::advanceClock(100);
    pump();
    int ticksA = 0, ticksB = 0;
    for (const auto& e : log.events) {
        ticksA += e == Ev{u"a", UIEVENT_TIMER};
        ticksB += e == Ev{u"b", UIEVENT_TIMER};
    }
    EXPECT_GE(ticksA, 1);
    EXPECT_EQ(ticksB, 0);
    EXPECT_EQ(a->lastEvent.wParam, 7u);
    EXPECT_TRUE(host.pm.KillTimer(a, 7));
    EXPECT_FALSE(host.pm.KillTimer(a, 7));
    log.clear();
    winapi::advanceClock(200);
    pump();
    ticksA = ticksB = 0;
    for (const auto& e : log.events) {
        ticksA += e == Ev{u"a", UIEVENT_TIMER};
        ticksB += e == Ev{u"b", UIEVENT_TIMER};
    }
    EXPECT_EQ(ticksA, 0);
    EXPECT_GE(ticksB, 1);
    EXPECT_TRUE(host.pm.SetTimer(a, 7, 100)); // restarts after the kill
    EXPECT_EQ(host.pm.KillTimer(a), 1);
}

TEST_F(ManagerTest, ManyTimersNeverShareIdentifiers)
{
    // More timers than the 255 identifiers a simple counter cycles through:
    // each tick still reaches the control that asked for it.
    std::vector<RecordingControl*> controls;
    for (int i = 0; i < 300; ++i) {
        auto* ctl = new RecordingControl(&log);
        ctl->SetName((u"t" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                      std::u16string(1, static_cast<char16_t>(u'a' + i / 26)))
                         .c_str());
        root->Add(ctl);
        controls.push_back(ctl);
        ASSERT_TRUE(host.pm.SetTimer(ctl, 1, 50 + (i % 2) * 1000));
    }
    log.clear();
    winapi::advanceClock(50);
    pump();
    std::vector<int> ticks(controls.size(), 0);
    for (const auto& e : log.events) {
        if (e.second != UIEVENT_TIMER)
            continue;
        for (size_t i = 0; i < controls.size(); ++i)
            if (controls[i]->GetName() == e.first.c_str())
                ticks[i]++;
    }
    for (size_t i = 0; i < controls.size(); ++i) {
        if (i % 2 == 0)
            EXPECT_GE(ticks[i], 1) << i;
        else
            EXPECT_EQ(ticks[i], 0) << i; // its 1050 ms interval has not passed
    }
}

namespace {

struct NotifyRecorder : INotifyUI
{
    std::vector<std::pair<std::u16string, CControlUI*>> seen;
    void Notify(UINotifyMsg& msg) override { seen.emplace_back(std::u16string(msg.sType.GetData()), msg.pSender); }
};

} // namespace

TEST_F(ManagerTest, NotificationsSyncAsyncAndReapedSender)
{
    NotifyRecorder rec;
    host.pm.AddNotifier(&rec);
    host.pm.SendNotify(a, u"click", 0, 0, false);
    ASSERT_EQ(rec.seen.size(), 1u);
    EXPECT_EQ(rec.seen[0].first, u"click");
    EXPECT_EQ(rec.seen[0].second, a);
    rec.seen.clear();
    host.pm.SendNotify(b, u"later", 0, 0, true);
    EXPECT_TRUE(rec.seen.empty());
    root->Remove(b); // reaped before delivery
    b = nullptr;
    ::PostMessageW(host.GetHWND(), WM_NULL, 0, 0);
    pump();
    ASSERT_EQ(rec.seen.size(), 1u);
    EXPECT_EQ(rec.seen[0].first, u"later");
    EXPECT_EQ(rec.seen[0].second, nullptr);
    EXPECT_TRUE(host.pm.RemoveNotifier(&rec));
    EXPECT_FALSE(host.pm.RemoveNotifier(&rec));
}

TEST(ManagerWindowInit, SentOnceAfterFirstLayout)
{
    winapi::selectBackend(winapi::Backend::Headless);
    HostWindow host;
    ASSERT_NE(host.open(0, 0, 200, 100), nullptr);
    NotifyRecorder rec;
    host.pm.AddNotifier(&rec);
    auto* root = new TestContainer;
    host.pm.SetRootControl(root);
    for (int i = 0; i < 3; ++i) {
        ::InvalidateRect(host.GetHWND(), nullptr, FALSE);
        pump();
        root->RequestLayout();
    }
    int inits = 0;
    for (const auto& s : rec.seen)
        inits += s.first == u"windowinit";
    EXPECT_EQ(inits, 1);
    EXPECT_EQ(root->GetPos().right, 200);
    host.pm.RemoveNotifier(&rec);
}

TEST(ManagerResources, FontsDefaultsGroupsAndSettings)
{
    CUIWindowManager pm;
    EXPECT_NE(pm.AddFont(u"Sans", 14, false, false, false), nullptr);
    HFONT bold = pm.AddFont(u"Sans", 14, true, false, false);
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(pm.GetFont(1), bold);
    EXPECT_EQ(pm.GetFont(5), pm.GetDefaultFontDesc()->hFont);
    EXPECT_EQ(pm.FindFont(u"Sans", 14, true, false, false), bold);
    EXPECT_EQ(pm.FindFont(u"sans", 14, true, false, false), nullptr);
    LOGFONTW def{}, got{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof def, &def);
    ::GetObjectW(bold, sizeof got, &got);
    EXPECT_EQ(got.lfWeight, def.lfWeight + FW_BOLD);

    pm.AddClassDefaults(u"Button", u"text=\"first\"");
    pm.AddClassDefaults(u"Button", u"text=\"second\"");
    EXPECT_EQ(std::u16string(pm.GetClassDefaults(u"Button")), u"text=\"first\"");
    CUIWindowManager popup;
    EXPECT_TRUE(popup.ShareParentResources(&pm));
    EXPECT_EQ(std::u16string(popup.GetClassDefaults(u"Button")), u"text=\"first\"");
    EXPECT_FALSE(pm.ShareParentResources(&popup)); // would close a cycle
    pm.SetDefaultFontColor(0xFF112233);
    EXPECT_EQ(popup.GetDefaultFontColor(), 0xFF112233u);

    CControlUI x, y;
    EXPECT_TRUE(pm.AddOptionGroup(u"g", &x));
    EXPECT_FALSE(pm.AddOptionGroup(u"g", &x));
    EXPECT_TRUE(pm.AddOptionGroup(u"g", &y));
    EXPECT_EQ(pm.GetOptionGroup(u"g")->GetSize(), 2);
    pm.RemoveOptionGroup(u"g", &x);
    pm.RemoveOptionGroup(u"g", &y);
    EXPECT_EQ(pm.GetOptionGroup(u"g"), nullptr);

    pm.SetTransparent(300);
    EXPECT_EQ(pm.GetTransparent(), 255);
    EXPECT_EQ(pm.AddImage(u"logo.png", u"PNG"), nullptr); // restype needs a numeric name
    EXPECT_EQ(pm.GetOrLoadImage(u"no-such-image.png"), nullptr);

    CUIWindowManager::SetSkinFolder(u"/tmp/skin/");
    EXPECT_EQ(CUIWindowManager::GetSkinFolderPath(), u"/tmp/skin/");
    CUIWindowManager::SetSkinFolder(u"/tmp/skin");
    EXPECT_EQ(CUIWindowManager::GetSkinFolderPath(), u"/tmp/skin\\");
    CUIWindowManager::SetSkinFolder(u"");
}
