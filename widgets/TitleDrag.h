#pragma once
// Dragging a frameless window by a top band: a left press inside the band
// (while the window is neither maximised nor full screen and movable) starts
// a drag, moves with the left button held move the window by the pointer's
// travel, the left release ends it. Each window keeps one and forwards its
// three mouse handlers (the room windows and the home window's small
// dialogs). GUI thread only.
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>

// The title band of the home window's small frameless dialogs.
constexpr int kSmallDialogBand = 40;

struct TitleDrag {
    QPoint pressPoint;   // global position at the last press or move
    bool pressed = false;
    bool movable = true;

    void Press(QWidget* w, QMouseEvent* e, int band)
    {
        if (e->button() == Qt::LeftButton && e->pos().y() < band && movable &&
            !(w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
            pressed = true;
            pressPoint = e->globalPos();
        }
    }
    void Move(QWidget* w, QMouseEvent* e)
    {
        if ((e->buttons() & Qt::LeftButton) && pressed) {
            w->move(w->pos() + e->globalPos() - pressPoint);
            pressPoint = e->globalPos();
        }
    }
    void Release(QMouseEvent* e)
    {
        if (e->button() == Qt::LeftButton)
            pressed = false;
    }
};
