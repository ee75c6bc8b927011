// The room of the class-room service: room login, the users with the
// simulated students, chat.
#include "libs/clientlib/src/ClassroomService.h"

#include <QDateTime>

namespace clientlib {
namespace {

QString stamp(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")); }

QVariantMap roomLoginResult(const QString& type, int code, const QString& result, const QString& userId)
{
    return {{"type", type}, {"code", code}, {"regOk", code == 0}, {"result", result},
            {"isok", code == 0}, {"userid", userId}};
}

}  // namespace

void ClassroomService::later(quint64 gen, int ms, std::function<void(Events*)> fn)
{
    m_host->schedule(
        [this, gen, fn] {
            Events ev;
            {
                std::lock_guard<std::mutex> lk(m_lock);
                if (gen != m_gen || !m_inRoom) return;  // the room session is over
                fn(&ev);
            }
            m_host->deliver(ev);
        },
        ms);
}

const StudentRec* ClassroomService::student(const QString& userId) const
{
    for (const StudentRec& s : m_data.students)
        if (s.userId == userId) return &s;
    return nullptr;
}

bool ClassroomService::inRoom() const
{
    std::lock_guard<std::mutex> lk(m_lock);
    return m_inRoom;
}

bool ClassroomService::liveLocked() const
{
    static const QStringList live = {"1", "2", "5", "100", "101"};
    return m_loginVars.size() >= 6 && live.contains(m_loginVars.at(5));
}

bool ClassroomService::isLiveRoom() const
{
    std::lock_guard<std::mutex> lk(m_lock);
    return m_inRoom && liveLocked();
}

bool ClassroomService::hasUser(const QString& userId) const
{
    std::lock_guard<std::mutex> lk(m_lock);
    return m_users.contains(userId);
}

void ClassroomService::loginRoom(const QStringList& vars, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    const TeacherRec& t = m_data.teacher;
    if (vars.size() < 6) {
        m_host->log(QStringLiteral("room login refused: %1 login variables").arg(vars.size()));
        ev->append({3, roomLoginResult(QStringLiteral("main"), 400, QStringLiteral("登录参数错误"), QString())});
        return;
    }
    const LessonRec* lesson = findLesson(vars.at(1));
    const QString expected = QStringLiteral("%1|%2|1").arg(t.sid, vars.at(1));
    if (!m_loggedIn || !lesson || vars.at(0) != expected || vars.at(2) != t.userId) {
        m_host->log(QStringLiteral("room login refused for room %1").arg(vars.at(1)));
        ev->append({3, roomLoginResult(QStringLiteral("main"), 403, QStringLiteral("没有登录房间的权限"), QString())});
        return;
    }
    ++m_gen;
    m_inRoom = true;
    m_loginVars = vars;
    m_roomId = vars.at(1);
    m_chatId = QStringLiteral("chat-") + t.userId;
    m_users.clear();
    m_joinOrder.clear();
    m_chatAll = true;
    m_voiceOn = m_doodleOn = false;
    m_noticeId = 0;
    m_notice.clear();
    m_questionId = m_lotteryId = 0;
    m_answers.clear();
    m_lotteryJoined.clear();
    RoomUser self;
    self.userId = t.userId;
    self.userName = t.userName;
    self.webId = t.webId;
    self.header = t.header;
    self.type = t.userType;
    self.cam = self.mic = self.online = true;
    m_users.insert(self.userId, self);
    m_joinOrder << self.userId;

    ev->append({3, roomLoginResult(QStringLiteral("main"), 0, QStringLiteral("ok"), t.userId)});
    ev->append({3, roomLoginResult(QStringLiteral("chat"), 0, QStringLiteral("ok"), m_chatId)});
    ev->append({100, QVariantMap{{"userid", t.userId}}});
    ev->append({131, QVariantMap{{"type", 2}, {"up", 1}}});
    const QString begin = stamp(lesson->begin), end = stamp(lesson->end);
    ev->append({109, QVariantMap{{"title", lesson->name}, {"begintime", begin}, {"endtime", end}}});
    ev->append({1031, QVariantMap{{"code", 0}, {"errMsg", QString()},
                                  {"user_data", QVariantMap{{"roomId", m_roomId}}},
                                  {"title", lesson->name}, {"begintime", begin}, {"endtime", end},
                                  {"teacherinfo", teacherList()}}});
    ev->append({111, QVariantMap{{"chatAll", true}}});
    QVariantList list;
    list << QVariantMap{{"userId", self.userId}, {"userName", self.userName}, {"noSpeak", false},
                        {"userType", self.type}, {"online", true}};
    ev->append({126, QVariantMap{{"userlist", list}}});
    ev->append({127, countMap()});

    QList<DiskEntry> docs;
    for (const QString& guid : m_data.roomDocs)
        if (DiskEntry* d = findDoc(guid)) docs << *d;
    m_host->publishRoomDocs(m_roomId, docs);
    scheduleStudents(m_gen);
    // The room ends the course when the lesson's time is over.
    const qint64 untilEnd = QDateTime::currentDateTime().msecsTo(lesson->end);
    if (untilEnd > 0 && untilEnd < 0x7fffffff)
        later(m_gen, int(untilEnd), [](Events* e) {
            e->append({110, QVariantMap{{"roomtype", 0}, {"des", QStringLiteral("课程已结束")}}});
        });
}

void ClassroomService::leaveRoom()
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_inRoom) return;
    m_host->stopAllStudents();
    ++m_gen;
    m_inRoom = false;
    m_users.clear();
    m_joinOrder.clear();
    m_loginVars.clear();
}

QVariantMap ClassroomService::userJoinMap(const RoomUser& u) const
{
    return {{"userid", u.userId}, {"userName", u.userName}, {"type", u.type}, {"cam", u.cam},
            {"mic", u.mic}, {"click", u.click}, {"draw", u.draw}, {"noSpeak", u.noSpeak},
            {"online", u.online}};
}

QVariantMap ClassroomService::countMap() const
{
    const qint64 total = m_users.size();
    const qint64 students = m_users.contains(m_data.teacher.userId) ? total - 1 : total;
    return {{"totalNum", total}, {"stuNum", students}, {"pureStu", students}};
}

QVariantMap ClassroomService::chatMap(const RoomUser& u, const QString& msg, int msgType, qint64 t)
{
    const bool self = u.userId == m_data.teacher.userId;
    return {{"msg", msg}, {"userType", self ? u.type : 0}, {"msgType", msgType}, {"time", t},
            {"name", u.userName}, {"userid", self ? m_chatId : u.userId},
            {"id", QStringLiteral("msg-%1").arg(m_nextId++)}};
}

void ClassroomService::scheduleStudents(quint64 gen)
{
    for (const StudentRec& s : m_data.students) {
        if (s.joinAfterMs < 0) continue;
        const QString id = s.userId;
        later(gen, s.joinAfterMs, [this, id](Events* ev) { joinLocked(id, ev); });
        for (const ChatLine& c : s.chat) {
            const QString text = c.msg;
            later(gen, s.joinAfterMs + c.afterMs, [this, id, text](Events* ev) {
                if (m_users.contains(id)) chatLocked(id, text, ev);
            });
        }
        if (s.raiseHandAfterMs >= 0)
            later(gen, s.joinAfterMs + s.raiseHandAfterMs, [this, id](Events* ev) {
                // Hands go up only while the teacher has hand-up open.
                if (m_users.contains(id) && m_voiceOn) handLocked(id, true, ev);
            });
    }
}

bool ClassroomService::joinLocked(const QString& userId, Events* ev)
{
    const StudentRec* s = student(userId);
    if (!s || !m_inRoom) return false;
    if (m_users.contains(userId)) return true;
    RoomUser u;
    u.userId = s->userId;
    u.userName = s->userName;
    u.webId = s->webId;
    u.header = s->header;
    u.type = 0;
    m_users.insert(userId, u);
    m_joinOrder << userId;
    ev->append({101, userJoinMap(u)});
    if (!u.webId.isEmpty()) ev->append({112, QVariantMap{{"userId", userId}, {"userWebId", u.webId}}});
    if (!u.header.isEmpty())
        ev->append({1008, QVariantMap{{"code", 0}, {"errMsg", QString()},
                                      {"user_data", QVariantMap{{"userid", userId}}}, {"userHeader", u.header}}});
    ev->append({127, countMap()});
    // In a small class every student comes with a camera tile, and with a
    // picture when the room has a stream server.
    if (!liveLocked()) {
        m_users[userId].mic = true;
        cameraLocked(m_users[userId], !m_host->studentStreamUrl(m_roomId, userId).isEmpty(), ev);
    }
    // A running lottery takes in the newcomer too.
    if (m_lotteryId != 0 && !m_lotteryJoined.contains(userId)) m_lotteryJoined << userId;
    return true;
}

bool ClassroomService::leaveLocked(const QString& userId, Events* ev)
{
    if (!m_users.contains(userId) || userId == m_data.teacher.userId) return false;
    if (!liveLocked()) {
        if (m_users[userId].cam) {
            ev->append({106, QVariantMap{{"userid", userId}}});
            m_host->studentPublish(userId, QString());
        }
        ev->append({104, QVariantMap{{"userid", userId}}});
    }
    m_users.remove(userId);
    m_joinOrder.removeAll(userId);
    ev->append({102, QVariantMap{{"userid", userId}}});
    ev->append({127, countMap()});
    return true;
}

bool ClassroomService::chatLocked(const QString& userId, const QString& text, Events* ev)
{
    if (!m_users.contains(userId) || text.isEmpty()) return false;
    const RoomUser& u = m_users[userId];
    if (u.userId != m_data.teacher.userId && (u.noSpeak || !m_chatAll)) return false;
    ev->append({4, chatMap(u, text, 1, QDateTime::currentSecsSinceEpoch())});
    return true;
}

bool ClassroomService::handLocked(const QString& userId, bool raised, Events* ev)
{
    if (!m_users.contains(userId) || userId == m_data.teacher.userId) return false;
    m_users[userId].handup = raised;
    const bool isLive = liveLocked();
    ev->append({isLive ? 155 : 123, QVariantMap{{"userId", userId}, {"handup", raised}}});
    return true;
}

void ClassroomService::cameraLocked(RoomUser& u, bool on, Events* ev)
{
    const QString url = on ? m_host->studentStreamUrl(m_roomId, u.userId) : QString();
    const bool wasOn = u.cam;
    u.cam = !url.isEmpty();
    ev->append({103, tileMap(u)});
    if (u.cam) {
        m_host->studentPublish(u.userId, url);
        ev->append({105, QVariantMap{{"userid", u.userId}}});
    } else if (wasOn) {
        m_host->studentPublish(u.userId, QString());
        ev->append({106, QVariantMap{{"userid", u.userId}}});
    }
}

bool ClassroomService::studentCamera(const QString& userId, bool on, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    auto it = m_users.find(userId);
    if (!m_inRoom || liveLocked() || it == m_users.end() || userId == m_data.teacher.userId) return false;
    if (on && m_host->studentStreamUrl(m_roomId, userId).isEmpty()) return false;
    cameraLocked(it.value(), on, ev);
    return true;
}

bool ClassroomService::studentJoin(const QString& userId, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    return joinLocked(userId, ev);
}

bool ClassroomService::studentLeave(const QString& userId, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    return leaveLocked(userId, ev);
}

bool ClassroomService::studentChat(const QString& userId, const QString& text, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    return userId != m_data.teacher.userId && chatLocked(userId, text, ev);
}

bool ClassroomService::studentHand(const QString& userId, bool raised, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    return handLocked(userId, raised, ev);
}

QVariantMap ClassroomService::tileMap(const RoomUser& u) const
{
    const QString url = u.cam ? m_host->studentStreamUrl(m_roomId, u.userId) : QString();
    return {{"userid", u.userId}, {"cam", u.cam}, {"mic", u.mic}, {"type", u.type},
            {"userName", u.userName}, {"stream", url}};
}

bool ClassroomService::setUserFlag(const QString& userId, const char* flag, bool on, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    auto it = m_users.find(userId);
    if (!m_inRoom || it == m_users.end()) return false;
    RoomUser& u = it.value();
    const QByteArray f(flag);
    const bool student = userId != m_data.teacher.userId;
    if (!liveLocked() && student && (f == "cam" || f == "mic")) {
        // A small class shows the students in tiles: the room answers with
        // the tile's new state, and a camera switched off stops publishing
        // (106) while one switched on publishes again (105).
        if (f == "cam") {
            cameraLocked(u, on, ev);
        } else {
            u.mic = on;
            ev->append({103, tileMap(u)});
        }
        ev->append({101, userJoinMap(u)});
        return true;
    }
    if (f == "cam") u.cam = on;
    else if (f == "mic") u.mic = on;
    else if (f == "click") u.click = on;
    else if (f == "draw") u.draw = on;
    else if (f == "noSpeak") u.noSpeak = on;
    else if (f == "online") u.online = on;
    else return false;
    ev->append({101, userJoinMap(u)});
    return true;
}

bool ClassroomService::praiseUser(const QString& userId, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    auto it = m_users.find(userId);
    if (!m_inRoom || it == m_users.end() || userId == m_data.teacher.userId) return false;
    const qint64 count = ++it.value().praise;
    // Everyone sees the star fly (113), then the count the room keeps (114).
    ev->append({113, QVariantMap{{"userId", userId}}});
    ev->append({114, QVariantMap{{"userId", userId}, {"count", count}}});
    return true;
}

bool ClassroomService::kickUser(const QString& userId, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    return m_inRoom && leaveLocked(userId, ev);
}

bool ClassroomService::linkMic(const QString& userId, bool on, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    auto it = m_users.find(userId);
    if (!m_inRoom || it == m_users.end() || userId == m_data.teacher.userId) return false;
    const bool isLive = liveLocked();
    RoomUser& u = it.value();
    u.online = u.mic = on;
    u.cam = on && !isLive;
    u.handup = false;
    if (on)  // the student accepts the invitation
        ev->append({isLive ? 157 : 125, QVariantMap{{"type", QStringLiteral("inviteRs")}, {"isok", true},
                                                    {"srcUserId", userId}, {"num", 0}}});
    ev->append({101, userJoinMap(u)});
    if (on) m_host->userAudio(userId);
    return true;
}

void ClassroomService::userHeader(const QString& userId, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    auto it = m_users.find(userId);
    if (it == m_users.end() || it->header.isEmpty()) return;
    ev->append({1008, QVariantMap{{"code", 0}, {"errMsg", QString()},
                                  {"user_data", QVariantMap{{"userid", userId}}}, {"userHeader", it->header}}});
}

bool ClassroomService::sendChat(const QString& content, int type, qint64 timeSecs, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    const auto it = m_users.constFind(m_data.teacher.userId);
    if (!m_inRoom || it == m_users.constEnd() || content.isEmpty() || (type != 1 && type != 2)) return false;
    ev->append({4, chatMap(*it, content, type == 2 ? 2 : 1, timeSecs)});
    return true;
}

void ClassroomService::setAllNoSpeak(bool on, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    m_chatAll = !on;
    ev->append({111, QVariantMap{{"chatAll", m_chatAll}}});
}

}  // namespace clientlib
