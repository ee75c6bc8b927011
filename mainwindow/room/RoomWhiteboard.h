#pragma once
// The room's whiteboard widget (the whiteboard library's own), over which the
// display widget and the user tiles float, and its rectangle in the
// coordinates of a top-level window. GUI thread only.
#include "app/Room.h"
#include "WhiteBoardLib.h"

#include <QRect>
#include <QWidget>

inline QWidget* RoomWhiteboardWidget()
{
    CWhiteBoardLib* lib = Room::instance()->GetWBLib();
    return lib ? lib->GetWBWidget() : nullptr;
}

// Empty when there is no whiteboard widget.
inline QRect RoomWhiteboardRect(QWidget* top)
{
    QWidget* wb = RoomWhiteboardWidget();
    if (!wb || !top)
        return QRect();
    // Through global coordinates: the whiteboard need not lie inside top.
    return QRect(top->mapFromGlobal(wb->mapToGlobal(QPoint(0, 0))), wb->size());
}
