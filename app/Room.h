#pragma once
// The room session controller: creates and owns the client library and the
// whiteboard library, turns their callbacks into Qt signals, and carries the
// room's delayed-command queue. Every other part of the program reaches the
// libraries only through GetClientLib and GetWBLib.
//
// Implementation by concern: Room.cpp (life, library binding, callbacks).
#include <QObject>
#include <QString>
#include <QVariant>

class ClientLib;
class CWhiteBoardLib;
class DelayCommand;
class DownThread;
class UploadDoc;
class QWidget;

class Room : public QObject {
    Q_OBJECT
public:
    static Room* instance();
    ~Room() override;

    // Once, from the main window's constructor, with the widget in which the
    // whiteboard is created.
    void InitLib(QWidget* parent);
    // The room-side part of leaving a room.
    void ExitRoom();
    // Once, from the closing code: releases both libraries; no library call
    // may follow. A second call does nothing.
    void ReleaseLib();

    ClientLib* GetClientLib() const { return m_clientLib; }
    CWhiteBoardLib* GetWBLib() const { return m_wbLib; }
    QWidget* GetWBParent() const { return m_libParent; }
    DelayCommand* GetDelayCommand() const { return m_delayCommand; }
    int GetPlayType() const { return m_playType; }
    int GetShareType() const { return m_shareType; }
    QString GetPlayStream() const { return m_playStream; }
    // Averages of the recent delay, CPU and memory samples.
    qint64 GetDelayAvg() const { return m_delayAvg; }
    qint64 GetCpuAvg() const { return m_cpuAvg; }
    qint64 GetMemAvg() const { return m_memAvg; }

    // The configuration map both libraries are made from.
    QVariantMap BuildLibConfig() const;
    // The installation id ("App/AppExtGuid"), made once per installation.
    static QString EnsureAppGuid();

signals:
    void sgWBLibCmd(int cmdtype, QVariant mapVars);
    void sgClientLibCmd(int cmdtype, QVariant mapVars);
    void sgRoomSpeed(int nSpeed, int nDelayMs);

public slots:
    void onTimerUpdate(int index);
    void onDelayCommand(QVariant cmd, QVariant var);

private:
    explicit Room(QObject* parent = nullptr);

    // GUI thread only, except where said.
    QWidget* m_libParent = nullptr;
    CWhiteBoardLib* m_wbLib = nullptr;  // written before the libraries call back
    ClientLib* m_clientLib = nullptr;   // written before the libraries call back
    int m_shareType = 0;
    int m_playType = 0;
    QString m_playStream;
    int m_speedTests = 0;
    qint64 m_delayAvg = 10000;
    qint64 m_cpuAvg = 0;
    qint64 m_memAvg = 0;
    DelayCommand* m_delayCommand = nullptr;  // its worker thread emits queued to this object
};

// The plain-function callbacks handed to the library factories; they run on
// the libraries' threads and touch no widget.
void ClientLibCallback(int code, const QVariant& var);
void WBLibCallback(int code, const QVariant& var);
