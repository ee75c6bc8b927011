#pragma once
// One running Veltora per user: a lock file plus a local server named after
// the instance. A later start asks the first to restore and raise its
// window, then ends.
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLockFile;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // name: "vtmaintea" for the program; tests use their own names.
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first instance (it then holds the lock
    // and listens for later starts); false after asking the first instance
    // to raise its window.
    bool claim();

    // Restores (when minimised) and raises the first visible top-level
    // window whose title is one of titles, in that order; false when none
    // of them is visible.
    static bool RaiseFirstVisibleWindow(const QStringList& titles);

signals:
    // A later start asked this (first) instance to show its window.
    void activationRequested();

private:
    QString lockPath() const;
    QString serverName() const;

    QString m_name;                    // set by the constructor only
    QLockFile* m_lock = nullptr;       // GUI thread only
    QLocalServer* m_server = nullptr;  // GUI thread only
};
