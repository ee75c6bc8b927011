// CData: relayed requests from other clients of the room (status, logs,
// media lines, line switch, devices, remote restart).
#include "app/CData.h"

#include "app/CUpLoadLog.h"
#include "ClientLib.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "app/SystemInfo.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

const char kVersionText[] = "1.4.7";

QJsonObject codeMsg(int code, const QString& msg) { return QJsonObject{{"code", code}, {"msg", msg}}; }

QString compact(const QJsonValue& v)
{
    if (v.isArray())
        return QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
    return QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
}

}  // namespace

void CData::DoTranRs(const QVariant& msg, bool alt)
{
    const QVariantMap m = msg.toMap();
    const QString userId = m.value("userId").toString();
    const qint64 msgType = m.value("msgType").toLongLong();
    const QString text = m.value("msgJson").toString();
    QJsonObject fields;
    if (!text.isEmpty()) {
        QJsonParseError err;
        QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &err);
        if (err.error != QJsonParseError::NoError)
            Logger::instance()->Log(LOG_WARN, "CData::DoTranRs", "tran json parse err %s",
                                    err.errorString().toUtf8().constData());
        else
            fields = doc.object();
    }
    if (msgType == kTranRestart) {
        TranRestart(alt, userId, msgType);
        return;
    }
    SendTranReply(alt, userId, msgType, BuildTranReply(msgType, fields));
}

QVariant CData::BuildTranReply(qint64 msgType, const QJsonObject& fields)
{
    QJsonObject reply;
    switch (msgType) {
    case kTranStatus:
        reply = TranStatus();
        break;
    case kTranUploadLogs: {
        // Relayed log requests can come in bursts: while one upload is
        // still posting, no second one starts (the reply names no archive).
        const std::string archive = CUpLoadLog::Running() > 0 ? std::string() : CUpLoadLog::CheckUpload(true);
        reply = QJsonObject{{"data", QFileInfo(QString::fromStdString(archive)).completeBaseName()}};
        break;
    }
    case kTranMediaLines: {
        const int cur = GetMgLineInfo()["line"].toInt();
        QJsonArray lines;
        for (int i = 0; i < m_mediaLines.size(); ++i) {
            const QVariantMap line = GetMgLine(i);
            lines.append(QJsonObject{{"id", QString::number(line.value("index").toInt())},
                                     {"lineName", line.value("title").toString()},
                                     {"lineAddr", line.value("pushUrl").toString()},
                                     {"isSelected", i == cur}});
        }
        reply = QJsonObject{{"code", 0}, {"data", lines}};
        break;
    }
    case kTranSwitchLine:
        reply = TranSwitchLine(fields);
        break;
    case kTranDeviceList:
        reply = TranDeviceList();
        break;
    case kTranSelectDevice:
        reply = TranSelectDevice(fields);
        break;
    default:
        return QVariant();
    }
    return QVariant(compact(reply));
}

void CData::SendTranReply(bool alt, const QString& userId, qint64 msgType, const QVariant& reply)
{
    ClientLib* lib = Room::instance()->GetClientLib();
    if (!lib) {
        Logger::instance()->Log(LOG_WARN, "CData::DoTranRs", "no client library, reply to %s dropped",
                                userId.toUtf8().constData());
        return;
    }
    if (alt)
        lib->SendTranMsgEx(userId, msgType, reply);
    else
        lib->SendTranMsg(userId, msgType, reply);
}

QJsonObject CData::TranStatus() const
{
    Room* room = Room::instance();
    QJsonObject o;
    o["netspeed"] = QString("cpu %1% memory %2% speed %3").arg(room->GetCpuAvg()).arg(room->GetMemAvg()).arg(room->GetDelayAvg());
    const char* servers[][2] = {{"mainproxy", "main"}, {"chatproxy", "chat"}, {"wbproxy", "wb"}};
    for (const auto& s : servers) {
        const QVariantMap v = m_vars.value(s[1]).toMap();
        o[s[0]] = v.value("addr").toString() + " " + v.value("result").toString();
    }
    o["version"] = kVersionText;
    o["devinfo"] = GetSystemVersion();
    QString record;
    if (m_recording && m_tranServices.recordAddress)
        record = m_tranServices.recordAddress();
    o["record"] = record.isEmpty() ? QString("no") : record;
    if (IsLiveRoom()) {
        const QString push = m_tranServices.pushUrl ? m_tranServices.pushUrl() : QString();
        const QString play = m_tranServices.playUrl ? m_tranServices.playUrl() : QString();
        if (!push.isEmpty())
            o["rtmpPush"] = push;
        if (!play.isEmpty())
            o["rtmpPlay"] = play;
    }
    return o;
}

QJsonObject CData::TranSwitchLine(const QJsonObject& fields)
{
    bool ok = false;
    int n = fields.value("lineId").toString().toInt(&ok);
    if (!ok)
        n = 0;
    const int cur = m_selectedLine.value("index").toInt();
    if (n != cur) {
        SwitchMgLine(n);
        if (IsLiveRoom())
            emit sgSwitchLine();
    }
    const int now = m_selectedLine.value("index").toInt();
    return now == n ? codeMsg(0, "切换成功") : codeMsg(1, "切换失败");
}

QJsonObject CData::TranDeviceList()
{
    auto list = [](const TranServices::DeviceList& devices, const QString& current) {
        QJsonArray arr;
        for (const auto& d : devices)
            arr.append(QJsonObject{{"id", d.first}, {"name", d.second}, {"isSelected", d.first == current}});
        return arr;
    };
    const TranServices& s = m_tranServices;
    QJsonArray cameras = list(s.cameras ? s.cameras() : TranServices::DeviceList(),
                              s.currentCamera ? s.currentCamera() : QString());
    QJsonArray mics = list(s.mics ? s.mics() : TranServices::DeviceList(), s.currentMic ? s.currentMic() : QString());
    m_lastCameras = compact(cameras).toStdString();
    m_lastMics = compact(mics).toStdString();
    return QJsonObject{{"code", 0}, {"data", QJsonObject{{"cameras", cameras}, {"mics", mics}}}};
}

QJsonObject CData::TranSelectDevice(const QJsonObject& fields)
{
    const bool camera = fields.value("type").toInt(-1) == 0;
    const QString id = fields.value("id").toString();
    if (!IsLiveRoom())
        return codeMsg(1, "小课堂暂不支持");
    // The id must be one of the listed devices' ids: the last device-list
    // reply is parsed and matched exactly, never by a part of a name.
    const std::string& listed = camera ? m_lastCameras : m_lastMics;
    bool found = false;
    for (const QJsonValue& v : QJsonDocument::fromJson(QByteArray::fromStdString(listed)).array())
        found = found || (!id.isEmpty() && v.toObject().value("id").toString() == id);
    if (!found)
        return codeMsg(1, "未找到设备Id");
    if (GetStatus(kStatusDevicesBusy))
        return codeMsg(1, "正在选择设备，操作无效");
    const TranServices& s = m_tranServices;
    const QString current = camera ? (s.currentCamera ? s.currentCamera() : QString())
                                   : (s.currentMic ? s.currentMic() : QString());
    if (id == current)
        return codeMsg(1, "当前就是此设备，操作无效");
    if (camera && s.setCamera)
        s.setCamera(id);
    else if (!camera && s.setMic)
        s.setMic(id);
    if (Room::instance()->GetShareType() != 3)
        emit sgSwitchLine();
    return codeMsg(0, "");
}

void CData::TranRestart(bool alt, const QString& userId, qint64 msgType)
{
    Logger::instance()->Log(LOG_INFO, "CData::DoTranRs", "remote restart app");
    if (!m_tranServices.showRestartPrompt) {
        // No prompt to show the teacher: a peer never restarts the program
        // behind the teacher's back.
        Logger::instance()->Log(LOG_WARN, "CData::DoTranRs", "no restart prompt, remote restart from %s refused",
                                userId.toUtf8().constData());
        SendTranReply(alt, userId, msgType, QVariant(compact(codeMsg(1, "暂不支持"))));
        return;
    }
    const QVariant reply(compact(codeMsg(0, "程序正在启动中..")));
    const std::function<void()> restart = m_tranServices.restartProgram;
    auto finish = [this, alt, userId, msgType, reply, restart] {
        SendTranReply(alt, userId, msgType, reply);
        if (restart)
            restart();
        else
            RestartProgram();
        emit sgExitApp();
    };
    m_tranServices.showRestartPrompt(finish);
}
