// The device authorisation dialog as the room window uses it: a request of
// the demo school's client library shown, admitted into the device panel,
// refused, and the admitted device removed again through the library; a
// reply the library does not take; the title-band drag of the small
// frameless dialogs.
#include "home/AppAuthWidget.h"
#include "home/ProblemFeedback.h"
#include "home/ShareTmpRoomWidget.h"
#include "mainwindow/popups/ShowQRWidget.h"

#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "QtWait.h"
#include "app/Room.h"
#include "tests/mainwindow/ShellTestSupport.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

ClientLib* lib() { return Room::instance()->GetClientLib(); }

QVariantMap Device(const QString& userId, const QString& devType)
{
    return {{"userId", userId}, {"devType", devType}, {"devInfo", devType + " info"}};
}

QList<QVariantList> CallArgs(const QString& name)
{
    QList<QVariantList> out;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(lib()))
        if (c.name == name)
            out << c.args;
    return out;
}

// The room window's handling of a device request: one new dialog per
// request, answering into the device panel.
struct RoomStandIn : QWidget {
    ShowQRWidget panel{this};
    QList<AppAuthWidget*> dialogs;
    RoomStandIn()
    {
        QObject::connect(Room::instance(), &Room::sgClientLibCmd, this, [this](int code, QVariant data) {
            if (code != RsC_App_DeviceAuth)
                return;
            auto* dialog = new AppAuthWidget(this);
            QObject::connect(dialog, &AppAuthWidget::sgAuthAppDev, &panel, &ShowQRWidget::onAuthAppDev);
            dialog->showAppDev(data);
            dialogs << dialog;
        });
    }
};

class AppAuthTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        shelltest::Home();
        static QWidget board;
        if (!lib())
            Room::instance()->InitLib(&board);
    }
    void SetUp() override
    {
        shelltest::UseProgramStyle();
        shelltest::SetSession(false);
        for (const QVariant& dev : CData::instance()->GetAuthAppDevs())
            CData::instance()->RemoveAuthAppDev(dev.toMap().value("userId").toString());
        ClientLibTestControl::ClearCalls(lib());
    }
};

}  // namespace

TEST_F(AppAuthTest, DeviceIsAuthorisedRefusedAndRemoved)
{
    RoomStandIn room;
    ClientLibTestControl::InjectCommand(lib(), RsC_App_DeviceAuth, Device("u1", "iPad"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return room.dialogs.size() == 1; }));
    AppAuthWidget* first = room.dialogs[0];
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(first->windowFlags() & Qt::WindowStaysOnTopHint);
    shelltest::Screenshot(first, "app_auth.png");

    // A second request while the first is open: a dialog of its own.
    ClientLibTestControl::InjectCommand(lib(), RsC_App_DeviceAuth, Device("u2", "android"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return room.dialogs.size() == 2; }));

    first->findChild<QPushButton*>("btnOk")->click();
    EXPECT_FALSE(first->isVisible());
    ASSERT_EQ(room.panel.DeviceRows().size(), 1);
    EXPECT_EQ(CData::instance()->GetAuthAppDevs().size(), 1u);
    // The title-bar close refuses exactly like "取消授权": the panel is told,
    // nothing is listed.
    room.dialogs[1]->findChild<QPushButton*>("btnClose")->click();
    EXPECT_FALSE(room.dialogs[1]->isVisible());
    EXPECT_EQ(room.panel.DeviceRows().size(), 1);
    EXPECT_EQ(CallArgs("ReplyAppAuth"), (QList<QVariantList>{{"u1", true}, {"u2", false}}));
    // Closed dialogs stay hidden children of the room window.
    EXPECT_EQ(room.findChildren<AppAuthWidget*>().size(), 2);

    // The admitted device is removed again: the library stops it.
    room.panel.RemoveAppDev("u1");
    EXPECT_TRUE(room.panel.DeviceRows().isEmpty());
    ASSERT_TRUE(testsupport::waitUntil([] { return !CallArgs("StopAppAuth").isEmpty(); }));
    EXPECT_EQ(CallArgs("StopAppAuth"), (QList<QVariantList>{{"u1"}}));
    EXPECT_TRUE(CData::instance()->GetAuthAppDevs().empty());
}

TEST_F(AppAuthTest, ReplyTheLibraryDoesNotTakeKeepsTheDialogOpen)
{
    QWidget room;
    AppAuthWidget dialog(&room);
    int answers = 0;
    QObject::connect(&dialog, &AppAuthWidget::sgAuthAppDev, [&] { ++answers; });
    dialog.showAppDev(QVariantMap{{"devType", "iPad"}});  // no "userId": an empty one is sent
    dialog.findChild<QPushButton*>("btnOk")->click();
    EXPECT_EQ(CallArgs("ReplyAppAuth"), (QList<QVariantList>{{"", true}}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(answers, 0);
}

TEST_F(AppAuthTest, SmallDialogsAreDraggedByTheirTitleBand)
{
    QWidget home;
    RoomInfo room;
    room.room_id = "drag";
    room.course_id = "c";
    ShareTmpRoomWidget::SetParentWidget(nullptr);
    const std::function<QDialog*()> dialogs[] = {
        [] { return new AppAuthWidget(nullptr); },
        [] { return new ProblemFeedback(nullptr); },
        [room] { return ShareTmpRoomWidget::GetWidget(room); },
    };
    const struct {
        const char* what;
        int pressY;
        Qt::WindowState state;
        bool pressFirst;
        bool moves;
    } cases[] = {
        {"press at the band's last row", 39, Qt::WindowNoState, true, true},
        {"press just below the band", 40, Qt::WindowNoState, true, false},
        {"maximised", 10, Qt::WindowMaximized, true, false},
        {"full screen", 10, Qt::WindowFullScreen, true, false},
        {"held button without a press in the band", 10, Qt::WindowNoState, false, false},
    };
    auto send = [](QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, local, w->mapToGlobal(local), button, held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    };
    for (const auto& make : dialogs) {
        for (const auto& c : cases) {
            QDialog* d = make();
            d->show();
            d->setWindowState(c.state);
            if (c.state == Qt::WindowNoState)
                d->move(100, 100);
            const QPoint before = d->pos();
            const QPoint at(60, c.pressY);
            if (c.pressFirst)
                send(d, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
            send(d, QEvent::MouseMove, at + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
            EXPECT_EQ(d->pos(), c.moves ? before + QPoint(30, 20) : before) << d->objectName().toStdString() << ": "
                                                                              << c.what;
            // After the release, moves no longer drag.
            send(d, QEvent::MouseButtonRelease, at + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);
            const QPoint released = d->pos();
            send(d, QEvent::MouseMove, at + QPoint(60, 40), Qt::NoButton, Qt::LeftButton);
            EXPECT_EQ(d->pos(), released) << d->objectName().toStdString() << ": " << c.what;
            d->close();
            delete d;
        }
    }
}
