// The client library object: creation from the configuration map, the
// request machinery, account and home requests, and the test control.
#include "libs/clientlib/src/ClientLibImpl.h"

#include "libs/clientlib/src/TextCrypto.h"

#include "common/Deployment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <cstdio>
#include <functional>
#include <set>
#include <thread>

namespace clientlib {
namespace {

const int kMaxCalls = 20000;

// Every library object alive, so that the application's end can stop the
// threads of those never released.
std::mutex g_liveLock;                   // guards g_live and g_hooked
std::set<ClientLibImpl*> g_live;         // guarded by g_liveLock
bool g_hooked = false;                   // guarded by g_liveLock

QVariantMap ud(std::initializer_list<std::pair<QString, QVariant>> items)
{
    QVariantMap m;
    for (const auto& it : items) m.insert(it.first, it.second);
    return m;
}

}  // namespace

ClientLibImpl::ClientLibImpl(ClientLibCallbackFn callback, const LibConfig& cfg, const QStringList& configProblems)
    : m_callback(callback), m_cfg(cfg)
{
    for (const QString& p : configProblems) log(QStringLiteral("config: ") + p);
    SchoolData data;
    QString source, error;
    if (!LoadSchoolData(&data, &source, &error)) {
        m_dataError = error;
        log(QStringLiteral("class-room data set not loaded: %1").arg(error));
    } else {
        log(QStringLiteral("class-room data set %1: %2 courses, %3 lessons, %4 students")
                .arg(source)
                .arg(data.courses.size())
                .arg(data.lessons.size())
                .arg(data.students.size()));
        for (const QString& w : data.warnings) log(QStringLiteral("data set %1: %2").arg(source, w));
    }
    m_timeoutMs = data.requestTimeoutMs > 0 ? data.requestTimeoutMs : 10000;
    // The deployment may name a stream server for the students' cameras:
    //   [demo]
    //   studentStreams=rtmp://127.0.0.1:1935/video/
    m_students.setBase(QString::fromStdString(deployment::Load().value("demo", "studentStreams")));
    if (m_dataError.isEmpty()) m_svc = std::make_unique<ClassroomService>(this, data);
    std::lock_guard<std::mutex> lk(g_liveLock);
    g_live.insert(this);
    if (!g_hooked) {
        qAddPostRoutine(&ClientLibImpl::stopAllLibraries);
        g_hooked = true;
    }
}

ClientLibImpl::~ClientLibImpl()
{
    {
        std::lock_guard<std::mutex> lk(g_liveLock);
        g_live.erase(this);
    }
    stopThreads();
}

void ClientLibImpl::stopThreads()
{
    m_closing = true;
    m_local.reset();
    m_disp.stop();
    m_convert.stop();
    m_students.stopAll();
}

void ClientLibImpl::stopAllLibraries()
{
    std::lock_guard<std::mutex> lk(g_liveLock);
    for (ClientLibImpl* lib : g_live) {
        fprintf(stderr, "clientlib: the application ends before the library was released; its threads stop now\n");
        lib->stopThreads();
    }
    // Qt forgets its post routines with the application object.
    g_hooked = false;
}

// ---- Delivery ---------------------------------------------------------------

void ClientLibImpl::schedule(std::function<void()> task, int ms) { m_disp.post(std::move(task), ms); }

void ClientLibImpl::scheduleSlow(std::function<void()> task, int ms) { m_convert.post(std::move(task), ms); }

void ClientLibImpl::deliver(const Events& events)
{
    if (events.isEmpty()) return;
    std::lock_guard<std::recursive_mutex> gate(m_gate);
    for (const auto& e : events) m_callback(static_cast<ClientLibRs>(e.first), e.second);
}

void ClientLibImpl::log(const QString& line)
{
    const QString text = QStringLiteral("clientlib: ") + line;
    fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    m_disp.post([this, text] { deliver({{RsC_Log, QVariantMap{{"log", text}}}}); });
}

std::unique_lock<std::recursive_mutex> ClientLibImpl::record(const char* name, const QVariantList& args)
{
    std::unique_lock<std::recursive_mutex> gate(m_gate);
    std::unique_lock<std::mutex> lk(m_ctlLock);
    m_calls.append(ClientLibCall{QString::fromLatin1(name), args});
    // A whole teaching day of calls (video frames among them) must not pile
    // up: only the latest ones are kept.
    while (m_calls.size() > kMaxCalls) m_calls.removeFirst();
    if (m_holdNext) {  // test control: stop here, the gate held
        m_holdNext = false;
        m_held = true;
        m_heldChanged.notify_all();
        m_heldChanged.wait(lk, [this] { return !m_held; });
    }
    return gate;
}

ClientLibImpl::Pending ClientLibImpl::takePending()
{
    std::lock_guard<std::mutex> lk(m_ctlLock);
    Pending p{m_failNext, m_failCode, m_delayNext, m_timeoutMs};
    m_failNext = false;
    m_delayNext = 0;
    return p;
}

void ClientLibImpl::request(int code, const QVariantMap& userData, Serve serve)
{
    requestEx(code, userData, [serve](Failure* f, QVariantMap*) { return serve(f); });
}

void ClientLibImpl::requestEx(int code, const QVariantMap& userData, ServeEx serve)
{
    const Pending p = takePending();
    auto answer = [this, code, userData](int rc, const QString& msg) {
        deliver({{code, QVariantMap{{"code", rc}, {"errMsg", msg}, {"user_data", userData}}}});
    };
    if (p.fail) {
        const int failCode = p.failCode;
        m_disp.post([answer, failCode] { answer(failCode, QStringLiteral("网络请求失败")); }, p.timeoutMs);
        return;
    }
    if (p.delayMs >= p.timeoutMs) {
        m_disp.post([answer] { answer(-101, QStringLiteral("请求超时")); }, p.timeoutMs);
        return;
    }
    if (!m_svc) {  // no service to ask: not served, after the time-out
        const QString msg = QStringLiteral("数据加载失败: ") + m_dataError;
        m_disp.post([answer, msg] { answer(-102, msg); }, p.timeoutMs);
        return;
    }
    m_disp.post(
        [this, code, userData, serve] {
            Failure f;
            QVariantMap result;
            QVariantMap data = userData;
            result = serve(&f, &data);
            result.insert(QStringLiteral("code"), f.code);
            result.insert(QStringLiteral("errMsg"), f.errMsg);
            result.insert(QStringLiteral("user_data"), data);
            deliver({{code, result}});
        },
        p.delayMs);
}

bool ClientLibImpl::badRequest(const char* op, int code, const QVariantMap& userData, const QString& why)
{
    log(QStringLiteral("%1 refused: %2").arg(QLatin1String(op), why));
    m_disp.post([this, code, userData, why] {
        deliver({{code, QVariantMap{{"code", 400}, {"errMsg", why}, {"user_data", userData}}}});
    });
    return false;
}

bool ClientLibImpl::refuse(const char* op, const QString& why)
{
    log(QStringLiteral("%1 refused: %2").arg(QLatin1String(op), why));
    return false;
}

bool ClientLibImpl::takeFailure(const char* op)
{
    {
        std::lock_guard<std::mutex> lk(m_ctlLock);
        const bool named = !m_failOp.isEmpty() && m_failOp == QLatin1String(op);
        if (!m_failNext && !named) return false;
        if (named)
            m_failOp.clear();
        else
            m_failNext = false;
    }
    log(QStringLiteral("%1 failed: room service not reachable").arg(QLatin1String(op)));
    return true;
}

bool ClientLibImpl::roomEvent(const char* op, std::function<bool(ClassroomService*, Events*)> fn)
{
    if (takeFailure(op)) return false;
    if (!m_svc) return refuse(op, QStringLiteral("no data set"));
    const int delay = takePending().delayMs;
    auto events = std::make_shared<Events>();
    if (!fn(m_svc.get(), events.get())) return refuse(op, QStringLiteral("not possible now"));
    m_disp.post([this, events] { deliver(*events); }, delay);
    return true;
}

// ---- Encryption ---------------------------------------------------------------

QString ClientLibImpl::EncryptText(const QString& text, const QString& key)
{
    const auto gate = record("EncryptText", {text, key});
    return EncryptTextWithKey(text, key);
}

QString ClientLibImpl::DecryptText(const QString& text, const QString& key)
{
    const auto gate = record("DecryptText", {text, key});
    return DecryptTextWithKey(text, key);
}

// ---- Account requests ---------------------------------------------------------

bool ClientLibImpl::Login(const QString& account, const QString& password, const QString& country)
{
    const auto gate = record("Login", {account, password, country});
    const QVariantMap u = ud({{"account", account}, {"country", country}});
    if (account.isEmpty() || password.isEmpty())
        return badRequest("Login", RsC_Http_Login, u, QStringLiteral("账号或密码为空"));
    request(RsC_Http_Login, u, [=](Failure* f) { return m_svc->login(account, password, f); });
    return true;
}

bool ClientLibImpl::LoginBySmsCode(const QString& phone, const QString& code, const QString& country)
{
    const auto gate = record("LoginBySmsCode", {phone, code, country});
    const QVariantMap u = ud({{"phone", phone}, {"country", country}});
    if (phone.isEmpty() || code.isEmpty())
        return badRequest("LoginBySmsCode", RsC_Http_LoginByCode, u, QStringLiteral("手机号或验证码为空"));
    request(RsC_Http_LoginByCode, u, [=](Failure* f) { return m_svc->loginBySms(phone, code, f); });
    return true;
}

bool ClientLibImpl::GetSmsCode(const QString& phone, const QString& country, int kind)
{
    const auto gate = record("GetSmsCode", {phone, country, kind});
    const QVariantMap u = ud({{"phone", phone}, {"country", country}, {"type", kind}});
    if (phone.isEmpty()) return badRequest("GetSmsCode", RsC_Http_SmsCode, u, QStringLiteral("手机号为空"));
    request(RsC_Http_SmsCode, u, [=](Failure* f) { return m_svc->smsCode(phone, kind, f); });
    return true;
}

bool ClientLibImpl::RegisterUser(const QString& name, const QString& password, const QString& code,
                                 const QString& phone, const QString& country)
{
    const auto gate = record("RegisterUser", {name, password, code, phone, country});
    const QVariantMap u = ud({{"phone", phone}, {"country", country}});
    if (phone.isEmpty() || password.isEmpty() || code.isEmpty())
        return badRequest("RegisterUser", RsC_Http_Register, u, QStringLiteral("注册信息不完整"));
    request(RsC_Http_Register, u, [=](Failure* f) { return m_svc->registerUser(phone, password, code, f); });
    return true;
}

bool ClientLibImpl::ResetPassword(const QString& country, const QString& password, const QString& code,
                                  const QString& phone)
{
    const auto gate = record("ResetPassword", {country, password, code, phone});
    const QVariantMap u = ud({{"phone", phone}, {"country", country}});
    if (phone.isEmpty() || password.isEmpty() || code.isEmpty())
        return badRequest("ResetPassword", RsC_Http_ResetPassword, u, QStringLiteral("重置信息不完整"));
    request(RsC_Http_ResetPassword, u, [=](Failure* f) { return m_svc->resetPassword(phone, password, code, f); });
    return true;
}

bool ClientLibImpl::GetUserInfo(const QString& userId, const QString& extra)
{
    const auto gate = record("GetUserInfo", {userId, extra});
    request(RsC_Http_UserInfo, ud({{"userid", userId}}), [=](Failure* f) { return m_svc->userInfo(userId, f); });
    return true;
}

bool ClientLibImpl::FindUser(const QString& phone, const QString& country, const QString& roomId)
{
    const auto gate = record("FindUser", {phone, country, roomId});
    const QVariantMap u = ud({{"phone", phone}, {"roomid", roomId}, {"country", country}});
    if (phone.isEmpty()) return badRequest("FindUser", RsC_Http_FindUser, u, QStringLiteral("手机号为空"));
    request(RsC_Http_FindUser, u, [=](Failure* f) { return m_svc->findUser(phone, f); });
    return true;
}

bool ClientLibImpl::SubmitFeedback(const QVariant& category, const QString& text)
{
    const auto gate = record("SubmitFeedback", {category, text});
    const QVariantMap u = ud({{"category", category}});
    bool ok = false;
    category.toInt(&ok);
    if (!ok) return badRequest("SubmitFeedback", RsC_Http_Feedback, u, QStringLiteral("反馈类型错误"));
    if (text.isEmpty()) return badRequest("SubmitFeedback", RsC_Http_Feedback, u, QStringLiteral("反馈内容为空"));
    request(RsC_Http_Feedback, u, [=](Failure*) {
        m_svc->addFeedback(category, text);
        return QVariantMap();
    });
    return true;
}

// ---- Home requests --------------------------------------------------------------

bool ClientLibImpl::GetOrders(const QString& firstDay, const QString& lastDay, const QString& userType)
{
    const auto gate = record("GetOrders", {firstDay, lastDay, userType});
    const QVariantMap u = ud({{"startDay", firstDay}, {"endDay", lastDay}, {"userType", userType}});
    request(RsC_Http_Orders, u, [=](Failure* f) { return m_svc->orders(firstDay, lastDay, f); });
    return true;
}

bool ClientLibImpl::GetDayRooms(const QString& beginDay, const QString& endDay, const QString& userType,
                                const QString& monthStart)
{
    const auto gate = record("GetDayRooms", {beginDay, endDay, userType, monthStart});
    const QVariantMap u =
        ud({{"startDay", beginDay}, {"endDay", endDay}, {"userType", userType}, {"monthStart", monthStart}});
    request(RsC_Http_DayRooms, u, [=](Failure* f) { return m_svc->dayRooms(beginDay, f); });
    return true;
}

bool ClientLibImpl::GetTmpRooms(const QString& kind, const QString& userType)
{
    const auto gate = record("GetTmpRooms", {kind, userType});
    const int code = kind == QLatin1String("1") ? RsC_Http_TmpRoomCount : RsC_Http_TmpRooms;
    const QVariantMap u = ud({{"kind", kind}, {"userType", userType}});
    if (kind != QLatin1String("0") && kind != QLatin1String("1"))
        return badRequest("GetTmpRooms", code, u, QStringLiteral("类型错误: %1").arg(kind));
    request(code, u, [=](Failure* f) { return m_svc->tmpRooms(f); });
    return true;
}

bool ClientLibImpl::GetCourseList(const QString& groupId, const QString& courseId, const QString& userType,
                                  const QString& id)
{
    const auto gate = record("GetCourseList", {groupId, courseId, userType, id});
    const QVariantMap u = ud({{"groupid", groupId}, {"courseid", courseId}, {"userType", userType}, {"id", id}});
    if (courseId.isEmpty()) return badRequest("GetCourseList", RsC_Http_CourseList, u, QStringLiteral("课程为空"));
    request(RsC_Http_CourseList, u, [=](Failure* f) { return m_svc->courseRooms(courseId, f); });
    return true;
}

bool ClientLibImpl::EnterRoomRequest(const QString& groupId, const QString& roomId, const QString& userType,
                                     const QString& kind)
{
    const auto gate = record("EnterRoomRequest", {groupId, roomId, userType, kind});
    QVariantMap u = ud({{"groupid", groupId}, {"roomid", roomId}, {"userType", userType}, {"kind", kind}});
    if (roomId.isEmpty()) return badRequest("EnterRoomRequest", RsC_Http_EnterRoom, u, QStringLiteral("教室为空"));
    // The room type is known only once the service found the room.
    requestEx(RsC_Http_EnterRoom, u, [=](Failure* f, QVariantMap* data) {
        QString roomType;
        QVariantMap result = m_svc->enterRoom(roomId, kind, &roomType, f);
        data->insert(QStringLiteral("roomType"), roomType);
        return result;
    });
    return true;
}

bool ClientLibImpl::MakeTmpRoom(int kind, const QString& groupId)
{
    const auto gate = record("MakeTmpRoom", {kind, groupId});
    const QVariantMap u = ud({{"type", kind}, {"groupid", groupId}});
    request(RsC_Http_MakeTmpRoom, u, [=](Failure* f) { return m_svc->makeTmpRoom(kind, groupId, f); });
    return true;
}

bool ClientLibImpl::ShareTmpRoom(const QString& courseId, const QString& roomId, const QString& userId)
{
    const auto gate = record("ShareTmpRoom", {courseId, roomId, userId});
    const QVariantMap u = ud({{"courseid", courseId}, {"roomid", roomId}, {"userid", userId}});
    if (roomId.isEmpty() || userId.isEmpty())
        return badRequest("ShareTmpRoom", RsC_Http_ShareTmpRoom, u, QStringLiteral("教室或用户为空"));
    request(RsC_Http_ShareTmpRoom, u, [=](Failure* f) { return m_svc->shareTmpRoom(roomId, userId, f); });
    return true;
}

bool ClientLibImpl::GetGroups(const QString& userType)
{
    const auto gate = record("GetGroups", {userType});
    request(RsC_Http_Groups, ud({{"userType", userType}}), [=](Failure* f) { return m_svc->groups(f); });
    return true;
}

bool ClientLibImpl::GetClasses()
{
    const auto gate = record("GetClasses", {});
    request(RsC_Http_Classes, {}, [=](Failure* f) { return m_svc->classes(f); });
    return true;
}

bool ClientLibImpl::GetStudentClasses(const QString& a, const QString& b)
{
    const auto gate = record("GetStudentClasses", {a, b});
    request(RsC_Http_StudentClasses, {}, [=](Failure* f) { return m_svc->classes(f); });
    return true;
}

bool ClientLibImpl::GetTmpCourse()
{
    const auto gate = record("GetTmpCourse", {});
    request(RsC_Http_TmpCourse, {}, [=](Failure* f) { return m_svc->tmpCourse(f); });
    return true;
}

bool ClientLibImpl::GetGroupMessages(const QString& groupId, const QString& extra, qint64 ts)
{
    const auto gate = record("GetGroupMessages", {groupId, extra, ts});
    const QVariantMap u = ud({{"groupid", groupId}, {"ts", ts}});
    if (groupId.isEmpty())
        return badRequest("GetGroupMessages", RsC_Http_GroupMessages, u, QStringLiteral("群组为空"));
    request(RsC_Http_GroupMessages, u, [=](Failure* f) { return m_svc->groupMessages(groupId, ts, f); });
    return true;
}

// ---- Test control -------------------------------------------------------------------

void ClientLibImpl::injectCommand(int code, const QVariant& payload)
{
    m_disp.post([this, code, payload] { deliver({{code, payload}}); });
}

void ClientLibImpl::failNextRequest(int code)
{
    std::lock_guard<std::mutex> lk(m_ctlLock);
    m_failNext = true;
    m_failCode = qMin(code, -100);
}

void ClientLibImpl::failNextCallOf(const QString& operation)
{
    std::lock_guard<std::mutex> lk(m_ctlLock);
    m_failOp = operation;
}

void ClientLibImpl::delayNextRequest(int ms)
{
    std::lock_guard<std::mutex> lk(m_ctlLock);
    m_delayNext = qMax(0, ms);
}

void ClientLibImpl::setRequestTimeout(int ms)
{
    std::lock_guard<std::mutex> lk(m_ctlLock);
    m_timeoutMs = qMax(1, ms);
}

void ClientLibImpl::holdNextCall()
{
    std::lock_guard<std::mutex> lk(m_ctlLock);
    m_holdNext = true;
}

bool ClientLibImpl::waitCallHeld(int ms)
{
    std::unique_lock<std::mutex> lk(m_ctlLock);
    return m_heldChanged.wait_for(lk, std::chrono::milliseconds(ms), [this] { return m_held; });
}

void ClientLibImpl::resumeCall()
{
    std::lock_guard<std::mutex> lk(m_ctlLock);
    m_held = false;
    m_heldChanged.notify_all();
}

QList<ClientLibCall> ClientLibImpl::calls() const
{
    std::lock_guard<std::mutex> lk(m_ctlLock);
    return m_calls;
}

void ClientLibImpl::clearCalls()
{
    std::lock_guard<std::mutex> lk(m_ctlLock);
    m_calls.clear();
}

}  // namespace clientlib
