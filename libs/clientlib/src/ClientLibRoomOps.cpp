// The room operations of the client library object: room session, users,
// chat, tools, products and the relays that have no answer.
#include "libs/clientlib/src/ClientLibImpl.h"

#include <QMetaType>

namespace clientlib {
namespace {

bool isMap(const QVariant& v) { return v.userType() == QMetaType::QVariantMap; }

bool isList(const QVariant& v)
{
    return v.userType() == QMetaType::QVariantList || v.userType() == QMetaType::QStringList;
}

// The option numbers of a quiz answer list; false when it is not a list of
// whole numbers.
bool optionList(const QVariant& v, QList<int>* out)
{
    if (!isList(v)) return false;
    for (const QVariant& e : v.toList()) {
        bool ok = false;
        const int n = e.toInt(&ok);
        if (!ok) return false;
        *out << n;
    }
    return true;
}

}  // namespace

// ---- Room session -----------------------------------------------------------

bool ClientLibImpl::LoginRoom(const QVariant& loginVars)
{
    const auto gate = record("LoginRoom", {loginVars});
    if (!isList(loginVars)) {
        log(QStringLiteral("LoginRoom refused: login variables are not a list"));
        injectCommand(RsC_Room_LoginResult,
                      QVariantMap{{"type", QStringLiteral("main")}, {"code", 400}, {"regOk", false},
                                  {"result", QStringLiteral("登录参数错误")}, {"isok", false}});
        return false;
    }
    const QStringList vars = loginVars.toStringList();
    const Pending p = takePending();
    if (p.fail || p.delayMs >= p.timeoutMs || !m_svc) {
        // The room service cannot be reached: the connection fails (2) and
        // the login is answered as failed after the time-out.
        const int code = p.fail ? p.failCode : (m_svc ? -101 : -102);
        m_disp.post(
            [this, code] {
                deliver({{RsC_Room_ConnectFailed, QVariantMap{{"type", QStringLiteral("main")}, {"code", code}}},
                         {RsC_Room_LoginResult,
                          QVariantMap{{"type", QStringLiteral("main")}, {"code", code}, {"regOk", false},
                                      {"result", QStringLiteral("连接房间服务超时")}, {"isok", false}}}});
            },
            p.timeoutMs);
        return true;
    }
    m_disp.post(
        [this, vars] {
            Events ev;
            m_svc->loginRoom(vars, &ev);
            deliver(ev);
        },
        p.delayMs);
    return true;
}

void ClientLibImpl::LeaveRoom()
{
    const auto gate = record("LeaveRoom", {});
    if (m_svc) m_svc->leaveRoom();
}

bool ClientLibImpl::DualRoomCmd(const QVariant& map)
{
    const auto gate = record("DualRoomCmd", {map});
    if (!isMap(map)) return refuse("DualRoomCmd", QStringLiteral("argument is not a map"));
    return !takeFailure("DualRoomCmd");
}

bool ClientLibImpl::EnterLiveRoom(bool teacher, const QString& token)
{
    const auto gate = record("EnterLiveRoom", {teacher, token});
    if (token.isEmpty()) return refuse("EnterLiveRoom", QStringLiteral("empty token"));
    if (takeFailure("EnterLiveRoom")) return false;
    if (m_cfg.playCatch) {
        ClientLibPlayCatchFn fn = m_cfg.playCatch;
        m_disp.post([this, fn] { log(QStringLiteral("live room play delay %1 ms").arg(fn())); });
    }
    return true;
}

bool ClientLibImpl::SendTranMsg(const QString& userId, qint64 msgType, const QVariant& reply)
{
    const auto gate = record("SendTranMsg", {userId, msgType, reply});
    if (userId.isEmpty()) return refuse("SendTranMsg", QStringLiteral("empty user id"));
    return !takeFailure("SendTranMsg");
}

bool ClientLibImpl::SendTranMsgEx(const QString& userId, qint64 msgType, const QVariant& reply)
{
    const auto gate = record("SendTranMsgEx", {userId, msgType, reply});
    if (userId.isEmpty()) return refuse("SendTranMsgEx", QStringLiteral("empty user id"));
    return !takeFailure("SendTranMsgEx");
}

void ClientLibImpl::SyncUser(const QString& userId)
{
    const auto gate = record("SyncUser", {userId});
    if (userId.isEmpty()) refuse("SyncUser", QStringLiteral("empty user id"));
}

void ClientLibImpl::SubscribeUser(const QString& userId)
{
    const auto gate = record("SubscribeUser", {userId});
    if (userId.isEmpty()) refuse("SubscribeUser", QStringLiteral("empty user id"));
}

void ClientLibImpl::StopAppAuth(const QString& userId)
{
    const auto gate = record("StopAppAuth", {userId});
    if (userId.isEmpty()) refuse("StopAppAuth", QStringLiteral("empty user id"));
}

void ClientLibImpl::ResetLiveState(int a, int b) { const auto gate = record("ResetLiveState", {a, b}); }

void ClientLibImpl::SetPushInfo(const QString& stream, int liveMode, int width, int height, int on)
{
    const auto gate = record("SetPushInfo", {stream, liveMode, width, height, on});
}

bool ClientLibImpl::SetDualVisible(bool in, bool all)
{
    const auto gate = record("SetDualVisible", {in, all});
    return !takeFailure("SetDualVisible");
}

bool ClientLibImpl::ReplyInvite(const QString& userId, bool accept)
{
    const auto gate = record("ReplyInvite", {userId, accept});
    if (userId.isEmpty()) return refuse("ReplyInvite", QStringLiteral("empty user id"));
    return !takeFailure("ReplyInvite");
}

void ClientLibImpl::ReplyRecordCmd(int code, int reserved, const QString& msg)
{
    const auto gate = record("ReplyRecordCmd", {code, reserved, msg});
}

void ClientLibImpl::ReportDeviceState(int code, int reserved, const QString& msg)
{
    const auto gate = record("ReportDeviceState", {code, reserved, msg});
}

void ClientLibImpl::BindUserWebId(const QString& userId, const QString& webId)
{
    const auto gate = record("BindUserWebId", {userId, webId});
    if (userId.isEmpty() || webId.isEmpty()) refuse("BindUserWebId", QStringLiteral("empty id"));
}

void ClientLibImpl::ReportUserVideoInfo(const QMap<int, QString>& barUsers)
{
    QVariantMap m;
    for (auto it = barUsers.begin(); it != barUsers.end(); ++it) m.insert(QString::number(it.key()), it.value());
    const auto gate = record("ReportUserVideoInfo", {m});
}

void ClientLibImpl::ReportWbUserVideoInfo(const QString& userId, const QRectF& rect)
{
    const auto gate = record("ReportWbUserVideoInfo", {userId, rect});
    if (userId.isEmpty()) refuse("ReportWbUserVideoInfo", QStringLiteral("empty user id"));
}

void ClientLibImpl::SendPraise(const QString& userId)
{
    const auto gate = record("SendPraise", {userId});
    if (userId.isEmpty()) {
        refuse("SendPraise", QStringLiteral("empty user id"));
        return;
    }
    roomEvent("SendPraise", [=](ClassroomService* s, Events* ev) { return s->praiseUser(userId, ev); });
}

bool ClientLibImpl::ReplyAppAuth(const QString& userId, bool accept)
{
    const auto gate = record("ReplyAppAuth", {userId, accept});
    const QVariantMap u{{"userId", userId}, {"accept", accept}};
    if (userId.isEmpty()) return badRequest("ReplyAppAuth", RsC_Http_AppAuth, u, QStringLiteral("用户为空"));
    request(RsC_Http_AppAuth, u, [](Failure*) { return QVariantMap(); });
    return true;
}

bool ClientLibImpl::SetHandup(bool raised)
{
    const auto gate = record("SetHandup", {raised});
    return roomEvent("SetHandup", [](ClassroomService* s, Events*) { return s->inRoom(); });
}

// ---- Users and chat -------------------------------------------------------------

bool ClientLibImpl::SendChatMsg(const QString& content, int type, qint64 timeSecs)
{
    const auto gate = record("SendChatMsg", {content, type, timeSecs});
    if (content.isEmpty()) return refuse("SendChatMsg", QStringLiteral("empty message"));
    if (type != 1 && type != 2) return refuse("SendChatMsg", QStringLiteral("unknown message type %1").arg(type));
    return roomEvent("SendChatMsg",
                     [=](ClassroomService* s, Events* ev) { return s->sendChat(content, type, timeSecs, ev); });
}

bool ClientLibImpl::SetAllNoSpeak(bool on)
{
    const auto gate = record("SetAllNoSpeak", {on});
    return roomEvent("SetAllNoSpeak", [=](ClassroomService* s, Events* ev) {
        if (!s->inRoom()) return false;
        s->setAllNoSpeak(on, ev);
        return true;
    });
}

#define CLIENTLIB_USER_FLAG(Op, flag)                                                               \
    bool ClientLibImpl::Op(const QString& userId, bool on)                                          \
    {                                                                                               \
        const auto gate = record(#Op, {userId, on});                                                                  \
        if (userId.isEmpty()) return refuse(#Op, QStringLiteral("empty user id"));                  \
        return roomEvent(#Op,                                                                       \
                         [=](ClassroomService* s, Events* ev) { return s->setUserFlag(userId, flag, on, ev); }); \
    }

CLIENTLIB_USER_FLAG(SetUserNoSpeak, "noSpeak")
CLIENTLIB_USER_FLAG(SetUserClickAuth, "click")
CLIENTLIB_USER_FLAG(SetUserDrawAuth, "draw")
CLIENTLIB_USER_FLAG(SetUserVideoState, "cam")
CLIENTLIB_USER_FLAG(SetUserAudioState, "mic")
#undef CLIENTLIB_USER_FLAG

bool ClientLibImpl::SetUserLinkMic(const QString& userId, bool on)
{
    const auto gate = record("SetUserLinkMic", {userId, on});
    if (userId.isEmpty()) return refuse("SetUserLinkMic", QStringLiteral("empty user id"));
    return roomEvent("SetUserLinkMic", [=](ClassroomService* s, Events* ev) { return s->linkMic(userId, on, ev); });
}

bool ClientLibImpl::KickUser(const QString& userId)
{
    const auto gate = record("KickUser", {userId});
    if (userId.isEmpty()) return refuse("KickUser", QStringLiteral("empty user id"));
    return roomEvent("KickUser", [=](ClassroomService* s, Events* ev) { return s->kickUser(userId, ev); });
}

// ---- Interaction tools ------------------------------------------------------------

bool ClientLibImpl::SetVoiceInteraction(bool on)
{
    const auto gate = record("SetVoiceInteraction", {on});
    return roomEvent("SetVoiceInteraction", [=](ClassroomService* s, Events* ev) {
        if (!s->inRoom()) return false;
        s->setVoiceInteraction(on, ev);
        return true;
    });
}

bool ClientLibImpl::SetCountdown(int seconds, bool start)
{
    const auto gate = record("SetCountdown", {seconds, start});
    if (start && seconds <= 0) return refuse("SetCountdown", QStringLiteral("no time set"));
    return roomEvent("SetCountdown", [=](ClassroomService* s, Events* ev) {
        if (!s->inRoom()) return false;
        s->setCountdown(seconds, start, ev);
        return true;
    });
}

bool ClientLibImpl::PublishQuestion(int type, int num, const QVariant& answers, qint64 id, bool showNum)
{
    const auto gate = record("PublishQuestion", {type, num, answers, id, showNum});
    QList<int> right;
    if (!optionList(answers, &right)) return refuse("PublishQuestion", QStringLiteral("answers are not a list of numbers"));
    return roomEvent("PublishQuestion", [=](ClassroomService* s, Events* ev) {
        return s->publishQuestion(type, num, right, id, showNum, ev);
    });
}

bool ClientLibImpl::SubmitAnswer(int type, const QVariant& answers, qint64 id)
{
    const auto gate = record("SubmitAnswer", {type, answers, id});
    QList<int> options;
    if (!optionList(answers, &options) || options.isEmpty())
        return refuse("SubmitAnswer", QStringLiteral("answers are not a list of numbers"));
    return roomEvent("SubmitAnswer", [](ClassroomService* s, Events*) { return s->inRoom(); });
}

bool ClientLibImpl::SubmitAnswerRecord(int type, const QVariant& answers, qint64 id, const QString& token)
{
    const auto gate = record("SubmitAnswerRecord", {type, answers, id, token});
    QList<int> options;
    if (!optionList(answers, &options)) return refuse("SubmitAnswerRecord", QStringLiteral("answers are not a list"));
    return !takeFailure("SubmitAnswerRecord");
}

bool ClientLibImpl::StopQuestion(const QVariant& arg)
{
    const auto gate = record("StopQuestion", {arg});
    return roomEvent("StopQuestion", [](ClassroomService* s, Events* ev) { return s->stopQuestion(ev); });
}

bool ClientLibImpl::SetDoodleBoard(bool on)
{
    const auto gate = record("SetDoodleBoard", {on});
    return roomEvent("SetDoodleBoard", [=](ClassroomService* s, Events* ev) {
        if (!s->inRoom()) return false;
        s->setDoodleBoard(on, ev);
        return true;
    });
}

bool ClientLibImpl::PublishNotice(qint64 id, const QString& json)
{
    const auto gate = record("PublishNotice", {id, json});
    return roomEvent("PublishNotice", [=](ClassroomService* s, Events* ev) {
        if (!s->inRoom()) return false;
        s->publishNotice(id, json, ev);
        return true;
    });
}

bool ClientLibImpl::SetLottery(int count, qint64 id, bool start)
{
    const auto gate = record("SetLottery", {count, id, start});
    if (id == 0) return refuse("SetLottery", QStringLiteral("lottery id 0"));
    return roomEvent("SetLottery", [=](ClassroomService* s, Events* ev) { return s->setLottery(count, id, start, ev); });
}

bool ClientLibImpl::JoinLottery(qint64 id)
{
    const auto gate = record("JoinLottery", {id});
    const QVariantMap st = m_svc ? m_svc->state() : QVariantMap();
    if (id == 0 || st.value(QStringLiteral("lotteryId")).toLongLong() != id)
        return refuse("JoinLottery", QStringLiteral("no lottery %1").arg(id));
    return !takeFailure("JoinLottery");
}

void ClientLibImpl::ReportRecordResult(int code, int reserved, const QString& msg)
{
    const auto gate = record("ReportRecordResult", {code, reserved, msg});
}

bool ClientLibImpl::SetRecordState(const QString& streamKey, int on)
{
    const auto gate = record("SetRecordState", {streamKey, on});
    if (streamKey.isEmpty()) return refuse("SetRecordState", QStringLiteral("empty stream key"));
    return !takeFailure("SetRecordState");
}

// ---- Products -------------------------------------------------------------------

bool ClientLibImpl::GetProductList(const QString& lastTs)
{
    const auto gate = record("GetProductList", {lastTs});
    return roomEvent("GetProductList", [=](ClassroomService* s, Events* ev) {
        if (!s->inRoom()) return false;
        s->productList(false, lastTs, ev);
        return true;
    });
}

bool ClientLibImpl::GetAdProductList(const QString& lastTs)
{
    const auto gate = record("GetAdProductList", {lastTs});
    return roomEvent("GetAdProductList", [=](ClassroomService* s, Events* ev) {
        if (!s->inRoom()) return false;
        s->productList(true, lastTs, ev);
        return true;
    });
}

#define CLIENTLIB_PRODUCT_OP(Op, ad, up)                                                             \
    bool ClientLibImpl::Op(const QVariant& product)                                                  \
    {                                                                                                \
        const auto gate = record(#Op, {product});                                                                      \
        if (!isMap(product)) return refuse(#Op, QStringLiteral("product is not a map"));             \
        const QVariantMap p = product.toMap();                                                       \
        return roomEvent(#Op, [=](ClassroomService* s, Events* ev) { return s->productUpDown(ad, up, p, ev); }); \
    }

CLIENTLIB_PRODUCT_OP(ProductUp, false, true)
CLIENTLIB_PRODUCT_OP(ProductDown, false, false)
CLIENTLIB_PRODUCT_OP(AdProductUp, true, true)
CLIENTLIB_PRODUCT_OP(AdProductDown, true, false)
#undef CLIENTLIB_PRODUCT_OP

}  // namespace clientlib
