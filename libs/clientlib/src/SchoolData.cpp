#include "libs/clientlib/src/SchoolData.h"

#include <QFile>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>

using nlohmann::json;

namespace clientlib {
namespace {

// Typed getters with json11's defaults: a missing key or a value of another
// type reads as "", 0, false or empty.
// The member `key` of an object, or null.
const json* member(const json& j, const char* key)
{
    if (!j.is_object()) return nullptr;
    auto it = j.find(key);
    return it == j.end() ? nullptr : &*it;
}

QString str(const json& j, const char* key)
{
    const json* v = member(j, key);
    return v && v->is_string() ? QString::fromStdString(v->get<std::string>()) : QString();
}

qint64 num(const json& j, const char* key, qint64 def = 0)
{
    const json* v = member(j, key);
    if (!v || !v->is_number()) return def;
    return v->is_number_float() ? static_cast<qint64>(v->get<double>()) : v->get<qint64>();
}

bool flag(const json& j, const char* key)
{
    const json* v = member(j, key);
    return v && v->is_boolean() && v->get<bool>();
}

const json& arr(const json& j, const char* key)
{
    static const json empty = json::array();
    const json* v = member(j, key);
    return v && v->is_array() ? *v : empty;
}

const json& obj(const json& j, const char* key)
{
    static const json empty = json::object();
    const json* v = member(j, key);
    return v && v->is_object() ? *v : empty;
}

QStringList strList(const json& j, const char* key)
{
    QStringList out;
    for (const auto& v : arr(j, key))
        if (v.is_string()) out << QString::fromStdString(v.get<std::string>());
    return out;
}

QVariant toVariant(const json& j)
{
    switch (j.type()) {
    case json::value_t::string: return QString::fromStdString(j.get<std::string>());
    case json::value_t::boolean: return j.get<bool>();
    case json::value_t::number_integer:
    case json::value_t::number_unsigned: return QVariant::fromValue<qint64>(j.get<qint64>());
    case json::value_t::number_float: return j.get<double>();
    case json::value_t::array: {
        QVariantList l;
        for (const auto& v : j) l << toVariant(v);
        return l;
    }
    case json::value_t::object: {
        QVariantMap m;
        for (auto it = j.begin(); it != j.end(); ++it)
            m.insert(QString::fromStdString(it.key()), toVariant(it.value()));
        return m;
    }
    default: return QVariant();
    }
}

// "HH:mm:ss" on the given day, or "now+N"/"now-N" minutes from now.
QDateTime timeOn(const QDate& day, const QString& text, const QDateTime& now)
{
    if (text.startsWith(QLatin1String("now"))) {
        const int minutes = text.mid(3).toInt();
        QDateTime t = now.addSecs(qint64(minutes) * 60);
        t.setTime(QTime(t.time().hour(), t.time().minute(), 0));
        // Near midnight the lesson stays on its own day.
        if (t.date() < day) return QDateTime(day, QTime(0, 0, 0));
        if (t.date() > day) return QDateTime(day, QTime(23, 59, 0));
        return t;
    }
    QTime tm = QTime::fromString(text, QStringLiteral("hh:mm:ss"));
    if (!tm.isValid()) tm = QTime(9, 0, 0);
    return QDateTime(day, tm);
}

QString stamp(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")); }

void readDisk(const json& list, const QDateTime& now, QList<DiskEntry>* out, QStringList* warnings)
{
    for (const auto& e : list) {
        DiskEntry d;
        d.uuid = str(e, "uuid");
        d.puuid = str(e, "puuid");
        if (d.puuid.isEmpty()) d.puuid = QStringLiteral("0");
        d.fileType = int(num(e, "file_type"));
        d.name = str(e, "name");
        d.extName = str(e, "ext_name");
        d.size = num(e, "size");
        d.pageNum = int(num(e, "pageNum"));
        d.guid = str(e, "guid");
        d.docType = str(e, "docType");
        d.duration = int(num(e, "duration"));
        d.mediaUrl = str(e, "mediaUrl");
        d.pageUrl = str(e, "pageUrl");
        d.createUser = str(e, "create_user");
        d.createTime = str(e, "create_time");
        if (d.createTime.isEmpty()) d.createTime = stamp(now.addDays(-30));
        d.updateTime = d.createTime;
        if (d.uuid.isEmpty()) {  // an entry without id cannot be addressed
            warnings->append(QStringLiteral("disk entry \"%1\" without uuid left out").arg(d.name));
            continue;
        }
        if (d.fileType != 0 && d.guid.isEmpty()) d.guid = d.uuid;
        out->append(d);
    }
}

}  // namespace

bool ParseSchoolData(const QByteArray& text, const QDateTime& now, SchoolData* out, QString* error)
{
    const json root = json::parse(text.constData(), text.constData() + text.size(), nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        *error = QStringLiteral("data set is not a JSON object");
        return false;
    }
    SchoolData d;
    d.school = str(root, "school");
    const json& t = obj(root, "teacher");
    d.teacher.account = str(t, "account");
    d.teacher.password = str(t, "password");
    d.teacher.userId = str(t, "userId");
    d.teacher.userName = str(t, "userName");
    d.teacher.userType = int(num(t, "userType", 1));
    d.teacher.webId = str(t, "webId");
    d.teacher.header = str(t, "header");
    d.teacher.sid = str(t, "sid");
    for (auto [value, name] : {std::pair<QString, const char*>{d.teacher.account, "teacher.account"},
                               {d.teacher.password, "teacher.password"},
                               {d.teacher.userId, "teacher.userId"}}) {
        if (value.isEmpty()) {
            *error = QStringLiteral("data set lacks %1").arg(QLatin1String(name));
            return false;
        }
    }
    if (!root.contains("courses") || !root["courses"].is_array()) {
        *error = QStringLiteral("data set lacks courses");
        return false;
    }
    if (d.teacher.sid.isEmpty()) d.teacher.sid = QStringLiteral("sid-") + d.teacher.userId;
    if (d.teacher.userName.isEmpty()) d.teacher.userName = d.teacher.account;
    d.smsCode = str(root, "smsCode");
    d.requestTimeoutMs = int(num(root, "requestTimeoutMs", 10000));
    d.lotteryDrawMs = int(num(root, "lotteryDrawMs", 3000));
    d.convertMs = int(num(root, "convertMs", 2000));

    const QDate today = now.date();
    int roomSeq = 0;
    for (const auto& c : arr(root, "courses")) {
        CourseRec course;
        course.classId = num(c, "class_id");
        course.groupId = str(c, "group_id");
        course.name = str(c, "class_name");
        course.image = str(c, "image");
        course.total = int(num(c, "total"));
        course.liveType = str(c, "live_type");
        if (course.liveType.isEmpty()) course.liveType = QStringLiteral("3");
        course.roomType = int(num(c, "room_type", 2));
        if (course.classId == 0) {
            d.warnings << QStringLiteral("course \"%1\" without class_id left out").arg(course.name);
            continue;
        }
        d.courses.append(course);
        auto addLesson = [&](const QDateTime& begin, int minutes, const QString& name, bool playback) {
            LessonRec l;
            l.roomId = QString::number(course.classId * 1000 + (++roomSeq));
            l.courseId = QString::number(course.classId);
            l.groupId = course.groupId;
            l.name = name.isEmpty() ? course.name : name;
            l.liveType = course.liveType;
            l.roomType = course.roomType;
            l.playback = playback;
            l.begin = begin;
            l.end = begin.addSecs(qint64(std::max(1, minutes)) * 60);
            d.lessons.append(l);
        };
        const json& sched = obj(c, "schedule");
        for (const auto& day : arr(sched, "days")) {
            if (!day.is_number_integer()) continue;
            const QDate on = today.addDays(day.get<int>());
            addLesson(timeOn(on, str(sched, "time"), now), int(num(sched, "minutes", 45)), QString(),
                      flag(sched, "playback"));
        }
        for (const auto& l : arr(c, "today"))
            addLesson(timeOn(today, str(l, "time"), now), int(num(l, "minutes", 45)), str(l, "name"), false);
    }
    std::stable_sort(d.lessons.begin(), d.lessons.end(),
                     [](const LessonRec& a, const LessonRec& b) { return a.begin < b.begin; });

    const json& tc = obj(root, "tmpCourse");
    d.tmpGroupId = str(tc, "group_id");
    d.tmpFree = int(num(tc, "free"));
    d.tmpUsed = int(num(tc, "used"));
    d.tmpRest = int(num(tc, "rest"));
    for (const auto& r : arr(root, "tmpRooms")) {
        LessonRec l;
        l.tmp = true;
        l.courseId = str(r, "id");
        l.groupId = str(r, "group_id");
        l.roomId = str(r, "room_id");
        l.name = str(r, "room_name");
        l.roomType = 1;
        l.liveType = QStringLiteral("3");
        l.fixedStatus = int(num(r, "status"));
        l.begin = timeOn(today.addDays(int(num(r, "dayOffset"))), str(r, "time"), now);
        l.end = l.begin.addSecs(num(r, "minutes", 15) * 60);
        if (!l.roomId.isEmpty())
            d.tmpRooms.append(l);
        else
            d.warnings << QStringLiteral("temporary room \"%1\" without room_id left out").arg(l.name);
    }

    for (const auto& g : arr(root, "groups")) {
        GroupRec group;
        group.id = num(g, "id");
        group.name = str(g, "name");
        group.type = num(g, "type");
        group.logo = str(g, "logo");
        for (const auto& m : arr(g, "messages")) {
            GroupMsgRec msg;
            msg.id = num(m, "id");
            msg.msg = str(m, "msg");
            msg.createUser = str(m, "user");
            msg.createTime = stamp(timeOn(today.addDays(int(num(m, "dayOffset"))), str(m, "time"), now));
            group.msgs.append(msg);
        }
        std::sort(group.msgs.begin(), group.msgs.end(),
                  [](const GroupMsgRec& a, const GroupMsgRec& b) { return a.id > b.id; });
        if (group.id != 0)
            d.groups.append(group);
        else
            d.warnings << QStringLiteral("group \"%1\" without id left out").arg(group.name);
    }

    const json& disk = obj(root, "disk");
    for (auto it = disk.begin(); it != disk.end(); ++it) {
        if (!it->is_array()) continue;
        QList<DiskEntry> entries;
        readDisk(*it, now, &entries, &d.warnings);
        d.disks.insert(QString::fromStdString(it.key()), entries);
    }
    if (!d.disks.contains(QStringLiteral("teacher"))) d.disks.insert(QStringLiteral("teacher"), {});
    d.roomDocs = strList(root, "roomDocs");

    for (const auto& s : arr(root, "students")) {
        StudentRec st;
        st.userId = str(s, "userId");
        st.userName = str(s, "userName");
        st.webId = str(s, "webId");
        st.header = str(s, "header");
        st.phone = str(s, "phone");
        st.joinAfterMs = int(num(s, "joinAfterMs", -1));
        st.raiseHandAfterMs = int(num(s, "raiseHandAfterMs", -1));
        st.answerAfterMs = int(num(s, "answerAfterMs", 1000));
        for (const auto& a : arr(s, "answers"))
            if (a.is_number_integer()) st.answers << a.get<int>();
        for (const auto& c : arr(s, "chat"))
            st.chat.append(ChatLine{int(num(c, "afterMs")), str(c, "msg")});
        if (!st.userId.isEmpty())
            d.students.append(st);
        else
            d.warnings << QStringLiteral("student \"%1\" without userId left out").arg(st.userName);
    }
    for (const auto& p : arr(root, "products")) d.products << toVariant(p);
    for (const auto& p : arr(root, "adProducts")) d.adProducts << toVariant(p);
    const json& dev = obj(root, "devices");
    d.cameras = strList(dev, "cameras");
    d.mics = strList(dev, "mics");
    d.speakers = strList(dev, "speakers");
    *out = d;
    return true;
}

bool LoadSchoolData(SchoolData* out, QString* source, QString* error)
{
    const char* env = getenv("VELTORA_CLIENTLIB_DATA");
    QString path = (env && *env) ? QString::fromLocal8Bit(env) : QStringLiteral(":/clientlib/demo_school.json");
    *source = path;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read data set %1: %2").arg(path, f.errorString());
        return false;
    }
    const QByteArray text = f.readAll();
    if (!ParseSchoolData(text, QDateTime::currentDateTime(), out, error)) {
        *error = QStringLiteral("%1: %2").arg(path, *error);
        return false;
    }
    return true;
}

}  // namespace clientlib
