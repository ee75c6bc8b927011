// The right dock: the video slots by room kind and layout, the top video of
// layout 2 leaving and coming back, and clearing.
#include "mainwindow/room/MainDockRight.h"
#include "tests/mainwindow/ShellTestSupport.h"

#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A video widget that can ask to leave the dock's top and come back.
class TopVideo : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
signals:
    void sgAddDelTopVideo(bool add);
};

}  // namespace

TEST(MainDockRight, LiveRoomShowsTheTeachersSlotsAtTheVideoWidth)
{
    shelltest::SetSession(true);
    CData::instance()->SetLayout(1);
    QWidget window;
    window.resize(600, 700);
    auto* dock = new MainDockRight(&window);
    QWidget* v[3];
    for (int i = 0; i < 3; ++i) {
        v[i] = new QWidget;
        v[i]->setStyleSheet(QString("background: %1;").arg(i == 0 ? "#25262A" : i == 1 ? "#5DC0BA" : "#F5A623"));
        dock->SetVideoWidget(v[i], i);
    }
    QWidget stray;
    dock->SetVideoWidget(&stray, 3);  // no such slot: refused
    EXPECT_EQ(dock->DockLayout()->count(), 3);
    window.show();
    dock->ShowDock(true);
    EXPECT_TRUE(dock->isVisible());
    EXPECT_EQ(dock->width(), 236);
    EXPECT_TRUE(v[0]->isHidden());
    EXPECT_FALSE(v[1]->isHidden());
    EXPECT_FALSE(v[2]->isHidden());
    EXPECT_EQ(v[1]->width(), 236);
    shelltest::Screenshot(&window, "main_dock_right_live.png");

    // Layout 1: slot 0 shown hides slot 1, and the other way round.
    v[0]->show();
    EXPECT_TRUE(v[1]->isHidden());
    v[1]->show();
    EXPECT_TRUE(v[0]->isHidden());
    // The last visible slot hidden: the dock goes too.
    v[2]->hide();
    EXPECT_TRUE(dock->isVisible());
    v[1]->hide();
    EXPECT_FALSE(dock->isVisible());

    dock->ShowDock(false);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(dock->VideoWidget(i), nullptr);
    EXPECT_EQ(dock->DockLayout()->count(), 0);
}

TEST(MainDockRight, StudentSideShowsOnlyTheThirdSlot)
{
    shelltest::SetSession(true);
    CData::SetStudentSideForTests(true);
    MainDockRight dock;
    QWidget* v[3];
    for (int i = 0; i < 3; ++i) {
        v[i] = new QWidget(&dock);
        dock.SetVideoWidget(v[i], i);
    }
    dock.ShowDock(true);
    CData::SetStudentSideForTests(false);
    EXPECT_TRUE(v[0]->isHidden());
    EXPECT_TRUE(v[1]->isHidden());
    EXPECT_FALSE(v[2]->isHidden());
    EXPECT_EQ(dock.width(), 236);
}

TEST(MainDockRight, SmallRoomTakesNoWidth)
{
    shelltest::SetSession(false);
    MainDockRight dock;
    dock.SetVideoWidget(new QWidget(&dock), 0);
    dock.ShowDock(true);
    EXPECT_EQ(dock.width(), 0);
}

TEST(MainDockRight, TopVideoOfLayoutTwoLeavesAndComesBackOnce)
{
    shelltest::SetSession(true);
    QWidget home;
    auto* top = new TopVideo(&home);
    MainDockRight dock;

    CData::instance()->SetLayout(1);
    dock.SetTopVideo(top);  // layout 1: nothing
    EXPECT_EQ(dock.TopVideo(), nullptr);
    EXPECT_EQ(top->parentWidget(), &home);

    CData::instance()->SetLayout(2);
    dock.SetVideoWidget(new QWidget(&dock), 1);
    dock.SetTopVideo(top);
    dock.SetTopVideo(top);  // one connection only
    ASSERT_EQ(dock.TopVideo(), top);
    EXPECT_EQ(top->parentWidget(), &dock);
    EXPECT_EQ(dock.DockLayout()->itemAt(0)->widget(), top);
    EXPECT_EQ(top->size(), QSize(236, 177));
    const int rows = dock.DockLayout()->count();

    emit top->sgAddDelTopVideo(false);
    EXPECT_EQ(top->parentWidget(), &home);
    EXPECT_EQ(dock.DockLayout()->count(), rows - 1);
    EXPECT_EQ(top->maximumSize(), QSize(10000, 10000));
    emit top->sgAddDelTopVideo(true);
    emit top->sgAddDelTopVideo(true);  // twice: inserted once
    EXPECT_EQ(dock.DockLayout()->count(), rows);
    EXPECT_EQ(dock.DockLayout()->itemAt(0)->widget(), top);
    EXPECT_EQ(top->parentWidget(), &dock);

    dock.ShowDock(false);
    emit top->sgAddDelTopVideo(false);  // disconnected: stays
    EXPECT_EQ(top->parentWidget(), &dock);
}

#include "tst_main_dock_right.moc"
