// The device check's answers, through to the report: the camera passes only
// on a picture that arrived, the speaker only on the right animal, the
// microphone only on a level its own microphone made, the network only on a
// measured delay; the report's rows, colours and texts; closing early asks
// one question per dialog; a hidden dialog keeps no camera open; devices
// that vanish are told about and replaced; the test sound is never a stale
// file.
#include "tests/device/DeviceCheckTestSupport.h"

#include "app/PubUtils.h"
#include "app/Room.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace devicetest;

namespace {

struct Fixture : CheckFixture {
    using CheckFixture::CheckFixture;
    void waitPreview()
    {
        ASSERT_TRUE(testsupport::waitUntil([&] { return engine.previewWindow != 0; }));
    }
    // Plays the test sound to the end of its window; answers the animal played.
    int playOnce()
    {
        click("playBtn");
        endPlayWindow(w());
        return playedAnimal(engine);
    }
    void pickAnimal(int index)
    {
        const char* names[] = {"auidoFileBtn_1", "auidoFileBtn_2", "auidoFileBtn_3", "auidoFileBtn_4"};
        click(names[index]);
    }
    QStringList reportRow(int row) const
    {
        auto* table = dialog->findChild<QTableWidget*>("tableWidget");
        QStringList out;
        for (int c = 0; c < 3; ++c)
            out << (table->item(row, c) ? table->item(row, c)->text() : QString("<none>"));
        return out;
    }
    QString rowColour(int row) const
    {
        auto* table = dialog->findChild<QTableWidget*>("tableWidget");
        return table->item(row, 0)->foreground().color().name();
    }
};

QString u(const char* s) { return QString::fromUtf8(s); }

}  // namespace

TEST(DeviceCheckAnswers, CameraIsPassedOnlyOnAPictureThatArrived)
{
    Fixture f;
    f.click("nextPageBtn");
    EXPECT_EQ(currentPage(f.w()), DeviceCheckDialog::kCameraPage);
    f.waitPreview();
    QWidget* canSee = f.get("canSeeBtn");
    EXPECT_TRUE(canSee->isHidden());

    // A picture for another window proves nothing.
    emit f.engine.sigPreviewPictureArrived(reinterpret_cast<quintptr>(f.w()));
    EXPECT_TRUE(canSee->isHidden());
    f.engine.drawPicture();
    EXPECT_FALSE(canSee->isHidden());
    screenshot(f.w(), "device_check_camera.png");

    // Another camera: a new preview, whose picture must arrive again.
    f.get<QComboBox>("cameraDevicesComboBox")->setCurrentIndex(0);
    EXPECT_EQ(f.engine.curCamera, "cam0");
    EXPECT_TRUE(canSee->isHidden());
    f.engine.drawPicture();
    EXPECT_FALSE(canSee->isHidden());

    // An engine that cannot preview never offers "可以看到" and starts nothing.
    Fixture blind([](ScriptedEngine& e) {
        standardDevices(e);
        e.preview = 0;
    });
    blind.click("cameraPageBtn");
    QTest::qWait(20);
    blind.engine.drawPicture();
    EXPECT_TRUE(blind.get("canSeeBtn")->isHidden());
    EXPECT_EQ(blind.engine.count("preview:on"), 0);
}

TEST(DeviceCheckAnswers, HidingTheDialogStopsThePreviewAndShowingRestartsIt)
{
    Fixture f;
    f.click("cameraPageBtn");
    f.waitPreview();
    f.engine.drawPicture();
    f.dialog->hide();
    EXPECT_EQ(f.engine.count("preview:off"), 1);
    EXPECT_EQ(f.engine.previewWindow, 0u);
    EXPECT_TRUE(f.get("canSeeBtn")->isHidden());

    f.dialog->show();
    f.waitPreview();
    EXPECT_EQ(f.engine.count("preview:on"), 2);
    EXPECT_EQ(currentPage(f.w()), DeviceCheckDialog::kCameraPage);

    // Closed on another page: nothing to stop, nothing started on showing.
    f.click("speakerPageBtn");
    f.dialog->close();
    f.dialog->show();
    QTest::qWait(20);
    EXPECT_EQ(f.engine.count("preview:on"), 2);
    EXPECT_EQ(f.engine.count("preview:off"), 2);
}

TEST(DeviceCheckAnswers, SpeakerTestPlaysOnceAWindowAndNeedsTheRightAnimal)
{
    Fixture f;
    f.click("speakerPageBtn");
    auto* canHear = f.get("canHearBtn");
    auto* cannotHear = f.get("cannotHearBtn");
    auto* play = f.get("playBtn");
    EXPECT_FALSE(canHear->isEnabled());
    EXPECT_FALSE(cannotHear->isEnabled());
    EXPECT_FALSE(f.get<QRadioButton>("auidoFileBtn_1")->isEnabled());

    f.engine.calls.clear();
    f.click("playBtn");
    EXPECT_EQ(play->property("status").toString(), "playing");
    ASSERT_EQ(f.engine.calls.size(), 2);
    EXPECT_EQ(f.engine.calls[0], "monitor:0");
    const int animal = playedAnimal(f.engine);
    ASSERT_GE(animal, 0);
    // A second press inside the window is ignored.
    f.click("playBtn");
    EXPECT_EQ(f.engine.calls.size(), 2);
    EXPECT_FALSE(cannotHear->isEnabled());
    screenshot(f.w(), "device_check_speaker_playing.png");

    endPlayWindow(f.w());
    EXPECT_EQ(play->property("status").toString(), "start");
    EXPECT_TRUE(f.engine.playing.isEmpty());
    EXPECT_TRUE(cannotHear->isEnabled());
    EXPECT_FALSE(canHear->isEnabled());

    // A wrong animal leaves "可以听到" off, the right one turns it on.
    f.pickAnimal((animal + 1) % 4);
    EXPECT_FALSE(canHear->isEnabled());
    f.pickAnimal(animal);
    EXPECT_TRUE(canHear->isEnabled());
    EXPECT_TRUE(f.get<QRadioButton>(
                     QString("auidoFileBtn_%1").arg(animal + 1).toUtf8().constData())->isChecked());
    screenshot(f.w(), "device_check_speaker.png");

    // Playing again draws anew and takes the answers back until the window ends.
    f.click("playBtn");
    EXPECT_FALSE(canHear->isEnabled());
    EXPECT_FALSE(cannotHear->isEnabled());
    for (const char* name : {"auidoFileBtn_1", "auidoFileBtn_2", "auidoFileBtn_3", "auidoFileBtn_4"})
        EXPECT_FALSE(f.get<QRadioButton>(name)->isChecked()) << name;
    endPlayWindow(f.w());
    f.pickAnimal(playedAnimal(f.engine));
    f.click("canHearBtn");
    EXPECT_EQ(currentPage(f.w()), DeviceCheckDialog::kMicrophonePage);
    EXPECT_TRUE(f.get("micPageBtn")->isChecked());
    EXPECT_TRUE(f.get("speakerPageBtn")->styleSheet().contains("checkplay3.png"));
}

TEST(DeviceCheckAnswers, TestSoundsAreFreshCopiesOfOurOwn)
{
    // A file of the same name left in the temporary folder by anything else.
    const QString temp = QString::fromStdString(PubUtils::GetTempDir());
    {
        QFile f(temp + "/dog.mp3");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not our bark");
    }
    Fixture f;
    for (const char* file : {"dog.mp3", "cat.mp3", "sheep.mp3", "cattle.mp3"}) {
        QFile copy(temp + "/" + file);
        QFile resource(QString(":/setting/res/setting/animal_voice/") + file);
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << file;
        ASSERT_TRUE(resource.open(QIODevice::ReadOnly)) << file;
        const QByteArray bytes = resource.readAll();
        EXPECT_GT(bytes.size(), 1000) << file;
        EXPECT_EQ(copy.readAll(), bytes) << file;
    }
    f.click("speakerPageBtn");
    const int animal = f.playOnce();
    ASSERT_GE(animal, 0);
    EXPECT_TRUE(lastPlayed(f.engine).startsWith(temp + "/"));
}

TEST(DeviceCheckAnswers, MicrophoneIsPassedOnlyOnALevelOfTheChosenMicrophone)
{
    Fixture f;
    f.click("micPageBtn");
    auto* enable = f.get("micEnableBtn");
    auto* disable = f.get("micDisableBtn");
    EXPECT_TRUE(disable->isEnabled());
    EXPECT_FALSE(enable->isEnabled());
    EXPECT_FALSE(enable->isHidden());

    f.engine.level(0.005f);  // room noise below hearing
    EXPECT_FALSE(enable->isEnabled());
    f.engine.level(0.4f);
    EXPECT_TRUE(enable->isEnabled());
    screenshot(f.w(), "device_check_microphone.png");

    // Another microphone must prove itself again.
    f.get<QComboBox>("microphoneDevicesCombox")->setCurrentIndex(0);
    EXPECT_EQ(f.engine.curMic, "mic0");
    EXPECT_FALSE(enable->isEnabled());
    f.engine.level(0.3f);
    EXPECT_TRUE(enable->isEnabled());

    // No microphone, or an engine that says the devices are unusable: the
    // dark panel and only the failure answer.
    void (*const setUps[])(ScriptedEngine&) = {
        [](ScriptedEngine& e) { e.cameras = devices({"cam0"}); },
        [](ScriptedEngine& e) {
            e.mics = devices({"mic0"});
            e.deviceState = 1;
        },
    };
    for (int i = 0; i < 2; ++i) {
        Fixture g(setUps[i]);
        g.click("micPageBtn");
        EXPECT_EQ(g.get<QStackedWidget>("microphoneStackedWidget")->currentWidget(), g.get<QWidget>("noDevicePageWidget"))
            << i;
        EXPECT_TRUE(g.get("micEnableBtn")->isHidden()) << i;
        EXPECT_TRUE(g.get("micDisableBtn")->isEnabled()) << i;
        // Its note is readable: its whole text fits and no white block hides it.
        auto* note = g.get<QLabel>("label_25");
        EXPECT_GE(note->width(), note->fontMetrics().horizontalAdvance(note->text())) << i;
        EXPECT_TRUE(note->styleSheet().contains("background:transparent")) << i;
        if (i == 0)
            screenshot(g.w(), "device_check_microphone_none.png");
    }
}

TEST(DeviceCheckAnswers, NetworkDelayShowsEachResultAndPassesOnlyOnAMeasure)
{
    Fixture f;
    auto* delay = f.get<QLabel>("label_14");
    EXPECT_EQ(delay->text(), "-");
    const struct {
        int delay;
        const char* shown;
    } cases[] = {{0, "0ms"}, {-5, "-5ms"}, {38, "38ms"}};
    for (const auto& c : cases) {
        emit Room::instance()->sgRoomSpeed(3, c.delay);
        EXPECT_EQ(delay->text(), c.shown);
    }
    screenshot(f.w(), "device_check_system.png");
}

TEST(DeviceCheckAnswers, ReportListsEveryCheckWithItsVerdict)
{
    const QString pass = "#00ff00";
    const QString fail = "#ff0000";
    struct Case {
        const char* name;
        bool speed;         // a delay was measured
        int camera;         // -1 skipped, 0 cannot see, 1 can see
        int speaker;        // -1 skipped, 0 cannot hear (no animal), 2 cannot hear (right animal), 1 can hear
        bool micLevel;      // answered "可以看到音量波动"
        QList<QStringList> rows;
        QStringList colours;
    };
    const QList<Case> cases = {
        {"all passed", true, 1, 1, true,
         {{u("系统检测"), u("正常"), ""}, {u("摄像头检测"), u("正常"), ""}, {u("扬声器检测"), u("正常"), ""},
          {u("麦克风检测"), u("正常"), ""}},
         {pass, pass, pass, pass}},
        {"all failed", false, 0, 0, false,
         {{u("系统检测"), u("异常"), u("没有测到网络延迟")},
          {u("摄像头检测"), u("异常"), u("您选择了看不到视频")},
          {u("扬声器检测"), u("异常"), u("您选择了听不到声音\n您选择了错误的播放声音")},
          {u("麦克风检测"), u("异常"), u("您选择了未检测到声音")}},
         {fail, fail, fail, fail}},
        {"skipped pages, right animal not heard", true, -1, 2, true,
         {{u("系统检测"), u("正常"), ""}, {u("摄像头检测"), u("异常"), u("没有检测")},
          {u("扬声器检测"), u("异常"), u("您选择了听不到声音")}, {u("麦克风检测"), u("正常"), ""}},
         {pass, fail, fail, pass}},
        {"speaker skipped", true, 1, -1, false,
         {{u("系统检测"), u("正常"), ""}, {u("摄像头检测"), u("正常"), ""}, {u("扬声器检测"), u("异常"), u("没有检测")},
          {u("麦克风检测"), u("异常"), u("您选择了未检测到声音")}},
         {pass, pass, fail, fail}},
    };
    for (const Case& c : cases) {
        Fixture f;
        if (c.speed)
            emit Room::instance()->sgRoomSpeed(3, 40);
        if (c.camera >= 0) {
            f.click("cameraPageBtn");
            f.waitPreview();
            f.engine.drawPicture();
            f.click(c.camera ? "canSeeBtn" : "cannotSeeBtn");
            EXPECT_TRUE(f.get("cameraPageBtn")->styleSheet().contains(c.camera ? "checkcam3.png" : "checkcam2.png"));
        }
        if (c.speaker >= 0) {
            f.click("speakerPageBtn");
            const int animal = f.playOnce();
            if (c.speaker >= 1)
                f.pickAnimal(animal);
            f.click(c.speaker == 1 ? "canHearBtn" : "cannotHearBtn");
        }
        f.click("micPageBtn");
        if (c.micLevel)
            f.engine.level(0.5f);
        f.click(c.micLevel ? "micEnableBtn" : "micDisableBtn");

        QWidget* report = f.dialog->findChild<QWidget*>("checkReportWidget");
        ASSERT_NE(report, nullptr) << c.name;
        EXPECT_TRUE(report->isVisible()) << c.name;
        EXPECT_EQ(report->geometry(), f.w()->rect());
        auto* table = f.dialog->findChild<QTableWidget*>("tableWidget");
        ASSERT_EQ(table->rowCount(), 4) << c.name;
        for (int r = 0; r < 4; ++r) {
            EXPECT_EQ(f.reportRow(r), c.rows[r]) << c.name << " row " << r;
            EXPECT_EQ(f.rowColour(r), c.colours[r]) << c.name << " row " << r;
            EXPECT_EQ(table->rowHeight(r), 60);
        }
        if (QString(c.name) == "all failed")
            screenshot(f.w(), "device_check_report_failed.png");
        if (QString(c.name) == "all passed") {
            screenshot(f.w(), "device_check_report.png");
            // Again from the start: still four rows, the same connections.
            f.click("repeatCheckBtn");
            EXPECT_FALSE(report->isVisible());
            EXPECT_EQ(currentPage(f.w()), DeviceCheckDialog::kSystemPage);
            f.click("micPageBtn");
            f.engine.level(0.5f);
            f.click("micEnableBtn");
            EXPECT_EQ(table->rowCount(), 4);
            f.click("sureBtn");
            EXPECT_FALSE(f.dialog->isVisible()) << "all answered: closes without a question";
            EXPECT_EQ(f.dialog->findChild<MsgBox*>(), nullptr);
        }
    }
}

TEST(DeviceCheckAnswers, LeavingEarlyAsksOneQuestionOwnedByTheDialog)
{
    Fixture f;
    f.click("closeBtn");
    MsgBox* box = f.dialog->findChild<MsgBox*>("leaveCheckBox");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->findChild<QLabel*>("labMsg")->text(), u("设备检测尚未完成，您确定要离开吗？"));
    screenshot(box, "device_check_leave_question.png");
    box->findChild<QPushButton*>("btnCancel")->click();
    EXPECT_TRUE(f.dialog->isVisible());

    f.click("closeBtn");
    EXPECT_EQ(f.dialog->findChildren<MsgBox*>().size(), 1);
    box->findChild<QPushButton*>("btnOk")->click();
    EXPECT_FALSE(f.dialog->isVisible());

    // A second dialog has its own question; the first one's goes with it.
    QPointer<MsgBox> first = box;
    Fixture other;
    other.click("closeBtn");
    MsgBox* second = other.dialog->findChild<MsgBox*>("leaveCheckBox");
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, box);
    f.dialog.reset();
    EXPECT_TRUE(first.isNull());
    second->findChild<QPushButton*>("btnOk")->click();
    EXPECT_FALSE(other.dialog->isVisible());
}

TEST(DeviceCheckAnswers, VanishingDevicesAreToldAndReplaced)
{
    Fixture f;
    auto watchTick = [&] {
        QTimer* timer = f.dialog->findChild<QTimer*>("deviceWatchTimer");
        ASSERT_NE(timer, nullptr);
        EXPECT_TRUE(timer->isActive());
        QMetaObject::invokeMethod(timer, "timeout");
    };
    auto toastText = [&] {
        QStringList texts;
        for (Toast* t : f.dialog->findChildren<Toast*>())
            for (QLabel* l : t->findChildren<QLabel*>())
                texts << l->text();
        return texts.join("|");
    };

    // The chosen camera is unplugged while it previews: the other one takes over.
    f.click("cameraPageBtn");
    f.waitPreview();
    f.engine.drawPicture();
    f.engine.cameras = devices({"cam0"});
    f.engine.calls.clear();
    watchTick();
    EXPECT_TRUE(toastText().contains(u("所选摄像头已断开")));
    EXPECT_EQ(f.engine.curCamera, "cam0");
    EXPECT_EQ(f.get<QComboBox>("cameraDevicesComboBox")->count(), 1);
    EXPECT_TRUE(f.get("canSeeBtn")->isHidden()) << "the new camera has not shown a picture yet";
    // A camera plugged in later appears without changing the choice.
    f.engine.cameras = devices({"cam0", "cam9"});
    f.engine.calls.clear();
    watchTick();
    EXPECT_EQ(f.get<QComboBox>("cameraDevicesComboBox")->count(), 2);
    EXPECT_FALSE(f.engine.hasPrefix("setCamera:"));
    // The last camera goes.
    f.engine.cameras.clear();
    watchTick();
    EXPECT_TRUE(toastText().contains(u("摄像头已断开，请检查摄像头连接")));
    EXPECT_EQ(f.engine.previewWindow, 0u);

    // The sound server stops: no speaker, no microphone.
    f.click("speakerPageBtn");
    f.engine.speakers.clear();
    f.engine.mics.clear();
    watchTick();
    EXPECT_TRUE(toastText().contains(u("扬声器已断开")));
    EXPECT_EQ(f.get<QComboBox>("speakerDevicesCombox")->currentText(), u("没有找到扬声器"));
    f.playOnce();  // the test still runs and can be answered
    f.click("cannotHearBtn");
    EXPECT_EQ(currentPage(f.w()), DeviceCheckDialog::kMicrophonePage);
    EXPECT_TRUE(toastText().contains(u("麦克风已断开")));
    EXPECT_EQ(f.get<QStackedWidget>("microphoneStackedWidget")->currentWidget(), f.get<QWidget>("noDevicePageWidget"));
    EXPECT_TRUE(f.get("micEnableBtn")->isHidden());

    // A microphone comes back: the test area returns.
    f.engine.mics = devices({"usb"});
    watchTick();
    EXPECT_EQ(f.get<QStackedWidget>("microphoneStackedWidget")->currentWidget(), f.get<QWidget>("normalWidget"));
    EXPECT_EQ(f.get<QComboBox>("microphoneDevicesCombox")->currentText(), "Device usb");
    EXPECT_EQ(f.engine.curMic, "usb");
}
