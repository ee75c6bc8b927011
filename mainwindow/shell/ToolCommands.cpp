// MainWindow: the client library's commands for the room tools (countdown,
// quizzes, pen permission, notices, product cards, lottery), remote
// recording and the student links; the tools' control commands; the line
// switch.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "courseware/DrawToolBarCtrl.h"
#include "interaction/ChatCtrl.h"
#include "interaction/CHudongWidget.h"
#include "interaction/CountdownWidget.h"
#include "interaction/CTopClassWidget.h"
#include "interaction/CTopMsgWidget.h"
#include "interaction/LotteryAnswer.h"
#include "interaction/LotteryResultWidget.h"
#include "interaction/LotteryWidget.h"
#include "interaction/QuestionAnswer.h"
#include "interaction/QuestionResultWidget.h"
#include "interaction/QuestionWidget.h"
#include "mainwindow/popups/StuDeviceSettingWidget.h"
#include "mainwindow/shell/CommandPayload.h"
#include "WhiteBoardLib.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"
#include "widgets/ToastHandupButton.h"
#include "widgets/ToastQuestionButton.h"

using cmdpayload::Kind;

namespace {

ClientLib* Lib() { return Room::instance()->GetClientLib(); }
CWhiteBoardLib* WBLib() { return Room::instance()->GetWBLib(); }

// The live mode of a room recorded to an MP4 file: no cloud recording.
constexpr int kLiveModeMp4 = 10;
// Reply of a remote recording command that says neither start nor stop.
constexpr int kRecordReplyBadCommand = -1;

}  // namespace

// --- room tools ---

void MainWindow::OnCountdown(int, const QVariantMap& v)
{
    m_countdown->StartCountdown(v.value("start").toBool(), v.value("totalTs").toInt());
}

void MainWindow::OnQuestionStart(int, const QVariantMap& v) { m_questionAnswer->ShowWidget(v); }

void MainWindow::OnQuestionResult(int, const QVariantMap& v)
{
    // Not over the teacher's question panel or the student's answer panel.
    if (m_question->isVisible() || m_questionAnswer->isVisible())
        return;
    m_questionResult->SetQuestionResult(v);
}

void MainWindow::OnQuestionStop(int, const QVariantMap&)
{
    if (m_questionAnswer->isVisible())
        m_questionAnswer->hide();
    m_questionToast->hide();
    m_questionResult->ResetData(true);
}

void MainWindow::OnDrawAuth(int, const QVariantMap& v)
{
    const bool open = v.value("open").toBool();
    if (CData::instance()->IsTeacher()) {
        m_hudong->SetGraffitiStatus(open);
        return;
    }
    if (m_drawToolBar) {
        m_drawToolBar->setVisible(open);
        if (open) {
            m_drawToolBar->SelectTool(DrawToolBarCtrl::ToolPen);
            m_drawToolBar->SelectRandomColor();
        } else {
            m_drawToolBar->SelectTool(DrawToolBarCtrl::ToolNone);
        }
    }
    ui->DrawBarWdg->setVisible(open);
    Toast::ShowToast(open ? tr("老师开启了您的画笔功能") : tr("老师关闭了您的画笔功能"), this, 3000);
    if (CWhiteBoardLib* wb = WBLib())
        wb->SetDrawAuth(open, false);
}

void MainWindow::OnNotice(int, const QVariantMap& v)
{
    const QString msg = v.value("msg").toString();
    m_topMsg->SetTopMsg(v.value("id").toLongLong(), msg);
    // Every notice, also a repeated one, is a system line of the chat.
    const QString chatLine =
        QStringLiteral("<font color=\"#e6a23c\">【*公告*】</font>") + QString::fromUtf8(CTopMsgWidget::GetHtmlMsg(msg).c_str());
    m_chat->AddSysMsg(chatLine);
}

void MainWindow::OnProduct(int code, const QVariantMap& v)
{
    CTopClassWidget* panel = code <= RsC_Product1_143 ? m_products : m_adverts;
    switch (code) {
    case RsC_Product1_List:
    case RsC_Product2_List:
        panel->SetProductList(v);
        break;
    case RsC_Product1_Up:
    case RsC_Product2_Up:
        panel->OnProductUp(v);
        break;
    case RsC_Product1_Down:
    case RsC_Product2_Down:
        panel->OnProductDown(v);
        break;
    default:
        break;  // 143 and 147 carry nothing the panels use
    }
}

void MainWindow::OnLotteryResult(int, const QVariantMap& v) { m_lotteryResult->SetLotteryResult(v); }

void MainWindow::OnLotteryStart(int, const QVariantMap& v) { m_lotteryAnswer->ShowWidget(v.value("id").toLongLong()); }

void MainWindow::OnLotteryMyResult(int, const QVariantMap& v) { m_lotteryAnswer->ShowResult(v.value("result").toBool()); }

void MainWindow::OnLotteryClose(int, const QVariantMap& v)
{
    if (v.value("id").toLongLong() == m_lotteryResult->GetLotteryId())
        m_lotteryResult->ResetData(true);
    m_lottery->ResetData(true);
    m_lotteryAnswer->ResetData(true);
}

// --- remote recording ---

void MainWindow::OnRecordRemote(int, const QVariantMap& v)
{
    CData* data = CData::instance();
    const bool start = v.value("startRec").toBool();
    int reply = 0;
    QString msg;
    if (!ui->btnRecorder->isEnabled()) {
        reply = 4;
        msg = tr("正在启动或停止录制，操作失败");
    } else if (start && data->IsRecording()) {
        reply = 2;
        msg = tr("正在录制中，开启无效");
    } else if (start && data->IsExtPush()) {
        reply = 3;
        msg = tr("正在外部串流，开启无效");
    } else if (!start && !data->IsRecording()) {
        reply = 3;
        msg = tr("当前未录制，停止无效");
    } else if (data->GetLiveMode() == kLiveModeMp4) {
        reply = 5;
        msg = tr("mp4录制视频课，不支持录制");
    } else {
        StartOrStopRecord(start, true);
        reply = start ? 0 : 1;
        msg = start ? tr("开启录制成功") : tr("停止录制成功");
    }
    if (ClientLib* lib = Lib())
        lib->ReplyRecordCmd(reply, 0, msg);
}

// A remote recording command without a usable "startRec": the room still
// gets an answer, and nothing is started or stopped.
void MainWindow::OnRecordRemoteRefused(int)
{
    if (ClientLib* lib = Lib())
        lib->ReplyRecordCmd(kRecordReplyBadCommand, 0, tr("录制指令无效，操作失败"));
}

// --- student links ---

void MainWindow::OnStuRtcReset(int, const QVariantMap& v)
{
    CData* data = CData::instance();
    const bool on = v.value("handup").toBool();
    if (data->IsTeacher()) {
        m_hudong->SetBigOpenMediaStatus(on);
        return;
    }
    if (!on) {
        Logger::instance()->Log(LOG_INFO, "MainWindow::onClientLibCmd", "stu reset rtc state close");
        data->SetStatus(kStatusLinkMic, 0);
        if (m_stuDevice && m_stuDevice->isVisible())
            m_stuDevice->hide();
    }
    data->SetStatus(kStatusVoiceInteraction, on ? 1 : 0);
    ShowHandupToastFor(kStatusVoiceInteraction);
}

void MainWindow::OnStuRtcStop(int, const QVariantMap& v)
{
    CData* data = CData::instance();
    if (data->IsTeacher())
        return;
    if (v.value("online").toBool()) {
        if (!m_stuDevice)
            return;
        const QString srcUserId = v.value("srcUserId").toString();
        disconnect(m_stuDevice, &StuDeviceSettingWidget::sgWidgetClose, nullptr, nullptr);
        connect(m_stuDevice, &StuDeviceSettingWidget::sgWidgetClose, this, [srcUserId](bool ok) {
            if (ClientLib* lib = Lib())
                lib->ReplyInvite(srcUserId, ok);
        });
        m_stuDevice->showSetting();
        return;
    }
    Logger::instance()->Log(LOG_INFO, "MainWindow::onClientLibCmd", "stu rtc stop con");
    data->SetStatus(kStatusLinkMic, 0);
    Room* room = Room::instance();
    if (room->GetPlayType() != 0)
        room->StartPlay(room->GetPlayType(), room->GetPlayStream());
}

void MainWindow::OnStuRtcStart(int, const QVariantMap& v)
{
    CData* data = CData::instance();
    const QString type = v.value("type").toString();
    const bool ok = v.value("isok").toBool();
    if (type == "open" && !ok) {
        Toast::ShowToast(tr("开启互动失败,互动人数已达上限!"), this, 3000);
    } else if (data->IsTeacher()) {
        if (type == "inviteRs")
            ReplyInviteResult(v);
    } else if (type == "open") {
        Logger::instance()->Log(LOG_INFO, "MainWindow::onClientLibCmd", "stu rtc start con");
        data->SetStatus(kStatusLinkMic, 1);
        Room::instance()->StopPlay(false);
    }
}

// --- control commands of the tools, line switch ---

void MainWindow::onControlCmd(int cmd, const QVariant& var)
{
    switch (cmd) {
    case 1:  // the quiz tool chosen
        (m_questionResult->IsQuestionStarted() ? static_cast<QWidget*>(m_questionResult) : m_question)->show();
        break;
    case 2: {  // a question published
        QVariantMap v;
        if (!cmdpayload::Check("MainWindow::onControlCmd", cmd, var,
                               {{"type", Kind::Int}, {"num", Kind::Int}, cmdpayload::Opt("showNum", Kind::Bool)}, &v))
            break;
        m_questionResult->InitQuestion(v.value("type").toInt(), v.value("num").toInt(), v.value("listRes"),
                                       v.value("showNum").toBool());
        break;
    }
    case 3:  // the quiz statistics folded or unfolded (student side)
        if (!CData::instance()->IsTeacher()) {
            const bool folded = var.toBool();
            m_questionToast->setVisible(folded);
            m_questionResult->setVisible(!folded);
        }
        break;
    case 4:  // the lottery tool chosen
        (m_lotteryResult->GetLotteryId() != 0 ? static_cast<QWidget*>(m_lotteryResult) : m_lottery)->show();
        break;
    case 5: {  // a lottery started
        QVariantMap v;
        if (!cmdpayload::Check("MainWindow::onControlCmd", cmd, var, {{"id", Kind::Int}, {"count", Kind::Int}}, &v))
            break;
        m_lotteryResult->ShowWidget(v.value("count").toInt(), v.value("id").toLongLong());
        break;
    }
    case 6:  // the countdown tool chosen
        m_countdown->show();
        break;
    case 7:  // the second product panel asked for
        PlaceAtRightPanel(m_adverts, false, true);
        m_adverts->ShowWidget();
        break;
    default:
        Logger::instance()->Log(LOG_WARN, "MainWindow::onControlCmd", "unknown ctrl cmd %d", cmd);
        break;
    }
}

void MainWindow::onSwitchLine()
{
    if (CData::instance()->GetStatus(kStatusDevicesBusy)) {
        Logger::instance()->Log(LOG_INFO, "MainWindow::onSwitchLine", "media dev debug drop sgSwitchLine");
        return;
    }
    ReDoSharePlay();
}
