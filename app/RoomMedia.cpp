// Room: the live pusher and player, the media callbacks handed to the client
// library (remote audio, participants' pictures, the play delay) and the
// teacher's snapshot upload.
#include "app/Room.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/UploadDoc.h"

#include <QDateTime>
#include <QFile>
#include <QImage>

void Room::SetLiveMedia(const RoomLiveMedia& media)
{
    std::lock_guard<std::mutex> lk(m_mediaLock);
    m_liveMedia = media;
}

void Room::ReleaseLiveMedia()
{
    RoomLiveMedia gone;
    {
        std::lock_guard<std::mutex> lk(m_mediaLock);
        std::swap(gone, m_liveMedia);
    }
    if (gone.release)
        gone.release();
}

void Room::OnAudioCB(QString userId, const void* data, int bitsPerSample, int sampleRate, int channels, int frames)
{
    CData* cdata = CData::instance();
    if (!cdata->IsTeacher() || cdata->GetStatus(kStatusLivePlayerPlaying))
        return;
    Room* room = instance();
    room->OnAudioDataBC(userId, data, bitsPerSample, sampleRate, channels, frames, 0, 0);
    const int share = room->GetShareType();
    if (!cdata->GetStatus(kStatusVoiceInteraction) || (share != 1 && share != 2))
        return;
    std::lock_guard<std::mutex> lk(room->m_mediaLock);
    if (room->m_liveMedia.mixRemoteAudio)
        room->m_liveMedia.mixRemoteAudio(userId, data, bitsPerSample, sampleRate, channels, frames);
}

void Room::OnVideoCB(const QString& userId, const QImage& frame) { instance()->UploadShadowImage(userId, frame); }

qint64 Room::PlayCatchMs()
{
    Room* room = instance();
    std::lock_guard<std::mutex> lk(room->m_mediaLock);
    return room->m_liveMedia.playDelay ? room->m_liveMedia.playDelay() : 0;
}

void Room::UploadShadowImage(const QString& userId, const QImage& frame)
{
    // A cheap look on the caller's thread keeps frames that come many times
    // a second off the GUI thread; the GUI thread decides.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastSnapshotMs.load() < kSnapshotEveryMs || frame.isNull())
        return;
    const QImage copy = frame.copy();  // the caller's pixels may go away with the call
    QMetaObject::invokeMethod(
        this,
        [this, userId, copy] {
            const qint64 at = QDateTime::currentMSecsSinceEpoch();
            const qint64 last = m_lastSnapshotMs.load();
            // Only the local user's picture; a clock that went back also waits.
            if (userId != QString::fromStdString(CData::instance()->GetLocalUser()->userId) ||
                at - last < kSnapshotEveryMs)
                return;
            m_lastSnapshotMs = at;
            SaveAndUploadSnapshot(copy, at);
        },
        Qt::QueuedConnection);
}

void Room::SaveAndUploadSnapshot(const QImage& frame, qint64 timeMs)
{
    if (!m_snapshotFile.isEmpty()) {
        QFile::remove(m_snapshotFile);
        m_snapshotFile.clear();
    }
    const QString path = QString("%1/%2.jpg").arg(QString::fromStdString(PubUtils::GetTempDir())).arg(timeMs);
    if (!frame.save(path)) {
        Logger::instance()->Log(LOG_WARN, "Room::UploadShadowImage", "save snapshot failed %s", path.toUtf8().constData());
        return;
    }
    m_snapshotFile = path;
    StartUpload(new UploadDoc(UploadDoc::Snapshot, path, QVariant()));
}

