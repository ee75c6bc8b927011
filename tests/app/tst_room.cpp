// The room controller with the real client and whiteboard libraries: the
// callback-to-signal road, the configuration map and the release.
#include "app/CSettings.h"
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "QtWait.h"
#include "app/Room.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QWidget>

namespace {

testsupport::TempHome& home()
{
    static testsupport::TempHome h;
    return h;
}

}  // namespace

TEST(Room, BindsLibrariesAndForwardsCommandsInOrderOnTheGuiThread)
{
    home();
    QWidget board;
    Room* room = Room::instance();
    room->InitLib(&board);
    ASSERT_NE(room->GetClientLib(), nullptr);
    ASSERT_NE(room->GetWBLib(), nullptr);

    // A brace-less installation id of 36 characters, made once and kept.
    const QString guid = CSettings::instance()->GetValue("App/AppExtGuid").toString();
    EXPECT_EQ(guid.size(), 36);
    EXPECT_FALSE(guid.contains('{'));
    EXPECT_EQ(Room::EnsureAppGuid(), guid);
    QVariantMap config = room->BuildLibConfig();
    EXPECT_EQ(config["appGuid"].toString(), guid);
    EXPECT_EQ(config["urlUserHttp"].toStringList().size(), 5);
    EXPECT_NE(config["curlLocker"].toLongLong(), 0);
    EXPECT_EQ(config["userType"].toInt(), 1);

    QList<QPair<int, int>> seen;  // (code, sequence)
    bool allOnGui = true;
    bool got135 = false;
    // Recorded on the GUI thread (queued); a QSignalSpy would record on the
    // emitting library thread, racing with the checks below.
    QObject::connect(room, &Room::sgClientLibCmd, room, [&](int code, QVariant var) {
        allOnGui = allOnGui && QThread::currentThread() == qApp->thread();
        if (code >= 900000)
            seen.append({code, var.toMap().value("seq").toInt()});
        got135 = got135 || code == 135;
    });
    // 135 (question start) is a tool command the student side holds back;
    // the teacher program lets it through at once.
    for (int i = 0; i < 50; ++i)
        ClientLibTestControl::InjectCommand(room->GetClientLib(), 900000 + (i % 2), QVariantMap{{"seq", i}});
    ClientLibTestControl::InjectCommand(room->GetClientLib(), 135, QVariantMap{{"x", 1}});
    ASSERT_TRUE(testsupport::waitUntil([&] { return seen.size() >= 50; }));
    ASSERT_EQ(seen.size(), 50);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(seen[i].second, i);
    EXPECT_TRUE(allOnGui);
    EXPECT_TRUE(testsupport::waitUntil([&] { return got135; }));

    // Code 0 is only written to the log, never emitted.
    QSignalSpy logs(room, &Room::sgClientLibCmd);
    ClientLibCallback(0, QVariantMap{{"log", ""}});
    WBLibCallback(0, QVariantMap{{"log", "whiteboard says hi"}});
    EXPECT_EQ(logs.count(), 0);

    room->ReleaseLib();
    EXPECT_EQ(room->GetClientLib(), nullptr);
    EXPECT_EQ(room->GetWBLib(), nullptr);
    room->ReleaseLib();  // nothing the second time
}
