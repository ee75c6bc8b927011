#pragma once
// One running Veltora per user: a lock file plus a local server named after
// the instance. A second start asks the first to restore and raise its
// window, then ends.
#include <QObject>
#include <QString>

class QLocalServer;
class QLockFile;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // name: "vtmaintea" for the program; tests use their own names.
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first instance (it then owns the lock
    // and listens for later starts); false after asking the first instance
    // to raise its window.
    bool claim();

signals:
    // A later start asked this (first) instance to show its window.
    void activationRequested();

private:
    QString m_name;
    QLockFile* m_lock = nullptr;      // GUI thread only
    QLocalServer* m_server = nullptr; // GUI thread only
};
