// The device check dialog as built: its form (names, texts, sizes, the pages
// shown first, the hidden help links and system rows), the device lists it
// fills from the engine without changing any device, choosing devices, the
// help tip and the page switches' effects on preview, sound and monitoring.
#include "tests/device/DeviceCheckTestSupport.h"

#include "app/Room.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

using namespace devicetest;

namespace {

struct Fixture : CheckFixture {
    explicit Fixture(void (*setUp)(ScriptedEngine&) = standardDevices) : CheckFixture(setUp, false) {}
    void go(int page) { click(stepNames[page]); }
    static constexpr const char* stepNames[] = {"systemPageBtn", "cameraPageBtn", "speakerPageBtn", "micPageBtn"};
};

}  // namespace

TEST(DeviceCheckForm, TextsSizesAndFirstPages)
{
    Fixture f;
    QWidget* w = f.w();
    EXPECT_EQ(w->size(), QSize(574, 550));
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(w->isVisible());

    const struct {
        const char* name;
        const char* text;
    } texts[] = {
        {"titleLabel", "设备检测"},        {"nextPageBtn", "下一步"},         {"label_29", "您能看到左边视频画面吗？"},
        {"btnNoCamTip", "看不到视频,点击这里"}, {"cannotSeeBtn", "不可以看到"},  {"canSeeBtn", "可以看到"},
        {"auidoFileBtn_1", "狗叫声"},      {"auidoFileBtn_2", "猫叫声"},      {"auidoFileBtn_3", "羊叫声"},
        {"auidoFileBtn_4", "牛叫声"},      {"cannotHearBtn", "不可以听到"},   {"canHearBtn", "可以听到"},
        {"micDisableBtn", "不可以看到波动"}, {"micEnableBtn", "可以看到音量波动"}, {"label_13", "网络延迟："},
        {"label_14", "-"},                 {"label_25", "No DevicesPage"},
    };
    for (const auto& t : texts) {
        QWidget* c = child(w, t.name);
        ASSERT_NE(c, nullptr);
        const QString text = c->property("text").toString();
        EXPECT_EQ(text, QString::fromUtf8(t.text)) << t.name;
    }
    // The check starts on the system page with the level bar's page ready.
    EXPECT_EQ(currentPage(w), DeviceCheckDialog::kSystemPage);
    EXPECT_TRUE(child<QAbstractButton>(w, "systemPageBtn")->isChecked());
    EXPECT_EQ(child<QStackedWidget>(w, "microphoneStackedWidget")->currentWidget(), child(w, "normalWidget"));
    EXPECT_EQ(child(w, "previewWidget")->geometry(), QRect(30, 30, 171, 141));

    // Only the camera tip link is offered; the record test button is hidden.
    for (const char* hidden : {"badNetworkHelpBtn", "camerExceptHelpBtn", "microphoneExceptHelpBtn",
                               "speakerExceptHelpBtn", "testMicrophoneBtn"})
        EXPECT_TRUE(child(w, hidden)->isHidden()) << hidden;
    EXPECT_FALSE(child(w, "btnNoCamTip")->isHidden());

    // Four system rows: operating system, processor, memory, delay.
    auto* grid = w->findChild<QGridLayout*>("gridLayout");
    ASSERT_NE(grid, nullptr);
    for (int row = 0; row < 9; ++row) {
        const bool shown = row == 1 || row == 2 || row == 3 || row == 7;
        for (int column = 0; column < 2; ++column)
            EXPECT_EQ(grid->itemAtPosition(row, column)->widget()->isHidden(), !shown) << row << "," << column;
    }
    EXPECT_TRUE(child<QLabel>(w, "label_4")->text().startsWith("window "));
    EXPECT_TRUE(child<QLabel>(w, "label_6")->text().startsWith("Total:"));
    EXPECT_EQ(child(w, "label_3")->property("group").toString(), "even");
    EXPECT_EQ(child(w, "label_18")->property("group").toString(), "odd");
    EXPECT_EQ(child(w, "label")->property("group").toString(), "account");

    // Volumes from the engine, clamped.
    EXPECT_EQ(child<QLabel>(w, "speakerLevelLabel")->text(), "72");
    EXPECT_EQ(child<QLabel>(w, "micVolumeLevelLabel")->text(), "45");
    Fixture loud([](ScriptedEngine& e) {
        e.speakerVolume = 180;
        e.micVolume = -4;
    });
    EXPECT_EQ(child<QSlider>(loud.w(), "speakerVolumeSlider")->value(), 100);
    EXPECT_EQ(child<QLabel>(loud.w(), "micVolumeLevelLabel")->text(), "0");
}

TEST(DeviceCheckForm, ListsShowTheEngineDevicesWithoutChangingThem)
{
    struct Case {
        const char* name;
        QList<DevicePair> list;
        QString current;
        QStringList items;  // texts
        int selected;
    };
    const Case cases[] = {
        {"current listed", devices({"a", "b", "c"}), "b", {"Device a", "Device b", "Device c"}, 1},
        {"current missing", devices({"a", "b"}), "x", {"Device a", "Device b"}, 0},
        {"current twice: the later one", {{"a", "A"}, {"b", "B"}, {"a", "A again"}}, "a", {"A", "B", "A again"}, 2},
        {"none", {}, "a", {"<placeholder>"}, 0},
    };
    const char* placeholders[] = {"没有找到摄像头", "没有找到扬声器", "没有找到麦克风"};
    const char* combos[] = {"cameraDevicesComboBox", "speakerDevicesCombox", "microphoneDevicesCombox"};
    for (const Case& c : cases) {
        ScriptedEngine engine;
        engine.cameras = engine.speakers = engine.mics = c.list;
        engine.curCamera = engine.curSpeaker = engine.curMic = c.current;
        DeviceCheckDialog dialog(nullptr, [&] { return &engine; });
        for (int k = 0; k < 3; ++k) {
            auto* box = child<QComboBox>(&dialog, combos[k]);
            QStringList items;
            for (int i = 0; i < box->count(); ++i)
                items << box->itemText(i);
            QStringList expected = c.items;
            expected.replaceInStrings("<placeholder>", QString::fromUtf8(placeholders[k]));
            EXPECT_EQ(items, expected) << c.name << " " << combos[k];
            EXPECT_EQ(box->currentIndex(), c.selected) << c.name << " " << combos[k];
            if (c.list.isEmpty()) {
                EXPECT_FALSE(box->itemData(0).isValid()) << c.name;
            }
        }
        for (const char* change : {"setCamera:", "setSpeaker:", "setMic:"})
            EXPECT_FALSE(engine.hasPrefix(change)) << c.name << " " << change;
    }
}

TEST(DeviceCheckForm, ChoosingDevicesSetsThemThroughTheEngine)
{
    Fixture f;
    f.engine.calls.clear();
    child<QComboBox>(f.w(), "cameraDevicesComboBox")->setCurrentIndex(0);
    child<QComboBox>(f.w(), "speakerDevicesCombox")->setCurrentIndex(0);
    child<QComboBox>(f.w(), "microphoneDevicesCombox")->setCurrentIndex(0);
    child<QSlider>(f.w(), "speakerVolumeSlider")->setValue(30);
    child<QSlider>(f.w(), "microhoneVolumeSlider")->setValue(60);
    EXPECT_EQ(f.engine.calls, (QStringList{"prepareCamera", "setCamera:cam0", "setSpeaker:spk0", "prepareMic",
                                           "monitor:1", "setMic:mic0", "spkVol:30", "micVol:60"}));
    EXPECT_EQ(child<QLabel>(f.w(), "speakerLevelLabel")->text(), "30");
    EXPECT_EQ(child<QLabel>(f.w(), "micVolumeLevelLabel")->text(), "60");

    // The "nothing found" items change nothing.
    Fixture none([](ScriptedEngine&) {});
    none.engine.calls.clear();
    for (const char* name : {"cameraDevicesComboBox", "speakerDevicesCombox", "microphoneDevicesCombox"}) {
        auto* box = child<QComboBox>(none.w(), name);
        box->addItem("other", QVariant());
        box->setCurrentIndex(1);
        box->setCurrentIndex(0);
    }
    EXPECT_TRUE(none.engine.calls.isEmpty()) << none.engine.calls.join(",").toStdString();
}

TEST(DeviceCheckForm, PageSwitchesStopWhatTheLeftPageStarted)
{
    Fixture f;
    f.dialog->show();
    f.go(DeviceCheckDialog::kCameraPage);
    ASSERT_TRUE(testsupport::waitUntil([&] { return f.engine.count("preview:on") == 1; }));
    EXPECT_EQ(f.engine.previewWindow, reinterpret_cast<quintptr>(child(f.w(), "previewWidget")));

    // The page shown already: nothing restarts.
    f.go(DeviceCheckDialog::kCameraPage);
    QTest::qWait(20);
    EXPECT_EQ(f.engine.count("preview:on"), 1);

    f.go(DeviceCheckDialog::kSpeakerPage);
    EXPECT_EQ(f.engine.count("preview:off"), 1);
    child<QPushButton>(f.w(), "playBtn")->click();
    EXPECT_FALSE(f.engine.playing.isEmpty());
    EXPECT_TRUE(f.w()->findChild<QTimer*>("playTimer")->isActive());

    f.engine.calls.clear();
    f.go(DeviceCheckDialog::kMicrophonePage);
    EXPECT_TRUE(f.engine.playing.isEmpty());
    EXPECT_FALSE(f.w()->findChild<QTimer*>("playTimer")->isActive());
    EXPECT_TRUE(f.engine.calls.contains("monitor:1"));

    // Back on the camera page the preview starts again from the widget's show.
    f.go(DeviceCheckDialog::kCameraPage);
    ASSERT_TRUE(testsupport::waitUntil([&] { return f.engine.count("preview:on") == 1; }));
}

TEST(DeviceCheckForm, EveryHelpLinkShowsTheCameraTipsAboveItself)
{
    Fixture f;
    f.dialog->show();
    f.go(DeviceCheckDialog::kCameraPage);
    for (const char* link : {"btnNoCamTip", "badNetworkHelpBtn", "camerExceptHelpBtn", "microphoneExceptHelpBtn",
                             "speakerExceptHelpBtn"}) {
        auto* button = child<QAbstractButton>(f.w(), link);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            QMenu* menu = nullptr;
            ASSERT_TRUE(testsupport::waitUntil([&] {
                menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                return menu && menu->isVisible();
            }));
            QStringList tips;
            for (QLabel* l : menu->findChildren<QLabel*>())
                tips << l->text();
            EXPECT_EQ(tips.size(), 5);
            EXPECT_TRUE(tips.contains(QString::fromUtf8("2.确认摄像头已连接并开启")));
            EXPECT_TRUE(tips.contains(QString::fromUtf8("5.尝试重启程序或重启电脑")));
            if (QString(link) == "btnNoCamTip") {
                EXPECT_LE(menu->geometry().bottom(), button->mapToGlobal(QPoint(0, 0)).y() + 2);
                screenshot(menu, "device_check_tip.png");
            }
            seen = true;
            menu->close();
        });
        button->click();
        EXPECT_TRUE(seen) << link;
    }
}
