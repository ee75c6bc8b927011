// MainWindow: the client library's commands. One table maps every command
// code to its handler and to the keys its payload must carry; this file holds
// the table and the room-service, login, chat, relay and user commands.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "courseware/DrawToolBarCtrl.h"
#include "home/AppAuthWidget.h"
#include "interaction/ChatCtrl.h"
#include "interaction/LotteryWidget.h"
#include "interaction/UserListDialog.h"
#include "mainwindow/popups/ShowQRWidget.h"
#include "mainwindow/shell/CommandPayload.h"
#include "media/ExtPushWidget.h"
#include "media/RtmpLivePlayer.h"
#include "media/RtmpLivePusher.h"
#include "WhiteBoardLib.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"
#include "widgets/ToastHandupButton.h"

#include <QDateTime>
#include <QHash>

using cmdpayload::Kind;
using cmdpayload::Opt;

namespace {

struct Route {
    void (MainWindow::*handler)(int code, const QVariantMap& v);
    bool readsPayload;                // false: the payload is not looked at
    std::vector<cmdpayload::Key> keys;  // checked when readsPayload
    // A command that must be answered even when its payload fails the check
    // (the check has logged why); null: such a payload is only logged.
    void (MainWindow::*refused)(int code) = nullptr;
};

std::string Std(const QVariant& v) { return v.toString().toStdString(); }
std::string Utf8(const QVariant& v) { return v.toString().toUtf8().toStdString(); }

ClientLib* Lib() { return Room::instance()->GetClientLib(); }
CWhiteBoardLib* WBLib() { return Room::instance()->GetWBLib(); }

// The message of a room-service failure (codes 1 and 2) by service type.
QString ServiceMessage(const QString& type, bool connect)
{
    if (type == "main")
        return connect ? MainWindow::tr("连接房间服务失败!") : MainWindow::tr("获取房间服务器地址失败!");
    if (type == "chat")
        return connect ? MainWindow::tr("连接聊天服务失败!") : MainWindow::tr("获取聊天服务器地址失败!");
    if (type == "mulMedia")
        return connect ? MainWindow::tr("连接多媒体服务失败!") : MainWindow::tr("获取多媒体服务器地址失败!");
    if (type == "peerMedia")
        return connect ? MainWindow::tr("连接媒体服务失败!") : MainWindow::tr("获取媒体服务器地址失败!");
    return type;
}

}  // namespace

bool MainWindow::DispatchClientCmd(int code, const QVariant& var)
{
    const Kind T = Kind::Text, B = Kind::Bool, I = Kind::Int, L = Kind::List;
    static const QHash<int, Route> routes = {
        {RsC_Room_AddrFailed, {&MainWindow::OnRoomAddrFailed, true, {Opt("type", T)}}},
        {RsC_Room_ConnectFailed, {&MainWindow::OnRoomConnectFailed, true, {Opt("type", T)}}},
        {RsC_Room_LoginResult, {&MainWindow::OnRoomLoginResult, true, {{"type", T}}}},
        {RsC_Chat_Message, {&MainWindow::OnChatMessage, false, {}}},
        {RsC_Tran_Message, {&MainWindow::OnTranMessage, true, {}}},
        {RsC_Tran_MessageEx, {&MainWindow::OnTranMessage, true, {}}},
        {RsC_ExtPush_Message, {&MainWindow::OnExtPushMessage, true, {}}},
        {RsC_User_Self, {&MainWindow::OnUserSelf, true, {{"userid", T}}}},
        {RsC_User_Join,
         {&MainWindow::OnUserJoin, true,
          {{"userid", T}, Opt("userName", T), Opt("type", I), Opt("cam", B), Opt("mic", B), Opt("click", B),
           Opt("draw", B), Opt("noSpeak", B), Opt("online", B)}}},
        {RsC_User_Leave, {&MainWindow::OnUserLeave, true, {{"userid", T}}}},
        {RsC_Course_Info, {&MainWindow::OnCourseInfo, true, {Opt("title", T), Opt("endtime", T)}}},
        {RsC_Course_End, {&MainWindow::OnCourseEnd, false, {}}},
        {RsC_User_WebId, {&MainWindow::OnUserWebId, true, {{"userId", T}, Opt("userWebId", T)}}},
        {RsC_App_DeviceAuth, {&MainWindow::OnAppDeviceAuth, true, {}}},
        {RsC_User_Kicked, {&MainWindow::OnUserKicked, true, {Opt("type", T)}}},
        {RsC_Media_Play, {&MainWindow::OnRoomMedia, true, {}}},
        {RsC_Media_Pause, {&MainWindow::OnRoomMedia, true, {}}},
        {RsC_Media_Close, {&MainWindow::OnRoomMedia, true, {}}},
        {RsC_Handup_Switch, {&MainWindow::OnHandupSwitch, true, {{"handup", B}}}},
        {RsC_Handup_User, {&MainWindow::OnUserHandup, true, {{"userId", T}, {"handup", B}}}},
        {RsC_Invite_Video, {&MainWindow::OnInviteVideo, true, {{"srcUserId", T}, {"online", B}}}},
        {RsC_Interact_Result,
         {&MainWindow::OnInteractResult, true, {{"type", T}, Opt("isok", B), Opt("srcUserId", T), Opt("num", I)}}},
        {RsC_User_List, {&MainWindow::OnUserList, true, {{"userlist", L}}}},
        {RsC_User_Count, {&MainWindow::OnUserCount, true, {{"totalNum", I}, {"pureStu", I}, Opt("stuNum", I)}}},
        {RsC_Stream_Start, {&MainWindow::OnStreamStart, true, {{"stream", T}, {"mediaType", T}, Opt("teacher", T)}}},
        {RsC_Stream_Stop, {&MainWindow::OnStreamStop, false, {}}},
        {RsC_Dual_TeacherInOut,
         {&MainWindow::OnDualTeacherCmd, true, {{"isIn", I}, Opt("userName", T), Opt("userId", T)}}},
        {RsC_Class_Type, {&MainWindow::OnClassType, true, {{"type", I}, Opt("up", I)}}},
        {RsC_Dual_Connect, {&MainWindow::OnDualConnect, true, {{"roomId", T}, {"token", T}}}},
        {RsC_Dual_Visible, {&MainWindow::OnDualVisibleAsk, true, {{"in", B}}}},
        {RsC_Countdown, {&MainWindow::OnCountdown, true, {{"start", B}, Opt("totalTs", I)}}},
        {RsC_Question_Start, {&MainWindow::OnQuestionStart, true, {}}},
        {RsC_Question_Result, {&MainWindow::OnQuestionResult, true, {}}},
        {RsC_Question_Stop, {&MainWindow::OnQuestionStop, false, {}}},
        {RsC_Draw_Auth, {&MainWindow::OnDrawAuth, true, {{"open", B}}}},
        {RsC_Notice, {&MainWindow::OnNotice, true, {{"id", I}, Opt("msg", T)}}},
        {RsC_Product1_List, {&MainWindow::OnProduct, true, {}}},
        {RsC_Product1_Up, {&MainWindow::OnProduct, true, {}}},
        {RsC_Product1_Down, {&MainWindow::OnProduct, true, {}}},
        {RsC_Product1_143, {&MainWindow::OnProduct, false, {}}},
        {RsC_Product2_List, {&MainWindow::OnProduct, true, {}}},
        {RsC_Product2_Up, {&MainWindow::OnProduct, true, {}}},
        {RsC_Product2_Down, {&MainWindow::OnProduct, true, {}}},
        {RsC_Product2_147, {&MainWindow::OnProduct, false, {}}},
        {RsC_Lottery_Result, {&MainWindow::OnLotteryResult, true, {}}},
        {RsC_Lottery_Start, {&MainWindow::OnLotteryStart, true, {{"id", I}}}},
        {RsC_Lottery_MyResult, {&MainWindow::OnLotteryMyResult, true, {{"result", B}}}},
        {RsC_Lottery_Close, {&MainWindow::OnLotteryClose, true, {{"id", I}}}},
        {RsC_Record_Remote, {&MainWindow::OnRecordRemote, true, {{"startRec", B}}, &MainWindow::OnRecordRemoteRefused}},
        {RsC_StuRtc_Reset, {&MainWindow::OnStuRtcReset, true, {{"handup", B}}}},
        {RsC_Voice_Handup, {&MainWindow::OnUserHandup, true, {{"userId", T}, {"handup", B}}}},
        {RsC_StuRtc_Stop, {&MainWindow::OnStuRtcStop, true, {{"online", B}, Opt("srcUserId", T)}}},
        {RsC_StuRtc_Start, {&MainWindow::OnStuRtcStart, true, {{"type", T}, Opt("isok", B), Opt("srcUserId", T)}}},
    };
    const auto it = routes.constFind(code);
    if (it == routes.constEnd())
        return false;
    QVariantMap map;
    if (it->readsPayload && !cmdpayload::Check("MainWindow::onClientLibCmd", code, var, it->keys, &map)) {
        if (it->refused)
            (this->*(it->refused))(code);
        return true;
    }
    (this->*(it->handler))(code, map);
    return true;
}

void MainWindow::onClientLibCmd(int cmd, const QVariant& var)
{
    if (DispatchClientCmd(cmd, var))
        return;
    // The HTTP results, unchanged; anything else is not for the room shell.
    if (unsigned(cmd - RsC_Http_Login) <= unsigned(RsC_Http_AppAuth - RsC_Http_Login))
        onUserHttpCmd(cmd, var);
}

// --- room services and login ---

void MainWindow::OnRoomAddrFailed(int, const QVariantMap& v)
{
    const QString msg = ServiceMessage(v.value("type").toString(), false);
    Logger::instance()->Log(LOG_WARN, "MainWindow::onClientLibCmd", "server failed %s", msg.toUtf8().constData());
}

void MainWindow::OnRoomConnectFailed(int, const QVariantMap& v)
{
    const QString type = v.value("type").toString();
    CData::instance()->SetVar(type, v);
    if (type == "extpush") {
        if (m_extPush)
            m_extPush->SetConnectState(false, QString());
        return;
    }
    if (type == "main")
        m_shareRetry = 0;
    const QString msg = ServiceMessage(type, true);
    Logger::instance()->Log(LOG_WARN, "MainWindow::onClientLibCmd", "server failed %s", msg.toUtf8().constData());
}

void MainWindow::OnRoomLoginResult(int code, const QVariantMap& v)
{
    const QString type = v.value("type").toString();
    CData* data = CData::instance();
    data->SetVar(type, v);
    if (type == "extpush") {
        if (m_extPush)
            m_extPush->SetConnectState(v.value("isok").toBool(), v.value("result").toString());
        return;
    }
    if (type != "main")
        return;
    // The room answered: its controls work from now on, whatever the answer
    // holds (a refusal leaves the room below).
    ui->mainWidget->setEnabled(true);
    if (!cmdpayload::CheckKeys("MainWindow::onClientLibCmd", code, v, {Opt("code", Kind::Int), Opt("regOk", Kind::Bool)}))
        return;
    QString msg;
    switch (v.value("code").toInt()) {
    case 403: msg = tr("您没有登录房间的权限"); break;
    case 701: msg = tr("您已被限制登录"); break;
    case 900: msg = tr("超过课程预订最大人数限制"); break;
    default: break;
    }
    if (!msg.isEmpty()) {
        Logger::instance()->Log(LOG_WARN, "MainWindow::onClientLibCmd", "login room failed %s",
                                msg.toUtf8().constData());
        Toast::ShowToast(msg, this, 3000);
        ExitRoom();
        return;
    }
    if (data->IsLiveRoom()) {
        Room* room = Room::instance();
        if (RtmpLivePlayer* player = room->GetLivePlayer())
            connect(player, &RtmpLivePlayer::sgRtmpPlayFailed, this, &MainWindow::slotRtmpPlayFailed,
                    Qt::UniqueConnection);
        if (data->IsTeacher()) {
            if (RtmpLivePusher* pusher = room->GetLivePusher())
                connect(pusher, &RtmpLivePusher::sgLivePushState, this, &MainWindow::slotRtmpPushFailed,
                        Qt::UniqueConnection);
            if (ClientLib* lib = Lib())
                lib->ResetLiveState(0, 0);
        }
    }
    if (v.value("regOk").toBool()) {
        if (m_firstRoomLogin && data->IsTeacher())
            m_startRecording = true;
        m_firstRoomLogin = false;
    } else {
        Logger::instance()->Log(LOG_WARN, "MainWindow::onClientLibCmd", "login room failed");
    }
}

// --- chat, relay and external push ---

void MainWindow::OnChatMessage(int, const QVariantMap&)
{
    m_lastActivity = CData::instance()->GetSvrTime();
    // The unread mark while the chat panel is not shown.
    if (!m_chat || !m_chat->isVisible()) {
        ui->btnChatMsg->setCheckable(true);
        ui->btnChatMsg->setChecked(true);
    }
}

void MainWindow::OnTranMessage(int code, const QVariantMap& v)
{
    CData::instance()->DoTranRs(v, code == RsC_Tran_MessageEx);
}

void MainWindow::OnExtPushMessage(int, const QVariantMap& v)
{
    if (m_extPush)
        m_extPush->OnExtPushTranMsg(v);
    else
        Logger::instance()->Log(LOG_WARN, "MainWindow::onClientLibCmd", "ext push msg %s: no panel",
                                v.value("command").toString().toUtf8().constData());
}

// --- users and course ---

void MainWindow::ShowHandupToastFor(int statusKey)
{
    CData* data = CData::instance();
    m_handupToast->setVisible(data->GetStatus(statusKey) && !data->GetLocalUser()->online);
}

void MainWindow::OnUserSelf(int, const QVariantMap& v)
{
    CData* data = CData::instance();
    UserInfo self = *data->GetLocalUser();
    self.userId = Std(v.value("userid"));
    data->SetLocalUser(self);
    data->UpdateUser(self);
}

void MainWindow::OnUserJoin(int, const QVariantMap& v)
{
    CData* data = CData::instance();
    const std::string id = Std(v.value("userid"));
    UserInfo user(id);
    const bool known = data->GetUser(id, user);
    user.userName = Utf8(v.value("userName"));
    user.type = v.value("type").toInt();
    user.cam = v.value("cam").toBool();
    user.mic = v.value("mic").toBool();
    user.click = v.value("click").toBool();
    user.draw = v.value("draw").toBool();
    user.noSpeak = v.value("noSpeak").toBool();
    user.online = v.value("online").toBool();
    data->UpdateUser(user);
    if (m_userList)
        m_userList->UpdateUser(std::make_shared<UserInfo>(user));
    const QString userId = QString::fromStdString(id);
    if (data->IsLiveRoom()) {
        if (!data->IsTeacher())
            ShowHandupToastFor(kStatusVoiceInteraction);
        return;
    }
    ClientLib* lib = Lib();
    if (data->IsTeacher()) {
        if (known && lib) {
            lib->SyncUser(userId);
            lib->SubscribeUser(userId);
        }
        return;
    }
    if (known && lib)
        lib->SubscribeUser(userId);
    if (id == data->GetLocalUser()->userId) {
        data->SetLocalUser(user);
        if (m_drawToolBar)
            m_drawToolBar->SetStudentAuth(user.draw, user.click);
        if (CWhiteBoardLib* wb = WBLib())
            wb->SetDrawAuth(user.draw, user.click);
        ShowHandupToastFor(kStatusHandUpOpen);
    }
}

void MainWindow::OnUserLeave(int, const QVariantMap& v)
{
    CData* data = CData::instance();
    const QString userId = v.value("userid").toString();
    UserInfo user;
    if (data->GetUser(userId.toStdString(), user)) {
        if (m_userList)
            m_userList->RemoveUser(userId);
        data->RemoveUser(user.userId);
        if (user.type == 1) {
            data->SetStatus(kStatusLinkMic, 0);
            if (CWhiteBoardLib* wb = WBLib())
                wb->RemoveUser();
            Room::instance()->UpdateDisplayName();
            m_lastActivity = data->GetSvrTime();
        }
    }
    if (m_showQR)
        m_showQR->RemoveAppDev(userId);
}

qint64 MainWindow::ParseCourseEnd(const QVariant& text)
{
    const QDateTime end = QDateTime::fromString(text.toString(), "yyyy-MM-dd hh:mm:ss");
    if (!end.isValid()) {
        Logger::instance()->Log(LOG_WARN, "MainWindow::ParseCourseEnd", "bad course end \"%s\"",
                                text.toString().toUtf8().constData());
        return 0;
    }
    return end.toMSecsSinceEpoch();
}

void MainWindow::OnCourseInfo(int, const QVariantMap& v)
{
    ui->labTitle->setText(v.value("title").toString());
    m_courseEnd = ParseCourseEnd(v.value("endtime"));
}

void MainWindow::OnCourseEnd(int, const QVariantMap&)
{
    Toast::ShowToast(tr("课程已结束"), this, 3000);
    ExitRoom();
}

void MainWindow::OnUserWebId(int, const QVariantMap& v)
{
    const QString userId = v.value("userId").toString();
    const QString webId = v.value("userWebId").toString();
    CData* data = CData::instance();
    UserInfo user;
    if (webId.isEmpty() || !data->GetUser(userId.toStdString(), user))
        return;
    user.webId = webId.toStdString();
    data->UpdateUser(user);
    if (ClientLib* lib = Lib())
        lib->BindUserWebId(userId, webId);
}

void MainWindow::OnAppDeviceAuth(int, const QVariantMap& v)
{
    // A dialog of its own for every request.
    auto* auth = new AppAuthWidget(this);
    if (m_showQR)
        connect(auth, &AppAuthWidget::sgAuthAppDev, m_showQR.get(), &ShowQRWidget::onAuthAppDev);
    auth->showAppDev(v);
}

void MainWindow::OnUserKicked(int, const QVariantMap& v)
{
    Toast::ShowToast(v.value("type").toString() == "otherkick" ? tr("帐号在其他设备登录，您已退出")
                                                              : tr("您被老师请出教室!"),
                     this, 3000);
    ExitRoom();
}

void MainWindow::OnHandupSwitch(int, const QVariantMap& v)
{
    CData* data = CData::instance();
    const bool handup = v.value("handup").toBool();
    data->SetStatus(kStatusHandUpOpen, handup ? 1 : 0);
    if (data->IsTeacher()) {
        if (m_userList)
            m_userList->SetOpenHandup(handup);
        return;
    }
    if (m_wallSeconds() - m_roomEntryTime > 3)
        Toast::ShowToast(handup ? tr("老师开启举手") : tr("老师关闭举手"), this, 3000);
    ShowHandupToastFor(kStatusHandUpOpen);
}

void MainWindow::OnUserHandup(int, const QVariantMap& v)
{
    if (m_userList)
        m_userList->SetUserHandup(v.value("userId").toString(), v.value("handup").toBool());
}

void MainWindow::OnInviteVideo(int, const QVariantMap& v)
{
    if (!m_inviteBox)
        m_inviteBox = new MsgBox(this, false, 0);
    if (!v.value("online").toBool()) {
        m_inviteBox->hide();
        return;
    }
    const QString srcUserId = v.value("srcUserId").toString();
    m_inviteBox->SetMsgText(tr("老师邀请您视频互动"), QString());
    m_inviteBox->SetButtonText(true, tr("同意"), tr("拒绝"));
    disconnect(m_inviteBox, &MsgBox::sgCloseMsgBox, nullptr, nullptr);
    connect(m_inviteBox, &MsgBox::sgCloseMsgBox, this, [srcUserId](bool bOk, MsgBox*) {
        if (ClientLib* lib = Lib())
            lib->ReplyInvite(srcUserId, bOk);
    });
    m_inviteBox->ShowMsg();
}

void MainWindow::ReplyInviteResult(const QVariantMap& v)
{
    CData* data = CData::instance();
    UserInfo user;
    if (!data->GetUser(Std(v.value("srcUserId")), user))
        return;
    const bool ok = v.value("isok").toBool();
    user.online = ok;
    data->UpdateUser(user);
    const QString name = QString::fromUtf8(user.userName.c_str());
    Toast::ShowToast(name + (ok ? tr("接受了您的互动邀请") : tr("拒绝了您的互动邀请")), this, 3000);
}

void MainWindow::OnInteractResult(int, const QVariantMap& v)
{
    const QString type = v.value("type").toString();
    if (type == "open") {
        if (!v.value("isok").toBool())
            Toast::ShowToast(tr("开启互动失败,互动人数已达上限!"), this, 3000);
    } else if (type == "inviteRs") {
        ReplyInviteResult(v);
    } else if (type == "limit") {
        Toast::ShowToast(tr("请求互动失败，已达到最大人数%1人限制").arg(v.value("num").toLongLong()), this, 3000);
    }
}

void MainWindow::OnUserList(int code, const QVariantMap& v)
{
    CData* data = CData::instance();
    for (const QVariant& entry : v.value("userlist").toList()) {
        QVariantMap item;
        if (!cmdpayload::Check("MainWindow::onClientLibCmd", code, entry,
                               {{"userId", Kind::Text}, Opt("userName", Kind::Text), Opt("noSpeak", Kind::Bool),
                                Opt("userType", Kind::Int)},
                               &item))
            continue;
        const std::string id = Std(item.value("userId"));
        UserInfo user(id);
        data->GetUser(id, user);
        user.userName = Utf8(item.value("userName"));
        user.noSpeak = item.value("noSpeak").toBool();
        user.type = item.value("userType").toInt();
        data->UpdateUser(user);
        if (m_userList)
            m_userList->UpdateUser(std::make_shared<UserInfo>(user));
    }
}

QString MainWindow::OnlineCountText(qint64 total)
{
    if (total > 10000)
        return tr("在线人数 ") + QString::number(total / 10000.0, 'f', 2) + tr("万");
    return tr("在线人数 ") + QString::number(total);
}

void MainWindow::OnUserCount(int, const QVariantMap& v)
{
    m_lottery->SetOnlineNum(v.value("pureStu").toLongLong());
    const QString text = OnlineCountText(v.value("totalNum").toLongLong());
    if (m_userList)
        m_userList->SetOnlineNum(text);
    if (m_chat)
        m_chat->SetTitle(text);
}
