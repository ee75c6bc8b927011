#pragma once
// One lesson row of a class list: name, teachers, time, the action button
// that follows the lesson's status, the share button of temporary rooms and
// the countdown to the moment entry opens.
#include "app/SessionRecords.h"

#include <QWidget>

namespace Ui {
class ClassItem;
}

class ClassItem : public QWidget {
    Q_OBJECT

public:
    explicit ClassItem(QWidget* parent = nullptr);
    ~ClassItem() override;

    // Copies the lesson and fills the row.
    void InitUI(const RoomInfo& info);
    const RoomInfo& Info() const { return m_info; }

    // The button looks of the row, by lesson state.
    static const QString& EnterButtonStyle();
    static const QString& WaitButtonStyle();
    static const QString& ReplayButtonStyle();
    static const QString& ShareButtonStyle();

signals:
    void sgUpdateData(QString coursid, QString groupid);

public slots:
    void OnTimerUpdate(int tick);
    void on_btnEnter_clicked();
    void on_btnQRCode_clicked();

private:
    // GUI thread only.
    Ui::ClassItem* ui = nullptr;
    RoomInfo m_info;
};
