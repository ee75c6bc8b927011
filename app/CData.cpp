// CData: life, login variables, users, status map, room flags, server time
// and the one-second tick.
#include "app/CData.h"

#include "app/AppUpdater.h"
#include "app/Logger.h"
#include "app/RecordLists.h"

#include <QDateTime>
#include <QTimer>

CData* CData::instance()
{
    static CData data;
    return &data;
}

CData::CData() : QObject(nullptr), m_localUser(std::string())
{
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &CData::onUpdateTimer);
    m_timer->start(1000);

    m_appExiting = false;
    m_localUser.type = 1;
    ResetData(true);

    GroupInfo system;
    system.groupId = "1";
    system.name = "系统消息";
    system.type = "1";
    m_groups.push_back(system);

    m_updater = new AppUpdater();
}

CData::~CData()
{
    delete m_updater;
    m_updater = nullptr;
}

void CData::StopTimer()
{
    if (m_timer && m_timer->isActive())
        m_timer->stop();
}

void CData::ResetData(bool all)
{
    QWriteLocker g(&m_lock);
    for (int key = 1000; key <= 1011; ++key)
        m_status.remove(QString::number(key));
    m_vars.clear();
    m_loginVars.clear();
    m_authAppDevs.clear();
    m_users.clear();
    m_liveMode = 2;
    m_recording = false;
    m_extPush = false;
    m_classType = 2;
    m_classUp = false;
    m_layout = 1;
    if (all) {
        for (int key = 1; key <= 999; ++key)
            m_status.remove(QString::number(key));
        int type = m_localUser.type;
        m_localUser = UserInfo(std::string());
        m_localUser.type = type;
        m_courses.clear();
        m_calePoints.clear();
        m_dayRooms.clear();
        m_groups.clear();
    }
}

// --- login variables ---

bool CData::SetLoginVar(const QStringList& vars)
{
    if (vars.size() < 6) {
        Logger::instance()->Log(LOG_WARN, "CData::SetLoginVar", "loginvar len err %d", int(vars.size()));
        return false;
    }
    if (vars.value(5) == "100") {
        Logger::instance()->Log(LOG_WARN, "CData::SetLoginVar", "login class type err. app login emulate rec");
        return false;
    }
    if (vars.value(5) == "101") {
        Logger::instance()->Log(LOG_WARN, "CData::SetLoginVar", "login class type err. app tea login emulate live");
        return false;
    }
    m_localUser.userId = vars.value(2).toStdString();
    m_localUser.userName = vars.value(3).toUtf8().toStdString();
    SetStatusText(kStatusToken, vars.value(0));
    m_loginVars = vars;
    return true;
}

bool CData::IsLiveRoom() const
{
    if (m_loginVars.size() < 6)
        return false;
    const QString kind = m_loginVars.value(5);
    return kind == "1" || kind == "2" || kind == "5" || kind == "100" || kind == "101";
}

bool CData::IsAppTeaLive() const { return m_loginVars.size() >= 6 && m_loginVars.value(5) == "101"; }

bool CData::IsLoginRole6() const
{
    if (m_loginVars.size() < 6)
        return false;
    const QStringList parts = m_loginVars.value(0).split('|', Qt::KeepEmptyParts);
    return !parts.isEmpty() && parts.last() == "6";
}

int CData::GetVideoWidth() const { return IsLiveRoom() ? 236 : 200; }

int CData::GetLayout() const { return IsLiveRoom() ? m_layout : 1; }

// --- users ---

void CData::SetLocalUser(UserInfo& user)
{
    if (user.type != m_localUser.type) {
        Logger::instance()->Log(LOG_WARN, "CData::SetLocalUser", "local user type err %d set user type %d",
                                m_localUser.type, user.type);
        user.type = m_localUser.type;
    }
    m_localUser = user;
}

std::string CData::GetPlatform() const { return m_localUser.type == 1 ? "winTea" : "winStu"; }

bool CData::UpdateUser(UserInfo& user)
{
    if (user.userId == m_localUser.userId) {
        if (user.type != m_localUser.type) {
            Logger::instance()->Log(LOG_WARN, "CData::UpdateUser", "local user type err %d set user type %d",
                                    m_localUser.type, user.type);
            user.type = m_localUser.type;
        }
        m_localUser = user;
    }
    return records::ReplaceOrAppend(m_users, user, [&](const UserInfo& u) { return u.userId == user.userId; });
}

bool CData::UpdateUser(const UserInfo& user)
{
    UserInfo copy = user;
    return UpdateUser(copy);
}

bool CData::RemoveUser(const std::string& id)
{
    for (auto it = m_users.begin(); it != m_users.end(); ++it) {
        if (it->userId == id) {
            m_users.erase(it);
            return true;
        }
    }
    return false;
}

bool CData::GetUser(const std::string& id, UserInfo& out) const
{
    if (id == m_localUser.userId) {
        out = m_localUser;
        return true;
    }
    return records::FindFirst(m_users, [&](const UserInfo& u) { return u.userId == id; }, out);
}

// --- status map ---

void CData::SetStatus(int key, int value)
{
    QWriteLocker g(&m_lock);
    m_status[QString::number(key)] = value;
}

void CData::SetStatusText(int key, const QString& value)
{
    QWriteLocker g(&m_lock);
    m_status[QString::number(key)] = value;
}

bool CData::GetStatus(int key) const
{
    QReadLocker g(&m_lock);
    auto it = m_status.constFind(QString::number(key));
    return it != m_status.constEnd() && it->toBool();
}

QString CData::GetStatusText(int key) const
{
    QReadLocker g(&m_lock);
    return m_status.value(QString::number(key)).toString();
}

// --- room flags ---

void CData::SetLiveMode(int mode)
{
    Logger::instance()->Log(LOG_INFO, "CData::SetLiveMode", "set mode %d, pre %d", mode, m_liveMode);
    m_liveMode = mode;
}

void CData::SetExtPush(bool on)
{
    Logger::instance()->Log(LOG_INFO, "CData::SetExtPush", "extpush %d", int(on));
    m_extPush = on;
}

void CData::SetRecording(bool on)
{
    Logger::instance()->Log(LOG_INFO, "CData::SetRecording", "dorecord %d", int(on));
    m_recording = on;
}

void CData::SetClassType(int type, bool up)
{
    m_classType = type;
    m_classUp = up;
}

// --- server time ---

void CData::SetSvrTimeOff(qint64 offMs)
{
    if (offMs >= m_svrTimeOff)
        return;
    m_svrTimeOff = offMs;
    Logger::instance()->Log(LOG_INFO, "CData::SetSvrTimeOff", "server time diff %lld", static_cast<long long>(offMs));
}

qint64 CData::GetSvrTimeOff() const { return m_svrTimeOff == kSvrTimeUnset ? 0 : m_svrTimeOff; }

qint64 CData::GetSvrTime() const
{
    if (m_svrTimeOff == kSvrTimeUnset)
        return 0;
    return QDateTime::currentMSecsSinceEpoch() - m_svrTimeOff;
}

// --- tick ---

void CData::onUpdateTimer()
{
    ++m_tick;
    emit sgTimerUpdate(m_tick);
    FetchMediaLinesOnTick(m_tick);
}
