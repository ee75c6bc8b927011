// Media, devices, courseware and the cloud disk of the client library
// object, and what it hands to the program's media callbacks and to the
// whiteboard's room documents.
#include "libs/clientlib/src/ClientLibImpl.h"

#include "libs/clientlib/src/LocalMedia.h"
#include "WBRoomDocs.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMetaType>
#include <QUrl>

#include <cmath>
#include <vector>

namespace clientlib {
namespace {

bool isMap(const QVariant& v) { return v.userType() == QMetaType::QVariantMap; }

QRgb colourOf(const QString& key)
{
    const uint h = qHash(key);
    return qRgb(60 + int(h % 150), 90 + int((h >> 8) % 120), 120 + int((h >> 16) % 110));
}

void fillRect(QImage* img, int x, int y, int w, int h, QRgb c)
{
    for (int row = qMax(0, y); row < qMin(img->height(), y + h); ++row) {
        auto* line = reinterpret_cast<QRgb*>(img->scanLine(row));
        for (int col = qMax(0, x); col < qMin(img->width(), x + w); ++col) line[col] = c;
    }
}

}  // namespace

// ---- Devices and media ----------------------------------------------------------

QStringList ClientLibImpl::GetVideoDevices()
{
    const auto gate = record("GetVideoDevices", {});
    if (!m_local)
        return {};
    return m_local->cameras(m_svc ? m_svc->cameras() : QStringList());
}

QStringList ClientLibImpl::GetInputAudioDevices()
{
    const auto gate = record("GetInputAudioDevices", {});
    if (!m_local)
        return {};
    return m_local->microphones(m_svc ? m_svc->mics() : QStringList());
}

QStringList ClientLibImpl::GetOutputAudioDevices()
{
    const auto gate = record("GetOutputAudioDevices", {});
    if (!m_local)
        return {};
    return m_local->speakers(m_svc ? m_svc->speakers() : QStringList());
}

QString ClientLibImpl::selfDevice(int slot) const
{
    std::lock_guard<std::mutex> lk(m_ctlLock);
    return m_selfDevice[slot];
}

// A device is chosen only when it is one of those listed now.
#define CLIENTLIB_DEVICE_OP(Op, list, slot)                                                 \
    bool ClientLibImpl::Op(const QString& name)                                             \
    {                                                                                       \
        const auto gate = record(#Op, {name});                                              \
        if (!m_svc || !m_local || !m_local->list(m_svc->list()).contains(name))             \
            return refuse(#Op, QStringLiteral("unknown device \"%1\"").arg(name));          \
        {                                                                                   \
            std::lock_guard<std::mutex> lk(m_ctlLock);                                      \
            m_selfDevice[slot] = name;                                                      \
        }                                                                                   \
        return true;                                                                        \
    }

CLIENTLIB_DEVICE_OP(SetVideoDevice, cameras, 0)
CLIENTLIB_DEVICE_OP(SetOutputAudioDevice, speakers, 2)
#undef CLIENTLIB_DEVICE_OP

bool ClientLibImpl::SetInputAudioDevice(const QString& name)
{
    const auto gate = record("SetInputAudioDevice", {name});
    if (!m_svc || !m_local || !m_local->microphones(m_svc->mics()).contains(name))
        return refuse("SetInputAudioDevice", QStringLiteral("unknown device \"%1\"").arg(name));
    {
        std::lock_guard<std::mutex> lk(m_ctlLock);
        m_selfDevice[1] = name;
    }
    // A running level monitor follows the new microphone.
    m_local->setMicrophone(name);
    return true;
}

bool ClientLibImpl::EnableVideoCapture(bool on)
{
    const auto gate = record("EnableVideoCapture", {on});
    return !takeFailure("EnableVideoCapture");
}

void ClientLibImpl::SetPreviewVideoSink(ClientLibPreviewFn sink)
{
    const auto gate = record("SetPreviewVideoSink", {bool(sink)});
    m_previewSink = std::move(sink);
}

void ClientLibImpl::StartPreviewVideo(quintptr window)
{
    const auto gate = record("StartPreviewVideo", {QVariant::fromValue<qulonglong>(window)});
    if (window == 0) {
        refuse("StartPreviewVideo", QStringLiteral("no window"));
        return;
    }
    if (!m_local)
        return;
    // Listed afresh: a camera gone since it was chosen is not shown.
    const QStringList cameras = m_local->cameras(m_svc ? m_svc->cameras() : QStringList());
    QString camera = selfDevice(0);
    if (camera.isEmpty())
        camera = cameras.value(0);
    if (!m_local->startPreview(window, camera, m_previewSink) && m_previewSink)
        m_previewSink(window, QImage(), QStringLiteral("摄像头 %1 无法打开").arg(camera));
}

void ClientLibImpl::StopPreviewVideo()
{
    const auto gate = record("StopPreviewVideo", {});
    if (m_local)
        m_local->stopPreview();
}

bool ClientLibImpl::MonitorInputAudioLevel(bool on, ClientLibLevelFn sink)
{
    const auto gate = record("MonitorInputAudioLevel", {on});
    if (!m_local)
        return !on;
    if (!on) {
        m_local->stopLevel();
        return true;
    }
    const QStringList mics = m_local->microphones(m_svc ? m_svc->mics() : QStringList());
    QString mic = selfDevice(1);
    if (mic.isEmpty())
        mic = mics.value(0);
    return m_local->startLevel(mic, std::move(sink));
}

bool ClientLibImpl::PlayAudioFile(const QString& path)
{
    const auto gate = record("PlayAudioFile", {path});
    if (path.isEmpty())
        return refuse("PlayAudioFile", QStringLiteral("no file"));
    if (!m_local)
        return false;
    return m_local->playFile(path, selfDevice(2));
}

void ClientLibImpl::StopAudioFile()
{
    const auto gate = record("StopAudioFile", {});
    if (m_local)
        m_local->stopFile();
}

bool ClientLibImpl::PlayUserVideo(const QString& userId, QWidget* view)
{
    const auto gate = record("PlayUserVideo", {userId, QVariant::fromValue<qulonglong>(reinterpret_cast<quintptr>(view))});
    if (userId.isEmpty()) return refuse("PlayUserVideo", QStringLiteral("empty user id"));
    if (!m_svc || !m_svc->hasUser(userId)) return refuse("PlayUserVideo", QStringLiteral("user %1 is not in the room").arg(userId));
    if (takeFailure("PlayUserVideo")) return false;
    userVideo(userId);
    return true;
}

bool ClientLibImpl::StopUserVideo(const QString& userId)
{
    const auto gate = record("StopUserVideo", {userId});
    if (userId.isEmpty()) return refuse("StopUserVideo", QStringLiteral("empty user id"));
    return true;
}

void ClientLibImpl::MediaPlayCmd(const QString& url, qint64 positionMs, qint64 totalMs, const QString& type,
                                 const QString& fileName, const QString& docid)
{
    const auto gate = record("MediaPlayCmd", {url, positionMs, totalMs, type, fileName, docid});
}

void ClientLibImpl::MediaStateCmd(const QString& url, qint64 positionMs, qint64 totalMs, const QString& type,
                                  const QString& fileName)
{
    const auto gate = record("MediaStateCmd", {url, positionMs, totalMs, type, fileName});
}

void ClientLibImpl::MediaCloseCmd(const QString& url, qint64 positionMs)
{
    const auto gate = record("MediaCloseCmd", {url, positionMs});
}

bool ClientLibImpl::SendCommand(const QVariant& map)
{
    const auto gate = record("SendCommand", {map});
    if (!isMap(map)) return refuse("SendCommand", QStringLiteral("command is not a map"));
    if (map.toMap().value(QStringLiteral("desId")).toString().isEmpty())
        return refuse("SendCommand", QStringLiteral("command without \"desId\""));
    return !takeFailure("SendCommand");
}

bool ClientLibImpl::PushVideoFrame(const QString& userId, int width, int height, const unsigned char* pixels,
                                   const void* frameRecord, int a, int b, int c, int d, int e, int f)
{
    Q_UNUSED(frameRecord);
    // Frames come many times a second: only their shape is recorded.
    const auto gate = record("PushVideoFrame", {userId, width, height, pixels != nullptr, a, b, c, d, e, f});
    if (!pixels || width <= 0 || height <= 0) return refuse("PushVideoFrame", QStringLiteral("empty frame"));
    return true;
}

void ClientLibImpl::userAudio(const QString& userId)
{
    if (!m_cfg.onAudio) return;
    ClientLibAudioFn fn = m_cfg.onAudio;
    m_disp.post([fn, userId] {
        // A linked student's first 100 ms: a quiet 440 Hz tone, 48 kHz mono
        // 16-bit, in frames of 20 ms.
        std::vector<qint16> frame(960);
        for (int block = 0; block < 5; ++block) {
            for (int i = 0; i < 960; ++i)
                frame[size_t(i)] = qint16(800 * std::sin(2 * M_PI * 440 * (block * 960 + i) / 48000.0));
            fn(userId, frame.data(), 16, 48000, 1, 960);
        }
    });
}

void ClientLibImpl::userVideo(const QString& userId)
{
    if (!m_cfg.onVideo) return;
    ClientLibVideoFn fn = m_cfg.onVideo;
    m_disp.post([fn, userId] {
        // A student's camera picture: a calm colour of its own with a frame.
        QImage img(320, 240, QImage::Format_RGB32);
        img.fill(colourOf(userId));
        fillRect(&img, 0, 0, 320, 8, qRgb(255, 255, 255));
        fillRect(&img, 0, 232, 320, 8, qRgb(255, 255, 255));
        fillRect(&img, 130, 80, 60, 80, qRgb(250, 230, 200));
        fn(userId, img);
    });
}

QString ClientLibImpl::studentStreamUrl(const QString& roomId, const QString& userId)
{
    return m_students.urlFor(roomId, userId);
}

void ClientLibImpl::studentPublish(const QString& userId, const QString& url)
{
    m_disp.post([this, userId, url] {
        if (url.isEmpty())
            m_students.stop(userId);
        else
            m_students.start(userId, url);
    });
}

void ClientLibImpl::stopAllStudents()
{
    m_disp.post([this] { m_students.stopAll(); });
}

// ---- Courseware and room documents -------------------------------------------------

QString ClientLibImpl::pageUrl(const DiskEntry& doc)
{
    if (!doc.pageUrl.isEmpty()) return doc.pageUrl;
    QString base = m_cfg.appData;
    if (base.isEmpty()) base = QDir::tempPath();
    const QString dir = QStringLiteral("%1/clientlib/pages/%2").arg(base, doc.guid);
    const int pages = qMax(1, doc.pageNum);
    std::lock_guard<std::mutex> lk(m_pageLock);
    if (!QDir().mkpath(dir)) {
        log(QStringLiteral("cannot make the page folder %1").arg(dir));
        return QString();
    }
    for (int p = 1; p <= pages; ++p) {
        const QString file = QStringLiteral("%1/page_%2.png").arg(dir).arg(p, 4, 10, QLatin1Char('0'));
        if (QFileInfo::exists(file)) continue;
        // A plain slide: a coloured title band, text lines as bars and one
        // block per page number in the corner.
        QImage img(960, 540, QImage::Format_RGB32);
        img.fill(qRgb(255, 255, 255));
        fillRect(&img, 0, 0, 960, 90, colourOf(doc.guid));
        for (int line = 0; line < 6; ++line) fillRect(&img, 80, 150 + line * 55, 800 - line * 70, 18, qRgb(200, 205, 210));
        for (int b = 0; b < p; ++b) fillRect(&img, 880 - b * 30, 480, 20, 20, colourOf(doc.guid));
        if (!img.save(file, "PNG")) {
            log(QStringLiteral("cannot write the page image %1").arg(file));
            return QString();
        }
    }
    return QStringLiteral("%1/page_xxxx.png").arg(dir);
}

static WBDocInfo toDocInfo(const DiskEntry& e, const QString& pages)
{
    WBDocInfo d;
    d.docId = e.guid.toStdString();
    d.fileName = e.name.toStdString();
    d.docType = e.docType.isEmpty() ? e.extName.toStdString() : e.docType.toStdString();
    d.pageUrl = (e.docType == QLatin1String("media") ? e.mediaUrl : pages).toStdString();
    d.duration = std::to_string(e.duration);
    d.fileSize = std::to_string(e.size);
    d.extName = e.extName.toStdString();
    const QDateTime t = QDateTime::fromString(e.createTime, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    d.createTime = std::to_string(t.isValid() ? t.toSecsSinceEpoch() : 0);
    return d;
}

void ClientLibImpl::publishRoomDoc(const QString& roomId, const DiskEntry& doc)
{
    const QString pages = doc.docType == QLatin1String("media") ? QString() : pageUrl(doc);
    if (!wbdocs::AddRoomDoc(roomId.toStdString(), toDocInfo(doc, pages)))
        log(QStringLiteral("room document %1 not published for room %2").arg(doc.guid, roomId));
}

void ClientLibImpl::publishRoomDocs(const QString& roomId, const QList<DiskEntry>& docs)
{
    std::vector<WBDocInfo> list;
    for (const DiskEntry& e : docs)
        list.push_back(toDocInfo(e, e.docType == QLatin1String("media") ? QString() : pageUrl(e)));
    wbdocs::SetRoomDocs(roomId.toStdString(), list);
}

bool ClientLibImpl::OpenDocCmd(const QString& docId, const QVariant& cmd)
{
    const auto gate = record("OpenDocCmd", {docId, cmd});
    const QVariantMap u = isMap(cmd) ? cmd.toMap() : QVariantMap{{"docid", docId}};
    if (docId.isEmpty()) return badRequest("OpenDocCmd", RsC_Http_MediaUrl, u, QStringLiteral("文档为空"));
    if (!isMap(cmd)) return badRequest("OpenDocCmd", RsC_Http_MediaUrl, u, QStringLiteral("媒体命令不是映射"));
    request(RsC_Http_MediaUrl, u, [=](Failure* f) { return m_svc->mediaUrl(docId, f); });
    return true;
}

bool ClientLibImpl::OpenNetFile(const QString& guid, const QString& groupId, const QString& cloudType,
                                const QString& token, const QString& name)
{
    const auto gate = record("OpenNetFile", {guid, groupId, cloudType, token, name});
    const QVariantMap u{{"guid", guid}, {"groupid", groupId}, {"cloudType", cloudType}, {"fileName", name},
                        {"userType", cloudType == QLatin1String("1") ? QStringLiteral("teacher") : QStringLiteral("group")}};
    if (guid.isEmpty()) return badRequest("OpenNetFile", RsC_Http_OpenNetFile, u, QStringLiteral("文件为空"));
    request(RsC_Http_OpenNetFile, u, [=](Failure* f) { return m_svc->openNetFile(guid, groupId, f); });
    return true;
}

bool ClientLibImpl::ListNetFolder(const QString& owner, const QString& groupId, const QString& uuid)
{
    const auto gate = record("ListNetFolder", {owner, groupId, uuid});
    const QVariantMap u{{"userType", owner}, {"groupid", groupId}, {"uuid", uuid}};
    if (owner.isEmpty() || uuid.isEmpty())
        return badRequest("ListNetFolder", RsC_Http_NetFolderList, u, QStringLiteral("云盘类型或目录为空"));
    request(RsC_Http_NetFolderList, u, [=](Failure* f) { return m_svc->listFolder(owner, groupId, uuid, f); });
    return true;
}

bool ClientLibImpl::RenameNetFile(const QString& owner, const QString& uuid, const QString& encodedName,
                                  const QString& groupId)
{
    const auto gate = record("RenameNetFile", {owner, uuid, encodedName, groupId});
    const QVariantMap u{{"userType", owner}, {"groupid", groupId}, {"uuid", uuid}, {"name", encodedName}};
    if (owner.isEmpty() || uuid.isEmpty())
        return badRequest("RenameNetFile", RsC_Http_NetRename, u, QStringLiteral("云盘类型或文件为空"));
    // The name arrives percent-encoded, a space as "+".
    QByteArray raw = encodedName.toUtf8();
    raw.replace('+', ' ');
    const QString name = QUrl::fromPercentEncoding(raw);
    request(RsC_Http_NetRename, u, [=](Failure* f) { return m_svc->rename(owner, groupId, uuid, name, f); });
    return true;
}

bool ClientLibImpl::DeleteNetFile(const QString& owner, const QString& uuid, const QString& groupId)
{
    const auto gate = record("DeleteNetFile", {owner, uuid, groupId});
    const QVariantMap u{{"userType", owner}, {"groupid", groupId}, {"uuid", uuid}};
    if (owner.isEmpty() || uuid.isEmpty())
        return badRequest("DeleteNetFile", RsC_Http_NetDelete, u, QStringLiteral("云盘类型或文件为空"));
    request(RsC_Http_NetDelete, u, [=](Failure* f) { return m_svc->remove(owner, groupId, uuid, f); });
    return true;
}

bool ClientLibImpl::MakeNetDir(const QString& owner, const QString& parentUuid, const QString& name,
                               const QString& groupId)
{
    const auto gate = record("MakeNetDir", {owner, parentUuid, name, groupId});
    const QVariantMap u{{"userType", owner}, {"groupid", groupId}, {"puuid", parentUuid}, {"name", name}};
    if (owner.isEmpty() || parentUuid.isEmpty() || name.isEmpty())
        return badRequest("MakeNetDir", RsC_Http_NetMakeDir, u, QStringLiteral("云盘类型、目录或名称为空"));
    request(RsC_Http_NetMakeDir, u, [=](Failure* f) { return m_svc->makeDir(owner, groupId, parentUuid, name, f); });
    return true;
}

bool ClientLibImpl::AddNetFile(const QVariant& map)
{
    const auto gate = record("AddNetFile", {map});
    const QVariantMap reg = map.toMap();
    if (!isMap(map)) return badRequest("AddNetFile", RsC_Http_NetAddFile, {}, QStringLiteral("登记信息不是映射"));
    request(RsC_Http_NetAddFile, reg, [=](Failure* f) { return m_svc->addFile(reg, f); });
    return true;
}

bool ClientLibImpl::GetNetDocStatus(const QVariant& map)
{
    const auto gate = record("GetNetDocStatus", {map});
    const QVariantMap q = map.toMap();
    if (!isMap(map)) return badRequest("GetNetDocStatus", RsC_Http_NetDocStatus, {}, QStringLiteral("查询信息不是映射"));
    const QString docId = q.value(QStringLiteral("docid")).toString();
    if (docId.isEmpty()) return badRequest("GetNetDocStatus", RsC_Http_NetDocStatus, q, QStringLiteral("文档为空"));
    const QString owner = q.value(QStringLiteral("userType")).toString();
    const QString groupId = q.value(QStringLiteral("groupid")).toString();
    request(RsC_Http_NetDocStatus, q, [=](Failure* f) { return m_svc->docStatus(owner, groupId, docId, f); });
    return true;
}

}  // namespace clientlib
