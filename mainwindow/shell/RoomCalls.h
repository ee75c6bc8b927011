#pragma once
// What the room window asks of the live room's display widget, in one
// place: until the widget is in the program, each entry does nothing and
// says so in its log line, so the room shell runs whole without it. GUI
// thread only.
#include "app/Logger.h"

class QWidget;

namespace roomcalls {

inline void Pending(const char* what)
{
    Logger::instance()->Log(LOG_DEBUG, "roomcalls", "%s: not available", what);
}

// Room controller: the live room's display widget, made on the parent and
// deleted with a null parent; null while there is none.
inline void InitDisplayWidget(QWidget*) { Pending("display widget"); }
inline QWidget* DisplayWidget() { return nullptr; }

}  // namespace roomcalls
