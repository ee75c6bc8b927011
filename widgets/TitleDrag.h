#pragma once
// Dragging a frameless window by a top band: a left press inside the band
// (while the window is neither maximised nor full screen and movable) starts
// a drag, moves with the left button held move the window by the pointer's
// travel, the left release ends it. Each window keeps one: made with the
// window and its band, it follows the window's mouse events itself (an
// event filter that lets every event go on to the window); made empty, the
// window forwards its three mouse handlers to Press, Move and Release.
// GUI thread only.
#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QPoint>
#include <QWidget>

// The title band of the home window's small frameless dialogs.
constexpr int kSmallDialogBand = 40;

struct TitleDrag : public QObject {
    QPoint pressPoint;   // global position at the last press or move
    bool pressed = false;
    bool movable = true;

    TitleDrag() = default;
    TitleDrag(QWidget* window, int band) : m_window(window), m_band(band) { window->installEventFilter(this); }

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            Press(m_window, static_cast<QMouseEvent*>(event), m_band);
            break;
        case QEvent::MouseMove:
            Move(m_window, static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseButtonRelease:
            Release(static_cast<QMouseEvent*>(event));
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget* m_window = nullptr;  // the followed window, or null when it forwards
    int m_band = 0;
};
