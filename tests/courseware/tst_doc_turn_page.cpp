// The page-turning bar: the whiteboard's page controls placed on the drawing
// bar strip, main and sub-classroom sets, floating widgets, live rooms only.
#include "courseware/DocTurnPageCtrl.h"
#include "tests/courseware/DocTestUtil.h"

#include "WhiteBoardLib.h"
#include "app/CData.h"
#include "app/Room.h"

#include <gtest/gtest.h>

namespace {

// Login variables of a room; entry 5 is the class type ("2" is a live room).
void enterRoomOfType(const QString& type)
{
    ASSERT_TRUE(CData::instance()->SetLoginVar({"tok|1", "room1", "u1", "Teacher", "81", type}));
}

qlonglong ptr(QWidget* w) { return qlonglong(quintptr(w)); }

struct Strip {
    QWidget host;
    QWidget* add;
    QWidget* page;
    QWidget* subAdd;
    QWidget* subPage;
    QWidget* overlay;
    QWidget outside;  // where the library made its widgets
    Strip()
    {
        host.resize(600, 40);
        add = new QWidget(&outside);
        add->resize(30, 30);
        page = new QWidget(&outside);
        page->resize(100, 34);
        subAdd = new QWidget(&outside);
        subAdd->resize(30, 30);
        subPage = new QWidget(&outside);
        subPage->resize(80, 34);
        overlay = new QWidget(&outside);
        overlay->resize(150, 20);
        host.show();
    }
};

QVariantMap addPage(const QString& room, bool hide, QWidget* page, QWidget* add)
{
    return {{"roomId", room}, {"hide", hide}, {"pageWdg", ptr(page)}, {"addWdg", ptr(add)}};
}

}  // namespace

TEST(DocTurnPageCtrl, OutsideALiveRoomNothingMoves)
{
    enterRoomOfType("3");
    Strip s;
    DocTurnPageCtrl bar(&s.host);
    emit Room::instance()->sgWBLibCmd(RsWB_AddPageWidget, addPage("", false, s.page, s.add));
    EXPECT_EQ(s.add->parentWidget(), &s.outside);
    EXPECT_EQ(bar.MainSet().addWdg, nullptr);
}

TEST(DocTurnPageCtrl, MainControlsArePlacedAtTheRightEndAndFollowResizes)
{
    enterRoomOfType("2");
    Strip s;
    DocTurnPageCtrl bar(&s.host);
    // A sub-classroom set alone lays out nothing while the main add widget is unknown.
    bar.SetSubRoomMode(true);
    bar.onWBLibCmd(RsWB_AddPageWidget, addPage("sub1", false, s.subPage, s.subAdd));
    EXPECT_EQ(s.subAdd->parentWidget(), &s.host);
    EXPECT_EQ(s.subAdd->pos(), QPoint(0, 0));
    bar.SetSubRoomMode(false);

    bar.onWBLibCmd(RsWB_AddPageWidget, addPage("", false, s.page, s.add));
    EXPECT_EQ(s.add->parentWidget(), &s.host);
    EXPECT_EQ(s.add->pos(), QPoint(564, 5));
    EXPECT_EQ(s.page->pos(), QPoint(460, 3));
    EXPECT_TRUE(s.add->isVisible());
    EXPECT_TRUE(s.page->isVisible());
    EXPECT_FALSE(s.subAdd->isVisible());

    s.host.resize(800, 40);
    EXPECT_EQ(s.add->pos(), QPoint(764, 5));

    // "pageWdg" 0 only changes the visibility; "hide" hides at once.
    bar.onWBLibCmd(RsWB_AddPageWidget, QVariantMap{{"roomId", ""}, {"hide", true}, {"pageWdg", 0}, {"addWdg", 0}});
    EXPECT_EQ(bar.MainSet().addWdg, s.add);
    EXPECT_FALSE(s.add->isVisible());
    EXPECT_FALSE(s.page->isVisible());

    bar.Reset();
    EXPECT_EQ(bar.MainSet().addWdg, nullptr);
    EXPECT_EQ(s.add->parentWidget(), &s.host);  // forgotten, not deleted
}

TEST(DocTurnPageCtrl, SubRoomModeSwapsTheSets)
{
    enterRoomOfType("2");
    Strip s;
    DocTurnPageCtrl bar(&s.host);
    bar.onWBLibCmd(RsWB_AddPageWidget, addPage("", false, s.page, s.add));
    bar.onWBLibCmd(RsWB_AddPageWidget, addPage("sub1", false, s.subPage, s.subAdd));
    EXPECT_FALSE(s.subAdd->isVisible());
    bar.SetSubRoomMode(true);
    EXPECT_FALSE(s.add->isVisible());
    EXPECT_FALSE(s.page->isVisible());
    EXPECT_TRUE(s.subAdd->isVisible());
    EXPECT_EQ(s.subPage->pos(), QPoint(600 - 80 - 40, 3));
    bar.SetSubRoomMode(false);
    EXPECT_TRUE(s.add->isVisible());
    EXPECT_FALSE(s.subAdd->isVisible());
}

TEST(DocTurnPageCtrl, FloatingWidgetTakesThePlaceOfThePageControls)
{
    enterRoomOfType("2");
    Strip s;
    DocTurnPageCtrl bar(&s.host);
    bar.onWBLibCmd(RsWB_AddPageWidget, addPage("", false, s.page, s.add));
    bar.onWBLibCmd(RsWB_ShowPageWidget, QVariantMap{{"roomId", ""}, {"show", true}, {"widget", ptr(s.overlay)}});
    EXPECT_EQ(s.overlay->parentWidget(), &s.host);
    EXPECT_EQ(s.overlay->height(), 30);
    EXPECT_EQ(s.overlay->pos(), QPoint(600 - 150 - 10, 5));
    EXPECT_TRUE(s.overlay->isVisible());
    EXPECT_FALSE(s.add->isVisible());
    EXPECT_FALSE(s.page->isVisible());

    // "show" false for another widget changes nothing; for the stored one it
    // forgets it without hiding it.
    bar.onWBLibCmd(RsWB_ShowPageWidget, QVariantMap{{"roomId", ""}, {"show", false}, {"widget", ptr(s.page)}});
    EXPECT_EQ(bar.MainSet().overlayWdg1, s.overlay);
    bar.onWBLibCmd(RsWB_ShowPageWidget, QVariantMap{{"roomId", ""}, {"show", false}, {"widget", ptr(s.overlay)}});
    EXPECT_EQ(bar.MainSet().overlayWdg1, nullptr);
    EXPECT_TRUE(s.overlay->isVisible());
    EXPECT_TRUE(s.add->isVisible());

    bar.onWBLibCmd(RsWB_HidePageWidget, QVariantMap{{"roomId", ""}, {"show", true}, {"widget", ptr(s.overlay)}});
    EXPECT_EQ(bar.MainSet().overlayWdg2, s.overlay);
    EXPECT_FALSE(s.add->isVisible());
}

TEST(DocTurnPageCtrl, NumbersThatNameNoWidgetAndDeletedWidgetsAreLeftAlone)
{
    enterRoomOfType("2");
    Strip s;
    DocTurnPageCtrl bar(&s.host);
    QObject notAWidget;
    auto* gone = new QWidget(&s.outside);
    const qlonglong goneAddress = ptr(gone);
    delete gone;
    // Payload numbers that are no widget of the program: nothing is touched.
    for (qlonglong number : {qlonglong(quintptr(&notAWidget)), goneAddress, qlonglong(0x10), qlonglong(-1)}) {
        bar.onWBLibCmd(RsWB_AddPageWidget,
                       QVariantMap{{"roomId", ""}, {"hide", false}, {"pageWdg", number}, {"addWdg", number}});
        bar.onWBLibCmd(RsWB_ShowPageWidget, QVariantMap{{"roomId", ""}, {"show", true}, {"widget", number}});
        EXPECT_EQ(bar.MainSet().addWdg, nullptr) << number;
        EXPECT_EQ(bar.MainSet().overlayWdg1, nullptr) << number;
    }
    // The library deletes widgets it reported: the bar forgets them and lays
    // out the rest.
    bar.onWBLibCmd(RsWB_AddPageWidget, addPage("", false, s.page, s.add));
    bar.onWBLibCmd(RsWB_ShowPageWidget, QVariantMap{{"roomId", ""}, {"show", true}, {"widget", ptr(s.overlay)}});
    delete s.overlay;
    delete s.page;
    EXPECT_EQ(bar.MainSet().overlayWdg1, nullptr);
    EXPECT_EQ(bar.MainSet().pageWdg, nullptr);
    s.host.resize(700, 40);
    EXPECT_EQ(s.add->pos(), QPoint(700 - 36, 5));
    EXPECT_TRUE(s.add->isVisible());
}
