// The cloud disk of the class-room service: the teacher's own folders and
// each group's, documents converted into page images, and the room's
// documents handed to the whiteboard.
#include "libs/clientlib/src/ClassroomService.h"

#include <QDateTime>
#include <QUrl>

namespace clientlib {
namespace {

QString stamp(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")); }

void fail(Failure* f, int code, const QString& msg)
{
    f->code = code;
    f->errMsg = msg;
}

bool isMediaExt(const QString& ext)
{
    static const QStringList media = {"mp3", "mp4", "wav", "m4a", "flv", "mov", "avi", "mkv"};
    return media.contains(ext.toLower());
}

}  // namespace

QList<DiskEntry>* ClassroomService::disk(const QString& owner, const QString& groupId, Failure* f)
{
    if (!m_loggedIn) {
        fail(f, 401, QStringLiteral("未登录"));
        return nullptr;
    }
    if (owner == QLatin1String("teacher")) return &m_data.disks[QStringLiteral("teacher")];
    if (owner == QLatin1String("group")) {
        const QString key = QStringLiteral("group:") + groupId;
        if (groupId.isEmpty()) {
            fail(f, 400, QStringLiteral("缺少群组"));
            return nullptr;
        }
        if (!m_data.disks.contains(key)) {
            bool known = false;
            for (const GroupRec& g : m_data.groups) known = known || QString::number(g.id) == groupId;
            if (!known) {
                fail(f, 404, QStringLiteral("群组不存在"));
                return nullptr;
            }
        }
        return &m_data.disks[key];
    }
    fail(f, 400, QStringLiteral("云盘类型错误: %1").arg(owner));
    return nullptr;
}

DiskEntry* ClassroomService::findEntry(QList<DiskEntry>* list, const QString& uuid)
{
    for (DiskEntry& e : *list)
        if (e.uuid == uuid) return &e;
    return nullptr;
}

DiskEntry* ClassroomService::findDoc(const QString& guid)
{
    for (auto it = m_data.disks.begin(); it != m_data.disks.end(); ++it)
        for (DiskEntry& e : it.value())
            if (e.fileType != 0 && e.guid == guid) return &e;
    return nullptr;
}

bool ClassroomService::folderExists(QList<DiskEntry>* list, const QString& uuid, Failure* f)
{
    if (uuid == QLatin1String("0")) return true;  // the root
    const DiskEntry* dir = findEntry(list, uuid);
    if (dir && dir->fileType == 0) return true;
    fail(f, 404, QStringLiteral("目录不存在"));
    return false;
}

QString ClassroomService::pageUrlFor(const DiskEntry& e) const
{
    if (e.docType == QLatin1String("media")) return e.mediaUrl;
    return m_host->pageUrl(e);
}

QVariantMap ClassroomService::entryMap(const DiskEntry& e) const
{
    const QString url = (e.fileType == 0 || !e.converted) ? QString() : pageUrlFor(e);
    return {{"uuid", e.uuid}, {"puuid", e.puuid}, {"file_type", e.fileType}, {"name", e.name},
            {"ext_name", e.extName}, {"create_user", e.createUser}, {"create_time", e.createTime},
            {"update_time", e.updateTime}, {"file_url", url}, {"guid", e.guid}, {"size", e.size},
            {"pageNum", e.pageNum}};
}

QVariantMap ClassroomService::listFolder(const QString& owner, const QString& groupId, const QString& uuid,
                                         Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    QList<DiskEntry>* list = disk(owner, groupId, f);
    if (!list) return {};
    if (!folderExists(list, uuid, f)) return {};
    QVariantList files;
    for (const DiskEntry& e : *list)
        if (e.puuid == uuid) files << entryMap(e);
    return {{"listFiles", files}};
}

QVariantMap ClassroomService::makeDir(const QString& owner, const QString& groupId, const QString& parent,
                                      const QString& name, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    QList<DiskEntry>* list = disk(owner, groupId, f);
    if (!list) return {};
    if (name.trimmed().isEmpty()) {
        fail(f, 400, QStringLiteral("目录名不能为空"));
        return {};
    }
    if (!folderExists(list, parent, f)) return {};
    for (const DiskEntry& e : *list)
        if (e.puuid == parent && e.name == name) {
            fail(f, 409, QStringLiteral("同名文件已存在"));
            return {};
        }
    DiskEntry d;
    d.uuid = QStringLiteral("d-n%1").arg(m_nextId++);
    d.puuid = parent;
    d.name = name;
    d.fileType = 0;
    d.createUser = m_data.teacher.userName;
    d.createTime = d.updateTime = stamp(QDateTime::currentDateTime());
    list->append(d);
    return {{"uuid", d.uuid}};
}

QVariantMap ClassroomService::rename(const QString& owner, const QString& groupId, const QString& uuid,
                                     const QString& name, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    QList<DiskEntry>* list = disk(owner, groupId, f);
    if (!list) return {};
    DiskEntry* e = findEntry(list, uuid);
    if (!e) {
        fail(f, 404, QStringLiteral("文件不存在"));
        return {};
    }
    if (name.trimmed().isEmpty()) {
        fail(f, 400, QStringLiteral("名称不能为空"));
        return {};
    }
    for (const DiskEntry& o : *list)
        if (o.puuid == e->puuid && o.uuid != uuid && o.name == name) {
            fail(f, 409, QStringLiteral("同名文件已存在"));
            return {};
        }
    e->name = name;
    e->updateTime = stamp(QDateTime::currentDateTime());
    return {{"uuid", uuid}};
}

QVariantMap ClassroomService::remove(const QString& owner, const QString& groupId, const QString& uuid,
                                     Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    QList<DiskEntry>* list = disk(owner, groupId, f);
    if (!list) return {};
    if (!findEntry(list, uuid)) {
        fail(f, 404, QStringLiteral("文件不存在"));
        return {};
    }
    // The entry and everything below it.
    QStringList gone{uuid};
    for (int i = 0; i < gone.size(); ++i)
        for (const DiskEntry& e : *list)
            if (e.puuid == gone.at(i)) gone << e.uuid;
    list->erase(std::remove_if(list->begin(), list->end(),
                               [&](const DiskEntry& e) { return gone.contains(e.uuid); }),
                list->end());
    return {{"uuid", uuid}};
}

QVariantMap ClassroomService::addFile(const QVariantMap& reg, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    const QString owner = reg.value(QStringLiteral("userType")).toString();
    const QString groupId = reg.value(QStringLiteral("groupid")).toString();
    QList<DiskEntry>* list = disk(owner, groupId, f);
    if (!list) return {};
    QString parent = reg.value(QStringLiteral("parentid")).toString();
    if (parent.isEmpty()) parent = reg.value(QStringLiteral("parent")).toString();
    if (parent.isEmpty()) parent = QStringLiteral("0");
    const QString name = reg.value(QStringLiteral("fileName")).toString();
    if (name.isEmpty()) {
        fail(f, 400, QStringLiteral("缺少文件名"));
        return {};
    }
    if (!folderExists(list, parent, f)) return {};
    DiskEntry d;
    const int seq = m_nextId++;
    d.uuid = QStringLiteral("d-u%1").arg(seq);
    d.guid = QStringLiteral("g-u%1").arg(seq);
    d.puuid = parent;
    d.name = name;
    d.fileType = 1;
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    d.extName = dot >= 0 ? name.mid(dot + 1) : QString();
    d.size = reg.value(QStringLiteral("size")).toLongLong();
    d.createUser = m_data.teacher.userName;
    d.createTime = d.updateTime = stamp(QDateTime::currentDateTime());
    if (isMediaExt(d.extName)) {
        d.docType = QStringLiteral("media");
        d.mediaUrl = reg.value(QStringLiteral("location")).toString();
        if (d.mediaUrl.isEmpty()) d.mediaUrl = reg.value(QStringLiteral("url")).toString();
    } else {
        d.pageNum = 3;
    }
    d.converted = false;
    list->append(d);
    // The conversion into pages takes a while, as on a real disk: from the
    // stored copy on the upload server when its address is known, else from
    // the local file the upload was made from.
    const QString url = reg.value(QStringLiteral("url")).toString();
    const QString source = (url.startsWith(QLatin1String("http://")) || url.startsWith(QLatin1String("https://")))
                               ? url
                               : reg.value(QStringLiteral("filePath")).toString();
    const DiskEntry doc = d;
    m_host->scheduleSlow(
        [this, doc, source] {
            QString error;
            int pages = doc.pageNum;
            const QString pageUrl =
                doc.docType == QLatin1String("media") ? QString() : m_host->convertUpload(doc, source, &pages, &error);
            const bool ok = doc.docType == QLatin1String("media") || !pageUrl.isEmpty();
            if (!ok) m_host->log(QStringLiteral("conversion of %1 failed: %2").arg(doc.name, error));
            std::lock_guard<std::mutex> lk2(m_lock);
            if (DiskEntry* e = findDoc(doc.guid)) {
                e->converted = ok;
                e->convertFailed = !ok;
                if (ok && !pageUrl.isEmpty()) {
                    e->pageUrl = pageUrl;
                    e->pageNum = pages;
                }
            }
        },
        m_data.convertMs);
    return {{"uuid", d.uuid}, {"guid", d.guid}};
}

QVariantMap ClassroomService::docStatus(const QString& owner, const QString& groupId, const QString& docId,
                                        Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    QList<DiskEntry>* list = disk(owner, groupId, f);
    if (!list) return {};
    for (const DiskEntry& e : *list)
        if (e.fileType != 0 && e.guid == docId) return {{"status", e.converted ? 1 : (e.convertFailed ? -1 : 0)}, {"docid", docId}};
    fail(f, 404, QStringLiteral("文件不存在"));
    return {};
}

QVariantMap ClassroomService::openNetFile(const QString& guid, const QString& groupId, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    Q_UNUSED(groupId);
    if (!m_inRoom) {
        fail(f, 1020, QStringLiteral("未进入教室"));
        return {};
    }
    const DiskEntry* e = findDoc(guid);
    if (!e) {
        fail(f, 404, QStringLiteral("文件不存在"));
        return {};
    }
    if (!e->converted) {
        fail(f, 1021, QStringLiteral("课件转换中"));
        return {};
    }
    m_host->publishRoomDoc(m_roomId, *e);
    return {{"docid", e->guid}};
}

QVariantMap ClassroomService::mediaUrl(const QString& docId, Failure* f)
{
    std::lock_guard<std::mutex> lk(m_lock);
    const DiskEntry* e = findDoc(docId);
    if (!e || e->docType != QLatin1String("media")) {
        fail(f, 404, QStringLiteral("媒体文件不存在"));
        return {};
    }
    return {{"geturl", QString::fromLatin1(QUrl::toPercentEncoding(e->mediaUrl))}};
}

}  // namespace clientlib
