#include "mainwindow/room/UserListCtrl.h"

#include "mainwindow/popups/StyledBackground.h"

UserListCtrl::UserListCtrl(QWidget* parent) : QWidget(parent) {}

void UserListCtrl::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}
