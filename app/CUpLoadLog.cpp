#include "app/CUpLoadLog.h"

#include "common/CurlTls.h"

#include "app/CSettings.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/UploadHttp.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

#include <zip.h>

namespace {

constexpr int kMaxFilesPerFolder = 10;
constexpr long long kThrottle = 60;  // compared as yyyyMMddhhmm numbers
const char* const kLastUploadKey = "UploadLogTime";

}  // namespace

std::atomic<int> CUpLoadLog::s_running{0};
QMutex CUpLoadLog::s_postingLock;
QSet<QString> CUpLoadLog::s_posting;

bool CUpLoadLog::IsPosting(const QString& archive)
{
    QMutexLocker lock(&s_postingLock);
    return s_posting.contains(archive);
}

CUpLoadLog::CUpLoadLog(std::string zipPath, std::string url, std::vector<QString> deleteAfter)
    : m_zipPath(std::move(zipPath)), m_url(std::move(url)), m_deleteAfter(std::move(deleteAfter))
{
}

CUpLoadLog::~CUpLoadLog() { wait(); }

int CUpLoadLog::Running() { return s_running; }

std::string CUpLoadLog::DumpUploadUrl() { return uploadhttp::DeploymentUrl("dump", "/dumpupload"); }

std::string CUpLoadLog::CheckUpload(bool force, QObject* receiver, Done done)
{
    const std::vector<QString> dumps =
        PubUtils::ListFilesByCreation(QString::fromStdString(PubUtils::GetAppData()) + "/crashDumps", kMaxFilesPerFolder);
    if (dumps.empty() && !force)
        return {};
    if (!dumps.empty()) {
        // A settings object of its own on the same file: this check runs on
        // the data folder's first use, which may happen while the shared
        // settings object is still being made.
        CSettings settings(QString::fromStdString(PubUtils::GetAppData()) + "/config.ini");
        const QString now = QDateTime::currentDateTime().toString("yyyyMMddhhmm");
        const long long last = settings.GetValue(kLastUploadKey).toString().toLongLong();
        if (now.toLongLong() - last < kThrottle && !force)
            return {};
        settings.SetValue(kLastUploadKey, now);
    }
    std::vector<QString> files = PubUtils::ListFilesByCreation(PubUtils::GetLogDir(), kMaxFilesPerFolder);
    files.insert(files.end(), dumps.begin(), dumps.end());
    for (const QString& f : PubUtils::ListFilesByCreation(PubUtils::GetBroadcastLogDir(), kMaxFilesPerFolder))
        files.push_back(f);
    return UploadZip(files, DumpUploadUrl(), dumps, receiver, std::move(done));
}

std::string CUpLoadLog::UploadZip(const std::vector<QString>& files, const std::string& url,
                                  const std::vector<QString>& deleteAfter, QObject* receiver, Done done)
{
    if (url.empty())
        return {};
    std::string zipPath = ZipLogFiles(files);
    if (zipPath.empty())
        return {};
    {
        QMutexLocker lock(&s_postingLock);
        s_posting.insert(QString::fromLocal8Bit(zipPath.c_str()));
    }
    auto* post = new CUpLoadLog(zipPath, url, deleteAfter);
    // Deleted from the event loop once the thread has finished.
    if (QCoreApplication::instance())
        post->moveToThread(QCoreApplication::instance()->thread());
    connect(post, &QThread::finished, post, &QObject::deleteLater);
    if (receiver && done)
        connect(post, &CUpLoadLog::sgPostEnded, receiver, [done](bool accepted) { done(accepted); });
    Logger::instance()->Log(LOG_INFO, "CUpLoadLog::UploadZip", "uploadlog file %s", zipPath.c_str());
    ++s_running;
    post->start();
    return zipPath;
}

QString CUpLoadLog::CopyForZip(const QString& file, QSet<QString>& taken)
{
    QFileInfo info(file);
    Logger::instance()->Log(LOG_INFO, "CUpLoadLog::CopyForZip", "zip file %s size %lld",
                            info.absoluteFilePath().toUtf8().constData(), static_cast<long long>(info.size()));
    const QString base = info.absoluteDir().dirName() + "_" + info.fileName();
    QString name = base;
    for (int n = 2; taken.contains(name); ++n)
        name = QString("%1_%2").arg(n).arg(base);
    taken.insert(name);
    const QString target = QString::fromStdString(PubUtils::GetTempDir()) + "/" + name;
    QFile::remove(target);
    QFile::copy(file, target);
    if (!QFile::exists(target)) {
        Logger::instance()->Log(LOG_WARN, "CUpLoadLog::CopyForZip", "%s not exist", target.toUtf8().constData());
        return {};
    }
    return target;
}

std::string CUpLoadLog::ZipLogFiles(const std::vector<QString>& files)
{
    const char* func = "CUpLoadLog::ZipLogFiles";
    std::vector<std::string> copies;
    QSet<QString> taken;
    for (const QString& f : files) {
        QString copy = CopyForZip(f, taken);
        if (!copy.isEmpty())
            copies.push_back(copy.toLocal8Bit().toStdString());
    }
    if (copies.empty()) {
        Logger::instance()->Log(LOG_WARN, func, "vct zip file null");
        return {};
    }
    // Named by the minute; an archive of that name still being posted keeps
    // its file (rewriting it would change what that post sends), so this one
    // takes the next free counter.
    const QString stem = QString::fromStdString(PubUtils::GetTempDir()) + "/" + "VeltoraTea"
        + QDateTime::currentDateTime().toString("yyyyMMdd_hhmm");
    QString archive = stem + "Log.zip";
    for (int n = 2; IsPosting(archive); ++n)
        archive = stem + QString("_%1").arg(n) + "Log.zip";
    QFile::remove(archive);
    const std::string archivePath = archive.toLocal8Bit().toStdString();

    int err = 0;
    zip_t* zip = zip_open(archivePath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    bool ok = zip != nullptr;
    for (size_t i = 0; ok && i < copies.size(); ++i) {
        zip_source_t* src = zip_source_file(zip, copies[i].c_str(), 0, 0);
        const std::string entry = QFileInfo(QString::fromLocal8Bit(copies[i].c_str())).fileName().toStdString();
        if (!src || zip_file_add(zip, entry.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(src);
            ok = false;
        }
    }
    if (ok && zip_close(zip) != 0)
        ok = false;
    else if (!ok && zip)
        zip_discard(zip);
    if (!ok) {
        Logger::instance()->Log(LOG_WARN, func, "zip_create failed %s", zip ? zip_strerror(zip) : "cannot create");
        QFile::remove(archive);
        return {};
    }
    return archivePath;
}

void CUpLoadLog::run()
{
    const bool accepted = PostArchive();
    if (accepted) {
        // Only now are the crash dumps safe to drop; a failed post leaves them
        // for the next check.
        for (const QString& dump : m_deleteAfter)
            PubUtils::RemoveFile(dump);
    }
    {
        QMutexLocker lock(&s_postingLock);
        s_posting.remove(QString::fromLocal8Bit(m_zipPath.c_str()));
    }
    emit sgPostEnded(accepted);
    --s_running;
}

bool CUpLoadLog::PostArchive()
{
    const char* func = "CUpLoadLog::run";
    uploadhttp::Handle handle;
    if (!handle) {
        Logger::instance()->Log(LOG_WARN, func, "upload log error curl_easy_init null");
        return false;
    }
    CURL* h = handle.get();
    const size_t slash = m_zipPath.rfind('/');
    const std::string name = slash == std::string::npos ? m_zipPath : m_zipPath.substr(slash + 1);
    uploadhttp::FileForm form(h, "dumpupload", name, m_zipPath);
    if (!form.ok()) {
        Logger::instance()->Log(LOG_WARN, func, "upload log error cannot read %s", m_zipPath.c_str());
        return false;
    }
    std::string reply;
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    uploadhttp::SetCommonOptions(h, m_url, &reply);
    curl_easy_setopt(h, CURLOPT_USERAGENT, curl_version());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
    form.attach();
    CURLcode rc = curl_easy_perform(h);
    const long status = uploadhttp::ResponseCode(h);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, static_cast<char*>(nullptr));
    if (rc != CURLE_OK) {
        Logger::instance()->Log(LOG_WARN, func, "upload log error %s", curltls::Describe(rc, errorBuffer).c_str());
        return false;
    }
    if (!uploadhttp::IsHttpOk(status)) {
        Logger::instance()->Log(LOG_WARN, func, "upload log error http status %ld %s", status, reply.c_str());
        return false;
    }
    Logger::instance()->Log(LOG_INFO, func, "upload log ok");
    return true;
}
