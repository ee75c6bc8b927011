#include "interaction/CHudongWidget.h"
#include "ui_CHudongWidget.h"

#include "app/CData.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "widgets/Toast.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>

namespace {

// The control commands the palette sends to the main window.
enum PaletteCmd { kCmdQuestion = 1, kCmdLottery = 4, kCmdCountdown = 6, kCmdAdvert = 7 };

// Live modes in which the students cannot be given voice interaction.
constexpr int kLiveModeDesktop = 3;
constexpr int kLiveModeCamera = 4;

constexpr int kToastMs = 3000;

ClientLib* Lib() { return Room::instance()->GetClientLib(); }

}  // namespace

CHudongWidget::CHudongWidget(QWidget* parent) : QWidget(parent), ui(new Ui::CHudongWidget)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedWidth(200);
    installEventFilter(this);
    for (QWidget* w : {ui->btnCountdown, ui->btnGraffiti, ui->btnBigOpenMedia, ui->btnLottery, ui->btnHDAD})
        w->hide();
    SetGraffitiStatus(false);
    SetBigOpenMediaStatus(false);
    hide();
}

CHudongWidget::~CHudongWidget() { delete ui; }

void CHudongWidget::SetButtonStatus(QPushButton* button, bool on)
{
    button->setProperty("status", on ? 1 : 0);
    button->style()->unpolish(button);
    button->style()->polish(button);
}

void CHudongWidget::SetGraffitiStatus(bool open)
{
    m_graffiti = open;
    SetButtonStatus(ui->btnGraffiti, open);
}

void CHudongWidget::SetBigOpenMediaStatus(bool open)
{
    m_bigOpenMedia = open;
    emit sgBigOpenMedia(open);
    CData::instance()->SetStatus(kStatusVoiceInteraction, open ? 1 : 0);
    SetButtonStatus(ui->btnBigOpenMedia, open);
}

void CHudongWidget::CloseBigOpenMedia()
{
    if (!m_bigOpenMedia)
        return;
    ClientLib* lib = Lib();
    if (lib && lib->SetVoiceInteraction(false))
        SetBigOpenMediaStatus(false);
}

void CHudongWidget::ResetData()
{
    SetGraffitiStatus(false);
    SetBigOpenMediaStatus(false);
}

void CHudongWidget::on_closeBtn_clicked() { hide(); }

void CHudongWidget::on_btnQuestion_clicked() { emit sgControlCmd(kCmdQuestion, QVariant(0)); }

void CHudongWidget::on_btnLottery_clicked() { emit sgControlCmd(kCmdLottery, QVariant(0)); }

void CHudongWidget::on_btnCountdown_clicked() { emit sgControlCmd(kCmdCountdown, QVariant(0)); }

void CHudongWidget::on_btnHDAD_clicked() { emit sgControlCmd(kCmdAdvert, QVariant(0)); }

void CHudongWidget::on_btnGraffiti_clicked()
{
    ClientLib* lib = Lib();
    if (!lib || !lib->SetDoodleBoard(!m_graffiti))
        return;
    Toast::ShowToast(m_graffiti ? tr("您关闭了学生的涂鸦板") : tr("您打开了学生的涂鸦板"), parentWidget(), kToastMs);
    SetGraffitiStatus(!m_graffiti);
}

void CHudongWidget::on_btnBigOpenMedia_clicked()
{
    CData* data = CData::instance();
    if (!m_bigOpenMedia) {
        QString refusal;
        if (data->GetLiveMode() == kLiveModeDesktop)
            refusal = tr("当前桌面直播模式不支持语音互动。");
        else if (data->GetLiveMode() == kLiveModeCamera)
            refusal = tr("当前摄像机直播模式不支持语音互动。");
        else if (data->GetStatus(kStatusMixedBroadcast))
            refusal = tr("当前混合直播模式不支持语音互动。");
        if (!refusal.isEmpty()) {
            Toast::ShowToast(refusal, parentWidget(), kToastMs);
            return;
        }
    } else {
        // Voice interaction stays while any other user's microphone is open.
        const std::string self = data->GetLocalUser()->userId;
        for (const UserInfo& user : data->GetUserList()) {
            if (user.userId != self && user.mic) {
                Toast::ShowToast(tr("请停止连麦后，再取消互动"), this, kToastMs);
                return;
            }
        }
    }
    ClientLib* lib = Lib();
    if (!lib || !lib->SetVoiceInteraction(!m_bigOpenMedia))
        return;
    Toast::ShowToast(m_bigOpenMedia ? tr("您关闭了学生的语音互动") : tr("您打开了学生的语音互动"), parentWidget(),
                     kToastMs);
    SetBigOpenMediaStatus(!m_bigOpenMedia);
}

bool CHudongWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::WindowDeactivate)
        hide();
    return QWidget::eventFilter(watched, event);
}

void CHudongWidget::showEvent(QShowEvent* event)
{
    CData* data = CData::instance();
    const bool live = data->IsLiveRoom();
    const bool tools = live || data->IsLoginRole6();
    ui->btnGraffiti->setVisible(live);
    ui->btnCountdown->setVisible(tools);
    ui->btnLottery->setVisible(tools);
    ui->btnHDAD->setVisible(tools);
    // Voice interaction is switched from the user list.
    ui->btnBigOpenMedia->setVisible(false);
    QWidget::showEvent(event);
}

void CHudongWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
