#pragma once
// The main program's update check and the start of the updater. CData owns
// the one AppUpdater. The home window registers itself with SetNotifyWindow
// and calls StartCheck; each report of the check then reaches it as a posted
// UpdateMessageEvent (kinds 0 to 4, see UpdateMessage.h). Until a version
// reply has been read, a new check starts every 8 seconds, never two at once.
#include <QObject>
#include <QPointer>
#include <QString>

class QTimer;
class QWidget;
class UpdateChecker;

class AppUpdater : public QObject {
    Q_OBJECT
public:
    explicit AppUpdater(QObject* parent = nullptr);
    ~AppUpdater() override;

    // The window that receives the reports; before the first StartCheck.
    bool SetNotifyWindow(QWidget* widget);
    // Starts the retry timer on the first call and one check (unless one runs).
    bool StartCheck();
    bool HasNewVersion() const;
    bool MustUpdate() const;
    bool HasRemoteVersion() const;
    // A check is running.
    bool IsChecking() const;

    // Starts the updater of this installation (two folders above the program).
    static void RunUpdater();
    // The same for the program folder given; returns the program started, or
    // an empty string when none could be.
    static QString RunUpdaterFrom(const QString& programFolder);

public slots:
    void onUpdateTimer();

protected:
    bool event(QEvent* e) override;

private:
    QTimer* m_timer = nullptr;          // GUI thread only
    QPointer<QWidget> m_notifyWidget;   // GUI thread only
    UpdateChecker* m_checker = nullptr; // made by the constructor; its thread only posts events to this object
};
