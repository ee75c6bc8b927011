#pragma once
// A list of lesson rows (ClassItem): the lessons of the selected day beside
// the calendar, or of the pressed course in the course page. Owners clear
// the list and add fresh rows; rows are never updated in place.
#include "app/SessionRecords.h"

#include <QWidget>

#include <vector>

class QListWidget;

class ClassInfoWdg : public QWidget {
    Q_OBJECT

public:
    explicit ClassInfoWdg(QWidget* parent = nullptr);

    void SetRooms(std::vector<RoomInfo> rooms);
    void ClearRooms();
    void AddItem(RoomInfo info);
    QListWidget* List() const { return m_list; }

signals:
    void sgUpdateData(QString coursid, QString groupid);

public slots:
    void onUpdateTimer(int) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QListWidget* m_list = nullptr;  // GUI thread only
};
