// test-labels: e2e
// test-sources: ../app/UploadServices.cpp
// The room controller with its live pusher and player: the media callbacks
// handed to the client library, the play delay, the teacher's snapshot
// upload, and the release of the pusher and player.
#include "app/CData.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "media/RoomMediaSetup.h"
#include "media/RtmpLivePlayer.h"
#include "media/RtmpLivePusher.h"
#include "tests/app/UploadServices.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPointer>

using uploadtest::Services;

namespace {

TEST(RoomMedia, CallbacksPlayDelaySnapshotsAndRelease)
{
    Services::instance().reset();
    Services::instance().script("/shadow", 200, "stored");
    Room* room = Room::instance();
    InstallRoomMedia();
    ASSERT_NE(room->GetLivePusher(), nullptr);
    ASSERT_NE(room->GetLivePlayer(), nullptr);

    // The three callbacks travel in the configuration map as addresses.
    const QVariantMap config = room->BuildLibConfig();
    EXPECT_EQ(config["onAudioCB"].toLongLong(),
              qlonglong(reinterpret_cast<quintptr>(static_cast<ClientLibAudioFn>(&Room::OnAudioCB))));
    EXPECT_EQ(config["onVideoCB"].toLongLong(),
              qlonglong(reinterpret_cast<quintptr>(static_cast<ClientLibVideoFn>(&Room::OnVideoCB))));
    EXPECT_EQ(config["playCatchMsFunc"].toLongLong(),
              qlonglong(reinterpret_cast<quintptr>(static_cast<ClientLibPlayCatchFn>(&Room::PlayCatchMs))));
    EXPECT_EQ(Room::PlayCatchMs(), room->GetLivePlayer()->GetDelayTime());

    // Only the local user's picture is uploaded, once however often it comes.
    ASSERT_TRUE(CData::instance()->SetLoginVar({"tok", "live", "teacher1", "T", "g1", "2"}));
    QImage picture(320, 240, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    Room::OnVideoCB("student7", picture);
    QCoreApplication::processEvents();
    for (int i = 0; i < 5; ++i)
        Room::OnVideoCB("teacher1", picture);
    ASSERT_TRUE(testsupport::waitUntil([] { return !Services::instance().seen("/shadow").empty(); }));
    QCoreApplication::processEvents();
    const auto seen = Services::instance().seen("/shadow");
    ASSERT_EQ(seen.size(), 1u);
    ASSERT_EQ(seen[0].parts.size(), 1u);
    EXPECT_TRUE(QString::fromStdString(seen[0].parts[0].filename).endsWith(".jpg"));
    EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(seen[0].parts[0].content)).size(), QSize(320, 240));
    const QStringList shots =
        QDir(QString::fromStdString(PubUtils::GetTempDir())).entryList({"*.jpg"}, QDir::Files);
    EXPECT_EQ(shots.size(), 1);

    // Released with the libraries; the play delay then answers 0.
    QPointer<QObject> pusher(room->GetLivePusher());
    room->ReleaseLib();
    EXPECT_TRUE(pusher.isNull());
    EXPECT_EQ(room->GetLivePusher(), nullptr);
    EXPECT_EQ(room->GetLivePlayer(), nullptr);
    EXPECT_EQ(Room::PlayCatchMs(), 0);
    CData::instance()->ResetData(false);
}

}  // namespace
