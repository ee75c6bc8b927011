// The whole device check walked by mouse clicks on a real display, as a
// teacher does it, on the machine's devices through the room's media engine:
// the generated camera, and a private sound server whose microphone hears
// what its speaker plays while a tone plays into it. The home window's
// settings menu, "设备检测", every page answered, the report, and "确定".
// Screenshots of every step.
// test-labels: xvfb
// test-libs: veltora_home
#include "tests/device/DeviceCheckTestSupport.h"

#include "app/CData.h"
#include "app/Room.h"
#include "ChildProcess.h"
#include "ClientLibTestControl.h"
#include "home/ClassListWidget.h"
#include "PulseFixture.h"


#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace devicetest;

namespace {

void press(QWidget* w)
{
    ASSERT_TRUE(w->isVisible()) << w->objectName().toStdString();
    ASSERT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

// The animal whose sound the library was last asked to play; -1 when none.
int playedAnimal(ClientLib* lib)
{
    QString path;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(lib))
        if (c.name == "PlayAudioFile")
            path = c.args.value(0).toString();
    const char* files[] = {"dog.mp3", "cat.mp3", "sheep.mp3", "cattle.mp3"};
    for (int i = 0; i < 4; ++i)
        if (path.endsWith(files[i]))
            return i;
    return -1;
}

}  // namespace

TEST(DeviceCheckWalk, FromTheHomeMenuThroughEveryPageToTheReport)
{
    QFile style(":/pub/respub/teacher.qss");
    if (style.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(style.readAll()));
    CData::instance()->ResetData(true);

    testsupport::PulseFixture pulse;
    if (!pulse.installed())
        GTEST_SKIP() << "pulseaudio is not installed";
    ASSERT_TRUE(pulse.start()) << pulse.error();
    qputenv("PULSE_SERVER", QByteArray::fromStdString(pulse.server()));
    ASSERT_FALSE(pulse.addSinkMicrophone("veltora_tone_mic", "ToneMic").empty());
    int tone = pulse.playTone(120);
    ASSERT_GT(tone, 0);
    static QWidget board;
    if (!Room::instance()->GetClientLib())
        Room::instance()->InitLib(&board);
    ClientLib* lib = Room::instance()->GetClientLib();
    ASSERT_NE(lib, nullptr);
    IMediaEngine::selectEngine(kMediaEngineClientLib);

    ClassListWidget home;
    auto* dialog = new DeviceCheckDialog(nullptr);
    home.SetDeviceCheckDialog(dialog);
    home.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&home));

    // The settings menu's first entry opens the check, centred on the screen.
    bool chosen = false;
    QTimer::singleShot(0, &home, [&] {
        QMenu* menu = nullptr;
        ASSERT_TRUE(testsupport::waitUntil([&] { return (menu = home.SettingMenu()) && menu->isVisible(); }));
        QAction* entry = menu->actions().value(0);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->text(), QString::fromUtf8("设备检测"));
        QTest::qWait(50);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
        chosen = true;
    });
    press(child(&home, "btnSetting"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return chosen && dialog->isVisible(); }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_EQ(dialog->parentWidget(), &home);
    screenshot(dialog, "device_check_walk_1_system.png");

    emit Room::instance()->sgRoomSpeed(2, 23);
    press(child(dialog, "nextPageBtn"));
    // "可以看到" once the camera's picture is in the preview.
    ASSERT_TRUE(testsupport::waitUntil([&] { return child(dialog, "canSeeBtn")->isVisible(); }));
    QTest::qWait(200);
    screenshot(dialog, "device_check_walk_2_camera.png");
    press(child(dialog, "canSeeBtn"));

    EXPECT_EQ(currentPage(dialog), DeviceCheckDialog::kSpeakerPage);
    ClientLibTestControl::ClearCalls(lib);
    press(child(dialog, "playBtn"));
    const int animal = playedAnimal(lib);
    ASSERT_GE(animal, 0);
    // The playback window runs its real length.
    ASSERT_TRUE(testsupport::waitUntil([&] { return child(dialog, "cannotHearBtn")->isEnabled(); }, 6000));
    const char* animals[] = {"auidoFileBtn_1", "auidoFileBtn_2", "auidoFileBtn_3", "auidoFileBtn_4"};
    press(child(dialog, animals[animal]));
    screenshot(dialog, "device_check_walk_3_speaker.png");
    press(child(dialog, "canHearBtn"));

    EXPECT_EQ(currentPage(dialog), DeviceCheckDialog::kMicrophonePage);
    // The tone microphone chosen from the list moves the level bar.
    auto* mics = child<QComboBox>(dialog, "microphoneDevicesCombox");
    const int toneMic = mics->findText("ToneMic");
    ASSERT_GE(toneMic, 0);
    mics->setCurrentIndex(toneMic);
    ASSERT_TRUE(testsupport::waitUntil([&] { return child(dialog, "micEnableBtn")->isEnabled(); }));
    QTest::qWait(200);
    screenshot(dialog, "device_check_walk_4_microphone.png");
    press(child(dialog, "micEnableBtn"));

    auto* table = dialog->findChild<QTableWidget*>("tableWidget");
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 4);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(table->item(r, 1)->text(), QString::fromUtf8("正常")) << r;
    screenshot(dialog, "device_check_walk_5_report.png");
    press(child(dialog, "sureBtn"));
    EXPECT_FALSE(dialog->isVisible());

    // Opened again from the menu: the answers and the report are still there.
    chosen = false;
    QTimer::singleShot(0, &home, [&] {
        QMenu* menu = nullptr;
        ASSERT_TRUE(testsupport::waitUntil([&] { return (menu = home.SettingMenu()) && menu->isVisible(); }));
        QTest::qWait(50);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().value(0)).center());
        chosen = true;
    });
    press(child(&home, "btnSetting"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return chosen && dialog->isVisible(); }));
    EXPECT_TRUE(dialog->isAllChecked());
    press(child(dialog, "closeBtn"));
    EXPECT_FALSE(dialog->isVisible());
    testsupport::stopChild(tone, 2000);
    IMediaEngine::selectEngine(kMediaEngineNone);
    qunsetenv("PULSE_SERVER");
}
