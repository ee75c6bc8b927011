// test-labels: e2e
// test-sources: ../app/UploadServices.cpp StreamPublisher.cpp
// test-libs: veltora_res
// The external encoder window: the device list and the device's relayed
// messages, start and stop on both pages with the click guard, leaving the
// room, and, end to end, an encoder (the ffmpeg CLI) told through the client
// library's relay to push to a local RTMP server, previewed by the room's
// live player.
#include "app/CData.h"
#include "app/CSettings.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "media/AvPlayer.h"
#include "media/ExtPushWidget.h"
#include "media/QAVPlayer.h"
#include "media/QtAVRtmpPlayer.h"
#include "media/RoomMediaSetup.h"
#include "NginxFixture.h"
#include "QtWait.h"
#include "TestPaths.h"
#include "tests/app/UploadServices.h"
#include "tests/media/StreamPublisher.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include <fstream>
#include <memory>

using uploadtest::Services;

namespace {

// The process's services, RTMP server and room (libraries and live media),
// made once.
struct World {
    testsupport::NginxFixture nginx{[] {
        testsupport::NginxFixture::Options o;
        o.rtmp = true;
        o.rtmpApp = "video";
        return o;
    }()};
    std::unique_ptr<testsupport::ScopedEnv> endpoints;
    QWidget board;
    QWidget display;
    bool ok = false;

    World()
    {
        Services& services = Services::instance();
        const std::string file = services.home().home() + "/push-endpoints.ini";
        std::ofstream(file) << "[production]\nconfig=" << services.url("") << "\nlog=" << services.url("") << "\n";
        endpoints = std::make_unique<testsupport::ScopedEnv>("VELTORA_ENDPOINTS", file);
        if (!nginx.start())
            return;
        // Three lines; the second is the default.
        const std::string host = "127.0.0.1:" + std::to_string(nginx.rtmpPort());
        std::string lines = R"({"mediaLine":[)";
        for (int i = 0; i < 3; ++i) {
            const std::string h = i == 1 ? host : "line" + std::to_string(i) + ".example";
            lines += std::string(i ? "," : "") + R"({"key":"k)" + std::to_string(i) + R"(","title":"L","default":)" +
                     (i == 1 ? "true" : "false") + R"(,"pushUrl":")" + h + R"(","pullUrl":")" + h +
                     R"(","deskTopPushUrl":")" + h + R"(","deskTopPullUrl":")" + h + R"("})";
        }
        lines += "]}";
        services.script("/pc/TeaMediaLine.json", 200, lines);
        CData* data = CData::instance();
        data->SetLoginVar({"tok", "live9", "teacher1", "T", "g1", "2"});
        for (int round = 0; round < 5 && data->GetMgLineInfo()["count"].toInt() == 0; ++round) {
            do
                data->onUpdateTimer();
            while (data->GetTick() % 4 != 0);
            testsupport::waitUntil([&] { return data->GetMgLineInfo()["count"].toInt() != 0; }, 4000);
        }
        Room* room = Room::instance();
        InstallRoomMedia();
        room->InitLib(&board);
        display.resize(320, 180);
        RtmpPlayParam p = room->GetLivePlayer()->GetPlayParam();
        p.renderWidget = &display;
        room->GetLivePlayer()->SetPlayParam(p);
        ok = data->GetMgLineInfo()["count"].toInt() == 3 && room->GetClientLib();
    }
};

World* g_world = nullptr;

World& world()
{
    if (!g_world)
        g_world = new World;
    return *g_world;
}

// The world goes while the application still runs: the libraries first,
// then the widgets and the server.
class WorldEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (!g_world)
            return;
        Room::instance()->ReleaseLib();
        delete g_world;
        g_world = nullptr;
    }
};
const ::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new WorldEnvironment);

class ExtPush : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(world().ok) << world().nginx.error();
        CData::instance()->SetExtPush(false);
        ClientLibTestControl::ClearCalls(lib());
        widget = std::make_unique<ExtPushWidget>(&mainWindow);
        widget->SetClockForTests([this] { return now; });
    }
    void TearDown() override
    {
        widget.reset();
        Room::instance()->StopPlay(true);
        CData::instance()->SetExtPush(false);
    }
    static ClientLib* lib() { return Room::instance()->GetClientLib(); }
    template <typename T>
    T* child(const char* name)
    {
        T* w = widget->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char* label) { return child<QLabel>(label)->text(); }
    // Ctrl+Shift+A on the window (made the active one first).
    void switchMode()
    {
        QApplication::setActiveWindow(widget.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget.get()));
        QTest::keyClick(widget.get(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    }
    // Clicks btnOk at the virtual time ms.
    void clickOk(qint64 ms)
    {
        now = ms;
        QTest::mouseClick(child<QPushButton>("btnOk"), Qt::LeftButton);
    }
    // The device commands sent through the library.
    static QList<QVariantMap> commands()
    {
        QList<QVariantMap> out;
        for (const ClientLibCall& c : ClientLibTestControl::Calls(lib()))
            if (c.name == "SendCommand")
                out << c.args.value(0).toMap();
        return out;
    }
    static QVariantMap deviceList(const QVariantMap& devices)
    {
        return {{"command", "DeviceList"}, {"devices", devices}};
    }
    static QVariantMap tranMsg(const QString& json) { return {{"command", "TransMsg"}, {"msgJson", json}}; }
    QStringList toasts()
    {
        QStringList out;
        for (Toast* t : widget->findChildren<Toast*>())
            out << t->findChild<QLabel*>("label")->text();
        return out;
    }
    QStringList boxes()
    {
        QStringList out;
        for (MsgBox* b : widget->findChildren<MsgBox*>())
            out << b->findChild<QLabel*>("labMsg")->text();
        return out;
    }

    QWidget mainWindow;
    std::unique_ptr<ExtPushWidget> widget;
    qint64 now = 1000000;
};

TEST_F(ExtPush, OpensForTheMediaLinesWithItsForm)
{
    EXPECT_FALSE(widget->isVisible());
    EXPECT_EQ(widget->objectName(), "ExtPushWidget");
    EXPECT_EQ(widget->size(), QSize(532, 346));
    EXPECT_TRUE(widget->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(widget->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(child<QStackedWidget>("mainStackWdg")->currentWidget(), child<QWidget>("pageAutoWdg"));

    QSignalSpy shown(widget.get(), &ExtPushWidget::sgExtPushShow);
    mainWindow.show();
    widget->ShowExtPush();
    ASSERT_EQ(shown.count(), 1);
    EXPECT_TRUE(shown.at(0).at(0).toBool());
    EXPECT_TRUE(widget->isVisible());
    for (int i = 1; i <= 6; ++i) {
        auto* line = child<QRadioButton>(QString("radioButton_%1").arg(i).toUtf8().constData());
        EXPECT_EQ(line->isVisible(), i <= 3) << i;
        EXPECT_EQ(line->isChecked(), i == 2) << i;
    }
    const QString addr = CData::instance()->GetDeskTopPushUrl();
    EXPECT_EQ(child<QLineEdit>("lineAddr")->text(), addr);
    EXPECT_TRUE(child<QLineEdit>("lineName")->text().startsWith("liveRecord_g1_"));
    EXPECT_EQ(child<QLineEdit>("lineGuid")->text(), CSettings::instance()->GetValue("App/AppExtGuid").toString());
    EXPECT_EQ(child<QPushButton>("btnOk")->text(), "开始直播");
    widget->SetConnectState(false, "refused");
    EXPECT_EQ(text("labConInfo"), "连接服务失败 refused");
    widget->OnExtPushTranMsg(deviceList({{"Studio encoder", "dev-1"}}));
    QTest::qWait(50);
    widget->grab().save(QString::fromStdString(testsupport::screenshotPath("ext_push_device_page.png")));
    widget->SetConnectState(true, "");
    EXPECT_TRUE(text("labConInfo").isEmpty());

    // A line switch changes the address, not the stream name.
    const QString name = child<QLineEdit>("lineName")->text();
    QTest::mouseClick(child<QRadioButton>("radioButton_1"), Qt::LeftButton);
    EXPECT_EQ(CData::instance()->GetMgLineInfo()["line"].toInt(), 0);
    EXPECT_EQ(child<QLineEdit>("lineAddr")->text(), "rtmp://line0.example/video/");
    EXPECT_EQ(child<QLineEdit>("lineName")->text(), name);
    QTest::mouseClick(child<QRadioButton>("radioButton_2"), Qt::LeftButton);
    EXPECT_EQ(child<QLineEdit>("lineAddr")->text(), addr);

    // Ctrl+Shift+A flips the page while idle.
    switchMode();
    EXPECT_EQ(child<QStackedWidget>("mainStackWdg")->currentWidget(), child<QWidget>("pageManualWdg"));
    widget->grab().save(QString::fromStdString(testsupport::screenshotPath("ext_push_manual_page.png")));

    // Closing hides and says so.
    QTest::mouseClick(child<QPushButton>("btnClose"), Qt::LeftButton);
    EXPECT_FALSE(widget->isVisible());
    ASSERT_EQ(shown.count(), 2);
    EXPECT_FALSE(shown.at(1).at(0).toBool());
}

TEST_F(ExtPush, DeviceListsChooseAndKeepTheCurrentDevice)
{
    auto* combo = child<QComboBox>("cmbDevice");
    widget->OnExtPushTranMsg(deviceList({{"B", "b"}, {"A", "a"}}));
    EXPECT_EQ(widget->CurrentDeviceId(), "a");
    EXPECT_EQ(text("labObsNum"), "2台");
    EXPECT_EQ(text("labDevStatus"), "设备正常");
    EXPECT_EQ(combo->currentText(), "A");

    combo->setCurrentIndex(1);
    EXPECT_EQ(widget->CurrentDeviceId(), "b");
    QSignalSpy rebuilt(combo, QOverload<int>::of(&QComboBox::currentIndexChanged));
    widget->OnExtPushTranMsg(deviceList({{"A", "a"}, {"B", "b"}, {"C", "c"}}));
    EXPECT_EQ(widget->CurrentDeviceId(), "b");
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentText(), "B");
    EXPECT_GT(rebuilt.count(), 0) << "the list changed: rebuilt";
    rebuilt.clear();
    widget->OnExtPushTranMsg(deviceList({{"A", "a"}, {"B", "b"}, {"C", "c"}}));
    EXPECT_EQ(rebuilt.count(), 0) << "the same list leaves the combo box alone";

    // The chosen device goes away: the first listed one is taken.
    widget->OnExtPushTranMsg(deviceList({{"C", "c"}, {"D", "d"}}));
    EXPECT_EQ(widget->CurrentDeviceId(), "c");
    EXPECT_EQ(text("labDevStatus"), "设备正常");

    // Anything but a map is an empty list.
    for (const QVariant& devices : {QVariant(QVariantMap()), QVariant("nonsense"), QVariant()}) {
        widget->OnExtPushTranMsg(QVariantMap{{"command", "DeviceList"}, {"devices", devices}});
        EXPECT_EQ(text("labObsNum"), "0台");
        EXPECT_EQ(text("labDevStatus"), "设备异常");
        EXPECT_EQ(combo->count(), 0);
        EXPECT_TRUE(widget->CurrentDeviceId().isEmpty());
    }
}

TEST_F(ExtPush, ManualPageStartsAtOnceBehindTheClickGuard)
{
    mainWindow.show();
    widget->ShowExtPush();
    switchMode();
    QSignalSpy started(widget.get(), &ExtPushWidget::sgExtPushStart);
    const QString name = child<QLineEdit>("lineName")->text();
    clickOk(10000);
    clickOk(12999);
    ASSERT_EQ(started.count(), 1) << "the second click came within 3 s";
    EXPECT_EQ(started.at(0), (QList<QVariant>{true, name}));
    EXPECT_TRUE(CData::instance()->IsExtPush());
    EXPECT_FALSE(child<QPushButton>("btnClose")->isVisible());
    EXPECT_EQ(child<QPushButton>("btnOk")->text(), "结束直播");
    EXPECT_TRUE(commands().isEmpty());
    EXPECT_EQ(Room::instance()->GetLivePlayer()->GetPlayParam().playUrl, child<QLineEdit>("lineAddr")->text() + name);

    // While pushing the page stays, the preview can start.
    switchMode();
    EXPECT_EQ(child<QStackedWidget>("mainStackWdg")->currentWidget(), child<QWidget>("pageManualWdg"));
    EXPECT_TRUE(toasts().contains("请先结束直播后，再切换串流方式!"));
    widget->ReStartPush();
    ASSERT_EQ(started.count(), 2);
    EXPECT_EQ(started.at(1), (QList<QVariant>{true, name}));

    clickOk(13000);
    ASSERT_EQ(started.count(), 3);
    EXPECT_EQ(started.at(2), (QList<QVariant>{false, name}));
    EXPECT_FALSE(CData::instance()->IsExtPush());
    EXPECT_TRUE(Room::instance()->GetLivePlayer()->GetPlayParam().playUrl.isEmpty());
    widget->ReStartPush();
    EXPECT_EQ(started.count(), 3) << "nothing to restart while idle";
    // Preview while idle: only the toast.
    now = 20000;
    QTest::mouseClick(child<QPushButton>("btnPreview"), Qt::LeftButton);
    EXPECT_TRUE(toasts().contains("请开始直播后，再开始直播预览"));
}

TEST_F(ExtPush, DeviceMessagesAreCheckedAndMalformedOnesIgnored)
{
    mainWindow.show();
    widget->ShowExtPush();
    QSignalSpy started(widget.get(), &ExtPushWidget::sgExtPushStart);
    // No device: the start is refused.
    clickOk(10000);
    EXPECT_FALSE(CData::instance()->IsExtPush());
    EXPECT_TRUE(toasts().contains("当前无obs设备在线，无法开始直播"));

    widget->OnExtPushTranMsg(deviceList({{"Studio", "dev-1"}}));
    clickOk(20000);
    EXPECT_TRUE(CData::instance()->IsExtPush());
    EXPECT_FALSE(child<QComboBox>("cmbDevice")->isEnabled());
    const QString addr = child<QLineEdit>("lineAddr")->text();
    const QString name = child<QLineEdit>("lineName")->text();
    ASSERT_EQ(commands().size(), 1);
    EXPECT_EQ(commands()[0], (QVariantMap{{"command", "StartStreamRq"}, {"desId", "dev-1"}, {"rtmpAddr", addr},
                                          {"rtmpName", name}}));
    EXPECT_EQ(started.count(), 0) << "the device page waits for the device";

    struct Case {
        QString json;
        int boxes;  // message boxes after it
        QString box;
    };
    const Case cases[] = {
        {"", 0, ""},
        {"{bad json", 0, ""},
        {"[1,2]", 0, ""},
        {R"({"command":"StartStreamRs","code":"0","message":"ok"})", 0, ""},
        // A numeric code is no "0": a failure.
        {R"({"command":"StartStreamRs","code":0,"message":"busy"})", 1, "busy"},
        {R"({"command":"StartStreamBc","code":"0","rtmpAddr":")" + addr + R"(","rtmpName":")" + name + "x\"}", 2,
         "rtmp流名称校验失败，开始直播失败。"},
        {R"({"command":"NoSuchCommand","code":"0"})", 2, ""},
        {R"({"command":"SendMessage","code":"0","message":" hello"})", 3, "dev-1 hello"},
    };
    for (const Case& c : cases) {
        widget->OnExtPushTranMsg(tranMsg(c.json));
        const QStringList shown = boxes();
        EXPECT_EQ(shown.size(), c.boxes) << c.json.toStdString();
        if (!c.box.isEmpty()) {
            EXPECT_TRUE(shown.contains(c.box)) << c.json.toStdString();
        }
    }
    EXPECT_EQ(started.count(), 0);
    EXPECT_TRUE(CData::instance()->IsExtPush());

    widget->OnExtPushTranMsg(tranMsg(R"({"command":"StartStreamBc","code":"0","rtmpAddr":")" + addr +
                                     R"(","rtmpName":")" + name + "\"}"));
    ASSERT_EQ(started.count(), 1);
    EXPECT_EQ(started.at(0), (QList<QVariant>{true, name}));
    EXPECT_EQ(text("labDevStatus"), "设备直播中");
    EXPECT_TRUE(toasts().contains("dev-1 开始推流。"));

    // The device drops off the list while pushing: the teacher is told.
    widget->OnExtPushTranMsg(deviceList({{"Other", "dev-2"}}));
    EXPECT_EQ(text("labDevStatus"), "设备异常");
    EXPECT_TRUE(boxes().contains("dev-1 掉线，请重新开始直播。"));
    EXPECT_EQ(widget->CurrentDeviceId(), "dev-2");
    EXPECT_EQ(child<QPushButton>("btnOk")->text(), "结束直播");
}

TEST_F(ExtPush, LeavingTheRoomEndsEveryPushAndAnnouncesTheStop)
{
    struct Case {
        const char* what;
        bool manual;
        bool visible;
        bool device;
        bool command;  // StopStreamRq sent
    };
    const Case cases[] = {
        {"device page, shown", false, true, true, true},
        {"device page, hidden", false, false, true, true},
        {"manual page, shown", true, true, false, false},
        {"manual page, hidden", true, false, false, false},
    };
    for (const Case& c : cases) {
        widget = std::make_unique<ExtPushWidget>(&mainWindow);
        widget->SetClockForTests([this] { return now; });
        mainWindow.show();
        widget->ShowExtPush();
        if (c.manual)
            switchMode();
        if (c.device)
            widget->OnExtPushTranMsg(deviceList({{"Studio", "dev-1"}}));
        clickOk(now + 5000);
        ASSERT_TRUE(CData::instance()->IsExtPush()) << c.what;
        if (!c.visible)
            widget->hide();
        ClientLibTestControl::ClearCalls(lib());
        QSignalSpy started(widget.get(), &ExtPushWidget::sgExtPushStart);
        widget->ResetData(true);
        EXPECT_FALSE(CData::instance()->IsExtPush()) << c.what;
        EXPECT_FALSE(widget->isVisible()) << c.what;
        ASSERT_EQ(started.count(), 1) << c.what;
        EXPECT_FALSE(started.at(0).at(0).toBool()) << c.what;
        EXPECT_EQ(commands().size(), c.command ? 1 : 0) << c.what;
        if (c.command) {
            EXPECT_EQ(commands()[0], (QVariantMap{{"command", "StopStreamRq"}, {"desId", "dev-1"}}));
        }
        EXPECT_TRUE(widget->CurrentDeviceId().isEmpty());
        EXPECT_EQ(text("labObsNum"), "0台");
    }
}

TEST_F(ExtPush, AnEncoderPushesAndThePreviewShowsItsPictures)
{
    // The main window's road for the library's commands.
    QObject::connect(Room::instance(), &Room::sgClientLibCmd, widget.get(), [this](int code, QVariant var) {
        if (code == RsC_ExtPush_Message)
            widget->OnExtPushTranMsg(var);
    });
    QSignalSpy started(widget.get(), &ExtPushWidget::sgExtPushStart);
    QSignalSpy played(widget.get(), &ExtPushWidget::sgExtPushPlay);
    mainWindow.show();
    widget->ShowExtPush();
    ClientLibTestControl::InjectCommand(lib(), RsC_ExtPush_Message,
                                        QVariantMap{{"command", "DeviceList"},
                                                    {"devices", QVariantMap{{"Encoder", "enc-1"}}}});
    ASSERT_TRUE(testsupport::waitUntil([&] { return widget->CurrentDeviceId() == "enc-1"; }));
    clickOk(10000);
    ASSERT_EQ(commands().size(), 1);

    // The encoder takes the command and pushes where it was told.
    const QVariantMap cmd = commands()[0];
    mediatest::StreamPublisher encoder;
    mediatest::PublishOptions publish;
    publish.picture = "testsrc2";
    ASSERT_TRUE(encoder.start((cmd["rtmpAddr"].toString() + cmd["rtmpName"].toString()).toStdString(), publish));
    const QString bc = QString(R"({"command":"StartStreamBc","code":"0","rtmpAddr":"%1","rtmpName":"%2"})")
                           .arg(cmd["rtmpAddr"].toString(), cmd["rtmpName"].toString());
    ClientLibTestControl::InjectCommand(lib(), RsC_ExtPush_Message,
                                        QVariantMap{{"command", "TransMsg"}, {"fromId", "enc-1"}, {"msgJson", bc}});
    ASSERT_TRUE(testsupport::waitUntil([&] { return started.count() == 1; }));
    EXPECT_EQ(started.at(0), (QList<QVariant>{true, cmd["rtmpName"]}));

    // The preview plays the pushed stream through the room's live player.
    now = 20000;
    QTest::mouseClick(child<QPushButton>("btnPreview"), Qt::LeftButton);
    ASSERT_EQ(played.count(), 1);
    EXPECT_TRUE(played.at(0).at(0).toBool());
    EXPECT_EQ(child<QPushButton>("btnPreview")->text(), "停止直播预览");
    EXPECT_EQ(Room::instance()->GetPlayType(), 4);
    world().display.show();
    auto* player = qobject_cast<QtAVRtmpPlayer*>(Room::instance()->GetLivePlayer());
    ASSERT_NE(player, nullptr);
    AvPlayer* core = player->player()->player();
    bool shown = false;
    for (int tick = 1; tick <= 100 && !shown; ++tick) {
        emit CData::instance()->sgTimerUpdate(tick);
        shown = testsupport::waitUntil([&] { return core->picturesShown() >= 5; }, 300);
    }
    ASSERT_TRUE(shown) << "pictures " << core->picturesShown();
    world().display.grab().save(QString::fromStdString(testsupport::screenshotPath("ext_push_preview.png")));

    // Stopping the push stops the preview; the device confirms the stop.
    clickOk(30000);
    EXPECT_FALSE(player->IsPlaying());
    ASSERT_EQ(played.count(), 2);
    EXPECT_FALSE(played.at(1).at(0).toBool());
    ASSERT_EQ(commands().size(), 2);
    EXPECT_EQ(commands()[1]["command"], "StopStreamRq");
    ClientLibTestControl::InjectCommand(
        lib(), RsC_ExtPush_Message,
        QVariantMap{{"command", "TransMsg"}, {"msgJson", R"({"command":"StopStreamBc","code":"0"})"}});
    ASSERT_TRUE(testsupport::waitUntil([&] { return started.count() == 2; }));
    EXPECT_EQ(started.at(1), (QList<QVariant>{false, QString()}));
    EXPECT_EQ(text("labDevStatus"), "设备正常");
    encoder.stop();
}

}  // namespace
