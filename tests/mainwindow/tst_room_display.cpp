// test-labels: e2e xvfb
// The live room's display widget and its cloud recording on a local stream
// server, through the room window: entering makes the display widget where
// the room layout puts it (the side dock's top or the whiteboard's corner),
// the teacher's camera share shows moving pictures in it, leaving deletes it
// and the next entry makes a fresh one; the tool bar's recorder publishes
// the room window itself (the server writes the recording, which grows and
// holds video) and stops it again.
#include "tests/mainwindow/RoomTestSupport.h"

#include "mainwindow/room/BigVideoCtrl.h"
#include "mainwindow/room/MainDockRight.h"
#include "mainwindow/shell/MainWindowUi.h"
#include "media/OBSSettingWindow.h"
#include "media/RenderWdg.h"
#include "media/RoomMediaSetup.h"
#include "media/RtmpLivePlayer.h"
#include "media/RtmpLivePusher.h"
#include "NginxFixture.h"
#include "QtWait.h"
#include "widgets/MsgBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace roomtest;
using testsupport::waitUntil;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// ffprobe's view of a file's first video stream: "h264,<width>,<height>" or
// empty.
QString ProbeVideo(const QString& file)
{
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream=codec_name,width,height",
                        "-of", "csv=p=0", file});
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

qint64 FileSize(const QString& path)
{
    return QFileInfo(path).exists() ? QFileInfo(path).size() : -1;
}

class RoomDisplay : public ::testing::Test {
protected:
    // One stream server for the process: its HTTP site serves the media
    // lines (every role on its RTMP server), and the RTMP application keeps
    // a recording of every stream published to it.
    static void SetUpTestSuite()
    {
        s_records = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/room-records-XXXXXX");
        // The server's workers write there under their own user.
        QFile::setPermissions(s_records->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                     QFileDevice::WriteOther | QFileDevice::ExeOther |
                                                     QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                     QFileDevice::ExeGroup);
        testsupport::NginxFixture::Options options;
        options.rtmp = true;
        options.rtmpApp = "video";
        options.extraRtmpAppConf = "      recorder all {\n        record all;\n        record_path " +
                                   s_records->path().toStdString() + ";\n      }\n";
        s_nginx = std::make_unique<testsupport::NginxFixture>(options);
        ASSERT_TRUE(s_nginx->start()) << s_nginx->error();
        const QString html = QString::fromStdString(s_nginx->httpRoot());
        const QString host = QString("127.0.0.1:%1").arg(s_nginx->rtmpPort());
        const QByteArray lines = QString(R"({"mediaLine":[{"key":"local","title":"本机线路","pushUrl":"%1",)"
                                         R"("pullUrl":"%1","deskTopPushUrl":"%1","deskTopPullUrl":"%1",)"
                                         R"("default":true}]})")
                                     .arg(host)
                                     .toUtf8();
        WriteFile(html + "/pc/TeaMediaLine.json", lines);
        WriteFile(html + "/pc/TestTeaMediaLine.json", lines);
        QByteArray endpoints;
        for (const char* table : {"[production]", "[test]"}) {
            endpoints += QByteArray(table) + "\n";
            for (const char* role : {"config", "web", "room", "cms", "docs", "mirror", "live", "snapshot", "report",
                                     "log", "dump", "files", "monitor", "update"})
                endpoints += QByteArray(role) + "=" + QByteArray::fromStdString(s_nginx->httpUrl()) + "\n";
        }
        const QString endpointsFile = QString::fromStdString(shelltest::Home().home()) + "/endpoints.ini";
        WriteFile(endpointsFile, endpoints);
        qputenv("VELTORA_ENDPOINTS", endpointsFile.toUtf8());
        // As the program starts: the room's media before the window.
        InstallRoomMedia();
        MakeWindow();
    }
    static void TearDownTestSuite()
    {
        Window()->ExitRoom();
        RunDeferredDeletes();
        s_nginx.reset();
        s_records.reset();
    }
    void SetUp() override
    {
        w = MakeWindow();
        ui = w->Form();
        ClearToasts();
    }
    void TearDown() override
    {
        w->ExitRoom();
        RunDeferredDeletes();
        CData::instance()->SetLayout(1);
    }
    // A signed-in live room session whose media lines are read, entered.
    void EnterLiveRoom(int layout)
    {
        SignIn(true);
        CData* data = CData::instance();
        data->SetLayout(layout);
        for (int round = 0; round < 5 && data->GetMgLineInfo().value("count").toInt() == 0; ++round) {
            do
                data->onUpdateTimer();
            while (data->GetTick() % 4 != 0);
            waitUntil([&] { return data->GetMgLineInfo().value("count").toInt() != 0; }, 4000);
        }
        ASSERT_EQ(1, data->GetMgLineInfo().value("count").toInt()) << "the media lines are read";
        w->EnterRoom();
        ui->mainWidget->setEnabled(true);  // as a successful room login does
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    static std::unique_ptr<QTemporaryDir> s_records;
    static std::unique_ptr<testsupport::NginxFixture> s_nginx;
    MainWindow* w = nullptr;
    Ui::MainWindow* ui = nullptr;
};

std::unique_ptr<QTemporaryDir> RoomDisplay::s_records;
std::unique_ptr<testsupport::NginxFixture> RoomDisplay::s_nginx;

struct LayoutCase {
    int layout;
    bool inDock;  // the side dock's top video; else over the whiteboard
    const char* screenshot;
};

}  // namespace

TEST_F(RoomDisplay, EachEntryMakesTheDisplayWhereTheLayoutPutsItAndTheCameraMovesInIt)
{
    Room* room = Room::instance();
    QPointer<QWidget> previous;
    for (const LayoutCase& c : {LayoutCase{2, true, "room_display_dock.png"},
                                LayoutCase{1, false, "room_display_whiteboard.png"}}) {
        SCOPED_TRACE(c.layout);
        EnterLiveRoom(c.layout);
        const QPointer<BigVideoCtrl> display = qobject_cast<BigVideoCtrl*>(room->GetDisplayWidget());
        ASSERT_TRUE(display) << "the room made its display widget";
        EXPECT_EQ(1, w->findChildren<BigVideoCtrl*>().size());
        EXPECT_TRUE(LogText().contains("display new widget"));
        // The dock shows its top video; over the whiteboard the teacher's
        // display waits for the share.
        EXPECT_EQ(c.inDock, display->isVisibleTo(w));
        EXPECT_EQ(display.data(), room->GetLivePusher()->GetPushParam().displayWidget);
        EXPECT_EQ(display.data(), room->GetLivePlayer()->GetPlayParam().renderWidget);
        if (c.inDock) {
            EXPECT_EQ(display.data(), ui->DockRight->TopVideo());
            EXPECT_EQ(ui->DockRight, display->parentWidget());
        } else {
            EXPECT_EQ(nullptr, ui->DockRight->TopVideo());
            EXPECT_EQ(w, display->parentWidget());
        }

        // The teacher's camera: the pusher's preview moves inside it.
        ASSERT_TRUE(room->StartShare(2));
        ASSERT_TRUE(display->isVisibleTo(w));
        if (!c.inDock) {
            EXPECT_TRUE(display->DisplayArea().contains(display->geometry())) << "over the whiteboard";
            EXPECT_EQ(BigVideoCtrl::kDefaultCorner, display->RelativeRect());
        }
        auto* preview = display->findChild<RenderWdg*>();
        ASSERT_NE(nullptr, preview) << "the preview sits in the display";
        EXPECT_EQ(display->size(), preview->size());
        ASSERT_TRUE(waitUntil([&] { return !preview->frame().isNull(); }, 20000)) << "a camera picture arrives";
        const QImage first = display->grab().toImage();
        EXPECT_TRUE(waitUntil([&] { return display->grab().toImage() != first; }, 10000)) << "the picture moves";
        shelltest::Screenshot(w, c.screenshot);

        w->ExitRoom();
        RunDeferredDeletes();
        EXPECT_FALSE(display) << "leaving deletes the display widget";
        EXPECT_EQ(nullptr, room->GetDisplayWidget());
        EXPECT_EQ(nullptr, room->GetLivePusher()->GetPushParam().displayWidget);
        EXPECT_EQ(nullptr, room->GetLivePlayer()->GetPlayParam().renderWidget);
        EXPECT_TRUE(LogText().contains("display del widget"));
        EXPECT_FALSE(previous) << "the earlier room's display is gone too";
        previous = display.data();
    }
}

TEST_F(RoomDisplay, TheRecorderButtonPublishesTheRoomWindowAndTheRecordingGrowsUntilStopped)
{
    EnterLiveRoom(1);
    CData* data = CData::instance();
    OBSSettingWindow* broadcast = w->BroadcastWindow();
    // The broadcast window sets its sources up a few ticks after it is made.
    ASSERT_TRUE(waitUntil([&] { return broadcast->currentSourceType() == OBSSettingWindow::kTypeArea; }, 20000));
    ui->btnRecorder->click();
    MsgBox* box = w->ConfirmBox();
    ASSERT_TRUE(box->isVisible());
    box->findChild<QPushButton*>("btnOk")->click();
    ASSERT_TRUE(data->IsRecording());
    EXPECT_NE(-1, broadcast->captureWindowIndex()) << "the room window is found for capture";
    EXPECT_EQ(OBSSettingWindow::kTypeAppWindow, broadcast->currentSourceType());
    ASSERT_TRUE(waitUntil([&] { return broadcast->IsWorking(); }, 30000)) << "publishing starts";
    const QString key = broadcast->GetStreamKey();
    EXPECT_TRUE(key.startsWith("liveRecord_")) << key.toStdString();
    EXPECT_EQ(data->GetDeskTopPushUrl(), broadcast->GetServerAddress());
    EXPECT_TRUE(ToastTexts().contains("已开启云端录制"));

    const QString file = s_records->path() + "/" + key + ".flv";
    ASSERT_TRUE(waitUntil([&] { return FileSize(file) > 0; }, 20000)) << "the server records " << file.toStdString();
    const qint64 early = FileSize(file);
    EXPECT_TRUE(waitUntil([&] { return FileSize(file) > early + 20000; }, 30000)) << "the recording grows";
    shelltest::Screenshot(w, "room_recording.png");

    ui->btnRecorder->click();
    EXPECT_FALSE(data->IsRecording());
    EXPECT_TRUE(ToastTexts().contains("已停止录制"));
    ASSERT_TRUE(waitUntil([&] { return !broadcast->IsWorking(); }, 20000)) << "publishing stops";
    // The server closes the file when the stream ends: it stops growing.
    qint64 last = -1;
    EXPECT_TRUE(waitUntil(
        [&] {
            const qint64 now = FileSize(file);
            const bool still = now == last;
            last = now;
            QTest::qWait(500);
            return still;
        },
        20000));
    const QString video = ProbeVideo(file);
    EXPECT_TRUE(video.startsWith("h264")) << video.toStdString();
    // A picture of the recording, to look at beside the window's.
    QProcess frame;
    frame.start("ffmpeg", {"-y", "-v", "error", "-sseof", "-1", "-i", file, "-frames:v", "1",
                           QString::fromStdString(testsupport::screenshotPath("room_recording_frame.png"))});
    EXPECT_TRUE(frame.waitForFinished(20000) && frame.exitCode() == 0);
    EXPECT_FALSE(broadcast->IsWorking()) << "the stop does not restart the recorder";
}

namespace {

struct FloatCase {
    int shareType;
    const char* floatClass;  // what stands in for the display
    const char* screenshot;
};

}  // namespace

TEST_F(RoomDisplay, VoiceOnlyAndDesktopSharesShowTheirFloatInsteadOfTheDisplay)
{
    Room* room = Room::instance();
    EnterLiveRoom(1);
    // The broadcast window sets its sources up a few ticks after it is made.
    OBSSettingWindow* broadcast = w->BroadcastWindow();
    ASSERT_TRUE(waitUntil([&] { return broadcast->currentSourceType() != OBSSettingWindow::kTypeNone; }, 20000));
    for (const FloatCase& c : {FloatCase{1, "AudioFloatWidget", "room_share_voice.png"},
                               FloatCase{3, "DeskFloatWidget", "room_share_desktop.png"}}) {
        SCOPED_TRACE(c.shareType);
        const bool desktop = c.shareType == 3;
        CData::instance()->SetLiveMode(desktop ? 3 : 1);
        ASSERT_TRUE(room->StartShare(c.shareType));
        if (desktop) {
            ASSERT_TRUE(waitUntil([&] { return broadcast->IsWorking(); }, 30000)) << "the desktop is published";
        }
        QWidget* pill = nullptr;
        for (QWidget* found : QApplication::allWidgets())
            if (found->inherits(c.floatClass) && found->isVisible())
                pill = found;
        ASSERT_NE(nullptr, pill) << c.floatClass << " shown";
        EXPECT_FALSE(room->GetDisplayWidget()->isVisible());
        shelltest::Screenshot(w, c.screenshot);
        room->StopShare();
        EXPECT_FALSE(pill->isVisible()) << "hidden with the share";
        if (desktop) {
            EXPECT_TRUE(waitUntil([&] { return !broadcast->IsWorking(); }, 20000));
        }
    }
}
