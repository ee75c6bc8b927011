// The room window's whiteboard and stream slots: whiteboard commands into
// the session and the background chooser, the server time offset and the
// teacher's first activity, failures of the player and pusher that wait for
// a share or play, chat texts for the bullet comments, and the show handling.
#include "mainwindow/MainWindow.h"
#include "mainwindow/shell/MainWindowUi.h"

#include "app/CData.h"
#include "app/Room.h"
#include "mainwindow/room/CBarrageScreen.h"
#include "platform/MemoryVolumeBackend.h"
#include "tests/mainwindow/ShellTestSupport.h"
#include "WhiteBoardLib.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace {

class WhiteboardSlots : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        shelltest::Home();
        VolumeBackend::Install(std::make_unique<MemoryVolumeBackend>(100, true));
        s_window = new MainWindow;
    }
    static void TearDownTestSuite()
    {
        delete s_window;
        s_window = nullptr;
    }
    static MainWindow* s_window;
};
MainWindow* WhiteboardSlots::s_window = nullptr;

}  // namespace

TEST_F(WhiteboardSlots, ServerTimeOffsetBelowTheNoOffsetValueIsTaken)
{
    CData* data = CData::instance();
    const qint64 before = data->GetSvrTimeOff();
    s_window->onWBLibCmd(RsWB_ServerTimeOffset, QVariantMap{{"offMs", qlonglong(10000000)}});
    EXPECT_EQ(data->GetSvrTimeOff(), before);
    EXPECT_EQ(s_window->LastActivity(), 0);  // ignored whole

    s_window->onWBLibCmd(RsWB_ServerTimeOffset, QVariantMap{{"offMs", qlonglong(9999999)}});
    EXPECT_LE(data->GetSvrTimeOff(), 9999999);
    const qint64 first = s_window->LastActivity();
    EXPECT_GT(first, 0);
    EXPECT_NEAR(double(first), double(data->GetSvrTime()), 5000.0);
    // Already set: a later offset leaves the activity time alone.
    s_window->onWBLibCmd(RsWB_ServerTimeOffset, QVariantMap{{"offMs", qlonglong(-5000)}});
    EXPECT_EQ(s_window->LastActivity(), first);
}

TEST_F(WhiteboardSlots, BackgroundAndFailureCommandsAreKeptByType)
{
    CData* data = CData::instance();
    struct Case {
        int code;
        QString type;
    } const cases[] = {{RsWB_ConnectFailed, "wbconn"}, {RsWB_Background, "doc"}, {RsWB_Background, "wb"}};
    for (const Case& c : cases) {
        const QVariantMap payload{{"type", c.type}, {"image", "x.png"}, {"code", c.code}};
        s_window->onWBLibCmd(c.code, payload);
        EXPECT_EQ(data->GetVar(c.type).toMap(), payload) << c.code << " " << c.type.toStdString();
    }
    // Unknown and foreign codes change nothing.
    for (int code : {0, 4, 5, 6, 9, 77}) s_window->onWBLibCmd(code, QVariantMap{{"type", "zz"}});
    EXPECT_FALSE(data->GetVar("zz").isValid());
}

TEST_F(WhiteboardSlots, FailuresWaitForAPlayOrAShare)
{
    // Nothing plays or pushes: neither failure starts a retry.
    ASSERT_EQ(Room::instance()->GetPlayType(), 0);
    ASSERT_EQ(Room::instance()->GetShareType(), 0);
    for (int times : {2, 3, 10}) s_window->slotRtmpPlayFailed(times, "x");
    s_window->slotRtmpPushFailed(1, "push failed");
    EXPECT_EQ(s_window->ShareRetryCountdown(), 0);
}

TEST_F(WhiteboardSlots, ChatTextsReachTheBulletComments)
{
    s_window->resize(1280, 720);
    s_window->show();
    CBarrageScreen* overlay = s_window->Barrage();
    ASSERT_NE(overlay, nullptr);
    EXPECT_FALSE(overlay->IsEnabled());  // silent as built
    s_window->slotAddNewChatMessage({QString::fromUtf8("同学们好")});
    EXPECT_EQ(overlay->BusyCount(), 0);
    overlay->SetEnabled(true);
    s_window->slotAddNewChatMessage({});
    EXPECT_EQ(overlay->BusyCount(), 0);
    s_window->slotAddNewChatMessage({QString::fromUtf8("同学们好")});
    ASSERT_EQ(overlay->BusyCount(), 1);
    EXPECT_EQ(overlay->Busy().front()->text(), QString::fromUtf8("同学们好"));
    EXPECT_TRUE(s_window->testAttribute(Qt::WA_Mapped));
    shelltest::Screenshot(s_window, "whiteboard_bullet_comment.png");
    overlay->SetEnabled(false);
    s_window->hide();
}
