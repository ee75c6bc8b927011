#include "mainwindow/popups/ToolWindowPlacer.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QEvent>
#include <QWidget>

ToolWindowPlacer::ToolWindowPlacer(QWidget* room) : QObject(room), m_room(room) {}

void ToolWindowPlacer::Watch(QWidget* tool)
{
    if (tool)
        tool->installEventFilter(this);
}

void ToolWindowPlacer::Place(QWidget* tool) const
{
    if (!m_room || !tool || !m_room->isVisible())
        return;
    // The frame is not known before the first map: the widget's own size
    // stands for it.
    const QRect room = m_room->frameGeometry();
    QRect r(QPoint(0, 0), tool->size());
    r.moveCenter(room.center());
    const QRect screen = QApplication::desktop()->availableGeometry(m_room);
    r.moveLeft(qBound(screen.left(), r.left(), qMax(screen.left(), screen.right() + 1 - r.width())));
    r.moveTop(qBound(screen.top(), r.top(), qMax(screen.top(), screen.bottom() + 1 - r.height())));
    tool->move(r.topLeft());
}

bool ToolWindowPlacer::eventFilter(QObject* watched, QEvent* event)
{
    // Show comes before the window is mapped; a spontaneous one (the window
    // system showing it again) keeps the place the teacher gave it.
    if (event->type() == QEvent::Show && !event->spontaneous() && watched->isWidgetType())
        Place(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}
