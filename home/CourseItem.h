#pragma once
// One course row of the course page: picture, name, progress, and a button
// that makes a temporary room of the course's group.
#include "app/SessionRecords.h"

#include <QWidget>

class DownThread;
namespace Ui {
class CourseItem;
}

class CourseItem : public QWidget {
    Q_OBJECT

public:
    explicit CourseItem(QWidget* parent = nullptr);
    ~CourseItem() override;

    void SetCourse(CourseInfo course, bool allowTmp);
    const CourseInfo& Course() const { return m_course; }

public slots:
    void OnDownFinish(DownThread* d);
    void on_btnMakeTmp_clicked();

private:
    // GUI thread only.
    Ui::CourseItem* ui = nullptr;
    CourseInfo m_course;
};
