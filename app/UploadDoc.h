#pragma once
// One HTTP job on Qt's global thread pool: a courseware upload into the room
// (kind 1) or into a cloud folder (kind 2), a snapshot upload (kind 3), a log
// or event report (kind 4) or a record report (kind 5). The job reports with
// finish(this), queued to receivers on other threads. Started through
// WorkerLifetime, the job frees itself after its receiver has read the
// outcome (or is gone).
#include <QObject>
#include <QRunnable>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <curl/curl.h>
#include <nlohmann/json_fwd.hpp>

#include <string>

class UploadDoc : public QObject, public QRunnable {
    Q_OBJECT
public:
    enum Kind { RoomDoc = 1, CloudDoc = 2, Snapshot = 3, Report = 4, RecordReport = 5 };

    // Made on the GUI thread: the session's login variables and token are
    // taken here, so the worker never reads the session model.
    UploadDoc(int type, QString filePath, QVariant param);
    ~UploadDoc() override;

    // Hands the job to the global thread pool; call once.
    void Start();
    void run() override;

    // For the receiver of finish.
    bool IsSuccess() const { return m_success; }
    QString GetErrMsg() const { return m_errMsg; }
    QVariant GetResult() const { return m_result; }

    // The kinds' operations; run() calls the one of the job's kind.
    bool UploadDocFile();
    bool UploadNetFile();
    bool UploadShadowUp();
    bool ReportLog();
    bool ReportRecord();

    // MD5 of a file (path in UTF-8) as 32 lower-case hex digits; false when
    // the file cannot be read.
    static bool GetFileMd5(const std::string& path, std::string& md5);

signals:
    void UpProgress(UploadDoc* pUpload, double total, double pos);
    void finish(UploadDoc* pUp);

private:
    struct DocRoute;
    bool UploadDocument(const DocRoute& route);
    // Judges a document service answer; on failure sets the error text and
    // logs. answer receives the parsed reply.
    bool AcceptReply(const char* func, const std::string& reply, long status, nlohmann::json& answer, bool isCheck);
    // Keeps the result map of a stored (stored) or just uploaded document;
    // false, with the reason, when the answer names no document id.
    bool TakeDocument(const char* func, const nlohmann::json& data, const std::string& name, bool stored,
                      const std::string& reply);
    // CURLOPT_XFERINFOFUNCTION of the multipart requests: emits UpProgress on
    // the job given as its data; never aborts a transfer.
    static int OnUpProgress(void* clientp, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow);
    void AttachProgress(CURL* handle);

    // Written by run() on the pool thread before finish; read by the
    // receiver after finish only.
    bool m_success = false;
    QString m_errMsg;
    QVariant m_result;
    // Set by the constructor, read-only afterwards.
    const int m_type;
    const QVariant m_param;
    const QString m_filePath;
    const QStringList m_loginVars;  // the session's login variables at construction
    const QString m_token;          // the session token (status text 1004) at construction
};
