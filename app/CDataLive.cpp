// CData: the live configuration, the media lines and the RTMP addresses, and
// the results of the downloads the data model starts.
#include "app/CData.h"

#include "app/CSettings.h"
#include "app/DownThread.h"
#include "app/Logger.h"
#include "app/UrlProxy.h"
#include "app/WorkerLifetime.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Built-in RTMP hosts, used while no media line names its own.
const char kDefaultPushHost[] = "push.example";
const char kDefaultPullHost[] = "pull.example";
const char kDefaultDeskTopPushHost[] = "desktop-push.example";
const char kDefaultDeskTopPullHost[] = "desktop-pull.example";

QString jsonText(const QJsonObject& o, const char* key)
{
    QJsonValue v = o.value(key);
    return v.isString() ? v.toString() : QString();
}

}  // namespace

void CData::DoGetLiveConfig()
{
    if (m_loginVars.isEmpty()) {
        Logger::instance()->Log(LOG_WARN, "CData::DoGetLiveConfig", "loginvar null");
        return;
    }
    const std::string base = UrlProxy::GetUrl(kUrlLiveConfig);
    if (base.empty()) {
        Logger::instance()->Log(LOG_WARN, "CData::DoGetLiveConfig", "no live configuration address");
        return;
    }
    std::string url = base + "?token=" + m_loginVars.value(0).toStdString();
    auto* down = new DownThread(url, 2, false);
    WorkerLifetime::Start(down, this, &CData::onDownFinish);
}

void CData::FetchMediaLinesOnTick(int tick)
{
    if (!(tick == 1 || tick % 4 == 0) || !m_mediaLines.isEmpty())
        return;
    const std::string base = UrlProxy::GetUrl(kUrlMediaLines);
    if (base.empty()) {
        Logger::instance()->Log(LOG_WARN, "CData::FetchMediaLinesOnTick", "no media-line list address (tick %d)", tick);
        return;
    }
    std::string url = base + "?random=" + std::to_string(QDateTime::currentSecsSinceEpoch());
    auto* down = new DownThread(url, 1, false);
    WorkerLifetime::Start(down, this, &CData::onDownFinish);
}

void CData::onDownFinish(DownThread* pDown)
{
    if (!pDown)
        return;
    switch (pDown->type) {
    case 1:
        OnMediaLines(pDown);
        break;
    case 2:
        OnLiveConfig(pDown);
        break;
    case 3:
        OnGroupImageDownloaded(pDown);
        break;
    default:
        break;
    }
}

void CData::OnMediaLines(DownThread* pDown)
{
    const QByteArray body = pDown->GetData().toUtf8();
    QJsonParseError err;
    QJsonDocument doc = QJsonDocument::fromJson(body, &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject()) {
        QString why = err.error != QJsonParseError::NoError ? err.errorString() : QString("not an object");
        Logger::instance()->Log(LOG_WARN, "CData::onDownFinish", "down mg res %s err %s", body.constData(),
                                why.toUtf8().constData());
        return;
    }
    const QJsonArray lines = doc.object().value("mediaLine").toArray();
    QMap<QString, QVariant> stored;
    QVariantMap selected;
    for (int i = 0; i < lines.size(); ++i) {
        const QJsonObject o = lines.at(i).toObject();
        QVariantMap line;
        for (const char* key : {"key", "title", "deskTopPushUrl", "deskTopPullUrl", "pushUrl", "pullUrl"})
            line[key] = jsonText(o, key);
        line["default"] = o.value("default").toBool(false);
        line["index"] = i;
        if (line["default"].toBool())
            selected = line;
        stored[QString::number(i)] = line;
    }
    if (stored.isEmpty()) {
        Logger::instance()->Log(LOG_WARN, "CData::onDownFinish", "down mg res %s err no media lines", body.constData());
        return;
    }
    m_mediaLines = stored;
    int saved = CSettings::instance()->GetValue("App/MGLine", -1).toInt();
    if (saved >= 0 && saved < m_mediaLines.size())
        selected = m_mediaLines.value(QString::number(saved)).toMap();
    if (selected.isEmpty())
        selected = m_mediaLines.value("0").toMap();
    m_selectedLine = selected;
}

QByteArray CData::DecodeLiveConfig(const QByteArray& body)
{
    QByteArray bytes = QByteArray::fromBase64(body.trimmed());
    for (char& c : bytes)
        c = static_cast<char>(static_cast<unsigned char>(c) - kLiveConfigOffset);
    return bytes;
}

void CData::OnLiveConfig(DownThread* pDown)
{
    const QByteArray body = pDown->GetData().toUtf8();
    const QByteArray decoded = DecodeLiveConfig(body);
    QJsonObject cfg = QJsonDocument::fromJson(decoded).object();  // a parse failure leaves it empty
    SetStatus(kStatusShowUserNumByChat, jsonText(cfg, "showUserNumByChat") == "1");
    SetStatus(kStatusOpenSyncLive, jsonText(cfg, "openSyncLive") == "1");
    Logger::instance()->Log(LOG_INFO, "CData::onDownFinish", "liveconfig %s", decoded.constData());
    const QString layout = jsonText(cfg, "layout");
    if (layout == "1" || layout == "2") {
        m_layout = layout.toInt();
    } else {
        Logger::instance()->Log(LOG_WARN, "CData::onDownFinish", "%s res %s decode %s liveconfig err use default",
                                pDown->GetUrl().toUtf8().constData(), body.constData(), decoded.constData());
    }
    emit sgEnterRoom();
}

QVariantMap CData::GetMgLineInfo() const
{
    QVariantMap info;
    info["count"] = m_mediaLines.size();
    info["line"] = m_selectedLine.isEmpty() ? 0 : m_selectedLine.value("index").toInt();
    return info;
}

void CData::SwitchMgLine(int n)
{
    const int count = m_mediaLines.size();
    if (count == 0 || m_selectedLine.isEmpty())
        return;
    int target = m_selectedLine.value("index").toInt() + 1;
    if (n >= 0 && n < count)
        target = n;
    if (target >= count)
        target = 0;
    Logger::instance()->Log(LOG_INFO, "CData::SwitchMgLine", "SwitchMgLine to %d", target);
    CSettings::instance()->SetValue("App/MGLine", target);
    m_selectedLine = m_mediaLines.value(QString::number(target)).toMap();
}

QString CData::LineBase(const char* key, const char* defaultHost) const
{
    // A line that leaves a host empty keeps the built-in host of that role:
    // "rtmp:///video/" would be no address at all.
    const QString host = m_selectedLine.value(key).toString();
    if (!host.isEmpty())
        return "rtmp://" + host + "/video/";
    return QString("rtmp://") + defaultHost + "/video/";
}

QString CData::GetPushUrl() const { return LineBase("pushUrl", kDefaultPushHost); }
QString CData::GetPullUrl() const { return LineBase("pullUrl", kDefaultPullHost); }
QString CData::GetDeskTopPushUrl() const { return LineBase("deskTopPushUrl", kDefaultDeskTopPushHost); }
QString CData::GetDeskTopPullUrl() const { return LineBase("deskTopPullUrl", kDefaultDeskTopPullHost); }

QString CData::GetStreamName(bool record) const
{
    QString name = record ? "liveRecord_" : "liveTeacher_";
    if (m_loginVars.size() >= 5)
        name += m_loginVars.value(4) + "_" + QString::fromLatin1(m_loginVars.value(1).toUtf8().toHex()) + "_";
    name += QString::number(QDateTime::currentMSecsSinceEpoch());
    Logger::instance()->Log(LOG_INFO, "CData::GetStreamName", "rtmp name %s", name.toUtf8().constData());
    return name;
}
