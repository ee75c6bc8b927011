// MainWindow: the answers of the client library's HTTP requests. Every answer
// is offered to the login window, the home window and the courseware panel
// first; the room shell then takes room entry, the user header, the course
// information and the media address.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "app/UrlProxy.h"
#include "ClientLib.h"
#include "courseware/DocWidget.h"
#include "home/ClassListWidget.h"
#include "home/LoginWidget.h"
#include "interaction/UserListDialog.h"
#include "mainwindow/shell/CommandPayload.h"
#include "media/MediaPlayerWidget.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"

#include <QDesktopServices>
#include <QHash>
#include <QUrl>

using cmdpayload::Kind;
using cmdpayload::Opt;

namespace {

// Room types of a room-entry answer.
constexpr int kRoomTypeMp4 = 4;       // recorded to an MP4 file
constexpr int kRoomTypePlayback = 5;  // a recorded class, played in the browser
// The live mode of a room recorded to an MP4 file.
constexpr int kLiveModeMp4 = 10;

}  // namespace

void MainWindow::onUserHttpCmd(int type, const QVariant& data)
{
    m_login->LoginResult(type, data);
    m_classList->ClassResult(type, data);
    m_docWidget->onUserHttpCmd(type, data);

    struct Route {
        void (MainWindow::*handler)(int type, const QVariantMap& v);
        std::vector<cmdpayload::Key> keys;
    };
    const Kind T = Kind::Text, I = Kind::Int, L = Kind::List, M = Kind::Map;
    static const QHash<int, Route> routes = {
        {RsC_Http_EnterRoom,
         {&MainWindow::OnHttpEnterRoom, {{"code", I}, Opt("user_data", M), Opt("errMsg", T), Opt("ltParame", L)}}},
        {RsC_Http_UserHeader, {&MainWindow::OnHttpUserHeader, {Opt("code", I), Opt("user_data", M), Opt("userHeader", T)}}},
        {RsC_Http_CourseInfo, {&MainWindow::OnHttpCourseInfo, {Opt("title", T), Opt("endtime", T)}}},
        {RsC_Http_MediaUrl, {&MainWindow::OnHttpMediaUrl, {{"geturl", T}, Opt("user_data", M)}}},
    };
    const auto it = routes.constFind(type);
    if (it == routes.constEnd())
        return;  // the feedback answer among them: nothing for the room shell
    QVariantMap map;
    if (cmdpayload::Check("MainWindow::onUserHttpCmd", type, data, it->keys, &map))
        (this->*(it->handler))(type, map);
}

void MainWindow::ShowRoomEntryFailure(const QString& text)
{
    auto* box = new MsgBox(this, true, 0);
    box->SetMsgText(text, QString());
    box->SetButtonText(true, tr("确定"), tr("取消"));
    box->ShowMsg();
}

void MainWindow::OnHttpEnterRoom(int type, const QVariantMap& v)
{
    CData* data = CData::instance();
    const int code = v.value("code").toInt();
    if (code != 0) {
        ShowRoomEntryFailure(tr("进入房间失败%1!").arg(v.value("errMsg").toString()));
        return;
    }
    if (!data->GetLoginVar().isEmpty())
        return;  // a room is open already
    const QVariantMap userData = v.value("user_data").toMap();
    if (!cmdpayload::CheckKeys("MainWindow::onUserHttpCmd", type, userData, {{"roomType", Kind::Int}}) ||
        !cmdpayload::CheckKeys("MainWindow::onUserHttpCmd", type, v, {{"ltParame", Kind::List}}))
        return;
    const int roomType = userData.value("roomType").toString().trimmed().toInt(nullptr, 10);
    const QStringList vars = v.value("ltParame").toStringList();
    if (roomType == kRoomTypePlayback) {
        const QString url = QString::fromUtf8(UrlProxy::GetUrl(kUrlPlaybackPage)) + "?token=" +
                            QString::fromLatin1(QUrl::toPercentEncoding(vars.value(0))) + "&name=" +
                            QString::fromLatin1(QUrl::toPercentEncoding(vars.value(3)));
        Logger::instance()->Log(LOG_INFO, "MainWindow::onUserHttpCmd", "enter playback %s", url.toUtf8().constData());
        QDesktopServices::openUrl(QUrl(url));
        return;
    }
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->LeaveRoom();
    if (!data->SetLoginVar(vars)) {
        ShowRoomEntryFailure(tr("进入房间失败，客户端和房间类型不匹配!"));
        return;
    }
    // Only a room that was accepted is an MP4 recording room.
    if (roomType == kRoomTypeMp4)
        data->SetLiveMode(kLiveModeMp4);
    if (data->IsLiveRoom())
        data->DoGetLiveConfig();  // its answer enters the room
    else
        EnterRoom();
}

void MainWindow::OnHttpUserHeader(int, const QVariantMap& v)
{
    const std::string userId = v.value("user_data").toMap().value("userid").toString().toStdString();
    const QString header = v.value("userHeader").toString();
    if (userId.empty() || header.isEmpty() || v.value("code").toInt() != 0)
        return;
    CData* data = CData::instance();
    UserInfo user(userId);
    data->GetUser(userId, user);
    user.userHeader = header.toStdString();
    data->UpdateUser(user);
    if (m_userList)
        m_userList->UpdateUser(std::make_shared<UserInfo>(user));
}

void MainWindow::OnHttpCourseInfo(int, const QVariantMap& v)
{
    m_courseEnd = ParseCourseEnd(v.value("endtime"));
    ui->labTitle->setText(v.value("title").toString());
}

void MainWindow::OnHttpMediaUrl(int, const QVariantMap& v)
{
    QVariantMap command = v.value("user_data").toMap();
    command["url"] = QUrl::fromPercentEncoding(v.value("geturl").toString().toUtf8());
    CData* data = CData::instance();
    if (data->IsTeacher() && data->GetClassType() != 0) {
        m_mediaPlayer->PostRoomMediaCommand(QVariant(command));
        return;
    }
    Toast::ShowToast(tr("双师子教室老师不允许播放媒体文件!"), this, 3000);
}
