#pragma once
// The class home window ("vtclasstea"): a frameless top-level window with
// the left tool column, the title bar and three pages (courses, the month
// calendar with the selected day's lessons, group messages). It fills
// itself from the client library's HTTP results, which the main window
// hands to ClassResult. Made hidden; GUI thread only.
//
// Implementation by concern: ClassListWidget.cpp (construction, calendar
// navigation, day panel, tick), ClassListResults.cpp (HTTP results, the
// answers of the sharing and feedback dialogs among them).
#include "app/SessionRecords.h"

#include <QPoint>
#include <QVariant>
#include <QWidget>

#include <map>
#include <vector>

class CalendarWdg;
class DownThread;
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

signals:
    void exitApp();
    void switchUser();

public slots:
    void OnButtonClick();
    void OnComYearSelChanged(const QString& yearText);
    void OnSpinMonthSelChanged(int month);
    void OnCaleItemClick();
    void OnShowToday();
    void OnDownFinish(DownThread* down);
    void GetOrders();
    void GetRoomUrl(QString text);

private:
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

    QPoint m_ptPress;          // frameless drag: press point
    bool m_bPressed = false;   // frameless drag: left button held in the band
    bool m_bMovable = true;    // frameless drag: allowed
    Ui::ClassListWidget* ui = nullptr;  // the form, owned
    CalendarWdg* calendar = nullptr;    // child, in caleLay
    int todayYear = 0, todayMonth = 0, todayDay = 0;
    // "App/GMsgLasterTs" + group id -> newest message time that came while
    // the message page was hidden.
    std::map<QString, QString> pendingReadTs;
};
