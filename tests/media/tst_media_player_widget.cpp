// test-labels: xvfb e2e
// test-sources: StreamPublisher.cpp
// test-libs: veltora_res
// The room media-file player over a local HTTP media file: room commands,
// the teacher's controls and what they report to the room, the student
// side, microphone muting and the display helpers.
#include "app/CData.h"
#include "app/CSettings.h"
#include "app/Room.h"
#include "app/SystemInfo.h"
#include "libs/clientlib/include/ClientLibTestControl.h"
#include "media/AvPlayer.h"
#include "media/DelayTask.h"
#include "media/MediaPlayerWidget.h"
#include "media/QAVPlayer.h"
#include "media/VideoRenderWidget.h"
#include "widgets/Toast.h"
#include "HttpFixture.h"
#include "QtWait.h"
#include "TempDir.h"
#include "TestPaths.h"
#include "tests/media/StreamPublisher.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using mediatest::runFfmpeg;

// One served folder with a 20 s video, a 4 s video and a 20 s mp3.
struct MediaFiles {
    testsupport::TempDir dir;
    testsupport::HttpFixture http;
    bool ok = false;
    std::string slowBytes;
    static constexpr size_t kSlowHead = 48 * 1024;
    MediaFiles()
    {
        const std::string video = dir.file("lesson.mp4");
        const std::string shortVideo = dir.file("short.mp4");
        const std::string audio = dir.file("song.mp3");
        ok = runFfmpeg({"-y", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x180:rate=25", "-f", "lavfi", "-i",
                        "sine=frequency=440:sample_rate=48000", "-t", "20", "-c:v", "libx264", "-g", "25", "-pix_fmt",
                        "yuv420p", "-c:a", "aac", "-movflags", "+faststart", video}) &&
             runFfmpeg({"-y", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x180:rate=25", "-f", "lavfi", "-i",
                        "sine=frequency=440:sample_rate=48000", "-t", "4", "-c:v", "libx264", "-g", "25", "-pix_fmt",
                        "yuv420p", "-c:a", "aac", "-movflags", "+faststart", shortVideo}) &&
             runFfmpeg({"-y", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=330:sample_rate=44100", "-t", "20",
                        "-c:a", "libmp3lame", audio});
        http.server().set_mount_point("/media", dir.path());
        // The same video, whose bytes stop after the first few until released.
        if (ok) {
            std::ifstream in(video, std::ios::binary);
            slowBytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        http.server().Get("/slow/lesson.mp4", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(slowBytes.size(), "video/mp4",
                                     [this](size_t offset, size_t length, httplib::DataSink& sink) {
                                         if (offset >= kSlowHead)
                                             http.waitForRelease(60000);
                                         const size_t n = std::min<size_t>(length, 16384);
                                         sink.write(slowBytes.data() + offset, n);
                                         return true;
                                     });
        });
        ok = ok && http.start();
    }
    QString url(const char* name) const { return QString::fromStdString(http.url(std::string("/media/") + name)); }
};

QVariantMap command(const QString& cmd, const QString& url, int ts, int totalTs, const QString& type,
                    const QString& fileName = "lesson.mp4")
{
    return QVariantMap{{"docid", "doc-1"}, {"fileName", fileName}, {"url", url},  {"ts", ts},
                       {"totalTs", totalTs}, {"type", type},       {"cmd", cmd}};
}

class MediaPlayerWidgetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        // No sound server: the microphone volume lives in memory, so that the
        // tests never touch the machine's own.
        setenv("PULSE_SERVER", "unix:/nonexistent/veltora-test-pulse", 1);
        static testsupport::TempHome home;  // goes, and cleans up, after the room
        static QWidget libParent;
        if (!Room::instance()->GetClientLib())
            Room::instance()->InitLib(&libParent);
        s_files = new MediaFiles;
    }
    static void TearDownTestSuite()
    {
        delete s_files;
        s_files = nullptr;
    }
    void SetUp() override
    {
        if (!s_files->ok)
            GTEST_SKIP() << "ffmpeg CLI or the HTTP fixture unavailable";
        lib = Room::instance()->GetClientLib();
        ASSERT_NE(lib, nullptr);
        CData::SetStudentSideForTests(false);
        CData::instance()->SetClassType(2, true);
        board.resize(960, 600);
        board.show();
        widget = new MediaPlayerWidget(&board);
        ClientLibTestControl::ClearCalls(lib);
    }
    void TearDown() override
    {
        delete widget;
        CData::SetStudentSideForTests(false);
    }

    // The media calls made since the last look, as "name url position".
    QStringList mediaCalls()
    {
        QStringList out;
        for (const ClientLibCall& c : ClientLibTestControl::Calls(lib))
            if (c.name.startsWith("Media"))
                out << c.name + " " + c.args.value(0).toString() + " " + c.args.value(1).toString();
        ClientLibTestControl::ClearCalls(lib);
        return out;
    }
    bool waitForPictures(int count = 5, int ms = 20000)
    {
        AvPlayer* core = widget->player()->player();
        const qint64 start = core->picturesShown();
        return testsupport::waitUntil([&] { return core->picturesShown() >= start + count; }, ms);
    }
    void shoot(const char* name)
    {
        QCoreApplication::processEvents();
        board.grab().save(QString::fromStdString(testsupport::screenshotPath(name)));
    }
    template <typename T>
    T* child(const char* name)
    {
        return widget->findChild<T*>(name);
    }

    static MediaFiles* s_files;
    ClientLib* lib = nullptr;
    QWidget board;
    MediaPlayerWidget* widget = nullptr;
};

MediaFiles* MediaPlayerWidgetTest::s_files = nullptr;

TEST(MediaPlayerWidgetFormat, TimeLabels)
{
    struct Case {
        int seconds;
        bool hours;
        const char* text;
    } cases[] = {{10, false, "00:10"}, {90, false, "01:30"}, {0, false, "00:00"},
                 {10, true, "00:00:10"}, {7200, true, "02:00:00"}, {3725, false, "01:02:05"}};
    for (const Case& c : cases)
        EXPECT_EQ(c.text, MediaPlayerWidget::formatTime(c.seconds, c.hours).toStdString()) << c.seconds;
}

TEST_F(MediaPlayerWidgetTest, TeacherOpensPlaysPausesAndTheRoomHearsOfIt)
{
    const QString url = s_files->url("lesson.mp4");
    widget->PostRoomMediaCommand(command("open", url, 0, 20000, "video"));
    EXPECT_TRUE(widget->isVisible());
    EXPECT_EQ(MediaPlayState::Init, widget->playState());
    EXPECT_EQ(child<QWidget>("defaultPage"), child<QStackedWidget>("stackedWidget")->currentWidget());
    EXPECT_TRUE(CData::instance()->GetStatus(kStatusMediaFilePlaying));
    // A 16:9 rectangle centred on the 960 x 600 board.
    EXPECT_EQ(QSize(960, 544), widget->size());  // 960 / 1.7777778 truncated, + 5
    EXPECT_LE(std::abs(widget->geometry().center().y() - board.rect().center().y()), 1);
    EXPECT_EQ("lesson.mp4", child<QLabel>("titleLabel")->text().toStdString());
    EXPECT_EQ("/00:20", child<QLabel>("totalTimeLabel")->text().toStdString());
    shoot("media_player_video_opened.png");
    EXPECT_TRUE(mediaCalls().isEmpty());  // nothing was open before: no close

    SetMicVolume(70);
    QTest::mouseClick(child<QPushButton>("playBtn"), Qt::LeftButton);
    EXPECT_EQ(MediaPlayState::Playing, widget->playState());
    EXPECT_EQ(QStringList{"MediaPlayCmd " + url + " 0"}, mediaCalls());
    EXPECT_EQ(0, GetMicVolume());  // the microphone would hear the file
    // A second click within 300 ms does nothing.
    EXPECT_FALSE(child<QPushButton>("playBtn")->isEnabled());
    QTest::mouseClick(child<QPushButton>("playBtn"), Qt::LeftButton);
    EXPECT_EQ(MediaPlayState::Playing, widget->playState());

    ASSERT_TRUE(waitForPictures());
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return child<QStackedWidget>("stackedWidget")->currentWidget() == widget->videoPage(); }, 10000));
    ASSERT_TRUE(testsupport::waitUntil([&] { return widget->player()->rendererWidget()->isVisible(); }, 10000));
    ASSERT_TRUE(testsupport::waitUntil([&] { return widget->mediaInfo()->position >= 1000; }, 15000));
    EXPECT_GT(child<QSlider>("playProgressSlider")->value(), 0);
    shoot("media_player_video_playing.png");

    // Pause: the room is told 300 ms later where the teacher stopped.
    ASSERT_TRUE(testsupport::waitUntil([&] { return child<QPushButton>("playBtn")->isEnabled(); }, 2000));
    QTest::mouseClick(child<QPushButton>("playBtn"), Qt::LeftButton);
    EXPECT_EQ(MediaPlayState::Paused, widget->playState());
    EXPECT_NEAR(70, GetMicVolume(), 2);
    QStringList calls;
    ASSERT_TRUE(testsupport::waitUntil([&] { return !(calls += mediaCalls()).isEmpty(); }, 3000));
    ASSERT_EQ(1, calls.size());
    EXPECT_TRUE(calls[0].startsWith("MediaStateCmd " + url + " ")) << calls[0].toStdString();
    EXPECT_GE(calls[0].section(' ', 2).toLongLong(), 1000);

    // The close button ends it and says so.
    QTest::mouseClick(child<QPushButton>("btnClose"), Qt::LeftButton);
    EXPECT_FALSE(widget->isVisible());
    EXPECT_EQ(MediaPlayState::Stopped, widget->playState());
    EXPECT_FALSE(CData::instance()->GetStatus(kStatusMediaFilePlaying));
    calls = mediaCalls();
    ASSERT_EQ(1, calls.size());
    EXPECT_TRUE(calls[0].startsWith("MediaCloseCmd " + url + " "));
}

TEST_F(MediaPlayerWidgetTest, OpeningAnotherFileClosesThePreviousOneByItsOwnName)
{
    const QString first = s_files->url("lesson.mp4");
    const QString second = s_files->url("short.mp4");
    widget->PostRoomMediaCommand(command("open", first, 0, 20000, "video"));
    widget->PostRoomMediaCommand(command("play", first, 2000, 20000, "video"));
    ASSERT_TRUE(waitForPictures());
    mediaCalls();
    widget->PostRoomMediaCommand(command("open", second, 0, 4000, "video", "short.mp4"));
    const QStringList calls = mediaCalls();
    ASSERT_EQ(1, calls.size());
    EXPECT_TRUE(calls[0].startsWith("MediaCloseCmd " + first + " ")) << calls[0].toStdString();
    EXPECT_EQ(MediaPlayState::Init, widget->playState());
    EXPECT_EQ(second.toStdString(), widget->mediaInfo()->url);
    EXPECT_FALSE(widget->player()->hasUrl());

    // A new file with "play": the old one stops and the new one starts at ts.
    widget->PostRoomMediaCommand(command("play", first, 6000, 20000, "video"));
    EXPECT_EQ(first.toStdString(), widget->player()->url());
    ASSERT_TRUE(testsupport::waitUntil([&] { return widget->mediaInfo()->position >= 6000; }, 20000))
        << widget->mediaInfo()->position;
    EXPECT_LT(widget->mediaInfo()->position, 15000);
}

TEST_F(MediaPlayerWidgetTest, RoomPlayAndPauseFollowTheTeacher)
{
    const QString url = s_files->url("lesson.mp4");
    widget->PostRoomMediaCommand(command("open", url, 0, 20000, "video"));
    widget->PostRoomMediaCommand(command("play", url, 0, 20000, "video"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return widget->mediaInfo()->position >= 1000; }, 20000));

    // A pause ahead of the local player: it runs on and stops at the pause target.
    const int target = int(widget->player()->GetPosition()) + 2500;
    CData::SetStudentSideForTests(true);
    widget->PostRoomMediaCommand(command("pause", url, target, 20000, "video"));
    EXPECT_EQ(MediaPlayState::Paused, widget->playState());
    EXPECT_FALSE(child<QWidget>("bottomWidget")->isVisible());  // students have no controls
    EXPECT_FALSE(widget->player()->player()->isPaused());       // still running towards ts
    ASSERT_TRUE(testsupport::waitUntil([&] { return widget->player()->player()->isPaused(); }, 15000));
    EXPECT_GE(widget->player()->GetPosition(), target);
    EXPECT_LT(widget->player()->GetPosition(), target + 2000);
    EXPECT_NE(nullptr, board.findChild<Toast*>());
    shoot("media_player_student_paused.png");

    // A play 12 s ahead of the paused player seeks there.
    const qint64 at = widget->player()->GetPosition();
    widget->PostRoomMediaCommand(command("play", url, int(at) + 12000, 20000, "video"));
    EXPECT_EQ(MediaPlayState::Playing, widget->playState());
    ASSERT_TRUE(testsupport::waitUntil([&] { return widget->player()->GetPosition() >= at + 11000; }, 15000));

    // A close from the room ends it (the student sends nothing back).
    widget->PostRoomMediaCommand(command("close", url, 0, 20000, "video"));
    EXPECT_EQ(MediaPlayState::Stopped, widget->playState());
    EXPECT_FALSE(widget->isVisible());
    EXPECT_EQ(3, widget->mediaInfo()->cmdState);
    EXPECT_TRUE(mediaCalls().isEmpty());
}

TEST_F(MediaPlayerWidgetTest, FileEndShowsTheDefaultPageAndGivesTheMicrophoneBack)
{
    const QString url = s_files->url("short.mp4");
    SetMicVolume(40);
    widget->PostRoomMediaCommand(command("open", url, 0, 4000, "video", "short.mp4"));
    QTest::mouseClick(child<QPushButton>("playBtn"), Qt::LeftButton);
    EXPECT_EQ(0, GetMicVolume());
    ASSERT_TRUE(testsupport::waitUntil([&] { return widget->playState() == MediaPlayState::Stopped; }, 30000));
    EXPECT_EQ(1000, child<QSlider>("playProgressSlider")->value());
    EXPECT_EQ(child<QWidget>("defaultPage"), child<QStackedWidget>("stackedWidget")->currentWidget());
    EXPECT_EQ(4000, int(widget->mediaInfo()->position));
    EXPECT_NEAR(40, GetMicVolume(), 2);
    EXPECT_EQ("00:04", child<QLabel>("currentTimeLabel")->text().toStdString());
}

TEST_F(MediaPlayerWidgetTest, SliderReleasedAtTheEndSeeksJustBeforeIt)
{
    const QString url = s_files->url("lesson.mp4");
    widget->PostRoomMediaCommand(command("open", url, 0, 20000, "video"));
    auto* slider = child<QSlider>("playProgressSlider");
    slider->setValue(1000);
    emit slider->sliderReleased();
    EXPECT_TRUE(widget->isAtEnd());
    EXPECT_EQ(MediaPlayState::Playing, widget->playState());
    EXPECT_EQ(QStringList{"MediaPlayCmd " + url + " 19999"}, mediaCalls());
    // At the end, positions no longer move the slider.
    ASSERT_TRUE(testsupport::waitUntil([&] { return widget->mediaInfo()->position > 0; }, 20000));
    EXPECT_EQ(1000, slider->value());
}

TEST_F(MediaPlayerWidgetTest, LiveRoomStudentCommandsWaitInTheDelayQueue)
{
    // The session is given back as it was: the next tests are the teacher's
    // in a small class, whose commands apply at once.
    struct Restore {
        QStringList vars = CData::instance()->GetLoginVar();
        int type = CData::instance()->GetLocalUser()->type;
        ~Restore()
        {
            CData::instance()->SetLoginVar(vars);
            CData::instance()->GetLocalUser()->type = type;
        }
    } restore;
    ASSERT_TRUE(CData::instance()->SetLoginVar({"tok", "live", "student1", "S", "g1", "2"}));
    ASSERT_TRUE(CData::instance()->IsLiveRoom());
    CData::instance()->GetLocalUser()->type = 0;  // a student
    CData::SetStudentSideForTests(true);
    const QString url = s_files->url("lesson.mp4");
    widget->PostRoomMediaCommand(command("open", url, 0, 20000, "video"));
    EXPECT_FALSE(widget->mediaInfo());  // not applied at once
    EXPECT_TRUE(widget->delayTask()->IsRunning());
    ASSERT_TRUE(testsupport::waitUntil([&] { return widget->mediaInfo() != nullptr; }, 10000));
    EXPECT_EQ(url.toStdString(), widget->mediaInfo()->url);
    EXPECT_TRUE(widget->isVisible());
    // Leaving the room ends the queue.
    widget->StopMedia(true);
    EXPECT_FALSE(widget->delayTask()->IsRunning());
    EXPECT_FALSE(widget->isVisible());
}

TEST_F(MediaPlayerWidgetTest, AVideoThatBuffersShowsTheLoadingPage)
{
    const QString url = QString::fromStdString(s_files->http.url("/slow/lesson.mp4"));
    widget->PostRoomMediaCommand(command("open", url, 0, 20000, "video"));
    widget->PostRoomMediaCommand(command("play", url, 0, 20000, "video"));
    auto* stack = child<QStackedWidget>("stackedWidget");
    ASSERT_TRUE(testsupport::waitUntil([&] { return stack->currentWidget() == child<QWidget>("loadingPage"); }, 15000));
    EXPECT_TRUE(widget->isLoading());
    // The animation turns through its six pictures.
    auto* label = child<QLabel>("loadingLabel");
    const int first = label->property("index").toInt();
    ASSERT_TRUE(testsupport::waitUntil([&] { return label->property("index").toInt() != first; }, 2000));
    EXPECT_TRUE(label->styleSheet().startsWith("border-image: url(:/player/res/player/loading/0"));
    shoot("media_player_video_loading.png");

    s_files->http.releaseStalled();
    ASSERT_TRUE(testsupport::waitUntil([&] { return stack->currentWidget() == widget->videoPage(); }, 20000));
    EXPECT_FALSE(widget->isLoading());
    ASSERT_TRUE(waitForPictures());
}

TEST_F(MediaPlayerWidgetTest, AudioIsASmallBarForTheTeacherAndHiddenForStudents)
{
    const QString url = s_files->url("song.mp3");
    // No type given: the "mp3" suffix makes it audio.
    widget->PostRoomMediaCommand(command("open", url, 0, 20000, "", "song.mp3"));
    EXPECT_FALSE(widget->IsVideoMedia());
    EXPECT_TRUE(widget->isVisible());
    EXPECT_EQ(QRect(960 - 10 - 280, 600 - 10 - 56, 280, 56), widget->geometry());
    EXPECT_FALSE(child<QStackedWidget>("stackedWidget")->isVisible());
    widget->PostRoomMediaCommand(command("play", url, 0, 20000, "", "song.mp3"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return widget->mediaInfo()->position >= 500; }, 20000));
    shoot("media_player_audio_bar.png");

    CData::SetStudentSideForTests(true);
    widget->PostRoomMediaCommand(command("pause", url, 1000, 20000, "", "song.mp3"));
    EXPECT_FALSE(widget->isVisible());
}

TEST_F(MediaPlayerWidgetTest, HttpsAddressesArePlayedAsGiven)
{
    struct Case {
        QString url;
        bool plays;
    } cases[] = {
        {"https://127.0.0.1:1/media/lesson.mp4", true},  // not downgraded to http
        {s_files->url("lesson.mp4"), true},
        {"file:///etc/passwd", false},
        {"rtmp://127.0.0.1:1/live/x", false},
    };
    for (const Case& c : cases) {
        widget->PostRoomMediaCommand(command("open", c.url, 0, 20000, "video"));
        widget->PostRoomMediaCommand(command("play", c.url, 0, 20000, "video"));
        EXPECT_EQ(c.plays, widget->player()->hasUrl()) << c.url.toStdString();
        if (c.plays) {
            EXPECT_EQ(c.url.toStdString(), widget->player()->url());
        }
    }
}

TEST_F(MediaPlayerWidgetTest, CommandsReadMissingKeysAsEmptyOrZero)
{
    widget->PostRoomMediaCommand(QVariantMap{{"cmd", "open"}, {"url", s_files->url("lesson.mp4")}, {"ts", 5000}});
    ASSERT_TRUE(widget->mediaInfo());
    EXPECT_EQ(3000, widget->mediaInfo()->totalTs);
    EXPECT_EQ(0, int(widget->mediaInfo()->ts));  // clamped to the missing length
    EXPECT_EQ(2, widget->mediaInfo()->cmdState);
    widget->PostRoomMediaCommand(QVariantMap{{"cmd", "rewind"}, {"url", s_files->url("lesson.mp4")}});
    EXPECT_EQ(MediaPlayState::Init, widget->playState());
    widget->PostRoomMediaCommand(QVariant());
    EXPECT_EQ(MediaPlayState::Stopped, widget->playState());  // a new (empty) url stops the old file
}

TEST_F(MediaPlayerWidgetTest, MicrophoneMutingKeepsTheFirstVolume)
{
    CSettings::instance()->SetValue("App/PlaySetMicVolume", 0);
    SetMicVolume(55);
    widget->SetMicMuteForPlay(true);
    EXPECT_EQ(0, GetMicVolume());
    widget->SetMicMuteForPlay(true);  // already silent: the stored 55 stays
    EXPECT_NEAR(55, CSettings::instance()->GetValue("App/PlaySetMicVolume").toInt(), 2);
    widget->SetMicMuteForPlay(false);
    EXPECT_NEAR(55, GetMicVolume(), 2);
    EXPECT_EQ(0, CSettings::instance()->GetValue("App/PlaySetMicVolume").toInt());
    SetMicVolume(30);
    widget->SetMicMuteForPlay(false);  // nothing stored: the volume stays
    EXPECT_NEAR(30, GetMicVolume(), 2);
}

TEST_F(MediaPlayerWidgetTest, SuspendingTheRoomViewClosesAndResumes)
{
    const QString url = s_files->url("lesson.mp4");
    widget->PostRoomMediaCommand(command("open", url, 0, 20000, "video"));
    QTest::mouseClick(child<QPushButton>("playBtn"), Qt::LeftButton);
    ASSERT_EQ(MediaPlayState::Playing, widget->playState());
    mediaCalls();
    widget->NotifyMediaState(true);
    QStringList calls = mediaCalls();
    ASSERT_EQ(1, calls.size());
    EXPECT_TRUE(calls[0].startsWith("MediaCloseCmd " + url));
    // While suspended the local actions are not reported: not even the
    // pause report that would come 300 ms after the click.
    ASSERT_TRUE(testsupport::waitUntil([&] { return child<QPushButton>("playBtn")->isEnabled(); }, 5000));
    QTest::mouseClick(child<QPushButton>("playBtn"), Qt::LeftButton);
    ASSERT_EQ(MediaPlayState::Paused, widget->playState());
    ASSERT_TRUE(testsupport::waitUntil([&] { return child<QPushButton>("playBtn")->isEnabled(); }, 5000));
    QTest::qWait(100);
    EXPECT_TRUE(mediaCalls().isEmpty());
    widget->NotifyMediaState(false);
    calls = mediaCalls();
    ASSERT_EQ(1, calls.size());
    EXPECT_TRUE(calls[0].startsWith("MediaStateCmd " + url));
    EXPECT_FALSE(widget->isSyncSuspended());
}

}  // namespace
