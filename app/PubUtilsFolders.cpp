// The data folders of PubUtils and the clearing of old temporary files.
#include "app/PubUtils.h"

#include "app/CSettings.h"
#include "app/CUpLoadLog.h"
#include "common/DataFolder.h"
#include "app/Logger.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <atomic>
#include <mutex>

namespace {

std::mutex g_appDataLock;            // guards g_appData
std::string g_appData;               // the cached data folder, guarded by g_appDataLock
std::atomic<bool> g_firstUseDone{false};  // atomic: the first caller (any thread) runs the start-up check

QString makeFolder(const QString& path)
{
    QDir().mkpath(path);
    return path;
}

}  // namespace

std::string PubUtils::GetAppData()
{
    std::string path;
    {
        std::lock_guard<std::mutex> g(g_appDataLock);
        if (g_appData.empty()) {
            g_appData = datafolder::path();
            datafolder::makePath(g_appData);
        }
        path = g_appData;
    }
    // The cache is set before anything below runs, so the logger and the
    // upload check may call back into this function without recursing.
    if (!g_firstUseDone.exchange(true)) {
        const std::string crashFile = CUpLoadLog::CheckUpload(false);
        const std::string shown = crashFile.empty() ? path : path + " crash file " + crashFile;
        Logger::instance()->Log(LOG_INFO, "PubUtils::GetAppData", "config %s", shown.c_str());
    }
    return path;
}

QString PubUtils::GetLogDir()
{
    // Built from the folder rule directly: the logger asks for this while it
    // is being made, before GetAppData may log.
    std::string base;
    {
        std::lock_guard<std::mutex> g(g_appDataLock);
        base = g_appData.empty() ? datafolder::path() : g_appData;
    }
    return makeFolder(QString::fromStdString(base) + "/VeltoraTea");
}

std::string PubUtils::GetTempDir()
{
    return makeFolder(QString::fromStdString(GetAppData()) + "/Temp").toStdString();
}

QString PubUtils::GetRecordDir()
{
    return makeFolder(QString::fromStdString(GetAppData()) + "/record");
}

QString PubUtils::GetBroadcastLogDir()
{
    static QString last;
    QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::DataLocation);
    if (!dirs.isEmpty())
        last = dirs.first() + "/../../Roaming/Broadcast/log";
    return last;
}

QString PubUtils::CopyToTemp(const QString& path)
{
    QString target = QString::fromStdString(GetTempDir()) + "/" + QFileInfo(path).fileName();
    if (!QFile::exists(target))
        QFile::copy(path, target);
    return target;
}

void PubUtils::CheckClearTemp()
{
    QString now = QDateTime::currentDateTime().toString("yyyyMMddhhmm");
    QString last = CSettings::instance()->GetValue("App/TempClearTime").toString();
    bool ok = false;
    qlonglong lastValue = last.toLongLong(&ok);
    if (!ok)
        lastValue = 0;
    qlonglong diff = now.toLongLong() - lastValue;
    if (diff <= 1440)
        return;
    Logger::instance()->Log(LOG_INFO, "PubUtils::CheckClearTemp", "start clear temp file. catch time %lldmin", diff);
    RemoveOldFiles(QString::fromStdString(GetTempDir()), 7);
    CSettings::instance()->SetValue("App/TempClearTime", now);
}

namespace {

void removeOldBelow(const QString& root, const QString& dir, int days, qint64 limit)
{
    QDir d(dir);
    QFileInfoList entries = d.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                            QDir::Name | QDir::IgnoreCase);
    if (entries.isEmpty()) {
        // An empty folder goes, with each parent that is empty then, but
        // never the folder being cleared or anything above it.
        QString current = QDir::cleanPath(dir);
        const QString top = QDir::cleanPath(root);
        while (current != top && current.startsWith(top + "/")) {
            QDir parent = QFileInfo(current).dir();
            if (!parent.rmdir(QFileInfo(current).fileName()))
                break;
            current = parent.path();
            if (!QDir(current).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty())
                break;
        }
        return;
    }
    for (const QFileInfo& e : entries) {
        if (e.isSymLink()) {
            // Never follow a link out of the folder; an old link itself goes.
            if (e.lastModified().toSecsSinceEpoch() < limit)
                QFile::remove(e.absoluteFilePath());
        } else if (e.isDir()) {
            removeOldBelow(root, e.absoluteFilePath(), days, limit);
        } else {
            // The age of a cached file is the time its content was written
            // (not every Linux file system records a creation time).
            if (e.lastModified().toSecsSinceEpoch() < limit)
                QFile::remove(e.absoluteFilePath());
        }
    }
}

}  // namespace

void PubUtils::RemoveOldFiles(const QString& dir, int days)
{
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return;
    qint64 limit = QDateTime::currentSecsSinceEpoch() - qint64(days) * 86400;
    removeOldBelow(dir, dir, days, limit);
}
