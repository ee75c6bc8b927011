#pragma once
// The course page of the home window: the teacher's courses on the left
// (search, make a temporary room), the lessons of the pressed course on the
// right. The courses live in CData; the home window's result handler fills
// them and calls this page.
#include "app/SessionRecords.h"

#include <QWidget>

#include <vector>

class QListWidgetItem;
namespace Ui {
class CoursePage;
}

class CoursePage : public QWidget {
    Q_OBJECT

public:
    explicit CoursePage(QWidget* parent = nullptr);
    ~CoursePage() override;

    void SetCourseList(std::vector<CourseInfo> courses);
    void ShowAddCourse(int count);
    void RefreshCurrent();
    void OnTimerUpdate(int tick);
    void Clear();

public slots:
    void onCourseItemPressed(QListWidgetItem* item);
    void on_btnSearch_clicked();
    void on_btnAddCourse_clicked();

private:
    void requestLessons(const QString& groupId, const QString& courseId, const QString& id);

    // GUI thread only.
    Ui::CoursePage* ui = nullptr;
    int m_tmpCourseFlag = 0;
};
