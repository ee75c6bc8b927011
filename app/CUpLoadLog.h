#pragma once
// The log upload: the recent log files, crash dumps and broadcast-engine logs
// zipped into one archive and posted to the dump-upload server. The check
// and the zipping run on the caller's thread; the post runs on a CUpLoadLog
// thread, which deletes the crash dumps it carried once the server accepted
// them, and then disposes of itself.
#include <QMutex>
#include <QSet>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class CUpLoadLog : public QThread {
    Q_OBJECT
public:
    // Told whether the server accepted the archive, on the receiver's thread
    // (queued); never called when the receiver is gone by then.
    using Done = std::function<void(bool accepted)>;

    // Uploads when crash dumps wait (at most once an hour, by the stored
    // "UploadLogTime") or when forced. Returns the archive path (local 8-bit)
    // when a post was started, else "" (and done is never called).
    static std::string CheckUpload(bool force, QObject* receiver = nullptr, Done done = {});
    // Zips files and starts the post to url; deleteAfter are removed once the
    // server accepted the archive. Returns the archive path or "".
    static std::string UploadZip(const std::vector<QString>& files, const std::string& url,
                                 const std::vector<QString>& deleteAfter = {}, QObject* receiver = nullptr,
                                 Done done = {});
    // Copies the files into the temporary folder and zips the copies.
    // Returns the archive path (local 8-bit) or "".
    static std::string ZipLogFiles(const std::vector<QString>& files);
    // Copies one file into the temporary folder; the copy's path or "".
    // Copies file into Temp as "<its folder's name>_<its name>" (with a
    // counter when that name is taken in this archive), so that files of one
    // name from different folders all reach the archive.
    static QString CopyForZip(const QString& file, QSet<QString>& taken);
    // The dump-upload address: role "dump" of the deployment file + "/dumpupload".
    static std::string DumpUploadUrl();
    // Posts still running (for the exit sequence and tests).
    static int Running();

    ~CUpLoadLog() override;

signals:
    // Emitted by the post's own thread when the post has ended.
    void sgPostEnded(bool accepted);

protected:
    void run() override;

private:
    CUpLoadLog(std::string zipPath, std::string url, std::vector<QString> deleteAfter);
    // The post; true when the server accepted the archive.
    bool PostArchive();

    // Set by the constructor, read by the thread only afterwards.
    const std::string m_zipPath;
    const std::string m_url;
    const std::vector<QString> m_deleteAfter;
    static std::atomic<int> s_running;  // atomic
    // Archives whose post has not ended: their names are not reused.
    static bool IsPosting(const QString& archive);
    static QMutex s_postingLock;
    static QSet<QString> s_posting;  // guarded by s_postingLock
};
