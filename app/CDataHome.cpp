// CData: class-home data, the share history and the group images.
#include "app/CData.h"

#include "app/CSettings.h"
#include "app/DownThread.h"
#include "app/Logger.h"
#include "app/RecordLists.h"
#include "app/PubUtils.h"
#include "app/UrlProxy.h"
#include "app/WorkerLifetime.h"

bool CData::AddCourse(const CourseInfo& course)
{
    return records::ReplaceOrAppend(m_courses, course, [&](const CourseInfo& c) {
        return c.courseId == course.courseId && c.isTmp == course.isTmp;
    });
}

bool CData::GetCourse(const std::string& id, CourseInfo& out) const
{
    if (records::FindFirst(m_courses, [&](const CourseInfo& c) { return c.courseId == id; }, out))
        return true;
    Logger::instance()->Log(LOG_WARN, "CData::GetCourse", "not found course id %s", id.c_str());
    return false;
}

CourseInfo CData::GetTmpCourse() const
{
    for (auto it = m_courses.rbegin(); it != m_courses.rend(); ++it)
        if (it->isTmp)
            return *it;
    return CourseInfo();
}

bool CData::AddGroup(const GroupInfo& group)
{
    return records::ReplaceOrAppend(m_groups, group, [&](const GroupInfo& g) { return g.groupId == group.groupId; });
}

bool CData::GetGroup(const std::string& id, GroupInfo& out) const
{
    return records::FindFirst(m_groups, [&](const GroupInfo& g) { return g.groupId == id; }, out);
}

void CData::SetCalePoints(const std::string& key, const std::vector<std::string>& days) { m_calePoints[key] = days; }

bool CData::HasCalePoints(const std::string& key) const { return m_calePoints.count(key) > 0; }

std::vector<std::string> CData::GetCalePoints(const std::string& key) { return m_calePoints[key]; }

void CData::SetDayRooms(const std::string& key, const std::vector<RoomInfo>& rooms) { m_dayRooms[key] = rooms; }

bool CData::HasDayRooms(const std::string& key) const { return m_dayRooms.count(key) > 0; }

std::vector<RoomInfo> CData::GetDayRooms(const std::string& key) { return m_dayRooms[key]; }

void CData::ClearDayRooms(bool alsoPoints)
{
    m_dayRooms.clear();
    if (alsoPoints)
        m_calePoints.clear();
}

void CData::AddIphoneShare(const QString& phone)
{
    if (phone.isEmpty()) {
        m_shareHistory.clear();
        CSettings::instance()->SetValue("IphoneShareList", QString());
        return;
    }
    if (m_shareHistory.contains(phone))
        return;
    while (m_shareHistory.size() >= 10)
        m_shareHistory.removeFirst();
    m_shareHistory.append(phone);
    CSettings::instance()->SetValue("IphoneShareList", m_shareHistory.join("|"));
}

QStringList CData::GetIphoneShareList()
{
    if (m_shareHistory.isEmpty()) {
        QString stored = CSettings::instance()->GetValue("IphoneShareList", QString()).toString();
        if (!stored.isEmpty())
            m_shareHistory = stored.split('|', Qt::KeepEmptyParts);
    }
    return m_shareHistory;
}

void CData::RemoveAuthAppDev(const QString& userId)
{
    for (auto it = m_authAppDevs.begin(); it != m_authAppDevs.end(); ++it) {
        if (it->toMap().value("userId").toString() == userId) {
            m_authAppDevs.erase(it);
            return;
        }
    }
}

QString CData::GetGroupLogoUrl(int image) const
{
    if (m_groupId.isEmpty()) {
        Logger::instance()->Log(LOG_WARN, "CData::GetGroupLogoUrl", "group id is null");
        return QString();
    }
    QString base = QString::fromUtf8(UrlProxy::GetUrl(kUrlGroupImages));
    if (image == 1)
        return base + "/mainlogo_" + m_groupId + ".png";
    if (image == 2)
        return base + "/wbbk1_" + m_groupId + ".png";
    return base + m_groupId + ".png";
}

QString CData::GetGroupLogoFile(int image) const
{
    if (m_groupId.isEmpty())
        return QString();
    return QString::fromStdString(PubUtils::GetUrlLocalFile(GetGroupLogoUrl(image).toStdString()));
}

bool CData::SetGroupId(const QString& id)
{
    if (id == m_groupId)
        return true;
    m_groupId = id;
    for (int image : {1, 2}) {
        QString url = GetGroupLogoUrl(image);
        if (url.isEmpty())
            continue;
        if (!DownThread::GetLoadPixmap(url.toStdString()).isNull()) {
            emit sgDownGroupLogo(image);
            continue;
        }
        StartGroupImageDownload(image, url);
    }
    return true;
}

void CData::StartGroupImageDownload(int image, const QString& url)
{
    auto* down = new DownThread(url.toStdString(), 3, true);
    down->setProperty("groupImage", image);
    down->maxTries = 3;
    WorkerLifetime::Start(down, this, &CData::onDownFinish);
}

void CData::OnGroupImageDownloaded(DownThread* pDown)
{
    // The receiver reads the cache file itself; a failed download leaves it
    // missing and the receiver keeps its current picture.
    int image = pDown->property("groupImage").toInt();
    if (pDown->GetLocalFile().isEmpty())
        Logger::instance()->Log(LOG_WARN, "CData::onDownFinish", "group image %d not loaded: %s", image,
                                pDown->GetUrl().toUtf8().constData());
    emit sgDownGroupLogo(image);
}
