// MainWindow: the slots that react to the whiteboard library's commands, to
// failures of the live player and pusher, to the end of a stop of the
// recorder window and to chat texts for the bullet comments; and the
// window's show handling. GUI thread only.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "courseware/DocWidget.h"
#include "mainwindow/popups/SwitchBKWidget.h"
#include "mainwindow/room/CBarrageScreen.h"
#include "media/OBSSettingWindow.h"
#include "WhiteBoardLib.h"
#include "widgets/MsgBox.h"

#include <QShowEvent>

namespace {
// The session data model's "no offset" value: offsets from here on are no
// measurement.
const qint64 kNoServerOffset = 10000000;
const int kRetryTicks = 3;
}  // namespace

void MainWindow::onWBLibCmd(int cmd, const QVariant& var)
{
    const QVariantMap map = var.toMap();
    CData* data = CData::instance();
    switch (cmd) {
    case RsWB_AddrFailed:
        Logger::instance()->Log(LOG_WARN, "MainWindow::onWBLibCmd", "server failed %s",
                                tr("获取白板服务器地址失败!").toUtf8().constData());
        break;
    case RsWB_ConnectFailed:
        Logger::instance()->Log(LOG_WARN, "MainWindow::onWBLibCmd", "server failed %s",
                                tr("连接课件服务器失败!").toUtf8().constData());
        data->SetVar(map.value("type").toString(), var);
        break;
    case RsWB_Background: {
        const QString type = map.value("type").toString();
        data->SetVar(type, var);
        if (type == "wb")
            m_switchBK->SelectBackground("bk1.png");
        break;
    }
    case RsWB_DocChanged:
        if (CWhiteBoardLib* wb = Room::instance()->GetWBLib()) {
            // A copy of the room's documents, for the courseware panel.
            const std::vector<WBDocInfo> docs = wb->GetCurDocInfo();
            Logger::instance()->Log(LOG_INFO, "MainWindow::onWBLibCmd", "room documents %d", int(docs.size()));
            m_docWidget->SetDocList(docs);
        }
        break;
    case RsWB_BackgroundImage:
        m_switchBK->SelectBackground(map.value("image").toString());
        break;
    case RsWB_ServerTimeOffset: {
        const qint64 off = map.value("offMs").toLongLong();
        if (off >= kNoServerOffset)
            break;
        data->SetSvrTimeOff(off);
        if (m_lastActivity <= 0)
            m_lastActivity = data->GetSvrTime();
        break;
    }
    default:
        // 4 to 6 belong to the page-turn bar, 9 to the drawing tools; 0 is
        // logged by the room controller.
        break;
    }
}

void MainWindow::slotRtmpPlayFailed(int faileTimes, QString)
{
    if (faileTimes < 3 || Room::instance()->GetPlayType() == 0 || m_shareRetry > 0)
        return;
    Logger::instance()->Log(LOG_WARN, "MainWindow::slotRtmpPlayFailed", "rtmp play failed switchline");
    CData::instance()->SwitchMgLine(-1);
    m_shareRetry = kRetryTicks;  // the tick plays again on the new line
}

void MainWindow::slotRtmpPushFailed(int, QString msg)
{
    Room* room = Room::instance();
    if (m_shareRetry > 0 || room->GetShareType() == 0)
        return;
    m_shareRetry = kRetryTicks;
    if (ClientLib* lib = room->GetClientLib())
        lib->ReportDeviceState(1, 0, tr("推流失败，正在尝试重新推流"));
    if (!m_pushFailBox)
        m_pushFailBox = new MsgBox(this, false, 0);
    m_pushFailBox->SetMsgText(msg, QString());
    m_pushFailBox->SetButtonText(false, tr("确定"), tr("取消"));
    m_pushFailBox->ShowMsg();
    Logger::instance()->Log(LOG_WARN, "MainWindow::slotRtmpPushFailed", "rtmp push failed switchline");
    Room::instance()->StopShare();
    CData::instance()->SwitchMgLine(-1);  // the tick pushes again on the new line
}

void MainWindow::toStartRecorderOrDesk(int code)
{
    CData* data = CData::instance();
    if (code != 0)
        data->SwitchMgLine(-1);
    if (data->IsRecording()) {
        if (isMaximized())
            ui->btnMax->click();
        else if (isMinimized())
            showNormal();
        FitToScreenForRecord(true);
    }
    if (data->GetClassType() == 0 && data->GetStatus(kStatusPartnerTeacher))
        return;
    if (data->GetLiveMode() == 3) {
        Room::instance()->StopShare();
        Room::instance()->StartShare(3);
    } else if (data->IsRecording() && m_broadcast) {
        m_broadcast->StartWork();  // publishing starts again
    }
}

void MainWindow::slotAddNewChatMessage(const QVariantList& args)
{
    if (args.isEmpty())
        return;
    m_barrage->AddMessage(args.first().toString().toUtf8().toStdString());
}

void MainWindow::showEvent(QShowEvent* event)
{
    setAttribute(Qt::WA_Mapped);
    QMainWindow::showEvent(event);
}
