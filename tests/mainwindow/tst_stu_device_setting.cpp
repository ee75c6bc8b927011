// The student's device pop-up over a scripted media engine: lists and
// current devices, the no-device items, volumes bounded to 0..100, device
// changes only by the student's choice, never an empty device key, and one
// answer per showing.
#include "mainwindow/popups/StuDeviceSettingWidget.h"

#include "media/IMediaEngine.h"
#include "QtWait.h"
#include "tests/mainwindow/ShellTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>

#include <gtest/gtest.h>

namespace {

// An engine whose lists and answers the test sets; it records every device
// change it is asked for.
class ScriptedEngine : public IMediaEngine {
public:
    QList<DevicePair> cameras, mics, speakers;
    QString curCamera, curMic, curSpeaker;
    int preview = 1, deviceState = 0, micVolume = 40, speakerVolume = 60;
    QStringList changes;  // "camera:key", "mic:key", "speaker:key", "micVol:n", "spkVol:n"

    void getInputAudioDevices(QList<DevicePair>& out) override { out = mics; }
    int getInputAudioVolume() override { return micVolume; }
    void setInputAudioVolume(int v) override { changes << QString("micVol:%1").arg(v); }
    QString getCurInputAudioDevice() override { return curMic; }
    bool setCurInputAudioDevice(const QString& k) override { changes << "mic:" + k; curMic = k; return true; }
    void enableMicrophoneMonitor(bool) override {}
    void prepareInputAudioChange(bool) override {}
    int queryDeviceState() override { return deviceState; }
    void getOutputAudioDevices(QList<DevicePair>& out) override { out = speakers; }
    int getOutputAudioVolume() override { return speakerVolume; }
    void setOutputAudioVolume(int v) override { changes << QString("spkVol:%1").arg(v); }
    QString getCurOutputAudioDevice() override { return curSpeaker; }
    bool setCurOutputAudioDevice(const QString& k) override { changes << "speaker:" + k; curSpeaker = k; return true; }
    void playAudioFile(const QString&) override {}
    void stopAudioFile() override {}
    void getVideoDevices(QList<DevicePair>& out) override { out = cameras; }
    QString getCurVideoDevice() override { return curCamera; }
    bool setCurVideoDevice(const QString& k) override { changes << "camera:" + k; curCamera = k; return true; }
    void previewVideo(quintptr, bool) override {}
    void prepareVideoChange(bool) override {}
    int canPreviewVideo() override { return preview; }
    bool playUserVideo(const QString&, QWidget*) override { return false; }
    bool stopUserVideo(const QString&) override { return false; }
    bool setUserVideoState(const QString&, bool) override { return false; }
    bool setUserAudioState(const QString&, bool) override { return false; }
    bool enableVideoCapture(bool) override { return false; }
    int getEngineType() override { return 0; }
};

QList<DevicePair> Devices(std::initializer_list<const char*> keys)
{
    QList<DevicePair> out;
    for (const char* k : keys)
        out.append({k, QString("Label ") + k});
    return out;
}

QStringList Items(QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemData(i).toString();
    return out;
}

struct Fixture {
    ScriptedEngine engine;
    StuDeviceSettingWidget w{nullptr};
    QComboBox* camera;
    QComboBox* mic;
    QComboBox* speaker;
    Fixture()
    {
        shelltest::Home();
        w.SetEngineSource([this] { return &engine; });
        camera = w.findChild<QComboBox*>("cameraComboBox");
        mic = w.findChild<QComboBox*>("microphone");
        speaker = w.findChild<QComboBox*>("speakerComboBox");
    }
};

}  // namespace

TEST(StuDeviceSettingWidget, ListsSelectTheStoredDeviceOrChooseOne)
{
    struct Case {
        const char* name;
        QList<DevicePair> mics;
        QString current;
        int deviceState;
        int selected;
        QStringList changes;
    };
    const Case cases[] = {
        {"stored present", Devices({"a", "b", "c"}), "b", 0, 1, {}},
        {"stored missing", Devices({"a", "b", "c"}), "x", 0, 0, {"mic:a"}},
        {"busy device", Devices({"a", "b", "c"}), "x", 1, 2, {"mic:c"}},
        {"busy, stored present", Devices({"a", "b", "c"}), "a", 1, 2, {}},
        {"duplicates and no key", {{"a", "A"}, {"", "nameless"}, {"a", "A again"}, {"b", "B"}}, "x", 0, 0, {"mic:a"}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.engine.mics = c.mics;
        f.engine.curMic = c.current;
        f.engine.deviceState = c.deviceState;
        f.w.InitMicrophoneList();
        EXPECT_EQ(f.mic->currentIndex(), c.selected) << c.name;
        EXPECT_EQ(f.engine.changes, c.changes) << c.name;
        EXPECT_FALSE(Items(f.mic).contains("")) << c.name;
        EXPECT_EQ(Items(f.mic).removeDuplicates(), 0) << c.name;
    }

    // The camera: without preview the last one is selected, the stored one
    // stays current.
    Fixture f;
    f.engine.cameras = Devices({"cam1", "cam2", "cam3"});
    f.engine.curCamera = "cam1";
    f.engine.preview = 0;
    f.w.InitCameraList();
    EXPECT_EQ(f.camera->currentIndex(), 2);
    EXPECT_TRUE(f.engine.changes.isEmpty());
    EXPECT_EQ(f.engine.curCamera, QString("cam1"));
}

TEST(StuDeviceSettingWidget, NoDevicesShowOnlyTheirItemAndVolumesAreBounded)
{
    Fixture f;
    f.engine.micVolume = 250;
    f.engine.speakerVolume = -7;
    f.w.showSetting();
    EXPECT_EQ(f.camera->count(), 1);
    EXPECT_EQ(f.camera->itemText(0), QString("no camera device was found!"));
    EXPECT_EQ(f.mic->itemText(0), QString("no microphone device was found!"));
    EXPECT_EQ(f.speaker->itemText(0), QString("no speaker device was found!"));
    EXPECT_EQ(f.w.findChild<QSlider*>("micVolumeSlider")->value(), 100);
    EXPECT_EQ(f.w.findChild<QSlider*>("speakerVolumeSlider")->value(), 0);
    EXPECT_EQ(f.w.findChild<QLabel*>("micLevelLabel")->text(), QString("100"));
    EXPECT_TRUE(f.engine.changes.isEmpty());  // never a device change with an empty key
    EXPECT_EQ(f.w.height(), 210);
    f.w.findChild<QPushButton*>("btnCancel")->click();
}

TEST(StuDeviceSettingWidget, OnlyTheStudentsChoiceChangesDevicesAndEachShowingAnswersOnce)
{
    Fixture f;
    f.engine.mics = Devices({"m1", "m2"});
    f.engine.curMic = "m1";
    f.engine.speakers = Devices({"s1"});
    f.engine.curSpeaker = "s1";
    QSignalSpy answers(&f.w, &StuDeviceSettingWidget::sgWidgetClose);
    f.w.showSetting();
    f.w.showSetting();  // refilled again: still no change
    EXPECT_TRUE(f.engine.changes.isEmpty());
    shelltest::UseProgramStyle();
    shelltest::Screenshot(&f.w, "student_device_setting.png");

    f.mic->setCurrentIndex(1);
    f.w.findChild<QSlider*>("micVolumeSlider")->setValue(33);
    EXPECT_EQ(f.engine.changes, (QStringList{"mic:m2", "micVol:33"}));

    f.w.findChild<QPushButton*>("btnOk")->click();
    ASSERT_EQ(answers.count(), 1);
    EXPECT_TRUE(answers[0][0].toBool());
    EXPECT_FALSE(f.w.isVisible());
    f.w.close();  // a second close of the same showing
    EXPECT_EQ(answers.count(), 1);

    f.w.showSetting();  // a new invitation answers anew
    f.w.findChild<QPushButton*>("btnCancel")->click();
    ASSERT_EQ(answers.count(), 2);
    EXPECT_FALSE(answers[1][0].toBool());
}
