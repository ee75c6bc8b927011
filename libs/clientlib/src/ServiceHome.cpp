// Accounts and the home lists of the class-room service.
#include "libs/clientlib/src/ClassroomService.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>

namespace clientlib {
namespace {

const char kStamp[] = "yyyy-MM-dd hh:mm:ss";

QString stamp(const QDateTime& t) { return t.toString(QLatin1String(kStamp)); }

void fail(Failure* f, int code, const QString& msg)
{
    f->code = code;
    f->errMsg = msg;
}

bool isPhone(const QString& s)
{
    if (s.size() != 11 || !s.startsWith(QLatin1Char('1'))) return false;
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
}

}  // namespace

ClassroomService::ClassroomService(ServiceHost* host, const SchoolData& data) : m_host(host), m_data(data) {}

int ClassroomService::requestTimeoutMs() const
{
    std::lock_guard<std::mutex> lk(m_lock);
    return m_data.requestTimeoutMs;
}

bool ClassroomService::loggedIn() const
{
    std::lock_guard<std::mutex> lk(m_lock);
    return m_loggedIn;
}

QVariantMap ClassroomService::login(const QString& account, const QString& password, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    const TeacherRec& t = m_data.teacher;
    const bool teacherOk = account == t.account && password == t.password;
    const bool registeredOk = m_registered.contains(account) && m_registered.value(account) == password;
    if (!teacherOk && !registeredOk) {
        fail(f, 1001, QStringLiteral("账号或密码错误"));
        return {};
    }
    m_loggedIn = true;
    return {{"userSid", t.sid}, {"userId", t.userId}, {"userName", t.userName},
            {"userType", t.userType}, {"userHeader", t.header}};
}

QVariantMap ClassroomService::loginBySms(const QString& phone, const QString& code, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    const TeacherRec& t = m_data.teacher;
    if (phone != t.account && !m_registered.contains(phone)) {
        fail(f, 1003, QStringLiteral("该手机号未注册"));
        return {};
    }
    const QString expected = m_smsSent.value(phone, m_data.smsCode);
    if (code.isEmpty() || code != expected) {
        fail(f, 1004, QStringLiteral("验证码错误"));
        return {};
    }
    m_loggedIn = true;
    return {{"userSid", t.sid}, {"userId", t.userId}, {"userName", t.userName},
            {"userType", t.userType}, {"userHeader", t.header}};
}

QVariantMap ClassroomService::smsCode(const QString& phone, int kind, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!isPhone(phone)) {
        fail(f, 400, QStringLiteral("手机号格式错误"));
        return {};
    }
    if (kind < 1 || kind > 3) {
        fail(f, 400, QStringLiteral("验证码类型错误"));
        return {};
    }
    const bool known = phone == m_data.teacher.account || m_registered.contains(phone);
    if (kind == 1 && known) {
        fail(f, 1005, QStringLiteral("该手机号已注册"));
        return {};
    }
    if (kind != 1 && !known) {
        fail(f, 1003, QStringLiteral("该手机号未注册"));
        return {};
    }
    m_smsSent.insert(phone, m_data.smsCode);
    return {};
}

QVariantMap ClassroomService::registerUser(const QString& phone, const QString& password, const QString& code,
                                           Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!isPhone(phone) || password.isEmpty()) {
        fail(f, 400, QStringLiteral("手机号或密码不符合要求"));
        return {};
    }
    if (phone == m_data.teacher.account || m_registered.contains(phone)) {
        fail(f, 1005, QStringLiteral("该手机号已注册"));
        return {};
    }
    if (!m_smsSent.contains(phone) || m_smsSent.value(phone) != code) {
        fail(f, 1004, QStringLiteral("验证码错误"));
        return {};
    }
    m_registered.insert(phone, password);
    m_smsSent.remove(phone);
    return {{"userSid", QStringLiteral("sid-") + phone}};
}

QVariantMap ClassroomService::resetPassword(const QString& phone, const QString& password, const QString& code,
                                            Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (password.isEmpty()) {
        fail(f, 400, QStringLiteral("密码不符合要求"));
        return {};
    }
    const bool teacher = phone == m_data.teacher.account;
    if (!teacher && !m_registered.contains(phone)) {
        fail(f, 1003, QStringLiteral("该手机号未注册"));
        return {};
    }
    if (!m_smsSent.contains(phone) || m_smsSent.value(phone) != code) {
        fail(f, 1004, QStringLiteral("验证码错误"));
        return {};
    }
    if (teacher)
        m_data.teacher.password = password;
    else
        m_registered.insert(phone, password);
    m_smsSent.remove(phone);
    return {};
}

QVariantMap ClassroomService::userInfo(const QString& userId, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return {};
    }
    if (userId.isEmpty() || userId == m_data.teacher.userId)
        return {{"userHeader", m_data.teacher.header}, {"userName", m_data.teacher.userName},
                {"userId", m_data.teacher.userId}};
    for (const StudentRec& s : m_data.students)
        if (s.userId == userId)
            return {{"userHeader", s.header}, {"userName", s.userName}, {"userId", s.userId}};
    fail(f, 404, QStringLiteral("用户不存在"));
    return {};
}

QVariantMap ClassroomService::findUser(const QString& phone, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return {};
    }
    for (const StudentRec& s : m_data.students)
        if (!s.phone.isEmpty() && s.phone == phone)
            return {{"name", s.userName}, {"user_id", s.userId.toLongLong()}};
    fail(f, 404, QStringLiteral("未找到该用户"));
    return {};
}

// ---- Home lists -----------------------------------------------------------

QVariantList ClassroomService::teacherList() const
{
    const TeacherRec& t = m_data.teacher;
    return {QVariantMap{{"user_id", t.userId.toLongLong()}, {"head_img", t.header},
                        {"name", t.userName}, {"nick", t.userName}}};
}

QVariantMap ClassroomService::lessonMap(const LessonRec& l, const QDateTime& now) const
{
    // Entry opens 30 minutes before the lesson; an ended lesson with a
    // recording can be watched again (status 1).
    const QDateTime opens = l.begin.addSecs(-30 * 60);
    int status = 0;
    qint64 enterts = 0;
    if (l.fixedStatus != -100) {
        status = l.fixedStatus;
    } else if (now < opens) {
        status = -1;
        enterts = now.secsTo(opens);
    } else if (now <= l.end) {
        status = 0;
    } else {
        status = l.playback ? 1 : 2;
    }
    return {{"course_id", l.courseId}, {"class_id", l.courseId.toLongLong()}, {"group_id", l.groupId},
            {"room_id", l.roomId}, {"room_type", l.roomType}, {"room_name", l.name},
            {"status", status}, {"begin", stamp(l.begin)}, {"end", stamp(l.end)},
            {"enterts", int(qMin<qint64>(enterts, 0x7fffffff))}, {"teacher", teacherList()}};
}

const LessonRec* ClassroomService::findLesson(const QString& roomId) const
{
    for (const LessonRec& l : m_data.lessons)
        if (l.roomId == roomId) return &l;
    for (const LessonRec& l : m_data.tmpRooms)
        if (l.roomId == roomId) return &l;
    return nullptr;
}

QVariantMap ClassroomService::classes(Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return {};
    }
    QVariantList list;
    for (const CourseRec& c : m_data.courses) {
        int ended = 0;
        const QDateTime now = QDateTime::currentDateTime();
        for (const LessonRec& l : m_data.lessons)
            if (l.courseId == QString::number(c.classId) && l.end < now) ++ended;
        list << QVariantMap{{"class_id", c.classId}, {"group_id", c.groupId}, {"class_name", c.name},
                            {"image", c.image}, {"total", c.total}, {"end", ended}};
    }
    return {{"classes", list}};
}

QVariantMap ClassroomService::orders(const QString& firstDay, const QString& lastDay, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    const QDate first = QDate::fromString(firstDay, QStringLiteral("yyyy-MM-dd"));
    const QDate last = QDate::fromString(lastDay, QStringLiteral("yyyy-MM-dd"));
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return {};
    }
    if (!first.isValid() || !last.isValid() || last < first) {
        fail(f, 400, QStringLiteral("日期参数错误"));
        return {};
    }
    QStringList days;
    for (const LessonRec& l : m_data.lessons) {
        const QDate d = l.begin.date();
        const QString text = d.toString(QStringLiteral("yyyy-MM-dd"));
        if (d >= first && d <= last && !days.contains(text)) days << text;
    }
    return {{"startDay", firstDay}, {"calePoints", days}};
}

QVariantMap ClassroomService::dayRooms(const QString& day, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    const QDate d = QDate::fromString(day, QStringLiteral("yyyy-MM-dd"));
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return {};
    }
    if (!d.isValid()) {
        fail(f, 400, QStringLiteral("日期参数错误"));
        return {};
    }
    const QDateTime now = QDateTime::currentDateTime();
    QVariantList list;
    for (const LessonRec& l : m_data.lessons)
        if (l.begin.date() == d) list << lessonMap(l, now);
    return {{"ltRooms", list}};
}

QVariantMap ClassroomService::courseRooms(const QString& courseId, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return {};
    }
    const bool known = std::any_of(m_data.courses.begin(), m_data.courses.end(),
                                   [&](const CourseRec& c) { return QString::number(c.classId) == courseId; });
    if (!known) {
        fail(f, 404, QStringLiteral("课程不存在"));
        return {};
    }
    const QDateTime now = QDateTime::currentDateTime();
    QVariantList list;
    for (const LessonRec& l : m_data.lessons)
        if (l.courseId == courseId) list << lessonMap(l, now);
    return {{"rooms", list}};
}

QVariantMap ClassroomService::tmpRooms(Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return {};
    }
    QVariantList list;
    for (const LessonRec& l : m_data.tmpRooms)
        list << QVariantMap{{"id", l.courseId}, {"group_id", l.groupId}, {"room_id", l.roomId},
                            {"room_name", l.name}, {"status", l.fixedStatus}, {"begin", stamp(l.begin)},
                            {"end", stamp(l.end)}, {"teacher", m_data.teacher.userName}};
    return {{"tmprooms", list}};
}

QVariantMap ClassroomService::tmpCourse(Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return {};
    }
    QVariantList list;
    if (!m_data.tmpGroupId.isEmpty())
        list << QVariantMap{{"group_id", m_data.tmpGroupId}, {"free", m_data.tmpFree},
                            {"used", m_data.tmpUsed}, {"rest", m_data.tmpRest}};
    return {{"tmpcourse", list}};
}

QVariantMap ClassroomService::groups(Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return {};
    }
    QVariantList list;
    for (const GroupRec& g : m_data.groups)
        list << QVariantMap{{"id", g.id}, {"name", g.name}, {"logo", g.logo}, {"type", g.type}};
    return {{"groups", list}};
}

QVariantMap ClassroomService::groupMessages(const QString& groupId, qint64 ts, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return {};
    }
    for (const GroupRec& g : m_data.groups) {
        if (QString::number(g.id) != groupId) continue;
        // Newest first; a page holds the messages older than `ts` (seconds).
        QVariantList list;
        for (const GroupMsgRec& m : g.msgs) {
            const QDateTime t = QDateTime::fromString(m.createTime, QLatin1String(kStamp));
            if (ts != 0 && t.toSecsSinceEpoch() >= ts) continue;
            list << QVariantMap{{"groupid", g.id}, {"msg", m.msg}, {"id", m.id},
                                {"CreateTime", m.createTime}, {"CreateUser", m.createUser}};
            if (list.size() == 20) break;
        }
        return {{"datalist", list}};
    }
    fail(f, 404, QStringLiteral("群组不存在"));
    return {};
}

QVariantMap ClassroomService::makeTmpRoom(int kind, const QString& groupId, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return {};
    }
    if (kind != 3 && kind != 4) {
        fail(f, 400, QStringLiteral("教室类型错误"));
        return {};
    }
    if (groupId.isEmpty()) {
        fail(f, 400, QStringLiteral("缺少群组"));
        return {};
    }
    if (kind == 3 && m_data.tmpRest <= 0) {
        fail(f, 1010, QStringLiteral("15分钟课堂次数已用完"));
        return {};
    }
    LessonRec l;
    l.tmp = true;
    const int seq = m_nextId++;
    l.courseId = QStringLiteral("tmp-%1").arg(seq);
    l.roomId = QString::number(95000 + seq);
    l.groupId = groupId;
    l.name = kind == 3 ? QStringLiteral("15分钟课堂") : QStringLiteral("录制课堂");
    l.roomType = kind == 3 ? 1 : 4;
    l.liveType = QStringLiteral("3");
    l.fixedStatus = 0;
    l.begin = QDateTime::currentDateTime();
    l.end = l.begin.addSecs(15 * 60);
    m_data.tmpRooms.append(l);
    if (kind == 3) {
        --m_data.tmpRest;
        ++m_data.tmpUsed;
    }
    return {{"id", l.courseId}, {"group_id", l.groupId}, {"room_id", l.roomId}, {"room_name", l.name},
            {"begin", stamp(l.begin)}, {"end", stamp(l.end)}, {"teacher", m_data.teacher.userName}};
}

QVariantMap ClassroomService::shareTmpRoom(const QString& roomId, const QString& userId, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    const LessonRec* l = findLesson(roomId);
    if (!l || !l->tmp) {
        fail(f, 404, QStringLiteral("教室不存在"));
        return {};
    }
    const bool known = std::any_of(m_data.students.begin(), m_data.students.end(),
                                   [&](const StudentRec& s) { return s.userId == userId; });
    if (!known) {
        fail(f, 404, QStringLiteral("未找到该用户"));
        return {};
    }
    return {};
}

QVariantMap ClassroomService::enterRoom(const QString& roomId, const QString& kind, QString* roomType, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return {};
    }
    const LessonRec* l = findLesson(roomId);
    if (!l) {
        fail(f, 404, QStringLiteral("教室不存在"));
        return {};
    }
    const QVariantMap lm = lessonMap(*l, QDateTime::currentDateTime());
    const int status = lm.value(QStringLiteral("status")).toInt();
    if (kind == QLatin1String("5")) {
        if (status != 1) {
            fail(f, 1011, QStringLiteral("该课程没有回放"));
            return {};
        }
        *roomType = QStringLiteral("5");
    } else {
        if (status == -1) {
            fail(f, 1012, QStringLiteral("课程尚未开始"));
            return {};
        }
        if (status == 1 || status == 2) {
            fail(f, 1013, QStringLiteral("课程已结束"));
            return {};
        }
        *roomType = kind == QLatin1String("4") ? QStringLiteral("4") : QString::number(l->roomType);
    }
    const TeacherRec& t = m_data.teacher;
    const QString token = QStringLiteral("%1|%2|1").arg(t.sid, l->roomId);
    return {{"ltParame", QStringList{token, l->roomId, t.userId, t.userName, l->groupId, l->liveType}}};
}

void ClassroomService::addFeedback(const QVariant& category, const QString& text)
{
    std::lock_guard<std::mutex> lk(m_lock);
    m_feedback << QVariantMap{{"category", category.toInt()}, {"text", text}};
}

QStringList ClassroomService::cameras() const
{
    std::lock_guard<std::mutex> lk(m_lock);
    return m_data.cameras;
}

QStringList ClassroomService::mics() const
{
    std::lock_guard<std::mutex> lk(m_lock);
    return m_data.mics;
}

QStringList ClassroomService::speakers() const
{
    std::lock_guard<std::mutex> lk(m_lock);
    return m_data.speakers;
}

QVariantMap ClassroomService::state() const
{
    std::lock_guard<std::mutex> lk(m_lock);
    return {{"loggedIn", m_loggedIn}, {"inRoom", m_inRoom}, {"roomId", m_roomId},
            {"onlineUsers", QStringList(m_joinOrder)}, {"feedback", m_feedback},
            {"noticeId", m_noticeId}, {"notice", m_notice}, {"voice", m_voiceOn}, {"doodle", m_doodleOn},
            {"chatAll", m_chatAll}, {"questionId", m_questionId}, {"lotteryId", m_lotteryId}};
}

}  // namespace clientlib
