// The program's push class without a server: settings at construction, the
// library's reports turned into push states, a start that cannot push,
// microphone blocks mixed in place, preview frames.
#include "app/CData.h"
#include "app/CSettings.h"
#include "common/Clock.h"
#include "media/AnyCorePusher.h"
#include "media/CAudioMixer.h"
#include "media/RenderWdg.h"
#include "QtWait.h"
#include "TestPaths.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QWidget>

#include <vector>

namespace {

testsupport::TempHome& home()
{
    static testsupport::TempHome h;
    return h;
}

class PusherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home();
        CData::instance()->SetStatus(kStatusVoiceInteraction, 0);
        CData::instance()->SetStatus(kStatusLivePlayerPlaying, 0);
    }
    // The library's side of the pusher.
    static RTMPHosterEvent& events(AnyCorePusher& p) { return p; }
};

TEST_F(PusherTest, MicUseDShowIsWrittenWhenAbsentAndKeptOtherwise)
{
    struct Case {
        QVariant stored;  // invalid: absent
        int expected;
    } cases[] = {{QVariant(), 0}, {1, 1}, {0, 0}};
    for (const Case& c : cases) {
        CSettings::instance()->remove("MicUseDShow");
        if (c.stored.isValid())
            CSettings::instance()->SetValue("MicUseDShow", c.stored);
        AnyCorePusher pusher;
        EXPECT_EQ(pusher.micUseDShow(), c.expected);
        EXPECT_EQ(CSettings::instance()->GetValue("MicUseDShow").toInt(), c.expected);
        EXPECT_TRUE(CSettings::instance()->contains("MicUseDShow"));
    }
}

TEST_F(PusherTest, LibraryReportsBecomePushStates)
{
    struct Case {
        const char* name;
        std::function<void(RTMPHosterEvent&)> reports;
        int states;
    } cases[] = {
        {"reconnects 1-3", [](RTMPHosterEvent& e) { for (int i = 1; i <= 3; ++i) e.OnRtmpStreamReconnecting(i); }, 1},
        {"reconnects 1-6", [](RTMPHosterEvent& e) { for (int i = 1; i <= 6; ++i) e.OnRtmpStreamReconnecting(i); }, 2},
        {"reconnects 1-2", [](RTMPHosterEvent& e) { e.OnRtmpStreamReconnecting(1); e.OnRtmpStreamReconnecting(2); }, 0},
        {"delays", [](RTMPHosterEvent& e) { for (int d : {1500, 2500, 2500, 16000}) e.OnRtmpStreamStatus(d, 0); }, 1},
        {"same big delay twice", [](RTMPHosterEvent& e) { e.OnRtmpStreamStatus(16000, 0); e.OnRtmpStreamStatus(16000, 0); }, 1},
        {"failed", [](RTMPHosterEvent& e) { e.OnRtmpStreamFailed(-2); e.OnRtmpStreamFailed(-5); }, 2},
        {"ok and closed", [](RTMPHosterEvent& e) { e.OnRtmpStreamOK(); e.OnRtmpStreamClosed(); e.OnRtmpLog("x", 1); }, 0},
    };
    for (const Case& c : cases) {
        AnyCorePusher pusher;
        QSignalSpy spy(&pusher, &RtmpLivePusher::sgLivePushState);
        c.reports(events(pusher));
        EXPECT_EQ(spy.count(), c.states) << c.name;
        for (const auto& args : spy) {
            EXPECT_EQ(args.at(0).toInt(), kLivePushFailed);
            EXPECT_EQ(args.at(1).toString(), QString::fromUtf8("推流失败，请切换线路!"));
        }
    }
}

TEST_F(PusherTest, StartThatCannotPushSaysSoAndLeavesNothingBehind)
{
    QWidget display;
    display.resize(320, 180);
    AnyCorePusher pusher;
    RtmpPushParam p = pusher.GetPushParam();
    p.pushUrl = "http://127.0.0.1:1/not-rtmp";
    p.displayWidget = &display;
    p.videoMode = 4;  // logged, the push goes on without a mode
    pusher.SetPushParam(p);
    QSignalSpy spy(&pusher, &RtmpLivePusher::sgLivePushState);
    EXPECT_FALSE(pusher.StartTask());
    EXPECT_EQ(spy.count(), 1);
    EXPECT_FALSE(pusher.IsPushing());
    EXPECT_EQ(pusher.preview()->parentWidget(), nullptr);
    EXPECT_TRUE(pusher.preview()->isHidden());
    EXPECT_TRUE(pusher.StopTask());
    // Remote audio while not pushing is ignored.
    std::vector<qint16> remote(480, 100);
    pusher.OnExtAudioDataMixer("stu", reinterpret_cast<const uchar*>(remote.data()), 16, 48000, 1, 480);
    EXPECT_TRUE(pusher.mixer()->SlotUser(0).isEmpty());
}

TEST_F(PusherTest, MicrophoneBlocksAreMixedInPlaceWhileTheVoiceInteractionIsOpen)
{
    ASSERT_TRUE(CData::instance()->SetLoginVar({"tok", "live", "teacher1", "T", "g1", "2"}));
    AnyCorePusher pusher;
    RtmpPushParam p = pusher.GetPushParam();
    p.pushUrl = "bad";
    p.flag = true;
    pusher.SetPushParam(p);
    pusher.StartTask();  // fails, but the local user is the mixer's master now
    ASSERT_EQ(pusher.mixer()->CurrentMaster(), "teacher1");

    struct Case {
        bool voice, playerPlaying;
        qint16 expected;
    } cases[] = {
        {false, false, 1000},  // voice interaction closed: pushed as it is
        {true, true, 1000},    // the room player plays: the block is dropped
        {true, false, 1100},   // mixed with the student's audio
    };
    for (const Case& c : cases) {
        CData::instance()->SetStatus(kStatusVoiceInteraction, c.voice);
        CData::instance()->SetStatus(kStatusLivePlayerPlaying, c.playerPlaying);
        std::vector<qint16> remote(480, 100), local(480, 1000);
        pusher.mixer()->OnAudioConvertMix("stu", reinterpret_cast<const uchar*>(remote.data()), 16, 48000, 1, 480);
        events(pusher).OnAudioData(reinterpret_cast<uint8_t*>(local.data()), 480, 2, 1, 48000, true);
        EXPECT_EQ(local[0], c.expected);
        EXPECT_EQ(local[479], c.expected);
    }
    CData::instance()->ResetData(false);
}

TEST_F(PusherTest, PreviewFramesAreScaledToThePreviewAndBadFramesDropped)
{
    QWidget display;
    display.resize(400, 300);
    display.show();
    AnyCorePusher pusher;
    RtmpPushParam p = pusher.GetPushParam();
    p.pushUrl = "bad";
    p.displayWidget = &display;
    pusher.SetPushParam(p);
    // Attach the preview as a start does; the start itself fails here.
    pusher.preview()->setParent(&display);
    pusher.preview()->setGeometry(display.rect());
    pusher.preview()->show();
    display.installEventFilter(&pusher);
    display.resize(200, 100);  // the filter follows the display's size
    EXPECT_EQ(pusher.preview()->size(), QSize(200, 100));

    // A bottom-up 4x2 frame: top row red, bottom row blue once turned.
    std::vector<uint32_t> pixels = {0xff0000ff, 0xff0000ff, 0xff0000ff, 0xff0000ff,
                                    0xffff0000, 0xffff0000, 0xffff0000, 0xffff0000};
    RTMPFrameRecord record{int32_t(sizeof(RTMPFrameRecord)), 4, -2, 32, 32};
    pusher.OnVideoFrame(&record, reinterpret_cast<const uint8_t*>(pixels.data()));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !pusher.preview()->frame().isNull(); }));
    const QImage shown = pusher.preview()->frame();
    EXPECT_EQ(shown.size(), QSize(200, 100));  // 4x2 kept in proportion inside 200x100
    EXPECT_EQ(QColor(shown.pixel(100, 10)), QColor(Qt::red));
    EXPECT_EQ(QColor(shown.pixel(100, 90)), QColor(Qt::blue));
    display.grab().save(QString::fromStdString(testsupport::screenshotPath("pusher_preview.png")));

    RTMPFrameRecord empty{int32_t(sizeof(RTMPFrameRecord)), 0, 0, 32, 0};
    pusher.preview()->onGetFrame(QImage());
    pusher.OnVideoFrame(&empty, reinterpret_cast<const uint8_t*>(pixels.data()));
    QCoreApplication::processEvents();
    EXPECT_TRUE(pusher.preview()->frame().isNull());
    display.removeEventFilter(&pusher);
    pusher.preview()->setParent(nullptr);
}

}  // namespace
