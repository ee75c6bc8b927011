// The program's exit sequence: reached by the session's exit signal or a
// home window's exit, it runs once (dumps off, tick stopped, libraries
// released, the updater started only when due), and a later exit request or
// close does nothing more.
#include "tests/mainwindow/RoomTestSupport.h"

#include "common/CrashDumper.h"
#include "home/ClassListWidget.h"
#include "home/LoginWidget.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace roomtest;

TEST(ExitSequence, RunsOnceHoweverItIsReached)
{
    MainWindow* w = MakeWindow();
    testsupport::TempDir dumps;
    CrashDumper dumper(false, dumps.path().c_str());
    ASSERT_EQ(&dumper, CrashDumper::Current());
    int updaterStarts = 0;
    w->SetUpdaterStarter([&] { ++updaterStarts; });
    SignIn(true);
    w->EnterRoom();
    ASSERT_NE(nullptr, Lib());

    // The home window's exit, which does not set the exiting flag itself.
    emit w->HomeWindow()->exitApp();
    EXPECT_TRUE(CData::instance()->IsAppExiting());
    EXPECT_TRUE(w->property("appexit").toBool());
    EXPECT_EQ(nullptr, CrashDumper::Current()) << "no dumps during the tear-down";
    EXPECT_EQ(nullptr, Room::instance()->GetClientLib()) << "libraries released";
    EXPECT_EQ(nullptr, Room::instance()->GetWBLib());
    EXPECT_EQ(0, updaterStarts) << "no update is due";
    EXPECT_EQ(1, LogText().count("exit app quit"));

    // Later requests: the session's exit signal, the login window's exit, a
    // close. Nothing runs again and the home window stays as it is.
    w->HomeWindow()->hide();
    emit CData::instance()->sgExitApp();
    emit w->HomeWindow()->exitApp();
    w->close();
    EXPECT_EQ(1, LogText().count("exit app quit"));
    EXPECT_EQ(1, LogText().count(QRegularExpression("closeEvent Info exit app$", QRegularExpression::MultilineOption)));
    EXPECT_FALSE(w->HomeWindow()->isVisible()) << "a late exit request shows no home window";
}
