// The scroll bar: part geometry, clamping, arrow repeat on the virtual
// clock, thumb drags, and "scroll" only for a bar without an owner.
#include "tests/skinui/ControlTestSupport.h"
#include "skinui/controls/UIScrollBar.h"

#include <gtest/gtest.h>

using namespace skintest;

TEST(ScrollBar, PartsFollowRangePositionAndLength)
{
    struct Case
    {
        const char* what;
        RECT pos;
        int range;
        int value;
        RECT thumb;
    };
    const Case cases[] = {
        {"range 100 on 200 pixels: thumb of 112", {0, 0, 16, 200}, 100, 0, {0, 16, 16, 128}},
        {"at the end of the range the thumb meets button 2", {0, 0, 16, 200}, 100, 100, {0, 72, 16, 184}},
        {"range 0: the thumb fills the space between the buttons", {0, 0, 16, 200}, 0, 0, {0, 16, 16, 184}},
        {"large range: the thumb keeps the bar's thickness", {0, 0, 16, 200}, 100000, 50000, {0, 92, 16, 108}},
        {"three times the thickness: no thumb", {0, 0, 16, 48}, 100, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CScrollBarUI bar;
        bar.SetScrollRange(c.range);
        bar.SetScrollPos(c.value);
        bar.SetPos(c.pos);
        EXPECT_TRUE(sameRect(bar.GetThumbRect(), c.thumb)) << rectText(bar.GetThumbRect());
    }
    CScrollBarUI shortBar;
    shortBar.SetPos(RECT{0, 0, 16, 20});
    EXPECT_TRUE(sameRect(shortBar.GetButton1Rect(), RECT{0, 0, 16, 10}));
    EXPECT_TRUE(sameRect(shortBar.GetButton2Rect(), RECT{0, 10, 16, 20}));

    CScrollBarUI bar;
    bar.SetScrollPos(500);
    EXPECT_EQ(bar.GetScrollPos(), 100);
    bar.SetScrollRange(-5);
    EXPECT_EQ(bar.GetScrollRange(), 0);
    EXPECT_EQ(bar.GetScrollPos(), 0);
    bar.SetAttribute(u"hor", u"true");
    EXPECT_EQ(bar.GetFixedHeight(), 16);
    EXPECT_EQ(bar.GetFixedWidth(), 0);
}

TEST(ScrollBar, HeldArrowRepeatsAfterFiveTicksAndThumbDragsApplyOnTheTimer)
{
    SkinHost host;
    ASSERT_NE(host.build(u"<Window size=\"400,300\"><Container>"
                         u"<ScrollBar name=\"sb\" float=\"true\" pos=\"10,10,26,210\" range=\"100\" value=\"50\" "
                         u"linesize=\"5\"/></Container></Window>"),
              nullptr);
    auto* sb = host.find<CScrollBarUI>(u"sb");
    host.move(18, 200);
    host.down(18, 200); // button 2
    EXPECT_EQ(sb->GetScrollPos(), 55);
    EXPECT_EQ(host.notes.count(u"scroll"), 1);
    for (int i = 0; i < 5; ++i)
        host.tick(50);
    EXPECT_EQ(sb->GetScrollPos(), 55);
    host.tick(50);
    EXPECT_EQ(sb->GetScrollPos(), 60);
    host.tick(50);
    EXPECT_EQ(sb->GetScrollPos(), 65);
    host.up(18, 200);
    host.tick(500);
    EXPECT_EQ(sb->GetScrollPos(), 65);

    // Drag the thumb down by its free length: the position follows at the
    // next tick, from the position where the drag started.
    const RECT thumb = sb->GetThumbRect();
    const int mid = (thumb.top + thumb.bottom) / 2;
    host.tick(1000);
    host.move(18, mid);
    host.down(18, mid);
    host.move(18, mid - 20);
    EXPECT_EQ(sb->GetScrollPos(), 65);
    host.tick(50);
    EXPECT_LT(sb->GetScrollPos(), 65);
    host.up(18, mid - 20);
    EXPECT_EQ(host.notes.count(u"scroll") >= 3, true);
}

TEST(ScrollBar, AnOwnedBarScrollsItsContainerWithoutNotifying)
{
    SkinHost host;
    std::u16string body = u"<Window size=\"400,300\"><VerticalLayout name=\"list\" vscrollbar=\"true\" bkcolor=\"#FFF0F0F0\">";
    for (int i = 0; i < 20; ++i)
        body += u"<Control height=\"40\"/>";
    body += u"</VerticalLayout></Window>";
    ASSERT_NE(host.build(body), nullptr);
    auto* list = host.find<CContainerUI>(u"list");
    CScrollBarUI* bar = list->GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetOwner(), list);
    const RECT b2 = bar->GetButton2Rect();
    host.click((b2.left + b2.right) / 2, (b2.top + b2.bottom) / 2);
    EXPECT_GT(list->GetScrollPos().cy, 0);
    const int afterLine = list->GetScrollPos().cy;
    host.tick(1000);
    host.click((b2.left + b2.right) / 2, 250); // rail below the thumb: a page
    EXPECT_EQ(list->GetScrollPos().cy, afterLine + 300);
    EXPECT_EQ(host.notes.count(u"scroll"), 0);
    host.screenshot("skinui_scrollbar_owned");
}
