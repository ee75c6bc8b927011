// MainWindow: the broadcast settings window's stop report. Room entry and
// exit live in RoomEntry.cpp, the buttons in Toolbar.cpp, the tick and the
// closing in Tick.cpp.
#include "mainwindow/MainWindow.h"

// Seam: restarts the recorder or the desktop share once the stream slots
// are in the program.
void MainWindow::toStartRecorderOrDesk(int) {}
