#pragma once
// The strip of user video tiles above the whiteboard (small rooms). Its
// tiles come later; the room window's form holds it as "userListCtrl".
// GUI thread only.
#include <QWidget>

class UserListCtrl : public QWidget {
    Q_OBJECT
public:
    explicit UserListCtrl(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
