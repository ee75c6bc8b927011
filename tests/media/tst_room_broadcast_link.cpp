// test-labels: xvfb
// test-sources: ../app/UploadServices.cpp
// The broadcast settings window joined to the room controller: while it
// lives the room shares the desktop through it and hands it remote audio,
// and a cloud-recorded publish sends the start and stop record reports.
#include "app/CData.h"
#include "app/Room.h"
#include "app/BroadcastAudioLink.h"
#include "media/CBroadcastEngine.h"
#include "media/OBSSettingWindow.h"
#include "QtWait.h"
#include "tests/app/UploadServices.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

using uploadtest::Services;

namespace {

TEST(RoomBroadcastLink, DesktopShareRunsThroughTheWindowAndReportsTheRecord)
{
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    Services& services = Services::instance();
    services.reset();
    services.script("/openapi/stream_notify", 200, "{}");
    CData* data = CData::instance();
    ASSERT_TRUE(data->SetLoginVar({"tok", "live9", "teacher1", "T", "g1", "2"}));
    data->SetLiveMode(3);
    data->SetRecording(true);
    Room* room = Room::instance();
    EXPECT_FALSE(room->HasBroadcastWindow());
    const qint16 silence[480] = {};
    EXPECT_FALSE(BroadcastAudioLink::instance().MixAudioData("2001", silence, 16, 48000, 1, 480, 0, 0));

    QWidget mainWindow;
    auto window = std::make_unique<OBSSettingWindow>(&mainWindow);
    window->timer()->stop();
    OBSSettingWindow::RecordReporter reporter;
    reporter.reportRecordResult = [](int, int, const QString&) {};
    reporter.setRecordState = [](const QString&, int) { return true; };
    window->setRecordReporterForTests(reporter);
    EXPECT_TRUE(room->HasBroadcastWindow());
    EXPECT_TRUE(BroadcastAudioLink::instance().MixAudioData("2001", silence, 16, 48000, 1, 480, 0, 0));

    // The desktop share starts the window's publishing; the cloud record
    // is reported with the window's stream key.
    ASSERT_TRUE(room->StartShare(3));
    EXPECT_EQ(window->publishState(), OBSSettingWindow::kStarting);
    const QString key = window->GetStreamKey();
    EXPECT_TRUE(key.startsWith("liveRecord_g1_")) << key.toStdString();
    ASSERT_TRUE(testsupport::waitUntil([] { return !Services::instance().seen("/openapi/stream_notify").empty(); },
                                       uploadtest::kWaitMs));
    EXPECT_EQ(services.seen("/openapi/stream_notify")[0].body,
              R"({"action":"start","stream":")" + key.toStdString() + R"(","token":"tok"})");

    // The publish ends (as the engine's thread reports it): the stop report.
    CBroadcastEngine::instance()->OnStopPublish(0, "");
    ASSERT_TRUE(testsupport::waitUntil([] { return Services::instance().seen("/openapi/stream_notify").size() >= 2; },
                                       uploadtest::kWaitMs));
    EXPECT_EQ(services.seen("/openapi/stream_notify")[1].body,
              R"({"action":"stop","stream":")" + key.toStdString() + R"(","token":"tok"})");
    room->StopShare();
    EXPECT_EQ(room->GetShareType(), 0);

    window.reset();
    EXPECT_FALSE(room->HasBroadcastWindow());
    EXPECT_FALSE(BroadcastAudioLink::instance().MixAudioData("2001", silence, 16, 48000, 1, 480, 0, 0));
    data->ResetData(false);
}

}  // namespace
