// test-labels: e2e
// The program's push class publishing to a local RTMP server through the
// push library: the server carries H.264 and AAC, the local preview shows
// the pushed picture, and a stop ends the push.
#include "app/CData.h"
#include "media/AnyCorePusher.h"
#include "media/RenderWdg.h"
#include "NginxFixture.h"
#include "QtWait.h"
#include "TempDir.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>
#include <QWidget>

namespace {

// The codec names ffprobe sees on url (empty when it sees nothing).
QStringList probe(const std::string& url)
{
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-rw_timeout", "8000000", "-show_entries", "stream=codec_name", "-of",
                        "csv=p=0", QString::fromStdString(url)});
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    QStringList names = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    for (QString& n : names)
        n = n.trimmed();
    return names;
}

TEST(AnyCorePusherPush, PublishesCameraAndMicrophoneToTheServer)
{
    static testsupport::TempHome home;
    testsupport::NginxFixture::Options options;
    options.rtmp = true;
    testsupport::NginxFixture nginx(options);
    ASSERT_TRUE(nginx.start()) << nginx.error();
    ASSERT_TRUE(CData::instance()->SetLoginVar({"tok", "live", "teacher1", "T", "g1", "2"}));

    QWidget display;
    display.resize(320, 180);
    display.show();
    AnyCorePusher pusher;
    QSignalSpy states(&pusher, &RtmpLivePusher::sgLivePushState);
    RtmpPushParam p = pusher.GetPushParam();
    p.pushUrl = QString::fromStdString(nginx.rtmpUrl("liveTeacher_1"));
    p.displayWidget = &display;
    p.videoMode = 1;
    pusher.SetPushParam(p);
    ASSERT_TRUE(pusher.StartTask());
    EXPECT_TRUE(pusher.IsPushing());
    EXPECT_EQ(pusher.preview()->parentWidget(), &display);

    // The preview shows the pushed picture, fitted into the display.
    ASSERT_TRUE(testsupport::waitUntil([&] { return !pusher.preview()->frame().isNull(); }, 15000));
    EXPECT_LE(pusher.preview()->frame().width(), 320);
    EXPECT_LE(pusher.preview()->frame().height(), 180);
    QCoreApplication::processEvents();
    display.grab().save(QString::fromStdString(testsupport::screenshotPath("pusher_push_preview.png")));

    QStringList codecs;
    for (int attempt = 0; attempt < 3 && !(codecs.contains("h264") && codecs.contains("aac")); ++attempt)
        codecs = probe(nginx.rtmpUrl("liveTeacher_1"));
    EXPECT_TRUE(codecs.contains("h264")) << codecs.join(",").toStdString();
    EXPECT_TRUE(codecs.contains("aac")) << codecs.join(",").toStdString();
    QCoreApplication::processEvents();
    EXPECT_EQ(states.count(), 0);

    // Starting again while pushing stops first and pushes again.
    ASSERT_TRUE(pusher.StartTask());
    EXPECT_TRUE(pusher.IsPushing());
    EXPECT_TRUE(pusher.StopTask());
    EXPECT_FALSE(pusher.IsPushing());
    EXPECT_EQ(pusher.preview()->parentWidget(), nullptr);
    CData::instance()->ResetData(false);
}

}  // namespace
