// MainWindow: the session's one-second tick (recording look and reminders,
// share retry, the student side's automatic exit), the close of the window
// and the program's exit sequence.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/AppUpdater.h"
#include "app/CData.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "common/CrashDumper.h"
#include "courseware/DocWidget.h"
#include "home/ClassListWidget.h"
#include "home/LoginWidget.h"
#include "media/OBSSettingWindow.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QStyle>

#include <cmath>

namespace {

constexpr int kLiveModeMp4 = 10;
// The recorder button's "status" while idle; 0 to 3 animate a recording.
constexpr int kRecorderIdle = 4;
constexpr int kRecordReminderTicks = 120;
constexpr int kRecordFailureTicks = 60;
// A finished course is left after 20 minutes past its end without activity.
constexpr qint64 kTimeoutExitMs = 1200000;

}  // namespace

void MainWindow::onTimerUpdate(int tick)
{
    CData* data = CData::instance();
    if (m_login)
        m_login->OnTimerUpdate(tick);
    if (m_classList)
        m_classList->OnTimerUpdate(tick);
    if (!data->GetStatus(kStatusSignedIn) || data->GetLoginVar().isEmpty())
        return;
    if (m_shareRetry > 0 && --m_shareRetry == 0)
        ReDoSharePlay();
    if (data->IsTeacher())
        OnRecordingTick(tick);
    else
        OnStudentTimeoutTick();
}

void MainWindow::OnRecordingTick(int tick)
{
    CData* data = CData::instance();
    m_docWidget->TimerUpdate(tick);
    if (m_startRecording && ui->btnRecorder->isEnabled()) {
        // Asked once after the first room login: shall the class be recorded?
        m_startRecording = false;
        if (!data->IsRecording())
            ui->btnRecorder->click();
    }
    const bool recording = (data->IsRecording() && m_broadcast->IsWorking()) ||
                           (data->GetLiveMode() == kLiveModeMp4 && m_broadcast->IsMP4Recording());
    QPushButton* button = ui->btnRecorder;
    if (recording) {
        button->setToolTip(tr("停止录制"));
        button->setProperty("status", tick % 4);
        button->style()->unpolish(button);
        button->style()->polish(button);
        m_unrecordedTicks = 0;
        return;
    }
    if (button->property("status") != QVariant(kRecorderIdle)) {
        button->setToolTip(tr("开始录制"));
        button->setProperty("status", kRecorderIdle);
        button->style()->unpolish(button);
        button->style()->polish(button);
    }
    ++m_unrecordedTicks;
    if (m_unrecordedTicks % kRecordReminderTicks == 0 && !data->IsRecording() && !ExtPushVisible()) {
        const double minutes = (m_wallSeconds() - m_roomEntryTime) / 60.0;
        Toast::ShowToast(tr("您已直播%1分钟，尚未开启录制").arg(static_cast<qint64>(std::floor(minutes + 0.5))), this,
                         3000);
        return;
    }
    // Asked for but not running: said every minute until it runs or stops.
    if (m_unrecordedTicks % kRecordFailureTicks == 0 && data->IsRecording())
        Toast::ShowToast(tr("录制失败，正在重新录制，请确保网络正常。"), this, 3000);
}

void MainWindow::OnStudentTimeoutTick()
{
    CData* data = CData::instance();
    if (m_courseEnd == 0 || Room::instance()->GetPlayType() != 0 || !data->GetLocalUser()->userName.empty())
        return;
    const qint64 now = data->GetSvrTime();
    if (now > m_courseEnd + kTimeoutExitMs && now > m_lastActivity + kTimeoutExitMs) {
        Toast::ShowToast(tr("课程已结束，超时自动退出"), this, 3000);
        Logger::instance()->Log(LOG_WARN, "MainWindow::onTimerUpdate",
                                "room no tea timeout exit. %lld etime %lld preActTs %lld", static_cast<long long>(now),
                                static_cast<long long>(m_courseEnd), static_cast<long long>(m_lastActivity));
        ExitRoom();
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    CData* data = CData::instance();
    if (!data->IsAppExiting()) {
        // Closing the room window asks, then only leaves the room.
        if (!m_closeBox)
            m_closeBox = new MsgBox(this, false, 0);
        m_closeBox->SetMsgText(data->IsRecording() ? tr("正在录制中，您确定要退出吗?") : tr("您确定要退出吗?"),
                               QString());
        m_closeBox->SetButtonText(true, tr("退出"), tr("取消"));
        m_closeBox->ShowMsg(
            [](bool ok, void* user) {
                if (ok)
                    static_cast<MainWindow*>(user)->ExitRoom();
            },
            this);
        event->ignore();
        return;
    }
    RunExitSequence(event);
}

void MainWindow::RunExitSequence(QCloseEvent* event)
{
    if (property("appexit").toBool()) {
        event->ignore();  // the sequence has run; nothing more
        return;
    }
    setProperty("appexit", true);
    Logger::instance()->Log(LOG_INFO, "MainWindow::closeEvent", "exit app");
    CrashDumper::Disable();
    CData* data = CData::instance();
    data->StopTimer();
    Room::instance()->ReleaseLib();
    QMainWindow::closeEvent(event);
    PubUtils::CheckClearTemp();
    AppUpdater* updater = data->GetUpdater();
    if ((updater && updater->MustUpdate()) || data->IsUpdateOnExit())
        m_startUpdater();
    Logger::instance()->Log(LOG_INFO, "MainWindow::closeEvent", "exit app quit");
    QCoreApplication::quit();
}
