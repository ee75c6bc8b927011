// The room window's tool bar: live-mode buttons and their faces, the guards
// of open device windows, the recording button's questions in a normal and
// an MP4 room, the placement of side panels, and the recording size.
#include "tests/mainwindow/RoomTestSupport.h"

#include "device/CamDevSettingWidget.h"
#include "device/DeviceSettingDialog.h"
#include "mainwindow/popups/SwitchBKWidget.h"
#include "media/ExtPushWidget.h"
#include "media/OBSSettingWindow.h"
#include "mainwindow/shell/MainWindowUi.h"
#include "widgets/MsgBox.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace roomtest;

namespace {

QString Face(const char* file)
{
    return QString("QPushButton{ border-image: url(:/main/res/main/%1); }").arg(QLatin1String(file));
}

QStringList BoxTexts(MsgBox* box)
{
    QStringList texts;
    for (QLabel* l : box->findChildren<QLabel*>())
        texts << l->text();
    for (QPushButton* b : box->findChildren<QPushButton*>())
        if (b->isVisibleTo(box))
            texts << b->text();
    return texts;
}

class RoomToolbarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = MakeWindow();
        ui = w->Form();
        CData::instance()->StopTimer();
        ClearToasts();
        SignIn(true);
        w->EnterRoom();
        ui->mainWidget->setEnabled(true);  // as after a successful room login
    }
    void TearDown() override
    {
        w->ConfirmBox()->hide();
        w->ExitRoom();
        RunDeferredDeletes();
        ClearToasts();
    }
    MainWindow* w = nullptr;
    Ui::MainWindow* ui = nullptr;
};

}  // namespace

TEST_F(RoomToolbarTest, VideoButtonTogglesCameraAndAudio)
{
    CData* data = CData::instance();
    ASSERT_EQ(2, data->GetLiveMode());
    ui->btnVideo->click();
    EXPECT_EQ(1, data->GetLiveMode());
    EXPECT_EQ(QString::fromUtf8("音频直播"), ui->btnVideo->toolTip());
    EXPECT_EQ(Face("lv_mic1.png"), ui->btnVideo->styleSheet());
    shelltest::Screenshot(w, "room_toolbar_audio.png");
    ui->btnVideo->click();
    EXPECT_EQ(2, data->GetLiveMode());
    EXPECT_EQ(QString::fromUtf8("视频直播"), ui->btnVideo->toolTip());
    EXPECT_EQ(Face("lv_camer2.png"), ui->btnVideo->styleSheet());
}

TEST_F(RoomToolbarTest, DesktopAndHdCameraSwitchModeAndFaces)
{
    CData* data = CData::instance();
    ui->btnDesk->click();
    EXPECT_EQ(3, data->GetLiveMode());
    EXPECT_EQ(Face("lv_desk2.png"), ui->btnDesk->styleSheet());
    EXPECT_EQ(Face("lv_camer1.png"), ui->btnVideo->styleSheet());
    shelltest::Screenshot(w, "room_toolbar_desktop.png");

    ui->btnHCam->click();
    EXPECT_EQ(4, data->GetLiveMode());
    EXPECT_EQ(Face("lv_hcamera2.png"), ui->btnHCam->styleSheet());
    EXPECT_EQ(Face("lv_desk1.png"), ui->btnDesk->styleSheet());
    EXPECT_TRUE(w->findChild<CamDevSettingWidget*>()->isVisible()) << "the teacher picks the HD camera there";

    // While a device window is open the other modes only raise it.
    ui->btnVideo->click();
    ui->btnDesk->click();
    EXPECT_EQ(4, data->GetLiveMode());
    w->findChild<CamDevSettingWidget*>()->close();
}

TEST_F(RoomToolbarTest, ExternalPushIsRefusedInDualTeacherClasses)
{
    CData* data = CData::instance();
    data->SetClassType(0, true);
    const QString face = ui->btnExtPush->styleSheet();
    ui->btnExtPush->click();
    EXPECT_EQ(QStringList{QString::fromUtf8("双师课堂不支持外部推流功能！")}, ToastTexts());
    EXPECT_EQ(2, data->GetLiveMode());
    EXPECT_EQ(face, ui->btnExtPush->styleSheet());
}

TEST_F(RoomToolbarTest, RecorderAsksBeforeCloudRecordingAndStopsWithoutAQuestion)
{
    CData* data = CData::instance();
    ui->btnRecorder->click();
    MsgBox* box = w->ConfirmBox();
    ASSERT_TRUE(box->isVisible());
    const QStringList texts = BoxTexts(box);
    EXPECT_TRUE(texts.contains(QString::fromUtf8(
        "开启云端课堂录制，才可以生成课堂回放，学生可以课后观看。现在是否开启云端录制？")));
    EXPECT_TRUE(texts.contains(QString::fromUtf8("开启录制生成回放")));
    EXPECT_TRUE(texts.contains(QString::fromUtf8("不录制不生成回放")));
    shelltest::Screenshot(box, "room_record_question.png");

    box->findChild<QPushButton*>("btnCancel")->click();
    EXPECT_FALSE(data->IsRecording());

    ui->btnRecorder->click();
    box->findChild<QPushButton*>("btnOk")->click();
    EXPECT_EQ(0, w->UnrecordedTicks());
    // The broadcast window is asked to publish the room window; offscreen
    // there is no window it can capture, so it switches the recording off
    // again (tst_room_display records the room under X).
    EXPECT_FALSE(data->IsRecording());
    EXPECT_FALSE(w->BroadcastWindow()->IsWorking());
    data->SetRecording(true);  // as a start that found the window leaves it

    ui->btnRecorder->click();
    EXPECT_FALSE(box->isVisible()) << "stopping asks nothing";
    EXPECT_FALSE(data->IsRecording());
    EXPECT_TRUE(ToastTexts().contains(QString::fromUtf8("已停止录制")));
}

TEST_F(RoomToolbarTest, CloudRecordingStartsNothingWhenThePushPanelOpenedMeanwhile)
{
    ui->btnRecorder->click();
    MsgBox* box = w->ConfirmBox();
    ASSERT_TRUE(box->isVisible());
    w->ExtPushPanel()->show();
    box->findChild<QPushButton*>("btnOk")->click();
    EXPECT_FALSE(CData::instance()->IsRecording());
    // With the panel open the recorder button only raises it.
    ui->btnRecorder->click();
    EXPECT_FALSE(box->isVisible());
    w->ExtPushPanel()->hide();
}

TEST_F(RoomToolbarTest, Mp4RoomAsksForALocalRecording)
{
    CData::instance()->SetLiveMode(10);
    ui->btnRecorder->click();
    MsgBox* box = w->ConfirmBox();
    ASSERT_TRUE(box->isVisible());
    const QStringList texts = BoxTexts(box);
    EXPECT_TRUE(texts.contains(QString::fromUtf8("点击开始录制，选择视频保存目录后，将进行本地视频录制")));
    EXPECT_TRUE(texts.contains(QString::fromUtf8("开始录制")));
    EXPECT_TRUE(texts.contains(QString::fromUtf8("取消录制")));
    box->findChild<QPushButton*>("btnCancel")->click();
    EXPECT_FALSE(CData::instance()->IsRecording());
}

TEST_F(RoomToolbarTest, SidePanelsMeetTheToolColumn)
{
    w->show();
    ui->btnSwitchBK->click();
    SwitchBKWidget* bk = w->Backgrounds();
    ASSERT_TRUE(bk->isVisible());
    const QPoint column = ui->rightWidget->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(column, bk->mapToGlobal(QPoint(bk->width(), 0)));
    EXPECT_EQ(ui->rightWidget->height(), bk->height());
    shelltest::Screenshot(w, "room_toolbar_backgrounds.png");
    bk->hide();
}

TEST(RecordSize, SixteenByNineWhiteboardBesideTheStrips)
{
    struct Case {
        QSize available;
        int title;
        QSize expected;
    };
    for (const Case& c : {Case{{1920, 1080}, 40, {1802, 1080}}, Case{{1920, 1200}, 40, {1920, 1146}},
                          Case{{1366, 768}, 35, {1256, 768}}}) {
        EXPECT_EQ(c.expected, MainWindow::RecordSizeFor(c.available, c.title))
            << c.available.width() << "x" << c.available.height();
    }
}
