// The room's device settings as the teacher meets them: the gear opens the
// device dialog in both room kinds, the devices are busy (and the students
// told) only while a dialog is open, a live room's share stops while it is
// open and resumes after, the choices reach the client library and the
// settings file, the HD camera's clarity reaches the pusher, and leaving a
// room without having opened a dialog tells the students nothing.
#include "tests/mainwindow/RoomTestSupport.h"

#include "app/CSettings.h"
#include "device/CamDevSettingWidget.h"
#include "device/DeviceSettingDialog.h"
#include "mainwindow/shell/MainWindowUi.h"
#include "media/IMediaEngine.h"
#include "media/RoomMediaSetup.h"
#include "media/RtmpLivePusher.h"
#include "QtWait.h"
#include "widgets/MsgBox.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace roomtest;

namespace {

// The room window with the room's live pusher and player, as the program
// makes them before its window.
MainWindow* MakeMediaWindow()
{
    static const bool installed = [] {
        InstallRoomMedia();
        return true;
    }();
    (void)installed;
    return MakeWindow();
}

class DeviceSettingRoom : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        w = MakeMediaWindow();
        ui = w->Form();
        CData::instance()->StopTimer();
        ClearToasts();
        SignIn(GetParam());
        w->EnterRoom();
        ui->mainWidget->setEnabled(true);  // as after a successful room login
        dialog = w->findChild<DeviceSettingDialog*>();
        camSetting = w->findChild<CamDevSettingWidget*>();
        ClientLibTestControl::ClearCalls(Lib());
    }
    void TearDown() override
    {
        w->ConfirmBox()->hide();
        w->ExitRoom();
        RunDeferredDeletes();
        ClearToasts();
    }
    static QList<QVariantList> DeviceStates()
    {
        QList<QVariantList> out;
        for (const ClientLibCall& c : CallsNamed("ReportDeviceState"))
            out << c.args;
        return out;
    }
    static QVariantList Busy() { return {0, 0, QString::fromUtf8("老师正在进行设备调试")}; }
    static QVariantList Free() { return {-1, -1, QString()}; }

    MainWindow* w = nullptr;
    Ui::MainWindow* ui = nullptr;
    DeviceSettingDialog* dialog = nullptr;
    CamDevSettingWidget* camSetting = nullptr;
};

INSTANTIATE_TEST_SUITE_P(RoomKinds, DeviceSettingRoom, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) {
                             return std::string(i.param ? "LiveRoom" : "SmallRoom");
                         });

}  // namespace

TEST_P(DeviceSettingRoom, TheGearOpensTheDialogAndTheDevicesAreBusyOnlyWhileItIsOpen)
{
    CData* data = CData::instance();
    Room* room = Room::instance();
    const bool live = GetParam();
    if (live)
        room->StartShare(data->GetLiveMode());
    const int shareType = room->GetShareType();

    ui->btnSetting->click();
    ASSERT_TRUE(dialog->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_FALSE(camSetting->isVisible());
    EXPECT_TRUE(data->GetStatus(kStatusDevicesBusy));
    EXPECT_EQ(QList<QVariantList>{Busy()}, DeviceStates());
    if (live) {
        EXPECT_EQ(0, room->GetShareType()) << "the stream stops while the devices are chosen";
    }
    shelltest::Screenshot(dialog, live ? "room_device_setting_live.png" : "room_device_setting_small.png");

    // A second press only raises the open dialog.
    ui->btnSetting->click();
    EXPECT_EQ(1, DeviceStates().size());

    dialog->findChild<QPushButton*>("finishedBtn")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(data->GetStatus(kStatusDevicesBusy));
    EXPECT_EQ(QList<QVariantList>({Busy(), Free()}), DeviceStates());
    EXPECT_EQ(shareType, room->GetShareType()) << "the stream resumes as it was";

    if (live) {
        // The live-mode buttons work again.
        ui->btnDesk->click();
        EXPECT_EQ(3, data->GetLiveMode());
        ui->btnVideo->click();
        EXPECT_EQ(2, data->GetLiveMode());
    }
}

TEST_P(DeviceSettingRoom, LeavingWithoutOpeningTellsNothingAndLeavingWhileOpenEndsIt)
{
    w->ExitRoom();
    EXPECT_TRUE(DeviceStates().isEmpty()) << "the dialogs were never opened";

    SignIn(GetParam());
    w->EnterRoom();
    ui->mainWidget->setEnabled(true);
    ClientLibTestControl::ClearCalls(Lib());
    ui->btnSetting->click();
    ASSERT_TRUE(dialog->isVisible());
    w->ExitRoom();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(QList<QVariantList>({Busy(), Free()}), DeviceStates());
    EXPECT_FALSE(CData::instance()->GetStatus(kStatusDevicesBusy));
    for (const ClientLibCall& c : CallsNamed("SetPushInfo"))
        EXPECT_EQ(0, c.args.value(4).toInt()) << "nothing resumes in a room being left";

    SignIn(GetParam());
    w->EnterRoom();
    ui->mainWidget->setEnabled(true);
}

TEST(DeviceSettingRoomDualTeacher, WithThePartnerTeachingThePartnersPlayResumesNotTheShare)
{
    MainWindow* w = MakeMediaWindow();
    Ui::MainWindow* ui = w->Form();
    CData* data = CData::instance();
    Room* room = Room::instance();
    data->StopTimer();
    SignIn(true);
    w->EnterRoom();
    ui->mainWidget->setEnabled(true);
    const int classType = data->GetClassType();
    data->SetClassType(0, true);
    data->SetStatus(kStatusPartnerTeacher, 1);
    room->StartPlay(2, "partner-stream");
    ClientLibTestControl::ClearCalls(Lib());

    ui->btnSetting->click();
    auto* dialog = w->findChild<DeviceSettingDialog*>();
    ASSERT_TRUE(dialog->isVisible());
    dialog->findChild<QPushButton*>("finishedBtn")->click();
    EXPECT_EQ(2, room->GetPlayType());
    EXPECT_EQ("partner-stream", room->GetPlayStream());
    EXPECT_EQ(0, room->GetShareType()) << "the teacher's own stream stays off while the partner teaches";
    for (const ClientLibCall& c : CallsNamed("SetPushInfo"))
        EXPECT_EQ(0, c.args.value(4).toInt());

    data->SetStatus(kStatusPartnerTeacher, 0);
    data->SetClassType(classType, true);
    w->ExitRoom();
    RunDeferredDeletes();
}

TEST_P(DeviceSettingRoom, WithAnAuthorisedAppDeviceTheBusyStateStillEnds)
{
    CData::instance()->AddAuthAppDev(QVariantMap{{"userId", "app-1"}});
    ui->btnSetting->click();
    ClientLibTestControl::ClearCalls(Lib());
    dialog->findChild<QPushButton*>("closeBtn")->click();
    EXPECT_FALSE(CData::instance()->GetStatus(kStatusDevicesBusy));
    EXPECT_EQ(QList<QVariantList>{Free()}, DeviceStates());
    for (const ClientLibCall& c : CallsNamed("EnableVideoCapture"))
        EXPECT_TRUE(c.args.value(0).toBool()) << "the app device keeps the capture";
    CData::instance()->RemoveAuthAppDev("app-1");
}

TEST_P(DeviceSettingRoom, ChoicesReachTheLibraryAndTheSettingsButOpeningChangesNothing)
{
    QList<DevicePair> cameras, mics, speakers;
    IMediaEngine* engine = IMediaEngine::instance();
    engine->getVideoDevices(cameras);
    engine->getInputAudioDevices(mics);
    engine->getOutputAudioDevices(speakers);
    if (cameras.size() < 2 || mics.isEmpty() || speakers.isEmpty())
        GTEST_SKIP() << "the library lists too few devices";

    // A stored camera that is not plugged in stays stored while the dialog
    // merely opens.
    CSettings::instance()->SetValue("SelectCamera/DeviceName", "Unplugged Camera");
    ui->btnSetting->click();
    auto* camera = dialog->findChild<QComboBox*>("cameraComboBox");
    ASSERT_EQ(cameras.size(), camera->count());
    EXPECT_TRUE(CallsNamed("SetVideoDevice").isEmpty());
    EXPECT_TRUE(CallsNamed("SetInputAudioDevice").isEmpty());
    EXPECT_TRUE(CallsNamed("SetOutputAudioDevice").isEmpty());
    EXPECT_EQ("Unplugged Camera", CSettings::instance()->GetValue("SelectCamera/DeviceName").toString());

    camera->setCurrentIndex(1);
    const QList<ClientLibCall> set = CallsNamed("SetVideoDevice");
    ASSERT_EQ(1, set.size());
    EXPECT_EQ(cameras[1].second, set[0].args.value(0).toString());
    EXPECT_EQ(cameras[1].second, CSettings::instance()->GetValue("SelectCamera/DeviceName").toString());
    EXPECT_EQ(cameras[1].second, engine->getCurVideoDevice());
    EXPECT_TRUE(testsupport::waitUntil([] { return !CallsNamed("StartPreviewVideo").isEmpty(); }));

    auto* speaker = dialog->findChild<QComboBox*>("speakerComboBox");
    speaker->setCurrentIndex(speaker->count() - 1);
    if (speaker->count() > 1 || CallsNamed("SetOutputAudioDevice").size() == 1) {
        EXPECT_EQ(speakers.last().second,
                  CSettings::instance()->GetValue("SelectSpeaker/DeviceName").toString());
    }
    dialog->close();
    EXPECT_FALSE(CallsNamed("StopPreviewVideo").isEmpty());
}

TEST(DeviceSettingRoomHdCamera, TheClarityReachesThePusherAndTheHdShareResumes)
{
    MainWindow* w = MakeMediaWindow();
    Ui::MainWindow* ui = w->Form();
    CData::instance()->StopTimer();
    SignIn(true);
    w->EnterRoom();
    ui->mainWidget->setEnabled(true);
    auto* camSetting = w->findChild<CamDevSettingWidget*>();
    RtmpLivePusher* pusher = Room::instance()->GetLivePusher();
    ASSERT_NE(nullptr, pusher);
    RtmpPushParam before = pusher->GetPushParam();
    before.micName = "kept mic";
    pusher->SetPushParam(before);

    ui->btnHCam->click();
    ASSERT_TRUE(camSetting->isVisible());
    EXPECT_TRUE(CData::instance()->GetStatus(kStatusDevicesBusy));
    shelltest::Screenshot(camSetting, "room_cam_dev_setting.png");
    camSetting->findChild<QRadioButton*>("radioVideo2")->click();
    camSetting->findChild<QPushButton*>("finishedBtn")->click();

    const RtmpPushParam after = pusher->GetPushParam();
    EXPECT_EQ(2, after.videoMode);
    EXPECT_EQ("kept mic", after.micName);
    EXPECT_EQ(before.cameraName, after.cameraName);
    EXPECT_FALSE(CData::instance()->GetStatus(kStatusDevicesBusy));
    EXPECT_EQ(4, Room::instance()->GetShareType()) << "the HD camera share starts from the dialog";
    w->ExitRoom();
    RunDeferredDeletes();
}
