#pragma once
// The class home window ("vtclasstea"): a frameless top-level window with
// the left tool column, the title bar and three pages (courses, the month
// calendar with the selected day's lessons, group messages). It fills
// itself from the client library's HTTP results, which the main window
// hands to ClassResult. Made hidden; GUI thread only.
//
// Implementation by concern: ClassListWidget.cpp (construction, calendar
// navigation, day panel, tick), ClassListResults.cpp (HTTP results, the
// answers of the sharing and feedback dialogs among them),
// ClassListMenus.cpp (settings menu, its actions, shortcuts, group images),
// ClassListWindowEvents.cpp (close, shape, dragging, painting),
// ClassListUpdate.cpp (the update check's reports and the update prompt).
#include "app/SessionRecords.h"
#include "widgets/TitleDrag.h"

#include <QPoint>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <map>
#include <vector>

class CalendarWdg;
class DownThread;
class QMenu;
class UpdateMessageEvent;
namespace Ui {
class ClassListWidget;
}

class ClassListWidget : public QWidget {
    Q_OBJECT
public:
    explicit ClassListWidget(QWidget* parent = nullptr);
    ~ClassListWidget() override;

    // The home window's handling of an HTTP result; true only for a
    // successful sign-in, which shows the window.
    bool ClassResult(int type, const QVariant& data);
    // Called once per second tick of the session timer.
    void OnTimerUpdate(int tick);

    // Shows another month of the calendar (the year box and month box stay).
    void GoToMonth(int year, int month);
    // Date labels of the selected day, and its lessons from the cache or
    // requested from the client library.
    void RefreshDayPanel();

    CalendarWdg* Calendar() const { return calendar; }

    // The window that the settings menu's device check shows (made by the
    // main window, which knows the device folder); it becomes a child window
    // of the home window.
    void SetDeviceCheckDialog(QWidget* dialog);
    // The new-version dialog when an update is required or available, else
    // a notice that this version is the latest.
    void ShowUpdatePrompt();
    // The settings menu while it is open (null otherwise).
    QMenu* SettingMenu() const;

signals:
    void exitApp();
    void switchUser();

public slots:
    void onInitMenuShow();
    void OnMenuItemClicked();
    void OnButtonClick();
    void OnComYearSelChanged(const QString& yearText);
    void OnSpinMonthSelChanged(int month);
    void OnCaleItemClick();
    void OnShowToday();
    void OnDownFinish(DownThread* down);
    void GetOrders();
    void GetRoomUrl(QString text);

protected:
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Settings menu, shortcuts and group images (ClassListMenus.cpp).
    void connectMenusAndShortcuts();
    void switchAccount();
    void onGroupImage(int image);
    // One report of the update check (ClassListUpdate.cpp).
    void onUpdateMessage(UpdateMessageEvent* report);
    // Result handlers (ClassListResults.cpp), one per answer kind.
    void onLoginOk();
    void onUserInfo(const QVariantMap& m);
    void onDayRooms(const QVariantMap& m, int code);
    void onCourseRooms(const QVariantMap& m, int code);
    void onTmpCourse(const QVariantMap& m, int code);
    void onTmpRooms(const QVariantMap& m, int code, bool countIntoCourse);
    void onGroups(const QVariantMap& m);
    void onGroupMessages(const QVariantMap& m);
    void onRoomMade(const QVariantMap& m, int code);
    void onUserFound(const QVariantMap& m, int code);
    void onRoomShared(const QVariantMap& m, int code);
    void showAvatar(const QPixmap& picture);
    QString userType() const;

    TitleDrag m_drag;          // frameless drag: press point, pressed and movable flags
    Ui::ClassListWidget* ui = nullptr;  // the form, owned
    CalendarWdg* calendar = nullptr;    // child, in caleLay
    QPointer<QWidget> deviceCheckDlg;   // child window, set by the main window
    QPointer<QMenu> settingMenu;        // the open settings menu
    int todayYear = 0, todayMonth = 0, todayDay = 0;
    // "App/GMsgLasterTs" + group id -> newest message time that came while
    // the message page was hidden.
    std::map<QString, QString> pendingReadTs;
};

// Opens the program's data folder in the system file browser.
void OpenDataFolder();
