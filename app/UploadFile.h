#pragma once
// A thread that posts one local file (a picture sent in the chat) to the
// image file server as a multipart form, retrying a failed attempt, and
// reads back the stored file's "hash" and "location". A picture is also
// kept in the URL cache under its new address, so it shows without a
// download. Reports with finish(this), queued to GUI receivers; started
// through WorkerLifetime, the thread frees itself after that report.
#include <QString>
#include <QThread>
#include <QVariantList>

class UploadFile : public QThread {
    Q_OBJECT
public:
    // params: entry 0 the mode (1: upload), entry 1 the local file path.
    // value is the caller's own number, kept and not used here.
    UploadFile(QVariantList params, int value);
    ~UploadFile() override;

    // One attempt; true when the server stored the file.
    bool UpLoadWBFile();

    // For the receiver of finish.
    bool IsSuccess() const { return m_success; }
    QString GetErrMsg() const { return m_errMsg; }
    // On success: the "hash", then the "location" of the answer.
    QVariantList GetResults() const { return m_results; }
    // The same values by name; empty unless the upload succeeded.
    QString GetHash() const;
    QString GetLocation() const;

    // The pause between attempts (1000 ms); set before start().
    void SetRetryPause(int ms) { m_retryPauseMs = ms; }
    // The server's address: role "files" of the deployment file + "/upload".
    static std::string UploadUrl();

    static constexpr int kMaxAttempts = 4;

signals:
    void finish(UploadFile* pUp);
    // Declared for receivers; not emitted by this class.
    void UpProgress(UploadFile* pUp, double total, double pos);

protected:
    void run() override;

private:
    // Written by the thread before finish, read by the receiver after it.
    bool m_success = false;
    QString m_errMsg;
    QVariantList m_results;
    int m_tries = 0;           // failed attempts; thread only
    bool m_unreadable = false; // the file cannot be read: no retry; thread only
    // Set by the constructor (and SetRetryPause before start), read-only afterwards.
    const int m_value;
    const QVariantList m_params;
    int m_retryPauseMs = 1000;
};
