// MainWindow: the client library's stream, room-media and dual-teacher
// commands.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "media/MediaPlayerWidget.h"
#include "media/RtmpLivePlayer.h"
#include "WhiteBoardLib.h"
#include "widgets/MsgBox.h"

namespace {

ClientLib* Lib() { return Room::instance()->GetClientLib(); }
CWhiteBoardLib* WBLib() { return Room::instance()->GetWBLib(); }

// The play kind of a stream's media type; 0 for one that is not played.
int PlayKind(const QString& mediaType)
{
    if (mediaType == "audio")
        return 1;
    if (mediaType == "video")
        return 2;
    if (mediaType == "desk")
        return 3;
    if (mediaType == "HDCam")
        return 4;
    return 0;
}

}  // namespace

void MainWindow::OnRoomMedia(int code, const QVariantMap& v)
{
    QVariantMap command = v;
    command["cmd"] = code == RsC_Media_Play ? "play" : code == RsC_Media_Pause ? "pause" : "close";
    m_mediaPlayer->PostRoomMediaCommand(QVariant(command));
}

void MainWindow::OnStreamStart(int, const QVariantMap& v)
{
    if (!CData::instance()->IsLiveRoom())
        return;
    if (RtmpLivePlayer* player = Room::instance()->GetLivePlayer()) {
        RtmpPlayParam param = player->GetPlayParam();
        param.playExtra = v.value("teacher").toString();
        player->SetPlayParam(param);
    }
    const int kind = PlayKind(v.value("mediaType").toString());
    if (kind != 0)
        Room::instance()->StartPlay(kind, v.value("stream").toString());
}

void MainWindow::OnStreamStop(int, const QVariantMap&)
{
    if (CData::instance()->IsLiveRoom())
        Room::instance()->StopPlay(true);
}

void MainWindow::OnDualTeacherCmd(int, const QVariantMap& v)
{
    if (!m_visibilityBox)
        m_visibilityBox = new MsgBox(this, false, 0);
    const bool isIn = v.value("isIn").toInt() != 0;
    const QString userName = v.value("userName").toString();
    m_dualTeacher["userName"] = userName;
    m_dualTeacher["isMaster"] = isIn;
    Logger::instance()->Log(LOG_INFO, "MainWindow::onClientLibCmd", "shuang teacher %s %s %s", isIn ? "in" : "out",
                            userName.toUtf8().constData(), v.value("userId").toString().toUtf8().constData());
    if (!m_dualTeacher.value("token").toString().isEmpty())
        OnDualTeacherInOut(isIn);
    if (!isIn)
        Room::instance()->StopPlay(true);
    CData::instance()->SetStatus(kStatusPartnerTeacher, isIn ? 1 : 0);
    m_visibilityBox->hide();
}

void MainWindow::OnClassType(int, const QVariantMap& v)
{
    CData* data = CData::instance();
    const int type = v.value("type").toInt();
    const int up = v.value("up").toInt();
    data->SetClassType(type, up != 0);
    static const char* const kTypeLogs[] = {"class type shuang sub %d", "class type shuang master %d",
                                            "class type normal up %d"};
    if (type >= 0 && type <= 2)
        Logger::instance()->Log(LOG_INFO, "MainWindow::onClientLibCmd", kTypeLogs[type], up);
    if (type != 2)
        ui->btnExtPush->hide();
    if (!data->IsTeacher())
        return;
    m_mediaPlayer->NotifyMediaState(false);
    if (data->GetClassType() == 0 && !data->IsClassUp()) {
        Logger::instance()->Log(LOG_INFO, "MainWindow::onClientLibCmd", "sub not push");
        return;
    }
    ReDoSharePlay();
}

void MainWindow::OnDualConnect(int, const QVariantMap& v)
{
    m_dualTeacher["roomId"] = v.value("roomId").toString();
    m_dualTeacher["token"] = v.value("token").toString();
    m_dualTeacher["conn"] = true;
    if (CWhiteBoardLib* wb = WBLib())
        wb->SetDualRoom(QVariant(m_dualTeacher));
    if (m_dualTeacher.value("isMaster").toBool())
        OnDualTeacherInOut(true);
}

void MainWindow::OnDualVisibleAsk(int, const QVariantMap& v)
{
    if (!m_visibilityBox)
        m_visibilityBox = new MsgBox(this, false, 0);
    const bool in = v.value("in").toBool();
    m_visibilityBox->setProperty("in", in);
    const int classType = CData::instance()->GetClassType();
    QString text;
    QString button;
    if (in && classType == 1) {
        text = tr("当前视频和PPT仅本班学生可见，点击\"允许全体可见\"后，子教室所有学生将同步显示视频和PPT。");
        button = tr("允许全体可见");
    } else if (!in && classType == 0) {
        text = tr("主讲老师不在教室，是否允许学生查看当前视频和PPT？");
        button = tr("允许学生可见");
    } else {
        return;
    }
    m_visibilityBox->SetMsgText(text + "\r\n" + tr("如暂时不允许，稍后可在窗口上方进行操作"), QString());
    m_visibilityBox->SetButtonText(false, button, QString());
    disconnect(m_visibilityBox, &MsgBox::sgCloseMsgBox, nullptr, nullptr);
    connect(m_visibilityBox, &MsgBox::sgCloseMsgBox, this, [this, in](bool bOk, MsgBox* box) {
        if (bOk) {
            if (ClientLib* lib = Lib())
                lib->SetDualVisible(box->property("in").toBool(), true);
        } else {
            // The strip at the top offers the same switch later.
            OnDualVisible(in);
        }
    });
    m_visibilityBox->ShowMsg();
}
