// The home window's handling of the client library's HTTP results: the
// first requests after sign-in, and every list the window shows.
#include "home/ClassListWidget.h"

#include "ui_ClassListWidget.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/CSettings.h"
#include "app/DownThread.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "app/WorkerLifetime.h"
#include "home/CalendarWdg.h"
#include "home/ClassInfoWdg.h"
#include "home/CoursePage.h"
#include "home/GroupPage.h"
#include "home/ProblemFeedback.h"
#include "home/ShareTmpRoomWidget.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"

#include <QDateTime>

#include <algorithm>

namespace {

const char kTmpCourseId[] = "tmp111122222";
const char kFailedStyle[] =
    "border-image: url(:/class/res/class/liveFailed.png);\nmin-width: 135px;\nmax-width: 135px;\nmin-height: "
    "135px;\nmax-height: 135px;";

// Kinds of room made by MakeTmpRoom, echoed in "user_data"/"type".
enum MadeRoomKind { kMadeLiveRoom = 3, kMadeRecordingRoom = 4 };

ClientLib* clientLib() { return Room::instance()->GetClientLib(); }

std::string text(const QVariantMap& m, const char* key) { return m.value(key).toString().toStdString(); }
// Identifiers the records keep as text arrive as 64-bit numbers.
std::string idText(const QVariantMap& m, const char* key) { return std::to_string(m.value(key).toLongLong()); }

void sortByBegin(std::vector<RoomInfo>& rooms)
{
    std::sort(rooms.begin(), rooms.end(), [](const RoomInfo& a, const RoomInfo& b) { return a.begin < b.begin; });
}

// A lesson of a day's or a course's list; courseKey names the course id.
RoomInfo lessonFrom(const QVariantMap& m, bool courseIdIsNumber, const char* courseKey)
{
    RoomInfo r;
    r.course_id = courseIdIsNumber ? idText(m, courseKey) : text(m, courseKey);
    r.group_id = text(m, "group_id");
    r.room_id = text(m, "room_id");
    r.room_type = m.value("room_type").toInt();
    r.room_name = text(m, "room_name");
    r.status = m.value("status").toInt();
    r.begin = text(m, "begin");
    r.end = text(m, "end");
    r.enterts = m.value("enterts").toInt();
    for (const QVariant& t : m.value("teacher").toList()) {
        const QVariantMap tm = t.toMap();
        r.teacher.push_back({idText(tm, "user_id"), text(tm, "head_img"), text(tm, "name"), text(tm, "nick")});
    }
    return r;
}

std::vector<RoomInfo> lessonsFrom(const QVariantList& list, bool courseIdIsNumber, const char* courseKey)
{
    std::vector<RoomInfo> rooms;
    for (const QVariant& v : list) {
        rooms.push_back(lessonFrom(v.toMap(), courseIdIsNumber, courseKey));
        CData::instance()->SetGroupId(QString::fromStdString(rooms.back().group_id));
    }
    return rooms;
}

// A temporary room (of the temporary-room lists and of a made room).
RoomInfo tmpRoomFrom(const QVariantMap& m)
{
    RoomInfo r;
    r.isTmp = true;
    r.room_type = 1;
    r.course_id = text(m, "id");
    r.group_id = text(m, "group_id");
    r.room_id = text(m, "room_id");
    r.room_name = text(m, "room_name");
    r.status = m.value("status").toInt();
    r.begin = text(m, "begin");
    r.end = text(m, "end");
    TeacherInfo t;
    t.name = text(m, "teacher");
    r.teacher.push_back(t);
    return r;
}

void showMessage(QWidget* parent, const QString& message)
{
    auto* box = new MsgBox(parent, true, 0);
    box->SetMsgText(message, "");
    box->SetButtonText(false, QObject::tr("确定"));
    box->ShowMsg();
}

bool isSignIn(int type)
{
    return type == RsC_Http_Login || type == RsC_Http_LoginBySid || type == RsC_Http_LoginByCode;
}

}  // namespace

bool ClassListWidget::ClassResult(int type, const QVariant& data)
{
    if (unsigned(type - RsC_Http_Login) > 34u)
        return false;
    const QVariantMap m = data.toMap();
    const int code = m.value("code").toInt();
    if (isSignIn(type)) {
        if (code != 0)
            return false;
        onLoginOk();
        return true;
    }
    // Answers that come after "switch account" belong to the old session.
    if (!CData::instance()->GetStatus(kStatusSignedIn))
        return false;
    switch (type) {
    case RsC_Http_UserInfo:
        if (code == 0 && m.value("user_data").toMap().value("userid").toString().isEmpty())
            onUserInfo(m);
        break;
    case RsC_Http_Classes:
        for (const QVariant& v : m.value("classes").toList()) {
            const QVariantMap c = v.toMap();
            CourseInfo course;
            course.courseId = text(c, "class_id");
            course.groupId = text(c, "group_id");
            course.end = c.value("end").toInt();
            course.total = c.value("total").toInt();
            course.name = text(c, "class_name");
            course.image = text(c, "image");
            CData::instance()->AddCourse(course);
        }
        ui->coursePage->SetCourseList(CData::instance()->GetCourses());
        break;
    case RsC_Http_Orders:
        if (code == 0) {
            std::vector<std::string> days;
            for (const QVariant& v : m.value("calePoints").toList())
                days.push_back(v.toString().toStdString());
            CData::instance()->SetCalePoints(text(m, "startDay"), days);
            GetOrders();
        }
        break;
    case RsC_Http_DayRooms: onDayRooms(m, code); break;
    case RsC_Http_CourseList: onCourseRooms(m, code); break;
    case RsC_Http_TmpCourse: onTmpCourse(m, code); break;
    case RsC_Http_TmpRooms: onTmpRooms(m, code, false); break;
    case RsC_Http_TmpRoomCount: onTmpRooms(m, code, true); break;
    case RsC_Http_MakeTmpRoom: onRoomMade(m, code); break;
    case RsC_Http_Groups: onGroups(m); break;
    case RsC_Http_GroupMessages: onGroupMessages(m); break;
    case RsC_Http_FindUser: onUserFound(m, code); break;
    case RsC_Http_ShareTmpRoom: onRoomShared(m, code); break;
    case RsC_Http_Feedback: ProblemFeedback::OnSubmitResult(code, m.value("errMsg").toString()); break;
    default: break;
    }
    return false;
}

void ClassListWidget::onLoginOk()
{
    ClientLib* lib = clientLib();
    if (lib) {
        lib->GetUserInfo("", "");
        if (CData::instance()->IsTeacher()) {
            lib->GetTmpCourse();
            lib->GetClasses();
        }
        lib->GetGroups(userType());
        lib->GetTmpRooms("0", userType());
        lib->GetTmpRooms("1", userType());
    }
    OnShowToday();
    auto* login = reinterpret_cast<QWidget*>(quintptr(property("loginWdg").toLongLong()));
    PubUtils::MoveToScreenCenter(this, login);
    show();
    raise();
}

void ClassListWidget::onUserInfo(const QVariantMap& m)
{
    const QString url = m.value("userHeader").toString();
    const QString name = m.value("userName").toString();
    UserInfo user = *CData::instance()->GetLocalUser();
    user.userHeader = url.toStdString();
    CData::instance()->SetLocalUser(user);
    ui->btnUser->setText(
        ui->btnUser->fontMetrics().elidedText(name, Qt::ElideRight, ui->btnUser->width() - 5, Qt::TextShowMnemonic));
    ui->btnUser->setToolTip(name);
    const QPixmap cached = DownThread::GetLoadPixmap(url.toStdString());
    if (!cached.isNull()) {
        showAvatar(cached);
        return;
    }
    WorkerLifetime::Start(new DownThread(url.toStdString(), 1, true), this, &ClassListWidget::OnDownFinish);
}

void ClassListWidget::showAvatar(const QPixmap& picture)
{
    QPalette pal = ui->headerImg->palette();
    pal.setBrush(QPalette::All, backgroundRole(),
                 QBrush(picture.scaled(ui->headerImg->size(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)));
    ui->headerImg->setPalette(pal);
}

void ClassListWidget::OnDownFinish(DownThread* down)
{
    if (!down)
        return;
    // Only the avatar (type 1) is shown, and only to the account that asked
    // for it: a download that ends after "切换账号" is dropped.
    if (down->type != 1 || !CData::instance()->GetStatus(kStatusSignedIn))
        return;
    QPixmap picture = DownThread::GetLoadPixmap(down->GetLocalFile().toUtf8().toStdString());
    if (picture.isNull())
        picture = QPixmap(":/class/res/class/userheader.png");
    showAvatar(picture);
}

void ClassListWidget::onDayRooms(const QVariantMap& m, int code)
{
    const QVariantMap echo = m.value("user_data").toMap();
    const std::string monthStart = echo.value("monthStart").toString().toStdString();
    const std::string day = echo.value("startDay").toString().toStdString();
    std::vector<RoomInfo> rooms = lessonsFrom(m.value("ltRooms").toList(), false, "course_id");
    if (code != 0) {
        ui->labNoClassImg->setStyleSheet(kFailedStyle);
        ui->btnGetCalcClass->show();
        ui->stackClassList->setCurrentIndex(1);
        return;
    }
    sortByBegin(rooms);
    CData* data = CData::instance();
    // Only a month whose points are known takes the day: an unknown month
    // is asked for whole by GetOrders (a failed points request is retried).
    if (!rooms.empty() && data->HasCalePoints(monthStart)) {
        std::vector<std::string> points = data->GetCalePoints(monthStart);
        points.push_back(day);
        data->SetCalePoints(monthStart, points);
    }
    if (!rooms.empty())
        GetOrders();
    data->SetDayRooms(day, rooms);
    RefreshDayPanel();
}

void ClassListWidget::onCourseRooms(const QVariantMap& m, int code)
{
    const std::string id = m.value("user_data").toMap().value("id").toString().toStdString();
    std::vector<RoomInfo> rooms = lessonsFrom(m.value("rooms").toList(), true, "class_id");
    if (code != 0)
        return;
    sortByBegin(rooms);
    CourseInfo course;
    CData::instance()->GetCourse(id, course);
    course.rooms = rooms;
    course.roomsLoaded = true;
    CData::instance()->AddCourse(course);
    ui->coursePage->RefreshCurrent();
}

void ClassListWidget::onTmpCourse(const QVariantMap& m, int code)
{
    const QVariantList list = m.value("tmpcourse").toList();
    for (const QVariant& v : list) {
        const QVariantMap c = v.toMap();
        CourseInfo course = CData::instance()->GetTmpCourse();
        course.isTmp = true;
        course.groupId = text(c, "group_id");
        course.courseId = kTmpCourseId;
        course.name = "15分钟课堂";
        course.free = c.value("free").toInt();
        course.used = c.value("used").toInt();
        course.rest = c.value("rest").toInt();
        CData::instance()->AddCourse(course);
    }
    if (code == 0 && !list.isEmpty()) {
        ui->coursePage->ShowAddCourse(list.size());
        ui->coursePage->SetCourseList(CData::instance()->GetCourses());
    }
}

void ClassListWidget::onTmpRooms(const QVariantMap& m, int code, bool countIntoCourse)
{
    if (code != 0)
        return;
    std::vector<RoomInfo> rooms;
    for (const QVariant& v : m.value("tmprooms").toList())
        rooms.push_back(tmpRoomFrom(v.toMap()));
    sortByBegin(rooms);
    CData* data = CData::instance();
    if (countIntoCourse) {
        CourseInfo course = data->GetTmpCourse();
        if (!course.isTmp) {
            Logger::instance()->Log(200, "ClassListWidget::ClassResult", "tmp rooms without tmp course, ignored");
            return;
        }
        course.free = int32_t(std::count_if(rooms.begin(), rooms.end(), [](const RoomInfo& r) { return r.status == 0; }));
        course.used = int32_t(rooms.size()) - course.free;
        data->AddCourse(course);
        data->SetRoomList(rooms);
        ui->coursePage->SetCourseList(data->GetCourses());
        return;
    }
    data->SetRoomList(rooms);
    ui->coursePage->RefreshCurrent();
}

void ClassListWidget::onRoomMade(const QVariantMap& m, int code)
{
    const int kind = m.value("user_data").toMap().value("type").toInt();
    if (code != 0) {
        const QString errMsg = m.value("errMsg").toString();
        showMessage(this, kind == kMadeRecordingRoom ? tr("进入录制课堂失败! %1(code=%2)").arg(errMsg).arg(code) : errMsg);
        return;
    }
    RoomInfo room = tmpRoomFrom(m);
    room.status = 0;
    if (kind == kMadeLiveRoom) {
        std::vector<RoomInfo> rooms = CData::instance()->GetRoomList();
        rooms.push_back(room);
        CData::instance()->SetRoomList(rooms);
        ui->coursePage->RefreshCurrent();
        Toast::ShowToast(tr("直播创建成功，赶快体验吧～"), this, 3000);
    } else if (kind == kMadeRecordingRoom) {
        if (ClientLib* lib = clientLib())
            lib->EnterRoomRequest(QString::fromStdString(room.group_id), QString::fromStdString(room.room_id),
                                  userType(), "4");
    }
    if (ClientLib* lib = clientLib())
        lib->GetTmpCourse();
}

void ClassListWidget::onGroups(const QVariantMap& m)
{
    for (const QVariant& v : m.value("groups").toList()) {
        const QVariantMap g = v.toMap();
        GroupInfo group;
        group.groupId = idText(g, "id");
        group.name = text(g, "name");
        group.logo = text(g, "logo");
        group.type = idText(g, "type");
        CData::instance()->AddGroup(group);
    }
    ui->groupPage->SetGroupList(CData::instance()->GetGroups());
}

void ClassListWidget::onGroupMessages(const QVariantMap& m)
{
    const bool firstPage = m.value("user_data").toMap().value("ts").toLongLong() == 0;
    std::vector<GroupMsgInfo> msgs;
    for (const QVariant& v : m.value("datalist").toList()) {
        const QVariantMap d = v.toMap();
        GroupMsgInfo msg;
        msg.groupId = idText(d, "groupid");
        msg.msg = text(d, "msg");
        msg.msgId = d.value("id").toLongLong();
        msg.createTime = text(d, "CreateTime");
        msg.createSecs = QDateTime::fromString(d.value("CreateTime").toString(), "yyyy-MM-dd hh:mm:ss").toSecsSinceEpoch();
        msg.createUser = text(d, "CreateUser");
        msgs.push_back(msg);
    }
    if (msgs.empty())
        return;
    CData* data = CData::instance();
    GroupInfo group;
    if (!data->GetGroup(msgs.front().groupId, group)) {
        Logger::instance()->Log(200, "ClassListWidget::ClassResult", "messages of unknown group %s ignored",
                                msgs.front().groupId.c_str());
        return;
    }
    group.msgs.insert(group.msgs.end(), msgs.begin(), msgs.end());
    std::stable_sort(group.msgs.begin(), group.msgs.end(),
                     [](const GroupMsgInfo& a, const GroupMsgInfo& b) { return a.msgId > b.msgId; });
    group.msgs.erase(std::unique(group.msgs.begin(), group.msgs.end(),
                                 [](const GroupMsgInfo& a, const GroupMsgInfo& b) { return a.msgId == b.msgId; }),
                     group.msgs.end());
    data->AddGroup(group);

    const QString key = "App/GMsgLasterTs" + QString::fromStdString(msgs.front().groupId);
    const QString newest = QString::fromStdString(group.msgs.front().createTime);
    const QString stored = CSettings::instance()->GetValue(key, "").toString();
    if (newest != stored) {
        Logger::instance()->Log(300, "ClassListWidget::ClassResult", "group %s new msg %s pre %s",
                                key.toUtf8().constData(), newest.toUtf8().constData(), stored.toUtf8().constData());
        if (ui->stackMain->currentIndex() == 2) {
            CSettings::instance()->SetValue(key, newest);
        } else {
            pendingReadTs[key] = newest;
            ui->btnMessage->setCheckable(true);
            ui->btnMessage->setChecked(true);
        }
    }
    ui->groupPage->UpdateGroup(group, firstPage);
}

// The share dialog an answer names by its room id; null (logged) when that
// dialog was closed before the answer came.
static ShareTmpRoomWidget* shareDialogOf(const QVariantMap& m, const char* what)
{
    const std::string roomId = m.value("user_data").toMap().value("roomid").toString().toStdString();
    ShareTmpRoomWidget* dialog = ShareTmpRoomWidget::FindWidget(roomId);
    if (!dialog)
        Logger::instance()->Log(200, "ClassListWidget::ClassResult", "%s for room %s without its dialog, dropped", what,
                                roomId.c_str());
    return dialog;
}

static QString failureText(const QVariantMap& m, int code)
{
    return QString("%1(code=%2)").arg(m.value("errMsg").toString()).arg(code);
}

void ClassListWidget::onUserFound(const QVariantMap& m, int code)
{
    const QString phone = m.value("user_data").toMap().value("phone").toString();
    const QString name = m.value("name").toString();
    if (code == 0)
        CData::instance()->AddIphoneShare(ShareTmpRoomWidget::HistoryEntry(phone, name));
    ShareTmpRoomWidget* dialog = shareDialogOf(m, "user found");
    if (!dialog)
        return;
    if (code == 0)
        dialog->OnFindUserResult(phone, name, m.value("user_id").toString());
    else
        dialog->OnFindUserResult(phone, failureText(m, code), QString());
}

void ClassListWidget::onRoomShared(const QVariantMap& m, int code)
{
    ShareTmpRoomWidget* dialog = shareDialogOf(m, "share answer");
    if (!dialog)
        return;
    if (code != 0) {
        dialog->OnShareFailed(failureText(m, code));
        return;
    }
    dialog->close();
    showMessage(this, tr("分享15分钟课堂成功!"));
}
