// The two device settings dialogs over a scripted media engine: their forms,
// lists filled without changing any device, choices applied at once (and
// taken back when the engine refuses them), the open/close state and what
// it announces, the clarity handed over on close, and screenshots.
#include "tests/device/DeviceCheckTestSupport.h"
#include "tests/widgets/ToastTestSupport.h"

#include "device/CamDevSettingWidget.h"
#include "device/DeviceSettingDialog.h"
#include "app/SystemInfo.h"
#include "widgets/Toast.h"

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

using namespace devicetest;

namespace {

// The check's scripted engine, which can also refuse devices and records
// the capture switch.
class SettingsEngine : public ScriptedEngine {
public:
    QSet<QString> refused;
    bool setCurVideoDevice(const QString& k) override
    {
        ScriptedEngine::setCurVideoDevice(k);
        return !refused.contains(k);
    }
    bool setCurInputAudioDevice(const QString& k) override
    {
        ScriptedEngine::setCurInputAudioDevice(k);
        return !refused.contains(k);
    }
    bool enableVideoCapture(bool on) override
    {
        calls << QString("capture:%1").arg(on);
        return true;
    }
};

QStringList ToastTexts() { return widgettest::ToastTexts(); }

QStringList Ids(QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemData(i).toString();
    return out;
}

// Both dialogs run every shared case.
enum class Kind { Plain, HdCamera };

struct Dialog {
    SettingsEngine engine;
    std::unique_ptr<DeviceSettingBase> w;
    bool appDevice = false;
    QList<int> videoModes;  // what the HD camera dialog handed over

    explicit Dialog(Kind kind, void (*setUp)(ScriptedEngine&) = standardDevices)
    {
        setUp(engine);
        if (kind == Kind::Plain) {
            w = std::make_unique<DeviceSettingDialog>(nullptr);
        } else {
            auto* cam = new CamDevSettingWidget(nullptr);
            cam->SetVideoModeSink([this](int mode) { videoModes << mode; });
            w.reset(cam);
        }
        w->SetEngineSource([this] { return &engine; });
        w->SetAppDeviceSource([this] { return appDevice; });
    }
    template <class T = QWidget>
    T* get(const char* name) const
    {
        return child<T>(w.get(), name);
    }
};

class DeviceSettings : public ::testing::TestWithParam<Kind> {};

INSTANTIATE_TEST_SUITE_P(BothDialogs, DeviceSettings, ::testing::Values(Kind::Plain, Kind::HdCamera),
                         [](const ::testing::TestParamInfo<Kind>& i) {
                             return std::string(i.param == Kind::Plain ? "Plain" : "HdCamera");
                         });

}  // namespace

TEST(DeviceSettingForms, ObjectsSizesTextsAndScreenshots)
{
    struct Case {
        Kind kind;
        const char* objectName;
        int height;
        bool clarity;
        const char* shot;
    };
    for (const Case& c : {Case{Kind::Plain, "DeviceSettingForm", 450, false, "device_setting_dialog.png"},
                          Case{Kind::HdCamera, "CamDevSettingWidget", 440, true, "cam_dev_setting_widget.png"}}) {
        SCOPED_TRACE(c.objectName);
        Dialog d(c.kind);
        QWidget* w = d.w.get();
        EXPECT_EQ(c.objectName, w->objectName());
        EXPECT_EQ(QSize(360, c.height), w->size());
        EXPECT_EQ(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint, w->windowFlags());
        EXPECT_FALSE(d.w->isModal());
        EXPECT_TRUE(w->styleSheet().contains(QString("QWidget#%1").arg(c.objectName)));
        EXPECT_EQ(QString::fromUtf8("设置"), d.get<QLabel>("label_6")->text());
        EXPECT_EQ(QString::fromUtf8("摄像头"), d.get<QLabel>("label")->text());
        EXPECT_EQ(QString::fromUtf8("麦克风"), d.get<QLabel>("label_2")->text());
        EXPECT_EQ(QString::fromUtf8("扬声器"), d.get<QLabel>("label_3")->text());
        EXPECT_EQ(QString::fromUtf8("确定"), d.get<QPushButton>("finishedBtn")->text());
        for (const char* box : {"cameraComboBox", "microphone", "speakerComboBox"})
            EXPECT_NE(nullptr, qobject_cast<QListView*>(d.get<QComboBox>(box)->view())) << box;
        EXPECT_EQ(c.clarity, w->findChild<QRadioButton*>("radioVideo2") != nullptr);
        if (c.clarity) {
            EXPECT_TRUE(d.get<QRadioButton>("radioVideo1")->isChecked());
            EXPECT_EQ(QString::fromUtf8("清晰度设置"), d.get<QLabel>("label_7")->text());
            EXPECT_EQ(1, d.get("speakerWidget")->maximumHeight()) << "the speaker group is collapsed";
        }

        d.w->initDevice();
        d.w->showSetting();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        for (const char* hidden : {"micLevelLabel", "speakerLevelLabel", "radioButton"})
            EXPECT_FALSE(d.get(hidden)->isVisible()) << hidden;
        EXPECT_EQ(QString("Device cam1"), d.get<QComboBox>("cameraComboBox")->currentText());
        screenshot(w, c.shot);
        d.w->close();
    }
}

TEST_P(DeviceSettings, FillingTheListsChangesNoDevice)
{
    struct Case {
        const char* name;
        void (*setUp)(ScriptedEngine&);
        QString camera, mic, speaker;  // the entries shown
    };
    const Case cases[] = {
        {"current devices listed", standardDevices, "cam1", "mic1", "spk1"},
        {"stored devices missing: the first shown, nothing stored",
         [](ScriptedEngine& e) {
             standardDevices(e);
             e.curCamera = "gone";
             e.curMic = "gone";
             e.curSpeaker = "gone";
         },
         "cam0", "mic0", "spk0"},
        {"no preview: the last camera; device state bad: the last microphone",
         [](ScriptedEngine& e) {
             standardDevices(e);
             e.curCamera = "cam0";
             e.curMic = "mic0";
             e.preview = 0;
             e.deviceState = 3;
         },
         "cam1", "mic1", "spk1"},
        {"a device listed twice: the later entry",
         [](ScriptedEngine& e) {
             standardDevices(e);
             e.cameras = devices({"cam1", "cam0", "cam1"});
         },
         "cam1", "mic1", "spk1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dialog d(GetParam(), c.setUp);
        d.w->initDevice();
        EXPECT_EQ(c.camera, d.get<QComboBox>("cameraComboBox")->currentData().toString());
        if (GetParam() == Kind::Plain) {
            EXPECT_EQ(c.mic, d.get<QComboBox>("microphone")->currentData().toString());
        }
        EXPECT_EQ(c.speaker, d.get<QComboBox>("speakerComboBox")->currentData().toString());
        if (QString(c.name).startsWith("a device listed twice")) {
            EXPECT_EQ(2, d.get<QComboBox>("cameraComboBox")->currentIndex());
        }
        EXPECT_FALSE(d.engine.hasPrefix("setCamera:") || d.engine.hasPrefix("setMic:") ||
                     d.engine.hasPrefix("setSpeaker:") || d.engine.hasPrefix("micVol:") ||
                     d.engine.hasPrefix("spkVol:"))
            << d.engine.calls.join(' ').toStdString();
        // A second filling is just as quiet.
        d.w->initDevice();
        EXPECT_FALSE(d.engine.hasPrefix("setCamera:") || d.engine.hasPrefix("micVol:"));
    }
}

TEST_P(DeviceSettings, EmptyListsShowPlaceholdersAndVolumesAreBounded)
{
    Dialog d(GetParam(), [](ScriptedEngine& e) {
        e.micVolume = 150;
        e.speakerVolume = -5;
    });
    d.w->initDevice();
    auto* camera = d.get<QComboBox>("cameraComboBox");
    EXPECT_EQ(QStringList{"no camera device was found!"}, QStringList{camera->itemText(0)});
    EXPECT_EQ(1, camera->count());
    EXPECT_EQ(QStringList{QString()}, Ids(camera)) << "the placeholder carries no device";
    EXPECT_EQ("no speaker device was found!", d.get<QComboBox>("speakerComboBox")->currentText());
    if (GetParam() == Kind::Plain) {
        EXPECT_EQ("no microphone device was found!", d.get<QComboBox>("microphone")->currentText());
    }
    EXPECT_EQ(100, d.get<QSlider>("micVolumeSlider")->value());
    EXPECT_EQ("100", d.get<QLabel>("micLevelLabel")->text());
    EXPECT_EQ(0, d.get<QSlider>("speakerVolumeSlider")->value());
    // Choosing the placeholder changes nothing.
    emit camera->currentIndexChanged(0);
    EXPECT_FALSE(d.engine.hasPrefix("setCamera:"));
}

TEST_P(DeviceSettings, ChoicesApplyAtOnceAndARefusedDeviceGoesBack)
{
    Dialog d(GetParam());
    d.w->initDevice();
    d.w->showSetting();
    auto* camera = d.get<QComboBox>("cameraComboBox");
    d.engine.calls.clear();
    camera->setCurrentIndex(0);
    EXPECT_EQ(QStringList({"prepareCamera", "setCamera:cam0", "preview:on"}), d.engine.calls);

    d.engine.calls.clear();
    d.get<QComboBox>("speakerComboBox")->setCurrentIndex(0);
    EXPECT_EQ(QStringList{"setSpeaker:spk0"}, d.engine.calls);

    d.engine.calls.clear();
    d.get<QSlider>("micVolumeSlider")->setValue(33);
    d.get<QSlider>("speakerVolumeSlider")->setValue(66);
    EXPECT_EQ(QStringList({"micVol:33", "spkVol:66"}), d.engine.calls);
    EXPECT_EQ("33", d.get<QLabel>("micLevelLabel")->text());
    EXPECT_EQ("66", d.get<QLabel>("speakerLevelLabel")->text());

    // The engine refuses cam1: the list shows cam0 again, cam0 is applied
    // again (the engine had stored cam1), and a toast says why.
    d.engine.refused = {"cam1"};
    d.engine.calls.clear();
    camera->setCurrentIndex(1);
    EXPECT_EQ(0, camera->currentIndex());
    EXPECT_EQ(QStringList({"prepareCamera", "setCamera:cam1", "setCamera:cam0"}), d.engine.calls)
        << "no preview of a refused camera";
    EXPECT_EQ("cam0", d.engine.curCamera);
    EXPECT_EQ(QStringList{QString::fromUtf8("无法使用该摄像头，已恢复原来的选择")}, ToastTexts());
    d.w->close();
}

TEST_P(DeviceSettings, OpenAndCloseAnnounceTheDeviceSettingOnce)
{
    Dialog d(GetParam());
    QSignalSpy spy(d.w.get(), &DeviceSettingBase::sgStartDeviceSetting);
    d.w->initDevice();
    d.engine.calls.clear();

    // Closed without having been opened: nothing at all.
    d.w->close();
    EXPECT_EQ(0, spy.count());
    EXPECT_TRUE(d.engine.calls.isEmpty()) << d.engine.calls.join(' ').toStdString();

    d.w->showSetting();
    ASSERT_EQ(1, spy.count());
    EXPECT_TRUE(spy.takeFirst().at(0).toBool());
    EXPECT_TRUE(testsupport::waitUntil([&] { return d.engine.count("preview:on") == 1; }))
        << "the preview starts once the window shows";
    EXPECT_EQ(d.engine.previewWindow, reinterpret_cast<quintptr>(d.get("previewWidget")));
    EXPECT_EQ(0, d.engine.calls.indexOf("capture:1"));

    // The speaker test plays the program's cat sound and stops on close.
    d.engine.calls.clear();
    d.w->on_radioButton_clicked(true);
    d.get<QRadioButton>("radioButton")->setChecked(true);
    EXPECT_EQ(QStringList({"monitor:0", "play:" + QCoreApplication::applicationDirPath() + "/cat.mp3"}),
              d.engine.calls);

    d.engine.calls.clear();
    QTest::mouseClick(d.get<QPushButton>("finishedBtn"), Qt::LeftButton);
    EXPECT_FALSE(d.w->isVisible());
    ASSERT_EQ(1, spy.count());
    EXPECT_FALSE(spy.takeFirst().at(0).toBool());
    EXPECT_EQ(QStringList({"preview:off", "monitor:0", "stopAudio", "capture:0"}), d.engine.calls)
        << "the preview, the level monitor and the test sound end with the dialog";
    d.w->close();
    EXPECT_EQ(0, spy.count()) << "a second close says nothing";

    // With an authorised app device the capture stays on, but the device
    // setting still ends (the room's busy state must clear).
    d.appDevice = true;
    d.w->showSetting();
    spy.clear();
    d.engine.calls.clear();
    QTest::keyClick(d.w.get(), Qt::Key_Escape);
    EXPECT_FALSE(d.w->isVisible());
    ASSERT_EQ(1, spy.count());
    EXPECT_FALSE(spy.takeFirst().at(0).toBool());
    EXPECT_FALSE(d.engine.calls.contains("capture:0"));

    // A preview queued by an opening that closed at once never starts.
    d.w->showSetting();
    d.w->close();
    d.engine.calls.clear();
    QCoreApplication::processEvents();
    EXPECT_FALSE(d.engine.calls.contains("preview:on"));
}

TEST(CamDevSetting, ClarityIsHandedOverOnCloseAndMicrophonesAreTheSystems)
{
    Dialog d(Kind::HdCamera);
    d.w->initDevice();
    std::vector<std::string> names, ids;
    GetAudioInputDevices(names, ids);
    auto* mic = d.get<QComboBox>("microphone");
    EXPECT_EQ(names.empty() ? 1 : int(names.size()), mic->count());
    if (!names.empty()) {
        EXPECT_EQ(QString::fromStdString(names[0]), mic->itemData(0).toString());
    }

    struct Case {
        const char* radio;
        int mode;
    };
    for (const Case& c : {Case{"radioVideo1", 1}, Case{"radioVideo2", 2}, Case{"radioVideo3", 3}}) {
        d.videoModes.clear();
        d.w->showSetting();
        d.get<QRadioButton>(c.radio)->click();
        d.get<QPushButton>("closeBtn")->click();
        EXPECT_EQ(QList<int>{c.mode}, d.videoModes) << c.radio;
    }
    d.videoModes.clear();
    d.w->close();
    EXPECT_TRUE(d.videoModes.isEmpty()) << "closing a closed dialog hands nothing over";
}

TEST(DeviceSettingDrag, OnlyTheTitleBandDragsTheWindow)
{
    Dialog d(Kind::Plain);
    d.w->initDevice();
    d.w->showSetting();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.w.get()));
    for (int y : {59, 60}) {
        d.w->move(100, 100);
        const QPoint start = d.w->pos();
        QTest::mousePress(d.w.get(), Qt::LeftButton, {}, QPoint(200, y));
        QMouseEvent move(QEvent::MouseMove, QPoint(230, y + 20), d.w->mapToGlobal(QPoint(230, y + 20)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(d.w.get(), &move);
        QTest::mouseRelease(d.w.get(), Qt::LeftButton, {}, QPoint(230, y + 20));
        if (y < 60)
            EXPECT_EQ(start + QPoint(30, 20), d.w->pos()) << y;
        else
            EXPECT_EQ(start, d.w->pos()) << y;
    }
    d.w->close();
}
