// MainWindow: construction, members, destruction and the window's own events.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/AppUpdater.h"
#include "app/CData.h"
#include "app/CSettings.h"
#include "app/GEosObserver.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "app/UrlProxy.h"
#include "courseware/DocTurnPageCtrl.h"
#include "courseware/DocWidget.h"
#include "device/CamDevSettingWidget.h"
#include "device/DeviceCheckDialog.h"
#include "device/DeviceSettingDialog.h"
#include "mainwindow/room/RoomViewsSetup.h"
#include "home/ClassListWidget.h"
#include "home/LoginWidget.h"
#include "interaction/CHudongWidget.h"
#include "interaction/ChatCtrl.h"
#include "interaction/CountdownWidget.h"
#include "interaction/CTopClassWidget.h"
#include "interaction/CTopMsgWidget.h"
#include "interaction/NewTopMsgWdg.h"
#include "interaction/LotteryAnswer.h"
#include "interaction/LotteryResultWidget.h"
#include "interaction/LotteryWidget.h"
#include "interaction/QuestionAnswer.h"
#include "interaction/QuestionResultWidget.h"
#include "interaction/QuestionWidget.h"
#include "media/ExtPushWidget.h"
#include "media/IMediaEngine.h"
#include "media/MediaPlayerWidget.h"
#include "media/OBSSettingWindow.h"
#include "WhiteBoardLib.h"
#include "mainwindow/popups/RoundedMask.h"
#include "mainwindow/popups/StuCountdown.h"
#include "mainwindow/popups/ToolWindowPlacer.h"
#include "widgets/StyledBackground.h"
#include "mainwindow/popups/SwitchBKWidget.h"
#include "mainwindow/popups/SwitchLineWidget.h"
#include "mainwindow/popups/VerSliderWidget.h"
#include "mainwindow/room/CBarrageScreen.h"
#include "widgets/MsgBox.h"
#include "widgets/ToastHandupButton.h"
#include "widgets/ToastQuestionButton.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopWidget>
#include <QMouseEvent>
#include <QScreen>

namespace {
// The process-wide minimum size of the room window.
QSize g_minimumSize(1280, 720);
}  // namespace

QSize MainWindow::MinimumSizeFor(const QSize& available)
{
    if (available.width() >= 1600 && available.height() >= 900)
        g_minimumSize = QSize(1600, 900);
    return g_minimumSize;
}

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    m_wallSeconds = [] { return QDateTime::currentSecsSinceEpoch(); };
    ui->setupUi(this);

    const QRect available = QApplication::desktop()->availableGeometry(this);
    const QSize minimum = MinimumSizeFor(available.size());
    setWindowFlags((windowFlags() | Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint) &
                   ~Qt::WindowMinimizeButtonHint);
    setMinimumSize(minimum);
    setWindowIcon(QIcon(":/main/res/app.ico"));
    setWindowTitle("vtmaintea");

    m_msgBox = new MsgBox(this, false, 0);
    m_docWidget = std::make_shared<DocWidget>(this);
    m_switchBK = std::make_shared<SwitchBKWidget>(this);
    MakeRoomTools();

    Room::instance()->InitLib(ui->wbWidget);
    // The broadcast settings window: made once, kept hidden.
    m_broadcast = new OBSSettingWindow(this);
    m_broadcast->hide();
    m_startUpdater = [] { AppUpdater::RunUpdater(); };

    m_barrage = std::make_shared<CBarrageScreen>(ui->wbWidget);
    m_turnPage = std::make_shared<DocTurnPageCtrl>(ui->DrawBarWdg);
    m_handupToast = new ToastHandupButton(ui->wbWidget);
    m_questionToast = new ToastQuestionButton(ui->wbWidget);
    // Shown by the dispatch when there is something to hand up or unfold.
    m_handupToast->hide();
    m_questionToast->hide();
    for (QWidget* hidden : {ui->btnHudong, ui->btnShangJia, ui->btnStuAD, ui->btnTopMsg})
        hidden->hide();

    ConnectButtons();
    connect(Room::instance(), &Room::sgWBLibCmd, this, &MainWindow::onWBLibCmd);
    connect(Room::instance(), &Room::sgClientLibCmd, this, &MainWindow::onClientLibCmd);
    connect(m_hudong, &CHudongWidget::sgControlCmd, this, &MainWindow::onControlCmd);
    connect(m_question, &QuestionWidget::sgControlCmd, this, &MainWindow::onControlCmd);
    connect(m_questionResult, &QuestionResultWidget::sgControlCmd, this, &MainWindow::onControlCmd);
    connect(m_questionToast, &ToastQuestionButton::sgControlCmd, this, &MainWindow::onControlCmd);
    connect(m_lottery, &LotteryWidget::sgControlCmd, this, &MainWindow::onControlCmd);

    IMediaEngine::selectEngine(kMediaEngineClientLib);
    GEosSubscribe("newChatMessage", this, SLOT(slotAddNewChatMessage(QVariantList)));
    MakeLoginWindows();
    // The room's media-file player floats over the whiteboard.
    CWhiteBoardLib* wb = Room::instance()->GetWBLib();
    m_mediaPlayer = new MediaPlayerWidget(wb && wb->GetWBWidget() ? wb->GetWBWidget() : ui->wbWidget);
    m_mediaPlayer->hide();
    connect(m_mediaPlayer, &MediaPlayerWidget::sigUpdateMediaShowChange, this, &MainWindow::OnMediaShowChange);
    m_mediaPlayer->SetMicMuteForPlay(false);
    ConnectHandlers();
    MakeShortcuts();

    CSettings::instance()->SetValue("VeltoraTea/DownloadURL",
                                    QString::fromUtf8(UrlProxy::GetUrl(kUrlDownloadPage)));
}

void MainWindow::MakeRoomTools()
{
    m_hudong = new CHudongWidget(this);
    m_chat = new ChatCtrl(this);
    m_topMsg = new CTopMsgWidget(this);
    m_products = new CTopClassWidget(this);
    m_adverts = new CTopClassWidget(this);
    m_adverts->SetClassMode(false);
    m_deviceSetting = std::make_shared<DeviceSettingDialog>(this);
    m_camSetting = new CamDevSettingWidget(this);
    m_extPush = new ExtPushWidget(this);
    m_extPush->hide();
    m_micSlider = new VerSliderWidget(this);
    m_micSlider->SetMode(false);
    m_speakerSlider = new VerSliderWidget(this);
    m_switchLine = new SwitchLineWidget(this);
    m_question = new QuestionWidget(this);
    m_questionResult = new QuestionResultWidget(this);
    m_questionAnswer = new QuestionAnswer(this);
    m_lottery = new LotteryWidget(this);
    m_lotteryResult = new LotteryResultWidget(this);
    m_lotteryAnswer = new LotteryAnswer(this);
    m_countdown = new CountdownWidget(this);
    // The student countdown badge, driven by the countdown tool.
    auto* badge = new StuCountdown(this);
    connect(m_countdown, &CountdownWidget::sgBadgeStart, badge, &StuCountdown::StartCountdown);
    connect(m_countdown, &CountdownWidget::sgBadgeStop, badge, &StuCountdown::StopCountdown);
    // The tool windows open over the room window, not where the window
    // system puts a new window.
    auto* placer = new ToolWindowPlacer(this);
    for (QWidget* tool : {static_cast<QWidget*>(m_question), static_cast<QWidget*>(m_questionResult),
                          static_cast<QWidget*>(m_countdown), static_cast<QWidget*>(m_lottery),
                          static_cast<QWidget*>(m_lotteryResult), static_cast<QWidget*>(m_topMsg->Editor())})
        placer->Watch(tool);
}

void MainWindow::ConnectButtons()
{
    for (QPushButton* b : {ui->btnMax, ui->btnRecorder})
        connect(b, &QPushButton::clicked, this, &MainWindow::OnButtonClick);
    for (QPushButton* b : {ui->btnMin, ui->btnClose, ui->btnChatMsg, ui->btnQRShow, ui->btnDocFile, ui->btnSwitchBK,
                           ui->btnUseList, ui->btnHudong, ui->btnShangJia, ui->btnStuAD, ui->btnTopMsg,
                           ui->btnSwitchLine, ui->btnSetting, ui->btnMicSet, ui->btnVolSet, ui->btnVideo,
                           ui->btnDesk, ui->btnHCam, ui->btnExtPush})
        connect(b, &QPushButton::pressed, this, &MainWindow::OnButtonClick);
}

void MainWindow::MakeLoginWindows()
{
    m_login = new LoginWidget(nullptr);
    m_classList = new ClassListWidget(nullptr);
    m_classList->setProperty("loginWdg", qlonglong(reinterpret_cast<quintptr>(m_login)));
    // The device check of the home window's settings menu, owned by the home
    // window from now on.
    m_classList->SetDeviceCheckDialog(new DeviceCheckDialog(nullptr));
    // Either window's exit ends the program, whether or not it set the
    // exiting flag itself.
    auto exitProgram = [this] {
        CData::instance()->SetAppExiting(true);
        close();
    };
    connect(m_login, &LoginWidget::exitApp, this, exitProgram);
    connect(m_classList, &ClassListWidget::exitApp, this, exitProgram);
    connect(m_classList, &ClassListWidget::switchUser, this,
            [this] { PubUtils::MoveToScreenCenter(m_login, m_classList); });
    m_login->ShowLogin();
}

MainWindow::~MainWindow()
{
    delete m_broadcast;  // a top-level window of its own
    m_broadcast = nullptr;
    DropRoomViews();     // the camera preview window, a top-level one too
    delete ui;
    ui = nullptr;
    m_dualTeacher.clear();
    m_switchBK.reset();
    m_docWidget.reset();
    m_showQR.reset();
    m_userList.reset();
    m_turnPage.reset();
    m_barrage.reset();
    m_drawToolBar.reset();
    m_deviceSetting.reset();
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    m_drag.Press(this, event, 30);
    QMainWindow::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    m_drag.Move(this, event);
    QMainWindow::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.Release(event);
    QMainWindow::mouseReleaseEvent(event);
}

void MainWindow::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}

void MainWindow::moveEvent(QMoveEvent* event) { QMainWindow::moveEvent(event); }

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    SetRoundedMask(this, 4.0);
    GEosPublish("updatePreviewWidgetPos", QVariantList());
}
