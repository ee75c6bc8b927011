// test-labels: xvfb
// The broadcast settings window on the real engine: its form, the source
// fill and switching, the microphone watchdog on a virtual clock, the
// publish stop reports and local recording.
#include "app/BroadcastAudioLink.h"
#include "media/CBroadcastEngine.h"
#include "media/CPreviewBase.h"
#include "media/OBSSettingWindow.h"

#include "libs/broadcast/SceneViewImpl.h"

#include "app/CData.h"
#include "widgets/MicrophoneVolumeCtrl.h"
#include "widgets/MsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QMouseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "PulseFixture.h"
#include "QtWait.h"
#include "TestPaths.h"

using testsupport::waitUntil;

namespace {

struct Report {
    int code;
    QString msg;
};

// A window on a private sound server and data folder, its timer stopped
// so the test drives the ticks on a virtual clock.
class SettingWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dataHome.isValid());
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
        if (pulse.installed() && pulse.start())
            qputenv("PULSE_SERVER", QByteArray::fromStdString(pulse.server()));
        mainWindow.setObjectName("mainWindow");
        auto* recorder = new QPushButton(&mainWindow);
        recorder->setObjectName("btnRecorder");
        auto* desk = new QPushButton(&mainWindow);
        desk->setObjectName("btnDesk");
        CData::instance()->SetRecording(false);
        CData::instance()->SetLiveMode(0);
        window = std::make_unique<OBSSettingWindow>(&mainWindow);
        window->timer()->stop();
        window->setClockForTests([this] { return now; });
        OBSSettingWindow::RecordReporter reporter;
        reporter.reportRecordResult = [this](int code, int, const QString& msg) { reports.push_back({code, msg}); };
        reporter.setRecordState = [this](const QString&, int) { return recordStateAnswer; };
        window->setRecordReporterForTests(reporter);
    }
    void TearDown() override
    {
        window.reset();
        CData::instance()->SetRecording(false);
        CData::instance()->SetLiveMode(0);
    }
    // The main window's recorder and desktop buttons, both enabled or not.
    bool mainButtonsEnabled()
    {
        auto* recorder = mainWindow.findChild<QPushButton*>("btnRecorder");
        auto* desk = mainWindow.findChild<QPushButton*>("btnDesk");
        EXPECT_EQ(recorder->isEnabled(), desk->isEnabled());
        return recorder->isEnabled();
    }
    // One timer tick, the virtual clock moved on by a second first.
    void tick()
    {
        now += 1000;
        window->onUpdateTimer();
    }
    template <typename T>
    T* child(const char* name)
    {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(nullptr, w) << name;
        return w;
    }

    QTemporaryDir dataHome;
    testsupport::PulseFixture pulse;
    QWidget mainWindow;
    std::unique_ptr<OBSSettingWindow> window;
    int64_t now = 100000;
    std::vector<Report> reports;
    bool recordStateAnswer = true;
};

QStringList itemTexts(QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

}  // namespace

TEST_F(SettingWindowTest, FormBeforeTheFirstFill)
{
    EXPECT_EQ(QString("OBSSetting"), window->windowTitle());
    EXPECT_EQ(QSize(1057, 765), window->size());
    EXPECT_EQ(QStringList({"应用程序窗口捕获", "摄像头", "桌面捕获", "区域捕获"}), itemTexts(child<QComboBox>("allSrcCombox")));
    EXPECT_FALSE(child<QComboBox>("allSrcCombox")->itemData(0).isValid());
    EXPECT_EQ(QStringList({"flv", "mp4", "mkv", "ts"}), itemTexts(child<QComboBox>("recordFormatCombox")));
    EXPECT_EQ(0, child<QStackedWidget>("stackedWidget")->currentIndex());
    EXPECT_EQ(child<QWidget>("videoSrcPage"), child<QStackedWidget>("stackedWidget")->currentWidget());
    struct Text {
        const char* object;
        const char* text;
    };
    const Text buttons[] = {
        {"refreshInputDeviceBtn", "刷新列表"}, {"refreshOutputDevice", "刷新列表"}, {"browserBtn", "浏览"},
        {"startPublishBtn", "开始推流"},       {"startRecordBtn", "开始录制"},
    };
    for (const Text& t : buttons)
        EXPECT_EQ(QString::fromUtf8(t.text), child<QPushButton>(t.object)->text()) << t.object;
    const Text checks[] = {
        {"appCaptureCursorChk", "捕获光标"}, {"appCompatibilityChk", "兼容性"}, {"captureSystemAudioChk", "系统声音采集"},
    };
    for (const Text& t : checks)
        EXPECT_EQ(QString::fromUtf8(t.text), child<QCheckBox>(t.object)->text()) << t.object;
    for (const char* slider : {"micVolumeSlider", "speakerVolumeSlider"}) {
        EXPECT_EQ(0, child<QSlider>(slider)->minimum());
        EXPECT_EQ(100, child<QSlider>(slider)->maximum());
    }
    auto* preview = child<CPreviewBase>("previewWidget");
    EXPECT_EQ(QString("background-color: rgb(130, 130, 130);"), preview->styleSheet());
    EXPECT_EQ(QString("standard_audio_input_device"), child<MicrophoneVolumeCtrl>("micVolumeBeatCtrl")->DeviceName());
    EXPECT_EQ(QString("standard_audio_output_device"),
              child<MicrophoneVolumeCtrl>("speakerVolumeBeatCtrl")->DeviceName());
    // The record folder is the data folder's "record", not a fixed drive.
    EXPECT_EQ(QDir::toNativeSeparators(dataHome.path() + "/VeltoraTea/record"),
              child<QLineEdit>("recordSavePath")->text());
    EXPECT_EQ(QString("default_scene"), QString(OBSSettingWindow::kSceneName));

    window->show();
    ASSERT_TRUE(waitUntil([&] { return window->isVisible() && preview->view() != nullptr; }));
    EXPECT_GT(preview->width(), child<QWidget>("centralwidget")->width() / 2) << "the preview takes 5 of 8";
    // The screen as the teacher sees it: the engine paints the preview.
    // Its top edge, in the window: the engine's grey around the canvas.
    const QPoint probe = preview->mapTo(window.get(), QPoint(preview->width() / 2, 2));
    QImage shot;
    const bool painted = waitUntil(
        [&] {
            shot = QGuiApplication::primaryScreen()->grabWindow(window->winId()).toImage();
            return !shot.isNull() && shot.pixelColor(probe) == QColor(130, 130, 130);
        },
        10000);
    shot.save(QString::fromStdString(testsupport::screenshotPath("obs_setting_window.png")));
    EXPECT_TRUE(painted) << "the preview's canvas colour at the top of the window";
}

TEST_F(SettingWindowTest, FirstFillOnTheFourthTickSelectsAreaCaptureAndTheWantedMicrophone)
{
    QComboBox* sources = child<QComboBox>("allSrcCombox");
    for (int i = 0; i < 3; ++i)
        tick();
    EXPECT_EQ(OBSSettingWindow::kTypeNone, window->currentSourceType()) << "ticks 1 to 3 do nothing";
    EXPECT_TRUE(window->SetInputAudio("no such microphone")) << "before the fill the name is only kept";

    tick();
    EXPECT_EQ(QStringList({"摄像头", "桌面捕获", "应用程序捕获", "区域捕获"}), itemTexts(sources));
    EXPECT_EQ(OBSSettingWindow::kTypeArea, sources->currentData().toInt());
    EXPECT_EQ(OBSSettingWindow::kTypeArea, window->currentSourceType());
    EXPECT_TRUE(CBroadcastEngine::getEngine()->HasSource("区域捕获"));
    EXPECT_FALSE(window->inputDeviceValid()) << "the wanted microphone is not listed";
    EXPECT_FALSE(child<QCheckBox>("captureSystemAudioChk")->isChecked()) << "every fill ends with system sound off";

    QComboBox* mics = child<QComboBox>("micComboBox");
    if (mics->count() > 0) {
        const QString last = mics->itemText(mics->count() - 1);
        EXPECT_TRUE(window->SetInputAudio(last));
        EXPECT_EQ(last, mics->currentText());
        EXPECT_TRUE(window->inputDeviceValid());
    }
    EXPECT_FALSE(BroadcastAudioLink::instance().SetInputAudio("no such microphone")) << "through the engines' link";
    EXPECT_FALSE(window->inputDeviceValid());
    if (mics->count() > 0) {
        EXPECT_EQ(0, mics->currentIndex()) << "a missing name leaves the first device selected";
    }
}

TEST_F(SettingWindowTest, SwitchingSourcesReplacesTheCaptureSourceInTheScene)
{
    for (int i = 0; i < 4; ++i)
        tick();
    IBroadcastEngine* engine = CBroadcastEngine::getEngine();
    QStackedWidget* pages = child<QStackedWidget>("stackedWidget");

    ASSERT_TRUE(window->SetWorkType(OBSSettingWindow::kTypeDesktop));
    EXPECT_FALSE(engine->HasSource("区域捕获"));
    EXPECT_TRUE(engine->HasSource("桌面捕获"));
    EXPECT_EQ(child<QWidget>("monitorSrcPage"), pages->currentWidget());

    ASSERT_TRUE(window->SetWorkType(OBSSettingWindow::kTypeCamera));
    EXPECT_FALSE(engine->HasSource("桌面捕获"));
    EXPECT_TRUE(engine->HasSource("摄像头"));
    EXPECT_EQ(child<QWidget>("videoSrcPage"), pages->currentWidget());

    // No window of the program is listed: code 100 and the message box.
    reports.clear();
    ASSERT_TRUE(window->SetWorkType(OBSSettingWindow::kTypeAppWindow));
    EXPECT_TRUE(engine->HasSource("应用程序捕获"));
    EXPECT_EQ(child<QWidget>("appWndSrcPage"), pages->currentWidget());
    EXPECT_EQ(-1, window->captureWindowIndex());
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(100, reports[0].code);
    EXPECT_EQ(QString("查找录制窗口失败，录制失败"), reports[0].msg);
    MsgBox* box = mainWindow.findChild<MsgBox*>();
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(box->isVisible());
    box->grab().save(QString::fromStdString(testsupport::screenshotPath("obs_setting_window_missing.png")));
    box->close();

    EXPECT_FALSE(window->SetWorkType(5)) << "no such source";
    EXPECT_EQ(OBSSettingWindow::kTypeAppWindow, window->currentSourceType());
}

TEST_F(SettingWindowTest, ASourceAskedForBeforeTheFirstTicksIsMadeAtOnceAndTheTicksKeepIt)
{
    IBroadcastEngine* engine = CBroadcastEngine::getEngine();
    ASSERT_TRUE(window->SetWorkType(OBSSettingWindow::kTypeDesktop)) << "no tick has made the sources yet";
    EXPECT_TRUE(engine->HasSource("桌面捕获"));
    EXPECT_FALSE(engine->HasSource("区域捕获"));
    for (int i = 0; i < 6; ++i)
        tick();
    EXPECT_EQ(OBSSettingWindow::kTypeDesktop, window->currentSourceType()) << "the ticks do not switch back";
    EXPECT_TRUE(engine->HasSource("桌面捕获"));
    EXPECT_FALSE(engine->HasSource("区域捕获"));
}

TEST_F(SettingWindowTest, TheEnginesLinkIsFilledWhileTheWindowLives)
{
    EXPECT_TRUE(BroadcastAudioLink::instance().SetInputAudio("mic")) << "before the fill the name is kept";
    window.reset();
    EXPECT_FALSE(BroadcastAudioLink::instance().SetInputAudio("mic"));
    EXPECT_EQ(nullptr, CBroadcastEngine::getEngine()) << "the engine goes with the window";
}

TEST_F(SettingWindowTest, TheFirstWatchdogCheckAlarmsWithoutMicrophoneAudio)
{
    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_EQ(4500, window->noAudioTimeoutMs());
    EXPECT_EQ(now, window->lastAudioMs());
    EXPECT_EQ(nullptr, window->micAlarmBox()) << "not recording: no box";
}

TEST_F(SettingWindowTest, SilentMicrophoneAlarmsAtGrowingIntervalsAndShowsTheBoxFromTheSecond)
{
    CData::instance()->SetRecording(true);
    for (int i = 0; i < 4; ++i)
        tick();
    window->onUpdateVolume("standard_audio_output_device", -30.f, -20.f, -10.f);  // not the microphone
    EXPECT_EQ(0, window->lastAudioMs());
    window->onUpdateVolume("standard_audio_input_device", -30.f, -20.f, -10.f);
    const int64_t quietFrom = now;
    ASSERT_EQ(quietFrom, window->lastAudioMs());

    struct Alarm {
        int64_t after;
        int timeout;
        bool boxShown;
    };
    std::vector<Alarm> alarms;
    while (now - quietFrom < 30000) {
        tick();
        if (window->lastAudioMs() == now) {
            MsgBox* box = window->micAlarmBox();
            alarms.push_back({now - quietFrom, window->noAudioTimeoutMs(), box && box->isVisible()});
            if (box && box->isVisible()) {
                if (alarms.size() == 2)
                    box->grab().save(QString::fromStdString(testsupport::screenshotPath("obs_mic_alarm.png")));
                box->close();
            }
        }
    }
    // Whole ticks after more than 3, 4.5, 6.75 and 10 s of silence.
    const Alarm expected[] = {{4000, 4500, false}, {9000, 6750, true}, {16000, 10000, true}, {27000, 10000, true}};
    ASSERT_EQ(std::size(expected), alarms.size());
    for (size_t i = 0; i < alarms.size(); ++i) {
        EXPECT_EQ(expected[i].after, alarms[i].after) << i;
        EXPECT_EQ(expected[i].timeout, alarms[i].timeout) << i;
        EXPECT_EQ(expected[i].boxShown, alarms[i].boxShown) << i;
    }
    ASSERT_NE(nullptr, window->micAlarmBox());
    EXPECT_FALSE(window->micAlarmBox()->testAttribute(Qt::WA_DeleteOnClose)) << "made once, kept";
}

TEST_F(SettingWindowTest, RemoteAudioKeepsTheWatchdogQuietWhenNoMicrophoneWasChosen)
{
    window->SetInputAudio("no such microphone");
    for (int i = 0; i < 4; ++i)
        tick();
    ASSERT_FALSE(window->inputDeviceValid());
    std::vector<int16_t> block(480, 1000);
    for (int i = 0; i < 20; ++i) {
        window->MixAudioData("12345", reinterpret_cast<const uchar*>(block.data()), 16, 48000, 1, 480, 0, 0);
        tick();
    }
    EXPECT_EQ(3000, window->noAudioTimeoutMs()) << "no alarm";
}

TEST_F(SettingWindowTest, PublishStopsAreReportedForCloudRecordKeysOnly)
{
    struct Case {
        const char* key;
        int code;
        int wantResult;  // 0: nothing reported
        QString wantMsg;
    };
    const Case cases[] = {
        {"liveRecord_1", 0, 103, "录制停止推流"},
        {"liveRecord_1", -2, 104, "录制失败停止推流，无法连接到媒体服务器。 code=-2"},
        {"liveRecord_1", -5, 104, "录制失败停止推流，已从媒体服务器断开。 code=-5"},
        {"liveRecord_1", -4, 104, "录制失败停止推流，试图连接到媒体服务器时出现意外的错误。 code=-4"},
        // Only the codes with a failure text are failures.
        {"liveRecord_1", -7, 103, "录制停止推流"},
        {"liveTeacher_1", -2, 0, ""},
        {"liveTeacher_1", 0, 0, ""},
    };
    QSignalSpy finished(window.get(), &OBSSettingWindow::sgStopFinish);
    for (const Case& c : cases) {
        reports.clear();
        window->SetPushAddress("rtmp://127.0.0.1/live/", c.key);
        // As the engine's thread reports it: delivered queued.
        CBroadcastEngine::instance()->OnStopPublish(c.code, "engine text");
        ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); })) << c.key << " " << c.code;
        EXPECT_EQ(c.code, finished.takeFirst().at(0).toInt());
        EXPECT_EQ(OBSSettingWindow::kIdle, window->publishState());
        if (c.wantResult == 0) {
            EXPECT_TRUE(reports.empty()) << c.key << " " << c.code;
            continue;
        }
        ASSERT_EQ(1u, reports.size()) << c.key << " " << c.code;
        EXPECT_EQ(c.wantResult, reports[0].code) << c.code;
        EXPECT_EQ(c.wantMsg, reports[0].msg) << c.code;
    }
    EXPECT_EQ(QString("开始推流"), child<QPushButton>("startPublishBtn")->text());
    EXPECT_FALSE(window->StopWork()) << "not publishing";
}

TEST_F(SettingWindowTest, PushAddressLosesAndRegainsItsSlash)
{
    const struct {
        const char* url;
        const char* shown;
    } cases[] = {
        {"rtmp://127.0.0.1/video/", "rtmp://127.0.0.1/video"},
        {"rtmp://127.0.0.1/video", "rtmp://127.0.0.1/video"},
        {"rtmp://127.0.0.1/video//", "rtmp://127.0.0.1/video/"},
    };
    for (const auto& c : cases) {
        window->SetPushAddress(c.url, "key1");
        EXPECT_EQ(QString(c.shown), child<QLineEdit>("addressLineEdit")->text());
        EXPECT_EQ(QString(c.shown) + "/", window->GetServerAddress());
        EXPECT_EQ(QString("key1"), window->GetStreamKey());
    }
}

TEST_F(SettingWindowTest, LocalRecordingRunsThroughItsStates)
{
    for (int i = 0; i < 4; ++i)
        tick();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QPushButton* button = child<QPushButton>("startRecordBtn");
    child<QComboBox>("recordFormatCombox")->setCurrentText("mkv");

    ASSERT_TRUE(window->StartRecord(folder.path()));
    EXPECT_EQ(folder.path(), child<QLineEdit>("recordSavePath")->text());
    EXPECT_EQ(OBSSettingWindow::kTypeAppWindow, window->currentSourceType()) << "live mode is not the desktop one";
    EXPECT_EQ(QString("开始录制..."), button->text());
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(window->StopRecord()) << "still starting";
    EXPECT_FALSE(window->StartRecord(QString())) << "already started";

    ASSERT_TRUE(waitUntil([&] { return window->IsMP4Recording(); }, 30000)) << "any format counts";
    EXPECT_EQ(QString("停止录制"), button->text());
    EXPECT_TRUE(button->isEnabled());
    const QString file = QString::fromStdString(CBroadcastEngine::getEngine()->GetRecordPath());
    EXPECT_TRUE(file.startsWith(folder.path()) && file.endsWith(".mkv")) << file.toStdString();
    QThread::msleep(1000);

    ASSERT_TRUE(window->StopRecord());
    EXPECT_EQ(QString("停止录制..."), button->text());
    EXPECT_EQ(OBSSettingWindow::kTypeArea, window->currentSourceType()) << "back to area capture";
    ASSERT_TRUE(waitUntil([&] { return window->recordState() == OBSSettingWindow::kIdle; }, 30000));
    EXPECT_EQ(QString("开始录制"), button->text());
    EXPECT_TRUE(QFileInfo(file).size() > 0) << file.toStdString();
    EXPECT_TRUE(window->StopRecord()) << "idle: already stopped";
}

TEST_F(SettingWindowTest, TheRecordButtonRecordsIntoThePresetFolderItMakes)
{
    for (int i = 0; i < 4; ++i)
        tick();
    const QString folder = QDir::fromNativeSeparators(child<QLineEdit>("recordSavePath")->text());
    ASSERT_FALSE(QFileInfo::exists(folder)) << "a fresh data folder has no record folder yet";
    QPushButton* button = child<QPushButton>("startRecordBtn");
    // A refused recording says why in a modal box: it is noted and closed.
    QStringList refusals;
    QTimer boxCloser;
    QObject::connect(&boxCloser, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            refusals << box->text();
            box->reject();
        }
    });
    boxCloser.start(100);

    button->click();
    ASSERT_TRUE(waitUntil([&] { return window->IsMP4Recording(); }, 30000)) << refusals.join("; ").toStdString();
    const QString file = QString::fromStdString(CBroadcastEngine::getEngine()->GetRecordPath());
    EXPECT_TRUE(file.startsWith(folder + "/")) << file.toStdString();
    button->click();
    ASSERT_TRUE(waitUntil([&] { return window->recordState() == OBSSettingWindow::kIdle; }, 30000));
    EXPECT_GT(QFileInfo(file).size(), 0) << file.toStdString();
}

TEST_F(SettingWindowTest, TheMainWindowsButtonsWaitWhileRecordingAndPublishingStartAndStop)
{
    for (int i = 0; i < 4; ++i)
        tick();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_TRUE(mainButtonsEnabled());
    ASSERT_TRUE(window->StartRecord(folder.path()));
    EXPECT_FALSE(mainButtonsEnabled()) << "starting";
    ASSERT_TRUE(waitUntil([&] { return window->IsMP4Recording(); }, 30000));
    EXPECT_TRUE(mainButtonsEnabled()) << "recording";
    ASSERT_TRUE(window->StopRecord());
    EXPECT_FALSE(mainButtonsEnabled()) << "stopping";
    ASSERT_TRUE(waitUntil([&] { return window->recordState() == OBSSettingWindow::kIdle; }, 30000));
    EXPECT_TRUE(mainButtonsEnabled()) << "stopped";

    // Publishing to the built-in address, which does not answer here.
    child<QPushButton>("startPublishBtn")->click();
    ASSERT_EQ(OBSSettingWindow::kStarting, window->publishState());
    EXPECT_FALSE(mainButtonsEnabled()) << "publish starting";
    ASSERT_TRUE(waitUntil([&] { return window->publishState() == OBSSettingWindow::kIdle; }, 30000));
    EXPECT_TRUE(mainButtonsEnabled()) << "the start failed";
    // As the engine reports a start and a stop.
    CBroadcastEngine::instance()->OnStartPublishSuccess();
    ASSERT_TRUE(waitUntil([&] { return window->IsWorking(); }));
    EXPECT_TRUE(mainButtonsEnabled()) << "publishing";
    ASSERT_TRUE(window->StopWork());
    EXPECT_FALSE(mainButtonsEnabled()) << "publish stopping";
    CBroadcastEngine::instance()->OnStopPublish(0, nullptr);
    ASSERT_TRUE(waitUntil([&] { return window->publishState() == OBSSettingWindow::kIdle; }));
    EXPECT_TRUE(mainButtonsEnabled());
}

TEST_F(SettingWindowTest, StartWorkRefusesWhilePublishingAndWithoutAWindowToCapture)
{
    for (int i = 0; i < 4; ++i)
        tick();
    // A cloud-recorded class outside the desktop mode captures the main
    // window, and none is listed: 101, the box, and the class is no longer
    // taken as recorded.
    CData::instance()->SetRecording(true);
    reports.clear();
    EXPECT_FALSE(window->StartWork());
    EXPECT_EQ(OBSSettingWindow::kIdle, window->publishState());
    EXPECT_FALSE(CData::instance()->IsRecording());
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(101, reports.back().code);
    EXPECT_EQ(QString("录制窗口失败，开启录制失败"), reports.back().msg);
    auto visibleBoxes = [&] {
        QList<MsgBox*> shown;
        for (MsgBox* box : mainWindow.findChildren<MsgBox*>())
            if (box->isVisible())
                shown << box;
        return shown;
    };
    ASSERT_FALSE(visibleBoxes().isEmpty());
    visibleBoxes().last()->grab().save(
        QString::fromStdString(testsupport::screenshotPath("obs_start_work_no_window.png")));
    for (MsgBox* box : visibleBoxes())
        box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QList<MsgBox*> kept = mainWindow.findChildren<MsgBox*>();
    CData::instance()->SetRecording(true);
    reports.clear();
    EXPECT_FALSE(window->StartWork());
    ASSERT_EQ(1, visibleBoxes().size());
    EXPECT_TRUE(kept.contains(visibleBoxes().first())) << "the start's box is made once and kept";
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(101, reports.back().code);
    visibleBoxes().first()->close();

    // The desktop mode: publishing starts; a second start is refused and
    // changes nothing.
    CData::instance()->SetRecording(false);
    CData::instance()->SetLiveMode(3);
    ASSERT_TRUE(window->StartWork());
    EXPECT_EQ(OBSSettingWindow::kTypeDesktop, window->currentSourceType());
    const QString key = window->GetStreamKey();
    EXPECT_TRUE(key.startsWith("liveTeacher_")) << key.toStdString();
    EXPECT_FALSE(window->StartWork());
    EXPECT_EQ(OBSSettingWindow::kStarting, window->publishState());
    EXPECT_EQ(key, window->GetStreamKey());
    ASSERT_TRUE(waitUntil([&] { return window->publishState() == OBSSettingWindow::kIdle; }, 30000));
}

TEST_F(SettingWindowTest, ClosingTheWindowEndsItsPreviewBeforeTheEngine)
{
    const int before = broadcast::SceneViewImpl::liveViews();
    window->show();
    auto* preview = child<CPreviewBase>("previewWidget");
    ASSERT_TRUE(waitUntil([&] { return preview->view() != nullptr; }));
    EXPECT_EQ(before + 1, broadcast::SceneViewImpl::liveViews());
    window.reset();
    EXPECT_EQ(nullptr, CBroadcastEngine::getEngine());
    EXPECT_EQ(before, broadcast::SceneViewImpl::liveViews()) << "a view paints from a freed engine";
}

TEST_F(SettingWindowTest, TheAreaIsEditedInThePreview)
{
    for (int i = 0; i < 4; ++i)
        tick();
    ASSERT_EQ(OBSSettingWindow::kTypeArea, window->currentSourceType());
    window->show();
    auto* preview = child<CPreviewBase>("previewWidget");
    ASSERT_TRUE(waitUntil([&] { return preview->view() != nullptr; }));
    IBroadcastEngine* engine = CBroadcastEngine::getEngine();
    SceneRect before;
    ASSERT_TRUE(engine->GetSourceRect("区域捕获", &before));
    // The canvas in the preview, and the area's lower right corner on it.
    const double scale = std::min(preview->width() / 1920.0, preview->height() / 1080.0);
    const QPoint origin((preview->width() - int(1920 * scale)) / 2, (preview->height() - int(1080 * scale)) / 2);
    auto at = [&](int cx, int cy) { return origin + QPoint(int(cx * scale), int(cy * scale)); };
    auto mouse = [&](QEvent::Type type, QPoint pos) {
        QMouseEvent ev(type, pos, preview->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                       type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(preview, &ev);
    };
    QSignalSpy selected(CBroadcastEngine::instance(), &CBroadcastEngine::signalSourceSelectionChange);
    ASSERT_TRUE(waitUntil(
        [&] {
            mouse(QEvent::MouseButtonPress, at(960, 540));
            mouse(QEvent::MouseButtonRelease, at(960, 540));
            return selected.count() > 0;
        },
        20000));
    const QPoint corner = at(before.x + before.w, before.y + before.h);
    mouse(QEvent::MouseButtonPress, corner);
    mouse(QEvent::MouseMove, corner - QPoint(preview->width() / 4, preview->height() / 4));
    mouse(QEvent::MouseButtonRelease, corner - QPoint(preview->width() / 4, preview->height() / 4));
    SceneRect after;
    ASSERT_TRUE(engine->GetSourceRect("区域捕获", &after));
    EXPECT_LT(after.w, before.w);
    EXPECT_LT(after.h, before.h);
    // The teacher's view of it: the window with the area outlined on its canvas.
    const QPoint outlineAt = preview->mapTo(window.get(), at(after.x + after.w, after.y + after.h) - QPoint(1, 1));
    QImage shot;
    waitUntil(
        [&] {
            shot = QGuiApplication::primaryScreen()->grabWindow(window->winId()).toImage();
            return !shot.isNull() && shot.pixelColor(outlineAt) == QColor(255, 48, 48);
        },
        10000);
    shot.save(QString::fromStdString(testsupport::screenshotPath("obs_setting_window_area.png")));
    EXPECT_EQ(QColor(255, 48, 48), shot.pixelColor(outlineAt)) << "the area's outline";
}
